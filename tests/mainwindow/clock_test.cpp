// The main window's analog clock: where its hands point, what it shows, and its click.
#include "core/settings.h"
#include "fakes/fake_registry.h"
#include "fakes/fake_shell.h"
#include "mainwindow/frmTallix.h"
#include "runtime/Clock.h"
#include "runtime/Colors.h"

#include <QApplication>
#include <QDir>
#include <QMouseEvent>
#include <QSet>
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

namespace {

// Where a hand of the given length points at the position p of 12 (3 is right, 6 down), in
// the picture's units with y growing downwards.
QPointF pointing(const PictureBox& pic, double p, double factor) {
    const double turn = p / 12.0 * 2 * M_PI;
    const double cx = pic.ScaleWidth() / 2;
    const double cy = pic.ScaleHeight() / 2;
    return {cx + factor * (pic.ScaleWidth() / 2) * std::sin(turn),
            cy - factor * (pic.ScaleHeight() / 2) * std::cos(turn)};
}

class ClockFixture : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(LoadSettings());
        runtime::SetClock(QDateTime(QDate(2024, 3, 10), QTime(10, 8, 30)));
        window = std::make_unique<frmTallix>();
    }
    void TearDown() override {
        window.reset();
        runtime::SetClock(nullptr);
    }
    FakeRegistry registry;
    std::unique_ptr<frmTallix> window;
};

TEST_F(ClockFixture, HandsPointAtTheTime) {
    struct Case {
        int h, m, s;
        double hourAt; // position of 12
        double minuteAt;
        double secondAt;
    };
    const Case cases[] = {
        {12, 0, 0, 0, 0, 0},
        {3, 0, 0, 3, 0, 0},
        {15, 0, 0, 3, 0, 0},
        {6, 30, 0, 6.5, 6, 0}, // the hour hand halfway between 6 and 7; the minute hand down
        {5, 30, 0, 5.5, 6, 0},
        {11, 30, 0, 11.5, 6, 0},
        {10, 29, 0, 10 + 29 / 60.0, 29 / 5.0, 0},
        {10, 31, 0, 10 + 31 / 60.0, 31 / 5.0, 0}, // not yet 11
        {15, 45, 30, 3.75, 9, 6},
        {13, 15, 40, 1.25, 3, 8},
        {23, 59, 59, 11 + 59 / 60.0, 59 / 5.0, 59 / 5.0},
        {0, 0, 15, 0, 0, 3},
    };
    PictureBox& pic = *window->picClock;
    for (const Case& c : cases) {
        window->SetClockHands(static_cast<std::int16_t>(c.h), static_cast<std::int16_t>(c.m),
                              static_cast<std::int16_t>(c.s));
        const struct {
            LineShape* hand;
            double at, factor;
        } hands[] = {{window->LH, c.hourAt, 0.65},
                     {window->LM, c.minuteAt, 0.85},
                     {window->LS, c.secondAt, 0.9}};
        for (const auto& [hand, at, factor] : hands) {
            const QPointF end = pointing(pic, at, factor);
            const std::string what = QStringLiteral("%1:%2:%3 %4")
                                         .arg(c.h)
                                         .arg(c.m)
                                         .arg(c.s)
                                         .arg(hand->objectName())
                                         .toStdString();
            EXPECT_NEAR(hand->X1, pic.ScaleWidth() / 2, 1e-6) << what;
            EXPECT_NEAR(hand->Y1, pic.ScaleHeight() / 2, 1e-6) << what;
            EXPECT_NEAR(hand->X2, end.x(), 1e-3) << what;
            EXPECT_NEAR(hand->Y2, end.y(), 1e-3) << what;
        }
    }
    // 3 o'clock: the hour hand lies flat to the right, 6:30 the minute hand straight down.
    window->SetClockHands(3, 0, 0);
    EXPECT_GT(window->LH->X2, window->LH->X1);
    EXPECT_NEAR(window->LH->Y2, window->LH->Y1, 1e-6);
    window->SetClockHands(6, 30, 0);
    EXPECT_NEAR(window->LM->X2, window->LM->X1, 1e-6);
    EXPECT_GT(window->LM->Y2, window->LM->Y1);
}

