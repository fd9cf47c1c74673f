#pragma once
// Requests the program makes of the system and the desktop over D-Bus (a new system zone, a
// lock, the screen saver) never wait for their answer: the call returns at once and the answer
// comes later from the event loop, so the clock, the athan and the windows go on meanwhile,
// even while the desktop asks the user for a password.
#include <QString>
#include <functional>

class QDBusConnection;
class QDBusMessage;

namespace platform {

// The answer: ok when the system did what was asked, else false with the reason (may be "").
using SystemAnswer = std::function<void(bool ok, const QString& error)>;

// The same answer delivered from the event loop: once, and never inside the call that is
// given it, however soon that call knows its outcome. An empty answer stays empty.
SystemAnswer AnswerLater(SystemAnswer answer);

// Sends the method call without waiting. done gets the reply, or the error message the bus
// made (no such service, refused, no answer within timeoutMs), from the event loop.
void CallWithoutWaiting(const QDBusConnection& bus, const QDBusMessage& call, int timeoutMs,
                        std::function<void(const QDBusMessage& reply)> done);

// The reason an error reply gives: its message, else its error name.
QString ErrorReason(const QDBusMessage& reply);

} // namespace platform
