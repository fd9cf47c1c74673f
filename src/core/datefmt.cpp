#include "datefmt.h"

#include "core/mAPI.h"
#include "platform/locale.h"
#include "runtime/ErrObject.h"

#include <QStringList>

QString gTimeFormat;

std::array<QString, 13> gGregorianMonthLong;
std::array<QString, 13> gGregorianMonthShort;
std::array<QString, 13> gHijriMonthLong;
std::array<QString, 13> gHijriMonthShort;
std::array<QString, 8> gDayNameLong;
std::array<QString, 8> gDayNameShort;
std::array<QString, 51> gDayNameInitial;

namespace {

// Put before every character of quoted text while a locale pattern is taken apart.
constexpr QChar kLiteralMarker = u'@';

// A locale pattern in its parts: quoted text (taken as it stands, apostrophes gone) and
// pattern text (handed to the caller's rule). Parts that are empty or blanks only are left out.
template <typename Rule> QString rebuildPattern(const QString& pattern, Rule patternRule) {
    QStringList parts = pattern.split(u'\'');
    for (qsizetype k = 1; k < parts.size(); k += 2) {
        QString marked;
        for (const QChar c : std::as_const(parts[k])) {
            marked += kLiteralMarker;
            marked += c;
        }
        parts[k] = marked;
    }
    QString result;
    for (const QString& part : std::as_const(parts)) {
        if (part.trimmed().isEmpty())
            continue;
        if (part.contains(kLiteralMarker)) {
            QString text = part;
            result += patternRule(text.remove(kLiteralMarker), true);
        } else {
            result += patternRule(part, false);
        }
    }
    return result;
}

QString entry(const std::array<QString, 13>& table, int index) {
    return index >= 0 && index < 13 ? table[static_cast<std::size_t>(index)] : QString();
}

} // namespace

QString TrimAtNull(const QString& s) {
    const qsizetype nul = s.indexOf(QChar(u'\0'));
    if (nul >= 0)
        return s.left(nul);
    qsizetype begin = 0;
    qsizetype end = s.size();
    while (begin < end && s[begin] == u' ')
        ++begin;
    while (end > begin && s[end - 1] == u' ')
        --end;
    return s.mid(begin, end - begin);
}

QString FormatHijriMonthText(const Date& dt, std::int16_t iStyle) {
    if (iStyle != 0 && iStyle != 1)
        return {};
    const runtime::CalendarGuard keep;
    SetCalendar(vbCalHijri);
    const int m = Month(dt);
    if (m < 1 || m > 12)
        return Format(dt, iStyle == 0 ? QStringLiteral("mmm d") : QStringLiteral("mmmm yyyy"));
    if (iStyle == 0)
        return entry(gHijriMonthShort, m) + u' ' + QString::number(Day(dt));
    return entry(gHijriMonthLong, m) + u' ' + QString::number(Year(dt));
}

QString FormatLongDateLocalized(std::int16_t iCal, const Date& dt) {
    const runtime::CalendarGuard keep;
    const QString pattern = GetUserLocaleInfo(LOCALE_SLONGDATE);
    const bool switched = SetCalendar(iCal);
    if (!switched)
        Err.Clear(); // handled here: the long date of the current calendar follows
    const int m = switched ? Month(dt) : 0;
    if (m < 1 || m > 12 || pattern.trimmed().isEmpty()) {
        // No calendar, month or pattern to work with: the formatter's own long date.
        return Format(dt, QStringLiteral("Long Date"));
    }

    QString result = rebuildPattern(pattern, [&dt](QString part, bool quoted) {
        if (quoted)
            return part;
        part.replace(QLatin1String("MMMM"), QLatin1String("????"));
        part.replace(QLatin1String("MMM"), QLatin1String("???"));
        part.replace(QLatin1String("dddd"), QLatin1String("^^^^"));
        part.replace(QLatin1String("ddd"), QLatin1String("^^^"));
        return Format(dt, part);
    });

    const auto& monthLong = iCal == vbCalHijri ? gHijriMonthLong : gGregorianMonthLong;
    const auto& monthShort = iCal == vbCalHijri ? gHijriMonthShort : gGregorianMonthShort;
    result.replace(QLatin1String("????"), entry(monthLong, m));
    result.replace(QLatin1String("???"), entry(monthShort, m));

    const int w = Weekday(dt, vbSunday);
    if (w >= 1 && w <= 7) {
        result.replace(QLatin1String("^^^^"), gDayNameLong[static_cast<std::size_t>(w)]);
        result.replace(QLatin1String("^^^"), gDayNameShort[static_cast<std::size_t>(w)]);
    }
    return result;
}

QString GetTimeFormatPattern() {
    const QString fallback = QStringLiteral("h:mm:ss AM/PM");
    const QString pattern = GetUserLocaleInfo(LOCALE_STIMEFORMAT);
    const QString result = rebuildPattern(pattern, [](QString part, bool quoted) {
        if (quoted) {
            // The formatter reads letters as codes: quoted text goes to it as a literal
            // ("HH' h 'mm" is 14 h 05, not 14 14 05).
            return QString(u'"' + part + u'"');
        }
        part.replace(QLatin1String("tt"), QLatin1String("AM/PM"));
        // Every t left is a one-letter designator; "AM/PM" itself holds none.
        QString out;
        for (const QChar c : std::as_const(part))
            out += c == u't' ? QStringLiteral("A/P") : QString(c);
        return out;
    });
    return result.trimmed().isEmpty() ? fallback : result;
}

QString GetMonthName(std::int16_t iCal, std::int16_t iMonth, std::int16_t bLong) {
    if (iMonth < 0 || iMonth > 12)
        return {};
    if (iCal == vbCalGreg)
        return entry(bLong != 0 ? gGregorianMonthLong : gGregorianMonthShort, iMonth);
    if (iCal == vbCalHijri)
        return entry(bLong != 0 ? gHijriMonthLong : gHijriMonthShort, iMonth);
    return {};
}
