#pragma once

// Helpers shared by the Excel 97 layer tests: fixtures, byte patches and the independent reader (python3 + xlrd).

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QtEndian>

namespace xlstest {

inline QString fixturePath(const QString& name) {
    return QStringLiteral(VESTREL_FIXTURES_DIR "/xls/") + name;
}

// The files the Excel tests read: every workbook, its expected dump and the reader scripts. A suite checks them
// in initTestCase(), so a checkout without them fails there, naming each missing file, and runs nothing.
inline QStringList missingFixtures() {
    const QStringList names{"a_plain_gn.xls",     "a_plain_lo.xls",       "b_formatted_lo.xls", "c_sheet1_third_gn.xls",
                            "d_no_sheet1_lo.xls", "e_large_gn.xls",       "e_large_lo.xls",     "f_v4_big.xls",
                            "f_v4_mini.xls",      "g_three_sheets_gn.xls"};
    QStringList files{fixturePath("check_xls.py"), fixturePath("dump_xls.py"),
                      QStringLiteral(VESTREL_SOURCE_DIR "/tests/xls/read_xls.py")};
    for (const QString& name : names)
        files << fixturePath(name) << fixturePath("expected/" + QString(name).replace(".xls", ".json"));
    QStringList missing;
    for (const QString& file : files)
        if (!QFile::exists(file)) missing << QDir::toNativeSeparators(file);
    return missing;
}

inline QByteArray fixture(const QString& name) {
    QFile f(fixturePath(name));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline QJsonObject expectedDump(const QString& name) {
    QFile f(QStringLiteral(VESTREL_FIXTURES_DIR "/xls/expected/") + QString(name).replace(".xls", ".json"));
    return f.open(QIODevice::ReadOnly) ? QJsonDocument::fromJson(f.readAll()).object() : QJsonObject();
}

inline bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

// Runs tests/xls/read_xls.py. The reader is part of the set-up, so a missing python3 or xlrd is an error.
// Options: --streams-only, --grown SHEET (see the script).
inline QJsonObject readWithXlrd(const QString& path, const QStringList& options, QString* error) {
#ifdef VESTREL_PYTHON3
    const QString python = QStringLiteral(VESTREL_PYTHON3);
#else
    const QString python = QStringLiteral("python3");
#endif
    QStringList args{QStringLiteral(VESTREL_SOURCE_DIR "/tests/xls/read_xls.py"),
                     QStringLiteral(VESTREL_FIXTURES_DIR "/xls"), path};
    args << options;
    QProcess p;
    p.start(python, args);
    if (!p.waitForStarted(30000)) {
        *error = QStringLiteral("cannot start %1: %2").arg(python, p.errorString());
        return {};
    }
    p.closeWriteChannel();
    if (!p.waitForFinished(240000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        *error = QStringLiteral("%1 read_xls.py %2 failed: %3")
                     .arg(python, path, QString::fromUtf8(p.readAllStandardError()));
        return {};
    }
    QJsonParseError parseError;
    const QJsonDocument doc = QJsonDocument::fromJson(p.readAllStandardOutput(), &parseError);
    if (parseError.error != QJsonParseError::NoError)
        *error = QStringLiteral("reader output is not JSON: %1").arg(parseError.errorString());
    return doc.object();
}

// Little-endian patches of raw bytes.
inline quint32 get32(const QByteArray& b, qsizetype at) {
    return qFromLittleEndian<quint32>(b.constData() + at);
}
inline void set32(QByteArray& b, qsizetype at, quint32 v) {
    qToLittleEndian<quint32>(v, b.data() + at);
}
inline void set16(QByteArray& b, qsizetype at, quint16 v) {
    qToLittleEndian<quint16>(v, b.data() + at);
}

// File offset of the directory entry with this name (names are UTF-16 in the entry), or -1.
inline qsizetype directoryEntry(const QByteArray& file, const QString& name) {
    QByteArray utf16;
    for (QChar c : name) {
        utf16.append(char(c.unicode() & 0xFF));
        utf16.append(char(c.unicode() >> 8));
    }
    utf16.append(2, '\0');
    for (qsizetype at = file.indexOf(utf16); at >= 0; at = file.indexOf(utf16, at + 1)) {
        if (at % 128 == 0 && qFromLittleEndian<quint16>(file.constData() + at + 0x40) == utf16.size()) return at;
    }
    return -1;
}

inline QByteArray renameEntry(QByteArray file, const QString& from, const QString& to) {
    const qsizetype at = directoryEntry(file, from);
    if (at < 0) return {};
    for (int i = 0; i < 64; ++i)
        file[at + i] = 0;
    for (int i = 0; i < to.size(); ++i)
        set16(file, at + 2 * i, to.at(i).unicode());
    set16(file, at + 0x40, quint16(2 * (to.size() + 1)));
    return file;
}

// Offsets of the records of one type in a BIFF stream.
inline QList<qsizetype> recordsOfType(const QByteArray& stream, quint16 type) {
    QList<qsizetype> found;
    for (qsizetype pos = 0; pos + 4 <= stream.size();) {
        const quint16 t = qFromLittleEndian<quint16>(stream.constData() + pos);
        const quint16 size = qFromLittleEndian<quint16>(stream.constData() + pos + 2);
        if (t == type) found << pos;
        pos += 4 + size;
    }
    return found;
}

} // namespace xlstest
