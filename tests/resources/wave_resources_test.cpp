// The built-in recordings: present under every name the program plays, valid 16-bit PCM
// WAVE images of 1 to 4 seconds, audible, and all different.
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QSet>
#include <QString>
#include <QtEndian>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>

namespace {

// Every recording name the program plays: athans, start-up and reminder sounds, the
// recitations of the lists and menus, and the supplication.
const char* const kNames[] = {
    "FAJRMADINA",    "FAJRMAKKAH",
    "ALAQSA",        "CAIRO1",
    "CAIRO2",        "DAMASCUS",
    "MAKKAH",        "BISMILLAH0",
    "BISMILLAH1",    "BISMILLAH2",
    "BISMILLAH3",    "BISMILLAH4",
    "ALFATIHA",      "ALBAQARAH_155_157",
    "ALBAQARAH_177", "ALBAQARAH_238",
    "AYAATALKURSI",  "ALBAQARAH_285_286",
    "ALANAM",        "HUD",
    "ALKAHF",        "ANNAML",
    "ALAHZAB",       "ALHADID",
    "ALALAQ",        "ADDUHA",
    "ASSARH",        "ALASR",
    "ALMAUN",        "ALKAWTAR",
    "ALKAFIRUNE",    "ALIHLAS",
    "ALFALAQ",       "ANNAS",
    "LUQMAN",        "ALQAMAR",
    "DUA",
};

struct Wave {
    int format = 0;
    int channels = 0;
    int rate = 0;
    int bits = 0;
    QByteArray samples;
};

// Reads a RIFF/WAVE image chunk by chunk, checking every size against the image.
std::optional<Wave> parseWave(const QByteArray& b, std::string& why) {
    auto u32 = [&](qsizetype at) { return qFromLittleEndian<quint32>(b.constData() + at); };
    auto u16 = [&](qsizetype at) { return qFromLittleEndian<quint16>(b.constData() + at); };
    if (b.size() < 12 || !b.startsWith("RIFF") || b.mid(8, 4) != "WAVE") {
        why = "no RIFF/WAVE header";
        return std::nullopt;
    }
    if (u32(4) != quint32(b.size() - 8)) {
        why = "RIFF size does not match the image";
        return std::nullopt;
    }
    Wave w;
    bool haveFormat = false, haveData = false;
    qsizetype at = 12;
    while (at + 8 <= b.size()) {
        const QByteArray id = b.mid(at, 4);
        const quint32 size = u32(at + 4);
        if (at + 8 + qsizetype(size) > b.size()) {
            why = "chunk " + id.toStdString() + " runs past the end";
            return std::nullopt;
        }
        if (id == "fmt ") {
            if (size < 16) {
                why = "short fmt chunk";
                return std::nullopt;
            }
            w.format = u16(at + 8);
            w.channels = u16(at + 10);
            w.rate = int(u32(at + 12));
            const quint32 byteRate = u32(at + 16);
            const int align = u16(at + 20);
            w.bits = u16(at + 22);
            if (align != w.channels * w.bits / 8 || byteRate != quint32(w.rate * align)) {
                why = "inconsistent block align or byte rate";
                return std::nullopt;
            }
            haveFormat = true;
        } else if (id == "data") {
            w.samples = b.mid(at + 8, size);
            haveData = true;
        }
        at += 8 + size + (size & 1);
    }
    if (!haveFormat || !haveData) {
        why = "fmt or data chunk missing";
        return std::nullopt;
    }
    return w;
}

QByteArray readResource(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

TEST(WaveResources, EveryRecordingIsAShortAudible16BitPcmWave) {
    for (const char* name : kNames) {
        SCOPED_TRACE(name);
        const QByteArray bytes =
            readResource(QStringLiteral(":/wave/%1.wav").arg(QLatin1String(name)));
        ASSERT_FALSE(bytes.isEmpty()) << "missing";
        std::string why;
        const auto w = parseWave(bytes, why);
        ASSERT_TRUE(w) << why;
        EXPECT_EQ(w->format, 1);
        EXPECT_EQ(w->channels, 1);
        EXPECT_EQ(w->bits, 16);
        EXPECT_TRUE(w->rate == 22050 || w->rate == 44100) << w->rate;
        ASSERT_EQ(w->samples.size() % 2, 0);
        const double seconds = double(w->samples.size() / 2) / w->rate;
        EXPECT_GE(seconds, 1.0);
        EXPECT_LE(seconds, 4.0);

        int peak = 0;
        const auto* s = reinterpret_cast<const uchar*>(w->samples.constData());
        for (qsizetype i = 0; i + 1 < w->samples.size(); i += 2)
            peak = std::max(peak, std::abs(int(qFromLittleEndian<qint16>(s + i))));
        EXPECT_GT(peak, 3000) << "inaudible";
        EXPECT_LT(peak, 32767) << "clipped";
    }
}

TEST(WaveResources, NoTwoRecordingsAreAlike) {
    QSet<QByteArray> seen;
    for (const char* name : kNames) {
        const QByteArray bytes =
            readResource(QStringLiteral(":/wave/%1.wav").arg(QLatin1String(name)));
        const QByteArray digest =
            QCryptographicHash::hash(bytes.mid(44), QCryptographicHash::Sha256);
        EXPECT_FALSE(seen.contains(digest)) << name << " repeats another recording";
        seen.insert(digest);
    }
}

TEST(WaveResources, NothingElseLivesUnderTheWavePrefix) {
    // A recording under a misspelt name would never be played; every file here must be one
    // the program asks for.
    QSet<QString> expected;
    for (const char* name : kNames)
        expected.insert(QString::fromLatin1(name) + QStringLiteral(".wav"));
    const QStringList present = QDir(QStringLiteral(":/wave")).entryList(QDir::Files);
    for (const QString& file : present)
        EXPECT_TRUE(expected.contains(file)) << file.toStdString();
    EXPECT_EQ(QSet<QString>(present.begin(), present.end()), expected);
}

} // namespace
