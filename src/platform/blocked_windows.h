#pragma once
// Activation of a window that a modal window blocks.
//
// While a modal window is up, the program's other windows take no input. A window manager
// that activates one of them (a click on it, its task-bar entry, a focus handed back when the
// modal window was minimised) gets no answer from the toolkit when the modal window is not on
// the screen, and the program looks stuck. The handler set here hears of each such activation
// and can bring the modal window back; a click on the program's own tray icon (an XEmbed tray)
// counts too. Only an X11 display reports them; elsewhere the handler is never called.
#include <functional>

namespace platform {

// Calls the handler from the event loop, after the event that activated or was clicked in a
// top-level window of ours that the modal window up blocks. One handler; an empty one stops
// the calls.
void OnBlockedWindowActivated(std::function<void()> handler);

} // namespace platform
