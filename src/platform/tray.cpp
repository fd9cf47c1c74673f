#include "tray.h"

#include "icons.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDBusServiceWatcher>
#include <QMap>
#include <QPixmap>
#include <QPointer>
#include <QSystemTrayIcon>
#include <QTimer>
#include <atomic>
#include <cstring>
#include <memory>

namespace platform {

QString FieldText(const char* field, std::size_t width) {
    const void* nul = std::memchr(field, '\0', width);
    const auto length = nul ? static_cast<const char*>(nul) - field : static_cast<qsizetype>(width);
    QByteArray bytes(field, length);
    // A field cut in the middle of a character drops the broken character.
    int keep = int(bytes.size());
    int i = keep - 1;
    while (i >= 0 && (static_cast<unsigned char>(bytes[i]) & 0xC0) == 0x80)
        --i;
    if (i >= 0) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        const int need = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
        if (keep - i < need)
            keep = i;
    }
    bytes.truncate(keep);
    return QString::fromUtf8(bytes);
}

namespace {

std::atomic<TrayEventHook> g_eventHook{nullptr};

void report(HWND hWnd, UINT message, UINT uID, LONG event) {
    if (message == 0)
        return;
    if (TrayEventHook hook = g_eventHook.load())
        hook(hWnd, message, uID, event);
}

// A tray icon of ours and what the shell keeps of its record.
struct Icon {
    HWND hWnd = 0;
    UINT uID = 0;
    UINT callbackMessage = 0;
    UINT version = 0;
    // Owned by the application object, so none outlives it.
    QPointer<QSystemTrayIcon> tray;
    QTimer* balloonTimeout = nullptr; // a child of the tray icon
    bool balloonShown = false;
};

QIcon iconOf(HANDLE handle) {
    QIcon icon = IconOfHandle(handle);
    if (icon.isNull()) {
        // An icon handle that names nothing shows an empty square, as the shell does.
        QPixmap blank(16, 16);
        blank.fill(Qt::transparent);
        icon = QIcon(blank);
    }
    return icon;
}

QSystemTrayIcon::MessageIcon balloonIcon(DWORD infoFlags) {
    switch (infoFlags & 0xF) {
    case NIIF_INFO:
        return QSystemTrayIcon::Information;
    case NIIF_WARNING:
        return QSystemTrayIcon::Warning;
    case NIIF_ERROR:
        return QSystemTrayIcon::Critical;
    default:
        return QSystemTrayIcon::NoIcon;
    }
}

class DesktopTray final : public TrayBackend {
public:
    BOOL notifyIcon(DWORD message, const NOTIFYICONDATA& data) override {
        if (data.cbSize < kNotifyIconDataOldSize || !qobject_cast<QApplication*>(qApp))
            return FALSE_;
        const auto key = qMakePair(data.hWnd, data.uID);
        auto found = icons_.find(key);
        if (found != icons_.end() && !(*found)->tray) {
            icons_.erase(found); // gone with the application object
            found = icons_.end();
        }
        switch (message) {
        case NIM_ADD: {
            if (found != icons_.end() || !QSystemTrayIcon::isSystemTrayAvailable())
                return FALSE_;
            auto icon = std::make_shared<Icon>();
            icon->hWnd = data.hWnd;
            icon->uID = data.uID;
            icon->tray = new QSystemTrayIcon(qApp);
            icon->tray->setIcon(iconOf(0));
            connect(*icon);
            // The icon shows with its picture and tip before any balloon of the record.
            NOTIFYICONDATA withoutBalloon = data;
            withoutBalloon.uFlags &= ~NIF_INFO;
            apply(*icon, withoutBalloon);
            icon->tray->show();
            if (data.uFlags & NIF_INFO)
                apply(*icon, data);
            icons_.insert(key, icon);
            return TRUE_;
        }
        case NIM_MODIFY:
            if (found == icons_.end())
                return FALSE_;
            apply(**found, data);
            return TRUE_;
        case NIM_DELETE:
            if (found == icons_.end())
                return FALSE_;
            (*found)->tray->hide();
            delete (*found)->tray.data();
            icons_.erase(found);
            return TRUE_;
        case NIM_SETVERSION:
            if (found == icons_.end())
                return FALSE_;
            (*found)->version = data.uTimeoutOrVersion;
            return TRUE_;
        default:
            return FALSE_;
        }
    }

private:
    static void connect(Icon& icon) {
        Icon* const p = &icon;
        QObject::connect(icon.tray.data(), &QSystemTrayIcon::activated, icon.tray.data(),
                         [p](QSystemTrayIcon::ActivationReason reason) {
                             switch (reason) {
                             case QSystemTrayIcon::Trigger:
                                 report(p->hWnd, p->callbackMessage, p->uID, WM_LBUTTONUP);
                                 break;
                             case QSystemTrayIcon::DoubleClick:
                                 report(p->hWnd, p->callbackMessage, p->uID, WM_LBUTTONDBLCLK);
                                 break;
                             case QSystemTrayIcon::Context:
                                 report(p->hWnd, p->callbackMessage, p->uID, WM_RBUTTONUP);
                                 break;
                             case QSystemTrayIcon::MiddleClick:
                                 report(p->hWnd, p->callbackMessage, p->uID, WM_MBUTTONUP);
                                 break;
                             default:
                                 break;
                             }
                         });
        QObject::connect(icon.tray.data(), &QSystemTrayIcon::messageClicked, icon.tray.data(),
                         [p] { endBalloon(*p, NIN_BALLOONUSERCLICK); });
        icon.balloonTimeout = new QTimer(icon.tray.data());
        icon.balloonTimeout->setSingleShot(true);
        QObject::connect(icon.balloonTimeout, &QTimer::timeout, icon.tray.data(),
                         [p] { endBalloon(*p, NIN_BALLOONTIMEOUT); });
    }

