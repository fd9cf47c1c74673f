#include "display.h"

#include <QtGlobal>
#include <cstring>

namespace platform {

QByteArray PreferredDisplayPlatform(int argc, const char* const* argv) {
    if (qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        return {};
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "-platform") == 0 || std::strcmp(argv[i], "--platform") == 0 ||
            std::strncmp(argv[i], "-platform=", 10) == 0 ||
            std::strncmp(argv[i], "--platform=", 11) == 0)
            return {};
    }
    if (qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") || qEnvironmentVariableIsEmpty("DISPLAY"))
        return {};
    return QByteArrayLiteral("xcb;wayland");
}

} // namespace platform
