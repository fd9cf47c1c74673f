#pragma once
// Requests the program makes of the system and the desktop over D-Bus (a new system zone, a
// lock, the screen saver) never wait for their answer: the call returns at once and the answer
// comes later from the event loop, so the clock, the athan and the windows go on meanwhile,
// even while the desktop asks the user for a password.
#include <QByteArray>
#include <QString>
#include <functional>
#include <map>

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

// Requests of one kind, one at a time for each key: asked again while its request waits, it
// sends nothing more, and the one outcome goes to the newest asker that gave an answer (earlier
// askers hear nothing). Two presses of a command while the desktop is slow to answer make one
// request and one message; the press after the answer makes a new request.
class OneRequestAtATime {
public:
    // Unless a request with the key waits, calls send with the answer it is to give once (at
    // once or later); until then the key waits.
    void ask(const QByteArray& key, SystemAnswer answer,
             const std::function<void(SystemAnswer done)>& send);
    // Forgets the requests that wait, whose answers are then dropped when they come: for a
    // change of what answers them.
    void forget() { waiting_.clear(); }

private:
    struct Waiting {
        quint64 id = 0;
        SystemAnswer answer;
    };
    std::map<QByteArray, Waiting> waiting_;
    quint64 next_ = 0;
};

// The reason an error reply gives: its message, else its error name.
QString ErrorReason(const QDBusMessage& reply);

} // namespace platform
