// The clock tick: every new wall-clock second the tray tip, the digital and analog clock, the
// countdown and the two progress bars follow the time.
#include "frmTallix.h"

#include "cProgressBar.h"
#include "core/datefmt.h"
#include "core/settings.h"
#include "mTray.h"
#include "runtime/Clock.h"

#include <QGroupBox>
#include <QLabel>
#include <QTimer>
#include <cstring>

void frmTallix::SetTrayTip(const QString& tip) {
    // The tip field holds 127 bytes and its NUL; a cut never splits a character.
    QByteArray bytes;
    for (const QChar& c : tip) {
        if (c == QChar(0))
            break;
        const QByteArray one = QString(c).toUtf8();
        if (bytes.size() + one.size() > int(sizeof gTrayIconData.szTip) - 1)
            break;
        bytes += one;
    }
    std::memset(gTrayIconData.szTip, 0, sizeof gTrayIconData.szTip);
    std::memcpy(gTrayIconData.szTip, bytes.constData(), size_t(bytes.size()));
    gTrayIconData.uFlags = NIF_TIP;
    Shell_NotifyIconA(NIM_MODIFY, &gTrayIconData);
}

void frmTallix::RefreshProgressBars() {
    const std::int16_t n = GetNextPrayer();
    if (n < 1 || n > 6 || !ProgressBars[0] || !ProgressBars[1])
        return;
    // The current prayer: the last slot before n that shows a time.
    std::int16_t p = n;
    for (int k = 0; k < 6; ++k) {
        p = static_cast<std::int16_t>(p == 1 ? 6 : p - 1);
        if (PrayerSeconds[p])
            break;
    }
    const int now = SecondsIntoShownDay(Now());
    ProgressBars[0]->SetMax(ElapsedMinutes(LastComing(p, now), NextComing(n, now)));
    ProgressBars[1]->SetMax(ProgressBars[0]->Max());
}

bool frmTallix::UpdateCurrentTime() {
    const std::int16_t n = GetNextPrayer();
    const bool haveNext = n >= 1 && n <= 6 && lblPrayer[n];
    const QDateTime at = Now();
    const int now = SecondsIntoShownDay(at);
    const std::optional<int> next = haveNext ? NextComing(n, now) : std::nullopt;

    // A balloon on screen keeps the tip until it ends.
    if (haveNext && !gBalloonTimerActive) {
        QString tip;
        if (!tmrFlash || !tmrFlash->isActive()) {
            const int t = (*next % 86400 + 86400) % 86400;
            tip = sTrayTipPrefix[n] + FormatMediumTimeForText(Date(t / 86400.0)) +
                  QStringLiteral("\r\n") + sTimeRemainingText + QLatin1Char(' ') +
                  TimeBetween(now, next, at);
        } else if (TrayFlashKind != 0) {
            tip = ReminderMessage;
        } else {
            tip = sAthanMessage[n];
        }
        SetTrayTip(tip);
    }

    if (windowState() & (Qt::WindowMinimized | Qt::WindowMaximized))
        return false;

    const QTime t = at.time();
    if (lblTime)
        lblTime->setText(Format(Date::fromTime(QTime(t.hour(), t.minute(), t.second())),
                                gTimeFormat.isEmpty() ? QStringLiteral("Long Time") : gTimeFormat));
    SetClockHands(static_cast<std::int16_t>(t.hour()), static_cast<std::int16_t>(t.minute()),
                  static_cast<std::int16_t>(t.second()));

    if (!haveNext)
        return true;
    if (picNextPrayerIn[1])
        picNextPrayerIn[1]->setToolTip(sCountdownPrefix[n] + QLatin1Char(' ') +
                                       TimeBetween(now, next, at));
    if (fraNextPrayerIn)
        fraNextPrayerIn->setTitle(sCountdownPrefix[n]);
    if (next) {
        const int left = ElapsedSeconds(now, *next, at) % 86400;
        const int rh = left / 3600, rm = left / 60 % 60, rs = left % 60;
        if (lblNextPrayerIn)
            lblNextPrayerIn->setText(
                QString::number(rh) + sHourSymbol +
                QStringLiteral("%1").arg(rm, 2, 10, QChar('0')) + sMinuteSymbol +
                QStringLiteral("%1").arg(rs, 2, 10, QChar('0')) + sSecondSymbol);
        if (ProgressBars[0] && ProgressBars[1]) {
            ProgressBars[0]->SetValue(rh * 60 + rm);
            ProgressBars[1]->SetValue(ProgressBars[0]->Value());
            if (gProgressBarSegment == 0) {
                ProgressBars[0]->SetSegments(false);
            } else if (gProgressBarSegment == 1) {
                const int max = ProgressBars[0]->Max();
                ProgressBars[0]->SetSegments(max > 0 &&
                                             ProgressBars[0]->Value() * 100.0 / max > 16);
            }
        }
    }
    return true;
}
