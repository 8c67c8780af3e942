#include "base/FileFunction.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <QStringEncoder>

namespace vestrel {

QByteArray EncodeSystemText(const QString& text) {
    QStringEncoder encoder(QStringConverter::System);
    QByteArray bytes = encoder.encode(text);
    return bytes;
}

QString DecodeSystemText(const QByteArray& bytes) {
    QStringDecoder decoder(QStringConverter::System);
    return decoder.decode(bytes);
}

QByteArray TextFileBytes(const QString& text) {
    return EncodeSystemText(text) + "\r\n";
}

bool WriteTextFileAt(const QString& path, const QString& text) {
    if (path.isEmpty()) return false;
    const QFileInfo info(path);
    if (!info.dir().exists() || info.isDir()) return false;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
    const QByteArray bytes = TextFileBytes(text);
    const bool ok = file.write(bytes) == bytes.size();
    file.close();
    return ok && file.error() == QFileDevice::NoError;
}

bool WriteTextFile(const QString& fileName, const QString& folder, const QString& text) {
    if (fileName.isEmpty() || folder.isEmpty()) return false;
    const QString path = QDir(folder).filePath(fileName);
    // Opening fails by itself for a missing folder or a folder at the path; no extra look at the disk first.
    // Overwritten in place and cut to length afterwards: truncating to zero makes ext4 flush the file on close,
    // and a new file per write makes it search its inode table past the recently deleted ones, each costing
    // more than the write itself when a run writes the model 99 times.
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite)) return false;
    const QByteArray bytes = TextFileBytes(text);
    bool ok = file.write(bytes) == bytes.size();
    if (ok && file.size() > bytes.size()) ok = file.resize(bytes.size());
    file.close();
    return ok && file.error() == QFileDevice::NoError;
}

QString ReadTextFile(const QString& path, bool allLines) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    const QString text = DecodeSystemText(file.readAll());
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'\r') {
            if (!allLines) return out;
            if (i + 1 < text.size() && text[i + 1] == u'\n') ++i;
            continue;
        }
        out.append(c);
    }
    return out;
}

bool FileExists(const QString& path) {
    if (path.isEmpty()) return false;
    return QFileInfo(path).isFile();
}

} // namespace vestrel
