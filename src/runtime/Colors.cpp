#include "Colors.h"

#include <QGuiApplication>
#include <QPalette>
#include <iterator>

namespace {

struct SystemColour {
    QPalette::ColorGroup group;
    QPalette::ColorRole role;
};

// The desktop's system colours by index, as the palette's roles stand in for them. The
// inactive border (11) is a light grey on the desktop; the palette's mid tone keeps a line in
// that colour visible on a window-coloured face.
bool systemColour(int index, SystemColour* out) {
    using P = QPalette;
    static const SystemColour table[] = {
        {P::Active, P::Button},          // 0 scroll bars
        {P::Active, P::Dark},            // 1 desktop
        {P::Active, P::Highlight},       // 2 active caption
        {P::Inactive, P::Mid},           // 3 inactive caption
        {P::Active, P::Window},          // 4 menu
        {P::Active, P::Base},            // 5 window background
        {P::Active, P::Shadow},          // 6 window frame
        {P::Active, P::WindowText},      // 7 menu text
        {P::Active, P::Text},            // 8 window text
        {P::Active, P::HighlightedText}, // 9 caption text
        {P::Active, P::Button},          // 10 active border
        {P::Active, P::Mid},             // 11 inactive border
        {P::Active, P::Dark},            // 12 application workspace
        {P::Active, P::Highlight},       // 13 selection background
        {P::Active, P::HighlightedText}, // 14 selection text
        {P::Active, P::Button},          // 15 button face
        {P::Active, P::Dark},            // 16 button shadow
        {P::Disabled, P::Text},          // 17 grey text
        {P::Active, P::ButtonText},      // 18 button text
        {P::Inactive, P::WindowText},    // 19 inactive caption text
        {P::Active, P::Light},           // 20 button highlight
        {P::Active, P::Shadow},          // 21 3-D dark shadow
        {P::Active, P::Midlight},        // 22 3-D light
        {P::Active, P::ToolTipText},     // 23 tooltip text
        {P::Active, P::ToolTipBase},     // 24 tooltip background
        {P::Active, P::NoRole},          // 25 (none)
        {P::Active, P::Link},            // 26 hot-tracked item
        {P::Active, P::Highlight},       // 27 active caption gradient
        {P::Inactive, P::Mid},           // 28 inactive caption gradient
        {P::Active, P::Highlight},       // 29 menu highlight
        {P::Active, P::Window},          // 30 menu bar
    };
    if (index < 0 || index >= static_cast<int>(std::size(table)) || table[index].role == P::NoRole)
        return false;
    *out = table[index];
    return true;
}

} // namespace

QColor TranslateColor(std::int32_t oleColor) {
    const auto value = static_cast<std::uint32_t>(oleColor);
    if (value & 0x80000000u) {
        SystemColour sc{};
        if (!systemColour(static_cast<int>(value & 0xFFu), &sc))
            return {};
        const QPalette palette = QGuiApplication::palette();
        return palette.color(sc.group, sc.role);
    }
    return QColor(static_cast<int>(value & 0xFFu), static_cast<int>((value >> 8) & 0xFFu),
                  static_cast<int>((value >> 16) & 0xFFu));
}

std::int32_t RGBOf(const QColor& color) {
    return RGB(color.red(), color.green(), color.blue());
}
