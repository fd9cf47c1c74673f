#include "version.h"

#include <cstdio>
#include <cstring>
#include <sys/utsname.h>

namespace {
platform::VersionHook gHook = nullptr;
}

namespace platform {
void InstallVersionHook(VersionHook hook) {
    gHook = hook;
}
} // namespace platform

BOOL GetVersionExA(OSVERSIONINFO* info) {
    if (!info || info->dwOSVersionInfoSize != sizeof(OSVERSIONINFO))
        return 0;
    if (gHook)
        return gHook(info);
    info->dwPlatformId = VER_PLATFORM_WIN32_NT;
    struct utsname u {};
    if (::uname(&u) == 0) {
        unsigned major = 0, minor = 0, build = 0;
        std::sscanf(u.release, "%u.%u.%u", &major, &minor, &build);
        info->dwMajorVersion = major;
        info->dwMinorVersion = minor;
        info->dwBuildNumber = build;
    }
    info->szCSDVersion[0] = '\0';
    return 1;
}
