#include "sound_alsa.h"
#include "filesync.h"

#include <QApplication>
#include <QFile>
#include <QLoggingCategory>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <vector>

#include <alsa/asoundlib.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/stat.h>
#include <unistd.h>

Q_LOGGING_CATEGORY(lcSound, "tallix.sound", QtWarningMsg)

namespace platform {

namespace {

constexpr unsigned kLatencyMicroseconds = 100000; // device buffer: a tenth of a second
constexpr snd_pcm_uframes_t kChunkFrames = 4096;
constexpr int kPollTimeoutMs = 200;

// alsa-lib prints its complaints to stderr by default; a missing sound card is an ordinary
// state here, so its messages go to our debug log instead.
void quietAlsaError(const char* file, int line, const char* function, int err, const char* fmt,
                    ...) {
    if (!lcSound().isDebugEnabled()) {
        return;
    }
    char text[512];
    va_list args;
    va_start(args, fmt);
    std::vsnprintf(text, sizeof text, fmt, args);
    va_end(args);
    qCDebug(lcSound, "ALSA %s:%d (%s): %s (%d)", file, line, function, text, err);
}

qint64 readFully(int fd, qint64 offset, char* buffer, qint64 len) {
    qint64 done = 0;
    while (done < len) {
        const ssize_t n = ::pread(fd, buffer + done, static_cast<size_t>(len - done),
                                  static_cast<off_t>(offset + done));
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return -1;
        }
        if (n == 0) {
            break;
        }
        done += n;
    }
    return done;
}

snd_pcm_format_t alsaFormat(const WaveFormat& format) {
    if (format.floatingPoint) {
        return format.bitsPerSample == 64 ? SND_PCM_FORMAT_FLOAT64_LE : SND_PCM_FORMAT_FLOAT_LE;
    }
    switch (format.bitsPerSample) {
    case 8:
        return SND_PCM_FORMAT_U8;
    case 16:
        return SND_PCM_FORMAT_S16_LE;
    case 24:
        return SND_PCM_FORMAT_S24_3LE;
    default:
        return SND_PCM_FORMAT_S32_LE;
    }
}

// Opens the device and sets it up for the format; nullptr when it cannot be opened or refuses
// the format (then *refused is set).
snd_pcm_t* openDevice(const QByteArray& device, const WaveFormat& format, bool* refused,
                      QString* problem) {
    snd_pcm_t* pcm = nullptr;
    // Non-blocking: a device held by another program fails the call instead of stalling it.
    int err = snd_pcm_open(&pcm, device.constData(), SND_PCM_STREAM_PLAYBACK, SND_PCM_NONBLOCK);
    if (err < 0) {
        qCInfo(lcSound, "cannot open sound device %s: %s", device.constData(), snd_strerror(err));
        *problem =
            QStringLiteral("the sound device %1 cannot be opened (%2)")
                .arg(QString::fromLocal8Bit(device), QString::fromLocal8Bit(snd_strerror(err)));
        return nullptr;
    }
    err = snd_pcm_set_params(pcm, alsaFormat(format), SND_PCM_ACCESS_RW_INTERLEAVED,
                             static_cast<unsigned>(format.channels),
                             static_cast<unsigned>(format.sampleRate), 1, kLatencyMicroseconds);
    if (err < 0) {
        qCInfo(lcSound, "sound device %s refuses %d Hz, %d bits%s, %d channels: %s",
               device.constData(), format.sampleRate, format.bitsPerSample,
               format.floatingPoint ? " float" : "", format.channels, snd_strerror(err));
        *problem = QStringLiteral("the sound device %1 refuses %2 Hz, %3 bits%4, %5 channels (%6)")
                       .arg(QString::fromLocal8Bit(device))
                       .arg(format.sampleRate)
                       .arg(format.bitsPerSample)
                       .arg(format.floatingPoint ? QStringLiteral(" float") : QString())
                       .arg(format.channels)
                       .arg(QString::fromLocal8Bit(snd_strerror(err)));
        snd_pcm_close(pcm);
        *refused = true;
        return nullptr;
    }
    return pcm;
}

QString systemError(int err) {
    return QString::fromLocal8Bit(std::strerror(err));
}

// Wakes the worker of a job from its poll.
void signalEvent(int fd) {
    const uint64_t one = 1;
    ssize_t n;
    do {
        n = ::write(fd, &one, sizeof one);
    } while (n < 0 && errno == EINTR);
}

} // namespace

