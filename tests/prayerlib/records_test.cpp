// The records cross the library boundary as raw memory: their layout is part of the interface.
#include "tallixtime.h"

#include <gtest/gtest.h>

#include <cstddef>

namespace {

struct Field {
    const char* name;
    size_t offset;
    size_t expected;
};

TEST(prayerlibRecords, SizesAndOffsetsAreFixedToTheByte) {
    EXPECT_EQ(sizeof(Location), 52u);
    EXPECT_EQ(sizeof(CalcMethod), 108u);
    EXPECT_EQ(sizeof(PrayerDate), 12u);
    EXPECT_EQ(sizeof(PrayerTime), 16u);
    const Field fields[] = {
        {"Location.Longitude", offsetof(Location, Longitude), 0},
        {"Location.Latitude", offsetof(Location, Latitude), 8},
        {"Location.GmtDiff", offsetof(Location, GmtDiff), 16},
        {"Location.Dst", offsetof(Location, Dst), 24},
        {"Location.SeaLevel", offsetof(Location, SeaLevel), 28},
        {"Location.Pressure", offsetof(Location, Pressure), 36},
        {"Location.Temperature", offsetof(Location, Temperature), 44},
        {"CalcMethod.FajrAngle", offsetof(CalcMethod, FajrAngle), 0},
        {"CalcMethod.IshaaAngle", offsetof(CalcMethod, IshaaAngle), 8},
        {"CalcMethod.ImsaakAngle", offsetof(CalcMethod, ImsaakAngle), 16},
        {"CalcMethod.FajrInterval", offsetof(CalcMethod, FajrInterval), 24},
        {"CalcMethod.IshaaInterval", offsetof(CalcMethod, IshaaInterval), 28},
        {"CalcMethod.ImsaakInterval", offsetof(CalcMethod, ImsaakInterval), 32},
        {"CalcMethod.Rounding", offsetof(CalcMethod, Rounding), 36},
        {"CalcMethod.AsrMethod", offsetof(CalcMethod, AsrMethod), 40},
        {"CalcMethod.NearestLatitude", offsetof(CalcMethod, NearestLatitude), 44},
        {"CalcMethod.ExtremeMethod", offsetof(CalcMethod, ExtremeMethod), 52},
        {"CalcMethod.UseOffsets", offsetof(CalcMethod, UseOffsets), 56},
        {"CalcMethod.Offsets", offsetof(CalcMethod, Offsets), 60},
        {"PrayerDate.Day", offsetof(PrayerDate, Day), 0},
        {"PrayerDate.Month", offsetof(PrayerDate, Month), 4},
        {"PrayerDate.Year", offsetof(PrayerDate, Year), 8},
        {"PrayerTime.Hour", offsetof(PrayerTime, Hour), 0},
        {"PrayerTime.Minute", offsetof(PrayerTime, Minute), 4},
        {"PrayerTime.Second", offsetof(PrayerTime, Second), 8},
        {"PrayerTime.IsExtreme", offsetof(PrayerTime, IsExtreme), 12},
    };
    for (const Field& f : fields)
        EXPECT_EQ(f.offset, f.expected) << f.name;
}

} // namespace
