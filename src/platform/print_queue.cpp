#include "print_queue.h"
#include "paper_names.h"

#include <cups/pwg.h>

#include <algorithm>

namespace platform {

namespace {

bool succeeded(ipp_status_t status) {
    return status <= IPP_STATUS_OK_EVENTS_COMPLETE;
}

// Get-Printer-Attributes for the queue (a printer, else a class of that name): the server's
// successful answer; nullptr with *reached false when it did not answer, true when it answered
// that it has no such queue.
ipp_t* askQueue(http_t* http, const QString& name, const char* const* wanted, int count,
                bool* reached) {
    *reached = false;
    const QByteArray queue = name.section(QLatin1Char('/'), 0, 0).toUtf8();
    for (const char* kind : {"printers", "classes"}) {
        char uri[HTTP_MAX_URI];
        httpAssembleURIf(HTTP_URI_CODING_ALL, uri, sizeof uri, "ipp", nullptr, "localhost",
                         ippPort(), "/%s/%s", kind, queue.constData());
        ipp_t* request = ippNewRequest(IPP_OP_GET_PRINTER_ATTRIBUTES);
        ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr, uri);
        ippAddStrings(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", count,
                      nullptr, wanted);
        ipp_t* response = cupsDoRequest(http, request, "/");
        if (!response)
            return nullptr;
        *reached = true;
        if (succeeded(ippGetStatusCode(response)))
            return response;
        ippDelete(response);
    }
    return nullptr;
}

QByteArray valueText(ipp_attribute_t* a, int i) {
    if (ippGetValueTag(a) == IPP_TAG_ENUM || ippGetValueTag(a) == IPP_TAG_INTEGER)
        return QByteArray::number(ippGetInteger(a, i));
    return QByteArray(ippGetString(a, i, nullptr));
}

PrintChoices choices(ipp_t* response, const char* name) {
    PrintChoices out;
    const QByteArray base(name);
    if (ipp_attribute_t* a =
            ippFindAttribute(response, (base + "-supported").constData(), IPP_TAG_ZERO))
        for (int i = 0; i < ippGetCount(a); ++i)
            if (const QByteArray v = valueText(a, i); !v.isEmpty() && !out.supported.contains(v))
                out.supported << v;
    if (ipp_attribute_t* a =
            ippFindAttribute(response, (base + "-default").constData(), IPP_TAG_ZERO))
        out.preset = valueText(a, 0);
    return out;
}

int member(ipp_t* collection, const char* name) {
    ipp_attribute_t* a = ippFindAttribute(collection, name, IPP_TAG_INTEGER);
    return a ? ippGetInteger(a, 0) : -1;
}

// Each paper's margins, from the first entry of the media database of its size.
void readMargins(ipp_t* response, PrinterOptions& options) {
    ipp_attribute_t* database =
        ippFindAttribute(response, "media-col-database", IPP_TAG_BEGIN_COLLECTION);
    for (int i = 0; database && i < ippGetCount(database); ++i) {
        ipp_t* entry = ippGetCollection(database, i);
        ipp_attribute_t* sizeAttr = ippFindAttribute(entry, "media-size", IPP_TAG_BEGIN_COLLECTION);
        if (!sizeAttr)
            continue;
        ipp_t* size = ippGetCollection(sizeAttr, 0);
        const int x = member(size, "x-dimension"), y = member(size, "y-dimension");
        const int top = member(entry, "media-top-margin"),
                  left = member(entry, "media-left-margin");
        const int right = member(entry, "media-right-margin");
        const int bottom = member(entry, "media-bottom-margin");
        if (x <= 0 || y <= 0 || top < 0 || left < 0 || right < 0 || bottom < 0)
            continue;
        pwg_media_t* pwg = pwgMediaForSize(x, y);
        if (!pwg || !pwg->pwg || options.margins.contains(pwg->pwg))
            continue;
        // Hundredths of a millimetre.
        options.margins.insert(pwg->pwg, QMarginsF(left, top, right, bottom) / 100.0);
    }
}

// The papers listed once each, by name. custom_min_ and custom_max_ keywords bound the sizes a
// queue takes for a size of the user's own: they are no paper.
void namePapers(http_t* http, const QString& name, PrinterOptions& options) {
    QList<QByteArray>& papers = options.media.supported;
    papers.removeIf([](const QByteArray& keyword) {
        return keyword.startsWith("custom_min_") || keyword.startsWith("custom_max_");
    });
    const NamedPapers named =
        UniquePaperNames(papers, QueuePaperNames(http, name, papers), options.media.preset);
    papers = named.keywords;
    options.paperNames = named.names;
}

PrinterOptions optionsOf(http_t* http, const QString& name, bool* reached) {
    static const char* const kWanted[] = {
        "media-supported",          "media-default",           "media-col-database",
        "sides-supported",          "sides-default",           "print-color-mode-supported",
        "print-color-mode-default", "print-quality-supported", "print-quality-default",
        "media-source-supported",   "media-source-default",    "copies-supported",
        "printer-make-and-model",   "printer-location"};
    PrinterOptions options;
    ipp_t* response = askQueue(http, name, kWanted, int(sizeof kWanted / sizeof *kWanted), reached);
    if (!response)
        return options;
    options.known = true;
    options.media = choices(response, "media");
    options.sides = choices(response, "sides");
    options.colorModes = choices(response, "print-color-mode");
    options.qualities = choices(response, "print-quality");
    options.sources = choices(response, "media-source");
    if (ipp_attribute_t* a = ippFindAttribute(response, "copies-supported", IPP_TAG_RANGE)) {
        int upper = 1;
        ippGetRange(a, 0, &upper);
        options.copiesMax = std::max(1, upper);
    }
    readMargins(response, options);
    namePapers(http, name, options);
    if (ipp_attribute_t* a = ippFindAttribute(response, "printer-make-and-model", IPP_TAG_TEXT))
        options.model = QString::fromUtf8(ippGetString(a, 0, nullptr)).trimmed();
    if (ipp_attribute_t* a = ippFindAttribute(response, "printer-location", IPP_TAG_TEXT))
        options.location = QString::fromUtf8(ippGetString(a, 0, nullptr)).trimmed();
    ippDelete(response);
    return options;
}

} // namespace

