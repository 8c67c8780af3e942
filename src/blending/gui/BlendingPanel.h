#pragma once

#include "blending/PanelTexts.h"
#include "blending/Run.h"

#include <QWidget>
#include <array>
#include <functional>

class QLabel;
class QLineEdit;
class QPushButton;

namespace vestrel {

class BlendingGrid;

// The blending panel of the main window: toolbar, ten-row grid, targets, tonnage and the run button.
class BlendingPanel : public QWidget {
    Q_OBJECT
public:
    explicit BlendingPanel(QWidget* parent = nullptr);

    // The size the controls were laid out for; the main window scales from there.
    QSize sizeHint() const override { return m_designSize; }

    BlendingGrid* grid() const { return m_grid; }
    QLineEdit* targetBox(int index) const { return m_targets[size_t(index)]; } // index as in PanelTexts::targets
    QLineEdit* tonnesBox() const { return m_tonnes; }

    // Everything the panel's boxes hold right now.
    PanelTexts panelTexts() const;
    void setPanelTexts(const PanelTexts& texts);

    // What the run works on. Before the run handler is called the texts are the compacted, checked ones and
    // PanelLots is rebuilt from them; SingleLotSeen is false when a run starts.
    PanelState& state() { return m_state; }
    const QList<Mei>& panelLots() const { return m_state.PanelLots; }
    bool singleLotSeen() const { return m_state.SingleLotSeen; }
    void setSingleLotSeen(bool seen) { m_state.SingleLotSeen = seen; }

    // Called after the checks passed; the run itself. By default RunOptimisation, whose outcome the panel shows.
    void setRunHandler(std::function<void()> handler) { m_runHandler = std::move(handler); }
    // How long a run goes before its progress dialog "dlgProgress" shows; 500 ms unless changed.
    void setProgressDelay(int ms) { m_progressDelay = ms; }

    // The "高级指标" limits; they stay until cleared and are summed up under the button.
    const AdvancedLimits& advancedLimits() const { return m_advanced; }
    void setAdvancedLimits(const AdvancedLimits& limits);
    // Opens the "高级指标" dialog on the current panel; its OK keeps the limits.
    void cmdGaoji_Click();

    // Fills the empty rows (the lot selection dialog).
    void SetTxtValue(const QList<Mei>& lots);

    // Command1 and toolbar button 4: compacts the rows, shows the first failing check's message or starts
    // the run.
    void Command1_Click();

    // "查看原因" of the no-scheme message: why the last run's panel allows no blend.
    void showNoSchemeReasons();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    RunOutcome runWithProgress();

    BlendingGrid* m_grid = nullptr;
    std::array<QLineEdit*, kIndexCount> m_targets{};
    QLineEdit* m_tonnes = nullptr;
    QPushButton* m_start = nullptr;
    AdvancedLimits m_advanced;
    QLabel* m_advancedSummary = nullptr;
    PanelState m_state;
    std::function<void()> m_runHandler;
    bool m_running = false;
    int m_progressDelay = 500;
    QSize m_designSize;
};

} // namespace vestrel
