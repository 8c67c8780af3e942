#include "blending/gui/BlendingGrid.h"

#include "base/Twips.h"
#include "base/gui/WindowGeometry.h"
#include "base/gui/WindowHub.h"
#include "blending/BlendingTexts.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QToolBar>

namespace vestrel {

namespace {

// Design geometry in twips; cell columns start 720 twips apart.
constexpr int kPitch = 720;
constexpr int kCellWidth = kGridCellWidthTwips;
constexpr int kToolbarHeight = 450;
constexpr int kHeaderTop = 510;
constexpr int kHeaderHeight = 270;
constexpr int kFirstRowTop = 810;
constexpr int kRowPitch = 360;
constexpr int kRowHeight = kGridCellHeightTwips;
constexpr int kMainLeft = 720; // room for the must-use boxes
constexpr int kCalcLeft = 120;
constexpr int kEdge = 60;          // the must-use boxes and the notes keep off the left edge
constexpr int kMustUseWidth = 630; // a box with its row number
constexpr int kDeleteWidth = 660;  // the delete buttons, after the last cell
constexpr int kChkAllWidth = 6000;
constexpr int kNoteHeight = 270; // one line of text under the grid
constexpr int kNotePitch = 300;
constexpr int kGridBottom = kFirstRowTop + kGridRows * kRowPitch;

struct ScreenColumn {
    GridCell cell;
    const char* box;
    const char16_t* mainHeader;
    const char16_t* calcHeader;
};

// Left to right on screen: the name, the indices in the order of the set, stock and price.
const std::array<ScreenColumn, kGridCells>& columns() {
    static const std::array<ScreenColumn, kGridCells> list = [] {
        std::array<ScreenColumn, kGridCells> l{};
        l[0] = {CellName, "txtMingcheng", u"焦名称*", u"煤名称"};
        for (int s = 0; s < kIndexCount; ++s) {
            const int x = SummaryOrder()[size_t(s)];
            const PanelIndex& index = PanelIndices()[size_t(x)];
            l[size_t(s + 1)] = {IndexCell(x), index.gridBox, index.gridHeader, index.gridHeader};
        }
        l[kGridCells - 2] = {CellStock, "txtKuCun", u"库存吨", u"配比"};
        l[kGridCells - 1] = {CellPrice, "txtJiage", u"价格*", u"价格"};
        return l;
    }();
    return list;
}

QString indexed(const char* name, int index) {
    return QLatin1String(name) + u'_' + QString::number(index);
}

QLabel* makeLabel(QWidget* parent, const QString& name, const QString& text, const QRect& twips) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setGeometry(GridScale().toPixels(twips));
    return label;
}

} // namespace

