#include "Printer.h"
#include "TextCells.h"
#include "WorkerWait.h"

#include "platform/print_queue.h"

#include <QBuffer>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPrintDialog>
#include <QPrinterInfo>

namespace runtime {

namespace {

PrintDialogAnswerer gAnswerer;

struct PaperName {
    int code;
    QPageSize::PageSizeId id;
};
constexpr PaperName kPapers[] = {{vbPRPSLetter, QPageSize::Letter},
                                 {vbPRPSLegal, QPageSize::Legal},
                                 {vbPRPSA3, QPageSize::A3},
                                 {vbPRPSA4, QPageSize::A4},
                                 {vbPRPSA5, QPageSize::A5}};

double pixelsToTwips(double px, int dpi) {
    return dpi > 0 ? px * 1440.0 / dpi : 0.0;
}

} // namespace

PrinterObject::PrinterObject() : printer_(std::make_unique<QPrinter>(QPrinter::HighResolution)) {
    // The program's defaults: one-sided, portrait, letter, monochrome.
    SetDuplex(vbPRDPSimplex);
    SetOrientation(vbPRORPortrait);
    SetPaperSize(vbPRPSLetter);
    SetColorMode(vbPRCMMonochrome);
    font_ = QFont(QStringLiteral("Monospace"), 10);
}

PrinterObject::~PrinterObject() {
    KillDoc();
}

QString PrinterObject::DeviceName() const {
    const QString file = OutputFile();
    return file.isEmpty() ? printer_->printerName() : file;
}

QString PrinterObject::OutputFile() const {
    return ownFile_.isEmpty() ? printer_->outputFileName() : ownFile_;
}

bool PrinterObject::SetDeviceName(const QString& name) {
    for (const QPrinterInfo& info : QPrinterInfo::availablePrinters()) {
        if (info.printerName().compare(name, Qt::CaseInsensitive) == 0) {
            printer_->setOutputFileName(QString());
            printer_->setPrinterName(info.printerName());
            return true;
        }
    }
    return false;
}

bool PrinterObject::HasDestination() const {
    if (!OutputFile().isEmpty())
        return true;
    return !printer_->printerName().isEmpty() && printer_->isValid();
}

int PrinterObject::Orientation() const {
    return printer_->pageLayout().orientation() == QPageLayout::Landscape ? vbPRORLandscape
                                                                          : vbPRORPortrait;
}

void PrinterObject::SetOrientation(int value) {
    printer_->setPageOrientation(value == vbPRORLandscape ? QPageLayout::Landscape
                                                          : QPageLayout::Portrait);
}

int PrinterObject::PaperSize() const {
    const QPageSize::PageSizeId id = printer_->pageLayout().pageSize().id();
    for (const PaperName& p : kPapers)
        if (p.id == id)
            return p.code;
    return 256; // a size of the printer's own
}

void PrinterObject::SetPaperSize(int value) {
    for (const PaperName& p : kPapers)
        if (p.code == value)
            printer_->setPageSize(QPageSize(p.id));
}

int PrinterObject::Duplex() const {
    switch (printer_->duplex()) {
    case QPrinter::DuplexLongSide:
        return vbPRDPVertical;
    case QPrinter::DuplexShortSide:
        return vbPRDPHorizontal;
    default:
        return vbPRDPSimplex;
    }
}

void PrinterObject::SetDuplex(int value) {
    printer_->setDuplex(value == vbPRDPVertical     ? QPrinter::DuplexLongSide
                        : value == vbPRDPHorizontal ? QPrinter::DuplexShortSide
                                                    : QPrinter::DuplexNone);
}

int PrinterObject::Copies() const {
    return printer_->copyCount();
}

void PrinterObject::SetCopies(int value) {
    if (value >= 1)
        printer_->setCopyCount(value);
}

int PrinterObject::ColorMode() const {
    return printer_->colorMode() == QPrinter::Color ? vbPRCMColor : vbPRCMMonochrome;
}

void PrinterObject::SetColorMode(int value) {
    printer_->setColorMode(value == vbPRCMColor ? QPrinter::Color : QPrinter::GrayScale);
}

void PrinterObject::SetFont(const QString& family, double points) {
    font_ = QFont(family);
    font_.setPointSizeF(points);
    if (painter_)
        painter_->setFont(font_);
}

QString PrinterObject::FontName() const {
    return QFontInfo(font_).family();
}

bool PrinterObject::FixedPitch() const {
    return QFontInfo(font_).fixedPitch();
}

double PrinterObject::FontSize() const {
    return font_.pointSizeF();
}

void PrinterObject::SetFontSize(double points) {
    SetFont(font_.family(), points);
}

void PrinterObject::PlainText() {
    font_.setBold(false);
    font_.setItalic(false);
    font_.setUnderline(false);
    font_.setStrikeOut(false);
    font_.setWeight(QFont::Normal);
    if (painter_)
        painter_->setFont(font_);
}

int PrinterObject::Width() const {
    return static_cast<int>(printer_->pageLayout().paintRect(QPageLayout::Inch).width() * 1440.0);
}

int PrinterObject::Height() const {
    return static_cast<int>(printer_->pageLayout().paintRect(QPageLayout::Inch).height() * 1440.0);
}

double PrinterObject::TextWidth(const QString& text) const {
    // Measured for the printer's resolution, as the lines will be drawn.
    const QFontMetricsF metrics(font_, printer_.get());
    return pixelsToTwips(metrics.horizontalAdvance(text), printer_->resolution());
}

double PrinterObject::TextHeight() const {
    const QFontMetricsF metrics(font_, printer_.get());
    return pixelsToTwips(metrics.lineSpacing(), printer_->resolution());
}

bool PrinterObject::begin() {
    if (painter_)
        return true;
    error_.clear();
    pages_ = 0;
    if (!HasDestination()) {
        error_ = QStringLiteral("There is no printer to print on.");
        return false;
    }
    // The printer's pages, at its resolution, so that the lines measure as TextWidth says.
    pdf_ = std::make_unique<QBuffer>();
    pdf_->open(QIODevice::WriteOnly);
    writer_ = std::make_unique<QPdfWriter>(pdf_.get());
    writer_->setResolution(printer_->resolution());
    writer_->setPageLayout(printer_->pageLayout());
    writer_->setPdfVersion(printer_->pdfVersion());
    writer_->setTitle(printer_->docName());
    writer_->setCreator(printer_->creator());
    painter_ = std::make_unique<QPainter>();
    if (!painter_->begin(writer_.get())) {
        painter_.reset();
        writer_.reset();
        pdf_.reset();
        error_ = QStringLiteral("The printer \"%1\" could not be opened.").arg(DeviceName());
        return false;
    }
    painter_->setFont(font_);
    painter_->setPen(Qt::black);
    currentY_ = 0;
    pendingPage_ = false;
    pages_ = 1;
    return true;
}

bool PrinterObject::Print(const QString& text) {
    if (!begin())
        return false;
    if (pendingPage_) {
        if (!writer_->newPage()) {
            error_ = QStringLiteral("The printer refused a new page.");
            return false;
        }
        pendingPage_ = false;
        currentY_ = 0;
        ++pages_;
    }
    const QFontMetricsF metrics(painter_->font(), writer_.get());
    const double dpi = writer_->resolution();
    const double x = -ScaleLeft * dpi / 1440.0;
    const double cell = metrics.horizontalAdvance(QLatin1Char('0'));
    const QList<CellRun> runs = CellRuns(text);
    // The line's own direction for a line left whole; every piece of a cut one reads left to
    // right, whatever the desktop's language.
    painter_->setLayoutDirection(
        runs.size() == 1 && runs[0].text.isRightToLeft() ? Qt::RightToLeft : Qt::LeftToRight);
    for (const CellRun& run : runs)
        painter_->drawText(QPointF(x + run.cell * cell, currentY_ + metrics.ascent()), run.text);
    currentY_ += metrics.lineSpacing();
    return painter_->isActive();
}

bool PrinterObject::NewPage() {
    if (!begin())
        return false;
    pendingPage_ = true;
    return true;
}

bool PrinterObject::EndDoc() {
    if (!painter_)
        return error_.isEmpty();
    const bool ended = painter_->end();
    painter_.reset();
    writer_.reset();
    const QByteArray pdf = pdf_->data();
    pdf_.reset();
    pendingPage_ = false;
    notice_.clear();
    if (!ended || pdf.isEmpty()) {
        if (error_.isEmpty())
            error_ = QStringLiteral("The document for \"%1\" could not be made.").arg(DeviceName());
        return false;
    }
    if (!error_.isEmpty())
        return false;
    const QString file = OutputFile();
    return file.isEmpty() ? submit(pdf) : writeFile(file, pdf);
}

void PrinterObject::KillDoc() {
    if (!painter_)
        return;
    painter_->end();
    painter_.reset();
    writer_.reset();
    pdf_.reset();
    pendingPage_ = false;
}

PrinterObject& Printer() {
    static PrinterObject printer;
    return printer;
}

PrintQueues AskPrintQueues(QWidget* owner) {
    platform::PrintQueueList list;
    RunWhileWaiting(owner, QStringLiteral("Asking the print server for its printers..."),
                    [&list] { list = platform::ListPrintQueues(); });
    PrintQueues queues;
    queues.names = list.names;
    switch (list.reach) {
    case platform::PrintServerReach::Answered:
        queues.reach = PrintQueues::Answered;
        break;
    case platform::PrintServerReach::NoAnswer:
        queues.reach = PrintQueues::NoAnswer;
        break;
    default: // not there, or gone while asked
        queues.reach = PrintQueues::NotRunning;
        break;
    }
    return queues;
}

void SetPrintDialogAnswerer(PrintDialogAnswerer answerer) {
    gAnswerer = std::move(answerer);
}

bool ExecPrintDialog(QWidget* owner, QPrinter& printer, bool allowToFile) {
    if (gAnswerer)
        return gAnswerer(printer);
    QPrintDialog dialog(&printer, owner);
    QAbstractPrintDialog::PrintDialogOptions options =
        QAbstractPrintDialog::PrintShowPageSize | QAbstractPrintDialog::PrintCollateCopies;
    if (allowToFile)
        options |= QAbstractPrintDialog::PrintToFile;
    dialog.setOptions(options);
    return dialog.exec() == QDialog::Accepted;
}

} // namespace runtime
