// The alert player: slots, built-in lists, menus, files, folders, the beep and the mute switch.
#include "core/audio.h"
#include "core/settings.h"
#include "fakes/fake_registry.h"
#include "fakes/fake_sound.h"
#include "fakes/fake_tray.h"
#include "runtime/App.h"
#include "runtime/VBMath.h"

#include <QDir>
#include <QFile>
#include <QSet>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>

namespace {

using Calls = QVector<FakeSound::Call>;

FakeSound::Call resource(const char* name) {
    return {QString::fromLatin1(name), App.hInstance, 0x42007};
}
FakeSound::Call file(const QString& path) {
    return {path, 0, 0x22003};
}

class Audio : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        gMuteAll = 0;
        for (int i = 0; i < 8; ++i) {
            gAudioType[i] = 0;
            gCustomSound[i].clear();
            gCustomSoundFolder[i].clear();
        }
        for (int i = 0; i < 9; ++i)
            gSelectedSound[i] = 0;
        Rnd(-3);
    }

    QString touch(const QString& relative) {
        const QString path = dir_.filePath(relative);
        QDir().mkpath(QFileInfo(path).path());
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        return path;
    }

    FakeSound sound_;
    QTemporaryDir dir_;
};

TEST_F(Audio, PlayAlertPlaysWhatTheSlotIsSetToOrBeeps) {
    const QString one = dir_.filePath("one");
    const QString onlyWav = touch("one/Athan.WAV");
    touch("one/picture.bmp");
    touch("none/readme.txt");
    const struct {
        const char* what;
        std::int16_t slot;
        std::int16_t type;     // gAudioType of the slot (or of 6 / 7 for slots 5 / 8)
        std::int16_t selected; // gSelectedSound of the slot
        QString custom;        // gCustomSound or gCustomSoundFolder of the slot
        QSet<QString> failing; // names the sound device refuses
        Calls calls;
        int beeps;
    } cases[] = {
        {"Fajr, first athan", 0, 1, 0, {}, {}, {resource("FAJRMADINA")}, 0},
        {"Ishaa, last athan", 4, 1, 4, {}, {}, {resource("MAKKAH")}, 0},
        {"start-up Bismillah", 6, 1, 3, {}, {}, {resource("BISMILLAH3")}, 0},
        {"reminder Bismillah", 7, 1, 0, {}, {}, {resource("BISMILLAH0")}, 0},
        {"a recording that fails beeps", 2, 1, 1, {}, {"CAIRO1"}, {resource("CAIRO1")}, 1},
        {"Maghrib position without an entry", 3, 1, 7, {}, {}, {}, 1},
        {"negative position", 1, 1, -1, {}, {}, {}, 1},
        {"custom file, blanks trimmed",
         2,
         2,
         0,
         "  /sounds/my athan.wav ",
         {},
         {file("/sounds/my athan.wav")},
         0},
        {"custom file that fails",
         2,
         2,
         0,
         "/sounds/x.wav",
         {"/sounds/x.wav"},
         {file("/sounds/x.wav")},
         1},
        {"custom file of blanks only", 1, 2, 0, "   ", {}, {}, 1},
        {"folder with one wave file", 0, 3, 0, " " + one + " ", {}, {file(onlyWav)}, 0},
        {"folder whose file fails", 0, 3, 0, one, {onlyWav}, {file(onlyWav)}, 1},
        {"folder without wave files", 0, 3, 0, dir_.filePath("none"), {}, {}, 1},
        {"folder that is not there", 0, 3, 0, dir_.filePath("gone"), {}, {}, 1},
        {"folder name of blanks", 0, 3, 0, "  ", {}, {}, 1},
        {"no sound", 1, 0, 0, {}, {}, {}, 0},
        {"type 4 on an athan slot", 1, 4, 0, {}, {}, {}, 0},
        {"unknown type", 1, 9, 0, {}, {}, {}, 0},
        {"start-up type 4 plays nothing in slot 6", 6, 4, 0, {}, {}, {}, 0},
        {"start-up recitation when slot 6 is type 4",
         5,
         4,
         3,
         {},
         {},
         {resource("ALBAQARAH_238")},
         0},
        {"start-up recitation otherwise silent", 5, 1, 3, {}, {}, {}, 0},
        {"reminder recitation, position 0", 8, 4, 0, {}, {}, {resource("ALFATIHA")}, 0},
        {"reminder recitation past the list", 8, 4, 40, {}, {}, {resource("ALFATIHA")}, 0},
        {"reminder recitation that fails", 8, 4, 21, {}, {"ANNAS"}, {resource("ANNAS")}, 1},
        {"slot below 0", -1, 1, 0, {}, {}, {}, 0},
        {"slot above 8", 9, 1, 0, {}, {}, {}, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        sound_.clear();
        sound_.failingNames = c.failing;
        const int typeSlot = c.slot == 5 ? 6 : c.slot == 8 ? 7 : c.slot;
        if (typeSlot >= 0 && typeSlot < 8) {
            gAudioType[typeSlot] = c.type;
            gCustomSound[typeSlot] = c.custom;
            gCustomSoundFolder[typeSlot] = c.custom;
        }
        if (c.slot >= 0 && c.slot < 9)
            gSelectedSound[c.slot] = c.selected;
        PlayAlert(c.slot);
        EXPECT_EQ(sound_.calls(), c.calls);
        EXPECT_EQ(sound_.beeps(), c.beeps);
    }
}

TEST_F(Audio, MutedAlertsAreSilentButPreviewsPlay) {
    const QString wav = touch("folder/a.wav");
    gMuteAll = 1;
    for (std::int16_t slot = 0; slot < 8; ++slot) {
        gAudioType[slot] = std::int16_t(1 + slot % 3);
        gCustomSound[slot] = wav;
        gCustomSoundFolder[slot] = dir_.filePath("folder");
    }
    gAudioType[6] = 4;
    gAudioType[7] = 4;
    for (std::int16_t slot = 0; slot <= 8; ++slot)
        PlayAlert(slot);
    EXPECT_TRUE(sound_.calls().isEmpty());
    EXPECT_EQ(sound_.beeps(), 0);

    EXPECT_EQ(PlayBuiltInSound(1, 0), 1);
    EXPECT_EQ(PlayBuiltInSound(8, 2), 1);
    PlayRandomWavFromFolder(dir_.filePath("folder"));
    EXPECT_EQ(PlayRecitation(4, 0), 0);
    PlayAyaat(0, 0);
    PlaySura(0, 0);
    EXPECT_EQ(PlayRecitation(4, 1), 1);
    PlayAyaat(0, 1);
    PlaySura(1, 1);
    EXPECT_EQ(sound_.calls(),
              (Calls{resource("ALAQSA"), resource("ALBAQARAH_177"), file(wav),
                     resource("AYAATALKURSI"), resource("ALBAQARAH_155_157"), resource("LUQMAN")}));
    EXPECT_EQ(sound_.beeps(), 0);
}

// Every fixed entry of the built-in lists and of the two menus, with what lies just outside.
TEST_F(Audio, BuiltInListsAndMenusNameTheirRecordings) {
    using Player = std::function<void(std::int16_t)>;
    const auto slot = [](std::int16_t s) {
        return Player([s](std::int16_t i) { PlayBuiltInSound(s, i); });
    };
    const Player verses = [](std::int16_t i) { PlayAyaat(i, 0); };
    const Player suras = [](std::int16_t i) { PlaySura(i, 0); };
    const Player recitations = [](std::int16_t i) { PlayRecitation(i, 0); };
    const QStringList athans = {"ALAQSA", "CAIRO1", "CAIRO2", "DAMASCUS", "MAKKAH"};
    const QStringList bismillahs = {"BISMILLAH0", "BISMILLAH1", "BISMILLAH2", "BISMILLAH3",
                                    "BISMILLAH4"};
    const QStringList recitationList = {"ALFATIHA",      "ALBAQARAH_155_157",
                                        "ALBAQARAH_177", "ALBAQARAH_238",
                                        "AYAATALKURSI",  "ALBAQARAH_285_286",
                                        "ALANAM",        "HUD",
                                        "ALKAHF",        "ANNAML",
                                        "ALAHZAB",       "ALHADID",
                                        "ALALAQ",        "ADDUHA",
                                        "ASSARH",        "ALASR",
                                        "ALMAUN",        "ALKAWTAR",
                                        "ALKAFIRUNE",    "ALIHLAS",
                                        "ALFALAQ",       "ANNAS"};
    const struct {
        const char* what;
        Player play;
        QStringList names;   // positions 0..n-1
        QStringList outside; // what the positions -1 and n + 1 play ("" for nothing)
    } lists[] = {
        {"slot 0", slot(0), {"FAJRMADINA", "FAJRMAKKAH"}, {"", ""}},
        {"slot 1", slot(1), athans, {"", ""}},
        {"slot 2", slot(2), athans, {"", ""}},
        {"slot 3", slot(3), athans, {"", ""}},
        {"slot 4", slot(4), athans, {"", ""}},
        {"slot 5", slot(5), recitationList, {"ALFATIHA", "ALFATIHA"}},
        {"slot 6", slot(6), bismillahs, {"", ""}},
        {"slot 7", slot(7), bismillahs, {"", ""}},
        {"slot 8", slot(8), recitationList, {"ALFATIHA", "ALFATIHA"}},
        {"recitations", recitations, recitationList, {"ALFATIHA", "ALFATIHA"}},
        {"verses menu",
         verses,
         {"ALBAQARAH_155_157", "ALBAQARAH_177", "ALBAQARAH_238", "AYAATALKURSI",
          "ALBAQARAH_285_286", "ALANAM", "HUD", "ALKAHF", "ANNAML", "ALAHZAB", "ALHADID", "ALALAQ"},
         {"AYAATALKURSI", "AYAATALKURSI"}},
        {"sura menu",
         suras,
         {"ALFATIHA", "LUQMAN", "ALQAMAR", "ADDUHA", "ASSARH", "ALASR", "ALMAUN", "ALKAWTAR",
          "ALKAFIRUNE", "ALIHLAS", "ALFALAQ", "ANNAS"},
         {"ALFATIHA", "ALFATIHA"}},
    };
    const auto played = [&](const Player& play, int position) {
        sound_.clear();
        play(std::int16_t(position));
        EXPECT_LE(sound_.calls().size(), 1);
        EXPECT_EQ(sound_.beeps(), 0);
        return sound_.calls().isEmpty() ? QString() : sound_.calls().front().name;
    };
    for (const auto& l : lists) {
        SCOPED_TRACE(l.what);
        for (int i = 0; i < l.names.size(); ++i) {
            SCOPED_TRACE(i);
            EXPECT_EQ(played(l.play, i), l.names[i]);
            for (const FakeSound::Call& call : sound_.calls())
                EXPECT_EQ(call, resource(qPrintable(l.names[i])));
        }
        EXPECT_EQ(played(l.play, -1), l.outside[0]);
        EXPECT_EQ(played(l.play, int(l.names.size()) + 1), l.outside[1]);
    }
    for (int i = 0; i < recitationList.size(); ++i)
        EXPECT_EQ(RecitationResourceName(std::int16_t(i)), recitationList[i]);
    EXPECT_EQ(AyaatResourceName(3), "AYAATALKURSI");
    EXPECT_EQ(AyaatResourceName(12), "AYAATALKURSI");
    EXPECT_EQ(SuraResourceName(0), "ALFATIHA");
    EXPECT_EQ(SuraResourceName(12), "ALFATIHA");
}

TEST_F(Audio, RandomPositionsDrawEveryEntryOfTheirList) {
    const QSet<QString> athans = {"ALAQSA", "CAIRO1", "CAIRO2", "DAMASCUS", "MAKKAH"};
    const QSet<QString> bismillahs = {"BISMILLAH0", "BISMILLAH1", "BISMILLAH2", "BISMILLAH3",
                                      "BISMILLAH4"};
    QSet<QString> recitations;
    for (std::int16_t i = 0; i < 22; ++i)
        recitations.insert(RecitationResourceName(i));
    ASSERT_EQ(recitations.size(), 22);
    const struct {
        std::int16_t slot;
        std::int16_t randomPosition;
        QSet<QString> names;
    } cases[] = {
        {0, 2, {"FAJRMADINA", "FAJRMAKKAH"}},
        {1, 5, athans},
        {4, 5, athans},
        {6, 5, bismillahs},
        {7, 5, bismillahs},
        {5, 22, recitations},
        {8, 22, recitations},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.slot);
        sound_.clear();
        for (int draw = 0; draw < 600; ++draw)
            ASSERT_EQ(PlayBuiltInSound(c.slot, c.randomPosition), 1);
        QSet<QString> seen;
        for (const FakeSound::Call& call : sound_.calls()) {
            EXPECT_EQ(call.flags, 0x42007u);
            seen.insert(call.name);
        }
        EXPECT_EQ(seen, c.names);
    }
}

