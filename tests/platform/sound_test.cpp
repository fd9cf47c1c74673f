#include "core/audio.h"
#include "core/settings.h"
#include "fakes/child_process.h"
#include "fakes/fake_sound.h"
#include "platform/sound.h"
#include "platform/sound_wave.h"

#include "runtime/App.h"

#include <QByteArray>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <alsa/asoundlib.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// ---- building WAVE images -----------------------------------------------------------------

void put16(QByteArray& b, quint32 v) {
    b.append(char(v & 0xFF)).append(char((v >> 8) & 0xFF));
}
void put32(QByteArray& b, quint32 v) {
    put16(b, v & 0xFFFF);
    put16(b, v >> 16);
}

QByteArray chunk(const char* id, const QByteArray& body, qint64 statedSize = -1) {
    QByteArray c(id, 4);
    put32(c, quint32(statedSize < 0 ? body.size() : statedSize));
    c += body;
    if (body.size() % 2) {
        c.append('\0');
    }
    return c;
}

struct Fmt {
    Fmt(int tag = 1, int channels = 1, int rate = 8000, int bits = 16, int blockAlign = -1,
        QByteArray subFormat = {})
        : tag(tag), channels(channels), rate(rate), bits(bits), blockAlign(blockAlign),
          subFormat(std::move(subFormat)) {}
    int tag;
    int channels;
    int rate;
    int bits;
    int blockAlign; // -1: consistent with channels and bits
    QByteArray subFormat;
};

QByteArray fmtBody(const Fmt& f) {
    QByteArray b;
    const int align = f.blockAlign >= 0 ? f.blockAlign : f.channels * f.bits / 8;
    put16(b, quint32(f.tag));
    put16(b, quint32(f.channels));
    put32(b, quint32(f.rate));
    put32(b, quint32(f.rate * align));
    put16(b, quint32(align));
    put16(b, quint32(f.bits));
    if (f.tag == 0xFFFE) {
        put16(b, 22);
        put16(b, quint32(f.bits));
        put32(b, f.channels == 2 ? 3 : 4);
        b += f.subFormat;
    }
    return b;
}

QByteArray riff(const QByteArray& chunks) {
    QByteArray b("RIFF");
    put32(b, quint32(4 + chunks.size()));
    return b + "WAVE" + chunks;
}

QByteArray samples(int bytes) {
    QByteArray b;
    for (int i = 0; i < bytes; ++i) {
        b.append(char((i * 37 + 11) & 0xFF));
    }
    return b;
}

QByteArray simpleWave(const Fmt& f, const QByteArray& pcm) {
    return riff(chunk("fmt ", fmtBody(f)) + chunk("data", pcm));
}

const QByteArray kPcmGuid = QByteArray::fromHex("0100000000001000800000aa00389b71");
const QByteArray kFloatGuid = QByteArray::fromHex("0300000000001000800000aa00389b71");

// ---- ParseWave ----------------------------------------------------------------------------

struct ParseCase {
    const char* what;
    QByteArray image;
    bool ok;
    platform::WaveFormat format; // when ok
    QByteArray pcm;              // when ok
};

