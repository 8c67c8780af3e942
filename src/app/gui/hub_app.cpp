#include "app/gui/frmConnect.h"
#include "app/gui/frmLoading.h"
#include "app/gui/frmMain.h"
#include "base/gui/SingleWindow.h"
#include "base/gui/WindowHub.h"

#include <QApplication>
#include <functional>

namespace vestrel::hub {

namespace {

// The main window is kept when it closes.
SingleWindow<frmMain> g_main(SingleWindow<frmMain>::HideOnClose);

// Shows the loading note and lets it paint before the slow load, then removes it.
QWidget* loadWithNote(const std::function<QWidget*()>& load) {
    frmLoading note(g_main.get());
    note.show();
    note.raise();
    QCoreApplication::processEvents();
    QWidget* window = load();
    note.close();
    return window;
}

} // namespace

QWidget* mainWindow() {
    return g_main.obtain();
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
