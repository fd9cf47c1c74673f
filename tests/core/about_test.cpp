// The splash and About window: its timers, clicks, link looks, the recitation, the version
// caption and a screenshot; ShowAboutBox brings the main window back where it was.
#include "core/frmSplash.h"
#include "core/mMain.h"
#include "core/settings.h"
#include "fakes/fake_registry.h"
#include "fakes/fake_shell.h"
#include "fakes/fake_sound.h"
#include "fakes/fake_tray.h"
#include "mainwindow/frmTallix.h"
#include "runtime/App.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QMouseEvent>
#include <QPointer>
#include <QThread>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

void click(QWidget* w) {
    const QPointF at(3, 3);
    QMouseEvent press(QEvent::MouseButtonPress, at, w->mapToGlobal(at), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, at, w->mapToGlobal(at), Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(w, &press);
    QApplication::sendEvent(w, &release);
}

void flush() {
    QApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

class About : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(LoadSettings());
        gMuteAll = 0;
    }
    QPointer<frmSplash> open(std::int16_t mode) {
        gSplashMode = mode;
        QPointer<frmSplash> f = new frmSplash();
        f->Show();
        return f;
    }

    FakeRegistry registry;
    FakeSound sound;
    FakeShell shell;
    FakeTray tray;
};

TEST_F(About, SplashWaitsFiveSecondsAboutCloses35SecondsOrAtAClick) {
    auto splash = open(0);
    EXPECT_EQ(splash->tmrSplash.interval(), 5000);
    EXPECT_TRUE(splash->tmrSplash.isActive());
    click(splash->imgBismillah);
    click(splash->lblTallixTime);
    flush();
    ASSERT_TRUE(splash);
    splash->tmrSplash.setInterval(1);
    splash->tmrSplash.start();
    for (int i = 0; i < 10 && splash; ++i) {
        QThread::msleep(5);
        flush();
    }
    flush();
    EXPECT_FALSE(splash);

    auto about = open(1);
    EXPECT_EQ(about->tmrSplash.interval(), 35000);
    click(about->imgBismillah);
    flush();
    EXPECT_FALSE(about);
}

TEST_F(About, TheRecitationPlaysUnlessEverythingIsMuted) {
    gAudioType[6] = 0; // no start-up sound: the About box plays its own
    auto about = open(1);
    ASSERT_FALSE(sound.calls().isEmpty());
    EXPECT_EQ(sound.calls().back().name, QStringLiteral("ALFATIHA"));
    EXPECT_EQ(sound.calls().back().flags, 0x42007u);
    about->Unload();
    sound.clear();
    gMuteAll = 1;
    about = open(1);
    EXPECT_TRUE(sound.calls().isEmpty());
    about->Unload();
    flush();
}

TEST_F(About, VersionCaptionShowsARevisionOnlyFromOne) {
    const int revision = App.Revision;
    App.Major = 1;
    App.Minor = 8;
    for (const auto& [rev, caption] : {std::pair{0, "Tallix Time 1.8"}, {3, "Tallix Time 1.8.3"}}) {
        App.Revision = rev;
        auto about = open(1);
        EXPECT_EQ(about->lblTallixTime->text(), QString::fromLatin1(caption));
        about->Unload();
    }
    App.Revision = revision;
    App.Major = 1;
    App.Minor = 0;
    flush();
}

TEST_F(About, TheLinkLightsUpInAboutModeAndOpensTheSiteInBoth) {
    auto about = open(1);
    about->lblURL_MouseMove();
    EXPECT_EQ(about->LinkColor(), 0xFF0000);
    EXPECT_TRUE(about->LinkUnderlined());
    EXPECT_TRUE(about->tmrURL.isActive());
    about->lblURL_MouseDown();
    EXPECT_EQ(about->LinkColor(), 0x0000FF);
    about->lblURL_MouseUp();
    EXPECT_EQ(about->LinkColor(), 0xFF0000);
    // Onto the picture: the normal look at once.
    QMouseEvent move(QEvent::MouseMove, QPointF(5, 5), QPointF(5, 5), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(about->imgBismillah, &move);
    EXPECT_EQ(about->LinkColor(), 0);
    EXPECT_FALSE(about->LinkUnderlined());
    about->lblURL_Click();
    ASSERT_EQ(shell.opened.size(), 1);
    EXPECT_EQ(shell.opened[0].toString(), MakerWebSite());
    about->Unload();

    auto splash = open(0);
    splash->lblURL_MouseMove();
    EXPECT_EQ(splash->LinkColor(), 0);
    splash->lblURL_Click();
    EXPECT_EQ(shell.opened.size(), 2);
    splash->Unload();
    flush();
}

TEST_F(About, EscapeReturnAndSpaceCloseItAndTabReachesTheLink) {
    for (const Qt::Key key : {Qt::Key_Escape, Qt::Key_Return, Qt::Key_Enter, Qt::Key_Space}) {
        auto about = open(1);
        about->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(about));
        QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget()
                                                    : static_cast<QWidget*>(about),
                        key);
        flush();
        EXPECT_FALSE(about) << "key " << key;
        if (about)
            about->Unload();
    }

    // Tab: the link, drawn with the focus; Return and Space open the site and the box stays.
    auto about = open(1);
    about->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(about));
    const QImage unfocused = about->lblURL->grab().toImage();
    QTest::keyClick(about, Qt::Key_Tab);
    EXPECT_TRUE(about->lblURL->hasFocus());
    EXPECT_NE(about->lblURL->grab().toImage(), unfocused) << "the link shows no focus";
    for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Space}) {
        QTest::keyClick(QApplication::focusWidget(), key);
        flush();
        ASSERT_TRUE(about) << "key " << key;
    }
    ASSERT_EQ(shell.opened.size(), 2);
    EXPECT_EQ(shell.opened[1].toString(), MakerWebSite());
    // Escape still closes it from the link.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    flush();
    EXPECT_FALSE(about);
}

TEST_F(About, ShowAboutBoxBringsTheMainWindowBackWhereItWas) {
    auto* main = new frmTallix();
    main->move(120, 90);
    main->hide(); // in the tray
    const QPoint where = main->pos();
    QTimer::singleShot(50, [] {
        for (Form* f : Forms())
            if (f->Name() == QLatin1String("frmSplash")) {
                EXPECT_FALSE(MainWindow()->isVisible());
                // Screenshot of the About box, to look at.
                const QString dir = QStringLiteral(TALLIX_BUILD_DIR "/screenshots");
                QDir().mkpath(dir);
                EXPECT_TRUE(f->grab().toImage().save(dir + QStringLiteral("/about.png")));
                static_cast<frmSplash*>(f)->CloseSplash();
            }
    });
    ShowAboutBox();
    EXPECT_EQ(gSplashMode, 1);
    EXPECT_TRUE(main->isVisible());
    EXPECT_EQ(main->pos(), where);
    delete main;
    flush();
}

} // namespace
