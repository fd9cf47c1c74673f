// The timetable export: a month or a year of pages into a text file the user names, then opened
// in the desktop's viewer. The file is written whole or not at all.
#include "timetable.h"

#include "core/datefmt.h"
#include "core/mAPI.h"
#include "core/mMain.h"
#include "core/settings.h"
#include "mainwindow/frmTallix.h"
#include "platform/filesync.h"
#include "platform/shell.h"
#include "runtime/App.h"
#include "runtime/ErrObject.h"
#include "runtime/Interaction.h"
#include "runtime/ResStrings.h"
#include "runtime/VBDate.h"

#include <QAction>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>
#include <QStandardPaths>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace timetable {

namespace {
SaveFileAnswerer gSaveAnswerer;
// The command under way, if any.
std::optional<CommandGuard::Command> gRunning;
} // namespace

void SetSaveFileAnswerer(SaveFileAnswerer answerer) {
    gSaveAnswerer = std::move(answerer);
}

std::optional<QString> AskSaveFileName(const QString& title, const QString& proposedPath,
                                       const QString& filter) {
    if (gSaveAnswerer)
        return gSaveAnswerer(title, proposedPath, filter);
    // The overwrite question comes after ".txt" is added, so the dialog does not ask it.
    const QString chosen = QFileDialog::getSaveFileName(MainWindow(), title, proposedPath, filter,
                                                        nullptr, QFileDialog::DontConfirmOverwrite);
    if (chosen.isEmpty())
        return std::nullopt;
    return chosen;
}

const QStringList& FallbackEditors() {
    static const QStringList editors = {QStringLiteral("gnome-text-editor"),
                                        QStringLiteral("gedit"),
                                        QStringLiteral("kate"),
                                        QStringLiteral("kwrite"),
                                        QStringLiteral("mousepad"),
                                        QStringLiteral("xed"),
                                        QStringLiteral("pluma"),
                                        QStringLiteral("featherpad")};
    return editors;
}

CommandGuard::CommandGuard(Command command) : acquired_(!gRunning.has_value()) {
    if (!acquired_) {
        MsgBox(gRunning == Command::Print
                   ? QStringLiteral("A timetable is being printed; wait until it is done.")
                   : QStringLiteral("A timetable is being saved; wait until it is done."),
               vbInformation);
        return;
    }
    gRunning = command;
}

CommandGuard::~CommandGuard() {
    if (acquired_)
        gRunning.reset();
}

bool CommandGuard::running() {
    return gRunning.has_value();
}

} // namespace timetable

namespace {

// "Text Document (*.txt)<NULL>*.txt" -> "Text Document (*.txt)".
QString dialogFilter() {
    const QString filter = LoadResString(387);
    const int cut = filter.indexOf(QLatin1String("<NULL>"));
    return cut < 0 ? filter : filter.left(cut);
}

QString withTxt(const QString& path) {
    return path.endsWith(QLatin1String(".txt"), Qt::CaseInsensitive)
               ? path
               : path + QStringLiteral(".txt");
}

// Written whole or not at all (platform::ReplaceWithWholeFile): a full disk leaves the old file
// as it was, and a link at the path is replaced, never written through.
bool writeWhole(const QString& path, const QStringList& lines, QString& error) {
    QByteArray bytes;
    for (const QString& line : lines)
        bytes += line.toUtf8() + "\r\n";
    if (const int failure = platform::ReplaceWithWholeFile(path, bytes)) {
        error = QString::fromLocal8Bit(std::strerror(failure));
        return false;
    }
    return true;
}

// The desktop's viewer for text; failing that, a text editor with the path as its one argument
// (no shell between, so no name is ever read as a command). False when nothing could show it.
bool openWritten(const QString& path) {
    if (ShellExecuteA(0, QStringLiteral("open"), path, QString(), App.Path(), SW_SHOWNORMAL) > 32)
        return true;
    auto& shell = platform::CurrentShellBackend();
    for (const QString& editor : timetable::FallbackEditors()) {
        const QString program = shell.findExecutable(editor);
        if (!program.isEmpty() && shell.startDetached(program, {path}, App.Path()))
            return true;
    }
    return false;
}

} // namespace

QString frmTallix::GetSpecialFolderPath() {
    const QString desktop = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
    return QFileInfo(desktop).isDir() ? desktop : QString();
}

