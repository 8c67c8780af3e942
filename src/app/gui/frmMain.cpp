#include "app/gui/frmMain.h"

#include "blending/gui/BlendingPanel.h"

namespace vestrel {

frmMain::frmMain(QWidget* parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("Vestrel(石油焦配比)1.0"));
    m_panel = new BlendingPanel(this);
    setCentralWidget(m_panel);
}

} // namespace vestrel
