#pragma once
// Dates as the runtime keeps them: a serial number of days, 0 = 30 December 1899 at 0:00, the
// fraction the time of day (-1.25 is 29 December 1899 at 6:00: the whole part counts days, the
// fraction's size the time). Year, month and day are read and written in the runtime's current
// calendar, Gregorian or the tabular Islamic calendar with the civil epoch.
#include <QDateTime>
#include <QString>
#include <compare>
#include <cstdint>
#include <optional>

// The calendars of the current-calendar switch.
constexpr std::int16_t vbCalGreg = 0;
constexpr std::int16_t vbCalHijri = 1;

// First day of the week: 0 the locale's, 1 Sunday .. 7 Saturday.
constexpr std::int16_t vbUseSystemDayOfWeek = 0;
constexpr std::int16_t vbSunday = 1;
constexpr std::int16_t vbMonday = 2;
constexpr std::int16_t vbTuesday = 3;
constexpr std::int16_t vbWednesday = 4;
constexpr std::int16_t vbThursday = 5;
constexpr std::int16_t vbFriday = 6;
constexpr std::int16_t vbSaturday = 7;

class Date {
public:
    // The serial number of the dates the runtime accepts: 1 January 100 .. 31 December 9999.
    static constexpr double kMinSerial = -657434.0;
    static constexpr double kMaxSerial = 2958465.99999;

    constexpr Date() = default;
    constexpr explicit Date(double serial) : serial_(serial) {}
    // A date at 0:00 (also on a day whose local midnight the clock skips), a date with its time
    // of day (local wall-clock fields, as they stand).
    Date(const QDate& date);                 // NOLINT(google-explicit-constructor)
    Date(const QDateTime& when);             // NOLINT(google-explicit-constructor)
    static Date fromTime(const QTime& time); // the time of day on day 0

    constexpr double serial() const { return serial_; }
    // Whether the serial lies in the accepted range and is a number.
    bool isValid() const;
    // The Gregorian day (an invalid QDate for an invalid Date).
    QDate toQDate() const;
    // The time of day, to the millisecond.
    QTime toQTime() const;
    // The fields as a local date-time: invalid for a time the local clock skips.
    QDateTime toQDateTime() const;

    friend constexpr auto operator<=>(const Date& a, const Date& b) {
        return a.serial_ <=> b.serial_;
    }
    friend constexpr bool operator==(const Date& a, const Date& b) {
        return a.serial_ == b.serial_;
    }

private:
    double serial_ = 0.0;
};

// The current calendar (vbCalGreg or vbCalHijri). Setting any other value raises error 5 and
// leaves the calendar as it is; the result says whether the calendar was set.
std::int16_t Calendar();
bool SetCalendar(std::int16_t calendar);

namespace runtime {
// Keeps the current calendar of its construction and puts it back when it goes out of scope.
class CalendarGuard {
public:
    CalendarGuard() : saved_(Calendar()) {}
    ~CalendarGuard() { SetCalendar(saved_); }
    CalendarGuard(const CalendarGuard&) = delete;
    CalendarGuard& operator=(const CalendarGuard&) = delete;

private:
    std::int16_t saved_;
};
} // namespace runtime

// Now as a Date (the clock of Clock.h).
Date NowDate();

// The date of year, month and day in the current calendar, at 0:00. Months outside 1..12 run
// into the neighbouring years, days outside the month into the neighbouring months (month 13
// is January of the next year, day 0 the last day of the previous month). A result outside
// the accepted range raises error 5 and gives nullopt.
std::optional<Date> DateSerial(int year, int month, int day);
// The time of day of hours, minutes and seconds (which may run over as in DateSerial).
std::optional<Date> TimeSerial(int hour, int minute, int second);

// The date moved by number intervals: "yyyy" years, "m" months (in the current calendar; the
// day is cut to the last day of a shorter month), "d" days, "h" hours, "n" minutes, "s"
// seconds. The time of day is kept. An unknown interval or a result out of range raises
// error 5 and gives nullopt.
std::optional<Date> DateAdd(const QString& interval, std::int32_t number, const Date& date);

// Parts of a date; year, month and day in the current calendar. The time is taken to the
// nearest second.
int Year(const Date& date);
int Month(const Date& date);
int Day(const Date& date);
int Hour(const Date& date);
int Minute(const Date& date);
int Second(const Date& date);
// The weekday 1..7 counted from firstDayOfWeek (1 Sunday .. 7 Saturday; 0 the locale's first
// day): with the default, 1 = Sunday .. 7 = Saturday.
int Weekday(const Date& date, std::int16_t firstDayOfWeek = vbSunday);

// The locale's name of month 1..12 of the current calendar, full or abbreviated; "" and error
// 5 for another month.
QString MonthName(int month, bool abbreviate = false);
// The locale's name of weekday 1..7 counted from firstDayOfWeek (0 the locale's first day);
// "" and error 5 for another weekday.
QString WeekdayName(int weekday, bool abbreviate = false,
                    std::int16_t firstDayOfWeek = vbUseSystemDayOfWeek);

// A date as text with a pattern of the date and time codes, in the current calendar:
//   d dd         day of the month, without / with a leading zero
//   ddd dddd     the locale's short / full weekday name
//   ddddd dddddd the locale's short / long date
//   m mm         month number; minutes right after an hour code or right before a seconds code
//   mmm mmmm     the locale's short / full month name
//   n nn         minutes
//   y            day of the year; yy two-digit year; yyyy the full year
//   h hh H HH    hour (12-hour when the pattern holds an AM/PM code, else 24-hour)
//   s ss         seconds
//   AM/PM am/pm A/P a/p  the designator, written as in the pattern; AMPM the locale's
//   :  /         the locale's time and date separator
//   "text"  \c   text as it stands
// Letters are case-blind. Other characters are copied. Named patterns: "General Date" (also
// for an empty pattern: short
// date and long time, each only when not zero), "Long Date", "Short Date", "Long Time" (the
// locale's own patterns), "Medium Time" (hh:mm with the locale's designator), "Short Time"
// (HH:mm). Names come from the locale, for the months from its current calendar.
QString Format(const Date& date, const QString& pattern);
