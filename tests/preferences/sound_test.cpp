// The audio slots: options and the boxes and lists they show, the previews against the sound
// fake, Stop that stops only a preview, the user's own files and folders, the copy buttons.
#include "core/audio.h"
#include "preferences/mGetWavFile.h"
#include "prefs_fixture.h"
#include "runtime/App.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>

using PreferencesSound = PrefsFixture;

TEST_F(PreferencesSound, OptionsShowTheirListAndBox) {
    frmPreferences& dlg = open();
    // Start-up sound: "Short Sura" swaps the lists, the other options leave the last one.
    const struct {
        int option;
        bool recitationShown;
    } startup[] = {{4, true}, {0, true}, {2, true}, {1, false}, {3, false}, {4, true}, {1, false}};
    for (const auto& step : startup) {
        dlg.optAudioTypeBismillah.Select(step.option);
        EXPECT_EQ(!dlg.cboSelectedSound[5]->isHidden(), step.recitationShown) << step.option;
        EXPECT_NE(dlg.cboSelectedSound[5]->isHidden(), dlg.cboSelectedSound[6]->isHidden());
    }
    // Dhuhr: the folder box replaces the file box, and stays after "Selected Athan".
    const struct {
        int option;
        bool folderShown;
    } dhuhr[] = {{3, true}, {1, true}, {0, true}, {2, false}, {1, false}};
    for (const auto& step : dhuhr) {
        dlg.optAudioTypeDhuhr.Select(step.option);
        EXPECT_EQ(!dlg.txtCustomSoundFolder[1]->isHidden(), step.folderShown) << step.option;
        EXPECT_NE(dlg.txtCustomSoundFolder[1]->isHidden(),
                  dlg.txtCustomSoundFileName[1]->isHidden());
    }
}

TEST_F(PreferencesSound, ChangesMarkTheDialogAndPreviewsDoNot) {
    frmPreferences& dlg = open();
    const std::function<void()> changes[] = {
        [&] { dlg.optAudioTypeAsr.Select(0); },
        [&] { dlg.cboSelectedSound[4]->setCurrentIndex(3); },
        [&] { dlg.chkDisplayBalloonTips->setChecked(false); },
        [&] { dlg.optSecurityType.Select(0); },
        [&] { dlg.cboReminderAfter[5]->setCurrentIndex(1); },
        [&] { dlg.chkFlashTrayIconReminder->setChecked(true); },
        [&] { dlg.optColorType.Select(1); },
        [&] { dlg.cmdIdenticalAthans_Click(); },
    };
    for (std::size_t k = 0; k < std::size(changes); ++k) {
        dlg.Changed = false;
        changes[k]();
        EXPECT_TRUE(dlg.Changed) << k;
    }
    dlg.cboSelectedSound[4]->setCurrentIndex(3);
    EXPECT_EQ(dlg.cboSelectedSound[4]->toolTip(), QStringLiteral("Damascus"));
    dlg.Changed = false;
    dlg.cmdSoundPreview[0]->click();
    dlg.cmdSoundStop[0]->click();
    dlg.PlayAlBaqarah238(1);
    EXPECT_FALSE(dlg.Changed);
}

TEST_F(PreferencesSound, PreviewsPlayTheListedRecordingEvenWhenMuted) {
    gMuteAll = 1;
    frmPreferences& dlg = open();
    const struct {
        int slot;
        int option;
        int list;
        int position;
        const char* expected; // "" for nothing
    } cases[] = {
        {0, 0, 0, 1, "FAJRMAKKAH"}, // "No Athan" still previews the list
        {3, 1, 3, 3, "DAMASCUS"},   {6, 0, 6, 1, ""},       {6, 4, 5, 4, "AYAATALKURSI"},
        {7, 1, 7, 2, "BISMILLAH2"}, {7, 4, 8, 21, "ANNAS"},
    };
    for (const auto& c : cases) {
        sound_.clear();
        dlg.AudioOptions(c.slot)->Select(c.option);
        dlg.cboSelectedSound[std::size_t(c.list)]->setCurrentIndex(c.position);
        dlg.cmdSoundPreview[std::size_t(c.slot)]->click();
        EXPECT_EQ(sound_.playingName(), QString::fromLatin1(c.expected))
            << c.slot << " " << c.option;
        if (*c.expected) {
            ASSERT_FALSE(sound_.calls().isEmpty());
            EXPECT_EQ(sound_.calls().last().flags, kResourcePlayFlags);
        }
    }
}

