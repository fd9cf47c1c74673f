// The real program on a desktop of its own: Xvfb, the openbox window manager and an XEmbed tray
// (trayer), a private session bus and a fresh home. Only a window manager shows what these
// tests look at: which window is above which, which has the focus, which takes no input, and
// whether a window hidden to the tray comes back. They are read from outside over an X
// connection of the test's own, as the window manager publishes them; keys and clicks are
// xdotool's. Every process a test starts runs in a session of its own that ends with the test;
// a tool that is missing fails the test with the package to install. On a busy machine every
// step waits for what it needs to see.
#include "core/settings.h"
#include "desktop_session.h"
#include "fakes/child_process.h"
#include "fakes/wait_for.h"
#include "prayersettings/frmPrayerSettings.h"
#include "preferences/frmPreferences.h"
#include "runtime/Form.h"
#include "x_display.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>
#include <QTime>
#include <QTimer>
#include <QWidget>
#include <gtest/gtest.h>
#include <memory>
#include <sys/stat.h>
#include <vector>

namespace {

// "window TITLE": a window of another program, at the screen's lower left, until it is ended.
const TestHelperRegistration kWindow(QStringLiteral("window"), [](const QStringList& a) {
    QWidget window;
    window.setWindowTitle(a.value(0));
    window.setGeometry(10, 860, 240, 120);
    window.show();
    return QApplication::exec();
});

// "dialog-sizes": the sizes Prayer Settings and Preferences take as the program opens them, on
// the offscreen platform (on a screen with room for both): "W H W H" on the standard output.
const TestHelperRegistration kDialogSizes(QStringLiteral("dialog-sizes"), [](const QStringList&) {
    if (!LoadSettings())
        return 1;
    QStringList sizes;
    for (const auto open : {+[] { ShowPrayerSettings(0); }, +[] { ShowPreferencesDialog(0); }}) {
        // The modal show returns once the dialog, measured when it is up, is unloaded.
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&sizes, &poll] {
            Form* dialog = Forms().value(Forms().size() - 1);
            if (!dialog || !dialog->isVisible())
                return;
            poll.stop();
            sizes << QString::number(dialog->width()) << QString::number(dialog->height());
            dialog->Unload();
        });
        poll.start(20);
        open();
    }
    std::printf("%s\n", qPrintable(sizes.join(u' ')));
    return sizes.size() == 4 ? 0 : 1;
});

// File > Exit asks its question above the main window, with the focus, whether the window is
// kept on top or not; Escape answers No and the program lives on.
TEST_F(Desktop, TheExitQuestionIsAboveItsWindowWithTheFocus) {
    const Wid main = startProgram();
    for (bool onTop : {true, false}) {
        SCOPED_TRACE(onTop ? "always on top" : "not on top");
        activate(main);
        EXPECT_TRUE(WaitFor(
            [&] { return prop(main, "_NET_WM_STATE").contains(QStringLiteral("ABOVE")) == onTop; },
            kStep));
        key(QStringLiteral("alt+f"));
        key(QStringLiteral("x"));
        QList<Wid> question;
        ASSERT_TRUE(WaitFor(
            [&] {
                question = newWindows(QStringLiteral("^Tallix Time$"), {main});
                return !question.isEmpty();
            },
            kStep));
        EXPECT_TRUE(WaitFor([&] { return active() == question.first(); }, kStep));
        EXPECT_TRUE(above(question.first(), main));
        if (onTop)
            screenshot(QStringLiteral("exit_question_on_top"));
        key(QStringLiteral("Escape"));
        EXPECT_TRUE(WaitFor(
            [&] { return newWindows(QStringLiteral("^Tallix Time$"), {main}).isEmpty(); }, kStep));
        EXPECT_EQ(program->state(), QProcess::Running);
        if (onTop) {
            activate(main);
            key(QStringLiteral("alt+o"));
            key(QStringLiteral("a"));
        }
    }
}

