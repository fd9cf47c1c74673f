#include "sound.h"

#include "sound_alsa.h"

#include <QFile>
#include <atomic>
#include <exception>

namespace platform {

namespace {

std::atomic<SoundBackend*> g_installedBackend{nullptr};
std::atomic<std::uint32_t> g_soundSerial{0};

class AlsaBackend final : public SoundBackend {
public:
    BOOL play(const QString& name, HANDLE hmod, DWORD flags) override {
        Q_UNUSED(hmod); // every recording of ours is embedded in the one executable
        AlsaPlayer& player = AlsaPlayer::instance();
        if (name.isEmpty()) {
            player.stop();
            return TRUE_;
        }
        if ((flags & SND_NOSTOP) && player.isPlaying()) {
            return FALSE_;
        }
        // Like the call it stands for, any request ends the sound still playing, even one
        // that then fails to start.
        player.stop();
        std::unique_ptr<SoundSource> source = loadSound(name, flags);
        if (!source) {
            return FALSE_;
        }
        return player.start(std::move(source), (flags & SND_LOOP) != 0) ? TRUE_ : FALSE_;
    }

    void beep() override {
        AlsaPlayer& player = AlsaPlayer::instance();
        player.stop();
        if (!player.start(SoundSource::beepTone(), false)) {
            RingDesktopBell();
        }
    }

    bool isPlaying() override { return AlsaPlayer::instance().isPlaying(); }

private:
    static std::unique_ptr<SoundSource> loadSound(const QString& name, DWORD flags) {
        if ((flags & SND_RESOURCE) == SND_RESOURCE) {
            QFile file(QStringLiteral(":/wave/") + name + QStringLiteral(".wav"));
            if (!file.open(QIODevice::ReadOnly)) {
                return nullptr;
            }
            return SoundSource::fromImage(file.readAll());
        }
        if (flags & (SND_MEMORY | SND_ALIAS)) {
            return nullptr; // no sound images in memory and no sound-event aliases here
        }
        std::unique_ptr<SoundSource> source = SoundSource::fromFile(name);
        if (!source && name.contains(QLatin1Char('\\'))) {
            // A path put together the Windows way ("folder\file.wav").
            QString path = name;
            source = SoundSource::fromFile(path.replace(QLatin1Char('\\'), QLatin1Char('/')));
        }
        return source;
    }
};

AlsaBackend& alsaBackend() {
    static AlsaBackend backend;
    return backend;
}

} // namespace

SoundBackend& CurrentSoundBackend() {
    SoundBackend* installed = g_installedBackend.load();
    return installed ? *installed : alsaBackend();
}

void InstallSoundBackend(SoundBackend* backend) {
    g_installedBackend.store(backend);
}

bool IsSoundPlaying() {
    try {
        return CurrentSoundBackend().isPlaying();
    } catch (...) {
        return false;
    }
}

std::uint32_t SoundSerial() {
    return g_soundSerial.load();
}

void CountSoundCall() {
    ++g_soundSerial;
}

bool IsPlayableWaveFile(const QString& path) {
    return SoundSource::fromFile(path) != nullptr;
}

} // namespace platform

BOOL PlaySoundA(const QString& pszSound, HANDLE hmod, DWORD fdwSound) {
    platform::CountSoundCall();
    try {
        platform::SoundBackend& backend = platform::CurrentSoundBackend();
        // A sound refused because another is playing leaves that one alone: no beep over it.
        const bool refusedWhileBusy = (fdwSound & SND_NOSTOP) && backend.isPlaying();
        const BOOL started = backend.play(pszSound, hmod, fdwSound);
        if (!started && !pszSound.isEmpty() && !(fdwSound & SND_NODEFAULT) && !refusedWhileBusy) {
            backend.beep();
        }
        return started ? TRUE_ : FALSE_;
    } catch (...) {
        return FALSE_;
    }
}

BOOL MessageBeep(UINT uType) {
    Q_UNUSED(uType); // one beep for every kind of message
    platform::CountSoundCall();
    try {
        platform::CurrentSoundBackend().beep();
        return TRUE_;
    } catch (...) {
        return FALSE_;
    }
}
