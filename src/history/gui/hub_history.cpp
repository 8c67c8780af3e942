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
    QWidget* w = historyWindow();
    w->show();
    w->raise();
    w->activateWindow();
}

} // namespace vestrel::hub
