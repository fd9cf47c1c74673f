// The coordinate boxes in locales that write digits of their own: Latin digits with the point,
// never the Arabic separator between them; the locale's own separator typed stands for the
// point, and what is saved reads back in any locale.
#include "dialog_fixture.h"

#include "platform/locale.h"
#include "runtime/Convert.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLocale>

namespace {

class CoordinatesInLocale : public DialogTest, public testing::WithParamInterface<const char*> {
protected:
    void SetUp() override {
        QLocale::setDefault(QLocale(QString::fromLatin1(GetParam())));
        DialogTest::SetUp();
        locale.texts[LOCALE_SDECIMAL] = platform::LatinDecimalSeparator(QLocale());
        locale.texts[LOCALE_STHOUSAND] = platform::LatinGroupSeparator(QLocale());
    }
    void TearDown() override {
        DialogTest::TearDown();
        QLocale::setDefault(QLocale::system());
    }
};

TEST_P(CoordinatesInLocale, LatinDigitsTakeThePointAndTheLocalesSeparatorTypesIt) {
    gLatitude = 30.0444;
    gLongitude = 31.2357;
    open();
    EXPECT_EQ(dialog->txtLatitude->text(), "30.0444");
    EXPECT_EQ(dialog->txtLongitude->text(), "31.2357");

    // Typed (here pasted, key by key through the filter) with the locale's own separator.
    const QString own = QLocale().decimalPoint();
    dialog->txtLatitude->clear();
    dialog->txtLatitude->setFocus();
    QGuiApplication::clipboard()->setText(QStringLiteral("-33") + own + QStringLiteral("75"));
    QKeyEvent paste(QEvent::KeyPress, Qt::Key_V, Qt::ControlModifier);
    QCoreApplication::sendEvent(dialog->txtLatitude, &paste);
    EXPECT_EQ(dialog->txtLatitude->text(), "-33.75");
    dialog->txtLatitude_Validate();
    EXPECT_EQ(dialog->txtLatitude->text(), "-33.7500");

    dialog->cmdSave_Click();
    ASSERT_TRUE(prompts.isEmpty()) << prompts.join("|").toStdString();
    EXPECT_EQ(registry.text(kSettingsKey, QStringLiteral("Latitude")), "-33.7500");
    EXPECT_DOUBLE_EQ(gLatitude, -33.75);
    // The locale's own writing of a number still reads.
    QLocale native;
    native.setNumberOptions(QLocale::OmitGroupSeparator);
    EXPECT_DOUBLE_EQ(CDbl(native.toString(-33.75, 'f', 2)).value_or(0), -33.75);
}

INSTANTIATE_TEST_SUITE_P(Locales, CoordinatesInLocale, testing::Values("ar_EG", "fa_IR", "ar_SA"),
                         [](const auto& info) { return std::string(info.param); });

} // namespace