// ---- SoundSource -------------------------------------------------------------------------

SoundSource::~SoundSource() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

qint64 SoundSource::readImage(qint64 offset, char* buffer, qint64 len) const {
    if (offset < 0 || offset > size_ || len < 0) {
        return -1;
    }
    len = std::min(len, size_ - offset);
    if (fd_ >= 0) {
        return readFully(fd_, offset, buffer, len);
    }
    std::memcpy(buffer, image_.constData() + offset, static_cast<size_t>(len));
    return len;
}

qint64 SoundSource::readSamples(qint64 pos, char* buffer, qint64 len) const {
    if (pos < 0 || pos > layout_.dataBytes) {
        return -1;
    }
    return readImage(layout_.dataOffset + pos, buffer, std::min(len, layout_.dataBytes - pos));
}

bool SoundSource::locate(QString* problem) {
    const WaveReader read = [this](qint64 offset, char* buffer, qint64 len) {
        return readImage(offset, buffer, len);
    };
    return LocateWaveData(read, size_, &layout_, problem);
}

std::unique_ptr<SoundSource> SoundSource::fromImage(const QByteArray& image) {
    std::unique_ptr<SoundSource> source(new SoundSource);
    source->image_ = image;
    source->size_ = image.size();
    if (!source->locate(nullptr)) {
        return nullptr;
    }
    return source;
}

std::unique_ptr<SoundSource> SoundSource::fromFile(const QString& path, QString* problem) {
    const auto refuse = [problem](const QString& why) {
        if (problem) {
            *problem = why;
        }
        return nullptr;
    };
    if (path.isEmpty()) {
        return refuse(QStringLiteral("no file is named"));
    }
    // Only regular files are played, and nothing here may wait: opening a FIFO waits for a
    // writer and opening a device may wait on the device, so the kind of file is looked at
    // before it is opened, and again (without waiting) on what was opened.
    const QByteArray name = QFile::encodeName(path);
    struct stat st {};
    if (::stat(name.constData(), &st) != 0) {
        const int err = errno;
        return refuse(QStringLiteral("it cannot be read (%1)").arg(systemError(err)));
    }
    if (!S_ISREG(st.st_mode)) {
        return refuse(QStringLiteral("it is %1, not a regular file").arg(FileKindText(st.st_mode)));
    }
    const int fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        const int err = errno;
        return refuse(QStringLiteral("it cannot be opened (%1)").arg(systemError(err)));
    }
    std::unique_ptr<SoundSource> source(new SoundSource);
    source->fd_ = fd;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        return refuse(QStringLiteral("it is no longer a regular file"));
    }
    source->size_ = st.st_size;
    if (!source->locate(problem)) {
        return nullptr;
    }
    return source;
}

std::unique_ptr<SoundSource> SoundSource::beepTone() {
    // 150 ms of 880 Hz, 16-bit mono, with a short rise and a longer fall so it does not click.
    constexpr int kRate = 48000;
    constexpr int kFrames = kRate * 150 / 1000;
    constexpr int kRise = kRate * 8 / 1000;
    constexpr int kFall = kRate * 70 / 1000;
    constexpr double kFrequency = 880.0;
    constexpr double kAmplitude = 0.3 * 32767.0;
    constexpr double kPi = 3.14159265358979323846;

    std::unique_ptr<SoundSource> source(new SoundSource);
    source->image_.resize(kFrames * 2);
    auto* out = reinterpret_cast<unsigned char*>(source->image_.data());
    for (int i = 0; i < kFrames; ++i) {
        double envelope = 1.0;
        if (i < kRise) {
            envelope = 0.5 - 0.5 * std::cos(kPi * i / kRise);
        } else if (i >= kFrames - kFall) {
            envelope = 0.5 + 0.5 * std::cos(kPi * (i - (kFrames - kFall)) / kFall);
        }
        const double value = kAmplitude * envelope * std::sin(2.0 * kPi * kFrequency * i / kRate);
        const auto sample = static_cast<std::int16_t>(std::lround(value));
        out[2 * i] = static_cast<unsigned char>(sample & 0xFF);
        out[2 * i + 1] = static_cast<unsigned char>((sample >> 8) & 0xFF);
    }
    source->size_ = source->image_.size();
    source->layout_.format = WaveFormat{1, kRate, 16};
    source->layout_.dataOffset = 0;
    source->layout_.dataBytes = source->size_;
    return source;
}

