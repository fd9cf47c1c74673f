// Painting one month calendar into its picture: frame, title, weekday row, the boxes of today,
// the Islamic dates and the selected day, the day numbers and the grid, and the focus.
#include "mCalendar.h"

#include "core/datefmt.h"
#include "core/settings.h"
#include "runtime/Colors.h"
#include "runtime/Convert.h"
#include "runtime/PictureBox.h"

namespace {

constexpr std::int32_t kBlack = RGB(0, 0, 0);
constexpr std::int32_t kShadow = RGB(92, 92, 92);
constexpr std::int32_t kLight = RGB(255, 255, 255);

std::int32_t R(double v) {
    return static_cast<std::int32_t>(RoundHalfEven(v));
}

// A one-pixel straight line across or down, its last point left out.
void gridLine(PictureBox* pic, double x1, double y1, double x2, double y2, std::int32_t color) {
    const std::int32_t fill = pic->FillColor;
    pic->FillColor = color;
    if (y1 == y2 && x2 > x1)
        pic->LineBox(x1, y1, std::max(x1, x2 - TwipsPerPixel), y1, color);
    else if (x1 == x2 && y2 > y1)
        pic->LineBox(x1, y1, x1, std::max(y1, y2 - TwipsPerPixel), color);
    pic->FillColor = fill;
}

struct Box {
    std::int32_t x1, y1, x2, y2;
};

// The box of day d of the shown month (today, an Islamic date, the selected day).
Box cellBox(const CalendarRecord& rec, const CalendarGrid& g, std::int32_t d) {
    const std::int32_t u = TwipsPerPixel;
    const std::int32_t m = rec.DaysBevelWidth;
    const std::int32_t base = rec.Top + m + rec.TitleHeight;
    const std::int32_t col = GridColumn(g, d);
    const std::int32_t k = GridWeek(g, d);
    return {R(m + col * g.CellWidth + 2 * u), base + g.RowHeight * (k + 1) + u,
            R((col + 1) * g.CellWidth + m), base + g.RowHeight * (k + 2) - u};
}

void fillBox(PictureBox* pic, const Box& b, std::int32_t color, std::int16_t bevel,
             std::int32_t bevelWidth, bool outline) {
    Draw3DRect(pic, b.x1, b.y1, b.x2, b.y2, color, bevel, bevelWidth, outline);
}

} // namespace

void DrawCalendar(std::int16_t iCal, PictureBox* pic) {
    if (!pic || (iCal != vbCalGreg && iCal != vbCalHijri))
        return;
    const CalendarRecord& rec = Calendars[static_cast<std::size_t>(iCal)];
    // A fresh picture in the window's colour; the panels below cover all of it.
    pic->SetBackColor(vbButtonFace);
    const std::int32_t u = TwipsPerPixel;
    const double w = pic->ScaleWidth();
    const double h = pic->ScaleHeight();
    gridLine(pic, 0, 0, w, 0, kBlack);
    gridLine(pic, 0, h - u, w, h - u, kBlack);
    gridLine(pic, w - u, 0, w - u, h, kBlack);
    gridLine(pic, 0, 0, 0, h, kBlack);
    Draw3DRect(pic, u, rec.Top + u, R(w - 2 * u), rec.Top + rec.TitleHeight - u, rec.TitleBackColor,
               rec.TitleBevel, rec.TitleBevelWidth, rec.TitleOutlined);
    Draw3DRect(pic, u, rec.Top + rec.TitleHeight, R(w - 2 * u), R(h - 2 * u), rec.DaysBackColor,
               rec.DaysBevel, rec.DaysBevelWidth, true);
    DrawCalendarDays(iCal, pic);
}

