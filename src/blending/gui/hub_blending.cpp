#include "base/gui/SingleWindow.h"
#include "base/gui/WindowHub.h"
#include "blending/PanelTexts.h"
#include "blending/gui/Baojia.h"
#include "blending/gui/BlendingPanel.h"
#include "blending/gui/frmBaojia.h"
#include "blending/gui/frmSelect.h"

#include <QWidget>

namespace vestrel::hub {

namespace {
SingleWindow<frmSelect> g_select;
SingleWindow<frmBaojia> g_offer;
} // namespace

void panelSetTxtValue(const QList<Mei>& lots) {
    if (auto* panel = mainWindow()->findChild<BlendingPanel*>()) panel->SetTxtValue(lots);
}

void reloadSelectDialog() {
    if (frmSelect* dialog = g_select.get(); dialog && !dialog->Form_Load()) dialog->close();
}

void showSelectDialog(GridHost caller) {
    frmSelect* dialog = g_select.obtain([](frmSelect& d) { return d.Form_Load(); });
    if (!dialog) return;
    dialog->CallerForm = caller;
    // Modeless for the main window, modal for the calculator; an open dialog switches to its newest opener.
    const Qt::WindowModality modality = caller == GridHost::Main ? Qt::NonModal : Qt::ApplicationModal;
    if (dialog->windowModality() != modality) {
        dialog->hide();
        dialog->setWindowModality(modality);
    }
    bringForward(dialog);
}

void showBreakEvenOfLot(qint32 meiId) {
    ShowBreakEvenOfLot(meiId);
}

void showOfferWindow() {
    bringForward(g_offer.obtain());
}

} // namespace vestrel::hub
