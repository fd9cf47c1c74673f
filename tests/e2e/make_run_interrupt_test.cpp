// Ctrl+C in the terminal where `make run` runs the program on a virtual display (no display
// there): it ends the program as on a desktop, with status 0 and no word of a lost display,
// whenever it comes: while the display server starts, while the program starts (connected to
// the display, waiting for its settings) and once it is up. Nothing is left behind: no display
// server, no program, none of their files.
#include "fakes/child_process.h"
#include "fakes/wait_for.h"
#include "pseudo_terminal.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcessEnvironment>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <csignal>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <memory>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

// How long a step may take on a busy machine; the test goes on as soon as it is done.
constexpr int kStep = 60000;

enum class Moment { WhileTheDisplayStarts, WhileTheProgramStarts, OnceItIsUp };

const char* nameOf(Moment m) {
    switch (m) {
    case Moment::WhileTheDisplayStarts:
        return "WhileTheDisplayStarts";
    case Moment::WhileTheProgramStarts:
        return "WhileTheProgramStarts";
    case Moment::OnceItIsUp:
        return "OnceItIsUp";
    }
    return "";
}

void PrintTo(Moment m, std::ostream* os) {
    *os << nameOf(m);
}

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

class MakeRunInterrupted : public ::testing::TestWithParam<Moment> {
protected:
    void SetUp() override {
        ASSERT_TRUE(ToolInstalled(QStringLiteral("make"), "make"));
        ASSERT_TRUE(ToolInstalled(QStringLiteral("Xvfb"), "xvfb"));
        ASSERT_TRUE(ToolInstalled(QStringLiteral("setsid"), "util-linux"));
        for (const char* folder : {"build", "tmp", "config", "run", "bin"})
            ASSERT_TRUE(QDir(home.path()).mkpath(QLatin1String(folder)));
        QFile::setPermissions(path("run"), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                               QFileDevice::ExeOwner);
        // The program as the recipe starts it; its exit status is kept for the test.
        writeScript(path("build/tallix-time"),
                    QStringLiteral("trap : INT HUP TERM\n\"%1\" \"$@\"\necho $? >\"$0.status\"\n")
                        .arg(QStringLiteral(TALLIX_EXE)));
        // The display server, held before it starts until the test lets it go on.
        writeScript(path("bin/Xvfb"),
                    QStringLiteral("kill -STOP $$\nexec \"%1\" \"$@\"\n")
                        .arg(QStandardPaths::findExecutable(QStringLiteral("Xvfb"))));
    }

    void TearDown() override {
        if (storeLock >= 0)
            ::close(storeLock);
        terminal.reset();
        for (const int sig : {SIGTERM, SIGKILL}) {
            for (const pid_t pid : processes()) {
                ::kill(pid, sig);
                ::kill(pid, SIGCONT); // the held display server
            }
            if (WaitFor([&] { return processes().empty(); }, 5000))
                break;
        }
    }

    QString path(const char* name) const { return home.path() + u'/' + QLatin1String(name); }

    static void writeScript(const QString& file, const QString& body) {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("#!/bin/sh\n" + body.toUtf8());
        f.close();
        f.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    }

