#include "WorkerWait.h"
#include "App.h"

#include <QEventLoop>
#include <QPointer>
#include <QProgressDialog>

#include <condition_variable>
#include <mutex>
#include <thread>

namespace runtime {

namespace {

// Shown when the work has not ended by then: a print that goes through at once shows nothing.
constexpr int kShowAfterMs = 400;

QPointer<QProgressDialog> gWindow;

struct Finish {
    std::mutex mutex;
    std::condition_variable ended;
    bool done = false;
    bool isDone() {
        std::lock_guard lock(mutex);
        return done;
    }
};

} // namespace

void RunWhileWaiting(QWidget* owner, const QString& busyText, std::function<void()> work) {
    auto finish = std::make_shared<Finish>();
    QEventLoop loop;
    QProgressDialog window(busyText, QString(), 0, 0, owner);
    window.setWindowTitle(App.Title);
    window.setObjectName(QStringLiteral("workWaiting"));
    window.setWindowModality(Qt::NonModal);
    window.setAutoClose(false);
    window.setMinimumDuration(kShowAfterMs);
    window.setValue(0); // counts the moment from now
    QPointer<QProgressDialog> outer = gWindow;
    gWindow = &window;
    // The loop is woken before the work counts as done, so it is still there to be woken.
    std::thread([finish, &loop, work = std::move(work)] {
        work();
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
        std::lock_guard lock(finish->mutex);
        finish->done = true;
        finish->ended.notify_all();
    }).detach();
    while (!finish->isDone()) {
        // -1: the application is quitting and no event loop runs any more; wait plainly.
        if (loop.exec() == -1) {
            std::unique_lock lock(finish->mutex);
            finish->ended.wait(lock, [&] { return finish->done; });
        }
    }
    gWindow = outer;
}

QWidget* WaitingWindow() {
    return gWindow && gWindow->isVisible() ? gWindow.data() : nullptr;
}

} // namespace runtime
