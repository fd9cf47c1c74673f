#pragma once
// A sound card's playback line for tests: its controls, values and failures as the test sets
// them. Constructing one installs it; destroying it puts the ALSA mixer back.
#include "platform/mixer.h"

#include <QVector>

class FakeMixer : public platform::MixerBackend {
public:
    FakeMixer() { platform::InstallMixerBackend(this); }
    ~FakeMixer() override { platform::InstallMixerBackend(nullptr); }
    FakeMixer(const FakeMixer&) = delete;
    FakeMixer& operator=(const FakeMixer&) = delete;

    UINT devices = 1;
    bool opens = true;
    bool line = true;
    bool volumeControl = true;
    bool muteControl = true;
    LONG maximum = 65535;
    DWORD level = 32768;
    DWORD mute = 0;
    bool readFails = false;
    bool isOpen = false;
    QVector<DWORD> volumeWrites;
    QVector<DWORD> muteWrites;

    UINT deviceCount() override { return devices; }
    bool open() override { return isOpen = opens; }
    void close() override { isOpen = false; }
    QString name() override { return QStringLiteral("fake"); }
    bool hasLine() override { return line; }
    bool hasVolume() override { return line && volumeControl; }
    bool hasMute() override { return line && muteControl; }
    LONG volumeMaximum() override { return maximum; }
    bool volume(DWORD* value) override {
        if (readFails)
            return false;
        *value = level;
        return true;
    }
    bool setVolume(DWORD value) override {
        volumeWrites.append(value);
        level = value;
        return true;
    }
    bool muted(DWORD* value) override {
        if (readFails || !muteControl)
            return false;
        *value = mute;
        return true;
    }
    bool setMuted(DWORD value) override {
        muteWrites.append(value);
        mute = value;
        return true;
    }
};
