#pragma once
// The face of a round dial: its rim, the centre hub and the dots at 12, 3, 6 and 9 o'clock,
// all relative to the picture's size so that one routine serves every dial.
#include <cstdint>

class PictureBox;

// Adds the face to what the picture shows, filled with lColor (0x00BBGGRR or a system colour)
// when the picture's fill style is solid, outlined in the picture's fore colour and draw width.
void DrawClockFace(PictureBox* pic, std::int32_t lColor);
