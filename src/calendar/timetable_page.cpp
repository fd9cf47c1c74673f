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
#include "runtime/TextCells.h"
#include "runtime/VBDate.h"

#include <QLabel>
#include <QUrl>
#include <algorithm>
#include <cmath>

namespace {

using timetable::kPageLines;
using timetable::kPageWidth;

constexpr QChar kLeftToRightMark(0x200E);

QString rule(int width) {
    return QString(width, QLatin1Char('='));
}

// A name typed or read with a line break (CR LF, a tab...) stays on its own line of the page:
// control characters and line or paragraph separators show as blanks. Embedding, override and
// isolate marks are dropped: they would turn the rest of the line around.
QString oneLine(QString text) {
    for (QChar& c : text) {
        const QChar::Category category = c.category();
        if (category == QChar::Other_Control || category == QChar::Separator_Line ||
            category == QChar::Separator_Paragraph)
            c = QLatin1Char(' ');
    }
    text.removeIf([](QChar c) {
        const char16_t u = c.unicode();
        return (u >= 0x202A && u <= 0x202E) || (u >= 0x2066 && u <= 0x2069);
    });
    return text;
}

// Every line reads left to right in a bidi-aware viewer: one with right-to-left text starts
// with a left-to-right mark, so its first strong character never turns it around.
QString leftToRight(const QString& line) {
    return runtime::HasRightToLeft(line) ? kLeftToRightMark + line : line;
}

// A time with right-to-left text (an Arabic or Hebrew AM/PM mark) between left-to-right marks:
// it stays one run in its own column, and the digits of the next time are not read as
// Arabic numbers that join it.
QString ownRun(const QString& time) {
    return runtime::HasRightToLeft(time) ? kLeftToRightMark + time + kLeftToRightMark : time;
}

struct DayRow {
    QString label;
    PrayerTime times[6];
    // Each time written once in each form: the layout measures it, the line puts it out.
    mutable QString texts[2][6];
};

const QString& timeText(const DayRow& row, int slot, bool clock24) {
    QString& text = row.texts[clock24 ? 1 : 0][slot];
    if (text.isNull())
        text = clock24 ? frmTallix::FormatPrayerTime(row.times[slot])
                       : frmTallix::FormatPrayerTimeMedium(row.times[slot]);
    return text;
}

QString columnTitle(int column) {
    return LoadResString(column == 0 ? 416 : 3 + column);
}

// Each column as wide as its widest entry, title included, and two blanks (9 cells for the
// day and 12 for a time at least); the page as wide as its widest day line, 78 at least.
timetable::PageLayout layoutOf(const QList<DayRow>& rows, bool clock24) {
    timetable::PageLayout layout;
    layout.clock24 = clock24;
    for (int c = 0; c < 7; ++c)
        layout.columns[c] = std::max(layout.columns[c], runtime::TextCells(columnTitle(c)) + 2);
    int lastTime = 0;
    for (const DayRow& row : rows) {
        layout.columns[0] = std::max(layout.columns[0], runtime::TextCells(row.label) + 2);
        for (int s = 0; s < 6; ++s) {
            const int cells = runtime::TextCells(timeText(row, s, clock24));
            layout.columns[s + 1] = std::max(layout.columns[s + 1], cells + 2);
            if (s == 5)
                lastTime = std::max(lastTime, cells);
        }
    }
    int lineWidth = lastTime;
    for (int c = 0; c < 6; ++c)
        lineWidth += layout.columns[c];
    layout.width = std::max(kPageWidth, lineWidth);
    return layout;
}

QString dayLine(const DayRow& row, const timetable::PageLayout& layout) {
    QString line = runtime::PadToCells(row.label, layout.columns[0]);
    for (int s = 0; s < 6; ++s)
        line += runtime::PadToCells(ownRun(timeText(row, s, layout.clock24)),
                                    layout.columns[s + 1]);
    return line;
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

QString timetable::Centred(const QString& text, int width) {
    const int cells = runtime::TextCells(text);
    if (cells >= width)
        return text;
    const int pad = static_cast<int>(std::nearbyint((width - cells) / 2.0));
    return QString(pad, QLatin1Char(' ')) + text;
}

QString frmTallix::CenterText(const QString& text) {
    return timetable::Centred(text, kPageWidth);
}

QStringList frmTallix::TimetableHeader(std::int16_t calendar, const QString& pageTitle, int year,
                                       const timetable::PageLayout& layout) {
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
    QString title = sScheduleTitle + QStringLiteral(" - ") + pageTitle + QLatin1Char(' ') +
                    QString::number(year);
    if (layout.clock24)
        title += QStringLiteral(" (24-hour clock)");
    // Each title starts where its column of the day lines starts.
    QString columns;
    for (int c = 0; c < 6; ++c)
        columns += runtime::PadToCells(columnTitle(c), layout.columns[c]);
    columns += columnTitle(6);
    const int width = layout.width;
    QStringList lines = {
        QString(),
        rule(width),
        timetable::Centred(
            oneLine(LoadResString(0) + QStringLiteral(" - ") + timetable::ProjectHome()), width),
        QString(),
        timetable::Centred(oneLine(title), width),
        QString(),
        timetable::Centred(oneLine(place), width),
        timetable::Centred(oneLine(coordinates), width),
        QString(),
        timetable::Centred(oneLine(qiblah), width),
        rule(width),
        oneLine(columns),
        rule(width)};
    for (QString& line : lines)
        line = leftToRight(line);
    return lines;
}

std::optional<QStringList> frmTallix::TimetablePage(std::int16_t calendar, std::int16_t month,
                                                    int widthCells) {
    runtime::CalendarGuard keep;
    const int year = timetable::CurrentYear(calendar);
    const int days = timetable::MonthLength(calendar, year, month);
    const QString pageTitle = GetMonthName(calendar, month, 1);
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
    QList<DayRow> rows;
    for (int i = 0; i < days; ++i) {
        const Date day(first->serial() + i);
        PrayerTime times[7];
        for (PrayerTime& t : times)
            t = PrayerTime{99, 99, 0, 0};
        if (!CalculatePrayerTimes(day.toQDate(), loc, conf, times, 0))
            return std::nullopt;
        for (std::int16_t slot = 0; slot <= 6; ++slot) {
            ApplyPrayerAdjustments(times, slot);
            extreme = extreme || times[slot].IsExtreme == 1;
        }
        DayRow row;
        if (calendar == vbCalHijri) {
            SetCalendar(vbCalHijri);
            row.label = FormatHijriMonthText(day, 0);
        } else {
            const QDate g = day.toQDate();
            row.label = GetMonthName(vbCalGreg, std::int16_t(g.month()), 0) + QLatin1Char(' ') +
                        QString::number(g.day());
        }
        std::copy(times + 1, times + 7, row.times);
        rows << row;
    }
    // The times in the locale's 12-hour form, unless the page cannot hold them: then on the
    // 24-hour clock, which every page can hold.
    timetable::PageLayout layout = layoutOf(rows, false);
    if (widthCells > 0 && layout.width > std::max(widthCells, kPageWidth))
        layout = layoutOf(rows, true);
    QStringList lines = TimetableHeader(calendar, pageTitle, year, layout);
    for (int i = 0; i < rows.size(); ++i) {
        if (i % 5 == 0)
            lines << QString();
        lines << leftToRight(dayLine(rows[i], layout));
    }
    lines << rule(layout.width);
    if (extreme)
        lines << QString() << LoadResString(406) << LoadResString(407) << LoadResString(408);
    while (lines.size() < kPageLines)
        lines << QString();
    return lines;
}
