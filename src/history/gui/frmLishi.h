#pragma once
// The history window: the newest scheme sets, and for the selected one its targets, its lots and its ratio
// schemes, with the tonnes conversion, deleting sets and the export commands.

#include "data/DbResult.h"
#include "lists/Export.h"
#include "lists/ListData.h"

#include <QWidget>

class QAction;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QToolBar;

namespace vestrel {

class ReportListView;

class frmLishi : public QWidget {
    Q_OBJECT
public:
    explicit frmLishi(QWidget* parent = nullptr);

    // Event handlers, public so the hub and tests can drive them.
    void Form_Load();
    void Form_Resize();
    // Lists the newest sets again from the database and shows the set `selectId`, or the newest one when it is
    // not listed (after a run stored a set, after a restore).
    void reloadSets(qint64 selectId);
    void lsvLeft_Click();
    void Command1_Click();
    void lsvBottom_ColumnClick(int column);
    // Tool bar buttons by position: 2 delete, 3 HTML export, 4 Excel export; others do nothing.
    void Toolbar1_ButtonClick(int position);

    // What the exports read: the lists as shown (sorted, converted) and the targets text.
    const ListData& leftList() const;
    const ListData& midList() const;
    const ListData& bottomList() const;
    QString zhibiaoText() const;
    // The set the detail panes show (0 when none).
    qint64 currentSchemeId() const { return m_currentSchemeId; }
    bool closing() const { return m_closing; }

    // The busy notice "正在处理数据，请稍候......", centred as the Excel export wants it.
    void setBusyNoticeVisible(bool visible);
    QLabel* busyNotice() const { return m_picLOAD; }

public slots:
    // "指标余量": the selected scheme against its set's limits, with the lots' shares, in a window of its own.
    void showHeadroom();
    // "价格曲线": the shown set's least price for every k against the cheapest fractional blend.
    void showPriceCurve();
    // Button 3 "导出普通": asks for an HTML file and writes the shown set.
    void exportHtml();
    // Button 4 "导出Excel": asks for a workbook and writes the shown set.
    void exportExcel();
    // Button 2 "删除方案": deletes every selected set after one confirmation.
    void deleteSchemes();
    // "指标价格": what one step of each limit of the shown set saves or costs per tonne at k = 100.
    void showLimitPrices();
    // "按当前价格重算": the shown set again with today's catalogue values, stored as a new set.
    void repriceSet();
    // "比较方案": the two selected sets side by side.
    void compareSets();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    // "读取方案失败：" and why.
    static void showReadFailure(const QString& reason);
    void buildControls();
    int toolbarTwips() const;
    QSize ratioListChrome() const;
    QSize openingSize() const;
    void fitRatioColumns();
    void clearDetails();
    DbStatus refillRatios();
    void applySort();

    QToolBar* m_toolbar = nullptr;
    QGroupBox* m_fraLeft = nullptr;
    QGroupBox* m_fraTop = nullptr;
    QGroupBox* m_fraMid = nullptr;
    QGroupBox* m_fraBottom = nullptr;
    ReportListView* m_lsvLeft = nullptr;
    ReportListView* m_lsvMid = nullptr;
    ReportListView* m_lsvBottom = nullptr;
    QLabel* m_lbZhibiao = nullptr;
    QLabel* m_lbTonnes = nullptr;
    QLabel* m_lbJingmei = nullptr;
    QLineEdit* m_txtZhongliang = nullptr;
    QPushButton* m_command1 = nullptr;
    QLabel* m_picLOAD = nullptr;

    qint64 m_currentSchemeId = 0;
    bool m_closing = false;
    // The ratio list's sort: off until a header is clicked, then kept for every refill.
    bool m_sorted = false;
    int m_sortColumn = 0;
    Qt::SortOrder m_sortOrder = Qt::AscendingOrder;
};

// History buttons 3 (HTML) and 4 (Excel): the shown set as the lists show it.
bool ExportHistory(frmLishi& window, ExportKind kind);

} // namespace vestrel
