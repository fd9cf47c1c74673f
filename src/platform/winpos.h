#pragma once
// Window placement and stacking: SetWindowPos on the program's own top-level windows.
//
// "Topmost" is the window manager's keep-above state (Qt::WindowStaysOnTopHint). The change
// reaches a window that is already on screen without hiding or re-creating it.
#include "wintypes.h"

constexpr HWND HWND_TOP = 0;
constexpr HWND HWND_BOTTOM = 1;
constexpr HWND HWND_TOPMOST = -1;
constexpr HWND HWND_NOTOPMOST = -2;

constexpr UINT SWP_NOSIZE = 0x0001;
constexpr UINT SWP_NOMOVE = 0x0002;
constexpr UINT SWP_NOZORDER = 0x0004;
constexpr UINT SWP_NOACTIVATE = 0x0010;

// Moves (X, Y, pixels), sizes (cx, cy) and restacks a window published by this process.
// hWndInsertAfter: HWND_TOPMOST / HWND_NOTOPMOST switch the keep-above state, HWND_TOP raises,
// HWND_BOTTOM lowers; any other value leaves the stacking alone. FALSE for a window that is
// not ours or no longer exists. Activation is left to the window manager (SWP_NOACTIVATE is
// accepted and changes nothing).
BOOL SetWindowPos(HWND hWnd, HWND hWndInsertAfter, int X, int Y, int cx, int cy, UINT uFlags);