// Stop ends a preview, but not an athan or reminder that started after it.
TEST_F(PreferencesSound, StopStopsOnlyThePreview) {
    gAudioType[2] = 1;
    frmPreferences& dlg = open();
    for (QPushButton* stop : {dlg.cmdSoundStop[1], dlg.cmdCustomSoundStop[1]}) {
        dlg.cmdSoundPreview[1]->click();
        ASSERT_TRUE(sound_.isPlaying());
        stop->click();
        EXPECT_FALSE(sound_.isPlaying());

        dlg.cmdSoundPreview[1]->click();
        PlayAlert(2); // Asr comes while the preview plays
        const QString athan = sound_.playingName();
        stop->click();
        EXPECT_TRUE(sound_.isPlaying());
        EXPECT_EQ(sound_.playingName(), athan);
    }
}

// A preview that plays nothing (no entry selected, or "No Audio") leaves an athan playing
// through the next Stop.
TEST_F(PreferencesSound, StopAfterASilentPreviewLeavesTheAthan) {
    gAudioType[2] = 1;
    frmPreferences& dlg = open();
    dlg.cmdSoundPreview[1]->click();
    dlg.cmdSoundStop[1]->click();
    PlayAlert(2);
    ASSERT_TRUE(sound_.isPlaying());
    dlg.cboSelectedSound[4]->setCurrentIndex(-1);
    dlg.cmdSoundPreview[4]->click();
    dlg.optAudioTypeBismillah.Select(0);
    dlg.cmdSoundPreview[6]->click();
    dlg.cmdSoundStop[4]->click();
    dlg.cmdSoundStop[6]->click();
    EXPECT_TRUE(sound_.isPlaying());
}

TEST_F(PreferencesSound, VersePlaysOnALeftPressAndBeepsWhenItCannot) {
    frmPreferences& dlg = open(2);
    const auto press = [&](Qt::MouseButton button) {
        QMouseEvent event(QEvent::MouseButtonPress, QPointF(5, 5), QPointF(5, 5), button, button,
                          Qt::NoModifier);
        QApplication::sendEvent(dlg.imgAlBaqarah238, &event);
    };
    press(Qt::RightButton);
    EXPECT_TRUE(sound_.calls().isEmpty());
    press(Qt::LeftButton);
    EXPECT_EQ(sound_.playingName(), QStringLiteral("ALBAQARAH_238"));
    EXPECT_EQ(sound_.calls().size(), 1) << "one press, one sound";
    sound_.failingNames.insert(QStringLiteral("ALBAQARAH_238"));
    press(Qt::LeftButton);
    EXPECT_EQ(sound_.beeps(), 1);
    EXPECT_EQ(dlg.imgAlBaqarah238->cursor().shape(), Qt::BitmapCursor);
}

