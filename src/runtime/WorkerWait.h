#pragma once
// Work that waits on another process (the print server) runs on a thread of its own while the
// window's thread goes on: its event loop keeps running, so the clock ticks, the athan sounds
// and the windows answer until the work is done.
#include <QString>
#include <functional>

class QObject;
class QWidget;

namespace runtime {

// Runs work on a new thread and returns once it is done, running the event loop meanwhile.
// When the work takes longer than a moment, a small window over owner says what is under way
// (busyText) until it ends. The work must end by itself (a deadline of its own). When the
// program ends meanwhile (its last form unloaded, see WorkUnderWay), this never returns: the
// process ends at once, the work given up where it is and the caller never going on.
void RunWhileWaiting(QWidget* owner, const QString& busyText, std::function<void()> work);

// Runs work on a new thread and returns at once; done runs on the window's thread once the work
// has ended, unless context is gone by then (its answer is dropped). The work must end by itself
// (a deadline of its own).
void RunInBackground(QObject* context, std::function<void()> work, std::function<void()> done);

// Whether a wait of RunWhileWaiting has not returned yet or work of RunInBackground has not
// ended. The last form's unload ends the process at once (End) while it holds: a worker held
// by a server that does not answer must not keep the program alive, nor may the code waiting
// for it go on (open a dialog, send a job) once the user or the session ended the program.
bool WorkUnderWay();

// The window that says what is under way, while one is shown; nullptr otherwise.
QWidget* WaitingWindow();

} // namespace runtime