    // `make run` in a terminal of its own with no display; the program's build is taken as made.
    void startMakeRun(bool holdTheDisplay) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "XAUTHORITY", "QT_QPA_PLATFORM",
                                 "MAKEFLAGS", "MFLAGS", "MAKELEVEL"})
            env.remove(QLatin1String(name));
        if (holdTheDisplay)
            env.insert(QStringLiteral("PATH"),
                       path("bin") + u':' + env.value(QStringLiteral("PATH")));
        env.insert(QStringLiteral("HOME"), home.path());
        env.insert(QStringLiteral("TMPDIR"), path("tmp"));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), path("config"));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), path("run"));
        env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"),
                   QStringLiteral("unix:path=") + path("no-bus"));
        env.insert(QStringLiteral("TALLIX_ALSA_DEVICE"), QStringLiteral("null"));
        terminal = std::make_unique<PseudoTerminal>();
        ASSERT_TRUE(
            terminal->start(QStandardPaths::findExecutable(QStringLiteral("make")),
                            {QStringLiteral("-o"), QStringLiteral("program"), QStringLiteral("-C"),
                             QStringLiteral(TALLIX_SOURCE_DIR), QStringLiteral("run"),
                             QStringLiteral("BUILD=") + path("build")},
                            env.toStringList()));
    }

    // The live processes this test started, however far from it: each has its folders in its
    // environment.
    std::vector<pid_t> processes() const {
        const QByteArray mark = "TMPDIR=" + QFile::encodeName(path("tmp")) + '\0';
        std::vector<pid_t> found;
        for (const QString& name : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
            bool number = false;
            const pid_t pid = pid_t(name.toInt(&number));
            if (number && pid != ::getpid() && state(pid) != 'Z' &&
                (readAll(QStringLiteral("/proc/%1/environ").arg(pid)) + '\0').contains(mark))
                found.push_back(pid);
        }
        return found;
    }
    static char state(pid_t pid) {
        const QByteArray stat = readAll(QStringLiteral("/proc/%1/stat").arg(pid));
        const qsizetype end = stat.lastIndexOf(')');
        return end < 0 || end + 2 >= stat.size() ? 'Z' : stat.at(end + 2);
    }
    static QList<QByteArray> commandLine(pid_t pid) {
        return readAll(QStringLiteral("/proc/%1/cmdline").arg(pid)).split('\0');
    }
    // The process of this test whose command line has the text in its first or second word.
    pid_t processRunning(const QByteArray& text) const {
        for (const pid_t pid : processes()) {
            const QList<QByteArray> words = commandLine(pid);
            if (words.value(0).contains(text) || words.value(1).contains(text))
                return pid;
        }
        return 0;
    }
    pid_t program() const {
        for (const pid_t pid : processes())
            if (QFileInfo(QStringLiteral("/proc/%1/exe").arg(pid)).canonicalFilePath() ==
                QFileInfo(QStringLiteral(TALLIX_EXE)).canonicalFilePath())
                return pid;
        return 0;
    }

    // The settings store's lock, held as another writer would: the first start, which writes
    // its defaults, waits for it.
    void holdStore() {
        ASSERT_TRUE(QDir().mkpath(path("config/tallix-time")));
        storeLock = ::open(QFile::encodeName(path("config/tallix-time/registry.lock")),
                           O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        ASSERT_GE(storeLock, 0);
        ASSERT_EQ(::flock(storeLock, LOCK_EX), 0);
    }
    bool waitsForTheStore(pid_t pid) const {
        struct stat st {};
        if (::stat(QFile::encodeName(path("config/tallix-time/registry.lock")), &st))
            return false;
        const QByteArray pidField = ' ' + QByteArray::number(pid) + ' ';
        const QByteArray inode = ':' + QByteArray::number(qulonglong(st.st_ino)) + ' ';
        for (const QByteArray& line : readAll(QStringLiteral("/proc/locks")).split('\n'))
            if (line.contains(" -> FLOCK ") && line.contains(pidField) && line.contains(inode))
                return true;
        return false;
    }

    // The program's main window is up: it published its list of windows with it.
    bool upWithItsWindow() const {
        const QString windows = path("run/tallix-time/windows");
        for (const QString& name : QDir(windows).entryList({QStringLiteral("*.list")}))
            if (readAll(windows + u'/' + name).contains("\tTallix Time - "))
                return true;
        return false;
    }

    QTemporaryDir home;
    std::unique_ptr<PseudoTerminal> terminal;
    int storeLock = -1;
};

