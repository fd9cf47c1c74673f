#include "fake_locale.h"

FakeLocale::FakeLocale() {
    texts = {
        {LOCALE_SDECIMAL, QStringLiteral(".")},
        {LOCALE_STHOUSAND, QStringLiteral(",")},
        {LOCALE_SDATE, QStringLiteral("/")},
        {LOCALE_STIME, QStringLiteral(":")},
        {LOCALE_SSHORTDATE, QStringLiteral("M/d/yyyy")},
        {LOCALE_SLONGDATE, QStringLiteral("dddd, MMMM d, yyyy")},
        {LOCALE_STIMEFORMAT, QStringLiteral("h:mm:ss tt")},
        {LOCALE_S1159, QStringLiteral("AM")},
        {LOCALE_S2359, QStringLiteral("PM")},
        {LOCALE_IFIRSTDAYOFWEEK, QStringLiteral("6")},
        {LOCALE_SISO639LANGNAME, QStringLiteral("en")},
    };
    setMonthNames({"January", "February", "March", "April", "May", "June", "July", "August",
                   "September", "October", "November", "December"});
    setMonthNames(
        {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"}, true);
    setDayNames({"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"});
    setDayNames({"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"}, true);
    setHijriMonthNames({"Muharram", "Safar", "Rabi I", "Rabi II", "Jumada I", "Jumada II", "Rajab",
                        "Shaaban", "Ramadan", "Shawwal", "Dhuul-Qidah", "Dhuul-Hijjah"});
    setHijriMonthNames({"Muh.", "Saf.", "Rab. I", "Rab. II", "Jum. I", "Jum. II", "Raj.", "Sha.",
                        "Ram.", "Shaw.", "Dhuul-Q.", "Dhuul-H."},
                       true);
    platform::InstallLocaleBackend(this);
}

FakeLocale::~FakeLocale() {
    platform::InstallLocaleBackend(nullptr);
}

QString FakeLocale::info(LCTYPE type) {
    asked.append(type);
    return texts.value(type); // null when not told
}

QString FakeLocale::calendarInfo(CALID calendar, CALTYPE type) {
    return calendarTexts.value({calendar, type});
}

void FakeLocale::setMonthNames(const QStringList& names, bool abbreviated) {
    const LCTYPE first = abbreviated ? LOCALE_SABBREVMONTHNAME1 : LOCALE_SMONTHNAME1;
    const CALTYPE calFirst = abbreviated ? CAL_SABBREVMONTHNAME1 : CAL_SMONTHNAME1;
    for (int i = 0; i < names.size() && i < 12; ++i) {
        texts[first + static_cast<LCTYPE>(i)] = names[i];
        calendarTexts[{CAL_GREGORIAN, calFirst + static_cast<CALTYPE>(i)}] = names[i];
    }
}

void FakeLocale::setDayNames(const QStringList& sundayFirst, bool abbreviated) {
    // The locale types count from Monday (1) to Sunday (7).
    const LCTYPE first = abbreviated ? LOCALE_SABBREVDAYNAME1 : LOCALE_SDAYNAME1;
    for (int i = 0; i < sundayFirst.size() && i < 7; ++i)
        texts[first + static_cast<LCTYPE>((i + 6) % 7)] = sundayFirst[i];
}

void FakeLocale::setHijriMonthNames(const QStringList& names, bool abbreviated) {
    const CALTYPE first = abbreviated ? CAL_SABBREVMONTHNAME1 : CAL_SMONTHNAME1;
    for (int i = 0; i < names.size() && i < 12; ++i)
        calendarTexts[{CAL_HIJRI, first + static_cast<CALTYPE>(i)}] = names[i];
}