TEST_F(PreferencesSound, OwnFileIsChosenInTheSoundFileDialog) {
    QString chosen = file(QStringLiteral("maghrib.wav"), wave());
    // A home without a Documents folder: the first opening starts at home.
    const QByteArray savedHome = qgetenv("HOME");
    const QString home = dir_.filePath(QStringLiteral("home"));
    ASSERT_TRUE(QDir().mkpath(home));
    qputenv("HOME", QFile::encodeName(home));
    QString title;
    QString folder;
    bool accept = false;
    preferences::InstallFileDialogDriver([&](QFileDialog& dialog) {
        title = dialog.windowTitle();
        folder = dialog.directory().absolutePath();
        QDialog& d = dialog;
        if (accept) {
            dialog.selectFile(chosen);
            d.accept();
        } else {
            d.reject();
        }
    });
    frmPreferences& dlg = open();
    // Cancel changes nothing.
    dlg.cmdBrowseCustomSound[3]->click();
    EXPECT_EQ(title, QStringLiteral("Tallix Time - Select Maghrib Athan"));
    EXPECT_EQ(folder, home) << "no file yet, no Documents: the home folder";
    EXPECT_FALSE(dlg.Changed);
    EXPECT_EQ(dlg.optAudioTypeMaghrib.Selected(), 1);
    ASSERT_TRUE(QDir(home).mkdir(QStringLiteral("Documents")));
    dlg.cmdBrowseCustomSound[3]->click();
    EXPECT_EQ(folder, home + QStringLiteral("/Documents"));
    qputenv("HOME", savedHome);

    accept = true;
    dlg.cmdBrowseCustomSound[3]->click();
    EXPECT_TRUE(dlg.Changed);
    EXPECT_EQ(dlg.optAudioTypeMaghrib.Selected(), 2);
    EXPECT_EQ(dlg.CustomSound[3], chosen);
    EXPECT_EQ(dlg.txtCustomSoundFileName[3]->text(), QStringLiteral("maghrib.wav"));
    // The next opening starts at the chosen file's folder.
    dlg.cmdBrowseCustomSound[3]->click();
    EXPECT_EQ(folder, QDir(dir_.path()).absolutePath());
    EXPECT_TRUE(messages_.isEmpty());

    // A file that cannot be played is named at once, with the reason, and not taken.
    const struct {
        QByteArray content;
        const char* reason;
    } broken[] = {
        {QByteArray("RIFF"), "too short"},
        {wave().replace(20, 2, "\x02\x00"), "compressed"},
        {wave().replace(16, 4, "\xff\xff\xff\x7f"), "\"fmt \" chunk runs past the end"},
    };
    for (const auto& c : broken) {
        const QString good = chosen;
        chosen = file(QStringLiteral("broken.wav"), c.content);
        messages_.clear();
        dlg.cmdBrowseCustomSound[3]->click();
        ASSERT_EQ(messages_.size(), 1);
        EXPECT_TRUE(messages_.first().contains(QStringLiteral("broken.wav")));
        EXPECT_TRUE(messages_.first().contains(QLatin1String(c.reason))) << c.reason;
        EXPECT_EQ(dlg.CustomSound[3], good);
        EXPECT_EQ(dlg.txtCustomSoundFileName[3]->text(), QStringLiteral("maghrib.wav"));
        chosen = good;
    }
    // A recording streamed to a pipe (its data size stated as 0x7FFFFFFF) is taken.
    chosen = file(QStringLiteral("streamed.wav"), wave().replace(40, 4, "\xff\xff\xff\x7f"));
    messages_.clear();
    dlg.cmdBrowseCustomSound[3]->click();
    EXPECT_TRUE(messages_.isEmpty()) << messages_.value(0).toStdString();
    EXPECT_EQ(dlg.CustomSound[3], chosen);

    sound_.clear();
    dlg.cmdCustomSoundPreview[3]->click();
    EXPECT_EQ(sound_.playingName(), chosen);
    EXPECT_EQ(sound_.calls().last().flags, kFilePlayFlags);
    // A slot without a file is silent and stops nothing.
    dlg.cmdCustomSoundPreview[4]->click();
    EXPECT_EQ(sound_.playingName(), chosen);
}

TEST_F(PreferencesSound, OwnFolderIsChosenInTheFolderBrowser) {
    frmPreferences& dlg = open(2);
    dlg.optAudioTypeReminder.Select(3);
    dlg.Changed = false;
    shell_.chosenFolder = QString();
    dlg.cmdBrowseCustomSound[7]->click();
    EXPECT_FALSE(dlg.Changed) << "cancelled";
    ASSERT_EQ(shell_.dialogTitles.size(), 1);
    EXPECT_EQ(shell_.dialogTitles.first(),
              QStringLiteral("Select folder that contains your Reminder (*.wav) files.\r\n"
                             "A random file will be selected at the time of reminder."));

    const struct {
        QString folder;
        QString shown;
    } cases[] = {{dir_.path() + QStringLiteral("/reminders"), QStringLiteral("reminders")},
                 {QStringLiteral("/"), QStringLiteral("/")}};
    for (const auto& c : cases) {
        shell_.chosenFolder = c.folder;
        dlg.cmdBrowseCustomSound[7]->click();
        EXPECT_EQ(dlg.CustomSoundFolder[7], c.folder);
        EXPECT_EQ(dlg.txtCustomSoundFolder[7]->text(), c.shown);
        EXPECT_EQ(dlg.optAudioTypeReminder.Selected(), 3);
        EXPECT_TRUE(dlg.Changed);
    }

    // The folder's preview plays one of its files, or beeps when it holds none.
    QDir(dir_.path()).mkpath(QStringLiteral("reminders"));
    const QString only = file(QStringLiteral("reminders/chime.wav"));
    dlg.CustomSoundFolder[7] = dir_.path() + QStringLiteral("/reminders");
    dlg.cmdCustomSoundPreview[7]->click();
    EXPECT_EQ(QDir::cleanPath(sound_.playingName()), only);
    dlg.CustomSoundFolder[7] = dir_.path() + QStringLiteral("/missing");
    dlg.cmdCustomSoundPreview[7]->click();
    EXPECT_EQ(sound_.beeps(), 1);
}

