// Timetables: the page of a month, the export to a text file and printing into a PDF file.
#include "calendar/printerdlg.h"
#include "calendar/timetable.h"
#include "core/datefmt.h"
#include "core/mMain.h"
#include "core/settings.h"
#include "cups_server.h"
#include "fakes/child_process.h"
#include "fakes/fake_registry.h"
#include "fakes/fake_shell.h"
#include "fakes/fake_tray.h"
#include "fakes/wait_for.h"
#include "mainwindow/frmTallix.h"
#include "printer_dialog_user.h"
#include "runtime/App.h"
#include "runtime/Clock.h"
#include "runtime/Interaction.h"
#include "runtime/Printer.h"
#include "runtime/ResStrings.h"
#include "runtime/VBDate.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPageSize>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>
#include <QtTest/QTest>
#include <gtest/gtest.h>

#include <csignal>
#include <functional>
#include <memory>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString kRule(78, QLatin1Char('='));

class Timetable : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(LoadSettings());
        ASSERT_TRUE(dir.isValid());
        at(QDate(2025, 6, 15));
        gCityName = QStringLiteral("Testville");
        gProvince = QStringLiteral("  ");
        gCountry = QStringLiteral("Nowhere");
        gLatitude = 21.4225;
        gLongitude = 39.8262;
        gTimeZone = 36; // +3 h
        gDaylightSavings = 2;
        gCalcMethod = 5;
        gMinuteAdjustActive = 0;
        window = std::make_unique<frmTallix>();
        timetable::SetSaveFileAnswerer([this](const QString& title, const QString& proposed,
                                              const QString& filter) -> std::optional<QString> {
            titles << title;
            proposals << proposed;
            filters << filter;
            if (onDialog)
                onDialog();
            if (answer.isNull())
                return std::nullopt;
            return answer;
        });
        runtime::SetMsgBoxAnswerer([this](const QString& prompt, int buttons, const QString&) {
            messages << prompt;
            return (buttons & vbYesNo) == vbYesNo ? replyToQuestion : vbOK;
        });
    }
    void TearDown() override {
        window.reset();
        timetable::SetSaveFileAnswerer(nullptr);
        runtime::SetMsgBoxAnswerer(nullptr);
        runtime::SetClock(nullptr);
        SetCalendar(vbCalGreg);
    }
    static void at(const QDate& d) { runtime::SetClock(QDateTime(d, QTime(10, 0))); }
    // The program's own message boxes from now on, as a user sees them: each is saved as
    // build/screenshots/<shot>-<n>.png, its text kept in messages, and answered with
    // replyToQuestion when it asks, else closed.
    void realBoxes(const QString& name) {
        shot = name;
        if (boxTimer)
            return;
        runtime::SetMsgBoxAnswerer(nullptr);
        QDir().mkpath(QStringLiteral(TALLIX_BUILD_DIR "/screenshots"));
        boxTimer = new QTimer(window.get());
        QObject::connect(boxTimer, &QTimer::timeout, [this] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box || box->property("answered").toBool())
                return;
            box->setProperty("answered", true);
            messages << box->text();
            const QString png = QStringLiteral(TALLIX_BUILD_DIR "/screenshots/%1-%2.png")
                                    .arg(shot)
                                    .arg(messages.size());
            EXPECT_TRUE(box->grab().save(png)) << png.toStdString();
            QAbstractButton* button =
                box->button(replyToQuestion == vbYes ? QMessageBox::Yes : QMessageBox::No);
            if (!button)
                button = box->button(QMessageBox::Ok);
            if (!button && !box->buttons().isEmpty())
                button = box->buttons().constFirst();
            ASSERT_NE(button, nullptr);
            QMetaObject::invokeMethod(button, "click", Qt::QueuedConnection);
        });
        boxTimer->start(20);
    }
    QString path(const QString& name) const { return dir.filePath(name); }
    static QStringList fileLines(const QString& file) {
        QFile f(file);
        if (!f.open(QIODevice::ReadOnly))
            return {};
        const QByteArray bytes = f.readAll();
        EXPECT_TRUE(bytes.endsWith("\r\n"));
        QStringList lines = QString::fromUtf8(bytes).split(QStringLiteral("\r\n"));
        lines.removeLast(); // after the last CR LF
        return lines;
    }
    // The day's six printed times, computed here on their own.
    QStringList dayTimes(const QDate& d) {
        PrayerTime times[7] = {};
        Location loc{};
        CalcMethod conf{};
        window->GetCalculationParameters(loc, conf);
        EXPECT_TRUE(window->CalculatePrayerTimes(d, loc, conf, times, 0));
        QStringList out;
        for (std::int16_t s = 0; s <= 6; ++s) {
            frmTallix::ApplyPrayerAdjustments(times, s);
            if (s > 0)
                out << frmTallix::FormatPrayerTimeMedium(times[s]);
        }
        return out;
    }

    FakeRegistry registry;
    FakeTray tray;
    FakeShell shell;
    QTemporaryDir dir;
    std::unique_ptr<frmTallix> window;
    QString answer;
    std::function<void()> onDialog;
    QStringList titles, proposals, filters, messages;
    int replyToQuestion = vbYes;
    QString shot;
    QTimer* boxTimer = nullptr;
};

// Lines 1 to 13, as the page fixes them.
TEST_F(Timetable, HeaderLinesStandWhereThePageFixesThem) {
    const auto page = window->TimetablePage(vbCalGreg, 3);
    ASSERT_TRUE(page);
    ASSERT_EQ(page->size(), 63);
    const QStringList expected = {
        QString(),
        kRule,
        frmTallix::CenterText(QStringLiteral("Tallix Time - ") + timetable::ProjectHome()),
        QString(),
        QStringLiteral("                         Prayer Schedule - March 2025"),
        QString(),
        QStringLiteral("                         Location: Testville, Nowhere"),
        QStringLiteral("                    Latitude: 21.4225 - Longitude: 39.8262"),
        QString(),
        frmTallix::CenterText(QStringLiteral("Qiblah Direction: ") +
                              (window->lblQiblah ? window->lblQiblah->text() : QString())),
        kRule,
        QStringLiteral(
            "Day      Fajr        Shurooq     Dhuhr       Asr         Maghrib     Ishaa"),
        kRule};
    for (int i = 0; i < expected.size(); ++i)
        EXPECT_EQ((*page)[i], expected[i]) << "line " << i + 1;
    // The home is a bare host name, the web site the build names.
    EXPECT_EQ(timetable::ProjectHome(), QUrl(MakerWebSite()).host());
    EXPECT_FALSE(timetable::ProjectHome().isEmpty());
    // Centring: halves go to the even count; 78 columns or more are left alone.
    EXPECT_EQ(frmTallix::CenterText(QString(35, 'x')), QString(22, ' ') + QString(35, 'x'));
    EXPECT_EQ(frmTallix::CenterText(QString(37, 'x')), QString(20, ' ') + QString(37, 'x'));
    EXPECT_EQ(frmTallix::CenterText(QString(80, 'x')), QString(80, 'x'));
}

