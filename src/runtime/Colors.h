#pragma once
// Colours as the program stores them: 0x00BBGGRR, or with the top bit set a system colour whose
// index is the low byte (0x80000005 the window background, 0x8000000F the button face).
#include <QColor>
#include <cstdint>

// The colour on screen now: RGB values as they are, system colours from the application's
// palette. An invalid QColor for a system colour index the desktop does not have.
QColor TranslateColor(std::int32_t oleColor);

// 0x00BBGGRR of a colour.
std::int32_t RGBOf(const QColor& color);

constexpr std::int32_t RGB(int r, int g, int b) {
    return static_cast<std::int32_t>((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}

// The system colours the program names.
constexpr std::int32_t vbScrollBars = static_cast<std::int32_t>(0x80000000u);
constexpr std::int32_t vbWindowBackground = static_cast<std::int32_t>(0x80000005u);
constexpr std::int32_t vbWindowText = static_cast<std::int32_t>(0x80000008u);
constexpr std::int32_t vbInactiveBorder = static_cast<std::int32_t>(0x8000000Bu);
constexpr std::int32_t vbHighlight = static_cast<std::int32_t>(0x8000000Du);
constexpr std::int32_t vbHighlightText = static_cast<std::int32_t>(0x8000000Eu);
constexpr std::int32_t vbButtonFace = static_cast<std::int32_t>(0x8000000Fu);
constexpr std::int32_t vbButtonText = static_cast<std::int32_t>(0x80000012u);
