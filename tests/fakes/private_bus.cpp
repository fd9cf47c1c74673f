#include "private_bus.h"

#include "child_process.h"
#include "wait_for.h"

#include <QStandardPaths>
#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

void StartInOwnGroup(QProcess& process, const QString& program, const QStringList& args) {
    StartInOwnSession(process);
    process.start(program, args);
}

void EndProcessGroup(QProcess& process) {
    const qint64 pid = process.processId();
    if (pid > 0)
        ::kill(-pid_t(pid), SIGCONT);
    EndSession(process, 0);
}

PrivateBus::PrivateBus() {
    const QString daemon = QStandardPaths::findExecutable(QStringLiteral("dbus-daemon"));
    if (daemon.isEmpty()) {
        trouble_ = QStringLiteral("dbus-daemon is missing: install the Debian package dbus-daemon");
        return;
    }
    StartInOwnGroup(daemon_, daemon,
                    {QStringLiteral("--session"), QStringLiteral("--nofork"),
                     QStringLiteral("--print-address"),
                     QStringLiteral("--address=unix:dir=") + dir_.path()});
    if (!daemon_.waitForStarted(30000)) {
        trouble_ = QStringLiteral("dbus-daemon did not start: ") + daemon_.errorString();
        return;
    }
    if (!WaitFor([&] { return daemon_.canReadLine(); }, 30000)) {
        trouble_ = QStringLiteral("dbus-daemon told no address: ") +
                   QString::fromLocal8Bit(daemon_.readAllStandardError());
        return;
    }
    address_ = QString::fromUtf8(daemon_.readLine()).trimmed();
}

PrivateBus::~PrivateBus() {
    EndProcessGroup(daemon_);
}

QProcessEnvironment PrivateBus::environment() const {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), address_);
    env.insert(QStringLiteral("DBUS_SYSTEM_BUS_ADDRESS"), address_);
    return env;
}