    static void endBalloon(Icon& icon, LONG event) {
        if (!icon.balloonShown)
            return;
        icon.balloonShown = false;
        icon.balloonTimeout->stop();
        report(icon.hWnd, icon.callbackMessage, icon.uID, event);
    }

    static void apply(Icon& icon, const NOTIFYICONDATA& data) {
        const bool balloonRecord = data.cbSize >= kNotifyIconDataBalloonSize;
        if (data.uFlags & NIF_MESSAGE)
            icon.callbackMessage = data.uCallbackMessage;
        if (data.uFlags & NIF_ICON)
            icon.tray->setIcon(iconOf(data.hIcon));
        if (data.uFlags & NIF_TIP) {
            QString tip = FieldText(data.szTip, balloonRecord ? sizeof data.szTip : 64);
            icon.tray->setToolTip(tip.replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
        }
        if ((data.uFlags & NIF_INFO) && balloonRecord) {
            const QString text = FieldText(data.szInfo, sizeof data.szInfo);
            if (text.isEmpty()) {
                // The desktop offers no way to take a message back; the balloon just ends.
                endBalloon(icon, NIN_BALLOONHIDE);
                return;
            }
            // The shell keeps a balloon between 10 and 30 seconds.
            const int timeout = int(qBound<UINT>(10000, data.uTimeoutOrVersion, 30000));
            icon.tray->showMessage(FieldText(data.szInfoTitle, sizeof data.szInfoTitle), text,
                                   balloonIcon(data.dwInfoFlags), timeout);
            icon.balloonTimeout->start(timeout);
            if (!icon.balloonShown) {
                icon.balloonShown = true;
                const HWND hWnd = icon.hWnd;
                const UINT message = icon.callbackMessage;
                const UINT uID = icon.uID;
                QTimer::singleShot(0, icon.tray.data(), [hWnd, message, uID] {
                    report(hWnd, message, uID, NIN_BALLOONSHOW);
                });
            }
        }
    }

    QMap<QPair<HWND, UINT>, std::shared_ptr<Icon>> icons_;
};

DesktopTray& desktopTray() {
    static DesktopTray tray;
    return tray;
}

std::atomic<TrayBackend*> g_installedBackend{nullptr};

} // namespace

TrayBackend& CurrentTrayBackend() {
    TrayBackend* installed = g_installedBackend.load();
    return installed ? *installed : desktopTray();
}

void InstallTrayBackend(TrayBackend* backend) {
    g_installedBackend.store(backend);
}

void InstallTrayEventHook(TrayEventHook hook) {
    g_eventHook.store(hook);
}

namespace {
TrayHostHook g_hostHook = nullptr;
QPointer<QDBusServiceWatcher> g_hostWatcher;
} // namespace

void InstallTrayHostHook(TrayHostHook hook) {
    g_hostHook = hook;
    if (!hook) {
        delete g_hostWatcher.data();
        return;
    }
    if (g_hostWatcher || !QCoreApplication::instance())
        return;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return;
    g_hostWatcher = new QDBusServiceWatcher(QStringLiteral("org.kde.StatusNotifierWatcher"), bus,
                                            QDBusServiceWatcher::WatchForRegistration,
                                            QCoreApplication::instance());
    QObject::connect(g_hostWatcher.data(), &QDBusServiceWatcher::serviceRegistered,
                     g_hostWatcher.data(), [] {
                         if (g_hostHook)
                             g_hostHook();
                     });
}

} // namespace platform

BOOL Shell_NotifyIconA(DWORD dwMessage, NOTIFYICONDATA* pnid) {
    if (!pnid)
        return FALSE_;
    try {
        return platform::CurrentTrayBackend().notifyIcon(dwMessage, *pnid) ? TRUE_ : FALSE_;
    } catch (...) {
        return FALSE_;
    }
}
