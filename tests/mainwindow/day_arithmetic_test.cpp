// Time arithmetic, adjustments, formatting and the owner-drawn bar: the pieces every live
// display of the main window is built from.
#include "core/settings.h"
#include "fakes/fake_registry.h"
#include "mainwindow/cProgressBar.h"
#include "mainwindow/frmTallix.h"
#include "runtime/Clock.h"
#include "shown_times.h"

#include <QLabel>
#include <QPalette>
#include <QWidget>
#include <gtest/gtest.h>

#include <memory>

namespace {

class DayArithmetic : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(LoadSettings());
        window = std::make_unique<frmTallix>();
    }
    void TearDown() override {
        window.reset();
        runtime::SetClock(nullptr);
    }
    void showTimes(const QStringList& six, int daysFromToday = 0) {
        ShowTimes(*window, six, daysFromToday);
    }
    void at(int h, int m, int s) {
        runtime::SetClock(QDateTime(QDate(2024, 3, 10), QTime(h, m, s)));
    }

    FakeRegistry registry;
    std::unique_ptr<frmTallix> window;
};

TEST_F(DayArithmetic, NextPrayerThroughTheDayAndAcrossMidnight) {
    const struct {
        QStringList times;
        int h, m, s, next;
        int shownDay = 0; // the window still shows yesterday while its Ishaa is to come
    } cases[] = {
        // Ishaa in the evening.
        {{"4:30:00", "6:00:00", "12:10:00", "15:40:00", "18:30:00", "20:00:00"}, 4, 29, 59, 1},
        {{"4:30:00", "6:00:00", "12:10:00", "15:40:00", "18:30:00", "20:00:00"}, 4, 30, 0, 2},
        {{"4:30:00", "6:00:00", "12:10:00", "15:40:00", "18:30:00", "20:00:00"}, 18, 30, 0, 6},
        {{"4:30:00", "6:00:00", "12:10:00", "15:40:00", "18:30:00", "20:00:00"}, 20, 0, 0, 1},
        {{"4:30:00", "6:00:00", "12:10:00", "15:40:00", "18:30:00", "20:00:00"}, 23, 59, 59, 1},
        {{"4:30:00", "6:00:00", "12:10:00", "15:40:00", "18:30:00", "20:00:00"}, 0, 0, 0, 1},
        // 12-hour texts read the same.
        {{"4:30:00 AM", "6:00:00 AM", "12:10:00 PM", "3:40:00 PM", "6:30:00 PM", "8:00:00 PM"},
         13,
         0,
         0,
         4},
        // Ishaa after midnight.
        {{"2:40:00", "4:10:00", "13:00:00", "17:30:00", "22:50:00", "0:45:00"}, 23, 30, 0, 6},
        {{"2:40:00", "4:10:00", "13:00:00", "17:30:00", "22:50:00", "0:45:00"}, 0, 30, 0, 6, -1},
        {{"2:40:00", "4:10:00", "13:00:00", "17:30:00", "22:50:00", "0:45:00"}, 0, 45, 0, 1, -1},
        // The shown day's own Ishaa after the coming midnight is not the night's next prayer.
        {{"2:40:00", "4:10:00", "13:00:00", "17:30:00", "22:50:00", "0:45:00"}, 0, 10, 0, 1},
        {{"2:40:00", "4:10:00", "13:00:00", "17:30:00", "22:50:00", "0:45:00"}, 2, 0, 0, 1},
        {{"2:40:00", "4:10:00", "13:00:00", "17:30:00", "22:50:00", "0:45:00"}, 2, 40, 0, 2},
        // A slot without a time is passed over; the others go on.
        {{"N/A", "6:00:00", "12:10:00", "15:40:00", "18:30:00", "20:00:00"}, 21, 0, 0, 2},
        {{"4:30:00", "6:00:00", "12:10:00", "15:40:00", "18:30:00", "N/A"}, 19, 0, 0, 1},
        {{"4:30:00", "6:00:00", "N/A", "15:40:00", "18:30:00", "20:00:00"}, 7, 0, 0, 4},
        {{"N/A", "N/A", "N/A", "N/A", "N/A", "N/A"}, 7, 0, 0, -1},
    };
    for (const auto& c : cases) {
        at(c.h, c.m, c.s);
        showTimes(c.times, c.shownDay);
        EXPECT_EQ(window->GetNextPrayer(), c.next)
            << c.times.join(' ').toStdString() << " at " << c.h << ":" << c.m << ":" << c.s;
    }
}

TEST_F(DayArithmetic, NextPrayerNeedsNoNextDayIshaa) {
    // Before the lists have stored tomorrow's Ishaa the evening still has a next prayer.
    at(19, 0, 0);
    showTimes({"4:30:00", "6:00:00", "12:10:00", "15:40:00", "18:30:00", "20:00:00"});
    EXPECT_EQ(window->GetNextPrayer(), 6);
    at(22, 0, 0);
    EXPECT_EQ(window->GetNextPrayer(), 1);
}