BlendingGrid::BlendingGrid(GridHost host, QWidget* parent) : QWidget(parent), m_host(host) {
    setObjectName(QStringLiteral("BlendingGrid"));
    const bool main = host == GridHost::Main;
    const TwipScale scale = GridScale();
    const int left = main ? kMainLeft : kCalcLeft;
    const int width = left + kGridCells * kPitch + kPitch;

    m_toolbar = new QToolBar(this);
    m_toolbar->setObjectName(QStringLiteral("tbrMenu"));
    m_toolbar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    m_toolbar->setMovable(false);
    m_toolbar->setGeometry(scale.toPixels(QRect(0, 0, width, kToolbarHeight)));
    const QString selectTip = QStringLiteral("从仓库中选择煤种导入下面的列表");
    const QString clearTip = QStringLiteral("将下面列表内的数据全部清空");
    const QString startTip = QStringLiteral("点击配煤");
    const struct {
        QString caption;
        QString tip;
    } buttons[] = {
        {{}, {}},
        {main ? QStringLiteral("选焦配比") : QStringLiteral("选焦混合"), selectTip},
        {QStringLiteral("清空列表"), clearTip},
        {main ? QStringLiteral("开始配煤") : QStringLiteral("计算指标"), startTip},
    };
    for (int i = 0; i < 4; ++i) {
        QAction* action = m_toolbar->addAction(buttons[i].caption);
        action->setObjectName(indexed("tbrMenu", i + 1));
        action->setToolTip(buttons[i].tip);
        connect(action, &QAction::triggered, this, [this, i] { tbrMenu_ButtonClick(i + 1); });
    }

    if (main)
        makeLabel(this, QStringLiteral("lbHeader_chk"), QStringLiteral("必配"),
                  QRect(kEdge, kHeaderTop, kMustUseWidth, kHeaderHeight));
    for (int c = 0; c < kGridCells; ++c) {
        const ScreenColumn& col = columns()[size_t(c)];
        makeLabel(this, indexed("lbHeader", c), QString::fromUtf16(main ? col.mainHeader : col.calcHeader),
                  QRect(left + c * kPitch, kHeaderTop, kCellWidth, kHeaderHeight));
    }

    for (int row = 0; row < kGridRows; ++row) {
        const int top = kFirstRowTop + row * kRowPitch;
        if (main) {
            auto* chk = new QCheckBox(QString::number(row + 1), this);
            chk->setObjectName(indexed("chk", row));
            chk->setGeometry(scale.toPixels(QRect(kEdge, top, kMustUseWidth, kRowHeight)));
            m_chk[size_t(row)] = chk;
        }
        for (int c = 0; c < kGridCells; ++c) {
            const ScreenColumn& col = columns()[size_t(c)];
            auto* edit = new QLineEdit(this);
            edit->setObjectName(indexed(col.box, row));
            edit->setGeometry(scale.toPixels(QRect(left + c * kPitch, top, kCellWidth, kRowHeight)));
            m_cells[size_t(row)][size_t(col.cell)] = edit;
        }
        if (main) {
            QLineEdit* name = cell(row, CellName);
            name->setContextMenuPolicy(Qt::CustomContextMenu);
            connect(name, &QWidget::customContextMenuRequested, this, [this, name, row](const QPoint& at) {
                QMenu* menu = name->createStandardContextMenu();
                menu->setAttribute(Qt::WA_DeleteOnClose);
                menu->addSeparator();
                menu->addAction(QStringLiteral("评估报价"), this, [this, row] { emit offerRequested(row); })
                    ->setObjectName(indexed("mnuBaojia", row));
                menu->popup(name->mapToGlobal(at));
            });
        }
        auto* del = new QPushButton(QStringLiteral("删除"), this);
        del->setObjectName(indexed("btnDel", row));
        del->setGeometry(scale.toPixels(QRect(left + kGridCells * kPitch, top, kDeleteWidth, kRowHeight)));
        connect(del, &QPushButton::clicked, this, [this, row] { btnDel_Click(row); });
        m_del[size_t(row)] = del;
    }

    int y = kGridBottom + kEdge;
    const QString note = QStringLiteral("注意：用精煤配煤，不要填写回收率。用原煤配煤，所有的指标要填写成试验后的指标，"
                                        "回收率也为经过试验后得到精煤的回收率");
    if (main) {
        m_chkAll = new QCheckBox(QStringLiteral("全选 煤前面√(勾选)则表示此种煤必须在配煤时用上"), this);
        m_chkAll->setObjectName(QStringLiteral("chkAll"));
        m_chkAll->setGeometry(scale.toPixels(QRect(kEdge, y, kChkAllWidth, kNotePitch)));
        connect(m_chkAll, &QCheckBox::toggled, this, &BlendingGrid::chkAll_Click);
        y += kRowHeight;
        makeLabel(this, QStringLiteral("Label2"),
                  QStringLiteral("煤名称和价格请务必填写，所填数据无需填写\"%\"，如全水12.3%请填12.3即可"),
                  QRect(kEdge, y, width - 2 * kEdge, kNoteHeight));
        y += kNotePitch;
        makeLabel(this, QStringLiteral("Label1"), note, QRect(kEdge, y, width - 2 * kEdge, kNoteHeight));
        y += kNotePitch;
    } else {
        makeLabel(this, QStringLiteral("Label1"), note, QRect(left, y, width - left - kEdge, kNoteHeight));
        y += kNotePitch;
        makeLabel(this, QStringLiteral("Label3"),
                  QStringLiteral("用于计算不同重量或者不同比例的焦炭配在一起后的指标，配比必须填写"),
                  QRect(left, y, width - left - kEdge, kNoteHeight));
        y += kNotePitch;
    }
    m_designSize = QSize(width, y + 30);
    resize(scale.toPixels(m_designSize));
}

void BlendingGrid::readInto(PanelTexts& texts) const {
    for (int row = 0; row < kGridRows; ++row) {
        for (int c = 0; c < kGridCells; ++c)
            texts.cell(row, GridCell(c)) = cell(row, GridCell(c))->text();
        texts.mustUse[size_t(row)] = m_chk[size_t(row)] && m_chk[size_t(row)]->isChecked();
    }
}

void BlendingGrid::writeFrom(const PanelTexts& texts) {
    for (int row = 0; row < kGridRows; ++row) {
        for (int c = 0; c < kGridCells; ++c) {
            QLineEdit* edit = cell(row, GridCell(c));
            // Unchanged cells keep their cursor and undo history.
            if (edit->text() != texts.cell(row, GridCell(c))) edit->setText(texts.cell(row, GridCell(c)));
        }
        if (m_chk[size_t(row)]) m_chk[size_t(row)]->setChecked(texts.mustUse[size_t(row)]);
    }
}

PanelTexts BlendingGrid::texts() const {
    PanelTexts t;
    readInto(t);
    return t;
}

void BlendingGrid::SetTxtValue(const QList<Mei>& lots) {
    PanelTexts t = texts();
    vestrel::SetTxtValue(t, lots);
    writeFrom(t);
}

void BlendingGrid::ClearGrid() {
    PanelTexts t = texts();
    vestrel::ClearGrid(t);
    writeFrom(t);
}

void BlendingGrid::CompactRows() {
    PanelTexts t = texts();
    vestrel::CompactRows(t, m_host);
    writeFrom(t);
}

void BlendingGrid::keepChkAllWidth() {
    if (m_chkAll) m_chkAll->resize(GridScale().toPixelsX(kChkAllWidth), m_chkAll->height());
}

void BlendingGrid::btnDel_Click(int index) {
    PanelTexts t = texts();
    ClearRow(t, index);
    writeFrom(t);
}

void BlendingGrid::tbrMenu_ButtonClick(int index) {
    switch (index) {
    case 2:
        hub::showSelectDialog(m_host);
        break;
    case 3:
        ClearGrid();
        break;
    case 4:
        emit startRequested();
        break;
    default:
        break;
    }
}

void BlendingGrid::chkAll_Click(bool checked) {
    PanelTexts t = texts();
    SetAllMustUse(t, checked);
    writeFrom(t);
}

} // namespace vestrel
