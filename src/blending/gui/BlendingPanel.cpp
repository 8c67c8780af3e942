#include "blending/gui/BlendingPanel.h"

#include "base/Seams.h"
#include "base/Twips.h"
#include "base/gui/WindowHub.h"
#include "blending/BlendingTexts.h"
#include "blending/SchemeSummary.h"
#include "blending/Validation.h"
#include "blending/gui/Baojia.h"
#include "blending/gui/BlendingGrid.h"
#include "blending/gui/frmGaoji.h"
#include "blending/gui/frmYuanyin.h"

#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QProgressDialog>
#include <QPushButton>
#include <QScopeGuard>

namespace vestrel {

namespace {

// Design geometry of the targets and the tonnage, in twips.
constexpr int kEdge = 60;
constexpr int kGap = 60;
constexpr int kFrameHeight = 840;
constexpr int kFramePitch = 900;
constexpr int kBottomFrameHeight = 900;
constexpr int kTargetLeft = 150;
constexpr int kMainSlot = 2400; // label and box of a main index
constexpr int kMainLabelWidth = 960;
constexpr int kTraceSlot = 1710; // of a trace element
constexpr int kTraceLabelWidth = 600;
constexpr int kLabelGap = 30;
constexpr int kBoxTop = 360;
constexpr int kBoxHeight = 330;
constexpr int kLabelTop = 390;
constexpr int kLabelHeight = 270;
// Inside the frame of the other options; the start button keeps its place from the right edge.
constexpr QRect kTonnesLabel(150, 420, 1950, 270);
constexpr QRect kTonnesBox(2130, 390, 1200, 330);
constexpr QRect kTonnesUnit(3390, 420, 360, 270);
constexpr QRect kStartButton(-3000, 330, 2790, 450);
// "高级指标" and "清空" beside the tonnes, their summary line below them.
constexpr QRect kAdvancedButton(4050, 330, 1350, 450);
constexpr QRect kAdvancedClear(5460, 330, 750, 450);
constexpr int kAdvancedSummaryTop = 840;
constexpr int kAdvancedHeight = 360;

QGroupBox* makeFrame(QWidget* parent, const char* name, const QString& title, const QRect& twips) {
    auto* frame = new QGroupBox(title, parent);
    frame->setObjectName(QLatin1String(name));
    frame->setGeometry(GridScale().toPixels(twips));
    return frame;
}

QLabel* makeLabel(QWidget* parent, const QString& name, const QString& text, const QRect& twips) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setGeometry(GridScale().toPixels(twips));
    return label;
}

// The run's end as the user sees it: the history with the new set, the no-scheme note, or why it failed.
void showRunOutcome(const RunOutcome& outcome, BlendingPanel* panel) {
    switch (outcome.kind) {
    case RunOutcome::Kind::Stored:
        hub::showHistoryAfterRun();
        if (!outcome.message.isEmpty()) showMessage(outcome.message); // the k that were skipped
        break;
    case RunOutcome::Kind::NoScheme:
        if (showMessageWithExtra(outcome.message, QStringLiteral("查看原因"))) panel->showNoSchemeReasons();
        break;
    case RunOutcome::Kind::Failed:
        showMessage(outcome.message, QString(), MsgIcon::Critical);
        break;
    case RunOutcome::Kind::Cancelled: // the user asked for it; nothing to say
        break;
    }
}

} // namespace

