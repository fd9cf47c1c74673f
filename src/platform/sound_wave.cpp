#include "sound_wave.h"

#include <array>
#include <cstring>

namespace platform {

namespace {

constexpr quint16 kFormatPcm = 0x0001;
constexpr quint16 kFormatFloat = 0x0003;
constexpr quint16 kFormatExtensible = 0xFFFE;
// The sub-formats of WAVE_FORMAT_EXTENSIBLE: {0000tttt-0000-0010-8000-00AA00389B71}, where
// tttt is the plain format tag (1 PCM, 3 IEEE float).
constexpr std::array<unsigned char, 14> kSubFormatTail = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                                          0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};

constexpr int kMinRate = 1000;
constexpr int kMaxRate = 384000;
constexpr int kMaxChannels = 64;
// A real recording has a handful of chunks; a file with more is not one worth walking.
constexpr int kMaxChunks = 1024;

quint16 le16(const char* p) {
    const auto* u = reinterpret_cast<const unsigned char*>(p);
    return static_cast<quint16>(u[0] | (u[1] << 8));
}

quint32 le32(const char* p) {
    const auto* u = reinterpret_cast<const unsigned char*>(p);
    return static_cast<quint32>(u[0]) | (static_cast<quint32>(u[1]) << 8) |
           (static_cast<quint32>(u[2]) << 16) | (static_cast<quint32>(u[3]) << 24);
}

bool readExactly(const WaveReader& read, qint64 offset, char* buffer, qint64 len) {
    return read(offset, buffer, len) == len;
}

// Checks a "fmt " chunk body and fills *format with the layout it describes.
bool parseFormat(const char* body, quint32 size, WaveFormat* format) {
    if (size < 16) {
        return false;
    }
    quint16 tag = le16(body);
    const quint16 channels = le16(body + 2);
    const quint32 rate = le32(body + 4);
    const quint16 blockAlign = le16(body + 12);
    const quint16 bits = le16(body + 14);
    if (tag == kFormatExtensible) {
        // cbSize, valid bits, channel mask, then the sub-format GUID.
        if (size < 40 || le16(body + 16) < 22) {
            return false;
        }
        if (std::memcmp(body + 26, kSubFormatTail.data(), kSubFormatTail.size()) != 0) {
            return false;
        }
        // The valid bits sit at the top of each sample: played as the container's size.
        const quint16 validBits = le16(body + 18);
        if (validBits > bits) {
            return false;
        }
        tag = le16(body + 24);
    }
    bool floatingPoint = false;
    if (tag == kFormatPcm) {
        if (bits != 8 && bits != 16 && bits != 24 && bits != 32) {
            return false;
        }
    } else if (tag == kFormatFloat) {
        if (bits != 32 && bits != 64) {
            return false;
        }
        floatingPoint = true;
    } else {
        return false;
    }
    if (channels < 1 || channels > kMaxChannels) {
        return false;
    }
    if (rate < kMinRate || rate > kMaxRate) {
        return false;
    }
    if (blockAlign != channels * bits / 8) {
        return false;
    }
    format->channels = channels;
    format->sampleRate = static_cast<int>(rate);
    format->bitsPerSample = bits;
    format->floatingPoint = floatingPoint;
    return true;
}

// A chunk's identifier for a message: in quotes, any byte that is no printable ASCII as "?".
QString chunkName(const char* id) {
    QString name(QLatin1Char('"'));
    for (int i = 0; i < 4; ++i) {
        const char c = id[i];
        name += (c >= 0x20 && c < 0x7F) ? QLatin1Char(c) : QLatin1Char('?');
    }
    return name + QLatin1Char('"');
}

} // namespace