TEST_F(DayArithmetic, BarRangeRunsFromTheLastShownTime) {
    at(19, 0, 0);
    showTimes({"4:30:00", "6:00:00", "12:10:00", "15:40:00", "18:30:00", "20:00:00"});
    window->RefreshProgressBars();
    EXPECT_EQ(window->ProgressBars[0]->Max(), 90);
    EXPECT_EQ(window->ProgressBars[1]->Max(), 90);
    // Maghrib without a time: the period runs from Asr.
    showTimes({"4:30:00", "6:00:00", "12:10:00", "15:40:00", "N/A", "20:00:00"});
    window->RefreshProgressBars();
    EXPECT_EQ(window->ProgressBars[0]->Max(), 260);
    at(22, 0, 0);
    window->RefreshProgressBars();
    EXPECT_EQ(window->ProgressBars[1]->Max(), 510);
    // No time at all: the range stays.
    showTimes({"N/A", "N/A", "N/A", "N/A", "N/A", "N/A"});
    window->RefreshProgressBars();
    EXPECT_EQ(window->ProgressBars[1]->Max(), 510);
}

TEST_F(DayArithmetic, DistancesBetweenTimesOfDay) {
    const struct {
        const char *from, *to;
        int minutes;
        const char *between, *remaining;
    } cases[] = {
        {"20:00:00", "4:30:00", 510, "8h30min", "8:30:00"},
        {"4:30:00", "4:30:00", 0, "0h00min", "0:00:00"},
        {"4:30:59", "4:31:00", 1, "0h01min", "0:00:01"},
        {"23:50:00", "0:05:00", 15, "0h15min", "0:15:00"},
        {"23:59:30", "0:00:10", 1, "0h01min", "0:00:40"},
        {"10:00:30", "10:00:00", 0, "0h00min", "23:59:30"},
        {"10:06:01", "12:00:00", 114, "1h54min", "1:53:59"},
        {"4:06:01", "21:00:00", 1014, "16h54min", "16:53:59"},
        {"N/A", "12:00:00", 0, "", ""},
        {"10:00:00", "99:99:99 PM", 0, "", ""},
    };
    for (const auto& c : cases) {
        const auto from = TestSeconds(c.from), to = TestSeconds(c.to);
        EXPECT_EQ(frmTallix::MinutesBetween(from, to), c.minutes) << c.from << " " << c.to;
        EXPECT_EQ(window->TimeBetween(from, to), QString::fromLatin1(c.between))
            << c.from << " " << c.to;
        EXPECT_EQ(frmTallix::TimeRemaining(from, to), QString::fromLatin1(c.remaining))
            << c.from << " " << c.to;
    }
    // Moments on the days around the shown one count the same way.
    EXPECT_EQ(frmTallix::MinutesBetween(-600, 86400 + 300), 15);
    EXPECT_EQ(frmTallix::TimeRemaining(86400 - 30, 86400 + 10), "0:00:40");
    // Whole seconds all round: never a "60" in the seconds field.
    for (int s = 0; s < 60; ++s) {
        const QString from = QStringLiteral("10:00:%1").arg(s, 2, 10, QChar('0'));
        const QString expected = s == 0 ? QStringLiteral("1:00:00")
                                        : QStringLiteral("0:59:%1").arg(60 - s, 2, 10, QChar('0'));
        EXPECT_EQ(frmTallix::TimeRemaining(TestSeconds(from), 11 * 3600), expected) << s;
    }
}

PrayerTime pt(int h, int m, int s = 0, int extreme = 0) {
    PrayerTime t{};
    t.Hour = h;
    t.Minute = m;
    t.Second = s;
    t.IsExtreme = extreme;
    return t;
}

