// The tray call without a desktop tray, its text fields, and the icon handles.
#include "platform/icons.h"
#include "platform/tray.h"

#include <QPixmap>
#include <QSystemTrayIcon>
#include <cstring>
#include <gtest/gtest.h>

namespace {

TEST(ShellNotifyIcon, WithoutATrayEveryCallFailsQuietly) {
    if (QSystemTrayIcon::isSystemTrayAvailable())
        GTEST_SKIP() << "a system tray is running here";
    platform::InstallTrayBackend(nullptr);

    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::red);
    NOTIFYICONDATA nid;
    nid.cbSize = sizeof nid;
    nid.hWnd = 5;
    nid.uID = 999;
    nid.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP | NIF_INFO;
    nid.uCallbackMessage = 0x8015;
    nid.hIcon = platform::RegisterIcon(QIcon(pixmap));
    std::strcpy(nid.szTip, "tip");
    std::strcpy(nid.szInfo, "balloon");
    nid.uTimeoutOrVersion = 3;

    for (DWORD message : {NIM_ADD, NIM_MODIFY, NIM_SETVERSION, NIM_DELETE, DWORD(77)}) {
        SCOPED_TRACE(message);
        EXPECT_EQ(Shell_NotifyIconA(message, &nid), FALSE_);
    }
    EXPECT_EQ(Shell_NotifyIconA(NIM_ADD, nullptr), FALSE_);
    platform::UnregisterIcon(nid.hIcon);
}

TEST(FieldText, ReadsToTheNulOrTheWholeField) {
    const struct {
        const char* what;
        QByteArray field; // 8 bytes
        std::size_t width;
        QString text;
    } cases[] = {
        {"text, NUL and blanks", QByteArray("abc\0    ", 8), 8, "abc"},
        {"full field, no NUL", QByteArray("abcdefgh", 8), 8, "abcdefgh"},
        {"read only part of it", QByteArray("abcdefgh", 8), 5, "abcde"},
        {"empty", QByteArray(8, '\0'), 8, ""},
        {"line break kept", QByteArray("a\r\nb\0   ", 8), 8, "a\r\nb"},
        // "éé" is c3 a9 c3 a9: a cut inside the second character drops it.
        {"character cut in half", QByteArray("x\xc3\xa9\xc3\xa9zzz", 8), 4, "x\u00e9"},
        {"character whole at the edge", QByteArray("x\xc3\xa9\xc3\xa9zzz", 8), 5, "x\u00e9\u00e9"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(platform::FieldText(c.field.constData(), c.width), c.text);
    }
}

TEST(IconHandles, NameTheirIconUntilForgotten) {
    QPixmap red(8, 8);
    red.fill(Qt::red);
    QPixmap blue(8, 8);
    blue.fill(Qt::blue);
    const HANDLE a = platform::RegisterIcon(QIcon(red));
    const HANDLE b = platform::RegisterIcon(QIcon(blue));
    ASSERT_NE(a, 0);
    ASSERT_NE(b, 0);
    ASSERT_NE(a, b);
    EXPECT_EQ(platform::IconOfHandle(a).pixmap(8, 8).toImage().pixel(1, 1), QColor(Qt::red).rgb());
    EXPECT_EQ(platform::IconOfHandle(b).pixmap(8, 8).toImage().pixel(1, 1), QColor(Qt::blue).rgb());
    platform::UnregisterIcon(a);
    EXPECT_TRUE(platform::IconOfHandle(a).isNull());
    EXPECT_FALSE(platform::IconOfHandle(b).isNull());
    EXPECT_TRUE(platform::IconOfHandle(0).isNull());
    // A handle is never handed out twice.
    EXPECT_NE(platform::RegisterIcon(QIcon(red)), a);
}

} // namespace
