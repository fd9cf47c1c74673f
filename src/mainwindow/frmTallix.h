#pragma once
// The main window. Its behaviour is spread over frmTallix_<area>.cpp files, one per area; the
// members below are grouped the same way.
#include "calendar/timetable.h"
#include "core/clsToolTip.h"
#include "platform/dde.h"
#include "platform/tray.h"
#include "prayerlib/tallixtime.h"
#include "runtime/Clock.h"
#include "runtime/FileListBox.h"
#include "runtime/Form.h"
#include "runtime/ImageControl.h"
#include "runtime/PictureBox.h"
#include "runtime/VBDate.h"

#include <QDate>
#include <QDateTime>
#include <QStringList>
#include <QTimer>
#include <array>
#include <cstdint>
#include <optional>

class QAction;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QScrollBar;
class QTabWidget;
class QTimer;
class QToolBar;
class TabListBox;
class cProgressBar;

class frmTallix : public Form {
    Q_OBJECT
public:
    explicit frmTallix(QWidget* parent = nullptr);

    // ---- data server (frmTallix_dde.cpp) ----
    // Starts the server of service and topic "TallixTime"; it registers the service unless
    // another server already answers it. A running server is stopped first. True when the
    // service is served afterwards (by this server or the other one).
    virtual bool InitializeDDE();
    // Why the data server did not start, in words for the message that tells the user.
    static QString DataServerTrouble();
    // Stops the server and its advise timer.
    virtual void UninitializeDDE();
    // Answers the server's transactions: connections, advise starts and data for the fourteen
    // items, from what the window shows now.
    HDDEDATA HandleDDECallback(UINT uType, UINT uFmt, HCONV hConv, HSZ hsz1, HSZ hsz2,
                               HDDEDATA hData, DWORD dwData1, DWORD dwData2);
    // Pushes fresh data to every open advise link.
    void tmrDDE_Timer();
    QTimer tmrDDE; // the advise rate; runs once an advise loop started
    DWORD DdeInstance = 0;
    HSZ hszService = 0;
    HSZ hszTopic = 0;
    HSZ hszAdviseItem = 0;
    bool ServiceRegistered = false;
    bool AdviseActive = false;

private:
    void createDdeControls();
    // The reply to the item (already in upper case and trimmed); nullopt for no data.
    std::optional<QString> DdeReplyText(const QString& item);

public:
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
    // Puts the hands at the time; the hour hand stands at h + m / 60.
    void SetClockHands(std::int16_t h, std::int16_t m, std::int16_t s);
    // A left click opens the desktop's date-and-time settings.
    void picClock_MouseUp(int Button, int Shift, double X, double Y);

private:
    void createClockControls();

public:
    // ---- today's times (frmTallix_today.cpp) ----
    // Refreshes the window for the day whose prayers are under way (ShownDayAt of now).
    void RefreshPrayers();
    // The day the window shows at a moment: the first of yesterday and today whose last time
    // (Ishaa, also when it falls after midnight) is still to come; else tomorrow. A day
    // without any time is today.
    Date ShownDayAt(const QDateTime& when);
    // Computes and shows the day: the six panels, current and next prayer, Qiblah, lists.
    void RefreshPrayerTimes(const Date& dtDate);
    // The six times of a computed day in seconds from the start of that day, each placed on
    // the day it belongs to: a time the day's Dhuhr precedes comes after it (Ishaa after
    // midnight past 86400), Fajr and Shurooq before it (a Fajr moved into the evening before
    // is negative). nullopt for a slot without a time. Slot 0 is left empty.
    static std::array<std::optional<int>, 7> DaySeconds(const PrayerTime (&times)[7]);
    // One day's six adjusted times, as the window shows them; false when the library failed
    // (those slots hold "no time").
    bool ComputeDay(const QDate& day, PrayerTime (&times)[7]);
    // Tells the user why the prayer library could not be used, once for each reason (after
    // the refresh); a refresh that computed forgets the reason.
    void TellPrayerLibraryTrouble(bool computed);
    QString PrayerLibraryTrouble; // the reason last told; "" while the library works
    // Moves pt by n minutes, wrapping through midnight; a "no time" mark (99) stays as it is.
    static void AddMinutesToPrayer(PrayerTime& pt, std::int16_t n);
    // The user's minute adjustments of one slot, in place (call in ascending slot order).
    static void ApplyPrayerAdjustments(PrayerTime (&times)[7], std::int16_t slot);
    // Texts of a time: short (lists; "*" for an extreme time, "99:99" for none), medium
    // (12-hour, "99:99 PM" for none) and long (gTimeFormat, "99:99:99 PM" for none).
    static QString FormatPrayerTime(const PrayerTime& pt);
    static QString FormatPrayerTimeMedium(const PrayerTime& pt);
    static QString FormatPrayerTimeLong(const PrayerTime& pt);
    // Shows the time on the slot's label and dial ("N/A" and 12:00:00 when there is none).
    void DrawPrayerDial(const PrayerTime& pt, std::int16_t idx);
    void HighlightPrayer(std::int16_t slot);

