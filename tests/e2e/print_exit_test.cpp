// Ending the program while a print waits on a print server that does not answer (cupsd of the
// test's own, paused with SIGSTOP, as a hung server): once the user has said Yes to Exit (File
// menu or tray menu), or an end signal came, the program is gone at once, not when the print's
// 30-second deadline passes, and nothing opens or is sent after it. The server is paused while
// the printers are asked for (before the print dialog), while the dialog asks about a printer
// chosen in it, and at Create-Job (after OK); once the program is gone it is let go, and what it
// received is read back: no document after the end, no job twice.
#include "calendar/cups_server.h"
#include "desktop_session.h"
#include "signal_process.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <csignal>
#include <ostream>

namespace {

// Well under the print's 30 s deadline, and room enough for a busy machine: the program ends
// within a second of the answer here.
constexpr int kGone = 5000;

enum class Moment {
    Queues,    // the printers asked for, before the print dialog
    Options,   // the dialog asking about another printer chosen in it
    CreateJob, // the job's creation, after OK
};

enum class Ending { FileExit, TrayExit, Signal };

struct ExitCase {
    const char* what;
    Moment moment;
    Ending ending;
    // The server answers while the exit question is up, before Yes: what the print waited for
    // is there, and still nothing opens.
    bool answeredBeforeYes = false;
};

void PrintTo(const ExitCase& c, std::ostream* os) {
    *os << c.what;
}

class PrintExit : public Desktop, public ::testing::WithParamInterface<ExitCase> {
protected:
    void SetUp() override {
        Desktop::SetUp();
        if (HasFatalFailure())
            return;
        tree = startAccessibility();
        ASSERT_NE(tree, nullptr);
        ASSERT_TRUE(cupsDir.isValid());
        cups = std::make_unique<CupsServer>(cupsDir.path());
        // Two queues: the default one the dialog opens with, and one after it in the list.
        QString why;
        ASSERT_TRUE(cups->StartWithQueues({kQueue, kOther}, &why)) << why.toStdString();
        env.insert(QStringLiteral("CUPS_SERVER"), cups->socket());
    }
    void TearDown() override {
        if (cups)
            cups->Resume();
        Desktop::TearDown();
        cups.reset();
    }

    // Whether a label of the window (title pattern) says that text.
    bool says(const QString& window, const QString& text) {
        for (const auto& c : tree->controls(program->processId(), window))
            if (c.role == QStringLiteral("label") && c.name.contains(text))
                return true;
        return false;
    }

    // The requests the server has handled since the mark (an index into Operations()).
    QStringList operationsSince(qsizetype mark) const { return cups->Operations().mid(mark); }

