#pragma once
// Handing a printed document (PDF) to a print queue without ever waiting past the print
// server's deadline, and saying what became of it.
//
// Linux meaning: libcups's Create-Job and Send-Document (as cupsPrintFile makes them) on a
// PrintServerConnection. It waits on the server: it is for a worker thread, never the window's.
#include "print_queue.h"

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>

#include <functional>

namespace platform {

struct PrintJob {
    QString queue; // "queue" or "queue/instance"
    QString title; // the job's name
    QByteArray pdf;
    // Job attributes (name, value: media, sides, copies...), after which the instance's own
    // options are added; the first of a name counts.
    QList<QPair<QByteArray, QByteArray>> options;
};

struct PrintJobResult {
    PrintServerReach reach = PrintServerReach::NoAnswer;
    // The whole document went to the server: it may take the job even when it did not
    // answer. Not sent after a job was made: the server drops that empty job.
    bool sent = false;
    bool accepted = false; // the server took the job
    int jobId = 0;
    QString reason; // the server's words on a refusal, or why it could not be asked
    // Asked after the server answered (refused or taken).
    PrintQueueState queue;
};
PrintJobResult SubmitPrintJob(const PrintJob& job);

// The steps of a submission, for tests that choose the moment a server stops answering: the
// hook runs on the submitting thread just before each step; nullptr removes it.
enum class PrintJobStep { CreateJob, SendDocument };
void SetPrintJobStepHook(std::function<void(PrintJobStep)> hook);

} // namespace platform
