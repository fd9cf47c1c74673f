// The print dialog's papers, on queues of a real print server: made from the printer
// descriptions that cups-filters ships and for a driverless printer (ippeveprinter). Each paper
// is listed once, by the name the queue's description gives it, never as a bare keyword or
// measure, and the job carries the keyword of the paper chosen.
#include "core/mMain.h"
#include "core/settings.h"
#include "cups_server.h"
#include "fakes/fake_registry.h"
#include "fakes/fake_tray.h"
#include "fakes/wait_for.h"
#include "ipp_everywhere_printer.h"
#include "mainwindow/frmTallix.h"
#include "platform/paper_names.h"
#include "platform/print_server.h"
#include "printer_dialog_user.h"
#include "runtime/Clock.h"
#include "runtime/Interaction.h"
#include "runtime/Printer.h"

#include <QAbstractItemView>
#include <QAction>
#include <QElapsedTimer>
#include <QFile>
#include <QFontMetrics>
#include <QMap>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <atomic>
#include <clocale>
#include <functional>
#include <memory>
#include <string>

namespace {

constexpr const char* kDescriptions = "/usr/share/ppd/cupsfilters/";

// The texts of a PPD's page sizes, read from the file: "*PageSize Name/Text: ...".
QStringList pageSizeTexts(const QString& ppd) {
    QFile file(ppd);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    static const QRegularExpression kPageSize(QStringLiteral("^\\*PageSize ([^/:]+)/([^:]+):"));
    QStringList texts;
    const QList<QByteArray> lines = file.readAll().split('\n');
    for (const QByteArray& line : lines) // ISOLatin1, as the files say
        if (const auto m = kPageSize.match(QString::fromLatin1(line)); m.hasMatch())
            texts << m.captured(2).trimmed();
    return texts;
}

// What no one calls a paper: a keyword, or a measure alone ("8.5x11", "209.9x297.04mm").
bool bare(const QString& text, const QString& keyword) {
    static const QRegularExpression kMeasure(
        QStringLiteral("^[\\d.]+\\s*x\\s*[\\d.]+\\s*(mm|in)?$"));
    return text == keyword || kMeasure.match(text).hasMatch() || text.contains(QLatin1Char('_'));
}

struct Listed {
    QStringList texts, keywords;
};

Listed listed(const QComboBox* box) {
    Listed out;
    for (int i = 0; i < box->count(); ++i) {
        out.texts << box->itemText(i);
        out.keywords << box->itemData(i).toString();
    }
    return out;
}

class PaperNamesPrint : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(LoadSettings());
        ASSERT_TRUE(cupsDir.isValid());
        gCityName = QStringLiteral("Testville");
        gLatitude = 21.4225;
        gLongitude = 39.8262;
        gTimeZone = 36;
        gDaylightSavings = 2;
        gCalcMethod = 5;
        runtime::SetClock(QDateTime(QDate(2025, 6, 15), QTime(10, 0)));
        window = std::make_unique<frmTallix>();
        runtime::SetMsgBoxAnswerer([this](const QString& prompt, int, const QString&) {
            messages << prompt;
            return vbOK;
        });
        cups = std::make_unique<CupsServer>(cupsDir.path());
        QString why;
        ASSERT_TRUE(cups->Start(&why)) << why.toStdString();
        runtime::Printer().SetDeviceName(QString());
    }
    void TearDown() override {
        platform::SetPaperNamesHook(nullptr);
        platform::SetPrintServerDeadline(0);
        window.reset();
        runtime::SetMsgBoxAnswerer(nullptr);
        runtime::SetClock(nullptr);
        cups.reset();
    }
    // A queue that keeps its jobs (stopped), so that the server can say what they carry.
    void addQueue(const QString& name, const QStringList& lpadmin) {
        QString out;
        ASSERT_EQ(cups->Run(QStringLiteral("lpadmin"),
                            QStringList{QStringLiteral("-p"), name, QStringLiteral("-E"),
                                        QStringLiteral("-v")} +
                                lpadmin,
                            &out),
                  0)
            << out.toStdString();
        ASSERT_EQ(cups->Run(QStringLiteral("cupsdisable"), {name}), 0);
        // cupsd lists a new queue's papers once it has read the description it made for it.
        EXPECT_TRUE(WaitFor([&] { return !papersOf(name).isEmpty(); }, 60000))
            << name.toStdString();
    }
    // The queue's media-supported, as the server answers now.
    static QStringList papersOf(const QString& queue) {
        ipp_t* request = ippNewRequest(IPP_OP_GET_PRINTER_ATTRIBUTES);
        char uri[HTTP_MAX_URI];
        httpAssembleURIf(HTTP_URI_CODING_ALL, uri, sizeof uri, "ipp", nullptr, "localhost",
                         ippPort(), "/printers/%s", queue.toUtf8().constData());
        ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr, uri);
        ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", nullptr,
                     "media-supported");
        ipp_t* response = cupsDoRequest(CUPS_HTTP_DEFAULT, request, "/");
        QStringList papers;
        if (ipp_attribute_t* a =
                response ? ippFindAttribute(response, "media-supported", IPP_TAG_ZERO) : nullptr)
            for (int i = 0; i < ippGetCount(a); ++i)
                papers << QString::fromUtf8(ippGetString(a, i, nullptr));
        ippDelete(response);
        return papers;
    }
    // Opens the print dialog, chooses the queue, reads its papers, chooses the paper `paper`
    // picks among them and prints; the media of the job the queue holds then.
    QString printOn(const QString& queue, Listed* papers,
                    const std::function<int(const Listed&)>& paper) {
        user.Then([&](runtime::PrinterDialog* dialog) {
            ASSERT_TRUE(PrinterDialogUser::Choose(dialog->cboPrinter, queue));
            ASSERT_TRUE(WaitFor([&] { return dialog->cmdOK->isEnabled(); }, 60000))
                << dialog->lblStatus->text().toStdString();
            *papers = listed(dialog->cboPaperSize);
            lines = dialog->lblStatus->text().split(QLatin1Char('\n'));
            statusWidth = dialog->lblStatus->contentsRect().width();
            statusMetrics = std::make_unique<QFontMetrics>(dialog->lblStatus->fontMetrics());
            PrinterDialogUser::Shoot(dialog, QStringLiteral("print-papers-") + queue);
            // The list open, as the user reads it.
            dialog->cboPaperSize->showPopup();
            PrinterDialogUser::Shoot(dialog->cboPaperSize->view()->window(),
                                     QStringLiteral("print-papers-") + queue +
                                         QStringLiteral("-list"));
            dialog->cboPaperSize->hidePopup();
            const int at = paper(*papers);
            EXPECT_GE(at, 0);
            dialog->cboPaperSize->setCurrentIndex(at);
            dialog->cmdOK->click();
        });
        const int seen = user.seen();
        window->mnuPrintMonthGregorian[6]->trigger();
        EXPECT_EQ(user.seen(), seen + 1);
        const auto jobs = cups->Jobs(queue);
        if (jobs.empty())
            return {};
        return cups->JobAttributes(jobs.back().id).value("media");
    }

    FakeRegistry registry;
    FakeTray tray;
    QTemporaryDir cupsDir;
    std::unique_ptr<CupsServer> cups;
    std::unique_ptr<frmTallix> window;
    PrinterDialogUser user;
    QStringList messages;
    QStringList lines; // the dialog's status line, as shown
    int statusWidth = 0;
    std::unique_ptr<QFontMetrics> statusMetrics;
};