    std::array<QGroupBox*, 7> fraPrayer{};
    // The shown times: the labels show them as text in the user's format; every reader (next
    // prayer, countdown, bars, caption, reminders, alerts) takes them from PrayerSeconds, in
    // seconds from the start of dtShownDate (DaySeconds), never from the text.
    std::array<QLabel*, 7> lblPrayer{};
    std::array<std::optional<int>, 7> PrayerSeconds{};
    std::optional<int> PreviousIshaaSeconds; // the Ishaa before the shown day's Fajr
    std::array<PictureBox*, 7> picPrayer{};
    std::array<LineShape*, 7> LHP{};
    std::array<LineShape*, 7> LMP{};
    std::array<LineShape*, 7> LSP{};
    QLineEdit* txtPrayerTime = nullptr;       // the highlight box over the current prayer's time
    std::optional<int> ReminderBeforeSeconds; // next reminder before the coming prayer
    std::optional<int> ReminderAfterSeconds;  // next reminder after the current prayer
    Date dtShownDate;                         // the day the panels show

    // ---- next prayer and time arithmetic (frmTallix_next.cpp) ----
    // Whole seconds of a moment from the start of the shown day (wall clock).
    int SecondsIntoShownDay(const QDateTime& when) const;
    // Slot 1..6 of the next prayer: the shown time that comes first after the current second
    // (a slot's time a day later once it has passed). -1 when no slot has a time.
    std::int16_t GetNextPrayer();
    // A slot's time at its next coming after the second `now`, or at its last coming at or
    // before it (the Ishaa of the evening before the shown day, for slot 6); seconds of the
    // shown day, nullopt for a slot without a time.
    std::optional<int> NextComing(std::int16_t slot, int now) const;
    std::optional<int> LastComing(std::int16_t slot, int now) const;
    // Whole clock minutes from one moment to a later one (through midnight); 0 without both.
    static std::int32_t MinutesBetween(std::optional<int> from, std::optional<int> to);
    // The local moment of a shown value: the shown day's date and clock time (a value past
    // 86400 on a later date). Invalid where the clock skips that time, or before a day is shown.
    QDateTime ShownMoment(int seconds) const;
    // Seconds the clock jumps from one shown value to a later one: 3600 across a night the clock
    // goes forward, -3600 across one it goes back, 0 otherwise or where the clock skips either
    // time. `at`, when valid, is the moment `from` was read from (which of a repeated hour).
    int ClockJumpBetween(int from, int to, const QDateTime& at = QDateTime()) const;
    // The local zone's offset from UTC at a shown value; nullopt where the clock skips it. The
    // last answer is kept until the value, the shown day or the zone changes.
    std::optional<int> ShownOffset(int seconds) const;
    struct CachedOffset {
        QDate day;
        int seconds = 0;
        std::optional<int> offset;
    };
    mutable std::optional<CachedOffset> ShownOffsetCache;
    // Real time from one shown value to a later one: the clock distance less the jump between
    // them; whole minutes as MinutesBetween counts them, or seconds. 0 without both.
    std::int32_t ElapsedMinutes(std::optional<int> from, std::optional<int> to,
                                const QDateTime& at = QDateTime()) const;
    int ElapsedSeconds(int from, int to, const QDateTime& at = QDateTime()) const;
    // "2h05min" of the real time between them; "" without both.
    QString TimeBetween(std::optional<int> from, std::optional<int> to,
                        const QDateTime& at = QDateTime()) const;
    // "H:MM:SS" in whole seconds through midnight; "" without both.
    static QString TimeRemaining(std::optional<int> from, std::optional<int> to);
    // "H:MM:SS" of a number of seconds, wrapped through midnight into one day.
    static QString TimeOfDayText(int seconds);

