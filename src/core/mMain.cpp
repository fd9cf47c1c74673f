#include "mMain.h"

#include "audio.h"
#include "frmSplash.h"
#include "mAPI.h"
#include "mainwindow/frmTallix.h"
#include "platform/mutex.h"
#include "platform/window.h"
#include "runtime/App.h"
#include "runtime/ErrObject.h"
#include "runtime/Form.h"
#include "runtime/Interaction.h"
#include "runtime/VBMath.h"

#include <QApplication>
#include <QElapsedTimer>
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

// The running copy may still be starting: its main window shows up within moments.
HWND findRunningCopy() {
    QElapsedTimer waited;
    waited.start();
    HWND found = FindWindowByTitle(QStringLiteral("Tallix Time - "));
    while (found == 0 && waited.elapsed() < 1500) {
        QThread::msleep(100);
        found = FindWindowByTitle(QStringLiteral("Tallix Time - "));
    }
    return found;
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

int Main() {
    SetBusy(true);
    gMutex = std::make_unique<cMutex>();

    // Taking the mutex is also the test for another copy, in one step, so two starts at the
    // same moment can never both go on.
    gMutexHandle = gMutex->CreateMutex(kMutexName, true);
    if (gMutexHandle != 0 && GetLastError() == ERROR_ALREADY_EXISTS) {
        gMutex->CloseMutex(gMutexHandle);
        DoEvents();
        gMutex.reset();
        const HWND hWnd = findRunningCopy();
        OpenIcon(hWnd);
        SetForegroundWindow(hWnd);
        End(0);
    }

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
    SetBusy(false);
    return QApplication::exec();
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
