#include "sysparams.h"

#include "broadcasts.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusServiceWatcher>
#include <QFontDatabase>
#include <QPointer>
#include <QScreen>
#include <QStyle>
#include <QStyleHints>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace platform {
namespace {

const QString kSaverService = QStringLiteral("org.freedesktop.ScreenSaver");
const QString kSaverPath = QStringLiteral("/org/freedesktop/ScreenSaver");
// How long a lock or the screen saver may take to answer before it counts as refused.
constexpr int kDesktopWaitMs = 10000;

class DesktopBackend final : public SystemBackend {
public:
    // Answered from what the bus last told: the question never waits on the bus, so a stalled
    // bus cannot hold up whoever asks.
    ScreenSaverService screenSaver() override {
        follow();
        return saver_;
    }

    void lockSession(SystemAnswer answer) override {
        // The desktop's screen locker first; the login manager asks it in turn otherwise.
        QDBusConnection session = QDBusConnection::sessionBus();
        if (!session.isConnected()) {
            lockThroughLoginManager(std::move(answer));
            return;
        }
        CallWithoutWaiting(session,
                           QDBusMessage::createMethodCall(kSaverService, kSaverPath, kSaverService,
                                                          QStringLiteral("Lock")),
                           kDesktopWaitMs,
                           [answer = std::move(answer)](const QDBusMessage& reply) mutable {
                               if (reply.type() == QDBusMessage::ReplyMessage)
                                   answer(true, QString());
                               else
                                   lockThroughLoginManager(std::move(answer));
                           });
    }

    void activateScreenSaver(SystemAnswer answer) override {
        QDBusConnection bus = QDBusConnection::sessionBus();
        if (!bus.isConnected()) {
            answer(false, QStringLiteral("the session bus cannot be reached"));
            return;
        }
        QDBusMessage call = QDBusMessage::createMethodCall(kSaverService, kSaverPath, kSaverService,
                                                           QStringLiteral("SetActive"));
        call << true;
        CallWithoutWaiting(
            bus, call, kDesktopWaitMs, [answer = std::move(answer)](const QDBusMessage& reply) {
                if (reply.type() != QDBusMessage::ReplyMessage) {
                    answer(false, ErrorReason(reply));
                    return;
                }
                // SetActive answers whether the saver is now active.
                answer(reply.arguments().isEmpty() || reply.arguments().constFirst().toBool(),
                       QString());
            });
    }

    QFont systemFont() override { return QFontDatabase::systemFont(QFontDatabase::GeneralFont); }

    int cursorFlashTime() override {
        return qApp ? QGuiApplication::styleHints()->cursorFlashTime() : 1000;
    }

    int logicalDpiY() override {
        const QScreen* s = qApp ? QGuiApplication::primaryScreen() : nullptr;
        const double dpi = s ? s->logicalDotsPerInchY() : 96.0;
        return dpi > 0 ? static_cast<int>(std::lround(dpi)) : 96;
    }

private:
    static void lockThroughLoginManager(SystemAnswer answer) {
        QDBusConnection system = QDBusConnection::systemBus();
        if (!system.isConnected()) {
            answer(false, QStringLiteral("the system bus cannot be reached"));
            return;
        }
        CallWithoutWaiting(
            system,
            QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.login1"),
                                           QStringLiteral("/org/freedesktop/login1/session/auto"),
                                           QStringLiteral("org.freedesktop.login1.Session"),
                                           QStringLiteral("Lock")),
            kDesktopWaitMs, [answer = std::move(answer)](const QDBusMessage& reply) {
                answer(reply.type() == QDBusMessage::ReplyMessage, ErrorReason(reply));
            });
    }

    // From the first question on, the bus's NameOwnerChanged signal keeps the answer; the owner
    // at that moment is asked without waiting, and until it answers the saver counts as there
    // (as when nothing can be told).
    void follow() {
        if (watcher_ || !QCoreApplication::instance())
            return;
        QDBusConnection bus = QDBusConnection::sessionBus();
        if (!bus.isConnected() || !bus.interface()) {
            saver_ = ScreenSaverService::NoBus;
            return;
        }
        saver_ = ScreenSaverService::Present;
        watcher_ =
            new QDBusServiceWatcher(kSaverService, bus, QDBusServiceWatcher::WatchForOwnerChange,
                                    QCoreApplication::instance());
        QObject::connect(watcher_, &QDBusServiceWatcher::serviceOwnerChanged, watcher_,
                         [this](const QString&, const QString&, const QString& owner) {
                             set(owner.isEmpty() ? ScreenSaverService::Absent
                                                 : ScreenSaverService::Present);
                         });
        const QDBusPendingCall owner =
            bus.interface()->asyncCall(QStringLiteral("NameHasOwner"), kSaverService);
        auto* answer = new QDBusPendingCallWatcher(owner, watcher_);
        QObject::connect(answer, &QDBusPendingCallWatcher::finished, watcher_,
                         [this](QDBusPendingCallWatcher* call) {
                             const QDBusPendingReply<bool> reply = *call;
                             if (reply.isValid())
                                 set(reply.value() ? ScreenSaverService::Present
                                                   : ScreenSaverService::Absent);
                             call->deleteLater();
                         });
    }

    void set(ScreenSaverService now) {
        if (now == saver_)
            return;
        saver_ = now;
        BroadcastScreenSaverChange();
    }

    QPointer<QDBusServiceWatcher> watcher_;
    ScreenSaverService saver_ = ScreenSaverService::Present;
};

DesktopBackend gDesktop;
SystemBackend* gBackend = nullptr;
// A press of the screen saver or the lock while its request waits makes no other.
OneRequestAtATime gSaverRequest;
OneRequestAtATime gLockRequest;

