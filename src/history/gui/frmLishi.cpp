#include "history/gui/frmLishi.h"

#include "base/Seams.h"
#include "base/Twips.h"
#include "base/gui/WindowGeometry.h"
#include "data/DbResult.h"
#include "history/Headroom.h"
#include "history/PriceCurve.h"
#include "history/SchemeHistory.h"
#include "history/gui/HeadroomView.h"
#include "history/gui/frmQuxian.h"
#include "lists/ListViewFunction.h"
#include "lists/XlsxExport.h"
#include "lists/gui/ExportCommands.h"
#include "lists/gui/ReportListView.h"

#include <QAction>
#include <QCloseEvent>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QResizeEvent>
#include <QScrollBar>
#include <QStyle>
#include <QToolBar>
#include <algorithm>

namespace vestrel {

namespace {

// The ratio list opens tall enough for this many schemes, as far as the screen allows.
constexpr int kOpeningRows = 12;
// Inside the ratio frame, in twips.
constexpr QRect kTonnesLabel(120, 300, 1080, 300);
constexpr QRect kTonnesBox(1200, 240, 735, 390);
constexpr QRect kTonnesUnit(2040, 300, 780, 300);
constexpr QRect kConvertButton(2880, 240, 2400, 390);
constexpr QSize kBusyNote(4200, 600);

const QString kConvert = QStringLiteral("把如下比例转换成吨");
const QString kRestore = QStringLiteral("还原");
const QString kConvertAgain = QStringLiteral("将如下比例转换成吨");

} // namespace

frmLishi::frmLishi(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("frmLishi"));
    setWindowTitle(QStringLiteral("历史配比表"));
    buildControls();
    // No smaller than the layout's minimum, so the ratio list is never pushed out of the window.
    const TwipScale scale = ListScale();
    const HistoryLayout smallest = LayoutHistory(QSize(0, 0), toolbarTwips());
    setMinimumSize(scale.toPixels(QSize(smallest.fraBottom.right() + 100, smallest.fraBottom.bottom() + 60)));
    fitRatioColumns();
    OpenAtSize(this, openingSize());
}

int frmLishi::toolbarTwips() const {
    return qRound(ListScale().toTwipsY(m_toolbar->sizeHint().height()));
}

QSize frmLishi::ratioListChrome() const {
    // What the window adds around the ratio list, from a layout too large for any minimum to apply.
    const QSize large(100000, 100000);
    const HistoryLayout l = LayoutHistory(large, toolbarTwips());
    return large - l.lsvBottom.size();
}

QSize frmLishi::openingSize() const {
    const TwipScale scale = ListScale();
    const QSize list = m_lsvBottom->sizeForColumnsAndRows(kOpeningRows) + scale.toPixels(ratioListChrome());
    return scale.toPixels(HistoryDesignInside()).expandedTo(list);
}

void frmLishi::fitRatioColumns() {
    // 价格, the last column, stays in sight on a screen narrower than the columns were chosen for.
    const TwipScale scale = ListScale();
    const int inside = OpeningSize(QSize(1 << 20, 1 << 20)).width();
    const int beside = m_lsvBottom->sizeForColumnsAndRows(0).width() - m_lsvBottom->columnsWidth();
    // Less a pixel for every two columns, which may each round up.
    const int room = inside - beside - scale.toPixelsX(ratioListChrome().width()) - kRatioColumnCount / 2;
    FitRatioColumns(m_lsvBottom->listData(), qRound(scale.toTwipsX(room)));
    m_lsvBottom->applyColumnWidths();
}

