// The About box with the keyboard alone, in the real program under a window manager: Escape,
// Return and Space close it (the main window comes back), and Tab takes the focus to the link,
// which Return opens in the desktop's browser (here a script named by BROWSER that writes down
// the address it was given) while the box stays.
#include "desktop_session.h"

namespace {

class AboutKeys : public Desktop {};

TEST_F(AboutKeys, EscapeReturnAndSpaceCloseItAndTabReturnOpensTheLink) {
    const QString opened = dir.filePath(QStringLiteral("opened"));
    const QString browser = dir.filePath(QStringLiteral("browser"));
    QFile script(browser);
    ASSERT_TRUE(script.open(QIODevice::WriteOnly));
    script.write(QStringLiteral("#!/bin/sh\necho \"$1\" >> '%1'\n").arg(opened).toUtf8());
    script.close();
    script.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                          QFileDevice::ExeOwner);
    env.insert(QStringLiteral("BROWSER"), browser);
    env.insert(QStringLiteral("DEFAULT_BROWSER"), browser);

    const Wid main = startProgram();
    ASSERT_NE(main, 0u);
    for (const char* closer : {"Escape", "Return", "space"}) {
        SCOPED_TRACE(closer);
        const Wid about = openAboutBox(main, kStep);
        ASSERT_NE(about, 0u) << "no About box";
        ASSERT_TRUE(WaitFor([&] { return active() == about; }, kStep)) << "no focus";
        key(QString::fromLatin1(closer));
        EXPECT_TRUE(WaitFor([&] { return !viewable(about) && viewable(main); }, kStep))
            << "the About box stays";
    }

    const Wid about = openAboutBox(main, kStep);
    ASSERT_NE(about, 0u) << "no About box";
    ASSERT_TRUE(WaitFor([&] { return active() == about; }, kStep)) << "no focus";
    key(QStringLiteral("Tab"));
    key(QStringLiteral("Return"));
    EXPECT_TRUE(WaitFor(
        [&] {
            QFile f(opened);
            return f.open(QIODevice::ReadOnly) && f.readAll().contains("://");
        },
        kStep))
        << "the link does not open";
    EXPECT_TRUE(viewable(about));
    key(QStringLiteral("Escape"));
    EXPECT_TRUE(WaitFor([&] { return !viewable(about) && viewable(main); }, kStep));
    EXPECT_EQ(program->state(), QProcess::Running);
}

} // namespace
