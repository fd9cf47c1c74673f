// The main window's mute switch (menu, toolbar, tray icon) and its Kaaba picture clicks.
#include "core/audio.h"
#include "core/settings.h"
#include "fakes/fake_registry.h"
#include "fakes/fake_sound.h"
#include "fakes/fake_tray.h"
#include "mainwindow/frmTallix.h"
#include "runtime/VBMath.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QImage>
#include <QMenu>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QToolBar>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

namespace {

class SoundControls : public ::testing::Test {
protected:
    void SetUp() override {
        gMuteAll = 0;
        window_ = std::make_unique<frmTallix>();
    }

    QAction* button(const char* key) const {
        return window_->tlbMainButton(QString::fromLatin1(key));
    }
    HANDLE iconHandle(int k) const { return window_->imgIconKabaa[k]->Picture().Handle(); }

    FakeRegistry registry_;
    FakeSound sound_;
    FakeTray tray_;
    std::unique_ptr<frmTallix> window_;
};

TEST_F(SoundControls, MenuAndToolbarSwitchTheSoundEverywhere) {
    ASSERT_NE(button("AudioOn"), nullptr);
    ASSERT_NE(button("AudioOff"), nullptr);
    ASSERT_NE(window_->mnuMuteAll, nullptr);
    EXPECT_TRUE(window_->mPopupSys->actions().contains(window_->mnuMuteAll));
    EXPECT_TRUE(button("AudioOn")->isVisible());
    EXPECT_FALSE(button("AudioOff")->isVisible());
    EXPECT_FALSE(window_->mnuMuteAll->isChecked());

    const std::function<void()> menu = [&] { window_->mnuMuteAll->trigger(); };
    const std::function<void()> audioOn = [&] { button("AudioOn")->trigger(); };
    const std::function<void()> audioOff = [&] { button("AudioOff")->trigger(); };
    const struct {
        const char* what;
        std::function<void()> click;
        std::int16_t muted;
    } steps[] = {
        {"menu mutes", menu, 1},
        {"menu turns sound on", menu, 0},
        {"toolbar AudioOn mutes", audioOn, 1},
        {"toolbar AudioOff turns sound on", audioOff, 0},
        {"menu mutes again", menu, 1},
    };
    for (const auto& s : steps) {
        SCOPED_TRACE(s.what);
        sound_.clear();
        tray_.clear();
        registry_.writes.clear();
        s.click();

        EXPECT_EQ(gMuteAll, s.muted);
        EXPECT_EQ(registry_.text(kSettingsKey, "MuteAll"), s.muted ? "1" : "0");
        EXPECT_EQ(registry_.writes.size(), 1);
        // Muting stops the sound now playing; turning sound on starts nothing.
        EXPECT_EQ(sound_.calls().size(), s.muted ? 1 : 0);

        EXPECT_EQ(button("AudioOn")->isVisible(), !s.muted);
        EXPECT_EQ(button("AudioOff")->isVisible(), bool(s.muted));
        EXPECT_TRUE(button("AudioOff")->isChecked());
        EXPECT_EQ(window_->mnuMuteAll->isChecked(), bool(s.muted));

        ASSERT_EQ(tray_.calls().size(), 1);
        const FakeTray::Call& call = tray_.calls().front();
        EXPECT_EQ(call.message, NIM_MODIFY);
        EXPECT_EQ(call.data.hWnd, window_->hWnd());
        EXPECT_EQ(call.data.uID, 999u);
        EXPECT_EQ(call.data.uCallbackMessage, 0x8015u);
        EXPECT_EQ(call.data.hIcon, iconHandle(s.muted ? 2 : 0));
        EXPECT_NE(call.data.hIcon, 0);
    }
}

TEST_F(SoundControls, OtherValuesChangeNothing) {
    for (std::int16_t value : {std::int16_t(-1), std::int16_t(2)}) {
        SetMuteAll(value);
        EXPECT_EQ(gMuteAll, 0);
        EXPECT_TRUE(registry_.writes.isEmpty());
        EXPECT_TRUE(tray_.calls().isEmpty());
        EXPECT_TRUE(sound_.calls().isEmpty());
        EXPECT_TRUE(button("AudioOn")->isVisible());
        EXPECT_FALSE(window_->mnuMuteAll->isChecked());
    }
}

TEST_F(SoundControls, AWindowMadeWhileMutedShowsTheMutedButtonAndCheck) {
    gMuteAll = 1;
    frmTallix muted;
    EXPECT_FALSE(muted.tlbMainButton("AudioOn")->isVisible());
    EXPECT_TRUE(muted.tlbMainButton("AudioOff")->isVisible());
    EXPECT_TRUE(muted.tlbMainButton("AudioOff")->isChecked());
    EXPECT_TRUE(muted.mnuMuteAll->isChecked());
    // The tray icons: six different pictures, of which 0 and 2 go into the tray record.
    QSet<HANDLE> handles;
    for (Image* icon : muted.imgIconKabaa) {
        ASSERT_NE(icon, nullptr);
        EXPECT_FALSE(icon->isVisibleTo(&muted));
        handles.insert(icon->Picture().Handle());
    }
    EXPECT_EQ(handles.size(), 6);
    EXPECT_FALSE(handles.contains(0));
}

TEST_F(SoundControls, ClickingTheKaabaPictureShowsAnotherOne) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QImage own(12, 9, QImage::Format_RGB32);
    own.fill(Qt::cyan);
    ASSERT_TRUE(own.save(dir.filePath("own.jpg"), "JPG"));
    gCustomImageFolder = dir.path();
    gCustomImage = dir.filePath("own.jpg");
    QMap<qint64, int> builtIn;
    for (int n = 1; n <= 33; ++n)
        builtIn.insert(window_->imgKabaaList.ListImages(n).Picture.pixmap().cacheKey(), n);
    Rnd(-9);

