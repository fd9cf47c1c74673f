// The main window's two month calendars: keys, scroll bars, clicks and pointer, the two moving
// together, their placement and caption, the moon of the selected day, and how they look.
#include "calendar/mCalendar.h"
#include "core/moon.h"
#include "core/settings.h"
#include "fakes/fake_locale.h"
#include "fakes/fake_registry.h"
#include "mainwindow/TabListBox.h"
#include "mainwindow/frmTallix.h"
#include "runtime/App.h"
#include "runtime/Clock.h"
#include "runtime/Colors.h"
#include "runtime/ResStrings.h"

#include <QApplication>
#include <QCalendar>
#include <QDir>
#include <QGroupBox>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTabWidget>
#include <QTest>
#include <gtest/gtest.h>

#include <memory>

namespace {

const QCalendar kHijri(QCalendar::System::IslamicCivil);

struct Ymd {
    int y, m, d;
    bool operator==(const Ymd&) const = default;
    friend void PrintTo(const Ymd& v, std::ostream* os) { *os << v.y << '-' << v.m << '-' << v.d; }
};

Ymd recordDay(int cal) {
    const CalendarRecord& r = Calendars[static_cast<std::size_t>(cal)];
    return {r.Year, r.Month, r.Day};
}
Ymd hijriOf(const QDate& d) {
    const QCalendar::YearMonthDay p = kHijri.partsFromDate(d);
    return {p.year, p.month, p.day};
}
Ymd gregOf(const QDate& d) {
    return {d.year(), d.month(), d.day()};
}
QDate fromHijri(int y, int m, int d) {
    return kHijri.dateFromParts(y, m, d);
}

class CalendarWindow : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(LoadSettings());
        SetCalendar(vbCalGreg);
        gDisplayHijraa = 0;
        gLatitude = 21.4225;
        // 21 Ramadan 1445 (tabular), a Sunday, in the afternoon.
        runtime::SetClock(QDateTime(QDate(2024, 3, 31), QTime(15, 0)));
        for (std::size_t k = 0; k < gIslamicEventNames.size(); ++k)
            gIslamicEventNames[k] = LoadResString(181 + static_cast<int>(k));
        window = std::make_unique<frmTallix>();
        window->TranslateDateNames();
        show(QDate(2024, 3, 31));
    }
    void TearDown() override {
        window.reset();
        runtime::SetClock(nullptr);
        SetCalendar(vbCalGreg);
    }

    void show(const QDate& day) {
        SetCalendarDate(Date(day));
        ShowCalendarDate(gDisplayHijraa, 0, 0, 0);
    }
    PictureBox& pic(int i) { return *window->picCalendar[static_cast<std::size_t>(i)]; }
    void key(int i, int qtKey) {
        QKeyEvent press(QEvent::KeyPress, qtKey, Qt::NoModifier);
        QCoreApplication::sendEvent(&pic(i), &press);
    }
    // The centre of day d's cell in calendar i, in pixels of its picture.
    QPoint cellCentre(int i, int d) {
        const runtime::CalendarGuard keep;
        SetCalendar(static_cast<std::int16_t>(i));
        CalendarGrid g;
        EXPECT_TRUE(ComputeCalendarGrid(static_cast<std::int16_t>(i), pic(i), g));
        const CalendarRecord& r = Calendars[static_cast<std::size_t>(i)];
        const double x = (GridColumn(g, d) + 0.5) * g.CellWidth + TwipsPerPixel;
        const double y = r.TitleHeight + (GridWeek(g, d) + 1.5) * g.RowHeight;
        return pic(i).toPixels(x, y).toPoint();
    }
    void mouse(int i, QEvent::Type type, const QPoint& at) {
        const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
        QMouseEvent e(type, QPointF(at), pic(i).mapToGlobal(QPointF(at)), button,
                      type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&pic(i), &e);
    }
    // A point just inside the top-left corner of day d's box, clear of its number.
    QPoint cellCorner(int i, int d) {
        const runtime::CalendarGuard keep;
        SetCalendar(static_cast<std::int16_t>(i));
        CalendarGrid g;
        EXPECT_TRUE(ComputeCalendarGrid(static_cast<std::int16_t>(i), pic(i), g));
        const CalendarRecord& r = Calendars[static_cast<std::size_t>(i)];
        const double x = GridColumn(g, d) * g.CellWidth + 5 * TwipsPerPixel;
        const double y = r.TitleHeight + (GridWeek(g, d) + 1) * g.RowHeight + 4 * TwipsPerPixel;
        return pic(i).toPixels(x, y).toPoint();
    }
    // The colour drawn at a point given in the picture's pixels (the kept image may hold more
    // device pixels per pixel).
    QRgb colourAt(int i, const QPoint& p) {
        const QImage& img = pic(i).image();
        return img.pixel((QPointF(p) * img.devicePixelRatio()).toPoint()) & 0xFFFFFF;
    }
    static QRgb rgb(std::int32_t colour) { return TranslateColor(colour).rgb() & 0xFFFFFF; }
    // Both records name the same day: the Gregorian one's.
    void expectTogether() {
        const Ymd g = recordDay(0);
        const QDate day(g.y, g.m, g.d);
        ASSERT_TRUE(day.isValid());
        EXPECT_EQ(recordDay(1), hijriOf(day)) << g.y << '-' << g.m << '-' << g.d;
    }

    FakeRegistry registry;
    FakeLocale locale;
    std::unique_ptr<frmTallix> window;
};

