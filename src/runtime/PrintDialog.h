#pragma once
// The print dialog: the printer (the print server's queues), copies and collation, orientation,
// paper, two-sided printing, quality, colour and paper source, each as the chosen queue offers
// them. It opens with what the print server already said (runtime::AskPrintQueues); a printer
// chosen in it is asked about on a worker thread while the dialog stays up, its choices greyed
// and a line saying so. OK is possible with a printer whose options are known.
#include "Form.h"
#include "Printer.h"

#include <QMap>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QSpinBox;

namespace runtime {

class PrinterDialog : public Form {
    Q_OBJECT
public:
    // queues: the server's answer, with the options of queues.chosen; settings: where the
    // choices start from.
    PrinterDialog(const PrintQueues& queues, const PrintSettings& settings);

    // Shows it modally over owner; true when the user pressed OK (then see Chosen()).
    bool Run(QWidget* owner);
    // The printer and settings chosen, fitted to what that printer offers.
    PrintSettings Chosen() const;

    QComboBox* cboPrinter;
    QLabel* lblStatus;
    QSpinBox* txtCopies;
    QCheckBox* chkCollate;
    QComboBox* cboOrientation;
    QComboBox* cboPaperSize;
    QComboBox* cboSides;
    QComboBox* cboQuality;
    QComboBox* cboColor;
    QComboBox* cboPaperSource;
    QPushButton* cmdOK;
    QPushButton* cmdCancel;

    void cboPrinter_Click();
    void cmdOK_Click();
    void cmdCancel_Click();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QString currentQueue() const;
    // The lines of about_ in the status line, each cut to its width.
    void showAbout();
    // The choices of the queue, starting from the settings' values.
    void showOptions(const platform::PrinterOptions& options);
    // The options' controls and OK, usable or greyed.
    void enableOptions(bool enabled);
    void answered(const QString& queue, int ticket, platform::PrintServerReach reach,
                  const platform::PrinterOptions& options);

    PrintSettings settings_;
    QStringList about_; // what the server says of the printer shown: its type and place
    QString preselected_;
    const bool tracking_; // the printer followed the server's default
    QString shownQueue_;  // the queue whose options the controls show, "" while asking
    QMap<QString, platform::PrinterOptions> known_;
    int ticket_ = 0;
    bool accepted_ = false;
    bool closed_ = false; // answers that come later are dropped
};

} // namespace runtime
