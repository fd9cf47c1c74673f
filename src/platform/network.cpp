#include "network.h"

#include <QCoreApplication>
#include <QNetworkInformation>
#include <QPointer>
#include <QThread>
#include <atomic>

namespace platform {
namespace {

Reachability fromQt(QNetworkInformation::Reachability r) {
    switch (r) {
    case QNetworkInformation::Reachability::Disconnected:
        return Reachability::Disconnected;
    case QNetworkInformation::Reachability::Local:
        return Reachability::Local;
    case QNetworkInformation::Reachability::Site:
        return Reachability::Site;
    case QNetworkInformation::Reachability::Online:
        return Reachability::Online;
    case QNetworkInformation::Reachability::Unknown:
        break;
    }
    return Reachability::Unknown;
}

// Qt's network monitor asks NetworkManager over the system bus and waits for its answers while
// it loads, so it loads on a thread of its own, which then keeps it and follows its changes.
// Until it has loaded the state is unknown.
class MonitorThread final : public QThread {
public:
    std::atomic<Reachability> state{Reachability::Unknown};

protected:
    void run() override {
        if (!QNetworkInformation::instance() && !QNetworkInformation::loadDefaultBackend())
            return;
        const QNetworkInformation* info = QNetworkInformation::instance();
        if (!info)
            return;
        QObject::connect(
            info, &QNetworkInformation::reachabilityChanged, info,
            [this](QNetworkInformation::Reachability r) { state = fromQt(r); },
            Qt::DirectConnection);
        state = fromQt(info->reachability());
        exec();
    }
};

// Ends the monitor's thread before the application goes (a running thread must not be
// destroyed).
class MonitorGuard final : public QObject {
public:
    explicit MonitorGuard(MonitorThread* thread)
        : QObject(QCoreApplication::instance()), thread_(thread) {}
    ~MonitorGuard() override {
        thread_->quit();
        thread_->wait();
        delete thread_;
    }
    MonitorThread* thread_;
};

class QtNetworkBackend final : public NetworkBackend {
public:
    bool libraryVersion(DWORD* major, DWORD* minor) override {
        *major = 1;
        *minor = 2;
        return true;
    }

    // Never waits: answers what the monitor last told.
    Reachability reachability() override {
        if (!QCoreApplication::instance())
            return Reachability::Unknown;
        if (!guard_) {
            auto* thread = new MonitorThread;
            guard_ = new MonitorGuard(thread);
            thread->start();
        }
        return guard_->thread_->state.load();
    }

private:
    QPointer<MonitorGuard> guard_;
};

QtNetworkBackend gQtBackend;
NetworkBackend* gBackend = nullptr;

} // namespace

NetworkBackend& CurrentNetworkBackend() {
    return gBackend ? *gBackend : gQtBackend;
}
void InstallNetworkBackend(NetworkBackend* backend) {
    gBackend = backend;
}

} // namespace platform

BOOL InternetQueryOptionA(HINTERNET hInternet, DWORD dwOption, void* lpBuffer,
                          DWORD* lpdwBufferLength) {
    if (hInternet != 0 || dwOption != INTERNET_OPTION_VERSION || !lpBuffer || !lpdwBufferLength ||
        *lpdwBufferLength < sizeof(INTERNET_VERSION_INFO))
        return 0;
    DWORD major = 0;
    DWORD minor = 0;
    if (!platform::CurrentNetworkBackend().libraryVersion(&major, &minor))
        return 0;
    auto* info = static_cast<INTERNET_VERSION_INFO*>(lpBuffer);
    info->dwMajorVersion = major;
    info->dwMinorVersion = minor;
    *lpdwBufferLength = sizeof(INTERNET_VERSION_INFO);
    return 1;
}

BOOL InternetGetConnectedState(DWORD* lpdwFlags, DWORD) {
    DWORD flags = 0;
    BOOL connected = 0;
    switch (platform::CurrentNetworkBackend().reachability()) {
    case platform::Reachability::Online:
    case platform::Reachability::Site:
        flags = INTERNET_CONNECTION_LAN;
        connected = 1;
        break;
    case platform::Reachability::Disconnected:
    case platform::Reachability::Local:
        flags = INTERNET_CONNECTION_OFFLINE;
        break;
    case platform::Reachability::Unknown:
        flags = INTERNET_CONNECTION_CONFIGURED;
        connected = 1;
        break;
    }
    if (lpdwFlags)
        *lpdwFlags = flags;
    return connected;
}