// Every paper of the queues made of cups-filters' descriptions is named by its page size's
// text; the choice reaches the job as its keyword, a keyword CUPS made of a PPD name included.
TEST_F(PaperNamesPrint, EachPaperIsNamedAsTheQueuesDescriptionNamesIt) {
    const struct {
        const char* queue;
        const char* ppd;
        const char* chosen; // a paper whose keyword is no standard one, or a renamed one
    } cases[] = {
        {"hp", "HP-Color_LaserJet_CM3530_MFP-PDF.ppd", "JIS B5 (Borderless)"},
        {"ricoh", "Ricoh-PDF_Printer-PDF.ppd", "A4 (Borderless)"},
        {"fuji", "Fuji_Xerox-DocuPrint_CM305_df-PDF.ppd", "8.5 x 13"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.queue);
        const QString queue = QString::fromLatin1(c.queue);
        const QString ppd = QLatin1String(kDescriptions) + QLatin1String(c.ppd);
        ASSERT_TRUE(QFile::exists(ppd))
            << ppd.toStdString() << " is missing: install the Debian package cups-filters";
        addQueue(queue,
                 {QStringLiteral("file://") + cupsDir.filePath(QStringLiteral("out/")) + queue,
                  QStringLiteral("-P"), ppd});
        Listed papers;
        const QString media = printOn(queue, &papers, [&c](const Listed& l) {
            return int(l.texts.indexOf(QString::fromLatin1(c.chosen)));
        });
        const QString all = papers.texts.join(QStringLiteral(" | "));
        // Named as the description names them: each of its page sizes once, nothing else.
        QStringList expected = pageSizeTexts(ppd), shown = papers.texts;
        ASSERT_FALSE(expected.isEmpty());
        expected.sort();
        shown.sort();
        EXPECT_EQ(shown, expected) << all.toStdString();
        EXPECT_EQ(QSet<QString>(papers.texts.begin(), papers.texts.end()).size(),
                  papers.texts.size())
            << all.toStdString();
        // Nothing else: no keyword or measure of the server's where the description has a
        // name ("11x17" and "8.5 x 13" are names that two of them give).
        for (int i = 0; i < papers.texts.size(); ++i)
            EXPECT_TRUE(expected.contains(papers.texts[i]) ||
                        !bare(papers.texts[i], papers.keywords[i]))
                << papers.texts[i].toStdString();
        // The chosen paper goes into the job as its keyword.
        const int at = int(papers.texts.indexOf(QString::fromLatin1(c.chosen)));
        ASSERT_GE(at, 0) << all.toStdString();
        EXPECT_EQ(media, papers.keywords[at]);
        // The printer's type whole: the dialog is wide enough for it.
        ASSERT_FALSE(lines.isEmpty());
        EXPECT_TRUE(lines[0].startsWith(QLatin1String("Type: "))) << lines[0].toStdString();
        EXPECT_FALSE(lines[0].contains(QChar(0x2026))) << lines[0].toStdString();
    }
    EXPECT_EQ(messages.size(), 3) << messages.join('\n').toStdString(); // each "is stopped"
}

