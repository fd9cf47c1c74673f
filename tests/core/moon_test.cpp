// The moon's age and illuminated fraction, and the Julian day of a local midnight.
#include "core/moon.h"
#include "core/settings.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

constexpr double kSynodic = 29.530588;

class Moon : public testing::Test {
protected:
    void SetUp() override {
        saved = gTimeZone;
        SetCalendar(vbCalGreg);
    }
    void TearDown() override {
        gTimeZone = saved;
        SetCalendar(vbCalGreg);
    }
    std::int16_t saved = 0;
};

TEST_F(Moon, FixAngleReducesIntoOneTurn) {
    EXPECT_DOUBLE_EQ(FixAngle(-30), 330);
    EXPECT_DOUBLE_EQ(FixAngle(720), 0);
    EXPECT_DOUBLE_EQ(FixAngle(360), 0);
    EXPECT_DOUBLE_EQ(FixAngle(359.5), 359.5);
    EXPECT_DOUBLE_EQ(FixAngle(-725), 355);
}

TEST_F(Moon, JulianDayOfLocalMidnight) {
    struct Case {
        QDateTime date;
        std::int16_t zone; // index: hours = index / 2 - 15
        double jd;
    };
    const Case cases[] = {
        {QDateTime(QDate(2000, 1, 1), QTime(0, 0)), 30, 2451544.5},
        {QDateTime(QDate(2000, 1, 1), QTime(18, 30)), 30, 2451544.5}, // the time is not counted
        {QDateTime(QDate(2000, 1, 1), QTime(0, 0)), 36, 2451544.375}, // UTC+3
        {QDateTime(QDate(2000, 3, 1), QTime(0, 0)), 30, 2451544.5 + 60},
        {QDateTime(QDate(1858, 11, 17), QTime(0, 0)), 30, 2400000.5},
        // From 4 October 1582 on the Gregorian correction applies; before it the day counts
        // as a Julian-calendar day.
        {QDateTime(QDate(1582, 10, 4), QTime(0, 0)), 30, 2299149.5},
        {QDateTime(QDate(1582, 10, 3), QTime(0, 0)), 30, 2299158.5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.date.toString(Qt::ISODate).toStdString());
        gTimeZone = c.zone;
        EXPECT_DOUBLE_EQ(DateToJulianDay(Date(c.date)), c.jd);
    }
    // The day is the Gregorian one whatever calendar is current.
    gTimeZone = 30;
    SetCalendar(vbCalHijri);
    EXPECT_DOUBLE_EQ(DateToJulianDay(Date(QDate(2000, 1, 1))), 2451544.5);
}

// Ages measured from the mean new moon at the given instants (new moon 6 January 2000
// 18:14 UT, full moon 21 January 2000 04:40 UT).
TEST_F(Moon, PhaseAroundTheNewAndFullMoonOfJanuary2000) {
    const double newMoon = 2451550.26;
    const double fullMoon = 2451564.69;

    const double dayAfter = 2451550.5; // 7 January 2000, 0 h UT
    EXPECT_NEAR(MoonPhase(dayAfter, 1), dayAfter - newMoon, 0.15);
    EXPECT_LT(MoonPhase(dayAfter, 0), 0.002);

    const double nearFull = 2451564.5; // 21 January 2000, 0 h UT
    EXPECT_NEAR(MoonPhase(nearFull, 1), kSynodic / 2 - (fullMoon - nearFull), 0.15);
    EXPECT_GT(MoonPhase(nearFull, 0), 0.995);

    const double atNew = MoonPhase(newMoon, 1);
    EXPECT_LT(std::min(atNew, kSynodic - atNew), 0.3);
    EXPECT_LT(MoonPhase(newMoon, 0), 0.001);
    EXPECT_GT(MoonPhase(fullMoon, 0), 0.999);
    EXPECT_NEAR(MoonPhase(fullMoon, 1), kSynodic / 2, 0.15);

    EXPECT_EQ(MoonPhase(nearFull, 2), 0.0);
    EXPECT_EQ(MoonPhase(nearFull, -1), 0.0);

    gTimeZone = 30;
    EXPECT_GT(MoonPhase(DateToJulianDay(Date(QDate(2000, 1, 21))), 0), 0.995);
}

TEST_F(Moon, AgeAndFractionStayInRangeOverAMonth) {
    for (double jd = 2451544.5; jd < 2451544.5 + 31; jd += 0.25) {
        const double age = MoonPhase(jd, 1);
        const double lit = MoonPhase(jd, 0);
        ASSERT_GE(age, 0.0) << jd;
        ASSERT_LT(age, 29.53058868) << jd;
        ASSERT_GE(lit, 0.0) << jd;
        ASSERT_LE(lit, 1.0) << jd;
    }
}

TEST_F(Moon, KeplerSolutionSatisfiesTheEquation) {
    for (const double m : {0.0, 45.0, 90.0, 179.0, 270.0, 359.9}) {
        const double e = SolveKepler(m, 0.016718);
        EXPECT_NEAR(e - 0.016718 * std::sin(e), DegToRad(m), 1e-6) << m;
    }
}

// A value that is no number can no longer keep the iteration going for ever: each failing step
// leaves its variable as it was, and a number comes back.
TEST_F(Moon, NonFiniteInputsGiveANumber) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    EXPECT_TRUE(std::isfinite(SolveKepler(nan, 0.016718)));
    EXPECT_TRUE(std::isfinite(SolveKepler(inf, 0.016718)));
    EXPECT_TRUE(std::isfinite(SolveKepler(200.0, 5.0))); // no convergence: bounded rounds
    EXPECT_TRUE(std::isfinite(SolveKepler(90.0, nan)));
    for (const double jd : {nan, inf, -inf}) {
        for (const std::int32_t mode : {0, 1}) {
            const double v = MoonPhase(jd, mode);
            EXPECT_TRUE(std::isfinite(v)) << jd << " mode " << mode;
            // The day count stays 0: the phase of the method's epoch.
            EXPECT_DOUBLE_EQ(v, MoonPhase(2444238.5, mode)) << jd << " mode " << mode;
        }
    }
}

} // namespace
