#include "app/gui/WindowHub.h"

namespace vestrel::hub {

QWidget* catalogueWindow(bool* loadedNow) {
    if (loadedNow) *loadedNow = false;
    return nullptr;
}
bool isCatalogueWindowLoaded() { return false; }
void refreshCatalogueList() {}
void showEntryForm(qint32) {}
void showSelectDialog(const QString&) {}
void showCalculator() {}
void calculatorSetTxtValue(const QList<Mei>&) {}

} // namespace vestrel::hub
