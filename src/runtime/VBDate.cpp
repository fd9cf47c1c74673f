#include "VBDate.h"

#include "Clock.h"
#include "ErrObject.h"
#include "platform/locale.h"

#include <QCalendar>
#include <QList>
#include <cmath>
#include <limits>

namespace {

constexpr long kErrInvalidCall = 5;
constexpr qint64 kMsPerDay = 86400000;
const QDate kBase(1899, 12, 30);

std::int16_t gCalendar = vbCalGreg;

QCalendar calendarOf(std::int16_t cal) {
    return cal == vbCalHijri ? QCalendar(QCalendar::System::IslamicCivil)
                             : QCalendar(QCalendar::System::Gregorian);
}
QCalendar currentCalendar() {
    return calendarOf(gCalendar);
}

qint64 floorDiv(qint64 a, qint64 b) {
    qint64 q = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0)))
        --q;
    return q;
}

// A serial as a day number (0 = 30 December 1899) and the milliseconds of its time of day,
// the time taken to the unit (1 or 1000 ms); a time that rounds up to midnight is the next
// day's 0:00.
struct Split {
    qint64 day = 0;
    qint64 ms = 0;
};
std::optional<Split> split(double serial, qint64 unit) {
    if (!std::isfinite(serial) || serial < Date::kMinSerial - 1 || serial > Date::kMaxSerial + 1)
        return std::nullopt;
    const double whole = std::trunc(serial);
    const double fraction = std::fabs(serial - whole);
    Split s{static_cast<qint64>(whole), std::llround(fraction * kMsPerDay / unit) * unit};
    if (s.ms >= kMsPerDay) {
        s.ms -= kMsPerDay;
        ++s.day;
    }
    return s;
}

double serialOf(qint64 day, qint64 ms) {
    const double fraction = static_cast<double>(ms) / kMsPerDay;
    return day >= 0 ? static_cast<double>(day) + fraction : static_cast<double>(day) - fraction;
}

// Day and time as a Date, error 5 when out of range.
std::optional<Date> checked(qint64 day, qint64 ms) {
    const Date d(serialOf(day, ms));
    if (!d.isValid()) {
        Err.Raise(kErrInvalidCall);
        return std::nullopt;
    }
    return d;
}

// The locale's first day of the week as 1 Sunday .. 7 Saturday ("0" Monday .. "6" Sunday).
std::int16_t systemFirstDay() {
    const QString t = platform::LocaleText(LOCALE_IFIRSTDAYOFWEEK).trimmed();
    bool ok = false;
    const int v = t.toInt(&ok);
    if (!ok || v < 0 || v > 5)
        return vbSunday;
    return static_cast<std::int16_t>(v + 2);
}

// Weekday 1 Sunday .. 7 Saturday of a Gregorian day.
int sundayWeekday(const QDate& d) {
    return d.dayOfWeek() % 7 + 1;
}

QString dayName(int sundayBased, bool abbreviate) {
    const auto index = static_cast<LCTYPE>((sundayBased + 5) % 7); // Monday 0 .. Sunday 6
    return platform::LocaleText((abbreviate ? LOCALE_SABBREVDAYNAME1 : LOCALE_SDAYNAME1) + index);
}

QString monthName(std::int16_t cal, int month, bool abbreviate) {
    const auto index = static_cast<DWORD>(month - 1);
    if (cal == vbCalHijri)
        return platform::CalendarText(
            CAL_HIJRI, (abbreviate ? CAL_SABBREVMONTHNAME1 : CAL_SMONTHNAME1) + index);
    return platform::LocaleText((abbreviate ? LOCALE_SABBREVMONTHNAME1 : LOCALE_SMONTHNAME1) +
                                index);
}

QString pad2(int v) {
    return QStringLiteral("%1").arg(v, 2, 10, QLatin1Char('0'));
}

