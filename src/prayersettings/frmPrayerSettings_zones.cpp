// The system's time zones under their Windows names, sorted by their GMT offset, with the zone
// in force selected; the list of GMT offsets the place is recorded with, and the text of a GMT
// offset that both lists and the check on OK use.
#include "frmPrayerSettings.h"

#include "core/settings.h"
#include "platform/tzlist.h"
#include "runtime/Convert.h"

#include <QComboBox>
#include <cmath>

namespace {
// The quarter-hour standard offsets clocks keep: Nepal, Eucla and the Chatham Islands. The
// offset list holds them among the half hours.
constexpr double kQuarterHourOffsets[] = {5.75, 8.75, 12.75};
} // namespace

QString frmPrayerSettings::FormatGmtOffset(float hours) {
    const double h = hours;
    const QString sign = h > 0   ? QStringLiteral("+")
                         : h < 0 ? QStringLiteral("-")
                                 : QStringLiteral(" ");
    // To the nearest quarter hour.
    const auto quarters = static_cast<int>(RoundHalfEven(std::fabs(h) * 4));
    if (quarters == 0)
        return QStringLiteral("(GMT)");
    return QStringLiteral("(GMT%1%2:%3)")
        .arg(sign)
        .arg(quarters / 4, 2, 10, QLatin1Char('0'))
        .arg(quarters % 4 * 15, 2, 10, QLatin1Char('0'));
}

void frmPrayerSettings::FillGmtOffsets() {
    QList<double> hours;
    for (int i = 0; i <= 60; ++i)
        hours << i * 0.5 - 15;
    for (double quarter : kQuarterHourOffsets)
        hours << quarter;
    std::sort(hours.begin(), hours.end());
    const QSignalBlocker block(cboTimezone);
    cboTimezone->clear();
    for (double h : hours)
        cboTimezone->addItem(FormatGmtOffset(static_cast<float>(h)), TimeZoneHoursToIndex(h));
    cboTimezone->setCurrentIndex(-1);
}

void frmPrayerSettings::SetZoneIndex(int index) {
    if (!IsValidTimeZoneIndex(static_cast<std::int16_t>(index)))
        return;
    int row = cboTimezone->findData(index);
    if (row < 0) {
        // A stored quarter hour the list doesn't hold joins it in its place.
        const double hours = TimeZoneIndexToHours(static_cast<std::int16_t>(index));
        row = 0;
        while (row < cboTimezone->count() && TimeZoneIndexToHours(static_cast<std::int16_t>(
                                                 cboTimezone->itemData(row).toInt())) < hours)
            ++row;
        const QSignalBlocker block(cboTimezone);
        cboTimezone->insertItem(row, FormatGmtOffset(static_cast<float>(hours)), index);
    }
    setListIndex(cboTimezone, row);
}

int frmPrayerSettings::SelectedZoneIndex() const {
    const QVariant index = cboTimezone->currentData();
    return index.isValid() ? index.toInt() : -1;
}

QString frmPrayerSettings::GetCurrentTimeZoneName() {
    return platform::SystemWindowsZoneId();
}

void frmPrayerSettings::FillWindowsTimeZones() {
    cboWindowsTimezone->clear();
    StandardName = GetCurrentTimeZoneName();
    EnumTimeZones(false, QString());
    if (optDayLightSavings[0]->isEnabled()) {
        if (!CurrentZoneDisplayName.trimmed().isEmpty())
            cboWindowsTimezone->setCurrentIndex(
                cboWindowsTimezone->findText(CurrentZoneDisplayName.trimmed()));
        else
            cboWindowsTimezone->setCurrentIndex(0);
    }
}

QString frmPrayerSettings::EnumTimeZones(bool bFind, const QString& sSought) {
    CurrentZoneDisplayName.clear();
    const QList<platform::WindowsZone> zones = platform::EnumWindowsZones();
    if (zones.isEmpty()) {
        const QSignalBlocker block(cboWindowsTimezone);
        cboWindowsTimezone->clear();
        cboWindowsTimezone->addItem(ZoneListUnavailableText);
        cboWindowsTimezone->setCurrentIndex(0);
        cboWindowsTimezone->setEnabled(false);
        optDayLightSavings[0]->setEnabled(false);
        return {};
    }
    QStringList names;
    for (const platform::WindowsZone& z : zones) {
        if (bFind) {
            if (z.display == sSought)
                return z.keyName;
            continue;
        }
        names << z.display.trimmed();
        if (z.standardName.trimmed() == StandardName)
            CurrentZoneDisplayName = z.display;
    }
    if (bFind)
        return {};
    SortTimeZones(names);
    const QSignalBlocker block(cboWindowsTimezone);
    for (const QString& name : names)
        if (!name.isEmpty())
            cboWindowsTimezone->addItem(name);
    cboWindowsTimezone->setCurrentIndex(-1);
    return {};
}

void frmPrayerSettings::SortTimeZones(QStringList& names) {
    QList<int> keys;
    for (const QString& name : names) {
        // The whole hours of "(GMT+05:30) ...": the text from the sign up to the first
        // character that can't continue the number.
        const QString part = name.mid(4, 6).trimmed();
        int i = 0;
        if (i < part.size() && (part[i] == u'+' || part[i] == u'-'))
            ++i;
        while (i < part.size() && part[i].isDigit())
            ++i;
        bool ok = false;
        const int key = part.left(i).toInt(&ok);
        keys << (ok ? key : 0);
    }
    SortByKey(keys, names);
}

void frmPrayerSettings::SortByKey(QList<int>& keys, QStringList& names) {
    for (auto i = keys.size() - 1; i >= 0; --i) {
        for (qsizetype j = 1; j <= i; ++j) {
            const bool swap =
                keys[j - 1] > keys[j] ||
                (keys[j - 1] == keys[j] && names[j - 1].compare(names[j], Qt::CaseInsensitive) > 0);
            if (swap) {
                keys.swapItemsAt(j - 1, j);
                names.swapItemsAt(j - 1, j);
            }
        }
    }
}

bool frmPrayerSettings::ApplyWindowsTimeZone() {
    const QString keyName = EnumTimeZones(true, cboWindowsTimezone->currentText());
    if (keyName.isEmpty())
        return false; // nothing chosen that the system knows: nothing to change
    // The system's zone already is the one chosen (or another place of it): leave it alone.
    if (keyName == platform::SystemWindowsZoneId())
        return false;
    for (const platform::WindowsZone& z : platform::EnumWindowsZones()) {
        if (z.keyName != keyName)
            continue;
        platform::SetSystemTimeZone(
            z.ianaId, [dialog = QPointer<frmPrayerSettings>(this)](bool ok, const QString& error) {
                SystemZoneAnswered(dialog, ok, error);
            });
        return true;
    }
    return false;
}
