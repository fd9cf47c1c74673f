// Where an ended document goes: into the file printed into, or to the printer's queue through
// the print server, on a worker thread and within the server's deadline; and what the server
// says of its queues before a print.
#include "Printer.h"
#include "WorkerWait.h"

#include "platform/filesync.h"
#include "platform/print_job.h"

#include <cstring>

namespace runtime {

namespace {

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
    job.queue = settings_.queue;
    job.title = docName_;
    job.pdf = pdf;
    job.options = settings_.JobAttributes();
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
        // A server that stops answering then may never take what was sent: cupsd drops a
        // document whose connection was closed before it read it.
        notice_ = QStringLiteral("The document was sent to the printer \"%1\", but the print "
                                 "server did not answer within %2 seconds, so it is not known "
                                 "whether it took it: look in the printer's queue before "
                                 "printing again. It was sent once and is not sent again.")
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

PrintQueues::Reach ReachOf(platform::PrintServerReach reach) {
    switch (reach) {
    case platform::PrintServerReach::Answered:
        return PrintQueues::Answered;
    case platform::PrintServerReach::NoAnswer:
        return PrintQueues::NoAnswer;
    default: // not there, or gone while asked
        return PrintQueues::NotRunning;
    }
}

namespace {
PrintQueues gLastQueues;
} // namespace

const PrintQueues& LastPrintQueues() {
    return gLastQueues;
}

PrintQueues AskPrintQueues(QWidget* owner) {
    const PrintSettings& settings = Printer().Settings();
    const QString asked = settings.trackDefault ? QString() : settings.queue;
    platform::PrintQueueList list;
    RunWhileWaiting(owner, QStringLiteral("Asking the print server for its printers..."),
                    [&list, asked] { list = platform::ListPrintQueues(asked); });
    PrintQueues queues;
    queues.reach = ReachOf(list.reach);
    queues.names = list.names;
    queues.defaultName = list.defaultName;
    queues.chosen = list.chosen;
    queues.options = list.options;
    gLastQueues = queues;
    return queues;
}

} // namespace runtime
