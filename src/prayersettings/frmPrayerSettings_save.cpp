// Saving: every value the dialog shows goes to the settings store and is read straight back
// into the settings state, so the two agree value by value.
#include "frmPrayerSettings.h"

#include "core/mAPI.h"
#include "core/mMain.h"
#include "core/numfilter.h"
#include "mainwindow/frmTallix.h"
#include "runtime/App.h"
#include "runtime/Convert.h"
#include "runtime/ErrObject.h"
#include "runtime/Interaction.h"
#include "runtime/ResStrings.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>

namespace {

// Writes the text and reads it back: the stored text, as the store now holds it.
QString store(const QString& name, const QString& text) {
    RegSetString(kSettingsKey, name, text);
    return RegGetString(kSettingsKey, name);
}

// Writes a whole number and reads it back into the variable; an unreadable value leaves the
// variable as it was.
void storeInt(const QString& name, int value, std::int16_t& variable) {
    const auto v = CInt(store(name, QString::number(value)));
    Err.Clear();
    if (v)
        variable = *v;
}

// A coordinate box into the store, with "." as the decimal point; an empty box writes nothing.
void storeCoordinate(const QString& name, const QString& text, double& variable) {
    if (text.trimmed().isEmpty())
        return;
    const QChar sep = DecimalSeparatorChar();
    QString stored = store(name, QString(text.trimmed()).replace(sep, QLatin1Char('.')));
    const auto v = CDbl(stored.replace(QLatin1Char('.'), sep));
    Err.Clear();
    if (v)
        variable = *v;
}

// The position of an editable combo box: -1 when its text is typed rather than chosen.
int comboPosition(const QComboBox* cbo) {
    const int i = cbo->currentIndex();
    return i >= 0 && cbo->itemText(i) == cbo->currentText() ? i : -1;
}

} // namespace

bool frmPrayerSettings::SaveSettings() {
    if (!CoordinatesAcceptable())
        return false;
    SetBusy(true);
    const int juristic = SelectedOption(optJuristicMethod);
    if (juristic >= 1)
        storeInt(QStringLiteral("JuristicMethod"), juristic, gJuristicMethod);
    const int method = SelectedOption(optCalculationMethod);
    if (method >= 0)
        storeInt(QStringLiteral("CalculationMethod"), method, gCalcMethod);
    if (SelectedZoneIndex() >= 0)
        storeInt(QStringLiteral("TimeZone"), SelectedZoneIndex(), gTimeZone);
    storeCoordinate(QStringLiteral("Latitude"), txtLatitude->text(), gLatitude);
    storeCoordinate(QStringLiteral("Longitude"), txtLongitude->text(), gLongitude);
    setCoordinateText(txtLatitude, gLatitude);
    setCoordinateText(txtLongitude, gLongitude);

    gCountry = store(QStringLiteral("Country"), cboCountry->currentText());
    storeInt(QStringLiteral("CountryIndex"), comboPosition(cboCountry), gCountryIndex);
    gCityName = store(QStringLiteral("CityName"), cboCity->currentText());
    // The city's position in the file's list, whichever row the sorted list shows it in.
    const int cityRow = comboPosition(cboCity);
    storeInt(QStringLiteral("CityIndex"), cityRow >= 0 ? CityIndexAt(cityRow) : cityRow,
             gCityIndex);
    gProvince = store(QStringLiteral("Province"), txtProvince->text().trimmed());

    storeInt(QStringLiteral("FajrDegrees"), cboFajrDegrees->currentIndex(), gFajrDegrees);
    storeInt(QStringLiteral("IshaDegrees"), cboIshaDegrees->currentIndex(), gIshaDegrees);
    storeInt(QStringLiteral("FajrDegreesDifference"), cboFajrDegreesDifference->currentIndex(),
             gFajrDegreesDifference);
    storeInt(QStringLiteral("IshaMinutes"), cboIshaMinutes->currentIndex(), gIshaMinutes);
    storeInt(QStringLiteral("MaghribMinutes"), cboMaghribMinutes->currentIndex(), gMaghribMinutes);
    const int active = chkMinuteAdjust->isChecked() ? 1 : 0;
    RegSetString(kSettingsKey, QStringLiteral("MinuteAdjustActive"), QString::number(active));
    gMinuteAdjustActive = static_cast<std::int16_t>(active);
    for (int i = 1; i <= 6; ++i)
        storeInt(QStringLiteral("MinuteAdjust%1").arg(i), cboMinuteAdjust[i]->currentIndex() - 10,
                 gMinuteAdjust[i]);
    storeInt(QStringLiteral("DhuhrMinutes"), cboDhuhrMinutes->currentIndex(), gDhuhrMinutes);
    storeInt(QStringLiteral("Rounding"), cboRounding->currentIndex(), gRounding);
    storeInt(QStringLiteral("DaylightSavingsTime"), cboDaylightSavingsTime->currentIndex(),
             gDaylightSavingsTime);
    const int dst = SelectedOption(optDayLightSavings);
    if (dst >= 0)
        storeInt(QStringLiteral("DaylightSavings"), dst, gDaylightSavings);

    // Automatic daylight saving follows the system's zone: ask the system to make the chosen
    // one its own, when it isn't already. The answer comes later (a refusal is told then);
    // everything else is saved now all the same.
    if (optDayLightSavings[0]->isChecked() && optDayLightSavings[0]->isEnabled() &&
        ApplyWindowsTimeZone())
        WaitingForSystemZone = true;
    ForgetLastEvent();
    SetBusy(false);
    return true;
}

// The main window handles the next due event under the new times afresh.
void frmPrayerSettings::ForgetLastEvent() {
    if (frmTallix* main = MainWindow())
        main->LastEventCode = 0;
}
