// Today's six times: which day is shown, its times with the user's adjustments, each slot's
// panel, and the current prayer with the window caption and the reminder times.
#include "frmTallix.h"

#include "cProgressBar.h"
#include "core/clockface.h"
#include "core/datefmt.h"
#include "core/mMain.h"
#include "core/settings.h"
#include "platform/prayerdll.h"
#include "runtime/App.h"
#include "runtime/Clock.h"
#include "runtime/Colors.h"
#include "runtime/Convert.h"
#include "runtime/ErrObject.h"
#include "runtime/Interaction.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QTabWidget>
#include <QTimer>

namespace {
constexpr std::int32_t kGreyText = static_cast<std::int32_t>(0x80000011u);

bool hasTime(const PrayerTime& pt) {
    return pt.Hour != 99 && pt.Minute != 99;
}

// The time of day of a prayer record, or nullopt when its fields do not form one.
std::optional<Date> timeOf(const PrayerTime& pt) {
    if (pt.Hour < 0 || pt.Hour > 23 || pt.Minute < 0 || pt.Minute > 59 || pt.Second < 0 ||
        pt.Second > 59)
        return std::nullopt;
    return TimeSerial(pt.Hour, pt.Minute, pt.Second);
}

void setForeColor(QWidget* w, std::int32_t color) {
    QPalette pal = w->palette();
    pal.setColor(QPalette::WindowText, TranslateColor(color));
    w->setPalette(pal);
}

void setBold(QWidget* w, bool bold) {
    QFont f = w->font();
    f.setBold(bold);
    w->setFont(f);
}

QString withoutStars(QString caption) {
    return caption.remove(QLatin1String(" *"));
}
} // namespace

void frmTallix::RefreshPrayers() {
    SetBusy(true);
    RefreshPrayerTimes(ShownDayAt(Now()));
    SetBusy(false);
}

Date frmTallix::ShownDayAt(const QDateTime& when) {
    const QDate today = when.date();
    const QTime t = when.time();
    const int now = t.hour() * 3600 + t.minute() * 60 + t.second();
    bool todayHasTime = false;
    for (int k = -1; k <= 0; ++k) {
        PrayerTime times[7];
        ComputeDay(today.addDays(k), times);
        std::optional<int> last;
        for (const auto& s : DaySeconds(times))
            if (s && (!last || *s > *last))
                last = s;
        if (last && k * 86400 + *last > now)
            return Date(today.addDays(k));
        todayHasTime = k == 0 && last;
    }
    return Date(todayHasTime ? today.addDays(1) : today);
}

bool frmTallix::ComputeDay(const QDate& day, PrayerTime (&times)[7]) {
    // A slot the library does not fill keeps "no time": nothing is made up.
    for (auto& pt : times)
        pt = PrayerTime{99, 99, 0, 0};
    Location loc{};
    CalcMethod conf{};
    GetCalculationParameters(loc, conf);
    const bool ok = CalculatePrayerTimes(day, loc, conf, times, 1);
    for (std::int16_t slot = 1; slot <= 6; ++slot)
        ApplyPrayerAdjustments(times, slot);
    return ok;
}

std::array<std::optional<int>, 7> frmTallix::DaySeconds(const PrayerTime (&times)[7]) {
    constexpr int kDay = 86400;
    std::array<std::optional<int>, 7> out{};
    const auto of = [&times](int slot) -> std::optional<int> {
        const auto t = timeOf(times[slot]);
        if (!hasTime(times[slot]) || !t)
            return std::nullopt;
        return times[slot].Hour * 3600 + times[slot].Minute * 60 + times[slot].Second;
    };
    const int dhuhr = of(3).value_or(12 * 3600);
    for (int slot = 1; slot <= 6; ++slot) {
        auto t = of(slot);
        if (t && slot < 3 && *t > dhuhr)
            *t -= kDay;
        else if (t && slot > 3 && *t < dhuhr)
            *t += kDay;
        out[static_cast<std::size_t>(slot)] = t;
    }
    return out;
}

void frmTallix::AddMinutesToPrayer(PrayerTime& pt, std::int16_t n) {
    // The library's "no time" mark is no time of day: moving it would make a real-looking time.
    if (!hasTime(pt))
        return;
    const int total = ((pt.Hour * 60 + pt.Minute + n) % 1440 + 1440) % 1440;
    pt.Hour = total / 60;
    pt.Minute = total % 60;
}

