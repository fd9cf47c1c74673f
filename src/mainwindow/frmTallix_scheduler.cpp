// The alert scheduler: once a wall-clock second the clock tick asks which watched moment (a
// prayer, a reminder, the next day's Ishaa, midnight) is due and acts on it once: the athan or
// reminder sound, a new Kaaba picture, the day recomputed, and the announcement by window,
// balloon or flashing tray icon.
#include "frmTallix.h"

#include "core/audio.h"
#include "core/kaaba.h"
#include "core/mAPI.h"
#include "core/mMain.h"
#include "core/settings.h"
#include "mTray.h"
#include "platform/sound.h"
#include "runtime/Clock.h"
#include "runtime/ScreenRescue.h"

#include <QLabel>
#include <QLoggingCategory>
#include <QTimer>

Q_LOGGING_CATEGORY(lcAlerts, "tallix.alerts", QtWarningMsg)

namespace {
// Seconds that no tick saw (the thread was busy) are looked at afterwards, up to this many.
// A longer gap is a suspend or a clock set: nothing is replayed and the day is recomputed.
constexpr qint64 kCatchUpSeconds = 60;
// Where a reminder text takes its minutes ("<" "??" ">", kept apart from the trigraph).
const QString kMinutesMarker = QStringLiteral("<?"
                                              "?>");

QDateTime wholeSecond(const QDateTime& t) {
    // In t's own time spec: asking for the system's zone would look at the zone files each tick.
    return t.addMSecs(-t.time().msec());
}
// Midnight, or on a day whose midnight the clock skips (daylight saving starting at 0:00) the
// first second after the jump. Clocks are moved at whole minutes: only those seconds ask for
// the second before.
bool isFirstSecondOfDay(const QDateTime& t) {
    const QTime time = t.time();
    if (time == QTime(0, 0))
        return true;
    return time.second() == 0 && t.addSecs(-1).date() != t.date();
}
} // namespace

void frmTallix::tmrMain_Timer() {
    const QDateTime now = wholeSecond(Now());
    if (LastTickTime.isValid() && now == LastTickTime)
        return;
    const QDateTime previous = LastTickTime;
    LastTickTime = now;
    const bool r = UpdateCurrentTime();

    const qint64 gap = previous.isValid() ? previous.secsTo(now) : 1;
    if (gap > 1 && gap <= kCatchUpSeconds) {
        for (qint64 back = gap - 1; back >= 1; --back) {
            const std::int16_t code = GetDueEventAt(now.addSecs(-back));
            if (code != -1 && code != LastEventCode) {
                LastEventCode = code;
                actDueEvent(code);
            }
        }
    } else if (gap > kCatchUpSeconds || gap < 0) {
        RefreshPrayers();
    }

    const std::int16_t code = GetDueEvent();
    if (code != -1 && code != LastEventCode) {
        // Set before acting: a nested tick inside the action must not act on it again.
        LastEventCode = code;
        actDueEvent(code);
    }
    // The screen-saver commands follow the saver's own comings and goings (the broadcasts), not
    // the clock.
    if (r)
        RefreshVolume();
}

std::int16_t frmTallix::GetDueEvent() {
    return GetDueEventAt(Now());
}

std::int16_t frmTallix::GetDueEventAt(const QDateTime& t) {
    // A time is due on its own day only: the Ishaa after midnight that the shown day carries
    // for the coming night is not the one of the night before.
    const int now = SecondsIntoShownDay(t);
    for (std::int16_t i = 1; i <= 6; ++i)
        if (PrayerSeconds[i] == now)
            return i;
    if (ReminderBeforeSeconds == now)
        return 11;
    if (ReminderAfterSeconds == now)
        return 12;
    if (isFirstSecondOfDay(t))
        return 10;
    return -1;
}

void frmTallix::actDueEvent(std::int16_t code) {
    // What happened when, for whoever runs the program with tallix.alerts.info on.
    // The beep that stands in for a sound that could not play is told apart from the sound.
    const auto report = [code] {
        const char* sound = platform::IsBeepPlaying()    ? "beep playing"
                            : platform::IsSoundPlaying() ? "sound playing"
                                                         : "sound silent";
        qCInfo(lcAlerts, "event %d at %s, %s", int(code),
               qPrintable(Now().time().toString(QStringLiteral("HH:mm:ss"))), sound);
    };
    // After each event the window shows the day under way: after Ishaa the next day, at
    // midnight still the evening's day while its Ishaa is to come.
    switch (code) {
    case 1:
    case 3:
    case 4:
    case 5:
    case 6:
        PlayAlert(static_cast<std::int16_t>(code == 1 ? 0 : code - 2));
        RefreshKabaaImage(gSelectedImage);
        report();
        RefreshPrayers();
        AthanNotify();
        break;
    case 2:
    case 10:
        RefreshPrayers();
        break;
    case 11:
    case 12:
        RefreshPrayers();
        playReminderSound();
        report();
        ReminderNotify(code == 11);
        break;
    default:
        break;
    }
}