std::vector<ParseCase> parseCases() {
    const QByteArray pcm12 = samples(12);
    const QByteArray oddList = chunk("LIST", QByteArray("abc")); // 3 bytes and a pad byte
    const QByteArray emptyList = chunk("LIST", QByteArray());
    std::vector<ParseCase> cases = {
        {"8-bit mono", simpleWave({1, 1, 8000, 8}, pcm12), true, {1, 8000, 8}, pcm12},
        {"8-bit stereo", simpleWave({1, 2, 22050, 8}, pcm12), true, {2, 22050, 8}, pcm12},
        {"16-bit mono", simpleWave({1, 1, 16000, 16}, pcm12), true, {1, 16000, 16}, pcm12},
        {"16-bit stereo", simpleWave({1, 2, 44100, 16}, pcm12), true, {2, 44100, 16}, pcm12},
        {"extensible PCM",
         simpleWave({0xFFFE, 2, 48000, 16, -1, kPcmGuid}, pcm12),
         true,
         {2, 48000, 16},
         pcm12},
        {"odd-sized chunks skipped with their pad byte",
         riff(oddList + chunk("fmt ", fmtBody({1, 1, 8000, 8})) + oddList + chunk("data", pcm12)),
         true,
         {1, 8000, 8},
         pcm12},
        {"samples before the format",
         riff(chunk("data", pcm12) + chunk("fmt ", fmtBody({1, 2, 8000, 16}))),
         true,
         {2, 8000, 16},
         pcm12},
        {"partial last frame dropped",
         simpleWave({1, 2, 8000, 16}, samples(10)),
         true,
         {2, 8000, 16},
         samples(8)},
        {"odd data at the very end without its pad byte",
         riff(chunk("fmt ", fmtBody({1, 1, 8000, 8})) + chunk("data", samples(5))).chopped(1),
         true,
         {1, 8000, 8},
         samples(5)},
        {"24-bit mono", simpleWave({1, 1, 8000, 24}, pcm12), true, {1, 8000, 24}, pcm12},
        {"32-bit stereo",
         simpleWave({1, 2, 48000, 32}, pcm12.left(8)),
         true,
         {2, 48000, 32},
         pcm12.left(8)},
        {"three channels", simpleWave({1, 3, 8000, 16}, pcm12), true, {3, 8000, 16}, pcm12},
        {"float mono", simpleWave({3, 1, 8000, 32}, pcm12), true, {1, 8000, 32, true}, pcm12},
        {"double precision stereo",
         simpleWave({3, 2, 44100, 64}, samples(32)),
         true,
         {2, 44100, 64, true},
         samples(32)},
        {"extensible float",
         simpleWave({0xFFFE, 2, 48000, 32, -1, kFloatGuid}, pcm12),
         true,
         {2, 48000, 32, true},
         pcm12.left(8)},
        {"extensible 24-bit, six channels",
         simpleWave({0xFFFE, 6, 48000, 24, -1, kPcmGuid}, samples(36)),
         true,
         {6, 48000, 24},
         samples(36)},
        {"empty", QByteArray(), false, {}, {}},
        {"truncated header", simpleWave({}, pcm12).left(10), false, {}, {}},
        {"truncated inside the format", simpleWave({}, pcm12).left(30), false, {}, {}},
        {"not RIFF", QByteArray("RIFX") + simpleWave({}, pcm12).mid(4), false, {}, {}},
        {"RIFF but not WAVE",
         QByteArray(simpleWave({}, pcm12)).replace(8, 4, "AVI "),
         false,
         {},
         {}},
        {"compressed (ADPCM)", simpleWave({2, 1, 8000, 4, 256}, pcm12), false, {}, {}},
        {"16-bit float", simpleWave({3, 1, 8000, 16}, pcm12), false, {}, {}},
        {"extensible 16-bit float",
         simpleWave({0xFFFE, 2, 48000, 16, -1, kFloatGuid}, pcm12),
         false,
         {},
         {}},
        {"extensible of another kind",
         simpleWave({0xFFFE, 1, 8000, 16, -1, QByteArray::fromHex("0200") + kPcmGuid.mid(2)},
                    pcm12),
         false,
         {},
         {}},
        {"12-bit", simpleWave({1, 1, 8000, 12, 2}, pcm12), false, {}, {}},
        {"zero channels", simpleWave({1, 0, 8000, 16, 2}, pcm12), false, {}, {}},
        {"65 channels", simpleWave({1, 65, 8000, 8}, samples(130)), false, {}, {}},
        {"less than one frame of samples", simpleWave({1, 2, 8000, 16}, samples(3)), false, {}, {}},
        // A tagger that found nothing to say leaves an empty LIST: passed over like the rest.
        {"an empty chunk before the data",
         riff(chunk("fmt ", fmtBody({})) + emptyList + chunk("data", pcm12)),
         true,
         {1, 8000, 16},
         pcm12},
        {"an empty chunk first, then an odd-sized one with its pad byte",
         riff(emptyList + chunk("fmt ", fmtBody({1, 2, 8000, 8})) + oddList + emptyList +
              chunk("data", pcm12)),
         true,
         {2, 8000, 8},
         pcm12},
        {"an empty format", riff(chunk("fmt ", {}) + chunk("data", pcm12)), false, {}, {}},
        {"empty samples", riff(chunk("fmt ", fmtBody({})) + chunk("data", {})), false, {}, {}},
        {"empty samples, then more",
         riff(chunk("fmt ", fmtBody({})) + chunk("data", {}) + chunk("data", pcm12)),
         false,
         {},
         {}},
        {"zero rate", simpleWave({1, 1, 0, 16}, pcm12), false, {}, {}},
        {"block size disagrees", simpleWave({1, 2, 8000, 16, 2}, pcm12), false, {}, {}},
        {"format chunk too short",
         riff(chunk("fmt ", fmtBody({}).left(14)) + chunk("data", pcm12)),
         false,
         {},
         {}},
        {"no format chunk", riff(chunk("data", pcm12)), false, {}, {}},
        {"no data chunk", riff(chunk("fmt ", fmtBody({}))), false, {}, {}},
        {"data chunk past the end: what the file holds",
         riff(chunk("fmt ", fmtBody({})) + chunk("data", pcm12, 4000)),
         true,
         {1, 8000, 16},
         pcm12},
        {"chunk before the data past the end",
         riff(chunk("fmt ", fmtBody({})) + chunk("LIST", pcm12, 100000) + chunk("data", pcm12)),
         false,
         {},
         {}},
    };
    return cases;
}