PrintQueueList ListPrintQueues(const QString& asked) {
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
        if (dests[i].is_default)
            list.defaultName = name;
    }
    cupsFreeDests(count, dests);
    if (list.names.isEmpty())
        return list;
    // The names are the server's own; a queue asked for matches them in any case.
    for (const QString& name : list.names)
        if (!asked.isEmpty() && name.compare(asked, Qt::CaseInsensitive) == 0)
            list.chosen = name;
    if (list.chosen.isEmpty())
        list.chosen = list.defaultName.isEmpty() ? list.names.first() : list.defaultName;
    bool reached = false;
    list.options = optionsOf(server.http(), list.chosen, &reached);
    if (!reached) {
        list.reach = server.reachAfterFailure();
        list.reason = QString::fromUtf8(cupsLastErrorString());
    }
    return list;
}

PrinterOptions QueryPrinterOptions(const QString& name, PrintServerReach* reach) {
    PrintServerConnection server;
    if (!server.http()) {
        *reach = server.reach();
        return {};
    }
    bool reached = false;
    PrinterOptions options = optionsOf(server.http(), name, &reached);
    *reach = reached ? PrintServerReach::Answered : server.reachAfterFailure();
    return options;
}

PaperSize PaperOf(const QByteArray& keyword) {
    PaperSize paper;
    pwg_media_t* pwg = pwgMediaForPWG(keyword.constData());
    if (!pwg)
        return paper;
    paper.millimetres = QSizeF(pwg->width, pwg->length) / 100.0;
    paper.name = QString::fromUtf8(pwg->ppd ? pwg->ppd : pwg->pwg);
    return paper;
}

PrintQueueState QueryPrintQueue(http_t* http, const QString& name) {
    PrintQueueState state;
    static const char* const kWanted[] = {"printer-state", "printer-state-message",
                                          "printer-is-accepting-jobs"};
    ipp_t* response =
        askQueue(http, name, kWanted, int(sizeof kWanted / sizeof *kWanted), &state.reached);
    if (!response)
        return state;
    if (ipp_attribute_t* a =
            ippFindAttribute(response, "printer-is-accepting-jobs", IPP_TAG_BOOLEAN))
        state.accepting = ippGetBoolean(a, 0) != 0;
    if (ipp_attribute_t* a = ippFindAttribute(response, "printer-state", IPP_TAG_ENUM))
        state.stopped = ippGetInteger(a, 0) == IPP_PSTATE_STOPPED;
    if (ipp_attribute_t* a = ippFindAttribute(response, "printer-state-message", IPP_TAG_TEXT))
        state.message = QString::fromUtf8(ippGetString(a, 0, nullptr)).trimmed();
    ippDelete(response);
    return state;
}

} // namespace platform
