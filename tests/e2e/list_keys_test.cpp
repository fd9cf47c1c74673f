// Return and Escape with a drop-down list of a dialog open, in the real program under a window
// manager: they act on the list alone (Return picks the highlighted item, Escape closes the list)
// and the dialog stays with what was changed; the next press acts on the dialog (Return is OK,
// Escape Cancel). Prayer Settings (the country and the zone lists), Preferences (a sound list)
// and the print dialog (the paper list, with a print server of the test's own). Lists are opened
// with Alt+Down from the keyboard, or with a click where the list has no mnemonic; an open list
// is a window of its own on the screen.
#include "calendar/cups_server.h"
#include "desktop_session.h"

#include <QTemporaryDir>

namespace {

class ListKeys : public Desktop {
protected:
    // Opens the list of the focused combo box and waits for it.
    bool openList() {
        key(QStringLiteral("alt+Down"));
        return WaitFor([&] { return menuShown(); }, kStep);
    }
    bool listClosed() {
        return WaitFor([&] { return !menuShown(); }, kStep);
    }
    // The value's line of the settings file, "" when it has none.
    QString stored(const QString& name) const {
        QFile f(dir.filePath(QStringLiteral("home/.config/tallix-time/registry.conf")));
        if (!f.open(QIODevice::ReadOnly))
            return {};
        for (const QString& line : QString::fromUtf8(f.readAll()).split(u'\n'))
            if (line.startsWith(u'"' + name + QStringLiteral("\"=")))
                return line;
        return {};
    }
    // Each step of a list: the list opens, takes the keys and closes, and the dialog stays to
    // open it again (so it was not closed meanwhile).
    void pickAndCloseInList(Wid dialog, const QString& moveKey) {
        ASSERT_TRUE(openList()) << "the list does not open";
        key(moveKey);
        key(QStringLiteral("Return"));
        ASSERT_TRUE(listClosed()) << "Return leaves the list open";
        ASSERT_TRUE(openList()) << "Return closed the dialog with the list";
        key(QStringLiteral("Escape"));
        ASSERT_TRUE(listClosed()) << "Escape leaves the list open";
        ASSERT_TRUE(openList()) << "Escape closed the dialog with the list";
        key(QStringLiteral("Escape"));
        ASSERT_TRUE(listClosed());
        EXPECT_TRUE(viewable(dialog));
    }
};

TEST_F(ListKeys, PrayerSettingsKeepsItsChangesWhenAListCloses) {
    const Wid main = startProgram();
    ASSERT_NE(main, 0u);
    const QString before = stored(QStringLiteral("TimeZone"));
    activate(main);
    key(QStringLiteral("ctrl+s"));
    const Wid settings = waitForWindow(QStringLiteral("Prayer Settings$"));
    ASSERT_NE(settings, 0u) << "no Prayer Settings";

    // The country list (an editable box): Escape closes the list only.
    key(QStringLiteral("alt+y"));
    ASSERT_TRUE(openList()) << "the country list does not open";
    key(QStringLiteral("Escape"));
    ASSERT_TRUE(listClosed());
    ASSERT_TRUE(openList()) << "Escape closed Prayer Settings with the country list";
    key(QStringLiteral("Escape"));
    ASSERT_TRUE(listClosed());

    // The zone list: the next zone picked, then the list opened and closed again.
    key(QStringLiteral("alt+z"));
    pickAndCloseInList(settings, QStringLiteral("Down"));
    if (HasFatalFailure())
        return;
    // Now Return is OK: the zone picked is saved (any question on the way answered Yes).
    key(QStringLiteral("Return"));
    EXPECT_TRUE(answerYesUntil(main, [&] { return !viewable(settings); }, kStep * 2))
        << "Return does not close Prayer Settings";
    EXPECT_TRUE(WaitFor([&] { return stored(QStringLiteral("TimeZone")) != before; }, kStep))
        << "the zone picked is not saved: " << stored(QStringLiteral("TimeZone")).toStdString();
    EXPECT_EQ(program->state(), QProcess::Running);
}

TEST_F(ListKeys, PreferencesKeepsItsChangesWhenASoundListCloses) {
    auto tree = startAccessibility();
    ASSERT_NE(tree, nullptr);
    const Wid main = startProgram();
    ASSERT_NE(main, 0u);
    activate(main);
    key(QStringLiteral("ctrl+p"));
    const Wid preferences = waitForWindow(QStringLiteral("Preferences$"));
    ASSERT_NE(preferences, 0u) << "no Preferences";
    // The first athan's list (no mnemonic of its own): a click gives it the focus.
    QRect fajrList;
    ASSERT_TRUE(WaitFor(
        [&] {
            for (const auto& c : tree->controls(program->processId(), QStringLiteral("Preferences$")))
                if (c.showing && c.role == QStringLiteral("combo box")) {
                    fajrList = c.onScreen;
                    return true;
                }
            return false;
        },
        kStep))
        << "no sound list";
    x({QStringLiteral("xdotool"), QStringLiteral("mousemove"),
       QString::number(fajrList.center().x()), QString::number(fajrList.center().y()),
       QStringLiteral("click"), QStringLiteral("1")});
    ASSERT_TRUE(WaitFor([&] { return menuShown(); }, kStep)) << "the click opens no list";
    key(QStringLiteral("Escape"));
    ASSERT_TRUE(listClosed());
    ASSERT_TRUE(viewable(preferences));

    // The sound before the last one picked (the list starts on the last).
    pickAndCloseInList(preferences, QStringLiteral("Up"));
    if (HasFatalFailure())
        return;
    key(QStringLiteral("Return"));
    EXPECT_TRUE(answerYesUntil(main, [&] { return !viewable(preferences); }, kStep * 2))
        << "Return does not close Preferences";
    EXPECT_TRUE(WaitFor(
        [&] {
            return stored(QStringLiteral("SelectedSound0")) ==
                   QStringLiteral("\"SelectedSound0\"=\"1\"");
        },
        kStep))
        << "the sound picked is not saved: "
        << stored(QStringLiteral("SelectedSound0")).toStdString();
    EXPECT_EQ(program->state(), QProcess::Running);
}

class PrintListKeys : public ListKeys {
protected:
    void SetUp() override {
        ListKeys::SetUp();
        if (HasFatalFailure())
            return;
        ASSERT_TRUE(cupsDir.isValid());
        cups = std::make_unique<CupsServer>(cupsDir.path());
        QString why;
        ASSERT_TRUE(cups->StartWithQueues({kQueue}, &why)) << why.toStdString();
        env.insert(QStringLiteral("CUPS_SERVER"), cups->socket());
    }
    void TearDown() override {
        Desktop::TearDown();
        cups.reset();
    }