TEST_F(PreferencesSound, CopyButtonsGiveTheirGroupOneValue) {
    frmPreferences& dlg = open();
    dlg.CustomSoundFolder[1] = QStringLiteral("/music/athans");
    dlg.txtCustomSoundFolder[1]->setText(QStringLiteral("athans"));
    dlg.CustomSound[1] = QStringLiteral("/music/dhuhr.wav");
    dlg.optAudioTypeDhuhr.Select(3);
    dlg.cboSelectedSound[1]->setCurrentIndex(3);
    dlg.CustomSound[2] = QStringLiteral("/music/asr.wav");
    dlg.cmdIdenticalAthans_Click();
    for (std::size_t t : {2u, 3u, 4u}) {
        EXPECT_EQ(dlg.AudioOptions(int(t))->Selected(), 3) << t;
        EXPECT_FALSE(dlg.txtCustomSoundFolder[t]->isHidden());
        EXPECT_EQ(dlg.txtCustomSoundFolder[t]->text(), QStringLiteral("athans"));
        EXPECT_EQ(dlg.CustomSoundFolder[t], QStringLiteral("/music/athans"));
        EXPECT_EQ(dlg.CustomSound[t], QStringLiteral("/music/dhuhr.wav"));
        EXPECT_EQ(dlg.cboSelectedSound[t]->currentText(), QStringLiteral("Damascus"));
    }
    EXPECT_EQ(dlg.optAudioTypeFajr.Selected(), 1) << "Fajr is not copied to";

    dlg.cboReminderBefore[1]->setCurrentIndex(3);
    dlg.cboReminderAfter[4]->setCurrentIndex(7);
    dlg.Changed = false;
    dlg.cmdIdenticalBefore->click();
    EXPECT_TRUE(dlg.Changed);
    for (std::size_t i = 1; i <= 6; ++i)
        EXPECT_EQ(dlg.cboReminderBefore[i]->currentText(), QStringLiteral("15")) << i;
    EXPECT_EQ(dlg.cboReminderAfter[4]->currentIndex(), 7) << "the other group is left";
    dlg.cmdIdenticalAfter->click();
    for (std::size_t i = 1; i <= 6; ++i)
        EXPECT_EQ(dlg.cboReminderAfter[i]->currentIndex(), 0) << i;
}

TEST_F(PreferencesSound, ListsHoldTheirEntriesOnceAtTheirPositions) {
    for (int opening = 0; opening < 2; ++opening) {
        frmPreferences& dlg = open();
        const int counts[9] = {3, 6, 6, 6, 6, 23, 6, 6, 23};
        for (std::size_t s = 0; s < 9; ++s) {
            ASSERT_EQ(dlg.cboSelectedSound[s]->count(), counts[s]) << s;
            EXPECT_EQ(dlg.cboSelectedSound[s]->itemText(counts[s] - 1), QStringLiteral("<Random>"));
        }
        EXPECT_EQ(dlg.cboSelectedSound[2]->itemText(1), QStringLiteral("Cairo 1"));
        EXPECT_EQ(dlg.cboSelectedSound[8]->itemText(12), QStringLiteral("Al-Alaq [1-5]"));
        EXPECT_EQ(dlg.cboReminderAfter[6]->count(), 13);
        EXPECT_EQ(dlg.cboReminderAfter[6]->itemText(12), QStringLiteral("60"));
        EXPECT_EQ(dlg.cboDDEAdviseRate->count(), 6);
        EXPECT_EQ(dlg.WavFilter, QStringLiteral("Windows audio file (*.wav)") + QChar(0) +
                                     QStringLiteral("*.wav") + QString(2, QChar(0)));
        EXPECT_TRUE(dlg.SoundDialogTitles[5].isEmpty());
        EXPECT_EQ(dlg.lblReminderBefore[2]->text(), QStringLiteral("Shuroo&q"));
    }
}
