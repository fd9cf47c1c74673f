#pragma once
// Shell actions: opening documents and addresses, the folder browser, and the desktop's own
// date-and-time settings.
//
// Linux meaning: QDesktopServices (the desktop's default handlers, xdg-open), QFileDialog for
// folders, and the settings program of the running desktop found in PATH.
#include "wintypes.h"

#include <QString>
#include <QStringList>
#include <QUrl>
#include <memory>

class QFileDialog;
class QWidget;

using HINSTANCE = std::int32_t;
using PIDLIST_ABSOLUTE = std::int32_t; // 0: no folder chosen

constexpr int SW_HIDE = 0;
constexpr int SW_SHOWNORMAL = 1;
constexpr int SW_SHOWMINIMIZED = 2;

// ShellExecuteA results of 32 and below are errors.
constexpr HINSTANCE SE_ERR_FNF = 2;
constexpr HINSTANCE SE_ERR_ACCESSDENIED = 5;
constexpr HINSTANCE SE_ERR_NOASSOC = 31;

constexpr UINT BIF_RETURNONLYFSDIRS = 0x0001;
constexpr int MAX_PATH = 260;

// Opens lpFile with the desktop's handler: an address with a scheme ("https://...",
// "mailto:...") as it is, anything else as a local path (relative paths against lpDirectory).
// An executable file is started with lpParameters instead. Returns a value above 32 when the
// handler or program was started, SE_ERR_FNF for a missing file, SE_ERR_NOASSOC otherwise.
// Only the "open" verb (or none) is known.
HINSTANCE ShellExecuteA(HWND hwnd, const QString& lpOperation, const QString& lpFile,
                        const QString& lpParameters, const QString& lpDirectory, int nShowCmd);

struct BROWSEINFOA {
    HWND hwndOwner = 0;
    PIDLIST_ABSOLUTE pidlRoot = 0;  // 0: the whole file system
    char* pszDisplayName = nullptr; // MAX_PATH bytes: the chosen folder's name (UTF-8), or null
    QString lpszTitle;
    UINT ulFlags = 0;
};

// Shows a folder dialog owned by the window; returns the chosen folder's item (to be freed
// with CoTaskMemFree), 0 when the dialog was cancelled.
PIDLIST_ABSOLUTE SHBrowseForFolderA(BROWSEINFOA* lpbi);
// Copies the item's full path (UTF-8) and a NUL into pszPath, which holds cchPath bytes.
// FALSE, with pszPath empty, for an unknown item or a path that does not fit whole.
BOOL SHGetPathFromIDListA(PIDLIST_ABSOLUTE pidl, char* pszPath, int cchPath = MAX_PATH);
void CoTaskMemFree(PIDLIST_ABSOLUTE pidl);

namespace platform {

class ShellBackend {
public:
    virtual ~ShellBackend() = default;
    // The folder chosen in a folder dialog, a null QString when it was cancelled.
    virtual QString browseForFolder(HWND owner, const QString& title) = 0;
    virtual bool openUrl(const QUrl& url) = 0;
    // The full path of a program found in PATH, "" when there is none.
    virtual QString findExecutable(const QString& name) = 0;
    virtual bool startDetached(const QString& program, const QStringList& arguments,
                               const QString& workingDirectory) = 0;
    // XDG_CURRENT_DESKTOP: the desktops of the session, ":"-separated ("KDE", "GNOME"...).
    virtual QString currentDesktop() = 0;
};
ShellBackend& CurrentShellBackend();
void InstallShellBackend(ShellBackend* backend);

// The folder dialog behind SHBrowseForFolderA, set up and not shown: it opens at the home
// folder, lists folders only and shows the prompt (which may run to several lines) above
// them; its title is the dialog's own.
std::unique_ptr<QFileDialog> MakeFolderDialog(QWidget* owner, const QString& prompt);

// Starts the desktop's date-and-time settings without waiting for them: the first known
// settings program found in PATH, those of the running desktop first. False when none exists
// or it could not be started.
bool OpenDateTimeSettings();

} // namespace platform
