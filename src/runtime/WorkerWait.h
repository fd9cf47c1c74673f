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
// (busyText) until it ends. The work must end by itself (a deadline of its own): this waits
// for it, even while the application quits.
void RunWhileWaiting(QWidget* owner, const QString& busyText, std::function<void()> work);

// Runs work on a new thread and returns at once; done runs on the window's thread once the work
// has ended, unless context is gone by then (its answer is dropped). The work must end by itself
// (a deadline of its own).
void RunInBackground(QObject* context, std::function<void()> work, std::function<void()> done);

// The window that says what is under way, while one is shown; nullptr otherwise.
QWidget* WaitingWindow();

} // namespace runtime
