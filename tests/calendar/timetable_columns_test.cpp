// Timetables read in columns in every language: the exported file as a bidi-aware viewer shows
// it (FriBidi's visual reordering), and the printed page (a PDF read back with poppler).
#include "calendar/timetable.h"
#include "core/mMain.h"
#include "core/settings.h"
#include "fakes/child_process.h"
#include "fakes/fake_registry.h"
#include "fakes/fake_shell.h"
#include "fakes/fake_tray.h"
#include "mainwindow/frmTallix.h"
#include "runtime/Clock.h"
#include "runtime/Interaction.h"
#include "runtime/Printer.h"
#include "runtime/ResStrings.h"
#include "runtime/TextCells.h"
#include "runtime/VBDate.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFontInfo>
#include <QLocale>
#include <QPageSize>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <csignal>
#include <memory>
#include <unistd.h>

namespace {

const char* const kLocales[] = {"fa_IR", "ar_SA", "ar_EG", "ur_PK", "he_IL", "ja_JP",
                                "ko_KR", "zh_CN", "ru_RU", "th_TH", "en_US"};

// Runs a tool in a session of its own; the whole group is ended when it is done or late.
QByteArray runTool(const QString& program, const QStringList& args, const QByteArray& input = {}) {
    QProcess p;
    StartInOwnSession(p);
    p.start(program, args);
    if (!p.waitForStarted(30000))
        return {};
    const auto group = static_cast<pid_t>(p.processId());
    p.write(input);
    p.closeWriteChannel();
    const bool ended = p.waitForFinished(60000);
    ::kill(-group, SIGKILL);
    if (!ended)
        p.waitForFinished(5000);
    return p.readAllStandardOutput();
}

// The tool, or a failure that names the Debian package that brings it.
bool have(const char* tool, const char* package) {
    if (!QStandardPaths::findExecutable(QLatin1String(tool)).isEmpty())
        return true;
    ADD_FAILURE() << tool << " is missing: install the Debian package " << package;
    return false;
}

// The lines as a bidi-aware viewer puts them on the screen, left to right: FriBidi with the
// base direction of each line found from its text, as viewers find it.
QStringList visual(const QStringList& lines) {
    const QByteArray out =
        runTool(QStringLiteral("fribidi"), {QStringLiteral("--nopad"), QStringLiteral("--nobreak")},
                lines.join(QLatin1Char('\n')).toUtf8() + '\n');
    QStringList shown = QString::fromUtf8(out).split(QLatin1Char('\n'));
    if (!shown.isEmpty() && shown.last().isEmpty())
        shown.removeLast();
    return shown;
}

// A message box that only informs (where a written file went).
bool isNotice(int buttons) {
    return (buttons & (vbCritical | vbQuestion | vbExclamation | vbInformation)) == vbInformation;
}

// The place and day every page here is made for.
void settle(double latitude, double longitude) {
    runtime::SetClock(QDateTime(QDate(2025, 6, 15), QTime(10, 0)));
    gCityName = QStringLiteral("Testville");
    gProvince = QString();
    gCountry = QStringLiteral("Nowhere");
    gLatitude = latitude;
    gLongitude = longitude;
    gTimeZone = 36; // +3 h
    gDaylightSavings = 2;
    gCalcMethod = 5;
    gMinuteAdjustActive = 0;
}

// The index in the text of the character that starts at the cell; -1 past the end.
qsizetype indexAtCell(const QString& text, int cell) {
    int at = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (at >= cell && runtime::CharCells(text[i].unicode()) > 0)
            return at == cell ? i : -1;
        at += runtime::CharCells(text[i].isHighSurrogate() && i + 1 < text.size()
                                     ? QChar::surrogateToUcs4(text[i], text[i + 1])
                                     : text[i].unicode());
        if (text[i].isHighSurrogate())
            ++i;
    }
    return -1;
}

