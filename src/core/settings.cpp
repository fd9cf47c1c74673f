#include "settings.h"

#include "mAPI.h"
#include "mMain.h"
#include "platform/locale.h"
#include "platform/registry.h"
#include "runtime/App.h"
#include "runtime/Convert.h"
#include "runtime/ErrObject.h"
#include "runtime/Interaction.h"

#include <QLocale>
#include <algorithm>
#include <cmath>

#include <vector>

std::int16_t gStartTab = 0;
std::int16_t gAudioType[8] = {};
std::int16_t gSelectedSound[9] = {};
QString gCustomSound[8];
QString gCustomSoundFolder[8];
std::int16_t gMuteAll = 0;
std::int16_t gImageType = 0;
std::int16_t gSelectedImage = 0;
QString gCustomImage;
QString gCustomImageFolder;
std::int16_t gColorType = 0;
std::int32_t gColorFace = 0;
std::int32_t gColorFaceHighlight = 0;
std::int32_t gColorHands = 0;
std::int32_t gColorHandsHighlight = 0;
std::int32_t gColorSeconds = 0;
std::int32_t gColorSecondsHighlight = 0;
std::int16_t gDisplayBalloonTips = 0;
std::int16_t gDisplayMainScreen = 0;
std::int16_t gFlashTrayIcon = 0;
std::int16_t gDisplayBalloonTipsReminder = 0;
std::int16_t gDisplayMainScreenReminder = 0;
std::int16_t gFlashTrayIconReminder = 0;
std::int16_t gHideWhenMinimized = 0;
std::int16_t gAlwaysOnTop = 0;
std::int16_t gLaunchOnStartup = 0;
std::int16_t gLaunchMinimized = 0;
std::int16_t gReadBismillahOnLaunch = 0;
std::int16_t gSecurityType = 0;
std::int16_t gActivateDDEServer = 0;
std::int16_t gDDEAdviseRate = 0;
std::int16_t gTimeZone = 0;
QString gCountry;
QString gCityName;
QString gProvince;
std::int16_t gCountryIndex = 0;
std::int16_t gCityIndex = 0;
double gLatitude = 0;
double gLongitude = 0;
std::int16_t gCalcMethod = 0;
std::int16_t gJuristicMethod = 0;
std::int16_t gFajrDegrees = 0;
std::int16_t gIshaDegrees = 0;
std::int16_t gFajrDegreesDifference = 0;
std::int16_t gIshaMinutes = 0;
std::int16_t gMaghribMinutes = 0;
std::int16_t gDhuhrMinutes = 0;
std::int16_t gMinuteAdjustActive = 0;
std::int16_t gMinuteAdjust[7] = {};
std::int16_t gReminderBefore[7] = {};
std::int16_t gReminderAfter[7] = {};
std::int16_t gRounding = 0;
std::int16_t gSelectedTab = 0;
std::int16_t gDaylightSavingsTime = 0;
std::int16_t gDaylightSavings = 0;
std::int16_t gDisplayKabaa = 0;
std::int16_t gDisplayHijraa = 0;
std::int16_t gDisplaySplashScreen = 0;
std::int16_t gProgressBarSegment = 0;
std::int16_t gCoordinateSystem = 0;
std::int16_t gSliderTickStyle = 0;

