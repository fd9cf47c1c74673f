#include "mixer.h"

#include <alsa/asoundlib.h>
#include <atomic>
#include <cstring>

namespace platform {
namespace {

constexpr DWORD kVolumeId = 1;
constexpr DWORD kMuteId = 2;
constexpr DWORD kWaveOutLine = 1;

QByteArray cardName() {
    const QByteArray name = qgetenv("TALLIX_ALSA_MIXER");
    return name.isEmpty() ? QByteArray("default") : name;
}

class AlsaMixer final : public MixerBackend {
public:
    ~AlsaMixer() override { close(); }

    UINT deviceCount() override {
        int card = -1;
        return snd_card_next(&card) == 0 && card >= 0 ? 1 : 0;
    }

    bool open() override {
        close();
        if (snd_mixer_open(&mixer_, 0) < 0) {
            mixer_ = nullptr;
            return false;
        }
        if (snd_mixer_attach(mixer_, cardName().constData()) < 0 ||
            snd_mixer_selem_register(mixer_, nullptr, nullptr) < 0 || snd_mixer_load(mixer_) < 0) {
            close();
            return false;
        }
        element_ = find("Master");
        if (!element_)
            element_ = find("PCM");
        return true;
    }

    void close() override {
        if (mixer_)
            snd_mixer_close(mixer_);
        mixer_ = nullptr;
        element_ = nullptr;
    }

    QString name() override { return QString::fromUtf8(cardName()); }

    bool hasLine() override { return element_ != nullptr; }
    bool hasVolume() override { return element_ && snd_mixer_selem_has_playback_volume(element_); }
    bool hasMute() override { return element_ && snd_mixer_selem_has_playback_switch(element_); }

    LONG volumeMaximum() override {
        long low = 0, high = 0;
        if (!hasVolume() || snd_mixer_selem_get_playback_volume_range(element_, &low, &high) < 0)
            return 0;
        return LONG(high - low);
    }

    bool volume(DWORD* value) override {
        refresh();
        long low = 0, high = 0, v = 0;
        if (!hasVolume() || snd_mixer_selem_get_playback_volume_range(element_, &low, &high) < 0 ||
            snd_mixer_selem_get_playback_volume(element_, SND_MIXER_SCHN_FRONT_LEFT, &v) < 0)
            return false;
        *value = DWORD(qBound(0L, v - low, high - low));
        return true;
    }

    bool setVolume(DWORD value) override {
        long low = 0, high = 0;
        if (!hasVolume() || snd_mixer_selem_get_playback_volume_range(element_, &low, &high) < 0)
            return false;
        const long v = low + qBound(0L, long(value), high - low);
        return snd_mixer_selem_set_playback_volume_all(element_, v) >= 0;
    }

    bool muted(DWORD* value) override {
        refresh();
        int on = 1;
        if (!hasMute() ||
            snd_mixer_selem_get_playback_switch(element_, SND_MIXER_SCHN_FRONT_LEFT, &on) < 0)
            return false;
        *value = on ? 0 : 1;
        return true;
    }

    bool setMuted(DWORD value) override {
        return hasMute() && snd_mixer_selem_set_playback_switch_all(element_, value ? 0 : 1) >= 0;
    }

private:
    snd_mixer_elem_t* find(const char* name) {
        snd_mixer_selem_id_t* id = nullptr;
        snd_mixer_selem_id_alloca(&id);
        snd_mixer_selem_id_set_index(id, 0);
        snd_mixer_selem_id_set_name(id, name);
        return snd_mixer_find_selem(mixer_, id);
    }
    // Changes made by other programs.
    void refresh() {
        if (mixer_)
            snd_mixer_handle_events(mixer_);
    }

    snd_mixer_t* mixer_ = nullptr;
    snd_mixer_elem_t* element_ = nullptr;
};

AlsaMixer& alsaMixer() {
    static AlsaMixer mixer;
    return mixer;
}

std::atomic<MixerBackend*> g_installed{nullptr};
HMIXER g_open = 0;
constexpr HMIXER kHandle = 0x4D58; // the one mixer handle

} // namespace

MixerBackend& CurrentMixerBackend() {
    MixerBackend* installed = g_installed.load();
    return installed ? *installed : alsaMixer();
}

void InstallMixerBackend(MixerBackend* backend) {
    g_installed.store(backend);
    g_open = 0;
}

} // namespace platform

using platform::CurrentMixerBackend;

UINT mixerGetNumDevs() {
    return CurrentMixerBackend().deviceCount();
}

MMRESULT mixerOpen(HMIXER* phmx, UINT uMxId, DWORD, DWORD, DWORD) {
    if (!phmx)
        return MMSYSERR_INVALPARAM;
    if (uMxId != 0 || CurrentMixerBackend().deviceCount() == 0 || !CurrentMixerBackend().open())
        return MMSYSERR_BADDEVICEID;
    platform::g_open = platform::kHandle;
    *phmx = platform::kHandle;
    return MMSYSERR_NOERROR;
}

