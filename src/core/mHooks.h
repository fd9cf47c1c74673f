#pragma once
// The main window's procedure: it hears the system broadcasts (clock, zone and setting
// changes, colour changes, sleep and resume) and lets the main window redo what they
// invalidate. Installed on top of the tray's procedure, removed before it.
#include "platform/wndproc.h"

extern WNDPROC gPrevMainProc;

void HookMainWindow(HWND hWnd);
void UnhookMainWindow(HWND hWnd);
LONG MainWndProc(HWND hWnd, UINT uMsg, LONG wParam, LONG lParam);
