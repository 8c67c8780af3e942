#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

namespace vestrel::xls {

// One filled cell of a worksheet: a text, or a number.
struct SheetCell {
    int row = 0;
    int column = 0;
    bool isNumber = false;
    double number = 0;
    QString text;
};

// The cells of one worksheet of an Excel 97 (BIFF8) workbook, in stream order: labels and shared strings, numbers,
// RK and MULRK values, and the cached results of formulas (numbers and texts). Blank, boolean and error cells are
// left out. `index` counts worksheets only (charts and macro sheets are passed over); 0 is the first.
// Returns "" on success, otherwise a message in Chinese. Cells of rows at or past maxRows are not collected and
// set *truncated.
QString readWorksheet(const QByteArray& file, int index, QList<SheetCell>* cells, int maxRows = 65536,
                      bool* truncated = nullptr);

} // namespace vestrel::xls
