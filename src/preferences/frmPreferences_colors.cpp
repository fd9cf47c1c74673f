// The clock colours: the colour mode, the colour dialog with its ramp of shades, and the two
// live clocks that show the colours being edited.
#include "frmPreferences.h"

#include "core/clockface.h"
#include "dialogs.h"
#include "runtime/Clock.h"
#include "runtime/Colors.h"
#include "runtime/Convert.h"
#include "runtime/PictureBox.h"
#include "runtime/VBDate.h"

#include <QRadioButton>
#include <cmath>

namespace {

constexpr std::int32_t kDefaultColors[6] = {vbWindowBackground, vbWindowText,    vbInactiveBorder,
                                            vbHighlight,        vbHighlightText, vbInactiveBorder};

// Rounds to the nearest whole number, a half to the even one.
std::int32_t roundEven(double x) {
    return static_cast<std::int32_t>(std::nearbyint(x));
}

} // namespace

std::int32_t GetRed(std::int32_t lColor) {
    return lColor % 256;
}

std::int32_t GetGreen(std::int32_t lColor) {
    return (lColor / 256) % 256;
}

std::int32_t GetBlue(std::int32_t lColor) {
    return (lColor / 65536) % 256;
}

bool FillCustomColors(std::array<std::int32_t, 16>& colors, std::int32_t lColor) {
    if (lColor < 0 || lColor > 0xFFFFFF)
        return false;
    const float x[3] = {float(GetRed(lColor)), float(GetGreen(lColor)), float(GetBlue(lColor))};
    constexpr int n = 16;
    constexpr int h = (n - 1) / 2;
    float c[3] = {255, 255, 255};
    // From near-white down to the colour, eight steps...
    for (int i = n - 1; i >= h + 1; --i) {
        for (int k = 0; k < 3; ++k)
            c[k] -= (255 - x[k]) / (h + 1);
        colors[std::size_t(i)] = RGB(roundEven(c[0]), roundEven(c[1]), roundEven(c[2]));
    }
    // ...then on towards black, nine steps of which eight are kept.
    for (int i = h; i >= 0; --i) {
        for (int k = 0; k < 3; ++k)
            c[k] -= x[k] / (n - h);
        colors[std::size_t(i)] = RGB(roundEven(c[0]), roundEven(c[1]), roundEven(c[2]));
    }
    return true;
}

void frmPreferences::SetColor(int index, std::int32_t color) {
    Colors[std::size_t(index)] = color;
    txtColor[std::size_t(index)]->SetBackColor(color);
}

void frmPreferences::optColorType_Click(int Index) {
    if (Index == 0) {
        for (int i = 0; i < 6; ++i)
            SetColor(i, kDefaultColors[i]);
        tmrMain_Timer();
    }
    Changed = true;
}

void frmPreferences::cmdBrowseCustomColor_Click(int Index) {
    // The colour now, as red, green and blue: a system colour as the desktop shows it.
    const std::int32_t back = txtColor[std::size_t(Index)]->BackColor();
    const std::int32_t current = back < 0 ? RGBOf(TranslateColor(back)) : back;
    std::array<std::int32_t, 16> custom{};
    if (!FillCustomColors(custom, current)) {
        for (int k = 0; k < 16; ++k)
            custom[std::size_t(k)] = RGB(15 * (k + 1), 15 * (k + 1), 15 * (k + 1));
    }
    // The dialog opens on the colour now shown, so that OK without a pick keeps it.
    std::int32_t chosen = 0;
    if (!ChooseColorRGB(this, current, custom, &chosen))
        return;
    SetColor(Index, chosen);
    optColorType.Select(1);
    tmrMain_Timer();
    Changed = true;
}

void frmPreferences::tmrMain_Timer() {
    const QTime now = Now().time();
    for (std::size_t i = 0; i < 2; ++i) {
        const std::size_t b = 3 * i;
        PictureBox* pic = picClock[i];
        DrawClockFace(pic, Colors[b]);
        LMP[i]->BorderColor = Colors[b + 1];
        LHP[i]->BorderColor = Colors[b + 1];
        LSP[i]->BorderColor = Colors[b + 2];
        // The same hands as the main window's clock.
        SetDialHands(*pic, *LHP[i], *LMP[i], *LSP[i], now.hour(), now.minute(), now.second());
        lblTime[i]->setText(Format(Now(), QStringLiteral("Long Time")));
    }
}
