/* libtallixtime: prayer times and the Qiblah direction.
 *
 * Plain C interface, usable from C and C++. The records are passed by pointer as raw memory, so
 * their layout is fixed to the byte: 4-byte packing, signed 32-bit integers, IEEE doubles. The
 * static assertions below pin every size and offset.
 *
 * Times are local clock times of the requested Gregorian date (GmtDiff and Dst hours applied).
 * Each day's events belong to the solar day whose noon falls nearest 12:00 local clock time; an
 * event that lands on the neighbouring calendar day (Ishaa after midnight, Fajr before the
 * previous midnight) is reported as its time of day, 0..23 h.
 */
#ifndef TALLIXTIME_H
#define TALLIXTIME_H

#include <stddef.h>

#ifdef __cplusplus
#define TALLIXTIME_STATIC_ASSERT(cond, msg) static_assert(cond, msg)
extern "C" {
#else
#define TALLIXTIME_STATIC_ASSERT(cond, msg) _Static_assert(cond, msg)
#endif

#if defined(__GNUC__)
#define TALLIXTIME_API __attribute__((visibility("default")))
#else
#define TALLIXTIME_API
#endif

#pragma pack(push, 4)

/* The observer. */
typedef struct Location {
    double Longitude;   /* degrees, east positive, -180..180 */
    double Latitude;    /* degrees, north positive, -90..90 */
    double GmtDiff;     /* hours from GMT, -24..24 */
    int Dst;            /* daylight-saving hours in force on the date computed, -24..24 */
    double SeaLevel;    /* metres above the visible horizon (dip); negative counts as 0 */
    double Pressure;    /* millibars, scales the horizon refraction (0 = no air) */
    double Temperature; /* degrees Celsius, scales the horizon refraction */
} Location;

/* The calculation conventions. */
typedef struct CalcMethod {
    double FajrAngle;       /* degrees below the horizon (methods 0 and 7) */
    double IshaaAngle;      /* degrees below the horizon (method 0) */
    double ImsaakAngle;     /* degrees added to the Fajr angle for Imsaak (slot 0) */
    int FajrInterval;       /* minutes; non-zero: Fajr this long before Shurooq (methods 0 and 7) */
    int IshaaInterval;      /* minutes; non-zero: Ishaa this long after Maghrib (methods 0 and 7) */
    int ImsaakInterval;     /* minutes; non-zero: Imsaak this long before Fajr */
    int Rounding;           /* 0 none, 1 normal, 2 special, 3 aggressive */
    int AsrMethod;          /* 1 standard (shadow = height), 2 Hanafi (shadow = twice the height) */
    double NearestLatitude; /* accepted, not used */
    int ExtremeMethod; /* 0: no time (99) when an event does not occur; others: nearest good day */
    int UseOffsets;    /* non-zero: add Offsets[slot - 1] minutes to slots 1..6 */
    double Offsets[6]; /* minutes, for Fajr, Shurooq, Dhuhr, Asr, Maghrib, Ishaa */
} CalcMethod;

/* A Gregorian date. */
typedef struct PrayerDate {
    int Day;
    int Month;
    int Year; /* 1..9999 */
} PrayerDate;

/* One result. Hour = Minute = 99 (Second 0) means no time. */
typedef struct PrayerTime {
    int Hour;      /* 0..23 */
    int Minute;    /* 0..59 */
    int Second;    /* 0..59 */
    int IsExtreme; /* 1: taken from the nearest good day */
} PrayerTime;

#pragma pack(pop)

TALLIXTIME_STATIC_ASSERT(sizeof(Location) == 52, "Location is 52 bytes");
TALLIXTIME_STATIC_ASSERT(offsetof(Location, Longitude) == 0, "Location.Longitude");
TALLIXTIME_STATIC_ASSERT(offsetof(Location, Latitude) == 8, "Location.Latitude");
TALLIXTIME_STATIC_ASSERT(offsetof(Location, GmtDiff) == 16, "Location.GmtDiff");
TALLIXTIME_STATIC_ASSERT(offsetof(Location, Dst) == 24, "Location.Dst");
TALLIXTIME_STATIC_ASSERT(offsetof(Location, SeaLevel) == 28, "Location.SeaLevel");
TALLIXTIME_STATIC_ASSERT(offsetof(Location, Pressure) == 36, "Location.Pressure");
TALLIXTIME_STATIC_ASSERT(offsetof(Location, Temperature) == 44, "Location.Temperature");

TALLIXTIME_STATIC_ASSERT(sizeof(CalcMethod) == 108, "CalcMethod is 108 bytes");
TALLIXTIME_STATIC_ASSERT(offsetof(CalcMethod, FajrAngle) == 0, "CalcMethod.FajrAngle");
TALLIXTIME_STATIC_ASSERT(offsetof(CalcMethod, IshaaAngle) == 8, "CalcMethod.IshaaAngle");
TALLIXTIME_STATIC_ASSERT(offsetof(CalcMethod, ImsaakAngle) == 16, "CalcMethod.ImsaakAngle");
TALLIXTIME_STATIC_ASSERT(offsetof(CalcMethod, FajrInterval) == 24, "CalcMethod.FajrInterval");
TALLIXTIME_STATIC_ASSERT(offsetof(CalcMethod, IshaaInterval) == 28, "CalcMethod.IshaaInterval");
TALLIXTIME_STATIC_ASSERT(offsetof(CalcMethod, ImsaakInterval) == 32, "CalcMethod.ImsaakInterval");
TALLIXTIME_STATIC_ASSERT(offsetof(CalcMethod, Rounding) == 36, "CalcMethod.Rounding");
TALLIXTIME_STATIC_ASSERT(offsetof(CalcMethod, AsrMethod) == 40, "CalcMethod.AsrMethod");
TALLIXTIME_STATIC_ASSERT(offsetof(CalcMethod, NearestLatitude) == 44, "CalcMethod.NearestLatitude");
TALLIXTIME_STATIC_ASSERT(offsetof(CalcMethod, ExtremeMethod) == 52, "CalcMethod.ExtremeMethod");
TALLIXTIME_STATIC_ASSERT(offsetof(CalcMethod, UseOffsets) == 56, "CalcMethod.UseOffsets");
TALLIXTIME_STATIC_ASSERT(offsetof(CalcMethod, Offsets) == 60, "CalcMethod.Offsets");

TALLIXTIME_STATIC_ASSERT(sizeof(PrayerDate) == 12, "PrayerDate is 12 bytes");
TALLIXTIME_STATIC_ASSERT(offsetof(PrayerDate, Month) == 4, "PrayerDate.Month");
TALLIXTIME_STATIC_ASSERT(offsetof(PrayerDate, Year) == 8, "PrayerDate.Year");

TALLIXTIME_STATIC_ASSERT(sizeof(PrayerTime) == 16, "PrayerTime is 16 bytes");
TALLIXTIME_STATIC_ASSERT(offsetof(PrayerTime, Minute) == 4, "PrayerTime.Minute");
TALLIXTIME_STATIC_ASSERT(offsetof(PrayerTime, Second) == 8, "PrayerTime.Second");
TALLIXTIME_STATIC_ASSERT(offsetof(PrayerTime, IsExtreme) == 12, "PrayerTime.IsExtreme");

/* Results of getPrayer. */
#define TALLIXTIME_OK 0        /* a time was found (IsExtreme tells whether from a good day) */
#define TALLIXTIME_NO_TIME 1   /* the event does not occur and no substitute was allowed/found */
#define TALLIXTIME_BAD_INPUT 2 /* a null pointer or a value out of range */

/* Slots: 0 Imsaak, 1 Fajr, 2 Shurooq, 3 Dhuhr, 4 Asr, 5 Maghrib, 6 Ishaa.
 * Methods: 0 Fajr and Ishaa from the record (angles or intervals); 1 Egyptian General Authority
 * of Survey 19.5/17.5; 2 and 3 University of Islamic Sciences, Karachi 18/18; 4 ISNA 15/15;
 * 5 Muslim World League 18/17; 6 Umm Al-Qura 18.5, Ishaa 90 minutes after Maghrib; 7 Fajr from
 * the record, Ishaa IshaaInterval minutes after Maghrib.
 * Fills *pt (with 99s when there is no time) and returns a TALLIXTIME_ code; a null pt is bad
 * input too.
 * Re-entrant and thread-safe; repeated calls for the same records and date are served from a
 * per-thread cache of that day. */
TALLIXTIME_API int getPrayer(PrayerTime* pt, const Location* loc, const CalcMethod* conf,
                             const PrayerDate* date, int slot, int method);

/* Direction of the Kaaba in degrees from north, -180..180, positive toward the west and
 * negative toward the east (London about -119). 0 at the Kaaba itself and at its antipode;
 * NaN for a null pointer or a location out of range. */
TALLIXTIME_API double getNorthQibla(const Location* loc);

/* For loading the library at run time (dlopen/dlsym). */
typedef int (*getPrayerProc)(PrayerTime* pt, const Location* loc, const CalcMethod* conf,
                             const PrayerDate* date, int slot, int method);
typedef double (*getNorthQiblaProc)(const Location* loc);

#ifdef __cplusplus
}
#endif

#endif /* TALLIXTIME_H */