namespace {

enum class Kind { Int16, Colour, Coordinate, Text, TrimmedText };
enum class Range { None, Inclusive, ListPosition, Exclusive, SecurityType, TimeZone };

struct Setting {
    QString name;
    Kind kind;
    void* variable;
    double defaultNumber;
    QString defaultText;
    Range range;
    double low;
    double high;
};

Setting number(const QString& name, std::int16_t* v, int def, int low, int high) {
    return {name, Kind::Int16, v, double(def), {}, Range::Inclusive, double(low), double(high)};
}
Setting colour(const QString& name, std::int32_t* v, std::uint32_t def) {
    return {name, Kind::Colour, v, double(static_cast<std::int32_t>(def)), {}, Range::None, 0, 0};
}
Setting text(const QString& name, QString* v, const QString& def = {}, bool trimmed = false) {
    return {name, trimmed ? Kind::TrimmedText : Kind::Text, v, 0, def, Range::None, 0, 0};
}
Setting index(const QString& name, std::int16_t* v, int def) {
    return {name, Kind::Int16, v, double(def), {}, Range::ListPosition, 0, 0};
}
Setting coordinate(const QString& name, double* v, double def, double bound) {
    return {name, Kind::Coordinate, v, def, {}, Range::Exclusive, -bound, bound};
}

QString slotName(const char* family, int slot) {
    return QString::fromLatin1(family) + QString::number(slot);
}

void addAudioSlot(std::vector<Setting>& c, int slot, int typeHigh) {
    c.push_back(number(slotName("AudioType", slot), &gAudioType[slot], 1, 0, typeHigh));
    const int selectedDefault = slot == 0 ? 2 : 5;
    c.push_back(number(slotName("SelectedSound", slot), &gSelectedSound[slot], selectedDefault, 0,
                       selectedDefault));
    c.push_back(text(slotName("CustomSound", slot), &gCustomSound[slot]));
    c.push_back(text(slotName("CustomSoundFolder", slot), &gCustomSoundFolder[slot]));
}

// The catalogue, in the order the loader reads it.
const std::vector<Setting>& catalogue() {
    static const std::vector<Setting> c = [] {
        std::vector<Setting> c;
        for (int slot = 0; slot <= 4; ++slot)
            addAudioSlot(c, slot, 3);
        c.push_back(number(QStringLiteral("SelectedSound5"), &gSelectedSound[5], 22, 0, 22));
        for (int slot = 6; slot <= 7; ++slot)
            addAudioSlot(c, slot, 4);
        c.push_back(number(QStringLiteral("SelectedSound8"), &gSelectedSound[8], 22, 0, 22));

        c.push_back(number(QStringLiteral("MuteAll"), &gMuteAll, 0, 0, 1));
        c.push_back(number(QStringLiteral("ImageType"), &gImageType, 0, 0, 3));
        c.push_back(number(QStringLiteral("SelectedImage"), &gSelectedImage, 3, 0, 33));
        c.push_back(text(QStringLiteral("CustomImage"), &gCustomImage));
        c.push_back(text(QStringLiteral("CustomImageFolder"), &gCustomImageFolder));
        c.push_back(number(QStringLiteral("ColorType"), &gColorType, 0, 0, 1));
        c.push_back(colour(QStringLiteral("ColorFace"), &gColorFace, 0x80000005u));
        c.push_back(
            colour(QStringLiteral("ColorFaceHighlight"), &gColorFaceHighlight, 0x8000000Du));
        c.push_back(colour(QStringLiteral("ColorHands"), &gColorHands, 0x80000008u));
        c.push_back(
            colour(QStringLiteral("ColorHandsHighlight"), &gColorHandsHighlight, 0x8000000Eu));
        c.push_back(colour(QStringLiteral("ColorSeconds"), &gColorSeconds, 0x8000000Bu));
        c.push_back(
            colour(QStringLiteral("ColorSecondsHighlight"), &gColorSecondsHighlight, 0x8000000Bu));
        c.push_back(number(QStringLiteral("DisplayBalloonTips"), &gDisplayBalloonTips, 1, 0, 1));
        c.push_back(number(QStringLiteral("DisplayMainScreen"), &gDisplayMainScreen, 0, 0, 1));
        c.push_back(number(QStringLiteral("FlashTrayIcon"), &gFlashTrayIcon, 0, 0, 1));
        c.push_back(number(QStringLiteral("DisplayBalloonTipsReminder"),
                           &gDisplayBalloonTipsReminder, 1, 0, 1));
        c.push_back(number(QStringLiteral("DisplayMainScreenReminder"), &gDisplayMainScreenReminder,
                           0, 0, 1));
        c.push_back(
            number(QStringLiteral("FlashTrayIconReminder"), &gFlashTrayIconReminder, 0, 0, 1));
        c.push_back(number(QStringLiteral("HideWhenMinimized"), &gHideWhenMinimized, 1, 0, 1));
        c.push_back(number(QStringLiteral("AlwaysOnTop"), &gAlwaysOnTop, 1, 0, 1));
        c.push_back(number(QStringLiteral("LaunchOnStartup"), &gLaunchOnStartup, 1, 0, 1));
        c.push_back(number(QStringLiteral("LaunchMinimized"), &gLaunchMinimized, 0, 0, 1));
        c.push_back(
            number(QStringLiteral("ReadBismillahOnLaunch"), &gReadBismillahOnLaunch, 1, 0, 1));
        Setting security = number(QStringLiteral("SecurityType"), &gSecurityType, 1, 0, 1);
        security.range = Range::SecurityType;
        c.push_back(security);
        c.push_back(number(QStringLiteral("ActivateDDEServer"), &gActivateDDEServer, 0, 0, 1));
        c.push_back(number(QStringLiteral("DDEAdviseRate"), &gDDEAdviseRate, 5, 0, 5));
        Setting zone = number(QStringLiteral("TimeZone"), &gTimeZone, 36, 0, kLastTimeZoneIndex);
        zone.range = Range::TimeZone;
        c.push_back(zone);
        c.push_back(text(QStringLiteral("Country"), &gCountry, QStringLiteral("Saudi Arabia")));
        c.push_back(text(QStringLiteral("CityName"), &gCityName, QStringLiteral("Makkah"), true));
        c.push_back(text(QStringLiteral("Province"), &gProvince, QString(), true));
        c.push_back(index(QStringLiteral("CountryIndex"), &gCountryIndex, 197));
        c.push_back(index(QStringLiteral("CityIndex"), &gCityIndex, 90));
        c.push_back(coordinate(QStringLiteral("Latitude"), &gLatitude, 21.4233, 91));
        c.push_back(coordinate(QStringLiteral("Longitude"), &gLongitude, 39.8233, 181));
        c.push_back(number(QStringLiteral("CalculationMethod"), &gCalcMethod, 6, 0, 7));
        c.push_back(number(QStringLiteral("JuristicMethod"), &gJuristicMethod, 1, 1, 2));
        c.push_back(number(QStringLiteral("FajrDegrees"), &gFajrDegrees, 20, 0, 50));
        c.push_back(number(QStringLiteral("IshaDegrees"), &gIshaDegrees, 20, 0, 50));
        c.push_back(
            number(QStringLiteral("FajrDegreesDifference"), &gFajrDegreesDifference, 20, 0, 50));
        c.push_back(number(QStringLiteral("IshaMinutes"), &gIshaMinutes, 0, 0, 30));
        c.push_back(number(QStringLiteral("MaghribMinutes"), &gMaghribMinutes, 1, 0, 15));
        c.push_back(number(QStringLiteral("DhuhrMinutes"), &gDhuhrMinutes, 1, 0, 90));
        c.push_back(number(QStringLiteral("MinuteAdjustActive"), &gMinuteAdjustActive, 0, 0, 1));
        for (int p = 1; p <= 6; ++p)
            c.push_back(number(slotName("MinuteAdjust", p), &gMinuteAdjust[p], 0, -10, 10));
        for (int p = 1; p <= 6; ++p)
            c.push_back(number(slotName("ReminderBefore", p), &gReminderBefore[p], 0, 0, 12));
        for (int p = 1; p <= 6; ++p)
            c.push_back(number(slotName("ReminderAfter", p), &gReminderAfter[p], 0, 0, 12));
        c.push_back(number(QStringLiteral("Rounding"), &gRounding, 2, 0, 3));
        c.push_back(number(QStringLiteral("SelectedTab"), &gSelectedTab, 0, 0, 2));
        c.push_back(number(QStringLiteral("DaylightSavingsTime"), &gDaylightSavingsTime, 1, 0, 3));
        c.push_back(number(QStringLiteral("DaylightSavings"), &gDaylightSavings, 0, 0, 2));
        c.push_back(number(QStringLiteral("DisplayKabaa"), &gDisplayKabaa, 1, 0, 1));
        c.push_back(number(QStringLiteral("DisplayHijraa"), &gDisplayHijraa, 0, 0, 1));
        c.push_back(number(QStringLiteral("DisplaySplashScreen"), &gDisplaySplashScreen, 0, 0, 1));
        c.push_back(number(QStringLiteral("ProgressBarSegment"), &gProgressBarSegment, 1, 0, 1));
        c.push_back(number(QStringLiteral("CoordinateSystem"), &gCoordinateSystem, 0, 0, 1));
        c.push_back(number(QStringLiteral("SliderTickStyle"), &gSliderTickStyle, 1, 0, 1));
        return c;
    }();
    return c;
}

const Setting* find(const QString& name) {
    for (const auto& s : catalogue())
        if (s.name == name)
            return &s;
    return nullptr;
}

// The order in which a reset writes the values.
QStringList resetOrder() {
    QStringList order;
    for (const auto& s : catalogue()) {
        order << s.name;
        if (s.name == QLatin1String("SelectedSound8"))
            break;
    }
    order << QStringLiteral("MuteAll") << QStringLiteral("ImageType")
          << QStringLiteral("SelectedImage") << QStringLiteral("CustomImage")
          << QStringLiteral("CustomImageFolder") << QStringLiteral("ColorType")
          << QStringLiteral("ColorFace") << QStringLiteral("ColorFaceHighlight")
          << QStringLiteral("ColorHands") << QStringLiteral("ColorHandsHighlight")
          << QStringLiteral("ColorSeconds") << QStringLiteral("ColorSecondsHighlight")
          << QStringLiteral("DisplayBalloonTips") << QStringLiteral("DisplayMainScreen")
          << QStringLiteral("FlashTrayIcon") << QStringLiteral("DisplayBalloonTipsReminder")
          << QStringLiteral("DisplayMainScreenReminder") << QStringLiteral("FlashTrayIconReminder")
          << QStringLiteral("HideWhenMinimized") << QStringLiteral("AlwaysOnTop")
          << QStringLiteral("LaunchOnStartup") << QStringLiteral("LaunchMinimized")
          << QStringLiteral("ReadBismillahOnLaunch") << QStringLiteral("SecurityType")
          << QStringLiteral("ActivateDDEServer") << QStringLiteral("DDEAdviseRate")
          << QStringLiteral("Country") << QStringLiteral("CountryIndex")
          << QStringLiteral("CityName") << QStringLiteral("CityIndex") << QStringLiteral("Province")
          << QStringLiteral("Latitude") << QStringLiteral("Longitude") << QStringLiteral("TimeZone")
          << QStringLiteral("DaylightSavingsTime") << QStringLiteral("DaylightSavings")
          << QStringLiteral("CalculationMethod") << QStringLiteral("JuristicMethod")
          << QStringLiteral("FajrDegrees") << QStringLiteral("IshaDegrees")
          << QStringLiteral("FajrDegreesDifference") << QStringLiteral("IshaMinutes")
          << QStringLiteral("MaghribMinutes") << QStringLiteral("MinuteAdjustActive");
    for (int p = 1; p <= 6; ++p)
        order << slotName("MinuteAdjust", p);
    for (int p = 1; p <= 6; ++p)
        order << slotName("ReminderBefore", p) << slotName("ReminderAfter", p);
    order << QStringLiteral("DhuhrMinutes") << QStringLiteral("Rounding")
          << QStringLiteral("SelectedTab") << QStringLiteral("DisplayKabaa")
          << QStringLiteral("DisplayHijraa") << QStringLiteral("DisplaySplashScreen")
          << QStringLiteral("ProgressBarSegment") << QStringLiteral("CoordinateSystem")
          << QStringLiteral("SliderTickStyle");
    return order;
}

QString defaultText(const Setting& s) {
    switch (s.kind) {
    case Kind::Int16:
    case Kind::Colour:
        return QString::number(static_cast<qint64>(s.defaultNumber));
    case Kind::Coordinate:
        return CoordinateText(s.defaultNumber);
    default:
        return s.defaultText;
    }
}

// Converts the stored text into the variable; false when it does not convert.
bool convert(const Setting& s, const QString& stored) {
    switch (s.kind) {
    case Kind::Int16: {
        const auto v = CInt(stored);
        if (!v)
            return false;
        *static_cast<std::int16_t*>(s.variable) = *v;
        return true;
    }
    case Kind::Colour: {
        const auto v = CLng(stored);
        if (!v)
            return false;
        *static_cast<std::int32_t*>(s.variable) = *v;
        return true;
    }
    case Kind::Coordinate: {
        const auto v = ReadCoordinate(stored);
        if (!v)
            return false;
        *static_cast<double*>(s.variable) = *v;
        return true;
    }
    case Kind::Text:
        *static_cast<QString*>(s.variable) = stored;
        return true;
    case Kind::TrimmedText:
        *static_cast<QString*>(s.variable) = stored.trimmed();
        return true;
    }
    return false;
}

bool inRange(const Setting& s) {
    double v = 0;
    switch (s.kind) {
    case Kind::Int16:
        v = *static_cast<std::int16_t*>(s.variable);
        break;
    case Kind::Coordinate:
        v = *static_cast<double*>(s.variable);
        break;
    default:
        return true;
    }
    switch (s.range) {
    case Range::None:
        return true;
    case Range::Inclusive:
        return v >= s.low && v <= s.high;
    case Range::ListPosition:
        return v >= -1; // -1: typed in the prayer settings, not chosen from the list
    case Range::TimeZone:
        return IsValidTimeZoneIndex(static_cast<std::int16_t>(v));
    case Range::Exclusive:
        return v > s.low && v < s.high;
    case Range::SecurityType:
        return v >= 0 && v <= 1 && !(v == 0 && gPlatformId == 1);
    }
    return true;
}

} // namespace

