#pragma once
// The application's printer object: the printer the next print goes to, its settings, and line
// printing in one font.
//
// Linux meaning: a QPrinter (CUPS printers, or a PDF file when an output file is set) holds the
// settings and is what Qt's print dialog changes; the pages are drawn with a QPainter into a
// PDF in memory laid out as that printer's pages, which EndDoc writes into the file or hands to
// the print server on a worker thread (runtime/WorkerWait.h), so that a print server that does
// not answer never stops the window's thread. Measures are twips (1/1440 inch) of the printable
// area, whose top left is the origin; ScaleLeft moves the origin as the scale's left edge does. A
// document begins with the first printed line; NewPage only takes effect when another line follows,
// so a page begun last gives no sheet.
#include <QFont>
#include <QPrinter>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

class QBuffer;
class QPainter;
class QPdfWriter;
class QWidget;

// Settings in the numbering the program stores and the print dialog exchanges.
constexpr int vbPRORPortrait = 1;
constexpr int vbPRORLandscape = 2;
constexpr int vbPRPSLetter = 1;
constexpr int vbPRPSLegal = 5;
constexpr int vbPRPSA3 = 8;
constexpr int vbPRPSA4 = 9;
constexpr int vbPRPSA5 = 11;
constexpr int vbPRDPSimplex = 1;
constexpr int vbPRDPVertical = 2;
constexpr int vbPRDPHorizontal = 3;
constexpr int vbPRPQHigh = -4;
constexpr int vbPRCMMonochrome = 1;
constexpr int vbPRCMColor = 2;
constexpr int vbPRBNAuto = 7;

namespace runtime {

class PrinterObject {
public:
    PrinterObject();
    ~PrinterObject();
    PrinterObject(const PrinterObject&) = delete;
    PrinterObject& operator=(const PrinterObject&) = delete;

    QPrinter& device() { return *printer_; }

    // The printer's name, or the file printed into ("" for none: no printer and no file).
    QString DeviceName() const;
    // A file the next documents go into instead of the printer, without changing the printer's
    // settings; "" goes back to the printer.
    void PrintIntoFile(const QString& path) { ownFile_ = path; }
    // The file documents go into: that one, else the one chosen in the print dialog; "" when
    // they go to the printer.
    QString OutputFile() const;
    // Makes the installed printer of that name current; false when there is none.
    bool SetDeviceName(const QString& name);
    // True when a print has somewhere to go: an installed printer or an output file.
    bool HasDestination() const;

    bool TrackDefault = true;
    int Orientation() const;
    void SetOrientation(int value);
    int PaperSize() const;
    void SetPaperSize(int value);
    int Duplex() const;
    void SetDuplex(int value);
    int Copies() const;
    void SetCopies(int value);
    int PrintQuality = vbPRPQHigh;
    int ColorMode() const;
    void SetColorMode(int value);
    int PaperBin = vbPRBNAuto;

    // The font of the lines; FontName reads back the family actually used, which differs from
    // the one asked for when no such font is installed.
    void SetFont(const QString& family, double points);
    QString FontName() const;
    // The font gives every character the same width.
    bool FixedPitch() const;
    double FontSize() const;
    void SetFontSize(double points);
    // Upright, regular weight, no underline or strike-through.
    void PlainText();

    double ScaleLeft = 0; // twips
    // The printable area, twips.
    int Width() const;
    int Height() const;
    double TextWidth(const QString& text) const;
    double TextHeight() const;

    // Prints the text and moves to the next line; false when printing failed (see LastError).
    // A line is set on a grid of cells one digit wide, as a fixed-pitch display shows it:
    // each piece of it (runtime::CellRuns) starts at its own cell, so that text in a fallback
    // font (Japanese, Arabic...) cannot move the columns after it.
    bool Print(const QString& text);
    bool NewPage();
    // Ends the document: the pages go to the printer or file. False when anything failed. A
    // document for a printer goes to the print server on a worker thread while the event loop
    // runs, within the print server's deadline (platform::PrintServerDeadline); it is sent once,
    // never again by itself.
    bool EndDoc();
    // Abandons the document.
    void KillDoc();
    QString LastError() const { return error_; }
    // After a document went to a printer's queue that holds it (a stopped printer), or to a
    // print server that did not answer after it was sent: what the user is to know; ""
    // otherwise.
    QString Notice() const { return notice_; }
    // Pages begun so far in the current document.
    int Pages() const { return pages_; }

private:
    bool begin();
    // Writes the ended document into the file; false with error_ set when it could not be.
    bool writeFile(const QString& path, const QByteArray& pdf);
    // Hands the ended document to the printer's queue: whether the print server took it (false
    // with error_ set when it refused it, was not there or did not answer before it had it
    // all), and notice_ when its queue keeps it for now or it did not confirm it.
    bool submit(const QByteArray& pdf);
    std::unique_ptr<QPrinter> printer_;
    std::unique_ptr<QBuffer> pdf_;
    std::unique_ptr<QPdfWriter> writer_;
    std::unique_ptr<QPainter> painter_;
    QString ownFile_;
    QFont font_;
    double currentY_ = 0; // device pixels from the top of the printable area
    bool pendingPage_ = false;
    int pages_ = 0;
    QString error_;
    QString notice_;
};

// The application's printer object.
PrinterObject& Printer();

// The print queues as the print server tells them, asked on a worker thread while the event
// loop runs (and the user is shown that the server is being asked), within the print server's
// deadline.
struct PrintQueues {
    enum Reach { Answered, NotRunning, NoAnswer } reach = NoAnswer;
    QStringList names; // when answered; empty: no printer is installed
};
PrintQueues AskPrintQueues(QWidget* owner);

// The print dialog over the printer: true when the user chose to print. Tests answer it
// themselves: the answerer may change the printer and returns the user's choice; nullptr brings
// back the real dialog.
using PrintDialogAnswerer = std::function<bool(QPrinter&)>;
void SetPrintDialogAnswerer(PrintDialogAnswerer answerer);
// Shows the dialog. allowToFile offers printing into a file (PDF).
bool ExecPrintDialog(QWidget* owner, QPrinter& printer, bool allowToFile);

} // namespace runtime
