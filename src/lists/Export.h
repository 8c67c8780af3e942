#pragma once
// Exporting the catalogue's lot list and a stored run as an HTML page or an Excel 97 workbook, each made
// from a template in the folder "template" beside the program.

#include "lists/ListData.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace vestrel {

enum class ExportKind { Html = 0, Excel = 1 };
enum class ExportSource { History, Catalogue };

// What a history export reads from the window: the targets text and the two lists as shown.
struct SchemeExportData {
    QString targets;
    const ListData* lots = nullptr;
    const ListData* ratios = nullptr;
};

// &, <, >, and both quotes as entities, so a cell text shows as typed and cannot add markup.
QString HtmlEscape(const QString& text);

// One table per list: the header row then one row per list row, every column (hidden ones too), each row
// ended by CR LF. Cell texts are escaped.
QString ListToHtmlTable(const ListData& list);

// The HTML writers: true when the file was written. A missing template or an unwritable target writes
// nothing and shows nothing.
bool ExportListHtml(const ListData& list, const QString& path);
bool ExportSchemeHtml(const SchemeExportData& data, const QString& path);

// Appends to `rows` the given number of rows whose first cell is empty, the header row and one row per
// list row (the row text, then its sub-items in column order).
void AppendListToSheet(QList<QStringList>& rows, const ListData& list, int blankRows);
// The rows the two workbooks get appended to their Sheet1.
QList<QStringList> CatalogueSheetRows(const ListData& list);
QList<QStringList> SchemeSheetRows(const SchemeExportData& data);

// The Excel writers: true when the workbook was written. Any failure shows the export failure message with
// the reason and leaves an existing target as it was.
bool ExportListExcel(const ListData& list, const QString& path);
bool ExportSchemeExcel(const SchemeExportData& data, const QString& path);

// "Vestrel_" and the current time as yy-MM-dd-HH-mm-ss; no extension.
QString DefaultExportName();
QString ExportFilter(ExportSource source, ExportKind kind);
// Asks for the target file through a save dialog, which takes any name, a new file included; "" when cancelled,
// or when the chosen file exists and the user keeps it (the program asks that itself). chosenFilter (may be
// null) gets the filter the user left selected, counted from 0.
QString AskExportFile(ExportSource source, ExportKind kind, int* chosenFilter = nullptr);

// The paths of the four templates.
QString ExportTemplatePath(ExportSource source, ExportKind kind);

} // namespace vestrel
