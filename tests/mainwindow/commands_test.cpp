// The main window's commands: menu items, toolbar buttons, display switches, the tab switch
// and the layout in every combination of the switches; screenshots.
#include "core/audio.h"
#include "core/mMain.h"
#include "core/settings.h"
#include "fakes/fake_network.h"
#include "fakes/fake_registry.h"
#include "fakes/fake_sound.h"
#include "fakes/fake_system.h"
#include "fakes/fake_tray.h"
#include "mainwindow/TabListBox.h"
#include "mainwindow/cProgressBar.h"
#include "mainwindow/frmTallix.h"
#include "platform/tzlist.h"
#include "prayersettings/frmPrayerSettings.h"
#include "preferences/frmPreferences.h"
#include "runtime/Clock.h"
#include "runtime/Colors.h"
#include "runtime/Interaction.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QGroupBox>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QSlider>
#include <QTabWidget>
#include <QTimer>
#include <QToolBar>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

namespace {

class Commands : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(LoadSettings());
        runtime::SetClock(QDateTime(QDate(2024, 3, 10), QTime(10, 8, 30)));
        runtime::SetMsgBoxAnswerer([this](const QString& prompt, int, const QString&) {
            prompts << prompt;
            return vbNo;
        });
        frmPrayerSettings::PlaceFileOverride = QStringLiteral("/nonexistent/TallixTime.xml");
        platform::InstallSystemZoneHook([] { return QByteArray("Asia/Riyadh"); });
        window = std::make_unique<frmTallix>();
        window->RefreshPrayers();
    }
    void TearDown() override {
        window.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        runtime::SetMsgBoxAnswerer(nullptr);
        runtime::SetClock(nullptr);
        platform::InstallSystemZoneHook({});
        frmPrayerSettings::PlaceFileOverride.clear();
    }

    QAction* button(const char* key) const {
        return window->tlbMainButton(QString::fromLatin1(key));
    }
    QString stored(const char* name) const {
        return registry.text(kSettingsKey, QString::fromLatin1(name));
    }
    // Runs the command; when the named dialog comes up, notes its page and the toolbar's
    // state, then closes it. The name of the dialog seen, "" when none came up.
    QString withDialog(const std::function<void()>& command, int* page = nullptr) {
        QString seen;
        QTimer poll;
        poll.setInterval(5);
        QObject::connect(&poll, &QTimer::timeout, [&] {
            for (Form* f : Forms()) {
                if (f == window.get() || !f->isVisible())
                    continue;
                seen = f->Name();
                if (auto* ps = qobject_cast<frmPrayerSettings*>(f); ps && page)
                    *page = ps->tabMain->currentIndex();
                if (auto* pr = qobject_cast<frmPreferences*>(f); pr && page)
                    *page = pr->tabMain->currentIndex();
                // A resize meanwhile does not give the toolbar back.
                window->ResizeForm();
                toolbarWhileOpen = window->tlbMain->isEnabled();
                poll.stop();
                f->hide();
                f->Unload();
                return;
            }
        });
        poll.start();
        command();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return seen;
    }
    static void click(QWidget* w, Qt::MouseButton b) {
        QMouseEvent press(QEvent::MouseButtonPress, QPointF(3, 3), w->mapToGlobal(QPointF(3, 3)), b,
                          b, Qt::NoModifier);
        QMouseEvent release(QEvent::MouseButtonRelease, QPointF(3, 3),
                            w->mapToGlobal(QPointF(3, 3)), b, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(w, &press);
        QApplication::sendEvent(w, &release);
    }

    FakeRegistry registry;
    FakeSound sound;
    FakeSystem system;
    FakeTray tray;
    FakeNetwork network;
    std::unique_ptr<frmTallix> window;
    QStringList prompts;
    bool toolbarWhileOpen = true;
};

