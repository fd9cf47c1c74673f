// Whether the print server took the document that the printer object just ended.
#include "Printer.h"

#include "platform/print_queue.h"

namespace runtime {

// Qt's print support hands the document to the server as the painter ends and does not say how
// that went; the server's answer is still the last one this thread got, so it is read here at
// once. A document into a file went to no server.
bool PrinterObject::checkQueue() {
    notice_.clear();
    if (!printer_->outputFileName().isEmpty() || printer_->outputFormat() != QPrinter::NativeFormat)
        return true;
    const QString name = printer_->printerName();
    const platform::PrintServerAnswer answer = platform::LastPrintServerAnswer();
    if (!answer.accepted) {
        QString why = answer.reason;
        while (why.endsWith(QLatin1Char('.')))
            why.chop(1);
        // The server's refusal does not give the reason its keeper gave the queue.
        const platform::PrintQueueState queue = platform::QueryPrintQueue(name);
        if (queue.reached && !queue.message.isEmpty())
            why += QStringLiteral(" (%1)").arg(queue.message);
        error_ = QStringLiteral("the printer \"%1\" did not take it: %2.").arg(name, why);
        return false;
    }
    // Taken, but a stopped printer keeps it in its queue.
    const platform::PrintQueueState queue = platform::QueryPrintQueue(name);
    if (queue.stopped) {
        notice_ =
            QStringLiteral("The printer \"%1\" is stopped%2. The document waits in its "
                           "queue and is printed when the printer is started again.")
                .arg(name, queue.message.isEmpty() ? QString()
                                                   : QStringLiteral(" (%1)").arg(queue.message));
    }
    return true;
}

} // namespace runtime