TEST_F(DayArithmetic, AdjustmentsPerSlotAndMethod) {
    struct Case {
        int active, method, dhuhr, maghrib;
        int adjust[7];
        int slot;
        PrayerTime before[7];
        int hour, minute;
    };
    const PrayerTime day[7] = {pt(3, 0),   pt(4, 30),  pt(6, 0), pt(12, 10),
                               pt(15, 40), pt(18, 30), pt(20, 0)};
    const auto with = [&](int slot, PrayerTime t) {
        Case c{};
        std::copy(std::begin(day), std::end(day), c.before);
        c.before[slot] = t;
        return c;
    };
    std::vector<Case> cases;
    auto add = [&](Case c, int active, int method, int dhuhr, int maghrib, std::array<int, 7> adj,
                   int slot, int h, int m) {
        c.active = active, c.method = method, c.dhuhr = dhuhr, c.maghrib = maghrib, c.slot = slot;
        std::copy(adj.begin(), adj.end(), c.adjust);
        c.hour = h, c.minute = m;
        cases.push_back(c);
    };
    const std::array<int, 7> none{};
    const std::array<int, 7> some{5, 1, 2, 3, 4, 5, 6};
    add(with(3, pt(12, 10)), 0, 4, 7, 3, none, 3, 12, 17);
    add(with(5, pt(18, 30)), 0, 4, 7, 3, none, 5, 18, 33);
    add(with(6, pt(20, 0)), 0, 4, 7, 3, none, 6, 20, 0); // Ishaa moves only under Umm Al-Qura
    add(with(6, pt(20, 0)), 0, 6, 7, 3, none, 6, 20, 3);
    add(with(1, pt(4, 30)), 0, 4, 7, 3, some, 1, 4, 30); // per-time values are off
    add(with(0, pt(3, 0)), 1, 4, 7, 3, some, 0, 3, 0);   // slot 0 is never adjusted
    add(with(1, pt(4, 30)), 1, 4, 7, 3, some, 1, 4, 31);
    add(with(2, pt(6, 0)), 1, 4, 7, 3, some, 2, 6, 2);
    add(with(3, pt(12, 10)), 1, 4, 7, 3, some, 3, 12, 20);
    add(with(4, pt(15, 40)), 1, 4, 7, 3, some, 4, 15, 44);
    add(with(5, pt(23, 55)), 1, 4, 7, 5, some, 5, 0, 5); // wraps past midnight
    add(with(6, pt(20, 0)), 1, 4, 7, 3, some, 6, 20, 6);
    add(with(6, pt(20, 0)), 1, 7, 7, 3, some, 6, 20, 0); // method 7's interval carries it
    add(with(6, pt(21, 7)), 1, 6, 7, 3, some, 6, 20, 8); // Umm Al-Qura: Maghrib 18:38 + 90
    add(with(4, pt(0, 2)), 1, 4, 7, 3, {0, 0, 0, 0, -5, 0, 0}, 4, 23, 57);
    // The library's "no time" mark stays no time, also for the slots always adjusted.
    add(with(3, pt(99, 99)), 0, 4, 7, 3, none, 3, 99, 99);
    add(with(5, pt(99, 99)), 1, 4, 7, 3, some, 5, 99, 99);
    add(with(6, pt(99, 99)), 1, 6, 7, 3, some, 6, 99, 99);
    add(with(1, pt(5, 99)), 1, 4, 7, 3, some, 1, 5, 99);
    for (Case& c : cases) {
        gMinuteAdjustActive = std::int16_t(c.active);
        gCalcMethod = std::int16_t(c.method);
        gDhuhrMinutes = std::int16_t(c.dhuhr);
        gMaghribMinutes = std::int16_t(c.maghrib);
        for (int i = 0; i < 7; ++i)
            gMinuteAdjust[i] = std::int16_t(c.adjust[i]);
        // Slots are adjusted in ascending order, as the refresh does.
        for (std::int16_t s = 0; s <= c.slot; ++s)
            frmTallix::ApplyPrayerAdjustments(c.before, s);
        EXPECT_EQ(c.before[c.slot].Hour, c.hour) << "slot " << c.slot << " method " << c.method;
        EXPECT_EQ(c.before[c.slot].Minute, c.minute) << "slot " << c.slot << " method " << c.method;
    }
    EXPECT_EQ(frmTallix::FormatPrayerTime(pt(99, 99)), "99:99");
    EXPECT_EQ(frmTallix::FormatPrayerTimeMedium(pt(99, 99)), "99:99 PM");
    EXPECT_EQ(frmTallix::FormatPrayerTimeLong(pt(12, 99)), "99:99:99 PM");
    EXPECT_EQ(frmTallix::FormatPrayerTime(pt(5, 7, 0, 1)), "05:07*");
    EXPECT_EQ(frmTallix::FormatPrayerTime(pt(17, 7)), "17:07");
}

TEST_F(DayArithmetic, DialsShowTheTimeWithAContinuousHourHand) {
    window->sNotAvailable = QStringLiteral("N/A");
    PictureBox& pic = *window->picPrayer[2];
    const auto hourAt = [&] {
        const double dx = window->LHP[2]->X2 - window->LHP[2]->X1;
        const double dy = window->LHP[2]->Y2 - window->LHP[2]->Y1;
        double turns = std::atan2(dx, -dy) / (2 * M_PI);
        if (turns < -1e-9)
            turns += 1;
        return turns * 12;
    };
    const struct {
        int h, m, s;
        double hour;
    } cases[] = {{10, 31, 0, 10 + 31 / 60.0}, {5, 30, 0, 5.5}, {13, 15, 40, 1.25}, {0, 0, 0, 0}};
    for (const auto& c : cases) {
        window->DrawPrayerDial(pt(c.h, c.m, c.s), 2);
        EXPECT_NEAR(hourAt(), c.hour, 1e-6) << c.h << ":" << c.m;
        EXPECT_NE(window->lblPrayer[2]->text(), "N/A");
    }
    for (const PrayerTime& none : {pt(99, 99), pt(99, 10), pt(10, 99)}) {
        window->DrawPrayerDial(none, 2);
        EXPECT_EQ(window->lblPrayer[2]->text(), "N/A");
        EXPECT_NEAR(hourAt(), 0, 1e-6);
        EXPECT_NEAR(double(window->LSP[2]->X2), pic.ScaleWidth() / 2, 1e-6);
    }
}

