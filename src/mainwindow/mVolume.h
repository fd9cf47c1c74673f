#pragma once
// The wave-out line of the sound card: its volume and mute switch, through the mixer calls.
#include "platform/mixer.h"

extern HMIXER gMixerHandle;
extern MIXERCONTROL gVolumeControl;
extern MIXERCONTROL gMuteControl;

bool MixerPresent();
bool OpenMixer();
void CloseMixer();
bool GetMixerCaps();
bool GetMixerControl(HMIXER hMixer, DWORD dwComponentType, DWORD dwControlType, MIXERCONTROL& mxc);
void SetControlValue(HMIXER hMixer, const MIXERCONTROL& mxc, LONG lValue);
// The value, or -1 when it cannot be read.
LONG GetControlValue(HMIXER hMixer, const MIXERCONTROL& mxc);
void SetMute(bool bMute);
// Whether the line is muted. A state that cannot be read (no mute switch) is not "muted": it
// is unknown, and IsMuteKnown says so.
bool IsMuted();
bool IsMuteKnown();
// Opens the desktop's own volume settings; false when it has none or it did not start.
bool ShowVolumeControl();
// The desktop's mixer program found in PATH, "" when none is installed.
QString VolumeControlProgram();
