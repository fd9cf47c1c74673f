// The Monthly and Yearly lists in every language: the window keeps the width the same font gives
// it in English, and each column of a list is either in full view or reachable with the list's
// sideways scroll bar. Each locale runs in a process of its own started with that LANG, so the
// desktop's font for the language (a CJK font for Japanese) is the one the window gets.
#include "core/datefmt.h"
#include "core/settings.h"
#include "fakes/child_process.h"
#include "fakes/fake_registry.h"
#include "fakes/fake_tray.h"
#include "mainwindow/TabListBox.h"
#include "mainwindow/frmTallix.h"
#include "prayersettings/frmPrayerSettings.h"
#include "runtime/Clock.h"

#include <QApplication>
#include <QDir>
#include <QFontDatabase>
#include <QProcess>
#include <QScrollBar>
#include <QTabWidget>
#include <gtest/gtest.h>
#include <memory>
#include <unistd.h>

namespace {

// The window in the process's own locale, or in en_US with the same font ("en_US" as the
// argument): its width, and for each list the width of the list that can be seen, how far it
// scrolls sideways and where each column of its title and rows ends. One fact a line.
int ReportLists(const QStringList& args) {
    FakeRegistry registry;
    FakeTray tray;
    if (!LoadSettings())
        return 2;
    if (!args.isEmpty())
        QLocale::setDefault(QLocale(args.first()));
    gTimeFormat = GetTimeFormatPattern();
    runtime::SetClock(QDateTime(QDate(2025, 3, 9), QTime(15, 28, 0)));
    auto window = std::make_unique<frmTallix>();
    window->Load();
    window->show();
    QApplication::processEvents();
    QTextStream out(stdout);
    out << "font " << QFontInfo(window->font()).family() << '\n';
    out << "width " << window->width() << '\n';
    const QString shots = QStringLiteral(TALLIX_BUILD_DIR "/screenshots");
    QDir().mkpath(shots);
    const QString name = args.isEmpty() ? QLocale().name() : QStringLiteral("reference");
    for (int tab : {1, 2}) {
        window->tabMain->setCurrentIndex(tab);
        QApplication::processEvents();
        TabListBox* title = window->lstTitle[tab - 1];
        TabListBox* list = tab == 1 ? window->lstMonthlyPrayerTimes : window->lstYearlyPrayerTimes;
        // What of the list can be seen: its rows' area, cut by the frame and the page around it.
        const int seen = list->viewport()->visibleRegion().boundingRect().right() + 1;
        const QScrollBar* bar = list->horizontalScrollBar();
        out << "list " << tab << " seen " << seen << " scroll "
            << (bar->isVisible() ? bar->maximum() : 0) << '\n';
        for (TabListBox* l : {title, list}) {
            for (int row : {0, l->ListCount() - 1}) {
                const QString text = l->List(row);
                const QList<int> xs = l->ColumnPositions(text);
                const QStringList columns = text.split(QLatin1Char('\t'));
                out << "columns " << tab;
                for (int i = 0; i < columns.size(); ++i)
                    out << ' ' << 2 + xs[i] + l->fontMetrics().horizontalAdvance(columns[i]);
                out << '\n';
            }
        }
        if (name != QLatin1String("reference"))
            window->grab().save(shots +
                                QStringLiteral("/mainwindow-%1-tab%2.png").arg(name).arg(tab));
    }
    if (name != QLatin1String("reference")) {
        // The day's page and the prayer settings, to look at in the language.
        window->tabMain->setCurrentIndex(0);
        QApplication::processEvents();
        window->grab().save(shots + QStringLiteral("/mainwindow-%1-tab0.png").arg(name));
        auto* settings = new frmPrayerSettings();
        settings->Load();
        settings->show();
        QApplication::processEvents();
        settings->grab().save(shots + QStringLiteral("/prayer-settings-%1.png").arg(name));
        settings->Unload();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    out.flush();
    window.reset();
    runtime::SetClock(nullptr);
    return 0;
}
const TestHelperRegistration kReport(QStringLiteral("report-lists"), ReportLists);

struct Report {
    QString font;
    int width = 0;
    struct List {
        int seen = 0, scroll = 0;
        QList<QList<int>> columns;
    };
    List lists[2];
};

// The report of a copy of this program run with the locale as its LANG.
std::optional<Report> runIn(const char* locale, const QStringList& args) {
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    const QString lang = QString::fromLatin1(locale) + QStringLiteral(".UTF-8");
    env.insert(QStringLiteral("LANG"), lang);
    env.insert(QStringLiteral("LC_ALL"), lang);
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    child.setProcessEnvironment(env);
    StartInOwnSession(child);
    child.start(QCoreApplication::applicationFilePath(),
                QStringList{QStringLiteral("--helper"), QStringLiteral("report-lists")} + args);
    if (!child.waitForFinished(60000)) {
        EndGently(child);
        ADD_FAILURE() << locale << ": the report did not end";
        return std::nullopt;
    }
    if (child.exitCode() != 0) {
        ADD_FAILURE() << locale << ": the report ended with " << child.exitCode() << " "
                      << child.readAllStandardError().toStdString();
        return std::nullopt;
    }
    Report r;
    for (const QByteArray& line : child.readAllStandardOutput().split('\n')) {
        const QList<QByteArray> w = line.split(' ');
        if (w[0] == "font")
            r.font = QString::fromUtf8(line.mid(5));
        else if (w[0] == "width")
            r.width = w[1].toInt();
        else if (w[0] == "list" && w.size() == 6)
            r.lists[w[1].toInt() - 1] = {w[3].toInt(), w[5].toInt(), {}};
        else if (w[0] == "columns") {
            QList<int> ends;
            for (int i = 2; i < w.size(); ++i)
                ends << w[i].toInt();
            r.lists[w[1].toInt() - 1].columns << ends;
        }
    }
    return r;
}

class ListsInLocale : public testing::TestWithParam<const char*> {};

TEST_P(ListsInLocale, EveryColumnCanBeSeenAndTheWindowKeepsItsWidth) {
    const QString locale = QString::fromLatin1(GetParam());
    if (locale.startsWith(QLatin1String("ja")) || locale.startsWith(QLatin1String("zh")) ||
        locale.startsWith(QLatin1String("ko"))) {
        ASSERT_TRUE(QFontDatabase::families().contains(QStringLiteral("Noto Sans CJK JP")))
            << "the desktop's CJK font is missing: install the Debian package fonts-noto-cjk";
    }
    const auto shown = runIn(GetParam(), {});
    const auto english = runIn(GetParam(), {QStringLiteral("en_US")});
    ASSERT_TRUE(shown && english);
    SCOPED_TRACE(shown->font.toStdString());
    EXPECT_EQ(shown->width, english->width);
    for (const auto& list : shown->lists) {
        ASSERT_EQ(list.columns.size(), 4); // the title row, and the first and last rows
        for (const QList<int>& ends : list.columns) {
            EXPECT_EQ(ends.size(), 7);
            for (int end : ends)
                EXPECT_LE(end, list.seen + list.scroll)
                    << "a column ends at " << end << ", past the " << list.seen
                    << " pixels seen and the " << list.scroll << " of scrolling";
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Locales, ListsInLocale,
                         testing::Values("ja_JP", "zh_CN", "ko_KR", "fa_IR", "ar_EG", "ru_RU",
                                         "th_TH", "en_US"),
                         [](const auto& info) { return std::string(info.param); });

// Rows in a font so wide that the columns cannot all fit: the lists scroll to them, and the
// title row moves with the rows.
TEST(ListsInAWideFont, ScrollSidewaysToTheLastColumn) {
    FakeRegistry registry;
    FakeTray tray;
    ASSERT_TRUE(LoadSettings());
    runtime::SetClock(QDateTime(QDate(2025, 3, 9), QTime(15, 28, 0)));
    frmTallix window;
    window.Load();
    for (TabListBox* l : {window.lstTitle[0], window.lstTitle[1], window.lstMonthlyPrayerTimes,
                          window.lstYearlyPrayerTimes}) {
        QFont wide = l->font();
        wide.setLetterSpacing(QFont::AbsoluteSpacing, 12);
        l->setFont(wide);
    }
    window.RefreshPrayers();
    window.show();
    for (int tab : {1, 2}) {
        window.tabMain->setCurrentIndex(tab);
        QApplication::processEvents();
        TabListBox* list = tab == 1 ? window.lstMonthlyPrayerTimes : window.lstYearlyPrayerTimes;
        TabListBox* title = window.lstTitle[tab - 1];
        QScrollBar* bar = list->horizontalScrollBar();
        const int seen = list->viewport()->visibleRegion().boundingRect().right() + 1;
        ASSERT_GT(list->RowsWidth(), seen) << tab;
        EXPECT_TRUE(bar->isVisible()) << tab;
        EXPECT_GE(bar->maximum() + seen, list->RowWidth(list->List(0))) << tab;
        EXPECT_GE(bar->maximum() + seen, title->RowWidth(title->List(0))) << tab;
        // The row under the scroll bar stays in view, and the title row moves with the rows.
        EXPECT_GE(list->viewport()->height(), list->sizeHintForRow(0)) << tab;
        bar->setValue(bar->maximum());
        EXPECT_EQ(title->DrawOffset(), bar->maximum()) << tab;
    }
    const QString shots = QStringLiteral(TALLIX_BUILD_DIR "/screenshots");
    QDir().mkpath(shots);
    EXPECT_TRUE(window.grab().save(shots + QStringLiteral("/mainwindow-wide-font-yearly.png")));
    runtime::SetClock(nullptr);
}

} // namespace
