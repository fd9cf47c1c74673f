#pragma once
// What the papers of a queue are called in a list: each as the queue's printer description (its
// PPD) names the page size that CUPS made the keyword of, else as libcups names the keyword,
// else a name made from the keyword itself; no two papers of one name.
#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>

#include <functional>

#include <cups/cups.h>

namespace platform {

// A name made from an IPP media keyword alone: "iso_c5_162x229mm" -> "Envelope C5",
// "om_a-4-fullbleed_209.9x297.04mm" -> "A4 (borderless)", a custom size by its measure
// ("Custom 182.74 x 256.47 mm"). Asks nothing of anyone (paper_names.cpp).
QString ReadablePaperName(const QByteArray& keyword);

// Whether the keyword says that its paper is printed to the edges, without margins.
bool IsBorderlessPaper(const QByteArray& keyword);

// The papers in the order given, each once, with its name: the name given for it where there
// is one, else ReadablePaperName. A paper of the same name, size and margins as one before it is
// the same paper to the user and is left out (the one kept is `keep` when it is among them);
// papers that still share a name get "(borderless)", then their measure, then their keyword.
struct NamedPapers {
    QList<QByteArray> keywords;
    QMap<QByteArray, QString> names;
};
NamedPapers UniquePaperNames(const QList<QByteArray>& keywords,
                             const QMap<QByteArray, QString>& given, const QByteArray& keep);

// The page sizes' texts of the PPD file, by the media keyword CUPS makes of each page size
// (as cupsd lists them in media-supported), for those of keywords it has
// (ppd_paper_names.cpp). A page size without a text of its own is named only when its PPD name
// reads as one ("Letter", "A4"), not a keyword such as "EnvC5".
QMap<QByteArray, QString> PpdPaperNames(const QString& ppdFile, const QList<QByteArray>& keywords);

// The names of the queue's papers as the server describes them (queue_paper_names.cpp): its
// PPD, fetched on the connection given (so within its deadline), else libcups's names of the
// keywords (cupsLocalizeDestMedia) where they are more than a measure. Papers it cannot name
// are not in the answer.
QMap<QByteArray, QString> QueuePaperNames(http_t* http, const QString& queue,
                                          const QList<QByteArray>& keywords);

// Runs a test's code on the worker before QueuePaperNames asks the server (given the queue);
// nullptr for none.
void SetPaperNamesHook(std::function<void(const QString&)> hook);

} // namespace platform
