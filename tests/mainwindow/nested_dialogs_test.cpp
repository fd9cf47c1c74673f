// An athan, or the end of the session, while a window has a dialog of its own open (a colour,
// file or folder dialog, a question, the printer dialog): the program lives, the athan sounds,
// a settings dialog keeps what the user typed, and the end of the session closes everything
// cleanly. The dialogs are the real ones, each running its own event loop.
#include "calendar/timetable.h"
#include "core/mMain.h"
#include "core/settings.h"
#include "fakes/fake_mixer.h"
#include "fakes/fake_registry.h"
#include "fakes/fake_sound.h"
#include "fakes/fake_system.h"
#include "fakes/fake_tray.h"
#include "fakes/wait_for.h"
#include "mainwindow/frmTallix.h"
#include "platform/tzlist.h"
#include "prayersettings/frmPrayerSettings.h"
#include "preferences/frmPreferences.h"
#include "runtime/Clock.h"
#include "runtime/Interaction.h"
#include "runtime/Printer.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

namespace {

const QDate kDay(2024, 3, 10);

struct NestedCase {
    const char* name;
    const char* form; // the settings dialog that opens it, or "" for the main window's own
    std::function<void(Form*)> open;
};
void PrintTo(const NestedCase& c, std::ostream* os) {
    *os << c.name;
}

frmPreferences* prefs(Form* f) {
    return static_cast<frmPreferences*>(f);
}
frmPrayerSettings* places(Form* f) {
    return static_cast<frmPrayerSettings*>(f);
}

const NestedCase kCases[] = {
    {"ColourDialog", "frmPreferences", [](Form* f) { prefs(f)->cmdBrowseCustomColor[1]->click(); }},
    {"PictureFile", "frmPreferences",
     [](Form* f) {
         prefs(f)->optImageType.Select(1);
         prefs(f)->cmdBrowseCustomImage_Click();
     }},
    {"PictureFolder", "frmPreferences",
     [](Form* f) {
         prefs(f)->optImageType.Select(3);
         prefs(f)->cmdBrowseCustomImage_Click();
     }},
    {"SoundFile", "frmPreferences",
     [](Form* f) {
         prefs(f)->AudioOptions(0)->Select(2);
         prefs(f)->cmdBrowseCustomSound_Click(0);
     }},
    {"SoundFolder", "frmPreferences",
     [](Form* f) {
         prefs(f)->AudioOptions(0)->Select(3);
         prefs(f)->cmdBrowseCustomSound_Click(0);
     }},
    {"PreferencesDefaultsQuestion", "frmPreferences",
     [](Form* f) { prefs(f)->cmdDefaults_Click(); }},
    {"PrayerSettingsDefaultsQuestion", "frmPrayerSettings",
     [](Form* f) { places(f)->cmdDefaults_Click(); }},
    {"TimeZoneQuestion", "frmPrayerSettings",
     [](Form* f) {
         frmPrayerSettings* d = places(f);
         d->optDayLightSavings[0]->setChecked(true);
         // A zone the machine's zone is not.
         for (int i = 0; i < d->cboTimezone->count(); ++i)
             if (!d->cboWindowsTimezone->currentText().contains(d->cboTimezone->itemText(i))) {
                 d->cboTimezone->setCurrentIndex(i);
                 break;
             }
         d->Changed = true;
         d->cmdSave_Click();
     }},
    {"PrinterDialog", "",
     [](Form* f) { timetable::PrintPages(*static_cast<frmTallix*>(f), vbCalGreg, {1}, true); }},
};

// Runs opener, which opens a dialog and waits in that dialog's own event loop; once that
// dialog is up, runs inside with it. Returns whether the dialog was seen.
bool whileNestedOpen(const std::function<void()>& opener,
                     const std::function<void(QDialog*)>& inside) {
    bool seen = false;
    QTimer poll;
    poll.setInterval(10);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* nested = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!nested || !nested->isVisible())
            return;
        poll.stop();
        seen = true;
        inside(nested);
    });
    poll.start();
    opener();
    return seen;
}

class NestedDialog : public ::testing::TestWithParam<NestedCase> {
protected:
    void SetUp() override {
        ASSERT_TRUE(LoadSettings());
        runtime::SetClock(QDateTime(kDay, QTime(10, 0, 0)));
        runtime::SetMsgBoxAnswerer(nullptr);
        platform::InstallSystemZoneHook([] { return QByteArray("Asia/Riyadh"); });
        platform::InstallSetTimezoneHook(
            [](const QByteArray&, platform::SystemAnswer answer) { answer(true, QString()); });
        gLaunchMinimized = 0;
        gDisplayMainScreen = 1;
        gMuteAll = 0;
        gAudioType[1] = 1;
        window = new frmTallix();
        window->Load();
        window->Show();
        window->tmrMain->stop(); // the test says when a second passes
        sound.clear();
    }
    void TearDown() override {
        if (window)
            window->UnloadFrom(vbAppWindows);
        Pump(20);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        platform::InstallSystemZoneHook({});
        platform::InstallSetTimezoneHook({});
        runtime::SetClock(nullptr);
    }

