#include "clockface.h"

#include "runtime/PictureBox.h"

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
