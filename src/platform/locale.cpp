#include "locale.h"

#include <QCalendar>
#include <QLocale>
#include <algorithm>

namespace platform {
namespace {

// The first punctuation mark of the pattern outside quoted text: its separator (a vowel sign
// of the words around the codes is none).
QString separatorOf(const QString& pattern, const QString& fallback) {
    bool quoted = false;
    for (const QChar c : pattern) {
        if (c == u'\'')
            quoted = !quoted;
        else if (!quoted && c.isPunct())
            return QString(c);
    }
    return fallback;
}

// A Qt pattern in fields (a code letter and its count) and the literal text between them.
struct PatternItem {
    QChar code; // null for literal text
    qsizetype run = 0;
    QString text;
};

QList<PatternItem> splitPattern(const QString& pattern) {
    QList<PatternItem> items;
    const auto literal = [&items](const QString& text) {
        if (items.isEmpty() || !items.last().code.isNull())
            items.append({QChar(), 0, QString()});
        items.last().text += text;
    };
    const qsizetype n = pattern.size();
    for (qsizetype i = 0; i < n;) {
        const QChar c = pattern[i];
        if (c == u'\'') {
            // Quoted text ('' inside it an apostrophe; '' alone one too).
            qsizetype j = i + 1;
            QString quoted;
            while (j < n && !(pattern[j] == u'\'' && (j + 1 >= n || pattern[j + 1] != u'\''))) {
                quoted += pattern[j];
                j += pattern[j] == u'\'' ? 2 : 1;
            }
            literal(j == i + 1 ? QStringLiteral("'") : quoted);
            i = j + 1;
            continue;
        }
        qsizetype run = 1;
        while (i + run < n && pattern[i + run] == c)
            ++run;
        if (c.isLetter() && c.unicode() < 128)
            items.append({c, run, QString()});
        else
            literal(pattern.mid(i, run));
        i += run;
    }
    return items;
}

qsizetype findCode(const QList<PatternItem>& items, QStringView codes, qsizetype from) {
    for (qsizetype k = std::max<qsizetype>(from, 0); k < items.size(); ++k)
        if (!items[k].code.isNull() && codes.contains(items[k].code))
            return k;
    return -1;
}

// The one punctuation mark that stands alone between fields a and b, or the fallback.
QString markBetween(const QList<PatternItem>& items, qsizetype a, qsizetype b,
                    const QString& fallback) {
    if (a < 0 || b != a + 2 || !items[a + 1].code.isNull())
        return fallback;
    const QString& text = items[a + 1].text;
    return text.size() == 1 && text[0].isPunct() ? text : fallback;
}

// The time separator: the mark between the hour and the minutes of a pattern, else ":".
QString TimeSeparatorOf(const QString& pattern) {
    const QList<PatternItem> items = splitPattern(pattern);
    const qsizetype hour = findCode(items, u"hH", 0);
    return markBetween(items, hour, findCode(items, u"m", hour + 1), QStringLiteral(":"));
}

class QtLocaleBackend final : public LocaleBackend {
public:
    QString info(LCTYPE type) override {
        const QLocale locale;
        if (type >= LOCALE_SDAYNAME1 && type < LOCALE_SDAYNAME1 + 7)
            return locale.dayName(static_cast<int>(type - LOCALE_SDAYNAME1) + 1,
                                  QLocale::LongFormat);
        if (type >= LOCALE_SABBREVDAYNAME1 && type < LOCALE_SABBREVDAYNAME1 + 7)
            return locale.dayName(static_cast<int>(type - LOCALE_SABBREVDAYNAME1) + 1,
                                  QLocale::ShortFormat);
        if (type & LOCALE_RETURN_GENITIVE_NAMES) {
            const LCTYPE month = type & ~LOCALE_RETURN_GENITIVE_NAMES;
            if (month >= LOCALE_SMONTHNAME1 && month < LOCALE_SMONTHNAME1 + 12)
                return locale.monthName(static_cast<int>(month - LOCALE_SMONTHNAME1) + 1,
                                        QLocale::LongFormat);
            if (month >= LOCALE_SABBREVMONTHNAME1 && month < LOCALE_SABBREVMONTHNAME1 + 12)
                return locale.monthName(static_cast<int>(month - LOCALE_SABBREVMONTHNAME1) + 1,
                                        QLocale::ShortFormat);
            return {};
        }
        if (type >= LOCALE_SMONTHNAME1 && type < LOCALE_SMONTHNAME1 + 12)
            return locale.standaloneMonthName(static_cast<int>(type - LOCALE_SMONTHNAME1) + 1,
                                              QLocale::LongFormat);
        if (type >= LOCALE_SABBREVMONTHNAME1 && type < LOCALE_SABBREVMONTHNAME1 + 12)
            return locale.standaloneMonthName(static_cast<int>(type - LOCALE_SABBREVMONTHNAME1) + 1,
                                              QLocale::ShortFormat);
        switch (type) {
        case LOCALE_SDECIMAL:
            // The program writes Latin digits (Format), so the separator that goes with them.
            return LatinDecimalSeparator(locale);
        case LOCALE_STHOUSAND:
            return LatinGroupSeparator(locale);
        case LOCALE_SISO639LANGNAME:
            // The C locale writes English.
            return locale.language() == QLocale::C ? QStringLiteral("en")
                                                   : QLocale::languageToCode(locale.language());
        case LOCALE_SDATE:
            return separatorOf(locale.dateFormat(QLocale::ShortFormat), QStringLiteral("/"));
        case LOCALE_STIME:
            return TimeSeparatorOf(locale.timeFormat(QLocale::ShortFormat));
        case LOCALE_SSHORTDATE:
            return QtPatternToWindows(locale.dateFormat(QLocale::ShortFormat));
        case LOCALE_SLONGDATE:
            return QtPatternToWindows(locale.dateFormat(QLocale::LongFormat));
        case LOCALE_STIMEFORMAT:
            // The long form is the one with seconds; the short one names the separator.
            return TimeOfDayPattern(locale.timeFormat(QLocale::LongFormat),
                                    locale.timeFormat(QLocale::ShortFormat));
        case LOCALE_S1159:
            return locale.amText();
        case LOCALE_S2359:
            return locale.pmText();
        case LOCALE_IFIRSTDAYOFWEEK:
            // Qt counts Monday 1 .. Sunday 7, the locale type Monday 0 .. Sunday 6.
            return QString::number(static_cast<int>(locale.firstDayOfWeek()) - 1);
        default:
            return {};
        }
    }

