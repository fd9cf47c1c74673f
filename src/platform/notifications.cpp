#include "notifications.h"

#include "tray.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QVariantMap>
#include <atomic>

namespace platform {
namespace {
std::atomic<NotificationHook> g_hook{nullptr};
} // namespace

bool ShowDesktopNotification(const QString& title, const QString& text, DWORD infoFlags) {
    if (NotificationHook hook = g_hook.load())
        return hook(title, text, infoFlags);
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return false;
    QDBusMessage notify = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.Notifications"),
        QStringLiteral("/org/freedesktop/Notifications"),
        QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("Notify"));
    QVariantMap hints;
    // 0 low, 1 normal, 2 critical.
    hints.insert(QStringLiteral("urgency"),
                 QVariant::fromValue(uchar((infoFlags & 0xF) == NIIF_ERROR ? 2 : 1)));
    const QString icon = (infoFlags & 0xF) == NIIF_WARNING ? QStringLiteral("dialog-warning")
                                                           : QStringLiteral("dialog-information");
    notify << QCoreApplication::applicationName() << uint(0) << icon << title << text
           << QStringList() << hints << int(-1);
    // Sent without waiting: a slow service must not hold up the clock tick.
    return bus.send(notify);
}

void InstallNotificationHook(NotificationHook hook) {
    g_hook.store(hook);
}

} // namespace platform
