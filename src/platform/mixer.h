#pragma once
// The wave-out mixer: the playback volume and mute switch of the sound card.
//
// Linux meaning: the ALSA mixer (snd_mixer) of the card $TALLIX_ALSA_MIXER or "default"; the
// wave-out line is its "Master" element, else "PCM". The volume control runs from 0 to the
// element's range (its lowest raw value reads as 0); the mute control reads 1 when the
// playback switch is off. Device 0 is the only device.
#include "wintypes.h"

#include <QString>

using HMIXER = std::int32_t;
using MMRESULT = std::uint32_t;

constexpr MMRESULT MMSYSERR_NOERROR = 0;
constexpr MMRESULT MMSYSERR_BADDEVICEID = 2;
constexpr MMRESULT MMSYSERR_INVALHANDLE = 5;
constexpr MMRESULT MMSYSERR_INVALPARAM = 11;
constexpr MMRESULT MIXERR_INVALLINE = 1024;
constexpr MMRESULT MIXERR_INVALCONTROL = 1025;

constexpr DWORD MIXERLINE_COMPONENTTYPE_SRC_WAVEOUT = 0x1008;
constexpr DWORD MIXERCONTROL_CONTROLTYPE_VOLUME = 0x50030001;
constexpr DWORD MIXERCONTROL_CONTROLTYPE_MUTE = 0x20010002;
constexpr DWORD MIXER_GETLINEINFOF_COMPONENTTYPE = 3;
constexpr DWORD MIXER_GETLINECONTROLSF_ONEBYTYPE = 2;

struct MIXERCAPS {
    char szPname[32] = {};
    DWORD cDestinations = 0;
};

struct MIXERLINE {
    DWORD cbStruct = 0;
    DWORD dwComponentType = 0;
    DWORD dwLineID = 0;
};

struct MIXERCONTROL {
    DWORD cbStruct = 0;
    DWORD dwControlID = 0;
    DWORD dwControlType = 0;
    LONG lMinimum = 0; // Bounds
    LONG lMaximum = 0;
};

struct MIXERLINECONTROLS {
    DWORD cbStruct = 0;
    DWORD dwLineID = 0;
    DWORD dwControlType = 0;
    DWORD cControls = 0;
    DWORD cbmxctrl = 0;
    MIXERCONTROL* pamxctrl = nullptr;
};

struct MIXERCONTROLDETAILS {
    DWORD cbStruct = 0;
    DWORD dwControlID = 0;
    DWORD cChannels = 0;
    DWORD cMultipleItems = 0;
    DWORD cbDetails = 0;
    DWORD* paDetails = nullptr; // one value
};

UINT mixerGetNumDevs();
MMRESULT mixerOpen(HMIXER* phmx, UINT uMxId, DWORD dwCallback, DWORD dwInstance, DWORD fdwOpen);
MMRESULT mixerClose(HMIXER hmx);
MMRESULT mixerGetDevCapsA(UINT uMxId, MIXERCAPS* pmxcaps, UINT cbmxcaps);
MMRESULT mixerGetLineInfoA(HMIXER hmx, MIXERLINE* pmxl, DWORD fdwInfo);
MMRESULT mixerGetLineControlsA(HMIXER hmx, MIXERLINECONTROLS* pmxlc, DWORD fdwControls);
MMRESULT mixerGetControlDetailsA(HMIXER hmx, MIXERCONTROLDETAILS* pmxcd, DWORD fdwDetails);
MMRESULT mixerSetControlDetails(HMIXER hmx, MIXERCONTROLDETAILS* pmxcd, DWORD fdwDetails);

namespace platform {

// The sound card's playback line as the calls above see it. Control ids: 1 volume, 2 mute.
class MixerBackend {
public:
    virtual ~MixerBackend() = default;
    virtual UINT deviceCount() = 0;
    // True when the card's mixer opened; the line may still be missing.
    virtual bool open() = 0;
    virtual void close() = 0;
    virtual QString name() = 0;
    // Whether the line exists and which controls it has.
    virtual bool hasLine() = 0;
    virtual bool hasVolume() = 0;
    virtual bool hasMute() = 0;
    virtual LONG volumeMaximum() = 0;
    // False when the value cannot be read or written.
    virtual bool volume(DWORD* value) = 0;
    virtual bool setVolume(DWORD value) = 0;
    virtual bool muted(DWORD* value) = 0;
    virtual bool setMuted(DWORD value) = 0;
};
MixerBackend& CurrentMixerBackend();
void InstallMixerBackend(MixerBackend* backend);

} // namespace platform
