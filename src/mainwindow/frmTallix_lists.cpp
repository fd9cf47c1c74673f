// The daily and yearly lists of times, the frame captions of the shown
// day and the location label.
#include "frmTallix.h"

#include "TabListBox.h"
#include "calendar/mCalendar.h"
#include "core/datefmt.h"
#include "core/settings.h"
#include "runtime/Clock.h"
#include "runtime/Colors.h"

#include <QGroupBox>
#include <QLabel>
#include <QTabWidget>

QString frmTallix::PrayerListRow(const Date& day, const PrayerTime (&times)[7]) const {
    QString row;
    if (gDisplayHijraa == 1) {
        row = FormatHijriMonthText(day, 0);
    } else {
        runtime::CalendarGuard keep;
        SetCalendar(vbCalGreg);
        row = GetMonthName(0, static_cast<std::int16_t>(Month(day)), 0) + QLatin1Char(' ') +
              QString::number(Day(day));
    }
    for (int slot = 1; slot <= 6; ++slot)
        row += QLatin1Char('\t') + FormatPrayerTime(times[slot]);
    return row;
}

void frmTallix::FillPrayerLists(const Date& dtDate, Location& loc, CalcMethod& conf) {
    if (!lstMonthlyPrayerTimes || !lstYearlyPrayerTimes)
        return;
    const int tab = tabMain ? tabMain->currentIndex() : 0;
    if (tab == 1)
        lstMonthlyPrayerTimes->setVisible(false);
    if (tab == 2)
        lstYearlyPrayerTimes->setVisible(false);
    lstMonthlyPrayerTimes->Clear();
    lstYearlyPrayerTimes->Clear();

    PrayerTime times[7] = {};
    const auto computeDay = [&](int k) -> std::optional<Date> {
        const auto d = DateAdd(QStringLiteral("d"), k, dtDate);
        if (!d)
            return std::nullopt;
        for (auto& pt : times) // a failed call leaves "no time", not the day before's
            pt = PrayerTime{99, 99, 0, 0};
        CalculatePrayerTimes(d->toQDate(), loc, conf, times, 0);
        for (std::int16_t slot = 0; slot <= 6; ++slot)
            ApplyPrayerAdjustments(times, slot);
        return d;
    };
    const bool primaryKnown = gDisplayHijraa == 0 || gDisplayHijraa == 1;

    QStringList rows;
    if (const auto d = computeDay(0); d && primaryKnown) {
        const QString row = PrayerListRow(*d, times);
        lstMonthlyPrayerTimes->AddItem(row);
        rows << row;
    }
    if (const auto d = computeDay(1); d && primaryKnown)
        rows << PrayerListRow(*d, times);
    // Both month calendars move to the refreshed day.
    SetCalendarDate(dtDate);
    ShowCalendarDate(gDisplayHijraa, 0, 0, 0);

    int n = 365;
    {
        runtime::CalendarGuard keep;
        if (primaryKnown)
            SetCalendar(gDisplayHijraa == 1 ? vbCalHijri : vbCalGreg);
        const Date today(Now().date());
        if (const auto later = DateAdd(QStringLiteral("yyyy"), 1, today))
            n = static_cast<int>(std::lround(later->serial() - today.serial()));
    }
    if (primaryKnown)
        for (int k = 2; k <= n; ++k)
            if (const auto d = computeDay(k))
                rows << PrayerListRow(*d, times);
    lstYearlyPrayerTimes->addItems(rows);
    lstYearlyPrayerTimes->setCurrentRow(0);

    if (primaryKnown) {
        const std::int16_t first = gDisplayHijraa == 1 ? vbCalHijri : vbCalGreg;
        const std::int16_t second = gDisplayHijraa == 1 ? vbCalGreg : vbCalHijri;
        if (fraToday)
            fraToday->setTitle(FormatLongDateLocalized(first, dtDate) + QStringLiteral(" / ") +
                               FormatLongDateLocalized(second, dtDate));
        const auto last = DateAdd(QStringLiteral("d"), n, dtDate);
        if (fraYearly && last)
            fraYearly->setTitle(FormatLongDateLocalized(first, dtDate) + QStringLiteral(" - ") +
                                FormatLongDateLocalized(first, *last));
    }
    placeMonthlyList(); // a row wider than the list takes room for its scroll bar
    if (tab == 1)
        lstMonthlyPrayerTimes->setVisible(true);
    if (tab == 2)
        lstYearlyPrayerTimes->setVisible(true);

    for (TabListBox* list : {lstTitle[0], lstTitle[1], lstMonthlyPrayerTimes, lstYearlyPrayerTimes})
        if (list)
            list->SetColors(gColorHands, gColorFace);

    if (lblLocation) {
        const QString place =
            gCityName + QStringLiteral(", ") +
            (gProvince.trimmed().isEmpty() ? QString() : gProvince + QStringLiteral(", ")) +
            gCountry;
        lblLocation->setText(place);
        if (picGlobe)
            picGlobe->setToolTip(place);
        lblLocation->setToolTip(picLocation &&
                                        lblLocation->sizeHint().width() >= picLocation->width() - 10
                                    ? place
                                    : QString());
    }
}
