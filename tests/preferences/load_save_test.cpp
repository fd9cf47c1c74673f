// Filling the dialog from the settings, saving every value, the data server, OK, Cancel, a
// failed save, Restore Defaults, and the dialog closed from outside.
#include "core/audio.h"
#include "core/kaaba.h"
#include "prefs_fixture.h"
#include "runtime/Colors.h"

#include <algorithm>

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFileDialog>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QShortcut>
#include <QTabWidget>
#include <QTimer>
#include <algorithm>

namespace {

void flushDeletes() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// The 63 values the dialog writes.
QStringList writtenNames() {
    QStringList names = {"DisplayBalloonTips", "DisplayMainScreen",   "FlashTrayIcon",
                         "SecurityType",       "DisplaySplashScreen", "ActivateDDEServer",
                         "DDEAdviseRate",      "ImageType",           "SelectedImage",
                         "CustomImage",        "CustomImageFolder"};
    for (int s : {0, 1, 2, 3, 4, 6, 7})
        names << QStringLiteral("AudioType%1").arg(s);
    for (int s = 0; s <= 8; ++s) {
        names << QStringLiteral("SelectedSound%1").arg(s);
        if (s != 5 && s != 8)
            names << QStringLiteral("CustomSound%1").arg(s)
                  << QStringLiteral("CustomSoundFolder%1").arg(s);
    }
    names << QStringLiteral("ColorType") << QStringLiteral("ColorFace")
          << QStringLiteral("ColorFaceHighlight") << QStringLiteral("ColorHands")
          << QStringLiteral("ColorHandsHighlight") << QStringLiteral("ColorSeconds")
          << QStringLiteral("ColorSecondsHighlight");
    for (int i = 1; i <= 6; ++i)
        names << QStringLiteral("ReminderBefore%1").arg(i)
              << QStringLiteral("ReminderAfter%1").arg(i);
    names << QStringLiteral("DisplayBalloonTipsReminder")
          << QStringLiteral("DisplayMainScreenReminder") << QStringLiteral("FlashTrayIconReminder");
    return names;
}

} // namespace

using PreferencesLoadSave = PrefsFixture;

