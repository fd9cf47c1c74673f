// The offset the dialog records for each zone it lists, and the daylight hours automatic mode
// adds to it, give that zone's clock on every day.
#include "dialog_fixture.h"

#include "core/daylight.h"

#include <QTimeZone>

namespace {

// The zone's offset at noon of every day of the years, in seconds, from its transitions.
QList<int> noonOffsets(const QTimeZone& zone, int firstYear, int lastYear) {
    const QDateTime from(QDate(firstYear - 1, 12, 30), QTime(0, 0), Qt::UTC);
    const QDateTime to(QDate(lastYear + 1, 1, 2), QTime(0, 0), Qt::UTC);
    const QTimeZone::OffsetDataList changes = zone.transitions(from, to);
    int offset = zone.offsetFromUtc(from);
    qsizetype next = 0;
    QList<int> out;
    for (QDate d(firstYear, 1, 1); d.year() <= lastYear; d = d.addDays(1)) {
        const QDateTime noon(d, QTime(12, 0), Qt::UTC);
        while (next < changes.size() &&
               changes[next].atUtc <= noon.addSecs(-changes[next].offsetFromUtc))
            offset = changes[next++].offsetFromUtc;
        out << offset;
    }
    return out;
}

// The stored index of the offset the OK check accepts for a zone: the entry of the offset list
// whose text the zone's name holds. -1 when there is none.
int recordedIndex(QComboBox* offsets, const QString& zone) {
    for (int i = 0; i < offsets->count(); ++i)
        if (zone.contains(offsets->itemText(i), Qt::CaseInsensitive))
            return offsets->itemData(i).toInt();
    return -1;
}

// Every zone of the database the list has a name for, as the system's zone: the offset recorded
// for that name plus the day's daylight hours is the zone's clock at noon, every day.
TEST_F(DialogTest, EveryListedZoneKeepsItsClockEveryDay) {
    open();
    gDaylightSavings = 0;
    QHash<QString, QString> nameOf; // Windows id -> the name the list shows
    for (const platform::WindowsZone& z : platform::EnumWindowsZones())
        nameOf.insert(z.keyName, z.display.trimmed());
    QStringList listed;
    for (int row = 0; row < dialog->cboWindowsTimezone->count(); ++row)
        listed << dialog->cboWindowsTimezone->itemText(row);
    ASSERT_GT(listed.size(), 100);
    QSet<QString> namesChecked;
    QList<QByteArray> checked;
    for (const QByteArray& iana : QTimeZone::availableTimeZoneIds()) {
        const QString name = nameOf.value(platform::WindowsZoneIdOf(iana));
        if (name.isEmpty())
            continue;
        ASSERT_TRUE(listed.contains(name)) << name.toStdString();
        const int index = recordedIndex(dialog->cboTimezone, name);
        ASSERT_GE(index, 0) << "no offset to record for " << name.toStdString();
        const double recorded = TimeZoneIndexToHours(static_cast<std::int16_t>(index));
        systemZone = iana;
        const QList<int> clock = noonOffsets(QTimeZone(iana), 2025, 2030);
        QDate d(2025, 1, 1);
        for (int day = 0; day < clock.size(); ++day, d = d.addDays(1)) {
            const double daylight = GetDaylightOffset(PrayerDate{d.day(), d.month(), d.year()});
            ASSERT_DOUBLE_EQ(recorded + daylight, clock[day] / 3600.0)
                << iana.toStdString() << " as " << name.toStdString() << " on "
                << qPrintable(d.toString(Qt::ISODate));
        }
        namesChecked.insert(name);
        checked << iana;
    }
    EXPECT_EQ(namesChecked.size(), listed.size()) << "every name of the list";
    // The zones whose rules are hard to follow are among them.
    for (const char* iana : {"Africa/Casablanca", "Asia/Gaza", "Australia/Lord_Howe",
                             "America/Santiago", "Asia/Tehran", "America/New_York", "Europe/Dublin",
                             "Asia/Kathmandu", "Pacific/Chatham", "Australia/Eucla"})
        EXPECT_TRUE(checked.contains(iana)) << iana;
}

// Zones listed under another zone's name follow the offset recorded for that name: Dublin is
// listed with London, whose standard time is GMT; Kathmandu with its former name.
TEST_F(DialogTest, ZonesListedUnderAnotherNameKeepTheirClock) {
    gDaylightSavings = 0;
    const struct {
        const char* iana;
        double recorded;
        QDate day;
        double daylight;
    } cases[] = {{"Europe/Dublin", 0, {2026, 1, 15}, 0},
                 {"Europe/Dublin", 0, {2026, 7, 15}, 1},
                 {"Asia/Kathmandu", 5.75, {2026, 7, 15}, 0},
                 {"Africa/El_Aaiun", 1, {2026, 7, 15}, 0},
                 {"Africa/El_Aaiun", 1, {2026, 3, 1}, -1}};
    for (const auto& c : cases) {
        systemZone = c.iana;
        open();
        const int index =
            recordedIndex(dialog->cboTimezone, dialog->cboWindowsTimezone->currentText());
        EXPECT_DOUBLE_EQ(TimeZoneIndexToHours(static_cast<std::int16_t>(index)), c.recorded)
            << c.iana << " listed as " << dialog->cboWindowsTimezone->currentText().toStdString();
        EXPECT_DOUBLE_EQ(GetDaylightOffset(PrayerDate{c.day.day(), c.day.month(), c.day.year()}),
                         c.daylight)
            << c.iana << " " << qPrintable(c.day.toString(Qt::ISODate));
        delete dialog.data();
    }
}

} // namespace

// A stored quarter hour shows as such, one the list lacks joins it, and both are saved back.
TEST_F(DialogTest, StoredQuarterHoursShowAndSaveBack) {
    const struct {
        std::int16_t stored;
        const char* shown;
    } cases[] = {
        {102, "(GMT+05:45)"}, {116, "(GMT+12:45)"}, {61, "(GMT-14:45)"}, {41, "(GMT+05:30)"}};
    for (const auto& c : cases) {
        gTimeZone = c.stored;
        gDaylightSavings = 0;
        open();
        EXPECT_EQ(dialog->cboTimezone->currentText(), c.shown) << c.stored;
        dialog->optDayLightSavings[2]->setChecked(true);
        dialog->cmdSave_Click();
        ASSERT_TRUE(closed());
        EXPECT_EQ(registry.text(kSettingsKey, "TimeZone"), QString::number(c.stored));
        EXPECT_EQ(gTimeZone, c.stored);
    }
}
