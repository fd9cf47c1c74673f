// Days that start at an odd moment, from the time-zone database: every day of 2020..2035 in
// every zone whose local midnight the clock skips (daylight saving starting at 0:00, the day
// begins at 1:00) or whose midnight comes after a repeated hour (the clock put back at 24:00 or
// at 1:00). The real window and scheduler run in the zone's own local time on the settable
// clock: the evening before shows the day's six times with Fajr next, the day's first second is
// its midnight, and Dhuhr's athan sounds once at its second, with the tray tip and the data
// server following the window.
#include "core/audio.h"
#include "core/settings.h"
#include "fakes/fake_dde.h"
#include "fakes/fake_registry.h"
#include "fakes/fake_sound.h"
#include "fakes/fake_tray.h"
#include "fakes/process_zone.h"
#include "mainwindow/frmTallix.h"
#include "platform/timezone.h"
#include "platform/tray.h"
#include "platform/tzlist.h"
#include "runtime/Clock.h"

#include <QGroupBox>
#include <QLabel>
#include <QTimeZone>
#include <algorithm>
#include <cctype>
#include <ctime>
#include <gtest/gtest.h>
#include <memory>
#include <ostream>
#include <vector>

namespace {

struct ZoneDays {
    QByteArray id;
    std::vector<QDate> skipped;  // days whose 0:00 does not exist
    std::vector<QDate> repeated; // days whose 0:00 follows (or starts) an hour that repeats
};

// The days of each zone, from the zone's transitions; a zone without such days is left out.
std::vector<ZoneDays> zonesWithOddMidnights() {
    std::vector<ZoneDays> out;
    const QDateTime from(QDate(2020, 1, 1), QTime(0, 0), Qt::UTC);
    const QDateTime to(QDate(2036, 1, 1), QTime(0, 0), Qt::UTC);
    for (const QByteArray& id : QTimeZone::availableTimeZoneIds()) {
        const QTimeZone zone(id);
        ZoneDays days{id, {}, {}};
        for (const auto& t : zone.transitions(from, to)) {
            const int before = zone.offsetFromUtc(t.atUtc.addSecs(-1));
            if (before == t.offsetFromUtc)
                continue;
            // The wall clock just before the change (read on the old clock) and just after.
            const QDateTime oldClock = t.atUtc.addSecs(before).toUTC();
            const QDateTime newClock = t.atUtc.addSecs(t.offsetFromUtc).toUTC();
            for (QDate d = std::min(oldClock, newClock).date();
                 d <= std::max(oldClock, newClock).date(); d = d.addDays(1)) {
                const QDateTime midnight(d, QTime(0, 0), Qt::UTC);
                if (before < t.offsetFromUtc && oldClock <= midnight && midnight < newClock)
                    days.skipped.push_back(d);
                if (before > t.offsetFromUtc && newClock <= midnight && midnight <= oldClock)
                    days.repeated.push_back(d);
            }
        }
        if (!days.skipped.empty() || !days.repeated.empty())
            out.push_back(days);
    }
    return out;
}

void PrintTo(const ZoneDays& z, std::ostream* os) {
    *os << z.id.constData() << " (" << z.skipped.size() << " days without midnight, "
        << z.repeated.size() << " after a repeated hour)";
}

const std::vector<ZoneDays>& allZones() {
    static const std::vector<ZoneDays> zones = zonesWithOddMidnights();
    return zones;
}

// The zones with a skipped midnight, each with its repeated midnights too.
std::vector<ZoneDays> zonesWithSkippedMidnights() {
    std::vector<ZoneDays> out;
    for (const ZoneDays& z : allZones())
        if (!z.skipped.empty())
            out.push_back(z);
    return out;
}

QString text(const QDate& d) {
    return d.toString(Qt::ISODate);
}

TEST(OddMidnights, TheDatabaseHasTheKnownDays) {
    // The scan finds the days users meet; without the database there is nothing to test.
    ASSERT_TRUE(QTimeZone("America/Santiago").isValid())
        << "the time-zone database is missing (Debian package tzdata)";
    const auto has = [](const char* id, const QDate& day) {
        for (const ZoneDays& z : allZones())
            if (z.id == id)
                return std::find(z.skipped.begin(), z.skipped.end(), day) != z.skipped.end();
        return false;
    };
    EXPECT_TRUE(has("America/Santiago", QDate(2025, 9, 7)));
    EXPECT_TRUE(has("Africa/Cairo", QDate(2025, 4, 25)));
    EXPECT_TRUE(has("America/Havana", QDate(2025, 3, 9)));
    EXPECT_TRUE(has("Asia/Beirut", QDate(2025, 3, 30)));
    EXPECT_FALSE(has("America/Santiago", QDate(2025, 9, 8)));
    // Santiago puts the clock back at 24:00 on 5 April 2025: 6 April's midnight ends the
    // repeated hour.
    const auto santiago = std::find_if(allZones().begin(), allZones().end(), [](const ZoneDays& z) {
        return z.id == "America/Santiago";
    });
    ASSERT_NE(santiago, allZones().end());
    EXPECT_NE(std::find(santiago->repeated.begin(), santiago->repeated.end(), QDate(2025, 4, 6)),
              santiago->repeated.end());
    // And the process's local time agrees that those midnights do not exist.
    const QByteArray saved = qgetenv("TZ");
    UseProcessZone("America/Santiago");
    EXPECT_FALSE(QDateTime(QDate(2025, 9, 7), QTime(0, 0)).isValid());
    EXPECT_EQ(QDate(2025, 9, 7).startOfDay().time(), QTime(1, 0));
    UseProcessZone(saved);
}

// Dhuhr's athan plays sound slot 1; each slot has a recording of its own, told apart by name.
constexpr int kDhuhrSound = 1;

class OddMidnightsInZone : public ::testing::TestWithParam<ZoneDays> {
protected:
    void SetUp() override {
        savedTz = qgetenv("TZ");
        UseProcessZone(GetParam().id);
        const QByteArray id = GetParam().id;
        platform::InstallSystemZoneHook([id] { return id; });
        ASSERT_TRUE(LoadSettings());
        const int standard = platform::ZoneStandardOffset(QTimeZone(id));
        gTimeZone = TimeZoneHoursToIndex(standard / 3600.0);
        ASSERT_GE(gTimeZone, 0) << standard;
        // A place near the zone's own meridian, where the times fall at the usual hours.
        gLatitude = 30;
        gLongitude = standard / 240.0;
        gDaylightSavings = 0; // the zone's own rules, day by day
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
        runtime::SetClock(QDateTime(QDate(2024, 6, 1), QTime(12, 0)));
        gActivateDDEServer = 1;
        window = std::make_unique<frmTallix>();
        ASSERT_TRUE(window->InitializeDDE());
    }
    void TearDown() override {
        if (window && window->DdeInstance)
            window->UninitializeDDE();
        window.reset();
        runtime::SetClock(nullptr);
        platform::InstallSystemZoneHook({});
        UseProcessZone(savedTz);
    }

