// The country and city lists of the real place file as the user reads them: cities sorted by
// name whatever quote or mark they begin with, a city set apart by its province shown with a
// comma, every country name whole in the country box, and a stored city position that still
// finds the same city although the list is sorted.
#include "dialog_fixture.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCollator>
#include <QDir>
#include <QFontMetrics>
#include <QLocale>
#include <QScreen>
#include <QStyle>
#include <QStyleOptionComboBox>

namespace {

// The row's name with its leading marks left out, as the list sorts it.
QString sortKey(const QString& text) {
    qsizetype i = 0;
    while (i < text.size() && !text[i].isLetterOrNumber())
        ++i;
    return text.mid(i);
}

TEST_F(DialogTest, CitiesAreSortedByNameWhateverMarkTheyBeginWith) {
    QLocale::setDefault(QLocale(QStringLiteral("en_US"))); // the user's language sorts
    open();
    ASSERT_TRUE(dialog->XmlLoaded);
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    collator.setNumericMode(true);
    // Saudi Arabia's list holds names that begin with a quotation mark ("‘Unayzah"); the United
    // States' holds twin names set apart by their state.
    for (const int country : {197, 238}) {
        dialog->lstCountry->setCurrentRow(country);
        QListWidget* list = dialog->lstCity;
        ASSERT_GT(list->count(), 50);
        for (int row = 1; row < list->count(); ++row)
            EXPECT_LE(collator.compare(sortKey(list->item(row - 1)->text()),
                                       sortKey(list->item(row)->text())),
                      0)
                << list->item(row - 1)->text().toStdString() << " before "
                << list->item(row)->text().toStdString();
        // The combo box lists the same cities in the same order.
        ASSERT_EQ(dialog->cboCity->count(), list->count());
        for (int row = 0; row < list->count(); ++row)
            EXPECT_TRUE(list->item(row)->text().startsWith(dialog->cboCity->itemText(row))) << row;
    }
    // A twin: the province after a comma, never the file's "|".
    EXPECT_TRUE(dialog->lstCity->findItems(QStringLiteral("|"), Qt::MatchContains).isEmpty());
    ASSERT_EQ(
        dialog->lstCity->findItems(QStringLiteral("Arlington, Texas"), Qt::MatchExactly).size(), 1);
    QLocale::setDefault(QLocale::system());
}

TEST_F(DialogTest, AStoredCityPositionFindsTheSameCityInTheSortedList) {
    open();
    // A city of Afghanistan whose row is not its position in the file.
    dialog->lstCountry->setCurrentRow(0);
    int row = 0;
    while (row < dialog->lstCity->count() && dialog->CityIndexAt(row) == row)
        ++row;
    ASSERT_LT(row, dialog->lstCity->count());
    const int index = dialog->CityIndexAt(row);
    dialog->optDayLightSavings[1]->setChecked(true); // no question about the system's zone
    dialog->lstCity->setCurrentRow(row);
    const QString name = dialog->cboCity->currentText();
    const QString latitude = dialog->txtLatitude->text();
    dialog->cmdSave_Click();
    ASSERT_TRUE(prompts.isEmpty()) << prompts.join("|").toStdString();
    EXPECT_EQ(registry.text(kSettingsKey, QStringLiteral("CityIndex")), QString::number(index))
        << "the stored position is the file's";

    // Opened again, the stored position selects that city, with its own coordinates.
    ASSERT_TRUE(closed() || (delete dialog.data(), true));
    open();
    EXPECT_EQ(dialog->lstCity->currentRow(), row);
    EXPECT_EQ(dialog->cboCity->currentText(), name);
    EXPECT_EQ(dialog->txtLatitude->text(), latitude);
}

TEST_F(DialogTest, TheCountryBoxShowsEveryCountryWhole) {
    open();
    dialog->show();
    QApplication::processEvents();
    QComboBox* box = dialog->cboCountry;
    ASSERT_GT(box->count(), 200);
    const QFontMetrics fm(box->lineEdit()->font());
    int widest = 0;
    QString longest;
    for (int i = 0; i < box->count(); ++i) {
        const int w = fm.horizontalAdvance(box->itemText(i));
        if (w > widest) {
            widest = w;
            longest = box->itemText(i);
        }
    }
    // On the tests' screen (800 x 600) the dialog is as wide as the screen, and the box gives
    // up the width of its longest name; its list still shows every name whole.
    const int area = dialog->screen()->availableGeometry().width();
    if (dialog->frameGeometry().width() < area) {
        // The line edit shows its text inside a small margin on each side.
        EXPECT_GE(box->lineEdit()->width(), widest + 4) << longest.toStdString();
    }
    box->showPopup();
    EXPECT_GE(box->view()->viewport()->width(), widest + 4) << longest.toStdString();
    box->hidePopup();
    box->setCurrentIndex(box->findText(QStringLiteral("United States of America")));
    EXPECT_GE(box->lineEdit()->width(), fm.horizontalAdvance(box->currentText()) + 4);
    const QString shots = QStringLiteral(TALLIX_BUILD_DIR "/screenshots");
    QDir().mkpath(shots);
    dialog->lstCountry->setCurrentRow(238);
    dialog->lstCity->setCurrentItem(
        dialog->lstCity->findItems(QStringLiteral("Arlington, Texas"), Qt::MatchExactly).value(0));
    QApplication::processEvents();
    EXPECT_TRUE(dialog->grab().save(shots + QStringLiteral("/prayer-settings-arlington.png")));
}

} // namespace
