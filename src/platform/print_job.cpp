#include "print_job.h"

#include <mutex>

namespace platform {

namespace {

constexpr int kChunk = 64 * 1024;

std::mutex gHookMutex;
std::function<void(PrintJobStep)> gStepHook;

void beforeStep(PrintJobStep step) {
    std::function<void(PrintJobStep)> hook;
    {
        std::lock_guard lock(gHookMutex);
        hook = gStepHook;
    }
    if (hook)
        hook(step);
}

// The job's options, then those the queue's instance (lpoptions) sets otherwise than the queue
// itself.
int jobOptions(http_t* http, const PrintJob& job, const QByteArray& queue,
               const QByteArray& instance, cups_option_t** options) {
    int count = 0;
    for (const auto& [name, value] : job.options)
        if (!cupsGetOption(name.constData(), count, *options))
            count = cupsAddOption(name.constData(), value.constData(), count, options);
    if (instance.isEmpty())
        return count;
    cups_dest_t* own = cupsGetNamedDest(http, queue.constData(), instance.constData());
    cups_dest_t* base = own ? cupsGetNamedDest(http, queue.constData(), nullptr) : nullptr;
    for (int i = 0; own && i < own->num_options; ++i) {
        const cups_option_t& o = own->options[i];
        const char* queues =
            base ? cupsGetOption(o.name, base->num_options, base->options) : nullptr;
        if ((!queues || qstrcmp(queues, o.value) != 0) && !cupsGetOption(o.name, count, *options))
            count = cupsAddOption(o.name, o.value, count, options);
    }
    if (own)
        cupsFreeDests(1, own);
    if (base)
        cupsFreeDests(1, base);
    return count;
}

// A new job on the queue, made with one request (cupsCreateJob would ask for the queue's
// details first, and retry those for a long time on a server that does not answer); its id,
// 0 when none was made.
int createJob(http_t* http, const QByteArray& queue, const PrintJob& job, int count,
              cups_option_t* options) {
    char uri[HTTP_MAX_URI];
    httpAssembleURIf(HTTP_URI_CODING_ALL, uri, sizeof uri, "ipp", nullptr, "localhost", ippPort(),
                     "/printers/%s", queue.constData());
    ipp_t* request = ippNewRequest(IPP_OP_CREATE_JOB);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr, uri);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr,
                 cupsUser());
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "job-name", nullptr,
                 job.title.toUtf8().constData());
    cupsEncodeOptions2(request, count, options, IPP_TAG_OPERATION);
    cupsEncodeOptions2(request, count, options, IPP_TAG_JOB);
    ipp_t* response = cupsDoRequest(http, request, ("/printers/" + queue).constData());
    int id = 0;
    if (response && ippGetStatusCode(response) <= IPP_STATUS_OK_EVENTS_COMPLETE)
        if (ipp_attribute_t* a = ippFindAttribute(response, "job-id", IPP_TAG_INTEGER))
            id = ippGetInteger(a, 0);
    ippDelete(response);
    return id;
}

// Writes the whole document; true when all of it went out.
bool sendDocument(http_t* http, const char* queue, int jobId, const PrintJob& job) {
    if (cupsStartDocument(http, queue, jobId, job.title.toUtf8().constData(), CUPS_FORMAT_PDF, 1) !=
        HTTP_STATUS_CONTINUE)
        return false;
    for (qsizetype at = 0; at < job.pdf.size(); at += kChunk) {
        const qsizetype n = std::min<qsizetype>(kChunk, job.pdf.size() - at);
        if (cupsWriteRequestData(http, job.pdf.constData() + at, size_t(n)) != HTTP_STATUS_CONTINUE)
            return false;
    }
    return httpFlushWrite(http) >= 0;
}

// After a request failed: the server's own refusal, or no answer (the deadline passed, the
// connection broke).
PrintServerReach failure(const PrintServerConnection& server) {
    const PrintServerReach reach = server.reachAfterFailure();
    if (reach == PrintServerReach::NoAnswer)
        return reach;
    const ipp_status_t status = cupsLastError();
    // libcups tells a missing response as an internal error or an unavailable service, or
    // leaves the status of the last answer (a success) as it was.
    const bool local = status <= IPP_STATUS_OK_EVENTS_COMPLETE ||
                       status == IPP_STATUS_ERROR_INTERNAL ||
                       status == IPP_STATUS_ERROR_SERVICE_UNAVAILABLE ||
                       status >= IPP_STATUS_ERROR_CUPS_AUTHENTICATION_CANCELED;
    return local ? reach : PrintServerReach::Answered;
}

} // namespace

PrintJobResult SubmitPrintJob(const PrintJob& job) {
    PrintJobResult result;
    PrintServerConnection server;
    if (!server.http()) {
        result.reach = server.reach();
        result.reason = server.reason();
        return result;
    }
    const QByteArray queue = job.queue.section(QLatin1Char('/'), 0, 0).toUtf8();
    const QByteArray instance = job.queue.section(QLatin1Char('/'), 1).toUtf8();
    cups_option_t* options = nullptr;
    const int count = jobOptions(server.http(), job, queue, instance, &options);
    beforeStep(PrintJobStep::CreateJob);
    result.jobId = createJob(server.http(), queue, job, count, options);
    cupsFreeOptions(count, options);
    if (result.jobId > 0) {
        beforeStep(PrintJobStep::SendDocument);
        result.sent = sendDocument(server.http(), queue.constData(), result.jobId, job);
        // Once all of it is there, the server's answer says whether it takes the job. No
        // answer at all is no acceptance: libcups leaves the last status (the job's creation,
        // a success) as it was when the wait is given up.
        if (result.sent) {
            ipp_t* response = cupsGetResponse(server.http(), ("/printers/" + queue).constData());
            result.accepted =
                response && ippGetStatusCode(response) <= IPP_STATUS_OK_EVENTS_COMPLETE;
            ippDelete(response);
        }
    }
    if (!result.accepted) {
        result.reach = failure(server);
        result.reason = QString::fromUtf8(cupsLastErrorString());
        if (result.reason.isEmpty())
            result.reason = QString::fromUtf8(ippErrorString(cupsLastError()));
        if (result.reach != PrintServerReach::Answered)
            return result;
    }
    result.reach = PrintServerReach::Answered;
    result.queue = QueryPrintQueue(server.http(), job.queue);
    return result;
}

void SetPrintJobStepHook(std::function<void(PrintJobStep)> hook) {
    std::lock_guard lock(gHookMutex);
    gStepHook = std::move(hook);
}

} // namespace platform
