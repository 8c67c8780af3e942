#pragma once
// A report-style list that shows a ListData: one header per column, widths in twips, hidden columns for
// width 0, an optional check box per row and row selection. The view never sorts by itself; a header click
// only reports the column, and the window sorts the ListData (SortListRows) so the exports see the same
// order.
//
// Usage: fill listData() with the core routines, then refresh(). After changing cell texts without adding
// or removing rows, refreshCells() keeps the selection.

#include "lists/ListData.h"

#include <QAbstractTableModel>
#include <QList>
#include <QTableView>

namespace vestrel {

// The table model over a ListData owned by someone else (the view).
class ListDataModel : public QAbstractTableModel {
    Q_OBJECT
public:
    ListDataModel(ListData* data, QObject* parent = nullptr);

    void setCheckBoxes(bool on) { m_checkBoxes = on; }
    // The box sits in the first shown column, so a hidden id column does not hide it.
    int checkColumn() const { return m_checkColumn; }
    // Whether a click on the box itself toggles it; off when the view toggles on any click in the row.
    void setUserCheckable(bool on) { m_userCheckable = on; }
    void reload();
    void cellsChanged();
    void setRowChecked(int row, bool checked);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

signals:
    void checkToggled(int row, bool checked);

private:
    ListData* m_data;
    bool m_checkBoxes = false;
    bool m_userCheckable = true;
    int m_checkColumn = 0;
};

class ReportListView : public QTableView {
    Q_OBJECT
public:
    explicit ReportListView(QWidget* parent = nullptr);

    ListData& listData() { return m_data; }
    const ListData& listData() const { return m_data; }
    // Replaces the whole list and shows it.
    void setListData(const ListData& data);

    // Shows listData() afresh: headers, widths, rows. Selection and current row are cleared.
    void refresh();
    // Repaints the cell texts and headers; for changes that keep the rows and columns.
    void refreshCells();
    // Applies the column widths of listData() (twips at ListScale(); 0 hides the column).
    void applyColumnWidths();
    // The shown columns' width in pixels.
    int columnsWidth() const;
    // The size that shows every column and that many rows whole, with a vertical scroll bar beside them.
    QSize sizeForColumnsAndRows(int rows) const;

    // A check box in front of every row; its state is ListRow::checked.
    void setCheckBoxes(bool on);
    bool checkBoxes() const { return m_checkBoxes; }
    // A click anywhere on a row (or Space) toggles its check box.
    void setToggleCheckOnRowClick(bool on);
    bool toggleCheckOnRowClick() const { return m_toggleOnClick; }
    void setRowChecked(int row, bool checked);

    // Single (default) or extended row selection.
    void setMultiSelect(bool extended);

    // The current (focused) row, or -1.
    int currentRow() const;
    // The selected rows in ascending order.
    QList<int> selectedRows() const;
    // Selects just this row and makes it current (-1 clears the selection).
    void selectOnlyRow(int row);

    // Shows a sort arrow on a column (-1 hides it); the sorting itself is the window's.
    void showSortIndicator(int column, Qt::SortOrder order);

    ListDataModel* listModel() const { return m_model; }

signals:
    void headerClicked(int column);
    // A mouse click on a row.
    void rowClicked(int row);
    void rowDoubleClicked(int row);
    // The keyboard moved the current row.
    void rowChangedByKeyboard(int row);
    void checkToggled(int row, bool checked);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void onClicked(const QModelIndex& index);
    int firstShownColumn() const;

    ListData m_data;
    ListDataModel* m_model;
    bool m_checkBoxes = false;
    bool m_toggleOnClick = false;
};

} // namespace vestrel
