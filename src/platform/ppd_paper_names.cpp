// The page sizes of a PPD file by the IPP media keywords that CUPS makes of them. cupsd lists a
// PPD queue's papers in media-supported as its PPD cache maps them: each page size, in the
// PPD's order, is the standard paper of its size (pwgMediaForSize, "custom_..." when none is
// near); a size whose keyword an earlier one took gets a vendor keyword made of its PPD name
// and measure ("om_a-4-fullbleed_209.9x297.04mm"). libcups keeps that cache private, so the
// mapping is made here the same way with its public calls; a keyword it does not give is
// matched by its size and margins to a page size no other keyword took.
#include "paper_names.h"

#include <QFile>
#include <QRegularExpression>
#include <QSet>

#include <cups/ppd.h>
#include <cups/pwg.h>

#include <cctype>
#include <cmath>
#include <cstring>
#include <limits>

// The PPD calls are libcups's only way to read a PPD, deprecated for printing, not removed.
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"

namespace platform {

namespace {

// A PPD name as a keyword's name part, as CUPS writes it: lower case, a dash between a lower
// and an upper case letter and before a number, and for each run of "-", "_" and ".".
QByteArray keywordName(const char* ppd) {
    // A lower-case name without separators stays as it is.
    const QByteArray whole(ppd);
    if (!whole.isEmpty() && std::islower(static_cast<unsigned char>(whole[0]))) {
        bool plain = !whole.endsWith('-') && !whole.contains("--");
        for (const char c : whole)
            plain = plain && !std::isupper(static_cast<unsigned char>(c)) && c != '_' && c != '.';
        if (plain)
            return whole;
    }
    QByteArray out;
    bool dash = true; // no dash first or twice
    for (const char* p = ppd; *p; ++p) {
        const auto c = static_cast<unsigned char>(*p);
        if (std::isalnum(c)) {
            out += char(std::tolower(c));
            dash = false;
        } else if (c == '-' || c == '_' || c == '.') {
            if (!dash)
                out += '-';
            dash = true;
        } else {
            out += char(c);
            dash = false;
        }
        if (dash)
            continue;
        const auto next = static_cast<unsigned char>(p[1]);
        if ((!std::isupper(c) && std::isalnum(c) && std::isupper(next)) ||
            (!std::isdigit(c) && std::isdigit(next))) {
            out += '-';
            dash = true;
        }
    }
    while (out.endsWith('-'))
        out.chop(1);
    return out;
}

bool borderless(const ppd_size_t& size) {
    return size.left <= 0 && size.bottom <= 0 && size.right >= size.width &&
           size.top >= size.length;
}

// A page size without a text of its own shows its PPD name: a name only when it reads as one
// (a word, or a series letter and its number), not a keyword such as "EnvC5" or "Env10".
bool readsAsName(const QString& ppdName) {
    static const QRegularExpression kName(QStringLiteral("^(?:[A-Z][a-z]+|[A-Z]\\d+)$"));
    return kName.match(ppdName).hasMatch();
}

} // namespace

QMap<QByteArray, QString> PpdPaperNames(const QString& ppdFile, const QList<QByteArray>& keywords) {
    QMap<QByteArray, QString> names;
    ppd_file_t* ppd = ppdOpenFile(QFile::encodeName(ppdFile).constData());
    if (!ppd)
        return names;
    // The texts of the page sizes (UTF-8: libcups converts them from the PPD's encoding).
    QMap<QByteArray, QString> texts;
    if (ppd_option_t* option = ppdFindOption(ppd, "PageSize"))
        for (int i = 0; i < option->num_choices; ++i) {
            const ppd_choice_t& choice = option->choices[i];
            const QString text = QString::fromUtf8(choice.text).trimmed();
            const QString name = QString::fromUtf8(choice.choice);
            if (!text.isEmpty() && (text != name || readsAsName(name)))
                texts.insert(choice.choice, text);
        }
    // The keyword of each page size, as the PPD cache makes it.
    QMap<QByteArray, int> sizeOf; // keyword -> index in ppd->sizes
    for (int i = 0; i < ppd->num_sizes; ++i) {
        const ppd_size_t& size = ppd->sizes[i];
        if (qstricmp(size.name, "Custom") == 0)
            continue;
        const int width = PWG_FROM_POINTS(size.width), length = PWG_FROM_POINTS(size.length);
        if (width <= 0 || length <= 0)
            continue;
        pwg_media_t* standard = pwgMediaForSize(width, length);
        QByteArray keyword = standard && standard->pwg ? QByteArray(standard->pwg) : QByteArray();
        if (keyword.isEmpty() || sizeOf.contains(keyword)) {
            char vendor[256];
            if (!pwgFormatSizeName(vendor, sizeof vendor, nullptr,
                                   keywordName(size.name).constData(), width, length, nullptr))
                continue;
            keyword = vendor;
        }
        if (!sizeOf.contains(keyword))
            sizeOf.insert(keyword, i);
    }
    QSet<int> taken;
    QList<QByteArray> unmatched;
    for (const QByteArray& keyword : keywords) {
        if (const auto it = sizeOf.constFind(keyword);
            it != sizeOf.cend() && !taken.contains(*it)) {
            taken.insert(*it);
            if (const QString text = texts.value(ppd->sizes[*it].name); !text.isEmpty())
                names.insert(keyword, text);
        } else {
            unmatched << keyword;
        }
    }
    // Keywords made otherwise (another version of CUPS): the nearest page size of that size and
    // those margins that no keyword took.
    for (const QByteArray& keyword : unmatched) {
        pwg_media_t* pwg = pwgMediaForPWG(keyword.constData());
        if (!pwg)
            continue;
        int best = -1;
        int bestDistance = std::numeric_limits<int>::max();
        for (int i = 0; i < ppd->num_sizes; ++i) {
            const ppd_size_t& size = ppd->sizes[i];
            if (taken.contains(i) || borderless(size) != IsBorderlessPaper(keyword))
                continue;
            const int distance = std::abs(PWG_FROM_POINTS(size.width) - pwg->width) +
                                 std::abs(PWG_FROM_POINTS(size.length) - pwg->length);
            if (distance <= 100 && distance < bestDistance) {
                best = i;
                bestDistance = distance;
            }
        }
        if (best < 0)
            continue;
        taken.insert(best);
        if (const QString text = texts.value(ppd->sizes[best].name); !text.isEmpty())
            names.insert(keyword, text);
    }
    ppdClose(ppd);
    return names;
}

} // namespace platform
