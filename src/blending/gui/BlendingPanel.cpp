#include "blending/gui/BlendingPanel.h"

#include "app/Seams.h"
#include "app/gui/WindowHub.h"
#include "blending/BlendingTexts.h"
#include "blending/Run.h"
#include "blending/Validation.h"
#include "blending/gui/BlendingGrid.h"

#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScopeGuard>

namespace vestrel {

namespace {

struct TargetPlace {
    int index; // into PanelTexts::targets
    const char* label;
    const char16_t* caption;
};

// The main indices in fraMid and the trace elements in fraWeiLiang, left to right.
const TargetPlace kMainTargets[] = {
    {CellMoisture - 1, "lbQuanshuiMax", u"全水<="},
    {CellSulphur - 1, "lbLiuMax", u"硫分<="},
    {CellAsh - 1, "lbHuifenMax", u"灰份<="},
    {CellVolatile - 1, "lbHuifafenMax", u"挥发份<="},
    {CellFixedCarbon - 1, "lbGudingtanMin", u"<=固定碳"},
};
const TargetPlace kTraceTargets[] = {
    {CellSi - 1, "lbNeishuiMax", u"硅<="},  {CellFe - 1, "lbReliangMax", u"铁<="},
    {CellV - 1, "lbNianjieMax", u"钒<="},   {CellNi - 1, "lbJiaozhiMax", u"镍<="},
    {CellAl - 1, "lbKemoxingMax", u"铝<="}, {CellCa - 1, "lbHuirongdianMax", u"钙<="},
    {CellNa - 1, "lbHuiShouMax", u"钠<="},
};

QGroupBox* makeFrame(QWidget* parent, const char* name, const QString& title, const QRect& geometry) {
    auto* frame = new QGroupBox(title, parent);
    frame->setObjectName(QLatin1String(name));
    frame->setGeometry(geometry);
    return frame;
}

QLabel* makeLabel(QWidget* parent, const QString& name, const QString& text, const QRect& geometry) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setGeometry(geometry);
    return label;
}

// The run's end as the user sees it: the history with the new set, the no-scheme note, or why it failed.
void showRunOutcome(const RunOutcome& outcome) {
    switch (outcome.kind) {
    case RunOutcome::Kind::Stored:
        hub::showHistoryAfterRun();
        if (!outcome.message.isEmpty()) showMessage(outcome.message); // the k that were skipped
        break;
    case RunOutcome::Kind::NoScheme:
        showMessage(outcome.message);
        break;
    case RunOutcome::Kind::Failed:
        showMessage(outcome.message, QString(), MsgIcon::Critical);
        break;
    }
}

} // namespace

BlendingPanel::BlendingPanel(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("BlendingPanel"));
    m_grid = new BlendingGrid(GridHost::Main, this);
    m_grid->move(0, 0);
    connect(m_grid, &BlendingGrid::startRequested, this, &BlendingPanel::Command1_Click);
    m_runHandler = [this] {
        // A run of many binding limits can take a while; the pointer says so until its outcome is shown.
        RunOutcome outcome;
        {
            QGuiApplication::setOverrideCursor(Qt::WaitCursor);
            const auto restore = qScopeGuard([] { QGuiApplication::restoreOverrideCursor(); });
            outcome = RunOptimisation(m_state);
        }
        showRunOutcome(outcome);
    };

    const int width = m_grid->width();
    int top = m_grid->height() + 4;

    const auto placeTargets = [this](QGroupBox* frame, const auto& places, int slot, int labelWidth) {
        int x = 10;
        for (const TargetPlace& p : places) {
            const PanelIndex& index = PanelIndices()[size_t(p.index)];
            auto* box = new QLineEdit(frame);
            box->setObjectName(QLatin1String(index.targetBox));
            m_targets[size_t(p.index)] = box;
            const int boxWidth = slot - labelWidth - 10;
            const QString caption = QString::fromUtf16(p.caption);
            if (index.lowerLimit) { // "[85] <=固定碳": the box comes first
                box->setGeometry(x, 24, boxWidth, 22);
                makeLabel(frame, QLatin1String(p.label), caption, QRect(x + boxWidth + 2, 26, labelWidth, 18));
            } else {
                makeLabel(frame, QLatin1String(p.label), caption, QRect(x, 26, labelWidth, 18));
                box->setGeometry(x + labelWidth + 2, 24, boxWidth, 22);
            }
            x += slot;
        }
    };

    QGroupBox* mid = makeFrame(this, "fraMid", QStringLiteral("精煤要达到的指标"), QRect(4, top, width - 8, 56));
    placeTargets(mid, kMainTargets, 160, 64);
    top += 60;
    QGroupBox* trace = makeFrame(this, "fraWeiLiang", QStringLiteral("微量元素指标填写"), QRect(4, top, width - 8, 56));
    placeTargets(trace, kTraceTargets, 114, 40);
    top += 60;

    QGroupBox* bottom = makeFrame(this, "fraBottom", QStringLiteral("其他选项(可不填，操作不熟练者慎用)"),
                                  QRect(4, top, width - 8, 60));
    makeLabel(bottom, QStringLiteral("lbZhongliang"), QStringLiteral("必须根据库存所剩配"), QRect(10, 28, 130, 18));
    m_tonnes = new QLineEdit(bottom);
    m_tonnes->setObjectName(QStringLiteral("txtZhongliang"));
    m_tonnes->setGeometry(142, 26, 80, 22);
    makeLabel(bottom, QStringLiteral("lbDun"), QStringLiteral("吨"), QRect(226, 28, 24, 18));
    m_start = new QPushButton(QStringLiteral("开始最低价格配比"), bottom);
    m_start->setObjectName(QStringLiteral("Command1"));
    m_start->setGeometry(width - 8 - 200, 22, 186, 30);
    connect(m_start, &QPushButton::clicked, this, &BlendingPanel::Command1_Click);
    top += 64;

    m_designSize = QSize(width, top);
    resize(m_designSize);
}

PanelTexts BlendingPanel::panelTexts() const {
    PanelTexts t;
    m_grid->readInto(t);
    for (int x = 0; x < kIndexCount; ++x)
        t.target(x) = m_targets[size_t(x)]->text();
    t.tonnes = m_tonnes->text();
    return t;
}

void BlendingPanel::setPanelTexts(const PanelTexts& texts) {
    m_grid->writeFrom(texts);
    for (int x = 0; x < kIndexCount; ++x)
        m_targets[size_t(x)]->setText(texts.target(x));
    m_tonnes->setText(texts.tonnes);
}

void BlendingPanel::SetTxtValue(const QList<Mei>& lots) {
    m_grid->SetTxtValue(lots);
}

void BlendingPanel::Command1_Click() {
    // A run may show windows and messages; a second click meanwhile must not start another one.
    if (m_running) return;
    m_running = true;
    const auto done = qScopeGuard([this] { m_running = false; });

    m_grid->CompactRows(); // stays compacted even when a check refuses the run
    const PanelTexts texts = panelTexts();
    QString message = CheckNamesAndPrices(texts);
    if (message.isEmpty()) message = ValidateInput(texts);
    if (!message.isEmpty()) {
        showMessage(message);
        return;
    }
    m_state.texts = texts;
    m_state.PanelLots = ReadGridLots(texts);
    m_state.SingleLotSeen = false;
    if (m_runHandler) m_runHandler();
}

} // namespace vestrel
