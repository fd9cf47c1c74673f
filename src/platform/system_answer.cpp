#include "system_answer.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QMetaObject>

namespace platform {

SystemAnswer AnswerLater(SystemAnswer answer) {
    if (!answer)
        return {};
    return [answer = std::move(answer)](bool ok, const QString& error) {
        QCoreApplication* app = QCoreApplication::instance();
        if (!app) {
            answer(ok, error);
            return;
        }
        QMetaObject::invokeMethod(
            app, [answer, ok, error] { answer(ok, error); }, Qt::QueuedConnection);
    };
}

void CallWithoutWaiting(const QDBusConnection& bus, const QDBusMessage& call, int timeoutMs,
                        std::function<void(const QDBusMessage& reply)> done) {
    auto* watcher =
        new QDBusPendingCallWatcher(bus.asyncCall(call, timeoutMs), QCoreApplication::instance());
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, watcher,
                     [done = std::move(done)](QDBusPendingCallWatcher* finished) {
                         finished->deleteLater();
                         if (done)
                             done(finished->reply());
                     });
}

void OneRequestAtATime::ask(const QByteArray& key, SystemAnswer answer,
                            const std::function<void(SystemAnswer done)>& send) {
    if (const auto waiting = waiting_.find(key); waiting != waiting_.end()) {
        if (answer)
            waiting->second.answer = std::move(answer);
        return;
    }
    const quint64 id = ++next_;
    waiting_[key] = Waiting{id, std::move(answer)};
    send([this, key, id](bool ok, const QString& error) {
        const auto waiting = waiting_.find(key);
        if (waiting == waiting_.end() || waiting->second.id != id)
            return; // forgotten meanwhile
        const SystemAnswer answer = std::move(waiting->second.answer);
        waiting_.erase(waiting);
        if (answer)
            answer(ok, error);
    });
}

QString ErrorReason(const QDBusMessage& reply) {
    return reply.errorMessage().isEmpty() ? reply.errorName() : reply.errorMessage();
}

} // namespace platform