// Months of 28, 29, 30 and 31 days and a Hijri month: group lines before days 1, 6, 11...,
// one line per day with its label and times in their columns, the rule, the filler to 63.
// A place named with line breaks (a hand-edited settings file, a pasted name) keeps the page
// at its 63 lines: each name stays on its own line, its control characters shown as blanks.
TEST_F(Timetable, LineBreaksInNamesStayOnTheirLine) {
    gCityName = QStringLiteral("Old\r\nTown");
    gProvince = QStringLiteral("North\tBank\u2028");
    gCountry = QString(QStringLiteral("Far\nLand")) + QChar(0x1B) + QChar(0x85);
    const auto page = window->TimetablePage(vbCalGreg, 3);
    ASSERT_TRUE(page);
    ASSERT_EQ(page->size(), 63);
    for (const QString& line : *page)
        for (const QChar c : line)
            EXPECT_TRUE(c.isPrint()) << line.toStdString();
    EXPECT_EQ(page->at(6).trimmed(), QStringLiteral("Location: Old  Town, North Bank , Far Land"));

    answer = path("names");
    window->ExportMonthPrayerTimes(vbCalGreg, 3);
    EXPECT_EQ(fileLines(path("names.txt")), *page);
}

TEST_F(Timetable, MonthPagesOfEveryLength) {
    struct Case {
        QDate today;
        std::int16_t calendar, month;
        int days;
    };
    SetCalendar(vbCalHijri);
    const int ramadanDays = timetable::MonthLength(vbCalHijri, 1446, 9);
    SetCalendar(vbCalGreg);
    ASSERT_TRUE(ramadanDays == 29 || ramadanDays == 30);
    for (const Case& c :
         {Case{QDate(2025, 6, 15), vbCalGreg, 2, 28}, Case{QDate(2024, 6, 15), vbCalGreg, 2, 29},
          Case{QDate(2025, 6, 15), vbCalGreg, 4, 30}, Case{QDate(2025, 6, 15), vbCalGreg, 1, 31},
          Case{QDate(2025, 1, 15), vbCalHijri, 9, ramadanDays}}) {
        SCOPED_TRACE(std::to_string(c.calendar) + "/" + std::to_string(c.month));
        at(c.today);
        SetCalendar(vbCalHijri); // the page does not depend on the calendar in force
        const auto page = window->TimetablePage(c.calendar, c.month);
        EXPECT_EQ(Calendar(), vbCalHijri);
        SetCalendar(vbCalGreg);
        ASSERT_TRUE(page);
        ASSERT_EQ(page->size(), 63);
        int line = 13;
        // The Gregorian date of the Hijri 1 Ramadan 1446 is 1 March 2025.
        QDate day = c.calendar == vbCalGreg ? QDate(c.today.year(), c.month, 1) : QDate(2025, 3, 1);
        for (int i = 0; i < c.days; ++i, day = day.addDays(1)) {
            if (i % 5 == 0) {
                EXPECT_EQ((*page)[line++], QString()) << "group line before day " << i + 1;
            }
            const QString& text = (*page)[line++];
            const QString label =
                c.calendar == vbCalGreg
                    ? GetMonthName(0, std::int16_t(c.month), 0) + QStringLiteral(" %1").arg(i + 1)
                    : GetMonthName(1, 9, 0) + QStringLiteral(" %1").arg(i + 1);
            EXPECT_EQ(text.left(9), label.leftJustified(9)) << i;
            const QStringList times = dayTimes(day);
            for (int s = 0; s < 6; ++s)
                EXPECT_EQ(text.mid(9 + 12 * s, 12), times[s].leftJustified(12)) << i << " " << s;
            EXPECT_EQ(text.size(), 81);
        }
        EXPECT_EQ((*page)[line++], kRule);
        EXPECT_EQ(line, 13 + c.days + (c.days + 4) / 5 + 1);
        for (; line < 63; ++line)
            EXPECT_EQ((*page)[line], QString()) << "filler " << line;
        EXPECT_FALSE(page->join('\n').contains('*'));
    }
}

// At 48 N in June Fajr (18 degrees) occurs but Imsaak (19.5) does not: only slot 0 borrows its
// time, no printed time has "*", and still the page ends with the footnote.
TEST_F(Timetable, FootnoteWhenOnlyTheUnprintedSlotIsExtreme) {
    gLatitude = 48.0;
    gLongitude = 2.35;
    gTimeZone = 32; // +1 h
    const auto page = window->TimetablePage(vbCalGreg, 6);
    ASSERT_TRUE(page);
    ASSERT_EQ(page->size(), 63);
    EXPECT_FALSE(page->mid(13, 36).join('\n').contains('*'));
    const int ruleAt = 13 + 30 + 6;
    EXPECT_EQ((*page)[ruleAt], kRule);
    EXPECT_EQ((*page)[ruleAt + 1], QString());
    EXPECT_EQ((*page)[ruleAt + 2], LoadResString(406));
    EXPECT_EQ((*page)[ruleAt + 3], LoadResString(407));
    EXPECT_EQ((*page)[ruleAt + 4], LoadResString(408));
    // Farther north the printed Fajr and Ishaa borrow too, and carry their mark.
    gLatitude = 60.0;
    const auto north = window->TimetablePage(vbCalGreg, 6);
    ASSERT_TRUE(north);
    EXPECT_TRUE((*north)[20].contains('*'));
}