TEST_F(CalendarWindow, ScreenshotShowsBothMonthsWithTheirIslamicDates) {
    window->Load();
    window->tabMain->setCurrentIndex(1);
    window->show();
    QApplication::processEvents();
    // The day's refresh has put both calendars on today, 21 Ramadan.
    EXPECT_EQ(recordDay(0), (Ymd{2024, 3, 31}));
    EXPECT_EQ(recordDay(1), (Ymd{1445, 9, 21}));
    EXPECT_EQ(window->lstMonthlyPrayerTimes->count(), 1);
    const QImage shot = window->grab().toImage();
    const QString dir = QStringLiteral(TALLIX_BUILD_DIR "/screenshots");
    QDir().mkpath(dir);
    EXPECT_TRUE(shot.save(dir + QStringLiteral("/calendars.png")));

    // Both pictures lie whole inside the window and do not overlap.
    const QRect g = QRect(pic(0).mapTo(window.get(), QPoint(0, 0)), pic(0).size());
    const QRect h = QRect(pic(1).mapTo(window.get(), QPoint(0, 0)), pic(1).size());
    EXPECT_TRUE(window->rect().contains(g));
    EXPECT_TRUE(window->rect().contains(h));
    EXPECT_FALSE(g.intersects(h));
    // Ramadan 20 (an event, not selected) shows the event colour in both calendars.
    for (int i : {0, 1}) {
        const int d = i == 0 ? 30 : 20;
        EXPECT_EQ(colourAt(i, cellCorner(i, d)), rgb(gColorSecondsHighlight)) << "calendar " << i;
    }
    EXPECT_TRUE(window->imgMoonPhase[0]->isVisible());
    EXPECT_TRUE(window->imgMoonPhase[1]->isVisible());
}

