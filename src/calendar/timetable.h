#pragma once
// What the timetable export and printing share besides the main window's members.
#include <QList>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <optional>

class frmTallix;
class QWidget;

namespace timetable {

// A page has kPageLines lines; its rules of "=" are kPageWidth wide, and centred lines are
// centred on them.
constexpr int kPageLines = 63;
constexpr int kPageWidth = 78;

// How a page lays out its day lines, in display cells (runtime/TextCells.h): the width of each
// column (the day, then the six times) and of the page (its rules; centred lines are centred
// on it), and whether its times are written on the 24-hour clock.
struct PageLayout {
    int columns[7] = {9, 12, 12, 12, 12, 12, 12};
    int width = kPageWidth;
    bool clock24 = false;
};

// The text preceded by blanks that centre it on a page of that many cells (halves to even);
// a text as wide as the page or wider comes back unchanged.
QString Centred(const QString& text, int width);

inline QList<std::int16_t> WholeYear() {
    return {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
}

// Prints the pages of the months as one document, after the printer dialog when askPrinter.
// Nothing is printed, and the user is told, when there is no printer or printing fails.
void PrintPages(frmTallix& form, std::int16_t calendar, const QList<std::int16_t>& months,
                bool askPrinter);

// A timetable's name: the proposed file name of its export (without ".txt"), its print job's
// name and its PDF's title. A month: "City, Jun 2025 Prayer Schedule"; a year: "City, 2025
// Prayer Schedule" (", 1447 Hijri Prayer Schedule" for the Hijri calendar).
QString MonthTitle(std::int16_t calendar, std::int16_t month);
QString YearTitle(std::int16_t calendar);
QString Title(std::int16_t calendar, const QList<std::int16_t>& months);

// Asks before anything at the path (a link included) is replaced; true when it may be.
bool MayReplace(const QString& path);

// Where a print goes, chosen before anything is printed; the job is named after the title.
// askPrinter shows the print dialog. The print server is asked first, on a worker thread; with
// no printer installed, or a server that is not running or does not answer, the user is told
// which and may name a PDF file instead, for this print only (the printer is as before
// afterwards).
class PrintDestination {
public:
    PrintDestination(QWidget* owner, const QString& title, bool askPrinter);
    ~PrintDestination();
    PrintDestination(const PrintDestination&) = delete;
    PrintDestination& operator=(const PrintDestination&) = delete;
    // False: nothing is to be printed (cancelled, or no printer and no file).
    bool chosen() const { return chosen_; }
    // After the document went through: tells where a file went, or that a stopped printer
    // keeps it in its queue.
    void TellDone() const;

private:
    bool chosen_ = false;
    bool ownFile_ = false;
};

// The project's home, on line 3 of every page: the host of the web site the build names.
QString ProjectHome();

// Days of month 1..12 of the year in the calendar (0 Gregorian, 1 Hijri), counted by the
// runtime's calendar; 0 for a month it cannot reach.
int MonthLength(std::int16_t calendar, int year, int month);

// The year of today in the calendar.
int CurrentYear(std::int16_t calendar);

// The save dialog: the chosen path, nullopt when cancelled. Tests answer it themselves; the
// answerer gets the title, the proposed path and the filter. nullptr brings back Qt's dialog.
using SaveFileAnswerer =
    std::function<std::optional<QString>(const QString&, const QString&, const QString&)>;
void SetSaveFileAnswerer(SaveFileAnswerer answerer);
std::optional<QString> AskSaveFileName(const QString& title, const QString& proposedPath,
                                       const QString& filter);

// Text editors tried, in order, when the desktop cannot open a written timetable.
const QStringList& FallbackEditors();

// An export or print is under way: the commands do not start again until it ends (their
// loops, and a print's wait for the print server, yield to the event loop, so a second click
// could otherwise start one inside). The second command is told what it waits for.
class CommandGuard {
public:
    enum class Command { Export, Print };
    explicit CommandGuard(Command command);
    ~CommandGuard();
    CommandGuard(const CommandGuard&) = delete;
    CommandGuard& operator=(const CommandGuard&) = delete;
    // False for a command that found another one running (the user was told): it must do
    // nothing.
    bool acquired() const { return acquired_; }
    static bool running();

private:
    bool acquired_;
};

} // namespace timetable
