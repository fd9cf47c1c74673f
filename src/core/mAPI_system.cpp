// The system queries and shell actions of mAPI.
#include "mAPI.h"

#include "platform/locale.h"
#include "platform/network.h"
#include "platform/shell.h"
#include "platform/sysparams.h"
#include "platform/winpos.h"
#include "runtime/Convert.h"
#include "runtime/Form.h"
#include "settings.h"

#include <QByteArray>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace {
// Paths on Linux are longer than the 260 bytes the folder buffer has elsewhere; a cut path
// would name another folder, so the buffer holds the longest path the system allows.
constexpr int kFolderBuffer = 4096;
} // namespace

QString BrowseForFolder(HWND hWndOwner, const QString& sTitle) {
    BROWSEINFOA bi;
    bi.hwndOwner = hWndOwner;
    bi.pidlRoot = 0;
    bi.lpszTitle = sTitle;
    bi.ulFlags = BIF_RETURNONLYFSDIRS;
    const PIDLIST_ABSOLUTE pidl = SHBrowseForFolderA(&bi);
    if (!pidl)
        return {};
    QByteArray buffer(kFolderBuffer, '\0');
    SHGetPathFromIDListA(pidl, buffer.data(), kFolderBuffer);
    CoTaskMemFree(pidl);
    return QString::fromUtf8(buffer.constData());
}

std::int16_t GetWininetVersionClass() {
    INTERNET_VERSION_INFO info;
    DWORD size = sizeof info;
    if (!InternetQueryOptionA(0, INTERNET_OPTION_VERSION, &info, &size))
        return 0;
    if (info.dwMajorVersion == 1 && info.dwMinorVersion <= 2)
        return static_cast<std::int16_t>(3 + info.dwMinorVersion);
    return 1;
}

bool IsInternetConnected() {
    switch (GetWininetVersionClass()) {
    case 1:
    case 4:
    case 5: {
        DWORD flags = 0;
        return InternetGetConnectedState(&flags, 0) != 0;
    }
    default:
        return true;
    }
}

QString GetDocumentsFolder() {
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return !documents.isEmpty() && QFileInfo(documents).isDir() ? documents : QDir::homePath();
}

bool IsScreenSaverActive() {
    const QString stored =
        RegGetString(QStringLiteral("Control Panel\\Desktop"), QStringLiteral("ScreenSaveActive"))
            .trimmed();
    if (!stored.isEmpty()) {
        if (const std::optional<double> value = CDbl(stored))
            return *value != 0;
    }
    BOOL active = 0;
    if (!SystemParametersInfoA(SPI_GETSCREENSAVEACTIVE, 1, &active, 0))
        return true;
    return active > 0;
}

void StartScreenSaver(std::function<void(bool started)> started) {
    // The main window hands the screen-save command to the default handling, which starts the
    // session's screen saver.
    if (!started) {
        platform::ActivateScreenSaver();
        return;
    }
    platform::ActivateScreenSaver(
        [started = std::move(started)](bool ok, const QString&) { started(ok); });
}

QString GetLocaleInfoString(LONG lcid, LONG lLCType) {
    const auto type = static_cast<LCTYPE>(lLCType);
    const int n = GetLocaleInfoA(static_cast<LCID>(lcid), type, nullptr, 0);
    if (n <= 0)
        return {};
    QByteArray buffer(n, ' ');
    const int written = GetLocaleInfoA(static_cast<LCID>(lcid), type, buffer.data(), n);
    if (written <= 0)
        return {};
    return QString::fromUtf8(buffer.constData(), written - 1);
}

std::int16_t GetFirstDayOfWeek() {
    const QString day = GetLocaleInfoString(LOCALE_USER_DEFAULT, LOCALE_IFIRSTDAYOFWEEK);
    static const QStringList mondayToSaturday = {QStringLiteral("0"), QStringLiteral("1"),
                                                 QStringLiteral("2"), QStringLiteral("3"),
                                                 QStringLiteral("4"), QStringLiteral("5")};
    const auto i = mondayToSaturday.indexOf(day);
    return i >= 0 ? static_cast<std::int16_t>(i + 2) : std::int16_t{1};
}

void SetTopMost(HWND hWnd, bool bOnTop) {
    SetWindowPos(hWnd, bOnTop ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

void ApplyAlwaysOnTop() {
    if (const Form* f = FindForm(QStringLiteral("frmTallix")))
        SetTopMost(f->hWnd(), gAlwaysOnTop != 0);
}

bool IsBalloonTipsEnabled() {
    return RegGetDWord(
               HKEY_CURRENT_USER,
               QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Advanced\\"),
               QStringLiteral("EnableBalloonTips"), -1) != 0;
}

bool OpenDateTimeControlPanel(std::int16_t) {
    return platform::OpenDateTimeSettings();
}