MMRESULT mixerClose(HMIXER hmx) {
    if (hmx == 0 || hmx != platform::g_open)
        return MMSYSERR_INVALHANDLE;
    CurrentMixerBackend().close();
    platform::g_open = 0;
    return MMSYSERR_NOERROR;
}

MMRESULT mixerGetDevCapsA(UINT uMxId, MIXERCAPS* pmxcaps, UINT cbmxcaps) {
    if (!pmxcaps || cbmxcaps < sizeof(MIXERCAPS))
        return MMSYSERR_INVALPARAM;
    if (uMxId != 0 || CurrentMixerBackend().deviceCount() == 0)
        return MMSYSERR_BADDEVICEID;
    const QByteArray name = CurrentMixerBackend().name().toUtf8().left(31);
    std::memset(pmxcaps->szPname, 0, sizeof pmxcaps->szPname);
    std::memcpy(pmxcaps->szPname, name.constData(), size_t(name.size()));
    pmxcaps->cDestinations = 1;
    return MMSYSERR_NOERROR;
}

MMRESULT mixerGetLineInfoA(HMIXER hmx, MIXERLINE* pmxl, DWORD fdwInfo) {
    if (hmx == 0 || hmx != platform::g_open)
        return MMSYSERR_INVALHANDLE;
    if (!pmxl || fdwInfo != MIXER_GETLINEINFOF_COMPONENTTYPE)
        return MMSYSERR_INVALPARAM;
    if (pmxl->dwComponentType != MIXERLINE_COMPONENTTYPE_SRC_WAVEOUT ||
        !CurrentMixerBackend().hasLine())
        return MIXERR_INVALLINE;
    pmxl->dwLineID = platform::kWaveOutLine;
    return MMSYSERR_NOERROR;
}

MMRESULT mixerGetLineControlsA(HMIXER hmx, MIXERLINECONTROLS* pmxlc, DWORD fdwControls) {
    if (hmx == 0 || hmx != platform::g_open)
        return MMSYSERR_INVALHANDLE;
    if (!pmxlc || !pmxlc->pamxctrl || pmxlc->cControls != 1 ||
        fdwControls != MIXER_GETLINECONTROLSF_ONEBYTYPE)
        return MMSYSERR_INVALPARAM;
    if (pmxlc->dwLineID != platform::kWaveOutLine)
        return MIXERR_INVALLINE;
    auto& mixer = CurrentMixerBackend();
    MIXERCONTROL control;
    control.cbStruct = sizeof control;
    control.dwControlType = pmxlc->dwControlType;
    if (pmxlc->dwControlType == MIXERCONTROL_CONTROLTYPE_VOLUME && mixer.hasVolume()) {
        control.dwControlID = platform::kVolumeId;
        control.lMaximum = mixer.volumeMaximum();
    } else if (pmxlc->dwControlType == MIXERCONTROL_CONTROLTYPE_MUTE && mixer.hasMute()) {
        control.dwControlID = platform::kMuteId;
        control.lMaximum = 1;
    } else {
        return MIXERR_INVALCONTROL;
    }
    *pmxlc->pamxctrl = control;
    return MMSYSERR_NOERROR;
}

MMRESULT mixerGetControlDetailsA(HMIXER hmx, MIXERCONTROLDETAILS* pmxcd, DWORD) {
    if (hmx == 0 || hmx != platform::g_open)
        return MMSYSERR_INVALHANDLE;
    if (!pmxcd || !pmxcd->paDetails || pmxcd->cbDetails < sizeof(DWORD))
        return MMSYSERR_INVALPARAM;
    auto& mixer = CurrentMixerBackend();
    const bool ok = pmxcd->dwControlID == platform::kVolumeId ? mixer.volume(pmxcd->paDetails)
                    : pmxcd->dwControlID == platform::kMuteId ? mixer.muted(pmxcd->paDetails)
                                                              : false;
    return ok ? MMSYSERR_NOERROR : MIXERR_INVALCONTROL;
}

MMRESULT mixerSetControlDetails(HMIXER hmx, MIXERCONTROLDETAILS* pmxcd, DWORD) {
    if (hmx == 0 || hmx != platform::g_open)
        return MMSYSERR_INVALHANDLE;
    if (!pmxcd || !pmxcd->paDetails || pmxcd->cbDetails < sizeof(DWORD))
        return MMSYSERR_INVALPARAM;
    auto& mixer = CurrentMixerBackend();
    const bool ok = pmxcd->dwControlID == platform::kVolumeId ? mixer.setVolume(*pmxcd->paDetails)
                    : pmxcd->dwControlID == platform::kMuteId ? mixer.setMuted(*pmxcd->paDetails)
                                                              : false;
    return ok ? MMSYSERR_NOERROR : MIXERR_INVALCONTROL;
}
