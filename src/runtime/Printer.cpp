#include "Printer.h"
#include "TextCells.h"
#include "WorkerWait.h"

#include "platform/print_queue.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

namespace runtime {

namespace {

// The resolution the pages are drawn and measured at.
constexpr int kDotsPerInch = 1200;

double pixelsToTwips(double px, int dpi) {
    return dpi > 0 ? px * 1440.0 / dpi : 0.0;
}

} // namespace

PrinterObject::PrinterObject() {
    // The program's defaults (PrintSettings): the server's default queue, one-sided, portrait,
    // letter, high quality, monochrome, the paper source the printer picks.
    font_ = QFont(QStringLiteral("Monospace"), 10);
}

PrinterObject::~PrinterObject() {
    KillDoc();
}

QString PrinterObject::DeviceName() const {
    return ownFile_.isEmpty() ? settings_.queue : ownFile_;
}

bool PrinterObject::HasDestination() const {
    return !DeviceName().isEmpty();
}

QPdfWriter& PrinterObject::measure() const {
    if (!measure_) {
        measureBuffer_ = std::make_unique<QBuffer>();
        measure_ = std::make_unique<QPdfWriter>(measureBuffer_.get());
        measure_->setResolution(kDotsPerInch);
    }
    return *measure_;
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
    // In points, which the layout keeps exactly (inches it rounds to hundredths).
    return static_cast<int>(settings_.PageLayout().paintRect(QPageLayout::Point).width() * 20.0);
}

int PrinterObject::Height() const {
    return static_cast<int>(settings_.PageLayout().paintRect(QPageLayout::Point).height() * 20.0);
}

double PrinterObject::TextWidth(const QString& text) const {
    // Measured at the resolution the lines will be drawn at.
    const QFontMetricsF metrics(font_, &measure());
    return pixelsToTwips(metrics.horizontalAdvance(text), kDotsPerInch);
}

double PrinterObject::TextHeight() const {
    const QFontMetricsF metrics(font_, &measure());
    return pixelsToTwips(metrics.lineSpacing(), kDotsPerInch);
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
    // The chosen paper and orientation, at the resolution TextWidth measures at.
    pdf_ = std::make_unique<QBuffer>();
    pdf_->open(QIODevice::WriteOnly);
    writer_ = std::make_unique<QPdfWriter>(pdf_.get());
    writer_->setResolution(kDotsPerInch);
    writer_->setPageLayout(settings_.PageLayout());
    writer_->setTitle(docName_);
    writer_->setCreator(QCoreApplication::applicationName());
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

} // namespace runtime
