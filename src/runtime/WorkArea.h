#pragma once
// Where a window may lie: the work area of its screen (the desktop less its panels), and the
// frame the window manager puts around it (title bar and borders), which counts as part of the
// window when it is placed. A window's position (QWidget::move) is that of its frame.
#include <QMargins>
#include <QRect>

class QWidget;

namespace runtime {

// The work area of the screen the window is on (the primary screen for a window not shown
// yet); empty without a screen.
QRect WorkAreaOf(const QWidget* window);

// The frame around the window: its own once the window manager has framed it, else that of
// another framed window of the program (the same window manager frames them alike), else none
// known. A window without a frame (a splash) has none.
QMargins FrameMarginsOf(const QWidget* window);

// The window's frame with the window at that size: its size plus its frame.
QRect FrameRect(const QWidget* window, const QSize& size);

// The frame moved onto the area: wholly when it fits; a frame wider or taller than the area
// keeps its left or top edge (the title bar) in, and runs off the right or the bottom.
QRect KeptOnArea(QRect frame, const QRect& area);

// Tightens the vertical spacing and margins of the window's layouts, a step at a time, until
// the height its layout asks for (frame included) fits into the height given; where nothing is
// left to take away, the window's ScrollPages let go. Returns whether it fits. A window that
// fits already is left as it is.
bool FitLayoutsToHeight(QWidget* window, int height);
// The same across, measured by the least width the window's layout allows (frame included):
// first its combo boxes that are as wide as their longest item ask for a few letters (their
// lists still open as wide as that item), then the horizontal spacing and the side margins
// close up in the same steps, then the ScrollPages let go.
bool FitLayoutsToWidth(QWidget* window, int width);

// Makes a window whose frame is wider or taller than the area given (the work area of a screen)
// fit on it, shown or not: across, it takes the width there is, its layout closing up first
// where it allows no less (FitLayoutsToWidth); down, its layouts tighten until it fits, and it
// takes the height it then asks for (FitLayoutsToHeight). Where closing up is not enough, its
// ScrollPages let go and scroll, in both directions, within the area. A window of fixed size
// stays fixed, at the size it fits in; a window without a layout is cut to the area. A window
// that fits is left as it is. It is not moved: KeptOnArea says where it may lie.
void FitOnArea(QWidget* window, const QRect& area);

} // namespace runtime