namespace {

// Asks for the file, computes the pages of the months, writes them and opens the file.
void exportPages(frmTallix& form, std::int16_t calendar, const QList<std::int16_t>& months,
                 const QString& defaultName, const QString& title) {
    timetable::CommandGuard guard(timetable::CommandGuard::Command::Export);
    if (!guard.acquired())
        return;
    runtime::CalendarGuard keep;
    QString folder = frmTallix::GetSpecialFolderPath();
    if (folder.isEmpty())
        folder = GetDocumentsFolder();
    const auto chosen = timetable::AskSaveFileName(
        title, QDir(folder).filePath(defaultName + QStringLiteral(".txt")), dialogFilter());
    if (!chosen)
        return;
    DoEvents();
    const QString path = withTxt(*chosen);
    // A named pipe, device or folder at the path is no file to save into.
    QString why;
    if (!platform::MayWriteFileAt(path, &why)) {
        MsgBox(QStringLiteral("The timetable cannot be saved: %1.").arg(why), vbExclamation);
        return;
    }
    if (!timetable::MayReplace(path))
        return;
    SetBusy(true);
    QStringList lines;
    for (std::int16_t month : months) {
        const auto page = form.TimetablePage(calendar, month);
        if (!page) {
            ReportError();
            return;
        }
        lines += *page;
        if (months.size() > 1)
            DoEvents();
    }
    QString error;
    if (!writeWhole(path, lines, error)) {
        Err.Raise(75, QStringLiteral("\"%1\" could not be written: %2")
                          .arg(QDir::toNativeSeparators(path), error));
        ReportError();
        return;
    }
    SetBusy(false);
    if (!openWritten(path))
        MsgBox(
            QStringLiteral("The timetable was saved as \"%1\".\nNo program to show it was found.")
                .arg(QDir::toNativeSeparators(path)),
            vbInformation);
}

} // namespace

void frmTallix::ExportMonthPrayerTimes(std::int16_t calendar, std::int16_t month) {
    const QString name = timetable::MonthTitle(calendar, month);
    const QString title = QStringLiteral("Tallix Time - Save ") + GetMonthName(calendar, month, 1) +
                          QStringLiteral(" Prayer Schedule As");
    exportPages(*this, calendar, {month}, name, title);
}

void frmTallix::ExportYearPrayerTimes(std::int16_t calendar) {
    const int year = timetable::CurrentYear(calendar);
    const QString name = timetable::YearTitle(calendar);
    const QString title = QStringLiteral("Tallix Time - Save ") + QString::number(year) +
                          QStringLiteral(" Prayer Schedule As");
    exportPages(*this, calendar, timetable::WholeYear(), name, title);
}

void frmTallix::connectTimetableCommands() {
    for (std::int16_t m = 1; m <= 12; ++m) {
        const auto on = [this](QAction* item, auto handler) {
            if (item)
                connect(item, &QAction::triggered, this, handler);
        };
        on(mnuExportMonthGregorian[m], [this, m] { ExportMonthPrayerTimes(vbCalGreg, m); });
        on(mnuExportMonthHijri[m], [this, m] { ExportMonthPrayerTimes(vbCalHijri, m); });
        // The menu's print commands let the user choose the printer first.
        on(mnuPrintMonthGregorian[m],
           [this, m] { timetable::PrintPages(*this, vbCalGreg, {m}, true); });
        on(mnuPrintMonthHijri[m],
           [this, m] { timetable::PrintPages(*this, vbCalHijri, {m}, true); });
    }
    // "Whole Year" after a separator at the end of each calendar's submenu.
    const auto year = [this](QMenu* menu, const char* name, auto handler) -> QAction* {
        if (!menu)
            return nullptr;
        menu->addSeparator();
        QAction* item = menu->addAction(LoadResString(82));
        item->setObjectName(QLatin1String(name));
        connect(item, &QAction::triggered, this, handler);
        return item;
    };
    mnuExportYearGregorian = year(mnuExportGregorian, "mnuExportYearGregorian",
                                  [this] { ExportYearPrayerTimes(vbCalGreg); });
    mnuExportYearHijri =
        year(mnuExportHijri, "mnuExportYearHijri", [this] { ExportYearPrayerTimes(vbCalHijri); });
    mnuPrintYearGregorian = year(mnuPrintGregorian, "mnuPrintYearGregorian", [this] {
        timetable::PrintPages(*this, vbCalGreg, timetable::WholeYear(), true);
    });
    mnuPrintYearHijri = year(mnuPrintHijri, "mnuPrintYearHijri", [this] {
        timetable::PrintPages(*this, vbCalHijri, timetable::WholeYear(), true);
    });
}

void frmTallix::tlbExport_Click() {
    const std::int16_t calendar = gDisplayHijraa == 1 ? vbCalHijri : vbCalGreg;
    runtime::CalendarGuard keep;
    SetCalendar(calendar);
    ExportMonthPrayerTimes(calendar, std::int16_t(Month(NowDate())));
}
