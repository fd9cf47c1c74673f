// Printing from the main window, which is kept on top from the first start, on a small screen
// under a window manager, with a print server of the test's own: the print dialog opens above
// the main window, on the work area, with the focus; and while the server holds the job (paused
// with SIGSTOP, as a hung server does) the window saying so is above the main window too, whose
// clock ticks on meanwhile. Which window is above which is the window manager's stacking order.
#include "calendar/cups_server.h"
#include "desktop_session.h"

#include <QSet>
#include <QTemporaryDir>

namespace {

class PrintOnTop : public Desktop {
protected:
    void SetUp() override {
        screenSize = QStringLiteral("800x600");
        Desktop::SetUp();
        if (HasFatalFailure())
            return;
        tree = startAccessibility();
        ASSERT_NE(tree, nullptr);
        ASSERT_TRUE(cupsDir.isValid());
        cups = std::make_unique<CupsServer>(cupsDir.path());
        QString why;
        ASSERT_TRUE(cups->StartWithQueues({kQueue}, &why)) << why.toStdString();
        env.insert(QStringLiteral("CUPS_SERVER"), cups->socket());
    }
    void TearDown() override {
        // A program whose job waits on a paused server ends once the server answers.
        if (cups)
            cups->Resume();
        Desktop::TearDown();
        cups.reset();
    }

    // The texts of the main window's labels (its clock among them), "" when it does not answer.
    QString labelsOf() {
        QString text;
        for (const auto& c :
             tree->controls(program->processId(), QStringLiteral("^Tallix Time - ")))
            if (c.role == QStringLiteral("label"))
                text += c.name + u'\n';
        return text;
    }

    const QString kQueue = QStringLiteral("tallix");
    QTemporaryDir cupsDir;
    std::unique_ptr<CupsServer> cups;
    std::unique_ptr<AccessibleTree> tree;
};

TEST_F(PrintOnTop, ThePrintDialogAndItsWaitAreAboveTheMainWindow) {
    const Wid main = startProgram();
    ASSERT_NE(main, 0u);
    ASSERT_TRUE(WaitFor(
        [&] { return prop(main, "_NET_WM_STATE").contains(QStringLiteral("ABOVE")); }, kStep))
        << "the main window is not kept on top";

    // File > Print Prayer Times > Gregorian Calendar > January (the first month).
    activate(main);
    for (const char* keys : {"alt+f", "p", "g", "Return"})
        key(QString::fromLatin1(keys));
    Wid print = 0;
    ASSERT_TRUE(WaitFor(
        [&] {
            print = search(QStringLiteral("--name"), QStringLiteral("^Print$")).value(0);
            return print != 0;
        },
        kStep * 2))
        << "no print dialog";
    EXPECT_TRUE(WaitFor([&] { return above(print, main) && active() == print; }, kStep))
        << "the print dialog is below the main window or has no focus";
    std::optional<QRect> frame;
    ASSERT_TRUE(WaitFor(
        [&] {
            frame = xd->frameGeometry(print);
            return frame.has_value();
        },
        kStep));
    EXPECT_TRUE(xd->workArea().contains(*frame));
    screenshot(QStringLiteral("print_dialog_on_top"));

    // OK with the server paused: the job waits, and so does the window that says so.
    cups->Pause();
    Rescue rescue(*cups);
    key(QStringLiteral("Return"));
    Wid waiting = 0;
    ASSERT_TRUE(WaitFor(
        [&] {
            waiting = newWindows(QStringLiteral("^Tallix Time$"), {main}).value(0);
            return waiting != 0;
        },
        kStep))
        << "no waiting window";
    EXPECT_FALSE(viewable(print));
    EXPECT_TRUE(WaitFor([&] { return above(waiting, main); }, kStep))
        << "the waiting window is below the main window";
    // The clock ticks meanwhile: the labels show three different times.
    QSet<QString> seen;
    EXPECT_TRUE(WaitFor(
        [&] {
            if (const QString labels = labelsOf(); !labels.isEmpty())
                seen.insert(labels);
            return seen.size() >= 3;
        },
        kStep))
        << "the main window does not tick while the job waits";
    screenshot(QStringLiteral("print_waiting_on_top"));
    EXPECT_TRUE(viewable(waiting));
    EXPECT_TRUE(above(waiting, main));

    // The server answers: the job is taken and the waiting window goes.
    cups->Resume();
    EXPECT_TRUE(WaitFor([&] { return !viewable(waiting); }, kStep));
    EXPECT_TRUE(WaitFor([&] { return cups->Jobs(kQueue).size() == 1; }, kStep));
    EXPECT_EQ(program->state(), QProcess::Running);
    stopProgram();
}

} // namespace
