// The main window's menus: the menu bar (File, Quran, Options, Help), the tray menu's items,
// and what each item does. The timetable items are wired with the timetable routines.
#include "frmTallix.h"

#include "core/audio.h"
#include "core/frmSplash.h"
#include "core/frmUpdate.h"
#include "core/kaaba.h"
#include "core/mAPI.h"
#include "core/mMain.h"
#include "core/settings.h"
#include "platform/sound.h"
#include "platform/sysparams.h"
#include "prayersettings/frmPrayerSettings.h"
#include "preferences/frmPreferences.h"
#include "runtime/App.h"
#include "runtime/Interaction.h"
#include "runtime/ResStrings.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>

namespace {

// The recitation captions by menu index: the ayaat, then the suras.
constexpr int kAyaatIds[12] = {17, 491, 492, 18, 19, 20, 21, 22, 23, 24, 25, 499};
constexpr int kSuraIds[12] = {70, 71, 72, 498, 73, 74, 75, 76, 77, 78, 79, 80};

QAction* item(QMenu* menu, const char* name, int id, const QKeySequence& shortcut = {}) {
    QAction* a = menu->addAction(LoadResString(id));
    a->setObjectName(QLatin1String(name));
    if (!shortcut.isEmpty())
        a->setShortcut(shortcut);
    return a;
}

QMenu* submenu(QWidget* owner, const char* name, int id) {
    auto* m = new QMenu(LoadResString(id), owner);
    m->setObjectName(QLatin1String(name));
    return m;
}

} // namespace

