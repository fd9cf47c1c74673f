#include "daylight.h"

#include "settings.h"

namespace {
int weekdayOf(const QDate& d) {
    return d.dayOfWeek() % 7;
} // 0 Sunday .. 6 Saturday

QDate ruleStart(const SYSTEMTIME& rule, int year) {
    if (rule.wYear != 0)
        return QDate(rule.wYear, rule.wMonth, rule.wDay);
    return TransitionDate(rule, year);
}
} // namespace

QDate TransitionDate(const SYSTEMTIME& stRule, int iYear) {
    if (stRule.wMonth < 1 || stRule.wMonth > 12 || stRule.wDayOfWeek > 6)
        return ZeroDate();
    const QDate first(iYear, stRule.wMonth, 1);
    if (!first.isValid())
        return ZeroDate();
    if (stRule.wDay >= 1 && stRule.wDay <= 4)
        return first.addDays(1 + (stRule.wDayOfWeek - weekdayOf(first) + 7) % 7 +
                             7 * (stRule.wDay - 1) - 1);
    if (stRule.wDay == 5) {
        const QDate last = first.addMonths(1).addDays(-1);
        return last.addDays(-((weekdayOf(last) - stRule.wDayOfWeek + 7) % 7));
    }
    return ZeroDate();
}

double GetDaylightOffset(const PrayerDate& dt) {
    switch (gDaylightSavings) {
    case 1:
        return (gDaylightSavingsTime + 1) * 0.5;
    case 0:
        break;
    default:
        return 0;
    }
    const QDate d(dt.Year, dt.Month, dt.Day);
    if (!d.isValid())
        return 0;
    // The rules of the day's own year: a zone's dates move from year to year (Gaza, Casablanca).
    TIME_ZONE_INFORMATION tzi;
    const DWORD id = GetTimeZoneInformationOn(d, &tzi);
    if (id != TIME_ZONE_ID_STANDARD && id != TIME_ZONE_ID_DAYLIGHT)
        return 0;
    if (tzi.StandardDate.wMonth == 0)
        return 0;
    const QDate s = ruleStart(tzi.StandardDate, dt.Year);
    const QDate dl = ruleStart(tzi.DaylightDate, dt.Year);
    if (!s.isValid() || !dl.isValid())
        return 0;
    // Two absolute dates may lie in different years: compare them as dates.
    const bool bothAbsolute = tzi.StandardDate.wYear != 0 && tzi.DaylightDate.wYear != 0;
    const bool daylightFirst =
        bothAbsolute ? dl <= s : tzi.StandardDate.wMonth >= tzi.DaylightDate.wMonth;
    const bool daylight = daylightFirst ? (dl <= d && d < s) : !(s <= d && d < dl);
    return daylight ? -tzi.DaylightBias / 60.0 : 0.0;
}
