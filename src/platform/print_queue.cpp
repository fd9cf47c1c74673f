#include "print_queue.h"

#include <cups/cups.h>

namespace platform {

namespace {

constexpr int kConnectMs = 5000;

// A connection to the server the program prints through (CUPS_SERVER, client.conf, or the
// local one); nullptr when nothing answers there.
http_t* connectToServer() {
    return httpConnect2(cupsServer(), ippPort(), nullptr, AF_UNSPEC, cupsEncryption(), 1,
                        kConnectMs, nullptr);
}

bool succeeded(ipp_status_t status) {
    return status <= IPP_STATUS_OK_EVENTS_COMPLETE;
}

} // namespace

PrintServerAnswer LastPrintServerAnswer() {
    PrintServerAnswer answer;
    const ipp_status_t status = cupsLastError();
    if (succeeded(status)) {
        answer.accepted = true;
        return answer;
    }
    const char* words = cupsLastErrorString();
    answer.reason = QString::fromUtf8(words ? words : "");
    // A server that is gone answers nothing: libcups then passes on the socket's error
    // ("No such file or directory"), which says nothing to a reader.
    if (http_t* http = connectToServer()) {
        httpClose(http);
    } else {
        answer.reason = QStringLiteral("the print server is not running or cannot be reached");
    }
    if (answer.reason.isEmpty())
        answer.reason = QString::fromUtf8(ippErrorString(status));
    return answer;
}

PrintQueueState QueryPrintQueue(const QString& name) {
    PrintQueueState state;
    http_t* http = connectToServer();
    if (!http)
        return state;
    // "queue/instance" names a set of options of the queue "queue".
    const QByteArray queue = name.section(QLatin1Char('/'), 0, 0).toUtf8();
    for (const char* kind : {"printers", "classes"}) {
        char uri[HTTP_MAX_URI];
        httpAssembleURIf(HTTP_URI_CODING_ALL, uri, sizeof uri, "ipp", nullptr, "localhost",
                         ippPort(), "/%s/%s", kind, queue.constData());
        ipp_t* request = ippNewRequest(IPP_OP_GET_PRINTER_ATTRIBUTES);
        ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr, uri);
        static const char* const kWanted[] = {"printer-state", "printer-state-message",
                                              "printer-is-accepting-jobs"};
        ippAddStrings(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes",
                      int(sizeof kWanted / sizeof *kWanted), nullptr, kWanted);
        ipp_t* response = cupsDoRequest(http, request, "/");
        if (!response)
            break;
        state.reached = true;
        if (!succeeded(ippGetStatusCode(response))) {
            ippDelete(response);
            continue;
        }
        if (ipp_attribute_t* a =
                ippFindAttribute(response, "printer-is-accepting-jobs", IPP_TAG_BOOLEAN))
            state.accepting = ippGetBoolean(a, 0) != 0;
        if (ipp_attribute_t* a = ippFindAttribute(response, "printer-state", IPP_TAG_ENUM))
            state.stopped = ippGetInteger(a, 0) == IPP_PSTATE_STOPPED;
        if (ipp_attribute_t* a = ippFindAttribute(response, "printer-state-message", IPP_TAG_TEXT))
            state.message = QString::fromUtf8(ippGetString(a, 0, nullptr)).trimmed();
        ippDelete(response);
        break;
    }
    httpClose(http);
    return state;
}

} // namespace platform