TEST_F(CalendarWindow, AFocusedCalendarDrawsTheFocusOnItsSelectedDay) {
    window->Load();
    window->tabMain->setCurrentIndex(1);
    window->show();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    const QString dir = QStringLiteral(TALLIX_BUILD_DIR "/screenshots");
    QDir().mkpath(dir);
    for (int i : {0, 1}) {
        SCOPED_TRACE(i);
        window->tabMain->setFocus();
        QApplication::processEvents();
        ASSERT_FALSE(pic(i).hasFocus());
        const QImage unfocused = pic(i).grab().toImage();
        pic(i).setFocus(Qt::TabFocusReason);
        QApplication::processEvents();
        ASSERT_TRUE(pic(i).hasFocus());
        const QImage focused = pic(i).grab().toImage();
        EXPECT_TRUE(unfocused.save(dir + QStringLiteral("/calendar_%1_unfocused.png").arg(i)));
        EXPECT_TRUE(focused.save(dir + QStringLiteral("/calendar_%1_focused.png").arg(i)));
        EXPECT_NE(focused, unfocused) << "the focus does not show";
        // Only inside the selected day's box.
        const CalendarRecord& rec = Calendars[static_cast<std::size_t>(i)];
        const QPoint centre = cellCentre(i, rec.Day);
        const QPoint corner = cellCorner(i, rec.Day);
        const QPoint half(std::abs(centre.x() - corner.x()) + 4,
                          std::abs(centre.y() - corner.y()) + 6);
        for (int y = 0; y < focused.height(); ++y)
            for (int x = 0; x < focused.width(); ++x)
                if (focused.pixel(x, y) != unfocused.pixel(x, y)) {
                    ASSERT_TRUE(std::abs(x - centre.x()) <= half.x() &&
                                std::abs(y - centre.y()) <= half.y())
                        << x << "," << y << " outside the selected day at " << centre.x() << ","
                        << centre.y();
                }
        // Gone with the focus.
        window->tabMain->setFocus();
        QApplication::processEvents();
        EXPECT_EQ(pic(i).grab().toImage(), unfocused);
    }
}

TEST_F(CalendarWindow, KeysMoveTheCalendarWithTheFocusAndTheOtherFollows) {
    const struct {
        int cal;
        QDate from; // Gregorian
        int key;
        QDate to;
    } cases[] = {
        {0, QDate(2024, 3, 31), Qt::Key_Left, QDate(2024, 3, 30)},
        {0, QDate(2024, 3, 31), Qt::Key_Right, QDate(2024, 4, 1)},
        {0, QDate(2024, 3, 31), Qt::Key_Up, QDate(2024, 3, 24)},
        {0, QDate(2024, 3, 31), Qt::Key_Down, QDate(2024, 4, 7)},
        {0, QDate(2024, 3, 31), Qt::Key_PageUp, QDate(2024, 2, 29)},
        {0, QDate(2024, 3, 31), Qt::Key_PageDown, QDate(2024, 4, 30)},
        {0, QDate(2024, 2, 29), Qt::Key_Home, QDate(2023, 2, 28)},
        {0, QDate(2024, 2, 29), Qt::Key_End, QDate(2025, 2, 28)},
        {0, QDate(2024, 3, 31), Qt::Key_A, QDate(2024, 3, 31)},
        // 30 Ramadan 1445 -> 29 Shawwal (a 29-day month); the Gregorian calendar follows.
        {1, fromHijri(1445, 9, 30), Qt::Key_PageDown, fromHijri(1445, 10, 29)},
        {1, fromHijri(1445, 9, 30), Qt::Key_PageUp, fromHijri(1445, 8, 29)},
        {1, fromHijri(1445, 9, 30), Qt::Key_Home, fromHijri(1444, 9, 30)},
        {1, fromHijri(1445, 12, 30), Qt::Key_End, fromHijri(1446, 12, 29)},
        {1, fromHijri(1445, 9, 30), Qt::Key_Right, fromHijri(1445, 10, 1)},
        {1, fromHijri(1445, 9, 30), Qt::Key_Up, fromHijri(1445, 9, 23)},
    };
    for (const auto& c : cases) {
        show(c.from);
        key(c.cal, c.key);
        const std::string what = std::to_string(c.cal) + " " + c.from.toString().toStdString() +
                                 " key " + std::to_string(c.key);
        EXPECT_EQ(recordDay(0), gregOf(c.to)) << what;
        EXPECT_EQ(recordDay(1), hijriOf(c.to)) << what;
        EXPECT_EQ(Calendar(), vbCalGreg) << what;
    }
}

