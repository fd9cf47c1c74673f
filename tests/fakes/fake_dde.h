#pragma once
// A DDE transport for tests: records what the program asked of it (initialise, connect,
// register, post advise...), answers as told, and hands transactions to the program's
// callback the way a client's lines would. Constructing one installs it; destroying it puts the
// sockets back.
#include "platform/dde.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QSet>
#include <QString>
#include <QStringList>
#include <future>

class FakeDde : public platform::DdeBackend {
public:
    struct Reply {
        bool hasData = false;
        QByteArray bytes; // the data handle's bytes
        QString item;     // the data handle's item name
        QString text() const { return QString::fromUtf8(bytes.left(bytes.indexOf('\0'))); }
    };

    FakeDde();
    ~FakeDde() override;
    FakeDde(const FakeDde&) = delete;
    FakeDde& operator=(const FakeDde&) = delete;

    UINT initialize(DWORD idInst, DWORD afCmd) override;
    void uninitialize(DWORD idInst) override;
    HCONV connect(DWORD idInst, const QString& service, const QString& topic) override;
    bool registerService(DWORD idInst, const QString& service) override;
    bool unregisterService(DWORD idInst, const QString& service) override;
    bool postAdvise(DWORD idInst, const QString& topic, const QString& item) override;

    // "initialize", "uninitialize", "connect Service|Topic", "register Service",
    // "unregister Service", "postAdvise Topic|Item" in the order they came.
    QStringList calls;
    UINT initializeResult = DMLERR_NO_ERROR;
    bool otherServerAnswers = false; // DdeConnect finds another server
    DWORD lastInstance = 0;          // the instance most recently initialised
    QSet<QString> registered;

    // A transaction of the type on the item, through the callback of the last instance.
    HDDEDATA transact(UINT type, const QString& item, const QString& topic = "TallixTime");
    // XTYP_REQUEST or XTYP_ADVREQ: the data handle the callback returned, read and freed.
    Reply ask(UINT type, const QString& item, const QString& topic = "TallixTime");
};

// Runs blocking client code (a DdeClient) on a thread while this thread's event loop serves it;
// returns what the code returns.
template <class F> auto WhileServing(F f) {
    auto done = std::async(std::launch::async, f);
    while (done.wait_for(std::chrono::milliseconds(1)) != std::future_status::ready)
        QCoreApplication::processEvents();
    return done.get();
}
