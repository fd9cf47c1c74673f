#pragma once
// The end of the session as the process learns it: SIGTERM (the session manager or systemd
// stopping the program at log-out or shutdown), SIGHUP (the terminal or session went away) and
// SIGINT (Ctrl+C in the terminal that started it). SIGPIPE is ignored: a write to a reader that
// went away is an error of that write, not the end of the program.
//
// The signal handler only writes a byte to a pipe; the hook runs on the user-interface thread
// from the event loop, where the program can unload its windows as at a log-out.
#include <functional>

namespace platform {

// Installs the handlers for SIGTERM, SIGHUP and SIGINT and the hook they lead to, and ignores
// SIGPIPE; nullptr puts the default actions of the three back (SIGPIPE stays ignored). The hook
// gets the signal number. A handler that cannot be set up is logged as a warning.
void InstallSessionEndHook(std::function<void(int signalNumber)> hook);

} // namespace platform