namespace {

// The values that together say where the user prays.
const QStringList& placeSettings() {
    static const QStringList names = {QStringLiteral("Country"),   QStringLiteral("CountryIndex"),
                                      QStringLiteral("CityName"),  QStringLiteral("CityIndex"),
                                      QStringLiteral("Province"),  QStringLiteral("Latitude"),
                                      QStringLiteral("Longitude"), QStringLiteral("TimeZone")};
    return names;
}

// What the user has been told about the store (damaged copies, reasons it cannot save), so
// that each is told once; and whether a load or reset is writing (it tells at its end).
QStringList gTold;
bool gLoading = false;

struct LoadingGuard {
    LoadingGuard() { gLoading = true; }
    ~LoadingGuard() { gLoading = false; }
};

// The first few of a list of settings, and how many more there are, so that a message box
// stays the size of a screen however many lines of a file were lost.
QString shortList(const QStringList& names, qsizetype total) {
    constexpr qsizetype kShown = 5;
    const QString shown = names.mid(0, kShown).join(QStringLiteral(", "));
    const qsizetype more = total - std::min(kShown, names.size());
    return more > 0 ? QStringLiteral("%1 and %2 more").arg(shown, QString::number(more)) : shown;
}

// Tells the user which values a load set back to their defaults (every time), and what the
// store could not keep: a damaged file put aside, or changes it cannot save (once each).
void reportStoreTrouble(const QStringList& setBack) {
    QStringList& told = gTold;
    const platform::RegistryStoreTrouble t = platform::CurrentRegistryStore().trouble();
    const bool placeTouched = std::any_of(setBack.begin(), setBack.end(), [](const QString& n) {
        return placeSettings().contains(n);
    });
    const QString placeNote =
        placeTouched ? QStringLiteral("\n\nThe place may no longer be the one you chose: check "
                                      "it in the prayer settings.")
                     : QString();
    if (!t.damagedCopy.isEmpty() && !told.contains(t.damagedCopy) && !t.notRead.isEmpty()) {
        told << t.damagedCopy;
        MsgBox(QStringLiteral("The settings file was not read: %1. Tallix Time starts with its "
                              "default settings.\n\nThe file as it was is kept as\n%2")
                   .arg(t.notRead, t.damagedCopy),
               vbExclamation, App.Title);
    } else if (!t.damagedCopy.isEmpty() && !told.contains(t.damagedCopy)) {
        told << t.damagedCopy;
        QStringList names = t.lostValues + setBack;
        names.removeDuplicates();
        const qsizetype unnamed = std::max<qsizetype>(0, t.lostCount - t.lostValues.size());
        MsgBox(QStringLiteral("Part of the settings file could not be read. These settings were "
                              "set back to their defaults:\n\n%1\n\nA copy of the file as it "
                              "was is kept as\n%2")
                       .arg(shortList(names, names.size() + unnamed), t.damagedCopy) +
                   placeNote,
               vbExclamation, App.Title);
    } else if (!setBack.isEmpty()) {
        MsgBox(QStringLiteral("These settings could not be used and were set back to their "
                              "defaults:\n\n%1")
                       .arg(shortList(setBack, setBack.size())) +
                   placeNote,
               vbExclamation, App.Title);
    }
    if (!t.unsaved.isEmpty() && !told.contains(t.unsaved)) {
        told << t.unsaved;
        MsgBox(QStringLiteral("The settings cannot be saved: %1.\n\nTallix Time goes on with the "
                              "settings it could read, or its defaults; changes made now last "
                              "until it ends.")
                   .arg(t.unsaved),
               vbExclamation, App.Title);
    }
}

bool keyExists(const QString& sub) {
    HKEY h = 0;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, sub, 0, KEY_READ, &h) != ERROR_SUCCESS)
        return false;
    RegCloseKey(h);
    return true;
}