BlendingPanel::BlendingPanel(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("BlendingPanel"));
    m_grid = new BlendingGrid(GridHost::Main, this);
    m_grid->move(0, 0);
    connect(m_grid, &BlendingGrid::startRequested, this, &BlendingPanel::Command1_Click);
    connect(m_grid, &BlendingGrid::offerRequested, this, [this](int row) { ShowBreakEvenOfRow(panelTexts(), row); });
    m_runHandler = [this] { showRunOutcome(runWithProgress(), this); };

    // Design geometry in twips, below the grid.
    const TwipScale scale = GridScale();
    const int width = m_grid->designSize().width();
    int top = m_grid->designSize().height() + kGap;

    // The main indices in fraMid and the trace elements in fraWeiLiang, left to right in the order of the set.
    const auto placeTargets = [this, scale](QGroupBox* frame, int first, int end, int slot, int labelWidth) {
        int x = kTargetLeft;
        for (int s = first; s < end; ++s) {
            const int at = SummaryOrder()[size_t(s)]; // into PanelTexts::targets
            const PanelIndex& index = PanelIndices()[size_t(at)];
            auto* box = new QLineEdit(frame);
            box->setObjectName(QLatin1String(index.targetBox));
            m_targets[size_t(at)] = box;
            const int boxWidth = slot - labelWidth - kTargetLeft;
            const QString caption = QString::fromUtf16(index.targetLabel);
            const QString labelName = QLatin1String(index.targetLabelBox);
            const QRect label(0, kLabelTop, labelWidth, kLabelHeight);
            const QRect boxPlace(0, kBoxTop, boxWidth, kBoxHeight);
            if (index.lowerLimit) { // "[85] <=固定碳": the box comes first
                box->setGeometry(scale.toPixels(boxPlace.translated(x, 0)));
                makeLabel(frame, labelName, caption, label.translated(x + boxWidth + kLabelGap, 0));
            } else {
                makeLabel(frame, labelName, caption, label.translated(x, 0));
                box->setGeometry(scale.toPixels(boxPlace.translated(x + labelWidth + kLabelGap, 0)));
            }
            x += slot;
        }
    };

    QGroupBox* mid = makeFrame(this, "fraMid", QStringLiteral("精煤要达到的指标"),
                               QRect(kEdge, top, width - 2 * kEdge, kFrameHeight));
    placeTargets(mid, 0, kMainIndexCount, kMainSlot, kMainLabelWidth);
    top += kFramePitch;
    QGroupBox* trace = makeFrame(this, "fraWeiLiang", QStringLiteral("微量元素指标填写"),
                                 QRect(kEdge, top, width - 2 * kEdge, kFrameHeight));
    placeTargets(trace, kMainIndexCount, kIndexCount, kTraceSlot, kTraceLabelWidth);
    top += kFramePitch;

    QGroupBox* bottom = makeFrame(this, "fraBottom", QStringLiteral("其他选项(可不填，操作不熟练者慎用)"),
                                  QRect(kEdge, top, width - 2 * kEdge, kBottomFrameHeight + kAdvancedHeight));
    makeLabel(bottom, QStringLiteral("lbZhongliang"), QStringLiteral("必须根据库存所剩配"), kTonnesLabel);
    m_tonnes = new QLineEdit(bottom);
    m_tonnes->setObjectName(QStringLiteral("txtZhongliang"));
    m_tonnes->setGeometry(scale.toPixels(kTonnesBox));
    makeLabel(bottom, QStringLiteral("lbDun"), QStringLiteral("吨"), kTonnesUnit);
    m_start = new QPushButton(QStringLiteral("开始最低价格配比"), bottom);
    m_start->setObjectName(QStringLiteral("Command1"));
    m_start->setGeometry(scale.toPixels(kStartButton.translated(width - 2 * kEdge, 0)));
    connect(m_start, &QPushButton::clicked, this, &BlendingPanel::Command1_Click);
    auto* advanced = new QPushButton(QStringLiteral("高级指标"), bottom);
    advanced->setObjectName(QStringLiteral("cmdGaoji"));
    advanced->setGeometry(scale.toPixels(kAdvancedButton));
    connect(advanced, &QPushButton::clicked, this, &BlendingPanel::cmdGaoji_Click);
    auto* clearAdvanced = new QPushButton(QStringLiteral("清空"), bottom);
    clearAdvanced->setObjectName(QStringLiteral("cmdGaojiClear"));
    clearAdvanced->setGeometry(scale.toPixels(kAdvancedClear));
    connect(clearAdvanced, &QPushButton::clicked, this, [this] { setAdvancedLimits({}); });
    m_advancedSummary = makeLabel(bottom, QStringLiteral("lbGaoji"), QString(),
                                  QRect(kAdvancedButton.left(), kAdvancedSummaryTop,
                                        width - 2 * kEdge - kAdvancedButton.left() - kEdge, kLabelHeight));
    top += kBottomFrameHeight + kAdvancedHeight + kGap;

    m_designSize = scale.toPixels(QSize(width, top));
    resize(m_designSize);
}

