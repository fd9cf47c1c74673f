// A year of athans at northern latitudes, where summer's Ishaa comes near or after midnight:
// the real scheduler on the settable clock, ticked second by second around every moment it
// watches, sounds each prayer once at the second the window showed for it, and after midnight
// the window still names the night's Ishaa while it is to come.
#include "core/audio.h"
#include "core/datefmt.h"
#include "core/settings.h"
#include "fakes/fake_registry.h"
#include "fakes/fake_sound.h"
#include "fakes/fake_tray.h"
#include "mainwindow/frmTallix.h"
#include "runtime/Clock.h"

#include <QLabel>
#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <set>

namespace {

struct Place {
    const char* name;
    double latitude, longitude;
};

// A prayer's athan: the sound slot of each prayer slot (Shurooq has none).
const std::map<int, int> kSoundOfSlot = {{1, 0}, {3, 1}, {4, 2}, {5, 3}, {6, 4}};

class AYearAroundMidnight : public ::testing::TestWithParam<Place> {
protected:
    void SetUp() override {
        ASSERT_TRUE(LoadSettings());
        gLatitude = GetParam().latitude;
        gLongitude = GetParam().longitude;
        gTimeZone = 32;           // +1 h
        gDaylightSavings = 1;     // manual
        gDaylightSavingsTime = 1; // one hour, all year
        gCalcMethod = 5;
        gMuteAll = 0;
        for (int slot = 0; slot <= 4; ++slot) {
            gAudioType[slot] = 1;
            gSelectedSound[slot] = std::int16_t(slot);
        }
        for (int slot = 1; slot <= 6; ++slot)
            gReminderBefore[slot] = gReminderAfter[slot] = 0;
        gDisplayMainScreen = 0;
        gDisplayBalloonTips = 0;
        gFlashTrayIcon = 0;
        window = std::make_unique<frmTallix>();
    }
    void TearDown() override {
        window.reset();
        runtime::SetClock(nullptr);
    }
    // Wall-clock moments in UTC, so that no zone of the machine moves them.
    static QDateTime moment(const QDate& day, int seconds) {
        return QDateTime(day, QTime(0, 0), Qt::UTC).addSecs(seconds);
    }
    // The day's times as the window computes them, in seconds from the day's start.
    std::array<std::optional<int>, 7> dayOf(const QDate& day) {
        PrayerTime times[7];
        EXPECT_TRUE(window->ComputeDay(day, times));
        return frmTallix::DaySeconds(times);
    }
    // The athan that started last, as its prayer slot; 0 for none.
    int soundingSlot() const {
        for (const auto& [slot, sound] : kSoundOfSlot)
            if (this->sound.playingName() ==
                BuiltInSoundName(std::int16_t(sound), std::int16_t(sound)))
                return slot;
        return 0;
    }

