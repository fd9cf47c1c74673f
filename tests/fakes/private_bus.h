#pragma once
// A D-Bus daemon of the test's own, standing in for both the session and the system bus of
// the processes the test starts. Every process a test starts this way runs in a process group
// of its own, and the whole group ends with the test, passed or failed.
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// Starts the program as the leader of a new session (so of a new process group).
void StartInOwnGroup(QProcess& process, const QString& program, const QStringList& args);
// Ends the process group the program leads (SIGKILL to the group) and reaps the program.
void EndProcessGroup(QProcess& process);

class PrivateBus {
public:
    // Starts the daemon and waits (generously) for its address.
    PrivateBus();
    // Ends the daemon's process group.
    ~PrivateBus();
    PrivateBus(const PrivateBus&) = delete;
    PrivateBus& operator=(const PrivateBus&) = delete;

    // "" while the daemon runs; else why not (a missing dbus-daemon names its Debian package).
    QString trouble() const { return trouble_; }
    QString address() const { return address_; }
    qint64 pid() const { return daemon_.processId(); }
    // The environment of a process that is to find this bus as its session and system bus.
    QProcessEnvironment environment() const;

private:
    QTemporaryDir dir_;
    QProcess daemon_;
    QString address_;
    QString trouble_;
};
