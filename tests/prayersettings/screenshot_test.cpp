// Pictures of both pages, to look at.
#include "dialog_fixture.h"

#include "fakes/row_contrast.h"
#include "runtime/Clock.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QTabWidget>
#include <QTest>

namespace {

TEST_F(DialogTest, Screenshots) {
    runtime::SetClock(QDateTime(QDate(2026, 3, 14), QTime(12, 0)));
    open();
    dialog->resize(dialog->sizeHint());
    dialog->show();
    const QString dirPath = QStringLiteral(TALLIX_BUILD_DIR "/screenshots");
    QDir().mkpath(dirPath);
    const std::pair<int, const char*> pages[] = {{0, "location"}, {1, "method"}};
    for (const auto& [page, name] : pages) {
        dialog->tabMain->setCurrentIndex(page);
        QCoreApplication::processEvents();
        const QImage shot = dialog->grab().toImage();
        EXPECT_GT(shot.width(), 400);
        EXPECT_TRUE(shot.save(dirPath + QStringLiteral("/prayer-settings-%1.png").arg(name)));
    }
    runtime::SetClock(nullptr);
}

// The list that has the keyboard focus shows it clearly on its current row, selected or not:
// the row's edge changes colour by at least 250 of 765 (the style's own shade of a focused row
// reaches less than 180). The picture has the focus in the countries.
TEST_F(DialogTest, TheFocusedListShowsItsFocus) {
    runtime::SetClock(QDateTime(QDate(2026, 3, 14), QTime(12, 0)));
    open();
    dialog->show();
    dialog->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(dialog));
    for (QListWidget* lst : {dialog->lstCountry, dialog->lstCity}) {
        SCOPED_TRACE(lst->objectName().toStdString());
        for (const bool selected : {true, false}) {
            lst->setCurrentRow(2, selected ? QItemSelectionModel::ClearAndSelect
                                           : QItemSelectionModel::Clear);
            const QRect row = lst->visualItemRect(lst->item(2));
            dialog->txtProvince->setFocus();
            QCoreApplication::processEvents();
            const QImage away = lst->viewport()->grab(row).toImage();
            lst->setFocus(Qt::OtherFocusReason);
            QCoreApplication::processEvents();
            ASSERT_TRUE(lst->hasFocus());
            const QImage focused = lst->viewport()->grab(row).toImage();
            EXPECT_GE(EdgeContrast(away, focused), 250) << (selected ? "selected" : "not selected");
        }
    }
    dialog->lstCountry->setCurrentRow(dialog->lstCountry->currentRow());
    dialog->lstCountry->setFocus();
    QCoreApplication::processEvents();
    const QString dirPath = QStringLiteral(TALLIX_BUILD_DIR "/screenshots");
    QDir().mkpath(dirPath);
    EXPECT_TRUE(dialog->grab().save(dirPath + QStringLiteral("/prayer-settings-list-focus.png")));
    runtime::SetClock(nullptr);
}

} // namespace
