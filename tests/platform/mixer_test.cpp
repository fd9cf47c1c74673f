// The mixer calls over a sound card's playback line, and the ALSA mixer without a card.
#include "fakes/fake_mixer.h"
#include "platform/mixer.h"

#include <gtest/gtest.h>

namespace {

TEST(Mixer, FindsTheWaveOutLineAndItsControls) {
    FakeMixer card;
    card.maximum = 87;
    card.level = 40;
    EXPECT_EQ(mixerGetNumDevs(), 1u);
    HMIXER h = 0;
    ASSERT_EQ(mixerOpen(&h, 0, 0, 0, 0), MMSYSERR_NOERROR);
    EXPECT_NE(h, 0);
    MIXERCAPS caps;
    EXPECT_EQ(mixerGetDevCapsA(0, &caps, sizeof caps), MMSYSERR_NOERROR);

    MIXERLINE line;
    line.cbStruct = sizeof line;
    line.dwComponentType = MIXERLINE_COMPONENTTYPE_SRC_WAVEOUT;
    ASSERT_EQ(mixerGetLineInfoA(h, &line, MIXER_GETLINEINFOF_COMPONENTTYPE), MMSYSERR_NOERROR);
    MIXERCONTROL volume, mute;
    MIXERLINECONTROLS lc;
    lc.dwLineID = line.dwLineID;
    lc.cControls = 1;
    lc.cbmxctrl = sizeof volume;
    lc.dwControlType = MIXERCONTROL_CONTROLTYPE_VOLUME;
    lc.pamxctrl = &volume;
    ASSERT_EQ(mixerGetLineControlsA(h, &lc, MIXER_GETLINECONTROLSF_ONEBYTYPE), MMSYSERR_NOERROR);
    EXPECT_EQ(volume.lMaximum, 87);
    lc.dwControlType = MIXERCONTROL_CONTROLTYPE_MUTE;
    lc.pamxctrl = &mute;
    ASSERT_EQ(mixerGetLineControlsA(h, &lc, MIXER_GETLINECONTROLSF_ONEBYTYPE), MMSYSERR_NOERROR);
    EXPECT_NE(mute.dwControlID, volume.dwControlID);

    DWORD value = 0;
    MIXERCONTROLDETAILS d;
    d.dwControlID = volume.dwControlID;
    d.cChannels = 1;
    d.cbDetails = sizeof value;
    d.paDetails = &value;
    ASSERT_EQ(mixerGetControlDetailsA(h, &d, 0), MMSYSERR_NOERROR);
    EXPECT_EQ(value, 40u);
    value = 70;
    EXPECT_EQ(mixerSetControlDetails(h, &d, 0), MMSYSERR_NOERROR);
    EXPECT_EQ(card.level, 70u);
    card.readFails = true;
    EXPECT_NE(mixerGetControlDetailsA(h, &d, 0), MMSYSERR_NOERROR);

    EXPECT_EQ(mixerClose(h), MMSYSERR_NOERROR);
    EXPECT_FALSE(card.isOpen);
    // A closed handle answers nothing.
    EXPECT_EQ(mixerGetLineInfoA(h, &line, MIXER_GETLINEINFOF_COMPONENTTYPE), MMSYSERR_INVALHANDLE);
}

TEST(Mixer, MissingCardLineOrControlFailsWhereTheCallerLooks) {
    {
        FakeMixer none;
        none.devices = 0;
        HMIXER h = 0;
        EXPECT_EQ(mixerGetNumDevs(), 0u);
        EXPECT_EQ(mixerOpen(&h, 0, 0, 0, 0), MMSYSERR_BADDEVICEID);
    }
    FakeMixer card;
    card.muteControl = false;
    HMIXER h = 0;
    ASSERT_EQ(mixerOpen(&h, 0, 0, 0, 0), MMSYSERR_NOERROR);
    MIXERCONTROL mute;
    MIXERLINECONTROLS lc;
    lc.dwLineID = 1;
    lc.cControls = 1;
    lc.dwControlType = MIXERCONTROL_CONTROLTYPE_MUTE;
    lc.pamxctrl = &mute;
    EXPECT_EQ(mixerGetLineControlsA(h, &lc, MIXER_GETLINECONTROLSF_ONEBYTYPE), MIXERR_INVALCONTROL);
    card.line = false;
    MIXERLINE line;
    line.dwComponentType = MIXERLINE_COMPONENTTYPE_SRC_WAVEOUT;
    EXPECT_EQ(mixerGetLineInfoA(h, &line, MIXER_GETLINEINFOF_COMPONENTTYPE), MIXERR_INVALLINE);
    mixerClose(h);
}

TEST(Mixer, AlsaWithoutThatCardFailsQuietly) {
    platform::InstallMixerBackend(nullptr);
    qputenv("TALLIX_ALSA_MIXER", "hw:77");
    HMIXER h = 0;
    // With or without a sound card in this machine, card 77 does not open.
    if (mixerGetNumDevs() != 0)
        EXPECT_NE(mixerOpen(&h, 0, 0, 0, 0), MMSYSERR_NOERROR);
    else
        EXPECT_EQ(mixerOpen(&h, 0, 0, 0, 0), MMSYSERR_BADDEVICEID);
    qunsetenv("TALLIX_ALSA_MIXER");
}

} // namespace
