// The Monthly (the day's row) and Yearly lists show the keyboard focus clearly on their
// current row, as every list of the program does; the picture has the focus in the Monthly
// list.
#include "core/settings.h"
#include "fakes/fake_registry.h"
#include "fakes/fake_sound.h"
#include "fakes/fake_tray.h"
#include "fakes/row_contrast.h"
#include "mainwindow/TabListBox.h"
#include "mainwindow/frmTallix.h"
#include "runtime/Clock.h"

#include <QApplication>
#include <QDir>
#include <QTabWidget>
#include <QTest>
#include <algorithm>
#include <gtest/gtest.h>
#include <memory>

namespace {

TEST(ListFocus, TheFocusedTimetableListShowsItsCurrentRow) {
    FakeRegistry registry;
    FakeSound sound;
    FakeTray tray;
    ASSERT_TRUE(LoadSettings());
    runtime::SetClock(QDateTime(QDate(2026, 3, 14), QTime(12, 0)));
    auto window = std::make_unique<frmTallix>();
    window->Show();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    // The page of the list (the lists are filled as their page is shown).
    const auto showTabOf = [&](QWidget* lst) {
        for (int i = 0; i < window->tabMain->count(); ++i)
            if (window->tabMain->widget(i)->isAncestorOf(lst))
                window->tabMain->setCurrentIndex(i);
        QCoreApplication::processEvents();
    };
    for (TabListBox* lst : {window->lstMonthlyPrayerTimes, window->lstYearlyPrayerTimes}) {
        SCOPED_TRACE(lst->objectName().toStdString());
        showTabOf(lst);
        ASSERT_GT(lst->count(), 0);
        const int r = std::min(2, lst->count() - 1);
        for (const bool selected : {true, false}) {
            lst->setCurrentRow(r, selected ? QItemSelectionModel::ClearAndSelect
                                           : QItemSelectionModel::Clear);
            const QRect row = lst->visualItemRect(lst->item(r));
            window->setFocus();
            lst->clearFocus();
            QCoreApplication::processEvents();
            const QImage away = lst->viewport()->grab(row).toImage();
            lst->setFocus(Qt::OtherFocusReason);
            QCoreApplication::processEvents();
            ASSERT_TRUE(lst->hasFocus());
            const QImage focused = lst->viewport()->grab(row).toImage();
            EXPECT_GE(EdgeContrast(away, focused), 250) << (selected ? "selected" : "not selected");
        }
    }
    showTabOf(window->lstMonthlyPrayerTimes);
    window->lstMonthlyPrayerTimes->setCurrentRow(0);
    window->lstMonthlyPrayerTimes->setFocus();
    QCoreApplication::processEvents();
    const QString dir = QStringLiteral(TALLIX_BUILD_DIR "/screenshots");
    QDir().mkpath(dir);
    EXPECT_TRUE(window->grab().save(dir + QStringLiteral("/main-monthly-list-focus.png")));
    window.reset();
    runtime::SetClock(nullptr);
}

} // namespace