TEST_F(Timetable, DefaultNamesTitlesAndTheTxtEnding) {
    // A home with neither Desktop nor Documents: the dialog starts at home, never in the
    // program's folder.
    const QByteArray savedHome = qgetenv("HOME");
    const QString folder = path("home");
    ASSERT_TRUE(QDir().mkpath(folder));
    qputenv("HOME", QFile::encodeName(folder));
    answer = QString(); // cancel: only the dialog's arguments matter here
    window->ExportMonthPrayerTimes(vbCalGreg, 3);
    window->ExportMonthPrayerTimes(vbCalHijri, 9);
    window->ExportYearPrayerTimes(vbCalGreg);
    window->ExportYearPrayerTimes(vbCalHijri);
    qputenv("HOME", savedHome);
    const QStringList names = {
        "Testville, Mar 2025 Prayer Schedule.txt", "Testville, Ram 1446 Prayer Schedule.txt",
        "Testville, 2025 Prayer Schedule.txt", "Testville, 1446 Hijri Prayer Schedule.txt"};
    const QStringList expectedTitles = {"Tallix Time - Save March Prayer Schedule As",
                                        "Tallix Time - Save Ramadan Prayer Schedule As",
                                        "Tallix Time - Save 2025 Prayer Schedule As",
                                        "Tallix Time - Save 1446 Prayer Schedule As"};
    ASSERT_EQ(proposals.size(), 4);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(proposals[i], QDir(folder).filePath(names[i]));
        EXPECT_EQ(titles[i], expectedTitles[i]);
        EXPECT_EQ(filters[i], QStringLiteral("Text Document (*.txt)"));
    }
    // ".txt" is added once, only when missing.
    for (const auto& [chosen, written] :
         {std::pair{"plain", "plain.txt"}, std::pair{"named.txt", "named.txt"},
          std::pair{"upper.TXT", "upper.TXT"}}) {
        answer = path(chosen);
        window->ExportMonthPrayerTimes(vbCalGreg, 2);
        EXPECT_TRUE(QFile::exists(path(written))) << written;
    }
    EXPECT_FALSE(QFile::exists(path("named.txt.txt")));
    EXPECT_TRUE(messages.isEmpty());
}

// Cancel writes nothing, opens nothing and leaves the calendar in force as it was.
TEST_F(Timetable, CancelWritesNothingAndRestoresTheCalendar) {
    for (std::int16_t calendar : {vbCalGreg, vbCalHijri}) {
        SetCalendar(calendar);
        answer = QString();
        window->ExportMonthPrayerTimes(vbCalHijri, 1);
        EXPECT_EQ(Calendar(), calendar);
        window->ExportYearPrayerTimes(vbCalGreg == calendar ? vbCalHijri : vbCalGreg);
        EXPECT_EQ(Calendar(), calendar);
    }
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).isEmpty());
    EXPECT_TRUE(shell.opened.isEmpty());
    EXPECT_TRUE(shell.started.isEmpty());
}

// A year is one file of twelve pages, 756 lines ended by CR LF, each page with its own header,
// and the calendar in force is back afterwards.
TEST_F(Timetable, YearFileHoldsTwelvePages) {
    SetCalendar(vbCalHijri);
    answer = path("year");
    window->ExportYearPrayerTimes(vbCalGreg);
    EXPECT_EQ(Calendar(), vbCalHijri);
    const QStringList lines = fileLines(path("year.txt"));
    ASSERT_EQ(lines.size(), 756);
    for (int m = 1; m <= 12; ++m) {
        const auto page = window->TimetablePage(vbCalGreg, std::int16_t(m));
        ASSERT_TRUE(page);
        EXPECT_EQ(lines.mid((m - 1) * 63, 63), *page) << m;
    }
    // Opened once, with the desktop's viewer.
    ASSERT_EQ(shell.opened.size(), 1);
    EXPECT_EQ(shell.opened[0].toLocalFile(), path("year.txt"));
}

TEST_F(Timetable, SavingOverAFileAsksFirst) {
    QFile old(path("kept.txt"));
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("mine\n");
    old.close();
    answer = path("kept");
    replyToQuestion = vbNo;
    window->ExportMonthPrayerTimes(vbCalGreg, 5);
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].contains(QDir::toNativeSeparators(path("kept.txt"))));
    QFile check(path("kept.txt"));
    ASSERT_TRUE(check.open(QIODevice::ReadOnly));
    EXPECT_EQ(check.readAll(), QByteArray("mine\n"));
    check.close();
    EXPECT_TRUE(shell.opened.isEmpty());
    replyToQuestion = vbYes;
    window->ExportMonthPrayerTimes(vbCalGreg, 5);
    EXPECT_EQ(fileLines(path("kept.txt")).size(), 63);
}

// A file the export replaces keeps the permissions its user gave it, and only the file is left.
TEST_F(Timetable, AReplacedFileKeepsItsMode) {
    for (const mode_t mode : {mode_t(0640), mode_t(0600), mode_t(0644)}) {
        SCOPED_TRACE(mode);
        QFile old(path("kept.txt"));
        ASSERT_TRUE(old.open(QIODevice::WriteOnly | QIODevice::Truncate));
        old.write("mine\n");
        old.close();
        ASSERT_EQ(::chmod(QFile::encodeName(path("kept.txt")).constData(), mode), 0);
        answer = path("kept");
        replyToQuestion = vbYes;
        window->ExportMonthPrayerTimes(vbCalGreg, 5);
        EXPECT_EQ(fileLines(path("kept.txt")).size(), 63);
        struct stat st {};
        ASSERT_EQ(::lstat(QFile::encodeName(path("kept.txt")).constData(), &st), 0);
        EXPECT_TRUE(S_ISREG(st.st_mode));
        EXPECT_EQ(st.st_mode & 07777, mode);
        EXPECT_EQ(
            QDir(dir.path())
                .entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::Hidden | QDir::System),
            QStringList{QStringLiteral("kept.txt")});
    }
}

// A file that cannot be put in place is reported; nothing half-written is left behind.
TEST_F(Timetable, AFailedWriteLeavesNothingBehind) {
    answer = dir.filePath(QStringLiteral("no such folder/page"));
    window->ExportMonthPrayerTimes(vbCalGreg, 5);
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].contains(QStringLiteral("could not be written")));
    EXPECT_TRUE(QDir(dir.path()).isEmpty(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::System));
    EXPECT_TRUE(shell.opened.isEmpty());
}

