// The main window's toolbar: its buttons, left to right, and what a click on each does.
#include "frmTallix.h"

#include "TabListBox.h"
#include "core/audio.h"
#include "core/frmSplash.h"
#include "core/mAPI.h"
#include "core/mMain.h"
#include "core/settings.h"
#include "platform/sysparams.h"
#include "prayersettings/frmPrayerSettings.h"
#include "preferences/frmPreferences.h"
#include "runtime/Interaction.h"
#include "runtime/ResStrings.h"

#include <QAction>
#include <QIcon>
#include <QPointer>
#include <QTabWidget>
#include <QToolBar>

void frmTallix::createToolbarButtons() {
    if (!tlbMain)
        return;
    tlbMain->setIconSize(QSize(24, 24));
    QAction* audioOn = tlbMainButton(QStringLiteral("AudioOn"));
    // Tooltip ids; 0: the layout's own text.
    const struct {
        const char* key;
        int tip;
        bool groupEnd;
    } buttons[] = {{"Lock", 96, false},  {"ScreenSaver", 386, true}, {"Export", 91, false},
                   {"Print", 410, true}, {"Location", 94, false},    {"Calculation", 95, true},
                   {"Audio", 92, false}, {"Other", 93, false},       {"Reminder", 0, true},
                   {"Kabaa", 88, false}, {"Calendar", 90, true}};
    for (const auto& b : buttons) {
        const QString key = QLatin1String(b.key);
        auto* button =
            new QAction(QIcon(QStringLiteral(":/toolbar/%1.png").arg(key)),
                        b.tip ? LoadResString(b.tip) : QStringLiteral("Reminders"), tlbMain);
        button->setObjectName(key);
        tlbMain->insertAction(audioOn, button);
        if (b.groupEnd)
            tlbMain->insertSeparator(audioOn);
    }
    for (const char* key : {"AudioOn", "AudioOff"})
        if (QAction* b = tlbMainButton(QLatin1String(key)))
            b->setText(LoadResString(89));
    tlbMain->addSeparator();
    QAction* about =
        tlbMain->addAction(QIcon(QStringLiteral(":/toolbar/About.png")), LoadResString(97));
    about->setObjectName(QStringLiteral("About"));
}

void frmTallix::tlbMain_ButtonClick(QAction* Button) {
    if (!Button || !tlbMain)
        return;
    // No second action while one runs, also not after a resize meanwhile.
    QPointer<frmTallix> self(this);
    ++ToolbarActionDepth;
    tlbMain->setEnabled(false);

    const QString key = Button->objectName();
    const auto settingsDialog = [](bool preferences, std::int16_t page) {
        gStartTab = page;
        DoEvents();
        if (preferences)
            ShowPreferencesDialog(page);
        else
            ShowPrayerSettings(page);
    };
    if (key == QLatin1String("Lock")) {
        LockWorkStationCommand();
    } else if (key == QLatin1String("ScreenSaver")) {
        StartScreenSaverCommand();
    } else if (key == QLatin1String("Export")) {
        tlbExport_Click();
    } else if (key == QLatin1String("Print")) {
        tlbPrint_Click();
    } else if (key == QLatin1String("Location")) {
        settingsDialog(false, 0);
    } else if (key == QLatin1String("Calculation")) {
        settingsDialog(false, 1);
    } else if (key == QLatin1String("Audio")) {
        settingsDialog(true, 0);
    } else if (key == QLatin1String("Other")) {
        settingsDialog(true, 1);
    } else if (key == QLatin1String("Reminder")) {
        settingsDialog(true, 2);
    } else if (key == QLatin1String("Kabaa")) {
        const std::int16_t shown = gDisplayKabaa == 1 ? 0 : 1;
        SaveToggleSetting(QStringLiteral("DisplayKabaa"), shown);
        gDisplayKabaa = shown;
        ResizeForm();
    } else if (key == QLatin1String("Calendar")) {
        const int monthlyRow = lstMonthlyPrayerTimes ? lstMonthlyPrayerTimes->currentRow() : -1;
        const int yearlyRow = lstYearlyPrayerTimes ? lstYearlyPrayerTimes->currentRow() : -1;
        const std::int16_t hijri = gDisplayHijraa == 1 ? 0 : 1;
        SaveToggleSetting(QStringLiteral("DisplayHijraa"), hijri);
        gDisplayHijraa = hijri;
        DoEvents();
        if (self) {
            RefreshPrayers();
            if (lstMonthlyPrayerTimes)
                lstMonthlyPrayerTimes->setCurrentRow(monthlyRow);
            if (lstYearlyPrayerTimes)
                lstYearlyPrayerTimes->setCurrentRow(yearlyRow);
            if (tabMain)
                tabMain->setFocus();
        }
    } else if (key == QLatin1String("AudioOn") || key == QLatin1String("AudioOff")) {
        if (!SetMuteAll(key == QLatin1String("AudioOn") ? 1 : 0) && self)
            ReportUnsavedSetting(QStringLiteral("MuteAll"));
    } else if (key == QLatin1String("About")) {
        ShowAboutBox();
    }

    // The window may have been closed from the tray while a dialog was up.
    if (!self)
        return;
    if (--ToolbarActionDepth == 0)
        tlbMain->setEnabled(true);
}
