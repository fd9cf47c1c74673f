// Screens that are small in Qt's own pixels: Qt scales the program by the screen's dots per inch
// (QT_FONT_DPI) or by QT_SCALE_FACTOR, so 1024 x 600 at 144 dpi is 683 x 400 of its pixels, and
// a panel that reserves its space makes the work area lower still. On each, the real program
// under openbox opens Prayer Settings (both pages), Preferences (every page), the print dialog
// (a print server of the test's own) and the About box: every dialog's frame lies on the work
// area with its buttons whole and outside the part that scrolls, every scroll bar that shows
// lies on the work area, and after each dialog the main window's title bar is on the screen.
// Frames are the window manager's; buttons and scroll bars come from the accessibility tree in
// Qt's pixels, scaled here to the screen's.
#include "accessible_tree.h"
#include "calendar/cups_server.h"
#include "desktop_session.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <algorithm>
#include <cmath>

namespace {

struct ScaledScreen {
    const char* screen;
    int fontDpi;             // QT_FONT_DPI; 0: the server's own (96)
    const char* scaleFactor; // QT_SCALE_FACTOR; nullptr: none
    int panel;               // a panel along the bottom that reserves this height; 0: none
};

class DialogsOnScaledScreens : public Desktop, public ::testing::WithParamInterface<ScaledScreen> {
protected:
    void SetUp() override {
        screenSize = QString::fromLatin1(GetParam().screen);
        panelHeight = GetParam().panel;
        Desktop::SetUp();
        if (HasFatalFailure())
            return;
        tree = startAccessibility();
        ASSERT_NE(tree, nullptr);
        for (const char* name : {"LC_ALL", "LC_MESSAGES", "LC_TIME", "LC_NUMERIC"})
            env.remove(QString::fromLatin1(name));
        env.insert(QStringLiteral("LANG"), QStringLiteral("en_US.UTF-8"));
        for (const char* name : {"QT_FONT_DPI", "QT_SCALE_FACTOR", "QT_SCREEN_SCALE_FACTORS",
                                 "QT_ENABLE_HIGHDPI_SCALING", "QT_AUTO_SCREEN_SCALE_FACTOR"})
            env.remove(QString::fromLatin1(name));
        if (GetParam().fontDpi)
            env.insert(QStringLiteral("QT_FONT_DPI"), QString::number(GetParam().fontDpi));
        if (GetParam().scaleFactor)
            env.insert(QStringLiteral("QT_SCALE_FACTOR"),
                       QString::fromLatin1(GetParam().scaleFactor));
        ASSERT_TRUE(cupsDir.isValid());
        cups = std::make_unique<CupsServer>(cupsDir.path());
        QString why;
        ASSERT_TRUE(cups->StartWithQueues({kQueue}, &why)) << why.toStdString();
        env.insert(QStringLiteral("CUPS_SERVER"), cups->socket());
    }
    void TearDown() override {
        Desktop::TearDown();
        cups.reset();
    }

    // How many of the screen's pixels make one of Qt's.
    double scale() const {
        const double dpi = GetParam().fontDpi ? GetParam().fontDpi / 96.0 : 1.0;
        return dpi * (GetParam().scaleFactor ? std::atof(GetParam().scaleFactor) : 1.0);
    }
    QRect device(const QRect& r) const {
        const double s = scale();
        const int left = int(std::lround(r.left() * s));
        const int top = int(std::lround(r.top() * s));
        return QRect(QPoint(left, top), QPoint(int(std::lround((r.right() + 1) * s)) - 1,
                                               int(std::lround((r.bottom() + 1) * s)) - 1));
    }
    QString tag() const {
        QString t = QString::fromLatin1(GetParam().screen);
        if (GetParam().fontDpi)
            t += QStringLiteral("_%1dpi").arg(GetParam().fontDpi);
        if (GetParam().scaleFactor)
            t += QStringLiteral("_scale%1").arg(QString::fromLatin1(GetParam().scaleFactor));
        if (GetParam().panel)
            t += QStringLiteral("_panel%1").arg(GetParam().panel);
        return t;
    }

    std::optional<QRect> frameOf(Wid w) {
        std::optional<QRect> frame;
        WaitFor(
            [&] {
                frame = xd->frameGeometry(w);
                return frame.has_value();
            },
            kStep);
        return frame;
    }