    // The athan of the noon prayer comes now.
    void athan() {
        const auto noon = window->PrayerSeconds[3];
        ASSERT_TRUE(noon.has_value());
        runtime::SetClock(QDateTime(kDay, QTime(0, 0).addSecs(*noon)));
        window->tmrMain_Timer();
    }

    // Opens the case's settings dialog modally and, in it, the dialog of its own; runs inside
    // while that one is up, then after once it has returned (with the settings dialog, which
    // may have gone).
    void run(const NestedCase& c, const std::function<void(QDialog*)>& inside,
             const std::function<void(Form*)>& after) {
        const QString name = QString::fromLatin1(c.form);
        if (name.isEmpty()) {
            Form* owner = window;
            EXPECT_TRUE(whileNestedOpen([&] { c.open(owner); }, inside));
            after(window);
            return;
        }
        // Once the settings dialog is up and waits for the user.
        QTimer up;
        up.setInterval(10);
        QObject::connect(&up, &QTimer::timeout, [&] {
            QPointer<Form> settings = FindForm(name);
            if (!settings || !settings->isVisible())
                return;
            up.stop();
            edit(settings);
            EXPECT_TRUE(whileNestedOpen([&] { c.open(settings); }, inside));
            after(settings);
            if (settings && IsFormLoaded(name))
                settings->Unload();
        });
        up.start();
        // A settings dialog left open by a failing check still ends the test.
        QTimer::singleShot(20000, [name] {
            if (Form* f = FindForm(name))
                f->Unload();
        });
        if (name == QLatin1String("frmPreferences"))
            ShowPreferencesDialog(1);
        else
            ShowPrayerSettings(0);
    }

    // What the user typed before opening the nested dialog, and whether it is still there.
    static void edit(Form* f) {
        if (auto* p = qobject_cast<frmPreferences*>(f)) {
            p->chkDisplayBalloonTips->setChecked(!p->chkDisplayBalloonTips->isChecked());
            p->Changed = true;
        } else if (auto* s = qobject_cast<frmPrayerSettings*>(f)) {
            s->txtLatitude->setText(QStringLiteral("12.3456"));
        }
    }
    static bool edited(Form* f) {
        if (auto* p = qobject_cast<frmPreferences*>(f))
            return p->Changed &&
                   p->chkDisplayBalloonTips->isChecked() != (gDisplayBalloonTips == 1);
        if (auto* s = qobject_cast<frmPrayerSettings*>(f))
            return s->txtLatitude->text() == QStringLiteral("12.3456");
        return true;
    }

    FakeRegistry registry;
    FakeSound sound;
    FakeSystem system;
    FakeTray tray;
    FakeMixer mixer;
    QPointer<frmTallix> window;
};

TEST_P(NestedDialog, AnAthanSoundsAndTheDialogsStayWithTheirEdits) {
    const NestedCase& c = GetParam();
    bool sounded = false;
    bool nestedStayed = false;
    bool windowUp = false;
    bool keptWithEdits = false;
    run(
        c,
        [&](QDialog* nested) {
            athan();
            sounded = !sound.calls().isEmpty();
            nestedStayed = nested->isVisible() && QApplication::activeModalWidget() == nested;
            windowUp = window && window->isVisible() && !window->isMinimized();
            if (*c.form)
                keptWithEdits = FindForm(QString::fromLatin1(c.form)) &&
                                edited(FindForm(QString::fromLatin1(c.form)));
            else
                keptWithEdits = true;
            nested->reject();
        },
        [&](Form* settings) {
            // The code that opened the dialog goes on with the form it opened it from.
            EXPECT_TRUE(settings);
            if (settings && *c.form) {
                EXPECT_TRUE(edited(settings)) << "the edits survive the dialog";
            }
        });
    EXPECT_TRUE(sounded);
    EXPECT_TRUE(nestedStayed);
    EXPECT_TRUE(windowUp);
    EXPECT_TRUE(keptWithEdits);
    EXPECT_TRUE(window);
}

TEST_P(NestedDialog, TheEndOfTheSessionClosesItCleanly) {
    const NestedCase& c = GetParam();
    QPointer<QDialog> closed;
    run(
        c,
        [&](QDialog* nested) {
            closed = nested;
            window->EndSession();
            // The dialog is told to end at once; its loop returns to the code that opened it.
            EXPECT_FALSE(nested->isVisible());
        },
        [&](Form* owner) { EXPECT_TRUE(owner) << "alive until the dialog's opener returned"; });
    EXPECT_TRUE(WaitFor(
        [&] {
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            return !window && Forms().isEmpty();
        },
        5000));
    EXPECT_FALSE(closed);
}

INSTANTIATE_TEST_SUITE_P(Each, NestedDialog, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<NestedCase>& info) {
                             return std::string(info.param.name);
                         });

} // namespace