class TimetableColumns : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(LoadSettings());
        ASSERT_TRUE(dir.isValid());
        settle(21.4225, 39.8262);
        window = std::make_unique<frmTallix>();
        timetable::SetSaveFileAnswerer(
            [this](const QString&, const QString&, const QString&) -> std::optional<QString> {
                return answer;
            });
        // Failures are told; a notice of where a file went is not one.
        runtime::SetMsgBoxAnswerer([this](const QString& prompt, int buttons, const QString&) {
            if (!isNotice(buttons))
                messages << prompt;
            return vbYes;
        });
    }
    void TearDown() override {
        window.reset();
        QLocale::setDefault(QLocale::system());
        timetable::SetSaveFileAnswerer(nullptr);
        runtime::SetMsgBoxAnswerer(nullptr);
        runtime::Printer().PrintIntoFile(QString());
        runtime::SetClock(nullptr);
        SetCalendar(vbCalGreg);
    }
    QStringList exported(const QString& name, std::int16_t calendar, std::int16_t month) {
        answer = dir.filePath(name);
        window->ExportMonthPrayerTimes(calendar, month);
        QFile f(answer + QStringLiteral(".txt"));
        if (!f.open(QIODevice::ReadOnly))
            return {};
        QStringList lines = QString::fromUtf8(f.readAll()).split(QStringLiteral("\r\n"));
        lines.removeLast();
        return lines;
    }
    // The six times of each day of the month, as the page writes them (12-hour form).
    QList<QStringList> monthTimes(std::int16_t calendar, std::int16_t month) {
        QList<QStringList> days;
        runtime::CalendarGuard keep;
        const int year = timetable::CurrentYear(calendar);
        SetCalendar(calendar);
        const auto first = DateSerial(year, month, 1);
        const int count = timetable::MonthLength(calendar, year, month);
        Location loc{};
        CalcMethod conf{};
        window->GetCalculationParameters(loc, conf);
        for (int i = 0; first && i < count; ++i) {
            PrayerTime times[7] = {};
            EXPECT_TRUE(window->CalculatePrayerTimes(Date(first->serial() + i).toQDate(), loc, conf,
                                                     times, 0));
            QStringList out;
            for (std::int16_t s = 0; s <= 6; ++s) {
                frmTallix::ApplyPrayerAdjustments(times, s);
                if (s > 0)
                    out << frmTallix::FormatPrayerTimeMedium(times[s]);
            }
            days << out;
        }
        return days;
    }

    FakeRegistry registry;
    FakeTray tray;
    FakeShell shell;
    QTemporaryDir dir;
    std::unique_ptr<frmTallix> window;
    QString answer;
    QStringList messages;
};

// In every language, each day line as the viewer shows it has each time in the cells where
// its title starts, the same cells on every line; each time reads as one run (its digits
// first, its AM/PM mark after them). A place far north gives some times a "*": the columns
// are as wide as their widest entry.
TEST_F(TimetableColumns, EveryTimeStandsUnderItsTitleInEveryLanguage) {
    if (!have("fribidi", "libfribidi-bin"))
        return;
    struct Place {
        double latitude, longitude;
        int zone;
        std::int16_t calendar, month;
    };
    for (const Place& place :
         {Place{21.4225, 39.8262, 36, vbCalHijri, 9}, Place{60.0, 25.0, 36, vbCalGreg, 6}}) {
        gLatitude = place.latitude;
        gLongitude = place.longitude;
        gTimeZone = place.zone;
        for (const char* name : kLocales) {
            SCOPED_TRACE(std::string(name) + " at " + std::to_string(place.latitude));
            QLocale::setDefault(QLocale(QLatin1String(name)));
            const QStringList file = exported(QLatin1String(name) + QString::number(place.month),
                                              place.calendar, place.month);
            ASSERT_EQ(file.size(), 63);
            const QList<QStringList> times = monthTimes(place.calendar, place.month);
            const QStringList shown = visual(file);
            ASSERT_EQ(shown.size(), 63);
            // Each time alone, as it reads inside a left-to-right line.
            QStringList alone;
            for (const QStringList& day : times)
                for (const QString& t : day)
                    alone << QChar(0x200E) + t;
            const QStringList aloneShown = visual(alone);
            ASSERT_EQ(aloneShown.size(), alone.size());
            // Where the titles start on the screen.
            const QString header = shown[11];
            int titleCell[6];
            for (int s = 0; s < 6; ++s) {
                const qsizetype at = header.indexOf(LoadResString(4 + s));
                ASSERT_GE(at, 0) << header.toStdString();
                titleCell[s] = runtime::TextCells(QStringView(header).left(at));
            }
            int line = 13;
            for (int d = 0; d < times.size(); ++d) {
                if (d % 5 == 0)
                    ++line;
                const QString& day = shown[line++];
                for (int s = 0; s < 6; ++s) {
                    QString expected = aloneShown[d * 6 + s];
                    expected.remove(QChar(0x200E));
                    const qsizetype at = indexAtCell(day, titleCell[s]);
                    ASSERT_GE(at, 0) << day.toStdString();
                    QString there = day.mid(at);
                    there.remove(QChar(0x200E));
                    EXPECT_TRUE(there.startsWith(expected))
                        << "day " << d + 1 << " slot " << s + 1 << ": " << day.toStdString()
                        << " | expected " << expected.toStdString();
                    EXPECT_TRUE(there.startsWith(times[d][s].left(5))) << day.toStdString();
                    // A blank before it: the time does not run into the column on its left.
                    EXPECT_EQ(day[indexAtCell(day, titleCell[s] - 1)], QLatin1Char(' '))
                        << day.toStdString();
                }
            }
            // The page and its rules are as wide as the widest day line, 78 at least.
            EXPECT_EQ(file[1], QString(file[1].size(), QLatin1Char('=')));
            EXPECT_GE(file[1].size(), 78);
            for (int i = 14; i < line; ++i)
                EXPECT_LE(runtime::TextCells(file[i].trimmed()), file[1].size()) << i;
        }
    }
    EXPECT_TRUE(messages.isEmpty()) << messages.join('\n').toStdString();
}

