// Opening the dialog with the stored settings, and its three ways out: OK, Cancel and the
// close box; Restore Defaults only refills the controls.
#include "frmPrayerSettings.h"

#include "core/cNonClientMetrics.h"
#include "core/mAPI.h"
#include "core/mMain.h"
#include "core/settings.h"
#include "mainwindow/frmTallix.h"
#include "runtime/App.h"
#include "runtime/Convert.h"
#include "runtime/Interaction.h"
#include "runtime/ResStrings.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QSignalBlocker>
#include <QTabWidget>

void frmPrayerSettings::Form_Load() {
    SetBusy(true);
    ToolTips = std::make_unique<clsToolTip>();
    if (ToolTips->Create(this)) {
        ToolTips->MaxTipWidth(40);
        ToolTips->DelayTime(2, 30000);
        ToolTips->ToolTipHeaderShow(false);
    }
    ApplySystemFont(this);
    SetTopMost(hWnd(), true);
    TranslateForm();

    setListIndex(cboFajrDegrees, gFajrDegrees);
    setListIndex(cboIshaDegrees, gIshaDegrees);
    setListIndex(cboFajrDegreesDifference, gFajrDegreesDifference);
    setListIndex(cboIshaMinutes, gIshaMinutes);
    setListIndex(cboMaghribMinutes, gMaghribMinutes);
    setListIndex(cboDhuhrMinutes, gDhuhrMinutes);
    setListIndex(cboRounding, gRounding);
    for (int i = 1; i <= 6; ++i)
        setListIndex(cboMinuteAdjust[i], gMinuteAdjust[i] + 10);
    chkMinuteAdjust->setChecked(gMinuteAdjustActive == 1);

    // The place list; the default-method table is still empty, so whatever method the saved
    // country's handling selects is replaced below by the stored one.
    // The first place that holds a file decides; when none does, the first is named.
    QString reason;
    for (const QString& path : PlaceFileCandidates()) {
        QString why;
        XmlLoaded = Places.Open(path, &why);
        if (reason.isEmpty() || QFileInfo::exists(path))
            reason = why;
        if (XmlLoaded || QFileInfo::exists(path))
            break;
    }
    PlaceFileProblem = XmlLoaded ? QString() : reason;
    if (XmlLoaded) {
        const QSignalBlocker blockList(lstCountry);
        const QSignalBlocker blockCombo(cboCountry);
        for (int i = 0; i < Places.CountryCount(); ++i) {
            lstCountry->addItem(Places.CountryName(i));
            cboCountry->addItem(Places.CountryName(i));
        }
        lstCountry->setCurrentRow(-1);
        cboCountry->setCurrentIndex(-1);
    }
    if (XmlLoaded) {
        setListIndex(lstCountry, gCountryIndex);
        setListIndex(lstCity, CityRow(gCityIndex)); // the stored position is the file's
    } else {
        LoadCountryNames();
        fillCombo(cboCountry, QStringList(Countries.begin(), Countries.begin() + kCountryCount));
        fraLocationByList->setEnabled(false);
        for (auto [lst, text] : {std::pair{lstCountry, CountryListUnavailableText},
                                 std::pair{lstCity, CityListUnavailableText}}) {
            const QSignalBlocker block(lst);
            lst->clear();
            lst->setWordWrap(true);
            lst->addItem(text);
            lst->setCurrentRow(-1);
        }
        lblCountries->setEnabled(false);
        lblCities->setEnabled(false);
        fraLocation->setTitle(LocationManualCaption);
        lblPlaceFile->setText(LoadResString(603) + QLatin1Char(' ') + PlaceFileProblem);
        lblPlaceFile->show();
        setListIndex(cboCountry, gCountryIndex);
    }
    // The country box as wide as its longest name: the layout would squeeze an editable box
    // below the width its names need.
    cboCountry->setMinimumWidth(cboCountry->sizeHint().width());
    // At most 50 characters can be typed as the city; a longer stored name is not cut.
    cboCity->lineEdit()->setMaxLength(std::max<int>(50, static_cast<int>(gCityName.size())));
    cboCity->setEditText(gCityName);
    cboCity->lineEdit()->setCursorPosition(0); // the same text again moved it to the end
    txtProvince->setText(gProvince);
    FillDefaultMethods();
    if (gCalcMethod >= 0 && gCalcMethod < 8)
        optCalculationMethod[gCalcMethod]->setChecked(true);
    setCoordinateText(txtLatitude, gLatitude);
    setCoordinateText(txtLongitude, gLongitude);
    setListIndex(cboDaylightSavingsTime, gDaylightSavingsTime);
    FillWindowsTimeZones();
    if (gDaylightSavings >= 0 && gDaylightSavings < 3)
        optDayLightSavings[gDaylightSavings]->setChecked(true);
    SetZoneIndex(gTimeZone);
    if (gJuristicMethod == 1 || gJuristicMethod == 2)
        optJuristicMethod[gJuristicMethod]->setChecked(true);
    if (gJuristicMethod == 1) {
        optCalculationMethod[2]->setVisible(true);
        optCalculationMethod[3]->setVisible(false);
    } else if (gJuristicMethod == 2) {
        optCalculationMethod[3]->setVisible(true);
        optCalculationMethod[2]->setVisible(false);
    }
    // The enabling rules of the options in force, whether or not selecting them ran them.
    const int method = SelectedOption(optCalculationMethod);
    if (method >= 0)
        optCalculationMethod_Click(method);
    const int dst = SelectedOption(optDayLightSavings);
    if (dst >= 0)
        optDayLightSavings_Click(dst);

    Changed = false;
    tabMain->setCurrentIndex(gStartTab == 1 ? 1 : 0);
    SetBusy(false);
    DoEvents();
}

