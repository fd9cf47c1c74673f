// Timetable printing: the pages of the export, one sheet per month, in a fixed-pitch font sized
// to the sheet, on the application's printer (a real printer or a PDF file).
#include "printerdlg.h"
#include "timetable.h"

#include "core/mMain.h"
#include "core/settings.h"
#include "mainwindow/frmTallix.h"
#include "runtime/ErrObject.h"
#include "runtime/Interaction.h"
#include "runtime/Printer.h"
#include "runtime/TextCells.h"
#include "runtime/VBDate.h"

#include <QFontDatabase>
#include <algorithm>
#include <cmath>

namespace {

using timetable::kPageLines;
const QString kRule(timetable::kPageWidth, QLatin1Char('='));

// Fixed-pitch families tried, in order, when the font the printer got is not fixed-pitch (on a
// Japanese or Chinese desktop the monospace font is a CJK one of two widths, which Qt does not
// count as fixed-pitch and whose Latin letters do not keep to the page's cells).
const char* const kFixedPitchFamilies[] = {"DejaVu Sans Mono", "Liberation Mono", "Noto Mono",
                                           "FreeMono", "Nimbus Mono PS"};

// The width of one cell of the printer's (fixed-pitch) font.
double cellWidth(runtime::PrinterObject& printer) {
    return printer.TextWidth(QStringLiteral("0"));
}

// The cells of the printer's font that a line of the printable width holds.
int printableCells(runtime::PrinterObject& printer) {
    const double cell = cellWidth(printer);
    return cell > 0 ? static_cast<int>(printer.Width() / cell) : 0;
}

// The cells of the page's widest line, trailing blanks left out.
int widestLine(const QStringList& page) {
    int cells = 0;
    for (const QString& line : page) {
        QStringView shown(line);
        while (shown.endsWith(QLatin1Char(' ')))
            shown.chop(1);
        cells = std::max(cells, runtime::TextCells(shown));
    }
    return cells;
}

// The page's lines centred across the printable width: the block is as wide as the page's
// widest line, the printable width at most.
void centrePage(runtime::PrinterObject& printer, const QStringList& page) {
    const double block = std::min<double>(printer.Width(), widestLine(page) * cellWidth(printer));
    printer.ScaleLeft = -std::floor((printer.Width() - block) / 2.0);
}

void reportPrintFailure(const QString& why) {
    Err.Raise(482, QStringLiteral("The timetable could not be printed: %1").arg(why));
    ReportError();
}

} // namespace

bool frmTallix::SetupPrinterFont() {
    runtime::PrinterObject& printer = runtime::Printer();
    printer.SetFont(QStringLiteral("Lucida Console"), 10);
    if (printer.FontName() != QLatin1String("Lucida Console"))
        printer.SetFont(QFontDatabase::systemFont(QFontDatabase::FixedFont).family(), 9);
    // The family really used must set every character in the same width, or no column holds.
    const QStringList installed = QFontDatabase::families();
    for (const char* family : kFixedPitchFamilies) {
        if (printer.FixedPitch())
            break;
        if (installed.contains(QLatin1String(family)))
            printer.SetFont(QLatin1String(family), 9);
    }
    printer.PlainText();
    // A page is one sheet: smaller type until 63 lines and the 78 columns fit the printable area.
    double size = printer.FontSize();
    while (size > 4.0 && (printer.TextHeight() * kPageLines > printer.Height() ||
                          printer.TextWidth(kRule) > printer.Width())) {
        size -= 0.5;
        printer.SetFontSize(size);
    }
    return printer.TextHeight() * kPageLines <= printer.Height();
}

void timetable::PrintPages(frmTallix& form, std::int16_t calendar,
                           const QList<std::int16_t>& months, bool askPrinter) {
    CommandGuard guard(CommandGuard::Command::Print);
    if (!guard.acquired())
        return;
    runtime::CalendarGuard keep;
    const PrintDestination destination(&form, Title(calendar, months), askPrinter);
    if (!destination.chosen())
        return;
    runtime::PrinterObject& printer = runtime::Printer();
    SetBusy(true);
    // Every page first: a prayer library that cannot be called prints nothing at all. The
    // font comes first: it decides how many cells a line of the sheet holds.
    form.SetupPrinterFont();
    const int cells = printableCells(printer);
    QList<QStringList> pages;
    for (std::int16_t month : months) {
        const auto page = form.TimetablePage(calendar, month, cells);
        if (!page) {
            ReportError();
            return;
        }
        pages << *page;
        if (months.size() > 1)
            DoEvents();
    }
    // A line wider than the sheet (a long place name) makes the type smaller still.
    int widest = 0;
    for (const QStringList& page : pages)
        widest = std::max(widest, widestLine(page));
    while (printer.FontSize() > 4.0 && widest * cellWidth(printer) > printer.Width())
        printer.SetFontSize(printer.FontSize() - 0.5);
    bool printed = true;
    for (int i = 0; i < pages.size() && printed; ++i) {
        centrePage(printer, pages[i]);
        for (const QString& line : pages[i])
            if (!(printed = printer.Print(line)))
                break;
        if (printed && i + 1 < pages.size())
            printed = printer.NewPage();
    }
    if (!printed) {
        printer.KillDoc();
        reportPrintFailure(printer.LastError());
        return;
    }
    DoEvents();
    if (!printer.EndDoc()) {
        reportPrintFailure(printer.LastError());
        return;
    }
    DoEvents();
    SetBusy(false);
    destination.TellDone();
}

void frmTallix::PrintMonthPrayerTimes(std::int16_t calendar, std::int16_t month) {
    timetable::PrintPages(*this, calendar, {month}, false);
}

void frmTallix::PrintYearPrayerTimes(std::int16_t calendar) {
    timetable::PrintPages(*this, calendar, timetable::WholeYear(), false);
}

void frmTallix::tlbPrint_Click() {
    const std::int16_t calendar = gDisplayHijraa == 1 ? vbCalHijri : vbCalGreg;
    runtime::CalendarGuard keep;
    SetCalendar(calendar);
    PrintMonthPrayerTimes(calendar, std::int16_t(Month(NowDate())));
}
