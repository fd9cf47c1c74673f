#pragma once
// Sound playback: PlaySoundA and MessageBeep over ALSA.
//
// PlaySoundA plays WAVE data asynchronously, one sound at a time: a new sound stops the one
// still playing, and a call without a sound name stops playback. The call reads and checks the
// WAVE data and opens the ALSA device before it returns, so its result says whether the sound
// started. The sound itself plays on a worker thread; the caller never waits for it to end.
//
// The ALSA device is "default", or the one named by the environment variable
// TALLIX_ALSA_DEVICE (tests use "null").
#include "wintypes.h"

#include <QByteArray>
#include <QString>
#include <cstdint>

constexpr DWORD SND_SYNC = 0x0;
constexpr DWORD SND_ASYNC = 0x1;
constexpr DWORD SND_NODEFAULT = 0x2;
constexpr DWORD SND_MEMORY = 0x4;
constexpr DWORD SND_LOOP = 0x8;
constexpr DWORD SND_NOSTOP = 0x10;
constexpr DWORD SND_NOWAIT = 0x2000;
constexpr DWORD SND_ALIAS = 0x10000;
constexpr DWORD SND_FILENAME = 0x20000;
constexpr DWORD SND_RESOURCE = 0x40004;

// Plays pszSound; hmod is the module whose resources SND_RESOURCE names.
//  - SND_RESOURCE: pszSound names an embedded recording, read from ":/wave/<pszSound>.wav".
//  - SND_FILENAME (or neither flag): pszSound is the path of a WAVE file.
//  - An empty pszSound stops any sound and returns TRUE.
//  - SND_LOOP repeats the sound until it is stopped or replaced.
//  - SND_NOSTOP fails (FALSE) while a sound is playing instead of replacing it.
// Playback is always asynchronous and never waits for a busy device. SND_MEMORY and SND_ALIAS
// name nothing this program can play and fail.
// TRUE when the sound started. When it could not start and SND_NODEFAULT is not set, the default
// beep plays instead; the result is still FALSE.
BOOL PlaySoundA(const QString& pszSound, HANDLE hmod, DWORD fdwSound);

// The default beep, whatever the type (the program passes 0): a short soft tone of our own through
// ALSA, or the desktop's bell when no sound device can be opened. It replaces a sound still
// playing.
BOOL MessageBeep(UINT uType);

namespace platform {

// The sample layout of a playable WAVE image: interleaved little-endian samples of any
// number of channels, either integers (8-bit unsigned, 16-, 24- or 32-bit signed) or IEEE
// floating point (32 or 64 bits).
struct WaveFormat {
    int channels = 0;
    int sampleRate = 0;
    int bitsPerSample = 0; // the size of a sample in the data, a whole number of bytes
    bool floatingPoint = false;

    int bytesPerFrame() const { return channels * bitsPerSample / 8; }
    bool operator==(const WaveFormat&) const = default;
};

// Reads a RIFF WAVE image. On success fills *format and *pcm (the samples, whole frames only;
// either pointer may be null) and returns true; false for anything that is not a WAVE image
// this program can play (not RIFF/WAVE, truncated or inconsistent chunks, a compressed or
// otherwise unsupported format). Samples whose chunk states more bytes than the image holds (a
// recording streamed to a pipe) are the whole frames the image holds.
bool ParseWave(const QByteArray& image, WaveFormat* format, QByteArray* pcm);

// Whether PlaySoundA can play the file at path as far as the file goes: a regular file holding
// a WAVE image ParseWave would take. Reads only the chunk headers, so it answers at once even
// for a very large file, and never waits on a FIFO or a device. (Whether a sound device is free
// is another matter.)
bool IsPlayableWaveFile(const QString& path);
// The same check, saying why: "" for a playable file, else the reason in words that follow
// "cannot be played: " ("it is a named pipe, not a regular file").
QString WaveFileProblem(const QString& path);

// Why the last PlaySoundA call with a sound name did not start it, in the same words; "" when
// it started (or the backend gave no reason).
QString LastSoundProblem();

// True while a sound started by PlaySoundA or MessageBeep is still playing.
bool IsSoundPlaying();
// True while the sound playing is the default beep (MessageBeep, or PlaySoundA's stand-in for a
// sound that did not start).
bool IsBeepPlaying();

// Counts the PlaySoundA and MessageBeep calls (stops included). A caller that notes the count
// right after starting a sound can later tell whether another call has taken its place.
std::uint32_t SoundSerial();

// What the sound calls work on. The program uses the ALSA player; tests install a fake.
class SoundBackend {
public:
    virtual ~SoundBackend() = default;
    // PlaySoundA as documented above, without the default-beep fallback (PlaySoundA adds that
    // by calling beep()). An empty name stops playback and answers TRUE.
    virtual BOOL play(const QString& name, HANDLE hmod, DWORD flags) = 0;
    // The default beep.
    virtual void beep() = 0;
    virtual bool isPlaying() = 0;
    // Why the last play() answered FALSE; "" when it does not know.
    virtual QString problem() { return QString(); }
};

// The backend in use: the ALSA player unless a test installed its own. Installing nullptr goes
// back to the ALSA player. The installed backend is not owned.
SoundBackend& CurrentSoundBackend();
void InstallSoundBackend(SoundBackend* backend);

} // namespace platform
