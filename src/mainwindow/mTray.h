#pragma once
// The program's one icon in the notification area: its record, tip and balloons, the window
// procedure that answers the tray's clicks and balloon reports, and the end of the icon's
// flashing.
#include "platform/tray.h"
#include "platform/wndproc.h"

#include <QString>
#include <cstdint>

constexpr UINT kTrayIconId = 999;
constexpr UINT kTrayCallbackMessage = 0x8015;
constexpr UINT kBalloonTimerId = 998;
constexpr UINT kBalloonWatchdogMs = 60000;
// How often an icon the desktop refused is offered again.
constexpr int kTrayRetryMs = 30000;

// True while the exit question is on screen: the tray's clicks are then ignored.
extern bool gExitQuestionShown;
// Seconds the current flashing of the tray icon has run.
extern std::int32_t gTrayFlashing;

// True while a balloon is on screen (its watchdog runs); the clock tick then leaves the tip.
extern bool gBalloonTimerActive;
// The window procedure TrayWndProc passes other messages to; nullptr when not hooked.
extern WNDPROC lpPrevTrayProc;
// The record size handed to the desktop; 0 until InitNotifyIconSize ran.
extern LONG lNidSize;

// Fills the window's tray record (icon, tip, callback message) and adds it; with success, the
// version too. The tray procedure is hooked on the window either way: an icon the desktop
// refused (no tray yet) is offered again every kTrayRetryMs and whenever a tray host appears,
// and then the clicks must already find their procedure.
void AddTrayIcon(HWND hWnd, HANDLE hIcon, const QString& sTip);
// Stops the watchdog (which may start flashing), deletes the icon, unhooks, runs pending events.
void RemoveTrayIcon(HWND hWnd);
// The tip (the caller ends it with a NUL) into the record, sent with NIM_MODIFY.
void SetTrayTip(const QString& sTip);
void ShowBalloon(HWND hWnd, LONG lInfoFlags, const QString& sTitle, const QString& sText,
                 std::int16_t iAudioSlot);
void HideBalloon(HWND hWnd);
void StartBalloonTimer(HWND hWnd, LONG lMilliseconds);
void StopBalloonTimer(HWND hWnd);
LONG BalloonTimerProc(HWND hWnd, UINT uMsg, UINT idEvent, DWORD dwTime);
void HookTrayWindow(HWND hWnd);
void UnhookTrayWindow(HWND hWnd);
LONG TrayWndProc(HWND hWnd, UINT uMsg, LONG wParam, LONG lParam);
void InitNotifyIconSize();
// Our desktop's notifications do what the shell's balloons of version 6 do.
bool IsShellVersionAtLeast(std::int16_t iMajor);

// Ends the tray icon's flashing: both flash timers off, counters reset, the resting icon back,
// the tip rewritten.
void StopTrayFlash();

// The desktop's tray host came (back): an icon it held died with the old one, so the icon is
// added again; an icon never added is offered again.
void ReAddTrayIcon();
// Whether the desktop holds our icon now (added, and not lost with its tray host).
bool IsTrayIconShown();

// A text into a fixed-width record field: its UTF-8 bytes, cut at the width, the rest blanks.
// The caller's NUL, when it fits, ends the text for the reader.
void PutTrayField(char* field, std::size_t width, const QString& text);
