// Pictures of both pages, to look at.
#include "dialog_fixture.h"

#include "runtime/Clock.h"

#include <QCoreApplication>
#include <QDir>
#include <QTabWidget>

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

} // namespace