TEST(ParseWave, ReadsPlayableImagesAndRejectsTheRest) {
    for (const ParseCase& c : parseCases()) {
        SCOPED_TRACE(c.what);
        platform::WaveFormat format;
        QByteArray pcm("untouched");
        const bool ok = platform::ParseWave(c.image, &format, &pcm);
        ASSERT_EQ(ok, c.ok);
        if (ok) {
            EXPECT_EQ(format, c.format);
            EXPECT_EQ(pcm, c.pcm);
        }
    }
}

// An image of 2 GB that is a WAVE header and then nothing but the same bytes over and over,
// read through a reader that counts its calls (and gives up after 100,000, so a walk that
// would read the whole image still ends here).
struct EndlessImage {
    QByteArray head;
    QByteArray pattern; // what follows the head, repeated
    int reads = 0;
    static constexpr qint64 kSize = qint64(2) << 30;

    bool locate() {
        const platform::WaveReader read = [this](qint64 offset, char* buffer, qint64 len) {
            if (++reads > 100000) {
                return qint64(-1);
            }
            for (qint64 i = 0; i < len; ++i) {
                const qint64 at = offset + i;
                buffer[i] =
                    at < head.size() ? head[at] : pattern[(at - head.size()) % pattern.size()];
            }
            return len;
        };
        platform::WaveLayout layout;
        return platform::LocateWaveData(read, kSize, &layout);
    }
};

