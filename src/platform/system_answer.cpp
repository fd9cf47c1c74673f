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

QString ErrorReason(const QDBusMessage& reply) {
    return reply.errorMessage().isEmpty() ? reply.errorName() : reply.errorMessage();
}

} // namespace platform
