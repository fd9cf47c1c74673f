// Colours, picture boxes with their drawing and Line shapes, and the tooltip window.
#include "runtime/App.h"
#include "runtime/Colors.h"
#include "runtime/PictureBox.h"
#include "runtime/ToolTipWindow.h"

#include <QApplication>
#include <QHelpEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPalette>
#include <QPushButton>
#include <QToolTip>
#include <gtest/gtest.h>

#include <memory>

namespace {

TEST(TranslateColor, PlainAndSystemColours) {
    const QPalette pal = QGuiApplication::palette();
    struct Case {
        std::uint32_t ole;
        QColor expected;
    };
    const Case cases[] = {
        {0x000000FF, QColor(255, 0, 0)}, // BBGGRR: red in the low byte
        {0x00FF0000, QColor(0, 0, 255)},
        {0x00336699, QColor(0x99, 0x66, 0x33)},
        {0x00000000, QColor(0, 0, 0)},
        {0x80000005, pal.color(QPalette::Active, QPalette::Base)},
        {0x80000008, pal.color(QPalette::Active, QPalette::Text)},
        {0x8000000B, pal.color(QPalette::Active, QPalette::Mid)},
        {0x8000000D, pal.color(QPalette::Active, QPalette::Highlight)},
        {0x8000000E, pal.color(QPalette::Active, QPalette::HighlightedText)},
        {0x8000000F, pal.color(QPalette::Active, QPalette::Button)},
        {0x80000012, pal.color(QPalette::Active, QPalette::ButtonText)},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TranslateColor(static_cast<std::int32_t>(c.ole)), c.expected)
            << std::hex << c.ole;
    // Indexes the desktop has no colour for.
    for (std::uint32_t bad : {0x80000019u, 0x8000001Fu, 0xFFFFFFFFu})
        EXPECT_FALSE(TranslateColor(static_cast<std::int32_t>(bad)).isValid()) << std::hex << bad;
    EXPECT_EQ(RGBOf(QColor(0x12, 0x34, 0x56)), 0x563412);
}

TEST(TranslateColor, SystemColoursFollowThePalette) {
    const QPalette saved = QApplication::palette();
    QPalette changed = saved;
    changed.setColor(QPalette::All, QPalette::Base, QColor(1, 2, 3));
    QApplication::setPalette(changed);
    EXPECT_EQ(TranslateColor(vbWindowBackground), QColor(1, 2, 3));
    QApplication::setPalette(saved);
}

// A picture 200 x 100 pixels with plain colours, so that pixels can be told apart.
class PictureFixture : public ::testing::Test {
protected:
    void SetUp() override {
        pic = std::make_unique<PictureBox>();
        pic->resize(200, 100);
        pic->SetBackColor(RGB(255, 255, 255));
        pic->ForeColor = RGB(0, 0, 0);
    }
    QColor at(int x, int y) const { return pic->image().pixelColor(x, y); }
    QColor shown(int x, int y) const { return pic->grab().toImage().pixelColor(x, y); }
    std::unique_ptr<PictureBox> pic;
};

TEST_F(PictureFixture, ScaleUnits) {
    const int tpp = Screen.TwipsPerPixelX();
    EXPECT_EQ(pic->ScaleMode(), vbTwips);
    EXPECT_DOUBLE_EQ(pic->ScaleWidth(), 200.0 * tpp);
    EXPECT_DOUBLE_EQ(pic->ScaleHeight(), 100.0 * Screen.TwipsPerPixelY());
    EXPECT_EQ(pic->toPixels(10 * tpp, 0), QPointF(10, 0));

    pic->SetScaleMode(vbPixels);
    EXPECT_DOUBLE_EQ(pic->ScaleWidth(), 200.0);

    // A user scale: (-1, 1) top-left to (1, -1) bottom-right, y growing upwards.
    pic->Scale(-1, 1, 1, -1);
    EXPECT_EQ(pic->ScaleMode(), vbUser);
    EXPECT_EQ(pic->toPixels(0, 0), QPointF(100, 50));
    EXPECT_EQ(pic->toPixels(1, -1), QPointF(200, 100));
    EXPECT_EQ(pic->fromPixels(QPointF(50, 25)), QPointF(-0.5, 0.5));
    // The user scale stays when the picture grows; twips follow the size.
    pic->resize(400, 100);
    EXPECT_DOUBLE_EQ(pic->ScaleWidth(), 2.0);
    pic->Scale();
    EXPECT_DOUBLE_EQ(pic->ScaleWidth(), 400.0 * tpp);
}

TEST_F(PictureFixture, CircleOutlineFillAndPersistence) {
    pic->Scale(0, 0, 200, 100);
    pic->FillStyle = vbFSSolid;
    pic->FillColor = RGB(255, 0, 0);
    pic->DrawWidth = 2;
    pic->Circle(50, 50, 30, RGB(0, 0, 255));
    EXPECT_EQ(at(50, 50), QColor(255, 0, 0)); // filled
    EXPECT_EQ(at(50, 20).blue(), 255);        // outline on top
    EXPECT_LT(at(50, 20).red(), 128);
    EXPECT_EQ(at(5, 50), QColor(255, 255, 255)); // outside
    EXPECT_EQ(pic->CurrentX, 50);

    // Transparent fill leaves the inside as it was.
    pic->FillStyle = vbFSTransparent;
    pic->Circle(150, 50, 20);
    EXPECT_EQ(at(150, 50), QColor(255, 255, 255));
    EXPECT_EQ(at(150, 30).red(), at(150, 30).blue());
    EXPECT_LT(at(150, 30).red(), 128);

    // What is drawn stays through a resize and goes with Cls.
    pic->resize(300, 120);
    EXPECT_EQ(at(50, 50), QColor(255, 0, 0));
    EXPECT_EQ(at(250, 110), QColor(255, 255, 255));
    pic->Cls();
    EXPECT_EQ(at(50, 50), QColor(255, 255, 255));
    EXPECT_EQ(pic->CurrentX, 0);
}

TEST_F(PictureFixture, LineAndPrint) {
    pic->SetScaleMode(vbPixels);
    pic->DrawWidth = 3;
    pic->Line(10, 10, 190, 10, RGB(0, 128, 0));
    EXPECT_EQ(at(100, 10), QColor(0, 128, 0));
    EXPECT_EQ(pic->CurrentX, 190);
    pic->CurrentX = 20;
    pic->CurrentY = 40;
    const double before = pic->CurrentY;
    pic->Print(QStringLiteral("MMMM"));
    EXPECT_EQ(pic->CurrentX, 0);
    EXPECT_GT(pic->CurrentY, before);
    int dark = 0;
    for (int x = 20; x < 60; ++x)
        for (int y = 40; y < 60; ++y)
            dark += at(x, y).lightness() < 128;
    EXPECT_GT(dark, 10);
}

TEST_F(PictureFixture, LineShapesDrawOnTopAndFollowTheirProperties) {
    pic->Scale(0, 0, 20, 10);
    pic->FillStyle = vbFSSolid;
    pic->FillColor = RGB(255, 0, 0);
    pic->Circle(10, 5, 4, RGB(255, 0, 0));
    auto* hand = new LineShape(pic.get(), QStringLiteral("LH"));
    hand->BorderColor = RGB(0, 0, 255);
    hand->BorderWidth = 3;
    hand->X1 = 10;
    hand->Y1 = 5;
    hand->X2 = 10;
    hand->Y2 = 1;
    EXPECT_EQ(hand->pixelLine(), QLineF(100, 50, 100, 10));
    EXPECT_EQ(shown(100, 30), QColor(0, 0, 255));
    // The drawing underneath is untouched.
    EXPECT_EQ(at(100, 30), QColor(255, 0, 0));

    hand->X2 = 18;
    hand->Y2 = 5;
    EXPECT_EQ(shown(100, 30), QColor(255, 0, 0));
    EXPECT_EQ(shown(150, 50), QColor(0, 0, 255));
    // Assigning one shape's property from another's.
    auto* other = new LineShape(pic.get());
    other->X1 = hand->X2;
    EXPECT_DOUBLE_EQ(other->X1, 18.0);
    EXPECT_EQ(pic->Shapes().size(), 2);

    hand->Visible = false;
    EXPECT_EQ(shown(150, 50), QColor(255, 255, 255));
    delete other;
    EXPECT_EQ(pic->Shapes().size(), 1);
}

TEST_F(PictureFixture, MouseUpInTheScaleUnits) {
    pic->Scale(0, 0, 20, 10);
    int button = 0;
    double x = -1, y = -1;
    int clicks = 0;
    QObject::connect(pic.get(), &PictureBox::MouseUp, [&](int b, int, double px, double py) {
        button = b;
        x = px;
        y = py;
    });
    QObject::connect(pic.get(), &PictureBox::Click, [&] { ++clicks; });
    const QPointF local(50, 20);
    const QPointF global = pic->mapToGlobal(local);
    QMouseEvent press(QEvent::MouseButtonPress, local, global, Qt::RightButton, Qt::RightButton,
                      Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, local, global, Qt::RightButton, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(pic.get(), &press);
    QApplication::sendEvent(pic.get(), &release);
    EXPECT_EQ(button, vbRightButton);
    EXPECT_DOUBLE_EQ(x, 5.0);
    EXPECT_DOUBLE_EQ(y, 2.0);
    EXPECT_EQ(clicks, 1);
}

TEST(ToolTipWindow, TipsKeepTheirOwnLinesAndNeverWrap) {
    struct Case {
        QString text;
        QString markup;
    };
    const Case cases[] = {
        {QString(), QString()},
        {QStringLiteral("one"), QStringLiteral("<p style='white-space:pre'>one</p>")},
        {QStringLiteral("Fajr\r\n5:12 <AM>"),
         QStringLiteral("<p style='white-space:pre'>Fajr<br>5:12 &lt;AM&gt;</p>")},
        {QStringLiteral("a\nb\rc"), QStringLiteral("<p style='white-space:pre'>a<br>b<br>c</p>")},
    };
    for (const Case& c : cases)
        EXPECT_EQ(runtime::ToolTipWindow::tipMarkup(c.text), c.markup);
}

TEST(ToolTipWindow, ShowsTheToolsTextOnItsControl) {
    QWidget owner;
    owner.resize(300, 200);
    auto* button = new QPushButton(QStringLiteral("b"), &owner);
    button->setToolTip(QStringLiteral("own text"));
    owner.show();
    auto* tips = new runtime::ToolTipWindow(&owner);
    tips->setDelayTime(TTDT_AUTOPOP, 30000);
    ASSERT_TRUE(tips->addTool(button, QStringLiteral("line one\r\nline two")));
    EXPECT_FALSE(tips->addTool(button, QStringLiteral("again")));
    EXPECT_FALSE(tips->addTool(new QLabel(&owner), QStringLiteral("label")));

    QHelpEvent help(QEvent::ToolTip, QPoint(2, 2), button->mapToGlobal(QPoint(2, 2)));
    QApplication::sendEvent(button, &help);
    EXPECT_TRUE(QToolTip::isVisible());
    EXPECT_EQ(QToolTip::text(),
              runtime::ToolTipWindow::tipMarkup(QStringLiteral("line one\r\nline two")));
    QToolTip::hideText();

    EXPECT_TRUE(tips->delTool(button));
    EXPECT_EQ(tips->toolCount(), 0);
    // The destroyed control's tool goes with it.
    auto* gone = new QPushButton(&owner);
    tips->addTool(gone, QStringLiteral("x"));
    delete gone;
    EXPECT_EQ(tips->toolCount(), 0);
}

} // namespace
