// The calculation conventions keep each other consistent: a custom method's fields are open
// only while it is chosen, the Karachi option follows the Asr convention, and under the two
// methods that give Ishaa as minutes after Maghrib the Ishaa adjustment is closed.
#include "frmPrayerSettings.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>

void frmPrayerSettings::optCalculationMethod_Click(int Index) {
    for (QWidget* w : std::initializer_list<QWidget*>{
             lblFajrDegrees, lblIshaDegrees, cboFajrDegrees, cboIshaDegrees,
             lblFajrDegreesDifference, lblIshaMinutes, cboFajrDegreesDifference, cboIshaMinutes})
        w->setEnabled(false);
    if (Index == 0) {
        for (QWidget* w : std::initializer_list<QWidget*>{lblFajrDegrees, lblIshaDegrees,
                                                          cboFajrDegrees, cboIshaDegrees})
            w->setEnabled(true);
    } else if (Index == 7) {
        for (QWidget* w : std::initializer_list<QWidget*>{lblFajrDegreesDifference, lblIshaMinutes,
                                                          cboFajrDegreesDifference, cboIshaMinutes})
            w->setEnabled(true);
    }
    chkMinuteAdjust_Click();
    markChanged();
}

void frmPrayerSettings::optJuristicMethod_Click(int Index) {
    const int shown = Index == 2 ? 3 : 2;
    const int hidden = Index == 2 ? 2 : 3;
    optCalculationMethod[shown]->setVisible(true);
    optCalculationMethod[hidden]->setVisible(false);
    if (optCalculationMethod[hidden]->isChecked())
        optCalculationMethod[shown]->setChecked(true);
    markChanged();
}

void frmPrayerSettings::fraAngleDegrees_Click() {
    optCalculationMethod[0]->setChecked(true);
    optCalculationMethod[0]->setFocus();
}

void frmPrayerSettings::fraAngleTimeDifference_Click() {
    optCalculationMethod[7]->setChecked(true);
    optCalculationMethod[7]->setFocus();
}

void frmPrayerSettings::chkMinuteAdjust_Click() {
    if (!chkMinuteAdjust->isChecked()) {
        for (int i = 1; i <= 6; ++i) {
            lblMinuteAdjust[i]->setEnabled(false);
            cboMinuteAdjust[i]->setEnabled(false);
        }
    } else {
        for (int i = 1; i <= 5; ++i) {
            lblMinuteAdjust[i]->setEnabled(true);
            cboMinuteAdjust[i]->setEnabled(true);
        }
        const bool ishaaFromMaghrib =
            optCalculationMethod[6]->isChecked() || optCalculationMethod[7]->isChecked();
        lblMinuteAdjust[6]->setEnabled(!ishaaFromMaghrib);
        cboMinuteAdjust[6]->setEnabled(!ishaaFromMaghrib);
    }
    markChanged();
}

void frmPrayerSettings::cboRounding_Click() {
    const int p = cboRounding->currentIndex();
    if (p >= 0 && p <= 3)
        setTip(cboRounding, RoundingText[p]);
    markChanged();
}

void frmPrayerSettings::optDayLightSavings_Click(int Index) {
    if (Index == 0) {
        cboWindowsTimezone->setEnabled(optDayLightSavings[0]->isEnabled());
        cboDaylightSavingsTime->setEnabled(false);
    } else if (Index == 1) {
        cboWindowsTimezone->setEnabled(false);
        cboDaylightSavingsTime->setEnabled(true);
    } else {
        cboWindowsTimezone->setEnabled(false);
        cboDaylightSavingsTime->setEnabled(false);
    }
    markChanged();
}
