// The records handed to the prayer library and the day routine every caller uses.
#include "core/settings.h"
#include "mainwindow/frmTallix.h"
#include "platform/prayerdll.h"
#include "runtime/ErrObject.h"

#include <QLocale>
#include <cstring>
#include <gtest/gtest.h>

namespace {

class Prayers : public ::testing::Test {
protected:
    void SetUp() override {
        gLatitude = 21.4233;
        gLongitude = 39.8233;
        gTimeZone = 36;
        gCalcMethod = 6;
        gFajrDegrees = gIshaDegrees = gFajrDegreesDifference = 20;
        gIshaMinutes = 0;
        gMaghribMinutes = 1;
        gMinuteAdjustActive = 0;
        for (auto& a : gMinuteAdjust)
            a = 0;
        gJuristicMethod = 1;
        gRounding = 0;
        gDaylightSavings = 2;
        gDaylightSavingsTime = 0;
        std::memset(&loc, 0x5A, sizeof loc);
        std::memset(&conf, 0x5A, sizeof conf);
        loc.Dst = 7;
    }

    frmTallix window;
    Location loc;
    CalcMethod conf;
};

TEST_F(Prayers, MethodsFillAnglesAndIntervals) {
    const struct {
        int method, fajr, isha, difference, ishaMinutes, maghrib, adjustActive, adjust5;
        double fajrAngle, ishaAngle;
        int ishaaInterval;
    } cases[] = {
        {0, 36, 36, 10, 12, 1, 0, 0, 18.0, 18.0, 0},  {0, 39, 30, 36, 0, 5, 1, -3, 19.5, 15.0, 0},
        {7, 10, 10, 37, 12, 1, 0, 0, 18.5, 0, 91},    {7, 10, 10, 36, 12, 1, 1, -3, 18.0, 0, 88},
        {7, 10, 10, 36, 30, 15, 1, 10, 18.0, 0, 205},
    };
    for (const auto& c : cases) {
        gCalcMethod = std::int16_t(c.method);
        gFajrDegrees = std::int16_t(c.fajr);
        gIshaDegrees = std::int16_t(c.isha);
        gFajrDegreesDifference = std::int16_t(c.difference);
        gIshaMinutes = std::int16_t(c.ishaMinutes);
        gMaghribMinutes = std::int16_t(c.maghrib);
        gMinuteAdjustActive = std::int16_t(c.adjustActive);
        gMinuteAdjust[5] = std::int16_t(c.adjust5);
        window.GetCalculationParameters(loc, conf);
        EXPECT_DOUBLE_EQ(conf.FajrAngle, c.fajrAngle) << c.method;
        EXPECT_DOUBLE_EQ(conf.IshaaAngle, c.ishaAngle) << c.method;
        EXPECT_EQ(conf.IshaaInterval, c.ishaaInterval) << c.method;
        EXPECT_EQ(conf.FajrInterval, 0);
        EXPECT_EQ(conf.ImsaakInterval, 0);
    }
    // Methods 1..6 leave every angle and interval to the library.
    gFajrDegrees = gIshaDegrees = gFajrDegreesDifference = 44;
    gIshaMinutes = 18;
    for (int method = 1; method <= 6; ++method) {
        gCalcMethod = std::int16_t(method);
        window.GetCalculationParameters(loc, conf);
        EXPECT_EQ(conf.FajrAngle, 0) << method;
        EXPECT_EQ(conf.IshaaAngle, 0) << method;
        EXPECT_EQ(conf.IshaaInterval, 0) << method;
    }
}

TEST_F(Prayers, FixedFieldsCoordinatesAndZoneAndDstUntouched) {
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    gLatitude = 21.42334;
    gLongitude = -0.12345;
    gJuristicMethod = 2;
    gRounding = 3;
    const struct {
        int index;
        double hours;
    } zones[] = {{36, 3.0}, {0, -15.0}, {60, 15.0}, {41, 5.5}, {102, 5.75}, {116, 12.75}};
    for (const auto& z : zones) {
        gTimeZone = std::int16_t(z.index);
        window.GetCalculationParameters(loc, conf);
        EXPECT_DOUBLE_EQ(loc.GmtDiff, z.hours);
    }
    QLocale::setDefault(QLocale::system());
    EXPECT_DOUBLE_EQ(loc.Latitude, 21.4233);
    EXPECT_DOUBLE_EQ(loc.Longitude, -0.1235);
    EXPECT_EQ(loc.Dst, 7) << "the caller's daylight-saving field is left alone";
    EXPECT_EQ(loc.SeaLevel, 0);
    EXPECT_EQ(loc.Pressure, 1010);
    EXPECT_EQ(loc.Temperature, 10);
    EXPECT_EQ(conf.AsrMethod, 2);
    EXPECT_EQ(conf.Rounding, 3);
    EXPECT_DOUBLE_EQ(conf.NearestLatitude, 48.5);
    EXPECT_DOUBLE_EQ(conf.ImsaakAngle, 1.5);
    EXPECT_EQ(conf.ExtremeMethod, 5);
    EXPECT_EQ(conf.UseOffsets, 0);
    for (double o : conf.Offsets)
        EXPECT_EQ(o, 0);
}

int minutesOf(const PrayerTime& t) {
    return t.Hour * 60 + t.Minute;
}

// A manual offset of half hours reaches every time whole: 0.5 hours moves the times by 30
// minutes, not by 0 (and 1.5 hours by 90, not by 120).
TEST_F(Prayers, EveryTimeCarriesTheTrueDaylightOffset) {
    window.GetCalculationParameters(loc, conf);
    const QDate day(2026, 3, 20);
    PrayerTime none[7] = {};
    ASSERT_TRUE(window.CalculatePrayerTimes(day, loc, conf, none));
    EXPECT_EQ(loc.Dst, 0);
    for (int slot = 0; slot <= 6; ++slot)
        ASSERT_NE(none[slot].Hour, 99) << slot;
    gDaylightSavings = 1;
    const struct {
        int index, minutes, dst;
    } cases[] = {{0, 30, 0}, {1, 60, 1}, {2, 90, 1}, {3, 120, 2}};
    for (const auto& c : cases) {
        gDaylightSavingsTime = std::int16_t(c.index);
        PrayerTime shifted[7] = {};
        ASSERT_TRUE(window.CalculatePrayerTimes(day, loc, conf, shifted));
        EXPECT_EQ(loc.Dst, c.dst);
        for (int slot = 0; slot <= 6; ++slot) {
            EXPECT_EQ((minutesOf(shifted[slot]) - minutesOf(none[slot]) + 1440) % 1440, c.minutes)
                << "slot " << slot << " index " << c.index;
            EXPECT_EQ(shifted[slot].Second, none[slot].Second);
        }
    }
}

TEST_F(Prayers, FirstSlotLimitsTheCallsAndNoTimeStaysNoTime) {
    gLatitude = 69.0;
    gLongitude = 18.9;
    gTimeZone = 32;
    gDaylightSavings = 1; // half an hour must not disturb "no time"
    window.GetCalculationParameters(loc, conf);
    conf.ExtremeMethod = 0;
    PrayerTime times[7];
    for (auto& t : times)
        t = PrayerTime{-1, -1, -1, -1};
    ASSERT_TRUE(window.CalculatePrayerTimes(QDate(2026, 6, 21), loc, conf, times, 1));
    EXPECT_EQ(times[0].Hour, -1) << "slot 0 was not asked for";
    EXPECT_EQ(times[1].Hour, 99);
    EXPECT_EQ(times[1].Minute, 99);
    EXPECT_EQ(times[2].Hour, 99) << "the midnight sun has no sunrise";
    EXPECT_NE(times[3].Hour, 99);
}

TEST_F(Prayers, AMissingLibraryFailsTheCallsAndKeepsTheRecords) {
    platform::SetPrayerLibraryPath(QStringLiteral("/nonexistent/libtallixtime.so"));
    window.GetCalculationParameters(loc, conf);
    PrayerTime times[7];
    for (auto& t : times)
        t = PrayerTime{1, 2, 3, 0};
    Err.Clear();
    EXPECT_FALSE(window.CalculatePrayerTimes(QDate(2026, 3, 20), loc, conf, times));
    EXPECT_EQ(Err.Number, vbErrFileNotFound);
    for (const auto& t : times)
        EXPECT_EQ(t.Minute, 2);
    EXPECT_FALSE(TallixTimeDll::getNorthQibla(loc).has_value());
    platform::SetPrayerLibraryPath(QString());
    EXPECT_TRUE(window.CalculatePrayerTimes(QDate(2026, 3, 20), loc, conf, times));
    gLatitude = 51.5074;
    gLongitude = -0.1278;
    window.GetCalculationParameters(loc, conf);
    const auto qibla = TallixTimeDll::getNorthQibla(loc);
    ASSERT_TRUE(qibla.has_value());
    EXPECT_NEAR(*qibla, -119, 1) << "London faces east of south-east";
    Err.Clear();
}

} // namespace