// Picking Jakarta on a machine set to UTC and pressing OK asks whether to save a zone that
// does not match: the question opens above Prayer Settings (kept on top) with the focus. Left
// open over a prayer time that brings the main window up, the dialog and its question stay,
// above the window, and the athan is announced.
TEST_F(Desktop, TheZoneQuestionStaysAboveItsDialogThroughAnAthan) {
    // Prayer Settings, Indonesia and Jakarta picked by typing, then OK: the question.
    QList<Wid> settings, question;
    const auto askTheZoneQuestion = [&](Wid main) {
        activate(main);
        key(QStringLiteral("ctrl+s"));
        ASSERT_TRUE(WaitFor(
            [&] {
                settings = search(QStringLiteral("--name"), QStringLiteral("Prayer Settings$"));
                return !settings.isEmpty() && active() == settings.first();
            },
            kStep * 2));
        // Cou&ntries, then Ci&ties, each found by typing; then OK.
        key(QStringLiteral("alt+n"));
        x({QStringLiteral("xdotool"), QStringLiteral("type"), QStringLiteral("--delay"),
           QStringLiteral("60"), QStringLiteral("Indonesia")});
        key(QStringLiteral("alt+t"));
        x({QStringLiteral("xdotool"), QStringLiteral("type"), QStringLiteral("--delay"),
           QStringLiteral("60"), QStringLiteral("Jakarta")});
        // OK: the button left of Cancel at the dialog's lower right (a form takes no Return).
        const QRect dialog = xd->geometry(settings.first());
        x({QStringLiteral("xdotool"), QStringLiteral("mousemove"),
           QString::number(dialog.x() + dialog.width() - 138),
           QString::number(dialog.y() + dialog.height() - 25), QStringLiteral("click"),
           QStringLiteral("1")});
        ASSERT_TRUE(WaitFor(
            [&] {
                question = newWindows(QStringLiteral("^Tallix Time$"), {main});
                return !question.isEmpty();
            },
            kStep))
            << "no question";
    };

    // A first run times the way to the question on this machine as it is now, and makes the
    // store the second run starts from.
    QElapsedTimer took;
    took.start();
    const Wid first = startProgram();
    askTheZoneQuestion(first);
    if (HasFatalFailure())
        return;
    const qint64 wayToTheQuestion = took.elapsed();
    stopProgram();

    // Brought up at an athan: the clock starts before Makkah's Dhuhr (12:32:00) by twice what
    // the way to the question took, and some.
    const int margin = int(20 + wayToTheQuestion * 2 / 1000);
    env.insert(QStringLiteral("TALLIX_CLOCK_START"),
               QStringLiteral("2024-03-10T") +
                   QTime(12, 32).addSecs(-margin).toString(QStringLiteral("HH:mm:ss")));
    env.insert(QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("tallix.alerts.info=true"));
    QFile log(dir.filePath(QStringLiteral("tallix-time.log")));
    const auto athan = [&] {
        log.open(QIODevice::ReadOnly);
        const bool sounded = log.readAll().contains("event 3 at");
        log.close();
        return sounded;
    };
    const Wid main = startProgram({QStringLiteral("\"DisplayMainScreen\"=\"1\"")});
    askTheZoneQuestion(main);
    screenshot(QStringLiteral("jakarta_question"));
    if (HasFatalFailure())
        return;
    ASSERT_FALSE(athan()) << "Dhuhr came before the question: the machine took more than " << margin
                          << " s to ask it";
    EXPECT_TRUE(WaitFor([&] { return active() == question.first(); }, kStep));
    EXPECT_TRUE(above(question.first(), settings.first()));

    // Dhuhr: the athan, the main window up, the dialog and its question still there, in front.
    ASSERT_TRUE(WaitFor(athan, (margin + 60) * 1000)) << "no athan";
    const auto inFront = [&] {
        return viewable(main) && viewable(settings.first()) && viewable(question.first()) &&
               above(settings.first(), main) && above(question.first(), settings.first()) &&
               active() == question.first();
    };
    EXPECT_TRUE(WaitFor(inFront, kStep));
    screenshot(QStringLiteral("nested_dialog_at_athan"));
    // Still so once the screenshot is taken.
    EXPECT_TRUE(viewable(main));
    EXPECT_TRUE(viewable(settings.first()));
    EXPECT_TRUE(viewable(question.first()));
    EXPECT_TRUE(above(settings.first(), main));
    EXPECT_TRUE(above(question.first(), settings.first()));
    EXPECT_EQ(active(), question.first());
    key(QStringLiteral("Escape"));
    EXPECT_TRUE(WaitFor([&] { return !viewable(question.first()); }, kStep));
    EXPECT_TRUE(viewable(settings.first())) << "No keeps the dialog open with its choices";
    EXPECT_EQ(program->state(), QProcess::Running);
}

