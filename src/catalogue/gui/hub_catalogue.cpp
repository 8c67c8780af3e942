#include "base/gui/WindowHub.h"
#include "catalogue/gui/frmKucun.h"
#include "catalogue/gui/frmUpdate.h"

#include <QPointer>

namespace vestrel::hub {

namespace {

// Each window exists once; closing deletes it and the next request loads it afresh.
QPointer<frmKucun> g_catalogue;
QPointer<frmUpdate> g_entry;

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

void reloadEntryForm() {
    frmUpdate* form = live(g_entry);
    if (form && form->MeiId != 0 && !form->Form_Load()) form->close();
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

} // namespace vestrel::hub