    // The dialog's frame lies on the work area; its buttons, shown, lie on it, within the frame
    // and outside every scrolling pane; and each scroll bar that shows lies on it too.
    void expectOnTheArea(const QString& what, Wid w, const QString& accessibleTitle,
                         const QStringList& buttons) {
        SCOPED_TRACE(what.toStdString());
        const QRect area = xd->workArea();
        const std::optional<QRect> frame = frameOf(w);
        ASSERT_TRUE(frame.has_value()) << "no frame";
        EXPECT_TRUE(area.contains(*frame))
            << GeometryText(*frame) << " is not within the work area " << GeometryText(area);
        QList<AccessibleTree::Control> controls;
        QStringList missing;
        WaitFor(
            [&] {
                controls = tree->controls(program->processId(), accessibleTitle);
                missing.clear();
                for (const QString& name : buttons)
                    if (std::none_of(controls.begin(), controls.end(), [&](const auto& c) {
                            return c.showing && c.role == QStringLiteral("push button") &&
                                   c.name == name;
                        }))
                        missing << name;
                return missing.isEmpty();
            },
            kStep);
        EXPECT_TRUE(missing.isEmpty()) << "not shown: " << missing.join(u", ").toStdString();
        QList<QRect> panes;
        for (const auto& c : controls)
            if (c.showing && c.role == QStringLiteral("scroll pane"))
                panes << device(c.onScreen);
        for (const auto& c : controls) {
            if (!c.showing)
                continue;
            const QRect onScreen = device(c.onScreen);
            if (c.role == QStringLiteral("push button") && buttons.contains(c.name)) {
                EXPECT_TRUE(frame->contains(onScreen) && area.contains(onScreen))
                    << c.name.toStdString() << " at " << GeometryText(onScreen) << ", frame "
                    << GeometryText(*frame) << ", work area " << GeometryText(area);
                for (const QRect& pane : panes)
                    EXPECT_FALSE(pane.intersects(onScreen))
                        << c.name.toStdString() << " at " << GeometryText(onScreen)
                        << " lies in a scrolling pane at " << GeometryText(pane);
            }
            if (c.role == QStringLiteral("scroll bar") && !onScreen.isEmpty()) {
                EXPECT_TRUE(area.contains(onScreen)) << "a scroll bar at " << GeometryText(onScreen)
                                                     << ", work area " << GeometryText(area);
            }
        }
    }

    // The main window's title bar (the top of its frame, as wide as the window or the area)
    // lies on the work area.
    void expectTitleBarOnTheArea(const char* after, Wid main) {
        SCOPED_TRACE(after);
        ASSERT_TRUE(WaitFor([&] { return viewable(main); }, kStep)) << "no main window";
        const QRect area = xd->workArea();
        std::optional<QRect> frame;
        // Shown again, the window manager frames it anew: read it once it has.
        ASSERT_TRUE(WaitFor(
            [&] {
                frame = xd->frameGeometry(main);
                return frame && frame->top() < xd->geometry(main).top();
            },
            kStep))
            << "no frame";
        const int titleBar = xd->geometry(main).top() - frame->top();
        const QRect title(frame->left(), frame->top(), std::min(frame->width(), area.width()),
                          titleBar);
        EXPECT_TRUE(area.contains(title)) << "the main window's frame " << GeometryText(*frame)
                                          << ", work area " << GeometryText(area);
    }

