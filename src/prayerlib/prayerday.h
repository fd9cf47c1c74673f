// The seven events of one solar day, as instants of UT.
#pragma once

namespace prayerlib {

enum Slot { Imsaak, Fajr, Shurooq, Dhuhr, Asr, Maghrib, Ishaa, SlotCount };

// Where and how the day is seen.
struct Observer {
    double latitude;  // degrees
    double longitude; // degrees, east positive
    double zoneHours; // GmtDiff + Dst: picks the solar day whose noon is nearest 12:00 local
    double horizon;   // altitude of the upper limb at sunrise/sunset: -(refraction + dip), degrees
};

// The conventions resolved from the method number and the record. An interval of 0 minutes
// means the event is found by its angle.
struct Conventions {
    double fajrAngle = 18.0;
    double ishaaAngle = 17.0;
    double imsaakAngle = 19.5; // Fajr angle plus the Imsaak angle
    int fajrInterval = 0;      // minutes before Shurooq
    int ishaaInterval = 0;     // minutes after Maghrib
    int imsaakInterval = 0;    // minutes before Fajr
    bool ishaaByInterval = false;
    double asrFactor = 1.0; // shadow length per unit height, beyond the noon shadow
};

struct DayEvents {
    // Days of UT from 0h UT of the computed date; NaN for an event that does not occur.
    double t[SlotCount];
    // Fajr, Shurooq, Maghrib and Ishaa all occur: a day the extreme-latitude rule may borrow from.
    bool good() const;
};

// hint: where to start each slot's search (days of UT as in DayEvents, NaN: from noon), or null.
DayEvents computeDay(double jd0, const Observer& observer, const Conventions& conv,
                     const double* hint = nullptr);

// computeDay, remembered per thread for the last year or so of days of one observer and set of
// conventions: the extreme-latitude rule asks for the same neighbouring days day after day, and
// the days already known tell the search for the next one where to start.
class RememberedDays {
public:
    // This thread's days, for this observer and these conventions (other days are forgotten).
    static RememberedDays& forSetting(const Observer& observer, const Conventions& conv);
    // Valid until the next call.
    const DayEvents& at(double jd0);

private:
    // By day number; 512 > 2 x 183 + 1, so one search never evicts its own days.
    static constexpr int kDays = 512;
    static int slotOf(double jd) {
        return static_cast<int>(static_cast<long long>(jd + 0.5) % kDays + kDays) % kDays;
    }
    Observer obs_{};
    Conventions conv_{};
    double jd_[kDays] = {}; // 0: empty (a day's 0h UT is never a whole Julian day)
    DayEvents events_[kDays] = {};
};

} // namespace prayerlib
