// The calendar module on its own pictures: the Islamic dates of three Hijri years, the month
// grid of both calendars for every first day of the week, hit-testing of every cell, the
// pointer's tooltip, and the drawn boxes, also on a picture too large for 16-bit twips.
#include "calendar/mCalendar.h"
#include "core/datefmt.h"
#include "core/settings.h"
#include "fakes/fake_locale.h"
#include "runtime/Clock.h"
#include "runtime/Colors.h"
#include "runtime/PictureBox.h"
#include "runtime/ResStrings.h"

#include <QCalendar>
#include <QSet>
#include <cmath>
#include <gtest/gtest.h>

namespace {

const QCalendar kHijri(QCalendar::System::IslamicCivil);

// Hijri month, day and name index of the 32 Islamic dates of a year, as the users know them.
struct Row {
    int month, day, name;
};
const Row kRows[32] = {
    {1, 1, 0},    {1, 9, 1},    {1, 10, 2},   {1, 15, 3},   {2, 27, 4},  {3, 12, 5},  {5, 5, 6},
    {7, 26, 7},   {9, 1, 8},    {9, 17, 9},   {9, 20, 10},  {9, 21, 11}, {9, 22, 10}, {9, 23, 10},
    {9, 24, 10},  {9, 25, 10},  {9, 26, 10},  {9, 27, 10},  {9, 28, 10}, {9, 29, 10}, {9, 30, 10},
    {10, 1, 12},  {10, 2, 13},  {10, 6, 14},  {10, 10, 15}, {12, 1, 16}, {12, 8, 17}, {12, 9, 18},
    {12, 10, 19}, {12, 11, 20}, {12, 12, 21}, {12, 13, 22},
};

// Qt's weekday (1 Monday .. 7 Sunday) as 1 Sunday .. 7 Saturday.
int sundayFirst(const QDate& d) {
    return d.dayOfWeek() % 7 + 1;
}

class CalendarModule : public testing::Test {
protected:
    void SetUp() override {
        SetCalendar(vbCalGreg);
        runtime::SetClock(QDateTime(QDate(2024, 3, 31), QTime(15, 0)));
        for (std::size_t k = 0; k < gIslamicEventNames.size(); ++k)
            gIslamicEventNames[k] = LoadResString(181 + static_cast<int>(k));
        for (int d = 1; d <= 7; ++d)
            gDayNameInitial[static_cast<std::size_t>(d)] = QString(QChar(u'A' + d));
        gColorFace = RGB(240, 240, 240);
        gColorFaceHighlight = RGB(40, 120, 200);
        gColorSecondsHighlight = RGB(200, 180, 60);
        gColorHands = RGB(0, 0, 0);
        gColorHandsHighlight = RGB(255, 255, 255);
        for (PictureBox* p : pics)
            p->resize(200, 180);
    }
    void TearDown() override {
        runtime::SetClock(nullptr);
        SetCalendar(vbCalGreg);
    }
    void setUpBoth(const QDate& day) {
        SetCalendarDate(Date(day));
        InitCalendar(vbCalGreg, pics[0]);
        InitCalendar(vbCalHijri, pics[1]);
    }
    CalendarGrid grid(int cal) {
        const runtime::CalendarGuard keep;
        SetCalendar(static_cast<std::int16_t>(cal));
        CalendarGrid g;
        EXPECT_TRUE(ComputeCalendarGrid(static_cast<std::int16_t>(cal), *pics[cal], g));
        return g;
    }
    // The centre of grid cell (week row k from 0, column c) in twips, from the drawn layout.
    QPointF cellCentre(int cal, const CalendarGrid& g, int k, int c) {
        const CalendarRecord& r = Calendars[static_cast<std::size_t>(cal)];
        return {(c + 0.5) * g.CellWidth + TwipsPerPixel,
                r.TitleHeight + (k + 1.5) * double(g.RowHeight)};
    }