// Every setting shows in its control, and OK writes each of them back as it was.
TEST_F(PreferencesLoadSave, EveryValueShowsAndSavesBackUnchanged) {
    const std::int16_t types[8] = {2, 3, 1, 0, 1, 0, 4, 4};
    const std::int16_t sounds[9] = {1, 2, 3, 4, 0, 7, 2, 3, 12};
    for (int s = 0; s < 8; ++s) {
        gAudioType[s] = types[s];
        gCustomSound[s] = s == 5 ? QString() : dir_.filePath(QStringLiteral("slot%1.wav").arg(s));
        gCustomSoundFolder[s] = s == 5 ? QString() : QStringLiteral("/music/slot %1").arg(s);
    }
    for (int s = 0; s < 9; ++s)
        gSelectedSound[s] = sounds[s];
    gDisplaySplashScreen = 1;
    gDDEAdviseRate = 3;
    gActivateDDEServer = 0;
    gSecurityType = 0;
    gColorType = 0; // the stored colours stand even so
    gColorFace = RGB(1, 2, 3);
    gColorHands = RGB(200, 0, 0);
    gColorSeconds = vbHighlight;
    gColorFaceHighlight = RGB(9, 9, 9);
    gColorHandsHighlight = RGB(0, 0, 255);
    gColorSecondsHighlight = vbWindowText;
    gDisplayBalloonTips = 0;
    gDisplayMainScreen = 1;
    gFlashTrayIcon = 1;
    for (int i = 1; i <= 6; ++i) {
        gReminderBefore[i] = std::int16_t(i);
        gReminderAfter[i] = std::int16_t(12 - i);
    }
    gDisplayBalloonTipsReminder = 0;
    gDisplayMainScreenReminder = 1;
    gFlashTrayIconReminder = 1;
    gImageType = 1;
    gSelectedImage = 7;
    gCustomImage = dir_.filePath(QStringLiteral("kaaba.png"));
    gCustomImageFolder = QStringLiteral("/pictures/kaaba");

    frmPreferences& dlg = open(2);
    EXPECT_FALSE(dlg.Changed);
    EXPECT_EQ(dlg.tabMain->currentIndex(), 2);
    EXPECT_EQ(dlg.optAudioTypeFajr.Selected(), 2);
    EXPECT_EQ(dlg.optAudioTypeDhuhr.Selected(), 3);
    EXPECT_EQ(dlg.optAudioTypeBismillah.Selected(), 4);
    EXPECT_EQ(dlg.optAudioTypeReminder.Selected(), 4);
    for (int s = 0; s < 9; ++s)
        EXPECT_EQ(dlg.cboSelectedSound[std::size_t(s)]->currentIndex(), sounds[s]) << s;
    EXPECT_TRUE(dlg.cboSelectedSound[6]->isHidden()) << "short sura replaces the Bismillah list";
    EXPECT_FALSE(dlg.cboSelectedSound[5]->isHidden());
    EXPECT_FALSE(dlg.txtCustomSoundFolder[1]->isHidden());
    EXPECT_TRUE(dlg.txtCustomSoundFileName[1]->isHidden());
    EXPECT_EQ(dlg.txtCustomSoundFileName[0]->text(), QStringLiteral("slot0.wav"));
    EXPECT_EQ(dlg.txtCustomSoundFolder[1]->text(), QStringLiteral("slot 1"));
    EXPECT_TRUE(dlg.chkDisplaySplashScreen->isChecked());
    EXPECT_EQ(dlg.cboDDEAdviseRate->currentText(), QStringLiteral("20 Seconds"));
    EXPECT_FALSE(dlg.cboDDEAdviseRate->isEnabled()) << "the rate waits for the server";
    EXPECT_TRUE(dlg.optSecurityType[0]->isChecked());
    EXPECT_EQ(dlg.optColorType.Selected(), 0);
    EXPECT_EQ(dlg.Colors[0], RGB(1, 2, 3));
    EXPECT_EQ(dlg.txtColor[4]->BackColor(), RGB(0, 0, 255));
    EXPECT_EQ(dlg.cboReminderBefore[3]->currentText(), QStringLiteral("15"));
    EXPECT_EQ(dlg.cboReminderAfter[6]->currentText(), QStringLiteral("30"));
    EXPECT_TRUE(dlg.chkFlashTrayIconReminder->isChecked());
    EXPECT_EQ(dlg.optImageType.Selected(), 1);
    EXPECT_EQ(dlg.SelectedImage, 7);

    registry_.writes.clear();
    dlg.Changed = true;
    ASSERT_TRUE(dlg.SaveSettings());
    EXPECT_EQ(registry_.writes.size(), 63);
    for (const QString& name : writtenNames())
        EXPECT_TRUE(written(name)) << name.toStdString();
    EXPECT_EQ(stored(QStringLiteral("AudioType1")), QStringLiteral("3"));
    EXPECT_EQ(stored(QStringLiteral("SelectedSound8")), QStringLiteral("12"));
    EXPECT_EQ(stored(QStringLiteral("CustomSoundFolder4")), QStringLiteral("/music/slot 4"));
    EXPECT_EQ(stored(QStringLiteral("DDEAdviseRate")), QStringLiteral("3"));
    EXPECT_EQ(stored(QStringLiteral("SecurityType")), QStringLiteral("0"));
    EXPECT_EQ(stored(QStringLiteral("ColorSeconds")), QStringLiteral("-2147483635"));
    EXPECT_EQ(stored(QStringLiteral("ColorHandsHighlight")), QStringLiteral("16711680"));
    EXPECT_EQ(stored(QStringLiteral("ReminderBefore3")), QStringLiteral("3"));
    EXPECT_EQ(stored(QStringLiteral("ReminderAfter1")), QStringLiteral("11"));
    EXPECT_EQ(stored(QStringLiteral("SelectedImage")), QStringLiteral("7"));
    EXPECT_EQ(stored(QStringLiteral("CustomImageFolder")), QStringLiteral("/pictures/kaaba"));
    EXPECT_EQ(stored(QStringLiteral("FlashTrayIconReminder")), QStringLiteral("1"));
    // Reading the store again gives the same state.
    ASSERT_TRUE(LoadSettings());
    EXPECT_EQ(gAudioType[6], 4);
    EXPECT_EQ(gSelectedSound[5], 7);
    EXPECT_EQ(gColorHands, RGB(200, 0, 0));
    EXPECT_EQ(gReminderAfter[6], 6);
    EXPECT_EQ(gCustomSound[7], dir_.filePath(QStringLiteral("slot7.wav")));
}

