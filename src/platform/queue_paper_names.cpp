// The names of a queue's papers as the print server describes the queue: cupsd serves the PPD
// of a queue (GET /printers/NAME.ppd), though it gives no printer-strings-uri for one; a queue
// without a PPD, or papers its PPD does not name, are named as libcups names their keywords.
// Everything is asked on the caller's connection, so within its deadline.
#include "paper_names.h"

#include <QRegularExpression>
#include <QTemporaryFile>

#include <cups/pwg.h>

#include <cstring>
#include <mutex>

namespace platform {

namespace {

std::mutex gHookMutex;
std::function<void(const QString&)> gHook;

// The PPD of the queue (a printer's; a class or a queue without one has none) into file.
bool fetchPpd(http_t* http, const QString& queue, QTemporaryFile& file) {
    if (!file.open())
        return false;
    const QByteArray resource =
        "/printers/" + queue.section(QLatin1Char('/'), 0, 0).toUtf8() + ".ppd";
    const http_status_t status = cupsGetFd(http, resource.constData(), file.handle());
    return status == HTTP_STATUS_OK && file.size() > 0;
}

// libcups names a paper it has no word for by its measure ("210 x 297 mm", "8.5 x 11 \""),
// which says no more than the keyword.
bool onlyAMeasure(const QString& text) {
    static const QRegularExpression kMeasure(
        QStringLiteral("^[\\d.,]+\\s*[x\u00d7]\\s*[\\d.,]+\\s*(mm|in|inch|\"|\u2033)?"
                       "(\\s*\\([^)]*\\))?$"));
    return kMeasure.match(text.trimmed()).hasMatch();
}

// libcups's names of the keywords (cupsLocalizeDestMedia, in the user's language), from what
// the server says of the queue (one Get-Printer-Attributes on the connection).
QMap<QByteArray, QString> libcupsNames(http_t* http, const QString& queue,
                                       const QList<QByteArray>& keywords) {
    QMap<QByteArray, QString> names;
    const QByteArray name = queue.section(QLatin1Char('/'), 0, 0).toUtf8();
    const QByteArray instance = queue.section(QLatin1Char('/'), 1).toUtf8();
    char uri[HTTP_MAX_URI];
    httpAssembleURIf(HTTP_URI_CODING_ALL, uri, sizeof uri, "ipp", nullptr, "localhost", ippPort(),
                     "/printers/%s", name.constData());
    cups_dest_t dest{};
    dest.name = const_cast<char*>(name.constData());
    dest.instance = instance.isEmpty() ? nullptr : const_cast<char*>(instance.constData());
    dest.num_options = cupsAddOption("printer-uri-supported", uri, 0, &dest.options);
    cups_dinfo_t* info = cupsCopyDestInfo(http, &dest);
    for (const QByteArray& keyword : keywords) {
        if (!info)
            break;
        cups_size_t size{};
        if (!cupsGetDestMediaByName(http, &dest, info, keyword.constData(),
                                    CUPS_MEDIA_FLAGS_DEFAULT, &size)) {
            pwg_media_t* pwg = pwgMediaForPWG(keyword.constData());
            if (!pwg)
                continue;
            size.width = pwg->width;
            size.length = pwg->length;
            // Margins, so that it is not called borderless unless its keyword says so.
            size.left = size.right = size.top = size.bottom = IsBorderlessPaper(keyword) ? 0 : 635;
        }
        std::strncpy(size.media, keyword.constData(), sizeof size.media - 1);
        const char* text =
            cupsLocalizeDestMedia(http, &dest, info, CUPS_MEDIA_FLAGS_DEFAULT, &size);
        QString named = text ? QString::fromUtf8(text).trimmed() : QString();
        if (named.isEmpty() || onlyAMeasure(named))
            continue;
        if (IsBorderlessPaper(keyword) &&
            !named.contains(QLatin1String("borderless"), Qt::CaseInsensitive))
            named += QStringLiteral(" (borderless)");
        names.insert(keyword, named);
    }
    if (info)
        cupsFreeDestInfo(info);
    cupsFreeOptions(dest.num_options, dest.options);
    return names;
}

} // namespace

QMap<QByteArray, QString> QueuePaperNames(http_t* http, const QString& queue,
                                          const QList<QByteArray>& keywords) {
    std::function<void(const QString&)> hook;
    {
        std::lock_guard lock(gHookMutex);
        hook = gHook;
    }
    if (hook)
        hook(queue);
    QMap<QByteArray, QString> names;
    QTemporaryFile ppd;
    if (fetchPpd(http, queue, ppd))
        names = PpdPaperNames(ppd.fileName(), keywords);
    QList<QByteArray> unnamed;
    for (const QByteArray& keyword : keywords)
        if (!names.contains(keyword))
            unnamed << keyword;
    if (!unnamed.isEmpty())
        names.insert(libcupsNames(http, queue, unnamed));
    return names;
}

void SetPaperNamesHook(std::function<void(const QString&)> hook) {
    std::lock_guard lock(gHookMutex);
    gHook = std::move(hook);
}

} // namespace platform
