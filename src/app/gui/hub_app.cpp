#include "app/gui/frmConnect.h"
#include "app/gui/frmLoading.h"
#include "app/gui/frmMain.h"
#include "base/gui/WindowHub.h"

#include <QApplication>
#include <QPointer>
#include <functional>

namespace vestrel::hub {

namespace {

QPointer<frmMain> g_main;

// Shows the loading note and lets it paint before the slow load, then removes it.
QWidget* loadWithNote(const std::function<QWidget*()>& load) {
    frmLoading note(g_main);
    note.show();
    note.raise();
    QCoreApplication::processEvents();
    QWidget* window = load();
    note.close();
    return window;
}

} // namespace

QWidget* mainWindow() {
    if (!g_main) g_main = new frmMain;
    return g_main;
}

void showStartWindow() {
    auto* splash = new frmConnect; // deletes itself when it closes
    splash->show();
}

void showCatalogueWindow() {
    bringForward(loadWithNote([] { return catalogueWindow(); }));
}

void showHistoryWindow() {
    bringForward(loadWithNote([] { return historyWindow(); }));
}

void reloadOpenWindows() {
    refreshCatalogueList();
    reloadHistoryWindow();
    reloadSelectDialog();
    reloadEntryForm();
}

void closeAllWindows() {
    QApplication::closeAllWindows();
}

} // namespace vestrel::hub
