#pragma once
// Times put on the main window's six slots as the day routine puts them: the label's text and
// the value beside it (placed on its day by DaySeconds), for the day of the test's clock.
#include "mainwindow/frmTallix.h"
#include "runtime/Clock.h"

#include <QLabel>
#include <QStringList>
#include <QTime>
#include <optional>

// Seconds of a test's time text ("4:30:00", "4:30:00 PM"); nullopt for "N/A" or "".
inline std::optional<int> TestSeconds(const QString& text) {
    for (const char* format : {"h:mm:ss AP", "H:mm:ss", "H:mm"}) {
        const QTime t = QTime::fromString(text, QString::fromLatin1(format));
        if (t.isValid())
            return t.msecsSinceStartOfDay() / 1000;
    }
    return std::nullopt;
}

// Shows the six texts on slots 1..6 for the day daysFromToday away from the clock's day.
inline void ShowTimes(frmTallix& w, const QStringList& six, int daysFromToday = 0) {
    PrayerTime times[7] = {};
    for (int slot = 1; slot <= 6; ++slot) {
        const auto s = TestSeconds(six[slot - 1]);
        times[slot] =
            s ? PrayerTime{*s / 3600, *s / 60 % 60, *s % 60, 0} : PrayerTime{99, 99, 0, 0};
        w.lblPrayer[slot]->setText(six[slot - 1]);
    }
    w.dtShownDate = Date(Now().date().addDays(daysFromToday));
    w.PrayerSeconds = frmTallix::DaySeconds(times);
    w.PreviousIshaaSeconds.reset();
}
