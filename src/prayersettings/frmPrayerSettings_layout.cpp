// The dialog's controls and their places on the two pages.
#include "frmPrayerSettings.h"

#include "core/mMain.h"
#include "core/numfilter.h"
#include "core/settings.h"
#include "runtime/FocusFrame.h"
#include "runtime/Interaction.h"
#include "runtime/ScrollPage.h"

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
        ShowListFocus(lst);
    }
    top->addWidget(fraLocationByList, 3);

    fraLocation = named<QGroupBox>(location, "fraLocation");
    auto* manual = new QGridLayout(fraLocation);
    cboCountry = named<QComboBox>(fraLocation, "cboCountry");
    cboCountry->setEditable(true);
    cboCountry->setInsertPolicy(QComboBox::NoInsert);
    // As wide as the longest country it lists ("South Georgia The South Sandwitch Islands").
    cboCountry->setSizeAdjustPolicy(QComboBox::AdjustToContents);
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
    tabMain->addTab(new ScrollPage(location, tabMain), QString());

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
    tabMain->addTab(new ScrollPage(method, tabMain), QString());

    // ---- buttons ----
    auto* buttons = new QHBoxLayout;
    cmdDefaults = named<QPushButton>(this, "cmdDefaults");
    cmdSave = named<QPushButton>(this, "cmdSave");
    cmdExit = named<QPushButton>(this, "cmdExit");
    // The line that says OK waits for the system to take the new zone; hidden until then.
    lblSystemZone = named<QLabel>(this, "lblSystemZone");
    lblSystemZone->setWordWrap(true);
    lblSystemZone->hide();
    buttons->addWidget(cmdDefaults);
    buttons->addWidget(lblSystemZone, 1);
    buttons->addStretch(0);
    buttons->addWidget(cmdSave);
    buttons->addWidget(cmdExit);
    outer->addLayout(buttons);
}
