// The countdown across a night the clock jumps: in the zone's own local time, the window's
// countdown, the tray tip, the progress bars' range and the data server's items count the real
// time to the next prayer, an hour less than the clock difference when the clock goes forward
// (at 2:00, or at midnight so the shown day has no 0:00) and an hour more when it goes back.
#include "core/settings.h"
#include "fakes/fake_dde.h"
#include "fakes/fake_registry.h"
#include "fakes/fake_tray.h"
#include "fakes/process_zone.h"
#include "mainwindow/frmTallix.h"
#include "platform/tray.h"
#include "runtime/Clock.h"
#include "shown_times.h"

#include "mainwindow/cProgressBar.h"

#include <QLabel>
#include <QTimeZone>
#include <ctime>
#include <gtest/gtest.h>
#include <memory>
#include <ostream>

namespace {

struct Night {
    const char* name;
    const char* zone;
    qint64 nowUtc;     // the moment of the tick (UTC seconds), so a repeated hour is exact
    int shownFromNow;  // the shown day, in days from the clock's date
    const char* fajr;  // the shown day's Fajr, on its clock
    const char* ishaa; // the shown day's Ishaa: the bars run from the one a day before to Fajr
    int secondsLeft;   // real seconds from the tick to Fajr
    int barMinutes;    // real minutes from the Ishaa before to Fajr
};

void PrintTo(const Night& n, std::ostream* os) {
    *os << n.name << " (" << n.zone << ")";
}

qint64 utc(int y, int mo, int d, int h, int mi) {
    return QDateTime(QDate(y, mo, d), QTime(h, mi), Qt::UTC).toSecsSinceEpoch();
}

const Night kNights[] = {
    // Cairo, 24 April 2025 at 21:30 (+2); the clock goes from 23:59:59 to 1:00 (+3).
    // Fajr 4:34 is 7h04 on the clock and 6h04 of real time; Ishaa 21:03 to Fajr 6h31.
    {"CairoSkippedMidnight", "Africa/Cairo", utc(2025, 4, 24, 19, 30), 1, "4:34:00", "21:03:00",
     6 * 3600 + 4 * 60, 6 * 60 + 31},
    // Santiago, 6 September 2025 at 22:00 (-4); midnight becomes 1:00 (-3).
    {"SantiagoSkippedMidnight", "America/Santiago", utc(2025, 9, 7, 2, 0), 1, "6:45:00", "20:10:00",
     7 * 3600 + 45 * 60, 9 * 60 + 35},
    // Berlin, 29 March 2025 at 23:00 (+1); 2:00 becomes 3:00 (+2) in the night.
    {"BerlinSpringEvening", "Europe/Berlin", utc(2025, 3, 29, 22, 0), 1, "5:00:00", "21:00:00",
     5 * 3600, 7 * 60},
    // ... and at 1:30, after midnight and before the jump.
    {"BerlinSpringAfterMidnight", "Europe/Berlin", utc(2025, 3, 30, 0, 30), 0, "5:00:00",
     "21:00:00", 2 * 3600 + 30 * 60, 7 * 60},
    // Berlin, 25 October 2025 at 23:00 (+2); 3:00 goes back to 2:00 (+1).
    {"BerlinAutumnEvening", "Europe/Berlin", utc(2025, 10, 25, 21, 0), 1, "5:30:00", "19:00:00",
     7 * 3600 + 30 * 60, 11 * 60 + 30},
    // ... 2:30 the first time (+2) and the second time (+1).
    {"BerlinAutumnFirstHalfPastTwo", "Europe/Berlin", utc(2025, 10, 26, 0, 30), 0, "5:30:00",
     "19:00:00", 4 * 3600, 11 * 60 + 30},
    {"BerlinAutumnSecondHalfPastTwo", "Europe/Berlin", utc(2025, 10, 26, 1, 30), 0, "5:30:00",
     "19:00:00", 3 * 3600, 11 * 60 + 30},
    // Ordinary nights: the clock difference is the real time.
    {"BerlinSummerNight", "Europe/Berlin", utc(2025, 6, 10, 21, 30), 1, "3:00:00", "23:10:00",
     3 * 3600 + 30 * 60, 3 * 60 + 50},
    {"CairoWinterNight", "Africa/Cairo", utc(2025, 1, 14, 19, 15), 1, "5:20:00", "18:40:00",
     8 * 3600 + 5 * 60, 10 * 60 + 40},
};

class CountdownAcrossClockJump : public ::testing::TestWithParam<Night> {
protected:
    void SetUp() override {
        savedTz = qgetenv("TZ");
        UseProcessZone(GetParam().zone);
        ASSERT_TRUE(QTimeZone(GetParam().zone).isValid())
            << "the time-zone database is missing (Debian package tzdata)";
        ASSERT_TRUE(LoadSettings());
        gActivateDDEServer = 1;
        gDisplayBalloonTips = 0;
        gFlashTrayIcon = 0;
        runtime::SetClock(QDateTime::fromSecsSinceEpoch(GetParam().nowUtc).toLocalTime());
        window = std::make_unique<frmTallix>();
        ASSERT_TRUE(window->InitializeDDE());
    }
    void TearDown() override {
        if (window && window->DdeInstance)
            window->UninitializeDDE();
        window.reset();
        runtime::SetClock(nullptr);
        UseProcessZone(savedTz);
    }
    QString dde(const char* item) {
        const FakeDde::Reply reply = ddeTransport.ask(XTYP_REQUEST, QString::fromLatin1(item));
        return reply.hasData ? reply.text() : QStringLiteral("(no data)");
    }

