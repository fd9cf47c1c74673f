#include "fakes/fake_dde.h"

FakeDde::FakeDde() {
    platform::InstallDdeBackend(this);
}

FakeDde::~FakeDde() {
    if (&platform::CurrentDdeBackend() == this)
        platform::InstallDdeBackend(nullptr);
}

UINT FakeDde::initialize(DWORD idInst, DWORD afCmd) {
    calls << QStringLiteral("initialize");
    if (initializeResult == DMLERR_NO_ERROR)
        lastInstance = idInst;
    return initializeResult;
}

void FakeDde::uninitialize(DWORD idInst) {
    calls << QStringLiteral("uninitialize");
    registered.clear();
}

HCONV FakeDde::connect(DWORD, const QString& service, const QString& topic) {
    calls << QStringLiteral("connect %1|%2").arg(service, topic);
    return otherServerAnswers ? 77 : 0;
}

bool FakeDde::registerService(DWORD, const QString& service) {
    calls << QStringLiteral("register %1").arg(service);
    registered.insert(service);
    return true;
}

bool FakeDde::unregisterService(DWORD, const QString& service) {
    calls << QStringLiteral("unregister %1").arg(service);
    return registered.remove(service);
}

bool FakeDde::postAdvise(DWORD, const QString& topic, const QString& item) {
    calls << QStringLiteral("postAdvise %1|%2").arg(topic, item);
    return true;
}

HDDEDATA FakeDde::transact(UINT type, const QString& item, const QString& topic) {
    return platform::DeliverTransaction(lastInstance, type, 1, topic, item);
}

FakeDde::Reply FakeDde::ask(UINT type, const QString& item, const QString& topic) {
    Reply reply;
    const HDDEDATA h = transact(type, item, topic);
    reply.hasData = platform::DataOfHandle(h, &reply.bytes, &reply.item);
    platform::FreeDataHandle(h);
    return reply;
}
