#include "shell.h"

#include "window.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QPointer>
#include <QProcess>
#include <QStandardPaths>

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <vector>

namespace platform {
namespace {

class DesktopShell final : public ShellBackend {
public:
    QString browseForFolder(HWND owner, const QString& title) override {
        std::unique_ptr<QFileDialog> dialog = MakeFolderDialog(WidgetOfWindow(owner), title);
        const QPointer<QFileDialog> alive(dialog.get());
        const int result = dialog->exec();
        if (!alive) {
            (void)dialog.release(); // went with its owner while it was open
            return QString();
        }
        if (result != QDialog::Accepted || dialog->selectedFiles().isEmpty())
            return QString();
        const QString dir = dialog->selectedFiles().constFirst();
        return dir.isEmpty() ? QString() : QDir::toNativeSeparators(dir);
    }
    bool openUrl(const QUrl& url) override { return QDesktopServices::openUrl(url); }
    QString findExecutable(const QString& name) override {
        return QStandardPaths::findExecutable(name);
    }
    bool startDetached(const QString& program, const QStringList& arguments,
                       const QString& workingDirectory) override {
        return QProcess::startDetached(program, arguments, workingDirectory);
    }
    QString currentDesktop() override { return qEnvironmentVariable("XDG_CURRENT_DESKTOP"); }
};

} // namespace

std::unique_ptr<QFileDialog> MakeFolderDialog(QWidget* owner, const QString& prompt) {
    // Our own dialog, not the desktop's: only ours can show the prompt above the folders.
    auto dialog =
        std::make_unique<QFileDialog>(owner, QStringLiteral("Browse for Folder"), QDir::homePath());
    dialog->setOption(QFileDialog::DontUseNativeDialog, true);
    dialog->setOption(QFileDialog::ShowDirsOnly, true);
    dialog->setFileMode(QFileDialog::Directory);
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    auto* grid = qobject_cast<QGridLayout*>(dialog->layout());
    auto* label = new QLabel(prompt, dialog.get());
    label->setObjectName(QStringLiteral("lblPrompt"));
    label->setWordWrap(true);
    label->setTextFormat(Qt::PlainText);
    if (grid) {
        // Every row of the dialog moves one down; the prompt takes the top row.
        struct Placed {
            QLayoutItem* item;
            int row, column, rowSpan, columnSpan;
        };
        std::vector<Placed> placed;
        const int columns = std::max(grid->columnCount(), 1);
        while (grid->count() > 0) {
            Placed p{};
            grid->getItemPosition(0, &p.row, &p.column, &p.rowSpan, &p.columnSpan);
            p.item = grid->takeAt(0);
            placed.push_back(p);
        }
        grid->addWidget(label, 0, 0, 1, columns);
        for (const Placed& p : placed)
            grid->addItem(p.item, p.row + 1, p.column, p.rowSpan, p.columnSpan);
    }
    return dialog;
}

namespace {

DesktopShell gDesktop;
ShellBackend* gBackend = nullptr;

// Folders handed out by SHBrowseForFolderA until they are freed.
std::map<PIDLIST_ABSOLUTE, QString> gItems;
PIDLIST_ABSOLUTE gNextItem = 1;

struct SettingsProgram {
    const char* desktop; // as named in XDG_CURRENT_DESKTOP
    const char* program;
    QStringList arguments;
};

const std::vector<SettingsProgram>& settingsPrograms() {
    static const std::vector<SettingsProgram> programs = {
        {"GNOME", "gnome-control-center", {QStringLiteral("datetime")}},
        {"Budgie", "budgie-control-center", {QStringLiteral("datetime")}},
        {"KDE", "systemsettings", {QStringLiteral("kcm_clock")}},
        {"KDE", "kcmshell6", {QStringLiteral("kcm_clock")}},
        {"KDE", "kcmshell5", {QStringLiteral("clock")}},
        {"X-Cinnamon", "cinnamon-settings", {QStringLiteral("calendar")}},
        {"MATE", "mate-time-admin", {}},
        {"LXQt", "lxqt-admin-time", {}},
        {"XFCE", "time-admin", {}},
        {"Unity", "unity-control-center", {QStringLiteral("datetime")}},
    };
    return programs;
}

} // namespace

ShellBackend& CurrentShellBackend() {
    return gBackend ? *gBackend : gDesktop;
}
void InstallShellBackend(ShellBackend* backend) {
    gBackend = backend;
}

bool OpenDateTimeSettings() {
    ShellBackend& shell = CurrentShellBackend();
    const QStringList running = shell.currentDesktop().split(u':', Qt::SkipEmptyParts);
    std::vector<const SettingsProgram*> order;
    for (const auto& p : settingsPrograms())
        order.push_back(&p);
    // The running desktop's own programs first, the others after them in the list's order.
    std::stable_sort(order.begin(), order.end(), [&](const auto* a, const auto* b) {
        const bool ownA = running.contains(QLatin1String(a->desktop), Qt::CaseInsensitive);
        const bool ownB = running.contains(QLatin1String(b->desktop), Qt::CaseInsensitive);
        return ownA && !ownB;
    });
    for (const SettingsProgram* p : order) {
        const QString path = shell.findExecutable(QLatin1String(p->program));
        if (path.isEmpty())
            continue;
        if (shell.startDetached(path, p->arguments, QDir::homePath()))
            return true;
    }
    return false;
}

} // namespace platform