// While Prayer Settings is up, the main window takes no input: a second Ctrl+S opens no second
// dialog, Preferences does not open over it, and neither File > Exit nor the tray's Exit ends
// the program or asks; the dialog stays in front with the focus.
TEST_F(Desktop, AModalDialogTakesTheInputOfTheWindowsBeneath) {
    const Wid main = startProgram();
    activate(main);
    key(QStringLiteral("ctrl+s"));
    const QString settingsTitle = QStringLiteral("Prayer Settings$");
    QList<Wid> settings;
    ASSERT_TRUE(WaitFor(
        [&] {
            settings = search(QStringLiteral("--name"), settingsTitle);
            return !settings.isEmpty();
        },
        kStep * 2));
    EXPECT_TRUE(
        prop(settings.first(), "_NET_WM_STATE").contains(QStringLiteral("_NET_WM_STATE_MODAL")));
    activate(main);
    key(QStringLiteral("ctrl+s"));
    key(QStringLiteral("ctrl+p"));
    key(QStringLiteral("alt+f"));
    key(QStringLiteral("x"));
    clickTray(3);
    // No tray menu opens while a dialog is up: the x goes where the focus is.
    key(QStringLiteral("x"));
    EXPECT_TRUE(WaitFor([&] { return upFront(settings.first()); }, kStep));
    EXPECT_TRUE(above(settings.first(), main));
    // What the keys and clicks would have brought about, had they been taken, shows within a
    // few seconds on a busy machine too: a second dialog, Preferences, a question, the end.
    const auto tookInput = [&] {
        return search(QStringLiteral("--name"), settingsTitle).size() != 1 ||
               !search(QStringLiteral("--name"), QStringLiteral("Preferences$")).isEmpty() ||
               !newWindows(QStringLiteral("^Tallix Time$"), {main}).isEmpty() ||
               program->state() != QProcess::Running;
    };
    EXPECT_FALSE(WaitFor(tookInput, 5000));
    EXPECT_EQ(search(QStringLiteral("--name"), settingsTitle).size(), 1);
    EXPECT_TRUE(search(QStringLiteral("--name"), QStringLiteral("Preferences$")).isEmpty());
    EXPECT_TRUE(newWindows(QStringLiteral("^Tallix Time$"), {main}).isEmpty()) << "no question";
    EXPECT_EQ(program->state(), QProcess::Running);
    EXPECT_TRUE(upFront(settings.first()));
}

// Closed to the tray, the window comes back every time, in front and active: by a click on the
// tray icon, by the tray menu's Open, and by starting the program a second time.
TEST_F(Desktop, TheWindowAlwaysComesBackFromTheTray) {
    const Wid main = startProgram();
    const struct {
        const char* how;
        std::function<void()> restore;
    } ways[] = {
        {"click", [&] { clickTray(1); }},
        {"Open",
         [&] {
             clickTray(3);
             EXPECT_TRUE(WaitFor([&] { return menuShown(); }, kStep)) << "no tray menu";
             key(QStringLiteral("o"));
         }},
        {"second start",
         [&] {
             QProcess second;
             second.setProcessEnvironment(env);
             second.start(QStringLiteral(TALLIX_EXE), {});
             EXPECT_TRUE(second.waitForFinished(kStep));
         }},
    };
    // The close box is only the way there: a key press the loaded display lost is pressed again.
    const auto closeToTray = [&] {
        for (int attempt = 0; attempt < 3; ++attempt) {
            activate(main);
            key(QStringLiteral("alt+F4"));
            if (WaitFor([&] { return !viewable(main); }, kStep / 3))
                return true;
        }
        return false;
    };
    for (const auto& way : ways) {
        int back = 0;
        for (int i = 0; i < 20; ++i) {
            if (!closeToTray()) {
                ADD_FAILURE() << way.how << " " << i << ": the close box did not hide it";
                continue;
            }
            way.restore();
            // Back, and still back a moment later (not iconified or hidden again).
            if (WaitFor([&] { return upFront(main); }, kStep)) {
                Pump(300);
                back += upFront(main) ? 1 : 0;
            }
        }
        EXPECT_EQ(back, 20) << way.how;
    }
    EXPECT_EQ(program->state(), QProcess::Running);
}

