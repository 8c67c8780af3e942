#include "app/gui/WindowHub.h"
#include "blending/gui/frmSelect.h"
#include "catalogue/gui/frmKucun.h"
#include "catalogue/gui/frmUpdate.h"

#include <QPointer>

namespace vestrel::hub {

namespace {

// Each window exists once; closing deletes it and the next request loads it afresh.
QPointer<frmKucun> g_catalogue;
QPointer<frmUpdate> g_entry;
QPointer<frmSelect> g_select;

// A window that accepted its close is on its way out and must not be handed out again.
template <class W> W* live(const QPointer<W>& w) {
    return w && !w->closing() ? w.data() : nullptr;
}

void bringForward(QWidget* w) {
    w->show();
    w->raise();
    w->activateWindow();
}

} // namespace

QWidget* catalogueWindow(bool* loadedNow) {
    if (loadedNow) *loadedNow = false;
    if (frmKucun* w = live(g_catalogue)) return w;
    auto* w = new frmKucun;
    w->setAttribute(Qt::WA_DeleteOnClose);
    if (!w->Form_Load()) {
        delete w;
        return nullptr;
    }
    g_catalogue = w;
    if (loadedNow) *loadedNow = true;
    return w;
}

bool isCatalogueWindowLoaded() {
    return live(g_catalogue) != nullptr;
}

void refreshCatalogueList() {
    if (frmKucun* w = live(g_catalogue)) w->addLIST();
}

void showEntryForm(qint32 meiId) {
    frmUpdate* form = live(g_entry);
    // The same request again keeps what was typed; another lot (or a new one) reloads every box, so one lot's
    // values never stand under another's MeiId.
    const bool reload = !form || form->MeiId != meiId;
    if (!form) {
        form = new frmUpdate;
        form->setAttribute(Qt::WA_DeleteOnClose);
        g_entry = form;
    }
    if (reload) {
        form->MeiId = meiId;
        if (!form->Form_Load()) {
            form->close();
            return;
        }
    }
    bringForward(form);
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