// What Format works on: the day in the current calendar and the time to the second.
struct Parts {
    QDate gregorian;
    int year = 0, month = 0, day = 0, dayOfYear = 0;
    int hour = 0, minute = 0, second = 0;
    qint64 serialDay = 0;
    qint64 seconds = 0;
};
std::optional<Parts> partsOf(const Date& date) {
    const auto s = split(date.serial(), 1000);
    if (!s)
        return std::nullopt;
    Parts p;
    p.serialDay = s->day;
    p.seconds = s->ms / 1000;
    p.gregorian = kBase.addDays(s->day);
    const QCalendar cal = currentCalendar();
    const QCalendar::YearMonthDay ymd = cal.partsFromDate(p.gregorian);
    if (!ymd.isValid())
        return std::nullopt;
    p.year = ymd.year;
    p.month = ymd.month;
    p.day = ymd.day;
    p.dayOfYear = static_cast<int>(cal.dateFromParts(ymd.year, 1, 1).daysTo(p.gregorian)) + 1;
    p.hour = static_cast<int>(p.seconds / 3600);
    p.minute = static_cast<int>(p.seconds / 60 % 60);
    p.second = static_cast<int>(p.seconds % 60);
    return p;
}

int hour12(int hour) {
    const int h = hour % 12;
    return h == 0 ? 12 : h;
}

// A pattern in the Windows pattern letters (the locale's own patterns).
QString formatWindows(const Parts& p, const QString& pattern) {
    QString out;
    const qsizetype n = pattern.size();
    for (qsizetype i = 0; i < n;) {
        const QChar c = pattern[i];
        if (c == u'\'') {
            qsizetype j = i + 1;
            while (j < n) {
                if (pattern[j] == u'\'') {
                    if (j + 1 < n && pattern[j + 1] == u'\'') {
                        out += u'\'';
                        j += 2;
                        continue;
                    }
                    break;
                }
                out += pattern[j++];
            }
            i = j + 1;
            continue;
        }
        qsizetype run = 1;
        while (i + run < n && pattern[i + run] == c)
            ++run;
        const int r = static_cast<int>(run);
        switch (c.unicode()) {
        case u'd':
            out += r == 1   ? QString::number(p.day)
                   : r == 2 ? pad2(p.day)
                            : dayName(sundayWeekday(p.gregorian), r == 3);
            break;
        case u'M':
            out += r == 1   ? QString::number(p.month)
                   : r == 2 ? pad2(p.month)
                            : monthName(gCalendar, p.month, r == 3);
            break;
        case u'y':
            out += r == 1   ? QString::number(p.year % 100)
                   : r == 2 ? pad2(p.year % 100)
                            : QString::number(p.year);
            break;
        case u'g':
            break; // no era is written
        case u'h':
            out += r == 1 ? QString::number(hour12(p.hour)) : pad2(hour12(p.hour));
            break;
        case u'H':
            out += r == 1 ? QString::number(p.hour) : pad2(p.hour);
            break;
        case u'm':
            out += r == 1 ? QString::number(p.minute) : pad2(p.minute);
            break;
        case u's':
            out += r == 1 ? QString::number(p.second) : pad2(p.second);
            break;
        case u't': {
            const QString designator =
                platform::LocaleText(p.hour < 12 ? LOCALE_S1159 : LOCALE_S2359);
            out += r == 1 ? designator.left(1) : designator;
            break;
        }
        default:
            out += pattern.mid(i, run);
        }
        i += run;
    }
    return out;
}

QString localePattern(LCTYPE type, const char* fallback) {
    const QString p = platform::LocaleText(type);
    return p.isEmpty() ? QString::fromLatin1(fallback) : p;
}
QString shortDate(const Parts& p) {
    return formatWindows(p, localePattern(LOCALE_SSHORTDATE, "MM/dd/yyyy"));
}
QString longDate(const Parts& p) {
    return formatWindows(p, localePattern(LOCALE_SLONGDATE, "dddd, dd MMMM yyyy"));
}
QString longTime(const Parts& p) {
    return formatWindows(p, localePattern(LOCALE_STIMEFORMAT, "HH:mm:ss"));
}

// ---- the runtime's own pattern codes ----

enum class Kind { Literal, Day, Month, Minute, Year, Hour, Second, AmPm, LocaleAmPm };
struct Token {
    Kind kind;
    int count = 0;
    QString text; // literal text, or the designator code as written ("AM/PM", "a/p")
};

