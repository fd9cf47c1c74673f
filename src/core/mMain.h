#pragma once
// The program's entry and the services every window uses: the single-instance guard, the busy
// pointer, the error reporter and the loaded-forms query. The settings state is in settings.h.
#include "cMutex.h"
#include "settings.h"

#include <QString>
#include <cstdint>
#include <memory>

// The name every copy of the program gives its single-instance mutex.
extern const QString kMutexName;

extern std::unique_ptr<cMutex> gMutex;
extern HANDLE gMutexHandle;
extern LONG gPlatformId;
extern std::int16_t gSplashMode;

// Runs the program: hands over to a running copy and ends, or starts and runs the event loop.
// Returns the process's exit code.
int Main();

// The end of the session (SIGTERM, SIGHUP, SIGINT): unloads the main window as a log-out does,
// and the program ends with status 0. While Main is still bringing the program up it ends at
// once, after unloading the main window if there is one yet. Acts on the first call only: the
// signals that come while the program ends change nothing.
void EndSessionOfMainWindow();

// Tells the user that the copy holding the mutex (process pid, 0 when not known) has made no
// progress towards its window for a minute, so this start ends without a hand-over.
void ReportStuckRunningCopy(long long pid);

// The start-up sound: slot 6, or the recitation of slot 5 for audio type 4; nothing else.
void PlayStartupSound();

// The maker's web site: the About box's link and the timetables' project home.
QString MakerWebSite();

void SetAppTaskVisible(bool visible);
bool IsFormLoaded(const QString& formName);
void SetBusy(bool busy);
void ReportError();

// The busy counter, for the code that checks on it.
std::int16_t BusyCount();
