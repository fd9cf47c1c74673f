#include "datefmt.h"

#include "core/mAPI.h"
#include "platform/locale.h"
#include "runtime/ErrObject.h"
#include "runtime/ResStrings.h"

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

bool LocaleSpeaksProgramLanguage() {
    const QString language = platform::LocaleText(LOCALE_SISO639LANGNAME).trimmed();
    return language.isEmpty() || language.compare(ResStringLanguage(), Qt::CaseInsensitive) == 0;
}

namespace {

// The locale's own names for a long date: months in the form a date puts beside its day.
struct DateNames {
    QString monthLong, monthShort, dayLong, dayShort;
};
DateNames localeDateNames(std::int16_t iCal, int month, int sundayWeekday) {
    const CALID cal = iCal == vbCalHijri ? CAL_HIJRI : CAL_GREGORIAN;
    const auto m = static_cast<CALTYPE>(month - 1);
    const auto d = static_cast<LCTYPE>((sundayWeekday + 5) % 7); // Monday 0 .. Sunday 6
    return {platform::CalendarText(cal, (CAL_SMONTHNAME1 + m) | CAL_RETURN_GENITIVE_NAMES),
            platform::CalendarText(cal, (CAL_SABBREVMONTHNAME1 + m) | CAL_RETURN_GENITIVE_NAMES),
            platform::LocaleText(LOCALE_SDAYNAME1 + d),
            platform::LocaleText(LOCALE_SABBREVDAYNAME1 + d)};
}

} // namespace

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

    const int w = Weekday(dt, vbSunday);
    DateNames names;
    if (LocaleSpeaksProgramLanguage()) {
        names.monthLong = entry(iCal == vbCalHijri ? gHijriMonthLong : gGregorianMonthLong, m);
        names.monthShort = entry(iCal == vbCalHijri ? gHijriMonthShort : gGregorianMonthShort, m);
        if (w >= 1 && w <= 7) {
            names.dayLong = gDayNameLong[static_cast<std::size_t>(w)];
            names.dayShort = gDayNameShort[static_cast<std::size_t>(w)];
        }
    } else {
        // The pattern's words are the locale's: so are the names.
        names = localeDateNames(iCal, m, w);
    }
    result.replace(QLatin1String("????"), names.monthLong);
    result.replace(QLatin1String("???"), names.monthShort);
    if (w >= 1 && w <= 7) {
        result.replace(QLatin1String("^^^^"), names.dayLong);
        result.replace(QLatin1String("^^^"), names.dayShort);
    }
    return result;
}

QString GetTimeFormatPattern() {
    const QString fallback = QStringLiteral("h:mm:ss AM/PM");
    const QString pattern = GetUserLocaleInfo(LOCALE_STIMEFORMAT);
    // "AM/PM" writes the program's designators, "AMPM" the locale's.
    const bool programWords = LocaleSpeaksProgramLanguage();
    const QString designator = programWords ? QStringLiteral("AM/PM") : QStringLiteral("AMPM");
    const QString initial = programWords ? QStringLiteral("A/P") : QStringLiteral("AMPM");
    const QString result = rebuildPattern(pattern, [&](QString part, bool quoted) {
        if (quoted) {
            // The formatter reads letters as codes: quoted text goes to it as a literal
            // ("HH' h 'mm" is 14 h 05, not 14 14 05).
            return QString(u'"' + part + u'"');
        }
        // Every t is a designator: "tt" whole, a lone t its first letter (which only the
        // program's own designators have; the locale's are written whole). The codes put in
        // hold no t.
        QString out;
        for (qsizetype i = 0; i < part.size(); ++i) {
            if (part[i] != u't') {
                out += part[i];
            } else if (i + 1 < part.size() && part[i + 1] == u't') {
                out += designator;
                ++i;
            } else {
                out += initial;
            }
        }
        return out;
    });
    return result.trimmed().isEmpty() ? fallback : result;
}

QString FormatMediumTimeForText(const Date& dt) {
    if (LocaleSpeaksProgramLanguage())
        return Format(dt, QStringLiteral("Medium Time"));
    return Format(dt, QStringLiteral("hh\\:mm AM/PM")); // the colon as "Medium Time" writes it
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
