#pragma once
// The main window. Its behaviour is spread over frmTallix_<area>.cpp files, one per area; the
// members below are grouped the same way.
#include "prayerlib/tallixtime.h"
#include "runtime/Form.h"

#include <QDate>
#include <cstdint>

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

    // ---- sound, mute, tray icon and Kaaba pictures ----

    // ---- clock face, tooltips, fonts and system queries ----

protected:
    void Form_Load() override;
};

// The one main window of the process, while it exists.
frmTallix* MainWindow();
