#include "sound.h"

#include "sound_alsa.h"

#include <QFile>
#include <atomic>
#include <exception>
#include <mutex>

namespace platform {

namespace {

std::atomic<SoundBackend*> g_installedBackend{nullptr};
std::atomic<std::uint32_t> g_soundSerial{0};
// The serial of the last sound call that left the beep playing; 0 for none (the serial of the
// first call is 1).
std::atomic<std::uint32_t> g_beepSerial{0};

std::mutex g_problemMutex;
QString g_lastProblem;

class AlsaBackend final : public SoundBackend {
public:
    BOOL play(const QString& name, HANDLE hmod, DWORD flags) override {
        Q_UNUSED(hmod); // every recording of ours is embedded in the one executable
        AlsaPlayer& player = AlsaPlayer::instance();
        problem_.clear();
        if (name.isEmpty()) {
            player.stop();
            return TRUE_;
        }
        if ((flags & SND_NOSTOP) && player.isPlaying()) {
            problem_ = QStringLiteral("another sound is playing");
            return FALSE_;
        }
        // Like the call it stands for, any request ends the sound still playing, even one
        // that then fails to start.
        player.stop();
        std::unique_ptr<SoundSource> source = loadSound(name, flags, &problem_);
        if (!source) {
            return FALSE_;
        }
        return player.start(std::move(source), (flags & SND_LOOP) != 0, &problem_) ? TRUE_ : FALSE_;
    }

    QString problem() override { return problem_; }

    void beep() override {
        AlsaPlayer& player = AlsaPlayer::instance();
        player.stop();
        if (!player.start(SoundSource::beepTone(), false)) {
            RingDesktopBell();
        }
    }

    bool isPlaying() override { return AlsaPlayer::instance().isPlaying(); }

private:
    static std::unique_ptr<SoundSource> loadSound(const QString& name, DWORD flags,
                                                  QString* problem) {
        if ((flags & SND_RESOURCE) == SND_RESOURCE) {
            QFile file(QStringLiteral(":/wave/") + name + QStringLiteral(".wav"));
            if (!file.open(QIODevice::ReadOnly)) {
                *problem = QStringLiteral("there is no recording of that name");
                return nullptr;
            }
            std::unique_ptr<SoundSource> source = SoundSource::fromImage(file.readAll());
            if (!source) {
                *problem = QStringLiteral("the recording is damaged");
            }
            return source;
        }
        if (flags & (SND_MEMORY | SND_ALIAS)) {
            // no sound images in memory and no sound-event aliases here
            *problem = QStringLiteral("sounds in memory and sound aliases are not played here");
            return nullptr;
        }
        std::unique_ptr<SoundSource> source = SoundSource::fromFile(name, problem);
        if (!source && name.contains(QLatin1Char('\\'))) {
            // A path put together the Windows way ("folder\file.wav").
            QString path = name;
            QString windowsProblem;
            source = SoundSource::fromFile(path.replace(QLatin1Char('\\'), QLatin1Char('/')),
                                           &windowsProblem);
            // A name that is no file as it stands is told by its Windows reading.
            if (!source && !QFile::exists(name)) {
                *problem = windowsProblem;
            }
        }
        return source;
    }

    QString problem_; // of the last play()
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
    return WaveFileProblem(path).isEmpty();
}

QString WaveFileProblem(const QString& path) {
    QString problem;
    if (SoundSource::fromFile(path, &problem)) {
        return QString();
    }
    return problem.isEmpty() ? QStringLiteral("it is no playable WAVE file") : problem;
}

QString LastSoundProblem() {
    std::lock_guard lock(g_problemMutex);
    return g_lastProblem;
}

bool IsBeepPlaying() {
    return g_beepSerial.load() == SoundSerial() && IsSoundPlaying();
}

void NoteSoundProblem(const QString& problem) {
    std::lock_guard lock(g_problemMutex);
    g_lastProblem = problem;
}

void NoteBeep() {
    g_beepSerial.store(SoundSerial());
}

} // namespace platform

BOOL PlaySoundA(const QString& pszSound, HANDLE hmod, DWORD fdwSound) {
    platform::CountSoundCall();
    try {
        platform::SoundBackend& backend = platform::CurrentSoundBackend();
        // A sound refused because another is playing leaves that one alone: no beep over it.
        const bool refusedWhileBusy = (fdwSound & SND_NOSTOP) && backend.isPlaying();
        const BOOL started = backend.play(pszSound, hmod, fdwSound);
        if (!pszSound.isEmpty()) {
            platform::NoteSoundProblem(started ? QString() : backend.problem());
        }
        if (!started && !pszSound.isEmpty() && !(fdwSound & SND_NODEFAULT) && !refusedWhileBusy) {
            backend.beep();
            platform::NoteBeep();
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
        platform::NoteBeep();
        return TRUE_;
    } catch (...) {
        return FALSE_;
    }
}
