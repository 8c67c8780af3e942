#include "blending/gui/frmSelect.h"

#include "base/CommonFunction.h"
#include "base/Seams.h"
#include "base/gui/WindowHub.h"
#include "blending/LotSelection.h"
#include "catalogue/Catalogue.h"
#include "catalogue/DaoFunction.h"
#include "data/Dbconnection.h"
#include "lists/ListViewFunction.h"
#include "lists/gui/ReportListView.h"

#include <QCloseEvent>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QtMath>

namespace vestrel {

namespace {

constexpr int kMargin = 100; // twips
constexpr int kFrameHeight = 5400;
constexpr int kListTop = 300;
constexpr int kButtonWidth = 1500;
constexpr int kButtonHeight = 420;

} // namespace

frmSelect::frmSelect(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("frmSelect"));
    setWindowTitle(QStringLiteral("选择焦碳参与配煤"));

    // Widths follow the screen: the dialog spans it but for 200 twips, each box inside keeps 100 twips a side.
    const int dialogWidth = PixelsToTwips(qRound(ScreenWidthPixels())) - 200;
    const int frameWidth = dialogWidth - 200;
    const int listWidth = frameWidth - 200;

    auto* frame = new QGroupBox(QStringLiteral("焦炭库存"), this);
    frame->setObjectName(QStringLiteral("fraTop"));
    frame->setGeometry(TwipsToPixels(kMargin), TwipsToPixels(kMargin), TwipsToPixels(frameWidth),
                       TwipsToPixels(kFrameHeight));

    m_list = new ReportListView(frame);
    m_list->setObjectName(QStringLiteral("lsvTop"));
    m_list->setCheckBoxes(true);
    m_list->setToggleCheckOnRowClick(true);
    m_list->setGeometry(TwipsToPixels(kMargin), TwipsToPixels(kListTop), TwipsToPixels(listWidth),
                        TwipsToPixels(kFrameHeight - kListTop - kMargin));

    const int belowTop = kMargin + kFrameHeight + 150;
    auto* button = new QPushButton(QStringLiteral("确定选择"), this);
    button->setObjectName(QStringLiteral("Command1"));
    button->setGeometry(TwipsToPixels(kMargin + 100), TwipsToPixels(belowTop), TwipsToPixels(kButtonWidth),
                        TwipsToPixels(kButtonHeight));
    connect(button, &QPushButton::clicked, this, &frmSelect::Command1_Click);

    auto* hint = new QLabel(QStringLiteral("在煤种前面√选择要参与配比的煤种"), this);
    hint->setObjectName(QStringLiteral("Label1"));
    hint->setGeometry(TwipsToPixels(kMargin + 300 + kButtonWidth), TwipsToPixels(belowTop),
                      TwipsToPixels(std::max(3000, frameWidth - kButtonWidth - 400)), TwipsToPixels(kButtonHeight));

    resize(TwipsToPixels(dialogWidth), TwipsToPixels(belowTop + kButtonHeight + 200));
}

bool frmSelect::Form_Load() {
    ListData& data = m_list->listData();
    SetLotColumns(data);
    const LotQuery all = AllLotsQuery();
    const bool ok = FillLotRows(data, all.sql, all.binds);
    CloseDb();
    m_list->refresh();
    if (!ok) ReportDbError();
    return ok;
}

void frmSelect::ImportChecked() {
    const LotSelection picked = SelectCheckedLots(m_list->listData());
    if (!picked.warning.isEmpty()) showMessage(picked.warning);
    if (picked.ids.isEmpty()) return;
    // Lots deleted since the list was filled are simply missing here.
    const std::optional<QList<Mei>> lots = LoadMeisByIds(picked.ids);
    if (!lots) {
        ReportDbError();
        return;
    }
    if (CallerForm == QLatin1String("frmMain"))
        hub::panelSetTxtValue(*lots);
    else
        hub::calculatorSetTxtValue(*lots);
    CallerForm.clear();
    close();
}

void frmSelect::closeEvent(QCloseEvent* event) {
    QWidget::closeEvent(event);
    m_closing = event->isAccepted();
}

} // namespace vestrel
