// The sound-file dialog: its preview strip plays the selected file, stops only its own
// preview, and forgets an earlier opening's selection.
#include "core/audio.h"
#include "preferences/mGetWavFile.h"
#include "prefs_fixture.h"
#include "runtime/App.h"

#include <QDir>
#include <QFileDialog>
#include <QPushButton>

namespace {

const QString kFilter = QStringLiteral("Windows audio file (*.wav)<NULL>*.wav");

QPushButton* button(QFileDialog& dialog, const char* name) {
    return dialog.findChild<QPushButton*>(QString::fromLatin1(name));
}

} // namespace

using WavFileDialog = PrefsFixture;

TEST_F(WavFileDialog, PlaysTheSelectedFileAndReturnsTheChosenOne) {
    const QString first = file(QStringLiteral("first.wav"));
    const QString second = file(QStringLiteral("second.wav"));
    QStringList filters;
    preferences::InstallFileDialogDriver([&](QFileDialog& dialog) {
        filters = dialog.nameFilters();
        EXPECT_EQ(dialog.defaultSuffix(), QStringLiteral("wav"));
        EXPECT_TRUE(dialog.testOption(QFileDialog::DontUseNativeDialog));
        QPushButton* play = button(dialog, "hPlayButton");
        QPushButton* stop = button(dialog, "hStopButton");
        EXPECT_TRUE(play && stop);
        if (!play || !stop)
            return;
        emit dialog.currentChanged(first);
        play->click();
        EXPECT_EQ(sound_.playingName(), first);
        EXPECT_EQ(sound_.calls().last().flags, kFilePlayFlags);
        // A new selection stops the preview; Play then plays the new one.
        emit dialog.currentChanged(second);
        EXPECT_FALSE(sound_.isPlaying());
        play->click();
        EXPECT_EQ(sound_.playingName(), second);
        stop->click();
        EXPECT_FALSE(sound_.isPlaying());
        // A folder plays nothing.
        const int calls = int(sound_.calls().size());
        emit dialog.currentChanged(dir_.path());
        play->click();
        EXPECT_FALSE(sound_.isPlaying());
        EXPECT_LE(sound_.calls().size(), calls + 1) << "at most the stop of the selection change";
        dialog.selectFile(second);
        QDialog& d = dialog;
        d.accept();
    });
    EXPECT_EQ(GetWavFile(0, kFilter, dir_.path(), QString(), QStringLiteral("Title")), second);
    EXPECT_EQ(filters, QStringList{QStringLiteral("Windows audio file (*.wav)")});

    preferences::InstallFileDialogDriver([](QFileDialog& dialog) {
        QDialog& d = dialog;
        d.reject();
    });
    EXPECT_EQ(GetWavFile(0, kFilter, dir_.path(), QString(), QStringLiteral("Title")), QString());
}

// Each opening starts without a selection: Play plays nothing of the last opening's file.
TEST_F(WavFileDialog, ForgetsTheEarlierOpeningsFile) {
    const QString earlier = file(QStringLiteral("earlier.wav"));
    bool firstOpening = true;
    preferences::InstallFileDialogDriver([&](QFileDialog& dialog) {
        if (firstOpening)
            emit dialog.currentChanged(earlier);
        else
            button(dialog, "hPlayButton")->click();
        QDialog& d = dialog;
        d.reject();
    });
    GetWavFile(0, kFilter, dir_.path(), QString(), QString());
    EXPECT_EQ(PreviewFile(), earlier);
    firstOpening = false;
    sound_.clear();
    GetWavFile(0, kFilter, dir_.path(), QString(), QString());
    EXPECT_TRUE(sound_.calls().isEmpty());
    EXPECT_TRUE(PreviewFile().isEmpty());
}

// An athan that begins while the dialog is open plays on through Stop, a new selection and
// the closing of the dialog.
TEST_F(WavFileDialog, LeavesAnAthanPlaying) {
    const QString preview = file(QStringLiteral("preview.wav"));
    gAudioType[0] = 1;
    preferences::InstallFileDialogDriver([&](QFileDialog& dialog) {
        emit dialog.currentChanged(preview);
        button(dialog, "hPlayButton")->click();
        PlayAlert(0);
        const QString athan = sound_.playingName();
        EXPECT_NE(athan, preview);
        button(dialog, "hStopButton")->click();
        emit dialog.currentChanged(dir_.path());
        EXPECT_EQ(sound_.playingName(), athan);
        QDialog& d = dialog;
        d.reject();
    });
    GetWavFile(0, kFilter, dir_.path(), QString(), QString());
    EXPECT_TRUE(sound_.isPlaying()) << "closing the dialog leaves the athan playing";

    // Without an athan, closing the dialog ends its preview.
    sound_.clear();
    preferences::InstallFileDialogDriver([&](QFileDialog& dialog) {
        emit dialog.currentChanged(preview);
        button(dialog, "hPlayButton")->click();
        QDialog& d = dialog;
        d.reject();
    });
    GetWavFile(0, kFilter, dir_.path(), QString(), QString());
    EXPECT_FALSE(sound_.isPlaying());
}
