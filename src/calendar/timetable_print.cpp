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
#include "runtime/VBDate.h"

#include <QFontDatabase>
#include <cmath>

namespace {

using timetable::kPageLines;
const QString kRule(timetable::kPageWidth, QLatin1Char('='));

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
    printer.PlainText();
    // A page is one sheet: smaller type until 63 lines and the 78 columns fit the printable area.
    double size = printer.FontSize();
    while (size > 4.0 && (printer.TextHeight() * kPageLines > printer.Height() ||
                          printer.TextWidth(kRule) > printer.Width())) {
        size -= 0.5;
        printer.SetFontSize(size);
    }
    printer.ScaleLeft = -std::floor((printer.Width() - printer.TextWidth(kRule)) / 2.0);
    return printer.TextHeight() * kPageLines <= printer.Height();
}

void timetable::PrintPages(frmTallix& form, std::int16_t calendar,
                           const QList<std::int16_t>& months, bool askPrinter) {
    CommandGuard guard;
    if (!guard.acquired())
        return;
    runtime::CalendarGuard keep;
    const PrintDestination destination(&form, Title(calendar, months), askPrinter);
    if (!destination.chosen())
        return;
    runtime::PrinterObject& printer = runtime::Printer();
    SetBusy(true);
    // Every page first: a prayer library that cannot be called prints nothing at all.
    QList<QStringList> pages;
    for (std::int16_t month : months) {
        const auto page = form.TimetablePage(calendar, month);
        if (!page) {
            ReportError();
            return;
        }
        pages << *page;
        if (months.size() > 1)
            DoEvents();
    }
    form.SetupPrinterFont();
    bool printed = true;
    for (int i = 0; i < pages.size() && printed; ++i) {
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
