#include "audio.h"

#include "kaaba.h"
#include "mAPI.h"
#include "mainwindow/frmTallix.h"
#include "platform/sound.h"
#include "platform/tray.h"
#include "runtime/App.h"
#include "runtime/ErrObject.h"
#include "runtime/FileListBox.h"
#include "runtime/ImageControl.h"
#include "settings.h"

#include <QAction>
#include <QDir>
#include <QLoggingCategory>
#include <array>

Q_LOGGING_CATEGORY(lcAudio, "tallix.audio", QtWarningMsg)

namespace {

constexpr std::array<const char*, 2> kFajrAthans = {"FAJRMADINA", "FAJRMAKKAH"};
constexpr std::array<const char*, 5> kAthans = {"ALAQSA", "CAIRO1", "CAIRO2", "DAMASCUS", "MAKKAH"};
constexpr std::array<const char*, 5> kBismillahs = {"BISMILLAH0", "BISMILLAH1", "BISMILLAH2",
                                                    "BISMILLAH3", "BISMILLAH4"};
constexpr std::array<const char*, 22> kRecitations = {"ALFATIHA",      "ALBAQARAH_155_157",
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
constexpr std::array<const char*, 12> kAyaat = {"ALBAQARAH_155_157",
                                                "ALBAQARAH_177",
                                                "ALBAQARAH_238",
                                                "AYAATALKURSI",
                                                "ALBAQARAH_285_286",
                                                "ALANAM",
                                                "HUD",
                                                "ALKAHF",
                                                "ANNAML",
                                                "ALAHZAB",
                                                "ALHADID",
                                                "ALALAQ"};
constexpr std::array<const char*, 12> kSuras = {"ALFATIHA",   "LUQMAN",  "ALQAMAR", "ADDUHA",
                                                "ASSARH",     "ALASR",   "ALMAUN",  "ALKAWTAR",
                                                "ALKAFIRUNE", "ALIHLAS", "ALFALAQ", "ANNAS"};

template <std::size_t N>
QString entry(const std::array<const char*, N>& list, int index, const char* otherwise) {
    if (index >= 0 && index < int(N))
        return QString::fromLatin1(list[std::size_t(index)]);
    return QString::fromLatin1(otherwise);
}

template <std::size_t N> QString entry(const std::array<const char*, N>& list, int index) {
    return entry(list, index, "");
}

bool isRecitationSlot(std::int16_t iSlot) {
    return iSlot == 5 || iSlot == 8;
}

BOOL playResource(const QString& name) {
    return PlaySoundA(name, App.hInstance, kResourcePlayFlags);
}

// What a slot's sound is for, in the log.
const char* slotPurpose(std::int16_t iSlot) {
    static constexpr std::array<const char*, 9> kPurposes = {
        "Fajr athan",     "Dhuhr athan",    "Asr athan",
        "Maghrib athan",  "Ishaa athan",    "start-up recitation",
        "start-up sound", "reminder sound", "reminder recitation"};
    return iSlot >= 0 && iSlot < int(kPurposes.size()) ? kPurposes[std::size_t(iSlot)] : "sound";
}

// Plays the sound file, or says in the log why it did not start and beeps instead.
void playFileOrBeep(const QString& path, const char* purpose) {
    if (PlaySoundA(path, 0, kFilePlayFlags))
        return;
    QString why = platform::LastSoundProblem();
    if (why.isEmpty())
        why = QStringLiteral("it did not start");
    PlayFallbackBeep();
    qCWarning(lcAudio, "%s: the file \"%s\" cannot be played: %s; the beep played instead", purpose,
              qUtf8Printable(path), qUtf8Printable(why));
}

} // namespace

std::int16_t BuiltInSoundCount(std::int16_t iSlot) {
    switch (iSlot) {
    case 0:
        return std::int16_t(kFajrAthans.size());
    case 1:
    case 2:
    case 3:
    case 4:
        return std::int16_t(kAthans.size());
    case 5:
    case 8:
        return std::int16_t(kRecitations.size());
    case 6:
    case 7:
        return std::int16_t(kBismillahs.size());
    default:
        return 0;
    }
}

QString BuiltInSoundName(std::int16_t iSlot, std::int16_t iSelection) {
    switch (iSlot) {
    case 0:
        return entry(kFajrAthans, iSelection);
    case 1:
    case 2:
    case 3:
    case 4:
        return entry(kAthans, iSelection);
    case 5:
    case 8:
        return entry(kRecitations, iSelection);
    case 6:
    case 7:
        return entry(kBismillahs, iSelection);
    default:
        return QString();
    }
}

QString RecitationResourceName(std::int16_t iIndex) {
    return entry(kRecitations, iIndex, "ALFATIHA");
}

QString AyaatResourceName(std::int16_t iIndex) {
    return entry(kAyaat, iIndex, "AYAATALKURSI");
}

QString SuraResourceName(std::int16_t iIndex) {
    return entry(kSuras, iIndex, "ALFATIHA");
}

void PlayFallbackBeep() {
    MessageBeep(0);
}

namespace {
// The serial of the last preview's sound; none before the first preview.
std::uint32_t g_previewSerial = 0;
bool g_previewMarked = false;
} // namespace

void PlayPreview(const std::function<void()>& play) {
    const std::uint32_t before = platform::SoundSerial();
    play();
    // A preview that made no sound call leaves the last mark (never an athan's sound).
    if (platform::SoundSerial() != before) {
        g_previewSerial = platform::SoundSerial();
        g_previewMarked = true;
    }
}

void StopPreviewSound() {
    if (!g_previewMarked || platform::SoundSerial() != g_previewSerial)
        return;
    PlaySoundA(QString(), 0, 0);
    g_previewMarked = false;
}

std::int16_t PlayBuiltInSound(std::int16_t iSlot, std::int16_t iSelection) {
    const std::int16_t count = BuiltInSoundCount(iSlot);
    if (count == 0)
        return 0;
    if (isRecitationSlot(iSlot)) {
        // The recitation slots go through the recitation list, whose every position outside
        // it is the opening sura.
        const std::int16_t index = iSelection == count ? Random(0, count - 1) : iSelection;
        return PlayRecitation(index, 1);
    }
    const std::int16_t position = iSelection == count ? Random(0, count - 1) : iSelection;
    const QString name = BuiltInSoundName(iSlot, position);
    if (name.isEmpty())
        return 0;
    return playResource(name) ? 1 : 0;
}

void PlayRandomWavFromFolder(const QString& sFolder) {
    FileListBox& lister = FolderLister();
    lister.SetPattern(QStringLiteral("*.wav"));
    if (TrimBlanks(sFolder).isEmpty()) {
        PlayFallbackBeep();
        return;
    }
    // A folder that is not there beeps here, rather than playing from whatever folder the list
    // box showed before.
    if (!lister.SetPath(sFolder) || lister.ListCount() == 0) {
        Err.Clear();
        PlayFallbackBeep();
        return;
    }
    const std::int16_t i = Random(0, LastListIndex(lister));
    // The name as listed: a name that begins with a blank is still that file's name.
    const QString path = QDir(lister.Path()).filePath(lister.List(i));
    playFileOrBeep(path, "sound of the folder");
}

void PlayAlert(std::int16_t iSlot) {
    if (gMuteAll != 0 || iSlot < 0 || iSlot > 8)
        return;
    if (isRecitationSlot(iSlot)) {
        // The recitations stand in for the start-up (5) and reminder (8) sounds of type 4.
        const std::int16_t owner = iSlot == 5 ? 6 : 7;
        if (gAudioType[owner] == 4 && !PlayBuiltInSound(iSlot, gSelectedSound[iSlot]))
            PlayFallbackBeep();
        return;
    }
    switch (gAudioType[iSlot]) {
    case 1:
        if (!PlayBuiltInSound(iSlot, gSelectedSound[iSlot]))
            PlayFallbackBeep();
        break;
    case 2: {
        const QString file = TrimBlanks(gCustomSound[iSlot]);
        if (file.isEmpty())
            PlayFallbackBeep();
        else
            playFileOrBeep(file, slotPurpose(iSlot));
        break;
    }
    case 3:
        PlayRandomWavFromFolder(TrimBlanks(gCustomSoundFolder[iSlot]));
        break;
    default:
        break;
    }
}

std::int16_t PlayRecitation(std::int16_t iIndex, std::int16_t bForce) {
    if (bForce == 0 && gMuteAll != 0)
        return 0;
    return playResource(RecitationResourceName(iIndex)) ? 1 : 0;
}

void PlayAyaat(std::int16_t iIndex, std::int16_t bForce) {
    if (bForce != 0 || gMuteAll == 0)
        playResource(AyaatResourceName(iIndex));
}

void PlaySura(std::int16_t iIndex, std::int16_t bForce) {
    if (bForce != 0 || gMuteAll == 0)
        playResource(SuraResourceName(iIndex));
}

bool SetMuteAll(std::int16_t iMute) {
    if (iMute != 0 && iMute != 1)
        return false;
    const bool mute = iMute == 1;
    if (mute)
        PlaySoundA(QString(), 0, 0);
    const bool stored = RegSetString(kSettingsKey, QStringLiteral("MuteAll"),
                                     mute ? QStringLiteral("1") : QStringLiteral("0"));
    gMuteAll = iMute;

    frmTallix* window = MainWindow();
    if (!window)
        return stored;
    // Only one of the two buttons shows at a time: "AudioOn" while sound is on (a click mutes),
    // "AudioOff" while muted (a click turns sound back on).
    if (QAction* off = window->tlbMainButton(QStringLiteral("AudioOff"))) {
        off->setChecked(true);
    }
    if (QAction* on = window->tlbMainButton(QStringLiteral("AudioOn")))
        on->setVisible(!mute);
    if (QAction* off = window->tlbMainButton(QStringLiteral("AudioOff")))
        off->setVisible(mute);

    if (Image* icon = window->imgIconKabaa[mute ? 2 : 0])
        window->gTrayIconData.hIcon = icon->Picture().Handle();
    // The tip's own changes leave only NIF_TIP in the record's flags.
    window->gTrayIconData.uFlags |= NIF_ICON;
    Shell_NotifyIconA(NIM_MODIFY, &window->gTrayIconData);

    if (window->mnuMuteAll)
        window->mnuMuteAll->setChecked(mute);
    return stored;
}
