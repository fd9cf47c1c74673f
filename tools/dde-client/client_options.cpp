#include "client_options.h"

#include <cerrno>
#include <cstdlib>
#include <utility>

namespace {
// A whole positive decimal number, or -1.
long positiveNumber(const char* text) {
    char* end = nullptr;
    errno = 0;
    const long n = std::strtol(text, &end, 10);
    return errno == 0 && end != text && *end == '\0' && n > 0 ? n : -1;
}
} // namespace

bool ParseClientOptions(int argc, const char* const* argv, ClientOptions* options) {
    ClientOptions o;
    bool countGiven = false, optionsEnded = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (optionsEnded || arg.empty() || arg[0] != '-') {
            o.items.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
        } else if (arg == "-a") {
            o.follow = true;
        } else if ((arg == "-s" || arg == "-t" || arg == "-n") && i + 1 < argc) {
            const char* value = argv[++i];
            if (arg == "-s") {
                o.service = value;
            } else if (arg == "-t") {
                o.topic = value;
            } else {
                o.count = positiveNumber(value);
                if (o.count < 0)
                    return false;
                countGiven = true;
            }
        } else {
            return false;
        }
    }
    // One item to follow, or some to read; a count only for the updates.
    if (o.follow ? o.items.size() != 1 : o.items.empty() || countGiven)
        return false;
    *options = std::move(o);
    return true;
}
