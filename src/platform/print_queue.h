#pragma once
// What the print server (CUPS) says about a job handed to it and about a print queue.
//
// Linux meaning: libcups. Qt's print support submits a printed document itself and keeps the
// answer to itself; libcups keeps the answer to the last request of each thread, so the
// thread that ended the document reads it right after, before anything else asks the server.
#include <QString>

namespace platform {

// The answer to the last request this thread made to the print server.
struct PrintServerAnswer {
    bool accepted = false;
    QString reason; // the server's words, or why it could not be asked; "" when accepted
};
PrintServerAnswer LastPrintServerAnswer();

// A print queue as the server tells it now.
struct PrintQueueState {
    bool reached = false;   // the server answered
    bool accepting = false; // it takes new jobs
    bool stopped = false;   // it holds its jobs until it is started again
    QString message;        // the reason the queue's keeper gave, "" for none
};
PrintQueueState QueryPrintQueue(const QString& name);

} // namespace platform
