#include "ipp_everywhere_printer.h"

#include "fakes/child_process.h"
#include "fakes/wait_for.h"

#include <QDir>
#include <QFile>
#include <QTcpServer>
#include <QTcpSocket>

namespace {

constexpr const char* kProgram = "/usr/sbin/ippeveprinter";

// A port nothing listens on now.
int freePort() {
    QTcpServer probe;
    if (!probe.listen(QHostAddress::LocalHost, 0))
        return 0;
    return probe.serverPort();
}

} // namespace

IppEverywherePrinter::IppEverywherePrinter(const QString& folder) : folder_(folder) {}

IppEverywherePrinter::~IppEverywherePrinter() {
    EndSession(printer_, 10000);
}

bool IppEverywherePrinter::Start(QString* why) {
    if (!QFile::exists(QLatin1String(kProgram))) {
        *why = QStringLiteral("%1 is not installed: install the Debian package cups-ipp-utils")
                   .arg(QLatin1String(kProgram));
        return false;
    }
    bus_ = std::make_unique<PrivateBus>();
    if (!bus_->trouble().isEmpty()) {
        *why = bus_->trouble();
        return false;
    }
    const QString spool = QDir(folder_).filePath(QStringLiteral("ippeve"));
    QDir().mkpath(spool);
    for (int attempt = 0; attempt < 5; ++attempt) {
        port_ = freePort();
        StartInOwnSession(printer_);
        printer_.setProcessEnvironment(bus_->environment());
        printer_.setProcessChannelMode(QProcess::MergedChannels);
        printer_.start(QLatin1String(kProgram),
                       {QStringLiteral("-r"), QStringLiteral("off"), QStringLiteral("-n"),
                        QStringLiteral("localhost"), QStringLiteral("-p"), QString::number(port_),
                        QStringLiteral("-d"), spool, QStringLiteral("-f"),
                        QStringLiteral("application/pdf,image/pwg-raster"), QStringLiteral("-F"),
                        QStringLiteral("image/pwg-raster"), QStringLiteral("Tallix Everywhere")});
        if (!printer_.waitForStarted(10000)) {
            *why = QStringLiteral("ippeveprinter did not start: ") + printer_.errorString();
            return false;
        }
        const bool listening = WaitFor(
            [this] {
                if (printer_.state() == QProcess::NotRunning)
                    return true;
                QTcpSocket probe;
                probe.connectToHost(QHostAddress::LocalHost, quint16(port_));
                return probe.waitForConnected(200);
            },
            30000);
        if (listening && printer_.state() == QProcess::Running)
            return true;
        *why = QStringLiteral("ippeveprinter does not answer on port %1: %2")
                   .arg(port_)
                   .arg(QString::fromLocal8Bit(printer_.readAll()));
        EndSession(printer_, 10000);
    }
    return false;
}

QString IppEverywherePrinter::uri() const {
    return QStringLiteral("ipp://localhost:%1/ipp/print").arg(port_);
}
