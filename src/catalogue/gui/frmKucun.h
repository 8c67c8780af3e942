#pragma once

#include "catalogue/Catalogue.h"
#include "lists/Export.h"

#include <QWidget>

class QAction;
class QLabel;
class QLineEdit;
class QPushButton;
class QToolBar;

namespace vestrel {

class ReportListView;

// The catalogue window: the lot list with search, sort, add, edit, delete and the export commands.
class frmKucun : public QWidget {
    Q_OBJECT
public:
    explicit frmKucun(QWidget* parent = nullptr);

    // Counts the lots, sets up the columns and lists every lot. False when the database failed (shown).
    bool Form_Load();
    // Refills the list under the current query (an active search stays) and recounts the catalogue.
    bool addLIST();
    bool HasCheckedItems() const;

    // For the export commands: the list as shown (current order and search), and the two panels.
    const ListData& listData() const;
    ReportListView* listView() const { return m_list; }
    QWidget* picLeft() const { return m_left; }
    QWidget* picLoad() const { return m_load; }

    bool closing() const { return m_closing; }

public slots:
    void cmdSearch_Click();
    // "显示全部": ends the search and lists every lot again.
    void cmdAll_Click();
    // Buttons by position, 1 to 8.
    void Toolbar1_ButtonClick(int button);
    void ListView1_ColumnClick(int column);
    // Button 5 "导出Excel": asks for the workbook, shows picLoad() while writing it. Wired by the export code.
    void exportExcel();
    // Button 6 "导出普通": asks for the HTML page and writes it. Wired by the export code.
    void exportHtml();
    // Button 8 "导入焦炭": asks for a CSV, .xls or .xlsx file and opens the import preview on it.
    void importLots();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void deleteChecked();
    void applyLayout();

    QToolBar* m_toolbar = nullptr;
    QWidget* m_search = nullptr;
    QLineEdit* m_searchText = nullptr;
    QWidget* m_left = nullptr;
    QLabel* m_count = nullptr;
    ReportListView* m_list = nullptr;
    QWidget* m_load = nullptr;

    LotQuery m_query;
    int m_sortColumn = -1;
    Qt::SortOrder m_sortOrder = Qt::AscendingOrder;
    CatalogueLayout m_layout;
    bool m_closing = false;
};

// Catalogue buttons 5 (Excel) and 6 (HTML): the lot list as shown.
bool ExportCatalogue(frmKucun& window, ExportKind kind);

} // namespace vestrel
