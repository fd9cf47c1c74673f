// The main window's day as the user sees it: which day is shown, the panels, the current
// prayer, the Qiblah, the lists, the countdown and the tray tip, and a screenshot.
#include "core/datefmt.h"
#include "core/settings.h"
#include "fakes/fake_registry.h"
#include "fakes/fake_sound.h"
#include "fakes/fake_tray.h"
#include "mainwindow/TabListBox.h"
#include "mainwindow/cProgressBar.h"
#include "mainwindow/frmTallix.h"
#include "platform/prayerdll.h"
#include "runtime/Clock.h"
#include "runtime/Interaction.h"
#include "runtime/VBDate.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

namespace {

class DayWindow : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(LoadSettings());
        at(QDate(2024, 3, 10), QTime(10, 8, 30));
        window = std::make_unique<frmTallix>();
    }
    void TearDown() override {
        window.reset();
        runtime::SetClock(nullptr);
    }
    static void at(const QDate& d, const QTime& t) { runtime::SetClock(QDateTime(d, t)); }
    // The day's adjusted times as the library gives them.
    PrayerTime dayTimes(const QDate& d, int slot) {
        PrayerTime times[7] = {};
        Location loc{};
        CalcMethod conf{};
        window->GetCalculationParameters(loc, conf);
        EXPECT_TRUE(window->CalculatePrayerTimes(d, loc, conf, times, 0));
        for (std::int16_t s = 0; s <= 6; ++s)
            frmTallix::ApplyPrayerAdjustments(times, s);
        return times[slot];
    }
    QString caption(int slot) const { return window->lblPrayer[slot]->text(); }

    FakeRegistry registry;
    FakeTray tray;
    std::unique_ptr<frmTallix> window;
};

TEST_F(DayWindow, ShowsTheLibrarysTimesForTheRightDay) {
    window->RefreshPrayers();
    EXPECT_EQ(window->dtShownDate.toQDate(), QDate(2024, 3, 10));
    for (int slot = 1; slot <= 6; ++slot)
        EXPECT_EQ(caption(slot),
                  frmTallix::FormatPrayerTimeLong(dayTimes(QDate(2024, 3, 10), slot)))
            << slot;

    // Late evening, after the day's Ishaa: tomorrow. After midnight: the calendar day.
    const struct {
        QTime time;
        QDate shown;
    } cases[] = {{QTime(23, 0), QDate(2024, 3, 11)},
                 {QTime(3, 0), QDate(2024, 3, 10)},
                 {QTime(12, 0), QDate(2024, 3, 10)}};
    for (const auto& c : cases) {
        at(QDate(2024, 3, 10), c.time);
        window->RefreshPrayers();
        EXPECT_EQ(window->dtShownDate.toQDate(), c.shown) << c.time.toString().toStdString();
    }
}

TEST_F(DayWindow, TheShownDayIsTheOneWhoseIshaaIsToCome) {
    // Makkah: Ishaa in the evening. From its second on, the next day; after midnight, the day.
    const int ishaa = frmTallix::DaySeconds({{},
                                             {},
                                             {},
                                             dayTimes(QDate(2024, 3, 10), 3),
                                             {},
                                             {},
                                             dayTimes(QDate(2024, 3, 10), 6)})[6]
                          .value();
    const QDateTime evening(QDate(2024, 3, 10), QTime(0, 0).addSecs(ishaa));
    const struct {
        QDateTime when;
        QDate shown;
    } cases[] = {{evening.addSecs(-1), QDate(2024, 3, 10)},
                 {evening, QDate(2024, 3, 11)},
                 {QDateTime(QDate(2024, 3, 10), QTime(23, 0)), QDate(2024, 3, 11)},
                 {QDateTime(QDate(2024, 3, 11), QTime(0, 0)), QDate(2024, 3, 11)},
                 {QDateTime(QDate(2024, 3, 10), QTime(3, 0)), QDate(2024, 3, 10)}};
    for (const auto& c : cases)
        EXPECT_EQ(window->ShownDayAt(c.when).toQDate(), c.shown)
            << c.when.toString(Qt::ISODate).toStdString();

    // Oslo in June: Ishaa after midnight. Until it comes, the window shows the evening's day.
    gLatitude = 59.9139;
    gLongitude = 10.7522;
    gTimeZone = 32; // +1 h
    gDaylightSavings = 1;
    gDaylightSavingsTime = 1; // one hour all year
    gCalcMethod = 5;
    const QDate day(2024, 6, 20);
    const auto late =
        frmTallix::DaySeconds({{}, {}, {}, dayTimes(day, 3), {}, {}, dayTimes(day, 6)})[6];
    ASSERT_TRUE(late && *late > 86400) << "Ishaa falls after midnight in Oslo in June";
    const QDateTime night = QDateTime(day, QTime(0, 0)).addSecs(*late);
    EXPECT_EQ(window->ShownDayAt(night.addSecs(-1)).toQDate(), day);
    EXPECT_EQ(window->ShownDayAt(QDateTime(day.addDays(1), QTime(0, 0))).toQDate(), day);
    EXPECT_EQ(window->ShownDayAt(night).toQDate(), day.addDays(1));
}

