#include "timezone.h"

#include <cstdlib>

namespace {

platform::TimeZoneHook gHook = nullptr;

int weekdayOf(const QDate& d) {
    return d.dayOfWeek() % 7;
} // 0 Sunday .. 6 Saturday

// The day of month the rule "occurrence-th weekday of month" gives in year.
QDate ruleDate(int year, int month, int weekday, int occurrence) {
    const QDate first(year, month, 1);
    if (occurrence == 5) {
        const QDate last(year, month, first.daysInMonth());
        return last.addDays(-((weekdayOf(last) - weekday + 7) % 7));
    }
    return first.addDays((weekday - weekdayOf(first) + 7) % 7 + 7 * (occurrence - 1));
}

// The transitions of a year, in the local time in force before each one. A change that moves
// the clock forward starts daylight time and one that moves it back starts standard time,
// whichever of the two the database calls daylight time: zones whose winter time is the
// "daylight" one (Dublin) are told the same way as every other.
struct Change {
    QDate localDate;
    QTime localTime;
    bool toDaylight = false;
    int shiftMinutes = 0;
    int offsetAfter = 0; // seconds east of UTC
};

QList<Change> changesIn(const QTimeZone& zone, int year) {
    QList<Change> out;
    const QDateTime from(QDate(year, 1, 1), QTime(0, 0), Qt::UTC);
    const QDateTime to(QDate(year + 1, 1, 1), QTime(0, 0), Qt::UTC);
    for (const auto& t : zone.transitions(from, to)) {
        const int offsetBefore = zone.offsetFromUtc(t.atUtc.addSecs(-1));
        if (t.offsetFromUtc == offsetBefore)
            continue;
        const QDateTime local = t.atUtc.addSecs(offsetBefore).toUTC();
        Change c;
        c.localDate = local.date();
        c.localTime = local.time();
        c.toDaylight = t.offsetFromUtc > offsetBefore;
        c.shiftMinutes = std::abs(t.offsetFromUtc - offsetBefore) / 60;
        c.offsetAfter = t.offsetFromUtc;
        out << c;
    }
    return out;
}

SYSTEMTIME toRule(const QDate& date, const QTime& time, const QDate& nextYearDate) {
    SYSTEMTIME st;
    st.wMonth = WORD(date.month());
    st.wDayOfWeek = WORD(weekdayOf(date));
    st.wHour = WORD(time.hour());
    st.wMinute = WORD(time.minute());
    // "The last Sunday" before "the fourth Sunday" when the date is both; next year's date
    // decides between them, and a date that fits no yearly rule stays a date.
    const int occurrence = (date.day() - 1) / 7 + 1;
    const bool isLast = date.day() + 7 > date.daysInMonth();
    QList<int> candidates;
    if (isLast)
        candidates << 5;
    if (occurrence <= 4)
        candidates << occurrence;
    for (int candidate : candidates) {
        const bool fitsNext =
            !nextYearDate.isValid() || ruleDate(nextYearDate.year(), nextYearDate.month(),
                                                st.wDayOfWeek, candidate) == nextYearDate;
        if (fitsNext) {
            st.wDay = WORD(candidate);
            return st;
        }
    }
    st.wYear = WORD(date.year());
    st.wDay = WORD(date.day());
    return st;
}

} // namespace

namespace platform {

void InstallTimeZoneHook(TimeZoneHook hook) {
    gHook = hook;
}

DWORD TimeZoneInformationFor(const QTimeZone& zone, const QDateTime& at,
                             TIME_ZONE_INFORMATION* info) {
    if (!info || !zone.isValid())
        return TIME_ZONE_ID_INVALID;
    *info = TIME_ZONE_INFORMATION{};
    const int year = at.date().year();
    const QList<Change> now = changesIn(zone, year);
    const QList<Change> next = changesIn(zone, year + 1);
    auto find = [](const QList<Change>& list, bool toDaylight) -> const Change* {
        for (const auto& c : list)
            if (c.toDaylight == toDaylight)
                return &c;
        return nullptr;
    };
    const Change* toDst = find(now, true);
    const Change* toStd = find(now, false);
    if (!toDst || !toStd)
        return TIME_ZONE_ID_UNKNOWN;
    const Change* nextDst = find(next, true);
    const Change* nextStd = find(next, false);
    info->DaylightDate =
        toRule(toDst->localDate, toDst->localTime, nextDst ? nextDst->localDate : QDate());
    info->StandardDate =
        toRule(toStd->localDate, toStd->localTime, nextStd ? nextStd->localDate : QDate());
    info->DaylightBias = -toDst->shiftMinutes;
    const int current = zone.offsetFromUtc(at);
    const int standard = toStd->offsetAfter;
    info->Bias = -standard / 60;
    return current > standard ? TIME_ZONE_ID_DAYLIGHT : TIME_ZONE_ID_STANDARD;
}

} // namespace platform

DWORD GetTimeZoneInformation(TIME_ZONE_INFORMATION* lpTimeZoneInformation) {
    if (gHook)
        return gHook(lpTimeZoneInformation);
    return platform::TimeZoneInformationFor(QTimeZone::systemTimeZone(),
                                            QDateTime::currentDateTime(), lpTimeZoneInformation);
}
