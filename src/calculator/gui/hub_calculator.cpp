#include "base/gui/SingleWindow.h"
#include "base/gui/WindowHub.h"
#include "calculator/gui/frmTest.h"

namespace vestrel::hub {

namespace {
// Closing only hides the calculator, so its figures are there when it is opened again.
SingleWindow<frmTest> g_calculator(SingleWindow<frmTest>::HideOnClose);
} // namespace

void showCalculator() {
    bringForward(g_calculator.obtain());
}

void calculatorSetTxtValue(const QList<Mei>& lots) {
    g_calculator.obtain()->SetTxtValue(lots);
}

} // namespace vestrel::hub
