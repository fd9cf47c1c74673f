#include "blocked_windows.h"

#include <QAbstractNativeEventFilter>
#include <QGuiApplication>
#include <QTimer>
#include <QWindow>

#include <xcb/xcb.h>

namespace platform {
namespace {

std::function<void()> gHandler;

// The top-level window of ours that has this X window, nullptr when none has.
QWindow* windowOf(xcb_window_t id) {
    for (QWindow* w : QGuiApplication::topLevelWindows())
        if (w->handle() && w->winId() == id)
            return w;
    return nullptr;
}

// Whether the modal window up takes the input of this window: any top-level window of ours
// but the modal window itself and the windows that belong to it (its menus and lists).
bool blocked(const QWindow* w) {
    const QWindow* modal = QGuiApplication::modalWindow();
    if (!w || !modal || w->type() == Qt::Popup || w->type() == Qt::ToolTip)
        return false;
    for (const QWindow* up = w; up; up = up->transientParent())
        if (up == modal)
            return false;
    return true;
}

class ActivationFilter final : public QAbstractNativeEventFilter {
public:
    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) override {
        if (eventType != "xcb_generic_event_t" || !gHandler)
            return false;
        const auto* event = static_cast<const xcb_generic_event_t*>(message);
        xcb_window_t window = XCB_NONE;
        switch (event->response_type & 0x7f) {
        case XCB_BUTTON_PRESS:
            window = reinterpret_cast<const xcb_button_press_event_t*>(event)->event;
            break;
        case XCB_FOCUS_IN: {
            // The focus the window manager gives, not that of a grab or of the pointer.
            const auto* focus = reinterpret_cast<const xcb_focus_in_event_t*>(event);
            if (focus->mode == XCB_NOTIFY_MODE_GRAB || focus->mode == XCB_NOTIFY_MODE_UNGRAB ||
                focus->detail == XCB_NOTIFY_DETAIL_POINTER)
                return false;
            window = focus->event;
            break;
        }
        default:
            return false;
        }
        if (blocked(windowOf(window)))
            QTimer::singleShot(0, qApp, [] {
                if (gHandler)
                    gHandler();
            });
        // The toolkit still sees the event (and drops it for a blocked window).
        return false;
    }
};

} // namespace

void OnBlockedWindowActivated(std::function<void()> handler) {
    static ActivationFilter* filter = nullptr;
    gHandler = std::move(handler);
    if (!filter && gHandler && QCoreApplication::instance()) {
        filter = new ActivationFilter;
        QCoreApplication::instance()->installNativeEventFilter(filter);
    }
}

} // namespace platform
