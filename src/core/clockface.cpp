#include "clockface.h"

#include "runtime/PictureBox.h"

#include <cmath>

namespace {
constexpr double kPi = 3.14159265358979;
} // namespace

void DrawClockFace(PictureBox* pic, std::int32_t lColor) {
    if (!pic)
        return;
    pic->FillColor = lColor;
    // The size is read afresh before each circle.
    const auto w = [pic] { return pic->ScaleWidth(); };
    const auto h = [pic] { return pic->ScaleHeight(); };
    pic->Circle(w() / 2, h() / 2, h() / 2.05);  // rim
    pic->Circle(w() / 2, h() / 2, h() / 35);    // hub
    pic->Circle(w() / 2, h() * 0.05, h() / 60); // 12 o'clock
    pic->Circle(w() * 0.95, h() / 2, h() / 60); // 3 o'clock
    pic->Circle(w() / 2, h() * 0.95, h() / 60); // 6 o'clock
    pic->Circle(w() * 0.05, h() / 2, h() / 60); // 9 o'clock
}

void SetDialHands(const PictureBox& pic, LineShape& hour, LineShape& minute, LineShape& second,
                  int h, int m, int s) {
    const double cx = pic.ScaleWidth() / 2;
    const double cy = pic.ScaleHeight() / 2;
    const auto place = [&](LineShape& hand, double degrees, double factor) {
        const double angle = degrees * kPi / 180;
        hand.X1 = cx;
        hand.Y1 = cy;
        hand.X2 = cx + factor * cx * std::cos(angle);
        hand.Y2 = cy + factor * cy * std::sin(angle);
    };
    place(hour, (h + m / 60.0) * 30 - 90, 0.65);
    place(minute, m * 6 - 90, 0.85);
    place(second, s * 6 - 90, 0.9);
}
