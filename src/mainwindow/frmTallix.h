#pragma once
// The main window. Its behaviour is spread over frmTallix_<area>.cpp files, one per area; the
// members below are grouped the same way.
#include "core/clsToolTip.h"
#include "platform/tray.h"
#include "prayerlib/tallixtime.h"
#include "runtime/FileListBox.h"
#include "runtime/Form.h"
#include "runtime/ImageControl.h"
#include "runtime/PictureBox.h"

#include <QDate>
#include <array>
#include <cstdint>

class QAction;
class QMenu;
class QToolBar;
class QTimer;

class frmTallix : public Form {
    Q_OBJECT
public:
    explicit frmTallix(QWidget* parent = nullptr);

    // ---- prayer computation ----
    // Fills both records from the settings; Location.Dst is left as the caller set it.
    void GetCalculationParameters(Location& loc, CalcMethod& conf);
    static double HalfDegrees(std::int16_t n);
    static std::int16_t IntervalMinutes(std::int16_t n);
    // One day's times under the library's calling contract, for every caller (today's times,
    // the lists, the timetables): the day's daylight-saving offset goes with every call, and
    // each result is copied into times[slot] for the slots firstSlot..6. The whole hours of the
    // offset travel in Location.Dst and a remaining half hour is added to the times found.
    // False when the library could not be called (Err tells why; those slots keep their
    // contents).
    bool CalculatePrayerTimes(const QDate& day, Location& loc, CalcMethod& conf,
                              PrayerTime (&times)[7], int firstSlot = 0);

    // ---- date names ----
    // Fills the month and weekday name tables from the string table (in lower case when the
    // locale writes its names so) and the month items of the export and print submenus.
    void TranslateDateNames();
    // File menu submenus and their month items 1..12 (item 0 is never created).
    class QMenu* mnuExportGregorian = nullptr;
    class QMenu* mnuExportHijri = nullptr;
    class QMenu* mnuPrintGregorian = nullptr;
    class QMenu* mnuPrintHijri = nullptr;
    class QAction* mnuExportMonthGregorian[13] = {};
    class QAction* mnuExportMonthHijri[13] = {};
    class QAction* mnuPrintMonthGregorian[13] = {};
    class QAction* mnuPrintMonthHijri[13] = {};

private:
    void initDateNames();
    bool IsMonthNameCapitalized();
    bool IsWeekdayNameCapitalized();

public:
    // ---- sound, mute, tray icon and Kaaba pictures ----
    FileListBox flbMain;                  // hidden: lists the user's sound and picture folders
    std::array<Image*, 6> imgIconKabaa{}; // hidden tray icon pictures (0 normal, 2 muted...)
    ImageList imgKabaaList;               // the 33 built-in Kaaba pictures, 1..33
    Image* imgKabaa = nullptr;            // the Kaaba picture shown in the window
    QToolBar* tlbMain = nullptr;          // buttons keyed by their object names
    QMenu* mPopupSys = nullptr;           // the tray popup menu
    QAction* mnuMuteAll = nullptr;
    NOTIFYICONDATA gTrayIconData; // the tray record of the window's icon

    // The toolbar button with the key; nullptr when there is none.
    QAction* tlbMainButton(const QString& key) const;
    void mnuMuteAll_Click();
    void tlbMain_ButtonClick(QAction* Button);
    void imgKabaa_MouseUp(int Button, int Shift, float X, float Y);
    void createSoundControls();

    // ---- clock face, tooltips, fonts and system queries ----
    // The analog clock in the window's top-left corner, its hands drawn on it.
    PictureBox* picClock = nullptr;
    LineShape* LH = nullptr;
    LineShape* LM = nullptr;
    LineShape* LS = nullptr;
    // The window's tooltips: multi-line, up to 30 seconds.
    clsToolTip ttMain;
    // Redraws the clock: its face in gColorFace, the hands in gColorHands and gColorSeconds,
    // standing at the current time.
    void DrawClock();
    // Puts the hands at the time. The hour hand stands on whole hours only: h + m / 60 rounded,
    // a half to the even hour.
    void SetClockHands(std::int16_t h, std::int16_t m, std::int16_t s);
    // A left click opens the desktop's date-and-time settings.
    void picClock_MouseUp(int Button, int Shift, double X, double Y);

private:
    void createClockControls();

public:
    // ---- AWAITING-DAY: members of the day's share, here until it is merged ----
    QTimer* tmrMain = nullptr;
    QTimer* tmrFlash = nullptr;
    std::int16_t TrayFlashKind = 0;
    QString ReminderMessage;
    bool UpdateCurrentTime();
    void RefreshPrayers();
    QString sVolumeText = QStringLiteral("Volume"), sMutedText = QStringLiteral("(muted)");
    QString sAppTitle, sReminderTitle;
    std::array<QString, 7> sAthanMessage, sReminderBeforeText, sReminderAfterText;
    // ---- end AWAITING-DAY ----

    // ---- life: start-up and close, tray, flashing, alert scheduler, volume ----
    // (frmTallix_life.cpp, frmTallix_tray.cpp, frmTallix_scheduler.cpp, frmTallix_status.cpp)
    QTimer* tmrCounter = nullptr;       // counts the seconds of tray flashing
    bool FlashPhase = false;            // the flash picture is up
    std::int16_t LastEventCode = 0;     // the last due event acted upon; 0 none
    QAction* mnuPrayNow = nullptr;      // the tray menu's default item
    QAction* mPopRestore = nullptr;
    QAction* mPopAbout = nullptr;
    QAction* mPopExit = nullptr;
    QAction* mnuCheckForUpdate = nullptr;
    QAction* mnuScreenSaver = nullptr;  // created with the menu bar; may be missing
    Image* picVolume = nullptr;         // speaker picture in the status area
    class QSlider* sldVolume = nullptr; // volume 0..100 % of VolumeMax
    std::array<StdPicture, 2> imgIconVolume; // speaker, muted speaker
    bool VolumeAvailable = false;
    LONG VolumeMax = 65535;
    bool LastMuted = false;

    // Tray flashing.
    void StartTrayFlash();
    void tmrFlash_Timer();
    void tmrCounter_Timer();
    // Brings the window back from the tray or the task bar, in front.
    void RestoreFromTray();
    // Opens the menu at the pointer with its default item in bold.
    void PopupMenu(QMenu* menu, QAction* defaultItem);

    // The alert scheduler.
    std::int16_t GetDueEvent();
    void AthanNotify();
    void ReminderNotify(bool bBefore);
    void UnloadDialogs();

    // Status area and volume.
    void EnablePrayNow();
    void RefreshVolume();
    void HideVolumePanel();
    void StartVolume();
    void picVolume_MouseUp(int Button);
    void sldVolume_Scroll();

    // What a clock, zone or settings change, a colour change and a resume from sleep redo
    // (the main window's procedure calls them).
    void SystemChanged();
    void ColorsChanged();
    void ResumedFromSleep();
    // Unloads the window as at the end of the session: no question.
    void EndSession();

    void Form_Activate();
    void Form_Resize();

protected:
    void Form_Load() override;
    void Form_QueryUnload(int* cancel, int unloadMode) override;
    void Form_Unload(int* cancel) override;
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void createLifeControls();
    void createVolumeControls();
    void actDueEvent(std::int16_t code);
    void playReminderSound();
    void showForAnnouncement();

public:

private:
    void placeControls();
};

// The one main window of the process, while it exists.
frmTallix* MainWindow();
