#pragma once

#include "blending/PanelTexts.h"

#include <QWidget>
#include <optional>

namespace vestrel {

class ReportListView;

// Picks catalogue lots into the grid of the window that opened it.
class frmSelect : public QWidget {
    Q_OBJECT
public:
    explicit frmSelect(QWidget* parent = nullptr);

    // The window whose grid receives the checked lots; none once they went there. Without one they go to the
    // calculator.
    std::optional<GridHost> CallerForm;

    // Lists every lot, unchecked. False when the database failed (shown).
    bool Form_Load();
    ReportListView* listView() const { return m_list; }
    bool closing() const { return m_closing; }

public slots:
    void ImportChecked();
    void Command1_Click() { ImportChecked(); }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    ReportListView* m_list = nullptr;
    bool m_closing = false;
};

} // namespace vestrel