// Writes the texts in one change of the store, then reads each back into its variable; false
// when one cannot be read back (the store keeps nothing).
bool storeAndReadBack(const std::vector<const Setting*>& settings) {
    QList<QPair<QString, QString>> texts;
    for (const Setting* s : settings)
        texts.append({s->name, defaultText(*s)});
    RegSetStrings(kSettingsKey, texts);
    bool ok = true;
    for (const Setting* s : settings)
        ok = convert(*s, RegGetString(kSettingsKey, s->name)) && ok;
    return ok;
}

// Every value is taken as stored when it converts and passes its range test; any other goes
// back to its default alone. A place keeps what decides the times (coordinates, zone) while they
// are valid: a typed city's list position (-1), a lost name or position is no reason to move it.
// *setBack names every stored value that could not be used, and the missing parts of a place
// that is partly stored; a value simply not stored yet (a new store, one seeded by hand with a
// few values) takes its default silently. All repairs are written at once.
bool loadAll(QStringList* setBack) {
    const bool fresh = !keyExists(kSettingsKey);
    std::vector<QString> texts;
    bool placeStored = false;
    for (const Setting& s : catalogue()) {
        texts.push_back(fresh ? QString() : RegGetString(kSettingsKey, s.name));
        placeStored = placeStored || (!texts.back().isEmpty() && placeSettings().contains(s.name));
    }
    std::vector<const Setting*> repairs;
    for (std::size_t i = 0; i < catalogue().size(); ++i) {
        const Setting& s = catalogue()[i];
        const bool usable = !texts[i].isEmpty() && convert(s, texts[i]) && inRange(s);
        Err.Clear();
        if (usable)
            continue;
        repairs.push_back(&s);
        if (!texts[i].isEmpty() || (placeStored && placeSettings().contains(s.name)))
            setBack->append(s.name);
    }
    if (repairs.empty())
        return true;
    const bool ok = storeAndReadBack(repairs);
    Err.Clear();
    return ok;
}

} // namespace

