// Loading, repairing and resetting the settings.
#include "core/mAPI.h"
#include "core/mMain.h"
#include "core/settings.h"
#include "fakes/child_process.h"
#include "fakes/fake_registry.h"
#include "mainwindow/frmTallix.h"
#include "runtime/Interaction.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QTemporaryDir>
#include <csignal>
#include <cstring>
#include <functional>
#include <gtest/gtest.h>
#include <sys/inotify.h>
#include <sys/resource.h>
#include <unistd.h>

namespace {

class Settings : public ::testing::Test {
protected:
    void SetUp() override {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        gPlatformId = 2;
        // A repair is told in a message box: answered here unless a test listens itself.
        runtime::SetMsgBoxAnswerer([](const QString&, int, const QString&) { return vbOK; });
    }
    void TearDown() override {
        runtime::SetMsgBoxAnswerer(nullptr);
        QLocale::setDefault(QLocale::system());
    }

    QString stored(const QString& name) const { return fake.text(kSettingsKey, name); }
    void store(const QString& name, const QString& text) { fake.setText(kSettingsKey, name, text); }

    FakeRegistry fake;
};

TEST_F(Settings, FirstStartWritesEveryValueWithItsDefault) {
    QStringList names = SettingNames();
    ASSERT_EQ(names.size(), 101);
    ASSERT_EQ(names.removeDuplicates(), 0);
    ASSERT_TRUE(LoadSettings());
    for (const QString& name : names)
        EXPECT_EQ(stored(name), SettingDefaultText(name).isEmpty() ? QStringLiteral(" ")
                                                                   : SettingDefaultText(name))
            << qPrintable(name);
    EXPECT_EQ(stored(QStringLiteral("ColorFace")), QStringLiteral("-2147483643"));
    EXPECT_EQ(stored(QStringLiteral("Latitude")), QStringLiteral("21.4233"));
    EXPECT_EQ(gCustomSound[0], QStringLiteral(" "));
    EXPECT_EQ(gProvince, QString());
    EXPECT_EQ(gCountry, QStringLiteral("Saudi Arabia"));
    EXPECT_EQ(gCityName, QStringLiteral("Makkah"));
    EXPECT_EQ(gColorSecondsHighlight, static_cast<std::int32_t>(0x8000000Bu));
    EXPECT_EQ(gCalcMethod, 6);
    EXPECT_EQ(gTimeZone, 36);
    EXPECT_EQ(gSelectedSound[5], 22);
    EXPECT_EQ(gSelectedSound[0], 2);
    EXPECT_DOUBLE_EQ(gLongitude, 39.8233);
}

// Stored text, then the value it must load as and the text the store must hold afterwards.
struct RangeCase {
    const char* name;
    const char* stored;
    double loaded;
    const char* storedAfter;
};

double valueOf(const QString& name) {
    static const QMap<QString, std::function<double()>> vars = {
        {QStringLiteral("AudioType0"), [] { return double(gAudioType[0]); }},
        {QStringLiteral("AudioType6"), [] { return double(gAudioType[6]); }},
        {QStringLiteral("SelectedSound0"), [] { return double(gSelectedSound[0]); }},
        {QStringLiteral("SelectedSound5"), [] { return double(gSelectedSound[5]); }},
        {QStringLiteral("MinuteAdjust3"), [] { return double(gMinuteAdjust[3]); }},
        {QStringLiteral("CountryIndex"), [] { return double(gCountryIndex); }},
        {QStringLiteral("Latitude"), [] { return gLatitude; }},
        {QStringLiteral("Longitude"), [] { return gLongitude; }},
        {QStringLiteral("ColorFace"), [] { return double(gColorFace); }},
        {QStringLiteral("ColorHands"), [] { return double(gColorHands); }},
        {QStringLiteral("JuristicMethod"), [] { return double(gJuristicMethod); }},
        {QStringLiteral("TimeZone"), [] { return double(gTimeZone); }},
        {QStringLiteral("Rounding"), [] { return double(gRounding); }},
    };
    return vars.value(name)();
}

TEST_F(Settings, OutOfRangeValuesAreRepairedAndOthersKept) {
    const RangeCase cases[] = {
        {"AudioType0", "4", 1, "1"},
        {"AudioType6", "4", 4, "4"},
        {"SelectedSound0", "3", 2, "2"},
        {"SelectedSound5", "22", 22, "22"},
        {"SelectedSound5", "23", 22, "22"},
        {"MinuteAdjust3", "-10", -10, "-10"},
        {"MinuteAdjust3", "-11", 0, "0"},
        {"CountryIndex", "5000", 5000, "5000"},
        {"CountryIndex", "-1", -1, "-1"}, // typed in the dialog, not chosen from its list
        {"CountryIndex", "-2", 197, "197"},
        {"Latitude", "91", 21.4233, "21.4233"},
        {"Latitude", "-91", 21.4233, "21.4233"},
        {"Latitude", "90.5", 90.5, "90.5"},
        {"Longitude", "-180.9999", -180.9999, "-180.9999"},
        {"Longitude", "181", 39.8233, "39.8233"},
        {"ColorFace", "-1", -1, "-1"},
        {"ColorHands", "123456", 123456, "123456"},
        {"JuristicMethod", "0", 1, "1"},
        {"TimeZone", "60", 60, "60"},
        {"TimeZone", "102", 102, "102"}, // +5:45
        {"TimeZone", "120", 120, "120"},
        {"TimeZone", "121", 36, "36"},
        // Fractions round to the even neighbour before the range test.
        {"Rounding", "2.5", 2, "2.5"},
        {"Rounding", "3.5", 2, "2"},
        {"TimeZone", " 12 ", 12, " 12 "},
    };
    for (const auto& c : cases) {
        const QString name = QString::fromLatin1(c.name);
        store(name, QString::fromLatin1(c.stored));
        ASSERT_TRUE(LoadSettings()) << c.name << " " << c.stored;
        EXPECT_DOUBLE_EQ(valueOf(name), c.loaded) << c.name << " " << c.stored;
        EXPECT_EQ(stored(name), QString::fromLatin1(c.storedAfter)) << c.name << " " << c.stored;
    }
}

// Cairo, as the prayer settings dialog stores it; the city typed by hand (no list position).
void storeCairo(FakeRegistry& fake) {
    const std::pair<const char*, const char*> place[] = {
        {"Country", "Egypt"},     {"CountryIndex", "64"},  {"CityName", "My Village"},
        {"CityIndex", "-1"},      {"Province", "Giza"},    {"Latitude", "30.0444"},
        {"Longitude", "31.2357"}, {"TimeZone", "34"},      {"CalculationMethod", "4"},
        {"Rounding", "0"},        {"MinuteAdjust2", "-3"}, {"ColorFace", "255"}};
    for (const auto& [name, text] : place)
        fake.setText(kSettingsKey, QString::fromLatin1(name), QString::fromLatin1(text));
}

void expectCairoBut(const QString& except) {
    const auto unless = [&](const char* name) { return except != QLatin1String(name); };
    if (unless("Country")) {
        EXPECT_EQ(gCountry, QStringLiteral("Egypt")) << qPrintable(except);
    }
    if (unless("CountryIndex")) {
        EXPECT_EQ(gCountryIndex, 64) << qPrintable(except);
    }
    if (unless("CityName")) {
        EXPECT_EQ(gCityName, QStringLiteral("My Village")) << qPrintable(except);
    }
    if (unless("CityIndex")) {
        EXPECT_EQ(gCityIndex, -1) << qPrintable(except);
    }
    if (unless("Province")) {
        EXPECT_EQ(gProvince, QStringLiteral("Giza")) << qPrintable(except);
    }
    if (unless("Latitude")) {
        EXPECT_DOUBLE_EQ(gLatitude, 30.0444) << qPrintable(except);
    }
    if (unless("Longitude")) {
        EXPECT_DOUBLE_EQ(gLongitude, 31.2357) << qPrintable(except);
    }
    if (unless("TimeZone")) {
        EXPECT_EQ(gTimeZone, 34) << qPrintable(except);
    }
    EXPECT_EQ(gCalcMethod, 4) << qPrintable(except);
    EXPECT_EQ(gRounding, 0) << qPrintable(except);
    if (unless("MinuteAdjust2")) {
        EXPECT_EQ(gMinuteAdjust[2], -3) << qPrintable(except);
    }
    if (unless("ColorFace")) {
        EXPECT_EQ(gColorFace, 255) << qPrintable(except);
    }
}

// A place typed by hand survives the next start whole, and a place that lost a part keeps the
// rest: what decides the times (coordinates, zone) is never thrown away while it is valid. What
// was set back is named in the message.
TEST_F(Settings, APlaceKeepsEveryPartThatIsValid) {
    const struct {
        const char* lost;   // "" when nothing is
        const char* stored; // nullptr: the line is missing
    } cases[] = {{"", nullptr},         {"Province", nullptr},  {"CityName", nullptr},
                 {"Country", nullptr},  {"CityIndex", nullptr}, {"CityIndex", "-7"},
                 {"CountryIndex", "x"}, {"Latitude", nullptr},  {"TimeZone", nullptr},
                 {"Longitude", "181"},  {"Latitude", "-91"},    {"Longitude", "999"},
                 {"TimeZone", "-5"}};
    for (const auto& c : cases) {
        const QString lost = QString::fromLatin1(c.lost);
        fake.keys.clear();
        ASSERT_TRUE(LoadSettings());
        storeCairo(fake);
        if (c.stored)
            store(lost, QString::fromLatin1(c.stored));
        else if (!lost.isEmpty())
            fake.keys[QStringLiteral("hkey_current_user\\software\\tallix time")].remove(
                lost.toLower());
        QStringList shown;
        runtime::SetMsgBoxAnswerer([&](const QString& prompt, int, const QString&) {
            shown << prompt;
            return vbOK;
        });
        ASSERT_TRUE(LoadSettings()) << c.lost;
        runtime::SetMsgBoxAnswerer(nullptr);
        expectCairoBut(lost);
        if (lost.isEmpty()) {
            EXPECT_TRUE(shown.isEmpty()) << qPrintable(shown.join(u'|'));
            continue;
        }
        const QString def = SettingDefaultText(lost);
        EXPECT_EQ(stored(lost), def.isEmpty() ? QStringLiteral(" ") : def) << c.lost;
        ASSERT_EQ(shown.size(), 1) << c.lost;
        EXPECT_TRUE(shown[0].contains(lost)) << qPrintable(shown[0]);
        EXPECT_TRUE(shown[0].contains(QStringLiteral("place"))) << qPrintable(shown[0]);
        for (const char* kept : {"Latitude", "Longitude", "TimeZone", "Rounding"})
            if (lost != QLatin1String(kept)) {
                EXPECT_FALSE(shown[0].contains(QLatin1String(kept))) << qPrintable(shown[0]);
            }
    }
}

// A store seeded by hand with a few values (or older than a value) takes the defaults of the
// rest without a word: nothing the user stored was set back.
TEST_F(Settings, AValueNotStoredYetTakesItsDefaultSilently) {
    store(QStringLiteral("ActivateDDEServer"), QStringLiteral("1"));
    store(QStringLiteral("Rounding"), QStringLiteral("0"));
    QStringList shown;
    runtime::SetMsgBoxAnswerer([&](const QString& prompt, int, const QString&) {
        shown << prompt;
        return vbOK;
    });
    ASSERT_TRUE(LoadSettings());
    runtime::SetMsgBoxAnswerer(nullptr);
    EXPECT_TRUE(shown.isEmpty()) << qPrintable(shown.join(u'|'));
    EXPECT_EQ(gActivateDDEServer, 1);
    EXPECT_EQ(gRounding, 0);
    EXPECT_EQ(gCityName, QStringLiteral("Makkah"));
    EXPECT_EQ(stored(QStringLiteral("CalculationMethod")), QStringLiteral("6"));
}

TEST_F(Settings, SecurityTypeZeroIsRefusedOnlyOnThe9xFamily) {
    for (const LONG platform : {1, 2}) {
        gPlatformId = platform;
        store(QStringLiteral("SecurityType"), QStringLiteral("0"));
        ASSERT_TRUE(LoadSettings());
        EXPECT_EQ(gSecurityType, platform == 1 ? 1 : 0) << platform;
    }
}

TEST_F(Settings, CoordinatesLoadWithPointOrCommaInACommaLocale) {
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    for (const char* text : {"21.4233", "21,4233"}) {
        store(QStringLiteral("Latitude"), QString::fromLatin1(text));
        ASSERT_TRUE(LoadSettings()) << text;
        EXPECT_DOUBLE_EQ(gLatitude, 21.4233) << text;
    }
    // Coordinates are stored with a point in every locale, so that a change of language
    // cannot lose them.
    fake.keys.clear();
    ASSERT_TRUE(LoadSettings());
    EXPECT_EQ(stored(QStringLiteral("Longitude")), QStringLiteral("39.8233"));
    EXPECT_DOUBLE_EQ(gLongitude, 39.8233);
}

// A value that cannot be used (no number, too large for its variable, out of range) costs
// that value only; the message names it each time it happens.
TEST_F(Settings, AValueThatCannotBeUsedCostsThatValueOnlyAndIsNamedEachTime) {
    const struct {
        const char* name;
        const char* stored;
    } cases[] = {
        {"AudioType0", "abc"},        {"MinuteAdjust6", " "},        {"SelectedTab", "40000"},
        {"ColorFace", "99999999999"}, {"ColorFace", "123456789012"}, {"Latitude", "north"},
        {"Latitude", "NaN"},          {"SliderTickStyle", "1x"},     {"TimeZone", "100000"},
        {"MinuteAdjust2", "100000"},  {"MinuteAdjust2", "-100000"},  {"Longitude", "inf"}};
    for (const auto& c : cases) {
        const QString name = QString::fromLatin1(c.name);
        fake.keys.clear();
        fake.backups.clear();
        ASSERT_TRUE(LoadSettings());
        storeCairo(fake);
        QStringList shown;
        runtime::SetMsgBoxAnswerer([&](const QString& prompt, int, const QString&) {
            shown << prompt;
            return vbOK;
        });
        for (int time = 1; time <= 2; ++time) {
            store(name, QString::fromLatin1(c.stored));
            EXPECT_TRUE(LoadSettings()) << c.name;
            expectCairoBut(name);
            const QString def = SettingDefaultText(name);
            EXPECT_EQ(stored(name), def.isEmpty() ? QStringLiteral(" ") : def) << c.name;
            ASSERT_EQ(shown.size(), time) << c.name;
            EXPECT_TRUE(shown.last().contains(name)) << qPrintable(shown.last());
            EXPECT_FALSE(shown.last().contains(QStringLiteral("Rounding")));
        }
        EXPECT_TRUE(LoadSettings()) << "repaired: nothing more to say";
        runtime::SetMsgBoxAnswerer(nullptr);
        EXPECT_EQ(shown.size(), 2) << c.name;
        EXPECT_TRUE(fake.backups.isEmpty()) << "nothing was reset";
    }
}

// A reset (a store that gives nothing back) keeps a copy and writes every default.
TEST_F(Settings, AResetWritesEveryDefaultAndKeepsACopy) {
    ASSERT_TRUE(LoadSettings());
    storeCairo(fake);
    ResetSettings();
    EXPECT_EQ(fake.backups, QStringList{QStringLiteral("before-reset")});
    for (const QString& name : SettingNames()) {
        const QString def = SettingDefaultText(name);
        EXPECT_EQ(stored(name), def.isEmpty() ? QStringLiteral(" ") : def) << qPrintable(name);
    }
    EXPECT_EQ(gRounding, 2);
    EXPECT_EQ(gCityName, QStringLiteral("Makkah"));
    EXPECT_TRUE(LoadSettings());
}

// A start-up that resets every setting says so in a message box that names the copy kept, not
// only on the terminal that a program started from the desktop does not have.
TEST_F(Settings, AResetAtStartUpIsToldWithTheCopyKept) {
    QStringList shown;
    runtime::SetMsgBoxAnswerer([&](const QString& prompt, int, const QString&) {
        shown << prompt;
        return vbOK;
    });
    EXPECT_TRUE(LoadOrResetSettings());
    EXPECT_TRUE(shown.isEmpty());
    store(QStringLiteral("Latitude"), QStringLiteral("abc"));
    fake.failQuery = true; // nothing can be read back: the load fails
    EXPECT_FALSE(LoadOrResetSettings());
    fake.failQuery = false;
    runtime::SetMsgBoxAnswerer(nullptr);
    ASSERT_EQ(shown.size(), 1);
    EXPECT_TRUE(shown[0].contains(QStringLiteral("every setting was set back")))
        << qPrintable(shown[0]);
    EXPECT_TRUE(shown[0].contains(QStringLiteral("memory-before-reset"))) << qPrintable(shown[0]);
    EXPECT_EQ(stored(QStringLiteral("Latitude")), SettingDefaultText(QStringLiteral("Latitude")));
}

TEST_F(Settings, AStoreThatCannotBeReadFailsAndTheResetLeavesTheVariables) {
    fake.failCreate = true;
    gCalcMethod = 0;
    gCountry.clear();
    EXPECT_FALSE(LoadSettings());
    ResetSettings();
    EXPECT_EQ(gCalcMethod, 0);
    EXPECT_EQ(gCountry, QString());
}

// A store written under one language and read under another keeps every value: coordinates
// as other locales (and earlier versions) wrote them are read, whatever the user's locale.
TEST_F(Settings, AChangeOfLanguageKeepsTheCoordinates) {
    const struct {
        QLocale::Language language;
        QLocale::Territory territory;
    } readers[] = {{QLocale::English, QLocale::UnitedStates},
                   {QLocale::German, QLocale::Germany},
                   {QLocale::Arabic, QLocale::SaudiArabia},
                   {QLocale::Persian, QLocale::Iran}};
    const struct {
        const char* latitude;
        const char* longitude;
        double lat;
        double lon;
    } written[] = {
        {"48.137", "11.5761", 48.137, 11.5761},        // a point, as stored now
        {"48,137", "11,5761", 48.137, 11.5761},        // German or French
        {"\u0662\u0661\u066B\u0664\u0662\u0663\u0663", // ar_SA: "٢١٫٤٢٣٣"
         "\u061C-\u0668\u0663\u066B\u0661\u0667\u0666\u0663", 21.4233, -83.1763},
        {"\u200E\u2212\u06F3\u06F3\u066B\u06F8", "-118,2437", -33.8, -118.2437},
    };
    for (const auto& reader : readers) {
        for (const auto& w : written) {
            QLocale::setDefault(QLocale(reader.language, reader.territory));
            fake.keys.clear();
            ASSERT_TRUE(LoadSettings());
            store(QStringLiteral("CityName"), QStringLiteral("Somewhere"));
            store(QStringLiteral("Latitude"), QString::fromUtf8(w.latitude));
            store(QStringLiteral("Longitude"), QString::fromUtf8(w.longitude));
            const QString where = QLocale().name() + u' ' + QString::fromUtf8(w.latitude);
            ASSERT_TRUE(LoadSettings()) << qPrintable(where);
            EXPECT_DOUBLE_EQ(gLatitude, w.lat) << qPrintable(where);
            EXPECT_DOUBLE_EQ(gLongitude, w.lon) << qPrintable(where);
            EXPECT_EQ(gCityName, QStringLiteral("Somewhere")) << qPrintable(where);
        }
    }
}

// What the store could not keep is told in a message box, once.
TEST_F(Settings, TheUserIsToldOnceWhatTheStoreCouldNotKeep) {
    QStringList shown;
    runtime::SetMsgBoxAnswerer([&](const QString& prompt, int, const QString&) {
        shown << prompt;
        return vbOK;
    });
    ASSERT_TRUE(LoadSettings());
    fake.keys[QStringLiteral("hkey_current_user\\software\\tallix time")].remove(
        QStringLiteral("audiotype0"));
    fake.troubles.damagedCopy = QStringLiteral("/x/registry.conf.damaged-1");
    fake.troubles.lostValues = {QStringLiteral("AudioType0")};
    ASSERT_TRUE(LoadSettings());
    ASSERT_EQ(shown.size(), 1);
    EXPECT_TRUE(shown[0].contains(QStringLiteral("AudioType0"))) << qPrintable(shown[0]);
    EXPECT_TRUE(shown[0].contains(QStringLiteral("/x/registry.conf.damaged-1")));
    EXPECT_FALSE(shown[0].contains(QStringLiteral("Latitude")));
    fake.troubles.unsaved = QStringLiteral("/x/registry.conf is read-only");
    ASSERT_TRUE(LoadSettings());
    ASSERT_TRUE(LoadSettings());
    ResetSettings();
    ASSERT_EQ(shown.size(), 2);
    EXPECT_TRUE(shown[1].contains(QStringLiteral("/x/registry.conf is read-only")));
    runtime::SetMsgBoxAnswerer(nullptr);
}

// The settings start on their defaults when the store cannot be used, never on zeros.
TEST(SettingsOnDisk, AStoreThatIsAFolderStartsOnTheDefaultsAndTellsWhy) {
    QTemporaryDir dir;
    qputenv("XDG_CONFIG_HOME", dir.path().toLocal8Bit());
    platform::InstallRegistryStore(nullptr);
    QDir().mkpath(dir.path() + QStringLiteral("/tallix-time/registry.conf"));
    QStringList shown;
    runtime::SetMsgBoxAnswerer([&](const QString& prompt, int, const QString&) {
        shown << prompt;
        return vbOK;
    });
    gCalcMethod = 0;
    gCityName.clear();
    EXPECT_TRUE(LoadSettings());
    EXPECT_EQ(gCalcMethod, 6);
    EXPECT_EQ(gCityName, QStringLiteral("Makkah"));
    EXPECT_DOUBLE_EQ(gLatitude, 21.4233);
    EXPECT_TRUE(LoadSettings());
    runtime::SetMsgBoxAnswerer(nullptr);
    platform::InstallRegistryStore(nullptr);
    ASSERT_EQ(shown.size(), 1);
    EXPECT_TRUE(shown[0].contains(QStringLiteral("is a folder"))) << qPrintable(shown[0]);
    EXPECT_TRUE(QFileInfo(dir.path() + QStringLiteral("/tallix-time/registry.conf")).isDir());
}

// A bad line in the file costs that value only, and the box names it.
TEST(SettingsOnDisk, ABadLineResetsThatValueOnlyAndNamesIt) {
    QTemporaryDir dir;
    qputenv("XDG_CONFIG_HOME", dir.path().toLocal8Bit());
    platform::InstallRegistryStore(nullptr);
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    gPlatformId = 2;
    ASSERT_TRUE(LoadSettings());
    RegSetString(kSettingsKey, QStringLiteral("CityName"), QStringLiteral("Dearborn"));
    RegSetString(kSettingsKey, QStringLiteral("CalculationMethod"), QStringLiteral("2"));
    platform::InstallRegistryStore(nullptr);
    const QString file = dir.path() + QStringLiteral("/tallix-time/registry.conf");
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    QByteArray content = f.readAll();
    f.close();
    content.replace("\"Rounding\"=\"2\"", "\"Rounding\"=\"2");
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(content);
    f.close();
    QStringList shown;
    runtime::SetMsgBoxAnswerer([&](const QString& prompt, int, const QString&) {
        shown << prompt;
        return vbOK;
    });
    EXPECT_TRUE(LoadSettings());
    runtime::SetMsgBoxAnswerer(nullptr);
    platform::InstallRegistryStore(nullptr);
    EXPECT_EQ(gCityName, QStringLiteral("Dearborn"));
    EXPECT_EQ(gCalcMethod, 2);
    EXPECT_EQ(gRounding, 2);
    ASSERT_EQ(shown.size(), 1);
    EXPECT_TRUE(shown[0].contains(QStringLiteral("Rounding"))) << qPrintable(shown[0]);
    EXPECT_FALSE(shown[0].contains(QStringLiteral("CityName"))) << qPrintable(shown[0]);
}

// What happens to registry.conf in its folder, seen by the kernel: new versions renamed into
// place, and opens.
class StoreFileEvents {
public:
    explicit StoreFileEvents(const QString& folder) {
        fd_ = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        ::inotify_add_watch(fd_, QFile::encodeName(folder).constData(), IN_MOVED_TO | IN_OPEN);
    }
    ~StoreFileEvents() { ::close(fd_); }
    struct Counts {
        int replaced = 0;
        int opened = 0;
    };
    // The events since the last call.
    Counts take() {
        Counts c;
        alignas(inotify_event) char buffer[65536];
        ssize_t n;
        while ((n = ::read(fd_, buffer, sizeof buffer)) > 0) {
            for (ssize_t at = 0; at < n;) {
                const auto* e = reinterpret_cast<const inotify_event*>(buffer + at);
                at += static_cast<ssize_t>(sizeof(inotify_event) + e->len);
                if (e->len == 0 || std::strcmp(e->name, "registry.conf") != 0)
                    continue;
                c.replaced += (e->mask & IN_MOVED_TO) ? 1 : 0;
                c.opened += (e->mask & IN_OPEN) ? 1 : 0;
            }
        }
        return c;
    }

private:
    int fd_ = -1;
};

// A first start writes every default in one replacement of the file, and so does a reset;
// a later start reads its values from one reading of the file.
TEST(SettingsOnDisk, DefaultsAreOneReplacementAndReadsDoNotReopenTheFile) {
    QTemporaryDir dir;
    qputenv("XDG_CONFIG_HOME", dir.path().toLocal8Bit());
    platform::InstallRegistryStore(nullptr);
    const QString folder = dir.path() + QStringLiteral("/tallix-time");
    ASSERT_TRUE(QDir().mkpath(folder));
    StoreFileEvents events(folder);
    ASSERT_TRUE(LoadSettings());
    StoreFileEvents::Counts first = events.take();
    EXPECT_EQ(first.replaced, 1);
    EXPECT_LE(first.opened, 1);
    EXPECT_EQ(RegGetString(kSettingsKey, QStringLiteral("CityName")), QStringLiteral("Makkah"));

    ResetSettings();
    EXPECT_EQ(events.take().replaced, 1);

    platform::InstallRegistryStore(nullptr); // the next start's store
    ASSERT_TRUE(LoadSettings());
    for (int i = 0; i < 100; ++i)
        RegGetString(kSettingsKey, QStringLiteral("Latitude"));
    const StoreFileEvents::Counts next = events.take();
    EXPECT_EQ(next.replaced, 0);
    EXPECT_LE(next.opened, 2);
    // Another process's change is still seen at once.
    auto other = platform::MakeFileRegistryStore(folder, dir.path() + QStringLiteral("/auto"));
    const QByteArray madinah = QByteArrayLiteral("Madinah") + '\0';
    ASSERT_EQ(other->setValue(QStringLiteral("HKEY_CURRENT_USER\\") + kSettingsKey,
                              QStringLiteral("CityName"), REG_SZ, madinah),
              ERROR_SUCCESS);
    EXPECT_EQ(RegGetString(kSettingsKey, QStringLiteral("CityName")), QStringLiteral("Madinah"));
    platform::InstallRegistryStore(nullptr);
}

// A save that fails after the start (the disk full) is told at once, and once, with what will
// not be kept; the change holds for the session.
TEST(SettingsOnDisk, ASaveThatFailsAfterTheStartIsToldOnce) {
    QTemporaryDir dir;
    const int rc = RunInChild(
        [&] {
            qputenv("XDG_CONFIG_HOME", dir.path().toLocal8Bit());
            platform::InstallRegistryStore(nullptr);
            if (!LoadSettings())
                return 2;
            QStringList shown;
            runtime::SetMsgBoxAnswerer([&](const QString& prompt, int, const QString&) {
                shown << prompt;
                return vbOK;
            });
            // No file may grow past a few bytes now, as on a full disk.
            std::signal(SIGXFSZ, SIG_IGN);
            const rlimit small{16, 16};
            ::setrlimit(RLIMIT_FSIZE, &small);
            if (!RegSetString(kSettingsKey, QStringLiteral("Rounding"), QStringLiteral("1")) ||
                !RegSetString(kSettingsKey, QStringLiteral("SelectedTab"), QStringLiteral("2")))
                return 3;
            if (RegGetString(kSettingsKey, QStringLiteral("Rounding")) != QStringLiteral("1"))
                return 4;
            if (shown.size() != 1)
                return 10 + static_cast<int>(shown.size());
            return shown[0].contains(QStringLiteral("cannot be saved")) &&
                           shown[0].contains(QStringLiteral("until Tallix Time ends"))
                       ? 0
                       : 5;
        },
        20000);
    EXPECT_EQ(rc, 0) << "10 + the number of messages shown";
    // The file keeps what was saved before.
    platform::InstallRegistryStore(nullptr);
    qputenv("XDG_CONFIG_HOME", dir.path().toLocal8Bit());
    EXPECT_EQ(RegGetString(kSettingsKey, QStringLiteral("Rounding")), QStringLiteral("2"));
    platform::InstallRegistryStore(nullptr);
}

// The coordinates reach the prayer library whole in every locale, negative ones included.
TEST(SettingsOnDisk, CalculationParametersKeepNegativeCoordinatesInEveryLocale) {
    for (const char* name : {"en_US", "ar_SA", "ar_EG", "fa_IR", "ur_PK", "de_DE", "fr_FR"}) {
        QLocale::setDefault(QLocale(QString::fromLatin1(name)));
        gLatitude = -33.8688;
        gLongitude = -83.1763;
        gTimeZone = 26;
        frmTallix window;
        Location loc{};
        CalcMethod conf{};
        window.GetCalculationParameters(loc, conf);
        EXPECT_DOUBLE_EQ(loc.Latitude, -33.8688) << name;
        EXPECT_DOUBLE_EQ(loc.Longitude, -83.1763) << name;
    }
    QLocale::setDefault(QLocale::system());
}

TEST(SettingsConversions, TimeZonesAndAdviseRates) {
    // Whole and half hours keep their indexes; the quarter hours follow from 61 on.
    const struct {
        double hours;
        int index;
    } zones[] = {{-15, 0},     {-3.5, 23},  {0, 30},    {3, 36},     {5.5, 41},   {15, 60},
                 {-14.75, 61}, {-0.25, 90}, {0.25, 91}, {5.75, 102}, {8.75, 108}, {12.75, 116},
                 {14.75, 120}, {5.125, 40}, {5.2, 101}, {15.25, -1}, {-15.5, -1}, {99, -1}};
    for (const auto& z : zones) {
        EXPECT_EQ(TimeZoneHoursToIndex(z.hours), z.index) << z.hours;
        if (z.index >= 0 && z.hours * 4 == std::round(z.hours * 4)) {
            EXPECT_DOUBLE_EQ(TimeZoneIndexToHours(std::int16_t(z.index)), z.hours) << z.index;
        }
    }
    for (int i = 0; i <= kLastTimeZoneIndex; ++i)
        EXPECT_EQ(TimeZoneHoursToIndex(TimeZoneIndexToHours(std::int16_t(i))), i);
    const std::int32_t rates[] = {1000, 5000, 10000, 20000, 30000, 60000, 0};
    for (int i = 0; i <= 6; ++i)
        EXPECT_EQ(AdviseRateToMs(std::int16_t(i)), rates[i]) << i;
    EXPECT_EQ(AdviseRateToMs(-1), 0);
}

} // namespace
