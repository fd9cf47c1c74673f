// Printing with a print server that stops answering (paused with SIGSTOP, as a hung or
// overloaded server does) at each moment of a print, or is not running: the window's thread
// goes on (its timers fire, the athan sounds), the user is told what became of the print, and
// nothing is printed twice.
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
#include "platform/print_job.h"
#include "platform/print_server.h"
#include "printer_dialog_user.h"
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
#include <functional>
#include <memory>
#include <vector>

namespace {

constexpr int kDeadlineMs = 3000;

class PrintServerWait : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(LoadSettings());
        ASSERT_TRUE(dir.isValid());
        ASSERT_TRUE(cupsDir.isValid());
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
        runtime::SetClock(QDateTime(QDate(2025, 6, 15), QTime(10, 0)));
        cups = std::make_unique<CupsServer>(cupsDir.path());
        // The server's default is the queue a print uses while the printer follows it.
        QString why;
        ASSERT_TRUE(cups->StartWithQueues({kQueue, kOther}, &why)) << why.toStdString();
        window = std::make_unique<frmTallix>();
        AddTrayIcon(window->hWnd(), 0, QString(QChar(0)));
        HookMainWindow(window->hWnd());
        // The printer object is not made here: the first print of the run makes it.
        platform::SetPrintServerDeadline(kDeadlineMs);
        runtime::SetMsgBoxAnswerer([this](const QString& prompt, int buttons, const QString&) {
            messages << prompt;
            if (soundsAtMessage < 0)
                soundsAtMessage = sound.calls().size();
            return (buttons & vbYesNo) == vbYesNo ? vbNo : vbOK;
        });
        // A clock that stands five minutes before Dhuhr until the server is paused, and runs
        // from a second before it then: the athan falls due while the print waits.
        window->RefreshPrayers();
        ASSERT_TRUE(window->PrayerSeconds[3].has_value());
        const QDateTime dhuhr(QDate(2025, 6, 15), QTime(0, 0).addSecs(*window->PrayerSeconds[3]));
        running.start();
        runtime::SetClock([this, dhuhr] {
            const qint64 at = pausedAt.load();
            return at < 0 ? dhuhr.addSecs(-300) : dhuhr.addMSecs(-1000 + running.elapsed() - at);
        });
        window->tmrMain_Timer();
        window->tmrMain->start();
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
        platform::SetPrintJobStepHook(nullptr);
        ticker.stop();
        if (cups)
            cups->Resume();
        window->tmrMain->stop();
        UnhookMainWindow(window->hWnd());
        RemoveTrayIcon(window->hWnd());
        window.reset();
        runtime::SetMsgBoxAnswerer(nullptr);
        runtime::SetClock(nullptr);
        platform::SetPrintServerDeadline(0);
        cups.reset();
    }
    // Callable from the worker thread (the submission's step hook).
    void pause() {
        cups->Pause();
        pausedAt = running.elapsed();
        paused = true;
    }
    void resume() {
        paused = false;
        cups->Resume();
    }
    // Ready for the next print: the server answers, the clock stands before Dhuhr again and
    // the athan may sound again.
    void reset() {
        resume();
        pausedAt = -1;
        window->tmrMain_Timer();
        window->LastEventCode = 0;
        messages.clear();
        ticksWhilePaused = 0;
        soundsAtMessage = -1;
        sound.clear();
        shownWhileWaiting.clear();
    }
    bool athanSoundedBeforeTheMessage() {
        const QString athan = BuiltInSoundName(1, gSelectedSound[1]);
        for (qsizetype i = 0; i < soundsAtMessage && i < sound.calls().size(); ++i)
            if (sound.calls()[i].name == athan)
                return true;
        return false;
    }
    std::size_t jobs() { return cups->Jobs(kQueue).size() + cups->Jobs(kOther).size(); }

    const QString kQueue = QStringLiteral("tallix");
    const QString kOther = QStringLiteral("other");
    QTemporaryDir dir;
    QTemporaryDir cupsDir;
    std::unique_ptr<CupsServer> cups;
    FakeSound sound;
    FakeTray tray;
    std::unique_ptr<frmTallix> window;
    QStringList messages;
    qsizetype soundsAtMessage = -1;
    QTimer ticker;
    QElapsedTimer running;
    std::atomic<qint64> pausedAt{-1};
    std::atomic<bool> paused{false};
    int ticksWhilePaused = 0;
    QString shownWhileWaiting;
    QString shot = QStringLiteral("athan"); // the screenshot's name
};