bool LocateWaveData(const WaveReader& read, qint64 imageSize, WaveLayout* layout,
                    QString* problem) {
    const auto refuse = [problem](const QString& why) {
        if (problem) {
            *problem = why;
        }
        return false;
    };
    char header[12];
    if (imageSize < 12 || !readExactly(read, 0, header, 12)) {
        return refuse(QStringLiteral("it is too short for a WAVE file, or cannot be read"));
    }
    if (std::memcmp(header, "RIFF", 4) != 0 || std::memcmp(header + 8, "WAVE", 4) != 0) {
        return refuse(QStringLiteral("it is not a RIFF WAVE file"));
    }
    // The RIFF size is often wrong in files written by careless tools; the image's own size
    // bounds the walk instead, and every chunk must fit inside it. The walk is bounded too: an
    // empty chunk (a LIST a tagger left without entries) is passed over like any other, but
    // after kMaxChunks chunks the walk ends, so a huge file that is no recording (zeros after
    // its header read as empty chunks) is refused after that many small reads.
    WaveFormat format;
    bool haveFormat = false;
    qint64 dataOffset = -1;
    qint64 dataBytes = 0;
    qint64 pos = 12;
    for (int chunks = 0; !(haveFormat && dataOffset >= 0); ++chunks) {
        char chunk[8];
        if (chunks == kMaxChunks) {
            return refuse(QStringLiteral("it has more than %1 chunks").arg(kMaxChunks));
        }
        if (pos + 8 > imageSize || !readExactly(read, pos, chunk, 8)) {
            // ran out of chunks before both "fmt " and "data" were seen
            return refuse(haveFormat ? QStringLiteral("it has no \"data\" chunk")
                                     : QStringLiteral("it has no \"fmt \" chunk"));
        }
        qint64 size = le32(chunk + 4);
        const qint64 body = pos + 8;
        const bool isData = std::memcmp(chunk, "data", 4) == 0;
        const bool isFormat = std::memcmp(chunk, "fmt ", 4) == 0;
        // Empty samples or an empty format describe nothing that plays.
        if (size == 0 && (isData || isFormat)) {
            return refuse(QStringLiteral("it has a chunk of size 0 (%1)").arg(chunkName(chunk)));
        }
        if (body + size > imageSize) {
            // A recorder writing to a pipe cannot go back to set the size of its samples, and
            // states the largest size instead (0x7FFFFFFF, 0xFFFFFFFF); a file cut short
            // claims more than it holds too. The samples are the last chunk read, so they end
            // where the file ends. Any other chunk that runs past the end makes no sense.
            if (!isData) {
                return refuse(QStringLiteral("its %1 chunk runs past the end of the file")
                                  .arg(chunkName(chunk)));
            }
            size = imageSize - body;
        }
        if (isFormat) {
            if (haveFormat) {
                return refuse(QStringLiteral("it has two \"fmt \" chunks"));
            }
            if (size > 1024) {
                return refuse(QStringLiteral("its \"fmt \" chunk is too large"));
            }
            QByteArray fmt(static_cast<qsizetype>(size), '\0');
            if (!readExactly(read, body, fmt.data(), size)) {
                return refuse(QStringLiteral("it cannot be read"));
            }
            if (!parseFormat(fmt.constData(), static_cast<quint32>(size), &format)) {
                return refuse(QStringLiteral("its samples are compressed or of a kind not "
                                             "supported (only PCM and floating point play)"));
            }
            haveFormat = true;
        } else if (isData) {
            if (dataOffset >= 0) {
                return refuse(QStringLiteral("it has two \"data\" chunks"));
            }
            dataOffset = body;
            dataBytes = size;
        }
        // Chunks are padded to an even length; the pad byte of a last chunk may be missing.
        pos = body + size + (size & 1);
    }
    const qint64 wholeFrames = dataBytes - dataBytes % format.bytesPerFrame();
    if (wholeFrames == 0) {
        return refuse(QStringLiteral("it holds less than one sample"));
    }
    layout->format = format;
    layout->dataOffset = dataOffset;
    layout->dataBytes = wholeFrames;
    return true;
}

bool ParseWave(const QByteArray& image, WaveFormat* format, QByteArray* pcm) {
    const WaveReader read = [&image](qint64 offset, char* buffer, qint64 len) -> qint64 {
        if (offset < 0 || offset > image.size()) {
            return -1;
        }
        const qint64 n = std::min<qint64>(len, image.size() - offset);
        std::memcpy(buffer, image.constData() + offset, static_cast<size_t>(n));
        return n;
    };
    WaveLayout layout;
    if (!LocateWaveData(read, image.size(), &layout)) {
        return false;
    }
    if (format) {
        *format = layout.format;
    }
    if (pcm) {
        *pcm = image.mid(layout.dataOffset, layout.dataBytes);
    }
    return true;
}

} // namespace platform
