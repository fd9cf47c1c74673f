#include "mMain.h"

#include "audio.h"
#include "frmSplash.h"
#include "mAPI.h"
#include "mainwindow/frmTallix.h"
#include "platform/mutex.h"
#include "platform/process_state.h"
#include "platform/signals.h"
#include "platform/window.h"
#include "runtime/App.h"
#include "runtime/ErrObject.h"
#include "runtime/Form.h"
#include "runtime/Interaction.h"
#include "runtime/ScreenRescue.h"
#include "runtime/VBMath.h"
#include "start_watch.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLoggingCategory>
#include <QThread>
#include <limits>

#ifndef TALLIX_WEBSITE_URL
#define TALLIX_WEBSITE_URL "https://tallixtime.example.org"
#endif

const QString kMutexName = QStringLiteral(
    "544C593EC9422E5F0C96A828368E6E21CB392118D8DA02564A7384E4E8D29815656755C746CC6FD35E57DB89"
    "86B2AFC0E2B982F43C01B4299313DBE933BE6400FA4A1252E49983FF138908362E5BC0BF15A921CF050027F3"
    "C411BB56B821073C");

std::unique_ptr<cMutex> gMutex;
HANDLE gMutexHandle = 0;
LONG gPlatformId = 0;
std::int16_t gSplashMode = 0;

namespace {
std::int16_t gBusyCount = 0;
// Main is bringing the program up: its event loop does not run yet, so unloading the main
// window would not end the program. A session end meanwhile ends it at once.
bool gStarting = false;
// A session end is under way: the end signals after the first change nothing.
bool gEnding = false;

Q_LOGGING_CATEGORY(lcHandover, "tallix.handover", QtInfoMsg)

enum class RunningCopy { HandedOver, Gone, Stuck };

// Another copy holds the mutex. It may still be starting (a slow disk, a large settings file,
// a question of its own): it answers the hand-over only once its main window is up. So this
// start waits for that, as long as the copy makes progress; when the copy ends meanwhile, this
// start takes the mutex (gMutexHandle) and becomes the running copy.
RunningCopy waitForRunningCopy(long long* holder) {
    StartWatch watch;
    QElapsedTimer clock;
    clock.start();
    bool told = false;
    for (;;) {
        const HWND hWnd = FindWindowByTitle(QStringLiteral("Tallix Time - "));
        if (hWnd != 0 && OpenIcon(hWnd) && SetForegroundWindow(hWnd))
            return RunningCopy::HandedOver;
        gMutexHandle = gMutex->CreateMutex(kMutexName, true);
        if (gMutexHandle != 0 && GetLastError() != ERROR_ALREADY_EXISTS)
            return RunningCopy::Gone;
        gMutex->CloseMutex(gMutexHandle);
        *holder = platform::MutexHolderProcess(kMutexName);
        if (watch.stuck(clock.elapsed(), *holder, platform::SampleProcess(*holder)))
            return RunningCopy::Stuck;
        if (!told) {
            qCDebug(lcHandover, "another copy (process %lld) is still starting: waiting for it",
                    *holder);
            told = true;
        }
        DoEvents();
        QThread::msleep(200);
    }
}
} // namespace

void PlayStartupSound() {
    switch (gAudioType[6]) {
    case 1:
    case 2:
    case 3:
        PlayAlert(6);
        break;
    case 4:
        PlayAlert(5);
        break;
    default:
        break;
    }
}

void EndSessionOfMainWindow() {
    if (gEnding)
        return;
    gEnding = true;
    frmTallix* window = MainWindow();
    if (window)
        window->EndSession();
    if (!gStarting)
        return; // the event loop ends with the last form
    // The signal reached an event loop of the start (a DoEvents, a message, the splash), never
    // the middle of a file being written, so the settings file is whole. What the start made
    // went with the window's unload; End removes the window list and socket of any window.
    End(0);
}

int Main() {
    gStarting = true;
    // From here on an end signal ends the program as the end of the session does, once; main
    // has caught the signals since its first line, and those that came meanwhile arrive now.
    platform::InstallSessionEndHook([](int) { EndSessionOfMainWindow(); });
    SetBusy(true);
    gMutex = std::make_unique<cMutex>();

    // Taking the mutex is also the test for another copy, in one step, so two starts at the
    // same moment can never both go on.
    gMutexHandle = gMutex->CreateMutex(kMutexName, true);
    if (gMutexHandle != 0 && GetLastError() == ERROR_ALREADY_EXISTS) {
        gMutex->CloseMutex(gMutexHandle);
        DoEvents();
        long long holder = 0;
        switch (waitForRunningCopy(&holder)) {
        case RunningCopy::HandedOver:
            gMutex.reset();
            End(0);
        case RunningCopy::Stuck:
            ReportStuckRunningCopy(holder);
            gMutex.reset();
            End(1);
        case RunningCopy::Gone:
            break; // this start holds the mutex now and becomes the running copy
        }
    }
    // Other starts are answered once the main window is up, not while it is being made.
    platform::HoldHandoverRequests(true);
    // A window left where a screen went (or brought forward there) comes onto a screen.
    runtime::KeepWindowsOnWorkAreas();

    DoEvents();
    Rnd(-1);
    Randomize();
    SetAppTaskVisible(false);
    InitPlatformId();
    LoadOrResetSettings();
    DoEvents();
    DoEvents();

    if (gDisplaySplashScreen == 0) {
        PlayStartupSound();
    } else if (gDisplaySplashScreen == 1) {
        gSplashMode = 0;
        auto* splash = new frmSplash();
        splash->Show(vbModal);
    }

    SetBusy(true);
    DoEvents();
    auto* mainWindow = new frmTallix();
    mainWindow->Load();
    SetBusy(false);
    DoEvents();
    mainWindow->Show();
    platform::HoldHandoverRequests(false);
    SetBusy(false);
    gStarting = false;
    return QApplication::exec();
}

void ReportStuckRunningCopy(long long pid) {
    MsgBox(QStringLiteral("Tallix Time is already running%1, but it has not shown its window for "
                          "a minute. It may be waiting for an answer in a message of its own; "
                          "otherwise end that copy and start Tallix Time again.")
               .arg(pid > 0 ? QStringLiteral(" (process %1)").arg(pid) : QString()),
           vbExclamation, App.Title);
}

QString MakerWebSite() {
    return QStringLiteral(TALLIX_WEBSITE_URL);
}

void SetAppTaskVisible(bool visible) {
    App.SetTaskVisible(visible);
}

bool IsFormLoaded(const QString& formName) {
    return FindForm(formName) != nullptr;
}

void SetBusy(bool busy) {
    if (busy) {
        if (gBusyCount == 0)
            Screen.MousePointer = vbHourglass;
        if (gBusyCount == std::numeric_limits<std::int16_t>::max()) {
            gBusyCount = 0;
            Screen.MousePointer = vbDefault;
            return;
        }
        ++gBusyCount;
    } else {
        if (gBusyCount == 1)
            Screen.MousePointer = vbDefault;
        if (gBusyCount == std::numeric_limits<std::int16_t>::min()) {
            gBusyCount = 0;
            Screen.MousePointer = vbDefault;
            return;
        }
        --gBusyCount;
    }
}

std::int16_t BusyCount() {
    return gBusyCount;
}

void ReportError() {
    if (Err.Number != vbErrModalShown)
        MsgBox(Err.Description, vbExclamation, App.Title);
    SetBusy(false);
    Err.Clear();
}