// ---- AlsaPlayer --------------------------------------------------------------------------

struct AlsaPlayer::Job {
    snd_pcm_t* pcm = nullptr;
    std::unique_ptr<SoundSource> source;
    bool loop = false;
    int wakeFd = -1;
    std::atomic<bool> stopRequested{false};
    std::atomic<bool> finished{false};

    ~Job() {
        if (pcm) {
            snd_pcm_close(pcm);
        }
        if (wakeFd >= 0) {
            ::close(wakeFd);
        }
    }
};

AlsaPlayer::AlsaPlayer() {
    lcSound(); // made before the player, so it is still there when the player goes
    snd_lib_error_set_handler(&quietAlsaError);
}

AlsaPlayer::~AlsaPlayer() {
    // At process exit: end the sound and its thread before the process goes away.
    stop();
    snd_lib_error_set_handler(nullptr);
}

AlsaPlayer& AlsaPlayer::instance() {
    static AlsaPlayer player;
    return player;
}

bool AlsaPlayer::isPlaying() {
    std::lock_guard lock(mutex_);
    return job_ && !job_->finished.load();
}

void AlsaPlayer::stop() {
    std::lock_guard lock(mutex_);
    if (!job_) {
        return;
    }
    job_->stopRequested.store(true);
    signalEvent(job_->wakeFd);
    if (worker_.joinable()) {
        worker_.join();
    }
    job_.reset(); // closes the device
}

bool AlsaPlayer::start(std::unique_ptr<SoundSource> source, bool loop, QString* problem) {
    QString why;
    const auto fail = [&] {
        if (problem) {
            *problem = why;
        }
        return false;
    };
    if (!source) {
        why = QStringLiteral("there is no sound");
        return fail();
    }
    const QByteArray device = SoundDeviceName().toLocal8Bit();
    auto job = std::make_shared<Job>();
    bool refused = false;
    job->pcm = openDevice(device, source->format(), &refused, &why);
    // A device that takes only some sample formats, rates or channel counts (a card's own
    // "hw" device) plays the rest through ALSA's converting plug-in.
    if (refused && !device.startsWith("plug") && !device.contains('\'')) {
        job->pcm = openDevice("plug:'" + device + '\'', source->format(), &refused, &why);
    }
    if (!job->pcm) {
        return fail();
    }
    job->wakeFd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (job->wakeFd < 0) {
        const int err = errno;
        why = QStringLiteral("no event descriptor (%1)").arg(systemError(err));
        return fail();
    }
    job->source = std::move(source);
    job->loop = loop;

    std::lock_guard lock(mutex_);
    if (job_) {
        // the caller did not stop the previous sound; keep it rather than leak it
        why = QStringLiteral("another sound is playing");
        return fail();
    }
    try {
        worker_ = std::thread(&AlsaPlayer::run, job.get());
    } catch (const std::exception&) {
        why = QStringLiteral("no thread to play it on");
        return fail();
    }
    job_ = std::move(job);
    return true;
}

