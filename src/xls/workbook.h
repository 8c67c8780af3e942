#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <memory>

class QIODevice;
class QByteArray;

namespace vestrel::xls {

// An Excel 97 (BIFF8) workbook used as a template: rows of text cells are appended to a worksheet and the whole
// file is written anew. Every operation returns "" on success or an error description in Chinese; a failed call
// changes nothing.
class Workbook {
public:
    Workbook();
    ~Workbook();
    Workbook(const Workbook&) = delete;
    Workbook& operator=(const Workbook&) = delete;

    QString load(const QString& path);
    QString loadData(const QByteArray& file);

    // Appends rows after the last used row of the worksheet (or after the rows appended before); cell i of a row
    // goes to column i. Sheet names match case-insensitively. An empty text is written as an empty text cell.
    QString appendRows(const QString& sheetName, const QList<QStringList>& rows);

    // Row that the next appended row gets, or -1 when the workbook has no such worksheet.
    int nextRow(const QString& sheetName) const;

    // The whole compound file with the rows appended so far.
    QString write(QIODevice* device) const;
    // Writes to a temporary file beside path, then replaces path with it.
    QString save(const QString& path) const;

private:
    struct Private;
    std::unique_ptr<Private> d;
};

// Writes targetPath as a copy of templatePath with rows appended to the named sheet. On any error nothing is
// written and an existing target is left as it was.
QString appendRowsToCopy(const QString& templatePath, const QString& targetPath, const QString& sheetName,
                         const QList<QStringList>& rows);

} // namespace vestrel::xls
