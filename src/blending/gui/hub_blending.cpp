#include "app/gui/WindowHub.h"
#include "blending/gui/BlendingPanel.h"

#include <QWidget>

namespace vestrel::hub {

void panelSetTxtValue(const QList<Mei>& lots) {
    if (auto* panel = mainWindow()->findChild<BlendingPanel*>()) panel->SetTxtValue(lots);
}

} // namespace vestrel::hub