bool LoadSettings() {
    QStringList setBack;
    bool ok = false;
    {
        const LoadingGuard loading;
        ok = loadAll(&setBack);
    }
    // A store that gives nothing back is reset, and that is told instead.
    reportStoreTrouble(ok ? setBack : QStringList());
    return ok;
}

void ReportUnsavedSettings() {
    if (gLoading)
        return;
    const QString why = platform::CurrentRegistryStore().trouble().unsaved;
    if (why.isEmpty() || gTold.contains(why))
        return;
    gTold << why;
    MsgBox(QStringLiteral("The settings cannot be saved: %1.\n\nThis change and those made after "
                          "it last only until Tallix Time ends.")
               .arg(why),
           vbExclamation, App.Title);
}

bool LoadOrResetSettings() {
    if (LoadSettings())
        return true;
    const QString copy = ResetSettings();
    // The user who starts the program from the desktop sees no terminal: say it here.
    if (!copy.isEmpty())
        MsgBox(QStringLiteral("The settings could not be read, so every setting was set back to "
                              "its default.\n\nThe previous settings file is kept as\n%1")
                   .arg(copy),
               vbExclamation, App.Title);
    return false;
}

QString ResetSettings() {
    // The values being replaced may be the user's only copy: keep the file beside it first.
    const QString copy = platform::CurrentRegistryStore().backup(QStringLiteral("before-reset"));
    if (!copy.isEmpty())
        qWarning("tallix-time: the settings could not be read and were reset to their defaults; "
                 "the previous settings file was kept as %s",
                 qPrintable(copy));
    std::vector<const Setting*> all;
    for (const QString& name : resetOrder())
        if (const Setting* s = find(name))
            all.push_back(s);
    {
        const LoadingGuard loading;
        storeAndReadBack(all);
    }
    Err.Clear();
    reportStoreTrouble({});
    return copy;
}

