#pragma once
// The end of the session as the process learns it: SIGTERM (the session manager or systemd
// stopping the program at log-out or shutdown) and SIGHUP (the terminal or session went away).
//
// The signal handler only writes a byte to a pipe; the hook runs on the user-interface thread
// from the event loop, where the program can unload its windows as at a log-out.
#include <functional>

namespace platform {

// Installs the handlers for SIGTERM and SIGHUP and the hook they lead to; nullptr puts the
// default actions back. The hook gets the signal number.
void InstallSessionEndHook(std::function<void(int signalNumber)> hook);

} // namespace platform