TEST_F(Audio, PlayBuiltInSoundTellsWhetherTheSoundStarted) {
    sound_.failingNames = {"HUD"};
    EXPECT_EQ(PlayBuiltInSound(3, 2), 1);
    EXPECT_EQ(PlayBuiltInSound(3, 6), 0);  // past the random position
    EXPECT_EQ(PlayBuiltInSound(9, 0), 0);  // no such slot
    EXPECT_EQ(PlayBuiltInSound(-1, 0), 0); // no such slot
    EXPECT_EQ(PlayBuiltInSound(5, 7), 0);  // "HUD" fails
    sound_.deviceAvailable = false;
    EXPECT_EQ(PlayBuiltInSound(0, 0), 0);
    EXPECT_EQ(PlayRecitation(0, 1), 0);
    EXPECT_EQ(sound_.beeps(), 0); // previews give no beep of their own
    PlayFallbackBeep();
    EXPECT_EQ(sound_.beeps(), 1);
}

TEST_F(Audio, RandomWaveFileIsChosenFromTheWholeFolder) {
    const QStringList names = {"a.wav", "B.WAV", "c.Wav", " d.wav"};
    QSet<QString> expected;
    for (const QString& n : names)
        expected.insert(touch("many/" + n));
    touch("many/e.mp3");
    touch("many/.f.wav");
    QSet<QString> seen;
    for (int draw = 0; draw < 200; ++draw)
        PlayRandomWavFromFolder(dir_.filePath("many"));
    for (const FakeSound::Call& call : sound_.calls()) {
        EXPECT_EQ(call.hmod, 0);
        EXPECT_EQ(call.flags, 0x22003u);
        seen.insert(call.name);
    }
    EXPECT_EQ(seen, expected);
    EXPECT_EQ(sound_.beeps(), 0);

    // A folder that is not there beeps without playing from the folder listed before.
    sound_.clear();
    PlayRandomWavFromFolder(dir_.filePath("missing"));
    EXPECT_TRUE(sound_.calls().isEmpty());
    EXPECT_EQ(sound_.beeps(), 1);
}

