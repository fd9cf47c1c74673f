// The volume display of the status area and the commands that depend on the session.
#include "frmTallix.h"

#include "core/mAPI.h"
#include "core/mMain.h"
#include "core/settings.h"
#include "mVolume.h"
#include "runtime/Mouse.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QPainterPath>
#include <QSlider>
#include <QToolBar>
#include <algorithm>
#include <cmath>

namespace {

// The speaker of the volume panel, crossed out when muted.
StdPicture speakerPicture(bool muted) {
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath body;
    body.moveTo(2, 6);
    body.lineTo(5, 6);
    body.lineTo(9, 2);
    body.lineTo(9, 14);
    body.lineTo(5, 10);
    body.lineTo(2, 10);
    body.closeSubpath();
    p.fillPath(body, QColor(60, 60, 60));
    if (muted) {
        p.setPen(QPen(QColor(200, 0, 0), 1.8));
        p.drawLine(QPointF(10.5, 5.5), QPointF(14.5, 10.5));
        p.drawLine(QPointF(14.5, 5.5), QPointF(10.5, 10.5));
    } else {
        p.setPen(QPen(QColor(60, 60, 60), 1.2));
        p.drawArc(QRectF(7, 5, 5, 6), -60 * 16, 120 * 16);
        p.drawArc(QRectF(7, 3, 8, 10), -60 * 16, 120 * 16);
    }
    return StdPicture(pixmap);
}

// A click on the speaker opens the desktop's mixer; without one the tip says why it cannot.
QString speakerTip(const QString& text) {
    if (!VolumeControlProgram().isEmpty())
        return text;
    return text + QStringLiteral("\r\n(no volume settings program is installed, such as "
                                 "pavucontrol)");
}

int percentOf(LONG value, LONG maximum) {
    // A failed read (-1) gives -100 / max, which rounds to 0 for any real bound.
    return int(std::nearbyint(double(value) * 100.0 / double(maximum)));
}

} // namespace

void frmTallix::createVolumeControls() {
    imgIconVolume[0] = speakerPicture(false);
    imgIconVolume[1] = speakerPicture(true);
    picVolume = new Image(this);
    picVolume->setObjectName(QStringLiteral("picVolume"));
    picVolume->SetPicture(imgIconVolume[0]);
    picVolume->resize(16, 16);
    connect(picVolume, &Image::MouseUp, this,
            [this](int Button, int, float, float) { picVolume_MouseUp(Button); });
    sldVolume = new QSlider(Qt::Horizontal, this);
    sldVolume->setObjectName(QStringLiteral("sldVolume"));
    sldVolume->setRange(0, 100);
    sldVolume->setPageStep(10);
    sldVolume->setTickInterval(10);
    sldVolume->resize(100, 20);
    connect(sldVolume, &QSlider::valueChanged, this, [this] { sldVolume_Scroll(); });
}

void frmTallix::StartVolume() {
    VolumeAvailable = true;
    if (!MixerPresent() || !OpenMixer() || !GetMixerCaps() ||
        !GetMixerControl(gMixerHandle, MIXERLINE_COMPONENTTYPE_SRC_WAVEOUT,
                         MIXERCONTROL_CONTROLTYPE_VOLUME, gVolumeControl)) {
        HideVolumePanel();
        return;
    }
    VolumeMax = gVolumeControl.lMaximum > 0 ? gVolumeControl.lMaximum : 65535;
    LastMuted = false;
    RefreshVolume();
    // The picture follows the state at once, also when it starts muted.
    const bool muted = IsMuted();
    picVolume->SetPicture(imgIconVolume[muted ? 1 : 0]);
    SetControlToolTip(
        ttMain, picVolume,
        speakerTip(muted ? sVolumeText + QLatin1Char(' ') + sMutedText : sVolumeText));
    LastMuted = muted;
    RefreshVolume();
}

void frmTallix::RefreshVolume() {
    if (!VolumeAvailable)
        return;
    const int value = percentOf(GetControlValue(gMixerHandle, gVolumeControl), VolumeMax);
    {
        const QSignalBlocker quiet(sldVolume);
        sldVolume->setValue(value);
    }
    const bool known = IsMuteKnown();
    const bool muted = known && IsMuted();
    if (muted != LastMuted) {
        LastMuted = !LastMuted;
        picVolume->SetPicture(imgIconVolume[LastMuted ? 1 : 0]);
        SetControlToolTip(
            ttMain, picVolume,
            speakerTip(LastMuted ? sVolumeText + QLatin1Char(' ') + sMutedText : sVolumeText));
    }
    const QString percent =
        sVolumeText + QLatin1Char(' ') + QString::number(sldVolume->value()) + QLatin1Char('%');
    SetControlToolTip(ttMain, sldVolume,
                      LastMuted ? percent + QLatin1Char(' ') + sMutedText : percent);
}

void frmTallix::HideVolumePanel() {
    picVolume->hide();
    sldVolume->hide();
    VolumeAvailable = false;
    SetObjectsToStatusBar();
}

void frmTallix::picVolume_MouseUp(int Button) {
    if (Button == vbRightButton) {
        // An unknown state is taken as sound on: the click then mutes.
        SetMute(!IsMuted());
        RefreshVolume();
    } else if (Button == vbLeftButton) {
        ShowVolumeControl();
    }
}

void frmTallix::sldVolume_Scroll() {
    if (!VolumeAvailable)
        return;
    SetControlValue(gMixerHandle, gVolumeControl,
                    LONG(std::nearbyint(double(sldVolume->value()) * VolumeMax / 100.0)));
}

void frmTallix::EnablePrayNow() {
    const bool s = IsScreenSaverActive();
    // The commands by their names, wherever the menus and the toolbar put them.
    for (QAction* action : findChildren<QAction*>()) {
        const QString name = action->objectName();
        if (name == QLatin1String("mnuScreenSaver") || name == QLatin1String("ScreenSaver")) {
            action->setEnabled(s);
        } else if (name == QLatin1String("mnuPrayNow")) {
            if (gPlatformId == 1)
                action->setEnabled(s);
            else if (gSecurityType == 0)
                action->setEnabled(true);
            else if (gSecurityType == 1)
                action->setEnabled(s);
        }
    }
}

void frmTallix::SetObjectsToStatusBar() {
    if (!staMain || !picVolume || !sldVolume || !picNextPrayerIn[1] || !picLocation)
        return;
    // The volume panel sits between the location and the countdown bar; without a mixer the
    // location keeps its room.
    constexpr int kPanel = 110;
    if (picVolume->parentWidget() != staMain) {
        picVolume->setParent(staMain);
        sldVolume->setParent(staMain);
    }
    const int h = staMain->height();
    const QRect bar = picNextPrayerIn[1]->geometry();
    const int left = bar.left() - 6 - kPanel;
    picVolume->setGeometry(left, (h - 16) / 2, 16, 16);
    sldVolume->setGeometry(left + 17, 1, kPanel - 18, h - 2);
    picVolume->setVisible(VolumeAvailable);
    sldVolume->setVisible(VolumeAvailable);
    const int locationRight = VolumeAvailable ? left - 4 : bar.left() - 4;
    picLocation->resize(std::max(0, locationRight - picLocation->x()), picLocation->height());
    if (lblLocation)
        lblLocation->resize(std::max(0, picLocation->width() - lblLocation->x()),
                            lblLocation->height());
}