// A program started with the desktop's language prints June at 60 N into a PDF file:
// "print-timetable PDF LOCALE PAPER CITY". It writes what the printer got: the family of the
// font, whether it is fixed-pitch, and the printable area on the sheet in points.
const TestHelperRegistration
    printHelper(QStringLiteral("print-timetable"), [](const QStringList& args) {
        if (args.size() < 2)
            return 2;
        FakeRegistry registry;
        FakeTray tray;
        FakeShell shell;
        if (!LoadSettings())
            return 3;
        settle(60.0, 25.0);
        if (args.size() > 3)
            gCityName = args[3];
        QLocale::setDefault(QLocale(args[1]));
        frmTallix window;
        int told = 0;
        runtime::SetMsgBoxAnswerer([&told](const QString& prompt, int buttons, const QString&) {
            if (!isNotice(buttons))
                ++told;
            fprintf(stderr, "%s\n", qPrintable(prompt));
            return vbOK;
        });
        runtime::PrinterObject& printer = runtime::Printer();
        printer.PrintIntoFile(args[0]);
        printer.SetPaperSize(args.size() > 2 ? args[2].toInt() : vbPRPSA4);
        window.PrintMonthPrayerTimes(vbCalGreg, 6);
        const QRectF area = printer.Settings().PageLayout().paintRect(QPageLayout::Point);
        printf("font %s\nfixed %d\narea %f %f %f %f\n", qPrintable(printer.FontName()),
               QFontInfo(QFont(printer.FontName())).fixedPitch() ? 1 : 0, area.left(), area.top(),
               area.right(), area.bottom());
        return told == 0 ? 0 : 1;
    });

struct Word {
    double left, top, right;
    QString text;
};

// The words of the first page as poppler finds them, with their boxes in points.
QList<Word> pdfWords(const QString& pdf) {
    const QString html = QString::fromUtf8(
        runTool(QStringLiteral("pdftotext"),
                {QStringLiteral("-bbox"), QStringLiteral("-f"), QStringLiteral("1"),
                 QStringLiteral("-l"), QStringLiteral("1"), pdf, QStringLiteral("-")}));
    static const QRegularExpression re(QStringLiteral(
        R"re(<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="[\d.]+">([^<]*)</word>)re"));
    QList<Word> words;
    for (auto it = re.globalMatch(html); it.hasNext();) {
        const auto m = it.next();
        words.append({m.captured(1).toDouble(), m.captured(2).toDouble(), m.captured(3).toDouble(),
                      m.captured(4)});
    }
    return words;
}

// The printed page in the desktop's own language: a font that really is fixed-pitch, every
// word inside the printable area, each day's times at the left edge of their titles. A page
// whose 12-hour times are wider than the sheet allows has them on the 24-hour clock and says
// so in its heading.
struct PrintCase {
    const char* locale;
    int paper;
    bool clock24;
    const char* city = nullptr;
};

void PrintTo(const PrintCase& c, std::ostream* os) {
    *os << c.locale << (c.paper == vbPRPSA5 ? " on A5" : " on A4") << (c.city ? ", long name" : "");
}

class TimetablePrintColumns : public ::testing::TestWithParam<PrintCase> {};

