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
#include <QTimer>
#include <array>
#include <cstdint>

class QAction;
class QMenu;
class QToolBar;

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
    // ---- what the preferences dialog asks of the main window (frmTallix_prefs_hooks.cpp) ----
    // The data server's advise timer; the dialog sets its interval on every save.
    QTimer tmrDDE;
    // Starts the data server; true when it runs afterwards.
    virtual bool InitializeDDE();
    virtual void UninitializeDDE();
    // Whether the data server was asked to run (until the server itself is built, all there is).
    bool DDEServerWanted() const { return ddeServerWanted_; }
    // Pray Now and the screen saver command follow the desktop and the chosen Pray Now action.
    void EnablePrayNow();
    // Recomputes and redisplays what depends on the settings.
    void RefreshPrayers();

private:
    bool ddeServerWanted_ = false;

public:
protected:
    void Form_Load() override;

private:
    void placeControls();
};

// The one main window of the process, while it exists.
frmTallix* MainWindow();
