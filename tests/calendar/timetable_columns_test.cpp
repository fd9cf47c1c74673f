// Timetables read in columns in every language: the exported file as a bidi-aware viewer shows
// it (FriBidi's visual reordering), and the printed page (a PDF read back with poppler).
#include "calendar/timetable.h"
#include "core/mMain.h"
#include "core/settings.h"
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
    p.setChildProcessModifier([] { ::setsid(); });
    p.start(program, args);
    if (!p.waitForStarted(30000))
        return {};
    p.write(input);
    p.closeWriteChannel();
    const bool ended = p.waitForFinished(60000);
    if (p.processId() > 0)
        ::kill(-static_cast<pid_t>(p.processId()), SIGKILL);
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
        runtime::SetClock(QDateTime(QDate(2025, 6, 15), QTime(10, 0)));
        gCityName = QStringLiteral("Testville");
        gProvince = QString();
        gCountry = QStringLiteral("Nowhere");
        gLatitude = 21.4225;
        gLongitude = 39.8262;
        gTimeZone = 36; // +3 h
        gDaylightSavings = 2;
        gCalcMethod = 5;
        gMinuteAdjustActive = 0;
        window = std::make_unique<frmTallix>();
        timetable::SetSaveFileAnswerer(
            [this](const QString&, const QString&, const QString&) -> std::optional<QString> {
                return answer;
            });
        runtime::SetMsgBoxAnswerer([this](const QString& prompt, int, const QString&) {
            messages << prompt;
            return vbYes;
        });
    }
    void TearDown() override {
        window.reset();
        QLocale::setDefault(QLocale::system());
        timetable::SetSaveFileAnswerer(nullptr);
        runtime::SetMsgBoxAnswerer(nullptr);
        runtime::SetPrintDialogAnswerer(nullptr);
        runtime::Printer().device().setOutputFileName(QString());
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

} // namespace
