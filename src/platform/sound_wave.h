#pragma once
// Finding the samples inside a RIFF WAVE image without reading all of it, so a long file can
// be streamed from disk while a built-in recording plays from memory.
#include "sound.h"

#include <QString>
#include <QtGlobal>
#include <functional>

namespace platform {

struct WaveLayout {
    WaveFormat format;
    qint64 dataOffset = 0; // where the samples begin in the image
    qint64 dataBytes = 0;  // whole frames only
};

// Reads up to len bytes at offset into buffer; the number read, or -1 on error.
using WaveReader = std::function<qint64(qint64 offset, char* buffer, qint64 len)>;

// Walks the chunks of an image of imageSize bytes; true with *layout filled for a playable
// image, false otherwise (see ParseWave), with *problem (when given) saying why in words that
// follow "cannot be played: ". A "data" chunk that states more bytes than the image holds (a
// recording streamed to a pipe, a file cut short) holds what is there; any other chunk that
// runs past the end refuses the image.
bool LocateWaveData(const WaveReader& read, qint64 imageSize, WaveLayout* layout,
                    QString* problem = nullptr);

} // namespace platform