void frmLishi::buildControls() {
    m_toolbar = new QToolBar(this);
    m_toolbar->setObjectName(QStringLiteral("Toolbar1"));
    m_toolbar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    m_toolbar->setMovable(false);
    const struct {
        int position;
        const char16_t* caption;
        QStyle::StandardPixmap icon;
    } buttons[] = {{2, u"删除方案", QStyle::SP_TrashIcon},
                   {3, u"导出普通", QStyle::SP_FileIcon},
                   {4, u"导出Excel", QStyle::SP_DialogSaveButton}};
    for (const auto& b : buttons) {
        QAction* action = m_toolbar->addAction(style()->standardIcon(b.icon), QString::fromUtf16(b.caption));
        action->setObjectName(QStringLiteral("Toolbar1_%1").arg(b.position));
        const int position = b.position;
        connect(action, &QAction::triggered, this, [this, position] { Toolbar1_ButtonClick(position); });
    }
    QAction* headroom = m_toolbar->addAction(QStringLiteral("指标余量"), this, &frmLishi::showHeadroom);
    headroom->setObjectName(QStringLiteral("Toolbar1_yuliang"));
    QAction* curve = m_toolbar->addAction(QStringLiteral("价格曲线"), this, &frmLishi::showPriceCurve);
    curve->setObjectName(QStringLiteral("Toolbar1_quxian"));
    m_toolbar->addAction(QStringLiteral("指标价格"), this, &frmLishi::showLimitPrices)
        ->setObjectName(QStringLiteral("Toolbar1_zhibiaojiage"));
    m_toolbar->addAction(QStringLiteral("按当前价格重算"), this, &frmLishi::repriceSet)
        ->setObjectName(QStringLiteral("Toolbar1_chongsuan"));
    m_toolbar->addAction(QStringLiteral("比较方案"), this, &frmLishi::compareSets)
        ->setObjectName(QStringLiteral("Toolbar1_bijiao"));

    const auto frame = [this](const char* name, const char16_t* caption) {
        auto* box = new QGroupBox(QString::fromUtf16(caption), this);
        box->setObjectName(QLatin1String(name));
        return box;
    };
    const auto list = [](QWidget* parent, const char* name) {
        auto* view = new ReportListView(parent);
        view->setObjectName(QLatin1String(name));
        return view;
    };

    m_fraLeft = frame("fraLeft", u"历史配比方案");
    m_lsvLeft = list(m_fraLeft, "lsvLeft");
    m_lsvLeft->setMultiSelect(true);
    m_lsvLeft->horizontalHeader()->setSectionsClickable(false);
    connect(m_lsvLeft, &ReportListView::rowClicked, this, &frmLishi::lsvLeft_Click);
    connect(m_lsvLeft, &ReportListView::rowChangedByKeyboard, this, &frmLishi::lsvLeft_Click);

    m_fraTop = frame("fraTop", u"要达到的精煤指标");
    m_lbZhibiao = new QLabel(m_fraTop);
    m_lbZhibiao->setObjectName(QStringLiteral("lbZhibiao"));
    m_lbZhibiao->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_lbZhibiao->setWordWrap(true);
    m_lbZhibiao->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    m_fraMid = frame("fraMid", u"参与的煤种");
    m_lsvMid = list(m_fraMid, "lsvMid");
    m_lsvMid->horizontalHeader()->setSectionsClickable(false);

    m_fraBottom = frame("fraBottom", u"配比方案");
    m_lbTonnes = new QLabel(QStringLiteral("配多少吨："), m_fraBottom);
    m_lbTonnes->setObjectName(QStringLiteral("Label1"));
    const TwipScale scale = ListScale();
    m_lbTonnes->setGeometry(scale.toPixels(kTonnesLabel));
    m_txtZhongliang = new QLineEdit(m_fraBottom);
    m_txtZhongliang->setObjectName(QStringLiteral("txtZhongliang"));
    m_txtZhongliang->setGeometry(scale.toPixels(kTonnesBox));
    m_lbJingmei = new QLabel(QStringLiteral("吨精煤"), m_fraBottom);
    m_lbJingmei->setObjectName(QStringLiteral("Label2"));
    m_lbJingmei->setGeometry(scale.toPixels(kTonnesUnit));
    m_command1 = new QPushButton(kConvert, m_fraBottom);
    m_command1->setObjectName(QStringLiteral("Command1"));
    m_command1->setGeometry(scale.toPixels(kConvertButton));
    m_command1->setAutoDefault(false);
    connect(m_command1, &QPushButton::clicked, this, &frmLishi::Command1_Click);
    m_lsvBottom = list(m_fraBottom, "lsvBottom");
    connect(m_lsvBottom, &ReportListView::headerClicked, this, &frmLishi::lsvBottom_ColumnClick);

    m_picLOAD = new QLabel(QStringLiteral("正在处理数据，请稍候......"), this);
    m_picLOAD->setObjectName(QStringLiteral("picLOAD"));
    m_picLOAD->setAlignment(Qt::AlignCenter);
    m_picLOAD->setFrameShape(QFrame::Box);
    m_picLOAD->setAutoFillBackground(true);
    m_picLOAD->resize(scale.toPixels(kBusyNote));
    m_picLOAD->hide();

    SetSchemeSetColumns(m_lsvLeft->listData());
    SetLotColumns(m_lsvMid->listData());
    SetRatioColumns(m_lsvBottom->listData());
    m_lsvBottom->refresh();
}

