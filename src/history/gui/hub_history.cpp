#include "base/gui/WindowHub.h"
#include "history/gui/frmLishi.h"

#include <QPointer>

namespace vestrel::hub {

namespace {
// Closing the window destroys it, so the next request loads the list afresh.
QPointer<frmLishi> g_history;
} // namespace

QWidget* historyWindow(bool* loadedNow) {
    const bool load = !g_history;
    if (load) {
        g_history = new frmLishi;
        g_history->setAttribute(Qt::WA_DeleteOnClose);
        g_history->Form_Load();
    }
    if (loadedNow) *loadedNow = load;
    return g_history;
}

void showHistoryAfterRun() {
    bool loadedNow = false;
    auto* w = static_cast<frmLishi*>(historyWindow(&loadedNow));
    if (!loadedNow) w->reloadSets(0); // an open window lists the new set first and shows it
    bringForward(w);
}

void reloadHistoryWindow() {
    if (g_history) g_history->reloadSets(g_history->currentSchemeId());
}

} // namespace vestrel::hub
