#include "printerdlg.h"

#include "core/mMain.h"
#include "runtime/ErrObject.h"
#include "runtime/Printer.h"

#include <QPageLayout>

bool ShowPrinterDialog(QWidget* frmOwner, std::uint32_t lFlags) {
    runtime::PrinterObject& printer = runtime::Printer();
    QPrinter& device = printer.device();
    // The dialog works on the printer itself; a cancelled dialog must leave it as it was.
    const QString name = device.printerName();
    const QString file = device.outputFileName();
    const QPageLayout layout = device.pageLayout();
    const QPrinter::DuplexMode duplex = device.duplex();
    const QPrinter::ColorMode colour = device.colorMode();
    const int copies = device.copyCount();
    if (!runtime::ExecPrintDialog(frmOwner, device, (lFlags & PD_HIDEPRINTTOFILE) == 0)) {
        device.setOutputFileName(file);
        if (file.isEmpty() && !name.isEmpty())
            device.setPrinterName(name);
        device.setPageLayout(layout);
        device.setDuplex(duplex);
        device.setColorMode(colour);
        device.setCopyCount(copies);
        return false;
    }
    if (!printer.HasDestination()) {
        Err.Raise(482, QStringLiteral("No printer is installed and no file was chosen to print "
                                      "into; nothing was printed."));
        ReportError();
        return false;
    }
    return true;
}