    // ---- Qiblah (frmTallix_qiblah.cpp) ----
    double dQiblahBearing = 0;
    bool QiblahKnown = true; // false while the library gives no bearing: "N/A", no needle
    QGroupBox* fraQiblah = nullptr;
    PictureBox* picQiblah = nullptr;
    LineShape* LQ = nullptr;
    Image* imgKabaaDirection = nullptr;
    QWidget* picQiblahLabel = nullptr;
    QLabel* lblQiblah = nullptr;
    std::array<QLabel*, 4> lblCompass{}; // lblNorth, lblEast, lblSouth, lblWest
    void UpdateQiblahLabel();
    void DrawQiblah(Location& loc);

    // ---- lists (frmTallix_lists.cpp) ----
    QTabWidget* tabMain = nullptr;
    QGroupBox* fraToday = nullptr;
    QGroupBox* fraMonthly = nullptr;
    QGroupBox* fraYearly = nullptr;
    std::array<TabListBox*, 2> lstTitle{};
    TabListBox* lstMonthlyPrayerTimes = nullptr;
    TabListBox* lstYearlyPrayerTimes = nullptr;
    QWidget* picLocation = nullptr;
    QLabel* lblLocation = nullptr;
    Image* picGlobe = nullptr;
    void FillPrayerLists(const Date& dtDate, Location& loc, CalcMethod& conf);
    // A list row: the date column, then the six times, separated by tabs.
    QString PrayerListRow(const Date& day, const PrayerTime (&times)[7]) const;

    // ---- window texts (frmTallix_texts.cpp) ----
    void TranslateForm();
    QString sAppTitle, sReminderTitle, sDhuhr, sDhuhrJomaa;
    std::array<QString, 7> sWindowCaption;
    QString sClockwiseNorth, sCounterClockwiseNorth;
    std::array<QString, 7> sCountdownPrefix;
    QString sHourSymbol, sMinuteSymbol, sMinuteAbbrev, sSecondSymbol, sNotAvailable;
    std::array<QString, 7> sPrayerDescription;
    QString sExtremeLatitudeNote;
    std::array<QString, 7> sTrayTipPrefix;
    std::array<QString, 7> sAthanMessage;
    std::array<QString, 7> sReminderBeforeText;
    std::array<QString, 7> sReminderAfterText;
    QString sExitQuestion, sTextFileFilter, sScheduleTitle, sVolumeText, sMutedText;
    QString sTimeRemainingText, sNorth, sEast, sSouth, sWest;

    // ---- clock tick, countdown and progress bars (frmTallix_tick.cpp) ----
    QGroupBox* fraClock = nullptr;
    QLabel* lblTime = nullptr;
    QGroupBox* fraNextPrayerIn = nullptr;
    QLabel* lblNextPrayerIn = nullptr;
    std::array<QWidget*, 2> picNextPrayerIn{};
    std::array<cProgressBar*, 3> ProgressBars{}; // 0 and 1 are used
    QWidget* staMain = nullptr;                  // the status area along the bottom
    runtime::SecondTimer* tmrMain = nullptr;     // wakes at each new wall-clock second
    QTimer* tmrFlash = nullptr;                  // runs while the tray icon flashes
    QString ReminderMessage;
    std::int16_t TrayFlashKind = 0;
    // The per-second refresh: tray tip, then (normal window state only) clock, countdown and
    // bars. False when only the tray tip was refreshed.
    bool UpdateCurrentTime();
    void RefreshProgressBars();
    void SetTrayTip(const QString& tip);
    void tmrMain_Timer();

    // ---- timetables: export and printing (src/calendar/timetable_*.cpp) ----
    // A month (1..12) or the whole current year of a calendar (0 Gregorian, 1 Hijri), as text
    // pages written to a file the user names, or printed.
    void ExportMonthPrayerTimes(std::int16_t calendar, std::int16_t month);
    void ExportYearPrayerTimes(std::int16_t calendar);
    void PrintMonthPrayerTimes(std::int16_t calendar, std::int16_t month);
    void PrintYearPrayerTimes(std::int16_t calendar);
    // The 63 lines of the page of a month of the current year of the calendar; nullopt when
    // the prayer library could not be called (Err tells why). Columns are as wide as their
    // widest entry; a page whose day lines would be wider than widthCells (0: no limit) has
    // its times on the 24-hour clock and says so in its heading.
    std::optional<QStringList> TimetablePage(std::int16_t calendar, std::int16_t month,
                                             int widthCells = 0);
    // Lines 1 to 13 of a page: title, place, Qiblah and the column header.
    QStringList TimetableHeader(std::int16_t calendar, const QString& pageTitle, int year,
                                const timetable::PageLayout& layout = {});
    // The text preceded by (78 - width) / 2 spaces (halves to even), widths in display
    // cells; 78 or more: unchanged.
    static QString CenterText(const QString& text);
    // The user's Desktop folder; "" when there is none.
    static QString GetSpecialFolderPath();
    // Prepares the printer for a timetable: a font that really is fixed-pitch, sized so that a
    // page fits the printable area, plain text. Each page is centred as it is printed.
    bool SetupPrinterFont();
    // The commands: menu items, the toolbar's Export and Print (the current month of the
    // calendar shown first; Print without the printer dialog).
    QAction* mnuExportYearGregorian = nullptr;
    QAction* mnuExportYearHijri = nullptr;
    QAction* mnuPrintYearGregorian = nullptr;
    QAction* mnuPrintYearHijri = nullptr;
    void connectTimetableCommands();
    void tlbExport_Click();
    void tlbPrint_Click();

