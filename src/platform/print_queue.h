#pragma once
// The print server's queues and what it says of one of them.
//
// Linux meaning: libcups over a PrintServerConnection, so each call returns by the print
// server's deadline whatever the server does. The calls wait on the server: they are for a
// worker thread, never the window's.
#include "print_server.h"

#include <QString>
#include <QStringList>

namespace platform {

// The queues a print can go to, as Qt's print dialog names them ("queue", "queue/instance").
struct PrintQueueList {
    PrintServerReach reach = PrintServerReach::NoAnswer;
    QStringList names; // when answered; empty: no printer is installed
    QString reason;    // why the server could not be asked
};
PrintQueueList ListPrintQueues();

// A print queue as the server tells it now.
struct PrintQueueState {
    bool reached = false;   // the server answered
    bool accepting = false; // it takes new jobs
    bool stopped = false;   // it holds its jobs until it is started again
    QString message;        // the reason the queue's keeper gave, "" for none
};
// On a connection of the caller's ("queue/instance" names the queue "queue").
PrintQueueState QueryPrintQueue(http_t* http, const QString& name);

} // namespace platform