QList<Token> tokenize(const QString& pattern) {
    QList<Token> tokens;
    auto literal = [&tokens](const QString& text) {
        if (!tokens.isEmpty() && tokens.last().kind == Kind::Literal)
            tokens.last().text += text;
        else
            tokens.append({Kind::Literal, 0, text});
    };
    const qsizetype n = pattern.size();
    for (qsizetype i = 0; i < n;) {
        const QChar c = pattern[i];
        const QChar lc = c.toLower();
        if (c == u'"') {
            const qsizetype end = pattern.indexOf(u'"', i + 1);
            const qsizetype stop = end < 0 ? n : end;
            literal(pattern.mid(i + 1, stop - i - 1));
            i = stop + 1;
            continue;
        }
        if (c == u'\\') {
            if (i + 1 < n)
                literal(pattern.mid(i + 1, 1));
            i += 2;
            continue;
        }
        if (c == u':') {
            literal(platform::LocaleText(LOCALE_STIME).isEmpty()
                        ? QStringLiteral(":")
                        : platform::LocaleText(LOCALE_STIME));
            ++i;
            continue;
        }
        if (c == u'/') {
            literal(platform::LocaleText(LOCALE_SDATE).isEmpty()
                        ? QStringLiteral("/")
                        : platform::LocaleText(LOCALE_SDATE));
            ++i;
            continue;
        }
        if (lc == u'a') {
            const QString rest = pattern.mid(i, 5);
            if (rest.compare(QLatin1String("am/pm"), Qt::CaseInsensitive) == 0) {
                tokens.append({Kind::AmPm, 0, rest});
                i += 5;
                continue;
            }
            if (rest.left(4).compare(QLatin1String("ampm"), Qt::CaseInsensitive) == 0) {
                tokens.append({Kind::LocaleAmPm, 0, {}});
                i += 4;
                continue;
            }
            if (rest.left(3).compare(QLatin1String("a/p"), Qt::CaseInsensitive) == 0) {
                tokens.append({Kind::AmPm, 0, rest.left(3)});
                i += 3;
                continue;
            }
        }
        qsizetype run = 1;
        while (i + run < n && pattern[i + run].toLower() == lc)
            ++run;
        int r = static_cast<int>(run);
        switch (lc.unicode()) {
        case u'd':
            while (r > 0) {
                tokens.append({Kind::Day, std::min(r, 6), {}});
                r -= 6;
            }
            break;
        case u'm':
            while (r > 0) {
                tokens.append({Kind::Month, std::min(r, 4), {}});
                r -= 4;
            }
            break;
        case u'n':
            tokens.append({Kind::Minute, std::min(r, 2), {}});
            break;
        case u'y':
            for (; r >= 4; r -= 4)
                tokens.append({Kind::Year, 4, {}});
            if (r >= 2) {
                tokens.append({Kind::Year, 2, {}});
                r -= 2;
            }
            if (r == 1)
                tokens.append({Kind::Year, 1, {}});
            break;
        case u'h':
            tokens.append({Kind::Hour, std::min(r, 2), {}});
            break;
        case u's':
            tokens.append({Kind::Second, std::min(r, 2), {}});
            break;
        default:
            literal(pattern.mid(i, run));
        }
        i += run;
    }
    // m and mm stand for minutes right after an hour or right before seconds.
    for (qsizetype k = 0; k < tokens.size(); ++k) {
        if (tokens[k].kind != Kind::Month || tokens[k].count > 2)
            continue;
        qsizetype before = k - 1;
        while (before >= 0 && tokens[before].kind == Kind::Literal)
            --before;
        qsizetype after = k + 1;
        while (after < tokens.size() && tokens[after].kind == Kind::Literal)
            ++after;
        if ((before >= 0 && tokens[before].kind == Kind::Hour) ||
            (after < tokens.size() && tokens[after].kind == Kind::Second))
            tokens[k].kind = Kind::Minute;
    }
    return tokens;
}