// A line longer than the dialog is cut at the dialog's width, not at a fixed count of
// characters.
TEST_F(PaperNamesPrint, ThePrintersPlaceIsCutAtTheDialogsWidth) {
    const QString where = QStringLiteral("Second floor, the room at the end of the east corridor "
                                         "beside the kitchen, on the table under the window");
    addQueue(QStringLiteral("far"),
             {QStringLiteral("file://") + cupsDir.filePath(QStringLiteral("out/far")),
              QStringLiteral("-P"),
              QLatin1String(kDescriptions) + QStringLiteral("Generic-PDF_Printer-PDF.ppd"),
              QStringLiteral("-L"), where});
    Listed papers;
    printOn(QStringLiteral("far"), &papers,
            [](const Listed& l) { return l.texts.isEmpty() ? -1 : 0; });
    ASSERT_EQ(lines.size(), 2) << lines.join('\n').toStdString();
    ASSERT_TRUE(statusMetrics);
    EXPECT_TRUE(lines[1].startsWith(QLatin1String("Where: Second floor")));
    EXPECT_TRUE(lines[1].endsWith(QChar(0x2026))) << lines[1].toStdString();
    EXPECT_LE(statusMetrics->horizontalAdvance(lines[1]), statusWidth);
    // Cut where the line is full, not short of it: one character more would not fit.
    const QString full = QStringLiteral("Where: ") + where;
    const QString shown = lines[1].chopped(1);
    ASSERT_TRUE(full.startsWith(shown)) << lines[1].toStdString();
    EXPECT_GT(statusMetrics->horizontalAdvance(full.left(shown.size() + 1) + QChar(0x2026)),
              statusWidth)
        << lines[1].toStdString();
}