// What is no regular file at the chosen path (a named pipe, which a writer would wait on, a
// socket, a folder, a link to a device) is refused before anything is asked or written, with a
// message that says what is there; it stays as it was.
TEST_F(Timetable, ThePathMustBeARegularFileOrNothing) {
    const struct {
        const char* name;
        std::function<bool(const QByteArray&)> make;
        const char* said;
    } cases[] = {
        {"pipe.txt", [](const QByteArray& p) { return ::mkfifo(p.constData(), 0600) == 0; },
         "is a named pipe, not a regular file"},
        {"folder.txt", [](const QByteArray& p) { return ::mkdir(p.constData(), 0700) == 0; },
         "is a folder, not a regular file"},
        {"device.txt",
         [](const QByteArray& p) { return ::symlink("/dev/null", p.constData()) == 0; },
         "is a device, not a regular file"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QString target = path(QString::fromLatin1(c.name));
        ASSERT_TRUE(c.make(QFile::encodeName(target)));
        const QFileInfo before(target);
        messages.clear();
        answer = target;
        replyToQuestion = vbYes;
        window->ExportMonthPrayerTimes(vbCalGreg, 5);
        ASSERT_EQ(messages.size(), 1) << qPrintable(messages.join(u'|'));
        EXPECT_TRUE(messages[0].contains(QLatin1String(c.said))) << qPrintable(messages[0]);
        EXPECT_TRUE(messages[0].contains(target)) << qPrintable(messages[0]);
        const QFileInfo after(target);
        EXPECT_EQ(after.isSymLink(), before.isSymLink());
        EXPECT_EQ(after.isDir(), before.isDir());
        EXPECT_FALSE(after.isFile());
    }
    EXPECT_EQ(
        QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::System).size(),
        3);
    EXPECT_TRUE(shell.opened.isEmpty());
}

// A disk that fills up while the file is written (a file size limit stands for it, in a child
// process): the file it was to replace keeps its content, nothing else is left, the user is told.
TEST_F(Timetable, AFullDiskLeavesTheOldFileAndSaysSo) {
    const auto writeOld = [this] {
        QFile old(path("kept.txt"));
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("mine\n");
    };
    for (const bool year : {false, true}) {
        SCOPED_TRACE(year ? "year" : "month");
        writeOld();
        answer = path("kept");
        const int code = RunInChild(
            [&] {
                const struct rlimit limit { 200, 200 };
                ::signal(SIGXFSZ, SIG_IGN);
                if (::setrlimit(RLIMIT_FSIZE, &limit) != 0)
                    return 3;
                if (year)
                    window->ExportYearPrayerTimes(vbCalGreg);
                else
                    window->ExportMonthPrayerTimes(vbCalGreg, 5);
                const bool told = messages.size() == 2 &&
                                  messages[1].contains(QStringLiteral("could not be written"));
                return told && shell.opened.isEmpty() ? 0 : 1;
            },
            20000);
        EXPECT_EQ(code, 0);
        QFile check(path("kept.txt"));
        ASSERT_TRUE(check.open(QIODevice::ReadOnly));
        EXPECT_EQ(check.readAll(), QByteArray("mine\n"));
        EXPECT_EQ(
            QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::Hidden),
            QStringList{QStringLiteral("kept.txt")});
    }
}

// A link at the chosen path (another user's, in a shared folder, say) is the entry that is
// replaced: what it points to is never written, and the question comes also for a link that
// points nowhere.
TEST_F(Timetable, ALinkAtThePathIsReplacedNotFollowed) {
    QFile victim(path("victim"));
    ASSERT_TRUE(victim.open(QIODevice::WriteOnly));
    victim.write("precious\n");
    victim.close();
    ASSERT_TRUE(QFile::link(path("victim"), path("shared.txt")));
    ASSERT_TRUE(QFile::link(path("nowhere"), path("dangling.txt")));
    for (const char* name : {"shared", "dangling"}) {
        SCOPED_TRACE(name);
        const QString chosen = path(QString::fromLatin1(name) + QStringLiteral(".txt"));
        messages.clear();
        answer = chosen;
        replyToQuestion = vbNo;
        window->ExportMonthPrayerTimes(vbCalGreg, 5);
        ASSERT_EQ(messages.size(), 1);
        EXPECT_TRUE(messages[0].contains(QDir::toNativeSeparators(chosen)));
        EXPECT_TRUE(QFileInfo(chosen).isSymLink());
        replyToQuestion = vbYes;
        window->ExportMonthPrayerTimes(vbCalGreg, 5);
        EXPECT_FALSE(QFileInfo(chosen).isSymLink());
        EXPECT_EQ(fileLines(chosen).size(), 63);
    }
    QFile check(path("victim"));
    ASSERT_TRUE(check.open(QIODevice::ReadOnly));
    EXPECT_EQ(check.readAll(), QByteArray("precious\n"));
    EXPECT_FALSE(QFileInfo::exists(path("nowhere")));
}

// The desktop's viewer first; when it fails, a text editor gets the path as its one argument.
TEST_F(Timetable, TheWrittenFileIsOpenedWithoutAShell) {
    shell.openSucceeds = false;
    shell.programs[QStringLiteral("mousepad")] = QStringLiteral("/usr/bin/mousepad");
    shell.programs[QStringLiteral("kate")] = QStringLiteral("/usr/bin/kate");
    answer = path("odd; name $(rm -rf x) & 'quoted'");
    window->ExportMonthPrayerTimes(vbCalGreg, 7);
    ASSERT_EQ(shell.opened.size(), 1);
    ASSERT_EQ(shell.started.size(), 1);
    EXPECT_EQ(shell.started[0].program, QStringLiteral("/usr/bin/kate"));
    EXPECT_EQ(shell.started[0].arguments,
              QStringList{path("odd; name $(rm -rf x) & 'quoted'.txt")});
}