TEST_F(ClockFixture, ShownWithTheFaceInTheSettingsColours) {
    window->Load();
    window->show();
    QApplication::processEvents();

    EXPECT_EQ(int(window->LH->BorderColor), gColorHands);
    EXPECT_EQ(int(window->LM->BorderColor), gColorHands);
    EXPECT_EQ(int(window->LS->BorderColor), gColorSeconds);
    // 10:08:30 on the face.
    EXPECT_NEAR(window->LS->X2, pointing(*window->picClock, 6, 0.9).x(), 1e-3);
    ASSERT_NE(window->ttMain.Window(), nullptr);
    EXPECT_EQ(window->ttMain.Window()->delayTime(TTDT_AUTOPOP), 30000);

    const QImage shot = window->grab().toImage();
    const QString dir = QStringLiteral(TALLIX_BUILD_DIR "/screenshots");
    QDir().mkpath(dir);
    EXPECT_TRUE(shot.save(dir + QStringLiteral("/mainwindow.png")));

    // Both pictures sit inside the window's panels: compare them in window coordinates.
    const auto inWindow = [this](const QWidget* w) {
        return QRect(w->mapTo(window.get(), QPoint(0, 0)), w->size());
    };
    const QRect clock = inWindow(window->picClock);
    EXPECT_TRUE(QRect(QPoint(0, 0), window->size()).contains(clock));
    // The Kaaba picture is beside the clock, showing a picture.
    const QRect kaaba = inWindow(window->imgKabaa);
    EXPECT_FALSE(clock.intersects(kaaba));
    EXPECT_TRUE(QRect(QPoint(0, 0), window->size()).contains(kaaba));
    ASSERT_FALSE(window->imgKabaa->Picture().isNull());
    QSet<QRgb> kaabaColours;
    for (int y = kaaba.top(); y <= kaaba.bottom(); y += 2)
        for (int x = kaaba.left(); x <= kaaba.right(); x += 2)
            kaabaColours.insert(shot.pixel(x, y));
    EXPECT_GT(kaabaColours.size(), 50) << "a picture, not a blank area";
    const QColor background = window->palette().color(QPalette::Window);
    const QColor face = TranslateColor(gColorFace);
    int differing = 0;
    int faceColoured = 0;
    for (int y = clock.top(); y <= clock.bottom(); ++y)
        for (int x = clock.left(); x <= clock.right(); ++x) {
            const QColor c = shot.pixelColor(x, y);
            differing += c != background;
            faceColoured += c == face;
        }
    const int area = clock.width() * clock.height();
    EXPECT_GT(differing, area / 2);
    EXPECT_GT(faceColoured, area / 2);
    // The hands are drawn over the face: the hour hand's middle, towards 10, is not face.
    const QPointF mid = window->picClock->toPixels((double(window->LH->X1) + window->LH->X2) / 2,
                                                   (double(window->LH->Y1) + window->LH->Y2) / 2);
    EXPECT_NE(shot.pixelColor(clock.topLeft() + mid.toPoint()), face);
}

TEST_F(ClockFixture, LeftClickOpensTheDateAndTimeSettings) {
    FakeShell shell;
    shell.programs[QStringLiteral("gnome-control-center")] =
        QStringLiteral("/usr/bin/gnome-control-center");
    window->show();
    const auto click = [&](Qt::MouseButton b) {
        const QPointF at(75, 75);
        const QPointF global = window->picClock->mapToGlobal(at);
        QMouseEvent press(QEvent::MouseButtonPress, at, global, b, b, Qt::NoModifier);
        QMouseEvent release(QEvent::MouseButtonRelease, at, global, b, Qt::NoButton,
                            Qt::NoModifier);
        QApplication::sendEvent(window->picClock, &press);
        QApplication::sendEvent(window->picClock, &release);
    };
    click(Qt::RightButton);
    EXPECT_TRUE(shell.started.isEmpty());
    click(Qt::LeftButton);
    ASSERT_EQ(shell.started.size(), 1);
    EXPECT_EQ(shell.started[0].arguments, QStringList{QStringLiteral("datetime")});
}

} // namespace