    // File > Print Prayer Times > Gregorian Calendar > January; the print dialog.
    Wid openPrintDialog(Wid main) {
        activate(main);
        for (const char* keys : {"alt+f", "p", "g", "Return"})
            key(QString::fromLatin1(keys));
        Wid print = waitForWindow(QStringLiteral("^Print$"));
        EXPECT_TRUE(print != 0 && WaitFor([&] { return active() == print; }, kStep));
        return print;
    }
    // The paper list opened from the keyboard once the queue's papers are there (the list is
    // off until then).
    bool openPaperList() {
        return WaitFor(
            [&] {
                key(QStringLiteral("alt+s"));
                key(QStringLiteral("alt+Down"));
                return WaitFor([&] { return menuShown(); }, 2000);
            },
            kStep);
    }
    // The paper of the queue's last job, once there are that many.
    QString paperOfJob(std::size_t count) {
        std::vector<CupsServer::Job> jobs;
        if (!WaitFor(
                [&] {
                    jobs = cups->Jobs(kQueue);
                    return jobs.size() >= count;
                },
                kStep))
            return QStringLiteral("(no job)");
        return cups->JobAttributes(jobs.back().id).value("media");
    }

    const QString kQueue = QStringLiteral("tallix");
    QTemporaryDir cupsDir;
    std::unique_ptr<CupsServer> cups;
};

TEST_F(PrintListKeys, ReturnInThePaperListPicksThePaperAndSendsNothing) {
    const Wid main = startProgram();
    ASSERT_NE(main, 0u);
    // A first print as the dialog opens: the paper it starts with.
    Wid print = openPrintDialog(main);
    ASSERT_NE(print, 0u) << "no print dialog";
    ASSERT_TRUE(openPaperList());
    key(QStringLiteral("Escape"));
    ASSERT_TRUE(listClosed());
    key(QStringLiteral("Return"));
    const QString first = paperOfJob(1);
    ASSERT_NE(first.toStdString(), "(no job)");
    ASSERT_TRUE(WaitFor([&] { return !viewable(print); }, kStep));

    // The second: the next paper picked with Return in the list, which sends nothing.
    print = openPrintDialog(main);
    ASSERT_NE(print, 0u) << "no second print dialog";
    ASSERT_TRUE(openPaperList());
    key(QStringLiteral("Down"));
    key(QStringLiteral("Return"));
    ASSERT_TRUE(listClosed()) << "Return leaves the list open";
    ASSERT_TRUE(openList()) << "Return closed the print dialog with the list";
    key(QStringLiteral("Escape"));
    ASSERT_TRUE(listClosed());
    EXPECT_TRUE(viewable(print));
    EXPECT_EQ(cups->Jobs(kQueue).size(), 1u) << "a job was sent from the list";
    // Now Return is OK: the job goes with the paper picked.
    key(QStringLiteral("Return"));
    const QString second = paperOfJob(2);
    EXPECT_NE(second.toStdString(), "(no job)");
    EXPECT_NE(second.toStdString(), first.toStdString()) << "the paper picked is not the job's";
    EXPECT_TRUE(WaitFor([&] { return !viewable(print); }, kStep));
    EXPECT_EQ(cups->Jobs(kQueue).size(), 2u);
    EXPECT_EQ(program->state(), QProcess::Running);
}

} // namespace