    const QString kQueue = QStringLiteral("tallix");
    const QString kOther = QStringLiteral("zeta");
    QTemporaryDir cupsDir;
    std::unique_ptr<CupsServer> cups;
    std::unique_ptr<AccessibleTree> tree;
};

TEST_P(PrintExit, TheProgramIsGoneAtOnceAndSendsNothingAfter) {
    const ExitCase& c = GetParam();
    const Wid main = startProgram();
    ASSERT_NE(main, 0u);
    const qint64 pid = program->processId();
    QList<Wid> known{main};
    // The server is let go after 45 s whatever happens: a test that fails does not hang.
    Rescue rescue(*cups);

    // File > Print Prayer Times > Gregorian Calendar > January.
    const auto print = [&] {
        activate(main);
        for (const char* keys : {"alt+f", "p", "g", "Return"})
            key(QString::fromLatin1(keys));
    };
    const auto waitingWindow = [&] {
        Wid waiting = 0;
        EXPECT_TRUE(WaitFor(
            [&] {
                waiting = newWindows(QStringLiteral("^Tallix Time$"), known).value(0);
                return waiting != 0;
            },
            kStep))
            << "no window says that the print waits";
        return waiting;
    };
    // The requests the server handled before the print.
    qsizetype mark = 0;
    if (c.moment == Moment::Queues) {
        mark = cups->Operations().size();
        cups->Pause();
        print();
        known << waitingWindow();
    } else {
        print();
        Wid dialog = 0;
        ASSERT_TRUE(WaitFor(
            [&] {
                dialog = search(QStringLiteral("--name"), QStringLiteral("^Print$")).value(0);
                return dialog != 0 && active() == dialog;
            },
            kStep * 2))
            << "no print dialog";
        mark = cups->Operations().size();
        cups->Pause();
        if (c.moment == Moment::Options) {
            // The next printer of the list: the dialog asks the server about it.
            key(QStringLiteral("alt+p"));
            key(QStringLiteral("Down"));
            ASSERT_TRUE(WaitFor(
                [&] {
                    return says(QStringLiteral("^Print$"),
                                QStringLiteral("Asking the print server about this printer"));
                },
                kStep))
                << "the dialog does not ask about the printer chosen";
            if (c.ending != Ending::Signal) {
                // Cancelled while it asks: the dialog goes, the question to the server stays.
                key(QStringLiteral("Escape"));
                ASSERT_TRUE(WaitFor([&] { return !viewable(dialog); }, kStep));
            }
        } else {
            key(QStringLiteral("Return"));
            known << waitingWindow();
        }
    }

    QElapsedTimer sinceTheEnd;
    if (c.ending == Ending::Signal) {
        sinceTheEnd.start();
        ASSERT_EQ(SignalProcess(pid, SIGTERM), 0);
    } else {
        if (c.ending == Ending::FileExit) {
            activate(main);
            key(QStringLiteral("alt+f"));
            key(QStringLiteral("x"));
        } else {
            clickTray(3);
            ASSERT_TRUE(WaitFor([&] { return menuShown(); }, kStep)) << "no tray menu";
            key(QStringLiteral("x"));
        }
        Wid question = 0;
        ASSERT_TRUE(WaitFor(
            [&] {
                question = newWindows(QStringLiteral("^Tallix Time$"), known).value(0);
                return question != 0;
            },
            kStep))
            << "no exit question";
        if (c.answeredBeforeYes) {
            // The print's questions answered: the queues and what the default one offers.
            cups->Resume();
            ASSERT_TRUE(WaitFor(
                [&] {
                    return operationsSince(mark).contains(QStringLiteral("Get-Printer-Attributes"));
                },
                kStep))
                << "the server did not answer the print";
        }
        activate(question);
        sinceTheEnd.start();
        key(QStringLiteral("Return"));
    }
    const bool gone =
        program->state() == QProcess::NotRunning ||
        program->waitForFinished(int(std::max<qint64>(1, kGone - sinceTheEnd.elapsed())));
    const qint64 took = sinceTheEnd.elapsed();
    ASSERT_TRUE(gone) << "the program still runs " << took << " ms after the end"
                      << (search(QStringLiteral("--name"), QStringLiteral("^Print$")).isEmpty()
                              ? ""
                              : ", its print dialog open");
    std::printf("gone %lld ms after the end\n", static_cast<long long>(took));
    EXPECT_EQ(program->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program->exitCode(), 0);

    // The server let go: it takes up what it held (cupsd drops a request whose client is
    // gone), then answers the test's own questions, which came after it; twice, so that what
    // was held is surely behind.
    cups->Resume();
    std::vector<CupsServer::Job> jobs;
    ASSERT_TRUE(WaitFor(
        [&] {
            jobs = cups->Jobs(kQueue);
            return operationsSince(mark).count(QStringLiteral("Get-Jobs")) >= 2;
        },
        kStep))
        << "the server does not answer after it was let go";
    // A job the server was being sent stays its own, never completed with a document and never
    // sent twice; before OK there is none at all.
    const QStringList handled = operationsSince(mark);
    if (c.moment == Moment::CreateJob)
        EXPECT_LE(jobs.size(), 1u);
    else
        EXPECT_TRUE(jobs.empty()) << jobs.size() << " jobs";
    EXPECT_TRUE(cups->Jobs(kOther).empty());
    EXPECT_LE(handled.count(QStringLiteral("Create-Job")), c.moment == Moment::CreateJob ? 1 : 0)
        << handled.join(u' ').toStdString();
    EXPECT_FALSE(handled.contains(QStringLiteral("Send-Document")))
        << handled.join(u' ').toStdString();
    EXPECT_FALSE(handled.contains(QStringLiteral("Print-Job"))) << handled.join(u' ').toStdString();
    EXPECT_FALSE(QFile::exists(cupsDir.filePath(QStringLiteral("out/") + kQueue)))
        << "a document was printed";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PrintExit,
    ::testing::Values(ExitCase{"QueuesFileExit", Moment::Queues, Ending::FileExit},
                      ExitCase{"QueuesAnsweredBeforeYes", Moment::Queues, Ending::FileExit, true},
                      ExitCase{"QueuesTrayExit", Moment::Queues, Ending::TrayExit},
                      ExitCase{"QueuesSignal", Moment::Queues, Ending::Signal},
                      ExitCase{"OptionsFileExit", Moment::Options, Ending::FileExit},
                      ExitCase{"OptionsSignal", Moment::Options, Ending::Signal},
                      ExitCase{"CreateJobFileExit", Moment::CreateJob, Ending::FileExit},
                      ExitCase{"CreateJobTrayExit", Moment::CreateJob, Ending::TrayExit},
                      ExitCase{"CreateJobSignal", Moment::CreateJob, Ending::Signal}),
    [](const auto& info) { return std::string(info.param.what); });

} // namespace