void frmTallix::createMenuControls() {
    mnuBar = new QMenuBar(this);
    mnuBar->setObjectName(QStringLiteral("mnuBar"));
    mnuBar->setNativeMenuBar(false);

    // File: export and print (their month items come with the date names), lock, saver, exit.
    mnuFile = mnuBar->addMenu(LoadResString(28));
    mnuFile->setObjectName(QStringLiteral("mnuFile"));
    mnuExportMonthlyPrayerTimes = submenu(this, "mnuExportMonthlyPrayerTimes", 65);
    mnuPrintMonthlyPrayerTimes = submenu(this, "mnuPrintMonthlyPrayerTimes", 409);
    const auto calendars = [](QMenu* parent, QMenu* gregorian, QMenu* hijri, const char* gName,
                              const char* hName) {
        gregorian->setTitle(LoadResString(29));
        gregorian->setObjectName(QLatin1String(gName));
        hijri->setTitle(LoadResString(32));
        hijri->setObjectName(QLatin1String(hName));
        parent->addMenu(gregorian);
        parent->addMenu(hijri);
    };
    calendars(mnuExportMonthlyPrayerTimes, mnuExportGregorian, mnuExportHijri, "mnuExportGregorian",
              "mnuExportHijri");
    calendars(mnuPrintMonthlyPrayerTimes, mnuPrintGregorian, mnuPrintHijri, "mnuPrintGregorian",
              "mnuPrintHijri");
    mnuFile->addMenu(mnuExportMonthlyPrayerTimes);
    mnuFile->addMenu(mnuPrintMonthlyPrayerTimes);
    mnuFile->addSeparator();
    mnuLockWorkStation =
        item(mnuFile, "mnuLockWorkStation", 35, QKeySequence(Qt::CTRL | Qt::Key_L));
    mnuScreenSaver = item(mnuFile, "mnuScreenSaver", 385, QKeySequence(Qt::CTRL | Qt::Key_V));
    mnuFile->addSeparator();
    mnuExit = item(mnuFile, "mnuExit", 27);
    connect(mnuLockWorkStation, &QAction::triggered, this, &frmTallix::mnuLockWorkStation_Click);
    connect(mnuScreenSaver, &QAction::triggered, this, &frmTallix::mnuScreenSaver_Click);
    connect(mnuExit, &QAction::triggered, this, &frmTallix::mnuExit_Click);

    // Quran: the recitations, each list with a random pick, and the supplication.
    const auto recitations = [this](QMenu* ayaatMenu, std::array<QAction*, 12>& ayaat,
                                    QAction*& ayaatRandom, QMenu* surasMenu,
                                    std::array<QAction*, 12>& suras, QAction*& suraRandom,
                                    const QString& suffix) {
        for (std::int16_t i = 0; i < 12; ++i) {
            ayaat[i] = ayaatMenu->addAction(LoadResString(kAyaatIds[i]));
            ayaat[i]->setObjectName(QStringLiteral("mnuAyaat%1%2").arg(suffix).arg(i));
            connect(ayaat[i], &QAction::triggered, this, [this, i] { mnuAyaat_Click(i); });
            suras[i] = surasMenu->addAction(LoadResString(kSuraIds[i]));
            suras[i]->setObjectName(QStringLiteral("mnuSura%1%2").arg(suffix).arg(i));
            connect(suras[i], &QAction::triggered, this, [this, i] { mnuSura_Click(i); });
        }
        ayaatMenu->addSeparator();
        ayaatRandom = ayaatMenu->addAction(LoadResString(26));
        ayaatRandom->setObjectName(QStringLiteral("mnuAyaatRandom") + suffix);
        connect(ayaatRandom, &QAction::triggered, this, &frmTallix::mnuAyaatRandom_Click);
        surasMenu->addSeparator();
        suraRandom = surasMenu->addAction(LoadResString(81));
        suraRandom->setObjectName(QStringLiteral("mnuSuraRandom") + suffix);
        connect(suraRandom, &QAction::triggered, this, &frmTallix::mnuSuraRandom_Click);
    };
    mnuQuranMain = mnuBar->addMenu(LoadResString(66));
    mnuQuranMain->setObjectName(QStringLiteral("mnuQuranMain"));
    mnuSelectedAyaat = submenu(this, "mnuSelectedAyaat", 67);
    mnuSelectedSuras = submenu(this, "mnuSelectedSuras", 68);
    mnuDuas = submenu(this, "mnuDuas", 495);
    recitations(mnuSelectedAyaat, mnuAyaat, mnuAyaatRandom, mnuSelectedSuras, mnuSura,
                mnuSuraRandom, QString());
    mnuQuranMain->addMenu(mnuSelectedAyaat);
    mnuQuranMain->addMenu(mnuSelectedSuras);
    mnuQuranMain->addMenu(mnuDuas);
    mnuDuaAfterAthan = item(mnuDuas, "mnuDuaAfterAthan", 496);
    connect(mnuDuaAfterAthan, &QAction::triggered, this, &frmTallix::mnuDuaAfterAthan_Click);

    // Options: four stored switches, then the two settings dialogs.
    mnuOptions = mnuBar->addMenu(LoadResString(61));
    mnuOptions->setObjectName(QStringLiteral("mnuOptions"));
    const auto option = [this](const char* name, int id, std::int16_t setting,
                               void (frmTallix::*handler)()) {
        QAction* a = item(mnuOptions, name, id);
        a->setCheckable(true);
        a->setChecked(setting == 1);
        connect(a, &QAction::triggered, this, handler);
        return a;
    };
    mnuAlwaysOnTop = option("mnuAlwaysOnTop", 16, gAlwaysOnTop, &frmTallix::mnuAlwaysOnTop_Click);
    mnuHideWhenMinimized = option("mnuHideWhenMinimized", 31, gHideWhenMinimized,
                                  &frmTallix::mnuHideWhenMinimized_Click);
    mnuLaunchMinimized =
        option("mnuLaunchMinimized", 33, gLaunchMinimized, &frmTallix::mnuLaunchMinimized_Click);
    mnuLaunchOnStartup =
        option("mnuLaunchOnStartup", 34, gLaunchOnStartup, &frmTallix::mnuLaunchOnStartup_Click);
    mnuOptions->addSeparator();
    mnuPrayerSettings =
        item(mnuOptions, "mnuPrayerSettings", 62, QKeySequence(Qt::CTRL | Qt::Key_S));
    mnuPreferences = item(mnuOptions, "mnuPreferences", 64, QKeySequence(Qt::CTRL | Qt::Key_P));
    connect(mnuPrayerSettings, &QAction::triggered, this, &frmTallix::mnuPrayerSettings_Click);
    connect(mnuPreferences, &QAction::triggered, this, &frmTallix::mnuPreferences_Click);

    // Help: the update check (greyed without a connection) and About.
    mnuHelp = mnuBar->addMenu(LoadResString(30));
    mnuHelp->setObjectName(QStringLiteral("mnuHelp"));
    connect(mnuHelp, &QMenu::aboutToShow, this, &frmTallix::mnuHelp_Click);
    if (mnuCheckForUpdate) {
        // One handler only: the item may have come with one already.
        disconnect(mnuCheckForUpdate, &QAction::triggered, this, nullptr);
        mnuCheckForUpdate->setText(LoadResString(401));
        mnuHelp->addAction(mnuCheckForUpdate);
        connect(mnuCheckForUpdate, &QAction::triggered, this, &frmTallix::mnuCheckForUpdate_Click);
    }
    mnuHelp->addSeparator();
    mnuAbout = item(mnuHelp, "mnuAbout", 15);
    connect(mnuAbout, &QAction::triggered, this, &frmTallix::mnuAbout_Click);

    // The tray menu in its order: Pray Now, the dialogs, the Quran, sound, the window, Exit.
    if (!mPopupSys)
        return;
    mnuPrayerSettingsPopup = new QAction(LoadResString(62), mPopupSys);
    mnuPrayerSettingsPopup->setObjectName(QStringLiteral("mnuPrayerSettingsPopup"));
    connect(mnuPrayerSettingsPopup, &QAction::triggered, this, &frmTallix::mnuPrayerSettings_Click);
    mnuPreferencesPopMenu = new QAction(LoadResString(64), mPopupSys);
    mnuPreferencesPopMenu->setObjectName(QStringLiteral("mnuPreferencesPopMenu"));
    connect(mnuPreferencesPopMenu, &QAction::triggered, this, &frmTallix::mnuPreferences_Click);
    mnuQuranMainPopup = submenu(mPopupSys, "mnuQuranMainPopup", 66);
    mnuSelectedAyaatPopup = submenu(mnuQuranMainPopup, "mnuSelectedAyaatPopup", 67);
    mnuSelectedSurasPopup = submenu(mnuQuranMainPopup, "mnuSelectedSurasPopup", 68);
    recitations(mnuSelectedAyaatPopup, mnuAyaatPopup, mnuAyaatRandomPopup, mnuSelectedSurasPopup,
                mnuSuraPopup, mnuSuraRandomPopup, QStringLiteral("Popup"));
    mnuQuranMainPopup->addMenu(mnuSelectedAyaatPopup);
    mnuQuranMainPopup->addMenu(mnuSelectedSurasPopup);
    mnuStopAthanPopup = new QAction(LoadResString(69), mPopupSys);
    mnuStopAthanPopup->setObjectName(QStringLiteral("mnuStopAthanPopup"));
    connect(mnuStopAthanPopup, &QAction::triggered, this, &frmTallix::mnuStopAthanPopup_Click);
    if (mnuPrayNow) {
        disconnect(mnuPrayNow, &QAction::triggered, this, nullptr);
        connect(mnuPrayNow, &QAction::triggered, this, &frmTallix::mnuPrayNow_Click);
    }

    for (QAction* a : mPopupSys->actions())
        mPopupSys->removeAction(a);
    const auto add = [this](QAction* a) {
        if (a)
            mPopupSys->addAction(a);
    };
    add(mnuPrayNow);
    mPopupSys->addSeparator();
    add(mnuPrayerSettingsPopup);
    add(mnuPreferencesPopMenu);
    mPopupSys->addSeparator();
    mPopupSys->addMenu(mnuQuranMainPopup);
    add(mnuMuteAll);
    add(mnuStopAthanPopup);
    add(mPopRestore);
    mPopupSys->addSeparator();
    add(mPopExit);
    add(mPopAbout);
    if (mnuPrayNow)
        mPopupSys->setDefaultAction(mnuPrayNow);
}

