#include "timezone.h"

#include "tzlist.h"

#include <QHash>

#include <algorithm>
#include <cstdlib>

namespace {

platform::TimeZoneHook gHook = nullptr;
platform::DayTimeZoneHook gDayHook = nullptr;
platform::SystemZoneHook gSystemZone;

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

// A change as the days see it: from `day` on, the day's noon has `offsetAfter`.
struct DayChange {
    QDate day;
    int offsetBefore = 0;
    int offsetAfter = 0;
};

int offsetAtNoon(const QTimeZone& zone, const QDate& day) {
    return zone.offsetFromUtc(QDateTime(day, QTime(12, 0), zone));
}

// The changes whose first day lies in the year. The database is asked once per zone and year; a
// timetable asks for the same few years thousands of times.
struct YearChanges {
    QList<DayChange> changes;
};

const YearChanges& yearChanges(const QTimeZone& zone, int year) {
    thread_local QHash<QByteArray, YearChanges> cache;
    const QByteArray key = zone.id() + '/' + QByteArray::number(year);
    const auto found = cache.constFind(key);
    if (found != cache.constEnd())
        return *found;
    YearChanges out;
    // A change late on 31 December counts from 1 January: look a day beyond both ends.
    const QDateTime from(QDate(year - 1, 12, 31), QTime(0, 0), Qt::UTC);
    const QDateTime to(QDate(year + 1, 1, 2), QTime(0, 0), Qt::UTC);
    for (const auto& t : zone.transitions(from, to)) {
        const int before = zone.offsetFromUtc(t.atUtc.addSecs(-1));
        if (t.offsetFromUtc == before)
            continue;
        QDate day = t.atUtc.addSecs(before).toUTC().date();
        if (QDateTime(day, QTime(12, 0), Qt::UTC).addSecs(-t.offsetFromUtc) < t.atUtc)
            day = day.addDays(1);
        if (day.year() != year)
            continue;
        out.changes << DayChange{day, before, t.offsetFromUtc};
    }
    if (cache.size() > 256)
        cache.clear();
    return *cache.insert(key, out);
}

SYSTEMTIME absoluteDate(const QDate& d) {
    SYSTEMTIME st;
    st.wYear = WORD(d.year());
    st.wMonth = WORD(d.month());
    st.wDayOfWeek = WORD(weekdayOf(d));
    st.wDay = WORD(d.day());
    return st;
}

} // namespace

namespace platform {

void InstallTimeZoneHook(TimeZoneHook hook) {
    gHook = hook;
}

void InstallDayTimeZoneHook(DayTimeZoneHook hook) {
    gDayHook = hook;
}

DWORD TimeZoneInformationOn(const QTimeZone& zone, const QDate& day, TIME_ZONE_INFORMATION* info) {
    if (!info || !zone.isValid() || !day.isValid() || day.year() < 2 || day.year() > 9998)
        return TIME_ZONE_ID_INVALID;
    *info = TIME_ZONE_INFORMATION{};
    const int standard = ZoneStandardOffset(zone);
    const int ahead = offsetAtNoon(zone, day) - standard;
    info->Bias = -standard / 60;
    const YearChanges& year = yearChanges(zone, day.year());
    if (year.changes.isEmpty() && ahead == 0)
        return TIME_ZONE_ID_UNKNOWN;
    // The change in force on the day and the next one, possibly in the neighbouring years.
    const DayChange* last = nullptr;
    const DayChange* next = nullptr;
    for (int y = day.year() - 1; y <= day.year() + 1 && !next; ++y) {
        for (const DayChange& c : yearChanges(zone, y).changes) {
            if (c.day <= day) {
                last = &c;
            } else {
                next = &c;
                break;
            }
        }
    }
    const QDate from = last ? last->day : QDate(day.year() - 1, 1, 1);
    const QDate until = next ? next->day : QDate(day.year() + 2, 1, 1);
    // Daylight time is any clock other than the standard one, ahead of it or (Casablanca in
    // Ramadan) behind it.
    if (ahead != 0) {
        info->DaylightDate = absoluteDate(from);
        info->StandardDate = absoluteDate(until);
        info->DaylightBias = -ahead / 60;
        return TIME_ZONE_ID_DAYLIGHT;
    }
    info->StandardDate = absoluteDate(from);
    info->DaylightDate = absoluteDate(until);
    const DayChange* any = next ? next : last;
    info->DaylightBias = any ? -(any->offsetAfter - any->offsetBefore) / 60 : 0;
    return TIME_ZONE_ID_STANDARD;
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

void InstallSystemZoneHook(SystemZoneHook hook) {
    gSystemZone = std::move(hook);
}

QByteArray SystemZoneId() {
    return gSystemZone ? gSystemZone() : QTimeZone::systemTimeZoneId();
}

QTimeZone SystemZone() {
    // A zone's data is copied at each construction: the days of a timetable reuse the last one
    // for as long as the system's zone keeps its name.
    thread_local QByteArray lastId;
    thread_local QTimeZone last;
    const QByteArray id = SystemZoneId();
    if (id.isEmpty() || id != lastId || !last.isValid()) {
        last = gSystemZone ? QTimeZone(id) : QTimeZone::systemTimeZone();
        lastId = id;
    }
    return last;
}

} // namespace platform

DWORD GetTimeZoneInformation(TIME_ZONE_INFORMATION* lpTimeZoneInformation) {
    if (gHook)
        return gHook(lpTimeZoneInformation);
    return platform::TimeZoneInformationFor(platform::SystemZone(), QDateTime::currentDateTime(),
                                            lpTimeZoneInformation);
}

DWORD GetTimeZoneInformationOn(const QDate& day, TIME_ZONE_INFORMATION* lpTimeZoneInformation) {
    if (gDayHook)
        return gDayHook(day, lpTimeZoneInformation);
    if (gHook)
        return gHook(lpTimeZoneInformation);
    return platform::TimeZoneInformationOn(platform::SystemZone(), day, lpTimeZoneInformation);
}