// A user picks their own file for Dhuhr and a 10-minute reminder: after OK the alerts use them.
TEST_F(PreferencesLoadSave, OwnDhuhrFileAndReminderAreUsedAfterOk) {
    const QString athan = file(QStringLiteral("my athan.wav"), wave());
    preferences::InstallFileDialogDriver([&](QFileDialog& dialog) {
        dialog.selectFile(athan);
        static_cast<QDialog&>(dialog).accept();
    });
    frmPreferences& dlg = open();
    dlg.cmdBrowseCustomSound_Click(1);
    dlg.cboReminderBefore[3]->setCurrentIndex(2);
    dlg.cmdSave_Click();
    flushDeletes();
    EXPECT_TRUE(dialog_.isNull()) << "OK closes the dialog";
    EXPECT_EQ(gAudioType[1], 2);
    EXPECT_EQ(gCustomSound[1], athan);
    EXPECT_EQ(gReminderBefore[3], 2);
    PlayAlert(1);
    EXPECT_EQ(sound_.playingName(), athan);
}

TEST_F(PreferencesLoadSave, OkWithoutChangeAndCancelWriteNothing) {
    for (const bool cancel : {false, true}) {
        frmPreferences& dlg = open();
        if (cancel) {
            dlg.chkDisplayMainScreen->setChecked(true);
            dlg.cboReminderAfter[2]->setCurrentIndex(4);
            EXPECT_TRUE(dlg.Changed);
            dlg.cmdExit_Click();
        } else {
            dlg.cmdSave_Click();
        }
        flushDeletes();
        EXPECT_TRUE(dialog_.isNull());
        EXPECT_TRUE(registry_.writes.isEmpty()) << cancel;
        EXPECT_EQ(gDisplayMainScreen, 0);
        EXPECT_EQ(gReminderAfter[2], 0);
    }
}

// A list or option group left without a selection keeps the value it had.
TEST_F(PreferencesLoadSave, NothingSelectedKeepsTheStoredValue) {
    gSelectedSound[2] = 40; // a position the list does not hold
    frmPreferences& dlg = open();
    EXPECT_EQ(dlg.cboSelectedSound[2]->currentIndex(), -1);
    dlg.cboReminderBefore[4]->setCurrentIndex(-1);
    ASSERT_TRUE(dlg.SaveSettings());
    EXPECT_FALSE(written(QStringLiteral("SelectedSound2")));
    EXPECT_FALSE(written(QStringLiteral("ReminderBefore4")));
    EXPECT_EQ(gSelectedSound[2], 40);
    EXPECT_EQ(gReminderBefore[4], 0);
    EXPECT_NE(stored(QStringLiteral("SelectedSound2")), QStringLiteral("-1"));
}