QString formatCodes(const Parts& p, const QString& pattern) {
    const QList<Token> tokens = tokenize(pattern);
    bool twelveHour = false;
    for (const Token& t : tokens)
        twelveHour = twelveHour || t.kind == Kind::AmPm || t.kind == Kind::LocaleAmPm;
    const int hour = twelveHour ? hour12(p.hour) : p.hour;
    QString out;
    for (const Token& t : tokens) {
        switch (t.kind) {
        case Kind::Literal:
            out += t.text;
            break;
        case Kind::Day:
            switch (t.count) {
            case 1:
                out += QString::number(p.day);
                break;
            case 2:
                out += pad2(p.day);
                break;
            case 3:
            case 4:
                out += dayName(sundayWeekday(p.gregorian), t.count == 3);
                break;
            case 5:
                out += shortDate(p);
                break;
            default:
                out += longDate(p);
            }
            break;
        case Kind::Month:
            out += t.count == 1   ? QString::number(p.month)
                   : t.count == 2 ? pad2(p.month)
                                  : monthName(gCalendar, p.month, t.count == 3);
            break;
        case Kind::Minute:
            out += t.count == 1 ? QString::number(p.minute) : pad2(p.minute);
            break;
        case Kind::Year:
            out += t.count == 1   ? QString::number(p.dayOfYear)
                   : t.count == 2 ? pad2(p.year % 100)
                                  : QString::number(p.year);
            break;
        case Kind::Hour:
            out += t.count == 1 ? QString::number(hour) : pad2(hour);
            break;
        case Kind::Second:
            out += t.count == 1 ? QString::number(p.second) : pad2(p.second);
            break;
        case Kind::AmPm: {
            // "AM/PM" writes its own first or second half, as it is written.
            const qsizetype slash = t.text.indexOf(u'/');
            out += p.hour < 12 ? t.text.left(slash) : t.text.mid(slash + 1);
            break;
        }
        case Kind::LocaleAmPm:
            out += platform::LocaleText(p.hour < 12 ? LOCALE_S1159 : LOCALE_S2359);
            break;
        }
    }
    return out;
}

} // namespace

// ---- Date ----

// The day's serial is counted from the calendar alone: a day whose local midnight the clock
// skips (daylight saving starting at 0:00) is a day like any other.
Date::Date(const QDate& date)
    : serial_(date.isValid() ? static_cast<double>(kBase.daysTo(date))
                             : std::numeric_limits<double>::quiet_NaN()) {}

Date::Date(const QDateTime& when) {
    if (!when.isValid()) {
        serial_ = std::numeric_limits<double>::quiet_NaN();
        return;
    }
    serial_ = serialOf(kBase.daysTo(when.date()), when.time().msecsSinceStartOfDay());
}

Date Date::fromTime(const QTime& time) {
    return Date(serialOf(0, time.isValid() ? time.msecsSinceStartOfDay() : 0));
}

bool Date::isValid() const {
    return std::isfinite(serial_) && serial_ >= kMinSerial && serial_ <= kMaxSerial;
}

QDate Date::toQDate() const {
    const auto s = split(serial_, 1);
    return s ? kBase.addDays(s->day) : QDate();
}

QTime Date::toQTime() const {
    const auto s = split(serial_, 1);
    return s ? QTime::fromMSecsSinceStartOfDay(static_cast<int>(s->ms)) : QTime();
}

QDateTime Date::toQDateTime() const {
    const auto s = split(serial_, 1);
    if (!s)
        return {};
    return QDateTime(kBase.addDays(s->day),
                     QTime::fromMSecsSinceStartOfDay(static_cast<int>(s->ms)));
}

// ---- calendar switch ----

std::int16_t Calendar() {
    return gCalendar;
}

bool SetCalendar(std::int16_t calendar) {
    if (calendar != vbCalGreg && calendar != vbCalHijri) {
        Err.Raise(kErrInvalidCall);
        return false;
    }
    gCalendar = calendar;
    return true;
}

Date NowDate() {
    return Date(Now());
}

// ---- building and moving dates ----

std::optional<Date> DateSerial(int year, int month, int day) {
    const qint64 months = static_cast<qint64>(year) * 12 + (month - 1);
    const qint64 y = floorDiv(months, 12);
    const int m = static_cast<int>(months - y * 12) + 1;
    if (y < 1 || y > 100000) {
        Err.Raise(kErrInvalidCall);
        return std::nullopt;
    }
    const QDate first = currentCalendar().dateFromParts(static_cast<int>(y), m, 1);
    if (!first.isValid()) {
        Err.Raise(kErrInvalidCall);
        return std::nullopt;
    }
    return checked(kBase.daysTo(first) + (day - 1), 0);
}

std::optional<Date> TimeSerial(int hour, int minute, int second) {
    const qint64 total =
        static_cast<qint64>(hour) * 3600 + static_cast<qint64>(minute) * 60 + second;
    const qint64 day = floorDiv(total, 86400);
    return checked(day, (total - day * 86400) * 1000);
}

