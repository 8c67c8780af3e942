#include "app/gui/WindowHub.h"

namespace vestrel::hub {

QWidget* historyWindow(bool* loadedNow) {
    if (loadedNow) *loadedNow = false;
    return nullptr;
}
void showHistoryAfterRun() {}

} // namespace vestrel::hub
