// The box form of a picture's Line: pixel-exact corners, both included, outline and fill.
#include "runtime/Colors.h"
#include "runtime/PictureBox.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

QRgb at(const PictureBox& pic, int x, int y) {
    const QImage& img = pic.image();
    const qreal dpr = img.devicePixelRatio();
    return img.pixel(int(x * dpr), int(y * dpr)) & 0xFFFFFF;
}

TEST(PictureBoxLineBox, OutlinesAndFillsExactlyTheCoveredPixels) {
    PictureBox pic;
    pic.resize(40, 30);
    pic.SetBackColor(RGB(255, 255, 255));
    pic.FillStyle = vbFSSolid;
    pic.FillColor = RGB(0, 0, 255);
    // Twips: pixels 2..10 across, 3..8 down (the corners to the nearest pixel).
    pic.LineBox(30, 44, 152, 120, RGB(255, 0, 0));
    const QRgb red = 0xFF0000, blue = 0x0000FF, white = 0xFFFFFF;
    EXPECT_EQ(at(pic, 2, 3), red);
    EXPECT_EQ(at(pic, 10, 8), red);
    EXPECT_EQ(at(pic, 6, 3), red);
    EXPECT_EQ(at(pic, 10, 5), red);
    EXPECT_EQ(at(pic, 3, 4), blue);
    EXPECT_EQ(at(pic, 9, 7), blue);
    EXPECT_EQ(at(pic, 1, 3), white);
    EXPECT_EQ(at(pic, 11, 8), white);
    EXPECT_EQ(at(pic, 6, 9), white);
    EXPECT_DOUBLE_EQ(pic.CurrentX, 152);
    EXPECT_DOUBLE_EQ(pic.CurrentY, 120);

    // One pixel wide it is a straight line; transparent fill leaves the inside alone.
    pic.LineBox(300, 0, 300, 435, RGB(0, 0, 0));
    for (int y = 0; y < 30; ++y)
        EXPECT_EQ(at(pic, 20, y), 0u) << y;
    EXPECT_EQ(at(pic, 21, 10), white);
    pic.FillStyle = vbFSTransparent;
    pic.LineBox(360, 150, 480, 300, RGB(0, 255, 0));
    EXPECT_EQ(at(pic, 24, 10), 0x00FF00u);
    EXPECT_EQ(at(pic, 28, 15), white);

    // Corners far outside the picture and numbers that are none draw what lies inside, or
    // nothing.
    pic.FillStyle = vbFSSolid;
    pic.LineBox(-1e12, -1e12, 1e12, 1e12, RGB(0, 0, 0));
    EXPECT_EQ(at(pic, 15, 15), blue);
    pic.LineBox(std::nan(""), 0, 10, 10, RGB(0, 255, 0));
    EXPECT_EQ(at(pic, 0, 0), blue);
}

} // namespace
