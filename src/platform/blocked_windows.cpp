#include "blocked_windows.h"

#include <QAbstractNativeEventFilter>
#include <QGuiApplication>
#include <QTimer>
#include <QWindow>

#include <cstdint>
#include <cstdlib>
#include <xcb/xcb.h>

namespace platform {
namespace {

std::function<void()> gHandler;
// The X Input extension's major opcode: Qt takes the pointer's buttons through it, so a press
// comes as a generic event of that extension rather than as a core ButtonPress.
std::uint8_t gXInputOpcode = 0;

// The start of an X Input 2 device event, as the protocol lays it out.
struct XiDeviceEvent {
    std::uint8_t response_type;
    std::uint8_t extension;
    std::uint16_t sequence;
    std::uint32_t length;
    std::uint16_t event_type;
    std::uint16_t deviceid;
    std::uint32_t time;
    std::uint32_t detail;
    std::uint32_t root;
    std::uint32_t event;
};
constexpr std::uint16_t kXiButtonPress = 4;

std::uint8_t xInputOpcode() {
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    xcb_connection_t* connection = x11 ? x11->connection() : nullptr;
    if (!connection)
        return 0;
    static const char name[] = "XInputExtension";
    xcb_query_extension_reply_t* reply = xcb_query_extension_reply(
        connection, xcb_query_extension(connection, sizeof name - 1, name), nullptr);
    const std::uint8_t opcode = reply && reply->present ? reply->major_opcode : 0;
    std::free(reply);
    return opcode;
}

// The top-level window of ours that has this X window or holds it (the tray icon's window sits
// in one of its own), nullptr when none has.
QWindow* windowOf(xcb_window_t id) {
    for (QWindow* w : QGuiApplication::allWindows())
        if (w->handle() && w->winId() == id) {
            while (w->parent())
                w = w->parent();
            return w;
        }
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
        case XCB_GE_GENERIC: {
            const auto* press = reinterpret_cast<const XiDeviceEvent*>(event);
            if (!gXInputOpcode || press->extension != gXInputOpcode ||
                press->event_type != kXiButtonPress)
                return false;
            window = press->event;
            break;
        }
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
        gXInputOpcode = xInputOpcode();
        QCoreApplication::instance()->installNativeEventFilter(filter);
    }
}

} // namespace platform