// A recorder writing to a pipe cannot go back to set its sizes, and states the largest instead;
// the samples it wrote are what the file holds, in whole frames. Only the samples may run past
// the end: a format chunk that does is refused, with the reason.
TEST(LocateWaveData, SamplesThatRunPastTheEndAreWhatTheFileHolds) {
    const QByteArray fmt16 = chunk("fmt ", fmtBody({1, 1, 8000, 16}));
    const auto streamed = [](quint32 stated, const QByteArray& pcm) {
        QByteArray b("data");
        put32(b, stated);
        return b + pcm;
    };
    const struct {
        const char* what;
        QByteArray image;
        qint64 dataBytes; // -1: refused
        const char* problem;
    } cases[] = {
        {"0x7FFFFFFF", riff(fmt16 + streamed(0x7FFFFFFF, samples(100))), 100, ""},
        {"0xFFFFFFFF", riff(fmt16 + streamed(0xFFFFFFFF, samples(100))), 100, ""},
        {"the exact size", riff(fmt16 + streamed(100, samples(100))), 100, ""},
        {"an odd byte at the end", riff(fmt16 + streamed(0x7FFFFFFF, samples(101))), 100, ""},
        {"the samples before the format", riff(streamed(0x7FFFFFFF, samples(100)) + fmt16), -1,
         "no \"fmt \" chunk"},
        {"not one frame", riff(fmt16 + streamed(0xFFFFFFFF, samples(1))), -1,
         "less than one sample"},
        {"a format past the end", riff(chunk("fmt ", fmtBody({}), 0x7FFFFFFF)), -1,
         "\"fmt \" chunk runs past the end"},
        {"a list past the end",
         riff(fmt16 + chunk("LIST", "ab", 0xFFFFFFFF) + streamed(100, samples(100))), -1,
         "\"LIST\" chunk runs past the end"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const platform::WaveReader read = [&](qint64 offset, char* buffer, qint64 len) {
            const qint64 n = std::min<qint64>(len, c.image.size() - offset);
            std::memcpy(buffer, c.image.constData() + offset, size_t(n));
            return n;
        };
        platform::WaveLayout layout;
        QString problem;
        const bool ok = platform::LocateWaveData(read, c.image.size(), &layout, &problem);
        ASSERT_EQ(ok, c.dataBytes >= 0) << problem.toStdString();
        if (ok) {
            EXPECT_EQ(layout.dataBytes, c.dataBytes);
            EXPECT_EQ(c.image.mid(layout.dataOffset, layout.dataBytes), samples(int(c.dataBytes)));
        } else {
            EXPECT_TRUE(problem.contains(QLatin1String(c.problem))) << problem.toStdString();
        }
    }
}

TEST(LocateWaveData, AHugeFileThatIsNoRecordingIsRefusedAfterAFewReads) {
    const QByteArray head = riff(chunk("fmt ", fmtBody({})));
    const struct {
        const char* what;
        QByteArray pattern;
    } cases[] = {
        {"zeros after the header", QByteArray(1, '\0')},
        {"chunks of two bytes after the header", chunk("junk", "ab")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EndlessImage image{head, c.pattern};
        EXPECT_FALSE(image.locate());
        EXPECT_LT(image.reads, 2100);
    }
}

// ---- PlaySoundA through the fake ------------------------------------------------------------

TEST(FakeSound, RecordsCallsAndBeepsOnlyWithoutNoDefault) {
    FakeSound fake;
    fake.failingNames = {"MISSING"};

    EXPECT_EQ(PlaySoundA("ALFATIHA", 7, 0x42007), TRUE_);
    EXPECT_TRUE(platform::IsSoundPlaying());
    EXPECT_EQ(PlaySoundA("MISSING", 7, 0x42007), FALSE_);
    EXPECT_EQ(fake.beeps(), 0);
    EXPECT_EQ(PlaySoundA("MISSING", 0, SND_FILENAME | SND_ASYNC), FALSE_);
    EXPECT_EQ(fake.beeps(), 1);
    EXPECT_EQ(PlaySoundA("/x/a.wav", 0, 0x22003), TRUE_);
    EXPECT_EQ(PlaySoundA("", 0, 0), TRUE_);
    EXPECT_FALSE(platform::IsSoundPlaying());
    EXPECT_EQ(MessageBeep(0), TRUE_);
    EXPECT_EQ(fake.beeps(), 2);

    const QVector<FakeSound::Call> expected = {{"ALFATIHA", 7, 0x42007},
                                               {"MISSING", 7, 0x42007},
                                               {"MISSING", 0, SND_FILENAME | SND_ASYNC},
                                               {"/x/a.wav", 0, 0x22003},
                                               {"", 0, 0}};
    EXPECT_EQ(fake.calls(), expected);
}

TEST(FakeSound, RefusalWhilePlayingLeavesTheSoundAlone) {
    FakeSound fake;
    ASSERT_EQ(PlaySoundA("ALAQSA", 1, 0x42007), TRUE_);
    EXPECT_EQ(PlaySoundA("CAIRO1", 1, SND_RESOURCE | SND_ASYNC | SND_NOSTOP), FALSE_);
    EXPECT_EQ(fake.beeps(), 0);
    EXPECT_EQ(fake.playingName(), "ALAQSA");
}

TEST(FakeSound, UninstallsItselfOnDestruction) {
    {
        FakeSound fake;
        EXPECT_EQ(&platform::CurrentSoundBackend(), &fake);
    }
    EXPECT_EQ(dynamic_cast<FakeSound*>(&platform::CurrentSoundBackend()), nullptr);
}

// ---- PlaySoundA through ALSA ----------------------------------------------------------------

bool waitUntilSilent(int ms) {
    QDeadlineTimer deadline(ms);
    while (platform::IsSoundPlaying() && !deadline.hasExpired()) {
        QThread::msleep(5);
    }
    return !platform::IsSoundPlaying();
}

class AlsaSound : public ::testing::Test {
protected:
    void SetUp() override {
        platform::InstallSoundBackend(nullptr);
        savedDevice_ = qgetenv("TALLIX_ALSA_DEVICE");
        qputenv("TALLIX_ALSA_DEVICE", "null");
        ASSERT_TRUE(dir_.isValid());
    }
    void TearDown() override {
        PlaySoundA("", 0, 0);
        if (savedDevice_.isNull()) {
            qunsetenv("TALLIX_ALSA_DEVICE");
        } else {
            qputenv("TALLIX_ALSA_DEVICE", savedDevice_);
        }
    }

    // ALSA's null device takes every sample and plays none; its definition is in alsa.conf.
    static constexpr const char* kNoNullDevice =
        "ALSA's null device cannot be opened: these tests need the Debian package "
        "libasound2-data (make test installs it)";
    static bool nullDeviceOpens() {
        snd_pcm_t* pcm = nullptr;
        if (snd_pcm_open(&pcm, "null", SND_PCM_STREAM_PLAYBACK, SND_PCM_NONBLOCK) < 0) {
            return false;
        }
        snd_pcm_close(pcm);
        return true;
    }

    QString writeFile(const QString& name, const QByteArray& data) {
        const QString path = dir_.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(data);
        return path;
    }

    // Seconds of a 440 Hz-ish ramp, enough that the null device takes a while to swallow it.
    static QByteArray toneWave(const Fmt& f, int seconds) {
        return simpleWave(f, samples(f.rate * f.channels * f.bits / 8 * seconds));
    }

    QTemporaryDir dir_;
    QByteArray savedDevice_;
};

TEST_F(AlsaSound, FilesThatCannotPlayFailWithAndWithoutNoDefault) {
    const QString corrupt = writeFile("corrupt.wav", QByteArray("RIFF\x10\0\0\0WAVEjunkjunk", 20));
    const QString compressed =
        writeFile("adpcm.wav", simpleWave({2, 1, 8000, 4, 256}, samples(64)));
    const QString fifo = dir_.filePath("fifo.wav");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);

    const struct {
        const char* what;
        QString name;
        DWORD flags;
    } cases[] = {
        {"missing file", dir_.filePath("nothing.wav"), 0},
        {"corrupt file", corrupt, 0},
        {"compressed file", compressed, 0},
        {"a folder", dir_.path(), 0},
        {"a FIFO (must not hang)", fifo, 0},
        {"missing recording", "NO_SUCH_RECORDING", SND_RESOURCE},
        {"a sound alias", "SystemAsterisk", SND_ALIAS},
    };
    for (const auto& c : cases) {
        for (DWORD noDefault : {DWORD(0), SND_NODEFAULT}) {
            SCOPED_TRACE(std::string(c.what) + (noDefault ? " (no default)" : ""));
            const DWORD flags =
                (c.flags ? c.flags : SND_FILENAME) | SND_ASYNC | SND_NOWAIT | noDefault;
            EXPECT_EQ(PlaySoundA(c.name, 1, flags), FALSE_);
        }
    }
}

TEST_F(AlsaSound, NoDeviceMeansNotStarted) {
    const QString good = writeFile("good.wav", toneWave({1, 1, 8000, 16}, 1));
    qputenv("TALLIX_ALSA_DEVICE", "tallix_no_such_device");
    EXPECT_EQ(PlaySoundA(good, 0, 0x22003), FALSE_);
    EXPECT_FALSE(platform::IsSoundPlaying());
    // The beep then falls back to the desktop bell, quietly.
    EXPECT_EQ(MessageBeep(0), TRUE_);
    EXPECT_EQ(PlaySoundA(good, 0, SND_FILENAME | SND_ASYNC), FALSE_);
}

TEST_F(AlsaSound, PlaysReplacesAndStopsOnTheNullDevice) {
    ASSERT_TRUE(nullDeviceOpens()) << kNoNullDevice;
    const QString first = writeFile("first.wav", toneWave({1, 2, 44100, 16}, 2));
    const QString second = writeFile("second.wav", toneWave({1, 1, 8000, 8}, 1));

    EXPECT_EQ(PlaySoundA(first, 0, 0x22003), TRUE_);
    EXPECT_EQ(PlaySoundA(second, 0, 0x22003), TRUE_);
    // The null device takes samples as fast as they come: the sound ends on its own.
    EXPECT_TRUE(waitUntilSilent(10000));

    // A looping sound plays until it is stopped, and the stop ends it before returning.
    EXPECT_EQ(PlaySoundA(first, 0, 0x22003 | SND_LOOP), TRUE_);
    QThread::msleep(20);
    EXPECT_TRUE(platform::IsSoundPlaying());
    EXPECT_EQ(PlaySoundA(second, 0, 0x22003 | SND_NOSTOP), FALSE_);
    EXPECT_TRUE(platform::IsSoundPlaying());
    EXPECT_EQ(PlaySoundA(second, 0, 0x22003 | SND_LOOP), TRUE_);
    EXPECT_TRUE(platform::IsSoundPlaying());
    EXPECT_EQ(PlaySoundA("", 0, 0), TRUE_);
    EXPECT_FALSE(platform::IsSoundPlaying());

    // The beep is a sound like any other here.
    EXPECT_EQ(MessageBeep(0), TRUE_);
    EXPECT_TRUE(waitUntilSilent(10000));
}

// A 2 GB file of zeros after its WAVE header (sparse: it takes no room) is refused at once,
// when picked and when played.
TEST_F(AlsaSound, AHugeSparseFileIsRefusedAtOnce) {
    const QString path = writeFile("sparse.wav", riff(chunk("fmt ", fmtBody({}))));
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        ASSERT_EQ(::ftruncate(file.handle(), off_t(2) << 30), 0);
    }
    QElapsedTimer timer;
    timer.start();
    EXPECT_FALSE(platform::IsPlayableWaveFile(path));
    EXPECT_EQ(PlaySoundA(path, 0, SND_FILENAME | SND_ASYNC | SND_NODEFAULT), FALSE_);
    EXPECT_LT(timer.elapsed(), 20000); // the whole walk took minutes
}