TEST_F(Audio, SetMuteAllStoresTheStateAndStopsTheSound) {
    FakeRegistry registry;
    FakeTray tray; // no main window: nothing to show it on
    ASSERT_EQ(PlaySoundA("ALASR", App.hInstance, 0x42007), TRUE_);
    sound_.clear();

    SetMuteAll(1);
    EXPECT_EQ(gMuteAll, 1);
    EXPECT_EQ(registry.text(kSettingsKey, "MuteAll"), "1");
    EXPECT_EQ(sound_.calls(), (Calls{{"", 0, 0}}));

    for (std::int16_t other : {std::int16_t(-1), std::int16_t(2)}) {
        SetMuteAll(other);
        EXPECT_EQ(gMuteAll, 1);
        EXPECT_EQ(registry.writes.size(), 1);
    }

    sound_.clear();
    SetMuteAll(0);
    EXPECT_EQ(gMuteAll, 0);
    EXPECT_EQ(registry.text(kSettingsKey, "MuteAll"), "0");
    EXPECT_TRUE(sound_.calls().isEmpty()); // unmuting starts and stops nothing
    EXPECT_TRUE(tray.calls().isEmpty());

    // A store that cannot be written still switches the sound.
    registry.failSet = true;
    SetMuteAll(1);
    EXPECT_EQ(gMuteAll, 1);
}

} // namespace