    // One tick of the scheduler with the clock at t.
    void tickAt(const QDateTime& t) {
        runtime::SetClock(t);
        window->tmrMain_Timer();
    }
    QString tip() const {
        return platform::FieldText(window->gTrayIconData.szTip, sizeof window->gTrayIconData.szTip);
    }
    // The data server's answer, as a client asking for the item gets it.
    QString dde(const char* item) {
        const FakeDde::Reply reply = ddeTransport.ask(XTYP_REQUEST, QString::fromLatin1(item));
        return reply.hasData ? reply.text() : QStringLiteral("(no data)");
    }

    // The window shows `day` with a time in each slot, and the data server the same.
    void expectShowsTimesOf(const QDate& day, const std::string& when) {
        SCOPED_TRACE(when);
        EXPECT_EQ(text(window->dtShownDate.toQDate()).toStdString(), text(day).toStdString());
        static const char* const names[7] = {"",    "FAJR",    "SHUROOQ", "DHUHR",
                                             "ASR", "MAGHRIB", "ISHAA"};
        for (int slot = 1; slot <= 6; ++slot) {
            EXPECT_TRUE(window->PrayerSeconds[slot].has_value()) << slot;
            const std::string shown = window->lblPrayer[slot]->text().toStdString();
            EXPECT_NE(shown, window->sNotAvailable.toStdString()) << slot;
            EXPECT_EQ(dde(names[slot]).toStdString(), shown) << slot;
        }
        // The date line names the shown day as the data server names the current one.
        if (Now().date() == day)
            EXPECT_EQ(window->fraToday->title().replace(" / ", " \t ").toStdString(),
                      dde("CURRENTDATE").toStdString());
        else
            EXPECT_NE(window->fraToday->title().trimmed().toStdString(), "/");
    }

