// A window of the program left where no screen shows it comes back onto a screen's work area:
// when the program is brought forward (a click on the tray icon, the tray menu's Open, a second
// start, an athan that shows the main window) and when a screen goes, gets smaller or loses
// room to a panel. A window wholly on a screen stays where it was put. The real program under
// openbox on Xvfb, whose RandR extension changes the screen's size and its monitors as
// unplugging a monitor does; frames (title bar and borders) are read as the window manager
// publishes them.
#include "desktop_session.h"
#include "fakes/child_process.h"
#include "fakes/wait_for.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QTime>
#include <functional>
#include <gtest/gtest.h>

namespace {

class WindowsBackOnScreen : public Desktop {
protected:
    void SetUp() override {
        ASSERT_TRUE(ToolInstalled(QStringLiteral("xrandr"), "x11-xserver-utils"));
        Desktop::SetUp();
    }

    // Runs xrandr on the desktop: each command of a list separated by ";".
    ::testing::AssertionResult xrandr(const QString& commands) {
        for (const QString& command : commands.split(u';', Qt::SkipEmptyParts)) {
            QProcess p;
            p.setProcessEnvironment(env);
            p.start(QStringLiteral("xrandr"), command.simplified().split(u' '));
            if (!p.waitForFinished(kStep)) {
                p.kill();
                p.waitForFinished();
            }
            if (p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
                return ::testing::AssertionFailure() << "xrandr " << command.toStdString() << ": "
                                                     << p.readAllStandardError().toStdString();
        }
        return ::testing::AssertionSuccess();
    }

    // The monitors as RandR lists them (name and place), the primary one first.
    QList<std::pair<QString, QRect>> monitors() const {
        QList<std::pair<QString, QRect>> found;
        // " 0: +*left 1920/508x1080/286+0+0  screen"
        static const QRegularExpression line(
            QStringLiteral(R"(^\s*\d+:\s+\+?(\*?)(\S+)\s+(\d+)/\d+x(\d+)/\d+\+(-?\d+)\+(-?\d+))"));
        const QString listed = x({QStringLiteral("xrandr"), QStringLiteral("--listmonitors")});
        for (const QString& l : listed.split(u'\n')) {
            const QRegularExpressionMatch m = line.match(l);
            if (!m.hasMatch())
                continue;
            const std::pair<QString, QRect> monitor{
                m.captured(2), QRect(m.captured(5).toInt(), m.captured(6).toInt(),
                                     m.captured(3).toInt(), m.captured(4).toInt())};
            if (m.captured(1).isEmpty())
                found.append(monitor);
            else
                found.prepend(monitor);
        }
        return found;
    }
    // Where windows may lie on a monitor: the window manager's work area there.
    QRect workAreaOn(const QRect& monitor) const { return xd->workArea() & monitor; }
    // The monitor on whose work area the frame lies: wholly, or, where it is taller or wider
    // than the area, from the area's top or left edge (its title bar on it); "" when none.
    QString monitorHolding(const QRect& frame) const {
        for (const auto& [name, place] : monitors()) {
            const QRect area = workAreaOn(place);
            const bool across = frame.width() > area.width()
                                    ? frame.left() == area.left()
                                    : frame.left() >= area.left() && frame.right() <= area.right();
            const bool down = frame.height() > area.height()
                                  ? frame.top() == area.top()
                                  : frame.top() >= area.top() && frame.bottom() <= area.bottom();
            if (!frame.isEmpty() && across && down)
                return name;
        }
        return {};
    }

    // The window's frame once the window manager has framed it; empty when it is not shown.
    QRect frameOf(Wid w) const {
        if (!viewable(w))
            return {};
        return xd->frameGeometry(w).value_or(QRect());
    }
    // Moves the window, its frame's corner about there (the window manager has the last word
    // on where a frame goes), and gives its frame once it has moved.
    QRect moveFrameTo(Wid w, QPoint corner) {
        const QRect before = frameOf(w);
        // The window manager puts the frame where the window is asked to go.
        x({QStringLiteral("xdotool"), QStringLiteral("windowmove"), QString::number(w),
           QString::number(corner.x()), QString::number(corner.y())});
        QRect after;
        EXPECT_TRUE(WaitFor(
            [&] {
                after = frameOf(w);
                return !after.isEmpty() && after != before;
            },
            kStep))
            << "the window did not move from " << GeometryText(before);
        return after;
    }
    // Whether at most a quarter of the frame is on the area.
    static bool mostlyOff(const QRect& frame, const QRect& area) {
        const QRect on = frame & area;
        return qint64(on.width()) * on.height() * 4 <= qint64(frame.width()) * frame.height();
    }

    // Hides the main window to the tray by its close box; a key press a loaded display lost is
    // pressed again.
    bool closeToTray(Wid main) {
        for (int attempt = 0; attempt < 3; ++attempt) {
            activate(main);
            key(QStringLiteral("alt+F4"));
            if (WaitFor([&] { return !viewable(main); }, kStep / 3))
                return true;
        }
        return false;
    }

    void secondStart() {
        QProcess second;
        second.setProcessEnvironment(env);
        StartInOwnSession(second);
        second.start(QStringLiteral(TALLIX_EXE), {});
        EXPECT_TRUE(second.waitForFinished(kStep * 2)) << "the second start did not end";
        EXPECT_EQ(second.exitCode(), 0);
    }

    // Opens Prayer Settings from the main window and gives its window.
    Wid openPrayerSettings(Wid main) {
        activate(main);
        key(QStringLiteral("ctrl+s"));
        Wid w = 0;
        EXPECT_TRUE(WaitFor(
            [&] {
                w = search(QStringLiteral("--name"), QStringLiteral("Prayer Settings$")).value(0);
                return w != 0 && !frameOf(w).isEmpty();
            },
            kStep * 2))
            << "no Prayer Settings";
        return w;
    }
};

// Each way of bringing the program forward, with the main window shown or hidden in the tray:
// a window mostly off the screen (at the lower right, as when a larger screen was unplugged,
// and at the upper left, its title bar above the screen) comes wholly onto the work area; one
// wholly on the screen, away from where it started, stays there.
enum class Way { TrayClick, TrayMenu, SecondStart };

class BroughtForward : public WindowsBackOnScreen, public ::testing::WithParamInterface<Way> {
protected:
    void bringForward() {
        switch (GetParam()) {
        case Way::TrayClick:
            clickTray(1);
            break;
        case Way::TrayMenu: {
            // A click the loaded display lost is clicked again.
            bool shown = false;
            for (int attempt = 0; attempt < 3 && !shown; ++attempt) {
                clickTray(3);
                shown = WaitFor([&] { return menuShown(); }, kStep / 3);
            }
            ASSERT_TRUE(shown) << "no tray menu";
            key(QStringLiteral("o"));
            break;
        }
        case Way::SecondStart:
            secondStart();
            break;
        }
    }
};

TEST_P(BroughtForward, AWindowOffTheScreenComesOntoItAndOneOnItStays) {
    const Wid main = startProgram();
    ASSERT_NE(main, 0u);
    const QRect area = xd->workArea();
    ASSERT_FALSE(area.isEmpty());
    QRect frame;
    ASSERT_TRUE(WaitFor([&] { return !(frame = frameOf(main)).isEmpty(); }, kStep));
    const QSize size = frame.size();
    const struct {
        const char* what;
        QPoint corner;
        bool stays;
    } places[] = {
        // Openbox keeps 66 px of a window it is asked to move off the screen on it.
        {"mostly off at the lower right", area.bottomRight() - QPoint(80, 80), false},
        {"mostly off at the upper left",
         area.topLeft() - QPoint(size.width() - 80, size.height() - 80), false},
        {"wholly on the screen", area.topLeft() + QPoint(37, 41), true},
    };
    for (const auto& place : places) {
        for (const bool inTray : {false, true}) {
            SCOPED_TRACE(std::string(place.what) + (inTray ? ", hidden in the tray" : ", shown"));
            if (!viewable(main)) {
                // Back in front from where the last round left it (a click on the tray icon
                // shows a hidden window).
                clickTray(1);
                ASSERT_TRUE(WaitFor([&] { return viewable(main); }, kStep));
            }
            // Somewhere else each round, so that the window is seen to go there.
            const QRect put =
                moveFrameTo(main, place.corner + (inTray ? QPoint(40, 30) : QPoint(0, 0)));
            ASSERT_TRUE(place.stays ? area.contains(put) : mostlyOff(put, area))
                << GeometryText(put) << " on " << GeometryText(area);
            if (inTray) {
                ASSERT_TRUE(closeToTray(main)) << "the close box did not hide it";
            }
            bringForward();
            if (HasFatalFailure())
                return;
            if (place.stays) {
                ASSERT_TRUE(WaitFor([&] { return upFront(main); }, kStep));
                // Where it was put, and still so a moment later.
                EXPECT_FALSE(WaitFor([&] { return frameOf(main) != put; }, 3000))
                    << GeometryText(frameOf(main)) << ", put at " << GeometryText(put);
            } else {
                EXPECT_TRUE(
                    WaitFor([&] { return upFront(main) && area.contains(frameOf(main)); }, kStep))
                    << GeometryText(frameOf(main)) << " is not within the work area "
                    << GeometryText(area);
            }
        }
    }
    EXPECT_EQ(program->state(), QProcess::Running);
}

INSTANTIATE_TEST_SUITE_P(Ways, BroughtForward,
                         ::testing::Values(Way::TrayClick, Way::TrayMenu, Way::SecondStart),
                         [](const auto& info) {
                             switch (info.param) {
                             case Way::TrayClick:
                                 return std::string("TrayClick");
                             case Way::TrayMenu:
                                 return std::string("TrayMenuOpen");
                             case Way::SecondStart:
                                 return std::string("SecondStart");
                             }
                             return std::string();
                         });

// While a dialog is up, a click on the tray icon (or on the window beneath) shows the dialog:
// one left mostly off the screen comes onto it.
TEST_F(WindowsBackOnScreen, ATrayClickBringsAnOpenDialogOntoTheScreen) {
    const QRect area = xd->workArea();
    ASSERT_FALSE(area.isEmpty());
    const Wid main = startProgram();
    ASSERT_NE(main, 0u);
    const Wid settings = openPrayerSettings(main);
    ASSERT_NE(settings, 0u);
    const QRect put = moveFrameTo(settings, area.bottomRight() - QPoint(90, 90));
    ASSERT_TRUE(mostlyOff(put, area)) << GeometryText(put);
    clickTray(1);
    EXPECT_TRUE(WaitFor([&] { return area.contains(frameOf(settings)); }, kStep))
        << GeometryText(frameOf(settings)) << " is not within the work area " << GeometryText(area);
    EXPECT_EQ(program->state(), QProcess::Running);
}

// The athan shows the main window in the middle of the work area, as ever, and a settings
// dialog kept open through it comes onto the screen too. The clock starts before Makkah's Dhuhr
// (12:32:00) by twice what the steps before it took in a first run, and some.
TEST_F(WindowsBackOnScreen, AnAthanBringsTheWindowAndItsDialogOntoTheScreen) {
    const QRect area = xd->workArea();
    ASSERT_FALSE(area.isEmpty());
    Wid main = 0, settings = 0;
    const auto putBothOff = [&] {
        main = startProgram({QStringLiteral("\"DisplayMainScreen\"=\"1\"")});
        ASSERT_NE(main, 0u);
        settings = openPrayerSettings(main);
        ASSERT_NE(settings, 0u);
        moveFrameTo(settings, area.bottomRight() - QPoint(90, 90));
        moveFrameTo(main, area.bottomRight() - QPoint(80, 80));
    };
    QElapsedTimer took;
    took.start();
    putBothOff();
    if (HasFatalFailure())
        return;
    const qint64 steps = took.elapsed();
    stopProgram();

    const int margin = int(20 + steps * 2 / 1000);
    env.insert(QStringLiteral("TALLIX_CLOCK_START"),
               QStringLiteral("2024-03-10T") +
                   QTime(12, 32).addSecs(-margin).toString(QStringLiteral("HH:mm:ss")));
    env.insert(QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("tallix.alerts.info=true"));
    const auto athan = [&] {
        return readLog(QStringLiteral("tallix-time")).contains(QStringLiteral("event 3 at"));
    };
    putBothOff();
    if (HasFatalFailure())
        return;
    ASSERT_FALSE(athan()) << "Dhuhr came before the windows were put off the screen: the "
                             "machine took more than "
                          << margin << " s";
    ASSERT_TRUE(mostlyOff(frameOf(main), area)) << GeometryText(frameOf(main));
    ASSERT_TRUE(mostlyOff(frameOf(settings), area)) << GeometryText(frameOf(settings));
    ASSERT_TRUE(WaitFor(athan, (margin + 60) * 1000)) << "no athan";
    for (const auto& [what, w] : {std::pair{"main window", main}, std::pair{"dialog", settings}})
        EXPECT_TRUE(WaitFor([&] { return area.contains(frameOf(w)); }, kStep))
            << what << " " << GeometryText(frameOf(w)) << " is not within the work area "
            << GeometryText(area);
    screenshot(QStringLiteral("athan_windows_back_on_screen"));
    EXPECT_EQ(program->state(), QProcess::Running);
}

// A screen that changes under the windows: made smaller (than the dialog, too), a second monitor
// unplugged with the windows on it, the primary monitor unplugged (a laptop taken from its dock)
// and a panel that takes room at the bottom. The main window and Prayer Settings (open, with the
// focus) are put first; where they are no longer wholly on a work area they come onto the one of
// the monitor they are most on, else the primary's; where they still are, they stay.
struct ScreenChange {
    const char* name;
    const char* xvfb;    // the screen Xvfb starts with (the largest it can become)
    const char* before;  // xrandr commands before the program starts
    QPoint main, dialog; // where the frames are put
    const char* change;  // xrandr commands, or "panel" for a panel that takes 200 px
    const char* lands;   // the monitor the windows are on afterwards; "" where they stay
};

void PrintTo(const ScreenChange& c, std::ostream* os) {
    *os << c.name;
}

// Xvfb's one output is "screen"; a mode of the size given is added before it is used.
#define MODE(w, h)                                                                                 \
    "--newmode " #w "x" #h " 0 " #w " 0 0 0 " #h " 0 0 0; --addmode screen " #w "x" #h             \
    "; --output screen --mode " #w "x" #h ";"
#define TWO_MONITORS(a, b)                                                                         \
    "--setmonitor " a " 1920/508x1080/286+0+0 screen; --setmonitor " b                             \
    " 1024/271x768/203+1920+0 none"

const ScreenChange kScreenChanges[] = {
    {"SmallerScreen", "1920x1080", "", {1150, 300}, {900, 360}, MODE(1024, 768), "screen"},
    // Smaller than Prayer Settings (939 px wide at 96 dpi): it is fitted to the screen; the
    // main window (657 px high) keeps its title bar on it and runs off the bottom.
    {"ScreenSmallerThanTheDialog",
     "1920x1080",
     "",
     {1150, 300},
     {900, 360},
     MODE(800, 600),
     "screen"},
    {"SecondMonitorUnplugged",
     "2944x1080",
     TWO_MONITORS("left", "right"),
     {2150, 40},
     {1960, 100},
     "--delmonitor right;" MODE(1920, 1080),
     "left"},
    {"PrimaryMonitorUnplugged",
     "2944x1080",
     TWO_MONITORS("dock", "laptop"),
     {958, 363},
     {700, 300},
     "--delmonitor laptop; --delmonitor dock;" MODE(1024, 768),
     "screen"},
    {"SecondMonitorUnpluggedWithTheWindowsOnTheFirst",
     "2944x1080",
     TWO_MONITORS("left", "right"),
     {300, 200},
     {250, 150},
     "--delmonitor right;" MODE(1920, 1080),
     ""},
    {"APanelTakesRoom", "1280x1024", "", {500, 300}, {200, 250}, "panel", "screen"},
};

class ScreenChanges : public WindowsBackOnScreen,
                      public ::testing::WithParamInterface<ScreenChange> {
protected:
    void SetUp() override {
        screenSize = QString::fromLatin1(GetParam().xvfb);
        WindowsBackOnScreen::SetUp();
    }
};

TEST_P(ScreenChanges, WindowsNoLongerOnAScreenComeOntoOne) {
    const ScreenChange& c = GetParam();
    ASSERT_TRUE(xrandr(QString::fromLatin1(c.before)));
    // The window manager knows the monitors before the program starts.
    ASSERT_TRUE(WaitFor([&] { return monitors().size() == (*c.before ? 2 : 1); }, kStep));
    const Wid main = startProgram();
    ASSERT_NE(main, 0u);
    const Wid dialog = openPrayerSettings(main);
    ASSERT_NE(dialog, 0u);
    const QRect mainPut = moveFrameTo(main, c.main);
    const QRect dialogPut = moveFrameTo(dialog, c.dialog);
    ASSERT_FALSE(monitorHolding(mainPut).isEmpty()) << GeometryText(mainPut);
    ASSERT_FALSE(monitorHolding(dialogPut).isEmpty()) << GeometryText(dialogPut);

    if (QString::fromLatin1(c.change) == QStringLiteral("panel")) {
        // A panel along the bottom that reserves its space (a strut).
        start(QStringLiteral("trayer"),
              {QStringLiteral("--edge"), QStringLiteral("bottom"), QStringLiteral("--widthtype"),
               QStringLiteral("percent"), QStringLiteral("--width"), QStringLiteral("100"),
               QStringLiteral("--height"), QStringLiteral("200"), QStringLiteral("--SetDockType"),
               QStringLiteral("true"), QStringLiteral("--SetPartialStrut"), QStringLiteral("true"),
               QStringLiteral("--transparent"), QStringLiteral("false")});
        ASSERT_TRUE(WaitFor([&] { return xd->workArea().bottom() <= 1024 - 200; }, kStep))
            << "the panel took no room: " << GeometryText(xd->workArea());
    } else {
        ASSERT_TRUE(xrandr(QString::fromLatin1(c.change)));
    }

    const QString lands = QString::fromLatin1(c.lands);
    const struct {
        const char* what;
        Wid w;
        QRect put;
    } windows[] = {{"main window", main, mainPut}, {"Prayer Settings", dialog, dialogPut}};
    for (const auto& w : windows) {
        SCOPED_TRACE(w.what);
        if (lands.isEmpty()) {
            EXPECT_FALSE(WaitFor([&] { return frameOf(w.w) != w.put; }, 5000))
                << GeometryText(frameOf(w.w)) << ", put at " << GeometryText(w.put);
        } else {
            EXPECT_TRUE(WaitFor([&] { return monitorHolding(frameOf(w.w)) == lands; }, kStep))
                << GeometryText(frameOf(w.w)) << " is not within the work area of "
                << lands.toStdString() << ", "
                << GeometryText(workAreaOn(monitors().value(0).second));
        }
    }
    screenshot(QStringLiteral("screen_change_") + QString::fromLatin1(c.name));
    // The dialog still takes its keys: Escape closes it.
    activate(dialog);
    key(QStringLiteral("Escape"));
    EXPECT_TRUE(WaitFor([&] { return !viewable(dialog); }, kStep)) << "Prayer Settings stays";
    EXPECT_EQ(program->state(), QProcess::Running);
}

INSTANTIATE_TEST_SUITE_P(Screens, ScreenChanges, ::testing::ValuesIn(kScreenChanges),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
