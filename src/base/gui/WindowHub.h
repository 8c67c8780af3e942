#pragma once
// How windows reach each other. Each window exists once, is loaded on first use and brought forward when
// asked for again. The functions are defined beside the windows they serve (hub_*.cpp).

#include <QList>
#include <QString>
#include <QWidget>

namespace vestrel {
class Mei;
enum class GridHost;
} // namespace vestrel

namespace vestrel::hub {

inline void bringForward(QWidget* w) {
    if (!w) return; // the window could not be built; nothing else changes
    w->show();
    w->raise();
    w->activateWindow();
}

// Main window (app).
void showStartWindow();     // the splash, which opens the main window
QWidget* mainWindow();      // created on first call
void showCatalogueWindow(); // with the loading note
void showHistoryWindow();   // with the loading note

// Catalogue (catalogue): frmKucun, frmUpdate; selection dialog frmSelect; calculator frmTest.
QWidget* catalogueWindow(bool* loadedNow = nullptr); // loads it if needed; does not show it
bool isCatalogueWindowLoaded();
void refreshCatalogueList(); // addLIST on a loaded catalogue window
void showEntryForm(qint32 meiId);
void reloadEntryForm();                 // an open form of a stored lot reads it again; a new lot's form keeps its input
void showSelectDialog(GridHost caller); // the window whose grid receives the checked lots
void reloadSelectDialog();              // lists the lots again, none checked
void showCalculator();
void calculatorSetTxtValue(const QList<Mei>& lots);

// Blending panel of the main window (blending).
void panelSetTxtValue(const QList<Mei>& lots);
// "评估报价" of a catalogue lot against the main window's panel.
void showBreakEvenOfLot(qint32 meiId);
// "新报价…": the window for an offer typed in, valued against the main window's panel.
void showOfferWindow();

// History (history): frmLishi.
QWidget* historyWindow(bool* loadedNow = nullptr); // loads it if needed; does not show it
// After a run stored a set: shown non-modally, listing the new set first and showing it, whether the window was
// open already or is loaded by this call.
void showHistoryAfterRun();
// Lists the sets again from the database, keeping the shown set when it is still there.
void reloadHistoryWindow();

// After a restore: every open window shows the restored database (catalogue, history, selection dialog, the
// entry form of a stored lot).
void reloadOpenWindows();

// Closes every window of the program (exit).
void closeAllWindows();

} // namespace vestrel::hub
