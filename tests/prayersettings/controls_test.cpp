// The dialog's value lists, the method controls that enable each other and the coordinate
// boxes.
#include "dialog_fixture.h"

#include "core/mMain.h"

#include <QClipboard>
#include <QGroupBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QRadioButton>
#include <QTabWidget>
#include <QTimeZone>

namespace {

TEST_F(DialogTest, ValueLists) {
    open();
    struct Case {
        QComboBox* cbo;
        int count, position;
        const char* text;
    };
    const Case cases[] = {
        // The half hours and, in their places, the quarter hours of Nepal, Eucla and Chatham.
        {dialog->cboTimezone, 64, 0, "(GMT-15:00)"},
        {dialog->cboTimezone, 64, 30, "(GMT)"},
        {dialog->cboTimezone, 64, 31, "(GMT+00:30)"},
        {dialog->cboTimezone, 64, 36, "(GMT+03:00)"},
        {dialog->cboTimezone, 64, 41, "(GMT+05:30)"},
        {dialog->cboTimezone, 64, 42, "(GMT+05:45)"},
        {dialog->cboTimezone, 64, 43, "(GMT+06:00)"},
        {dialog->cboTimezone, 64, 49, "(GMT+08:45)"},
        {dialog->cboTimezone, 64, 58, "(GMT+12:45)"},
        {dialog->cboTimezone, 64, 63, "(GMT+15:00)"},
        {dialog->cboIshaMinutes, 19, 12, "90"},
        {dialog->cboMinuteAdjust[1], 21, 10, "0"},
        {dialog->cboMinuteAdjust[6], 21, 11, "+1"},
        {dialog->cboMinuteAdjust[3], 21, 0, "-10"},
        {dialog->cboFajrDegrees, 51, 50, "25"},
        {dialog->cboIshaDegrees, 51, 20, "10"},
        {dialog->cboFajrDegreesDifference, 51, 1, "0.5"},
        {dialog->cboDaylightSavingsTime, 4, 0, "0.5 Hour"},
        {dialog->cboDaylightSavingsTime, 4, 3, "2 Hours"},
        {dialog->cboDhuhrMinutes, 91, 90, "90"},
        {dialog->cboMaghribMinutes, 16, 15, "15"},
        {dialog->cboRounding, 4, 2, "Special Rounding"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.cbo->count(), c.count) << c.cbo->objectName().toStdString();
        EXPECT_EQ(c.cbo->itemText(c.position), c.text) << c.cbo->objectName().toStdString();
    }
    EXPECT_EQ(dialog->windowTitle(), "Tallix Time - Prayer Settings");
    EXPECT_EQ(dialog->optCalculationMethod[2]->text(), dialog->optCalculationMethod[3]->text());
    EXPECT_EQ(dialog->optCalculationMethod[2]->toolTip(),
              dialog->optCalculationMethod[3]->toolTip());

    const std::pair<float, const char*> offsets[] = {
        {3, "(GMT+03:00)"},     {-3.5f, "(GMT-03:30)"}, {0.5f, "(GMT+00:30)"},
        {-0.5f, "(GMT-00:30)"}, {5.75f, "(GMT+05:45)"}, {-9.75f, "(GMT-09:45)"},
        {12.7f, "(GMT+12:45)"}, {13, "(GMT+13:00)"},    {0, "(GMT)"}};
    for (const auto& [hours, text] : offsets)
        EXPECT_EQ(frmPrayerSettings::FormatGmtOffset(hours), text) << hours;
}

TEST_F(DialogTest, MethodControlsEnableEachOther) {
    open();
    auto& opt = dialog->optCalculationMethod;
    dialog->chkMinuteAdjust->setChecked(true);
    opt[6]->setChecked(true);
    EXPECT_FALSE(dialog->cboMinuteAdjust[6]->isEnabled());
    EXPECT_TRUE(dialog->cboMinuteAdjust[5]->isEnabled());
    opt[4]->setChecked(true);
    EXPECT_TRUE(dialog->cboMinuteAdjust[6]->isEnabled());
    opt[7]->setChecked(true);
    EXPECT_FALSE(dialog->cboMinuteAdjust[6]->isEnabled());
    EXPECT_TRUE(dialog->cboFajrDegreesDifference->isEnabled());
    EXPECT_TRUE(dialog->cboIshaMinutes->isEnabled());
    EXPECT_FALSE(dialog->cboFajrDegrees->isEnabled());
    opt[0]->setChecked(true);
    EXPECT_TRUE(dialog->cboFajrDegrees->isEnabled());
    EXPECT_TRUE(dialog->cboIshaDegrees->isEnabled());
    EXPECT_FALSE(dialog->cboIshaMinutes->isEnabled());
    dialog->chkMinuteAdjust->setChecked(false);
    for (int i = 1; i <= 6; ++i)
        EXPECT_FALSE(dialog->cboMinuteAdjust[i]->isEnabled()) << i;

    // The Karachi option follows the Asr convention; another method stays selected.
    opt[2]->setChecked(true);
    dialog->optJuristicMethod[2]->setChecked(true);
    EXPECT_TRUE(opt[3]->isChecked());
    EXPECT_TRUE(opt[2]->isHidden());
    dialog->optJuristicMethod[1]->setChecked(true);
    EXPECT_TRUE(opt[2]->isChecked());
    EXPECT_TRUE(opt[3]->isHidden());
    opt[4]->setChecked(true);
    dialog->optJuristicMethod[2]->setChecked(true);
    EXPECT_TRUE(opt[4]->isChecked());

    // A click on a custom method's frame chooses that method.
    QMouseEvent click(QEvent::MouseButtonRelease, QPointF(5, 5), QPointF(5, 5), Qt::LeftButton,
                      Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(dialog->fraAngleDegrees, &click);
    EXPECT_TRUE(opt[0]->isChecked());

    // Daylight saving: the hours only with Manual, the zone only with Automatic.
    dialog->optDayLightSavings[1]->setChecked(true);
    EXPECT_TRUE(dialog->cboDaylightSavingsTime->isEnabled());
    EXPECT_FALSE(dialog->cboWindowsTimezone->isEnabled());
    dialog->optDayLightSavings[0]->setChecked(true);
    EXPECT_FALSE(dialog->cboDaylightSavingsTime->isEnabled());
    EXPECT_TRUE(dialog->cboWindowsTimezone->isEnabled());
}

TEST_F(DialogTest, StoredOptionsAndStartPage) {
    gJuristicMethod = 2;
    gCalcMethod = 3;
    gStartTab = 1;
    open();
    EXPECT_EQ(dialog->tabMain->currentIndex(), 1);
    EXPECT_TRUE(dialog->optCalculationMethod[3]->isChecked());
    EXPECT_FALSE(dialog->optCalculationMethod[3]->isHidden());
    EXPECT_TRUE(dialog->optCalculationMethod[2]->isHidden());
    EXPECT_FALSE(dialog->Changed);
    EXPECT_EQ(dialog->cboCity->lineEdit()->maxLength(), 50);
}

TEST_F(DialogTest, CoordinateBoxes) {
    open();
    // Keys: letters are dropped with a beep; a paste is typed through the same filter.
    std::int16_t key = u'a';
    dialog->txtLatitude_KeyPress(key);
    EXPECT_EQ(key, 0);
    EXPECT_EQ(sound.beeps(), 1);
    dialog->txtLatitude->clear();
    dialog->txtLatitude->setFocus();
    QKeyEvent paste(QEvent::KeyPress, Qt::Key_V, Qt::ControlModifier);
    QGuiApplication::clipboard()->setText(QStringLiteral("-33.75x12"));
    QCoreApplication::sendEvent(dialog->txtLatitude, &paste);
    EXPECT_EQ(dialog->txtLatitude->text(), "-33.7512");

    // Leaving a box: a usable value is shown with four decimals, a text that is no number
    // gives back the stored value, a number out of range stays for OK to refuse.
    gLatitude = 21.4233;
    gLongitude = 39.8233;
    struct Case {
        bool latitude;
        const char* typed;
        const char* shown;
    };
    const Case cases[] = {
        {true, "90", "90.0000"},  {true, "-90", "-90.0000"},    {true, "90.00001", "90.00001"},
        {true, "-", "21.4233"},   {true, "5.5", "5.5000"},      {true, "21", "21.0000"},
        {false, "", "39.8233"},   {false, "-180", "-180.0000"}, {false, "180.5", "180.5"},
        {false, "-.", "39.8233"}, {true, "2a", "21.4233"}};
    for (const Case& c : cases) {
        QLineEdit* box = c.latitude ? dialog->txtLatitude : dialog->txtLongitude;
        box->setText(c.typed);
        c.latitude ? dialog->txtLatitude_Validate() : dialog->txtLongitude_Validate();
        EXPECT_EQ(box->text(), c.shown) << c.typed;
    }
}

} // namespace

namespace {

TEST(WindowsZones, SortedByWholeHourThenName) {
    QStringList names = {"(GMT+05:45) Kathmandu", "(GMT+05:30) Kolkata",
                         "(GMT-03:30) St Johns",  "(GMT) London",
                         "(GMT+05:00) Tashkent",  "(GMT-03:00) Buenos Aires",
                         "(GMT-10:00) Honolulu",  "(GMT+05:00) karachi"};
    frmPrayerSettings::SortTimeZones(names);
    const QStringList expected = {"(GMT-10:00) Honolulu", "(GMT-03:00) Buenos Aires",
                                  "(GMT-03:30) St Johns", "(GMT) London",
                                  "(GMT+05:00) karachi",  "(GMT+05:00) Tashkent",
                                  "(GMT+05:30) Kolkata",  "(GMT+05:45) Kathmandu"};
    EXPECT_EQ(names, expected);
}

TEST(WindowsZones, TheSystemDatabase) {
    const QList<platform::WindowsZone> zones = platform::EnumWindowsZones();
    ASSERT_GT(zones.size(), 50);
    bool arab = false;
    for (const platform::WindowsZone& z : zones) {
        EXPECT_TRUE(z.display.startsWith("(GMT")) << z.display.toStdString();
        if (z.keyName == "Arab Standard Time") {
            arab = true;
            EXPECT_TRUE(z.display.startsWith("(GMT+03:00) Riyadh")) << z.display.toStdString();
            EXPECT_EQ(z.info.Bias, -180);
        }
        if (z.keyName == "GMT Standard Time") {
            EXPECT_EQ(z.ianaId, "Europe/London");
            EXPECT_EQ(z.info.Bias, 0);
            EXPECT_EQ(z.info.DaylightBias, -60);
        }
    }
    EXPECT_TRUE(arab);
    // Zones under their current names, which the Windows mapping may know by their former
    // ones, and a zone newer than the mapping, matched by its offsets.
    const std::pair<const char*, const char*> systems[] = {
        {"Asia/Riyadh", "Arab Standard Time"},
        {"Asia/Kolkata", "India Standard Time"},
        {"Europe/Kyiv", "FLE Standard Time"},
        {"America/Ciudad_Juarez", "Mountain Standard Time"},
        {"UTC", "UTC"}, // TZ=UTC: not a town that keeps GMT
        {"Etc/Universal", "UTC"}};
    for (const auto& [iana, win] : systems) {
        if (!QTimeZone(iana).isValid())
            continue;
        platform::InstallSystemZoneHook([iana] { return QByteArray(iana); });
        EXPECT_EQ(platform::SystemWindowsZoneId(), win) << iana;
        bool listed = false;
        for (const platform::WindowsZone& z : zones)
            listed = listed || z.keyName == win;
        EXPECT_TRUE(listed) << win;
    }
    platform::InstallSystemZoneHook({});
}

// A system on UTC (the database lists no Etc/ zone) finds its zone in the list, so the
// dialog selects it instead of the first zone of the list.
TEST(WindowsZones, TheZoneInForceIsListed) {
    for (const char* iana : {"Etc/UTC", "UTC", "Europe/London"}) {
        platform::InstallSystemZoneHook([iana] { return QByteArray(iana); });
        const QString win = platform::SystemWindowsZoneId();
        ASSERT_FALSE(win.isEmpty()) << iana;
        bool listed = false;
        for (const platform::WindowsZone& z : platform::EnumWindowsZones())
            listed = listed || z.keyName == win;
        EXPECT_TRUE(listed) << iana << " as " << win.toStdString();
    }
    platform::InstallSystemZoneHook({});
}

} // namespace
