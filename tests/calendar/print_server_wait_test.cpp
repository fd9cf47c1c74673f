// Printing with a print server that stops answering (paused with SIGSTOP, as a hung or
// overloaded server does) or is not running: the window's thread goes on (its timers fire, the
// athan sounds), the user is told what became of the print, and nothing is printed twice.
#include "calendar/timetable.h"
#include "core/audio.h"
#include "core/mHooks.h"
#include "core/mMain.h"
#include "core/settings.h"
#include "cups_server.h"
#include "fakes/fake_sound.h"
#include "fakes/fake_tray.h"
#include "fakes/wait_for.h"
#include "mainwindow/frmTallix.h"
#include "mainwindow/mTray.h"
#include "platform/print_server.h"
#include "runtime/Clock.h"
#include "runtime/Interaction.h"
#include "runtime/Printer.h"
#include "runtime/WorkerWait.h"

#include <QAction>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QPageSize>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

namespace {

constexpr int kDeadlineMs = 3000;

// Resumes the server when a test has not by then: a print that holds the window's thread on a
// paused server is let go, so the test ends (and fails on what it saw) instead of hanging.
class Rescue {
public:
    explicit Rescue(CupsServer& server)
        : thread_([this, &server] {
              std::unique_lock lock(mutex_);
              if (!done_.wait_for(lock, std::chrono::seconds(45), [this] { return over_; }))
                  server.Resume();
          }) {}
    ~Rescue() {
        {
            std::lock_guard lock(mutex_);
            over_ = true;
        }
        done_.notify_all();
        thread_.join();
    }

private:
    std::mutex mutex_;
    std::condition_variable done_;
    bool over_ = false;
    std::thread thread_;
};

class PrintServerWait : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(LoadSettings());
        ASSERT_TRUE(dir.isValid());
        ASSERT_TRUE(cupsDir.isValid());
        runtime::SetClock(QDateTime(QDate(2025, 6, 15), QTime(10, 0)));
        gCityName = QStringLiteral("Testville");
        gLatitude = 21.4225;
        gLongitude = 39.8262;
        gTimeZone = 36;
        gDaylightSavings = 2;
        gCalcMethod = 5;
        gMinuteAdjustActive = 0;
        gMuteAll = 0;
        gAudioType[1] = 1;
        gSelectedSound[1] = 1;
        gDisplayMainScreen = 0;
        cups = std::make_unique<CupsServer>(cupsDir.path());
        QString why;
        ASSERT_TRUE(cups->Start(&why)) << why.toStdString();
        ASSERT_TRUE(
            cups->AddQueue(kQueue, cupsDir.filePath(QStringLiteral("out/tallix.pdf")), &why))
            << why.toStdString();
        window = std::make_unique<frmTallix>();
        AddTrayIcon(window->hWnd(), 0, QString(QChar(0)));
        HookMainWindow(window->hWnd());
        QPrinter& device = runtime::Printer().device();
        device.setOutputFileName(QString());
        device.setPrinterName(kQueue);
        runtime::Printer().SetPaperSize(vbPRPSA4);
        platform::SetPrintServerDeadline(kDeadlineMs);
        runtime::SetMsgBoxAnswerer([this](const QString& prompt, int buttons, const QString&) {
            messages << prompt;
            soundsAtMessage = sound.calls().size();
            return (buttons & vbYesNo) == vbYesNo ? vbNo : vbOK;
        });
        // The window's thread ticks while the server is paused, unless something holds it.
        QObject::connect(&ticker, &QTimer::timeout, [this] {
            if (paused)
                ++ticksWhilePaused;
            QWidget* waiting = runtime::WaitingWindow();
            if (!waiting || !shownWhileWaiting.isEmpty())
                return;
            auto* label = waiting->findChild<QLabel*>();
            shownWhileWaiting = label ? label->text() : QStringLiteral("?");
            QDir().mkpath(QStringLiteral(TALLIX_BUILD_DIR "/screenshots"));
            waiting->grab().save(
                QStringLiteral(TALLIX_BUILD_DIR "/screenshots/print-waiting-%1.png").arg(shot));
        });
        ticker.start(50);
    }
    void TearDown() override {
        ticker.stop();
        if (cups)
            cups->Resume();
        UnhookMainWindow(window->hWnd());
        RemoveTrayIcon(window->hWnd());
        window.reset();
        runtime::SetMsgBoxAnswerer(nullptr);
        runtime::SetPrintDialogAnswerer(nullptr);
        runtime::SetClock(nullptr);
        platform::SetPrintServerDeadline(0);
        runtime::Printer().device().setOutputFileName(QString());
        cups.reset();
    }
    void pause() {
        cups->Pause();
        paused = true;
    }
    void resume() {
        paused = false;
        cups->Resume();
    }
    std::size_t jobs() { return cups->Jobs(kQueue).size(); }

    const QString kQueue = QStringLiteral("tallix");
    QTemporaryDir dir;
    QTemporaryDir cupsDir;
    std::unique_ptr<CupsServer> cups;
    FakeSound sound;
    FakeTray tray;
    std::unique_ptr<frmTallix> window;
    QStringList messages;
    qsizetype soundsAtMessage = -1;
    QTimer ticker;
    std::atomic<bool> paused{false};
    int ticksWhilePaused = 0;
    QString shownWhileWaiting;
    QString shot = QStringLiteral("athan"); // the screenshot's name
};

