#pragma once
// Top-level windows across the user's processes of this program.
//
// Each process publishes its top-level windows (number, title, state) in a file of
// RuntimeDir()/windows and listens on a local socket there (or in a short private folder the
// file names, when that path is too long for a socket) for restore, activate and minimise
// requests. Window numbers are unique across the user's processes for as long as they run.
// EnumWindows walks the published windows of every process that answers on its socket;
// OpenIcon, SetForegroundWindow and CloseWindow act at once on our own windows and send a
// request for another process's. A normal end removes the process's files; a start removes
// those of processes that are gone. Requests are logged under the debug category
// "tallix.handover". A client may send lines of up to 4 KiB, leave up to 64 KiB of answers
// unread and stay quiet for up to 10 s; past any of these it is dropped. The socket takes
// kHandoverClientCap clients at once (platform/open_files.h); one more is answered "NO".
#include "wintypes.h"

#include <QString>

#include <functional>

class QWidget;

using WNDENUMPROC = BOOL (*)(HWND hWnd, LONG lParam);

BOOL EnumWindows(WNDENUMPROC lpEnumFunc, LONG lParam);
int GetWindowTextLengthA(HWND hWnd);
// Copies at most nMaxCount - 1 bytes of the title (UTF-8) and a NUL; returns the bytes copied.
int GetWindowTextA(HWND hWnd, char* lpString, int nMaxCount);
BOOL OpenIcon(HWND hWnd);
BOOL SetForegroundWindow(HWND hWnd);
BOOL IsWindow(HWND hWnd);
// Minimises the window (it does not close it), in whichever of our processes it is.
BOOL CloseWindow(HWND hWnd);

namespace platform {

// Gives a top-level widget its window number and publishes it; the number stays until the
// widget is destroyed or unpublished.
HWND PublishWindow(QWidget* widget);
void UnpublishWindow(HWND hWnd);
// Re-reads the title and state of a published window into the shared list.
void UpdatePublishedWindow(HWND hWnd);
QWidget* WidgetOfWindow(HWND hWnd);
// Removes this process's list and socket now: for an end that runs no exit handlers.
void RemoveWindowFiles();
// A client of the hand-over socket that sends no request for this long is dropped: 10 s (a
// request is answered at once). Tests shorten it; 0 goes back to 10 s.
constexpr int kHandoverClientTimeoutMs = 10000;
void SetHandoverClientTimeout(int ms);
// While held, requests from other starts wait unanswered (a start shows its windows only when
// it is ready); letting go answers the ones waiting.
void HoldHandoverRequests(bool hold);
// Calls the handler after a restore or activate request (OpenIcon, SetForegroundWindow: from
// another start of the program, or from this one) has acted on a window of this process. One
// handler; an empty one stops the calls.
void OnWindowBroughtForward(std::function<void()> handler);

} // namespace platform
