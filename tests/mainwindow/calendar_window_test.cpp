// The main window's two month calendars: keys, scroll bars, clicks and pointer, the two moving
// together, their placement and caption, the moon of the selected day, and how they look.
#include "calendar/mCalendar.h"
#include "core/moon.h"
#include "core/settings.h"
#include "fakes/fake_locale.h"
#include "fakes/fake_registry.h"
#include "mainwindow/frmTallix.h"
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
    QRgb colourAt(int i, const QPoint& p) { return pic(i).image().pixel(p) & 0xFFFFFF; }
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
    window->show();
    QApplication::processEvents();
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

} // namespace
