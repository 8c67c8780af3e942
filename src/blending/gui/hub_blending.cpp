#include "app/gui/WindowHub.h"

namespace vestrel::hub {

void panelSetTxtValue(const QList<Mei>&) {}

} // namespace vestrel::hub