TEST_F(PreferencesLoadSave, FailedSaveIsReportedAndTheDialogStaysOpen) {
    frmPreferences& dlg = open();
    dlg.chkFlashTrayIcon->setChecked(true);
    registry_.failSet = true;
    dlg.cmdSave_Click();
    flushDeletes();
    ASSERT_FALSE(dialog_.isNull());
    EXPECT_TRUE(dlg.Changed);
    ASSERT_EQ(messages_.size(), 1);
    EXPECT_TRUE(messages_.first().contains(QStringLiteral("could not be saved")));
    // Once the store takes writes again, OK saves and closes.
    registry_.failSet = false;
    dlg.cmdSave_Click();
    flushDeletes();
    EXPECT_TRUE(dialog_.isNull());
    EXPECT_EQ(stored(QStringLiteral("FlashTrayIcon")), QStringLiteral("1"));
}

TEST_F(PreferencesLoadSave, DataServerFollowsItsBoxAndTheRateOnEverySave) {
    const struct {
        std::int16_t before, after;
        int starts, stops;
    } cases[] = {{0, 1, 1, 0}, {1, 0, 0, 1}, {1, 1, 0, 0}, {0, 0, 0, 0}};
    for (const auto& c : cases) {
        window_->starts = window_->stops = 0;
        gActivateDDEServer = c.before;
        frmPreferences& dlg = open();
        dlg.chkActivateDDEServer->setChecked(c.after == 1);
        EXPECT_EQ(dlg.cboDDEAdviseRate->isEnabled(), c.after == 1);
        dlg.cboDDEAdviseRate->setCurrentIndex(3);
        EXPECT_EQ(dlg.cboDDEAdviseRate->toolTip(), QStringLiteral("20 Seconds"));
        ASSERT_TRUE(dlg.SaveSettings());
        EXPECT_EQ(window_->starts, c.starts) << c.before << c.after;
        EXPECT_EQ(window_->stops, c.stops) << c.before << c.after;
        EXPECT_EQ(gActivateDDEServer, c.after);
        EXPECT_EQ(window_->tmrDDE.interval(), 20000);
    }
    EXPECT_TRUE(messages_.isEmpty());
}

TEST_F(PreferencesLoadSave, DataServerThatDoesNotStartIsReportedAndStaysOff) {
    window_->serverStarts = false;
    frmPreferences& dlg = open();
    dlg.chkActivateDDEServer->setChecked(true);
    ASSERT_TRUE(dlg.SaveSettings());
    EXPECT_EQ(window_->starts, 1);
    EXPECT_EQ(gActivateDDEServer, 0);
    EXPECT_EQ(stored(QStringLiteral("ActivateDDEServer")), QStringLiteral("0"));
    ASSERT_EQ(messages_.size(), 1);
    EXPECT_TRUE(messages_.first().contains(QStringLiteral("data server could not be started")));
}

TEST_F(PreferencesLoadSave, RestoreDefaultsAsksAndThenStoresEveryDefault) {
    gAudioType[3] = 3;
    gCustomSoundFolder[3] = QStringLiteral("/music");
    gReminderBefore[2] = 5;
    gColorType = 1;
    gColorHands = RGB(10, 20, 30);
    gImageType = 3;
    gCustomImageFolder = dir_.path();
    gDisplaySplashScreen = 1;
    frmPreferences& dlg = open();

    answer_ = vbNo;
    dlg.cmdDefaults_Click();
    EXPECT_FALSE(dlg.Changed);
    EXPECT_EQ(dlg.cboReminderBefore[2]->currentIndex(), 5);
    ASSERT_EQ(messages_.size(), 1);
    EXPECT_EQ(messages_.first(),
              QStringLiteral("Are you sure you want to restore the default settings?"));

    answer_ = vbYes;
    dlg.cmdDefaults_Click();
    EXPECT_TRUE(dlg.Changed);
    EXPECT_FALSE(dlg.txtCustomSoundFileName[3]->isHidden());
    EXPECT_TRUE(dlg.txtCustomSoundFolder[3]->isHidden());
    EXPECT_EQ(dlg.SelectedImage, 3);
    EXPECT_EQ(dlg.cboSelectedSound[8]->currentText(), QStringLiteral("<Random>"));
    ASSERT_TRUE(dlg.SaveSettings());
    for (const QString& name : writtenNames()) {
        EXPECT_EQ(TrimBlanks(stored(name)), TrimBlanks(SettingDefaultText(name)))
            << name.toStdString();
    }
}