bool frmTallix::SaveToggleSetting(const QString& name, std::int16_t value) {
    if (RegSetString(kSettingsKey, name, value == 1 ? QStringLiteral("1") : QStringLiteral("0")))
        return true;
    ReportUnsavedSetting(name);
    return false;
}

void frmTallix::ReportUnsavedSetting(const QString& name) {
    MsgBox(QStringLiteral("The setting \"%1\" could not be saved to the settings file. The "
                          "change holds until Tallix Time ends.\r\n\r\nCheck that the settings "
                          "folder can be written to, then choose the command again.")
               .arg(name),
           vbExclamation, App.Title);
}

void frmTallix::toggleOption(QAction* item, std::int16_t& setting, const QString& name) {
    const std::int16_t on = setting == 0 ? 1 : 0;
    if (item == mnuAlwaysOnTop)
        SetTopMost(hWnd(), on == 1);
    if (item == mnuLaunchOnStartup && !SetRunAtStartup(on == 1))
        ReportUnsavedSetting(kRunValueName);
    SaveToggleSetting(name, on);
    setting = on;
    if (item)
        item->setChecked(on == 1);
}

void frmTallix::mnuAlwaysOnTop_Click() {
    toggleOption(mnuAlwaysOnTop, gAlwaysOnTop, QStringLiteral("AlwaysOnTop"));
}