TEST_F(Commands, MenusCarryTheirCaptionsAndTheTrayMenuItsOrder) {
    QStringList bar;
    for (QAction* a : window->mnuBar->actions())
        bar << a->text();
    EXPECT_EQ(bar, QStringList({"&File", "&Quran", "&Options", "&Help"}));
    EXPECT_EQ(window->mnuExportGregorian->title(), "&Gregorian Calendar");
    EXPECT_EQ(window->mnuPrintMonthlyPrayerTimes->title(), "&Print Prayer Times");
    EXPECT_EQ(window->mnuAyaat[11]->text(), "Al-Ala&q [1-5]");
    EXPECT_EQ(window->mnuSuraPopup[3]->text(), "Ad-&Duha");
    EXPECT_EQ(window->mnuLockWorkStation->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_L));

    QList<QAction*> expected = {window->mnuPrayNow,
                                nullptr,
                                window->mnuPrayerSettingsPopup,
                                window->mnuPreferencesPopMenu,
                                nullptr,
                                window->mnuQuranMainPopup->menuAction(),
                                window->mnuMuteAll,
                                window->mnuStopAthanPopup,
                                window->mPopRestore,
                                nullptr,
                                window->mPopExit,
                                window->mPopAbout};
    const QList<QAction*> items = window->mPopupSys->actions();
    ASSERT_EQ(items.size(), expected.size());
    for (int i = 0; i < items.size(); ++i) {
        if (expected[i]) {
            EXPECT_EQ(items[i], expected[i]) << i;
        } else {
            EXPECT_TRUE(items[i]->isSeparator()) << i;
        }
    }

    QStringList keys;
    for (QAction* a : window->tlbMain->actions())
        if (!a->isSeparator())
            keys << a->objectName();
    EXPECT_EQ(keys, QStringList({"Lock", "ScreenSaver", "Export", "Print", "Location",
                                 "Calculation", "Audio", "Other", "Reminder", "Kabaa", "Calendar",
                                 "AudioOn", "AudioOff", "About"}));
    EXPECT_EQ(button("Reminder")->toolTip(), "Reminders");
    EXPECT_EQ(button("Kabaa")->toolTip(), "Hide/Display Qiblah Direction and Image");
    for (const QString& key : keys)
        EXPECT_FALSE(button(key.toLatin1().constData())->icon().isNull()) << key.toStdString();
}

TEST_F(Commands, OptionTogglesStoreTheirValueAndCheckMark) {
    const struct {
        QAction* frmTallix::*item;
        std::int16_t* setting;
        const char* name;
    } options[] = {{&frmTallix::mnuAlwaysOnTop, &gAlwaysOnTop, "AlwaysOnTop"},
                   {&frmTallix::mnuHideWhenMinimized, &gHideWhenMinimized, "HideWhenMinimized"},
                   {&frmTallix::mnuLaunchMinimized, &gLaunchMinimized, "LaunchMinimized"},
                   {&frmTallix::mnuLaunchOnStartup, &gLaunchOnStartup, "LaunchOnStartup"}};
    for (const auto& o : options) {
        QAction* item = window.get()->*o.item;
        const std::int16_t first = *o.setting;
        item->trigger();
        EXPECT_EQ(*o.setting, 1 - first) << o.name;
        EXPECT_EQ(stored(o.name), QString::number(1 - first)) << o.name;
        EXPECT_EQ(item->isChecked(), first == 0) << o.name;
        item->trigger();
        EXPECT_EQ(*o.setting, first) << o.name;
        EXPECT_EQ(stored(o.name), QString::number(first)) << o.name;
        EXPECT_EQ(item->isChecked(), first == 1) << o.name;
    }
    // Always on top reaches the window; the start-up entry is written first, then removed.
    gAlwaysOnTop = 0;
    window->mnuAlwaysOnTop->trigger();
    EXPECT_TRUE(window->windowFlags() & Qt::WindowStaysOnTopHint);
    window->mnuAlwaysOnTop->trigger();
    EXPECT_FALSE(window->windowFlags() & Qt::WindowStaysOnTopHint);
    gLaunchOnStartup = 0;
    registry.writes.clear();
    window->mnuLaunchOnStartup->trigger();
    ASSERT_GE(registry.writes.size(), 2);
    EXPECT_TRUE(registry.writes[0].endsWith("\\TallixTime")) << registry.writes[0].toStdString();
    EXPECT_TRUE(registry.writes.last().endsWith("\\LaunchOnStartup"));
    EXPECT_FALSE(registry.text(kRunKey, kRunValueName).isEmpty());
    window->mnuLaunchOnStartup->trigger();
    EXPECT_TRUE(registry.text(kRunKey, kRunValueName).isEmpty());
    EXPECT_TRUE(prompts.isEmpty()) << prompts.join('|').toStdString();
}

