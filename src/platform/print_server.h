#pragma once
// A connection to the print server (CUPS) that never waits past a deadline: a server that
// stopped answering (hung, overloaded, behind a dead link) holds the thread that asks it only
// until then. Every request to the server goes through one, on a worker thread.
#include <QDeadlineTimer>
#include <QString>

#include <cups/cups.h>

namespace platform {

// How long a request to the print server may take, connection included (30 s by default).
// Tests make it short.
void SetPrintServerDeadline(int ms);
int PrintServerDeadline();

// What became of a request.
enum class PrintServerReach {
    Answered,   // the server answered
    NotRunning, // nothing listens where the server should be (refused, no socket)
    NoAnswer,   // it did not answer before the deadline
    Lost,       // the connection broke off
};

class PrintServerConnection {
public:
    // Connects to the server the program prints through (CUPS_SERVER, client.conf, or the
    // local one) before the deadline; see reach() and reason() when it could not.
    PrintServerConnection();
    ~PrintServerConnection();
    PrintServerConnection(const PrintServerConnection&) = delete;
    PrintServerConnection& operator=(const PrintServerConnection&) = delete;

    // nullptr when not connected.
    http_t* http() const { return http_; }
    // After a failed step: whether the deadline passed, else whether the server was there.
    PrintServerReach reachAfterFailure() const;
    PrintServerReach reach() const { return reach_; }
    QString reason() const { return reason_; }

private:
    static int stillWaiting(http_t* http, void* self);
    QDeadlineTimer deadline_;
    http_t* http_ = nullptr;
    bool gaveUp_ = false;
    PrintServerReach reach_ = PrintServerReach::Answered;
    QString reason_;
};

} // namespace platform
