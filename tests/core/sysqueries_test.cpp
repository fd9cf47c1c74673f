// The system queries and shell actions of mAPI against the platform fakes.
#include "core/mAPI.h"
#include "core/settings.h"
#include "fakes/fake_locale.h"
#include "fakes/fake_network.h"
#include "fakes/fake_registry.h"
#include "fakes/fake_shell.h"
#include "fakes/fake_system.h"
#include "platform/locale.h"
#include "runtime/Form.h"

#include <QLocale>
#include <QWindow>
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <optional>

namespace {

const QString kDesktopKey = QStringLiteral("Control Panel\\Desktop");

TEST(IsScreenSaverActive, StoredNumberFirstThenTheSession) {
    struct Case {
        std::optional<QString> stored;
        platform::ScreenSaverService service;
        bool expected;
    };
    using S = platform::ScreenSaverService;
    const Case cases[] = {
        {QStringLiteral("1"), S::Absent, true},   // the stored value wins...
        {QStringLiteral("0"), S::Present, false}, // ...either way
        {QStringLiteral(" 2 "), S::Absent, true},
        {std::nullopt, S::Present, true},
        {std::nullopt, S::Absent, false},
        {std::nullopt, S::NoBus, true}, // the session cannot tell
        {QStringLiteral(" "), S::Absent, false},
        {QStringLiteral("yes"), S::Present, true},
        {QStringLiteral("yes"), S::Absent, false},
    };
    for (const Case& c : cases) {
        FakeRegistry reg;
        FakeSystem sys;
        sys.saver = c.service;
        if (c.stored)
            reg.setText(kDesktopKey, QStringLiteral("ScreenSaveActive"), *c.stored);
        EXPECT_EQ(IsScreenSaverActive(), c.expected)
            << (c.stored ? c.stored->toStdString() : "(none)") << " " << int(c.service);
    }
}

TEST(StartScreenSaver, AsksTheSession) {
    FakeSystem sys;
    StartScreenSaver();
    EXPECT_EQ(sys.saverStartCalls, 1);
    sys.saver = platform::ScreenSaverService::Absent;
    StartScreenSaver(); // nothing to start; nothing reported
    EXPECT_EQ(sys.saverStartCalls, 2);
}

TEST(IsBalloonTipsEnabled, ByTheStoredValue) {
    const QString key = QStringLiteral("hkey_current_user\\software\\microsoft\\windows\\"
                                       "currentversion\\explorer\\advanced");
    const auto dword = [](std::int32_t v) {
        QByteArray b(4, '\0');
        std::memcpy(b.data(), &v, 4);
        return b;
    };
    struct Case {
        const char* what;
        std::optional<QPair<DWORD, QByteArray>> value;
        bool expected;
    };
    const Case cases[] = {
        {"absent", std::nullopt, true},
        {"DWORD 0", QPair<DWORD, QByteArray>(REG_DWORD, dword(0)), false},
        {"DWORD 1", QPair<DWORD, QByteArray>(REG_DWORD, dword(1)), true},
        {"DWORD -5", QPair<DWORD, QByteArray>(REG_DWORD, dword(-5)), true},
        {"short text", QPair<DWORD, QByteArray>(REG_SZ, QByteArray("on\0", 3)), false},
        {"long text", QPair<DWORD, QByteArray>(REG_SZ, QByteArray("enabled\0", 8)), true},
    };
    for (const Case& c : cases) {
        FakeRegistry reg;
        if (c.value)
            reg.keys[key][QStringLiteral("enableballoontips")] = *c.value;
        EXPECT_EQ(IsBalloonTipsEnabled(), c.expected) << c.what;
        EXPECT_TRUE(reg.writes.isEmpty()) << c.what;
    }
}

TEST(IsInternetConnected, AsksTheStateOnlyForSomeLibraryVersions) {
    struct Case {
        bool known;
        DWORD major, minor;
        std::int16_t versionClass;
        bool asks;
    };
    const Case cases[] = {
        {true, 1, 0, 3, false}, {true, 1, 1, 4, true}, {true, 1, 2, 5, true},
        {true, 2, 0, 1, true},  {true, 1, 3, 1, true}, {false, 1, 2, 0, false},
    };
    for (const Case& c : cases) {
        FakeNetwork net;
        net.versionKnown = c.known;
        net.major = c.major;
        net.minor = c.minor;
        EXPECT_EQ(GetWininetVersionClass(), c.versionClass) << c.major << "." << c.minor;
        for (const auto state : {platform::Reachability::Disconnected,
                                 platform::Reachability::Online, platform::Reachability::Unknown}) {
            net.state = state;
            net.stateQueries = 0;
            const bool expected = !c.asks || state != platform::Reachability::Disconnected;
            EXPECT_EQ(IsInternetConnected(), expected) << c.major << "." << c.minor;
            EXPECT_EQ(net.stateQueries, c.asks ? 1 : 0);
        }
    }
}

TEST(BrowseForFolder, PathChosenCancelledOrLong) {
    FakeShell shell;
    shell.chosenFolder = QStringLiteral("/home/user/Klänge");
    EXPECT_EQ(BrowseForFolder(12, QStringLiteral("Select the folder")),
              QStringLiteral("/home/user/Klänge"));
    EXPECT_EQ(shell.dialogOwners.value(0), 12);
    EXPECT_EQ(shell.dialogTitles.value(0), QStringLiteral("Select the folder"));
    // A path longer than 260 bytes comes back whole.
    const QString deep = QStringLiteral("/data") + QString(30, u'x').prepend(u'/').repeated(10);
    shell.chosenFolder = deep;
    EXPECT_EQ(BrowseForFolder(0, QString()), deep);
    shell.chosenFolder = QString();
    EXPECT_EQ(BrowseForFolder(0, QString()), QString());
}

// A locale that knows only its first day of the week.
class FirstDayLocale : public FakeLocale {
public:
    QString info(LCTYPE type) override {
        return type == LOCALE_IFIRSTDAYOFWEEK ? firstDay : QString();
    }
    QString firstDay;
};

TEST(GetFirstDayOfWeek, LocaleDigitToWeekdayConstant) {
    FirstDayLocale locale;
    const std::pair<QString, int> cases[] = {
        {QStringLiteral("0"), 2}, {QStringLiteral("1"), 3}, {QStringLiteral("2"), 4},
        {QStringLiteral("3"), 5}, {QStringLiteral("4"), 6}, {QStringLiteral("5"), 7},
        {QStringLiteral("6"), 1}, {QStringLiteral("7"), 1}, {QStringLiteral("x"), 1},
        {QString(), 1},
    };
    for (const auto& [text, day] : cases) {
        locale.firstDay = text;
        EXPECT_EQ(GetFirstDayOfWeek(), day) << text.toStdString();
    }
    locale.firstDay = QStringLiteral("3");
    EXPECT_EQ(GetLocaleInfoString(LOCALE_USER_DEFAULT, LOCALE_IFIRSTDAYOFWEEK), "3");
    EXPECT_EQ(GetLocaleInfoString(LOCALE_USER_DEFAULT, 0x7777), QString());
}

TEST(GetFirstDayOfWeek, RealLocale) {
    const QLocale saved;
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    EXPECT_EQ(GetFirstDayOfWeek(), 1);
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(GetFirstDayOfWeek(), 2);
    QLocale::setDefault(saved);
}

TEST(ApplyAlwaysOnTop, FollowsTheSettingOnTheMainWindow) {
    auto main = std::make_unique<Form>(QStringLiteral("frmTallix"));
    auto other = std::make_unique<Form>(QStringLiteral("frmOther"));
    main->show();
    const std::int16_t saved = gAlwaysOnTop;
    gAlwaysOnTop = 1;
    ApplyAlwaysOnTop();
    EXPECT_TRUE(main->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_FALSE(other->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE(main->isVisible());
    gAlwaysOnTop = 0;
    ApplyAlwaysOnTop();
    EXPECT_FALSE(main->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE(main->isVisible());
    SetTopMost(other->hWnd(), true);
    EXPECT_TRUE(other->windowFlags() & Qt::WindowStaysOnTopHint);
    gAlwaysOnTop = saved;
}

TEST(OpenDateTimeControlPanel, StartsTheDesktopsSettingsOrSaysNone) {
    FakeShell shell;
    EXPECT_FALSE(OpenDateTimeControlPanel(0));
    shell.programs[QStringLiteral("cinnamon-settings")] =
        QStringLiteral("/usr/bin/cinnamon-settings");
    EXPECT_TRUE(OpenDateTimeControlPanel(2));
    ASSERT_EQ(shell.started.size(), 1);
    EXPECT_EQ(shell.started[0].program, QStringLiteral("/usr/bin/cinnamon-settings"));
}

} // namespace
