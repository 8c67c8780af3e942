#include "base/gui/SingleWindow.h"
#include "base/gui/WindowHub.h"
#include "history/gui/frmLishi.h"

namespace vestrel::hub {

namespace {
SingleWindow<frmLishi> g_history;
} // namespace

QWidget* historyWindow(bool* loadedNow) {
    return g_history.obtain(
        [](frmLishi& w) {
            w.Form_Load();
            return true;
        },
        loadedNow);
}

void showHistoryAfterRun() {
    bool loadedNow = false;
    auto* w = static_cast<frmLishi*>(historyWindow(&loadedNow));
    if (!loadedNow) w->reloadSets(0); // an open window lists the new set first and shows it
    bringForward(w);
}

void reloadHistoryWindow() {
    if (frmLishi* w = g_history.get()) w->reloadSets(w->currentSchemeId());
}

} // namespace vestrel::hub
