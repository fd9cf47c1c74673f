// The calendar records, their Islamic dates, and the date helpers of calendars and timetables.
#include "mCalendar.h"

#include "core/mAPI.h"
#include "core/settings.h"
#include "mainwindow/frmTallix.h"
#include "runtime/App.h"
#include "runtime/Convert.h"

#include <QScrollBar>
#include <cmath>

std::array<QString, 23> gIslamicEventNames;
std::array<CalendarRecord, 2> Calendars;
std::int32_t TwipsPerPixel = 15;
std::int32_t TwipsPerPixel2 = 30;
std::int32_t TwipsPerPixel3 = 45;

namespace {

// The Islamic dates of one Hijri year: month, day and the index of the name.
struct EventRow {
    int month;
    int day;
    int name;
};
constexpr std::array<EventRow, 32> kEventRows{{
    {1, 1, 0},    {1, 9, 1},    {1, 10, 2},   {1, 15, 3},   {2, 27, 4},  {3, 12, 5},  {5, 5, 6},
    {7, 26, 7},   {9, 1, 8},    {9, 17, 9},   {9, 20, 10},  {9, 21, 11}, {9, 22, 10}, {9, 23, 10},
    {9, 24, 10},  {9, 25, 10},  {9, 26, 10},  {9, 27, 10},  {9, 28, 10}, {9, 29, 10}, {9, 30, 10},
    {10, 1, 12},  {10, 2, 13},  {10, 6, 14},  {10, 10, 15}, {12, 1, 16}, {12, 8, 17}, {12, 9, 18},
    {12, 10, 19}, {12, 11, 20}, {12, 12, 21}, {12, 13, 22},
}};

std::int32_t roundedTwips(double v) {
    return static_cast<std::int32_t>(RoundHalfEven(v));
}

// The event table of record iCal for the Hijri years around the Hijri record's year.
void buildEvents(std::int16_t iCal) {
    CalendarRecord& rec = Calendars[static_cast<std::size_t>(iCal)];
    const runtime::CalendarGuard keep;
    SetCalendar(vbCalHijri);
    const std::int32_t y0 = Calendars[vbCalHijri].Year;
    std::array<std::optional<Date>, 96> dates;
    for (std::size_t n = 0; n < dates.size(); ++n) {
        const EventRow& row = kEventRows[n % 32];
        dates[n] = DateSerial(y0 - 1 + static_cast<int>(n / 32), row.month, row.day);
        rec.Events[n].Name = gIslamicEventNames[static_cast<std::size_t>(row.name)];
    }
    SetCalendar(iCal);
    for (std::size_t n = 0; n < dates.size(); ++n) {
        CalendarEvent& e = rec.Events[n];
        // A date the runtime cannot form marks no day.
        e.Year = dates[n] ? Year(*dates[n]) : 0;
        e.Month = dates[n] ? Month(*dates[n]) : 0;
        e.Day = dates[n] ? Day(*dates[n]) : 0;
        e.Color = gColorSecondsHighlight;
    }
}

// The month scroll bar at the right of the title bar and the moon picture at its left.
void placeTitleControls(std::int16_t iCal, PictureBox* pic) {
    frmTallix* w = MainWindow();
    if (!w || !pic)
        return;
    const CalendarRecord& rec = Calendars[static_cast<std::size_t>(iCal)];
    const double width = pic->ScaleWidth();
    const double middle =
        roundedTwips(rec.TitleHeight / 2.0) - roundedTwips(rec.ScrollHeight / 2.0);
    const auto pixels = [pic](double x, double y) { return pic->toPixels(x, y).toPoint(); };
    if (QScrollBar* hsb = w->hsbCalendar[static_cast<std::size_t>(iCal)]) {
        const QSignalBlocker quiet(hsb);
        hsb->setRange(-1, 1);
        hsb->setSingleStep(1);
        hsb->setPageStep(1);
        const double left = std::floor(0.973 * width) - rec.ScrollWidth - rec.TitleBevelWidth;
        const QPoint at = pixels(left, middle + 0.65 * TwipsPerPixel2);
        const QPoint size = pixels(rec.ScrollWidth, rec.ScrollHeight);
        hsb->setGeometry(at.x(), at.y(), size.x(), size.y());
        hsb->setEnabled(true);
        hsb->setVisible(true);
    }
    if (Image* moon = w->imgMoonPhase[static_cast<std::size_t>(iCal)])
        moon->move(pixels(std::floor(0.028 * width), middle));
}

} // namespace