void DrawCalendarDays(std::int16_t iCal, PictureBox* pic) {
    if (!pic || (iCal != vbCalGreg && iCal != vbCalHijri))
        return;
    const CalendarRecord& rec = Calendars[static_cast<std::size_t>(iCal)];
    const runtime::CalendarGuard keep;
    SetCalendar(iCal);
    CalendarGrid g;
    if (!ComputeCalendarGrid(iCal, *pic, g))
        return;
    const std::int32_t u = TwipsPerPixel;
    const std::int32_t m = rec.DaysBevelWidth;
    const std::int32_t bw = rec.TitleBevelWidth;
    const std::int32_t top = rec.Top;
    const std::int32_t th = rec.TitleHeight;
    const std::int32_t rh = g.RowHeight;
    const double cw = g.CellWidth;

    Draw3DRect(pic, m + 2 * u, m + th + 2 * u, R(g.Width - m - 3 * u), R(g.Height - m - 3 * u),
               rec.DaysBackColor, 0, 0, false);
    Draw3DRect(pic, bw + 3 * u, top + bw + 3 * u, R(g.Width - bw - 3 * u), top + th - bw - 2 * u,
               rec.TitleBackColor, 0, 0, false);

    // The title names the month shown: for the Hijri calendar the month of the day both
    // calendars show.
    SetCalendar(vbCalGreg);
    QString title;
    if (iCal == vbCalHijri) {
        const CalendarRecord& greg = Calendars[vbCalGreg];
        if (const auto day = DateSerial(greg.Year, greg.Month, greg.Day))
            title = FormatHijriMonthText(*day, 1);
    } else {
        title = GetMonthName(vbCalGreg, static_cast<std::int16_t>(rec.Month), 1) + u' ' +
                QString::number(rec.Year);
    }
    PrintAligned(pic, bw + 9 * u, top + bw + 3 * u, R(g.Width - rec.ScrollWidth - bw - 3 * u),
                 top + th - bw - u, title, QStringLiteral("center"), 0.5f, true);
    SetCalendar(iCal);

    for (std::int32_t i = 0; i < 7; ++i) {
        const auto day = static_cast<std::size_t>((rec.FirstDayOfWeek + i - 1) % 7 + 1);
        PrintAligned(pic, R(m + i * cw + 2 * u), top + m + th + 2 * u, R((i + 1) * cw + m + u),
                     top + rh + th + u, gDayNameInitial[day], QStringLiteral("center"), 0.5f,
                     false);
    }

    const Date today = NowDate();
    if (rec.TodayBackColor != rec.TitleBackColor && Month(today) == rec.Month &&
        Year(today) == rec.Year)
        fillBox(pic, cellBox(rec, g, Day(today)), rec.TodayBackColor, 0, 0, true);
    for (const CalendarEvent& e : rec.Events) {
        if (e.Month == rec.Month && e.Year == rec.Year)
            fillBox(pic, cellBox(rec, g, e.Day), e.Color, 0, 0, false);
    }
    fillBox(pic, cellBox(rec, g, rec.Day), rec.SelectedBackColor, rec.SelectedBevel,
            rec.SelectedBevelWidth, false);

    for (std::int32_t d = 1; d <= g.Days; ++d) {
        const std::int32_t r = GridWeek(g, d) + 1;
        const std::int32_t c = GridColumn(g, d);
        PrintAligned(pic, R(m + c * cw), top + m + rh * r + th + 2 * u, R((c + 1) * cw + m),
                     top + m + rh * (r + 1) + th, u' ' + QString::number(d),
                     QStringLiteral("center"), 0.5f, d == rec.Day);
    }

    for (std::int32_t i = 1; i <= 6; ++i) {
        const double x = m + i * cw + u;
        gridLine(pic, x, top + m + rh + th, x, g.Height - m - u, kBlack);
    }
    for (std::int32_t r = 1; r <= g.Rows - 1; ++r) {
        const double y = top + m + r * rh + th;
        gridLine(pic, m + u, y, g.Width - m - u, y, kBlack);
    }

    // The keyboard focus: a dotted frame inside the selected day's box.
    if (pic->hasFocus()) {
        const Box b = cellBox(rec, g, rec.Day);
        const std::int32_t in = rec.SelectedBevelWidth + u;
        pic->FocusBox(b.x1 + in, b.y1 + in, b.x2 - in, b.y2 - in, kBlack);
    }
}

void Draw3DRect(PictureBox* pic, std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2,
                std::int32_t backColor, std::int16_t bevel, std::int32_t bevelWidth, bool outline) {
    if (!pic)
        return;
    pic->FillColor = backColor;
    pic->FillStyle = vbFSSolid;
    pic->DrawWidth = 1;
    if (outline)
        pic->LineBox(x1 + bevelWidth, y1 + bevelWidth, x2 - bevelWidth, y2 - bevelWidth, kBlack);
    else
        pic->LineBox(x1, y1, x2, y2, backColor);
    if (bevel != kBevelRaised && bevel != kBevelSunken)
        return;
    const std::int32_t u = TwipsPerPixel;
    const std::int32_t rings = R(static_cast<double>(bevelWidth - u) / u);
    const std::int32_t lower = bevel == kBevelRaised ? kShadow : kLight;
    const std::int32_t upper = bevel == kBevelRaised ? kLight : kShadow;
    for (std::int32_t j = 0; j <= rings; ++j) {
        const std::int32_t o = j * u;
        gridLine(pic, x1 + o, y2 - o, x2 - o + u, y2 - o, lower);
        gridLine(pic, x1 + o, y1 + o, x2 - o + u, y1 + o, upper);
        gridLine(pic, x2 - o, y1 + o, x2 - o, y2 - o, lower);
        gridLine(pic, x1 + o, y1 + o, x1 + o, y2 - o, upper);
    }
}

void PrintAligned(PictureBox* pic, std::int32_t x1, std::int32_t y1, std::int32_t x2,
                  std::int32_t y2, const QString& text, const QString& align, float factor,
                  bool emphasised) {
    if (!pic)
        return;
    const QString how = align.toLower();
    if (how == QLatin1String("left") || how == QLatin1String("right") ||
        how == QLatin1String("center")) {
        const double width = pic->TextWidth(text);
        if (how == QLatin1String("left"))
            pic->CurrentX = x1;
        else if (how == QLatin1String("right"))
            pic->CurrentX = x2 - width;
        else
            pic->CurrentX = x1 + (x2 - x1) / 2.0 - width / 2.0;
        pic->CurrentY = y1 + (y2 - y1) * double(factor) - pic->TextHeight(text) * double(factor);
    }
    // Emphasis is the font's bold attribute, the highlight colour with it.
    const QFont saved = pic->font();
    if (emphasised) {
        pic->ForeColor = gColorHandsHighlight;
        QFont bold = saved;
        bold.setBold(true);
        pic->setFont(bold);
    } else {
        pic->ForeColor = gColorHands;
    }
    pic->Print(text, false);
    pic->setFont(saved);
}
