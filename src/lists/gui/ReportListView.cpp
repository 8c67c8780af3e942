#include "lists/gui/ReportListView.h"

#include "base/Twips.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QStyle>
#include <algorithm>

namespace vestrel {

ListDataModel::ListDataModel(ListData* data, QObject* parent) : QAbstractTableModel(parent), m_data(data) {}

void ListDataModel::reload() {
    beginResetModel();
    m_checkColumn = 0;
    for (int c = 0; c < m_data->columnCount(); ++c) {
        if (m_data->columns[c].widthTwips > 0) {
            m_checkColumn = c;
            break;
        }
    }
    endResetModel();
}

void ListDataModel::cellsChanged() {
    if (m_data->columnCount() > 0) emit headerDataChanged(Qt::Horizontal, 0, m_data->columnCount() - 1);
    if (m_data->rowCount() > 0 && m_data->columnCount() > 0)
        emit dataChanged(index(0, 0), index(m_data->rowCount() - 1, m_data->columnCount() - 1));
}

void ListDataModel::setRowChecked(int row, bool checked) {
    if (row < 0 || row >= m_data->rowCount()) return;
    if (m_data->rows[row].checked == checked) return;
    m_data->rows[row].checked = checked;
    const QModelIndex i = index(row, m_checkColumn);
    emit dataChanged(i, i, {Qt::CheckStateRole});
    emit checkToggled(row, checked);
}

int ListDataModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_data->rowCount();
}

int ListDataModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_data->columnCount();
}

QVariant ListDataModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= m_data->rowCount()) return {};
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole) return m_data->cell(index.row(), index.column());
    if (role == Qt::CheckStateRole && m_checkBoxes && index.column() == m_checkColumn)
        return m_data->rows[index.row()].checked ? Qt::Checked : Qt::Unchecked;
    return {};
}

QVariant ListDataModel::headerData(int section, Qt::Orientation orientation, int role) const {
    // A header narrower than its text (a lot's name over a share column) shows it whole on hovering.
    if (orientation == Qt::Horizontal && (role == Qt::DisplayRole || role == Qt::ToolTipRole))
        return m_data->header(section);
    return QAbstractTableModel::headerData(section, orientation, role);
}

Qt::ItemFlags ListDataModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
    if (m_checkBoxes && m_userCheckable && index.column() == m_checkColumn) f |= Qt::ItemIsUserCheckable;
    return f;
}

bool ListDataModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!index.isValid() || role != Qt::CheckStateRole || !m_checkBoxes || index.column() != m_checkColumn)
        return false;
    setRowChecked(index.row(), value.toInt() == Qt::Checked);
    return true;
}

ReportListView::ReportListView(QWidget* parent) : QTableView(parent), m_model(new ListDataModel(&m_data, this)) {
    setModel(m_model);
    setSortingEnabled(false);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setShowGrid(false);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);

    // Fixed row heights keep ten thousand rows cheap: nothing is measured per row.
    QHeaderView* rows = verticalHeader();
    rows->hide();
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setDefaultSectionSize(fontMetrics().height() + 6);

    QHeaderView* header = horizontalHeader();
    header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    header->setSectionsClickable(true);
    header->setHighlightSections(false);
    header->setStretchLastSection(false);
    header->setMinimumSectionSize(4); // narrow columns keep the width they were given
    header->setSectionResizeMode(QHeaderView::Interactive);
    header->setSortIndicatorShown(false);
    connect(header, &QHeaderView::sectionClicked, this, &ReportListView::headerClicked);

    connect(this, &QAbstractItemView::clicked, this, &ReportListView::onClicked);
    connect(this, &QAbstractItemView::doubleClicked, this,
            [this](const QModelIndex& i) { emit rowDoubleClicked(i.row()); });
    connect(m_model, &ListDataModel::checkToggled, this, &ReportListView::checkToggled);
}

void ReportListView::setListData(const ListData& data) {
    m_data = data;
    refresh();
}

void ReportListView::refresh() {
    m_model->reload();
    applyColumnWidths();
}

void ReportListView::refreshCells() {
    m_model->cellsChanged();
}

void ReportListView::applyColumnWidths() {
    const TwipScale scale = ListScale();
    for (int c = 0; c < m_data.columnCount(); ++c) {
        const int twips = m_data.columns[c].widthTwips;
        setColumnHidden(c, twips <= 0);
        if (twips > 0) setColumnWidth(c, std::max(1, scale.toPixelsX(twips)));
    }
}

int ReportListView::columnsWidth() const {
    int width = 0;
    for (int c = 0; c < m_data.columnCount(); ++c)
        if (!isColumnHidden(c)) width += columnWidth(c);
    return width;
}

QSize ReportListView::sizeForColumnsAndRows(int rows) const {
    const int frame = 2 * frameWidth();
    const int scrollBar = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
    return {columnsWidth() + scrollBar + frame,
            horizontalHeader()->sizeHint().height() + rows * verticalHeader()->defaultSectionSize() + frame};
}

void ReportListView::setCheckBoxes(bool on) {
    m_checkBoxes = on;
    m_model->setCheckBoxes(on);
    m_model->reload();
}

void ReportListView::setToggleCheckOnRowClick(bool on) {
    m_toggleOnClick = on;
    // The view toggles itself; a box that also toggled on the same click would cancel it.
    m_model->setUserCheckable(!on);
}

void ReportListView::setRowChecked(int row, bool checked) {
    m_model->setRowChecked(row, checked);
}

void ReportListView::setMultiSelect(bool extended) {
    setSelectionMode(extended ? QAbstractItemView::ExtendedSelection : QAbstractItemView::SingleSelection);
}

int ReportListView::currentRow() const {
    const QModelIndex i = currentIndex();
    return i.isValid() ? i.row() : -1;
}

QList<int> ReportListView::selectedRows() const {
    QList<int> rows;
    if (!selectionModel()) return rows;
    const QModelIndexList picked = selectionModel()->selectedRows();
    rows.reserve(picked.size());
    for (const QModelIndex& i : picked)
        rows.append(i.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

void ReportListView::selectOnlyRow(int row) {
    if (row < 0 || row >= m_data.rowCount()) {
        clearSelection();
        selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
        return;
    }
    // The current cell must be a shown one, or the arrow keys cannot move from it.
    const QModelIndex i = m_model->index(row, firstShownColumn());
    selectionModel()->setCurrentIndex(i, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    scrollTo(i);
}

int ReportListView::firstShownColumn() const {
    for (int c = 0; c < m_data.columnCount(); ++c)
        if (!isColumnHidden(c)) return c;
    return 0;
}

void ReportListView::showSortIndicator(int column, Qt::SortOrder order) {
    horizontalHeader()->setSortIndicatorShown(column >= 0);
    if (column >= 0) horizontalHeader()->setSortIndicator(column, order);
}

void ReportListView::keyPressEvent(QKeyEvent* event) {
    if (m_checkBoxes && event->key() == Qt::Key_Space && event->modifiers() == Qt::NoModifier) {
        const int row = currentRow();
        if (row >= 0) setRowChecked(row, !m_data.rows[row].checked);
        event->accept();
        return;
    }
    const int before = currentRow();
    QTableView::keyPressEvent(event);
    const int after = currentRow();
    if (after != before && after >= 0) emit rowChangedByKeyboard(after);
}

void ReportListView::onClicked(const QModelIndex& index) {
    if (!index.isValid()) return;
    if (m_checkBoxes && m_toggleOnClick) setRowChecked(index.row(), !m_data.rows[index.row()].checked);
    emit rowClicked(index.row());
}

} // namespace vestrel