void InitCalendar(std::int16_t iCal, PictureBox* pic) {
    if ((iCal != vbCalGreg && iCal != vbCalHijri) || !pic)
        return;
    pic->SetScaleMode(vbTwips);
    TwipsPerPixel = std::max(1, Screen.TwipsPerPixelX());
    TwipsPerPixel2 = 2 * TwipsPerPixel;
    TwipsPerPixel3 = 3 * TwipsPerPixel;

    CalendarRecord& rec = Calendars[static_cast<std::size_t>(iCal)];
    rec.Top = 0;
    rec.ScrollHeight = 15 * TwipsPerPixel;
    rec.ScrollWidth = 26 * TwipsPerPixel;
    rec.TitleHeight = 29 * TwipsPerPixel;
    rec.TitleBevel = 0;
    rec.TitleBevelWidth = 0;
    rec.TitleOutlined = true;
    rec.DaysBevel = 0;
    rec.DaysBevelWidth = 0;
    rec.SelectedBevel = kBevelSunken;
    rec.SelectedBevelWidth = TwipsPerPixel2;
    rec.FirstDayOfWeek = GetFirstDayOfWeek();
    SetCalendarColors(iCal);
    buildEvents(iCal);
    placeTitleControls(iCal, pic);
}

void SetCalendarColors(std::int16_t iCal) {
    if (iCal != vbCalGreg && iCal != vbCalHijri)
        return;
    CalendarRecord& rec = Calendars[static_cast<std::size_t>(iCal)];
    rec.TitleBackColor = gColorFaceHighlight;
    rec.DaysBackColor = gColorFace;
    rec.TodayBackColor = gColorFace;
    rec.SelectedBackColor = gColorFaceHighlight;
}

std::int16_t DaysInMonth(std::int32_t year, std::int32_t month) {
    const auto first = DateSerial(year, month, 1);
    const auto next = first ? DateAdd(QStringLiteral("m"), 1, *first) : std::nullopt;
    const auto last = next ? DateAdd(QStringLiteral("d"), -1, *next) : std::nullopt;
    return static_cast<std::int16_t>(last ? Day(*last) : 0);
}

std::optional<Date> CalendarRecordDate(std::int16_t iCal) {
    if (iCal != vbCalGreg && iCal != vbCalHijri)
        return std::nullopt;
    const CalendarRecord& rec = Calendars[static_cast<std::size_t>(iCal)];
    return DateSerial(rec.Year, rec.Month, rec.Day);
}

void AddToCalendarDate(std::int16_t iCal, std::int32_t years, std::int32_t months,
                       std::int32_t days) {
    auto d = CalendarRecordDate(iCal);
    if (d)
        d = DateAdd(QStringLiteral("yyyy"), years, *d);
    if (d)
        d = DateAdd(QStringLiteral("m"), months, *d);
    if (d)
        d = DateAdd(QStringLiteral("d"), days, *d);
    if (!d)
        return;
    CalendarRecord& rec = Calendars[static_cast<std::size_t>(iCal)];
    rec.Year = Year(*d);
    rec.Month = Month(*d);
    rec.Day = Day(*d);
}

void SetCalendarDate(const Date& dt) {
    if (!dt.isValid())
        return;
    const runtime::CalendarGuard keep;
    for (const std::int16_t cal : {vbCalGreg, vbCalHijri}) {
        SetCalendar(cal);
        CalendarRecord& rec = Calendars[static_cast<std::size_t>(cal)];
        rec.Year = Year(dt);
        rec.Month = Month(dt);
        rec.Day = Day(dt);
    }
}
