// The name a timetable goes by: the export's proposed file name, a print job's name and the
// title of its PDF.
#include "timetable.h"

#include "core/datefmt.h"
#include "core/settings.h"
#include "runtime/VBDate.h"

QString timetable::MonthTitle(std::int16_t calendar, std::int16_t month) {
    return gCityName + QStringLiteral(", ") + GetMonthName(calendar, month, 0) + QLatin1Char(' ') +
           QString::number(CurrentYear(calendar)) + QStringLiteral(" Prayer Schedule");
}

QString timetable::YearTitle(std::int16_t calendar) {
    return gCityName + QStringLiteral(", ") + QString::number(CurrentYear(calendar)) +
           (calendar == vbCalHijri ? QStringLiteral(" Hijri") : QString()) +
           QStringLiteral(" Prayer Schedule");
}

QString timetable::Title(std::int16_t calendar, const QList<std::int16_t>& months) {
    return months.size() == 1 ? MonthTitle(calendar, months.constFirst()) : YearTitle(calendar);
}