// Windows of fixed size offer no maximise, and the dialogs no minimise either: the main
// window, Prayer Settings, Preferences, a question, the About box and the update window. Return
// closes each settings dialog with OK, Escape with Cancel.
TEST_F(Desktop, FixedWindowsOfferNeitherMinimiseNorMaximise) {
    const Wid main = startProgram();
    const Frame m = frame(main);
    EXPECT_TRUE(m.motifMinimise && m.minimise)
        << "the main window keeps its minimise " << m.text.toStdString();
    EXPECT_FALSE(m.motifMaximise || m.maximise || m.resize) << m.text.toStdString();

    const auto checkDialog = [&](const char* what, Wid w) {
        const Frame f = frame(w);
        EXPECT_FALSE(f.motifMinimise) << what << " " << f.text.toStdString();
        EXPECT_FALSE(f.motifMaximise || f.maximise || f.resize)
            << what << " " << f.text.toStdString();
    };
    const auto waitFor = [&](const QString& title, const QList<Wid>& known = {}) {
        QList<Wid> found;
        WaitFor(
            [&] {
                found = newWindows(title, known);
                return !found.isEmpty();
            },
            20000);
        return found.value(0);
    };
    const struct {
        const char* what;
        const char* open;
        const char* title;
        const char* close;
    } dialogs[] = {
        {"Prayer Settings", "ctrl+s", "Prayer Settings$", "Escape"},
        {"Preferences", "ctrl+p", "Preferences$", "Return"},
    };
    for (const auto& d : dialogs) {
        activate(main);
        key(QString::fromLatin1(d.open));
        const Wid w = waitFor(QString::fromLatin1(d.title));
        ASSERT_NE(w, 0u) << d.what;
        EXPECT_TRUE(WaitFor([&] { return active() == w; }, 5000)) << d.what;
        checkDialog(d.what, w);
        key(QString::fromLatin1(d.close));
        EXPECT_TRUE(WaitFor([&] { return !viewable(w); }, 10000)) << d.what << " stays open";
    }

    // The exit question, answered No.
    activate(main);
    key(QStringLiteral("alt+f"));
    key(QStringLiteral("x"));
    const Wid question = waitFor(QStringLiteral("^Tallix Time$"), {main});
    ASSERT_NE(question, 0u);
    checkDialog("question", question);
    key(QStringLiteral("Escape"));
    EXPECT_TRUE(WaitFor([&] { return !viewable(question); }, 5000));

    // The update window (a failed check then asks too, and is a question of its own).
    activate(main);
    key(QStringLiteral("alt+h"));
    key(QStringLiteral("u"));
    const Wid update = waitFor(QStringLiteral("^Checking for Update"));
    ASSERT_NE(update, 0u);
    checkDialog("update window", update);
    key(QStringLiteral("Escape"));
    EXPECT_TRUE(answerYesUntil(
        main,
        [&] {
            return !viewable(update) &&
                   newWindows(QStringLiteral("^Tallix Time$"), {main}).isEmpty();
        },
        40000));

    // The About box, which hides the main window while it is up; a click closes it.
    const Wid about = openAboutBox(main, 20000);
    ASSERT_NE(about, 0u) << "no About box";
    checkDialog("About box", about);
    clickIn(about, 100, 100);
    EXPECT_TRUE(WaitFor([&] { return viewable(main) && !viewable(about); }, 10000));
    EXPECT_EQ(program->state(), QProcess::Running);
}

// A modal dialog that the window manager minimises all the same comes back, shown and in
// front with the focus, when the window beneath it is clicked and when the tray icon is: the
// program never sits there with nothing taking input. The focus is in another program's window
// as the dialog goes, so nothing but the click brings it back.
TEST_F(Desktop, AMinimisedModalDialogComesBack) {
    const Wid main = startProgram();
    start(QCoreApplication::applicationFilePath(),
          {QStringLiteral("--helper"), QStringLiteral("window"), QStringLiteral("Other program")});
    Wid other = 0;
    ASSERT_TRUE(WaitFor(
        [&] {
            other = search(QStringLiteral("--name"), QStringLiteral("^Other program$")).value(0);
            return other != 0;
        },
        20000));
    const struct {
        const char* how;
        std::function<void()> bringBack;
    } ways[] = {
        {"click on the main window", [&] { clickIn(main, 12, -6); }},
        {"tray click", [&] { clickTray(1); }},
    };
    const std::pair<const char*, const char*> dialogs[] = {{"Prayer Settings$", "ctrl+s"},
                                                           {"Preferences$", "ctrl+p"}};
    for (const auto& [dialog, opener] : dialogs) {
        activate(main);
        key(QString::fromLatin1(opener));
        QList<Wid> found;
        ASSERT_TRUE(WaitFor(
            [&] {
                found = search(QStringLiteral("--name"), QString::fromLatin1(dialog));
                return !found.isEmpty() && upFront(found.first());
            },
            20000))
            << dialog;
        const Wid w = found.first();
        for (const auto& way : ways) {
            SCOPED_TRACE(std::string(dialog) + ", " + way.how);
            activate(other);
            ASSERT_TRUE(WaitFor([&] { return active() == other; }, 5000));
            x({QStringLiteral("xdotool"), QStringLiteral("windowminimize"), QString::number(w)});
            ASSERT_TRUE(WaitFor([&] { return !viewable(w); }, 5000));
            Pump(500);
            ASSERT_FALSE(viewable(w)) << "back on its own";
            way.bringBack();
            EXPECT_TRUE(WaitFor([&] { return upFront(w) && above(w, main); }, 10000))
                << prop(w, "_NET_WM_STATE").toStdString() << prop(w, "WM_STATE").toStdString();
            if (std::string(dialog) == "Prayer Settings$" && std::string(way.how) == "tray click")
                screenshot(QStringLiteral("modal_dialog_back_from_tray"));
        }
        key(QStringLiteral("Escape"));
        EXPECT_TRUE(WaitFor([&] { return !viewable(w); }, 10000));
    }
    EXPECT_EQ(program->state(), QProcess::Running);
}

