#pragma once
// Window procedures and window timers.
//
// Every window number has a chain of procedures: SetWindowLongA(GWL_WNDPROC) puts a new one on
// top and returns the one it replaced, which the new procedure passes the messages it does not
// handle to with CallWindowProcA. At the bottom of each chain is DefWindowProcA, which answers
// 0. SendMessageA calls the top of the chain at once, on the calling thread.
//
// SetTimer/KillTimer: a window timer calls its timer procedure with WM_TIMER on the
// user-interface thread every uElapse milliseconds until it is killed.
#include "wintypes.h"

using WNDPROC = LONG (*)(HWND hWnd, UINT uMsg, LONG wParam, LONG lParam);
using TIMERPROC = LONG (*)(HWND hWnd, UINT uMsg, UINT idEvent, DWORD dwTime);

constexpr int GWL_WNDPROC = -4;

constexpr UINT WM_SYSCOLORCHANGE = 0x15;
constexpr UINT WM_SETTINGCHANGE = 0x1A;
constexpr UINT WM_TIMECHANGE = 0x1E;
constexpr UINT WM_CONTEXTMENU = 0x7B;
constexpr UINT WM_TIMER = 0x113;
constexpr UINT WM_POWERBROADCAST = 0x218;
constexpr UINT WM_QUERYENDSESSION = 0x11;

constexpr LONG PBT_APMSUSPEND = 4;
constexpr LONG PBT_APMRESUMECRITICAL = 6;
constexpr LONG PBT_APMRESUMESUSPEND = 7;
constexpr LONG PBT_APMRESUMEAUTOMATIC = 0x12;

// Puts dwNewLong on top of the window's chain and returns the procedure it replaced (the
// default procedure for a window never hooked). nullptr for another index, a null procedure or
// a window number of 0.
WNDPROC SetWindowLongA(HWND hWnd, int nIndex, WNDPROC dwNewLong);
LONG CallWindowProcA(WNDPROC lpPrevWndFunc, HWND hWnd, UINT uMsg, LONG wParam, LONG lParam);
LONG DefWindowProcA(HWND hWnd, UINT uMsg, LONG wParam, LONG lParam);
// Calls the top procedure of the window's chain and returns its answer.
LONG SendMessageA(HWND hWnd, UINT uMsg, LONG wParam, LONG lParam);

// Returns nIDEvent when the timer runs (an existing timer of that window and id is replaced),
// 0 when uElapse is 0 or there is no procedure.
UINT SetTimer(HWND hWnd, UINT nIDEvent, UINT uElapse, TIMERPROC lpTimerFunc);
BOOL KillTimer(HWND hWnd, UINT uIDEvent);

namespace platform {
// Forgets the window's chain and timers (its window is gone).
void ForgetWindowProcedures(HWND hWnd);
} // namespace platform