// Nothing can show the written file: the user learns where it went. A shown file needs no word.
TEST_F(Timetable, WithNothingToShowItTheExportSaysWhereItWent) {
    shell.openSucceeds = false;
    realBoxes(QStringLiteral("export-saved-where"));
    answer = path("June");
    window->ExportMonthPrayerTimes(vbCalGreg, 6);
    EXPECT_EQ(fileLines(path("June.txt")).size(), 63);
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].contains(QStringLiteral("\"%1\"").arg(path("June.txt"))))
        << messages[0].toStdString();
    shell.openSucceeds = true;
    answer = path("Year");
    window->ExportYearPrayerTimes(vbCalHijri);
    EXPECT_EQ(fileLines(path("Year.txt")).size(), 756);
    EXPECT_EQ(messages.size(), 1);
}

// While one export or print runs (it yields to the event loop), the commands do nothing but
// say that one is under way.
TEST_F(Timetable, CommandsDoNotNest) {
    int dialogs = 0;
    answer = path("outer");
    onDialog = [&] {
        if (++dialogs > 1)
            return;
        window->ExportYearPrayerTimes(vbCalGreg);
        window->mnuExportMonthHijri[2]->trigger();
        window->PrintMonthPrayerTimes(vbCalGreg, 1);
    };
    window->ExportMonthPrayerTimes(vbCalGreg, 1);
    EXPECT_EQ(dialogs, 1);
    EXPECT_EQ(titles.size(), 1);
    EXPECT_EQ(fileLines(path("outer.txt")).size(), 63);
    EXPECT_EQ(messages, QStringList(3, QStringLiteral("A timetable is being saved; wait until it "
                                                      "is done.")));
    EXPECT_FALSE(timetable::CommandGuard::running());
}

// Printing with a print server of the test's own and its queue "tallix", which writes each job
// (a PDF) into queueOutput(); the printer is that queue. The print dialog is the program's own,
// used as a user does (printer_dialog_user.h).
class TimetablePrint : public Timetable {
protected:
    void SetUp() override {
        Timetable::SetUp();
        if (withServer()) {
            ASSERT_TRUE(cupsDir.isValid());
            cups = std::make_unique<CupsServer>(cupsDir.path());
            QString why;
            ASSERT_TRUE(cups->Start(&why)) << why.toStdString();
            ASSERT_TRUE(cups->AddQueue(kQueue, queueOutput(), &why)) << why.toStdString();
        }
        runtime::Printer().SetDeviceName(withServer() ? kQueue : QString());
        runtime::Printer().SetPaperSize(vbPRPSA4);
    }
    void TearDown() override {
        runtime::Printer().PrintIntoFile(QString());
        Timetable::TearDown();
        cups.reset();
    }
    virtual bool withServer() const { return true; }
    QString queueOutput() const { return cupsDir.filePath(QStringLiteral("out/tallix.pdf")); }
    static QString pdfTitle(const QString& pdf) {
        const QString info = run(QStringLiteral("pdfinfo"), {pdf});
        const auto m = QRegularExpression(QStringLiteral("Title:\\s+([^\\n]*)")).match(info);
        return m.hasMatch() ? m.captured(1).trimmed() : QString();
    }
    static bool havePdfTools() {
        return !QStandardPaths::findExecutable(QStringLiteral("pdfinfo")).isEmpty();
    }
    const QString kQueue = QStringLiteral("tallix");
    QTemporaryDir cupsDir;
    std::unique_ptr<CupsServer> cups;
    // Waits until the queue has printed its jobs'th job; the PDF it wrote is queueOutput().
    bool printed(std::size_t jobs, const QString& queue = QString()) {
        std::vector<CupsServer::Job> all;
        const bool done = WaitFor(
            [&] {
                all = cups->Jobs(queue.isEmpty() ? kQueue : queue);
                return all.size() == jobs && all.back().state == IPP_JSTATE_COMPLETED;
            },
            120000);
        EXPECT_TRUE(done) << all.size() << " jobs";
        return done;
    }
    static QString run(const QString& program, const QStringList& args) {
        QProcess p;
        p.start(program, args);
        p.waitForFinished(30000);
        return QString::fromUtf8(p.readAllStandardOutput());
    }
    static int pages(const QString& pdf) {
        const QString info = run(QStringLiteral("pdfinfo"), {pdf});
        const auto m = QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)")).match(info);
        return m.hasMatch() ? m.captured(1).toInt() : -1;
    }
    // The non-blank lines of a page as pdftotext lays them out, blanks squeezed.
    static QStringList words(const QStringList& lines) {
        QStringList out;
        for (const QString& l : lines)
            if (!l.trimmed().isEmpty())
                out << l.simplified();
        return out;
    }
    PrinterDialogUser user;
};

TEST_F(TimetablePrint, AYearIsOneSheetPerMonthWithThePagesLines) {
    ASSERT_TRUE(ToolInstalled(QStringLiteral("pdftotext"), "poppler-utils"));
    user.Then([](runtime::PrinterDialog* dialog) { dialog->cmdOK->click(); });
    window->mnuPrintYearHijri->trigger();
    EXPECT_EQ(user.seen(), 1);
    // To a printer: nothing to say.
    EXPECT_TRUE(messages.isEmpty()) << messages.join('\n').toStdString();
    ASSERT_TRUE(printed(1));
    const QString pdf = queueOutput();
    ASSERT_EQ(pages(pdf), 12);
    for (int m = 1; m <= 12; m += 11) {
        const QString text =
            run(QStringLiteral("pdftotext"),
                {QStringLiteral("-layout"), QStringLiteral("-f"), QString::number(m),
                 QStringLiteral("-l"), QString::number(m), pdf, QStringLiteral("-")});
        const auto page = window->TimetablePage(vbCalHijri, std::int16_t(m));
        ASSERT_TRUE(page);
        EXPECT_EQ(words(text.split('\n')), words(*page)) << m;
    }
}

