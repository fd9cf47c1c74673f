// The place file, and choosing a country and a city: the list boxes and the combo boxes keep
// each other in line, and a city fills the province, coordinates, zone and daylight saving.
#include "frmPrayerSettings.h"

#include "core/settings.h"
#include "runtime/App.h"

#include <QCollator>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QSignalBlocker>

#include <algorithm>
#include <numeric>

QStringList frmPrayerSettings::PlaceFileCandidates() {
    if (!PlaceFileOverride.isEmpty())
        return {PlaceFileOverride};
    const QString dir = App.Path();
    return {dir + QStringLiteral("/TallixTime.xml"),
            QDir::cleanPath(dir + QStringLiteral("/../share/tallix-time/TallixTime.xml"))};
}

QString frmPrayerSettings::StripAfterPipe(const QString& s) {
    const auto p = s.indexOf(QLatin1Char('|')) + 1;
    if (p == 0)
        return s;
    return p - 2 < 0 ? QString() : s.left(p - 2);
}

QString frmPrayerSettings::CityListText(const QString& fullName) {
    const qsizetype p = fullName.indexOf(QLatin1Char('|'));
    if (p < 0)
        return fullName;
    const QString name = fullName.left(p).trimmed();
    const QString rest = fullName.mid(p + 1).trimmed();
    return name.isEmpty() || rest.isEmpty() ? name + rest : name + QStringLiteral(", ") + rest;
}

QList<int> frmPrayerSettings::CityListOrder(const QList<PlaceCity>& cities) {
    QCollator collator; // the user's language
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    collator.setNumericMode(true);
    QStringList keys;
    for (const PlaceCity& c : cities) {
        QString key = CityListText(c.fullName);
        qsizetype lead = 0;
        while (lead < key.size() && !key[lead].isLetterOrNumber())
            ++lead;
        keys << key.mid(lead);
    }
    QList<int> order(cities.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(),
                     [&](int a, int b) { return collator.compare(keys[a], keys[b]) < 0; });
    return order;
}

int frmPrayerSettings::CityRow(int index) const {
    if (index == -1)
        return -1;
    const qsizetype row = ShownOrder.indexOf(index);
    return row < 0 ? -2 : static_cast<int>(row);
}

int frmPrayerSettings::CityIndexAt(int row) const {
    return row >= 0 && row < ShownOrder.size() ? ShownOrder[row] : -1;
}

// Fills both city lists with the cities of the country, no handler running.
void frmPrayerSettings::showCitiesOf(int country) {
    const QSignalBlocker blockList(lstCity);
    const QSignalBlocker blockCombo(cboCity);
    lstCity->clear();
    cboCity->clear();
    QString problem;
    ShownCountry = country;
    ShownCities = Places.Cities(country, &problem);
    // A country whose markup breaks off lists the cities before the break and says why.
    lblPlaceFile->setText(problem);
    lblPlaceFile->setVisible(!problem.isEmpty());
    ShownOrder = CityListOrder(ShownCities);
    for (const int i : std::as_const(ShownOrder)) {
        lstCity->addItem(CityListText(ShownCities[i].fullName));
        cboCity->addItem(StripAfterPipe(ShownCities[i].fullName));
    }
    lstCity->setCurrentRow(-1);
    cboCity->setCurrentIndex(-1);
}

void frmPrayerSettings::lstCountry_Click() {
    const int p = lstCountry->currentRow();
    if (XmlLoaded && p >= 0) {
        lstCity->setEnabled(false);
        showCitiesOf(p);
        setListIndex(cboCountry, p);
        setListIndex(lstCity, 0);
        lstCity->setEnabled(true);
        setListIndex(cboCity, 0);
        if (p <= kCountryCount) {
            optCalculationMethod[DefaultMethod[p]]->setChecked(true);
            optJuristicMethod[DefaultMethod[p] == 3 ? 2 : 1]->setChecked(true);
        }
    }
    markChanged();
}

void frmPrayerSettings::cboCountry_Click() {
    if (XmlLoaded) {
        const int p = cboCountry->currentIndex();
        if (p >= 0) {
            showCitiesOf(p);
            setListIndex(lstCountry, p);
            setListIndex(cboCity, 0);
        }
    }
    // Without the place file the list box has no selection, and the built-in positions are
    // those of the default-method table: the combo box's own position chooses the method.
    const int p = XmlLoaded ? lstCountry->currentRow() : cboCountry->currentIndex();
    if (p >= 0 && p <= kCountryCount)
        optCalculationMethod[DefaultMethod[p]]->setChecked(true);
    setTip(cboCountry, cboCountry->currentText());
    markChanged();
}

// The city's fields into the location controls, and its daylight-saving flag unless the
// saving follows the system's zone.
void frmPrayerSettings::fillFromCity(int country, int city) {
    if (country != ShownCountry || city < 0 || city >= ShownCities.size())
        return;
    const PlaceCity& c = ShownCities[city];
    txtProvince->setText(c.province);
    setCoordinateText(txtLatitude, c.latitude);
    setCoordinateText(txtLongitude, c.longitude);
    SetZoneIndex(TimeZoneHoursToIndex(c.gmtHours));
    setListIndex(cboCity, CityRow(city));
    if (!optDayLightSavings[0]->isChecked() && (c.dstFlag == 0 || c.dstFlag == 1))
        optDayLightSavings[c.dstFlag == 0 ? 2 : 1]->setChecked(true);
}

void frmPrayerSettings::lstCity_Click() {
    if (XmlLoaded)
        fillFromCity(cboCountry->currentIndex(), CityIndexAt(lstCity->currentRow()));
    markChanged();
}

// The list box follows, and its handling fills the fields from the city now chosen; every
// field, the daylight-saving flag too, comes from that city.
void frmPrayerSettings::cboCity_Click() {
    if (XmlLoaded) {
        const int row = cboCity->currentIndex();
        if (lstCity->currentRow() != row)
            setListIndex(lstCity, row);
        else
            fillFromCity(cboCountry->currentIndex(), CityIndexAt(row));
    }
    setTip(cboCity, cboCity->currentText());
    markChanged();
}

void frmPrayerSettings::cboCountry_Change() {
    setTip(cboCountry, cboCountry->currentText());
    markChanged();
}

void frmPrayerSettings::cboCity_Change() {
    setTip(cboCity, cboCity->currentText());
    markChanged();
}

void frmPrayerSettings::txtProvince_Change() {
    setTip(txtProvince, txtProvince->text());
    markChanged();
}
