#include "blending/gui/BlendingPanel.h"

namespace vestrel {

BlendingPanel::BlendingPanel(QWidget* parent) : QWidget(parent) { setObjectName(QStringLiteral("BlendingPanel")); }

} // namespace vestrel
