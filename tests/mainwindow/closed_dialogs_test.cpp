// Every dialog, opened from the main window and closed as the user closes it, leaves nothing of
// itself behind: no object it made (a child, a timer, an action, a helper parented to the main
// window or the application, a connection's context) outlives it, and its icons are drawn from
// the same pixmaps at every opening (Qt's pixmap cache keeps what an icon was drawn with under
// that icon's own pixmaps: icons made anew at each opening would add entries each time). The
// first opening of the process may load what the program keeps for good (the zone list, the
// style's icons), so the openings after it are counted.
#include "core/frmSplash.h"
#include "core/frmUpdate.h"
#include "core/settings.h"
#include "fakes/fake_registry.h"
#include "fakes/fake_shell.h"
#include "fakes/fake_sound.h"
#include "fakes/fake_tray.h"
#include "fakes/live_objects.h"
#include "fakes/wait_for.h"
#include "mainwindow/frmTallix.h"
#include "platform/timezone.h"
#include "prayersettings/frmPrayerSettings.h"
#include "preferences/dialogs.h"
#include "preferences/frmPreferences.h"
#include "preferences/mGetWavFile.h"
#include "runtime/Clock.h"

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QMouseEvent>
#include <QPointer>
#include <QPushButton>
#include <QSet>
#include <QTabBar>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

namespace {

struct DialogCase {
    const char* name;
    const char* form;                 // the form the opener shows, or "" for a dialog of Qt's
    std::function<void()> open;       // returns once the dialog has been closed
    std::function<void(Form*)> close; // as the user closes it
};
void PrintTo(const DialogCase& c, std::ostream* os) {
    *os << c.name;
}

// The pixmaps the icons of our own controls in the window are drawn with, enabled and greyed.
QSet<qint64> gIconPixmaps;

void keepIconPixmaps(const QWidget* window) {
    const auto keep = [](const QIcon& icon, QSize size) {
        if (icon.isNull())
            return;
        for (const QIcon::Mode mode : {QIcon::Normal, QIcon::Disabled})
            gIconPixmaps.insert(icon.pixmap(size, mode).cacheKey());
    };
    for (const QAbstractButton* button : window->findChildren<QAbstractButton*>())
        keep(button->icon(), button->iconSize());
    for (const QTabBar* tabs : window->findChildren<QTabBar*>())
        for (int i = 0; i < tabs->count(); ++i)
            keep(tabs->tabIcon(i), tabs->iconSize());
}

const DialogCase kDialogs[] = {
    {"Preferences", "frmPreferences", [] { ShowPreferencesDialog(0); },
     [](Form* f) { static_cast<frmPreferences*>(f)->cmdExit->click(); }},
    {"PrayerSettings", "frmPrayerSettings", [] { ShowPrayerSettings(0); },
     [](Form* f) { static_cast<frmPrayerSettings*>(f)->cmdExit->click(); }},
    {"About", "frmSplash", [] { ShowAboutBox(); },
     [](Form* f) { static_cast<frmSplash*>(f)->Form_Click(); }},
    {"UpdateCheck", "frmUpdate", [] { ShowUpdateCheck(); },
     [](Form* f) { static_cast<frmUpdate*>(f)->cmdCancel->click(); }},
    // Qt's file dialog with our preview row: the row's icons are ours.
    {"SoundFile", "",
     [] {
         preferences::InstallFileDialogDriver([](QFileDialog& dialog) {
             QTimer::singleShot(0, &dialog, [&dialog] {
                 if (const auto* strip = dialog.findChild<QWidget*>(QStringLiteral("PreviewStrip")))
                     keepIconPixmaps(strip);
                 dialog.reject();
             });
             dialog.exec();
         });
         GetWavFile(MainWindow()->hWnd(), QStringLiteral("Wave Files<NULL>*.wav<NULL>"),
                    QDir::tempPath(), QString(), QStringLiteral("Select a sound"));
         preferences::InstallFileDialogDriver(nullptr);
     },
     nullptr},
};

class ClosedDialog : public ::testing::TestWithParam<DialogCase> {
protected:
    void SetUp() override {
        ASSERT_TRUE(LoadSettings());
        runtime::SetClock(QDateTime(QDate(2024, 3, 10), QTime(10, 0, 0)));
        platform::InstallSystemZoneHook([] { return QByteArray("Asia/Riyadh"); });
        gLaunchMinimized = 0;
        gMuteAll = 0;
        gIconPixmaps.clear();
        window = new frmTallix();
        window->Load();
        window->Show();
    }
    void TearDown() override {
        if (window)
            window->UnloadFrom(vbAppWindows);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        preferences::InstallFileDialogDriver(nullptr);
        platform::InstallSystemZoneHook({});
        runtime::SetClock(nullptr);
    }

    // Opens the dialog, closes it once it is up, and waits until the closed form is deleted.
    void openAndClose(const DialogCase& c) {
        const QString name = QString::fromLatin1(c.form);
        QPointer<Form> closed;
        bool seen = name.isEmpty();
        QTimer up;
        up.setInterval(10);
        QObject::connect(&up, &QTimer::timeout, [&] {
            Form* f = FindForm(name);
            if (!f || !f->isVisible())
                return;
            up.stop();
            seen = true;
            closed = f;
            keepIconPixmaps(f);
            c.close(f);
        });
        // A dialog a failing close left open still ends the test.
        QTimer giveUp;
        giveUp.setSingleShot(true);
        QObject::connect(&giveUp, &QTimer::timeout, [&] {
            if (Form* f = FindForm(name))
                f->Unload();
        });
        if (!seen) {
            up.start();
            giveUp.start(30000);
        }
        c.open();
        ASSERT_TRUE(seen) << c.name << " did not show";
        ASSERT_TRUE(WaitFor(
            [&] {
                QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
                return closed.isNull();
            },
            30000))
            << c.name << " was not deleted";
        // The pointer moves over the main window's list, as in any session: Qt's gesture
        // manager deletes the gestures it made for the closed dialog's lists only at the next
        // pointer event.
        if (auto* list = window->findChild<QAbstractScrollArea*>()) {
            QMouseEvent move(QEvent::MouseMove, QPointF(3, 3),
                             list->viewport()->mapToGlobal(QPointF(3, 3)), Qt::NoButton,
                             Qt::NoButton, Qt::NoModifier);
            QApplication::sendEvent(list->viewport(), &move);
        }
    }

    FakeRegistry registry;
    FakeSound sound;
    FakeShell shell;
    FakeTray tray;
    QPointer<frmTallix> window;
};

TEST_P(ClosedDialog, LeavesNothingOfItselfBehind) {
    const DialogCase& c = GetParam();
    openAndClose(c);
    const QSet<qint64> pixmapsOfOne = gIconPixmaps;
    LiveObjects born;
    for (int i = 0; i < 3; ++i)
        openAndClose(c);
    // What a dialog's helper threads still hold (a file dialog's gatherer reading the folder
    // on a busy machine) goes once they are done: only what stays is left behind.
    QStringList left;
    WaitFor(
        [&] {
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            left = born.Left();
            return left.isEmpty();
        },
        10000);
    EXPECT_TRUE(left.isEmpty()) << c.name << " left " << left.size() << " objects:\n"
                                << left.join(u'\n').toStdString();
    EXPECT_EQ(gIconPixmaps.size(), pixmapsOfOne.size())
        << c.name << " drew its icons from new pixmaps at each opening";
}

INSTANTIATE_TEST_SUITE_P(Dialogs, ClosedDialog, ::testing::ValuesIn(kDialogs),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
