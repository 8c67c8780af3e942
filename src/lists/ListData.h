#pragma once
// The rows of a report-style list as texts, kept in the core so the windows and the exports read the same
// cells. Column 0 is the row's own text; columns 1.. are its sub-items.

#include <QList>
#include <QString>
#include <QStringList>

namespace vestrel {

// What a column holds, which decides how a header click sorts it.
enum class ColumnKind { Text, Number, Date };

struct ListColumn {
    QString header;
    int widthTwips = 0; // 0 hides the column
    ColumnKind kind = ColumnKind::Text;
};

struct ListRow {
    QString text;         // column 0
    QStringList subItems; // columns 1 .. n-1
    bool checked = false;
};

struct ListData {
    QList<ListColumn> columns;
    QList<ListRow> rows;

    int columnCount() const { return int(columns.size()); }
    int rowCount() const { return int(rows.size()); }
    QString header(int column) const {
        return column >= 0 && column < columns.size() ? columns[column].header : QString();
    }
    // The text of a cell; empty for a sub-item the row does not have.
    QString cell(int row, int column) const {
        if (row < 0 || row >= rows.size()) return {};
        const ListRow& r = rows[row];
        if (column == 0) return r.text;
        return column - 1 < r.subItems.size() ? r.subItems[column - 1] : QString();
    }
};

} // namespace vestrel
