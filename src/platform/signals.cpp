#include "signals.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <QtDebug>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace platform {
namespace {

int g_pipe[2] = {-1, -1};
std::function<void(int)> g_hook;
QSocketNotifier* g_notifier = nullptr;

// The signals that end the program as the end of the session does.
constexpr int kEndSignals[] = {SIGTERM, SIGHUP, SIGINT};

bool isIgnored(int signalNumber) {
    struct sigaction action {};
    return ::sigaction(signalNumber, nullptr, &action) == 0 && action.sa_handler == SIG_IGN;
}

// Whether the program was started with the signal ignored: `nohup` ignores SIGHUP, and a shell
// without job control ignores SIGINT in what it starts in the background. Such a signal is
// left ignored, as the one who started the program asked; SIGTERM is always caught. Read once,
// before the program sets any action of its own.
bool startedIgnoring(int signalNumber) {
    static const bool hangUp = isIgnored(SIGHUP), interrupt = isIgnored(SIGINT);
    return (signalNumber == SIGHUP && hangUp) || (signalNumber == SIGINT && interrupt);
}

extern "C" void onSessionSignal(int signalNumber) {
    const int saved = errno;
    const unsigned char byte = static_cast<unsigned char>(signalNumber);
    [[maybe_unused]] const ssize_t n = ::write(g_pipe[1], &byte, 1);
    errno = saved;
}

void setAction(int signalNumber, void (*handler)(int)) {
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    if (::sigaction(signalNumber, &action, nullptr) != 0)
        qWarning("sigaction for %s: %s", strsignal(signalNumber), std::strerror(errno));
}

void setHandler(void (*handler)(int)) {
    for (int signalNumber : kEndSignals)
        if (!startedIgnoring(signalNumber))
            setAction(signalNumber, handler);
}

// Reads the signals waiting in the pipe into the hook whenever the event loop sees one.
void watchPipe() {
    if (g_notifier || g_pipe[0] < 0)
        return;
    g_notifier =
        new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, QCoreApplication::instance());
    QObject::connect(g_notifier, &QSocketNotifier::activated, g_notifier, [] {
        unsigned char byte = 0;
        while (::read(g_pipe[0], &byte, 1) == 1)
            if (g_hook)
                g_hook(byte);
    });
}

} // namespace

void CatchSessionEndSignals() {
    // A write to a reader that went away (a data-server client, a closed pipe) fails with
    // EPIPE where it is made; it must not end the program.
    setAction(SIGPIPE, SIG_IGN);
    if (g_pipe[0] < 0 && ::pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        qWarning("pipe2 for the session-end signals: %s; SIGTERM, SIGHUP and SIGINT keep "
                 "their default actions",
                 std::strerror(errno));
        g_pipe[0] = g_pipe[1] = -1;
        return;
    }
    setHandler(&onSessionSignal);
}

void InstallSessionEndHook(std::function<void(int)> hook) {
    if (!hook) {
        setHandler(SIG_DFL);
        g_hook = nullptr;
        return;
    }
    g_hook = std::move(hook);
    CatchSessionEndSignals();
    watchPipe();
}

} // namespace platform
