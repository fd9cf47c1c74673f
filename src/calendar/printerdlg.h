#pragma once
// The printer dialog before a timetable is printed.
#include <cstdint>

class QWidget;

// What the dialog leaves out: the print commands pass all five (0x14008C): no selection, no
// page range, no warning without a default printer, copies and collation kept with the
// printer's settings, no printing into a file. The program's dialog has none of those, so it
// shows the same whatever the flags.
constexpr std::uint32_t PD_NOSELECTION = 0x4;
constexpr std::uint32_t PD_NOPAGENUMS = 0x8;
constexpr std::uint32_t PD_NOWARNING = 0x80;
constexpr std::uint32_t PD_USEDEVMODECOPIESANDCOLLATE = 0x40000;
constexpr std::uint32_t PD_HIDEPRINTTOFILE = 0x100000;

// Shows the print dialog for the application's printer over the print queues the server last
// named (runtime::AskPrintQueues, asked just before), starting from the printer's queue and
// settings; on OK the chosen queue and its copies, collation, orientation, paper size, duplex,
// quality, colour mode and paper source are the printer's from then on. True when the caller is
// to print; Cancel (or the dialog closed with its owner) gives false and leaves the printer as
// it was.
bool ShowPrinterDialog(QWidget* frmOwner, std::uint32_t lFlags);
