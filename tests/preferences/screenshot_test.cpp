// Pictures of the three pages and of the sound-file dialog, for a person to look at.
#include "fakes/row_contrast.h"
#include "platform/shell.h"
#include "preferences/mGetWavFile.h"
#include "prefs_fixture.h"
#include "runtime/ResStrings.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QListView>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTreeView>

namespace {

QString shotPath(const char* name) {
    const QString dir = QStringLiteral(TALLIX_BUILD_DIR "/screenshots");
    QDir().mkpath(dir);
    return dir + QLatin1Char('/') + QString::fromLatin1(name);
}

void settle() {
    for (int i = 0; i < 5; ++i)
        QApplication::processEvents();
}

// Every label and button shows its whole text.
void expectTextsFit(QWidget& page) {
    for (QAbstractButton* b : page.findChildren<QAbstractButton*>()) {
        if (!b->isVisibleTo(&page) || b->text().isEmpty())
            continue;
        // Push buttons ask for a wide minimum of the style's; their text is what must fit.
        const int needed =
            qobject_cast<QPushButton*>(b)
                ? b->fontMetrics().horizontalAdvance(QString(b->text()).remove(QLatin1Char('&'))) +
                      6
                : b->sizeHint().width() - 2;
        EXPECT_GE(b->width(), needed) << b->objectName().toStdString();
    }
}

} // namespace

using PreferencesScreenshots = PrefsFixture;

TEST_F(PreferencesScreenshots, ThreePages) {
    gAudioType[1] = 2;
    gCustomSound[1] = file(QStringLiteral("dhuhr-athan.wav"));
    gAudioType[3] = 3;
    gCustomSoundFolder[3] = dir_.path();
    gReminderBefore[3] = 2;
    gActivateDDEServer = 1;
    gColorType = 1;
    gColorFace = 0x00E0F0FF;
    frmPreferences& dlg = open();
    dlg.resize(dlg.sizeHint());
    dlg.show();
    const char* names[] = {"preferences-audio.png", "preferences-other.png",
                           "preferences-reminders.png"};
    for (int tab = 0; tab < 3; ++tab) {
        dlg.tabMain->setCurrentIndex(tab);
        settle();
        expectTextsFit(*dlg.tabMain->widget(tab));
        EXPECT_TRUE(dlg.grab().toImage().save(shotPath(names[tab])));
    }
}

TEST_F(PreferencesScreenshots, SoundFileDialog) {
    for (const char* name : {"athan-makkah.wav", "athan-cairo.wav", "reminder.wav"})
        file(QString::fromLatin1(name));
    bool shot = false;
    preferences::InstallFileDialogDriver([&](QFileDialog& dialog) {
        dialog.resize(640, 420);
        dialog.show();
        for (int i = 0; i < 50; ++i)
            QApplication::processEvents();
        auto* play = dialog.findChild<QPushButton*>(QStringLiteral("hPlayButton"));
        auto* label = dialog.findChild<QLabel*>(QStringLiteral("hPreviewLabel"));
        EXPECT_TRUE(play && play->isVisible());
        EXPECT_TRUE(label && label->text() == QStringLiteral("Preview:"));
        shot = dialog.grab().toImage().save(shotPath("preferences-soundfile.png"));
        dialog.reject();
    });
    EXPECT_EQ(GetWavFile(0, QStringLiteral("Windows audio file (*.wav)<NULL>*.wav"), dir_.path(),
                         QString(), QStringLiteral("Tallix Time - Select Dhuhr Athan")),
              QString());
    EXPECT_TRUE(shot);
}

// The folder chooser shows the slot's prompt, which runs to two lines, above the folders and
// whole; the title bar keeps a short title the window manager need not cut.
TEST_F(PreferencesScreenshots, FolderChooserShowsItsPromptAboveTheFolders) {
    frmPreferences& dlg = open();
    const QString prompt = LoadResStringLines(413);
    ASSERT_TRUE(prompt.contains(QStringLiteral("\r\n")));
    const std::unique_ptr<QFileDialog> dialog = platform::MakeFolderDialog(&dlg, prompt);
    dialog->resize(560, 420);
    dialog->show();
    for (int i = 0; i < 50; ++i)
        QApplication::processEvents();
    EXPECT_FALSE(dialog->windowTitle().contains(QStringLiteral("folder that contains")));
    auto* label = dialog->findChild<QLabel*>(QStringLiteral("lblPrompt"));
    ASSERT_TRUE(label);
    EXPECT_TRUE(label->isVisible());
    EXPECT_EQ(label->text(), prompt);
    EXPECT_GE(label->height(), label->heightForWidth(label->width()));
    const int promptBottom = label->mapTo(dialog.get(), QPoint(0, label->height())).y();
    int views = 0;
    for (QAbstractItemView* view : dialog->findChildren<QAbstractItemView*>()) {
        if (!view->isVisible() || view->window() != dialog.get())
            continue;
        ++views;
        EXPECT_GE(view->mapTo(dialog.get(), QPoint(0, 0)).y(), promptBottom)
            << view->objectName().toStdString();
    }
    EXPECT_GT(views, 0);
    EXPECT_EQ(dialog->fileMode(), QFileDialog::Directory);
    EXPECT_TRUE(dialog->grab().toImage().save(shotPath("preferences-folder-chooser.png")));
}

// The list box (a combo box) that has the keyboard focus shows it, whatever way the focus came:
// the style's focus outline, which it would draw only after a Tab key, stays after a click (a
// change of colour of at least 150 of 765 on its edge). The picture has the focus in the
// second reminder list.
TEST_F(PreferencesScreenshots, TheFocusedListShowsItsFocus) {
    frmPreferences& dlg = open(2);
    dlg.show();
    dlg.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dlg));
    for (QComboBox* cbo : {dlg.cboReminderBefore[2], dlg.cboReminderAfter[4]}) {
        SCOPED_TRACE(cbo->objectName().toStdString());
        dlg.cmdSave->setFocus();
        settle();
        const QImage away = cbo->grab().toImage();
        cbo->setFocus(Qt::OtherFocusReason);
        settle();
        ASSERT_TRUE(cbo->hasFocus());
        EXPECT_GE(EdgeContrast(away, cbo->grab().toImage()), 150);
    }
    dlg.cboReminderBefore[2]->setFocus();
    settle();
    EXPECT_TRUE(dlg.grab().save(shotPath("preferences-list-focus.png")));
}