// A server that does not answer before the print, or stops answering once the dialog was
// accepted, or is not running, or has no queue: the window goes on meanwhile, the user is told
// which, and the job is in the queue at most once.
TEST_F(PrintServerWait, TheUserIsToldWhatBecameOfThePrintAndTheWindowGoesOn) {
    struct Case {
        const char* name;
        std::function<void()> before;      // before the print command
        std::function<void()> afterDialog; // once the print dialog was accepted
        QStringList told;                  // in the one message
        bool dialog;                       // the print dialog is shown
        QString notTold = QStringLiteral("no printer is installed");
    };
    const Case cases[] = {
        {"paused-before-asking",
         [this] { pause(); },
         nullptr,
         {QStringLiteral("print server does not answer"), QStringLiteral("nothing was sent")},
         false},
        {"paused-before-sending",
         nullptr,
         [this] { pause(); },
         {QStringLiteral("did not answer within 3 seconds")},
         true},
        {"stopped",
         [this] { cups->Stop(); },
         nullptr,
         {QStringLiteral("print server is not running")},
         false},
        // Only a server that answers and has no queue means that no printer is installed.
        {"no-queue",
         [this] {
             cups.reset();
             cups = std::make_unique<CupsServer>(cupsDir.path() + QStringLiteral("/again"));
             QDir().mkpath(cupsDir.path() + QStringLiteral("/again"));
             QString why;
             ASSERT_TRUE(cups->Start(&why)) << why.toStdString();
         },
         nullptr,
         {QStringLiteral("no printer is installed")},
         false,
         QStringLiteral("print server")},
    };
    bool dialogShown = false;
    std::function<void()> afterDialog;
    runtime::SetPrintDialogAnswerer([&](QPrinter&) {
        dialogShown = true;
        if (afterDialog)
            afterDialog();
        return true;
    });
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        messages.clear();
        ticksWhilePaused = 0;
        dialogShown = false;
        afterDialog = c.afterDialog;
        shownWhileWaiting.clear();
        shot = QLatin1String(c.name);
        if (c.before)
            c.before();
        {
            Rescue rescue(*cups);
            window->mnuPrintMonthGregorian[6]->trigger();
        }
        EXPECT_EQ(dialogShown, c.dialog);
        ASSERT_EQ(messages.size(), 1) << messages.join('\n').toStdString();
        for (const QString& words : c.told)
            EXPECT_TRUE(messages[0].contains(words)) << messages[0].toStdString();
        EXPECT_FALSE(messages[0].contains(c.notTold)) << messages[0].toStdString();
        EXPECT_FALSE(timetable::CommandGuard::running());
        if (!paused)
            continue;
        // The window's thread went on, and showed that the print was under way.
        EXPECT_GT(ticksWhilePaused, 3);
        EXPECT_FALSE(shownWhileWaiting.isEmpty());
        resume();
        // Sent once: the server, answering again, prints it once. Not sent: it never prints
        // (a job made before the document was cut off stays empty).
        const bool sent = messages[0].contains(QStringLiteral("was sent to the printer"));
        std::vector<CupsServer::Job> all;
        ASSERT_TRUE(WaitFor(
            [&] {
                all = cups->Jobs(kQueue);
                return !sent || (all.size() == 1 && all[0].state == IPP_JSTATE_COMPLETED);
            },
            120000))
            << all.size() << " jobs; " << messages[0].toStdString();
        for (const auto& job : all)
            EXPECT_TRUE(sent || job.state != IPP_JSTATE_COMPLETED) << messages[0].toStdString();
        EXPECT_LE(jobs(), 1U);
    }
}

// The athan due while a print waits on a paused server sounds when it is due, not after.
TEST_F(PrintServerWait, AnAthanDueWhileThePrintWaitsSoundsOnTime) {
    window->RefreshPrayers();
    const auto dhuhr = window->PrayerSeconds[3];
    ASSERT_TRUE(dhuhr.has_value());
    // A clock that runs from a second before Dhuhr.
    const QDateTime start(QDate(2025, 6, 15), QTime(0, 0).addSecs(*dhuhr - 1));
    QElapsedTimer running;
    running.start();
    runtime::SetClock([start, running] { return start.addMSecs(running.elapsed()); });
    window->tmrMain_Timer();
    window->tmrMain->start();
    sound.clear();
    runtime::SetPrintDialogAnswerer([](QPrinter&) { return false; });
    pause();
    {
        Rescue rescue(*cups);
        window->mnuPrintMonthGregorian[6]->trigger();
    }
    window->tmrMain->stop();
    EXPECT_EQ(messages.size(), 1);
    const QString athan = BuiltInSoundName(1, gSelectedSound[1]);
    bool sounded = false;
    for (qsizetype i = 0; i < soundsAtMessage; ++i)
        sounded = sounded || sound.calls()[i].name == athan;
    EXPECT_TRUE(sounded) << "the athan did not sound before the print was told";
}

} // namespace