HINSTANCE ShellExecuteA(HWND, const QString& lpOperation, const QString& lpFile,
                        const QString& lpParameters, const QString& lpDirectory, int) {
    if (!lpOperation.isEmpty() && lpOperation.compare(QLatin1String("open"), Qt::CaseInsensitive))
        return SE_ERR_NOASSOC;
    if (lpFile.trimmed().isEmpty())
        return SE_ERR_FNF;
    platform::ShellBackend& shell = platform::CurrentShellBackend();
    const QUrl asUrl(lpFile, QUrl::StrictMode);
    // One letter before the colon is a drive, not a scheme.
    if (asUrl.isValid() && asUrl.scheme().size() > 1 && !asUrl.isLocalFile())
        return shell.openUrl(asUrl) ? 42 : SE_ERR_NOASSOC;
    const QString base = lpDirectory.isEmpty() ? QDir::currentPath() : lpDirectory;
    const QString path =
        asUrl.isLocalFile() ? asUrl.toLocalFile() : QDir(base).absoluteFilePath(lpFile);
    const QFileInfo info(path);
    if (!info.exists())
        return SE_ERR_FNF;
    if (info.isFile() && info.isExecutable())
        return shell.startDetached(path, QProcess::splitCommand(lpParameters), base)
                   ? 42
                   : SE_ERR_ACCESSDENIED;
    return shell.openUrl(QUrl::fromLocalFile(path)) ? 42 : SE_ERR_NOASSOC;
}

PIDLIST_ABSOLUTE SHBrowseForFolderA(BROWSEINFOA* lpbi) {
    if (!lpbi)
        return 0;
    const QString folder =
        platform::CurrentShellBackend().browseForFolder(lpbi->hwndOwner, lpbi->lpszTitle);
    if (folder.isNull())
        return 0;
    if (lpbi->pszDisplayName) {
        const QByteArray name = QFileInfo(folder).fileName().toUtf8().left(MAX_PATH - 1);
        std::memcpy(lpbi->pszDisplayName, name.constData(), static_cast<size_t>(name.size()));
        lpbi->pszDisplayName[name.size()] = '\0';
    }
    const PIDLIST_ABSOLUTE item = platform::gNextItem++;
    platform::gItems[item] = folder;
    return item;
}

BOOL SHGetPathFromIDListA(PIDLIST_ABSOLUTE pidl, char* pszPath, int cchPath) {
    if (!pszPath || cchPath <= 0)
        return 0;
    pszPath[0] = '\0';
    const auto it = platform::gItems.find(pidl);
    if (it == platform::gItems.end())
        return 0;
    const QByteArray path = it->second.toUtf8();
    if (path.size() >= cchPath)
        return 0;
    std::memcpy(pszPath, path.constData(), static_cast<size_t>(path.size()));
    pszPath[path.size()] = '\0';
    return 1;
}

void CoTaskMemFree(PIDLIST_ABSOLUTE pidl) {
    platform::gItems.erase(pidl);
}
