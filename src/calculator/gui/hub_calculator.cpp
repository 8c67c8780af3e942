#include "base/gui/WindowHub.h"
#include "calculator/gui/frmTest.h"

#include <QPointer>

namespace vestrel::hub {

namespace {

QPointer<frmTest> g_calculator;

frmTest* calculator() {
    if (!g_calculator) g_calculator = new frmTest;
    return g_calculator;
}

} // namespace

void showCalculator() {
    frmTest* w = calculator();
    w->show();
    w->raise();
    w->activateWindow();
}

void calculatorSetTxtValue(const QList<Mei>& lots) {
    calculator()->SetTxtValue(lots);
}

} // namespace vestrel::hub
