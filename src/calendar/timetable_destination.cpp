// Where a timetable print goes: the printer the user picks, or, with no printer installed, a
// PDF file the user names. Afterwards the user learns where a file went.
#include "printerdlg.h"
#include "timetable.h"

#include "core/mAPI.h"
#include "mainwindow/frmTallix.h"
#include "platform/filesync.h"
#include "platform/print_server.h"
#include "runtime/Interaction.h"
#include "runtime/Printer.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>

bool timetable::MayReplace(const QString& path) {
    // Anything at the path itself, a link (dangling or not) included: that entry is what is
    // replaced, so that is what the question is about.
    struct stat st {};
    if (::lstat(QFile::encodeName(path).constData(), &st) != 0)
        return true;
    return MsgBox(QStringLiteral("\"%1\" already exists.\nDo you want to replace it?")
                      .arg(QDir::toNativeSeparators(path)),
                  vbYesNo + vbExclamation + vbDefaultButton2) == vbYes;
}

namespace {

constexpr std::uint32_t kDialogFlags = PD_NOSELECTION | PD_NOPAGENUMS | PD_NOWARNING |
                                       PD_USEDEVMODECOPIESANDCOLLATE | PD_HIDEPRINTTOFILE;

// Why there is no printer to print on: the server answered that it has none, or could not be
// asked.
QString noPrinter(const runtime::PrintQueues& queues) {
    const QString start = QStringLiteral("The timetable cannot be printed: ");
    switch (queues.reach) {
    case runtime::PrintQueues::NotRunning:
        return start + QStringLiteral("the print server is not running.");
    case runtime::PrintQueues::NoAnswer:
        return start + QStringLiteral("the print server does not answer (not within %1 "
                                      "seconds); nothing was sent to it.")
                           .arg((platform::PrintServerDeadline() + 999) / 1000);
    case runtime::PrintQueues::Answered:
        break;
    }
    return start + QStringLiteral("no printer is installed.");
}

// No printer: the user is told why, and may name a PDF file to print into instead.
QString askForPdfFile(const QString& title, const QString& why) {
    if (MsgBox(why + QStringLiteral("\n\nDo you want to save it as a PDF file instead?"),
               vbYesNo + vbExclamation) != vbYes)
        return QString();
    QString folder = frmTallix::GetSpecialFolderPath();
    if (folder.isEmpty())
        folder = GetDocumentsFolder();
    const auto chosen =
        timetable::AskSaveFileName(QStringLiteral("Tallix Time - Save %1 As PDF").arg(title),
                                   QDir(folder).filePath(title + QStringLiteral(".pdf")),
                                   QStringLiteral("PDF Document (*.pdf)"));
    if (!chosen)
        return QString();
    const QString path = chosen->endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive)
                             ? *chosen
                             : *chosen + QStringLiteral(".pdf");
    // A named pipe, device or folder at the path is no file to save into.
    QString problem;
    if (!platform::MayWriteFileAt(path, &problem)) {
        MsgBox(QStringLiteral("The timetable cannot be saved: %1.").arg(problem), vbExclamation);
        return QString();
    }
    return timetable::MayReplace(path) ? path : QString();
}

} // namespace

namespace timetable {

PrintDestination::PrintDestination(QWidget* owner, const QString& title, bool askPrinter) {
    // The print server first, asked on a worker thread: its queues and what the one a print
    // would use offers. Nothing after that asks it anything on the window's thread.
    const runtime::PrintQueues queues = runtime::AskPrintQueues(owner);
    runtime::PrinterObject& printer = runtime::Printer();
    // The job's name in the queue and the PDF's title.
    printer.SetDocName(title);
    // No queue to print on: a PDF file is the user's choice here (the toolbar prints into one
    // chosen before, if any).
    const bool noQueue = queues.reach != runtime::PrintQueues::Answered || queues.names.isEmpty();
    if (noQueue && (askPrinter || printer.OutputFile().isEmpty())) {
        const QString file = askForPdfFile(title, noPrinter(queues));
        if (file.isEmpty())
            return;
        printer.PrintIntoFile(file);
        ownFile_ = true;
        chosen_ = true;
        return;
    }
    if (!noQueue && !askPrinter) {
        // The queue the settings go to now (the server's default while the printer tracks it),
        // with what it does not offer replaced by its own defaults. The dialog does the same
        // on its own copy, so that Cancel changes nothing.
        runtime::PrintSettings settings = printer.Settings();
        settings.queue = queues.chosen;
        settings.FitTo(queues.options);
        printer.SetSettings(settings);
    }
    if (askPrinter && !ShowPrinterDialog(owner, kDialogFlags))
        return;
    if (!printer.HasDestination()) {
        MsgBox(QStringLiteral("The timetable cannot be printed: no printer is chosen."),
               vbExclamation);
        return;
    }
    chosen_ = true;
}

PrintDestination::~PrintDestination() {
    if (ownFile_)
        runtime::Printer().PrintIntoFile(QString());
}

void PrintDestination::TellDone() const {
    runtime::PrinterObject& printer = runtime::Printer();
    const QString file = printer.OutputFile();
    if (!file.isEmpty())
        MsgBox(QStringLiteral("The timetable was saved as \"%1\".")
                   .arg(QDir::toNativeSeparators(QFileInfo(file).absoluteFilePath())),
               vbInformation);
    else if (!printer.Notice().isEmpty())
        MsgBox(printer.Notice(), vbExclamation);
}

} // namespace timetable