QString CoordinateText(double degrees) {
    return QString::number(degrees, 'g', 15);
}

std::optional<double> ReadCoordinate(const QString& stored) {
    // Whoever wrote it, in whatever locale: one decimal separator, the point, the comma, the
    // Arabic separator or the user's own; never grouping (a coordinate has no thousands).
    QString t = PlainNumberText(stored).trimmed();
    const QString own = PlainNumberText(GetUserLocaleInfo(LOCALE_SDECIMAL)).trimmed();
    int separators = 0;
    for (QChar& c : t) {
        if (c == u'.' || c == u',' || c == QChar(0x066B) || (!own.isEmpty() && c == own.at(0))) {
            c = u'.';
            ++separators;
        }
    }
    bool ok = separators <= 1 && !t.isEmpty();
    QLocale c = QLocale::c();
    c.setNumberOptions(QLocale::RejectGroupSeparator);
    const double v = ok ? c.toDouble(t, &ok) : 0.0;
    if (!ok || !std::isfinite(v)) {
        Err.Raise(vbErrTypeMismatch);
        return std::nullopt;
    }
    return v;
}

bool SetRunAtStartup(bool bOn) {
    if (bOn)
        return RegSetString(kRunKey, kRunValueName, App.Path() + u'/' + App.EXEName());
    // A value that was not there is as good as deleted.
    return RegDeleteValue(HKEY_CURRENT_USER, kRunKey, kRunValueName) ||
           RegGetString(kRunKey, kRunValueName).isEmpty();
}