// A file is judged alike when it is picked and when it is played, with the same reason; a FIFO
// or a device is refused without waiting for a writer (a child that would hang is killed).
TEST_F(AlsaSound, PickingAndPlayingAgreeAndSayWhy) {
    ASSERT_TRUE(nullDeviceOpens()) << kNoNullDevice;
    QByteArray streamed = toneWave({1, 1, 8000, 16}, 1);
    streamed.replace(40, 4, QByteArray("\xff\xff\xff\x7f", 4)); // the data size, as arecord
    const QString fifo = dir_.filePath("fifo.wav");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const struct {
        const char* what;
        QString path;
        const char* problem; // "" for a playable file
    } cases[] = {
        {"streamed to a pipe", writeFile("streamed.wav", streamed), ""},
        {"streamed and cut mid-frame", writeFile("cut.wav", streamed.chopped(1)), ""},
        {"format past the end", writeFile("fmt.wav", riff(chunk("fmt ", fmtBody({}), 0x7FFFFFFF))),
         "\"fmt \" chunk runs past the end"},
        {"compressed", writeFile("adpcm.wav", simpleWave({2, 1, 8000, 4, 256}, samples(64))),
         "compressed"},
        {"a FIFO", fifo, "named pipe"},
        {"a device", QStringLiteral("/dev/zero"), "device"},
        {"a folder", dir_.path(), "folder"},
        {"missing", dir_.filePath("nothing.wav"), "No such file"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const int answered = RunInChild(
            [&] {
                const QString problem = platform::WaveFileProblem(c.path);
                const bool as =
                    *c.problem ? problem.contains(QLatin1String(c.problem)) : problem.isEmpty();
                return as ? 0 : 1;
            },
            20000);
        ASSERT_EQ(answered, 0) << platform::WaveFileProblem(c.path).toStdString();
        const QString problem = platform::WaveFileProblem(c.path);
        EXPECT_EQ(platform::IsPlayableWaveFile(c.path), problem.isEmpty());
        const BOOL started = PlaySoundA(c.path, 0, SND_FILENAME | SND_ASYNC | SND_NODEFAULT);
        EXPECT_EQ(started == TRUE_, problem.isEmpty());
        EXPECT_EQ(platform::LastSoundProblem(), problem);
        PlaySoundA("", 0, 0);
    }
}

// Every PCM and IEEE-float layout plays, and the check made when a file is picked agrees.
TEST_F(AlsaSound, EveryPcmAndFloatLayoutPlays) {
    ASSERT_TRUE(nullDeviceOpens()) << kNoNullDevice;
    const Fmt formats[] = {
        {1, 1, 8000, 8},
        {1, 2, 44100, 16},
        {1, 2, 48000, 24},
        {1, 1, 96000, 32},
        {3, 2, 44100, 32},
        {3, 1, 22050, 64},
        {0xFFFE, 6, 48000, 24, -1, kPcmGuid},
        {0xFFFE, 8, 48000, 32, -1, kFloatGuid},
    };
    int n = 0;
    for (const Fmt& f : formats) {
        SCOPED_TRACE(n);
        const QString path = writeFile(QStringLiteral("f%1.wav").arg(n++), toneWave(f, 1));
        EXPECT_TRUE(platform::IsPlayableWaveFile(path));
        EXPECT_EQ(PlaySoundA(path, 0, SND_FILENAME | SND_ASYNC | SND_NODEFAULT), TRUE_);
    }
    const QString compressed =
        writeFile("adpcm.wav", simpleWave({2, 1, 8000, 4, 256}, samples(64)));
    EXPECT_FALSE(platform::IsPlayableWaveFile(compressed));
    EXPECT_FALSE(platform::IsPlayableWaveFile(dir_.filePath("nothing.wav")));
    EXPECT_FALSE(platform::IsPlayableWaveFile(dir_.path()));
}

// A device that takes only integer samples (as a card's own device may) gets a float file
// through ALSA's converting plug-in.
TEST_F(AlsaSound, AFormatTheDeviceRefusesPlaysThroughThePlugIn) {
    ASSERT_TRUE(nullDeviceOpens()) << kNoNullDevice;
    const QString config = writeFile("asound.conf", "</usr/share/alsa/alsa.conf>\n"
                                                    "pcm.tallix_narrow {\n"
                                                    "    type linear\n"
                                                    "    slave { pcm \"null\" format S16_LE }\n"
                                                    "}\n");
    const QByteArray savedConfig = qgetenv("ALSA_CONFIG_PATH");
    qputenv("ALSA_CONFIG_PATH", QFile::encodeName(config));
    qputenv("TALLIX_ALSA_DEVICE", "tallix_narrow");
    const QString path = writeFile("float.wav", toneWave({3, 2, 44100, 32}, 1));
    EXPECT_EQ(PlaySoundA(path, 0, SND_FILENAME | SND_ASYNC | SND_NODEFAULT), TRUE_);
    PlaySoundA("", 0, 0);
    if (savedConfig.isNull()) {
        qunsetenv("ALSA_CONFIG_PATH");
    } else {
        qputenv("ALSA_CONFIG_PATH", savedConfig);
    }
}

TEST_F(AlsaSound, AcceptsABackslashPath) {
    ASSERT_TRUE(nullDeviceOpens()) << kNoNullDevice;
    writeFile("athan.wav", toneWave({1, 1, 8000, 16}, 1));
    EXPECT_EQ(PlaySoundA(dir_.path() + "\\athan.wav", 0, 0x22003), TRUE_);
}

// Passes every call on to the ALSA player and notes what it answered.
class AlsaSpy : public platform::SoundBackend {
public:
    AlsaSpy() : alsa_(platform::CurrentSoundBackend()) { platform::InstallSoundBackend(this); }
    ~AlsaSpy() override { platform::InstallSoundBackend(nullptr); }
    BOOL play(const QString& name, HANDLE hmod, DWORD flags) override {
        const BOOL started = alsa_.play(name, hmod, flags);
        results.append({name, started});
        return started;
    }
    void beep() override {
        ++beeps;
        alsa_.beep();
    }
    bool isPlaying() override { return alsa_.isPlaying(); }

    QVector<QPair<QString, BOOL>> results;
    int beeps = 0;

private:
    platform::SoundBackend& alsa_;
};

TEST_F(AlsaSound, AlertsPlayTheEmbeddedRecordings) {
    ASSERT_TRUE(nullDeviceOpens()) << kNoNullDevice;
    AlsaSpy spy;
    gMuteAll = 0;
    gAudioType[0] = 1;
    gSelectedSound[0] = 1;
    PlayAlert(0);
    EXPECT_EQ(spy.results, (QVector<QPair<QString, BOOL>>{{"FAJRMAKKAH", TRUE_}}));
    EXPECT_EQ(spy.beeps, 0);
    EXPECT_TRUE(waitUntilSilent(10000));

    // Every recording the lists and menus name is embedded and plays.
    spy.results.clear();
    for (std::int16_t slot = 0; slot <= 8; ++slot)
        for (std::int16_t position = 0; position < BuiltInSoundCount(slot); ++position)
            EXPECT_EQ(PlayBuiltInSound(slot, position), 1) << slot << " " << position;
    for (std::int16_t index = 0; index < 12; ++index) {
        PlayAyaat(index, 1);
        PlaySura(index, 1);
    }
    EXPECT_EQ(PlaySoundA("DUA", App.hInstance, kResourcePlayFlags), TRUE_);
    QSet<QString> names;
    for (const auto& r : spy.results) {
        EXPECT_EQ(r.second, TRUE_) << r.first.toStdString();
        names.insert(r.first);
    }
    EXPECT_EQ(names.size(), 37);
    EXPECT_EQ(spy.beeps, 0);
}

} // namespace
