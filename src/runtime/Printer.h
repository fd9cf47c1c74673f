#pragma once
// The application's printer object: the printer the next print goes to, its settings, and line
// printing in one font.
//
// Linux meaning: the object holds the print queue's name and the job's settings itself and asks
// the print server nothing while it is made or set. The pages are drawn with a QPainter into a
// PDF in memory (QPdfWriter) at the chosen paper and orientation, which EndDoc writes into the
// file or hands to the print server on a worker thread (runtime/WorkerWait.h), with the settings
// as the job's attributes, so that a print server that does not answer never stops the window's
// thread. Measures are twips (1/1440 inch) of the printable area, whose top left is the origin;
// ScaleLeft moves the origin as the scale's left edge does. A document begins with the first
// printed line; NewPage only takes effect when another line follows, so a page begun last gives
// no sheet.
#include "platform/print_queue.h"

#include <QFont>
#include <QMarginsF>
#include <QPageLayout>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

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
constexpr int vbPRPSUser = 256; // a paper of the printer's own
constexpr int vbPRDPSimplex = 1;
constexpr int vbPRDPVertical = 2;
constexpr int vbPRDPHorizontal = 3;
constexpr int vbPRPQDraft = -1;
constexpr int vbPRPQLow = -2;
constexpr int vbPRPQMedium = -3;
constexpr int vbPRPQHigh = -4;
constexpr int vbPRCMMonochrome = 1;
constexpr int vbPRCMColor = 2;
constexpr int vbPRBNUpper = 1;
constexpr int vbPRBNLower = 2;
constexpr int vbPRBNMiddle = 3;
constexpr int vbPRBNManual = 4;
constexpr int vbPRBNEnvelope = 5;
constexpr int vbPRBNAuto = 7;
constexpr int vbPRBNLargeCapacity = 11;
constexpr int vbPRBNUser = 256; // a paper source of the printer's own

namespace runtime {

// What a print is sent with: the queue and the job's attributes as IPP keywords.
struct PrintSettings {
    QString queue;            // "queue" or "queue/instance"; "" before one is known
    bool trackDefault = true; // the server's default queue is used, whichever it is
    bool landscape = false;
    QByteArray media = "na_letter_8.5x11in";
    QByteArray sides = "one-sided";
    int copies = 1;
    bool collate = true;
    QByteArray colorMode = "monochrome";
    QByteArray quality = "5"; // print-quality: 3 draft, 4 normal, 5 high
    QByteArray source = "auto";
    // The queue's margins for the paper (millimetres), when it gave them.
    std::optional<QMarginsF> margins;

    // Each attribute the queue does not offer becomes its default (or its first choice), the
    // copies at most what it takes, and the margins its own for the paper.
    void FitTo(const platform::PrinterOptions& options);
    // The page the documents are drawn on: the paper, the orientation, and the margins (the
    // queue's, else ten points all round).
    QPageLayout PageLayout() const;
    // The job's attributes (name, value) for the print server.
    QList<QPair<QByteArray, QByteArray>> JobAttributes() const;
};

class PrinterObject {
public:
    PrinterObject();
    ~PrinterObject();
    PrinterObject(const PrinterObject&) = delete;
    PrinterObject& operator=(const PrinterObject&) = delete;

    // All the settings at once (the print dialog's result).
    const PrintSettings& Settings() const { return settings_; }
    void SetSettings(const PrintSettings& settings) { settings_ = settings; }

    // The queue's name, or the file printed into ("" for none: no printer and no file).
    QString DeviceName() const;
    // A file the next documents go into instead of the printer, without changing the printer's
    // settings; "" goes back to the printer.
    void PrintIntoFile(const QString& path) { ownFile_ = path; }
    QString OutputFile() const { return ownFile_; }
    // Makes the queue of that name current (asks nothing: the name is one the server gave).
    void SetDeviceName(const QString& name) { settings_.queue = name; }
    // True when a print has somewhere to go: a queue or an output file.
    bool HasDestination() const;
    // The job's name in the queue and the PDF's title.
    void SetDocName(const QString& title) { docName_ = title; }

    bool TrackDefault() const { return settings_.trackDefault; }
    void SetTrackDefault(bool value) { settings_.trackDefault = value; }
    int Orientation() const;
    void SetOrientation(int value);
    int PaperSize() const;
    void SetPaperSize(int value);
    int Duplex() const;
    void SetDuplex(int value);
    int Copies() const { return settings_.copies; }
    void SetCopies(int value);
    int PrintQuality() const;
    void SetPrintQuality(int value);
    int ColorMode() const;
    void SetColorMode(int value);
    int PaperBin() const;
    void SetPaperBin(int value);

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
    // The device the lines are measured on: a PDF at the resolution they are drawn at.
    QPdfWriter& measure() const;
    PrintSettings settings_;
    QString ownFile_;
    QString docName_;
    std::unique_ptr<QBuffer> pdf_;
    std::unique_ptr<QPdfWriter> writer_;
    std::unique_ptr<QPainter> painter_;
    mutable std::unique_ptr<QBuffer> measureBuffer_;
    mutable std::unique_ptr<QPdfWriter> measure_;
    QFont font_;
    double currentY_ = 0; // device pixels from the top of the printable area
    bool pendingPage_ = false;
    int pages_ = 0;
    QString error_;
    QString notice_;
};

// The application's printer object.
PrinterObject& Printer();

// The print queues as the print server tells them, and the options of the one a print would
// use (the printer's queue, or the server's default while the printer tracks it), asked on a
// worker thread while the event loop runs (and the user is shown that the server is being
// asked), within the print server's deadline.
struct PrintQueues {
    enum Reach { Answered, NotRunning, NoAnswer } reach = NoAnswer;
    QStringList names;                // when answered; empty: no printer is installed
    QString defaultName;              // the server's default, "" for none
    QString chosen;                   // the queue a print would use
    platform::PrinterOptions options; // chosen's
};
PrintQueues AskPrintQueues(QWidget* owner);
// The last answer AskPrintQueues had (the print dialog's printers).
const PrintQueues& LastPrintQueues();
// How the server's answer is told: not there, or gone while asked, is not running.
PrintQueues::Reach ReachOf(platform::PrintServerReach reach);

} // namespace runtime
