#pragma once
// Windows brought back from screens that went away. A laptop taken from its dock, a monitor
// unplugged, a screen made smaller or a panel that takes more room can leave a window of the
// program where no screen shows it. Such a window (one whose frame, title bar included, does
// not lie wholly on the work area of one screen) is placed on the work area of the screen it is
// most on, else of the primary screen, fitted as dialogs are when it is larger than that area;
// it moves no further than it must. A window wholly on a screen stays where the user put it.
class QWidget;

namespace runtime {

// Places that window so, when it is shown (not minimised, not hidden); returns whether it was
// moved or fitted.
bool BringOntoWorkArea(QWidget* window);

// Every shown window of the program: now, or a window just shown again once the window manager
// has mapped it (it then has its frame and its place).
void BringWindowsOntoWorkAreas();

// From now on the windows are brought onto the work areas whenever a screen goes, comes or
// changes its size or its work area, and whenever a window of the program is restored or
// activated on request (a second start of the program). Once is enough; later calls do
// nothing.
void KeepWindowsOnWorkAreas();

} // namespace runtime
