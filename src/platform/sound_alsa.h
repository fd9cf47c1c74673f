#pragma once
// The ALSA player behind PlaySoundA: one sound at a time, each on its own worker thread.
#include "sound_wave.h"

#include <QByteArray>
#include <QString>
#include <memory>
#include <mutex>
#include <thread>

namespace platform {

// The samples of one sound: a WAVE image in memory, or a WAVE file read as it plays.
class SoundSource {
public:
    ~SoundSource();
    SoundSource(const SoundSource&) = delete;
    SoundSource& operator=(const SoundSource&) = delete;

    // Null when the image or file is not a playable WAVE; then *problem (when given) says why.
    // Only a regular file is read, and looking at the path never waits: a FIFO or a device
    // named as a sound file is refused.
    static std::unique_ptr<SoundSource> fromImage(const QByteArray& image);
    static std::unique_ptr<SoundSource> fromFile(const QString& path, QString* problem = nullptr);
    // The default beep: a short soft tone.
    static std::unique_ptr<SoundSource> beepTone();

    const WaveFormat& format() const { return layout_.format; }
    qint64 dataBytes() const { return layout_.dataBytes; }
    // Reads up to len bytes of samples from position pos; the number read, -1 on error.
    qint64 readSamples(qint64 pos, char* buffer, qint64 len) const;

private:
    SoundSource() = default;
    qint64 readImage(qint64 offset, char* buffer, qint64 len) const;
    // Finds the format and the samples in what was read; false when it is no playable WAVE.
    bool locate(QString* problem);

    QByteArray image_; // when in memory
    int fd_ = -1;      // when streamed from a file
    qint64 size_ = 0;
    WaveLayout layout_;
};

class AlsaPlayer {
public:
    static AlsaPlayer& instance();
    ~AlsaPlayer();

    // Opens the device for the source's format and hands the source to a new worker thread;
    // false when the device cannot be opened or set up (then *problem, when given, says why).
    // The caller stops the previous sound first.
    bool start(std::unique_ptr<SoundSource> source, bool loop, QString* problem = nullptr);
    // Ends the current sound at once and waits for its worker (a few milliseconds).
    void stop();
    bool isPlaying();

private:
    struct Job;
    AlsaPlayer();
    static void run(Job* job);

    std::mutex mutex_;
    std::thread worker_;
    std::shared_ptr<Job> job_;
};

// The device PlaySoundA opens: $TALLIX_ALSA_DEVICE, else "default".
QString SoundDeviceName();

// The desktop's own bell, for when no sound device can be opened.
void RingDesktopBell();

} // namespace platform