TEST(ProgressBar, BarRectangles) {
    cProgressBar bar;
    bar.SetBorderStyle(1);
    bar.SetAppearance(1);
    const QRect horizontal(0, 0, 102, 20); // 100 pixels inside the border
    const struct {
        int min, max, value;
        bool segments;
        int width;
    } cases[] = {
        {0, 100, 55, false, 55},   {0, 100, 55, true, 50}, {0, 100, -5, false, 0},
        {0, 100, 150, false, 100}, {10, 10, 10, false, 0}, {10, 10, 20, false, 0},
        {0, 0, 0, true, 0},
    };
    for (const auto& c : cases) {
        bar.SetMin(c.min);
        bar.SetMax(c.max);
        bar.SetValue(c.value);
        bar.SetSegments(c.segments);
        const QRect r = bar.BarRect(horizontal);
        EXPECT_EQ(r.left(), 1);
        EXPECT_EQ(std::max(r.width(), 0), c.width) << c.min << " " << c.max << " " << c.value;
    }
    // A vertical bar fills from the bottom in whole 10-pixel steps.
    bar.SetMin(0);
    bar.SetMax(100);
    bar.SetValue(55);
    bar.SetSegments(true);
    const QRect v = bar.BarRect(QRect(0, 0, 20, 102));
    EXPECT_EQ(v.bottom(), 100);
    EXPECT_EQ(v.height(), 50);

    // A range of 0 paints the background only.
    bar.SetBackColor(0x00FFFFFF);
    bar.SetBarColor(0x000000FF);
    bar.SetBorderStyle(0);
    bar.SetMax(0);
    bar.SetValue(5);
    QImage img(40, 10, QImage::Format_RGB32);
    bar.DrawToDC(img, img.rect());
    for (int x = 0; x < 40; ++x)
        EXPECT_EQ(img.pixelColor(x, 5), QColor(Qt::white)) << x;
}

// A colour of -1 paints nothing of its own, so the picture must start clean: a surface full
// of a fill pattern (as new memory may be) keeps none of it after a paint.
TEST(ProgressBar, NoColourLeavesNoMadeUpPixels) {
    QWidget host;
    host.resize(60, 14);
    QPalette palette = host.palette();
    palette.setColor(host.backgroundRole(), QColor(0x12, 0x34, 0x56));
    host.setPalette(palette);
    const QColor pattern(0xDE, 0xAD, 0xBE);
    const struct {
        std::int32_t back, bar;
        bool segments;
        std::int32_t border;
    } cases[] = {{-1, -1, false, 1},
                 {-1, -1, true, 0},
                 {-1, 0x0000FF00, true, 2},
                 {0x00FFFFFF, -1, false, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.back << " " << c.bar << " " << c.segments);
        cProgressBar bar;
        bar.SetDrawObject(&host);
        bar.SetBackColor(c.back);
        bar.SetBarColor(c.bar);
        bar.SetSegments(c.segments);
        bar.SetBorderStyle(c.border);
        bar.SetValue(60);
        QImage img(60, 14, QImage::Format_RGB32);
        img.fill(pattern);
        bar.DrawToDC(img, img.rect());
        int left = 0;
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x)
                left += img.pixelColor(x, y) == pattern ? 1 : 0;
        EXPECT_EQ(left, 0);
        // Where no colour paints, the widget's own background shows.
        if (c.back == -1 && c.border == 0) {
            EXPECT_EQ(img.pixelColor(img.width() - 1, img.height() / 2), QColor(0x12, 0x34, 0x56));
        }
    }
}

TEST(ProgressBar, MemorySurfaceGrowsOnlyWhenAsked) {
    pcMemDC dc;
    EXPECT_EQ(dc.hDC(0, 5), nullptr);
    ASSERT_NE(dc.hDC(50, 20), nullptr);
    EXPECT_EQ(dc.Width(), 50);
    dc.hDC(30, 10);
    EXPECT_EQ(dc.Width(), 50);
    dc.hDC(80, 10); // wider but lower: made again at exactly that size
    EXPECT_EQ(dc.Width(), 80);
    EXPECT_EQ(dc.Height(), 10);
}

} // namespace
