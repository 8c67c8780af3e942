#include "base/gui/SingleWindow.h"
#include "base/gui/WindowHub.h"
#include "catalogue/gui/frmKucun.h"
#include "catalogue/gui/frmUpdate.h"

namespace vestrel::hub {

namespace {
SingleWindow<frmKucun> g_catalogue;
SingleWindow<frmUpdate> g_entry;
} // namespace

QWidget* catalogueWindow(bool* loadedNow) {
    return g_catalogue.obtain([](frmKucun& w) { return w.Form_Load(); }, loadedNow);
}

bool isCatalogueWindowLoaded() {
    return g_catalogue.get() != nullptr;
}

void refreshCatalogueList() {
    if (frmKucun* w = g_catalogue.get()) w->addLIST();
}

void reloadEntryForm() {
    frmUpdate* form = g_entry.get();
    if (form && form->MeiId != 0 && !form->Form_Load()) form->close();
}

void showEntryForm(qint32 meiId) {
    const auto load = [meiId](frmUpdate& form) {
        form.MeiId = meiId;
        return form.Form_Load();
    };
    frmUpdate* form = g_entry.get();
    // The same request again keeps what was typed; another lot (or a new one) reloads every box, so one lot's
    // values never stand under another's MeiId.
    if (form && form->MeiId != meiId && !load(*form)) {
        form->close();
        return;
    }
    if (!form) form = g_entry.obtain(load);
    bringForward(form);
}

} // namespace vestrel::hub