    // The day's run: its evening before after Ishaa, its first second, and its Dhuhr.
    void runDay(const QDate& day) {
        const std::string name = GetParam().id.toStdString() + " " + text(day).toStdString();
        SCOPED_TRACE(name);
        // The evening before, a minute after its Ishaa: the coming day is shown, Fajr next.
        PrayerTime eve[7];
        ASSERT_TRUE(window->ComputeDay(day.addDays(-1), eve));
        const auto eveSeconds = frmTallix::DaySeconds(eve);
        ASSERT_TRUE(eveSeconds[6] && *eveSeconds[6] < 86400 - 3600);
        const QDateTime evening(day.addDays(-1), QTime(0, 0).addSecs(*eveSeconds[6] + 60));
        ASSERT_TRUE(evening.isValid());
        runtime::SetClock(evening);
        window->LastTickTime = QDateTime();
        window->LastEventCode = 0;
        window->RefreshPrayers();
        expectShowsTimesOf(day, "the evening before");
        EXPECT_EQ(window->GetNextPrayer(), 1);
        EXPECT_EQ(dde("NEXTPRAYERNAME").toStdString(), "FAJR");

        // Across the day's start, second by second on the real clock: its first second is the
        // day's midnight, once.
        const QDateTime first = day.startOfDay();
        ASSERT_TRUE(first.isValid());
        window->LastTickTime = QDateTime();
        for (int s = -3; s <= 1; ++s) {
            const QDateTime t = first.addSecs(s);
            EXPECT_EQ(window->GetDueEventAt(t), s == 0 ? 10 : -1)
                << t.toString(Qt::ISODate).toStdString();
            tickAt(t);
        }
        expectShowsTimesOf(day, "after the day's first second");
        EXPECT_EQ(window->GetNextPrayer(), 1);
        EXPECT_TRUE(tip().startsWith(window->sTrayTipPrefix[1])) << tip().toStdString();

        // Dhuhr: named next, on the tray tip and by the data server, then called once.
        ASSERT_TRUE(window->PrayerSeconds[3]);
        const QDateTime dhuhr(day, QTime(0, 0).addSecs(*window->PrayerSeconds[3]));
        ASSERT_TRUE(dhuhr.isValid());
        window->LastTickTime = QDateTime();
        tickAt(dhuhr.addSecs(-2));
        tickAt(dhuhr.addSecs(-1));
        EXPECT_EQ(window->GetNextPrayer(), 3);
        EXPECT_EQ(dde("NEXTPRAYERNAME").toStdString(), "DHUHR");
        EXPECT_EQ(dde("NEXTPRAYERTIME").toStdString(), window->lblPrayer[3]->text().toStdString());
        EXPECT_TRUE(tip().startsWith(window->sTrayTipPrefix[3])) << tip().toStdString();
        sound.clear();
        tickAt(dhuhr);
        tickAt(dhuhr.addSecs(1));
        int athans = 0;
        for (const auto& c : sound.calls())
            athans += !c.name.isEmpty();
        EXPECT_EQ(athans, 1);
        EXPECT_EQ(sound.playingName().toStdString(),
                  BuiltInSoundName(kDhuhrSound, kDhuhrSound).toStdString());
        expectShowsTimesOf(day, "after Dhuhr");
        EXPECT_EQ(window->GetNextPrayer(), 4);
    }

    QByteArray savedTz; // the environment's TZ, "" for none
    FakeRegistry registry;
    FakeSound sound;
    FakeTray tray;
    FakeDde ddeTransport;
    std::unique_ptr<frmTallix> window;
};

TEST_P(OddMidnightsInZone, EachDayShowsItsTimesAndCallsDhuhr) {
    for (const QDate& day : GetParam().skipped)
        runDay(day);
    for (const QDate& day : GetParam().repeated)
        runDay(day);
    RecordProperty("SkippedMidnights", int(GetParam().skipped.size()));
    RecordProperty("RepeatedMidnights", int(GetParam().repeated.size()));
}

INSTANTIATE_TEST_SUITE_P(Zones, OddMidnightsInZone,
                         ::testing::ValuesIn(zonesWithSkippedMidnights()), [](const auto& info) {
                             std::string n = info.param.id.toStdString();
                             for (char& c : n)
                                 if (!std::isalnum(static_cast<unsigned char>(c)))
                                     c = '_';
                             return n;
                         });

} // namespace
