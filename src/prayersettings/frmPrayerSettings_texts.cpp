// Every text the dialog shows, and its fixed value lists; a list's positions are the stored
// values.
#include "frmPrayerSettings.h"

#include "runtime/Convert.h"
#include "runtime/ResStrings.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>

namespace {

QString res(int id) {
    return LoadResString(id);
}

} // namespace

void frmPrayerSettings::TranslateForm() {
    QStringList items;
    for (int i = 0; i <= 3; ++i)
        items << Str((i + 1) * 0.5) + res(i < 2 ? 204 : 205);
    fillCombo(cboDaylightSavingsTime, items);
    items.clear();
    for (int i = 0; i <= 90; ++i)
        items << QString::number(i);
    fillCombo(cboDhuhrMinutes, items);
    items.clear();
    for (int i = 0; i <= 50; ++i)
        items << Str(i * 0.5);
    fillCombo(cboFajrDegrees, items);
    fillCombo(cboFajrDegreesDifference, items);
    fillCombo(cboIshaDegrees, items);
    items.clear();
    for (int i = 0; i <= 18; ++i)
        items << QString::number(30 + 5 * i);
    fillCombo(cboIshaMinutes, items);
    items.clear();
    for (int i = 0; i <= 15; ++i)
        items << QString::number(i);
    fillCombo(cboMaghribMinutes, items);
    items.clear();
    for (int i = -10; i <= 10; ++i)
        items << (i > 0 ? QStringLiteral("+%1").arg(i) : QString::number(i));
    for (int i = 1; i <= 6; ++i)
        fillCombo(cboMinuteAdjust[i], items);

    chkMinuteAdjust->setText(res(440));
    setTip(chkMinuteAdjust, LoadResStringLines(441));
    setTip(fraMinuteAdjust, LoadResStringLines(441));
    for (int i = 1; i <= 6; ++i)
        lblMinuteAdjust[i]->setText(res(441 + i));
    fillCombo(cboRounding, {res(206), res(207), res(208), res(209)});
    FillGmtOffsets();

    cmdDefaults->setText(res(210));
    cmdExit->setText(res(211));
    cmdSave->setText(res(212));
    fraAngleDegrees->setTitle(res(213));
    fraAngleTimeDifference->setTitle(res(214));
    fraCalculationMethod->setTitle(res(215));
    setTip(fraCalculationMethod, LoadResStringLines(216));
    fraDaylightSavings->setTitle(res(217));
    fraDhuhrMinutes->setTitle(res(218));
    fraJuristicMethod->setTitle(res(219));
    setTip(fraJuristicMethod, LoadResStringLines(220));
    fraLocation->setTitle(res(221));
    fraLocationByList->setTitle(res(222));
    fraMaghribMinutes->setTitle(res(223));
    fraRounding->setTitle(res(224));
    setTip(fraRounding, LoadResStringLines(225));
    setWindowTitle(res(226));
    lblCities->setText(res(227));
    lblCity->setText(res(228));
    lblCountries->setText(res(229));
    lblCountry->setText(res(230));
    lblDhuhrMinutes->setText(res(231));
    lblFajrDegrees->setText(res(232));
    lblFajrDegreesDifference->setText(res(233));
    lblIshaDegrees->setText(res(234));
    lblIshaMinutes->setText(res(235));
    lblLatitude->setText(res(236));
    lblLongitude->setText(res(237));
    lblMaghribMinutes->setText(res(238));
    lblProvince->setText(res(239));
    lblTimezone->setText(res(240));
    const int captions[7] = {0, 241, 243, 243, 245, 247, 249};
    for (int i = 1; i <= 6; ++i) {
        optCalculationMethod[i]->setText(res(captions[i]));
        optCalculationMethod[i]->setToolTip(res(captions[i] + 1));
    }
    for (int i = 0; i < 3; ++i)
        optDayLightSavings[i]->setText(res(251 + i));
    setTip(optDayLightSavings[0], LoadResStringLines(254));
    optJuristicMethod[1]->setText(res(255));
    optJuristicMethod[2]->setText(res(256));
    tabMain->setTabText(0, res(257));
    tabMain->setTabText(1, res(258));

    LocationManualCaption = res(259);
    for (int i = 0; i < 4; ++i)
        RoundingText[i] = res(260 + i);
    DefaultCityText = res(264);
    DefaultsQuestionText = res(266);
    ZoneQuestionText = res(267);
    ZoneListUnavailableText = res(269);
    CountryListUnavailableText = res(270);
    CityListUnavailableText = res(271);
}