double TimeZoneIndexToHours(std::int16_t iIndex) {
    if (iIndex > 60)
        return (iIndex - 61) * 0.5 - 15 + 0.25;
    return iIndex * 0.5 - 15;
}

bool IsValidTimeZoneIndex(std::int16_t iIndex) {
    return iIndex >= 0 && iIndex <= kLastTimeZoneIndex;
}

std::int16_t TimeZoneHoursToIndex(double dHours) {
    if (!std::isfinite(dHours) || std::fabs(dHours) > 15.125)
        return -1;
    const auto quarters = static_cast<int>(RoundHalfEven(dHours * 4));
    if (quarters % 2 == 0)
        return static_cast<std::int16_t>(quarters / 2 + 30);
    return static_cast<std::int16_t>((quarters - 1) / 2 + 91);
}

std::int32_t AdviseRateToMs(std::int16_t iIndex) {
    switch (iIndex) {
    case 0:
        return 1000;
    case 1:
        return 5000;
    case 2:
        return 10000;
    case 3:
        return 20000;
    case 4:
        return 30000;
    case 5:
        return 60000;
    default:
        return 0;
    }
}

QStringList SettingNames() {
    QStringList names;
    for (const auto& s : catalogue())
        names << s.name;
    return names;
}

QString SettingDefaultText(const QString& name) {
    const Setting* s = find(name);
    return s ? defaultText(*s) : QString();
}