TEST_F(DayWindow, WithoutThePrayerLibraryNothingIsMadeUp) {
    FakeSound sound;
    QStringList told;
    runtime::SetMsgBoxAnswerer([&told](const QString& prompt, int, const QString&) {
        told << prompt;
        return vbOK;
    });
    QTemporaryDir dir;
    QFile junk(dir.filePath(QStringLiteral("libtallixtime.so")));
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write("not a library");
    junk.close();
    const struct {
        const char* what;
        QString path;
        const char* why;
    } cases[] = {
        {"missing", dir.filePath(QStringLiteral("none/libtallixtime.so")), "No such file"},
        {"unreadable", junk.fileName(), "libtallixtime.so"},
        // A library without the entry points of this one: another version, or another library.
        {"wrong version",
         QLibraryInfo::path(QLibraryInfo::LibrariesPath) + QStringLiteral("/libQt6Core.so.6"),
         "getPrayer"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        platform::SetPrayerLibraryPath(c.path);
        told.clear();
        at(QDate(2024, 3, 10), QTime(10, 8, 30));
        window->RefreshPrayers();
        window->RefreshPrayers();
        QCoreApplication::processEvents();
        // Told once, naming the library and why.
        ASSERT_EQ(told.size(), 1);
        EXPECT_TRUE(told[0].contains(QLatin1String("prayer library"))) << told[0].toStdString();
        EXPECT_TRUE(told[0].contains(QLatin1String("libtallixtime.so")) ||
                    told[0].contains(QLatin1String("libQt6Core")))
            << told[0].toStdString();
        EXPECT_TRUE(told[0].contains(QLatin1String(c.why))) << told[0].toStdString();
        for (int slot = 1; slot <= 6; ++slot) {
            EXPECT_EQ(caption(slot), "N/A") << slot;
            EXPECT_FALSE(window->PrayerSeconds[slot]) << slot;
        }
        EXPECT_EQ(window->lblQiblah->text(), "N/A");
        EXPECT_EQ(window->GetNextPrayer(), -1);
        // No alert at any second, midnight included; the clock goes on.
        sound.clear();
        for (const QTime t : {QTime(0, 0), QTime(0, 0, 1), QTime(12, 0), QTime(12, 0, 1)}) {
            at(QDate(2024, 3, 11), t);
            window->tmrMain_Timer();
        }
        EXPECT_TRUE(sound.calls().isEmpty());
        EXPECT_TRUE(window->lblTime->text().contains(QLatin1String("12:00:01")));
        QCoreApplication::processEvents();
        EXPECT_EQ(told.size(), 1) << "the same trouble is told once";
    }
    // To look at: every time and the Qiblah "N/A", no needle.
    window->show();
    QApplication::processEvents();
    const QString shots = QStringLiteral(TALLIX_BUILD_DIR "/screenshots");
    QDir().mkpath(shots);
    EXPECT_TRUE(
        window->grab().toImage().save(shots + QStringLiteral("/mainwindow-no-library.png")));
    // The library back: the times and the bearing come back, and nothing more is said.
    platform::SetPrayerLibraryPath(QString());
    told.clear();
    window->RefreshPrayers();
    QCoreApplication::processEvents();
    EXPECT_TRUE(told.isEmpty());
    EXPECT_TRUE(window->PrayerSeconds[3]);
    EXPECT_NE(caption(3), "N/A");
    EXPECT_NE(window->lblQiblah->text(), "N/A");
    runtime::SetMsgBoxAnswerer(nullptr);
}

TEST_F(DayWindow, FridayDhuhrCurrentPrayerCaptionAndReminders) {
    window->RefreshPrayerTimes(Date(QDate(2024, 3, 8)));
    EXPECT_EQ(window->fraPrayer[3]->title(), "Dhuhr/Jomaa");
    window->RefreshPrayerTimes(Date(QDate(2024, 3, 9)));
    EXPECT_EQ(window->fraPrayer[3]->title(), "Dhuhr");

    gReminderBefore[4] = 0;
    gReminderAfter[3] = 2;
    at(QDate(2024, 3, 8), QTime(13, 0));
    window->RefreshPrayerTimes(Date(QDate(2024, 3, 8)));
    EXPECT_EQ(window->windowTitle(), "Tallix Time - Current Prayer is Dhuhr"); // also on Fridays
    EXPECT_TRUE(window->fraPrayer[3]->font().bold());
    EXPECT_FALSE(window->fraPrayer[4]->font().bold());
    ASSERT_TRUE(window->txtPrayerTime->isVisible() || !window->isVisible());
    EXPECT_FALSE(window->txtPrayerTime->isHidden());
    const auto dhuhr = window->PrayerSeconds[3];
    ASSERT_TRUE(dhuhr);
    // The highlight box shows the time as its label does, seconds included.
    EXPECT_EQ(window->txtPrayerTime->text(), QStringLiteral(" ") + caption(3) + "  ");
    EXPECT_TRUE(caption(3).contains(QRegularExpression(QStringLiteral(":\\d\\d:\\d\\d"))));
    EXPECT_EQ(window->ReminderBeforeSeconds, window->PrayerSeconds[4]);
    EXPECT_EQ(window->ReminderAfterSeconds, *dhuhr + 600);
    EXPECT_EQ(window->ProgressBars[0]->Max(),
              frmTallix::MinutesBetween(window->PrayerSeconds[3], window->PrayerSeconds[4]));

    at(QDate(2024, 3, 8), QTime(9, 0));
    window->RefreshPrayerTimes(Date(QDate(2024, 3, 8)));
    EXPECT_EQ(window->windowTitle(), "Tallix Time - Next Prayer is Dhuhr");
    EXPECT_TRUE(window->txtPrayerTime->isHidden());
    EXPECT_FALSE(window->fraPrayer[2]->font().bold());

    // After Ishaa the period runs to the next Fajr, across midnight.
    at(QDate(2024, 3, 8), QTime(23, 30));
    window->RefreshPrayerTimes(Date(QDate(2024, 3, 8)));
    EXPECT_EQ(window->windowTitle(), "Tallix Time - Current Prayer is Ishaa");
    EXPECT_EQ(window->ProgressBars[1]->Max(),
              frmTallix::MinutesBetween(window->PrayerSeconds[6], window->PrayerSeconds[1]));
    EXPECT_GT(window->ProgressBars[1]->Max(), 400);
}

TEST_F(DayWindow, HighLatitudeTimesAreMarkedOnce) {
    gLatitude = 69.65;
    gLongitude = 18.96;
    gTimeZone = 33;
    gCalcMethod = 4;
    const QDate midsummer(2024, 6, 21);
    ASSERT_EQ(dayTimes(midsummer, 6).IsExtreme, 1) << "the place must need the nearest good day";
    for (int round = 0; round < 2; ++round)
        window->RefreshPrayerTimes(Date(midsummer));
    EXPECT_TRUE(window->fraPrayer[6]->title().endsWith(" *"));
    EXPECT_EQ(window->fraPrayer[6]->title().count('*'), 1);
    EXPECT_FALSE(window->fraPrayer[3]->title().contains('*'));
    // A normal day afterwards loses the mark.
    gLatitude = 21.4225;
    gLongitude = 39.8262;
    window->RefreshPrayerTimes(Date(midsummer));
    EXPECT_FALSE(window->fraPrayer[6]->title().contains('*'));
}

TEST_F(DayWindow, QiblahLabelInBothModesAndTheNeedle) {
    const struct {
        double q;
        const char *clockwise, *quadrant;
    } cases[] = {
        {0, "0.00° Clockwise North", "North 0.00° East"},
        {-90, "90.00° Clockwise North", "North 90.00° East"},
        {90, "270.00° Clockwise North", "South 90.00° West"},
        {-180, "180.00° Clockwise North", "South 0.00° East"},
        {180, "180.00° Clockwise North", "South 0.00° West"},
        {-21.42, "21.42° Clockwise North", "North 21.42° East"},
        {200, "200.00° Counter-Clockwise North", "200.00° Counter-Clockwise North"},
    };
    for (const auto& c : cases) {
        window->dQiblahBearing = c.q;
        gCoordinateSystem = 0;
        window->UpdateQiblahLabel();
        EXPECT_EQ(window->lblQiblah->text(), QString::fromUtf8(c.clockwise)) << c.q;
        gCoordinateSystem = 1;
        window->UpdateQiblahLabel();
        EXPECT_EQ(window->lblQiblah->text(), QString::fromUtf8(c.quadrant)) << c.q;
    }
    gCoordinateSystem = 5;
    window->UpdateQiblahLabel();
    EXPECT_EQ(window->lblQiblah->text(), QString::fromUtf8(cases[6].quadrant)); // unchanged

    // London faces south-east: the needle turns clockwise from north by the bearing.
    gCoordinateSystem = 0;
    gLatitude = 51.5074;
    gLongitude = -0.1278;
    gTimeZone = 20;
    window->RefreshPrayerTimes(Date(QDate(2024, 3, 10)));
    const double q = window->dQiblahBearing;
    EXPECT_NEAR(q, -119, 1.0);
    const LineShape& lq = *window->LQ;
    const double clockwise = std::atan2(lq.X2 - lq.X1, -(lq.Y2 - lq.Y1)) * 180 / M_PI;
    EXPECT_NEAR(clockwise, -q, 1e-6);
    EXPECT_TRUE(window->lblQiblah->text().endsWith(QStringLiteral("Clockwise North")));

    // The longest caption stays on one line, whole, in its box (no tip needed).
    window->dQiblahBearing = 359.99;
    window->UpdateQiblahLabel();
    const QString longest = window->lblQiblah->text();
    EXPECT_TRUE(longest.endsWith(QStringLiteral("Counter-Clockwise North")));
    EXPECT_FALSE(window->lblQiblah->wordWrap());
    EXPECT_LE(window->lblQiblah->fontMetrics().horizontalAdvance(longest),
              window->picQiblahLabel->width() - 10);
    EXPECT_GE(window->lblQiblah->height(), window->lblQiblah->fontMetrics().height());
}

TEST_F(DayWindow, ListRowsForBothCalendarsAndLeapYears) {
    const QString header = window->lstTitle[0]->List(0);
    EXPECT_EQ(window->lstTitle[0]->ListCount(), 1);
    EXPECT_EQ(header, "Date\tFajr\tShurooq\tDhuhr\tAsr\tMaghrib\tIshaa");
    EXPECT_EQ(window->lstYearlyPrayerTimes->TabStops(),
              (QList<int>{3, 41, 79, 117, 155, 193, 231}));
    // The columns of a row never run into each other.
    const QString widest = QStringLiteral("Sep 30\t23:59*\t23:59*\t23:59*\t23:59*\t23:59*\t23:59*");
    const QList<int> xs = window->lstYearlyPrayerTimes->ColumnPositions(widest);
    for (int i = 1; i < xs.size(); ++i)
        EXPECT_EQ(xs[i], window->lstYearlyPrayerTimes->ColumnPositions(
                             QStringLiteral("1\t1\t1\t1\t1\t1\t1"))[i])
            << "column " << i << " starts at its own stop";

    const struct {
        QDate today;
        int hijri;
        int rows;
    } cases[] = {
        {QDate(2024, 3, 10), 0, 366}, {QDate(2024, 1, 10), 0, 367}, {QDate(2023, 3, 10), 0, 367}};
    for (const auto& c : cases) {
        gDisplayHijraa = std::int16_t(c.hijri);
        at(c.today, QTime(9, 0));
        window->RefreshPrayerTimes(Date(c.today));
        EXPECT_EQ(window->lstYearlyPrayerTimes->ListCount(), c.rows)
            << c.today.toString().toStdString();
        ASSERT_EQ(window->lstMonthlyPrayerTimes->ListCount(), 1);
        const QString first = window->lstMonthlyPrayerTimes->List(0);
        EXPECT_EQ(window->lstYearlyPrayerTimes->List(0), first);
        EXPECT_EQ(first.count('\t'), 6);
        EXPECT_TRUE(first.startsWith(GetMonthName(0, std::int16_t(c.today.month()), 0) + ' ' +
                                     QString::number(c.today.day())))
            << first.toStdString();
        EXPECT_EQ(first.split('\t')[1], frmTallix::FormatPrayerTime(dayTimes(c.today, 1)));
    }
    // Hijri primary: a Hijri year of rows with Hijri dates.
    gDisplayHijraa = 1;
    at(QDate(2024, 3, 10), QTime(9, 0));
    window->RefreshPrayerTimes(Date(QDate(2024, 3, 10)));
    const int rows = window->lstYearlyPrayerTimes->ListCount();
    EXPECT_TRUE(rows == 355 || rows == 356) << rows;
    EXPECT_TRUE(window->lstMonthlyPrayerTimes->List(0).startsWith(
        FormatHijriMonthText(Date(QDate(2024, 3, 10)), 0)));
    EXPECT_TRUE(
        window->fraToday->title().startsWith(FormatLongDateLocalized(1, Date(QDate(2024, 3, 10)))));

    // Tomorrow shown after Ishaa: the list still counts its year from today.
    gDisplayHijraa = 0;
    window->RefreshPrayerTimes(Date(QDate(2024, 3, 11)));
    EXPECT_EQ(window->lstYearlyPrayerTimes->ListCount(), 366);
}

TEST_F(DayWindow, LocationLabel) {
    gCityName = "Makkah";
    gCountry = "Saudi Arabia";
    for (const char* province : {"", "   "}) {
        gProvince = province;
        window->RefreshPrayerTimes(Date(QDate(2024, 3, 10)));
        EXPECT_EQ(window->lblLocation->text(), "Makkah, Saudi Arabia");
    }
    gProvince = "Makkah Province";
    window->RefreshPrayerTimes(Date(QDate(2024, 3, 10)));
    EXPECT_EQ(window->lblLocation->text(), "Makkah, Makkah Province, Saudi Arabia");
    EXPECT_EQ(window->picGlobe->toolTip(), window->lblLocation->text());
}

TEST_F(DayWindow, CountdownBarsAndTrayTipFollowTheClock) {
    window->RefreshPrayers();
    gProgressBarSegment = 1;
    ASSERT_TRUE(window->UpdateCurrentTime());
    const auto dhuhr = window->PrayerSeconds[3];
    ASSERT_TRUE(dhuhr);
    const int left = *dhuhr - (10 * 3600 + 8 * 60 + 30);
    EXPECT_EQ(window->lblNextPrayerIn->text(), QStringLiteral("%1h%2m%3s")
                                                   .arg(left / 3600)
                                                   .arg(left / 60 % 60, 2, 10, QChar('0'))
                                                   .arg(left % 60, 2, 10, QChar('0')));
    EXPECT_EQ(window->fraNextPrayerIn->title(), "Next Prayer in");
    EXPECT_EQ(window->ProgressBars[0]->Value(), left / 60);
    EXPECT_EQ(window->ProgressBars[1]->Value(), left / 60);
    EXPECT_EQ(window->ProgressBars[0]->Segments(),
              window->ProgressBars[0]->Value() * 100.0 / window->ProgressBars[0]->Max() > 16);

    const QString tip = QString::fromUtf8(window->gTrayIconData.szTip);
    EXPECT_TRUE(tip.startsWith("Next is Dhuhr at ")) << tip.toStdString();
    const int minutes = *dhuhr / 60 - (10 * 60 + 8);
    EXPECT_TRUE(tip.endsWith(QStringLiteral("\r\nTime Remaining is %1h%2min")
                                 .arg(minutes / 60)
                                 .arg(minutes % 60, 2, 10, QChar('0'))))
        << tip.toStdString();

    // Before sunrise the countdown names the end of Fajr.
    at(QDate(2024, 3, 10), QTime(5, 30));
    window->RefreshPrayerTimes(Date(QDate(2024, 3, 10)));
    EXPECT_EQ(window->fraNextPrayerIn->title(), "Fajr Ends in");
    EXPECT_TRUE(QString::fromUtf8(window->gTrayIconData.szTip).startsWith("Fajr ends at "));

    // Minimised: only the tray tip.
    const QString clockBefore = window->lblTime->text();
    at(QDate(2024, 3, 10), QTime(5, 31, 10));
    window->setWindowState(Qt::WindowMinimized);
    EXPECT_FALSE(window->UpdateCurrentTime());
    EXPECT_EQ(window->lblTime->text(), clockBefore);
    const int toSunrise =
        frmTallix::MinutesBetween(5 * 3600 + 31 * 60 + 10, window->PrayerSeconds[2]);
    EXPECT_TRUE(QString::fromUtf8(window->gTrayIconData.szTip)
                    .endsWith(QStringLiteral("%1h%2min")
                                  .arg(toSunrise / 60)
                                  .arg(toSunrise % 60, 2, 10, QChar('0'))));
}

TEST_F(DayWindow, TheClockTicksEverySecond) {
    window->Load();
    ASSERT_TRUE(window->tmrMain->isActive());
    EXPECT_LE(window->tmrMain->interval(), 1000);
    const QString before = window->lblNextPrayerIn->text();
    const QString clockBefore = window->lblTime->text();
    at(QDate(2024, 3, 10), QTime(10, 8, 31));
    window->tmrMain_Timer();
    const QString after = window->lblNextPrayerIn->text();
    EXPECT_NE(after, before);
    EXPECT_NE(window->lblTime->text(), clockBefore);
    const auto secondsOf = [](const QString& countdown) {
        const QStringList parts =
            QString(countdown).replace(QRegularExpression("[hms]"), ":").split(':');
        return parts[0].toInt() * 3600 + parts[1].toInt() * 60 + parts[2].toInt();
    };
    EXPECT_EQ(secondsOf(before) - secondsOf(after), 1);
    // Within the same second nothing moves again.
    window->lblNextPrayerIn->setText("x");
    window->tmrMain_Timer();
    EXPECT_EQ(window->lblNextPrayerIn->text(), "x");
}

TEST_F(DayWindow, TheStatusBarUsesTheSystemHighlightOnTheYearlyPage) {
    gColorFaceHighlight = 0x00123456;
    const struct {
        int tab;
        std::int32_t bar;
    } cases[] = {{0, 0x00123456}, {1, 0x00123456}, {2, static_cast<std::int32_t>(0x8000000Du)}};
    for (const auto& c : cases) {
        window->tabMain->setCurrentIndex(c.tab);
        window->ResetTab();
        EXPECT_EQ(window->ProgressBars[1]->BarColor(), c.bar) << c.tab;
        EXPECT_EQ(window->ProgressBars[1]->BackColor(), gColorFace);
        window->RefreshPrayerTimes(Date(QDate(2024, 3, 10)));
        EXPECT_EQ(window->ProgressBars[1]->BarColor(), c.bar) << c.tab;
        EXPECT_EQ(window->ProgressBars[0]->BarColor(), 0x00123456);
    }
    // Without the Qiblah panel the window is shorter by the panel and its gap.
    const int tall = window->height();
    gDisplayKabaa = 0;
    window->ResizeForm();
    EXPECT_TRUE(window->fraQiblah->isHidden());
    EXPECT_EQ(tall - window->height(), window->fraQiblah->height() + 6);
}

TEST_F(DayWindow, TextsFromTheStringTable) {
    EXPECT_EQ(window->sTextFileFilter.size(), 29);
    EXPECT_TRUE(window->sTextFileFilter.endsWith(QString(2, QChar(0))));
    EXPECT_TRUE(window->sAthanMessage[3].isEmpty());
    EXPECT_EQ(window->sCountdownPrefix[2], "Fajr Ends in");
    EXPECT_EQ(window->sCountdownPrefix[5], "Next Prayer in");
    EXPECT_EQ(window->sTrayTipPrefix[1], "Next is Fajr at ");
    EXPECT_EQ(window->sTrayTipPrefix[2], "Fajr ends at ");
    EXPECT_EQ(window->sWindowCaption[2], "Tallix Time - Next Prayer is Dhuhr");
    EXPECT_TRUE(window->sPrayerDescription[1].contains("\r\n\r\n"));
    EXPECT_EQ(window->tabMain->tabText(0), " &Daily");
}

TEST_F(DayWindow, ScreenshotOfTheDay) {
    at(QDate(2024, 3, 10), QTime(13, 5, 20));
    window->Load();
    window->show();
    QApplication::processEvents();
    EXPECT_EQ(window->windowTitle(), "Tallix Time - Current Prayer is Dhuhr");
    EXPECT_EQ(window->lblLocation->text(), "Makkah, Saudi Arabia");

    // Every text fits its label, and no panel overlaps another.
    for (QLabel* label : window->findChildren<QLabel*>()) {
        if (!label->isVisible() || label->text().isEmpty() || label->wordWrap())
            continue;
        EXPECT_LE(label->fontMetrics().horizontalAdvance(label->text()), label->width())
            << label->objectName().toStdString() << ": " << label->text().toStdString();
    }
    // The highlight box lies over the current prayer's time.
    const QRect box = window->txtPrayerTime->geometry();
    const QRect dhuhrTime(window->lblPrayer[3]->mapTo(window->fraToday, QPoint(0, 0)),
                          window->lblPrayer[3]->size());
    EXPECT_EQ(box, dhuhrTime);
    for (int i = 1; i < 6; ++i)
        EXPECT_FALSE(
            window->fraPrayer[i]->geometry().intersects(window->fraPrayer[i + 1]->geometry()));
    const QRect qiblah(window->picQiblah->pos(), window->picQiblah->size());
    EXPECT_FALSE(qiblah.intersects(window->imgKabaaDirection->geometry()));
    EXPECT_FALSE(
        window->picQiblahLabel->geometry().intersects(window->imgKabaaDirection->geometry()));

    const QImage shot = window->grab().toImage();
    const QString dir = QStringLiteral(TALLIX_BUILD_DIR "/screenshots");
    QDir().mkpath(dir);
    EXPECT_TRUE(shot.save(dir + QStringLiteral("/mainwindow-day.png")));
    // The other two pages, to look at.
    for (int tab : {1, 2}) {
        window->tabMain->setCurrentIndex(tab);
        QApplication::processEvents();
        EXPECT_TRUE(window->grab().toImage().save(
            dir + QStringLiteral("/mainwindow-day-tab%1.png").arg(tab)));
    }
}

} // namespace
