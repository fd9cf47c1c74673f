// The dial face: where its circles go on pictures of different shapes, and what they show.
#include "core/clockface.h"
#include "runtime/Colors.h"
#include "runtime/PictureBox.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// Remembers every circle drawn, in the picture's units, and draws it as well.
class RecordingPicture : public PictureBox {
public:
    struct Circle_ {
        double x, y, r;
        std::int32_t fill;
    };
    std::vector<Circle_> circles;
    void Circle(double x, double y, double radius, std::optional<std::int32_t> color) override {
        circles.push_back({x, y, radius, FillColor});
        PictureBox::Circle(x, y, radius, color);
    }
};

TEST(DrawClockFace, CirclesOnSquareAndWidePictures) {
    struct Expected {
        double x, y, r;
    };
    struct Case {
        double w, h;
        std::vector<Expected> circles; // rim, hub, 12, 3, 6, 9 o'clock
    };
    const Case cases[] = {
        {1000,
         1000,
         {{500, 500, 487.8},
          {500, 500, 28.6},
          {500, 50, 16.7},
          {950, 500, 16.7},
          {500, 950, 16.7},
          {50, 500, 16.7}}},
        // Wider than high: the radii follow the height; 3 and 9 o'clock stay 5 % in from the
        // edges, outside the rim.
        {2000,
         1000,
         {{1000, 500, 487.8},
          {1000, 500, 28.6},
          {1000, 50, 16.7},
          {1900, 500, 16.7},
          {1000, 950, 16.7},
          {100, 500, 16.7}}},
    };
    for (const Case& c : cases) {
        RecordingPicture pic;
        pic.resize(static_cast<int>(c.w / 5), static_cast<int>(c.h / 5));
        pic.Scale(0, 0, c.w, c.h);
        DrawClockFace(&pic, RGB(10, 20, 30));
        ASSERT_EQ(pic.circles.size(), c.circles.size());
        for (size_t i = 0; i < c.circles.size(); ++i) {
            EXPECT_NEAR(pic.circles[i].x, c.circles[i].x, 0.05) << c.w << " circle " << i;
            EXPECT_NEAR(pic.circles[i].y, c.circles[i].y, 0.05) << c.w << " circle " << i;
            EXPECT_NEAR(pic.circles[i].r, c.circles[i].r, 0.05) << c.w << " circle " << i;
            EXPECT_EQ(pic.circles[i].fill, RGB(10, 20, 30));
        }
    }
    const double rim = 1000 / 2.05;
    EXPECT_GT(1900 - 1000, rim); // the wide picture's 3 o'clock dot is off the rim
}

TEST(DrawClockFace, SolidFaceInTheColourOnTheBackground) {
    PictureBox pic;
    pic.resize(100, 100);
    pic.SetBackColor(RGB(255, 255, 255));
    pic.ForeColor = RGB(0, 0, 0);
    pic.FillStyle = vbFSSolid;
    DrawClockFace(&pic, RGB(0, 0, 200));
    const QImage img = pic.image();
    EXPECT_EQ(img.pixelColor(30, 50), QColor(0, 0, 200));   // face, between hub and dots
    EXPECT_EQ(img.pixelColor(2, 2), QColor(255, 255, 255)); // corner, outside the rim
    // Drawing adds to what is there: the corner keeps an earlier mark.
    pic.Line(0, 0, 0, 0);
    pic.Circle(pic.ScaleWidth() * 0.02, pic.ScaleHeight() * 0.02, pic.ScaleWidth() * 0.01,
               RGB(0, 255, 0));
    DrawClockFace(&pic, vbWindowBackground);
    EXPECT_EQ(pic.image().pixelColor(30, 50), TranslateColor(vbWindowBackground));
    EXPECT_GT(pic.image().pixelColor(2, 2).green(), 128);
}

TEST(DrawClockFace, NoPictureNoHarm) {
    DrawClockFace(nullptr, 0);
}

} // namespace