void frmTallix::AnnounceAthanMissedSince(const QDateTime& since) {
    // The last of the shown day's times passed since then is the current prayer (or the
    // sunrise, which ends the dawn prayer and has no athan).
    const int from = SecondsIntoShownDay(wholeSecond(since));
    const int to = SecondsIntoShownDay(wholeSecond(Now()));
    std::int16_t latest = -1;
    for (std::int16_t i = 1; i <= 6; ++i) {
        const auto at = PrayerSeconds[i];
        if (at && *at >= from && *at <= to && (latest < 0 || *at > *PrayerSeconds[latest]))
            latest = i;
    }
    if (latest < 0 || latest == 2 || latest == LastEventCode)
        return;
    LastEventCode = latest;
    actDueEvent(latest);
}

void frmTallix::playReminderSound() {
    switch (gAudioType[7]) {
    case 1:
    case 2:
    case 3:
        PlayAlert(7);
        break;
    case 4:
        PlayAlert(8);
        break;
    default:
        break;
    }
}

void frmTallix::showForAnnouncement() {
    UnloadDialogs();
    setWindowState(windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized));
    Show();
    CenterOnWorkArea();
    ApplyAlwaysOnTop();
    // A settings dialog kept open (and its own question or file dialog) stays above it, and
    // comes onto a screen when it was left where none shows it.
    BringModalWindowForward();
    runtime::BringWindowsOntoWorkAreas();
}

void frmTallix::AthanNotify() {
    TrayFlashKind = 0;
    if (gDisplayMainScreen == 1)
        showForAnnouncement();
    if (gDisplayBalloonTips != 1) {
        StartTrayFlash();
        return;
    }
    if (!IsShellVersionAtLeast(5) || !IsBalloonTipsEnabled()) {
        StartTrayFlash();
        return;
    }
    // The prayer after the one just called names it: Dhuhr is followed by Asr, and so on.
    static const std::int16_t slotAfter[7] = {-1, 4, 0, -1, 1, 2, 3};
    const std::int16_t n = GetNextPrayer();
    if (n < 1 || n > 6 || slotAfter[n] < 0)
        return;
    ShowBalloon(hWnd(), 1, sAppTitle, sAthanMessage[n] + QChar(0), slotAfter[n]);
}

void frmTallix::ReminderNotify(bool bBefore) {
    TrayFlashKind = -1;
    if (gDisplayMainScreenReminder == 1)
        showForAnnouncement();
    if (gDisplayBalloonTipsReminder == 1 || gFlashTrayIconReminder == 1) {
        const std::int16_t n = GetNextPrayer();
        QString text;
        if (n >= 1 && n <= 6) {
            if (bBefore) {
                text = sReminderBeforeText[n];
                text.replace(kMinutesMarker, QString::number(5 * gReminderBefore[n]));
            } else {
                const std::int16_t p = static_cast<std::int16_t>(n == 1 ? 6 : n - 1);
                text = sReminderAfterText[p];
                text.replace(kMinutesMarker, QString::number(5 * gReminderAfter[p]));
            }
        }
        // Without a next prayer there is no right text, and an old one would be wrong.
        ReminderMessage = text;
    } else {
        ReminderMessage.clear();
    }
    if (gDisplayBalloonTipsReminder == 1 && !ReminderMessage.isEmpty() &&
        IsShellVersionAtLeast(5) && IsBalloonTipsEnabled())
        ShowBalloon(hWnd(), 2, sReminderTitle, ReminderMessage + QChar(0), 7);
    else
        StartTrayFlash();
}

void frmTallix::UnloadDialogs() {
    // The About box goes; a settings dialog stays open with what the user has typed in it so
    // far (an athan must not throw it away) and comes back in front of the window.
    if (Form* f = FindForm(QStringLiteral("frmSplash")))
        f->Unload();
}