// The server stops answering before the first print of the run (the printer object not made
// yet), with the print dialog up (then OK; or another printer chosen in it), as the job is
// created, and as its document is sent; or it is not running, or has no queue. Each time the
// window's timers go on, the athan due sounds on time, the user is told the truth, and the
// server has the job at most once.
TEST_F(PrintServerWait, TheUserIsToldWhatBecameOfThePrintAndTheWindowGoesOn) {
    enum When { Never, BeforePrint, InDialog, ChangingPrinter, AtCreateJob, AtSendDocument };
    struct Case {
        const char* name;
        When when;
        QStringList told; // in the one message (either list, when two truths are possible)
        QStringList toldOtherwise;
        bool dialog; // the print dialog came up
        std::function<void()> before = nullptr;
        QString notTold = QStringLiteral("no printer is installed");
    };
    const Case cases[] = {
        {"paused-before-first-print",
         BeforePrint,
         {QStringLiteral("print server does not answer"), QStringLiteral("nothing was sent")},
         {},
         false},
        {"paused-in-dialog",
         InDialog,
         {QStringLiteral("did not answer within 3 seconds"), QStringLiteral("not sent")},
         {},
         true},
        {"paused-changing-printer",
         ChangingPrinter,
         {QStringLiteral("did not answer within 3 seconds"), QStringLiteral("not sent")},
         {},
         true},
        {"paused-at-create-job",
         AtCreateJob,
         {QStringLiteral("did not answer within 3 seconds"), QStringLiteral("not sent")},
         {},
         true},
        // The document may have gone wholly into the connection: then it was sent, and the
        // server never confirmed it.
        {"paused-at-send-document",
         AtSendDocument,
         {QStringLiteral("did not answer within 3 seconds"), QStringLiteral("not sent")},
         {QStringLiteral("was sent to the printer"), QStringLiteral("not known whether"),
          QStringLiteral("is not sent again")},
         true},
        {"stopped",
         Never,
         {QStringLiteral("print server is not running")},
         {},
         false,
         [this] { cups->Stop(); }},
        // Only a server that answers and has no queue means that no printer is installed.
        {"no-queue",
         Never,
         {QStringLiteral("no printer is installed")},
         {},
         false,
         [this] {
             cups.reset();
             cups = std::make_unique<CupsServer>(cupsDir.path() + QStringLiteral("/again"));
             QDir().mkpath(cupsDir.path() + QStringLiteral("/again"));
             QString why;
             ASSERT_TRUE(cups->Start(&why)) << why.toStdString();
         },
         QStringLiteral("print server")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        reset();
        shot = QLatin1String(c.name);
        if (c.before)
            c.before();
        platform::SetPrintJobStepHook([this, &c](platform::PrintJobStep step) {
            if ((c.when == AtCreateJob && step == platform::PrintJobStep::CreateJob) ||
                (c.when == AtSendDocument && step == platform::PrintJobStep::SendDocument))
                pause();
        });
        PrinterDialogUser user;
        QString lineWhenUnknown;
        bool okWhileUnknown = true;
        user.Then([&](runtime::PrinterDialog* dialog) {
            if (c.when == InDialog)
                pause();
            if (c.when == ChangingPrinter) {
                pause();
                ASSERT_TRUE(PrinterDialogUser::Choose(dialog->cboPrinter, kOther));
                // The dialog stays up and says it is asking, then that no answer came.
                EXPECT_FALSE(dialog->cmdOK->isEnabled());
                EXPECT_TRUE(dialog->lblStatus->text().contains(QStringLiteral("Asking")));
                EXPECT_TRUE(WaitFor(
                    [&] {
                        return dialog->lblStatus->text().contains(QStringLiteral("not answer"));
                    },
                    30000));
                lineWhenUnknown = dialog->lblStatus->text();
                okWhileUnknown = dialog->cmdOK->isEnabled();
                PrinterDialogUser::Shoot(dialog, QStringLiteral("print-dialog-no-answer"));
                // Back to the printer whose options are known: OK is possible again.
                ASSERT_TRUE(PrinterDialogUser::Choose(dialog->cboPrinter, kQueue));
                EXPECT_TRUE(dialog->cmdOK->isEnabled());
            }
            dialog->cmdOK->click();
        });
        if (c.when == BeforePrint)
            pause();
        {
            Rescue rescue(*cups);
            window->mnuPrintMonthGregorian[6]->trigger();
        }
        platform::SetPrintJobStepHook(nullptr);
        EXPECT_EQ(user.seen() > 0, c.dialog);
        ASSERT_EQ(messages.size(), 1)
            << messages.join('\n').toStdString() << " paused " << paused << " jobs " << jobs();
        const bool otherTruth =
            !c.toldOtherwise.isEmpty() && messages[0].contains(c.toldOtherwise[0]);
        for (const QString& words : otherTruth ? c.toldOtherwise : c.told)
            EXPECT_TRUE(messages[0].contains(words)) << messages[0].toStdString();
        EXPECT_FALSE(messages[0].contains(c.notTold)) << messages[0].toStdString();
        EXPECT_FALSE(timetable::CommandGuard::running());
        if (c.when == ChangingPrinter) {
            EXPECT_TRUE(lineWhenUnknown.contains(QStringLiteral("options are unknown")))
                << lineWhenUnknown.toStdString();
            EXPECT_FALSE(okWhileUnknown);
        }
        if (!paused)
            continue;
        // The window's thread went on, the athan sounded when due, and the window said that
        // the print was under way (the dialog said it itself while it was up).
        EXPECT_GT(ticksWhilePaused, 3);
        EXPECT_TRUE(athanSoundedBeforeTheMessage());
        EXPECT_FALSE(shownWhileWaiting.isEmpty());
        resume();
        // Never twice: the server, answering again, has the job once at most; one whose
        // document was not sent never prints.
        const bool sent = messages[0].contains(QStringLiteral("was sent to the printer"));
        std::vector<CupsServer::Job> all = cups->Jobs(kQueue);
        for (const auto& job : all)
            EXPECT_TRUE(sent || job.state != IPP_JSTATE_COMPLETED) << messages[0].toStdString();
        EXPECT_LE(jobs(), 1U);
        // Each case starts with an empty queue.
        cups->Run(QStringLiteral("cancel"), {QStringLiteral("-a"), QStringLiteral("-x")});
        ASSERT_TRUE(WaitFor([&] { return jobs() == 0; }, 30000));
    }
}

// The athan due while a print waits on a paused server sounds when it is due, not after.
TEST_F(PrintServerWait, AnAthanDueWhileThePrintWaitsSoundsOnTime) {
    reset();
    pause();
    {
        Rescue rescue(*cups);
        window->mnuPrintMonthGregorian[6]->trigger();
    }
    EXPECT_EQ(messages.size(), 1);
    EXPECT_TRUE(athanSoundedBeforeTheMessage())
        << "the athan did not sound before the print was told";
}

// A print command while a print waits on the server is told that one is under way, and does
// nothing else; the first is told what became of it.
TEST_F(PrintServerWait, ASecondPrintWhileOneWaitsIsToldSo) {
    reset();
    platform::SetPrintJobStepHook([this](platform::PrintJobStep step) {
        if (step == platform::PrintJobStep::CreateJob)
            pause();
    });
    PrinterDialogUser user;
    user.Then([](runtime::PrinterDialog* dialog) { dialog->cmdOK->click(); });
    bool second = false;
    QTimer again;
    QObject::connect(&again, &QTimer::timeout, [&] {
        if (!paused || second)
            return;
        second = true;
        window->tlbPrint_Click();
        window->mnuPrintYearHijri->trigger();
    });
    again.start(50);
    {
        Rescue rescue(*cups);
        window->mnuPrintMonthGregorian[6]->trigger();
    }
    platform::SetPrintJobStepHook(nullptr);
    EXPECT_TRUE(second);
    ASSERT_EQ(messages.size(), 3) << messages.join('\n').toStdString();
    for (int i = 0; i < 2; ++i)
        EXPECT_EQ(messages[i],
                  QStringLiteral("A timetable is being printed; wait until it is done."));
    EXPECT_TRUE(messages[2].contains(QStringLiteral("did not answer")))
        << messages[2].toStdString();
    EXPECT_EQ(user.seen(), 1);
    resume();
    EXPECT_LE(jobs(), 1U);
}

} // namespace
