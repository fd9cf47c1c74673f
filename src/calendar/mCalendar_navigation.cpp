// The month grid's geometry, moving the selected day, and what the pointer finds on a calendar.
#include "mCalendar.h"

#include "core/datefmt.h"
#include "core/settings.h"
#include "mainwindow/frmTallix.h"
#include "runtime/App.h"
#include "runtime/Convert.h"

#include <QGroupBox>
#include <cmath>

namespace {

CalendarRecord& record(std::int16_t iCal) {
    return Calendars[static_cast<std::size_t>(iCal)];
}

bool isCalendar(std::int16_t iCal) {
    return iCal == vbCalGreg || iCal == vbCalHijri;
}

std::int32_t floorDiv(std::int32_t a, std::int32_t b) {
    return static_cast<std::int32_t>(std::floor(static_cast<double>(a) / b));
}

} // namespace

bool ComputeCalendarGrid(std::int16_t iCal, const PictureBox& pic, CalendarGrid& g) {
    if (!isCalendar(iCal))
        return false;
    const CalendarRecord& rec = record(iCal);
    const auto first = DateSerial(rec.Year, rec.Month, 1);
    g.Days = DaysInMonth(rec.Year, rec.Month);
    if (!first || g.Days < 1)
        return false;
    const std::int32_t u = TwipsPerPixel;
    const std::int32_t m = rec.DaysBevelWidth;
    g.Width = pic.ScaleWidth();
    g.Height = pic.ScaleHeight();
    const std::int32_t d1 = Weekday(*first, vbSunday);
    g.FirstCol =
        d1 >= rec.FirstDayOfWeek ? d1 - rec.FirstDayOfWeek + 1 : 7 - (rec.FirstDayOfWeek - d1) + 1;
    g.Rows = floorDiv(g.FirstCol + g.Days - 2, 7) + 2;
    g.CellWidth = (g.Width - 2.0 * m - 3.0 * u) / 7.0;
    g.RowHeight = static_cast<std::int32_t>(
        RoundHalfEven((g.Height - 2.0 * u - 2.0 * m - rec.Top - rec.TitleHeight) / g.Rows));
    return true;
}

std::int32_t GridColumn(const CalendarGrid& g, std::int32_t d) {
    return ((g.FirstCol - 2 + d) % 7 + 7) % 7;
}

std::int32_t GridWeek(const CalendarGrid& g, std::int32_t d) {
    return floorDiv(g.FirstCol - 2 + d, 7);
}

std::int32_t GridDayAt(std::int16_t iCal, const CalendarGrid& g, double X, double Y,
                       std::int32_t top) {
    const CalendarRecord& rec = record(iCal);
    if (g.CellWidth <= 0 || g.RowHeight <= 0)
        return 0;
    const double c = std::floor((X - rec.DaysBevelWidth - TwipsPerPixel) / g.CellWidth);
    const double k = std::floor((Y - top - rec.TitleHeight - rec.DaysBevelWidth) / g.RowHeight) - 1;
    const double p = RoundHalfEven(c + 7 * k + 1);
    return static_cast<std::int32_t>(p) - g.FirstCol + 1;
}

