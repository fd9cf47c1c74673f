// The records handed to the prayer library, and the one routine through which every caller
// computes a day.
#include "core/daylight.h"
#include "core/settings.h"
#include "frmTallix.h"
#include "platform/prayerdll.h"
#include "runtime/Convert.h"
#include "runtime/ErrObject.h"

#include <cmath>

namespace {
// The coordinates reach the library with exactly four decimals, as the settings show them.
void setRounded(double& field, double value) {
    if (const auto v = CDbl(Format(value, QStringLiteral("0.0000"))))
        field = *v;
}

void addMinutes(PrayerTime& pt, int minutes) {
    if (pt.Hour == 99 || pt.Minute == 99 || minutes == 0)
        return;
    int total = (pt.Hour * 60 + pt.Minute + minutes) % 1440;
    if (total < 0)
        total += 1440;
    pt.Hour = total / 60;
    pt.Minute = total % 60;
}
} // namespace

double frmTallix::HalfDegrees(std::int16_t n) {
    return n * 0.5;
}

std::int16_t frmTallix::IntervalMinutes(std::int16_t n) {
    return static_cast<std::int16_t>(n * 5 + 30);
}

void frmTallix::GetCalculationParameters(Location& loc, CalcMethod& conf) {
    setRounded(loc.Latitude, gLatitude);
    setRounded(loc.Longitude, gLongitude);
    loc.SeaLevel = 0;
    loc.Pressure = 1010;
    loc.Temperature = 10;
    loc.GmtDiff = TimeZoneIndexToHours(gTimeZone);

    conf.FajrAngle = 0;
    conf.IshaaAngle = 0;
    conf.ImsaakAngle = 0;
    conf.FajrInterval = 0;
    conf.IshaaInterval = 0;
    conf.ImsaakInterval = 0;
    switch (gCalcMethod) {
    case 0:
        conf.FajrAngle = HalfDegrees(gFajrDegrees);
        conf.IshaaAngle = HalfDegrees(gIshaDegrees);
        break;
    case 7: {
        conf.FajrAngle = HalfDegrees(gFajrDegreesDifference);
        std::int16_t interval =
            static_cast<std::int16_t>(IntervalMinutes(gIshaMinutes) + gMaghribMinutes);
        if (gMinuteAdjustActive == 1)
            interval = static_cast<std::int16_t>(interval + gMinuteAdjust[5]);
        conf.IshaaInterval = interval;
        break;
    }
    default:
        break;
    }
    conf.AsrMethod = gJuristicMethod;
    conf.Rounding = gRounding;
    conf.NearestLatitude = 48.5;
    conf.ImsaakAngle = 1.5;
    conf.ExtremeMethod = 5;
    conf.UseOffsets = 0;
    // The record is packed to 4 bytes: its doubles are written in place, never through a
    // reference that would promise 8-byte alignment.
    for (std::size_t i = 0; i < std::size(conf.Offsets); ++i)
        conf.Offsets[i] = 0;
}

bool frmTallix::CalculatePrayerTimes(const QDate& day, Location& loc, CalcMethod& conf,
                                     PrayerTime (&times)[7], int firstSlot) {
    PrayerDate date{day.day(), day.month(), day.year()};
    bool allCalled = true;
    // One day has one offset: it is looked up once and goes with each of the day's calls.
    const double offset = GetDaylightOffset(date);
    const double whole = std::trunc(offset);
    for (int slot = std::max(firstSlot, 0); slot <= 6; ++slot) {
        loc.Dst = static_cast<int>(whole);
        PrayerTime pt = times[slot];
        if (!TallixTimeDll::getPrayer(pt, loc, conf, date, slot, gCalcMethod)) {
            const QString why = platform::PrayerLibraryError();
            Err.Raise(why.startsWith(QLatin1String("File not found")) ? vbErrFileNotFound : 453,
                      why);
            allCalled = false;
            continue;
        }
        addMinutes(pt, static_cast<int>(std::lround((offset - whole) * 60)));
        times[slot] = pt;
    }
    return allCalled;
}