std::optional<Date> DateAdd(const QString& interval, std::int32_t number, const Date& date) {
    const auto s = split(date.serial(), 1);
    const QString unit = interval.toLower();
    if (!s || !date.isValid()) {
        Err.Raise(kErrInvalidCall);
        return std::nullopt;
    }
    qint64 msUnit = 0;
    if (unit == u"d")
        msUnit = kMsPerDay;
    else if (unit == u"h")
        msUnit = 3600000;
    else if (unit == u"n")
        msUnit = 60000;
    else if (unit == u"s")
        msUnit = 1000;
    if (msUnit != 0) {
        const qint64 total = s->day * kMsPerDay + s->ms + number * msUnit;
        const qint64 day = floorDiv(total, kMsPerDay);
        return checked(day, total - day * kMsPerDay);
    }
    qint64 months = 0;
    if (unit == u"m")
        months = number;
    else if (unit == u"yyyy")
        months = static_cast<qint64>(number) * 12;
    else {
        Err.Raise(kErrInvalidCall);
        return std::nullopt;
    }
    const QCalendar cal = currentCalendar();
    const QCalendar::YearMonthDay ymd = cal.partsFromDate(kBase.addDays(s->day));
    const qint64 total = static_cast<qint64>(ymd.year) * 12 + (ymd.month - 1) + months;
    const qint64 y = floorDiv(total, 12);
    const int m = static_cast<int>(total - y * 12) + 1;
    if (y < 1 || y > 100000) {
        Err.Raise(kErrInvalidCall);
        return std::nullopt;
    }
    const int last = cal.daysInMonth(m, static_cast<int>(y));
    const QDate moved = cal.dateFromParts(static_cast<int>(y), m, std::min(ymd.day, last));
    if (!moved.isValid()) {
        Err.Raise(kErrInvalidCall);
        return std::nullopt;
    }
    return checked(kBase.daysTo(moved), s->ms);
}

// ---- parts ----

int Year(const Date& date) {
    const auto p = partsOf(date);
    return p ? p->year : 0;
}
int Month(const Date& date) {
    const auto p = partsOf(date);
    return p ? p->month : 0;
}
int Day(const Date& date) {
    const auto p = partsOf(date);
    return p ? p->day : 0;
}
int Hour(const Date& date) {
    const auto p = partsOf(date);
    return p ? p->hour : 0;
}
int Minute(const Date& date) {
    const auto p = partsOf(date);
    return p ? p->minute : 0;
}
int Second(const Date& date) {
    const auto p = partsOf(date);
    return p ? p->second : 0;
}

int Weekday(const Date& date, std::int16_t firstDayOfWeek) {
    if (firstDayOfWeek < vbUseSystemDayOfWeek || firstDayOfWeek > vbSaturday) {
        Err.Raise(kErrInvalidCall);
        return 0;
    }
    const auto p = partsOf(date);
    if (!p)
        return 0;
    const int first = firstDayOfWeek == vbUseSystemDayOfWeek ? systemFirstDay() : firstDayOfWeek;
    return (sundayWeekday(p->gregorian) - first + 7) % 7 + 1;
}

QString MonthName(int month, bool abbreviate) {
    if (month < 1 || month > 12) {
        Err.Raise(kErrInvalidCall);
        return {};
    }
    return monthName(gCalendar, month, abbreviate);
}

QString WeekdayName(int weekday, bool abbreviate, std::int16_t firstDayOfWeek) {
    if (weekday < 1 || weekday > 7 || firstDayOfWeek < vbUseSystemDayOfWeek ||
        firstDayOfWeek > vbSaturday) {
        Err.Raise(kErrInvalidCall);
        return {};
    }
    const int first = firstDayOfWeek == vbUseSystemDayOfWeek ? systemFirstDay() : firstDayOfWeek;
    return dayName((weekday - 1 + first - 1) % 7 + 1, abbreviate);
}

// ---- Format ----

QString Format(const Date& date, const QString& pattern) {
    const auto p = partsOf(date);
    if (!p)
        return {};
    const QString named = pattern.trimmed();
    auto is = [&named](const char* name) {
        return named.compare(QLatin1String(name), Qt::CaseInsensitive) == 0;
    };
    if (named.isEmpty() || is("General Date")) {
        if (p->serialDay == 0)
            return longTime(*p);
        if (p->seconds == 0)
            return shortDate(*p);
        return shortDate(*p) + u' ' + longTime(*p);
    }
    if (is("Long Date"))
        return longDate(*p);
    if (is("Short Date"))
        return shortDate(*p);
    if (is("Long Time"))
        return longTime(*p);
    if (is("Medium Time"))
        return formatWindows(*p, QStringLiteral("hh:mm tt"));
    if (is("Short Time"))
        return formatWindows(*p, QStringLiteral("HH:mm"));
    return formatCodes(*p, pattern);
}
