// The printer's settings: the program's numbers for them beside the print server's keywords,
// the page they make, and the job attributes they are sent as.
#include "Printer.h"

#include <QPageSize>

#include <algorithm>

namespace runtime {

namespace {

template <typename Value> struct Named {
    int code;
    Value keyword;
};

constexpr Named<const char*> kPapers[] = {{vbPRPSLetter, "na_letter_8.5x11in"},
                                          {vbPRPSLegal, "na_legal_8.5x14in"},
                                          {vbPRPSA3, "iso_a3_297x420mm"},
                                          {vbPRPSA4, "iso_a4_210x297mm"},
                                          {vbPRPSA5, "iso_a5_148x210mm"}};
constexpr Named<const char*> kSides[] = {{vbPRDPSimplex, "one-sided"},
                                         {vbPRDPVertical, "two-sided-long-edge"},
                                         {vbPRDPHorizontal, "two-sided-short-edge"}};
// IPP has three qualities; low and draft are both its draft.
constexpr Named<const char*> kQualities[] = {
    {vbPRPQHigh, "5"}, {vbPRPQMedium, "4"}, {vbPRPQDraft, "3"}, {vbPRPQLow, "3"}};
constexpr Named<const char*> kSources[] = {{vbPRBNAuto, "auto"},
                                           {vbPRBNUpper, "top"},
                                           {vbPRBNLower, "bottom"},
                                           {vbPRBNMiddle, "middle"},
                                           {vbPRBNManual, "manual"},
                                           {vbPRBNEnvelope, "envelope"},
                                           {vbPRBNLargeCapacity, "large-capacity"}};

template <std::size_t N>
int codeOf(const Named<const char*> (&table)[N], const QByteArray& keyword, int other) {
    for (const auto& entry : table)
        if (keyword == entry.keyword)
            return entry.code;
    return other;
}

template <std::size_t N> const char* keywordOf(const Named<const char*> (&table)[N], int code) {
    for (const auto& entry : table)
        if (entry.code == code)
            return entry.keyword;
    return nullptr;
}

// The value kept when the queue offers it; else the queue's default, else its first choice.
// A queue that lists nothing for the attribute leaves the value as it is.
void fit(QByteArray& value, const platform::PrintChoices& choices) {
    if (choices.supported.isEmpty() || choices.supported.contains(value))
        return;
    value = choices.supported.contains(choices.preset) ? choices.preset : choices.supported.first();
}

// What is left free round the page when the queue gives no margins (a PDF file, a queue that
// says none): ten points, as Qt's PDF pages have.
constexpr double kDefaultMarginPt = 10;

} // namespace

void PrintSettings::FitTo(const platform::PrinterOptions& options) {
    fit(media, options.media);
    fit(sides, options.sides);
    fit(colorMode, options.colorModes);
    fit(quality, options.qualities);
    fit(source, options.sources);
    copies = std::clamp(copies, 1, std::max(1, options.copiesMax));
    margins.reset();
    if (const auto it = options.margins.constFind(media); it != options.margins.cend())
        margins = *it;
}

QPageLayout PrintSettings::PageLayout() const {
    const platform::PaperSize paper = platform::PaperOf(media);
    const QPageSize size = paper.millimetres.isEmpty()
                               ? QPageSize(QPageSize::Letter)
                               : QPageSize(paper.millimetres, QPageSize::Millimeter, paper.name,
                                           QPageSize::FuzzyMatch);
    const QMarginsF around = margins.value_or(
        QMarginsF(kDefaultMarginPt, kDefaultMarginPt, kDefaultMarginPt, kDefaultMarginPt) * 25.4 /
        72.0);
    // The margins are the paper's, as it goes through the printer. A page turned onto it keeps
    // the wider of each pair on both sides, whichever way the server turns it.
    const double across = std::max(around.top(), around.bottom());
    const double along = std::max(around.left(), around.right());
    const QMarginsF turned = landscape ? QMarginsF(across, along, across, along) : around;
    // In points: the layout keeps them exactly, and the page's measures come out in twips.
    return QPageLayout(size, landscape ? QPageLayout::Landscape : QPageLayout::Portrait,
                       turned * 72.0 / 25.4, QPageLayout::Point);
}

QList<QPair<QByteArray, QByteArray>> PrintSettings::JobAttributes() const {
    QList<QPair<QByteArray, QByteArray>> attributes;
    attributes.emplaceBack("media", media);
    attributes.emplaceBack("sides", sides);
    attributes.emplaceBack("copies", QByteArray::number(copies));
    attributes.emplaceBack("multiple-document-handling",
                           collate ? "separate-documents-collated-copies"
                                   : "separate-documents-uncollated-copies");
    attributes.emplaceBack("print-color-mode", colorMode);
    attributes.emplaceBack("print-quality", quality);
    attributes.emplaceBack("media-source", source);
    return attributes;
}

int PrinterObject::Orientation() const {
    return settings_.landscape ? vbPRORLandscape : vbPRORPortrait;
}

void PrinterObject::SetOrientation(int value) {
    settings_.landscape = value == vbPRORLandscape;
}

int PrinterObject::PaperSize() const {
    return codeOf(kPapers, settings_.media, vbPRPSUser);
}

void PrinterObject::SetPaperSize(int value) {
    if (const char* keyword = keywordOf(kPapers, value))
        settings_.media = keyword;
}

int PrinterObject::Duplex() const {
    return codeOf(kSides, settings_.sides, vbPRDPSimplex);
}

void PrinterObject::SetDuplex(int value) {
    if (const char* keyword = keywordOf(kSides, value))
        settings_.sides = keyword;
}

void PrinterObject::SetCopies(int value) {
    if (value >= 1)
        settings_.copies = value;
}

int PrinterObject::PrintQuality() const {
    return codeOf(kQualities, settings_.quality, vbPRPQHigh);
}

void PrinterObject::SetPrintQuality(int value) {
    if (const char* keyword = keywordOf(kQualities, value))
        settings_.quality = keyword;
}

int PrinterObject::ColorMode() const {
    return settings_.colorMode == "monochrome" ? vbPRCMMonochrome : vbPRCMColor;
}

void PrinterObject::SetColorMode(int value) {
    settings_.colorMode = value == vbPRCMColor ? "color" : "monochrome";
}

int PrinterObject::PaperBin() const {
    return codeOf(kSources, settings_.source, vbPRBNUser);
}

void PrinterObject::SetPaperBin(int value) {
    if (const char* keyword = keywordOf(kSources, value))
        settings_.source = keyword;
}

} // namespace runtime
