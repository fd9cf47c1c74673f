#pragma once
// The two month calendars of the main window, one Gregorian and one Hijri: their records with
// the Islamic event days, the date helpers the calendars and timetables share, navigation and
// hit-testing, and the drawing. Every Hijri date comes from the runtime's current-calendar
// switch (runtime/VBDate.h); a routine that switches it puts back the calendar it found.
//
// All lengths are twips of the calendar's picture, computed in 32-bit integers (a large or
// high-DPI picture draws whole).
#include "runtime/VBDate.h"

#include <QString>
#include <array>
#include <cstdint>
#include <optional>

class PictureBox;

// The names of the 23 kinds of Islamic dates (string-table entries 181..203), filled by the
// main window with its texts.
extern std::array<QString, 23> gIslamicEventNames;

// One Islamic date as seen in one calendar.
struct CalendarEvent {
    std::int32_t Day = 0;
    std::int32_t Month = 0;
    std::int32_t Year = 0;
    std::int32_t Color = 0; // fill of the day's box
    QString Name;           // the day's tooltip
};

// Bevel styles of Draw3DRect.
constexpr std::int16_t kBevelRaised = 1;
constexpr std::int16_t kBevelSunken = 2;

// One calendar: its selected day (also the month shown), geometry, colours, first weekday and
// the Islamic dates of three Hijri years expressed in this calendar.
struct CalendarRecord {
    // Entry n: row n mod 32 of the event table, Hijri year Y - 1 + n div 32 (Y the Hijri
    // record's year when the table was built).
    std::array<CalendarEvent, 96> Events{};
    std::int32_t ScrollHeight = 0; // the month scroll bar in the title bar
    std::int32_t ScrollWidth = 0;
    std::int32_t Top = 0;
    std::int32_t TitleHeight = 0;
    std::int16_t TitleBevel = 0;
    std::int32_t TitleBevelWidth = 0;
    bool TitleOutlined = false;
    std::int32_t TitleBackColor = 0;
    std::int16_t DaysBevel = 0;
    std::int32_t DaysBevelWidth = 0; // also the day grid's margin
    std::int32_t DaysBackColor = 0;
    std::int32_t TodayBackColor = 0;
    std::int16_t SelectedBevel = 0;
    std::int32_t SelectedBevelWidth = 0;
    std::int32_t SelectedBackColor = 0;
    std::int32_t Day = 0; // selected day, in this record's calendar
    std::int32_t Month = 0;
    std::int32_t Year = 0;
    std::int16_t FirstDayOfWeek = 1; // 1 Sunday .. 7 Saturday
};

// Element vbCalGreg and vbCalHijri. Outside a navigation step both name the same day.
extern std::array<CalendarRecord, 2> Calendars;

// The screen's twips per pixel (15 at 96 dpi), twice and three times it; set by InitCalendar.
extern std::int32_t TwipsPerPixel;
extern std::int32_t TwipsPerPixel2;
extern std::int32_t TwipsPerPixel3;

// ---- records and Islamic dates ----

// Sets up record iCal for drawing into pic: twips, geometry, colours, the user's first day of
// the week, the event table for the Hijri record's year and its neighbours, and places the
// calendar's scroll bar and moon picture. The selected date is left alone.
void InitCalendar(std::int16_t iCal, PictureBox* pic);
// The colour settings into record iCal.
void SetCalendarColors(std::int16_t iCal);
// The days of the month in the calendar that is current (29 or 30 for a Hijri month); 0 for
// a month the runtime cannot form.
std::int16_t DaysInMonth(std::int32_t year, std::int32_t month);
// Moves record iCal's date by years, then months, then days, in the current calendar (a day
// past the end of a shorter month becomes its last day). A date out of range leaves the record.
void AddToCalendarDate(std::int16_t iCal, std::int32_t years, std::int32_t months,
                       std::int32_t days);
// Both records to dt: record 0 its Gregorian day, record 1 its Hijri day.
void SetCalendarDate(const Date& dt);
// The date record iCal names, read in the current calendar; nullopt when it names none.
std::optional<Date> CalendarRecordDate(std::int16_t iCal);

// ---- geometry, shared by drawing and hit-testing ----

// The month grid of record iCal in pic, computed under the current calendar (the caller
// switches to iCal). Row 0 is the weekday row; weeks follow.
struct CalendarGrid {
    std::int32_t Days = 0;      // N: days of the shown month
    std::int32_t FirstCol = 1;  // F: 1-based column of day 1
    std::int32_t Rows = 0;      // RW: rows including the weekday row (5, 6 or 7)
    double CellWidth = 0;       // CW, not rounded
    std::int32_t RowHeight = 0; // CH, rounded
    double Width = 0;           // W, H: the picture's inner size
    double Height = 0;
};
bool ComputeCalendarGrid(std::int16_t iCal, const PictureBox& pic, CalendarGrid& g);
// The 0-based column and week of day d of the shown month (d may lie outside 1..N).
std::int32_t GridColumn(const CalendarGrid& g, std::int32_t d);
std::int32_t GridWeek(const CalendarGrid& g, std::int32_t d);
// The day of the shown month under (X, Y) (below 1 or above N for neighbour-month cells), with
// the week row counted from top + TitleHeight.
std::int32_t GridDayAt(std::int16_t iCal, const CalendarGrid& g, double X, double Y,
                       std::int32_t top);

// ---- navigation and hit-testing ----

// Moves calendar iCal's selected date by the steps, derives the other calendar, redraws both
// calendars of the main window, shows the moon of the day, places the calendars by
// gDisplayHijraa and names the day in the frame's caption. All steps 0 just redraws.
void ShowCalendarDate(std::int16_t iCal, std::int32_t years, std::int32_t months,
                      std::int32_t days);
// The pointer over calendar iCal: the hand over a day of the shown month, the day's Islamic
// date as the picture's tooltip.
void CalendarMouseMove(std::int16_t iCal, PictureBox* pic, double X, double Y);
// A left click on calendar iCal: selects the day of the shown month under the pointer.
void CalendarMouseDown(std::int16_t iCal, PictureBox* pic, double X, double Y);

// ---- drawing ----

// Paints calendar iCal into pic: frame, title panel and day panel, then the days.
void DrawCalendar(std::int16_t iCal, PictureBox* pic);
// Paints the title, weekday row, today's, the event days' and the selected day's boxes, the
// day numbers and the grid lines.
void DrawCalendarDays(std::int16_t iCal, PictureBox* pic);
// A filled box with an optional black outline (inset by the bevel width) and a raised or
// sunken bevel of bevelWidth.
void Draw3DRect(PictureBox* pic, std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2,
                std::int32_t backColor, std::int16_t bevel, std::int32_t bevelWidth, bool outline);
// text inside the box, aligned "left", "right" or "center" (any case); factor places it
// vertically (0.5 centred, 0 on top). Emphasised text is bold in gColorHandsHighlight,
// other text in gColorHands.
void PrintAligned(PictureBox* pic, std::int32_t x1, std::int32_t y1, std::int32_t x2,
                  std::int32_t y2, const QString& text, const QString& align, float factor,
                  bool emphasised);
