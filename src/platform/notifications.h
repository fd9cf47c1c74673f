#pragma once
// Desktop notifications (org.freedesktop.Notifications on the session bus), for a balloon that
// has no tray icon to come from: a desktop without a tray still shows the program's messages.
#include "wintypes.h"

#include <QString>

namespace platform {

// Shows a notification with the title and text; infoFlags as a balloon's (NIIF_INFO,
// NIIF_WARNING...) choose its urgency. False when no notification service answered.
bool ShowDesktopNotification(const QString& title, const QString& text, DWORD infoFlags);

// Tests see the notifications instead of the session bus; nullptr goes back to the bus.
using NotificationHook = bool (*)(const QString& title, const QString& text, DWORD infoFlags);
void InstallNotificationHook(NotificationHook hook);

} // namespace platform