TEST_F(TimetablePrint, AMonthFitsOneSheetAndIsSavedAsAPicture) {
    ASSERT_TRUE(ToolInstalled(QStringLiteral("pdftoppm"), "poppler-utils"));
    // A5, chosen in the dialog, is too short for 63 lines of 10-point type: the type is made
    // smaller instead.
    user.Then([](runtime::PrinterDialog* dialog) {
        EXPECT_TRUE(
            PrinterDialogUser::Choose(dialog->cboPaperSize, QByteArray("iso_a5_148x210mm")));
        dialog->cmdOK->click();
    });
    window->mnuPrintMonthGregorian[1]->trigger();
    ASSERT_TRUE(printed(1));
    EXPECT_EQ(pages(queueOutput()), 1);
    EXPECT_EQ(runtime::Printer().PaperSize(), vbPRPSA5);
    EXPECT_LE(runtime::Printer().TextHeight() * 63, runtime::Printer().Height());
    EXPECT_LT(runtime::Printer().FontSize(), 10);
    user.Then([](runtime::PrinterDialog* dialog) {
        EXPECT_TRUE(
            PrinterDialogUser::Choose(dialog->cboPaperSize, QByteArray("iso_a4_210x297mm")));
        dialog->cmdOK->click();
    });
    window->mnuPrintMonthGregorian[1]->trigger();
    ASSERT_TRUE(printed(2));
    ASSERT_EQ(pages(queueOutput()), 1);
    QDir().mkpath(QStringLiteral(TALLIX_BUILD_DIR "/screenshots"));
    run(QStringLiteral("pdftoppm"),
        {QStringLiteral("-png"), QStringLiteral("-r"), QStringLiteral("80"),
         QStringLiteral("-singlefile"), queueOutput(),
         QStringLiteral(TALLIX_BUILD_DIR "/screenshots/print-month")});
    EXPECT_TRUE(QFile::exists(QStringLiteral(TALLIX_BUILD_DIR "/screenshots/print-month.png")));
}

// A cancelled dialog prints nothing and leaves the printer as it was, whatever was changed in
// it; a file that cannot be written is reported.
TEST_F(TimetablePrint, NothingIsPrintedWhenCancelledAndFailuresAreReported) {
    const runtime::PrintSettings before = runtime::Printer().Settings();
    user.Then([](runtime::PrinterDialog* dialog) {
        EXPECT_TRUE(
            PrinterDialogUser::Choose(dialog->cboPaperSize, QByteArray("na_letter_8.5x11in")));
        EXPECT_TRUE(PrinterDialogUser::Choose(dialog->cboOrientation, true));
        dialog->txtCopies->setValue(3);
        dialog->cmdCancel->click();
    });
    window->mnuPrintMonthHijri[3]->trigger();
    EXPECT_EQ(user.seen(), 1);
    EXPECT_TRUE(messages.isEmpty());
    EXPECT_EQ(runtime::Printer().PaperSize(), vbPRPSA4);
    EXPECT_EQ(runtime::Printer().Orientation(), vbPRORPortrait);
    EXPECT_EQ(runtime::Printer().Copies(), 1);
    EXPECT_EQ(runtime::Printer().Settings().queue, before.queue);
    // Escape is Cancel too.
    user.Then([](runtime::PrinterDialog* dialog) {
        EXPECT_TRUE(PrinterDialogUser::Choose(dialog->cboOrientation, true));
        PrinterDialogUser::Press(dialog, Qt::Key_Escape);
    });
    window->mnuPrintMonthHijri[3]->trigger();
    EXPECT_EQ(user.seen(), 2);
    EXPECT_EQ(runtime::Printer().Orientation(), vbPRORPortrait);

    runtime::Printer().PrintIntoFile(dir.filePath(QStringLiteral("missing folder/x.pdf")));
    SetCalendar(vbCalHijri);
    window->tlbPrint_Click();
    EXPECT_EQ(Calendar(), vbCalHijri);
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].contains(QStringLiteral("could not be printed")));
    EXPECT_TRUE(cups->Jobs(kQueue).empty());
}

// A job reaches the queue named after its timetable, and the PDF that the queue writes carries
// that title; a print that went to a printer needs no word.
TEST_F(TimetablePrint, AJobReachesTheQueueUnderItsTimetablesTitle) {
    if (!havePdfTools())
        FAIL() << "pdfinfo is not installed: install the Debian package poppler-utils";
    for (int i = 0; i < 2; ++i)
        user.Then([](runtime::PrinterDialog* dialog) {
            PrinterDialogUser::Press(dialog, Qt::Key_Return);
        });
    struct Case {
        std::function<void()> print;
        QString title;
        int pages;
    };
    const Case cases[] = {
        {[this] { window->mnuPrintMonthGregorian[6]->trigger(); },
         timetable::MonthTitle(vbCalGreg, 6), 1},
        {[this] { window->mnuPrintYearHijri->trigger(); }, timetable::YearTitle(vbCalHijri), 12},
        // The toolbar prints the current month at once.
        {[this] { window->tlbPrint_Click(); }, timetable::MonthTitle(vbCalGreg, 6), 1},
    };
    EXPECT_EQ(cases[0].title, QStringLiteral("Testville, Jun 2025 Prayer Schedule"));
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        QFile::remove(queueOutput());
        cases[i].print();
        EXPECT_TRUE(messages.isEmpty()) << messages.join('\n').toStdString();
        ASSERT_TRUE(printed(i + 1)) << i;
        EXPECT_EQ(cups->Jobs(kQueue).back().title, cases[i].title);
        EXPECT_EQ(pages(queueOutput()), cases[i].pages) << i;
        EXPECT_EQ(pdfTitle(queueOutput()), cases[i].title) << i;
    }
    EXPECT_EQ(user.seen(), 2);
}

