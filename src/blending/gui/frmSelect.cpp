#include "blending/gui/frmSelect.h"

#include "base/CommonFunction.h"
#include "base/Seams.h"
#include "base/Twips.h"
#include "base/gui/WindowGeometry.h"
#include "base/gui/WindowHub.h"
#include "blending/LotSelection.h"
#include "catalogue/Catalogue.h"
#include "catalogue/DaoFunction.h"
#include "data/DbResult.h"
#include "lists/ListViewFunction.h"
#include "lists/gui/ReportListView.h"

#include <QCloseEvent>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QtMath>

namespace vestrel {

namespace {

// Design geometry in twips.
constexpr int kMargin = 100;
constexpr int kFrameHeight = 5400;
constexpr int kListTop = 300;
constexpr QSize kButton(1500, 420);
constexpr int kHintMinWidth = 3000;

} // namespace

frmSelect::frmSelect(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("frmSelect"));
    setWindowTitle(QStringLiteral("选择焦碳参与配煤"));
    const TwipScale scale = ListScale();

    // Widths follow the screen: the dialog spans it but for 200 twips (and the room its frame takes), each box
    // inside keeps 100 twips a side.
    const int spanning = qRound(scale.toTwipsX(qRound(screenWidthPixels()))) - 2 * kMargin;
    const int room = OpeningSize(QSize(1 << 20, 0)).width();
    const int dialogWidth = room < (1 << 20) ? std::min(spanning, int(scale.toTwipsX(room))) : spanning;
    const int frameWidth = dialogWidth - 2 * kMargin;
    const int listWidth = frameWidth - 2 * kMargin;

    auto* frame = new QGroupBox(QStringLiteral("焦炭库存"), this);
    frame->setObjectName(QStringLiteral("fraTop"));
    frame->setGeometry(scale.toPixels(QRect(kMargin, kMargin, frameWidth, kFrameHeight)));

    m_list = new ReportListView(frame);
    m_list->setObjectName(QStringLiteral("lsvTop"));
    m_list->setCheckBoxes(true);
    m_list->setToggleCheckOnRowClick(true);
    m_list->setGeometry(scale.toPixels(QRect(kMargin, kListTop, listWidth, kFrameHeight - kListTop - kMargin)));

    const int belowTop = kMargin + kFrameHeight + 150;
    auto* button = new QPushButton(QStringLiteral("确定选择"), this);
    button->setObjectName(QStringLiteral("Command1"));
    button->setGeometry(scale.toPixels(QRect(QPoint(2 * kMargin, belowTop), kButton)));
    connect(button, &QPushButton::clicked, this, &frmSelect::Command1_Click);

    auto* hint = new QLabel(QStringLiteral("在煤种前面√选择要参与配比的煤种"), this);
    hint->setObjectName(QStringLiteral("Label1"));
    hint->setGeometry(
        scale.toPixels(QRect(4 * kMargin + kButton.width(), belowTop,
                             std::max(kHintMinWidth, frameWidth - kButton.width() - 4 * kMargin), kButton.height())));

    OpenAtSize(this, scale.toPixels(QSize(dialogWidth, belowTop + kButton.height() + 2 * kMargin)));
}

bool frmSelect::Form_Load() {
    ListData& data = m_list->listData();
    SetLotColumns(data);
    const LotQuery all = AllLotsQuery();
    const DbStatus filled = FillLotRows(data, all.sql, all.binds);
    m_list->refresh();
    if (!filled) showDbError(filled.error());
    return filled.ok();
}

void frmSelect::ImportChecked() {
    const LotSelection picked = SelectCheckedLots(m_list->listData());
    if (!picked.warning.isEmpty()) showMessage(picked.warning);
    if (picked.ids.isEmpty()) return;
    // Lots deleted since the list was filled are simply missing here.
    const DbResult<QList<Mei>> lots = LoadMeisByIds(picked.ids);
    if (!lots) {
        showDbError(lots.error());
        return;
    }
    if (CallerForm == GridHost::Main)
        hub::panelSetTxtValue(*lots);
    else
        hub::calculatorSetTxtValue(*lots);
    CallerForm.reset();
    close();
}

void frmSelect::closeEvent(QCloseEvent* event) {
    QWidget::closeEvent(event);
    m_closing = event->isAccepted();
}

} // namespace vestrel
