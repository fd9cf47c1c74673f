#include "child_process.h"

#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QProcess>
#include <QThread>
#include <csignal>
#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {
constexpr uid_t kOrdinaryUser = 65534;

QMap<QString, TestHelper>& helpers() {
    static QMap<QString, TestHelper> h;
    return h;
}
} // namespace

int RunInChild(const std::function<int()>& fn, int timeoutMs, bool ordinaryUser) {
    const pid_t child = ::fork();
    if (child < 0)
        return -2;
    if (child == 0) {
        if (ordinaryUser && ::geteuid() == 0 &&
            (::setgroups(0, nullptr) != 0 || ::setgid(kOrdinaryUser) != 0 ||
             ::setuid(kOrdinaryUser) != 0))
            ::_exit(120);
        ::_exit(fn());
    }
    for (int waited = 0; waited <= timeoutMs; waited += 10) {
        int status = 0;
        if (::waitpid(child, &status, WNOHANG) == child)
            return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        QThread::msleep(10);
    }
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
    if (program.state() == QProcess::NotRunning)
        return;
    program.terminate();
    if (!program.waitForFinished(ms)) {
        program.kill();
        program.waitForFinished(3000);
    }
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
