#pragma once
// A driverless printer for tests: CUPS's own IPP Everywhere printer (ippeveprinter, Debian
// package cups-ipp-utils) on a port of its own, its spool in the test's folder. It runs in a
// session of its own, ended with the object. It needs a D-Bus system bus to start (it is made
// to announce itself over Avahi, which "-r off" keeps it from doing): a private bus stands in.
#include "fakes/private_bus.h"

#include <QProcess>
#include <QString>

#include <memory>

class IppEverywherePrinter {
public:
    explicit IppEverywherePrinter(const QString& folder);
    ~IppEverywherePrinter();
    IppEverywherePrinter(const IppEverywherePrinter&) = delete;
    IppEverywherePrinter& operator=(const IppEverywherePrinter&) = delete;

    // Starts the printer and waits until it takes connections; false with the reason (a
    // missing program names its Debian package) when it does not.
    bool Start(QString* why);
    // Where a print server reaches it ("ipp://localhost:PORT/ipp/print").
    QString uri() const;

private:
    QString folder_;
    std::unique_ptr<PrivateBus> bus_;
    QProcess printer_;
    int port_ = 0;
};
