#pragma once
// The end of the session as the process learns it: SIGTERM (the session manager or systemd
// stopping the program at log-out or shutdown), SIGHUP (the terminal or session went away) and
// SIGINT (Ctrl+C in the terminal that started it); SIGHUP and SIGINT only when the program was
// not started with them ignored (`nohup`, a script's background job). SIGPIPE is ignored: a write
// to a reader that went away is an error of that write, not the end of the program.
//
// The signal handler only writes a byte to a pipe; the hook runs on the user-interface thread
// from the event loop, where the program can unload its windows as at a log-out.
#include <functional>

namespace platform {

// Catches SIGTERM, SIGHUP and SIGINT from now on and ignores SIGPIPE; needs no Qt, so main
// calls it first of all. A signal caught before a hook is installed waits for it: none ends the
// program with its default action meanwhile. A handler that cannot be set up is logged as a
// warning.
void CatchSessionEndSignals();

// Installs the hook the caught signals lead to (catching them, when not done yet); it gets the
// signal number, one call per signal, from the event loop of the QCoreApplication, which must
// exist. nullptr puts the default actions of the three back (SIGPIPE stays ignored, and so does
// a signal the program was started with ignored).
void InstallSessionEndHook(std::function<void(int signalNumber)> hook);

} // namespace platform