TEST_P(TimetablePrintColumns, FixedPitchColumnsInsideThePrintableArea) {
    if (!have("pdftotext", "poppler-utils") || !have("pdffonts", "poppler-utils") ||
        !have("pdftoppm", "poppler-utils"))
        return;
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const PrintCase& c = GetParam();
    const QString name = QLatin1String(c.locale) + (c.paper == vbPRPSA5 ? "-a5" : "-a4") +
                         (c.city ? "-long-name" : "");
    SCOPED_TRACE(name.toStdString());
    const QString pdf = dir.filePath(name + QStringLiteral(".pdf"));
    QProcess helper;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    const QString lang = QLatin1String(c.locale) + QStringLiteral(".UTF-8");
    env.insert(QStringLiteral("LANG"), lang);
    env.insert(QStringLiteral("LC_ALL"), lang);
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    helper.setProcessEnvironment(env);
    StartInOwnSession(helper);
    helper.start(QCoreApplication::applicationFilePath(),
                 {QStringLiteral("--helper"), QStringLiteral("print-timetable"), pdf,
                  QLatin1String(c.locale), QString::number(c.paper),
                  c.city ? QString::fromUtf8(c.city) : QStringLiteral("Testville")});
    ASSERT_TRUE(helper.waitForStarted(30000));
    const auto group = static_cast<pid_t>(helper.processId());
    const bool ended = helper.waitForFinished(120000);
    ::kill(-group, SIGKILL);
    if (!ended)
        helper.waitForFinished(5000);
    ASSERT_TRUE(ended);
    const QString said = QString::fromUtf8(helper.readAllStandardOutput());
    ASSERT_EQ(helper.exitCode(), 0)
        << said.toStdString() << helper.readAllStandardError().toStdString();
    const auto facts =
        QRegularExpression(QStringLiteral(R"(font (.+)\nfixed (\d)\narea (\S+) (\S+) (\S+) (\S+))"))
            .match(said);
    ASSERT_TRUE(facts.hasMatch()) << said.toStdString();
    // The font is fixed-pitch, and it is the one the page is set in.
    EXPECT_EQ(facts.captured(2), QStringLiteral("1")) << facts.captured(1).toStdString();
    const QString fonts = QString::fromUtf8(runTool(QStringLiteral("pdffonts"), {pdf}));
    EXPECT_TRUE(fonts.contains(QString(facts.captured(1)).remove(QLatin1Char(' '))))
        << fonts.toStdString() << " | " << facts.captured(1).toStdString();
    const double left = facts.captured(3).toDouble(), right = facts.captured(5).toDouble();
    const QList<Word> words = pdfWords(pdf);
    ASSERT_GT(words.size(), 100);
    double titleLeft[6] = {};
    bool note = false, country = false;
    for (const Word& w : words) {
        EXPECT_GE(w.left, left - 0.5) << w.text.toStdString();
        EXPECT_LE(w.right, right + 0.5) << w.text.toStdString();
        for (int s = 0; s < 6; ++s)
            if (w.text == LoadResString(4 + s) && titleLeft[s] == 0) // the header's
                titleLeft[s] = w.left;
        note = note || w.text.contains(QStringLiteral("24-hour"));
        country = country || w.text == QStringLiteral("Nowhere");
    }
    // The place line is there to its end (a word off the sheet is not found at all).
    EXPECT_TRUE(country);
    EXPECT_EQ(note, c.clock24);
    // Day lines: the six times of a line, left to right, each where its title starts.
    QMap<int, QList<Word>> lines;
    static const QRegularExpression time(QStringLiteral(R"(^\d\d:\d\d)"));
    for (const Word& w : words)
        if (time.match(w.text).hasMatch())
            lines[qRound(w.top)] << w;
    ASSERT_EQ(lines.size(), 30);
    for (auto line = lines.cbegin(); line != lines.cend(); ++line) {
        QList<Word> times = line.value();
        std::sort(times.begin(), times.end(),
                  [](const Word& a, const Word& b) { return a.left < b.left; });
        ASSERT_EQ(times.size(), 6) << line.key();
        for (int s = 0; s < 6; ++s)
            EXPECT_NEAR(times[s].left, titleLeft[s], 0.5) << "slot " << s + 1;
    }
    QDir().mkpath(QStringLiteral(TALLIX_BUILD_DIR "/screenshots"));
    runTool(QStringLiteral("pdftoppm"),
            {QStringLiteral("-png"), QStringLiteral("-r"), QStringLiteral("80"),
             QStringLiteral("-singlefile"), pdf,
             QStringLiteral(TALLIX_BUILD_DIR "/screenshots/print-timetable-") + name});
}

// On A5 the type is smaller, but a line holds fewer cells than on A4.
INSTANTIATE_TEST_SUITE_P(
    Languages, TimetablePrintColumns,
    ::testing::Values(PrintCase{"fa_IR", vbPRPSA5, true}, PrintCase{"fa_IR", vbPRPSA4, false},
                      PrintCase{"ja_JP", vbPRPSA5, false}, PrintCase{"ar_SA", vbPRPSA4, false},
                      PrintCase{"zh_CN", vbPRPSA4, false}, PrintCase{"en_US", vbPRPSA4, false},
                      // A place line wider than the sheet makes the type smaller.
                      PrintCase{"ar_SA", vbPRPSA4, false,
                                "Al Madinah Al Munawwarah, Old Town Quarter of the Prophet's "
                                "Mosque and the Gardens of Quba, المدينة المنورة"}),
    [](const ::testing::TestParamInfo<PrintCase>& info) {
        return std::string(info.param.locale) + (info.param.paper == vbPRPSA5 ? "_A5" : "_A4") +
               (info.param.city ? "_LongName" : "");
    });

} // namespace