void frmLishi::Form_Load() {
    SetSchemeSetColumns(m_lsvLeft->listData());
    SetLotColumns(m_lsvMid->listData());
    SetRatioColumns(m_lsvBottom->listData());
    m_lsvMid->listData().rows.clear();
    m_lsvBottom->listData().rows.clear();
    m_lsvMid->refresh();
    m_lsvBottom->refresh();
    fitRatioColumns();
    reloadSets(0); // the newest set is the selected one
}

void frmLishi::reloadSets(qint64 selectId) {
    ListData& left = m_lsvLeft->listData();
    const DbStatus listed = FillSchemeSetRows(left);
    m_lsvLeft->refresh();
    Form_Resize();
    if (!listed) showDbError(listed.error());

    int row = 0;
    for (int r = 0; r < left.rowCount(); ++r)
        if (left.cell(r, 0).toLongLong() == selectId) row = r;
    if (left.rowCount() == 0) {
        clearDetails();
        return;
    }
    m_lsvLeft->selectOnlyRow(row);
    lsvLeft_Click();
}

void frmLishi::Form_Resize() {
    const TwipScale scale = ListScale();
    const HistoryLayout l = LayoutHistory(scale.toTwips(size()), toolbarTwips());
    m_toolbar->setGeometry(0, 0, width(), m_toolbar->sizeHint().height());
    m_fraLeft->setGeometry(scale.toPixels(l.fraLeft));
    m_lsvLeft->setGeometry(scale.toPixels(l.lsvLeft));
    m_fraTop->setGeometry(scale.toPixels(l.fraTop));
    m_lbZhibiao->setGeometry(scale.toPixels(l.lbZhibiao));
    m_fraMid->setGeometry(scale.toPixels(l.fraMid));
    m_lsvMid->setGeometry(scale.toPixels(l.lsvMid));
    m_fraBottom->setGeometry(scale.toPixels(l.fraBottom));
    m_lsvBottom->setGeometry(scale.toPixels(l.lsvBottom));

    // The two visible columns share the list's width, leaving room for a scroll bar so that no horizontal
    // one appears.
    const int usable = m_lsvLeft->maximumViewportSize().width() -
                       m_lsvLeft->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, m_lsvLeft);
    const auto [nameWidth, dateWidth] = SchemeSetColumnWidths(qRound(scale.toTwipsX(usable)));
    ListData& left = m_lsvLeft->listData();
    if (left.columnCount() >= 3) {
        left.columns[0].widthTwips = 0;
        left.columns[1].widthTwips = nameWidth;
        left.columns[2].widthTwips = dateWidth;
        m_lsvLeft->applyColumnWidths();
    }
}

