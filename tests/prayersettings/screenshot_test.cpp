// Pictures of both pages, to look at.
#include "dialog_fixture.h"

#include "fakes/child_process.h"
#include "fakes/row_contrast.h"
#include "runtime/Clock.h"
#include "runtime/Form.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

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

// "short-screen FOLDER TAG": opens Prayer Settings as the program does, on the screen the platform
// gives, and says where its frame lies and on what work area ("frame X Y W H area X Y W H"),
// and which control does not lie wholly on its page or covers another; pictures of both pages
// go to FOLDER, named with TAG.
const TestHelperRegistration kShortScreen(QStringLiteral("short-screen"), [](const QStringList& a) {
    if (a.size() < 2 || !LoadSettings())
        return 2;
    runtime::SetClock(QDateTime(QDate(2026, 3, 14), QTime(12, 0)));
    const auto visibleControl = [](const QWidget* w) {
        return w->isVisible() && !w->objectName().isEmpty() &&
               !w->objectName().startsWith(QLatin1String("qt_"));
    };
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* dialog =
            qobject_cast<frmPrayerSettings*>(FindForm(QStringLiteral("frmPrayerSettings")));
        if (!dialog || !dialog->isVisible())
            return;
        poll.stop();
        const QRect frame = dialog->frameGeometry();
        const QRect area = dialog->screen()->availableGeometry();
        std::printf("frame %d %d %d %d area %d %d %d %d\n", frame.x(), frame.y(), frame.width(),
                    frame.height(), area.x(), area.y(), area.width(), area.height());
        for (QPushButton* button : {dialog->cmdDefaults, dialog->cmdSave, dialog->cmdExit})
            if (!dialog->rect().contains(button->geometry()))
                std::printf("outside %s\n", qPrintable(button->objectName()));
        for (int page = 0; page < 2; ++page) {
            dialog->tabMain->setCurrentIndex(page);
            QCoreApplication::processEvents();
            QWidget* shown = dialog->tabMain->widget(page);
            for (QWidget* w : shown->findChildren<QWidget*>()) {
                if (!visibleControl(w))
                    continue;
                if (!shown->rect().contains(QRect(w->mapTo(shown, QPoint(0, 0)), w->size())))
                    std::printf("outside %s\n", qPrintable(w->objectName()));
                for (QWidget* other :
                     w->parentWidget()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
                    if (other != w && visibleControl(other) &&
                        w->geometry().intersects(other->geometry()))
                        std::printf("covers %s %s\n", qPrintable(w->objectName()),
                                    qPrintable(other->objectName()));
            }
            dialog->grab().save(
                a.first() +
                QStringLiteral("/prayer-settings-small-screen-%1-%2.png")
                    .arg(page == 0 ? QStringLiteral("location") : QStringLiteral("method"), a[1]));
        }
        dialog->Unload();
    });
    poll.start(20);
    ShowPrayerSettings(0);
    return 0;
});

// On a 1024 x 600 and an 800 x 600 screen whose windows have a title bar, the dialog as the
// program opens it lies wholly on the work area (a CJK font makes it taller than 600; its pages
// close up; 800 is narrower than it: its layout closes up across), every control of both pages
// lies wholly on its page, none covers another, and the buttons lie within the dialog. Pictures
// of both pages, to look at.
TEST(SmallScreen, PrayerSettingsLiesOnTheWorkAreaWithEveryControlWhole) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString shots = QStringLiteral(TALLIX_BUILD_DIR "/screenshots");
    QDir().mkpath(shots);
    for (const auto& [width, lang] :
         {std::pair{1024, "en_US.UTF-8"}, std::pair{1024, "ja_JP.UTF-8"},
          std::pair{800, "en_US.UTF-8"}, std::pair{800, "ja_JP.UTF-8"}}) {
        SCOPED_TRACE(std::to_string(width) + " " + lang);
        QFile config(dir.filePath(QStringLiteral("screen-%1.json").arg(width)));
        ASSERT_TRUE(config.open(QIODevice::WriteOnly));
        config.write(QStringLiteral(R"({"windowFrameMargins": true, "screens": [{"name": "small",
            "x": 0, "y": 0, "width": %1, "height": 600, "logicalDpiX": 96, "logicalDpiY": 96}]})")
                         .arg(width)
                         .toUtf8());
        config.close();
        const QString tag = QString::fromLatin1(lang).section(u'.', 0, 0) +
                            (width == 1024 ? QString() : QStringLiteral("-%1x600").arg(width));
        QProcess helper;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("LC_ALL"));
        env.insert(QStringLiteral("LANG"), QString::fromLatin1(lang));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"),
                   QStringLiteral("offscreen:configfile=") + config.fileName());
        helper.setProcessEnvironment(env);
        StartInOwnSession(helper);
        helper.start(QCoreApplication::applicationFilePath(),
                     {QStringLiteral("--helper"), QStringLiteral("short-screen"), shots, tag});
        ASSERT_TRUE(helper.waitForFinished(60000));
        EXPECT_EQ(helper.exitCode(), 0) << helper.readAllStandardError().toStdString();
        const QStringList lines =
            QString::fromLocal8Bit(helper.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
        ASSERT_FALSE(lines.isEmpty());
        const QStringList n = lines.first().split(u' ');
        ASSERT_EQ(n.size(), 10) << lines.first().toStdString();
        const QRect frame(n[1].toInt(), n[2].toInt(), n[3].toInt(), n[4].toInt());
        const QRect area(n[6].toInt(), n[7].toInt(), n[8].toInt(), n[9].toInt());
        EXPECT_GT(frame.height(), frame.width() / 2) << "a frame around the dialog";
        EXPECT_TRUE(area.contains(frame)) << lines.first().toStdString();
        EXPECT_EQ(lines.mid(1), QStringList()) << lines.mid(1).join(u'\n').toStdString();
        for (const char* page : {"location", "method"})
            EXPECT_TRUE(
                QFile::exists(shots + QStringLiteral("/prayer-settings-small-screen-%1-%2.png")
                                          .arg(QString::fromLatin1(page), tag)));
    }
}

} // namespace