void frmPrayerSettings::Form_Activate() {
    for (QListWidget* lst : {lstCountry, lstCity}) {
        lst->setFixedHeight(2175 / 15);
        if (lst->currentItem())
            lst->scrollToItem(lst->currentItem(), QAbstractItemView::PositionAtCenter);
    }
}

void frmPrayerSettings::cmdSave_Click() {
    if (!Changed) {
        Unload();
        return;
    }
    // Out-of-range coordinates are told, and the dialog stays open to correct them.
    if (!CoordinatesAcceptable())
        return;
    if (optDayLightSavings[0]->isChecked() &&
        !cboWindowsTimezone->currentText().contains(cboTimezone->currentText(),
                                                    Qt::CaseInsensitive)) {
        QString question = ZoneQuestionText;
        question.replace(QStringLiteral("<BR>"), QStringLiteral("\n"));
        if (MsgBox(question, vbYesNo | vbExclamation, App.Title) != vbYes)
            return;
    }
    if (!SaveSettings())
        return;
    Changed = false;
    if (WaitingForSystemZone) {
        ShowSystemZoneWait();
        return;
    }
    Unload();
}

void frmPrayerSettings::cmdExit_Click() {
    Unload();
}

void frmPrayerSettings::cmdDefaults_Click() {
    if (MsgBox(DefaultsQuestionText, vbYesNo | vbQuestion, App.Title) != vbYes)
        return;
    SetZoneIndex(36);
    setCoordinateText(txtLatitude, 21.4233);
    setCoordinateText(txtLongitude, 39.8233);
    if (XmlLoaded) {
        setListIndex(lstCountry, 197);
        setListIndex(lstCity, CityRow(90));
    } else {
        setListIndex(cboCountry, 197);
        cboCity->setEditText(DefaultCityText);
    }
    txtProvince->setText(QString());
    optJuristicMethod[1]->setChecked(true);
    optCalculationMethod[6]->setChecked(true);
    setListIndex(cboFajrDegrees, 20);
    setListIndex(cboIshaDegrees, 20);
    setListIndex(cboFajrDegreesDifference, 20);
    setListIndex(cboIshaMinutes, 0);
    setListIndex(cboMaghribMinutes, 1);
    chkMinuteAdjust->setChecked(false);
    for (int i = 1; i <= 6; ++i)
        setListIndex(cboMinuteAdjust[i], 10);
    setListIndex(cboDhuhrMinutes, 1);
    setListIndex(cboRounding, 2);
    setListIndex(cboDaylightSavingsTime, 1);
    optDayLightSavings[0]->setChecked(true);
    if (optDayLightSavings[0]->isEnabled() && !CurrentZoneDisplayName.isEmpty())
        cboWindowsTimezone->setCurrentIndex(cboWindowsTimezone->findText(CurrentZoneDisplayName));
    Changed = true;
}

void frmPrayerSettings::Form_Unload(int* cancel) {
    Countries.fill(QString());
    DefaultMethod.fill(0);
    Places.Close();
    ShownCountry = -1;
    ShownCities.clear();
    ShownOrder.clear();
    ToolTips.reset();
    DoEvents();
    RecomputeMainWindow();
}

void frmPrayerSettings::RecomputeMainWindow() {
    if (frmTallix* main = MainWindow())
        main->RefreshPrayers();
}
