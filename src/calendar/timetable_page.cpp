// The timetable page of a month: 63 lines of fixed text, the same for the file and the printer.
#include "timetable.h"

#include "calendar/mCalendar.h"
#include "core/datefmt.h"
#include "core/mMain.h"
#include "core/settings.h"
#include "mainwindow/frmTallix.h"
#include "runtime/Convert.h"
#include "runtime/ErrObject.h"
#include "runtime/ResStrings.h"
#include "runtime/VBDate.h"

#include <QLabel>
#include <QUrl>
#include <cmath>

namespace {

using timetable::kPageLines;
using timetable::kPageWidth;

QString rule() {
    return QString(kPageWidth, QLatin1Char('='));
}

QString filled(const QString& text, int width) {
    return text.leftJustified(width, QLatin1Char(' '));
}

// A name typed or read with a line break (CR LF, a tab...) stays on its own line of the page:
// control characters and line or paragraph separators show as blanks.
QString oneLine(QString text) {
    for (QChar& c : text) {
        const QChar::Category category = c.category();
        if (category == QChar::Other_Control || category == QChar::Separator_Line ||
            category == QChar::Separator_Paragraph)
            c = QLatin1Char(' ');
    }
    return text;
}

} // namespace

namespace timetable {

QString ProjectHome() {
    return QUrl(MakerWebSite()).host();
}

int CurrentYear(std::int16_t calendar) {
    runtime::CalendarGuard keep;
    SetCalendar(calendar);
    return Year(NowDate());
}

int MonthLength(std::int16_t calendar, int year, int month) {
    runtime::CalendarGuard keep;
    if (!SetCalendar(calendar))
        return 0;
    return DaysInMonth(year, month);
}

} // namespace timetable

QString frmTallix::CenterText(const QString& text) {
    if (text.size() >= kPageWidth)
        return text;
    const int pad = static_cast<int>(std::nearbyint((kPageWidth - text.size()) / 2.0));
    return QString(pad, QLatin1Char(' ')) + text;
}

QStringList frmTallix::TimetableHeader(std::int16_t calendar, const QString& pageTitle, int year) {
    Q_UNUSED(calendar);
    QString place = LoadResString(94) + QStringLiteral(": ") + gCityName + QStringLiteral(", ");
    if (!gProvince.trimmed().isEmpty())
        place += gProvince + QStringLiteral(", ");
    place += gCountry;
    const QString coordinates = LoadResString(414) + QStringLiteral(": ") +
                                Format(gLatitude, QStringLiteral("0.0000")) +
                                QStringLiteral(" - ") + LoadResString(415) + QStringLiteral(": ") +
                                Format(gLongitude, QStringLiteral("0.0000"));
    const QString qiblah =
        LoadResString(10) + QStringLiteral(": ") + (lblQiblah ? lblQiblah->text() : QString());
    // Fixed gaps: the titles stand over the columns of the day lines.
    const QString columns = LoadResString(416) + QString(6, ' ') + LoadResString(4) +
                            QString(8, ' ') + LoadResString(5) + QString(5, ' ') +
                            LoadResString(6) + QString(7, ' ') + LoadResString(7) +
                            QString(9, ' ') + LoadResString(8) + QString(5, ' ') + LoadResString(9);
    QStringList lines = {
        QString(),
        rule(),
        CenterText(LoadResString(0) + QStringLiteral(" - ") + timetable::ProjectHome()),
        QString(),
        CenterText(sScheduleTitle + QStringLiteral(" - ") + pageTitle + QLatin1Char(' ') +
                   QString::number(year)),
        QString(),
        CenterText(place),
        CenterText(coordinates),
        QString(),
        CenterText(qiblah),
        rule(),
        columns,
        rule()};
    for (QString& line : lines)
        line = oneLine(line);
    return lines;
}

std::optional<QStringList> frmTallix::TimetablePage(std::int16_t calendar, std::int16_t month) {
    runtime::CalendarGuard keep;
    const int year = timetable::CurrentYear(calendar);
    const int days = timetable::MonthLength(calendar, year, month);
    QStringList lines = TimetableHeader(calendar, GetMonthName(calendar, month, 1), year);
    SetCalendar(calendar);
    const auto first = DateSerial(year, month, 1);
    if (!first || days <= 0) {
        Err.Raise(5, QStringLiteral("Invalid procedure call or argument"));
        return std::nullopt;
    }
    Location loc{};
    CalcMethod conf{};
    GetCalculationParameters(loc, conf);
    bool extreme = false;
    for (int i = 0; i < days; ++i) {
        const Date day(first->serial() + i);
        if (i % 5 == 0)
            lines << QString();
        PrayerTime times[7];
        for (PrayerTime& t : times)
            t = PrayerTime{99, 99, 0, 0};
        if (!CalculatePrayerTimes(day.toQDate(), loc, conf, times, 0))
            return std::nullopt;
        for (std::int16_t slot = 0; slot <= 6; ++slot) {
            ApplyPrayerAdjustments(times, slot);
            extreme = extreme || times[slot].IsExtreme == 1;
        }
        QString label;
        if (calendar == vbCalHijri) {
            SetCalendar(vbCalHijri);
            label = FormatHijriMonthText(day, 0);
        } else {
            const QDate g = day.toQDate();
            label = GetMonthName(vbCalGreg, std::int16_t(g.month()), 0) + QLatin1Char(' ') +
                    QString::number(g.day());
        }
        QString line = filled(label, 9);
        for (int slot = 1; slot <= 6; ++slot)
            line += filled(FormatPrayerTimeMedium(times[slot]), 12);
        lines << line;
    }
    lines << rule();
    if (extreme)
        lines << QString() << LoadResString(406) << LoadResString(407) << LoadResString(408);
    while (lines.size() < kPageLines)
        lines << QString();
    return lines;
}
