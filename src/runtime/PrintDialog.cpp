#include "PrintDialog.h"
#include "WorkerWait.h"
#include "platform/paper_names.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QPointer>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include <functional>
#include <memory>

namespace runtime {

namespace {

// "large-capacity" -> "Large capacity".
QString spelledOut(const QByteArray& keyword) {
    QString text = QString::fromUtf8(keyword).replace(QLatin1Char('-'), QLatin1Char(' '));
    if (!text.isEmpty())
        text[0] = text[0].toUpper();
    return text;
}

QString sidesText(const QByteArray& keyword) {
    if (keyword == "one-sided")
        return QStringLiteral("One-sided");
    if (keyword == "two-sided-long-edge")
        return QStringLiteral("Two-sided, long edge");
    if (keyword == "two-sided-short-edge")
        return QStringLiteral("Two-sided, short edge");
    return spelledOut(keyword);
}

QString colorText(const QByteArray& keyword) {
    if (keyword == "color")
        return QStringLiteral("Colour");
    if (keyword == "auto")
        return QStringLiteral("Automatic");
    if (keyword == "bi-level")
        return QStringLiteral("Black and white");
    return spelledOut(keyword);
}

QString qualityText(const QByteArray& value) {
    switch (value.toInt()) {
    case 3:
        return QStringLiteral("Draft");
    case 4:
        return QStringLiteral("Normal");
    case 5:
        return QStringLiteral("High");
    }
    return QString::fromUtf8(value);
}

QString sourceText(const QByteArray& keyword) {
    return keyword == "auto" ? QStringLiteral("Automatic") : spelledOut(keyword);
}

// Fills the box with the choices (keywords as item data) and selects the value, one of them
// once fitted to the queue (PrintSettings::FitTo). A queue that names no choice shows the value
// alone.
void fill(QComboBox* box, const platform::PrintChoices& choices, const QByteArray& value,
          const std::function<QString(const QByteArray&)>& text) {
    box->clear();
    QList<QByteArray> items = choices.supported;
    if (items.isEmpty())
        items << value;
    for (const QByteArray& keyword : items)
        box->addItem(text(keyword), keyword);
    box->setCurrentIndex(std::max(box->findData(value), 0));
}

QByteArray chosenIn(const QComboBox* box, const QByteArray& otherwise) {
    const QVariant data = box->currentData();
    return data.isValid() ? data.toByteArray() : otherwise;
}

QComboBox* makeBox(QWidget* parent, const char* name) {
    auto* box = new QComboBox(parent);
    box->setObjectName(QLatin1String(name));
    // A long queue or paper name does not widen the dialog.
    box->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    box->setMinimumContentsLength(22);
    return box;
}

} // namespace

PrinterDialog::PrinterDialog(const PrintQueues& queues, const PrintSettings& settings)
    : Form(QStringLiteral("frmPrinter")), settings_(settings), preselected_(queues.chosen),
      tracking_(settings.trackDefault) {
    setWindowTitle(QStringLiteral("Print"));
    MakeFixedDialog();
    cboPrinter = makeBox(this, "cboPrinter");
    for (const QString& name : queues.names)
        cboPrinter->addItem(name == queues.defaultName ? name + QStringLiteral(" (default)") : name,
                            name);
    lblStatus = new QLabel(this);
    lblStatus->setObjectName(QStringLiteral("lblStatus"));
    lblStatus->setWordWrap(true);
    // Room for what it may say, so the dialog keeps its size.
    lblStatus->setMinimumHeight(3 * lblStatus->fontMetrics().lineSpacing());
    lblStatus->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // The printer's type and place are cut to its width again when that changes.
    lblStatus->installEventFilter(this);
    txtCopies = new QSpinBox(this);
    txtCopies->setObjectName(QStringLiteral("txtCopies"));
    // Numbers are written with Latin digits, as everywhere in the program.
    txtCopies->setLocale(QLocale::c());
    chkCollate = new QCheckBox(QStringLiteral("Co&llate"), this);
    chkCollate->setObjectName(QStringLiteral("chkCollate"));
    cboOrientation = makeBox(this, "cboOrientation");
    cboOrientation->addItem(QStringLiteral("Portrait"), false);
    cboOrientation->addItem(QStringLiteral("Landscape"), true);
    cboPaperSize = makeBox(this, "cboPaperSize");
    cboSides = makeBox(this, "cboSides");
    cboQuality = makeBox(this, "cboQuality");
    cboColor = makeBox(this, "cboColor");
    cboPaperSource = makeBox(this, "cboPaperSource");
    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdCancel = new QPushButton(QStringLiteral("Cancel"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("&Printer:"), cboPrinter);
    form->addRow(lblStatus);
    auto* copies = new QHBoxLayout;
    copies->addWidget(txtCopies);
    copies->addWidget(chkCollate);
    copies->addStretch();
    form->addRow(QStringLiteral("&Copies:"), copies);
    form->addRow(QStringLiteral("&Orientation:"), cboOrientation);
    form->addRow(QStringLiteral("Paper &size:"), cboPaperSize);
    form->addRow(QStringLiteral("&Two-sided:"), cboSides);
    form->addRow(QStringLiteral("&Quality:"), cboQuality);
    form->addRow(QStringLiteral("Colo&ur:"), cboColor);
    form->addRow(QStringLiteral("Paper sou&rce:"), cboPaperSource);
    if (auto* label = qobject_cast<QLabel*>(form->labelForField(copies)))
        label->setBuddy(txtCopies);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);
    auto* top = new QVBoxLayout(this);
    top->addLayout(form);
    top->addLayout(buttons);
    SetDialogButtons(cmdOK, cmdCancel);

    cboOrientation->setCurrentIndex(settings_.landscape ? 1 : 0);
    chkCollate->setChecked(settings_.collate);
    cboPrinter->setCurrentIndex(std::max(0, cboPrinter->findData(queues.chosen)));
    if (queues.options.known)
        known_.insert(queues.chosen, queues.options);
    cboPrinter_Click();
    connect(cboPrinter, &QComboBox::currentIndexChanged, this, [this] { cboPrinter_Click(); });
    connect(txtCopies, &QSpinBox::valueChanged, this,
            [this](int copies) { chkCollate->setEnabled(cmdOK->isEnabled() && copies > 1); });
    connect(cmdOK, &QPushButton::clicked, this, [this] { cmdOK_Click(); });
    connect(cmdCancel, &QPushButton::clicked, this, [this] { cmdCancel_Click(); });
}

QString PrinterDialog::currentQueue() const {
    return cboPrinter->currentData().toString();
}

void PrinterDialog::enableOptions(bool enabled) {
    for (QWidget* w :
         std::initializer_list<QWidget*>{txtCopies, cboOrientation, cboPaperSize, cboSides,
                                         cboQuality, cboColor, cboPaperSource, cmdOK})
        w->setEnabled(enabled);
    chkCollate->setEnabled(enabled && txtCopies->value() > 1);
}

void PrinterDialog::showOptions(const platform::PrinterOptions& options) {
    // What the queue does not offer starts from its default, as a print on it would.
    PrintSettings fitted = settings_;
    fitted.FitTo(options);
    // Each paper by the name the queue's description gives it (platform::QueuePaperNames).
    fill(cboPaperSize, options.media, fitted.media, [&options](const QByteArray& keyword) {
        const QString name = options.paperNames.value(keyword);
        return name.isEmpty() ? platform::ReadablePaperName(keyword) : name;
    });
    fill(cboSides, options.sides, fitted.sides, sidesText);
    fill(cboQuality, options.qualities, fitted.quality, qualityText);
    fill(cboColor, options.colorModes, fitted.colorMode, colorText);
    fill(cboPaperSource, options.sources, fitted.source, sourceText);
    txtCopies->setRange(1, std::max(1, options.copiesMax));
    txtCopies->setValue(fitted.copies);
    // What the server says of the printer, a line each.
    about_.clear();
    if (!options.model.isEmpty())
        about_ << QStringLiteral("Type: %1").arg(options.model);
    if (!options.location.isEmpty())
        about_ << QStringLiteral("Where: %1").arg(options.location);
    showAbout();
    shownQueue_ = currentQueue();
    enableOptions(true);
}

void PrinterDialog::showAbout() {
    // Each line cut short of the line's width, so that it stays one line.
    const QFontMetrics metrics = lblStatus->fontMetrics();
    const int width = lblStatus->contentsRect().width();
    QStringList lines;
    for (const QString& line : about_)
        lines << metrics.elidedText(line, Qt::ElideRight, width);
    lblStatus->setText(lines.join(QLatin1Char('\n')));
}

bool PrinterDialog::eventFilter(QObject* watched, QEvent* event) {
    if (watched == lblStatus && event->type() == QEvent::Resize && !shownQueue_.isEmpty())
        showAbout();
    return Form::eventFilter(watched, event);
}

void PrinterDialog::cboPrinter_Click() {
    // What was chosen for the printer before is what the next one starts from.
    if (!shownQueue_.isEmpty())
        settings_ = Chosen();
    shownQueue_.clear();
    const QString queue = currentQueue();
    const int ticket = ++ticket_;
    if (const auto it = known_.constFind(queue); it != known_.cend()) {
        showOptions(*it);
        return;
    }
    enableOptions(false);
    lblStatus->setText(QStringLiteral("Asking the print server about this printer..."));
    struct Answer {
        platform::PrintServerReach reach = platform::PrintServerReach::NoAnswer;
        platform::PrinterOptions options;
    };
    auto answer = std::make_shared<Answer>();
    RunInBackground(
        this,
        [answer, queue] { answer->options = platform::QueryPrinterOptions(queue, &answer->reach); },
        [this, answer, queue, ticket] { answered(queue, ticket, answer->reach, answer->options); });
}

void PrinterDialog::answered(const QString& queue, int ticket, platform::PrintServerReach reach,
                             const platform::PrinterOptions& options) {
    if (reach == platform::PrintServerReach::Answered && options.known)
        known_.insert(queue, options);
    // Another printer was chosen meanwhile: its own answer decides.
    if (ticket != ticket_ || closed_)
        return;
    if (known_.contains(queue)) {
        showOptions(known_.value(queue));
        return;
    }
    QString why;
    switch (ReachOf(reach)) {
    case PrintQueues::NoAnswer:
        why = QStringLiteral("The print server does not answer (not within %1 seconds)")
                  .arg((platform::PrintServerDeadline() + 999) / 1000);
        break;
    case PrintQueues::NotRunning:
        why = QStringLiteral("The print server is not running");
        break;
    case PrintQueues::Answered:
        why = QStringLiteral("The print server no longer has this printer");
        break;
    }
    lblStatus->setText(why +
                       QStringLiteral(", so this printer's options are unknown. Choose another "
                                      "printer."));
}

PrintSettings PrinterDialog::Chosen() const {
    PrintSettings chosen = settings_;
    const QString queue = currentQueue();
    chosen.queue = queue;
    // Another printer than the one the dialog opened with stays the printer, whatever the
    // server's default becomes.
    chosen.trackDefault = tracking_ && queue == preselected_;
    chosen.landscape = cboOrientation->currentData().toBool();
    chosen.media = chosenIn(cboPaperSize, chosen.media);
    chosen.sides = chosenIn(cboSides, chosen.sides);
    chosen.quality = chosenIn(cboQuality, chosen.quality);
    chosen.colorMode = chosenIn(cboColor, chosen.colorMode);
    chosen.source = chosenIn(cboPaperSource, chosen.source);
    chosen.copies = txtCopies->value();
    chosen.collate = chkCollate->isChecked();
    if (const auto it = known_.constFind(queue); it != known_.cend())
        chosen.FitTo(*it);
    return chosen;
}

void PrinterDialog::cmdOK_Click() {
    if (!known_.contains(currentQueue()))
        return;
    accepted_ = true;
    hide();
}

void PrinterDialog::cmdCancel_Click() {
    accepted_ = false;
    hide();
}

bool PrinterDialog::Run(QWidget* owner) {
    QPointer<PrinterDialog> self(this);
    // Above an owner kept on top, as the system's own dialogs are above the window that owns
    // them.
    KeepAboveOwner(this, owner);
    CenterOver(owner);
    Show(vbModal);
    if (!self)
        return false;
    closed_ = true;
    return accepted_;
}

} // namespace runtime
