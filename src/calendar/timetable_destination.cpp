// Where a timetable print goes: the printer the user picks, or, with no printer installed, a
// PDF file the user names. Afterwards the user learns where a file went.
#include "printerdlg.h"
#include "timetable.h"

#include "core/mAPI.h"
#include "mainwindow/frmTallix.h"
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

constexpr std::uint32_t kDialogFlags =
    PD_NOSELECTION | PD_NOPAGENUMS | PD_NOWARNING | PD_USEDEVMODECOPIESANDCOLLATE;

// No printer: the user is told, and may name a PDF file to print into instead.
QString askForPdfFile(const QString& title) {
    if (MsgBox(QStringLiteral("The timetable cannot be printed: no printer is installed.\n\n"
                              "Do you want to save it as a PDF file instead?"),
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
    return timetable::MayReplace(path) ? path : QString();
}

} // namespace

namespace timetable {

PrintDestination::PrintDestination(QWidget* owner, const QString& title, bool askPrinter) {
    runtime::PrinterObject& printer = runtime::Printer();
    // The job's name in the queue, the PDF's title, and the name the dialog proposes for a file.
    printer.device().setDocName(title);
    // Qt's dialog without a printer offers only a file it names itself, and the toolbar has
    // nothing to print on: both are the user's choice here.
    if (runtime::Printers().isEmpty() && (askPrinter || !printer.HasDestination())) {
        const QString file = askForPdfFile(title);
        if (file.isEmpty())
            return;
        previousPrinter_ = printer.device().printerName();
        printer.device().setOutputFileName(file);
        ownFile_ = true;
        chosen_ = true;
        return;
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
    if (!ownFile_)
        return;
    QPrinter& device = runtime::Printer().device();
    device.setOutputFileName(QString());
    if (!previousPrinter_.isEmpty())
        device.setPrinterName(previousPrinter_);
}

void PrintDestination::TellDone() const {
    runtime::PrinterObject& printer = runtime::Printer();
    const QString file = printer.device().outputFileName();
    if (!file.isEmpty())
        MsgBox(QStringLiteral("The timetable was saved as \"%1\".")
                   .arg(QDir::toNativeSeparators(QFileInfo(file).absoluteFilePath())),
               vbInformation);
    else if (!printer.Notice().isEmpty())
        MsgBox(printer.Notice(), vbExclamation);
}

} // namespace timetable
