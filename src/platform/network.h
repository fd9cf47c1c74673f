#pragma once
// The Internet library's version and the connection state.
//
// Linux meaning: the connection state is QNetworkInformation's reachability (the desktop's
// network monitor, loaded once on a thread of its own, as loading it waits on the system bus:
// the question never waits, and the state is unknown until the monitor has loaded). Our
// "Internet library" reports version 1.2.
#include "wintypes.h"

using HINTERNET = std::int32_t;

constexpr DWORD INTERNET_OPTION_VERSION = 40;

struct INTERNET_VERSION_INFO {
    DWORD dwMajorVersion = 0;
    DWORD dwMinorVersion = 0;
};
static_assert(sizeof(INTERNET_VERSION_INFO) == 8);

constexpr DWORD INTERNET_CONNECTION_MODEM = 0x01;
constexpr DWORD INTERNET_CONNECTION_LAN = 0x02;
constexpr DWORD INTERNET_CONNECTION_PROXY = 0x04;
constexpr DWORD INTERNET_CONNECTION_OFFLINE = 0x20;
constexpr DWORD INTERNET_CONNECTION_CONFIGURED = 0x40;

// INTERNET_OPTION_VERSION with no handle fills an INTERNET_VERSION_INFO; *lpdwBufferLength
// must be at least 8 and becomes 8. Every other option fails (FALSE).
BOOL InternetQueryOptionA(HINTERNET hInternet, DWORD dwOption, void* lpBuffer,
                          DWORD* lpdwBufferLength);

// TRUE when the Internet can be reached (flags INTERNET_CONNECTION_LAN), FALSE when the
// monitor says the machine is offline or on a local network only (flags
// INTERNET_CONNECTION_OFFLINE). When no monitor is available or it cannot tell, the answer is
// TRUE with INTERNET_CONNECTION_CONFIGURED: an unknown state must not lock the user out of
// what needs a connection; the attempt itself then reports a failure.
BOOL InternetGetConnectedState(DWORD* lpdwFlags, DWORD dwReserved);

namespace platform {

enum class Reachability { Unknown, Disconnected, Local, Site, Online };

class NetworkBackend {
public:
    virtual ~NetworkBackend() = default;
    // False when the version cannot be told.
    virtual bool libraryVersion(DWORD* major, DWORD* minor) = 0;
    virtual Reachability reachability() = 0;
};
NetworkBackend& CurrentNetworkBackend();
void InstallNetworkBackend(NetworkBackend* backend);

} // namespace platform