// Copies the UTF-8 name into the field, cut before a character that would not fit whole.
void setFaceName(char (&field)[LF_FACESIZE], const QString& name) {
    std::memset(field, 0, sizeof field);
    const QByteArray bytes = name.toUtf8();
    qsizetype n = std::min<qsizetype>(bytes.size(), LF_FACESIZE - 1);
    if (n < bytes.size())
        while (n > 0 && (static_cast<unsigned char>(bytes[n]) & 0xC0) == 0x80)
            --n;
    std::memcpy(field, bytes.constData(), static_cast<size_t>(n));
}

int styleMetric(QStyle::PixelMetric metric, int fallback) {
    const QStyle* style = qApp ? QApplication::style() : nullptr;
    return style ? style->pixelMetric(metric) : fallback;
}

constexpr HDC kScreenDC = 0x5C0;
constexpr HWND kDesktopWindow = 0x10010;

} // namespace

SystemBackend& CurrentSystemBackend() {
    return gBackend ? *gBackend : gDesktop;
}
void InstallSystemBackend(SystemBackend* backend) {
    gBackend = backend;
    gSaverRequest.forget();
    gLockRequest.forget();
}

void ActivateScreenSaver(SystemAnswer answer) {
    gSaverRequest.ask({}, AnswerLater(std::move(answer)), [](SystemAnswer done) {
        CurrentSystemBackend().activateScreenSaver(std::move(done));
    });
}

LOGFONTA LogFontFromQFont(const QFont& font, int dpiY) {
    LOGFONTA lf;
    if (font.pointSizeF() > 0)
        lf.lfHeight = -static_cast<LONG>(std::lround(font.pointSizeF() * dpiY / 72.0));
    else
        lf.lfHeight = -std::max(font.pixelSize(), 0);
    lf.lfWeight = static_cast<LONG>(font.weight());
    lf.lfItalic = font.italic() ? 1 : 0;
    lf.lfUnderline = font.underline() ? 1 : 0;
    lf.lfStrikeOut = font.strikeOut() ? 1 : 0;
    lf.lfCharSet = DEFAULT_CHARSET;
    setFaceName(lf.lfFaceName, font.family());
    return lf;
}

} // namespace platform

BOOL SystemParametersInfoA(UINT uiAction, UINT, void* pvParam, UINT) {
    if (!pvParam)
        return 0;
    platform::SystemBackend& backend = platform::CurrentSystemBackend();
    switch (uiAction) {
    case SPI_GETSCREENSAVEACTIVE: {
        const platform::ScreenSaverService service = backend.screenSaver();
        if (service == platform::ScreenSaverService::NoBus)
            return 0;
        *static_cast<BOOL*>(pvParam) = service == platform::ScreenSaverService::Present ? 1 : 0;
        return 1;
    }
    case SPI_GETNONCLIENTMETRICS: {
        auto* ncm = static_cast<NONCLIENTMETRICSA*>(pvParam);
        if (ncm->cbSize != sizeof(NONCLIENTMETRICSA))
            return 0;
        const LOGFONTA lf = platform::LogFontFromQFont(backend.systemFont(), backend.logicalDpiY());
        const int frame = platform::styleMetric(QStyle::PM_DefaultFrameWidth, 1);
        const int scroll = platform::styleMetric(QStyle::PM_ScrollBarExtent, 16);
        const int caption = platform::styleMetric(QStyle::PM_TitleBarHeight, 18);
        ncm->iBorderWidth = frame;
        ncm->iScrollWidth = scroll;
        ncm->iScrollHeight = scroll;
        ncm->iCaptionWidth = caption;
        ncm->iCaptionHeight = caption;
        ncm->lfCaptionFont = lf;
        ncm->iSmCaptionWidth = caption;
        ncm->iSmCaptionHeight = caption;
        ncm->lfSmCaptionFont = lf;
        ncm->iMenuWidth = caption;
        ncm->iMenuHeight = caption;
        ncm->lfMenuFont = lf;
        ncm->lfStatusFont = lf;
        ncm->lfMessageFont = lf;
        return 1;
    }
    default:
        return 0;
    }
}

UINT GetCaretBlinkTime() {
    const int period = platform::CurrentSystemBackend().cursorFlashTime();
    if (period <= 0)
        return INFINITE_BLINK;
    return static_cast<UINT>(std::max(period / 2, 1));
}

HWND GetDesktopWindow() {
    return platform::kDesktopWindow;
}

HDC GetDC(HWND hWnd) {
    return hWnd == 0 || hWnd == platform::kDesktopWindow ? platform::kScreenDC : 0;
}

int ReleaseDC(HWND, HDC hDC) {
    return hDC == platform::kScreenDC ? 1 : 0;
}

int GetDeviceCaps(HDC hdc, int index) {
    if (hdc != platform::kScreenDC)
        return 0;
    if (index == LOGPIXELSY)
        return platform::CurrentSystemBackend().logicalDpiY();
    if (index == LOGPIXELSX) {
        const QScreen* s = qApp ? QGuiApplication::primaryScreen() : nullptr;
        const double dpi = s ? s->logicalDotsPerInchX() : 96.0;
        return dpi > 0 ? static_cast<int>(std::lround(dpi)) : 96;
    }
    return 0;
}

BOOL LockWorkStation(platform::SystemAnswer answer) {
    platform::gLockRequest.ask({}, platform::AnswerLater(std::move(answer)),
                               [](platform::SystemAnswer done) {
                                   platform::CurrentSystemBackend().lockSession(std::move(done));
                               });
    return 1;
}