    FakeLocale locale;
    PictureBox picStore[2];
    PictureBox* pics[2] = {&picStore[0], &picStore[1]};
};

TEST_F(CalendarModule, IslamicDatesCoverThreeHijriYearsInBothCalendars) {
    setUpBoth(QDate(2024, 3, 31)); // 21 Ramadan 1445
    QSet<QString> names;
    for (int n = 0; n < 96; ++n) {
        const Row& row = kRows[n % 32];
        const int year = 1444 + n / 32;
        const CalendarEvent& h = Calendars[vbCalHijri].Events[static_cast<std::size_t>(n)];
        EXPECT_EQ(h.Year, year) << n;
        EXPECT_EQ(h.Month, row.month) << n;
        EXPECT_EQ(h.Day, row.day) << n;
        EXPECT_EQ(h.Name, gIslamicEventNames[static_cast<std::size_t>(row.name)]) << n;
        EXPECT_EQ(h.Color, gColorSecondsHighlight);
        const QDate greg = kHijri.dateFromParts(year, row.month, row.day);
        const CalendarEvent& g = Calendars[vbCalGreg].Events[static_cast<std::size_t>(n)];
        EXPECT_EQ(QDate(g.Year, g.Month, g.Day), greg) << n;
        EXPECT_EQ(g.Name, h.Name) << n;
        names.insert(h.Name);
    }
    EXPECT_EQ(names.size(), 23);
    EXPECT_EQ(Calendar(), vbCalGreg);
    EXPECT_EQ(Calendars[vbCalHijri].Events[32 + 11].Name,
              QStringLiteral("Search for Laylatul Qadr / Liberation of Makkah (8 A.H.)"));
}

TEST_F(CalendarModule, DaysInMonthFollowTheCurrentCalendar) {
    EXPECT_EQ(DaysInMonth(2024, 2), 29);
    EXPECT_EQ(DaysInMonth(2023, 2), 28);
    EXPECT_EQ(DaysInMonth(2024, 12), 31);
    SetCalendar(vbCalHijri);
    for (int m = 1; m <= 12; ++m)
        EXPECT_EQ(DaysInMonth(1445, m), kHijri.daysInMonth(m, 1445)) << m;
    SetCalendar(vbCalGreg);
}

TEST_F(CalendarModule, MonthGridOfBothCalendarsForEveryFirstWeekday) {
    // Locale answers "0" Monday .. "6" Sunday; anything else counts as Sunday.
    const struct {
        QString locale;
        int first;
    } weeks[] = {{"6", 1}, {"0", 2}, {"1", 3}, {"2", 4}, {"3", 5}, {"4", 6}, {"5", 7}, {"x", 1}};
    for (const auto& week : weeks) {
        locale.texts[LOCALE_IFIRSTDAYOFWEEK] = week.locale;
        for (int cal : {0, 1}) {
            for (int m = 1; m <= 12; ++m) {
                const QDate first = cal == 0 ? QDate(2015, m, 1) : kHijri.dateFromParts(1436, m, 1);
                SetCalendarDate(Date(first));
                InitCalendar(static_cast<std::int16_t>(cal), pics[cal]);
                ASSERT_EQ(Calendars[static_cast<std::size_t>(cal)].FirstDayOfWeek, week.first);
                const CalendarGrid g = grid(cal);
                const int n = cal == 0 ? first.daysInMonth() : kHijri.daysInMonth(m, 1436);
                const int col = (sundayFirst(first) - week.first + 7) % 7 + 1;
                const std::string what = "cal " + std::to_string(cal) + " month " +
                                         std::to_string(m) + " week " + std::to_string(week.first);
                EXPECT_EQ(g.Days, n) << what;
                EXPECT_EQ(g.FirstCol, col) << what;
                EXPECT_EQ(g.Rows, (col - 1 + n + 6) / 7 + 1) << what;
                // 2235 / 6 = 372.5 goes to the even 372.
                EXPECT_EQ(g.RowHeight, std::lrint((180.0 * 15 - 31 * 15) / g.Rows)) << what;
                EXPECT_EQ(GridColumn(g, n), (col - 1 + n - 1) % 7) << what;
            }
        }
    }
    // March 2015 begins on a Sunday: with the week from Monday it needs six weeks.
    locale.texts[LOCALE_IFIRSTDAYOFWEEK] = QStringLiteral("0");
    SetCalendarDate(Date(QDate(2015, 3, 1)));
    InitCalendar(vbCalGreg, pics[0]);
    EXPECT_EQ(grid(0).FirstCol, 7);
    EXPECT_EQ(grid(0).Rows, 7);
    // February 2015: 28 days from a Sunday fill four weeks exactly.
    locale.texts[LOCALE_IFIRSTDAYOFWEEK] = QStringLiteral("6");
    SetCalendarDate(Date(QDate(2015, 2, 1)));
    InitCalendar(vbCalGreg, pics[0]);
    EXPECT_EQ(grid(0).Rows, 5);
}

TEST_F(CalendarModule, EveryCellSelectsItsDayOrNothing) {
    for (const QString& week : {QStringLiteral("6"), QStringLiteral("2")}) {
        locale.texts[LOCALE_IFIRSTDAYOFWEEK] = week;
        for (int cal : {0, 1}) {
            setUpBoth(QDate(2024, 3, 31));
            const CalendarGrid g = grid(cal);
            CalendarRecord& rec = Calendars[static_cast<std::size_t>(cal)];
            for (int k = 0; k < g.Rows - 1; ++k) {
                for (int c = 0; c < 7; ++c) {
                    const int expected = k * 7 + c + 2 - g.FirstCol;
                    const bool inMonth = expected >= 1 && expected <= g.Days;
                    // Start from a day that no cell of this row holds.
                    setUpBoth(QDate(2024, 3, 31));
                    rec.Day = expected == 15 ? 16 : 15;
                    const int before = rec.Day;
                    const QPointF at = cellCentre(cal, g, k, c);
                    CalendarMouseMove(static_cast<std::int16_t>(cal), pics[cal], at.x(), at.y());
                    EXPECT_EQ(pics[cal]->cursor().shape(),
                              inMonth ? Qt::BitmapCursor : Qt::ArrowCursor)
                        << cal << " " << k << " " << c;
                    CalendarMouseDown(static_cast<std::int16_t>(cal), pics[cal], at.x(), at.y());
                    EXPECT_EQ(rec.Day, inMonth ? expected : before) << cal << " " << k << " " << c;
                }
            }
            // The title bar and the weekday row select nothing.
            rec.Day = 5;
            const QPointF header = cellCentre(cal, g, -1, 3);
            CalendarMouseDown(static_cast<std::int16_t>(cal), pics[cal], header.x(), header.y());
            CalendarMouseDown(static_cast<std::int16_t>(cal), pics[cal], header.x(), 100);
            EXPECT_EQ(rec.Day, 5);
        }
    }
    EXPECT_EQ(Calendar(), vbCalGreg);
}

TEST_F(CalendarModule, PointerShowsTheDaysIslamicDateLowestEntryFirst) {
    setUpBoth(QDate(2024, 3, 31));
    const CalendarGrid g = grid(1);
    const auto tipAt = [&](int d) {
        const QPointF at = cellCentre(1, g, GridWeek(g, d), GridColumn(g, d));
        CalendarMouseMove(vbCalHijri, pics[1], at.x(), at.y());
        return pics[1]->toolTip();
    };
    EXPECT_EQ(tipAt(21), gIslamicEventNames[11]);
    EXPECT_EQ(tipAt(22), gIslamicEventNames[10]);
    EXPECT_EQ(tipAt(1), gIslamicEventNames[8]);
    EXPECT_EQ(tipAt(5), QString());
    // Two entries on one day: the lower index names it.
    Calendars[vbCalHijri].Events[32 + 12].Day = 21;
    Calendars[vbCalHijri].Events[32 + 10].Day = 21;
    EXPECT_EQ(tipAt(21), gIslamicEventNames[10]);
    Calendars[vbCalHijri].Events[32 + 10].Day = 20;
    EXPECT_EQ(tipAt(21), gIslamicEventNames[11]);
    // Over the title bar the tip stays.
    CalendarMouseMove(vbCalHijri, pics[1], 400, 100);
    EXPECT_EQ(pics[1]->toolTip(), gIslamicEventNames[11]);
    EXPECT_EQ(pics[1]->cursor().shape(), Qt::ArrowCursor);
}

// Drawn boxes: the selected day sunken in its colour, the Islamic dates in theirs, the other
// days plain, the grid black; on a normal picture and on one far beyond 32767 twips.
TEST_F(CalendarModule, DrawsEveryBoxAlsoOnAVeryLargePicture) {
    for (const QSize size : {QSize(200, 180), QSize(2600, 2400)}) {
        pics[1]->resize(size);
        setUpBoth(QDate(2024, 4, 8)); // 29 Ramadan 1445: the last week holds the selection
        DrawCalendar(vbCalHijri, pics[1]);
        const QImage img = pics[1]->image();
        const CalendarGrid g = grid(1);
        const CalendarRecord& rec = Calendars[vbCalHijri];
        const auto px = [&](double x, double y) {
            const QPointF at = pics[1]->toPixels(x, y) * img.devicePixelRatio();
            return img.pixel(at.toPoint()) & 0xFFFFFF;
        };
        const auto rgb = [](std::int32_t c) { return TranslateColor(c).rgb() & 0xFFFFFF; };
        for (int d = 1; d <= g.Days; ++d) {
            const double x = GridColumn(g, d) * g.CellWidth + 5 * TwipsPerPixel;
            const double y =
                rec.TitleHeight + (GridWeek(g, d) + 1) * g.RowHeight + 4 * TwipsPerPixel;
            const bool event = d == 1 || d == 17 || d >= 20;
            const std::int32_t want = d == 29 ? rec.SelectedBackColor
                                      : event ? gColorSecondsHighlight
                                              : rec.DaysBackColor;
            EXPECT_EQ(px(x, y), rgb(want)) << size.width() << " day " << d;
        }
        // The frame and the last grid line reach the far edges.
        const double w = pics[1]->ScaleWidth();
        const double h = pics[1]->ScaleHeight();
        EXPECT_EQ(px(w - TwipsPerPixel, h / 2), 0u) << size.width();
        EXPECT_EQ(px(w / 2, h - TwipsPerPixel), 0u) << size.width();
        const double last = rec.TitleHeight + (g.Rows - 1) * double(g.RowHeight);
        EXPECT_EQ(px(w - 3 * TwipsPerPixel, last), 0u) << size.width();
        // The sunken bevel: shadow above, light below the selected box.
        const double sx = GridColumn(g, 29) * g.CellWidth + 3 * TwipsPerPixel;
        const double top = rec.TitleHeight + (GridWeek(g, 29) + 1) * g.RowHeight + TwipsPerPixel;
        EXPECT_EQ(px(sx + 2 * TwipsPerPixel, top), rgb(RGB(92, 92, 92)));
        EXPECT_EQ(px(sx + 2 * TwipsPerPixel, top + g.RowHeight - 2 * TwipsPerPixel),
                  rgb(RGB(255, 255, 255)));
    }
    EXPECT_EQ(Calendar(), vbCalGreg);
}

TEST_F(CalendarModule, MovingADateKeepsTheDayInShorterMonths) {
    const struct {
        QDate from;
        int y, m, d;
        QDate to;
    } cases[] = {
        {QDate(2024, 1, 31), 0, 1, 0, QDate(2024, 2, 29)},
        {QDate(2024, 2, 29), 1, 0, 0, QDate(2025, 2, 28)},
        {QDate(2024, 2, 29), -1, 0, 0, QDate(2023, 2, 28)},
        {QDate(2024, 3, 1), 0, 0, -1, QDate(2024, 2, 29)},
        {QDate(2024, 12, 28), 0, 0, 7, QDate(2025, 1, 4)},
    };
    for (const auto& c : cases) {
        SetCalendarDate(Date(c.from));
        AddToCalendarDate(vbCalGreg, c.y, c.m, c.d);
        const CalendarRecord& r = Calendars[vbCalGreg];
        EXPECT_EQ(QDate(r.Year, r.Month, r.Day), c.to) << c.from.toString().toStdString();
    }
    // Out of the runtime's range: the record stays.
    SetCalendarDate(Date(QDate(9999, 12, 20)));
    AddToCalendarDate(vbCalGreg, 0, 1, 0);
    EXPECT_EQ(Calendars[vbCalGreg].Month, 12);
    EXPECT_EQ(Calendars[vbCalGreg].Year, 9999);
}

} // namespace
