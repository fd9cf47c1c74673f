#pragma once
// A locale for tests: answers the locale and calendar texts it was told, nothing else.
// It starts as a United States English locale with Windows patterns ("dddd, MMMM d, yyyy",
// "h:mm:ss tt", week from Sunday). Constructing one installs it; destroying it puts the
// user's real locale back.
#include "platform/locale.h"

#include <QMap>
#include <QPair>
#include <QStringList>
#include <QVector>

class FakeLocale : public platform::LocaleBackend {
public:
    FakeLocale();
    ~FakeLocale() override;
    FakeLocale(const FakeLocale&) = delete;
    FakeLocale& operator=(const FakeLocale&) = delete;

    QString info(LCTYPE type) override;
    QString calendarInfo(CALID calendar, CALTYPE type) override;

    // The answers; a type that is not here answers "unknown" (a null text).
    QMap<LCTYPE, QString> texts;
    QMap<QPair<CALID, CALTYPE>, QString> calendarTexts;
    // Types asked for, in order.
    QVector<LCTYPE> asked;

    // Twelve month names (January first) and seven weekday names (Sunday first), long or
    // abbreviated, for the Gregorian calendar.
    void setMonthNames(const QStringList& names, bool abbreviated = false);
    void setDayNames(const QStringList& sundayFirst, bool abbreviated = false);
    // Twelve Hijri month names (Muharram first).
    void setHijriMonthNames(const QStringList& names, bool abbreviated = false);
};
