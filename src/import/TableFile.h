#pragma once
// Reading a table of cell texts from the files that laboratories and suppliers send: CSV text, Excel 97 .xls and
// Office Open XML .xlsx workbooks (the first worksheet). Numbers become their plain decimal text.

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace vestrel {

// Files larger than this are refused before they are read.
constexpr qint64 kMaxTableFileBytes = qint64(64) << 20;
// Columns past this many are not read.
constexpr int kMaxTableColumns = 256;

enum class TableFormat { Unknown, Csv, Xls, Xlsx };

struct TextTable {
    // Row r of the file (0 the first); cell c of a row is column c. Trailing empty cells are dropped; a row without
    // cells is empty.
    QList<QStringList> rows;
    QString error;          // empty when read; otherwise why the file was refused, in Chinese
    bool truncated = false; // the file has rows at or past maxRows, which were not read
    QString encoding;       // CSV only: "UTF-8", "UTF-16" or "GBK"
    QChar delimiter;        // CSV only
};

// The format a file name promises: .csv/.txt/.tsv, .xls or .xlsx (case-insensitive).
TableFormat TableFormatOfName(const QString& path);
// The format the bytes show: a compound file, a zip archive, or text.
TableFormat TableFormatOfContent(const QByteArray& head);

// Reads the file by its name's format, refusing a file whose content is something else, an empty file, a
// damaged one or one larger than kMaxTableFileBytes. At most maxRows rows are read.
TextTable ReadTableFile(const QString& path, int maxRows);

TextTable ReadCsv(const QByteArray& bytes, int maxRows);
TextTable ReadXls(const QByteArray& bytes, int maxRows);
TextTable ReadXlsx(const QByteArray& bytes, int maxRows);

// The text of CSV bytes: UTF-8 (with or without BOM), UTF-16 with BOM, otherwise GBK (read as GB18030, its
// superset). encoding gets the name; "" with an error message when the bytes are none of these.
QString DecodeCsvText(const QByteArray& bytes, QString* encoding, QString* error);
// Comma, semicolon or tab: the one found outside quotes in the same number on each of the first lines, the most
// frequent in the first line when none is that regular; comma for a single column.
QChar DetectDelimiter(const QString& text);
// RFC 4180 fields: quotes around a field allow the delimiter, line breaks and doubled quotes inside it.
QList<QStringList> ParseCsv(const QString& text, QChar delimiter, int maxRows, bool* truncated);

// The text a number cell is read as: up to 15 significant digits, no exponent.
QString NumberCellText(double value);

} // namespace vestrel
