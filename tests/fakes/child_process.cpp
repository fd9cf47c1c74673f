#include "child_process.h"

#include <QCoreApplication>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>
#include <algorithm>
#include <csignal>
#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {
constexpr uid_t kOrdinaryUser = 65534;

QMap<QString, TestHelper>& helpers() {
    static QMap<QString, TestHelper> h;
    return h;
}

// The sessions StartInOwnSession made, by the process id of their leader.
std::vector<pid_t>& sessions() {
    static std::vector<pid_t> s;
    return s;
}

const char* const kSessionProperty = "tallixTestSession";

// The live processes of a session (zombies, which no signal ends, left out).
std::vector<pid_t> sessionMembers(pid_t session) {
    std::vector<pid_t> members;
    const QDir proc(QStringLiteral("/proc"));
    for (const QString& name : proc.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        bool number = false;
        const pid_t pid = pid_t(name.toInt(&number));
        if (!number)
            continue;
        QFile stat(proc.filePath(name) + QStringLiteral("/stat"));
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        const QByteArray line = stat.readAll();
        // "pid (name) state ppid pgrp session ...": the name may hold spaces and brackets.
        const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
        if (fields.size() > 3 && fields[3].toInt() == session && fields[0] != "Z" &&
            fields[0] != "X")
            members.push_back(pid);
    }
    return members;
}

// Ends the session: SIGTERM to each of its processes, SIGKILL to what is left after ms. Gives
// how many processes it had.
int endSessionMembers(pid_t session, int ms) {
    const std::vector<pid_t> found = sessionMembers(session);
    if (found.empty())
        return 0;
    for (const int sig : {SIGTERM, SIGKILL}) {
        ::kill(-session, sig);
        for (const pid_t pid : sessionMembers(session))
            ::kill(pid, sig);
        QElapsedTimer waited;
        waited.start();
        while (!sessionMembers(session).empty() && waited.elapsed() < (sig == SIGTERM ? ms : 5000))
            QThread::msleep(20);
        if (sessionMembers(session).empty())
            break;
    }
    return int(found.size());
}

pid_t sessionOf(const QProcess& process) {
    return pid_t(process.property(kSessionProperty).toLongLong());
}

// "end-sessions-after": reads "+PID" (a session started) and "-PID" (ended) lines until its
// input closes, which is when the test program ends, however it ends (a crash included); then
// ends the sessions still open.
int watchSessions(const QStringList&) {
    QFile in;
    if (!in.open(stdin, QIODevice::ReadOnly))
        return 1;
    std::vector<pid_t> open;
    for (QByteArray line; !(line = in.readLine()).isEmpty();) {
        const pid_t pid = pid_t(line.mid(1).trimmed().toInt());
        if (line.startsWith('+'))
            open.push_back(pid);
        else
            open.erase(std::remove(open.begin(), open.end(), pid), open.end());
    }
    for (const pid_t session : open)
        endSessionMembers(session, 2000);
    return 0;
}
const TestHelperRegistration kSessionWatch(QStringLiteral("end-sessions-after"), watchSessions);

// Tells the watcher of this test program about a session; starts the watcher, in a session of
// its own, at the first one.
void tellWatcher(char what, pid_t session) {
    static QProcess* watcher = nullptr; // never deleted: it must outlive the test program
    if (!watcher) {
        watcher = new QProcess;
        watcher->setChildProcessModifier([] { ::setsid(); });
        watcher->setProcessChannelMode(QProcess::ForwardedChannels);
        watcher->start(QCoreApplication::applicationFilePath(),
                       {QStringLiteral("--helper"), QStringLiteral("end-sessions-after")});
        watcher->waitForStarted(30000);
    }
    if (watcher->state() == QProcess::Running) {
        watcher->write(what + QByteArray::number(session) + '\n');
        watcher->waitForBytesWritten(5000);
    }
}
} // namespace

void StartInOwnSession(QProcess& process) {
    process.setChildProcessModifier([] { ::setsid(); });
    QObject::connect(&process, &QProcess::started, &process, [&process] {
        const pid_t leader = pid_t(process.processId());
        process.setProperty(kSessionProperty, qint64(leader));
        sessions().push_back(leader);
        tellWatcher('+', leader);
    });
}