TEST_F(Commands, ASettingThatCannotBeSavedIsReportedAndHoldsForTheSession) {
    registry.failSet = true;
    const struct {
        const char* name;
        std::function<void()> command;
        std::function<std::int16_t()> value;
    } commands[] = {
        {"AlwaysOnTop", [&] { window->mnuAlwaysOnTop->trigger(); }, [] { return gAlwaysOnTop; }},
        {"DisplayKabaa", [&] { button("Kabaa")->trigger(); }, [] { return gDisplayKabaa; }},
        {"DisplayHijraa", [&] { button("Calendar")->trigger(); }, [] { return gDisplayHijraa; }},
        {"MuteAll", [&] { window->mnuMuteAll->trigger(); }, [] { return gMuteAll; }},
        {"MuteAll", [&] { button(gMuteAll ? "AudioOff" : "AudioOn")->trigger(); },
         [] { return gMuteAll; }},
        {"CoordinateSystem", [&] { window->picQiblah_MouseUp(vbLeftButton); },
         [] { return gCoordinateSystem; }},
        {"ProgressBarSegment", [&] { window->picNextPrayerIn_MouseUp(0, vbLeftButton); },
         [] { return gProgressBarSegment; }},
        {"SliderTickStyle", [&] { window->sldVolume_MouseUp(vbRightButton); },
         [] { return gSliderTickStyle; }},
        {"LaunchOnStartup", [&] { window->mnuLaunchOnStartup->trigger(); },
         [] { return gLaunchOnStartup; }},
    };
    for (const auto& c : commands) {
        prompts.clear();
        const std::int16_t before = c.value();
        c.command();
        EXPECT_EQ(c.value(), 1 - before) << c.name;
        ASSERT_FALSE(prompts.isEmpty()) << c.name;
        EXPECT_TRUE(prompts.first().contains(QLatin1String(c.name)))
            << c.name << ": " << prompts.first().toStdString();
    }
    // Turning the start at log-on on also reports the log-on entry that could not be written.
    gLaunchOnStartup = 0;
    prompts.clear();
    window->mnuLaunchOnStartup->trigger();
    EXPECT_EQ(prompts.size(), 2);
    EXPECT_TRUE(prompts.first().contains("\"TallixTime\""));
    // A store that keeps values in memory for the session says so once at start; the
    // commands then succeed silently.
    registry.failSet = false;
    prompts.clear();
    window->mnuAlwaysOnTop->trigger();
    button("Kabaa")->trigger();
    EXPECT_TRUE(prompts.isEmpty());
}

TEST_F(Commands, PrayNowLocksOrStartsTheScreenSaver) {
    const struct {
        LONG platform;
        std::int16_t security;
        int saver, lock;
    } cases[] = {{2, 0, 0, 1}, {2, 1, 1, 0}, {1, 0, 1, 0}, {1, 1, 1, 0}};
    const LONG savedPlatform = gPlatformId;
    for (const auto& c : cases) {
        gPlatformId = c.platform;
        gSecurityType = c.security;
        system.saverStartCalls = 0;
        system.lockCalls = 0;
        window->mnuPrayNow_Click();
        EXPECT_EQ(system.saverStartCalls, c.saver) << c.platform << c.security;
        EXPECT_EQ(system.lockCalls, c.lock) << c.platform << c.security;
    }
    gPlatformId = savedPlatform;
    system.lockCalls = system.saverStartCalls = 0;
    window->mnuLockWorkStation->trigger();
    button("Lock")->trigger();
    EXPECT_EQ(system.lockCalls, 2);
    window->mnuScreenSaver->trigger();
    button("ScreenSaver")->trigger();
    EXPECT_EQ(system.saverStartCalls, 2);
}