    QString calendarInfo(CALID calendar, CALTYPE type) override {
        QCalendar cal;
        if (calendar == CAL_HIJRI)
            cal = QCalendar(QCalendar::System::IslamicCivil);
        else if (calendar != CAL_GREGORIAN)
            return {};
        const QLocale locale;
        if (type & CAL_RETURN_GENITIVE_NAMES) {
            const CALTYPE month = type & ~CAL_RETURN_GENITIVE_NAMES;
            if (month >= CAL_SMONTHNAME1 && month < CAL_SMONTHNAME1 + 12)
                return cal.monthName(locale, static_cast<int>(month - CAL_SMONTHNAME1) + 1,
                                     QCalendar::Unspecified, QLocale::LongFormat);
            if (month >= CAL_SABBREVMONTHNAME1 && month < CAL_SABBREVMONTHNAME1 + 12)
                return cal.monthName(locale, static_cast<int>(month - CAL_SABBREVMONTHNAME1) + 1,
                                     QCalendar::Unspecified, QLocale::ShortFormat);
            return {};
        }
        if (type >= CAL_SMONTHNAME1 && type < CAL_SMONTHNAME1 + 12)
            return cal.standaloneMonthName(locale, static_cast<int>(type - CAL_SMONTHNAME1) + 1,
                                           QCalendar::Unspecified, QLocale::LongFormat);
        if (type >= CAL_SABBREVMONTHNAME1 && type < CAL_SABBREVMONTHNAME1 + 12)
            return cal.standaloneMonthName(locale,
                                           static_cast<int>(type - CAL_SABBREVMONTHNAME1) + 1,
                                           QCalendar::Unspecified, QLocale::ShortFormat);
        return {};
    }
};

QtLocaleBackend gQtBackend;
LocaleBackend* gBackend = nullptr;

int copyOut(const QString& text, char* buffer, int size) {
    if (text.isNull())
        return 0;
    const QByteArray bytes = text.toUtf8();
    const int needed = static_cast<int>(bytes.size()) + 1;
    if (size == 0)
        return needed;
    if (!buffer || size < needed)
        return 0;
    std::copy_n(bytes.constData(), bytes.size(), buffer);
    buffer[bytes.size()] = '\0';
    return needed;
}

} // namespace

LocaleBackend& CurrentLocaleBackend() {
    return gBackend ? *gBackend : gQtBackend;
}
void InstallLocaleBackend(LocaleBackend* backend) {
    gBackend = backend;
}

QString LocaleText(LCTYPE type) {
    const QString text = CurrentLocaleBackend().info(type);
    return text.isNull() ? QString(QLatin1String("")) : text;
}

QString CalendarText(CALID calendar, CALTYPE type) {
    const QString text = CurrentLocaleBackend().calendarInfo(calendar, type);
    return text.isNull() ? QString(QLatin1String("")) : text;
}

namespace {
bool writesLatinDigits(const QLocale& locale) {
    return locale.zeroDigit() == QLatin1String("0");
}
} // namespace

QString LatinDecimalSeparator(const QLocale& locale) {
    const QString own = locale.decimalPoint();
    return writesLatinDigits(locale) && !own.isEmpty() ? own : QStringLiteral(".");
}

QString LatinGroupSeparator(const QLocale& locale) {
    return writesLatinDigits(locale) ? locale.groupSeparator() : QStringLiteral(",");
}

QString QtPatternToWindows(const QString& qtPattern) {
    // Does the pattern ask for an AM/PM designator (outside quoted text)?
    bool twelveHour = false;
    bool quoted = false;
    for (const QChar c : qtPattern) {
        if (c == u'\'')
            quoted = !quoted;
        else if (!quoted && (c == u'a' || c == u'A'))
            twelveHour = true;
    }

    QString out;
    const qsizetype n = qtPattern.size();
    for (qsizetype i = 0; i < n;) {
        const QChar c = qtPattern[i];
        if (c == u'\'') {
            // Quoted text, '' inside it included, goes over as it stands.
            qsizetype j = i + 1;
            while (j < n) {
                if (qtPattern[j] == u'\'') {
                    if (j + 1 < n && qtPattern[j + 1] == u'\'') {
                        j += 2;
                        continue;
                    }
                    break;
                }
                ++j;
            }
            out += qtPattern.mid(i, std::min(j + 1, n) - i);
            i = j + 1;
            continue;
        }
        qsizetype run = 1;
        while (i + run < n && qtPattern[i + run] == c)
            ++run;
        if (c == u'h') {
            out += QString(std::min<qsizetype>(run, 2), twelveHour ? u'h' : u'H');
        } else if (c == u'a' || c == u'A') {
            out += QStringLiteral("tt");
            run = 1;
            if (i + 1 < n && (qtPattern[i + 1] == u'p' || qtPattern[i + 1] == u'P'))
                run = 2;
        } else if (c == u't') {
            // The time-zone name: no Windows code; the blanks around it go too.
            while (out.endsWith(u' '))
                out.chop(1);
        } else if (c == u'z') {
            if (out.endsWith(u'.') || out.endsWith(u','))
                out.chop(1);
        } else {
            out += qtPattern.mid(i, run);
        }
        i += run;
    }
    return out.trimmed();
}

QString TimeOfDayPattern(const QString& qtLong, const QString& qtShort) {
    const QList<PatternItem> items = splitPattern(qtLong);
    const qsizetype hour = findCode(items, u"hH", 0);
    const qsizetype minute = findCode(items, u"m", hour + 1);
    if (hour < 0 || minute < 0)
        return QtPatternToWindows(qtLong);
    const qsizetype second = findCode(items, u"s", minute + 1);
    // "a"/"A" (AP, ap) and "B" (the day period some locales write for it) are the designator.
    const qsizetype designator = findCode(items, u"aAB", 0);

    // Words and units between the codes ("時", "h", "horo kaj") give way to the short form's
    // separator, else ":".
    const QString first = markBetween(items, hour, minute, TimeSeparatorOf(qtShort));
    const QString last = second >= 0 ? markBetween(items, minute, second, first) : first;
    QString out = QString(std::min<qsizetype>(items[hour].run, 2), designator >= 0 ? u'h' : u'H') +
                  first + QStringLiteral("mm") + last + QStringLiteral("ss");
    if (designator >= 0)
        out = designator < hour ? QStringLiteral("tt ") + out : out + QStringLiteral(" tt");
    return out;
}

} // namespace platform

int GetLocaleInfoA(LCID, LCTYPE LCType, char* lpLCData, int cchData) {
    return platform::copyOut(platform::CurrentLocaleBackend().info(LCType), lpLCData, cchData);
}

int GetCalendarInfoA(LCID, CALID Calendar, CALTYPE CalType, char* lpCalData, int cchData,
                     DWORD* lpValue) {
    if (lpValue)
        *lpValue = 0;
    return platform::copyOut(platform::CurrentLocaleBackend().calendarInfo(Calendar, CalType),
                             lpCalData, cchData);
}