PanelTexts BlendingPanel::panelTexts() const {
    PanelTexts t;
    m_grid->readInto(t);
    for (int x = 0; x < kIndexCount; ++x)
        t.target(x) = m_targets[size_t(x)]->text();
    t.tonnes = m_tonnes->text();
    t.advanced = m_advanced;
    return t;
}

void BlendingPanel::setPanelTexts(const PanelTexts& texts) {
    m_grid->writeFrom(texts);
    for (int x = 0; x < kIndexCount; ++x)
        m_targets[size_t(x)]->setText(texts.target(x));
    m_tonnes->setText(texts.tonnes);
    setAdvancedLimits(texts.advanced);
}

void BlendingPanel::setAdvancedLimits(const AdvancedLimits& limits) {
    m_advanced = limits;
    const QString summary = AdvancedSummary(limits);
    m_advancedSummary->setText(summary);
    m_advancedSummary->setToolTip(summary); // the whole line when the label cuts it off
}

void BlendingPanel::cmdGaoji_Click() {
    auto* dialog = new frmGaoji(panelTexts(), this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &QDialog::accepted, this, [this, dialog] { setAdvancedLimits(dialog->limits()); });
    dialog->open();
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
    QWidget* host = window();
    host->installEventFilter(this);
    const auto release = qScopeGuard([this, host] { host->removeEventFilter(this); });
    if (m_runHandler) m_runHandler();
}

RunOutcome BlendingPanel::runWithProgress() {
    // A run of many binding limits can take seconds: the pointer says so at once, the progress dialog after a
    // moment, and its cancel button rolls the run back. Events are handled between the models; until the
    // application-modal dialog shows, user input waits, so nothing can change the panel under the run.
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    const auto restore = qScopeGuard([] { QGuiApplication::restoreOverrideCursor(); });
    QProgressDialog dialog(QStringLiteral("正在配比…"), QStringLiteral("取消"), 0, kRunModels, this);
    dialog.setObjectName(QStringLiteral("dlgProgress"));
    dialog.setWindowTitle(productName());
    dialog.setWindowModality(Qt::ApplicationModal);
    dialog.setAutoReset(false); // stays until the run is stored, cancellable to the last moment
    auto* bar = new QProgressBar(&dialog);
    bar->setFormat(QStringLiteral("%v / %m"));
    dialog.setBar(bar);
    dialog.setMinimumDuration(m_progressDelay);
    bool busyCursor = false;
    return RunOptimisation(m_state, [&dialog, &busyCursor](int done) {
        dialog.setValue(done);
        if (dialog.isVisible() && !busyCursor) { // over the dialog the pointer may be clicked
            QGuiApplication::changeOverrideCursor(Qt::BusyCursor);
            busyCursor = true;
        }
        QCoreApplication::processEvents(dialog.isVisible() ? QEventLoop::AllEvents
                                                           : QEventLoop::ExcludeUserInputEvents);
        return !dialog.wasCanceled();
    });
}

bool BlendingPanel::eventFilter(QObject* watched, QEvent* event) {
    // The window holding the panel stays open while a run works on the panel's state.
    if (m_running && watched == window() && event->type() == QEvent::Close) {
        event->ignore();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void BlendingPanel::showNoSchemeReasons() {
    auto* window = new frmYuanyin(
        m_state.PanelLots, m_state.texts,
        [this](int index, const QString& value) { (index < 0 ? m_tonnes : m_targets[size_t(index)])->setText(value); },
        this);
    window->show();
}

} // namespace vestrel
