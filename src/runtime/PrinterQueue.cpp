// Where an ended document goes: into the file printed into, or to the printer's queue through
// the print server, on a worker thread and within the server's deadline.
#include "Printer.h"
#include "WorkerWait.h"

#include "platform/filesync.h"
#include "platform/print_job.h"

#include <QPrintEngine>

#include <cstring>

namespace runtime {

namespace {

// The options Qt's print dialog stored on the printer for the print server (the name, value
// pairs of its job options and the printer's own options the user set), under the print
// engine's key for them.
constexpr auto kCupsOptions = QPrintEngine::PrintEnginePropertyKey(0xfe00);

// The options Qt's own CUPS print engine gives a job: the paper, copies, sides, orientation,
// then what the dialog stored.
QList<QPair<QByteArray, QByteArray>> jobOptions(QPrinter& printer) {
    QList<QPair<QByteArray, QByteArray>> options;
    const QPageLayout layout = printer.pageLayout();
    options.emplaceBack("media", layout.pageSize().key().toUtf8());
    const int copies = printer.copyCount();
    if (copies > 1) {
        options.emplaceBack("copies", QByteArray::number(copies));
        if (printer.collateCopies())
            options.emplaceBack("Collate", "True");
    }
    const bool landscape = layout.orientation() == QPageLayout::Landscape;
    switch (printer.duplex()) {
    case QPrinter::DuplexNone:
        options.emplaceBack("sides", "one-sided");
        break;
    case QPrinter::DuplexAuto:
        options.emplaceBack("sides", landscape ? "two-sided-short-edge" : "two-sided-long-edge");
        break;
    case QPrinter::DuplexLongSide:
        options.emplaceBack("sides", "two-sided-long-edge");
        break;
    case QPrinter::DuplexShortSide:
        options.emplaceBack("sides", "two-sided-short-edge");
        break;
    }
    if (landscape)
        options.emplaceBack("landscape", "");
    if (QPrintEngine* engine = printer.printEngine()) {
        const QStringList stored = engine->property(kCupsOptions).toStringList();
        for (qsizetype i = 0; i + 1 < stored.size(); i += 2)
            options.emplaceBack(stored[i].toUtf8(), stored[i + 1].toUtf8());
    }
    return options;
}

QString withoutFullStop(QString text) {
    while (text.endsWith(QLatin1Char('.')))
        text.chop(1);
    return text;
}

QString seconds() {
    return QString::number((platform::PrintServerDeadline() + 999) / 1000);
}

} // namespace

bool PrinterObject::writeFile(const QString& path, const QByteArray& pdf) {
    // A named pipe, device or folder at the path is no file to print into.
    QString why;
    if (!platform::MayWriteFileAt(path, &why)) {
        error_ = why + u'.';
        return false;
    }
    if (const int failure = platform::ReplaceWithWholeFile(path, pdf)) {
        error_ = QStringLiteral("the file \"%1\" could not be written: %2.")
                     .arg(path, QString::fromLocal8Bit(std::strerror(failure)));
        return false;
    }
    return true;
}

bool PrinterObject::submit(const QByteArray& pdf) {
    platform::PrintJob job;
    job.queue = printer_->printerName();
    job.title = printer_->docName();
    job.pdf = pdf;
    job.options = jobOptions(*printer_);
    platform::PrintJobResult result;
    RunWhileWaiting(nullptr,
                    QStringLiteral("Printing \"%1\" (sending it to the printer \"%2\")...")
                        .arg(job.title, job.queue),
                    [&] { result = platform::SubmitPrintJob(job); });
    const QString name = job.queue;
    switch (result.reach) {
    case platform::PrintServerReach::NotRunning:
        error_ = QStringLiteral("the print server is not running; nothing was sent to it.");
        return false;
    case platform::PrintServerReach::NoAnswer:
        if (!result.sent) {
            error_ = QStringLiteral("the print server did not answer within %1 seconds; the "
                                    "document was not sent to it.")
                         .arg(seconds());
            return false;
        }
        notice_ = QStringLiteral("The document was sent to the printer \"%1\", but the print "
                                 "server did not answer within %2 seconds: it is printed if the "
                                 "server takes it once it answers again. It was sent once and "
                                 "is not sent again.")
                      .arg(name, seconds());
        return true;
    case platform::PrintServerReach::Lost:
        error_ = QStringLiteral("the print server broke off the connection (%1); the document "
                                "was %2 sent to it.")
                     .arg(withoutFullStop(result.reason),
                          result.sent ? QStringLiteral("wholly") : QStringLiteral("not"));
        return false;
    case platform::PrintServerReach::Answered:
        break;
    }
    if (!result.accepted) {
        // The server's refusal does not give the reason its keeper gave the queue.
        QString why = withoutFullStop(result.reason);
        if (result.queue.reached && !result.queue.message.isEmpty())
            why += QStringLiteral(" (%1)").arg(result.queue.message);
        error_ = QStringLiteral("the printer \"%1\" did not take it: %2.").arg(name, why);
        return false;
    }
    // Taken, but a stopped printer keeps it in its queue.
    if (result.queue.stopped) {
        notice_ = QStringLiteral("The printer \"%1\" is stopped%2. The document waits in its "
                                 "queue and is printed when the printer is started again.")
                      .arg(name, result.queue.message.isEmpty()
                                     ? QString()
                                     : QStringLiteral(" (%1)").arg(result.queue.message));
    }
    return true;
}

} // namespace runtime
