#pragma once
// The printer dialog before a timetable is printed.
#include <cstdint>

class QWidget;

// What the dialog offers: no selection and no page range; printing into a file (PDF) is offered
// unless PD_HIDEPRINTTOFILE is given.
constexpr std::uint32_t PD_NOSELECTION = 0x4;
constexpr std::uint32_t PD_NOPAGENUMS = 0x8;
constexpr std::uint32_t PD_NOWARNING = 0x80;
constexpr std::uint32_t PD_USEDEVMODECOPIESANDCOLLATE = 0x40000;
constexpr std::uint32_t PD_HIDEPRINTTOFILE = 0x100000;

// Shows the print dialog for the application's printer, starting from its printer, orientation,
// paper size and duplex; on OK the chosen printer (or file) and its copies, duplex,
// orientation, paper size and colour mode are the printer's from then on. True when the caller
// is to print. Cancel, or a dialog that cannot be set up (the user is told), gives false and
// leaves the printer as it was.
bool ShowPrinterDialog(QWidget* frmOwner, std::uint32_t lFlags);