// On a small screen (1024 x 600) in every language, the main window's title bar lies on the work
// area, and Prayer Settings and Preferences lie wholly on it, title bar and buttons included.
// Where they have room (1280 x 1024, 1920 x 1080, and 1024 x 600 in English) they lie there
// too, at the sizes their layouts ask for, as the offscreen platform measures them: nothing
// the fitting does changes them there.
struct ScreenCase {
    const char* screen;
    const char* lang;
    bool roomy = false; // the dialogs keep the sizes their layouts ask for
};

class WindowsOnTheScreen : public Desktop, public ::testing::WithParamInterface<ScreenCase> {
protected:
    void SetUp() override {
        screenSize = QString::fromLatin1(GetParam().screen);
        Desktop::SetUp();
        env.remove(QStringLiteral("LC_ALL"));
        env.remove(QStringLiteral("LC_MESSAGES"));
        env.remove(QStringLiteral("LC_TIME"));
        env.insert(QStringLiteral("LANG"), QString::fromLatin1(GetParam().lang));
    }
    // The window's frame once the window manager has framed it.
    QRect frameOf(Wid w) const {
        std::optional<QRect> frame;
        EXPECT_TRUE(WaitFor(
            [&] {
                frame = xd->frameGeometry(w);
                return frame.has_value();
            },
            kStep))
            << "no frame";
        return frame.value_or(QRect());
    }
};

TEST_P(WindowsOnTheScreen, TitleBarsAndButtonsLieOnTheWorkArea) {
    const bool large = GetParam().roomy;
    QList<QSize> layoutSizes;
    if (large) {
        QProcess measure;
        QProcessEnvironment offscreen = env;
        // A screen as large as the desktop's (the platform's own, 800 x 600, has no room: the
        // dialogs would fit themselves to it).
        QFile screen(dir.filePath(QStringLiteral("screen.json")));
        ASSERT_TRUE(screen.open(QIODevice::WriteOnly));
        screen.write(R"({"screens": [{"name": "large", "x": 0, "y": 0, "width": 1280,
            "height": 1024, "logicalDpiX": 96, "logicalDpiY": 96}]})");
        screen.close();
        offscreen.insert(QStringLiteral("QT_QPA_PLATFORM"),
                         QStringLiteral("offscreen:configfile=") + screen.fileName());
        measure.setProcessEnvironment(offscreen);
        StartInOwnSession(measure);
        measure.start(QCoreApplication::applicationFilePath(),
                      {QStringLiteral("--helper"), QStringLiteral("dialog-sizes")});
        ASSERT_TRUE(measure.waitForFinished(kStep * 2));
        const QStringList n = QString::fromLatin1(measure.readAllStandardOutput())
                                  .trimmed()
                                  .split(u' ', Qt::SkipEmptyParts);
        ASSERT_EQ(n.size(), 4) << measure.readAllStandardError().toStdString();
        layoutSizes = {QSize(n[0].toInt(), n[1].toInt()), QSize(n[2].toInt(), n[3].toInt())};
    }

    const Wid main = startProgram();
    ASSERT_NE(main, 0u);
    const QRect area = xd->workArea();
    ASSERT_FALSE(area.isEmpty());
    const QRect mainFrame = frameOf(main);
    EXPECT_GE(mainFrame.top(), area.top()) << "main window " << GeometryText(mainFrame);
    EXPECT_GE(mainFrame.left(), area.left()) << "main window " << GeometryText(mainFrame);
    EXPECT_LE(mainFrame.right(), area.right()) << "main window " << GeometryText(mainFrame);

    const struct {
        const char* title;
        const char* keys;
    } dialogs[] = {{"Prayer Settings$", "ctrl+s"}, {"Preferences$", "ctrl+p"}};
    for (int i = 0; i < 2; ++i) {
        const auto& d = dialogs[i];
        SCOPED_TRACE(d.title);
        activate(main);
        key(QString::fromLatin1(d.keys));
        Wid w = 0;
        ASSERT_TRUE(WaitFor(
            [&] {
                w = search(QStringLiteral("--name"), QString::fromLatin1(d.title)).value(0);
                return w != 0;
            },
            kStep * 2));
        // Placed before it is mapped: where it first shows is where it stays.
        const QRect frame = frameOf(w);
        EXPECT_TRUE(area.contains(frame))
            << GeometryText(frame) << " is not within the work area " << GeometryText(area);
        if (large) {
            EXPECT_EQ(xd->geometry(w).size(), layoutSizes[i]);
        }
        if (i == 0 && QString::fromLatin1(GetParam().screen) == QStringLiteral("1024x600"))
            screenshot(QStringLiteral("small_screen_prayer_settings_") +
                       QString::fromLatin1(GetParam().lang).section(u'.', 0, 0));
        key(QStringLiteral("Escape"));
        EXPECT_TRUE(WaitFor([&] { return !viewable(w); }, kStep)) << "stays open";
    }
    EXPECT_EQ(program->state(), QProcess::Running);
}