TEST_F(CalendarWindow, TheDaysRefreshAndTheMonthlyTabRedrawBothCalendars) {
    window->RefreshPrayerTimes(Date(QDate(2024, 6, 1)));
    EXPECT_EQ(recordDay(0), (Ymd{2024, 6, 1}));
    expectTogether();
    // A tab switch redraws without moving the day.
    pic(0).Cls();
    window->tabMain->setCurrentIndex(1);
    EXPECT_EQ(recordDay(0), (Ymd{2024, 6, 1}));
    EXPECT_EQ(colourAt(0, cellCorner(0, 1)), rgb(gColorFaceHighlight)); // the selected day
}

// Esc goes back to the day the window shows: tomorrow once the evening's Ishaa is over, today
// again after midnight.
TEST_F(CalendarWindow, EscapeReturnsToTheDayTheWindowShows) {
    const struct {
        QDateTime now;
        QDate shown;
    } cases[] = {
        {QDateTime(QDate(2024, 3, 31), QTime(15, 0)), QDate(2024, 3, 31)},
        {QDateTime(QDate(2024, 3, 31), QTime(23, 30)), QDate(2024, 4, 1)},
        {QDateTime(QDate(2024, 4, 1), QTime(2, 0)), QDate(2024, 4, 1)},
    };
    for (const auto& c : cases) {
        runtime::SetClock(c.now);
        window->RefreshPrayers();
        show(QDate(2021, 7, 4));
        key(1, Qt::Key_Escape);
        EXPECT_EQ(recordDay(0), gregOf(c.shown)) << c.now.toString().toStdString();
        expectTogether();
    }
}

TEST_F(CalendarWindow, ScrollBarsStepAMonthAndComeBackToRest) {
    for (int i : {0, 1}) {
        show(QDate(2024, 3, 31));
        QScrollBar& bar = *window->hsbCalendar[static_cast<std::size_t>(i)];
        EXPECT_EQ(bar.minimum(), -1);
        EXPECT_EQ(bar.maximum(), 1);
        bar.triggerAction(QAbstractSlider::SliderSingleStepAdd);
        EXPECT_EQ(bar.value(), 0);
        const QDate forward = i == 0 ? QDate(2024, 4, 30) : fromHijri(1445, 10, 21);
        EXPECT_EQ(recordDay(0), gregOf(forward)) << i;
        expectTogether();
        bar.triggerAction(QAbstractSlider::SliderSingleStepSub);
        bar.triggerAction(QAbstractSlider::SliderSingleStepSub);
        EXPECT_EQ(bar.value(), 0);
        const QDate back = i == 0 ? QDate(2024, 2, 29) : fromHijri(1445, 8, 21);
        EXPECT_EQ(recordDay(0), gregOf(back)) << i;
        expectTogether();
        // The bar sits in the title bar, right of the title, inside the picture.
        EXPECT_TRUE(pic(i).rect().contains(bar.geometry())) << i;
        EXPECT_LT(bar.geometry().bottom(), 29);
        EXPECT_GT(bar.geometry().left(), pic(i).width() / 2);
    }
}

TEST_F(CalendarWindow, ClickingAHijriDayMovesTheGregorianCalendarIntoItsMonth) {
    show(QDate(2024, 3, 31)); // 21 Ramadan 1445
    mouse(1, QEvent::MouseButtonPress, cellCentre(1, 28));
    EXPECT_EQ(recordDay(1), (Ymd{1445, 9, 28}));
    EXPECT_EQ(recordDay(0), gregOf(fromHijri(1445, 9, 28)));
    EXPECT_EQ(recordDay(0).m, 4);
    // And a Gregorian click moves the Hijri calendar.
    mouse(0, QEvent::MouseButtonPress, cellCentre(0, 10));
    EXPECT_EQ(recordDay(0), (Ymd{2024, 4, 10}));
    expectTogether();
    // The pointer over Ramadan 21 names it.
    show(QDate(2024, 3, 31));
    mouse(1, QEvent::MouseMove, cellCentre(1, 21));
    EXPECT_EQ(pic(1).toolTip(), gIslamicEventNames[11]);
    EXPECT_EQ(pic(1).cursor().shape(), Qt::BitmapCursor);
}

