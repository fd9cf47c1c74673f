#pragma once
// The system broadcasts a window receives, as the messages of its window procedure
// (wndproc.h):
//
//   WM_TIMECHANGE      the wall clock was set (a timerfd armed with TFD_TIMER_CANCEL_ON_SET
//                      wakes up), or the time zone changed (systemd-timedated's Timezone
//                      property, or /etc/localtime replaced)
//   WM_SETTINGCHANGE   the application's locale or font changed (Qt's events)
//                      or, with wParam SPI_SETSCREENSAVEACTIVE, the session's screen saver
//                      came or went (sysparams.h)
//   WM_SYSCOLORCHANGE  the application's palette changed (Qt's event)
//   WM_POWERBROADCAST  logind's PrepareForSleep: PBT_APMSUSPEND before the sleep,
//                      PBT_APMRESUMEAUTOMATIC after it
//
// Each message is sent with SendMessageA on the user-interface thread.
//
// While they are delivered and the environment sets no TZ, TZ is ":/etc/localtime": the C
// library then reads the zone file once and again at each zone change, instead of looking at it
// at every local-time conversion.
#include "wintypes.h"

namespace platform {

// Starts delivering the broadcasts to the window; one window at a time (a second call moves
// them). Sources that are not there (no system bus, no timerfd) are passed over.
void StartSystemBroadcasts(HWND hWnd);
void StopSystemBroadcasts();
// The window that receives them, 0 when none.
HWND SystemBroadcastWindow();

// The pieces, for tests: what a zone-file or timedated change, a clock set and a sleep report
// do. Each sends its message to the receiving window when there is one.
void BroadcastTimeChange();
void BroadcastPrepareForSleep(bool sleeping);
// The screen saver came or went on the session bus.
void BroadcastScreenSaverChange();

} // namespace platform
