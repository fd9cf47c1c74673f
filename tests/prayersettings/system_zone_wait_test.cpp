// OK with a new system zone while the system takes its time to answer (a password prompt):
// the settings are saved at once, the dialog says that it waits, the main window keeps
// calling to prayer, and the answer (a refusal told) comes whenever it comes.
#include "dialog_fixture.h"

#include "fakes/fake_mixer.h"
#include "fakes/fake_system.h"
#include "fakes/fake_tray.h"
#include "fakes/wait_for.h"
#include "mainwindow/frmTallix.h"
#include "runtime/Clock.h"

#include <QApplication>
#include <QDir>
#include <QPushButton>
#include <QTabWidget>

namespace {

const QDate kDay(2024, 3, 10);

class SystemZoneWait : public DialogTest {
protected:
    void SetUp() override {
        DialogTest::SetUp();
        holdZoneAnswer = true;
        runtime::SetClock(QDateTime(kDay, QTime(10, 0)));
        gLaunchMinimized = 0;
        gMuteAll = 0;
        gAudioType[1] = 1;
        main = new frmTallix();
        main->Load();
        main->Show();
        main->tmrMain->stop(); // the test says when a second passes
    }
    void TearDown() override {
        if (main)
            main->UnloadFrom(vbAppWindows);
        Pump(20);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        DialogTest::TearDown();
        runtime::SetClock(nullptr);
    }

    // Opens the dialog, picks another zone of the same offset as Riyadh's (so the times stay)
    // and a rounding to see saved, and presses OK.
    void okWithAnotherZone() {
        open();
        dialog->resize(dialog->sizeHint());
        dialog->show();
        const int row = zoneRow(dialog->cboWindowsTimezone, "(GMT+03:00) Nairobi");
        ASSERT_GE(row, 0);
        dialog->cboWindowsTimezone->setCurrentIndex(row);
        dialog->cboRounding->setCurrentIndex(1);
        dialog->cmdSave_Click();
        ASSERT_EQ(zoneCalls, QList<QByteArray>{"Africa/Nairobi"});
    }

    // Waiting: greyed, a busy pointer and the waiting line.
    bool waiting() const {
        return dialog && dialog->isVisible() && dialog->lblSystemZone->isVisible() &&
               !dialog->tabMain->isEnabled() && !dialog->cmdSave->isEnabled() &&
               !dialog->cmdExit->isEnabled() && !dialog->cmdDefaults->isEnabled() &&
               dialog->cursor().shape() == Qt::BusyCursor;
    }

    void giveAnswer() {
        ASSERT_EQ(heldZoneAnswers.size(), 1);
        heldZoneAnswers.takeFirst()();
    }

    FakeSystem system;
    FakeTray tray;
    FakeMixer mixer;
    QPointer<frmTallix> main;
};

// OK saves everything at once and waits for the answer with the dialog up; the answer closes
// it, and a refusal is told first.
TEST_F(SystemZoneWait, OkSavesAtOnceAndTheAnswerClosesTheDialog) {
    for (bool refused : {false, true}) {
        SCOPED_TRACE(refused ? "refused" : "granted");
        refuseZone = refused;
        zoneCalls.clear();
        prompts.clear();
        registry.setText(kSettingsKey, QStringLiteral("Rounding"), QStringLiteral("2"));
        okWithAnotherZone();
        EXPECT_EQ(registry.text(kSettingsKey, "Rounding"), "1") << "saved before the answer";
        EXPECT_EQ(gRounding, 1);
        EXPECT_TRUE(waiting());
        EXPECT_TRUE(dialog->lblSystemZone->text().contains("time zone"));
        Pump(50);
        EXPECT_TRUE(waiting()) << "only the answer ends the wait";
        EXPECT_TRUE(prompts.isEmpty());

        giveAnswer();
        ASSERT_TRUE(WaitFor([&] { return closed(); }, 10000));
        if (refused) {
            ASSERT_EQ(prompts.size(), 1);
            EXPECT_TRUE(prompts[0].contains("Access denied")) << prompts[0].toStdString();
        } else {
            EXPECT_TRUE(prompts.isEmpty()) << prompts.join("|").toStdString();
        }
    }
}

// An athan due while the answer is awaited sounds on its second and brings the main window up;
// the dialog waits on in front of it, and the refusal that comes afterwards is still told.
TEST_F(SystemZoneWait, AnAthanWhileWaitingSoundsAndALaterRefusalIsStillTold) {
    gDisplayMainScreen = 1;
    refuseZone = true;
    okWithAnotherZone();
    ASSERT_TRUE(waiting());
    const auto noon = main->PrayerSeconds[3];
    ASSERT_TRUE(noon.has_value());
    sound.clear();
    runtime::SetClock(QDateTime(kDay, QTime(0, 0).addSecs(*noon)));
    main->tmrMain_Timer();
    EXPECT_FALSE(sound.playingName().isEmpty()) << "the athan sounds on time";
    EXPECT_EQ(main->LastEventCode, 3);
    EXPECT_TRUE(main->isVisible());
    EXPECT_TRUE(waiting());
    EXPECT_TRUE(prompts.isEmpty());

    giveAnswer();
    ASSERT_TRUE(WaitFor([&] { return !prompts.isEmpty(); }, 10000));
    EXPECT_TRUE(prompts[0].contains("Access denied")) << prompts[0].toStdString();
    EXPECT_TRUE(WaitFor([&] { return closed(); }, 10000));
    EXPECT_EQ(registry.text(kSettingsKey, "Rounding"), "1");
}

// The waiting dialog, to look at.
TEST_F(SystemZoneWait, Screenshot) {
    runtime::SetClock(QDateTime(kDay, QTime(12, 0)));
    okWithAnotherZone();
    QCoreApplication::processEvents();
    ASSERT_TRUE(waiting());
    const QString dirPath = QStringLiteral(TALLIX_BUILD_DIR "/screenshots");
    QDir().mkpath(dirPath);
    const QImage shot = dialog->grab().toImage();
    EXPECT_GT(shot.width(), 400);
    EXPECT_TRUE(shot.save(dirPath + QStringLiteral("/prayer-settings-waiting.png")));
    giveAnswer();
    EXPECT_TRUE(WaitFor([&] { return closed(); }, 10000));
}

} // namespace
