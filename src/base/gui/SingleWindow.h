#pragma once
// One window of a kind: built and loaded on first use, handed out again while it is open, and forgotten once
// it accepted its close, so the next request builds and loads a fresh one.

#include <QPointer>
#include <QWidget>

namespace vestrel {

template <class W> class SingleWindow {
public:
    enum OnClose { DeleteOnClose, HideOnClose };
    explicit SingleWindow(OnClose onClose = DeleteOnClose) : m_onClose(onClose) {}

    // The open window; nullptr before the first load and from the moment the window accepted its close (it is
    // deleted a little later and must not be handed out again).
    W* get() const {
        if (!m_window) return nullptr;
        if constexpr (requires(const W& w) { w.closing(); })
            if (m_window->closing()) return nullptr;
        return m_window.data();
    }

    // The open window, or a new one given to load first; nullptr when that load fails (the new window is deleted
    // then). loadedNow tells whether this call built the window.
    template <class Load> W* obtain(Load load, bool* loadedNow = nullptr) {
        if (loadedNow) *loadedNow = false;
        if (W* w = get()) return w;
        auto* w = new W;
        if (m_onClose == DeleteOnClose) w->setAttribute(Qt::WA_DeleteOnClose);
        if (!load(*w)) {
            delete w;
            return nullptr;
        }
        m_window = w;
        if (loadedNow) *loadedNow = true;
        return w;
    }
    W* obtain(bool* loadedNow = nullptr) {
        return obtain([](W&) { return true; }, loadedNow);
    }

private:
    QPointer<W> m_window;
    OnClose m_onClose;
};

} // namespace vestrel
