#pragma once

#include <QMainWindow>

namespace vestrel {

class BlendingPanel;

// The main window: menus, main toolbar and banner around the blending panel.
class frmMain : public QMainWindow {
    Q_OBJECT
public:
    explicit frmMain(QWidget* parent = nullptr);
    BlendingPanel* panel() const { return m_panel; }

private:
    BlendingPanel* m_panel = nullptr;
};

} // namespace vestrel
