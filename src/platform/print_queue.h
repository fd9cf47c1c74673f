#pragma once
// The print server's queues and what it says of one of them: its state, and the choices it
// offers for a job (paper, sides, colour, quality, paper source, copies) with its defaults.
//
// Linux meaning: libcups over a PrintServerConnection, so each call returns by the print
// server's deadline whatever the server does. The calls wait on the server: they are for a
// worker thread, never the window's.
#include "print_server.h"

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QMarginsF>
#include <QSizeF>
#include <QString>
#include <QStringList>

namespace platform {

// What a queue offers for one attribute of a job (IPP keywords; print-quality as its number).
struct PrintChoices {
    QList<QByteArray> supported;
    QByteArray preset; // the queue's default, "" when it names none
};

// The choices of a queue for a job, as IPP Get-Printer-Attributes gives them.
struct PrinterOptions {
    bool known = false; // the server answered for this queue
    PrintChoices media, sides, colorModes, qualities, sources;
    int copiesMax = 1; // the most copies a job may ask for
    // The name each paper of media.supported has in a list, no two alike (paper_names.h).
    QMap<QByteArray, QString> paperNames;
    // The margins the queue gives each paper (millimetres), where it says.
    QMap<QByteArray, QMarginsF> margins;
    QString model;    // the printer's make and model, as the server names it
    QString location; // where it stands, "" when unsaid
};

// The queues a print can go to ("queue", "queue/instance"), the server's default among them,
// and the options of one: the queue asked for when it is there, else the server's default,
// else the first.
struct PrintQueueList {
    PrintServerReach reach = PrintServerReach::NoAnswer;
    QStringList names;   // when answered; empty: no printer is installed
    QString defaultName; // "" when the server has no default
    QString chosen;      // the queue whose options were asked
    PrinterOptions options;
    QString reason; // why the server could not be asked
};
// asked "": the server's default.
PrintQueueList ListPrintQueues(const QString& asked);

// The options of a queue, on a connection of its own.
PrinterOptions QueryPrinterOptions(const QString& name, PrintServerReach* reach);

// A paper by its IPP keyword ("iso_a4_210x297mm"): its size in millimetres and a short name
// ("A4", as PDF pages call it); an empty size for a keyword that names none. Asks nothing of
// the server. A list shows PrinterOptions::paperNames.
struct PaperSize {
    QSizeF millimetres;
    QString name;
};
PaperSize PaperOf(const QByteArray& keyword);

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
