#pragma once
// The face of a round dial: its rim, the centre hub and the dots at 12, 3, 6 and 9 o'clock,
// all relative to the picture's size so that one routine serves every dial.
#include <cstdint>

class LineShape;
class PictureBox;

// Adds the face to what the picture shows, filled with lColor (0x00BBGGRR or a system colour)
// when the picture's fill style is solid, outlined in the picture's fore colour and draw width.
void DrawClockFace(PictureBox* pic, std::int32_t lColor);

// Sets the three hands of a dial on the picture to the time: each from the centre, the hour
// hand 0.65 of the way to the rim and moving on with the minutes (at 10:31 it stands just past
// 10), the minute hand 0.85, the second hand 0.9.
void SetDialHands(const PictureBox& pic, LineShape& hour, LineShape& minute, LineShape& second,
                  int h, int m, int s);
