#include "print_server.h"

#include <atomic>
#include <cerrno>
#include <cstring>

namespace platform {

namespace {

std::atomic<int> gDeadlineMs{30000};

// libcups asks again after each period without progress, so a given-up wait ends within one.
constexpr double kPollSeconds = 0.25;

} // namespace

void SetPrintServerDeadline(int ms) {
    gDeadlineMs = ms > 0 ? ms : 30000;
}

int PrintServerDeadline() {
    return gDeadlineMs;
}

PrintServerConnection::PrintServerConnection() : deadline_(gDeadlineMs.load()) {
    // A connection made, not yet opened: then opened with the time left, so that the error of
    // a refused or timed-out connect can be read back.
    http_ =
        httpConnect2(cupsServer(), ippPort(), nullptr, AF_UNSPEC, cupsEncryption(), 1, 0, nullptr);
    if (!http_) {
        reach_ = PrintServerReach::NotRunning;
        reason_ = QString::fromUtf8(cupsLastErrorString());
        return;
    }
    httpSetTimeout(http_, kPollSeconds, &PrintServerConnection::stillWaiting, this);
    if (httpReconnect2(http_, int(std::max<qint64>(1, deadline_.remainingTime())), nullptr) != 0) {
        const int error = httpError(http_);
        httpClose(http_);
        http_ = nullptr;
        reason_ = QString::fromLocal8Bit(std::strerror(error));
        // Nothing listening, no socket, or (libcups's word for a local socket with no server
        // behind it) the host is down.
        reach_ = error == ECONNREFUSED || error == ENOENT || error == ENOTSOCK || error == EHOSTDOWN
                     ? PrintServerReach::NotRunning
                     : PrintServerReach::NoAnswer;
    }
}

PrintServerConnection::~PrintServerConnection() {
    if (http_)
        httpClose(http_);
}

int PrintServerConnection::stillWaiting(http_t*, void* self) {
    auto* connection = static_cast<PrintServerConnection*>(self);
    if (!connection->deadline_.hasExpired())
        return 1;
    connection->gaveUp_ = true;
    return 0;
}

PrintServerReach PrintServerConnection::reachAfterFailure() const {
    if (!http_)
        return reach_;
    return gaveUp_ || deadline_.hasExpired() ? PrintServerReach::NoAnswer : PrintServerReach::Lost;
}

} // namespace platform