void AlsaPlayer::run(Job* job) {
    snd_pcm_t* pcm = job->pcm;
    const SoundSource& source = *job->source;
    const qint64 frameBytes = source.format().bytesPerFrame();
    const qint64 dataBytes = source.dataBytes();
    std::vector<char> buffer(kChunkFrames * static_cast<size_t>(frameBytes));

    // The wake-up event first, then the device's own descriptors.
    const int deviceFds = std::max(0, snd_pcm_poll_descriptors_count(pcm));
    std::vector<pollfd> fds(static_cast<size_t>(deviceFds) + 1);
    fds[0] = pollfd{job->wakeFd, POLLIN, 0};
    const int usedFds =
        deviceFds > 0 ? snd_pcm_poll_descriptors(pcm, fds.data() + 1, deviceFds) : 0;

    // Waits for the device (or only for the wake-up event when device is false) up to
    // timeoutMs; false when a stop was requested.
    auto wait = [&](bool device, int timeoutMs) {
        const nfds_t count = device ? static_cast<nfds_t>(usedFds) + 1 : 1;
        int n;
        do {
            n = ::poll(fds.data(), count, timeoutMs);
        } while (n < 0 && errno == EINTR);
        if (job->stopRequested.load() || (n > 0 && (fds[0].revents & POLLIN))) {
            return false;
        }
        if (device && n > 0) {
            unsigned short revents = 0;
            snd_pcm_poll_descriptors_revents(pcm, fds.data() + 1, static_cast<unsigned>(usedFds),
                                             &revents);
        }
        return true;
    };

    qint64 pos = 0;
    bool failed = false;
    while (!job->stopRequested.load()) {
        if (pos >= dataBytes) {
            if (job->loop && dataBytes > 0) {
                pos = 0;
            } else {
                break;
            }
        }
        snd_pcm_sframes_t avail = snd_pcm_avail_update(pcm);
        if (avail < 0) {
            // An underrun (the worker fell behind) or a suspended device: pick up again.
            if (snd_pcm_recover(pcm, static_cast<int>(avail), 1) < 0) {
                failed = true;
                break;
            }
            continue;
        }
        if (avail == 0) {
            if (!wait(true, kPollTimeoutMs)) {
                break;
            }
            continue;
        }
        const qint64 frames =
            std::min<qint64>({static_cast<qint64>(avail), static_cast<qint64>(kChunkFrames),
                              (dataBytes - pos) / frameBytes});
        const qint64 got = source.readSamples(pos, buffer.data(), frames * frameBytes);
        if (got < frameBytes) {
            failed = true; // the file shrank or could not be read
            break;
        }
        const snd_pcm_sframes_t written =
            snd_pcm_writei(pcm, buffer.data(), static_cast<snd_pcm_uframes_t>(got / frameBytes));
        if (written == -EAGAIN) {
            continue;
        }
        if (written < 0) {
            if (snd_pcm_recover(pcm, static_cast<int>(written), 1) < 0) {
                failed = true;
                break;
            }
            continue;
        }
        pos += written * frameBytes;
    }

    if (!failed && !job->stopRequested.load()) {
        // All written: a sound shorter than the device buffer has not started yet. Then let
        // what the device holds play out, still answering a stop at once.
        if (snd_pcm_state(pcm) == SND_PCM_STATE_PREPARED) {
            snd_pcm_start(pcm);
        }
        const int rate = source.format().sampleRate;
        while (snd_pcm_state(pcm) == SND_PCM_STATE_RUNNING) {
            snd_pcm_sframes_t delay = 0;
            if (snd_pcm_delay(pcm, &delay) < 0 || delay <= 0) {
                break;
            }
            const int ms = static_cast<int>(std::clamp<qint64>(delay * 1000 / rate + 1, 1, 50));
            if (!wait(false, ms)) {
                break;
            }
        }
    }
    // Give the device back as soon as the sound is over.
    snd_pcm_drop(pcm);
    snd_pcm_close(pcm);
    job->pcm = nullptr;
    job->finished.store(true);
}

QString SoundDeviceName() {
    const QString device = qEnvironmentVariable("TALLIX_ALSA_DEVICE");
    return device.isEmpty() ? QStringLiteral("default") : device;
}

void RingDesktopBell() {
    // The bell belongs to a running desktop application; there is none in a command-line run.
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        QApplication::beep();
    }
}

} // namespace platform
