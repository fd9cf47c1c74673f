#include "WorkerWait.h"
#include "App.h"
#include "Form.h"
#include "Interaction.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QPointer>
#include <QProgressDialog>

#include <atomic>
#include <mutex>
#include <thread>

namespace runtime {

namespace {

// Shown when the work has not ended by then: a print that goes through at once shows nothing.
constexpr int kShowAfterMs = 400;

QPointer<QProgressDialog> gWindow;

// Waits of RunWhileWaiting on the window's thread's stack, and background works not ended.
std::atomic<int> gUnderWay{0};

// Counts a wait while it is on the stack.
struct Counted {
    Counted() { ++gUnderWay; }
    ~Counted() { --gUnderWay; }
    Counted(const Counted&) = delete;
    Counted& operator=(const Counted&) = delete;
};

struct Finish {
    std::mutex mutex;
    bool done = false;
    QEventLoop* loop = nullptr; // touched on the window's thread only
    bool isDone() {
        std::lock_guard lock(mutex);
        return done;
    }
};

} // namespace

void RunWhileWaiting(QWidget* owner, const QString& busyText, std::function<void()> work) {
    const Counted counted;
    auto finish = std::make_shared<Finish>();
    QEventLoop loop;
    QProgressDialog window(busyText, QString(), 0, 0, owner);
    window.setWindowTitle(App.Title);
    window.setObjectName(QStringLiteral("workWaiting"));
    window.setWindowModality(Qt::NonModal);
    // Not hidden by the windows kept on top (the main window, a dialog over it), whether it
    // has an owner or not.
    KeepAboveOwner(&window, owner);
    window.setAutoClose(false);
    window.setMinimumDuration(kShowAfterMs);
    window.setValue(0); // counts the moment from now
    QPointer<QProgressDialog> outer = gWindow;
    gWindow = &window;
    finish->loop = &loop;
    // Done first, then the loop woken (on the window's thread, if it still waits).
    std::thread([finish, work = std::move(work)] {
        work();
        {
            std::lock_guard lock(finish->mutex);
            finish->done = true;
        }
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [finish] {
                if (finish->loop)
                    finish->loop->quit();
            },
            Qt::QueuedConnection);
    }).detach();
    while (!finish->isDone()) {
        // -1: the application is quitting and no event loop runs any more. The last form's
        // unload ends the process before that (see WorkUnderWay); should anything else quit
        // it, the program ends all the same, without waiting for the work or going on.
        if (loop.exec() == -1)
            End(0);
    }
    finish->loop = nullptr;
    gWindow = outer;
}

void RunInBackground(QObject* context, std::function<void()> work, std::function<void()> done) {
    // The context is looked at on the window's thread only, once the work is done.
    auto answer = std::make_shared<std::function<void()>>(
        [context = QPointer<QObject>(context), done = std::move(done)] {
            if (context)
                done();
        });
    ++gUnderWay;
    std::thread([answer, work = std::move(work)] {
        work();
        --gUnderWay;
        if (QCoreApplication* app = QCoreApplication::instance())
            QMetaObject::invokeMethod(
                app, [answer] { (*answer)(); }, Qt::QueuedConnection);
    }).detach();
}

bool WorkUnderWay() {
    return gUnderWay.load() > 0;
}

QWidget* WaitingWindow() {
    return gWindow && gWindow->isVisible() ? gWindow.data() : nullptr;
}

} // namespace runtime
