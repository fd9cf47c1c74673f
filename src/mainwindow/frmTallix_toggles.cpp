// Clicks on the main window's small controls: the globe, the countdown bar, the Qiblah dial,
// the volume slider and the prayer-time highlight. Three of them are display switches kept in
// the settings.
#include "frmTallix.h"

#include "cProgressBar.h"
#include "core/mAPI.h"
#include "core/mMain.h"
#include "core/settings.h"
#include "platform/sound.h"
#include "prayersettings/frmPrayerSettings.h"
#include "runtime/ImageControl.h"
#include "runtime/Interaction.h"

#include <QEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QSlider>
#include <QTabWidget>

namespace {

// Hands the mouse releases (and for the highlight box, the moves) of the plain controls to
// the window's handlers.
class ToggleInput : public QObject {
public:
    explicit ToggleInput(frmTallix* window) : QObject(window), window_(window) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        const auto type = event->type();
        if (watched == window_->txtPrayerTime) {
            if (type == QEvent::MouseMove || type == QEvent::MouseButtonRelease)
                window_->txtPrayerTime_MouseUp();
            return false;
        }
        if (type != QEvent::MouseButtonRelease)
            return false;
        const int button = MouseButtonCode(static_cast<QMouseEvent*>(event)->button());
        if (watched == window_->picNextPrayerIn[0])
            window_->picNextPrayerIn_MouseUp(0, button);
        else if (watched == window_->picNextPrayerIn[1])
            window_->picNextPrayerIn_MouseUp(1, button);
        else if (watched == window_->sldVolume)
            window_->sldVolume_MouseUp(button);
        return false;
    }

private:
    frmTallix* window_;
};

} // namespace

void frmTallix::createToggleControls() {
    auto* input = new ToggleInput(this);
    for (QObject* o :
         {static_cast<QObject*>(picNextPrayerIn[0]), static_cast<QObject*>(picNextPrayerIn[1]),
          static_cast<QObject*>(sldVolume), static_cast<QObject*>(txtPrayerTime)})
        if (o)
            o->installEventFilter(input);
    if (txtPrayerTime)
        txtPrayerTime->setMouseTracking(true);
    if (picGlobe)
        connect(picGlobe, &Image::MouseUp, this,
                [this](int button, int, float, float) { picGlobe_MouseUp(button); });
    if (picQiblah)
        connect(picQiblah, &PictureBox::MouseUp, this,
                [this](int button, int, double, double) { picQiblah_MouseUp(button); });
    if (sldVolume)
        sldVolume->setTickPosition(gSliderTickStyle == 1 ? QSlider::TicksBelow : QSlider::NoTicks);
    if (ProgressBars[0])
        ProgressBars[0]->SetSegments(gProgressBarSegment == 1);
    connect(tabMain, &QTabWidget::currentChanged, this, [this](int) {
        tabMain_Click(previousTab_);
        previousTab_ = tabMain->currentIndex();
    });
    previousTab_ = tabMain->currentIndex();
}

void frmTallix::picGlobe_MouseUp(int Button) {
    if (Button != vbLeftButton)
        return;
    gStartTab = 0;
    DoEvents();
    ShowPrayerSettings(0);
}

void frmTallix::picNextPrayerIn_MouseUp(int Index, int Button) {
    if (Button != vbLeftButton || Index != 0 || !ProgressBars[0])
        return;
    cProgressBar* bar = ProgressBars[0];
    if (gProgressBarSegment == 1) {
        SaveToggleSetting(QStringLiteral("ProgressBarSegment"), 0);
        gProgressBarSegment = 0;
        bar->SetSegments(false);
    } else {
        SaveToggleSetting(QStringLiteral("ProgressBarSegment"), 1);
        gProgressBarSegment = 1;
        // A bar at a sixth or less is drawn plain: its segments would not show.
        bar->SetSegments(bar->Max() > 0 && double(bar->Value()) / bar->Max() * 100.0 > 16.0);
    }
}

void frmTallix::picQiblah_MouseUp(int Button) {
    if (Button != vbLeftButton)
        return;
    const std::int16_t other = gCoordinateSystem == 1 ? 0 : 1;
    SaveToggleSetting(QStringLiteral("CoordinateSystem"), other);
    gCoordinateSystem = other;
    UpdateQiblahLabel();
}

void frmTallix::sldVolume_MouseUp(int Button) {
    if (Button == vbRightButton) {
        const std::int16_t ticks = gSliderTickStyle == 1 ? 0 : 1;
        SaveToggleSetting(QStringLiteral("SliderTickStyle"), ticks);
        gSliderTickStyle = ticks;
        if (sldVolume)
            sldVolume->setTickPosition(ticks == 1 ? QSlider::TicksBelow : QSlider::NoTicks);
    } else if (Button == vbLeftButton && gMuteAll == 0) {
        // The new volume, heard.
        MessageBeep(0);
    }
    if (tabMain)
        tabMain->setFocus();
}

void frmTallix::txtPrayerTime_MouseUp() {
    if (tabMain)
        tabMain->setFocus();
}

void frmTallix::tabMain_Click(int PreviousTab) {
    (void)PreviousTab;
    const QString tab = QString::number(tabMain->currentIndex());
    RegSetString(kSettingsKey, QStringLiteral("SelectedTab"), tab);
    // The setting holds what the store holds; an unreadable store keeps the old value.
    bool ok = false;
    const int stored = RegGetString(kSettingsKey, QStringLiteral("SelectedTab")).toInt(&ok);
    if (ok)
        gSelectedTab = std::int16_t(stored);
    ResetTab();
}