void frmTallix::mnuHideWhenMinimized_Click() {
    toggleOption(mnuHideWhenMinimized, gHideWhenMinimized, QStringLiteral("HideWhenMinimized"));
}

void frmTallix::mnuLaunchMinimized_Click() {
    toggleOption(mnuLaunchMinimized, gLaunchMinimized, QStringLiteral("LaunchMinimized"));
}

void frmTallix::mnuLaunchOnStartup_Click() {
    toggleOption(mnuLaunchOnStartup, gLaunchOnStartup, QStringLiteral("LaunchOnStartup"));
}

// Both commands ask the desktop without waiting for it: the answer comes while the window
// goes on ticking, and only a refusal is told.
void frmTallix::StartScreenSaverCommand() {
    StartScreenSaver([self = QPointer<frmTallix>(this)](bool started) {
        if (started || !self)
            return;
        MsgBox(QStringLiteral("The screen saver could not be started: the desktop offers none "
                              "that Tallix Time can start, or it refused."),
               vbExclamation, App.Title);
    });
}

void frmTallix::LockWorkStationCommand() {
    LockWorkStation([self = QPointer<frmTallix>(this)](bool locked, const QString&) {
        if (locked || !self)
            return;
        MsgBox(QStringLiteral("The session could not be locked: neither the desktop's screen "
                              "locker nor the login manager would lock it."),
               vbExclamation, App.Title);
    });
}

void frmTallix::mnuLockWorkStation_Click() {
    LockWorkStationCommand();
}

void frmTallix::mnuScreenSaver_Click() {
    StartScreenSaverCommand();
}

void frmTallix::mnuExit_Click() {
    // The exit question comes first; No keeps everything running.
    Unload();
}

void frmTallix::mnuAyaat_Click(std::int16_t Index) {
    PlayAyaat(Index, 0);
}

void frmTallix::mnuAyaatRandom_Click() {
    PlayAyaat(Random(0, 11), 0);
}

void frmTallix::mnuSura_Click(std::int16_t Index) {
    PlaySura(Index, 0);
}

void frmTallix::mnuSuraRandom_Click() {
    PlaySura(Random(0, 11), 0);
}

void frmTallix::mnuDuaAfterAthan_Click() {
    if (gMuteAll != 0)
        return;
    if (!PlaySoundA(QStringLiteral("DUA"), App.hInstance, kResourcePlayFlags))
        PlayFallbackBeep();
}

void frmTallix::mnuPrayerSettings_Click() {
    gStartTab = 0;
    DoEvents();
    ShowPrayerSettings(0);
}

void frmTallix::mnuPreferences_Click() {
    gStartTab = 0;
    DoEvents();
    ShowPreferencesDialog(0);
}

void frmTallix::mnuHelp_Click() {
    if (mnuCheckForUpdate)
        mnuCheckForUpdate->setEnabled(IsInternetConnected());
}

void frmTallix::mnuCheckForUpdate_Click() {
    DoEvents();
    ShowUpdateCheck();
}

void frmTallix::mnuAbout_Click() {
    ShowAboutBox();
}

void frmTallix::mnuPrayNow_Click() {
    if (gPlatformId == 1 || gSecurityType == 1)
        StartScreenSaverCommand();
    else if (gSecurityType == 0)
        LockWorkStationCommand();
}

void frmTallix::mnuStopAthanPopup_Click() {
    PlaySoundA(QString(), 0, 0);
}