// An athan that brings the main window up closes an open dialog as Cancel does, also while
// the dialog is still loading.
TEST_F(PreferencesLoadSave, ClosedFromOutsideWhileOpenSavesNothing) {
    for (const int delay : {0, 30}) {
        // Closes the dialog the first time it finds one: with no delay while it loads.
        QTimer athan;
        athan.setInterval(delay);
        QObject::connect(&athan, &QTimer::timeout, [&athan] {
            for (Form* form : Forms()) {
                if (form->Name() == QLatin1String("frmPreferences")) {
                    auto* dlg = static_cast<frmPreferences*>(form);
                    dlg->chkDisplayMainScreen->setChecked(true);
                    dlg->Unload();
                    athan.stop();
                }
            }
        });
        athan.start();
        ShowPreferencesDialog(2);
        flushDeletes();
        EXPECT_EQ(gStartTab, 2);
        EXPECT_TRUE(registry_.writes.isEmpty()) << delay;
        EXPECT_EQ(gDisplayMainScreen, 0);
        for (Form* form : Forms())
            EXPECT_NE(form->Name(), QStringLiteral("frmPreferences"));
    }
}

// The dialog opens centred over the main window, or on the screen when the main window is not
// shown; either way kept on the screen (its left or top edge when it is larger).
TEST_F(PreferencesLoadSave, OpensCentredOnTheMainWindow) {
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    // Where a side of the given length starts when centred on centre within [lo, lo + room).
    const auto start = [](int centre, int length, int lo, int room) {
        if (length >= room)
            return lo;
        return std::clamp(centre - length / 2, lo, lo + room - length);
    };
    const struct {
        bool shown;
        QRect main;
    } cases[] = {{true, QRect(screen.left() + 40, screen.top() + 30, 500, 560)},
                 {true, QRect(screen.left() + 100, screen.bottom() - 200, 400, 150)},
                 {false, QRect(screen.left() + 40, screen.top() + 30, 500, 560)}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.main.y());
        window_->setGeometry(c.main);
        window_->setVisible(c.shown);
        QRect placed;
        QTimer look;
        look.setInterval(5);
        QObject::connect(&look, &QTimer::timeout, [&] {
            if (Form* form = FindForm(QStringLiteral("frmPreferences"));
                form && form->isVisible()) {
                placed = form->frameGeometry();
                look.stop();
                static_cast<frmPreferences*>(form)->cmdExit->click();
            }
        });
        look.start();
        ShowPreferencesDialog(0);
        flushDeletes();
        ASSERT_TRUE(placed.isValid());
        const QPoint centre = c.shown ? window_->frameGeometry().center() : screen.center();
        EXPECT_NEAR(placed.left(), start(centre.x(), placed.width(), screen.left(), screen.width()),
                    2);
        EXPECT_NEAR(placed.top(), start(centre.y(), placed.height(), screen.top(), screen.height()),
                    2);
    }
}

// Enter is OK, also with the focus on a list; Esc is Cancel.
TEST_F(PreferencesLoadSave, EnterSavesAndEscapeCancels) {
    for (const Qt::Key key : {Qt::Key_Escape, Qt::Key_Return, Qt::Key_Enter}) {
        frmPreferences& dlg = open();
        dlg.chkDisplayMainScreen->setChecked(key != Qt::Key_Enter);
        dlg.cboReminderBefore[2]->setFocus();
        QShortcut* found = nullptr;
        for (QShortcut* shortcut : dlg.findChildren<QShortcut*>())
            if (shortcut->key() == QKeySequence(key))
                found = shortcut;
        ASSERT_NE(found, nullptr) << key;
        emit found->activated();
        flushDeletes();
        EXPECT_TRUE(dialog_.isNull()) << key;
        EXPECT_EQ(gDisplayMainScreen, key == Qt::Key_Return ? 1 : 0) << key;
    }
}