    const int kBuiltIn = 100, kOwn = 0, kNone = -1;
    const struct {
        const char* what;
        std::int16_t type;
        Qt::MouseButton button;
        int expected;
    } cases[] = {
        {"random built-in", 0, Qt::LeftButton, kBuiltIn},
        {"a chosen picture gives way to a random one", 1, Qt::LeftButton, kBuiltIn},
        {"one fixed file stays", 2, Qt::LeftButton, kNone},
        {"folder", 3, Qt::LeftButton, kOwn},
        {"right button", 0, Qt::RightButton, kNone},
        {"middle button", 3, Qt::MiddleButton, kNone},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        gImageType = c.type;
        gSelectedImage = 4;
        QSet<int> seen;
        for (int round = 0; round < 40; ++round) {
            window_->imgKabaa->SetPicture(StdPicture());
            QMouseEvent release(QEvent::MouseButtonRelease, QPointF(3, 3), QPointF(3, 3), c.button,
                                Qt::NoButton, Qt::NoModifier);
            QApplication::sendEvent(window_->imgKabaa, &release);
            const StdPicture& p = window_->imgKabaa->Picture();
            seen.insert(p.isNull()                                ? kNone
                        : builtIn.contains(p.pixmap().cacheKey()) ? kBuiltIn
                        : p.pixmap().size() == QSize(12, 9)       ? kOwn
                                                                  : -2);
        }
        EXPECT_EQ(seen, QSet<int>{c.expected});
    }
    // A chosen picture is not what a click shows: the clicks vary.
    gImageType = 1;
    QSet<qint64> keys;
    for (int round = 0; round < 40; ++round) {
        window_->imgKabaa_MouseUp(vbLeftButton, 0, 0, 0);
        keys.insert(window_->imgKabaa->Picture().pixmap().cacheKey());
    }
    EXPECT_GT(keys.size(), 10);
}

} // namespace
