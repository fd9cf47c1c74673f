// Topmost windows, system parameters, connection state and shell actions against the fakes.
#include "fakes/fake_network.h"
#include "fakes/fake_shell.h"
#include "fakes/fake_system.h"
#include "platform/network.h"
#include "platform/shell.h"
#include "platform/sysparams.h"
#include "platform/window.h"
#include "platform/winpos.h"

#include <QFile>
#include <QTemporaryDir>
#include <QWidget>
#include <QWindow>
#include <gtest/gtest.h>

#include <cstring>
#include <memory>

namespace {

TEST(SetWindowPos, TopmostSwitchesKeepAboveAndKeepsTheWindowShown) {
    auto w = std::make_unique<QWidget>();
    const HWND h = platform::PublishWindow(w.get());
    w->setGeometry(40, 50, 200, 100);
    w->show();
    ASSERT_TRUE(w->windowHandle());

    EXPECT_EQ(SetWindowPos(h, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE), 1);
    EXPECT_TRUE(w->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE(w->windowHandle()->flags() & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(w->size(), QSize(200, 100));

    EXPECT_EQ(SetWindowPos(h, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE), 1);
    EXPECT_FALSE(w->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_FALSE(w->windowHandle()->flags() & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE(w->isVisible());

    // Not topmost already: nothing changes, nothing is hidden.
    const Qt::WindowFlags before = w->windowFlags();
    EXPECT_EQ(SetWindowPos(h, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE), 1);
    EXPECT_EQ(w->windowFlags(), before);
    EXPECT_TRUE(w->isVisible());

    // Without SWP_NOSIZE the window takes the size.
    EXPECT_EQ(SetWindowPos(h, HWND_TOP, 0, 0, 300, 120, SWP_NOMOVE), 1);
    EXPECT_EQ(w->size(), QSize(300, 120));
}

TEST(SetWindowPos, FailsForAWindowThatIsNotOurs) {
    EXPECT_EQ(SetWindowPos(0, HWND_TOPMOST, 0, 0, 0, 0, 3), 0);
    EXPECT_EQ(SetWindowPos(0x7FFF0001, HWND_TOPMOST, 0, 0, 0, 0, 3), 0);
}

TEST(SystemParametersInfo, ScreenSaverStateByService) {
    FakeSystem sys;
    struct Case {
        platform::ScreenSaverService service;
        BOOL result;
        BOOL active;
    };
    const Case cases[] = {
        {platform::ScreenSaverService::Present, 1, 1},
        {platform::ScreenSaverService::Absent, 1, 0},
        {platform::ScreenSaverService::NoBus, 0, -7}, // untouched
    };
    for (const Case& c : cases) {
        sys.saver = c.service;
        BOOL active = -7;
        EXPECT_EQ(SystemParametersInfoA(SPI_GETSCREENSAVEACTIVE, 0, &active, 0), c.result);
        EXPECT_EQ(active, c.active);
    }
    EXPECT_EQ(SystemParametersInfoA(SPI_GETSCREENSAVEACTIVE, 0, nullptr, 0), 0);
    EXPECT_EQ(SystemParametersInfoA(0x1234, 0, &sys, 0), 0);
}

TEST(SystemParametersInfo, MessageFontIsTheSystemFontAtTheScreensResolution) {
    FakeSystem sys;
    sys.font = QFont(QStringLiteral("Noto Sans"), 9);
    sys.font.setItalic(true);
    NONCLIENTMETRICSA ncm;
    ncm.cbSize = sizeof ncm;
    ASSERT_EQ(SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, 0, &ncm, 0), 1);
    EXPECT_EQ(ncm.lfMessageFont.lfHeight, -12);
    EXPECT_EQ(ncm.lfMessageFont.lfWeight, FW_NORMAL);
    EXPECT_EQ(ncm.lfMessageFont.lfItalic, 1);
    EXPECT_STREQ(ncm.lfMessageFont.lfFaceName, "Noto Sans");

    sys.dpi = 120;
    sys.font = QFont(QStringLiteral("Cantarell"), 12, QFont::Bold);
    ASSERT_EQ(SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, 0, &ncm, 0), 1);
    EXPECT_EQ(ncm.lfMessageFont.lfHeight, -20);
    EXPECT_EQ(ncm.lfMessageFont.lfWeight, FW_BOLD);

    // A record of another size is refused and left alone.
    NONCLIENTMETRICSA wrong;
    wrong.cbSize = 500;
    EXPECT_EQ(SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, 0, &wrong, 0), 0);
    EXPECT_EQ(wrong.lfMessageFont.lfFaceName[0], '\0');
}

TEST(SystemParametersInfo, LongFaceNameIsCutWholeCharacters) {
    // 16 two-byte characters do not fit into 31 bytes: 15 of them do.
    const QString name = QString(16, QChar(0x00E9));
    const LOGFONTA lf = platform::LogFontFromQFont(QFont(name, 10), 96);
    EXPECT_EQ(std::strlen(lf.lfFaceName), 30u);
    EXPECT_EQ(QString::fromUtf8(lf.lfFaceName), QString(15, QChar(0x00E9)));
}

TEST(GetCaretBlinkTime, HalfTheFlashPeriodOrInfinite) {
    FakeSystem sys;
    const std::pair<int, UINT> cases[] = {{1000, 500}, {1060, 530}, {1, 1}, {0, INFINITE_BLINK}};
    for (const auto& [period, expected] : cases) {
        sys.flashTime = period;
        EXPECT_EQ(GetCaretBlinkTime(), expected) << period;
    }
}

TEST(GetDeviceCaps, ScreenResolutionThroughTheDesktopContext) {
    FakeSystem sys;
    sys.dpi = 144;
    const HDC dc = GetDC(GetDesktopWindow());
    EXPECT_NE(dc, 0);
    EXPECT_EQ(GetDeviceCaps(dc, LOGPIXELSY), 144);
    EXPECT_EQ(GetDeviceCaps(dc, 12345), 0);
    EXPECT_EQ(GetDeviceCaps(0, LOGPIXELSY), 0);
    EXPECT_EQ(ReleaseDC(GetDesktopWindow(), dc), 1);
}

TEST(Internet, ConnectedStateByReachability) {
    FakeNetwork net;
    struct Case {
        platform::Reachability state;
        BOOL connected;
        DWORD flags;
    };
    const Case cases[] = {
        {platform::Reachability::Online, 1, INTERNET_CONNECTION_LAN},
        {platform::Reachability::Site, 1, INTERNET_CONNECTION_LAN},
        {platform::Reachability::Local, 0, INTERNET_CONNECTION_OFFLINE},
        {platform::Reachability::Disconnected, 0, INTERNET_CONNECTION_OFFLINE},
        {platform::Reachability::Unknown, 1, INTERNET_CONNECTION_CONFIGURED},
    };
    for (const Case& c : cases) {
        net.state = c.state;
        DWORD flags = 0xDEAD;
        EXPECT_EQ(InternetGetConnectedState(&flags, 0), c.connected);
        EXPECT_EQ(flags, c.flags);
    }
}

TEST(Internet, VersionQuery) {
    FakeNetwork net;
    INTERNET_VERSION_INFO info;
    DWORD size = sizeof info;
    ASSERT_EQ(InternetQueryOptionA(0, INTERNET_OPTION_VERSION, &info, &size), 1);
    EXPECT_EQ(info.dwMajorVersion, 1u);
    EXPECT_EQ(info.dwMinorVersion, 2u);
    EXPECT_EQ(size, 8u);

    DWORD small = 4;
    EXPECT_EQ(InternetQueryOptionA(0, INTERNET_OPTION_VERSION, &info, &small), 0);
    EXPECT_EQ(InternetQueryOptionA(0, 41, &info, &size), 0);
    net.versionKnown = false;
    EXPECT_EQ(InternetQueryOptionA(0, INTERNET_OPTION_VERSION, &info, &size), 0);
}

TEST(ShellExecute, AddressesFilesAndPrograms) {
    FakeShell shell;
    QTemporaryDir dir;
    QFile doc(dir.filePath(QStringLiteral("notes.txt")));
    ASSERT_TRUE(doc.open(QIODevice::WriteOnly));
    doc.close();
    QFile tool(dir.filePath(QStringLiteral("tool.sh")));
    ASSERT_TRUE(tool.open(QIODevice::WriteOnly));
    tool.close();
    tool.setPermissions(QFile::ReadOwner | QFile::ExeOwner);

    EXPECT_GT(ShellExecuteA(0, QStringLiteral("open"), QStringLiteral("https://example.org/a?b=1"),
                            {}, {}, SW_SHOWNORMAL),
              32);
    EXPECT_GT(ShellExecuteA(0, {}, QStringLiteral("notes.txt"), {}, dir.path(), SW_SHOWNORMAL), 32);
    ASSERT_EQ(shell.opened.size(), 2);
    EXPECT_EQ(shell.opened[0], QUrl(QStringLiteral("https://example.org/a?b=1")));
    EXPECT_EQ(shell.opened[1], QUrl::fromLocalFile(dir.filePath(QStringLiteral("notes.txt"))));

    EXPECT_GT(ShellExecuteA(0, QStringLiteral("open"), dir.filePath(QStringLiteral("tool.sh")),
                            QStringLiteral("-a \"b c\""), {}, SW_SHOWNORMAL),
              32);
    ASSERT_EQ(shell.started.size(), 1);
    EXPECT_EQ(shell.started[0].arguments,
              (QStringList{QStringLiteral("-a"), QStringLiteral("b c")}));

    EXPECT_EQ(ShellExecuteA(0, {}, dir.filePath(QStringLiteral("missing.txt")), {}, {}, 1),
              SE_ERR_FNF);
    EXPECT_EQ(
        ShellExecuteA(0, QStringLiteral("print"), QStringLiteral("notes.txt"), {}, dir.path(), 1),
        SE_ERR_NOASSOC);
    shell.openSucceeds = false;
    EXPECT_LE(ShellExecuteA(0, {}, QStringLiteral("mailto:a@example.org"), {}, {}, 1), 32);
    EXPECT_EQ(shell.opened.size(), 3);
}

TEST(FolderBrowser, ChosenCancelledAndTooLongForTheBuffer) {
    FakeShell shell;
    BROWSEINFOA bi;
    bi.hwndOwner = 77;
    bi.lpszTitle = QStringLiteral("Pick one");
    bi.ulFlags = BIF_RETURNONLYFSDIRS;

    shell.chosenFolder = QStringLiteral("/home/user/Sounds");
    const PIDLIST_ABSOLUTE pidl = SHBrowseForFolderA(&bi);
    ASSERT_NE(pidl, 0);
    EXPECT_EQ(shell.dialogOwners.value(0), 77);
    EXPECT_EQ(shell.dialogTitles.value(0), QStringLiteral("Pick one"));
    char path[MAX_PATH];
    EXPECT_EQ(SHGetPathFromIDListA(pidl, path, MAX_PATH), 1);
    EXPECT_STREQ(path, "/home/user/Sounds");
    // A path that does not fit is refused whole, never cut.
    char small[10] = "xxxxxxxxx";
    EXPECT_EQ(SHGetPathFromIDListA(pidl, small, sizeof small), 0);
    EXPECT_STREQ(small, "");
    CoTaskMemFree(pidl);
    EXPECT_EQ(SHGetPathFromIDListA(pidl, path, MAX_PATH), 0);

    shell.chosenFolder = QString();
    EXPECT_EQ(SHBrowseForFolderA(&bi), 0);
}

TEST(DateTimeSettings, RunningDesktopsProgramFirstThenTheOthers) {
    struct Case {
        QString desktop;
        QMap<QString, QString> programs;
        QStringList failing;
        bool result;
        QStringList startedPrograms;
        QStringList firstArguments;
    };
    const QString gnome = QStringLiteral("/usr/bin/gnome-control-center");
    const QString kde = QStringLiteral("/usr/bin/systemsettings");
    const QString mate = QStringLiteral("/usr/bin/mate-time-admin");
    const Case cases[] = {
        {QStringLiteral("GNOME"), {}, {}, false, {}, {}},
        {QStringLiteral("GNOME"),
         {{QStringLiteral("gnome-control-center"), gnome}, {QStringLiteral("systemsettings"), kde}},
         {},
         true,
         {gnome},
         {QStringLiteral("datetime")}},
        {QStringLiteral("KDE"),
         {{QStringLiteral("gnome-control-center"), gnome}, {QStringLiteral("systemsettings"), kde}},
         {},
         true,
         {kde},
         {QStringLiteral("kcm_clock")}},
        // A desktop we do not know: the list's order; a program that fails to start is
        // followed by the next one found.
        {QStringLiteral("Sway"),
         {{QStringLiteral("gnome-control-center"), gnome},
          {QStringLiteral("mate-time-admin"), mate}},
         {gnome},
         true,
         {gnome, mate},
         {QStringLiteral("datetime")}},
        {QStringLiteral("ubuntu:GNOME"),
         {{QStringLiteral("gnome-control-center"), gnome}},
         {gnome},
         false,
         {gnome},
         {QStringLiteral("datetime")}},
    };
    for (const Case& c : cases) {
        FakeShell shell;
        shell.desktop = c.desktop;
        shell.programs = c.programs;
        shell.failingPrograms = c.failing;
        EXPECT_EQ(platform::OpenDateTimeSettings(), c.result) << c.desktop.toStdString();
        QStringList startedPrograms;
        for (const auto& s : shell.started)
            startedPrograms << s.program;
        EXPECT_EQ(startedPrograms, c.startedPrograms);
        if (!shell.started.isEmpty()) {
            EXPECT_EQ(shell.started[0].arguments, c.firstArguments);
        }
    }
}

} // namespace
