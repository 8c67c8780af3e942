#include "catalogue/gui/frmKucun.h"

#include "base/Seams.h"
#include "base/Twips.h"
#include "base/gui/WindowGeometry.h"
#include "base/gui/WindowHub.h"
#include "catalogue/DaoFunction.h"
#include "catalogue/LotImport.h"
#include "catalogue/gui/frmImport.h"
#include "data/DbResult.h"
#include "lists/ListViewFunction.h"
#include "lists/XlsxExport.h"
#include "lists/gui/ExportCommands.h"
#include "lists/gui/ReportListView.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolBar>
#include <QVBoxLayout>

namespace vestrel {

namespace {

// The busy note over the list, in twips.
constexpr QSize kBusyNote(4200, 900);

} // namespace

frmKucun::frmKucun(QWidget* parent) : QWidget(parent, Qt::Window), m_layout(CatalogueDesignLayout()) {
    setObjectName(QStringLiteral("frmKucun"));
    setWindowTitle(QStringLiteral("焦炭库存"));

    m_toolbar = new QToolBar(this);
    m_toolbar->setObjectName(QStringLiteral("Toolbar1"));
    m_toolbar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    const char16_t* captions[] = {nullptr,      u"添加焦炭", u"编辑焦炭", u"删除焦炭",
                                  u"导出Excel", u"导出普通", nullptr,     u"导入焦炭"};
    for (int button = 1; button <= 8; ++button) {
        const char16_t* caption = captions[button - 1];
        QAction* a = caption ? m_toolbar->addAction(QString::fromUtf16(caption)) : m_toolbar->addSeparator();
        a->setObjectName(QStringLiteral("Toolbar1_%1").arg(button));
        connect(a, &QAction::triggered, this, [this, button] { Toolbar1_ButtonClick(button); });
    }
    m_toolbar
        ->addAction(QStringLiteral("评估报价"), this,
                    [this] {
                        const QList<int> selected = m_list->selectedRows();
                        if (selected.isEmpty()) {
                            showMessage(QStringLiteral("请选择您要评估的焦炭"));
                            return;
                        }
                        bool ok = false;
                        const qint32 id = m_list->listData().rows[selected.first()].text.toInt(&ok);
                        if (ok) hub::showBreakEvenOfLot(id);
                    })
        ->setObjectName(QStringLiteral("Toolbar1_baojia"));
    m_toolbar->addAction(QStringLiteral("新报价…"), this, [] { hub::showOfferWindow(); })
        ->setObjectName(QStringLiteral("Toolbar1_xinbaojia"));

    m_search = new QFrame(this);
    m_search->setObjectName(QStringLiteral("Picture1"));
    auto* searchLayout = new QHBoxLayout(m_search);
    searchLayout->setContentsMargins(0, 0, 0, 0);
    m_searchText = new QLineEdit(m_search);
    m_searchText->setObjectName(QStringLiteral("txtSearch"));
    auto* searchButton = new QPushButton(QStringLiteral("查找"), m_search);
    searchButton->setObjectName(QStringLiteral("cmdSearch"));
    auto* allButton = new QPushButton(QStringLiteral("显示全部"), m_search);
    allButton->setObjectName(QStringLiteral("cmdAll"));
    searchLayout->addWidget(m_searchText, 1);
    searchLayout->addWidget(searchButton);
    searchLayout->addWidget(allButton);
    connect(searchButton, &QPushButton::clicked, this, &frmKucun::cmdSearch_Click);
    connect(allButton, &QPushButton::clicked, this, &frmKucun::cmdAll_Click);
    connect(m_searchText, &QLineEdit::returnPressed, this, &frmKucun::cmdSearch_Click);

    auto* left = new QFrame(this);
    left->setObjectName(QStringLiteral("PicLEFT"));
    left->setFrameShape(QFrame::StyledPanel);
    m_left = left;
    auto* leftLayout = new QVBoxLayout(m_left);
    auto* heading = new QLabel(QStringLiteral("统计信息"), m_left);
    QFont bold = heading->font();
    bold.setBold(true);
    heading->setFont(bold);
    leftLayout->addWidget(heading);
    auto* countRow = new QHBoxLayout;
    countRow->addWidget(new QLabel(QStringLiteral("共计："), m_left));
    m_count = new QLabel(m_left);
    m_count->setObjectName(QStringLiteral("labCONUT"));
    countRow->addWidget(m_count, 1);
    leftLayout->addLayout(countRow);
    leftLayout->addWidget(new QLabel(QStringLiteral("原煤"), m_left));
    leftLayout->addWidget(new QLabel(QStringLiteral("精煤"), m_left));
    leftLayout->addStretch(1);

    m_list = new ReportListView(this);
    m_list->setObjectName(QStringLiteral("ListView1"));
    m_list->setCheckBoxes(true);
    connect(m_list, &ReportListView::headerClicked, this, &frmKucun::ListView1_ColumnClick);

    auto* load = new QFrame(this);
    load->setObjectName(QStringLiteral("picLOAD"));
    load->setFrameShape(QFrame::Box);
    load->setAutoFillBackground(true);
    auto* loadLayout = new QVBoxLayout(load);
    loadLayout->addWidget(new QLabel(QStringLiteral("正在处理数据，请稍候......"), load), 0, Qt::AlignCenter);
    load->hide();
    m_load = load;

    // Opens wide enough to show every column, 库存 and 价格 included, beside the left panel.
    SetLotColumns(m_list->listData());
    m_list->refresh();
    const TwipScale scale = ListScale();
    const QSize design = scale.toPixels(CatalogueDesignInside());
    const int columns = scale.toPixelsX(CatalogueDesignLayout().list.left()) + m_list->sizeForColumnsAndRows(0).width();
    OpenAtSize(this, QSize(std::max(design.width(), columns), design.height()));
    applyLayout();
}

bool frmKucun::Form_Load() {
    SetLotColumns(m_list->listData());
    m_query = AllLotsQuery();
    return addLIST();
}

bool frmKucun::addLIST() {
    // Lets the window paint before a long refill, without taking new clicks meanwhile.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    ListData& data = m_list->listData();
    DbStatus status = FillLotRows(data, m_query.sql, m_query.binds);
    // A chosen sort order survives refills, like a sorted list control keeps its items sorted.
    if (status && m_sortColumn >= 0) SortListRows(data, m_sortColumn, m_sortOrder);
    m_list->refresh();
    // The count is of the whole catalogue, whatever the search shows.
    if (status) {
        const DbResult<qint64> count = CountMeitan();
        if (count)
            m_count->setText(LotCountCaption(*count));
        else
            status = DbError{count.error()};
    }
    if (!status) showDbError(status.error());
    return status.ok();
}

bool frmKucun::HasCheckedItems() const {
    return vestrel::HasCheckedItems(m_list->listData());
}

const ListData& frmKucun::listData() const {
    return m_list->listData();
}

void frmKucun::cmdSearch_Click() {
    const QString text = m_searchText->text();
    if (IsBlankSearch(text)) {
        showMessage(QStringLiteral("请输入要查找的煤名称！"), QStringLiteral("提示"), MsgIcon::Exclamation);
        m_searchText->setFocus();
        return;
    }
    m_query = NameSearchQuery(text);
    addLIST();
}

void frmKucun::cmdAll_Click() {
    m_searchText->clear();
    m_query = AllLotsQuery();
    addLIST();
}

void frmKucun::Toolbar1_ButtonClick(int button) {
    switch (button) {
    case 2:
        hub::showEntryForm(0);
        break;
    case 3: {
        if (m_list->listData().rowCount() == 0) return;
        const QList<int> selected = m_list->selectedRows();
        if (selected.isEmpty()) {
            showMessage(QStringLiteral("请选择您要编辑的项"));
            return;
        }
        const int row = selected.first();
        bool ok = false;
        const qint32 id = m_list->listData().rows[row].text.toInt(&ok);
        if (ok) hub::showEntryForm(id);
        break;
    }
    case 4:
        deleteChecked();
        break;
    case 5:
        exportExcel();
        break;
    case 6:
        exportHtml();
        break;
    case 8:
        importLots();
        break;
    default:
        break;
    }
}

void frmKucun::deleteChecked() {
    if (m_list->listData().rowCount() == 0) return;
    if (showMessage(QStringLiteral("确认要删除吗？"), {}, MsgIcon::None, MsgButtons::OkCancel) != MsgResult::Ok) return;
    if (!HasCheckedItems()) {
        showMessage(QStringLiteral("请选择您要删除的项"));
        return;
    }
    // All checked lots or none: a failure part-way must not leave half of them deleted.
    if (const DbStatus deleted = DeleteMeis(CheckedLotIds(m_list->listData())); !deleted) {
        showDbError(deleted.error());
        return;
    }
    addLIST();
}

void frmKucun::ListView1_ColumnClick(int column) {
    m_sortOrder = m_sortOrder == Qt::AscendingOrder ? Qt::DescendingOrder : Qt::AscendingOrder;
    m_sortColumn = column;
    SortListRows(m_list->listData(), m_sortColumn, m_sortOrder);
    m_list->refresh();
    m_list->showSortIndicator(m_sortColumn, m_sortOrder);
}

void frmKucun::exportExcel() {
    ExportCatalogue(*this, ExportKind::Excel);
}

void frmKucun::exportHtml() {
    ExportCatalogue(*this, ExportKind::Html);
}

void frmKucun::importLots() {
    FileDialogRequest request;
    request.kind = FileDialogRequest::Kind::Open;
    request.title = QStringLiteral("导入焦炭");
    request.filter = QStringLiteral("表格文件 (*.csv *.xls *.xlsx)|*.csv *.xls *.xlsx");
    const QString path = interaction().fileDialog(request);
    if (path.isEmpty()) return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const LotFile file = ReadLotFile(path);
    QApplication::restoreOverrideCursor();
    if (!file.error.isEmpty()) {
        showMessage(file.error, {}, MsgIcon::Exclamation);
        return;
    }
    auto* preview = new frmImport(file, this);
    preview->setAttribute(Qt::WA_DeleteOnClose);
    connect(preview, &frmImport::imported, this, &frmKucun::addLIST);
    preview->open();
}

void frmKucun::applyLayout() {
    const TwipScale scale = ListScale();
    m_layout = ResizeCatalogue(m_layout, scale.toTwips(size()));
    m_toolbar->setGeometry(scale.toPixels(m_layout.toolbar));
    m_search->setGeometry(scale.toPixels(m_layout.search));
    m_left->setGeometry(scale.toPixels(m_layout.left));
    m_list->setGeometry(scale.toPixels(m_layout.list));
    const QSize note = scale.toPixels(kBusyNote);
    const QRect list = m_list->geometry();
    m_load->setGeometry(QRect(list.center() - QPoint(note.width() / 2, note.height() / 2), note));
    m_search->raise();
    m_load->raise();
}

void frmKucun::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    applyLayout();
}

void frmKucun::closeEvent(QCloseEvent* event) {
    QWidget::closeEvent(event);
    m_closing = event->isAccepted();
}

bool ExportCatalogue(frmKucun& window, ExportKind kind) {
    const ListData& list = window.listData();
    if (kind == ExportKind::Html)
        return RunExportCommand(ExportSource::Catalogue, kind,
                                [&](const QString& path) { return ExportListHtml(list, path); });
    return RunExportCommand(
        ExportSource::Catalogue, kind, [&](const QString& path) { return ExportListExcel(list, path); },
        [&](bool visible) {
            QWidget* notice = window.picLoad();
            if (!notice) return;
            if (!visible) {
                notice->hide();
                return;
            }
            // Centred over the list, to the right of the left panel.
            const int left = window.picLeft() ? window.picLeft()->width() : 0;
            notice->move((window.width() + left - notice->width()) / 2, window.height() / 2 - notice->height());
            notice->raise();
            notice->show();
            notice->repaint(); // the export runs without returning to the event loop
        },
        [&](const QString& path) { return ExportListXlsx(list, path); });
}

} // namespace vestrel
