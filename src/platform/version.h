#pragma once
// The operating system's version, as the program asks for it.
#include "wintypes.h"

constexpr DWORD VER_PLATFORM_WIN32_WINDOWS = 1;
constexpr DWORD VER_PLATFORM_WIN32_NT = 2;

struct OSVERSIONINFO {
    DWORD dwOSVersionInfoSize = 0;
    DWORD dwMajorVersion = 0;
    DWORD dwMinorVersion = 0;
    DWORD dwBuildNumber = 0;
    DWORD dwPlatformId = 0;
    char szCSDVersion[128] = {};
};
static_assert(sizeof(OSVERSIONINFO) == 148);

// Linux answers as the NT family (platform id 2) with the kernel's version numbers. Fails (0)
// when dwOSVersionInfoSize is not 148.
BOOL GetVersionExA(OSVERSIONINFO* lpVersionInformation);

namespace platform {
// Tests replace the answer; nullptr goes back to the real one.
using VersionHook = BOOL (*)(OSVERSIONINFO*);
void InstallVersionHook(VersionHook hook);
} // namespace platform
