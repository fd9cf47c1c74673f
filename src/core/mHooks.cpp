#include "mHooks.h"

#include "mainwindow/frmTallix.h"
#include "platform/sysparams.h"

WNDPROC gPrevMainProc = nullptr;

void HookMainWindow(HWND hWnd) {
    gPrevMainProc = SetWindowLongA(hWnd, GWL_WNDPROC, &MainWndProc);
}

void UnhookMainWindow(HWND hWnd) {
    if (!gPrevMainProc)
        return;
    SetWindowLongA(hWnd, GWL_WNDPROC, gPrevMainProc);
    gPrevMainProc = nullptr;
}

LONG MainWndProc(HWND hWnd, UINT uMsg, LONG wParam, LONG lParam) {
    frmTallix* window = MainWindow();
    if (!window || hWnd != window->hWnd())
        return CallWindowProcA(gPrevMainProc, hWnd, uMsg, wParam, lParam);
    switch (uMsg) {
    case WM_SETTINGCHANGE:
        // The screen saver came or went: only the commands that start it follow.
        if (wParam == LONG(SPI_SETSCREENSAVEACTIVE)) {
            window->EnablePrayNow();
            return 0;
        }
        window->SystemChanged();
        return 0;
    case WM_TIMECHANGE:
        window->SystemChanged();
        return 0;
    case WM_SYSCOLORCHANGE:
        window->ColorsChanged();
        return 0;
    case WM_POWERBROADCAST:
        if (wParam == PBT_APMRESUMECRITICAL || wParam == PBT_APMRESUMESUSPEND ||
            wParam == PBT_APMRESUMEAUTOMATIC)
            window->ResumedFromSleep();
        return 0;
    default:
        return CallWindowProcA(gPrevMainProc, hWnd, uMsg, wParam, lParam);
    }
}