INSTANTIATE_TEST_SUITE_P(
    Screens, WindowsOnTheScreen,
    ::testing::Values(ScreenCase{"1024x600", "en_US.UTF-8", true},
                      ScreenCase{"1024x600", "ja_JP.UTF-8"}, ScreenCase{"1024x600", "ko_KR.UTF-8"},
                      ScreenCase{"1024x600", "zh_CN.UTF-8"}, ScreenCase{"1024x600", "ar_EG.UTF-8"},
                      ScreenCase{"1024x600", "de_DE.UTF-8"},
                      ScreenCase{"1280x1024", "en_US.UTF-8", true},
                      ScreenCase{"1280x1024", "ja_JP.UTF-8", true},
                      ScreenCase{"1920x1080", "en_US.UTF-8", true}),
    [](const auto& info) {
        return QString::fromLatin1(info.param.screen).replace(u'x', u'_').toStdString() + "_" +
               QString::fromLatin1(info.param.lang).section(u'.', 0, 0).toStdString();
    });

} // namespace

// A named pipe in place of the settings file: the program neither waits on it (a reader would
// wait for a writer that never comes) nor writes over it. A box says what is there, and once
// it is answered the main window comes, on the defaults.
TEST_F(Desktop, ANamedPipeAsTheSettingsFileIsToldAndTheWindowComes) {
    const QString folder = dir.filePath(QStringLiteral("home/.config/tallix-time"));
    ASSERT_TRUE(QDir().mkpath(folder));
    const QByteArray store = QFile::encodeName(folder + QStringLiteral("/registry.conf"));
    ASSERT_EQ(::mkfifo(store.constData(), 0600), 0);
    program = &start(QStringLiteral(TALLIX_EXE), {});
    QList<Wid> box;
    ASSERT_TRUE(WaitFor(
        [&] {
            box = search(QStringLiteral("--name"), QStringLiteral("^Tallix Time$"));
            return !box.isEmpty() || program->state() != QProcess::Running;
        },
        kStep * 2));
    ASSERT_FALSE(box.isEmpty()) << "no box; the program said: "
                                << readLog(QStringLiteral("tallix-time")).toStdString();
    EXPECT_TRUE(readLog(QStringLiteral("tallix-time"))
                    .contains(QStringLiteral("is a named pipe, not a "
                                             "regular file")))
        << readLog(QStringLiteral("tallix-time")).toStdString();
    screenshot(QStringLiteral("settings_named_pipe"));
    activate(box.first());
    key(QStringLiteral("Return"));
    EXPECT_TRUE(WaitFor(
        [&] {
            return !search(QStringLiteral("--name"), QStringLiteral("^Tallix Time - .*Prayer is"))
                        .isEmpty();
        },
        kStep * 2))
        << "no main window";
    struct stat st {};
    ASSERT_EQ(::lstat(store.constData(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode)) << "the named pipe was replaced";
}