    // ---- commands: menus, toolbar and display toggles (frmTallix_menus.cpp,
    // frmTallix_toolbar.cpp, frmTallix_toggles.cpp) ----
    class QMenuBar* mnuBar = nullptr;
    QMenu* mnuFile = nullptr;
    QMenu* mnuExportMonthlyPrayerTimes = nullptr;
    QMenu* mnuPrintMonthlyPrayerTimes = nullptr;
    QAction* mnuLockWorkStation = nullptr;
    QAction* mnuExit = nullptr;
    QMenu* mnuQuranMain = nullptr;
    QMenu* mnuSelectedAyaat = nullptr;
    QMenu* mnuSelectedSuras = nullptr;
    QMenu* mnuDuas = nullptr;
    std::array<QAction*, 12> mnuAyaat{};
    std::array<QAction*, 12> mnuSura{};
    QAction* mnuAyaatRandom = nullptr;
    QAction* mnuSuraRandom = nullptr;
    QAction* mnuDuaAfterAthan = nullptr;
    QMenu* mnuOptions = nullptr;
    QAction* mnuAlwaysOnTop = nullptr;
    QAction* mnuHideWhenMinimized = nullptr;
    QAction* mnuLaunchMinimized = nullptr;
    QAction* mnuLaunchOnStartup = nullptr;
    QAction* mnuPrayerSettings = nullptr;
    QAction* mnuPreferences = nullptr;
    QMenu* mnuHelp = nullptr;
    QAction* mnuAbout = nullptr;
    // The tray menu's own items beside those of the main menus.
    QAction* mnuPrayerSettingsPopup = nullptr;
    QAction* mnuPreferencesPopMenu = nullptr;
    QMenu* mnuQuranMainPopup = nullptr;
    QMenu* mnuSelectedAyaatPopup = nullptr;
    QMenu* mnuSelectedSurasPopup = nullptr;
    std::array<QAction*, 12> mnuAyaatPopup{};
    std::array<QAction*, 12> mnuSuraPopup{};
    QAction* mnuAyaatRandomPopup = nullptr;
    QAction* mnuSuraRandomPopup = nullptr;
    QAction* mnuStopAthanPopup = nullptr;

    void mnuLockWorkStation_Click();
    void mnuScreenSaver_Click();
    void mnuExit_Click();
    void mnuAyaat_Click(std::int16_t Index);
    void mnuAyaatRandom_Click();
    void mnuSura_Click(std::int16_t Index);
    void mnuSuraRandom_Click();
    void mnuDuaAfterAthan_Click();
    void mnuAlwaysOnTop_Click();
    void mnuHideWhenMinimized_Click();
    void mnuLaunchMinimized_Click();
    void mnuLaunchOnStartup_Click();
    void mnuPrayerSettings_Click();
    void mnuPreferences_Click();
    void mnuHelp_Click();
    void mnuCheckForUpdate_Click();
    void mnuAbout_Click();
    void mnuPrayNow_Click();
    void mnuStopAthanPopup_Click();

    // Stores a display or option setting as "1" or "0". A store that refuses the value is
    // reported to the user: the change then lasts only until the program ends. False then.
    bool SaveToggleSetting(const QString& name, std::int16_t value);
    void ReportUnsavedSetting(const QString& name);
    // The screen saver and the lock as the commands run them: a failure is told to the user.
    void StartScreenSaverCommand();
    void LockWorkStationCommand();

