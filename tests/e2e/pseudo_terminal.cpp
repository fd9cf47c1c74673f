#include "pseudo_terminal.h"

#include "fakes/wait_for.h"

#include <QFile>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

PseudoTerminal::~PseudoTerminal() {
    if (pid_ > 0 && !ended_) {
        ::kill(-pid_, SIGKILL);
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
    } else if (pid_ > 0) {
        ::kill(-pid_, SIGKILL); // what the leader left in its process group
    }
    if (master_ >= 0)
        ::close(master_);
}

bool PseudoTerminal::start(const QString& program, const QStringList& arguments,
                           const QStringList& environment) {
    // Everything the child needs is made before the fork: after it, only exec.
    std::vector<QByteArray> args{QFile::encodeName(program)}, env;
    for (const QString& a : arguments)
        args.push_back(a.toLocal8Bit());
    for (const QString& e : environment)
        env.push_back(e.toLocal8Bit());
    std::vector<char*> argv, envp;
    for (QByteArray& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    for (QByteArray& e : env)
        envp.push_back(e.data());
    envp.push_back(nullptr);

    const pid_t pid = ::forkpty(&master_, nullptr, nullptr, nullptr);
    if (pid < 0)
        return false;
    if (pid == 0) {
        // A terminal's session starts with the signals at their default actions.
        ::signal(SIGINT, SIG_DFL);
        ::signal(SIGHUP, SIG_DFL);
        ::signal(SIGPIPE, SIG_DFL);
        ::execve(argv[0], argv.data(), envp.data());
        ::_exit(127);
    }
    pid_ = pid;
    ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
    return true;
}

bool PseudoTerminal::type(const QByteArray& keys) {
    return master_ >= 0 && ::write(master_, keys.constData(), keys.size()) == keys.size();
}

void PseudoTerminal::read() {
    char buffer[4096];
    ssize_t n;
    while (master_ >= 0 && (n = ::read(master_, buffer, sizeof buffer)) > 0)
        output_.append(buffer, n);
}

QByteArray PseudoTerminal::output() {
    read();
    return output_;
}

bool PseudoTerminal::waitForEnd(int ms) {
    return WaitFor(
        [&] {
            read();
            if (!ended_ && pid_ > 0 && ::waitpid(pid_, &status_, WNOHANG) == pid_)
                ended_ = true;
            return ended_;
        },
        ms);
}
