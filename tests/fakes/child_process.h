#pragma once
// Real processes for tests: a forked child (as an ordinary user when the tests run as root, so
// that folder and file modes hold), and helpers that this test program runs in a fresh copy of
// itself.
#include <QString>

class QProcess;
#include <QStringList>
#include <functional>
#include <gtest/gtest.h>

// Runs fn in a forked child and returns its exit code, or -1 when it did not end within
// timeoutMs (it is then killed). With ordinaryUser the child first becomes user and group
// 65534 when it runs as root.
int RunInChild(const std::function<int()>& fn, int timeoutMs, bool ordinaryUser = false);

// Gives the folder and everything in it to the user the ordinary-user children run as.
void GiveToOrdinaryUser(const QString& path);

// Ends a program a test started as the end of the session does (SIGTERM), so that it removes
// what it made; kills it only when it has not ended within ms. A program started in a session
// of its own has what it left of that session ended too.
void EndGently(QProcess& program, int ms = 5000);

// Makes the process (call before its start) lead a session and process group of its own: what
// it starts, a display server under xvfb-run say, belongs to it, and the whole is ended by
// EndSession, or after the test that started it, passed or failed (see EndAllSessions).
void StartInOwnSession(QProcess& process);
// Ends every process of the session the process leads: SIGTERM, then SIGKILL to what is still
// there after ms; the process itself is waited for. Nothing happens to a process started
// outside a session of its own.
void EndSession(QProcess& process, int ms = 5000);
// Ends every session StartInOwnSession made in this test program that still has a process in
// it; the test runner calls it after each test. Gives how many processes were still there.
int EndAllSessions(int ms = 3000);

// Success when the program is found in PATH; else a failure that names the Debian package
// which brings it: ASSERT_TRUE(ToolInstalled("xdotool", "xdotool")).
::testing::AssertionResult ToolInstalled(const QString& program, const char* package);

// Removes the short socket folders (/tmp/tallix-XXXXXX) that the window lists under the
// runtime folder name: what a killed copy leaves outside the test's own folders.
void RemoveShortSocketFolders(const QString& runtimeDir);

// A helper a test can start as "<this program> --helper NAME ARGS..." (see StartHelper in the
// tests); it returns the process's exit code.
using TestHelper = std::function<int(const QStringList& args)>;
void RegisterTestHelper(const QString& name, TestHelper helper);
// Runs the helper named on the command line; false when the command line names none.
bool RunTestHelperFromCommandLine(int argc, char** argv, int* exitCode);

struct TestHelperRegistration {
    TestHelperRegistration(const QString& name, TestHelper helper) {
        RegisterTestHelper(name, std::move(helper));
    }
};