    // The toolbar's buttons other than the audio pair, left to right.
    void createToolbarButtons();
    // Set while a toolbar action runs: the toolbar stays disabled, whatever resizes meanwhile.
    int ToolbarActionDepth = 0;

    // Display toggles and small controls.
    void picGlobe_MouseUp(int Button);
    void picNextPrayerIn_MouseUp(int Index, int Button);
    void picQiblah_MouseUp(int Button);
    void sldVolume_MouseUp(int Button);
    void txtPrayerTime_MouseUp();
    // Tab switch: stores the tab, then lays it out.
    void tabMain_Click(int PreviousTab);

private:
    void createMenuControls();
    void createToggleControls();
    void toggleOption(QAction* item, std::int16_t& setting, const QString& name);
    int previousTab_ = 0;

public:
    // ---- layout (frmTallix_layout.cpp) ----
    void ResetTab();
    void ResizeForm();

    // ---- life: start-up and close, tray, flashing, alert scheduler, volume ----
    // (frmTallix_life.cpp, frmTallix_tray.cpp, frmTallix_scheduler.cpp, frmTallix_status.cpp)
    QTimer* tmrCounter = nullptr;   // counts the seconds of tray flashing
    bool FlashPhase = false;        // the flash picture is up
    std::int16_t LastEventCode = 0; // the last due event acted upon; 0 none
    QAction* mnuPrayNow = nullptr;  // the tray menu's default item
    QAction* mPopRestore = nullptr;
    QAction* mPopAbout = nullptr;
    QAction* mPopExit = nullptr;
    QAction* mnuCheckForUpdate = nullptr;
    QAction* mnuScreenSaver = nullptr;       // created with the menu bar; may be missing
    Image* picVolume = nullptr;              // speaker picture in the status area
    class QSlider* sldVolume = nullptr;      // volume 0..100 % of VolumeMax
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
    QDateTime LastTickTime; // the last second a tick acted on; invalid: replay nothing
    std::int16_t GetDueEvent();
    // The event due at a second: the first of the codes in their order whose time is that
    // second of the shown day; -1 for none. A slot without a time is passed over.
    std::int16_t GetDueEventAt(const QDateTime& t);
    void AthanNotify();
    void ReminderNotify(bool bBefore);
    void UnloadDialogs();
    // The athan of a prayer whose time came since that moment (the clock was stopped while the
    // exit question waited), when that prayer is still the current one and was not announced.
    void AnnounceAthanMissedSince(const QDateTime& since);

    // Status area and volume. Pray Now and the screen saver command follow the desktop and the
    // chosen Pray Now action (the preferences dialog calls it too).
    void EnablePrayNow();
    void RefreshVolume();
    void HideVolumePanel();
    void StartVolume();
    // Puts the speaker and slider into the status area beside the location.
    void SetObjectsToStatusBar();
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

    // ---- month calendars and moon phase ----
    // The two month calendars (0 Gregorian, 1 Hijri) in the frame fraMonthly of the Monthly tab,
    // each with a month scroll bar (-1..1, resting at 0) and the moon picture in its title bar.
    std::array<PictureBox*, 2> picCalendar{};
    std::array<QScrollBar*, 2> hsbCalendar{};
    std::array<Image*, 2> imgMoonPhase{};
    // The twelve moon pictures of each kind, from new to full: A lit on the right (waxing in
    // the north, waning in the south), B lit on the left.
    std::array<StdPicture, 12> imgIconMoonPhaseA;
    std::array<StdPicture, 12> imgIconMoonPhaseB;
    // Both moon pictures to the moon of dt; hidden when it cannot be computed.
    void RefreshMoonPhase(const Date& dt);
    // The moon picture (0 new .. 11 full) for the illuminated percentage.
    static std::int16_t MoonPictureIndex(double percent);
    void picCalendar_KeyDown(int Index, int KeyCode, int Shift);
    void picCalendar_MouseDown(int Index, int Button, int Shift, double X, double Y);
    void picCalendar_MouseMove(int Index, int Button, int Shift, double X, double Y);
    void hsbCalendar_Change(int Index);
    // Both calendar pictures at the given top and height of the frame, side by side.
    void placeCalendarControls(int top, int height);

private:
    void createCalendarControls();

public:
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
    void createDayControls();
    void placeControls();
    // The month's list under its title row, and its frame around it.
    void placeMonthlyList();
    void showSlot(const PrayerTime& pt, std::int16_t slot);
    void markCurrentPrayer();
};

// The one main window of the process, while it exists.
frmTallix* MainWindow();
