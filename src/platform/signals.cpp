#include "signals.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace platform {
namespace {

int g_pipe[2] = {-1, -1};
std::function<void(int)> g_hook;
QSocketNotifier* g_notifier = nullptr;

extern "C" void onSessionSignal(int signalNumber) {
    const int saved = errno;
    const unsigned char byte = static_cast<unsigned char>(signalNumber);
    [[maybe_unused]] const ssize_t n = ::write(g_pipe[1], &byte, 1);
    errno = saved;
}

void setHandler(void (*handler)(int)) {
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGTERM, &action, nullptr);
    ::sigaction(SIGHUP, &action, nullptr);
}

} // namespace

void InstallSessionEndHook(std::function<void(int)> hook) {
    if (!hook) {
        setHandler(SIG_DFL);
        g_hook = nullptr;
        return;
    }
    g_hook = std::move(hook);
    if (g_pipe[0] < 0) {
        if (::pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0)
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
    setHandler(&onSessionSignal);
}

} // namespace platform
