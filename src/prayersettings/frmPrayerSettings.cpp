// The dialog itself: which handler each control runs, and the public way to open it.
#include "frmPrayerSettings.h"

#include "core/mMain.h"
#include "core/numfilter.h"
#include "core/settings.h"
#include "mainwindow/frmTallix.h"
#include "runtime/Interaction.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QShowEvent>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QVBoxLayout>

frmPrayerSettings::frmPrayerSettings(QWidget* parent)
    : Form(QStringLiteral("frmPrayerSettings"), parent) {
    createControls();
    MakeFixedDialog();
    connectHandlers();
}

frmPrayerSettings::~frmPrayerSettings() = default;

void frmPrayerSettings::connectHandlers() {
    connect(cmdSave, &QPushButton::clicked, this, [this] { cmdSave_Click(); });
    connect(cmdExit, &QPushButton::clicked, this, [this] { cmdExit_Click(); });
    // Return is OK from any box or list, Esc is Cancel, as in the preferences.
    SetDialogButtons(cmdSave, cmdExit);
    connect(cmdDefaults, &QPushButton::clicked, this, [this] { cmdDefaults_Click(); });

    // Lists: a position set by the user or by code runs the handler, once per change.
    auto onIndex = [this](QComboBox* cbo, auto handler) {
        connect(cbo, &QComboBox::currentIndexChanged, this,
                [this, handler](int) { (this->*handler)(); });
    };
    auto justChanged = [this](QComboBox* cbo) {
        connect(cbo, &QComboBox::currentIndexChanged, this, [this](int) { markChanged(); });
    };
    for (QComboBox* cbo :
         {cboDaylightSavingsTime, cboDhuhrMinutes, cboFajrDegrees, cboFajrDegreesDifference,
          cboIshaDegrees, cboIshaMinutes, cboMaghribMinutes, cboTimezone})
        justChanged(cbo);
    for (int i = 1; i <= 6; ++i)
        justChanged(cboMinuteAdjust[i]);
    connect(cboWindowsTimezone, &QComboBox::currentIndexChanged, this, [this](int) {
        setTip(cboWindowsTimezone, cboWindowsTimezone->currentText());
        markChanged();
    });
    onIndex(cboRounding, &frmPrayerSettings::cboRounding_Click);
    onIndex(cboCountry, &frmPrayerSettings::cboCountry_Click);
    onIndex(cboCity, &frmPrayerSettings::cboCity_Click);
    connect(lstCountry, &QListWidget::currentRowChanged, this, [this](int) { lstCountry_Click(); });
    connect(lstCity, &QListWidget::currentRowChanged, this, [this](int) { lstCity_Click(); });
    connect(cboCountry->lineEdit(), &QLineEdit::textEdited, this, [this] { cboCountry_Change(); });
    connect(cboCity->lineEdit(), &QLineEdit::textEdited, this, [this] { cboCity_Change(); });
    // A name chosen or set from code shows from its start (a line edit shows its end, where
    // the cursor goes); a name being typed keeps its cursor.
    for (QComboBox* cbo : {cboCountry, cboCity}) {
        QLineEdit* edit = cbo->lineEdit();
        connect(edit, &QLineEdit::textChanged, this, [edit] {
            if (!edit->isModified())
                edit->setCursorPosition(0);
        });
    }
    connect(txtProvince, &QLineEdit::textChanged, this, [this] { txtProvince_Change(); });
    connect(txtLatitude, &QLineEdit::textChanged, this, [this] { markChanged(); });
    connect(txtLongitude, &QLineEdit::textChanged, this, [this] { markChanged(); });

    // Options: selecting one, by the user or by code, runs its handler.
    for (int i = 0; i < 8; ++i)
        connect(optCalculationMethod[i], &QRadioButton::toggled, this, [this, i](bool on) {
            if (on)
                optCalculationMethod_Click(i);
        });
    for (int i = 1; i <= 2; ++i)
        connect(optJuristicMethod[i], &QRadioButton::toggled, this, [this, i](bool on) {
            if (on)
                optJuristicMethod_Click(i);
        });
    for (int i = 0; i < 3; ++i)
        connect(optDayLightSavings[i], &QRadioButton::toggled, this, [this, i](bool on) {
            if (on)
                optDayLightSavings_Click(i);
        });
    connect(chkMinuteAdjust, &QCheckBox::toggled, this, [this] { chkMinuteAdjust_Click(); });

    // The coordinate boxes: keys (and pastes) through their filters, the check on leaving.
    new NumericKeyHook(txtLatitude, [this](std::int16_t& k) { txtLatitude_KeyPress(k); });
    new NumericKeyHook(txtLongitude, [this](std::int16_t& k) { txtLongitude_KeyPress(k); });
    connect(txtLatitude, &QLineEdit::editingFinished, this, [this] { txtLatitude_Validate(); });
    connect(txtLongitude, &QLineEdit::editingFinished, this, [this] { txtLongitude_Validate(); });
    txtLatitude->installEventFilter(this);
    txtLongitude->installEventFilter(this);
}

bool frmPrayerSettings::eventFilter(QObject* watched, QEvent* e) {
    if (e->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(e)->button() == Qt::LeftButton) {
        if (watched == fraAngleDegrees)
            fraAngleDegrees_Click();
        else if (watched == fraAngleTimeDifference)
            fraAngleTimeDifference_Click();
    }
    // Entering a coordinate box selects its text, so typing replaces it.
    if (e->type() == QEvent::FocusIn && (watched == txtLatitude || watched == txtLongitude)) {
        auto* txt = static_cast<QLineEdit*>(watched);
        QMetaObject::invokeMethod(
            txt, [txt] { txt->selectAll(); }, Qt::QueuedConnection);
    }
    return Form::eventFilter(watched, e);
}

bool frmPrayerSettings::event(QEvent* e) {
    // The chosen rows come into view once the lists have their size: at the show, and again
    // when the window becomes active.
    if (e->type() == QEvent::WindowActivate || e->type() == QEvent::Show)
        Form_Activate();
    return Form::event(e);
}

void frmPrayerSettings::showEvent(QShowEvent* e) {
    // Opened by the program (not brought back by the window manager): fitted to the work area
    // before its size is fixed, then placed over the main window with its frame on the work
    // area. It keeps the size the show gave it; growing it to its lists' wishes would make it
    // wider than a small screen.
    if (!e->spontaneous())
        FitOnWorkArea(MainWindow());
    Form::showEvent(e);
    if (!e->spontaneous())
        CenterOver(MainWindow());
}

void frmPrayerSettings::setTip(QWidget* ctl, const QString& text) {
    if (ToolTips)
        SetControlToolTip(*ToolTips, ctl, text);
    else
        ctl->setToolTip(text);
}

void frmPrayerSettings::fillCombo(QComboBox* cbo, const QStringList& items) {
    const QSignalBlocker block(cbo);
    cbo->clear();
    cbo->addItems(items);
    cbo->setCurrentIndex(-1);
}

void frmPrayerSettings::setListIndex(QComboBox* cbo, int index) {
    if (index >= -1 && index < cbo->count())
        cbo->setCurrentIndex(index);
}

void frmPrayerSettings::setListIndex(QListWidget* lst, int index) {
    if (index >= -1 && index < lst->count())
        lst->setCurrentRow(index);
}

void ShowPrayerSettings(std::int16_t startTab) {
    // One modal window at a time: a second request finds the one already open.
    if (BringModalWindowForward())
        return;
    gStartTab = startTab;
    DoEvents();
    auto* dialog = new frmPrayerSettings();
    dialog->Show(vbModal);
}
