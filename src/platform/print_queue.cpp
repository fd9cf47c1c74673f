#include "print_queue.h"

namespace platform {

namespace {

bool succeeded(ipp_status_t status) {
    return status <= IPP_STATUS_OK_EVENTS_COMPLETE;
}

} // namespace

PrintQueueList ListPrintQueues() {
    PrintQueueList list;
    PrintServerConnection server;
    if (!server.http()) {
        list.reach = server.reach();
        list.reason = server.reason();
        return list;
    }
    cups_dest_t* dests = nullptr;
    const int count = cupsGetDests2(server.http(), &dests);
    // No queue and a failed request: the server did not say it has none.
    if (count == 0 && !succeeded(cupsLastError()) &&
        cupsLastError() != IPP_STATUS_ERROR_NOT_FOUND) {
        list.reach = server.reachAfterFailure();
        list.reason = QString::fromUtf8(cupsLastErrorString());
        cupsFreeDests(count, dests);
        return list;
    }
    list.reach = PrintServerReach::Answered;
    for (int i = 0; i < count; ++i) {
        QString name = QString::fromUtf8(dests[i].name);
        if (dests[i].instance)
            name += QLatin1Char('/') + QString::fromUtf8(dests[i].instance);
        list.names << name;
    }
    cupsFreeDests(count, dests);
    return list;
}

PrintQueueState QueryPrintQueue(http_t* http, const QString& name) {
    PrintQueueState state;
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
    return state;
}

} // namespace platform