// A screen saver that does not start or a session that does not lock is told, once per
// command, by every way to the command, when the desktop's answer comes; success says nothing.
TEST_F(Commands, AScreenSaverOrLockThatFailsIsTold) {
    const LONG savedPlatform = gPlatformId;
    gPlatformId = 2;
    const struct {
        const char* what;
        std::function<void()> run;
        const char* told;
    } cases[] = {
        {"menu screen saver", [this] { window->mnuScreenSaver->trigger(); }, "screen saver"},
        {"toolbar screen saver", [this] { button("ScreenSaver")->trigger(); }, "screen saver"},
        {"Pray Now, screen saver",
         [this] {
             gSecurityType = 1;
             window->mnuPrayNow->trigger();
         },
         "screen saver"},
        {"menu lock", [this] { window->mnuLockWorkStation->trigger(); }, "locked"},
        {"toolbar lock", [this] { button("Lock")->trigger(); }, "locked"},
        {"Pray Now, lock",
         [this] {
             gSecurityType = 0;
             window->mnuPrayNow->trigger();
         },
         "locked"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        for (bool works : {true, false}) {
            system.saverStarts = works;
            system.locks = works;
            prompts.clear();
            c.run();
            EXPECT_TRUE(prompts.isEmpty()) << "the command waits for no answer";
            QCoreApplication::sendPostedEvents(); // the answer arrives
            if (works) {
                EXPECT_TRUE(prompts.isEmpty());
            } else {
                ASSERT_EQ(prompts.size(), 1);
                EXPECT_TRUE(prompts.first().contains(QString::fromLatin1(c.told)))
                    << prompts.first().toStdString();
            }
        }
    }
    gPlatformId = savedPlatform;
}

TEST_F(Commands, RecitationsPlayUnlessMutedAndStopAudioStops) {
    gMuteAll = 0;
    for (std::int16_t i : {0, 11}) {
        sound.clear();
        window->mnuAyaat[i]->trigger();
        EXPECT_EQ(sound.playingName(), AyaatResourceName(i));
        window->mnuSuraPopup[i]->trigger();
        EXPECT_EQ(sound.playingName(), SuraResourceName(i));
    }
    window->mnuDuaAfterAthan->trigger();
    EXPECT_EQ(sound.playingName(), "DUA");
    window->mnuStopAthanPopup->trigger();
    EXPECT_EQ(sound.playingName(), "");
    sound.failingNames << "DUA";
    sound.clear();
    window->mnuDuaAfterAthan->trigger();
    EXPECT_EQ(sound.beeps(), 1);

    // The random picks reach both ends of the list.
    QSet<QString> picked;
    for (int n = 0; n < 400 && picked.size() < 12; ++n) {
        window->mnuAyaatRandomPopup->trigger();
        picked << sound.playingName();
    }
    EXPECT_TRUE(picked.contains(AyaatResourceName(0)) && picked.contains(AyaatResourceName(11)));

    gMuteAll = 1;
    sound.clear();
    window->mnuAyaat[3]->trigger();
    window->mnuSuraRandom->trigger();
    window->mnuDuaAfterAthan->trigger();
    EXPECT_TRUE(sound.calls().isEmpty());
    EXPECT_EQ(sound.beeps(), 0);
}

TEST_F(Commands, DialogsOpenOnTheirPagesAndTheToolbarWaitsForThem) {
    const struct {
        const char* what;
        std::function<void()> command;
        const char* dialog;
        int page;
        bool toolbar;
    } cases[] = {
        {"menu prayer settings", [&] { window->mnuPrayerSettings->trigger(); }, "frmPrayerSettings",
         0, false},
        {"tray preferences", [&] { window->mnuPreferencesPopMenu->trigger(); }, "frmPreferences", 0,
         false},
        {"globe", [&] { window->picGlobe_MouseUp(vbLeftButton); }, "frmPrayerSettings", 0, false},
        {"Location", [&] { button("Location")->trigger(); }, "frmPrayerSettings", 0, true},
        {"Calculation", [&] { button("Calculation")->trigger(); }, "frmPrayerSettings", 1, true},
        {"Audio", [&] { button("Audio")->trigger(); }, "frmPreferences", 0, true},
        {"Other", [&] { button("Other")->trigger(); }, "frmPreferences", 1, true},
        {"Reminder", [&] { button("Reminder")->trigger(); }, "frmPreferences", 2, true},
    };
    for (const auto& c : cases) {
        int page = -1;
        toolbarWhileOpen = true;
        EXPECT_EQ(withDialog(c.command, &page), c.dialog) << c.what;
        EXPECT_EQ(page, c.page) << c.what;
        // Only a toolbar action holds the toolbar; it is back once the dialog closed.
        EXPECT_EQ(toolbarWhileOpen, !c.toolbar) << c.what;
        EXPECT_TRUE(window->tlbMain->isEnabled()) << c.what;
    }
    EXPECT_EQ(withDialog([&] { button("About")->trigger(); }), "frmSplash");
    EXPECT_EQ(withDialog([&] { window->mnuAbout->trigger(); }), "frmSplash");
}

TEST_F(Commands, ExitAsksFirstAndNoKeepsTheProgramRunning) {
    window->Show();
    window->mnuExit->trigger();
    ASSERT_EQ(prompts.size(), 1);
    EXPECT_EQ(prompts.first(), window->sExitQuestion);
    EXPECT_TRUE(Forms().contains(window.get()));
    EXPECT_TRUE(window->tmrMain->isActive());
}

TEST_F(Commands, HelpMenuGreysTheUpdateCheckWhenOffline) {
    network.state = platform::Reachability::Disconnected;
    emit window->mnuHelp->aboutToShow();
    EXPECT_FALSE(window->mnuCheckForUpdate->isEnabled());
    network.state = platform::Reachability::Online;
    emit window->mnuHelp->aboutToShow();
    EXPECT_TRUE(window->mnuCheckForUpdate->isEnabled());
}

TEST_F(Commands, CalendarButtonSwapsThePrimaryCalendarAndKeepsTheSelectedRows) {
    gDisplayHijraa = 0;
    window->tabMain->setCurrentIndex(1);
    window->lstMonthlyPrayerTimes->setCurrentRow(0);
    window->lstYearlyPrayerTimes->setCurrentRow(40);
    const QString before = window->lstYearlyPrayerTimes->item(40)->text();
    button("Calendar")->trigger();
    EXPECT_EQ(gDisplayHijraa, 1);
    EXPECT_EQ(stored("DisplayHijraa"), "1");
    EXPECT_EQ(window->lstMonthlyPrayerTimes->currentRow(), 0);
    EXPECT_EQ(window->lstYearlyPrayerTimes->currentRow(), 40);
    // The lists were filled again, now in the Hijri calendar.
    EXPECT_NE(window->lstYearlyPrayerTimes->item(40)->text(), before);
    button("Calendar")->trigger();
    EXPECT_EQ(gDisplayHijraa, 0);
    EXPECT_EQ(window->lstYearlyPrayerTimes->item(40)->text(), before);
    EXPECT_TRUE(window->tlbMain->isEnabled());
}

TEST_F(Commands, DisplayTogglesAreStoredAndComeBackAtTheNextStart) {
    gProgressBarSegment = 0;
    gCoordinateSystem = 0;
    gSliderTickStyle = 0;
    cProgressBar* bar = window->ProgressBars[0];
    // A bar at a tenth stays plain when segments are switched on; above a sixth it shows them.
    bar->SetMax(100);
    bar->SetValue(10);
    click(window->picNextPrayerIn[0], Qt::LeftButton);
    EXPECT_EQ(gProgressBarSegment, 1);
    EXPECT_FALSE(bar->Segments());
    click(window->picNextPrayerIn[0], Qt::LeftButton);
    bar->SetValue(50);
    click(window->picNextPrayerIn[1], Qt::LeftButton); // the status-bar copy does nothing
    EXPECT_EQ(gProgressBarSegment, 0);
    click(window->picNextPrayerIn[0], Qt::LeftButton);
    EXPECT_TRUE(bar->Segments());

    const QString bearing = window->lblQiblah->text();
    window->picQiblah_MouseUp(vbLeftButton);
    EXPECT_EQ(gCoordinateSystem, 1);
    const QString flipped = window->lblQiblah->text();
    EXPECT_NE(flipped, bearing);

    gMuteAll = 0;
    sound.clear();
    click(window->sldVolume, Qt::RightButton);
    EXPECT_EQ(gSliderTickStyle, 1);
    EXPECT_EQ(window->sldVolume->tickPosition(), QSlider::TicksBelow);
    EXPECT_EQ(sound.beeps(), 0);
    window->sldVolume_MouseUp(vbLeftButton);
    EXPECT_EQ(sound.beeps(), 1);
    gMuteAll = 1;
    window->sldVolume_MouseUp(vbLeftButton);
    EXPECT_EQ(sound.beeps(), 1);

    for (const char* name : {"ProgressBarSegment", "CoordinateSystem", "SliderTickStyle"})
        EXPECT_EQ(stored(name), "1") << name;
    // The next start reads them back and shows them.
    window.reset();
    gProgressBarSegment = gCoordinateSystem = gSliderTickStyle = 0;
    ASSERT_TRUE(LoadSettings());
    EXPECT_EQ(gProgressBarSegment, 1);
    EXPECT_EQ(gCoordinateSystem, 1);
    EXPECT_EQ(gSliderTickStyle, 1);
    window = std::make_unique<frmTallix>();
    window->RefreshPrayers();
    EXPECT_EQ(window->sldVolume->tickPosition(), QSlider::TicksBelow);
    EXPECT_EQ(window->lblQiblah->text(), flipped);
    EXPECT_TRUE(window->ProgressBars[0]->Segments() ||
                window->ProgressBars[0]->Value() * 100 <= 16 * window->ProgressBars[0]->Max());
}

TEST_F(Commands, TheTabIsStoredAndEachTabColoursTheStatusBar) {
    gColorFaceHighlight = 0x00336699;
    for (int tab : {1, 2, 0}) {
        window->tabMain->setCurrentIndex(tab);
        EXPECT_EQ(stored("SelectedTab"), QString::number(tab));
        EXPECT_EQ(gSelectedTab, tab);
        EXPECT_EQ(window->ProgressBars[1]->BarColor(),
                  tab == 2 ? std::int32_t(vbHighlight) : gColorFaceHighlight)
            << tab;
    }
    // A store that cannot be read back keeps the last value.
    registry.failQuery = true;
    window->tabMain->setCurrentIndex(1);
    EXPECT_EQ(gSelectedTab, 0);
}

// Every visible child inside its parent, and no two visible siblings overlapping.
void expectTidy(QWidget* parent, const std::string& where) {
    QList<QWidget*> kids;
    // The Kaaba picture at the needle's tip moves with the bearing.
    for (QObject* o : parent->children())
        if (auto* w = qobject_cast<QWidget*>(o);
            w && w->isVisibleTo(parent) && !w->isWindow() && w->objectName() != "imgKabaaDirection")
            kids << w;
    for (int i = 0; i < kids.size(); ++i) {
        QWidget* w = kids[i];
        EXPECT_TRUE(parent->rect().contains(w->geometry()))
            << where << ": " << w->objectName().toStdString() << " leaves "
            << parent->objectName().toStdString();
        for (int j = i + 1; j < kids.size(); ++j) {
            EXPECT_FALSE(kids[j]->geometry().intersects(w->geometry()))
                << where << ": " << kids[j]->objectName().toStdString() << " over "
                << w->objectName().toStdString();
        }
    }
}

TEST_F(Commands, LayoutInEveryCombinationOfTheToggles) {
    window->Show();
    int heights[2] = {};
    for (std::int16_t kaaba : {1, 0}) {
        for (std::int16_t hijri : {0, 1}) {
            for (int tab : {0, 1, 2}) {
                const std::string where = "kaaba " + std::to_string(kaaba) + ", hijri " +
                                          std::to_string(hijri) + ", tab " + std::to_string(tab);
                gDisplayKabaa = kaaba;
                gDisplayHijraa = hijri;
                window->RefreshPrayers();
                window->tabMain->setCurrentIndex(tab);
                window->ResizeForm();
                QApplication::processEvents();
                EXPECT_EQ(window->fraQiblah->isVisibleTo(window.get()), kaaba == 1 && tab == 0)
                    << where;
                // Menu, toolbar, tabs and status area stacked without gaps or overlaps.
                EXPECT_EQ(window->tlbMain->y(), window->mnuBar->geometry().bottom() + 1) << where;
                EXPECT_GT(window->tabMain->y(), window->tlbMain->geometry().bottom()) << where;
                EXPECT_GT(window->staMain->y(), window->tabMain->geometry().bottom()) << where;
                EXPECT_EQ(window->height(), window->staMain->geometry().bottom() + 1) << where;
                QWidget* page = window->tabMain->currentWidget();
                expectTidy(page, where);
                for (QObject* o : page->children())
                    if (auto* frame = qobject_cast<QGroupBox*>(o); frame && frame->isVisible())
                        expectTidy(frame, where);
                expectTidy(window->staMain, where);
                heights[kaaba] = window->height();
            }
        }
    }
    // Hiding the Qiblah panel takes its height and the gap above it off the window.
    EXPECT_EQ(heights[1] - heights[0], window->fraQiblah->height() + 6);
    // The toolbar's Kabaa button switches back and forth.
    gDisplayKabaa = 1;
    window->ResizeForm();
    button("Kabaa")->trigger();
    EXPECT_EQ(window->height(), heights[0]);
    EXPECT_EQ(stored("DisplayKabaa"), "0");
    button("Kabaa")->trigger();
    EXPECT_EQ(window->height(), heights[1]);
}

TEST_F(Commands, Screenshots) {
    const QString dir = QStringLiteral(TALLIX_BUILD_DIR "/screenshots");
    QDir().mkpath(dir);
    window->Show();
    window->tabMain->setCurrentIndex(0);
    for (std::int16_t kaaba : {1, 0}) {
        gDisplayKabaa = kaaba;
        window->ResizeForm();
        QApplication::processEvents();
        const QString name = kaaba ? QStringLiteral("mainwindow-all-panels")
                                   : QStringLiteral("mainwindow-no-qiblah");
        EXPECT_TRUE(window->grab().save(dir + u'/' + name + QStringLiteral(".png")));
    }
    gDisplayKabaa = 1;
    window->ResizeForm();
    window->tabMain->setCurrentIndex(1);
    QApplication::processEvents();
    EXPECT_TRUE(window->grab().save(dir + QStringLiteral("/mainwindow-monthly.png")));
    gDisplayKabaa = 0;
    window->ResizeForm();
    window->tabMain->setCurrentIndex(2);
    QApplication::processEvents();
    EXPECT_TRUE(window->grab().save(dir + QStringLiteral("/mainwindow-yearly-no-qiblah.png")));
    gDisplayKabaa = 1;
    window->ResizeForm();
    window->mnuFile->popup(window->mapToGlobal(QPoint(0, window->mnuBar->height())));
    window->mnuExportMonthlyPrayerTimes->popup(QPoint(0, 0));
    QApplication::processEvents();
    EXPECT_TRUE(window->mnuFile->grab().save(dir + QStringLiteral("/mainwindow-file-menu.png")));
    window->mnuFile->hide();
}

} // namespace