void frmLishi::lsvLeft_Click() {
    const ListData& left = m_lsvLeft->listData();
    if (left.rowCount() == 0) return;
    int row = m_lsvLeft->currentRow();
    const QList<int> selected = m_lsvLeft->selectedRows();
    if (!selected.contains(row)) row = selected.isEmpty() ? -1 : selected.first();
    if (row < 0) return; // nothing selected: the detail panes stay as they are

    m_currentSchemeId = left.cell(row, 0).toLongLong();
    const DbResult<std::optional<QString>> targets = LoadSchemeTargets(m_currentSchemeId);
    if (targets && *targets) {
        m_lbZhibiao->setText(**targets);
        m_lbZhibiao->setToolTip(**targets); // a long text is cut at the label's edge
    }
    DbStatus status = targets ? DbStatus() : DbError{targets.error()};
    ListData& mid = m_lsvMid->listData();
    ListData& bottom = m_lsvBottom->listData();
    if (status) {
        status = FillLotRows(mid, LotsOfSetSql(), {m_currentSchemeId});
    } else {
        mid.rows.clear();
    }
    NameRatioColumns(bottom, LotNames(mid));
    if (status) {
        status = FillRatioRows(bottom, RatiosOfSetSql(), {m_currentSchemeId});
    } else {
        bottom.rows.clear();
    }
    applySort();
    m_lsvMid->refresh();
    m_lsvBottom->refresh();
    m_command1->setText(kConvert);
    if (!status) showDbError(status.error());
}

void frmLishi::Command1_Click() {
    const QString tonnage = m_txtZhongliang->text();
    if (tonnage.isEmpty()) {
        showMessage(QStringLiteral("您要配多少吨，请先填写"));
        return;
    }
    ListData& bottom = m_lsvBottom->listData();
    if (bottom.rowCount() == 0) return;

    if (m_command1->text() != kRestore) {
        const std::optional<qint32> tonnes = TonnageFromText(tonnage);
        if (!tonnes) {
            showMessage(QStringLiteral("请将配多少吨煤填写成数字！"));
            return;
        }
        ConvertSharesToTonnes(bottom, m_lsvMid->listData().rowCount(), *tonnes);
        m_lsvBottom->refreshCells();
        m_command1->setText(kRestore);
        return;
    }

    const DbStatus refilled = refillRatios();
    m_lsvBottom->refresh();
    if (!refilled) {
        showDbError(refilled.error());
        return;
    }
    m_command1->setText(kConvertAgain);
}

DbStatus frmLishi::refillRatios() {
    const DbStatus filled = FillRatioRows(m_lsvBottom->listData(), RatiosOfSetSql(), {m_currentSchemeId});
    applySort();
    return filled;
}

void frmLishi::lsvBottom_ColumnClick(int column) {
    m_sortOrder = m_sortOrder == Qt::AscendingOrder ? Qt::DescendingOrder : Qt::AscendingOrder;
    m_sortColumn = column;
    m_sorted = true;
    applySort();
    m_lsvBottom->refresh();
}

void frmLishi::applySort() {
    if (!m_sorted) return;
    // A sorted list stays sorted when it is filled again, like the list control it stands for.
    SortListRows(m_lsvBottom->listData(), m_sortColumn, m_sortOrder);
    m_lsvBottom->showSortIndicator(m_sortColumn, m_sortOrder);
}

void frmLishi::Toolbar1_ButtonClick(int position) {
    switch (position) {
    case 2:
        deleteSchemes();
        break;
    case 3:
        exportHtml();
        break;
    case 4:
        exportExcel();
        break;
    default:
        break;
    }
}

