#include "base/gui/WindowHub.h"
#include "blending/gui/BlendingPanel.h"
#include "blending/gui/frmSelect.h"

#include <QPointer>
#include <QWidget>

namespace vestrel::hub {

namespace {
QPointer<frmSelect> g_select;
} // namespace

void panelSetTxtValue(const QList<Mei>& lots) {
    if (auto* panel = mainWindow()->findChild<BlendingPanel*>()) panel->SetTxtValue(lots);
}

void reloadSelectDialog() {
    if (frmSelect* dialog = live(g_select); dialog && !dialog->Form_Load()) dialog->close();
}

void showSelectDialog(const QString& callerForm) {
    frmSelect* dialog = live(g_select);
    if (!dialog) {
        dialog = new frmSelect;
        dialog->setAttribute(Qt::WA_DeleteOnClose);
        if (!dialog->Form_Load()) {
            delete dialog;
            return;
        }
        g_select = dialog;
    }
    dialog->CallerForm = callerForm;
    // Modeless for the main window, modal for the calculator; an open dialog switches to its newest opener.
    const Qt::WindowModality modality = callerForm == QLatin1String("frmMain") ? Qt::NonModal : Qt::ApplicationModal;
    if (dialog->windowModality() != modality) {
        dialog->hide();
        dialog->setWindowModality(modality);
    }
    bringForward(dialog);
}

} // namespace vestrel::hub