TEST_P(MakeRunInterrupted, EndsAsOnADesktopAndLeavesNothing) {
    const Moment moment = GetParam();
    if (moment == Moment::WhileTheProgramStarts)
        holdStore();
    startMakeRun(moment == Moment::WhileTheDisplayStarts);
    ASSERT_FALSE(HasFailure());
    const auto shown = [&] { return QString::fromLocal8Bit(terminal->output()).toStdString(); };

    // The moment comes; the display server is there, in a session of its own.
    pid_t xvfb = 0;
    switch (moment) {
    case Moment::WhileTheDisplayStarts:
        ASSERT_TRUE(WaitFor(
            [&] { return (xvfb = processRunning("bin/Xvfb")) && state(xvfb) == 'T'; }, kStep))
            << shown();
        break;
    case Moment::WhileTheProgramStarts:
        ASSERT_TRUE(WaitFor([&] { return program() && waitsForTheStore(program()); }, kStep))
            << shown();
        break;
    case Moment::OnceItIsUp:
        ASSERT_TRUE(WaitFor([&] { return upWithItsWindow(); }, kStep)) << shown();
        break;
    }
    if (!xvfb)
        xvfb = processRunning("Xvfb");
    ASSERT_NE(xvfb, 0) << shown();
    QByteArray display; // ":99", the first word of the command line that names a display
    for (const QByteArray& word : commandLine(xvfb))
        if (display.isEmpty() && word.startsWith(':'))
            display = word;
    ASSERT_FALSE(display.isEmpty()) << commandLine(xvfb).join(' ').constData();
    EXPECT_NE(::getsid(xvfb), terminal->pid()) << "the display server is in the terminal's session";

    ASSERT_TRUE(terminal->type("\x03"));
    if (moment == Moment::WhileTheDisplayStarts)
        ::kill(xvfb, SIGCONT);
    if (moment == Moment::WhileTheProgramStarts) {
        ::close(storeLock);
        storeLock = -1;
    }
    ASSERT_TRUE(terminal->waitForEnd(kStep)) << shown();

    // The program ended with status 0 (it never started when Ctrl+C came first), and nothing
    // said a display was lost.
    const QByteArray status = readAll(path("build/tallix-time.status")).trimmed();
    if (moment == Moment::WhileTheDisplayStarts)
        EXPECT_TRUE(status.isEmpty()) << "the program was started: " << status.constData();
    else
        EXPECT_EQ(status, "0") << shown();
    for (const char* said :
         {"X11 connection broke", "could not connect to display", "did not start", "Xvfb failed"})
        EXPECT_FALSE(terminal->output().contains(said)) << shown();

    // Nothing is left: no process, not the display server's lock file nor its socket, no file
    // of the run in the temporary folder, no window list or data-server socket.
    EXPECT_TRUE(WaitFor([&] { return processes().empty(); }, kStep))
        << processes().size() << " processes left";
    const QByteArray lock = readAll(QStringLiteral("/tmp/.X%1-lock").arg(display.mid(1)));
    EXPECT_NE(lock.trimmed(), QByteArray::number(xvfb)) << "the display's lock file is left";
    if (lock.isEmpty()) {
        EXPECT_FALSE(QFile::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(display.mid(1))));
    }
    const QStringList inTmp =
        QDir(path("tmp")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
    EXPECT_TRUE(inTmp.isEmpty()) << inTmp.join(u' ').toStdString();
    const QStringList lists = QDir(path("run/tallix-time/windows"))
                                  .entryList({QStringLiteral("*.list"), QStringLiteral("*.sock")});
    EXPECT_TRUE(lists.isEmpty()) << lists.join(u' ').toStdString();
    EXPECT_FALSE(QFile::exists(path("run/dde/TallixTime")));
}

INSTANTIATE_TEST_SUITE_P(Moments, MakeRunInterrupted,
                         ::testing::Values(Moment::WhileTheDisplayStarts,
                                           Moment::WhileTheProgramStarts, Moment::OnceItIsUp),
                         [](const auto& info) { return std::string(nameOf(info.param)); });

} // namespace