    FakeRegistry registry;
    FakeSound sound;
    FakeTray tray;
    std::unique_ptr<frmTallix> window;
};

TEST_P(AYearAroundMidnight, EachAthanSoundsOnceAtTheSecondShown) {
    const QDate first(2024, 1, 1), last(2024, 12, 31);
    // Every athan of the year and each midnight, with the seconds around them to tick.
    std::map<QDateTime, int> expected;  // moment -> prayer slot
    std::map<QDate, QDateTime> ishaaOf; // each day's Ishaa, perhaps after the midnight after it
    std::set<QDateTime> ticks;
    const auto around = [&ticks](const QDateTime& t) {
        for (int d = -2; d <= 2; ++d)
            ticks.insert(t.addSecs(d));
    };
    for (QDate day = first.addDays(-1); day <= last; day = day.addDays(1)) {
        const auto times = dayOf(day);
        for (int slot = 1; slot <= 6; ++slot) {
            ASSERT_TRUE(times[slot]) << day.toString(Qt::ISODate).toStdString() << " " << slot;
            const QDateTime t = moment(day, *times[slot]);
            if (day >= first && kSoundOfSlot.count(slot))
                expected[t] = slot;
            if (slot == 6)
                ishaaOf[day] = t;
            around(t);
        }
        around(moment(day, 0));
    }
    int nightsAfterMidnight = 0;
    std::map<QDateTime, int> sounded;
    QDateTime previous;
    runtime::SetClock(moment(first, 0).addSecs(-10));
    window->RefreshPrayers();
    for (auto it = ticks.lower_bound(moment(first, 0)); it != ticks.end(); ++it) {
        const QDateTime t = *it;
        // The seconds between the ones looked at pass without an event: the window holds no
        // time among them (checked), so a tick there would do nothing.
        if (previous.isValid() && previous.secsTo(t) > 1) {
            const int from = window->SecondsIntoShownDay(previous);
            const int to = window->SecondsIntoShownDay(t);
            for (const auto& s : window->PrayerSeconds)
                ASSERT_FALSE(s && *s > from && *s < to)
                    << "the window holds a time no athan was expected at: "
                    << moment(window->dtShownDate.toQDate(), *s)
                           .toString(Qt::ISODate)
                           .toStdString();
            window->LastTickTime = t.addSecs(-1);
        }
        runtime::SetClock(t);
        const int callsBefore = int(sound.calls().size());
        window->tmrMain_Timer();
        if (int(sound.calls().size()) != callsBefore && !sound.playingName().isEmpty()) {
            EXPECT_TRUE(sounded.emplace(t, soundingSlot()).second);
        }
        // The second before an athan the window shows its time as the next, on its label too.
        if (const auto e = expected.find(t.addSecs(1)); e != expected.end()) {
            const int slot = e->second;
            const QTime at = e->first.time();
            EXPECT_EQ(window->GetNextPrayer(), slot) << t.toString(Qt::ISODate).toStdString();
            const PrayerTime pt{at.hour(), at.minute(), at.second(), 0};
            EXPECT_EQ(window->lblPrayer[slot]->text(), frmTallix::FormatPrayerTimeLong(pt))
                << t.toString(Qt::ISODate).toStdString();
        }
        // Just after midnight: the night's Ishaa still to come is the next prayer, under the
        // evening's day; once it has come, the new day's Fajr.
        if (t.time() == QTime(0, 0, 1)) {
            const QDateTime ishaa = ishaaOf.at(t.date().addDays(-1));
            if (ishaa > t) {
                ++nightsAfterMidnight;
                EXPECT_EQ(window->GetNextPrayer(), 6) << t.toString(Qt::ISODate).toStdString();
                EXPECT_EQ(window->dtShownDate.toQDate(), t.date().addDays(-1));
                EXPECT_EQ(window->windowTitle(), window->sWindowCaption[5]);
                const int left = int(t.secsTo(ishaa));
                EXPECT_EQ(window->lblNextPrayerIn->text(),
                          QStringLiteral("%1h%2m%3s")
                              .arg(left / 3600)
                              .arg(left / 60 % 60, 2, 10, QChar('0'))
                              .arg(left % 60, 2, 10, QChar('0')));
            } else {
                EXPECT_EQ(window->GetNextPrayer(), 1) << t.toString(Qt::ISODate).toStdString();
                EXPECT_EQ(window->dtShownDate.toQDate(), t.date());
            }
        }
        previous = t;
    }
    // Every athan of the year, each once, at its second, and no other.
    std::map<QDateTime, int> due;
    for (const auto& [t, slot] : expected)
        if (t.date() <= last)
            due[t] = slot;
    std::vector<std::string> missing, extra;
    for (const auto& [t, slot] : due)
        if (!sounded.count(t) || sounded.at(t) != slot)
            missing.push_back(t.toString(Qt::ISODate).toStdString() + " #" + std::to_string(slot));
    for (const auto& [t, slot] : sounded)
        if (!due.count(t) && t.date() <= last)
            extra.push_back(t.toString(Qt::ISODate).toStdString() + " #" + std::to_string(slot));
    EXPECT_TRUE(missing.empty()) << missing.size() << " missing, first " << missing.front();
    EXPECT_TRUE(extra.empty()) << extra.size() << " extra, first " << extra.front();
    // The summer's late nights were among them.
    EXPECT_GT(nightsAfterMidnight, 0);
    RecordProperty("NightsWithIshaaAfterMidnight", nightsAfterMidnight);
}

INSTANTIATE_TEST_SUITE_P(Latitudes, AYearAroundMidnight,
                         ::testing::Values(Place{"Munich48N", 48.1374, 11.5755},
                                           Place{"Copenhagen55N", 55.6761, 12.5683},
                                           Place{"Oslo60N", 59.9139, 10.7522}),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
