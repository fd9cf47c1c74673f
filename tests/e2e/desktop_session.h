#pragma once
// A desktop of its own for a test of the real program: Xvfb, the openbox window manager and an
// XEmbed tray (trayer), a private session bus and a fresh home, and the program started on it.
// Windows are read from outside over an X connection of the test's own (XDisplay), as the
// window manager publishes them; keys and clicks are xdotool's. Every process a test starts runs
// in a session of its own that ends with the test; a tool that is missing fails the test with
// the package to install. On a busy machine every step waits for what it needs to see.
#include "accessible_tree.h"
#include "fakes/child_process.h"
#include "fakes/wait_for.h"

#include "x_display.h"
#include <functional>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

// How long a step may take on a busy machine: a window mapped, a key press handled, a tool's
// answer. The tests go on as soon as what they wait for is there.
inline constexpr int kStep = 30000;

using Wid = qulonglong;

class Desktop : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        for (const auto& [tool, package] :
             {std::pair{"Xvfb", "xvfb"}, std::pair{"dbus-daemon", "dbus-daemon"},
              std::pair{"openbox", "openbox"}, std::pair{"trayer", "trayer"},
              std::pair{"xdotool", "xdotool"}})
            ASSERT_TRUE(ToolInstalled(QString::fromLatin1(tool), package));
        for (const char* sub : {"home/.config", "home/.cache", "home/.local/share", "run"})
            QDir(dir.path()).mkpath(QString::fromLatin1(sub));
        QFile::setPermissions(dir.filePath(QStringLiteral("run")), QFileDevice::ReadOwner |
                                                                       QFileDevice::WriteOwner |
                                                                       QFileDevice::ExeOwner);
        // The server picks a free display and writes its number when it is ready.
        const QString displayFile = dir.filePath(QStringLiteral("display"));
        auto& xvfb =
            start(QStringLiteral("sh"), {QStringLiteral("-c"),
                                         QStringLiteral("exec Xvfb -displayfd 3 -screen 0 %1x24 "
                                                        "-nolisten tcp -noreset 3>\"$0\"")
                                             .arg(screenSize),
                                         displayFile});
        const bool up = WaitFor(
            [&] {
                QFile f(displayFile);
                return xvfb.state() != QProcess::NotRunning && f.open(QIODevice::ReadOnly) &&
                       f.readAll().trimmed().size() > 0;
            },
            kStep);
        ASSERT_TRUE(up) << "Xvfb did not start: " << readLog(QStringLiteral("sh")).toStdString();
        QFile f(displayFile);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        const QString display = QStringLiteral(":") + QString::fromLatin1(f.readAll().trimmed());
        xd = std::make_unique<XDisplay>(display);
        ASSERT_TRUE(xd->connected()) << "no connection to the display " << display.toStdString();

        env = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"WAYLAND_DISPLAY", "QT_QPA_PLATFORMTHEME", "SESSION_MANAGER",
                                 "XDG_SESSION_TYPE", "DBUS_SYSTEM_BUS_ADDRESS"})
            env.remove(QString::fromLatin1(name));
        env.insert(QStringLiteral("DISPLAY"), display);
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        env.insert(QStringLiteral("HOME"), dir.filePath(QStringLiteral("home")));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.filePath(QStringLiteral("home/.config")));
        env.insert(QStringLiteral("XDG_CACHE_HOME"), dir.filePath(QStringLiteral("home/.cache")));
        env.insert(QStringLiteral("XDG_DATA_HOME"),
                   dir.filePath(QStringLiteral("home/.local/share")));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), dir.filePath(QStringLiteral("run")));
        env.insert(QStringLiteral("TALLIX_ALSA_DEVICE"), QStringLiteral("null"));
        env.insert(QStringLiteral("TZ"), QStringLiteral("UTC"));
        const QString bus = dir.filePath(QStringLiteral("run/bus"));
        env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), QStringLiteral("unix:path=") + bus);

        start(QStringLiteral("dbus-daemon"),
              {QStringLiteral("--session"), QStringLiteral("--nofork"),
               QStringLiteral("--address=unix:path=") + bus});
        // openbox as installed, but for the animation of a window going to or coming back from
        // the task bar: a screenshot taken as a dialog comes back would catch its frame half way.
        QStringList openbox{QStringLiteral("--sm-disable")};
        QFile rc(QStringLiteral("/etc/xdg/openbox/rc.xml"));
        if (rc.open(QIODevice::ReadOnly)) {
            QByteArray config = rc.readAll();
            config.replace("<animateIconify>yes</animateIconify>",
                           "<animateIconify>no</animateIconify>");
            QFile own(dir.filePath(QStringLiteral("openbox-rc.xml")));
            if (own.open(QIODevice::WriteOnly) && own.write(config) == config.size()) {
                own.close();
                openbox << QStringLiteral("--config-file") << own.fileName();
            }
        }
        start(QStringLiteral("openbox"), openbox);
        ASSERT_TRUE(WaitFor(
            [&] { return !xd->ids(xd->root(), "_NET_SUPPORTING_WM_CHECK").isEmpty(); }, kStep))
            << "openbox did not start";
        const QStringList trayer =
            panelHeight > 0
                // A panel along the bottom that reserves its space, as a desktop's panel does.
                ? QStringList{QStringLiteral("--edge"),
                              QStringLiteral("bottom"),
                              QStringLiteral("--align"),
                              QStringLiteral("right"),
                              QStringLiteral("--widthtype"),
                              QStringLiteral("percent"),
                              QStringLiteral("--width"),
                              QStringLiteral("100"),
                              QStringLiteral("--height"),
                              QString::number(panelHeight),
                              QStringLiteral("--SetDockType"),
                              QStringLiteral("true"),
                              QStringLiteral("--SetPartialStrut"),
                              QStringLiteral("true"),
                              QStringLiteral("--transparent"),
                              QStringLiteral("false")}
                : QStringList{QStringLiteral("--edge"),        QStringLiteral("top"),
                              QStringLiteral("--align"),       QStringLiteral("right"),
                              QStringLiteral("--widthtype"),   QStringLiteral("request"),
                              QStringLiteral("--height"),      QStringLiteral("24"),
                              QStringLiteral("--transparent"), QStringLiteral("false")};
        const auto reserved = [&] {
            return xd->workArea().height() == xd->geometry(xd->root()).height() - panelHeight;
        };
        // On a busy machine trayer now and then maps its panel without the strut: that panel is
        // ended and another started, up to three times.
        for (int attempt = 0; attempt < 3; ++attempt) {
            QProcess& tray = start(QStringLiteral("trayer"), trayer);
            ASSERT_TRUE(WaitFor(
                [&] {
                    return !search(QStringLiteral("--class"), QStringLiteral("trayer"), false)
                                .isEmpty();
                },
                kStep))
                << "trayer did not start";
            if (panelHeight <= 0 || WaitFor(reserved, kStep / 3))
                break;
            EndGently(tray);
        }
        if (panelHeight > 0) {
            ASSERT_TRUE(reserved())
                << "the panel reserves no space: work area " << xd->workArea().height()
                << " px high; " << readLog(QStringLiteral("trayer")).toStdString();
        }
    }

    void TearDown() override {
        // The program first, then the desktop under it, each with what it started.
        for (auto it = procs.rbegin(); it != procs.rend(); ++it)
            EndGently(**it);
    }

    QString readLog(const QString& program) const {
        QFile f(dir.filePath(program + QStringLiteral(".log")));
        return f.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(f.readAll()) : QString();
    }

    QProcess& start(const QString& program, const QStringList& args) {
        procs.push_back(std::make_unique<QProcess>());
        QProcess& p = *procs.back();
        p.setProcessEnvironment(env.isEmpty() ? QProcessEnvironment::systemEnvironment() : env);
        // What each says goes to a log of its own in the session's folder.
        const QString log = dir.filePath(QFileInfo(program).fileName() + QStringLiteral(".log"));
        p.setStandardOutputFile(log, QIODevice::Append);
        p.setStandardErrorFile(log, QIODevice::Append);
        StartInOwnSession(p);
        p.start(program, args);
        p.waitForStarted(kStep);
        return p;
    }

    // Runs an X tool on the desktop and gives its output.
    QString x(const QStringList& command) const {
        QProcess p;
        p.setProcessEnvironment(env);
        p.start(command.first(), command.mid(1));
        if (!p.waitForFinished(kStep)) {
            p.kill();
            p.waitForFinished();
        }
        return QString::fromLocal8Bit(p.readAllStandardOutput());
    }
    // Windows by name ("--name"), class ("--class") or instance ("--classname"), as xdotool
    // searches them; visible ones only unless told otherwise.
    QList<Wid> search(const QString& how, const QString& what, bool visibleOnly = true) const {
        const XDisplay::Match match = how == QStringLiteral("--name") ? XDisplay::Match::Name
                                      : how == QStringLiteral("--class")
                                          ? XDisplay::Match::Class
                                          : XDisplay::Match::Instance;
        return xd->search(match, what, visibleOnly);
    }
    QString prop(Wid w, const char* name) const { return xd->property(w, name); }
    // The windows the window manager manages, from the bottom to the top.
    QList<Wid> stacking() const { return xd->ids(xd->root(), "_NET_CLIENT_LIST_STACKING"); }
    Wid active() const { return xd->ids(xd->root(), "_NET_ACTIVE_WINDOW").value(0); }
    bool viewable(Wid w) const { return xd->viewable(w); }
    // Shown as a user sees it: mapped, not iconified, and the active window.
    bool upFront(Wid w) const {
        return viewable(w) && !prop(w, "_NET_WM_STATE").contains(QStringLiteral("HIDDEN")) &&
               active() == w;
    }
    // Whether a is above b in the window manager's stacking order.
    bool above(Wid a, Wid b) const {
        const QList<Wid> order = stacking();
        return order.indexOf(a) > order.indexOf(b) && order.contains(b);
    }
    void key(const QString& keys) const {
        x({QStringLiteral("xdotool"), QStringLiteral("key"), QStringLiteral("--delay"),
           QStringLiteral("80"), keys});
    }
    void activate(Wid w) const {
        x({QStringLiteral("xdotool"), QStringLiteral("windowactivate"), QStringLiteral("--sync"),
           QString::number(w)});
    }
    // Opens the About box from the Help menu of the main window and gives its window (a
    // window of the program's other than the main one, which it hides), 0 when none came.
    Wid openAboutBox(Wid main, int timeoutMs) {
        activate(main);
        key(QStringLiteral("alt+h"));
        key(QStringLiteral("a"));
        QList<Wid> about;
        const bool came = WaitFor(
            [&] {
                // The program's managed windows (its tray icon lives in the tray) but the main one.
                about = stacking();
                about.removeIf([&](Wid w) {
                    return w == main ||
                           xd->ids(w, "_NET_WM_PID").value(0) != Wid(program->processId());
                });
                return !about.isEmpty() && !viewable(main);
            },
            timeoutMs);
        return came ? about.first() : 0;
    }
    // Clicks on the tray icon with that button (1 left, 3 right).
    void clickTray(int button) const {
        // The panel the tray shows (its instance name is "panel").
        const QList<Wid> trays = search(QStringLiteral("--class"), QStringLiteral("trayer"));
        ASSERT_FALSE(trays.isEmpty());
        const QRect panel = xd->geometry(trays.first());
        const int cx = panel.x() + 12;
        const int cy = panel.y() + panel.height() / 2;
        x({QStringLiteral("xdotool"), QStringLiteral("mousemove"), QString::number(cx),
           QString::number(cy), QStringLiteral("click"), QString::number(button)});
    }

    // What the window's frame offers: by what the program asks (the Motif hints, which most
    // window managers follow) and by what openbox allows (it never maximises or resizes a
    // window of fixed size, but takes no minimise or maximise bit of the Motif hints).
    struct Frame {
        bool motifMinimise = true, motifMaximise = true;
        bool minimise = false, maximise = false, resize = false;
        QString text;
    };
    Frame frame(Wid w) const {
        Frame f;
        // flags, functions, decorations, ... as 32-bit values.
        const QList<Wid> motif = xd->ids(w, "_MOTIF_WM_HINTS");
        QString motifText;
        for (Wid v : motif)
            motifText += QStringLiteral("0x%1 ").arg(v, 0, 16);
        if (motif.size() >= 3) {
            const uint flags = uint(motif[0]);
            const uint functions = uint(motif[1]);
            const uint decorations = uint(motif[2]);
            // A button shows when both its function and its decoration are allowed; a part
            // whose flag is off allows everything.
            const auto allowed = [&](uint function, uint decoration) {
                return (!(flags & 1) || (functions & function)) &&
                       (!(flags & 2) || (decorations & decoration));
            };
            f.motifMinimise = allowed(0x08, 0x20);
            f.motifMaximise = allowed(0x10, 0x40);
        }
        const QString actions = prop(w, "_NET_WM_ALLOWED_ACTIONS");
        f.minimise = actions.contains(QStringLiteral("_NET_WM_ACTION_MINIMIZE"));
        f.maximise = actions.contains(QStringLiteral("_NET_WM_ACTION_MAXIMIZE"));
        f.resize = actions.contains(QStringLiteral("_NET_WM_ACTION_RESIZE"));
        f.text = motifText + actions;
        return f;
    }
    // Clicks into the window at that point of its own (negative: from its right or bottom).
    void clickIn(Wid w, int x, int y) const {
        const QString info =
            this->x({QStringLiteral("xwininfo"), QStringLiteral("-id"), QString::number(w)});
        const auto field = [&](const char* name) {
            const QRegularExpression re(QString::fromLatin1(name) +
                                        QStringLiteral(":\\s*(-?\\d+)"));
            return re.match(info).captured(1).toInt();
        };
        const int left = field("Absolute upper-left X");
        const int top = field("Absolute upper-left Y");
        this->x({QStringLiteral("xdotool"), QStringLiteral("mousemove"),
                 QString::number(x >= 0 ? left + x : left + field("Width") + x),
                 QString::number(y >= 0 ? top + y : top + field("Height") + y),
                 QStringLiteral("click"), QStringLiteral("1")});
    }

    // The desktop's accessibility bus, which the program started after this registers with (as
    // a screen reader makes it), and a reader of it; nullptr when it does not come up.
    std::unique_ptr<AccessibleTree> startAccessibility() {
        EXPECT_TRUE(QFile::exists(QStringLiteral("/usr/libexec/at-spi-bus-launcher")))
            << "install the Debian package at-spi2-core";
        start(QStringLiteral("/usr/libexec/at-spi-bus-launcher"),
              {QStringLiteral("--launch-immediately")});
        std::unique_ptr<AccessibleTree> tree;
        const bool up = WaitFor(
            [&] {
                tree = std::make_unique<AccessibleTree>(
                    env.value(QStringLiteral("DBUS_SESSION_BUS_ADDRESS")));
                return tree->connected();
            },
            kStep);
        EXPECT_TRUE(up) << "no accessibility bus";
        // Qt registers with the accessibility bus (AT_SPI_BUS_ADDRESS would keep it off).
        env.insert(QStringLiteral("QT_LINUX_ACCESSIBILITY_ALWAYS_ON"), QStringLiteral("1"));
        env.remove(QStringLiteral("AT_SPI_BUS_ADDRESS"));
        return up ? std::move(tree) : nullptr;
    }

    // Starts the program (settings lines added to a fresh store first) and waits for its window.
    Wid startProgram(const QStringList& settings = {}) {
        if (!settings.isEmpty()) {
            const QString folder = dir.filePath(QStringLiteral("home/.config/tallix-time"));
            QDir().mkpath(folder);
            QFile conf(folder + QStringLiteral("/registry.conf"));
            EXPECT_TRUE(conf.open(QIODevice::ReadWrite));
            QByteArray text = conf.readAll();
            for (const QString& line : settings) {
                const QString name = line.section(u'=', 0, 0);
                QStringList lines = QString::fromUtf8(text).split(u'\n');
                lines.removeIf([&](const QString& l) { return l.startsWith(name + u'='); });
                const qsizetype header =
                    lines.indexOf(QStringLiteral("[HKEY_CURRENT_USER\\Software\\Tallix Time]"));
                if (header >= 0)
                    lines.insert(header + 1, line);
                text = lines.join(u'\n').toUtf8();
            }
            conf.resize(0);
            conf.write(text);
        }
        program = &start(QStringLiteral(TALLIX_EXE), {});
        Wid w = 0;
        EXPECT_TRUE(WaitFor(
            [&] {
                const QList<Wid> ids =
                    search(QStringLiteral("--name"), QStringLiteral("^Tallix Time - .*Prayer is"));
                w = ids.isEmpty() ? 0 : ids.first();
                return w != 0 && program->state() == QProcess::Running;
            },
            kStep * 2))
            << "no main window";
        return w;
    }
    // Ends the program as a log-out does and waits for it.
    void stopProgram() {
        program->terminate();
        EXPECT_TRUE(program->waitForFinished(kStep));
    }

    // Whether one of the program's menus is up (a window of its own on the screen that the
    // window manager leaves alone).
    bool menuShown() const {
        for (const Wid w : search(QStringLiteral("--class"), QStringLiteral("tallix")))
            if (xd->popup(w))
                return true;
        return false;
    }

    // Visible windows of that title other than the ones given.
    // The first visible window of the title that is not one of those given, once it shows; 0
    // when none shows within the deadline.
    Wid waitForWindow(const QString& title, const QList<Wid>& known = {}) const {
        Wid w = 0;
        WaitFor(
            [&] {
                w = newWindows(title, known).value(0);
                return w != 0;
            },
            kStep * 2);
        return w;
    }
    QList<Wid> newWindows(const QString& title, const QList<Wid>& known) const {
        QList<Wid> ids = search(QStringLiteral("--name"), title);
        ids.removeIf([&](Wid w) { return known.contains(w); });
        return ids;
    }
    // Waits until done() holds, answering Yes (Return) to every question of the program's (a
    // window titled as the program, other than main) that comes meanwhile.
    bool answerYesUntil(Wid main, const std::function<bool()>& done, int timeoutMs) {
        return WaitFor(
            [&] {
                for (const Wid w : newWindows(QStringLiteral("^Tallix Time$"), {main})) {
                    activate(w);
                    key(QStringLiteral("Return"));
                }
                return done();
            },
            timeoutMs);
    }

    void screenshot(const QString& name) const {
        const QString folder = QStringLiteral(TALLIX_BUILD_DIR "/screenshots");
        QDir().mkpath(folder);
        QProcess p;
        p.setProcessEnvironment(env);
        p.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--helper"), QStringLiteral("screenshot"),
                 folder + u'/' + name + QStringLiteral(".png")});
        EXPECT_TRUE(p.waitForFinished(kStep * 2) && p.exitCode() == 0)
            << "no screenshot " << name.toStdString();
    }

    // The virtual screen's width x height, set before SetUp.
    QString screenSize = QStringLiteral("1280x1024");
    // Set before SetUp: the tray is a panel this high along the bottom whose space the window
    // manager keeps free (a strut); 0: a small tray at the top that reserves nothing.
    int panelHeight = 0;
    QTemporaryDir dir;
    std::unique_ptr<XDisplay> xd;
    QProcessEnvironment env;
    std::vector<std::unique_ptr<QProcess>> procs;
    QProcess* program = nullptr;
};