    QByteArray savedTz;
    FakeRegistry registry;
    FakeTray tray;
    FakeDde ddeTransport;
    std::unique_ptr<frmTallix> window;
};

TEST_P(CountdownAcrossClockJump, CountsTheRealTimeToFajr) {
    const Night& n = GetParam();
    const QDateTime now = Now();
    ASSERT_EQ(now.toSecsSinceEpoch(), n.nowUtc);
    ShowTimes(*window,
              {QString::fromLatin1(n.fajr), QStringLiteral("7:00:00"), QStringLiteral("12:30:00"),
               QStringLiteral("16:00:00"), QStringLiteral("18:30:00"),
               QString::fromLatin1(n.ishaa)},
              n.shownFromNow);
    ASSERT_EQ(window->GetNextPrayer(), 1);
    // The reference: the real moment of Fajr on the shown day's clock.
    const QDateTime fajr(window->dtShownDate.toQDate(),
                         QTime::fromString(QString::fromLatin1(n.fajr), QStringLiteral("H:mm:ss")));
    ASSERT_EQ(now.secsTo(fajr), n.secondsLeft) << "the table's own sum";

    window->RefreshProgressBars();
    window->UpdateCurrentTime();
    const int left = n.secondsLeft;
    const QString countdown =
        QString::number(left / 3600) + window->sHourSymbol +
        QStringLiteral("%1").arg(left / 60 % 60, 2, 10, QChar('0')) + window->sMinuteSymbol +
        QStringLiteral("%1").arg(left % 60, 2, 10, QChar('0')) + window->sSecondSymbol;
    EXPECT_EQ(window->lblNextPrayerIn->text().toStdString(), countdown.toStdString());
    const QString between = QString::number(left / 3600) + window->sHourSymbol +
                            QStringLiteral("%1").arg(left / 60 % 60, 2, 10, QChar('0')) +
                            window->sMinuteAbbrev;
    const QString tip =
        platform::FieldText(window->gTrayIconData.szTip, sizeof window->gTrayIconData.szTip);
    EXPECT_TRUE(tip.endsWith(window->sTimeRemainingText + QLatin1Char(' ') + between))
        << tip.toStdString() << " / " << between.toStdString();
    EXPECT_EQ(window->ProgressBars[0]->Max(), n.barMinutes);
    EXPECT_EQ(window->ProgressBars[0]->Value(), left / 60);
    EXPECT_EQ(dde("TIMEREMAINING").toStdString(), std::to_string(left / 60));
    EXPECT_EQ(dde("TIMEREMAININGSECONDS").toStdString(), std::to_string(left));

    // A second later everything is a second less: the tick counts on, not the clock's jump.
    runtime::SetClock(now.addSecs(1));
    window->UpdateCurrentTime();
    EXPECT_EQ(dde("TIMEREMAININGSECONDS").toStdString(), std::to_string(left - 1));
}

TEST(CountdownToSkippedTime, CountsTheClockDifference) {
    // A time inside the hour the clock skips is no moment: the clock distance to it stands, and
    // the count still runs down a second a second.
    const QByteArray saved = qgetenv("TZ");
    UseProcessZone("Europe/Berlin");
    FakeRegistry registry;
    FakeTray tray;
    ASSERT_TRUE(LoadSettings());
    gDisplayBalloonTips = 0;
    runtime::SetClock(QDateTime::fromSecsSinceEpoch(utc(2025, 3, 30, 0, 30)).toLocalTime());
    {
        frmTallix window;
        ShowTimes(window, {QStringLiteral("2:30:00"), QStringLiteral("7:00:00"),
                           QStringLiteral("12:30:00"), QStringLiteral("16:00:00"),
                           QStringLiteral("18:30:00"), QStringLiteral("21:00:00")});
        ASSERT_FALSE(window.ShownMoment(*window.PrayerSeconds[1]).isValid());
        window.UpdateCurrentTime();
        EXPECT_EQ(window.lblNextPrayerIn->text().toStdString(),
                  (QStringLiteral("1") + window.sHourSymbol + QStringLiteral("00") +
                   window.sMinuteSymbol + QStringLiteral("00") + window.sSecondSymbol)
                      .toStdString());
        runtime::SetClock(Now().addSecs(1));
        window.UpdateCurrentTime();
        EXPECT_TRUE(window.lblNextPrayerIn->text().startsWith(QStringLiteral("0") +
                                                              window.sHourSymbol + "59"))
            << window.lblNextPrayerIn->text().toStdString();
    }
    runtime::SetClock(nullptr);
    UseProcessZone(saved);
}

INSTANTIATE_TEST_SUITE_P(Nights, CountdownAcrossClockJump, ::testing::ValuesIn(kNights),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
