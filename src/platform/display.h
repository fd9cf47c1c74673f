#pragma once
// The window system the program runs on.
//
// A native Wayland client can neither keep itself on top, nor place its windows, nor raise
// itself or the running copy at prayer time. In a Wayland session that also offers XWayland the
// program therefore runs as an X11 client, unless the user chose a platform plug-in.
#include <QByteArray>

namespace platform {

// The value for QT_QPA_PLATFORM to set before the application object is made: "xcb;wayland"
// (X11 through XWayland, Wayland should that fail) when WAYLAND_DISPLAY and DISPLAY are both
// set; "" when nothing is to be set: no Wayland, no XWayland, or the user's own choice in
// QT_QPA_PLATFORM or in a -platform argument.
QByteArray PreferredDisplayPlatform(int argc, const char* const* argv);

} // namespace platform
