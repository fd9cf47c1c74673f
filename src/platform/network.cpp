#include "network.h"

#include <QCoreApplication>
#include <QNetworkInformation>

namespace platform {
namespace {

class QtNetworkBackend final : public NetworkBackend {
public:
    bool libraryVersion(DWORD* major, DWORD* minor) override {
        *major = 1;
        *minor = 2;
        return true;
    }

    Reachability reachability() override {
        if (!QCoreApplication::instance())
            return Reachability::Unknown;
        if (!QNetworkInformation::instance() && !QNetworkInformation::loadDefaultBackend())
            return Reachability::Unknown;
        const QNetworkInformation* info = QNetworkInformation::instance();
        if (!info)
            return Reachability::Unknown;
        switch (info->reachability()) {
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