void frmLishi::deleteSchemes() {
    ListData& left = m_lsvLeft->listData();
    if (left.rowCount() == 0) return;
    const QList<int> selected = m_lsvLeft->selectedRows();
    if (selected.isEmpty()) return;
    if (showMessage(QStringLiteral("确定要删除此方案吗？"), QString(), MsgIcon::None, MsgButtons::OkCancel) !=
        MsgResult::Ok)
        return;

    QList<qint64> ids;
    for (int row : selected)
        ids.append(left.cell(row, 0).toLongLong());
    const DbStatus deleted = DeleteSchemeSets(ids);
    if (!deleted) {
        showDbError(deleted.error()); // nothing was deleted; the list stays as it was
        return;
    }
    for (auto it = selected.crbegin(); it != selected.crend(); ++it)
        left.rows.removeAt(*it);
    m_lsvLeft->refresh();
    clearDetails();
    lsvLeft_Click();
}

void frmLishi::clearDetails() {
    m_lsvMid->listData().rows.clear();
    m_lsvBottom->listData().rows.clear();
    m_lsvMid->refresh();
    m_lsvBottom->refresh();
    m_lbZhibiao->setText(QString());
    m_lbZhibiao->setToolTip(QString());
    m_currentSchemeId = 0;
}

void frmLishi::exportHtml() {
    ExportHistory(*this, ExportKind::Html);
}

void frmLishi::exportExcel() {
    ExportHistory(*this, ExportKind::Excel);
}

const ListData& frmLishi::leftList() const {
    return m_lsvLeft->listData();
}
const ListData& frmLishi::midList() const {
    return m_lsvMid->listData();
}
const ListData& frmLishi::bottomList() const {
    return m_lsvBottom->listData();
}
QString frmLishi::zhibiaoText() const {
    return m_lbZhibiao->text();
}

void frmLishi::setBusyNoticeVisible(bool visible) {
    if (visible) {
        m_picLOAD->move((width() - m_picLOAD->width()) / 2, height() / 2 - m_picLOAD->height());
        m_picLOAD->raise();
        m_picLOAD->show();
        m_picLOAD->repaint(); // the export runs without returning to the event loop
    } else {
        m_picLOAD->hide();
    }
}

void frmLishi::closeEvent(QCloseEvent* event) {
    QWidget::closeEvent(event);
    m_closing = event->isAccepted();
}

void frmLishi::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    Form_Resize();
}

bool ExportHistory(frmLishi& window, ExportKind kind) {
    const SchemeExportData data{window.zhibiaoText(), &window.midList(), &window.bottomList()};
    if (kind == ExportKind::Html)
        return RunExportCommand(ExportSource::History, kind,
                                [&](const QString& path) { return ExportSchemeHtml(data, path); });
    return RunExportCommand(
        ExportSource::History, kind, [&](const QString& path) { return ExportSchemeExcel(data, path); },
        [&](bool visible) { window.setBusyNoticeVisible(visible); },
        [&](const QString& path) { return ExportSchemeXlsx(data, path); });
}

void frmLishi::showHeadroom() {
    const ListData& ratios = m_lsvBottom->listData();
    const int row = m_lsvBottom->currentRow();
    bool ok = false;
    const qint64 schemeId = ratios.cell(row, 0).toLongLong(&ok);
    if (!ok) {
        showMessage(QStringLiteral("请先选择一个配比方案。"));
        return;
    }
    const DbResult<Headroom> headroom = LoadHeadroom(schemeId);
    if (!headroom) {
        showReadFailure(headroom.error());
        return;
    }
    auto* view = new HeadroomView(this);
    view->setWindowFlag(Qt::Window);
    view->setAttribute(Qt::WA_DeleteOnClose);
    view->setWindowTitle(QStringLiteral("指标余量"));
    view->setHeadroom(*headroom);
    view->resize(view->sizeHint());
    view->show();
}

void frmLishi::showPriceCurve() {
    if (m_currentSchemeId == 0) {
        showMessage(QStringLiteral("请先选择一个历史配比方案。"));
        return;
    }
    const DbResult<PriceCurve> curve = LoadPriceCurve(m_currentSchemeId);
    if (!curve) {
        showReadFailure(curve.error());
        return;
    }
    (new frmQuxian(*curve, this))->show();
}

} // namespace vestrel