void frmTallix::ApplyPrayerAdjustments(PrayerTime (&times)[7], std::int16_t slot) {
    if (slot < 0 || slot > 6)
        return;
    PrayerTime& pt = times[slot];
    const auto add = [&pt](int n) { AddMinutesToPrayer(pt, static_cast<std::int16_t>(n)); };
    if (gMinuteAdjustActive == 0) {
        if (slot == 3)
            add(gDhuhrMinutes);
        else if (slot == 5)
            add(gMaghribMinutes);
        else if (slot == 6 && gCalcMethod == 6)
            add(gMaghribMinutes);
    } else if (gMinuteAdjustActive == 1) {
        switch (slot) {
        case 1:
        case 2:
        case 4:
            add(gMinuteAdjust[slot]);
            break;
        case 3:
            add(gDhuhrMinutes + gMinuteAdjust[3]);
            break;
        case 5:
            add(gMaghribMinutes + gMinuteAdjust[5]);
            break;
        case 6:
            if (gCalcMethod == 6) {
                // Umm Al-Qura: Ishaa is 90 minutes after the adjusted Maghrib.
                if (hasTime(pt)) {
                    pt.Hour = times[5].Hour;
                    pt.Minute = times[5].Minute;
                    pt.Second = times[5].Second;
                    add(90);
                }
            } else if (gCalcMethod != 7) {
                // Method 7's Ishaa interval already carries the Maghrib adjustments.
                add(gMinuteAdjust[6]);
            }
            break;
        default:
            break;
        }
    }
}

QString frmTallix::FormatPrayerTime(const PrayerTime& pt) {
    const auto t = timeOf(pt);
    if (!t)
        return QStringLiteral("99:99");
    return Format(*t, QStringLiteral("Short Time")) +
           (pt.IsExtreme == 1 ? QStringLiteral("*") : QString());
}

QString frmTallix::FormatPrayerTimeMedium(const PrayerTime& pt) {
    const auto t = timeOf(pt);
    if (!t)
        return QStringLiteral("99:99 PM");
    return Format(*t, QStringLiteral("Medium Time")) +
           (pt.IsExtreme == 1 ? QStringLiteral("*") : QString());
}

QString frmTallix::FormatPrayerTimeLong(const PrayerTime& pt) {
    const auto t = timeOf(pt);
    if (!t)
        return QStringLiteral("99:99:99 PM");
    return Format(*t, gTimeFormat.isEmpty() ? QStringLiteral("Long Time") : gTimeFormat);
}

void frmTallix::DrawPrayerDial(const PrayerTime& pt, std::int16_t idx) {
    if (idx < 1 || idx > 6 || !lblPrayer[idx] || !picPrayer[idx])
        return;
    int h = 12, m = 0, s = 0;
    if (!hasTime(pt)) {
        lblPrayer[idx]->setText(sNotAvailable);
    } else {
        h = pt.Hour;
        m = pt.Minute;
        s = pt.Second;
        lblPrayer[idx]->setText(FormatPrayerTimeLong(pt));
    }
    SetDialHands(*picPrayer[idx], *LHP[idx], *LMP[idx], *LSP[idx], h, m, s);
}

void frmTallix::showSlot(const PrayerTime& pt, std::int16_t i) {
    PictureBox* pic = picPrayer[i];
    pic->Cls();
    DrawClockFace(pic, gColorFace);
    const bool grey = pt.IsExtreme == 1 || !hasTime(pt);
    QString caption = withoutStars(fraPrayer[i]->title());
    if (grey)
        caption += QStringLiteral(" *");
    fraPrayer[i]->setTitle(caption);
    LHP[i]->BorderColor = grey ? kGreyText : gColorHands;
    LMP[i]->BorderColor = grey ? kGreyText : gColorHands;
    LSP[i]->BorderColor = grey ? kGreyText : gColorSeconds;
    setForeColor(fraPrayer[i], grey ? kGreyText : vbButtonText);
    setForeColor(lblPrayer[i], grey ? kGreyText : vbButtonText);
    ClearControlToolTip(ttMain, pic);
    SetControlToolTip(ttMain, pic,
                      pt.IsExtreme == 1 ? sPrayerDescription[i] + QStringLiteral("\r\n\r\n") +
                                              sExtremeLatitudeNote
                                        : sPrayerDescription[i]);
    setBold(fraPrayer[i], false);
    setBold(lblPrayer[i], false);
    DrawPrayerDial(pt, i);
}