    const QString kQueue = QStringLiteral("tallix");
    QTemporaryDir cupsDir;
    std::unique_ptr<CupsServer> cups;
    std::unique_ptr<AccessibleTree> tree;
};

TEST_P(DialogsOnScaledScreens, EveryDialogLiesOnTheWorkAreaAndTheMainWindowKeepsItsTitleBar) {
    const Wid main = startProgram();
    ASSERT_NE(main, 0u);
    expectTitleBarOnTheArea("at the start", main);
    const QStringList okCancel{QStringLiteral("OK"), QStringLiteral("Cancel")};

    // Prayer Settings, both pages.
    activate(main);
    key(QStringLiteral("ctrl+s"));
    const Wid settings = waitForWindow(QStringLiteral("Prayer Settings$"));
    ASSERT_NE(settings, 0u) << "no Prayer Settings";
    for (int page = 0; page < 2; ++page) {
        expectOnTheArea(QStringLiteral("Prayer Settings, page %1").arg(page), settings,
                        QStringLiteral("Prayer Settings$"),
                        okCancel + QStringList{QStringLiteral("Restore Defaults")});
        screenshot(QStringLiteral("scaled_prayer_settings_%1_%2").arg(page).arg(tag()));
        key(QStringLiteral("ctrl+Tab"));
    }
    key(QStringLiteral("Escape"));
    ASSERT_TRUE(WaitFor([&] { return !viewable(settings); }, kStep)) << "stays open";
    expectTitleBarOnTheArea("after Prayer Settings", main);

    // Preferences, every page.
    activate(main);
    key(QStringLiteral("ctrl+p"));
    const Wid preferences = waitForWindow(QStringLiteral("Preferences$"));
    ASSERT_NE(preferences, 0u) << "no Preferences";
    for (int page = 0; page < 3; ++page) {
        expectOnTheArea(QStringLiteral("Preferences, page %1").arg(page), preferences,
                        QStringLiteral("Preferences$"), okCancel);
        screenshot(QStringLiteral("scaled_preferences_%1_%2").arg(page).arg(tag()));
        key(QStringLiteral("ctrl+Tab"));
    }
    key(QStringLiteral("Escape"));
    EXPECT_TRUE(answerYesUntil(
        main, [&] { return !viewable(preferences); }, kStep * 2))
        << "Preferences stays open";
    expectTitleBarOnTheArea("after Preferences", main);

    // File > Print Prayer Times > Gregorian Calendar > January.
    activate(main);
    for (const char* keys : {"alt+f", "p", "g", "Return"})
        key(QString::fromLatin1(keys));
    const Wid print = waitForWindow(QStringLiteral("^Print$"));
    ASSERT_NE(print, 0u) << "no print dialog";
    expectOnTheArea(QStringLiteral("print dialog"), print, QStringLiteral("^Print$"), okCancel);
    screenshot(QStringLiteral("scaled_print_%1").arg(tag()));
    key(QStringLiteral("Escape"));
    ASSERT_TRUE(WaitFor([&] { return !viewable(print); }, kStep)) << "stays open";
    expectTitleBarOnTheArea("after the print dialog", main);

    // The About box hides the main window while it is up.
    const Wid about = openAboutBox(main, kStep);
    ASSERT_NE(about, 0u) << "no About box";
    const QRect area = xd->workArea();
    const QRect box = xd->geometry(about);
    EXPECT_TRUE(area.contains(box))
        << "About " << GeometryText(box) << ", work area " << GeometryText(area);
    screenshot(QStringLiteral("scaled_about_%1").arg(tag()));
    clickIn(about, 100, 100);
    expectTitleBarOnTheArea("after About", main);
    screenshot(QStringLiteral("scaled_after_about_%1").arg(tag()));
    EXPECT_EQ(program->state(), QProcess::Running);
}

INSTANTIATE_TEST_SUITE_P(
    Screens, DialogsOnScaledScreens,
    ::testing::Values(ScaledScreen{"960x600", 144, nullptr, 0},   // 640 x 400
                      ScaledScreen{"1024x600", 144, nullptr, 0},  // 683 x 400
                      ScaledScreen{"800x600", 120, nullptr, 0},   // 640 x 480
                      ScaledScreen{"1366x768", 168, nullptr, 0},  // 781 x 439
                      ScaledScreen{"1920x1080", 0, "2.5", 0},     // 768 x 432
                      ScaledScreen{"800x600", 0, nullptr, 180},   // 800 x 420 of work area
                      ScaledScreen{"1024x768", 120, nullptr, 200} // 819 x 454 of work area
                      ),
    [](const auto& info) {
        QString name = QString::fromLatin1(info.param.screen).replace(u'x', u'_');
        if (info.param.fontDpi)
            name += QStringLiteral("_%1dpi").arg(info.param.fontDpi);
        if (info.param.scaleFactor)
            name += QStringLiteral("_scale_%1")
                        .arg(QString::fromLatin1(info.param.scaleFactor).replace(u'.', u'_'));
        if (info.param.panel)
            name += QStringLiteral("_panel_%1").arg(info.param.panel);
        return name.toStdString();
    });

} // namespace
