#include "app/gui/WindowHub.h"
#include "app/gui/frmMain.h"

#include <QApplication>
#include <QPointer>

namespace vestrel::hub {

namespace {
QPointer<frmMain> g_main;
}

QWidget* mainWindow() {
    if (!g_main) g_main = new frmMain;
    return g_main;
}

void showStartWindow() { mainWindow()->show(); }

void showCatalogueWindow() {
    if (QWidget* w = catalogueWindow()) {
        w->show();
        w->raise();
        w->activateWindow();
    }
}

void showHistoryWindow() {
    if (QWidget* w = historyWindow()) {
        w->show();
        w->raise();
        w->activateWindow();
    }
}

void closeAllWindows() { QApplication::closeAllWindows(); }

} // namespace vestrel::hub