void ShowCalendarDate(std::int16_t iCal, std::int32_t years, std::int32_t months,
                      std::int32_t days) {
    frmTallix* w = MainWindow();
    std::optional<Date> dt;
    {
        const runtime::CalendarGuard keep;
        if (iCal == vbCalGreg) {
            SetCalendar(vbCalGreg);
            AddToCalendarDate(vbCalGreg, years, months, days);
        } else if (iCal == vbCalHijri) {
            SetCalendar(vbCalHijri);
            AddToCalendarDate(vbCalHijri, years, months, days);
            if (const auto hijri = CalendarRecordDate(vbCalHijri)) {
                SetCalendar(vbCalGreg);
                record(vbCalGreg).Year = Year(*hijri);
                record(vbCalGreg).Month = Month(*hijri);
                record(vbCalGreg).Day = Day(*hijri);
            }
        }
        SetCalendar(vbCalGreg);
        dt = CalendarRecordDate(vbCalGreg);
        // Both records name the day before either is set up, so the Gregorian calendar's
        // Islamic dates come from the Hijri years its month really lies in.
        if (dt)
            SetCalendarDate(*dt);
        for (const std::int16_t cal : {vbCalGreg, vbCalHijri}) {
            PictureBox* pic = w ? w->picCalendar[static_cast<std::size_t>(cal)] : nullptr;
            InitCalendar(cal, pic);
            DrawCalendar(cal, pic);
        }
        if (w && dt)
            w->RefreshMoonPhase(*dt);
    }
    if (!w || !dt || (gDisplayHijraa != 0 && gDisplayHijraa != 1))
        return;
    const int left = Screen.PixelsX(135);
    const int right = Screen.PixelsX(3220);
    const std::int16_t first = gDisplayHijraa == 1 ? vbCalHijri : vbCalGreg;
    const std::int16_t second = first == vbCalHijri ? vbCalGreg : vbCalHijri;
    if (PictureBox* pic = w->picCalendar[static_cast<std::size_t>(first)])
        pic->move(left, pic->y());
    if (PictureBox* pic = w->picCalendar[static_cast<std::size_t>(second)])
        pic->move(right, pic->y());
    if (w->fraMonthly)
        w->fraMonthly->setTitle(FormatLongDateLocalized(first, *dt) + QStringLiteral(" / ") +
                                FormatLongDateLocalized(second, *dt));
}

void CalendarMouseMove(std::int16_t iCal, PictureBox* pic, double X, double Y) {
    if (!pic || !isCalendar(iCal))
        return;
    const runtime::CalendarGuard keep;
    SetCalendar(iCal);
    CalendarGrid g;
    if (!ComputeCalendarGrid(iCal, *pic, g))
        return;
    const CalendarRecord& rec = record(iCal);
    const std::int32_t m = rec.DaysBevelWidth;
    if (!(rec.TitleHeight + g.RowHeight - TwipsPerPixel < Y && Y < g.Height - m - TwipsPerPixel)) {
        pic->unsetCursor(); // title, weekday row and bottom margin; the tip stays
        return;
    }
    if (!(m + 1 < X && X < g.Width - m - 1))
        return;
    const std::int32_t d = GridDayAt(iCal, g, X, Y, 0);
    if (d < 1 || d > g.Days) {
        pic->unsetCursor();
        pic->setToolTip(QString());
        return;
    }
    pic->setCursor(HandCursor());
    QString tip;
    for (const CalendarEvent& e : rec.Events) {
        if (e.Month == rec.Month && e.Year == rec.Year && e.Day == d) {
            tip = e.Name;
            break;
        }
    }
    pic->setToolTip(tip);
}

void CalendarMouseDown(std::int16_t iCal, PictureBox* pic, double X, double Y) {
    if (!pic || !isCalendar(iCal))
        return;
    const runtime::CalendarGuard keep;
    SetCalendar(iCal);
    CalendarGrid g;
    if (!ComputeCalendarGrid(iCal, *pic, g))
        return;
    CalendarRecord& rec = record(iCal);
    const std::int32_t d0 = rec.Day;
    const std::int32_t m = rec.DaysBevelWidth;
    const std::int32_t u = TwipsPerPixel;
    if (!(rec.Top + rec.TitleHeight + g.RowHeight - u < Y && Y < g.Height - m - u && m + u < X &&
          X < g.Width - m - u))
        return;
    const std::int32_t d = GridDayAt(iCal, g, X, Y, rec.Top);
    if (d < 1 || d > g.Days || d == d0)
        return;
    rec.Day = d;
    if (iCal == vbCalHijri) {
        if (const auto picked = CalendarRecordDate(vbCalHijri)) {
            SetCalendar(vbCalGreg);
            SetCalendarDate(*picked);
        }
    }
    ShowCalendarDate(iCal, 0, 0, 0);
}
