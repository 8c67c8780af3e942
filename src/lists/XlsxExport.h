#pragma once
// The .xlsx form of the two workbook exports: the rows and cells of the Excel 97 workbook's Sheet1, with the list
// headers in bold, numbers stored as numbers, the rows down to the first list header frozen and the columns fitted.

#include "lists/Export.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace vestrel {

enum class XlsxCell {
    Text,
    Header,  // bold text
    Decimal, // a number shown with two decimals
    Whole,   // a number shown without decimals (ids, shares)
};

struct XlsxSheet {
    QList<QStringList> rows;      // as CatalogueSheetRows / SchemeSheetRows give them
    QList<QList<XlsxCell>> kinds; // one per cell of rows
    int frozenRows = 0;
    QList<double> widths; // column widths in characters
};

// The sheets of the two exports. In list rows a numeric text is a number (lot names stay text); everything else,
// the empty cells included, is text.
XlsxSheet CatalogueXlsxSheet(const ListData& list);
XlsxSheet SchemeXlsxSheet(const SchemeExportData& data);

// Writes the sheet as "Sheet1" of a new workbook: "" on success, otherwise the reason in Chinese. An existing file
// at path is replaced only by a complete workbook.
QString WriteXlsx(const XlsxSheet& sheet, const QString& path);

// The writers for the export commands: true when the workbook was written; a failure shows the export failure
// message with the reason.
bool ExportListXlsx(const ListData& list, const QString& path);
bool ExportSchemeXlsx(const SchemeExportData& data, const QString& path);

// Whether a chosen export file is to be an .xlsx workbook: its extension decides (.xlsx or .xls); a name with
// neither takes the filter picked in the dialog (1 is the .xlsx filter of the Excel export).
bool IsXlsxTarget(const QString& path, int chosenFilter);

} // namespace vestrel