void EndSession(QProcess& process, int ms) {
    const pid_t session = sessionOf(process);
    if (session <= 0)
        return;
    endSessionMembers(session, ms);
    if (process.state() != QProcess::NotRunning)
        process.waitForFinished(3000);
    auto& all = sessions();
    all.erase(std::remove(all.begin(), all.end(), session), all.end());
    tellWatcher('-', session);
}

int EndAllSessions(int ms) {
    int left = 0;
    for (const pid_t session : sessions()) {
        left += endSessionMembers(session, ms);
        tellWatcher('-', session);
    }
    sessions().clear();
    return left;
}

::testing::AssertionResult ToolInstalled(const QString& program, const char* package) {
    if (!QStandardPaths::findExecutable(program).isEmpty())
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << program.toStdString() << " is not installed: this test needs the Debian package "
           << package << " (make test installs it; or apt-get install " << package << ")";
}

int RunInChild(const std::function<int()>& fn, int timeoutMs, bool ordinaryUser) {
    const pid_t child = ::fork();
    if (child < 0)
        return -2;
    if (child == 0) {
        // A group of its own: what it starts is ended with it.
        ::setpgid(0, 0);
        if (ordinaryUser && ::geteuid() == 0 &&
            (::setgroups(0, nullptr) != 0 || ::setgid(kOrdinaryUser) != 0 ||
             ::setuid(kOrdinaryUser) != 0))
            ::_exit(120);
        ::_exit(fn());
    }
    for (int waited = 0; waited <= timeoutMs; waited += 10) {
        int status = 0;
        if (::waitpid(child, &status, WNOHANG) == child) {
            ::kill(-child, SIGKILL);
            return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        }
        QThread::msleep(10);
    }
    ::kill(-child, SIGKILL);
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    return -1;
}

void GiveToOrdinaryUser(const QString& path) {
    if (::geteuid() != 0)
        return;
    if (::lchown(QFile::encodeName(path).constData(), kOrdinaryUser, kOrdinaryUser) != 0)
        return;
    QDirIterator it(path, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        (void)::lchown(QFile::encodeName(it.next()).constData(), kOrdinaryUser, kOrdinaryUser);
}

void EndGently(QProcess& program, int ms) {
    if (program.state() != QProcess::NotRunning) {
        program.terminate();
        if (!program.waitForFinished(ms)) {
            program.kill();
            program.waitForFinished(3000);
        }
    }
    EndSession(program, 1000);
}

void RemoveShortSocketFolders(const QString& runtimeDir) {
    const QDir windows(runtimeDir + QStringLiteral("/tallix-time/windows"));
    for (const QString& name : windows.entryList({QStringLiteral("*.list")}, QDir::Files)) {
        QFile list(windows.filePath(name));
        if (!list.open(QIODevice::ReadOnly))
            continue;
        for (const QByteArray& line : list.read(64 * 1024).split('\n')) {
            const QString socket = QFile::decodeName(line.mid(8));
            const QFileInfo folder(QFileInfo(socket).absolutePath());
            if (!line.startsWith("@socket\t") || folder.absolutePath() != QStringLiteral("/tmp") ||
                !folder.fileName().startsWith(QStringLiteral("tallix-")))
                continue;
            QFile::remove(socket);
            QDir().rmdir(folder.absoluteFilePath());
        }
    }
}

void RegisterTestHelper(const QString& name, TestHelper helper) {
    helpers().insert(name, std::move(helper));
}

bool RunTestHelperFromCommandLine(int argc, char** argv, int* exitCode) {
    if (argc < 3 || QByteArray(argv[1]) != "--helper")
        return false;
    const auto it = helpers().constFind(QString::fromLocal8Bit(argv[2]));
    if (it == helpers().constEnd()) {
        *exitCode = 127;
        return true;
    }
    QStringList args;
    for (int i = 3; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    *exitCode = (*it)(args);
    return true;
}
