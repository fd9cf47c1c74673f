// Which prayer comes next, and the distance between two moments. Everything here works on the
// shown times as values (PrayerSeconds), in whole seconds of the clock from the start of the
// shown day; the distances a user reads (countdown, bars) are real time, through the local zone.
#include "frmTallix.h"

#include "runtime/Clock.h"

#include <algorithm>

namespace {
constexpr int kDay = 24 * 60 * 60;

// Division rounding down, for moments before the shown day.
int floorDiv(int a, int b) {
    return a / b - (a % b != 0 && (a < 0) != (b < 0) ? 1 : 0);
}
} // namespace

int frmTallix::SecondsIntoShownDay(const QDateTime& when) const {
    const QDate shown = dtShownDate.toQDate();
    const QTime t = when.time();
    // Before any day is shown (or for a moment far from it) the count stays within range.
    const qint64 days =
        shown.isValid() ? std::clamp<qint64>(shown.daysTo(when.date()), -9999, 9999) : 0;
    return static_cast<int>(days * kDay + t.hour() * 3600 + t.minute() * 60 + t.second());
}

QString frmTallix::TimeOfDayText(int seconds) {
    const int t = (seconds % kDay + kDay) % kDay;
    return QStringLiteral("%1:%2:%3")
        .arg(t / 3600)
        .arg(t / 60 % 60, 2, 10, QChar('0'))
        .arg(t % 60, 2, 10, QChar('0'));
}

std::optional<int> frmTallix::NextComing(std::int16_t slot, int now) const {
    if (slot < 1 || slot > 6 || !PrayerSeconds[slot])
        return std::nullopt;
    int t = *PrayerSeconds[slot];
    if (t <= now)
        t += (floorDiv(now - t, kDay) + 1) * kDay;
    return t;
}

std::optional<int> frmTallix::LastComing(std::int16_t slot, int now) const {
    if (slot < 1 || slot > 6 || !PrayerSeconds[slot])
        return std::nullopt;
    int t = *PrayerSeconds[slot];
    if (t <= now)
        return t;
    if (slot == 6 && PreviousIshaaSeconds && *PreviousIshaaSeconds <= now)
        return PreviousIshaaSeconds;
    return t - (floorDiv(t - now - 1, kDay) + 1) * kDay;
}

std::int16_t frmTallix::GetNextPrayer() {
    // At a prayer's very second the next one is already the following slot. A slot without a
    // time is passed over, so one "N/A" does not stop the day.
    const int now = SecondsIntoShownDay(Now());
    std::int16_t next = -1;
    std::optional<int> best;
    for (std::int16_t slot = 1; slot <= 6; ++slot) {
        const auto t = NextComing(slot, now);
        if (t && (!best || *t < *best)) {
            best = t;
            next = slot;
        }
    }
    return next;
}

QDateTime frmTallix::ShownMoment(int seconds) const {
    const QDate shown = dtShownDate.toQDate();
    if (!shown.isValid())
        return {};
    const int days = floorDiv(seconds, kDay);
    const int t = seconds - days * kDay;
    return QDateTime(shown.addDays(days), QTime(t / 3600, t / 60 % 60, t % 60));
}

std::optional<int> frmTallix::ShownOffset(int seconds) const {
    // The tick asks for the coming prayer's offset every second: the last answer is kept.
    const QDate day = dtShownDate.toQDate();
    if (ShownOffsetCache && ShownOffsetCache->day == day && ShownOffsetCache->seconds == seconds)
        return ShownOffsetCache->offset;
    const QDateTime moment = ShownMoment(seconds);
    const auto offset = moment.isValid() ? std::optional(moment.offsetFromUtc()) : std::nullopt;
    ShownOffsetCache = CachedOffset{day, seconds, offset};
    return offset;
}

int frmTallix::ClockJumpBetween(int from, int to, const QDateTime& at) const {
    const auto a = at.isValid() && at.timeSpec() == Qt::LocalTime
                       ? std::optional(at.offsetFromUtc())
                       : ShownOffset(from);
    const auto b = ShownOffset(to);
    // A time the clock skips is no moment: the clock difference stands.
    if (!a || !b)
        return 0;
    return *b - *a;
}

std::int32_t frmTallix::ElapsedMinutes(std::optional<int> from, std::optional<int> to,
                                       const QDateTime& at) const {
    if (!from || !to)
        return 0;
    return std::max(0, MinutesBetween(from, to) - ClockJumpBetween(*from, *to, at) / 60);
}

int frmTallix::ElapsedSeconds(int from, int to, const QDateTime& at) const {
    return std::max(0, to - from - ClockJumpBetween(from, to, at));
}

std::int32_t frmTallix::MinutesBetween(std::optional<int> from, std::optional<int> to) {
    if (!from || !to)
        return 0;
    return ((floorDiv(*to, 60) - floorDiv(*from, 60)) % 1440 + 1440) % 1440;
}

QString frmTallix::TimeBetween(std::optional<int> from, std::optional<int> to,
                               const QDateTime& at) const {
    if (!from || !to)
        return {};
    const int d = ElapsedMinutes(from, to, at);
    return QString::number(d / 60) + sHourSymbol +
           QStringLiteral("%1").arg(d % 60, 2, 10, QChar('0')) + sMinuteAbbrev;
}

QString frmTallix::TimeRemaining(std::optional<int> from, std::optional<int> to) {
    if (!from || !to)
        return {};
    return TimeOfDayText(((*to - *from) % kDay + kDay) % kDay);
}
