// The dialog's controls, their places on the two pages, and which handler each one runs.
#include "frmPrayerSettings.h"

#include "core/mMain.h"
#include "core/numfilter.h"
#include "preferences/frmPreferences.h"
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
#include <QSignalBlocker>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

template <typename T> T* named(QWidget* parent, const char* name) {
    auto* w = new T(parent);
    w->setObjectName(QString::fromLatin1(name));
    return w;
}

QLabel* label(QWidget* parent, const char* name, QWidget* buddy) {
    auto* l = named<QLabel>(parent, name);
    l->setBuddy(buddy);
    return l;
}

} // namespace

frmPrayerSettings::frmPrayerSettings(QWidget* parent)
    : Form(QStringLiteral("frmPrayerSettings"), parent) {
    setWindowFlag(Qt::Dialog);
    createControls();
    connectHandlers();
}

frmPrayerSettings::~frmPrayerSettings() = default;

void frmPrayerSettings::createControls() {
    auto* outer = new QVBoxLayout(this);
    tabMain = named<QTabWidget>(this, "tabMain");
    outer->addWidget(tabMain);

    // ---- page 0: location ----
    auto* location = new QWidget(tabMain);
    auto* locationLayout = new QVBoxLayout(location);
    auto* top = new QHBoxLayout;
    locationLayout->addLayout(top);

    fraLocationByList = named<QGroupBox>(location, "fraLocationByList");
    auto* byList = new QGridLayout(fraLocationByList);
    lstCountry = named<QListWidget>(fraLocationByList, "lstCountry");
    lstCity = named<QListWidget>(fraLocationByList, "lstCity");
    lblCountries = label(fraLocationByList, "lblCountries", lstCountry);
    lblCities = label(fraLocationByList, "lblCities", lstCity);
    byList->addWidget(lblCountries, 0, 0);
    byList->addWidget(lblCities, 0, 1);
    byList->addWidget(lstCountry, 1, 0);
    byList->addWidget(lstCity, 1, 1);
    for (QListWidget* lst : {lstCountry, lstCity}) {
        lst->setMinimumWidth(200);
        lst->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        lst->setTextElideMode(Qt::ElideRight);
        lst->setFixedHeight(2175 / 15);
    }
    top->addWidget(fraLocationByList, 3);

    fraLocation = named<QGroupBox>(location, "fraLocation");
    auto* manual = new QGridLayout(fraLocation);
    cboCountry = named<QComboBox>(fraLocation, "cboCountry");
    cboCountry->setEditable(true);
    cboCountry->setInsertPolicy(QComboBox::NoInsert);
    cboCity = named<QComboBox>(fraLocation, "cboCity");
    cboCity->setEditable(true);
    cboCity->setInsertPolicy(QComboBox::NoInsert);
    cboCity->lineEdit()->setMaxLength(50);
    txtProvince = named<QLineEdit>(fraLocation, "txtProvince");
    txtLatitude = named<QLineEdit>(fraLocation, "txtLatitude");
    txtLongitude = named<QLineEdit>(fraLocation, "txtLongitude");
    // The coordinate boxes offer no context menu: its Paste would pass by the key filter.
    txtLatitude->setContextMenuPolicy(Qt::NoContextMenu);
    txtLongitude->setContextMenuPolicy(Qt::NoContextMenu);
    cboTimezone = named<QComboBox>(fraLocation, "cboTimezone");
    lblCountry = label(fraLocation, "lblCountry", cboCountry);
    lblCity = label(fraLocation, "lblCity", cboCity);
    lblProvince = label(fraLocation, "lblProvince", txtProvince);
    lblLatitude = label(fraLocation, "lblLatitude", txtLatitude);
    lblLongitude = label(fraLocation, "lblLongitude", txtLongitude);
    lblTimezone = label(fraLocation, "lblTimezone", cboTimezone);
    int row = 0;
    for (auto [lbl, ctl] : {std::pair<QLabel*, QWidget*>{lblCountry, cboCountry},
                            {lblCity, cboCity},
                            {lblProvince, txtProvince},
                            {lblLatitude, txtLatitude},
                            {lblLongitude, txtLongitude},
                            {lblTimezone, cboTimezone}}) {
        manual->addWidget(lbl, row, 0);
        manual->addWidget(ctl, row++, 1);
    }
    manual->setColumnStretch(1, 1);
    manual->setColumnMinimumWidth(1, 150);
    manual->setRowStretch(row, 1);
    top->addWidget(fraLocation, 2);

    fraDaylightSavings = named<QGroupBox>(location, "fraDaylightSavings");
    auto* dst = new QGridLayout(fraDaylightSavings);
    auto* dstGroup = new QButtonGroup(fraDaylightSavings);
    for (int i = 0; i < 3; ++i) {
        optDayLightSavings[i] = named<QRadioButton>(fraDaylightSavings, "optDayLightSavings");
        optDayLightSavings[i]->setProperty("Index", i);
        dstGroup->addButton(optDayLightSavings[i], i);
        dst->addWidget(optDayLightSavings[i], i, 0);
    }
    cboWindowsTimezone = named<QComboBox>(fraDaylightSavings, "cboWindowsTimezone");
    cboDaylightSavingsTime = named<QComboBox>(fraDaylightSavings, "cboDaylightSavingsTime");
    dst->addWidget(cboWindowsTimezone, 0, 1);
    dst->addWidget(cboDaylightSavingsTime, 1, 1, Qt::AlignLeft);
    dst->setColumnStretch(1, 1);
    locationLayout->addWidget(fraDaylightSavings);

    lblPlaceFile = named<QLabel>(location, "lblPlaceFile");
    lblPlaceFile->setWordWrap(true);
    lblPlaceFile->hide();
    locationLayout->addWidget(lblPlaceFile);
    locationLayout->addStretch(1);
    tabMain->addTab(location, QString());

    // ---- page 1: calculation method ----
    auto* method = new QWidget(tabMain);
    auto* methodLayout = new QGridLayout(method);

    fraCalculationMethod = named<QGroupBox>(method, "fraCalculationMethod");
    auto* methods = new QVBoxLayout(fraCalculationMethod);
    auto* methodGroup = new QButtonGroup(fraCalculationMethod);
    for (int i = 0; i < 8; ++i) {
        optCalculationMethod[i] = named<QRadioButton>(fraCalculationMethod, "optCalculationMethod");
        optCalculationMethod[i]->setProperty("Index", i);
        methodGroup->addButton(optCalculationMethod[i], i);
    }
    auto angleFrame = [&](QGroupBox*& fra, const char* name, QRadioButton* opt, QComboBox*& cbo1,
                          const char* cbo1Name, QLabel*& lbl1, const char* lbl1Name,
                          QComboBox*& cbo2, const char* cbo2Name, QLabel*& lbl2,
                          const char* lbl2Name) {
        fra = named<QGroupBox>(fraCalculationMethod, name);
        auto* grid = new QGridLayout(fra);
        opt->setParent(fra);
        cbo1 = named<QComboBox>(fra, cbo1Name);
        cbo2 = named<QComboBox>(fra, cbo2Name);
        lbl1 = label(fra, lbl1Name, cbo1);
        lbl2 = label(fra, lbl2Name, cbo2);
        grid->addWidget(opt, 0, 0, 2, 1, Qt::AlignTop);
        grid->addWidget(cbo1, 0, 1);
        grid->addWidget(lbl1, 0, 2);
        grid->addWidget(cbo2, 1, 1);
        grid->addWidget(lbl2, 1, 2);
        grid->setColumnStretch(2, 1);
        fra->installEventFilter(this);
        methods->addWidget(fra);
    };
    angleFrame(fraAngleDegrees, "fraAngleDegrees", optCalculationMethod[0], cboFajrDegrees,
               "cboFajrDegrees", lblFajrDegrees, "lblFajrDegrees", cboIshaDegrees, "cboIshaDegrees",
               lblIshaDegrees, "lblIshaDegrees");
    for (int i = 1; i <= 6; ++i)
        methods->addWidget(optCalculationMethod[i]);
    angleFrame(fraAngleTimeDifference, "fraAngleTimeDifference", optCalculationMethod[7],
               cboFajrDegreesDifference, "cboFajrDegreesDifference", lblFajrDegreesDifference,
               "lblFajrDegreesDifference", cboIshaMinutes, "cboIshaMinutes", lblIshaMinutes,
               "lblIshaMinutes");
    methodLayout->addWidget(fraCalculationMethod, 0, 0, 4, 1);

    fraJuristicMethod = named<QGroupBox>(method, "fraJuristicMethod");
    auto* juristic = new QVBoxLayout(fraJuristicMethod);
    for (int i = 1; i <= 2; ++i) {
        optJuristicMethod[i] = named<QRadioButton>(fraJuristicMethod, "optJuristicMethod");
        optJuristicMethod[i]->setProperty("Index", i);
        juristic->addWidget(optJuristicMethod[i]);
    }
    methodLayout->addWidget(fraJuristicMethod, 0, 1);

    auto minutesFrame = [&](QGroupBox*& fra, const char* name, QComboBox*& cbo, const char* cboName,
                            QLabel** lbl, const char* lblName) {
        fra = named<QGroupBox>(method, name);
        auto* h = new QHBoxLayout(fra);
        cbo = named<QComboBox>(fra, cboName);
        h->addWidget(cbo);
        if (lbl) {
            *lbl = label(fra, lblName, cbo);
            h->addWidget(*lbl, 1);
        } else {
            h->addStretch(1);
        }
    };
    minutesFrame(fraMaghribMinutes, "fraMaghribMinutes", cboMaghribMinutes, "cboMaghribMinutes",
                 &lblMaghribMinutes, "lblMaghribMinutes");
    minutesFrame(fraDhuhrMinutes, "fraDhuhrMinutes", cboDhuhrMinutes, "cboDhuhrMinutes",
                 &lblDhuhrMinutes, "lblDhuhrMinutes");
    minutesFrame(fraRounding, "fraRounding", cboRounding, "cboRounding", nullptr, nullptr);
    methodLayout->addWidget(fraMaghribMinutes, 1, 1);
    methodLayout->addWidget(fraDhuhrMinutes, 2, 1);
    methodLayout->addWidget(fraRounding, 3, 1);

    fraMinuteAdjust = named<QGroupBox>(method, "fraMinuteAdjust");
    auto* adjust = new QGridLayout(fraMinuteAdjust);
    chkMinuteAdjust = named<QCheckBox>(fraMinuteAdjust, "chkMinuteAdjust");
    adjust->addWidget(chkMinuteAdjust, 0, 0, 1, 6);
    for (int i = 1; i <= 6; ++i) {
        cboMinuteAdjust[i] = named<QComboBox>(fraMinuteAdjust, "cboMinuteAdjust");
        cboMinuteAdjust[i]->setProperty("Index", i);
        lblMinuteAdjust[i] = label(fraMinuteAdjust, "lblMinuteAdjust", cboMinuteAdjust[i]);
        const int r = 1 + (i - 1) / 3;
        const int c = 2 * ((i - 1) % 3);
        adjust->addWidget(lblMinuteAdjust[i], r, c, Qt::AlignRight);
        adjust->addWidget(cboMinuteAdjust[i], r, c + 1, Qt::AlignLeft);
    }
    methodLayout->addWidget(fraMinuteAdjust, 4, 0, 1, 2);
    methodLayout->setRowStretch(5, 1);
    tabMain->addTab(method, QString());

    // ---- buttons ----
    auto* buttons = new QHBoxLayout;
    cmdDefaults = named<QPushButton>(this, "cmdDefaults");
    cmdSave = named<QPushButton>(this, "cmdSave");
    cmdExit = named<QPushButton>(this, "cmdExit");
    cmdSave->setDefault(true);
    buttons->addWidget(cmdDefaults);
    buttons->addStretch(1);
    buttons->addWidget(cmdSave);
    buttons->addWidget(cmdExit);
    outer->addLayout(buttons);
}

void frmPrayerSettings::connectHandlers() {
    connect(cmdSave, &QPushButton::clicked, this, [this] { cmdSave_Click(); });
    connect(cmdExit, &QPushButton::clicked, this, [this] { cmdExit_Click(); });
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
    if (e->type() == QEvent::WindowActivate)
        Form_Activate();
    return Form::event(e);
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
    gStartTab = startTab;
    DoEvents();
    auto* dialog = new frmPrayerSettings();
    dialog->Show(vbModal);
}