// libcups's names of media keywords in a language, from its catalog (package cups-common).
QMap<QString, QString> libcupsNames(const char* language) {
    QFile file(QStringLiteral("/usr/share/cups/locale/%1/cups_%1.po").arg(QLatin1String(language)));
    QMap<QString, QString> names;
    if (!file.open(QIODevice::ReadOnly))
        return names;
    static const QRegularExpression kId(QStringLiteral("^msgid \"media\\.([^\"]+)\"$"));
    static const QRegularExpression kText(QStringLiteral("^msgstr \"([^\"]+)\"$"));
    QString keyword;
    for (const QByteArray& line : file.readAll().split('\n')) {
        const QString text = QString::fromUtf8(line);
        if (const auto m = kId.match(text); m.hasMatch())
            keyword = m.captured(1);
        else if (const auto t = kText.match(text); t.hasMatch() && !keyword.isEmpty())
            names.insert(keyword, t.captured(1));
        else
            keyword.clear();
    }
    return names;
}

// A PPD's or a vendor's keyword rather than a name: "EnvDL", "Env10", "ISOB5".
bool keywordLike(const QString& text) {
    static const QRegularExpression kGlued(QStringLiteral("[a-z][A-Z]|[A-Za-z]{2}\\d"));
    return kGlued.match(text).hasMatch();
}

// A queue of a driverless printer (IPP Everywhere): cupsd makes its description from what the
// printer says, with no texts for its page sizes when made in the C locale ("*PageSize EnvDL:").
// In the C locale such papers are named from their keywords; in German as libcups's catalog
// names them. Each once, and the choice reaches the job.
TEST_F(PaperNamesPrint, ADriverlessQueuesPapersAreNamedToo) {
    IppEverywherePrinter printer(cupsDir.path());
    QString why;
    ASSERT_TRUE(printer.Start(&why)) << why.toStdString();
    addQueue(QStringLiteral("everywhere"),
             {printer.uri(), QStringLiteral("-m"), QStringLiteral("everywhere")});
    const QMap<QString, QString> german = libcupsNames("de");
    ASSERT_TRUE(german.contains(QStringLiteral("iso_dl_110x220mm")))
        << "libcups's catalog is missing: install the Debian package cups-common";
    const QByteArray language = qgetenv("LANG");
    const std::string messagesLocale = std::setlocale(LC_MESSAGES, nullptr);
    qunsetenv("LC_ALL");
    qunsetenv("LC_MESSAGES");
    for (const char* lang : {"C", "de_DE.UTF-8"}) {
        SCOPED_TRACE(lang);
        // libcups takes the language from the locale of messages, else (in "C") from the
        // environment: this machine need not have a German locale for its catalog.
        qputenv("LANG", lang);
        std::setlocale(LC_MESSAGES, "C");
        Listed papers;
        const QString media = printOn(QStringLiteral("everywhere"), &papers, [](const Listed& l) {
            return int(l.keywords.indexOf(QStringLiteral("iso_dl_110x220mm")));
        });
        const QString all = papers.texts.join(QStringLiteral(" | "));
        EXPECT_EQ(QSet<QString>(papers.texts.begin(), papers.texts.end()).size(),
                  papers.texts.size())
            << all.toStdString();
        ASSERT_GE(papers.texts.size(), 5) << all.toStdString();
        for (int i = 0; i < papers.texts.size(); ++i)
            EXPECT_FALSE(bare(papers.texts[i], papers.keywords[i]) || keywordLike(papers.texts[i]))
                << papers.texts[i].toStdString();
        // Named from their keywords in the C locale, by libcups in German; those the
        // description names as words keep that name.
        const struct {
            const char* keyword;
            const char* c;
            bool libcups;
        } names[] = {{"iso_a4_210x297mm", "A4", false},
                     {"na_letter_8.5x11in", "Letter", false},
                     {"na_legal_8.5x14in", "Legal", false},
                     {"iso_dl_110x220mm", "Envelope DL", true},
                     {"na_number-10_4.125x9.5in", "Envelope #10", true}};
        for (const auto& n : names) {
            const int at = int(papers.keywords.indexOf(QString::fromLatin1(n.keyword)));
            ASSERT_GE(at, 0) << n.keyword << ": " << all.toStdString();
            const QString want = QByteArray(lang) != "C" && n.libcups
                                     ? german.value(QLatin1String(n.keyword))
                                     : QString::fromLatin1(n.c);
            EXPECT_EQ(papers.texts[at].toStdString(), want.toStdString());
        }
        EXPECT_EQ(media, QStringLiteral("iso_dl_110x220mm"));
    }
    qputenv("LANG", language);
    std::setlocale(LC_MESSAGES, messagesLocale.c_str());
}