// A Gregorian year's jump lands in a month of a Hijri year two ahead of the one it left: its
// Islamic dates come from the Hijri years that month lies in.
TEST_F(CalendarWindow, AfterAYearsJumpTheGregorianMonthShowsItsOwnIslamicDates) {
    show(QDate(2023, 7, 13)); // 25 Dhul-Hijjah 1444
    key(0, Qt::Key_End);
    ASSERT_EQ(recordDay(0), (Ymd{2024, 7, 13}));
    ASSERT_EQ(recordDay(1).y, 1446);
    const QDate newYear = fromHijri(1446, 1, 1);
    ASSERT_EQ(newYear.month(), 7);
    bool found = false;
    for (const CalendarEvent& e : Calendars[vbCalGreg].Events)
        found =
            found || (QDate(e.Year, e.Month, e.Day) == newYear && e.Name == gIslamicEventNames[0]);
    EXPECT_TRUE(found);
    const QPoint corner = cellCorner(0, newYear.day());
    EXPECT_EQ(colourAt(0, corner), rgb(gColorSecondsHighlight));
}

TEST_F(CalendarWindow, PlacementAndCaptionFollowThePrimaryCalendar) {
    const int tpp = Screen.TwipsPerPixelX();
    show(QDate(2024, 3, 31));
    EXPECT_EQ(pic(0).x(), qRound(135.0 / tpp));
    EXPECT_EQ(pic(1).x(), qRound(3220.0 / tpp));
    EXPECT_TRUE(window->fraMonthly->title().startsWith(QStringLiteral("Sunday, March 31, 2024 / ")))
        << window->fraMonthly->title().toStdString();
    gDisplayHijraa = 1;
    show(QDate(2024, 3, 31));
    EXPECT_EQ(pic(1).x(), qRound(135.0 / tpp));
    EXPECT_EQ(pic(0).x(), qRound(3220.0 / tpp));
    EXPECT_TRUE(window->fraMonthly->title().contains(QStringLiteral("1445 / Sunday, March 31")))
        << window->fraMonthly->title().toStdString();
}

TEST_F(CalendarWindow, MoonPictureFollowsTheSelectedDay) {
    const struct {
        double percent;
        int picture;
    } bands[] = {{0, 0},  {3, 0},  {4, 1},  {7, 1},   {8, 2},   {52, 6},  {53, 7},
                 {63, 7}, {64, 8}, {85, 9}, {96, 10}, {97, 11}, {100, 11}};
    for (const auto& b : bands)
        EXPECT_EQ(frmTallix::MoonPictureIndex(b.percent), b.picture) << b.percent;

    const struct {
        QDate day;
        int picture;
        bool waxing;
    } days[] = {
        // Midnight before the new moon of 11:57 UT: the old moon, 29 days old.
        {QDate(2024, 1, 11), 0, false},
        {QDate(2024, 1, 18), 6, true}, // first quarter the next morning
        // Midnight before the full moon of 17:54 UT: 14 days, still waxing.
        {QDate(2024, 1, 25), 11, true},
        {QDate(2024, 2, 3), 6, false}, // last quarter
    };
    for (const double latitude : {21.4, -33.9, 0.0}) {
        gLatitude = latitude;
        for (const auto& d : days) {
            show(d.day);
            const bool north = latitude >= 0;
            const auto& set =
                d.waxing == north ? window->imgIconMoonPhaseA : window->imgIconMoonPhaseB;
            for (Image* moon : window->imgMoonPhase) {
                EXPECT_EQ(moon->Picture().pixmap().cacheKey(),
                          set[static_cast<std::size_t>(d.picture)].pixmap().cacheKey())
                    << d.day.toString().toStdString() << " at " << latitude;
                EXPECT_FALSE(moon->isHidden());
            }
        }
    }
    // A date the moon cannot be computed for hides both pictures.
    window->RefreshMoonPhase(Date(1e9));
    for (Image* moon : window->imgMoonPhase)
        EXPECT_TRUE(moon->isHidden());
    EXPECT_EQ(Calendar(), vbCalGreg);
}

} // namespace
