#pragma once
// Real processes for tests: a forked child (as an ordinary user when the tests run as root, so
// that folder and file modes hold), and helpers that this test program runs in a fresh copy of
// itself.
#include <QString>

class QProcess;
#include <QStringList>
#include <functional>

// Runs fn in a forked child and returns its exit code, or -1 when it did not end within
// timeoutMs (it is then killed). With ordinaryUser the child first becomes user and group
// 65534 when it runs as root.
int RunInChild(const std::function<int()>& fn, int timeoutMs, bool ordinaryUser = false);

// Gives the folder and everything in it to the user the ordinary-user children run as.
void GiveToOrdinaryUser(const QString& path);

// Ends a program a test started as the end of the session does (SIGTERM), so that it removes
// what it made; kills it only when it has not ended within ms.
void EndGently(QProcess& program, int ms = 5000);
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