void frmTallix::HighlightPrayer(std::int16_t slot) {
    if (slot < 1 || slot > 6 || !txtPrayerTime)
        return;
    LHP[slot]->BorderColor = gColorHandsHighlight;
    LMP[slot]->BorderColor = gColorHandsHighlight;
    LSP[slot]->BorderColor = gColorSecondsHighlight;
    // The time as its label shows it, seconds included.
    const QString tail = fraPrayer[slot]->title().contains(QLatin1Char('*')) ? QStringLiteral("* ")
                                                                             : QStringLiteral("  ");
    txtPrayerTime->setText(QStringLiteral(" ") + lblPrayer[slot]->text() + tail);
    QPalette pal = txtPrayerTime->palette();
    pal.setColor(QPalette::Base, TranslateColor(gColorFaceHighlight));
    pal.setColor(QPalette::Text, TranslateColor(gColorHandsHighlight));
    txtPrayerTime->setPalette(pal);
    // Over the slot's time label, as wide as it.
    const QRect r = lblPrayer[slot]->geometry().translated(fraPrayer[slot]->pos());
    txtPrayerTime->setGeometry(r);
    txtPrayerTime->raise();
    txtPrayerTime->setVisible(true);
}

void frmTallix::markCurrentPrayer() {
    const std::int16_t n = GetNextPrayer();
    if (n < 1 || n > 6)
        return;
    const auto p = static_cast<std::int16_t>(n == 1 ? 6 : n - 1);
    if (p == 2) {
        txtPrayerTime->setVisible(false);
    } else {
        setBold(fraPrayer[p], true);
        DrawClockFace(picPrayer[p], gColorFaceHighlight);
        HighlightPrayer(p);
    }
    setWindowTitle(sWindowCaption[p]);
    RefreshProgressBars();
    // The reminders of the prayer under way and of the coming one, on the days they fall.
    const int now = SecondsIntoShownDay(Now());
    const auto after = LastComing(p, now);
    ReminderAfterSeconds =
        after ? std::optional(*after + 60 * 5 * gReminderAfter[p]) : std::nullopt;
    const auto before = NextComing(n, now);
    ReminderBeforeSeconds =
        before ? std::optional(*before - 60 * 5 * gReminderBefore[n]) : std::nullopt;
}

void frmTallix::RefreshPrayerTimes(const Date& dtDate) {
    PrayerTime times[7] = {};
    SetBusy(true);
    dtShownDate = dtDate;
    ShownOffsetCache.reset(); // the zone may have changed since
    if (fraPrayer[3])
        fraPrayer[3]->setTitle(Weekday(dtDate) == vbFriday ? sDhuhrJomaa : sDhuhr);
    Location loc{};
    CalcMethod conf{};
    GetCalculationParameters(loc, conf);

    if (ProgressBars[0]) {
        ProgressBars[0]->SetBackColor(gColorFace);
        ProgressBars[0]->SetBarColor(gColorFaceHighlight);
    }
    if (ProgressBars[1]) {
        ProgressBars[1]->SetBackColor(gColorFace);
        ProgressBars[1]->SetBarColor(tabMain && tabMain->currentIndex() == 2 ? vbHighlight
                                                                             : gColorFaceHighlight);
    }
    DrawClock();
    UpdateCurrentTime();

    const bool computed = ComputeDay(dtDate.toQDate(), times);
    PrayerSeconds = DaySeconds(times);
    PrayerTime evening[7];
    ComputeDay(dtDate.toQDate().addDays(-1), evening);
    const auto previous = DaySeconds(evening)[6];
    PreviousIshaaSeconds = previous ? std::optional(*previous - 86400) : std::nullopt;
    for (std::int16_t slot = 1; slot <= 6; ++slot)
        if (fraPrayer[slot])
            showSlot(times[slot], slot);
    if (lblPrayer[1])
        markCurrentPrayer();
    // The countdown and bars follow the new times at once, not only at the next tick.
    UpdateCurrentTime();
    DrawQiblah(loc);
    FillPrayerLists(dtDate, loc, conf);
    TellPrayerLibraryTrouble(computed);
    SetBusy(false);
}

void frmTallix::TellPrayerLibraryTrouble(bool computed) {
    // Told once for each reason, after the refresh has shown "N/A"; a library that works
    // again is told anew when it fails again.
    const QString why = computed ? QString() : platform::PrayerLibraryError();
    if (!computed)
        Err.Clear();
    if (why == PrayerLibraryTrouble)
        return;
    PrayerLibraryTrouble = why;
    if (why.isEmpty())
        return;
    QTimer::singleShot(0, this, [why] {
        MsgBox(QStringLiteral("The prayer times cannot be computed: the prayer library could "
                              "not be used.\n\n%1\n\nEvery time is shown as N/A and no athan "
                              "or reminder sounds until the library can be used.")
                   .arg(why),
               vbExclamation, App.Title);
    });
}
