// The place file, and choosing a country and a city: the list boxes and the combo boxes keep
// each other in line, and a city fills the province, coordinates, zone and daylight saving.
//
// The file: a document element holding one "country" element per country, in the order of
// the built-in list; the first attribute of each is the country's name. A country's child
// elements are its cities; a city's first attribute is its name, and its first five child
// elements hold the province, the latitude and longitude in ten-thousandths of a degree, the
// standard GMT offset in hundredths of an hour and the daylight-saving flag (0 or 1).
#include "frmPrayerSettings.h"

#include "core/settings.h"
#include "runtime/App.h"

#include <QComboBox>
#include <QDir>
#include <QDomDocument>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QSignalBlocker>
#include <cmath>

namespace {

QList<QDomElement> childElements(const QDomElement& parent) {
    QList<QDomElement> out;
    for (QDomElement e = parent.firstChildElement(); !e.isNull(); e = e.nextSiblingElement())
        out << e;
    return out;
}

QString firstAttribute(const QDomElement& e) {
    const QDomNamedNodeMap attributes = e.attributes();
    return attributes.isEmpty() ? QString() : attributes.item(0).nodeValue();
}

// A whole number within the bounds, or nothing.
std::optional<long> whole(const QDomElement& e, long bound) {
    bool ok = false;
    const long v = e.text().trimmed().toLong(&ok);
    if (!ok || v < -bound || v > bound)
        return std::nullopt;
    return v;
}

} // namespace

QStringList frmPrayerSettings::PlaceFileCandidates() {
    if (!PlaceFileOverride.isEmpty())
        return {PlaceFileOverride};
    const QString dir = App.Path();
    return {dir + QStringLiteral("/TallixTime.xml"),
            QDir::cleanPath(dir + QStringLiteral("/../share/tallix-time/TallixTime.xml"))};
}

bool frmPrayerSettings::ReadPlaceFile(const QString& path, QList<PlaceCountry>* countries,
                                      QString* reason) {
    countries->clear();
    QFile file(path);
    if (!file.exists()) {
        *reason = tr("%1 was not found.").arg(QDir::toNativeSeparators(path));
        return false;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        *reason = tr("%1 could not be opened: %2.").arg(path, file.errorString());
        return false;
    }
    const QByteArray bytes = file.readAll();
    if (bytes.trimmed().isEmpty()) {
        *reason = tr("%1 is empty.").arg(path);
        return false;
    }
    QDomDocument doc;
    QString message;
    int line = 0;
    int column = 0;
    // White-space-only text between the elements is dropped, as the parser does by default.
    if (!doc.setContent(bytes, &message, &line, &column)) {
        *reason = tr("%1 is not a valid place file (line %2, column %3: %4).")
                      .arg(path)
                      .arg(line)
                      .arg(column)
                      .arg(message);
        return false;
    }
    const QDomNodeList elements = doc.elementsByTagName(QStringLiteral("country"));
    for (int i = 0; i < elements.size(); ++i) {
        const QDomElement country = elements.item(i).toElement();
        PlaceCountry pc;
        pc.name = firstAttribute(country);
        for (const QDomElement& city : childElements(country)) {
            const QList<QDomElement> fields = childElements(city);
            const QString name = firstAttribute(city);
            if (fields.size() < 5 || name.trimmed().isEmpty())
                continue;
            const auto lat = whole(fields[1], 900000);
            const auto lon = whole(fields[2], 1800000);
            const auto gmt = whole(fields[3], 1500);
            const auto dst = whole(fields[4], 1000);
            if (!lat || !lon || !gmt || !dst)
                continue;
            pc.cities << PlaceCity{name,           fields[0].text(), *lat / 10000.0,
                                   *lon / 10000.0, *gmt / 100.0,     static_cast<int>(*dst)};
        }
        *countries << pc;
    }
    if (countries->isEmpty()) {
        *reason = tr("%1 holds no countries.").arg(path);
        return false;
    }
    reason->clear();
    return true;
}

QString frmPrayerSettings::StripAfterPipe(const QString& s) {
    const auto p = s.indexOf(QLatin1Char('|')) + 1;
    if (p == 0)
        return s;
    return p - 2 < 0 ? QString() : s.left(p - 2);
}

// Fills both city lists with the cities of the country, no handler running.
void frmPrayerSettings::showCitiesOf(int country) {
    const QSignalBlocker blockList(lstCity);
    const QSignalBlocker blockCombo(cboCity);
    lstCity->clear();
    cboCity->clear();
    if (country < 0 || country >= Places.size())
        return;
    for (const PlaceCity& c : Places[country].cities) {
        lstCity->addItem(c.fullName);
        cboCity->addItem(StripAfterPipe(c.fullName));
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
    if (country < 0 || country >= Places.size() || city < 0 ||
        city >= Places[country].cities.size())
        return;
    const PlaceCity& c = Places[country].cities[city];
    txtProvince->setText(c.province);
    setCoordinateText(txtLatitude, c.latitude);
    setCoordinateText(txtLongitude, c.longitude);
    SetZoneIndex(TimeZoneHoursToIndex(c.gmtHours));
    setListIndex(cboCity, city);
    if (!optDayLightSavings[0]->isChecked() && (c.dstFlag == 0 || c.dstFlag == 1))
        optDayLightSavings[c.dstFlag == 0 ? 2 : 1]->setChecked(true);
}

void frmPrayerSettings::lstCity_Click() {
    if (XmlLoaded)
        fillFromCity(cboCountry->currentIndex(), lstCity->currentRow());
    markChanged();
}

// The list box follows, and its handling fills the fields from the city now chosen; every
// field, the daylight-saving flag too, comes from that city.
void frmPrayerSettings::cboCity_Click() {
    if (XmlLoaded) {
        const int city = cboCity->currentIndex();
        if (lstCity->currentRow() != city)
            setListIndex(lstCity, city);
        else
            fillFromCity(cboCountry->currentIndex(), city);
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
