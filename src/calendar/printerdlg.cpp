#include "printerdlg.h"

#include "runtime/PrintDialog.h"
#include "runtime/Printer.h"

#include <QPointer>

bool ShowPrinterDialog(QWidget* frmOwner, std::uint32_t) {
    runtime::PrinterObject& printer = runtime::Printer();
    QPointer<runtime::PrinterDialog> dialog =
        new runtime::PrinterDialog(runtime::LastPrintQueues(), printer.Settings());
    const bool ok = dialog->Run(frmOwner);
    // The dialog works on its own copy of the settings: Cancel leaves the printer as it was.
    if (ok)
        printer.SetSettings(dialog->Chosen());
    if (dialog)
        dialog->Unload();
    return ok;
}
