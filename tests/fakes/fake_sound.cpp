#include "fakes/fake_sound.h"

FakeSound::FakeSound() {
    platform::InstallSoundBackend(this);
}

FakeSound::~FakeSound() {
    if (&platform::CurrentSoundBackend() == this) {
        platform::InstallSoundBackend(nullptr);
    }
}

BOOL FakeSound::play(const QString& name, HANDLE hmod, DWORD flags) {
    calls_.append(Call{name, hmod, flags});
    if (name.isEmpty()) {
        playing_ = false;
        return TRUE_;
    }
    if ((flags & SND_NOSTOP) && playing_) {
        return FALSE_;
    }
    // A new sound ends the old one whether or not it starts itself.
    playing_ = deviceAvailable && !failingNames.contains(name);
    playingName_ = name;
    return playing_ ? TRUE_ : FALSE_;
}

void FakeSound::beep() {
    ++beeps_;
    playing_ = false;
}

void FakeSound::clear() {
    calls_.clear();
    beeps_ = 0;
    playing_ = false;
    playingName_.clear();
}
