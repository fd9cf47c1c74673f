// The window system chosen at start: X11 through XWayland in a Wayland session, unless the user
// chose otherwise.
#include "platform/display.h"

#include <QByteArray>
#include <gtest/gtest.h>

#include <map>
#include <vector>

namespace {

// Sets the variables for one case and puts back what was there.
class Environment {
public:
    ~Environment() {
        for (const auto& [name, value] : saved_) {
            if (value.isNull())
                qunsetenv(name.constData());
            else
                qputenv(name.constData(), value);
        }
    }
    void set(const char* name, const char* value) {
        if (!saved_.count(name))
            saved_[name] = qEnvironmentVariableIsSet(name) ? qgetenv(name) : QByteArray();
        if (value)
            qputenv(name, value);
        else
            qunsetenv(name);
    }

private:
    std::map<QByteArray, QByteArray> saved_;
};

TEST(DisplayPlatform, XWaylandUnlessTheUserChose) {
    const struct {
        const char* what;
        const char* wayland;
        const char* display;
        const char* qpa;
        std::vector<const char*> args;
        const char* expected;
    } cases[] = {
        {"Wayland with XWayland", "wayland-0", ":0", nullptr, {}, "xcb;wayland"},
        {"Wayland without XWayland", "wayland-0", nullptr, nullptr, {}, ""},
        {"Wayland, DISPLAY empty", "wayland-0", "", nullptr, {}, ""},
        {"X11 only", nullptr, ":0", nullptr, {}, ""},
        {"the user's QT_QPA_PLATFORM", "wayland-0", ":0", "wayland", {}, ""},
        {"the user's -platform", "wayland-0", ":0", nullptr, {"-platform", "wayland"}, ""},
        {"the user's --platform=", "wayland-0", ":0", nullptr, {"--platform=wayland"}, ""},
        {"other arguments", "wayland-0", ":0", nullptr, {"-style", "Fusion"}, "xcb;wayland"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Environment env;
        env.set("WAYLAND_DISPLAY", c.wayland);
        env.set("DISPLAY", c.display);
        env.set("QT_QPA_PLATFORM", c.qpa);
        std::vector<const char*> argv = {"tallix-time"};
        argv.insert(argv.end(), c.args.begin(), c.args.end());
        EXPECT_EQ(platform::PreferredDisplayPlatform(int(argv.size()), argv.data()),
                  QByteArray(c.expected));
    }
}

} // namespace
