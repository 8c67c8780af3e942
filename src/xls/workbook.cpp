#include "xls/workbook.h"

#include "xls/biffbook.h"
#include "xls/compoundfile.h"
#include "xls/xlstexts.h"

#include <QFile>
#include <QMap>
#include <QSaveFile>

namespace vestrel::xls {

namespace {
constexpr int kMaxRows = 65536;
constexpr int kMaxColumns = 256;
constexpr qsizetype kMaxText = 32767;
constexpr qint64 kMaxFile = qint64(1) << 30;
} // namespace

struct Workbook::Private {
    bool loaded = false;
    CompoundFile file;
    int workbookStream = -1;
    BiffBook book;
    QMap<int, QList<QStringList>> rows; // per sheet, in the order appended
};

Workbook::Workbook() : d(std::make_unique<Private>()) {}

Workbook::~Workbook() = default;

QString Workbook::load(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return texts::cannotRead(path);
    if (f.size() > kMaxFile) return texts::tooLarge();
    const QByteArray data = f.readAll();
    if (data.size() != f.size()) return texts::cannotRead(path);
    return loadData(data);
}

QString Workbook::loadData(const QByteArray& file) {
    auto p = std::make_unique<Private>();
    if (QString error = p->file.parse(file); !error.isEmpty()) return error;
    p->workbookStream = p->file.rootStream(QStringLiteral("Workbook"));
    if (p->workbookStream < 0)
        return p->file.rootStream(QStringLiteral("Book")) >= 0 ? texts::biff5() : texts::noWorkbookStream();
    if (QString error = p->book.parse(p->file.stream(p->workbookStream)); !error.isEmpty()) return error;
    p->loaded = true;
    d = std::move(p);
    return {};
}

QString Workbook::appendRows(const QString& sheetName, const QList<QStringList>& rows) {
    if (!d->loaded) return texts::notLoaded();
    const int sheet = d->book.findSheet(sheetName);
    if (sheet < 0) return texts::noSuchSheet(sheetName);
    if (QString error = d->book.prepare(sheet); !error.isEmpty()) return error;
    for (const QStringList& row : rows) {
        if (row.size() > kMaxColumns) return texts::tooManyColumns();
        for (const QString& text : row) {
            if (text.size() > kMaxText) return texts::textTooLong();
        }
    }
    const qint64 pending = d->rows.value(sheet).size();
    if (d->book.nextRow(sheet) + pending + rows.size() > kMaxRows) return texts::tooManyRows();
    d->rows[sheet].append(rows);
    return {};
}

int Workbook::nextRow(const QString& sheetName) const {
    if (!d->loaded) return -1;
    const int sheet = d->book.findSheet(sheetName);
    if (sheet < 0 || !d->book.prepare(sheet).isEmpty()) return -1;
    return d->book.nextRow(sheet) + int(d->rows.value(sheet).size());
}

QString Workbook::write(QIODevice* device) const {
    if (!d->loaded) return texts::notLoaded();
    const QByteArray stream = d->book.build(d->rows);
    CompoundFile out = d->file;
    out.setStream(d->workbookStream, stream);
    const QByteArray bytes = out.serialize();

    // Read back what is about to be written, so a layout fault is never reported as a written workbook.
    CompoundFile check;
    BiffBook checkBook;
    if (!check.parse(bytes).isEmpty() || check.stream(d->workbookStream) != stream ||
        !checkBook.parse(stream).isEmpty())
        return texts::internalError();

    if (!device || !device->isWritable() || device->write(bytes) != bytes.size()) return texts::writeFailed();
    return {};
}

QString Workbook::save(const QString& path) const {
    if (!d->loaded) return texts::notLoaded();
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return texts::cannotWrite(path);
    if (QString error = write(&file); !error.isEmpty()) {
        file.cancelWriting();
        return error == texts::writeFailed() ? texts::cannotWrite(path) : error;
    }
    if (!file.commit()) return texts::cannotWrite(path);
    return {};
}

QString appendRowsToCopy(const QString& templatePath, const QString& targetPath, const QString& sheetName,
                         const QList<QStringList>& rows) {
    Workbook book;
    QString error = book.load(templatePath);
    if (error.isEmpty()) error = book.appendRows(sheetName, rows);
    if (error.isEmpty()) error = book.save(targetPath);
    return error;
}

} // namespace vestrel::xls
