#pragma once
// The prayer library as the program reaches it: libtallixtime.so from the program's own folder
// (the build tree), else from ../lib beside it (an installed tree, wherever it was moved),
// loaded at the first call. A call fails (false, or no value) when the library or its entry
// point cannot be had; the result record then keeps what it held.
#include "prayerlib/tallixtime.h"

#include <QString>
#include <optional>

namespace TallixTimeDll {

bool getPrayer(PrayerTime& pt, Location& loc, CalcMethod& conf, PrayerDate& date, int slot,
               int method);
std::optional<double> getNorthQibla(Location& loc);

} // namespace TallixTimeDll

namespace platform {

// Why the last call could not be made ("" after a good call).
QString PrayerLibraryError();
// Tests load the library from elsewhere; "" goes back to the search above. Unloads the
// library loaded before.
void SetPrayerLibraryPath(const QString& path);

} // namespace platform