// The description is asked for on the worker with the rest of the queue's options, within the
// same deadline: a server that stops answering then holds the dialog no longer than that, and
// the papers are named from their keywords.
TEST_F(PaperNamesPrint, AServerThatStopsAnsweringForTheDescriptionHoldsNothingPastTheDeadline) {
    constexpr int kDeadlineMs = 3000;
    platform::SetPrintServerDeadline(kDeadlineMs);
    for (const char* queue : {"fuji", "hp"})
        addQueue(QLatin1String(queue),
                 {QStringLiteral("file://") + cupsDir.filePath(QStringLiteral("out/")) +
                      QLatin1String(queue),
                  QStringLiteral("-P"),
                  QLatin1String(kDescriptions) +
                      (QLatin1String(queue) == QLatin1String("hp")
                           ? QStringLiteral("HP-Color_LaserJet_CM3530_MFP-PDF.ppd")
                           : QStringLiteral("Fuji_Xerox-DocuPrint_CM305_df-PDF.ppd"))});
    std::atomic<bool> paused{false};
    platform::SetPaperNamesHook([this, &paused](const QString& queue) {
        if (queue == QLatin1String("hp") && !paused.exchange(true))
            cups->Pause();
    });
    Listed papers;
    qint64 took = -1;
    user.Then([&](runtime::PrinterDialog* dialog) {
        EXPECT_EQ(dialog->cboPrinter->currentData().toString(), QStringLiteral("fuji"));
        QElapsedTimer clock;
        clock.start();
        ASSERT_TRUE(PrinterDialogUser::Choose(dialog->cboPrinter, QStringLiteral("hp")));
        ASSERT_TRUE(WaitFor([&] { return dialog->cmdOK->isEnabled(); }, 40000))
            << dialog->lblStatus->text().toStdString();
        took = clock.elapsed();
        papers = listed(dialog->cboPaperSize);
        dialog->cmdCancel->click();
    });
    {
        Rescue rescue(*cups);
        window->mnuPrintMonthGregorian[6]->trigger();
    }
    cups->Resume();
    EXPECT_TRUE(paused);
    EXPECT_GE(took, 0);
    EXPECT_LT(took, kDeadlineMs + 2000);
    const QString all = papers.texts.join(QStringLiteral(" | "));
    EXPECT_EQ(papers.texts.size(), 34) << all.toStdString();
    EXPECT_EQ(QSet<QString>(papers.texts.begin(), papers.texts.end()).size(), papers.texts.size())
        << all.toStdString();
    for (int i = 0; i < papers.texts.size(); ++i)
        EXPECT_FALSE(bare(papers.texts[i], papers.keywords[i]) || keywordLike(papers.texts[i]))
            << papers.texts[i].toStdString();
    const int at = int(papers.keywords.indexOf(QStringLiteral("oe_letter-fullbleed_8.5x11in")));
    ASSERT_GE(at, 0) << all.toStdString();
    EXPECT_EQ(papers.texts[at], QStringLiteral("Letter (borderless)"));
}

} // namespace
