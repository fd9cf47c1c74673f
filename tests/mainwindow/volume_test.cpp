// The volume display: the slider and speaker follow the sound card's playback line, and
// change it.
#include "core/settings.h"
#include "fakes/fake_mixer.h"
#include "fakes/fake_registry.h"
#include "fakes/fake_shell.h"
#include "fakes/fake_sound.h"
#include "fakes/fake_tray.h"
#include "mainwindow/frmTallix.h"
#include "mainwindow/mVolume.h"
#include "runtime/Mouse.h"
#include "runtime/ToolTipWindow.h"

#include <QSlider>
#include <gtest/gtest.h>
#include <memory>

namespace {

class Volume : public ::testing::Test {
protected:
    void start() {
        window_ = std::make_unique<frmTallix>();
        window_->StartVolume();
    }
    void TearDown() override {
        CloseMixer();
        window_.reset();
    }
    QString tip(QWidget* control) const {
        if (runtime::ToolTipWindow* w = window_->ttMain.Window())
            for (int i = 0; i < w->toolCount(); ++i)
                if (w->tool(i) == control)
                    return w->toolText(i);
        return control->toolTip();
    }
    bool showsMuted() const {
        return window_->picVolume->Picture().Handle() == window_->imgIconVolume[1].Handle();
    }

    FakeRegistry registry_;
    FakeSound sound_;
    FakeTray tray_;
    FakeMixer card_;
    FakeShell shell_;
    std::unique_ptr<frmTallix> window_;
};

TEST_F(Volume, WithoutAUsableMixerThePanelGoes) {
    const struct {
        const char* what;
        std::function<void(FakeMixer&)> breakIt;
    } cases[] = {
        {"no card", [](FakeMixer& m) { m.devices = 0; }},
        {"does not open", [](FakeMixer& m) { m.opens = false; }},
        {"no playback line", [](FakeMixer& m) { m.line = false; }},
        {"no volume control", [](FakeMixer& m) { m.volumeControl = false; }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        FakeMixer card;
        c.breakIt(card);
        start();
        window_->Show();
        EXPECT_FALSE(window_->VolumeAvailable);
        EXPECT_FALSE(window_->picVolume->isVisible());
        EXPECT_FALSE(window_->sldVolume->isVisible());
        card.level = 100;
        window_->RefreshVolume(); // does nothing
        EXPECT_EQ(window_->sldVolume->value(), 0);
        CloseMixer();
    }
}

TEST_F(Volume, SliderAndTipsShowTheLevelAndTheMuteState) {
    card_.level = 32768;
    shell_.programs.insert(QStringLiteral("pavucontrol"), QStringLiteral("/usr/bin/pavucontrol"));
    start();
    EXPECT_TRUE(window_->VolumeAvailable);
    EXPECT_EQ(window_->VolumeMax, 65535);
    EXPECT_EQ(window_->sldVolume->value(), 50);
    EXPECT_EQ(tip(window_->sldVolume), QStringLiteral("Volume 50%"));
    EXPECT_EQ(tip(window_->picVolume), QStringLiteral("Volume"));
    EXPECT_FALSE(showsMuted());

    // Muted by another program: seen at the next refresh.
    card_.mute = 1;
    window_->RefreshVolume();
    EXPECT_TRUE(showsMuted());
    EXPECT_EQ(tip(window_->picVolume), QStringLiteral("Volume (muted)"));
    EXPECT_EQ(tip(window_->sldVolume), QStringLiteral("Volume 50% (muted)"));

    // A line without a mute switch is not shown as muted: its state is unknown.
    card_.muteControl = false;
    window_->RefreshVolume();
    EXPECT_FALSE(showsMuted());
    EXPECT_FALSE(IsMuted());
    EXPECT_FALSE(IsMuteKnown());
    EXPECT_EQ(tip(window_->sldVolume), QStringLiteral("Volume 50%"));
}

TEST_F(Volume, ABoundOfZeroCountsAs65535AndAFailedReadAsZero) {
    card_.maximum = 0;
    card_.level = 65535;
    start();
    EXPECT_EQ(window_->VolumeMax, 65535);
    EXPECT_EQ(window_->sldVolume->value(), 100);
    card_.readFails = true;
    window_->RefreshVolume();
    EXPECT_EQ(window_->sldVolume->value(), 0);
}

TEST_F(Volume, SliderAndSpeakerChangeTheLine) {
    card_.maximum = 200;
    start();
    window_->sldVolume->setValue(33);
    ASSERT_FALSE(card_.volumeWrites.isEmpty());
    EXPECT_EQ(card_.volumeWrites.back(), 66u);

    window_->picVolume_MouseUp(vbRightButton);
    EXPECT_EQ(card_.mute, 1u);
    EXPECT_TRUE(showsMuted());
    window_->picVolume_MouseUp(vbRightButton);
    EXPECT_EQ(card_.mute, 0u);
    EXPECT_FALSE(showsMuted());

    // The left button opens the desktop's mixer, when there is one; without one the speaker's
    // tip says why nothing opens.
    EXPECT_FALSE(ShowVolumeControl());
    EXPECT_TRUE(tip(window_->picVolume).contains(QLatin1String("no volume settings program")));
    shell_.programs.insert(QStringLiteral("pavucontrol"), QStringLiteral("/usr/bin/pavucontrol"));
    window_->picVolume_MouseUp(vbLeftButton);
    ASSERT_EQ(shell_.started.size(), 1);
    EXPECT_EQ(shell_.started[0].program, QStringLiteral("/usr/bin/pavucontrol"));
}

} // namespace
