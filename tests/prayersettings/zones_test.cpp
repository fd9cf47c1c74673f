// The offset the dialog records for each zone it lists, and the daylight hours automatic mode
// adds to it, give that zone's clock on every day.
#include "dialog_fixture.h"

#include "core/daylight.h"

#include <QTimeZone>

namespace {

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