// A queue that refuses the job, a stopped queue that holds it and a print server that went away
// while the dialog was open: the user is told, with the reason.
TEST_F(TimetablePrint, ARefusedHeldOrLostJobIsReportedWithTheReason) {
    struct Case {
        const char* name;
        std::function<void()> prepare;     // before the print command
        std::function<void()> whileDialog; // while the dialog is open
        QStringList told;
        std::size_t jobsAfter;
    };
    const QString title = timetable::MonthTitle(vbCalHijri, 9);
    const Case cases[] = {
        {"print-refused",
         [this] {
             cups->Run(QStringLiteral("cupsreject"),
                       {QStringLiteral("-r"), QStringLiteral("Out of paper"), kQueue});
         },
         nullptr,
         {QStringLiteral("could not be printed"), QStringLiteral("\"tallix\""),
          QStringLiteral("Out of paper")},
         0},
        {"print-stopped",
         [this] {
             cups->Run(QStringLiteral("cupsaccept"), {kQueue});
             cups->Run(QStringLiteral("cupsdisable"),
                       {QStringLiteral("-r"), QStringLiteral("Paper jam"), kQueue});
         },
         nullptr,
         {QStringLiteral("\"tallix\" is stopped"), QStringLiteral("Paper jam"),
          QStringLiteral("waits in its queue")},
         1},
        {"print-server-gone",
         nullptr,
         [this] { cups->Stop(); },
         {QStringLiteral("could not be printed"), QStringLiteral("print server is not running")},
         1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        messages.clear();
        realBoxes(QLatin1String(c.name));
        if (c.prepare)
            c.prepare();
        user.Then([&c](runtime::PrinterDialog* dialog) {
            if (c.whileDialog)
                c.whileDialog();
            dialog->cmdOK->click();
        });
        window->mnuPrintMonthHijri[9]->trigger();
        ASSERT_EQ(messages.size(), 1);
        for (const QString& words : c.told)
            EXPECT_TRUE(messages[0].contains(words)) << messages[0].toStdString();
        if (c.whileDialog)
            continue; // nothing to ask any more
        const auto jobs = cups->Jobs(kQueue);
        ASSERT_EQ(jobs.size(), c.jobsAfter);
        if (!jobs.empty()) {
            EXPECT_EQ(jobs.back().title, title);
            EXPECT_LT(jobs.back().state, IPP_JSTATE_STOPPED); // waiting, not printed
        }
        EXPECT_FALSE(QFile::exists(queueOutput()));
    }
}

// A queue whose description offers two-sided printing, A4 and Letter, two paper sources, grey
// and colour: the dialog offers just that, starting from the queue's own defaults where the
// printer's settings are not among them, and the job the server holds carries what was
// chosen; the toolbar then prints with the same choice without a dialog.
TEST_F(TimetablePrint, TheDialogOffersWhatTheQueueDoesAndTheJobCarriesTheChoice) {
    const QString queue = QStringLiteral("twosided");
    QString why;
    ASSERT_TRUE(cups->AddQueue(queue, cupsDir.filePath(QStringLiteral("out/twosided.pdf")), &why,
                               QStringLiteral(TALLIX_SOURCE_DIR "/tests/calendar/two-sided.ppd")))
        << why.toStdString();
    ASSERT_EQ(
        cups->Run(QStringLiteral("lpadmin"), {QStringLiteral("-p"), queue, QStringLiteral("-L"),
                                              QStringLiteral("Beside the tests")}),
        0);
    // Stopped: it keeps its jobs, so that the server can be asked what they carry.
    ASSERT_EQ(cups->Run(QStringLiteral("cupsdisable"), {queue}), 0);
    QStringList papers, sides, sources, colours;
    user.Then([&](runtime::PrinterDialog* dialog) {
        EXPECT_EQ(dialog->cboPrinter->currentData().toString(), kQueue);
        ASSERT_TRUE(PrinterDialogUser::Choose(dialog->cboPrinter, queue));
        ASSERT_TRUE(WaitFor([&] { return dialog->cmdOK->isEnabled(); }, 30000))
            << dialog->lblStatus->text().toStdString();
        papers = PrinterDialogUser::Items(dialog->cboPaperSize);
        sides = PrinterDialogUser::Items(dialog->cboSides);
        sources = PrinterDialogUser::Items(dialog->cboPaperSource);
        colours = PrinterDialogUser::Items(dialog->cboColor);
        // A4 was the printer's paper before, and this queue has it.
        EXPECT_EQ(dialog->cboPaperSize->currentData().toByteArray(), "iso_a4_210x297mm");
        EXPECT_EQ(dialog->cboSides->currentData().toByteArray(), "one-sided");
        // What the server says of the printer.
        EXPECT_EQ(dialog->lblStatus->text(),
                  QStringLiteral("Type: Two-Sided Test Printer\nWhere: Beside the tests"));
        PrinterDialogUser::Shoot(dialog, QStringLiteral("print-dialog"));
        // Fits a screen of 800 x 600, frame and panel included.
        EXPECT_LE(dialog->frameGeometry().width(), 800);
        EXPECT_LE(dialog->frameGeometry().height(), 560);
        EXPECT_TRUE(
            PrinterDialogUser::Choose(dialog->cboPaperSize, QByteArray("na_letter_8.5x11in")));
        EXPECT_TRUE(
            PrinterDialogUser::Choose(dialog->cboSides, QByteArray("two-sided-short-edge")));
        EXPECT_TRUE(PrinterDialogUser::Choose(dialog->cboOrientation, true));
        EXPECT_TRUE(PrinterDialogUser::Choose(dialog->cboColor, QByteArray("color")));
        EXPECT_TRUE(PrinterDialogUser::Choose(dialog->cboQuality, QByteArray("3")));
        EXPECT_TRUE(PrinterDialogUser::Choose(dialog->cboPaperSource, QByteArray("manual")));
        dialog->txtCopies->setValue(2);
        dialog->chkCollate->setChecked(false);
        dialog->cmdOK->click();
    });
    window->mnuPrintMonthGregorian[6]->trigger();
    EXPECT_EQ(user.seen(), 1);
    EXPECT_TRUE(papers.contains(QStringLiteral("iso_a4_210x297mm")))
        << papers.join(' ').toStdString();
    EXPECT_TRUE(papers.contains(QStringLiteral("na_letter_8.5x11in")))
        << papers.join(' ').toStdString();
    EXPECT_EQ(papers.size(), 2) << papers.join(' ').toStdString();
    EXPECT_EQ(sides,
              QStringList({QStringLiteral("one-sided"), QStringLiteral("two-sided-long-edge"),
                           QStringLiteral("two-sided-short-edge")}));
    EXPECT_TRUE(sources.contains(QStringLiteral("manual"))) << sources.join(' ').toStdString();
    EXPECT_TRUE(colours.contains(QStringLiteral("color"))) << colours.join(' ').toStdString();
    ASSERT_EQ(messages.size(), 1) << messages.join('\n').toStdString();
    EXPECT_TRUE(messages[0].contains(QStringLiteral("is stopped"))) << messages[0].toStdString();
    // The printer keeps the choice for the rest of the run.
    EXPECT_EQ(runtime::Printer().DeviceName(), queue);
    EXPECT_FALSE(runtime::Printer().TrackDefault());
    EXPECT_EQ(runtime::Printer().PaperSize(), vbPRPSLetter);
    EXPECT_EQ(runtime::Printer().Duplex(), vbPRDPHorizontal);
    EXPECT_EQ(runtime::Printer().Orientation(), vbPRORLandscape);
    EXPECT_EQ(runtime::Printer().ColorMode(), vbPRCMColor);
    EXPECT_EQ(runtime::Printer().PrintQuality(), vbPRPQDraft);
    EXPECT_EQ(runtime::Printer().Copies(), 2);

    messages.clear();
    window->tlbPrint_Click();
    EXPECT_EQ(user.seen(), 1);
    const auto jobs = cups->Jobs(queue);
    ASSERT_EQ(jobs.size(), 2U);
    for (const auto& job : jobs) {
        const auto held = cups->JobAttributes(job.id);
        EXPECT_EQ(held.value("media"), QStringLiteral("na_letter_8.5x11in"));
        EXPECT_EQ(held.value("sides"), QStringLiteral("two-sided-short-edge"));
        EXPECT_EQ(held.value("copies"), QStringLiteral("2"));
        EXPECT_EQ(held.value("multiple-document-handling"),
                  QStringLiteral("separate-documents-uncollated-copies"));
        EXPECT_EQ(held.value("print-color-mode"), QStringLiteral("color"));
        EXPECT_EQ(held.value("print-quality"), QStringLiteral("draft")); // 3
        EXPECT_EQ(held.value("media-source"), QStringLiteral("manual"));
    }
    EXPECT_TRUE(cups->Jobs(kQueue).empty());
}

// No print server running, so nothing to print on: the user is told, the print dialog is not
// shown, and a PDF is written only where the user says.
class TimetableNoPrinter : public TimetablePrint {
protected:
    bool withServer() const override { return false; }
};

TEST_F(TimetableNoPrinter, TheUserIsToldAndOnlyAFileTheyNameIsWritten) {
    if (!havePdfTools())
        FAIL() << "pdfinfo is not installed: install the Debian package poppler-utils";
    realBoxes(QStringLiteral("print-no-printer"));
    replyToQuestion = vbNo;
    window->mnuPrintMonthGregorian[6]->trigger();
    window->tlbPrint_Click();
    ASSERT_EQ(messages.size(), 2);
    for (const QString& m : messages)
        EXPECT_TRUE(m.contains(QStringLiteral("print server is not running"))) << m.toStdString();
    EXPECT_TRUE(titles.isEmpty());
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).isEmpty());

    replyToQuestion = vbYes;
    answer = path("chosen");
    window->mnuPrintYearGregorian->trigger();
    const QString title = timetable::YearTitle(vbCalGreg);
    ASSERT_EQ(proposals.size(), 1);
    EXPECT_TRUE(proposals[0].endsWith(QStringLiteral("/") + title + QStringLiteral(".pdf")))
        << proposals[0].toStdString();
    EXPECT_EQ(pages(path("chosen.pdf")), 12);
    EXPECT_EQ(pdfTitle(path("chosen.pdf")), title);
    ASSERT_EQ(messages.size(), 4);
    EXPECT_TRUE(messages[3].contains(QStringLiteral("\"%1\"").arg(path("chosen.pdf"))))
        << messages[3].toStdString();
    EXPECT_EQ(user.seen(), 0);
    // The file was for that print only.
    EXPECT_TRUE(runtime::Printer().OutputFile().isEmpty());

    // A named pipe at the name is no file to save into: the user is told, nothing waits on it
    // and it stays a pipe.
    ASSERT_EQ(::mkfifo(QFile::encodeName(path("pipe.pdf")).constData(), 0600), 0);
    answer = path("pipe.pdf");
    window->mnuPrintMonthGregorian[6]->trigger();
    ASSERT_EQ(messages.size(), 6);
    EXPECT_TRUE(messages[5].contains(QStringLiteral("named pipe"))) << messages[5].toStdString();
    struct stat st {};
    ASSERT_EQ(::lstat(QFile::encodeName(path("pipe.pdf")).constData(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
}

} // namespace

namespace {

// The real dialogs, answered as a user would: Qt's save dialog gets a name, the program's print
// dialog is accepted with the Return key.
class TimetableRealDialogs : public TimetablePrint {
protected:
    void SetUp() override {
        TimetablePrint::SetUp();
        timetable::SetSaveFileAnswerer(nullptr);
    }
    template <typename Dialog> void answerWith(std::function<void(Dialog*)> act) {
        auto* timer = new QTimer(window.get());
        QObject::connect(timer, &QTimer::timeout, [timer, act] {
            if (auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget())) {
                timer->stop();
                act(dialog);
                timer->deleteLater();
            }
        });
        timer->start(20);
    }
};

TEST_F(TimetableRealDialogs, SaveAndPrintThroughTheRealDialogs) {
    answerWith<QFileDialog>([this](QFileDialog* dialog) {
        // Typed into the name field, as a user does.
        auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        ASSERT_NE(name, nullptr);
        name->setText(path("from the dialog"));
        QMetaObject::invokeMethod(dialog, "accept");
    });
    window->mnuExportMonthHijri[9]->trigger();
    const QStringList lines = fileLines(path("from the dialog.txt"));
    ASSERT_EQ(lines.size(), 63);
    EXPECT_TRUE(lines[4].contains(GetMonthName(1, 9, 1)));

    if (!havePdfTools())
        FAIL() << "pdfinfo is not installed: install the Debian package poppler-utils";
    // Accepted as it opens, from the keyboard: the job goes to the queue.
    user.Then(
        [](runtime::PrinterDialog* dialog) { PrinterDialogUser::Press(dialog, Qt::Key_Return); });
    window->mnuPrintYearGregorian->trigger();
    EXPECT_TRUE(messages.isEmpty()) << messages.join('\n').toStdString();
    ASSERT_TRUE(printed(1));
    EXPECT_EQ(cups->Jobs(kQueue)[0].title, timetable::YearTitle(vbCalGreg));
    EXPECT_EQ(pages(queueOutput()), 12);
}

} // namespace
