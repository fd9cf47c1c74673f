#include "mVolume.h"

#include "platform/shell.h"

HMIXER gMixerHandle = 0;
MIXERCONTROL gVolumeControl;
MIXERCONTROL gMuteControl;

bool MixerPresent() {
    return mixerGetNumDevs() != 0;
}

bool OpenMixer() {
    return mixerOpen(&gMixerHandle, 0, 0, 0, 0) == MMSYSERR_NOERROR;
}

void CloseMixer() {
    mixerClose(gMixerHandle);
    gMixerHandle = 0;
}

bool GetMixerCaps() {
    MIXERCAPS caps;
    return mixerGetDevCapsA(0, &caps, sizeof caps) == MMSYSERR_NOERROR;
}

bool GetMixerControl(HMIXER hMixer, DWORD dwComponentType, DWORD dwControlType, MIXERCONTROL& mxc) {
    MIXERLINE line;
    line.cbStruct = sizeof line;
    line.dwComponentType = dwComponentType;
    if (mixerGetLineInfoA(hMixer, &line, MIXER_GETLINEINFOF_COMPONENTTYPE) != MMSYSERR_NOERROR)
        return false;
    MIXERCONTROL found;
    MIXERLINECONTROLS controls;
    controls.cbStruct = sizeof controls;
    controls.dwLineID = line.dwLineID;
    controls.dwControlType = dwControlType;
    controls.cControls = 1;
    controls.cbmxctrl = sizeof found;
    controls.pamxctrl = &found;
    mxc.cbStruct = sizeof mxc;
    if (mixerGetLineControlsA(hMixer, &controls, MIXER_GETLINECONTROLSF_ONEBYTYPE) !=
        MMSYSERR_NOERROR)
        return false;
    mxc = found;
    return true;
}

void SetControlValue(HMIXER hMixer, const MIXERCONTROL& mxc, LONG lValue) {
    DWORD value = DWORD(lValue);
    MIXERCONTROLDETAILS details;
    details.cbStruct = sizeof details;
    details.dwControlID = mxc.dwControlID;
    details.cChannels = 1;
    details.cbDetails = sizeof value;
    details.paDetails = &value;
    mixerSetControlDetails(hMixer, &details, 0);
}

LONG GetControlValue(HMIXER hMixer, const MIXERCONTROL& mxc) {
    DWORD value = 0;
    MIXERCONTROLDETAILS details;
    details.cbStruct = sizeof details;
    details.dwControlID = mxc.dwControlID;
    details.cChannels = 1;
    details.cbDetails = sizeof value;
    details.paDetails = &value;
    if (mixerGetControlDetailsA(hMixer, &details, 0) != MMSYSERR_NOERROR)
        return -1;
    return LONG(value);
}

void SetMute(bool bMute) {
    GetMixerControl(gMixerHandle, MIXERLINE_COMPONENTTYPE_SRC_WAVEOUT,
                    MIXERCONTROL_CONTROLTYPE_MUTE, gMuteControl);
    SetControlValue(gMixerHandle, gMuteControl, bMute ? 1 : 0);
}

namespace {
LONG muteValue() {
    if (!GetMixerControl(gMixerHandle, MIXERLINE_COMPONENTTYPE_SRC_WAVEOUT,
                         MIXERCONTROL_CONTROLTYPE_MUTE, gMuteControl))
        return -1;
    return GetControlValue(gMixerHandle, gMuteControl);
}
} // namespace

bool IsMuted() {
    return muteValue() > 0;
}

bool IsMuteKnown() {
    return muteValue() >= 0;
}

QString VolumeControlProgram() {
    // The running desktop's mixer first, then the others, then the plain ALSA one.
    static const char* const programs[] = {"pavucontrol-qt", "pavucontrol", "gnome-control-center",
                                           "kmix",           "xfce4-mixer", "mate-volume-control",
                                           "alsamixergui"};
    auto& shell = platform::CurrentShellBackend();
    const QString desktop = shell.currentDesktop().toUpper();
    if (desktop.contains(QLatin1String("KDE")) || desktop.contains(QLatin1String("LXQT"))) {
        const QString found = shell.findExecutable(QStringLiteral("pavucontrol-qt"));
        if (!found.isEmpty())
            return found;
    }
    for (const char* name : programs) {
        const QString found = shell.findExecutable(QString::fromLatin1(name));
        if (!found.isEmpty())
            return found;
    }
    return QString();
}

bool ShowVolumeControl() {
    const QString program = VolumeControlProgram();
    if (program.isEmpty())
        return false;
    QStringList arguments;
    if (program.endsWith(QLatin1String("gnome-control-center")))
        arguments << QStringLiteral("sound");
    return platform::CurrentShellBackend().startDetached(program, arguments, QString());
}
