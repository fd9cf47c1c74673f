// The day in every locale Qt knows: the labels show a clean time, and everything that works on
// the times (next prayer, countdown, bars, caption, reminders, the athan's second) does exactly
// what it does in en_US, whatever the locale's time pattern holds.
#include "core/datefmt.h"
#include "core/settings.h"
#include "fakes/fake_registry.h"
#include "mainwindow/cProgressBar.h"
#include "mainwindow/frmTallix.h"
#include "runtime/Clock.h"

#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QRegularExpression>
#include <gtest/gtest.h>
#include <memory>

namespace {

const QDate kDay(2024, 3, 10);

// What the window does with its times, apart from how it writes them.
struct Behaviour {
    std::array<std::optional<int>, 7> seconds;
    int next = 0;
    QString caption, countdown;
    int barMax = 0, barValue = 0;
    std::optional<int> reminderBefore, reminderAfter;
    int dueAtAsr = 0;
    bool operator==(const Behaviour&) const = default;
};

class EveryLocale : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(LoadSettings());
        gReminderBefore[4] = 3;
        gReminderAfter[3] = 2;
        window = std::make_unique<frmTallix>();
    }
    void TearDown() override {
        window.reset();
        QLocale::setDefault(QLocale::system());
        gTimeFormat = GetTimeFormatPattern();
        runtime::SetClock(nullptr);
    }
    // The day shown at 13:05:20 in the locale, as the start-up and every refresh show it.
    Behaviour showIn(const QLocale& locale) {
        QLocale::setDefault(locale);
        gTimeFormat = GetTimeFormatPattern();
        runtime::SetClock(QDateTime(kDay, QTime(13, 5, 20)));
        window->RefreshPrayerTimes(Date(kDay));
        Behaviour b;
        b.seconds = window->PrayerSeconds;
        b.next = window->GetNextPrayer();
        b.caption = window->windowTitle();
        b.countdown = window->lblNextPrayerIn->text();
        b.barMax = window->ProgressBars[0]->Max();
        b.barValue = window->ProgressBars[0]->Value();
        b.reminderBefore = window->ReminderBeforeSeconds;
        b.reminderAfter = window->ReminderAfterSeconds;
        if (b.seconds[4])
            b.dueAtAsr = window->GetDueEventAt(QDateTime(kDay, QTime(0, 0).addSecs(*b.seconds[4])));
        return b;
    }

    FakeRegistry registry;
    std::unique_ptr<frmTallix> window;
};

// The time a label shows, when it is a clean time: hours, minutes and seconds between one kind
// of separator mark, and at most one designator (the locale's, which may be several words, or
// AM/PM) before or after, set off by a blank. nullopt for anything else (brackets, commas,
// words, a second designator).
std::optional<int> cleanTime(QString text, const QLocale& locale) {
    static const QRegularExpression re(QStringLiteral(R"(^(\d{1,2})([:.])(\d{2})[:.](\d{2})$)"));
    std::optional<bool> pm;
    for (const auto& [word, afternoon] :
         {std::pair{QStringLiteral("AM"), false}, std::pair{QStringLiteral("PM"), true},
          std::pair{locale.amText(), false}, std::pair{locale.pmText(), true}}) {
        if (pm || word.isEmpty())
            continue;
        if (text.startsWith(word + u' ')) {
            text.remove(0, word.size() + 1);
            pm = afternoon;
        } else if (text.endsWith(u' ' + word)) {
            text.chop(word.size() + 1);
            pm = afternoon;
        }
    }
    const auto m = re.match(text);
    if (!m.hasMatch())
        return std::nullopt;
    int h = m.captured(1).toInt();
    if (pm) {
        if (h < 1 || h > 12)
            return std::nullopt;
        h = h % 12 + (*pm ? 12 : 0);
    }
    if (h > 23 || m.captured(3).toInt() > 59 || m.captured(4).toInt() > 59)
        return std::nullopt;
    return h * 3600 + m.captured(3).toInt() * 60 + m.captured(4).toInt();
}

TEST_F(EveryLocale, LabelsShowACleanTimeAndTheDayWorksAsInEnglish) {
    const Behaviour english = showIn(QLocale(QStringLiteral("en_US")));
    ASSERT_EQ(english.next, 4);
    ASSERT_EQ(english.dueAtAsr, 4);
    ASSERT_EQ(english.caption, "Tallix Time - Current Prayer is Dhuhr");
    const auto locales =
        QLocale::matchingLocales(QLocale::AnyLanguage, QLocale::AnyScript, QLocale::AnyTerritory);
    ASSERT_GT(locales.size(), 500);
    for (const QLocale& locale : locales) {
        SCOPED_TRACE(locale.name().toStdString() + " " +
                     locale.timeFormat(QLocale::LongFormat).toStdString());
        EXPECT_TRUE(showIn(locale) == english);
        for (int slot = 1; slot <= 6; ++slot) {
            const QString text = window->lblPrayer[slot]->text();
            EXPECT_EQ(cleanTime(text, locale), english.seconds[slot]) << text.toStdString();
        }
        // The clock and the current prayer's highlight box write the time the same way.
        EXPECT_EQ(cleanTime(window->lblTime->text(), locale), 13 * 3600 + 5 * 60 + 20)
            << window->lblTime->text().toStdString();
        EXPECT_EQ(window->txtPrayerTime->text().trimmed(), window->lblPrayer[3]->text());
    }
}

} // namespace
