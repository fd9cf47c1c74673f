// Instances, string handles and data handles of the DDE calls; the transport is the backend's.
#include "dde.h"

#include <QFile>
#include <QHash>
#include <algorithm>
#include <cstring>
#include <map>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {
DdeBackend& SocketDdeBackend(); // dde_socket.cpp
}

namespace {

struct Instance {
    PFNCALLBACK callback = nullptr;
    DWORD flags = 0;
    QHash<QString, HSZ> byText;
    QHash<HSZ, QPair<QString, int>> strings; // text, reference count
};

struct Data {
    QByteArray bytes;
    QString item;
};

std::map<DWORD, Instance> gInstances;
std::map<HDDEDATA, Data> gData;
DWORD gNextInstance = 1;
HSZ gNextString = 1;
HDDEDATA gNextData = 1;
platform::DdeBackend* gBackend = nullptr;
QString gRegisterTrouble;

Instance* instanceOf(DWORD idInst) {
    const auto it = gInstances.find(idInst);
    return it == gInstances.end() ? nullptr : &it->second;
}

QString textOf(DWORD idInst, HSZ hsz) {
    const Instance* inst = instanceOf(idInst);
    if (!inst)
        return {};
    return inst->strings.value(hsz).first;
}

} // namespace

namespace platform {

DdeBackend& CurrentDdeBackend() {
    return gBackend ? *gBackend : SocketDdeBackend();
}

void InstallDdeBackend(DdeBackend* backend) {
    gBackend = backend;
}

QString DdeRegisterTrouble() {
    return gRegisterTrouble;
}

void SetDdeRegisterTrouble(const QString& why) {
    gRegisterTrouble = why;
}

QString DdeSocketFolderName() {
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    return QFile::decodeName(!runtime.isEmpty() && runtime.at(0) == '/'
                                 ? runtime + "/dde"
                                 : QByteArray("/tmp/dde-") + QByteArray::number(::getuid()));
}

QString DdeSocketDir(bool create) {
    const QByteArray dir = QFile::encodeName(DdeSocketFolderName());
    if (create)
        ::mkdir(dir.constData(), 0700); // never follows a link; an existing folder stays
    struct stat st {};
    // Someone else's folder, a link, or a folder others may enter could let them read our
    // data or stand in for our server.
    if (::lstat(dir.constData(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::getuid() ||
        (st.st_mode & 0077) != 0)
        return {};
    return QFile::decodeName(dir);
}

QString DdeSocketPath(const QString& service, bool create) {
    if (service.isEmpty() || service.contains(QLatin1Char('/')) || service == QLatin1String(".") ||
        service == QLatin1String("..") || service.contains(QChar(0)))
        return {};
    const QString dir = DdeSocketDir(create);
    return dir.isEmpty() ? QString() : dir + QLatin1Char('/') + service;
}

QString DdeItemKey(const QString& item) {
    qsizetype first = 0, last = item.size();
    while (first < last && item.at(first) == QLatin1Char(' '))
        ++first;
    while (last > first && item.at(last - 1) == QLatin1Char(' '))
        --last;
    return item.mid(first, last - first).toUpper();
}

bool DataOfHandle(HDDEDATA hData, QByteArray* bytes, QString* item) {
    const auto it = gData.find(hData);
    if (it == gData.end())
        return false;
    if (bytes)
        *bytes = it->second.bytes;
    if (item)
        *item = it->second.item;
    return true;
}

bool FreeDataHandle(HDDEDATA hData) {
    return gData.erase(hData) > 0;
}

DWORD InstanceFlags(DWORD idInst) {
    const Instance* inst = instanceOf(idInst);
    return inst ? inst->flags : 0;
}

HDDEDATA DeliverTransaction(DWORD idInst, UINT uType, HCONV hConv, const QString& topic,
                            const QString& item, DWORD dwData1) {
    const Instance* inst = instanceOf(idInst);
    if (!inst || !inst->callback)
        return 0;
    if ((uType == XTYP_DISCONNECT && (inst->flags & CBF_SKIP_DISCONNECTS)) ||
        (uType == XTYP_CONNECT_CONFIRM && (inst->flags & CBF_SKIP_CONNECT_CONFIRMS)))
        return 0;
    const PFNCALLBACK callback = inst->callback;
    const HSZ hszTopic = topic.isNull() ? 0 : DdeCreateStringHandleA(idInst, topic, CP_WINANSI);
    const HSZ hszItem = item.isNull() ? 0 : DdeCreateStringHandleA(idInst, item, CP_WINANSI);
    const HDDEDATA result = callback(uType, CF_TEXT, hConv, hszTopic, hszItem, 0, dwData1, 0);
    // The callback may have ended the instance; freeing then finds nothing.
    if (hszTopic)
        DdeFreeStringHandle(idInst, hszTopic);
    if (hszItem)
        DdeFreeStringHandle(idInst, hszItem);
    return result;
}

} // namespace platform

UINT DdeInitializeA(DWORD& pidInst, PFNCALLBACK pfnCallback, DWORD afCmd, DWORD ulRes) {
    if (!pfnCallback || ulRes != 0)
        return DMLERR_INVALID_PARAMETER;
    if (Instance* inst = instanceOf(pidInst)) { // a live instance changes its flags only
        inst->callback = pfnCallback;
        inst->flags = afCmd;
        return DMLERR_NO_ERROR;
    }
    const DWORD id = gNextInstance++;
    gInstances[id] = Instance{pfnCallback, afCmd, {}, {}};
    const UINT error = platform::CurrentDdeBackend().initialize(id, afCmd);
    if (error != DMLERR_NO_ERROR) {
        gInstances.erase(id);
        return error;
    }
    pidInst = id;
    return DMLERR_NO_ERROR;
}

BOOL DdeUninitialize(DWORD idInst) {
    if (!instanceOf(idInst))
        return FALSE_;
    platform::CurrentDdeBackend().uninitialize(idInst);
    gInstances.erase(idInst);
    return TRUE_;
}

HSZ DdeCreateStringHandleA(DWORD idInst, const QString& psz, int iCodePage) {
    Instance* inst = instanceOf(idInst);
    if (!inst)
        return 0;
    if (const HSZ known = inst->byText.value(psz)) {
        ++inst->strings[known].second;
        return known;
    }
    const HSZ hsz = gNextString++;
    inst->byText.insert(psz, hsz);
    inst->strings.insert(hsz, qMakePair(psz, 1));
    return hsz;
}

BOOL DdeFreeStringHandle(DWORD idInst, HSZ hsz) {
    Instance* inst = instanceOf(idInst);
    if (!inst || !inst->strings.contains(hsz))
        return FALSE_;
    auto& entry = inst->strings[hsz];
    if (--entry.second <= 0) {
        inst->byText.remove(entry.first);
        inst->strings.remove(hsz);
    }
    return TRUE_;
}

DWORD DdeQueryStringA(DWORD idInst, HSZ hsz, char* psz, DWORD cchMax, int iCodePage) {
    const Instance* inst = instanceOf(idInst);
    if (!inst || !inst->strings.contains(hsz))
        return 0;
    const QByteArray bytes = inst->strings.value(hsz).first.toUtf8();
    if (!psz)
        return DWORD(bytes.size());
    if (cchMax == 0)
        return 0;
    const DWORD n = std::min<DWORD>(DWORD(bytes.size()), cchMax - 1);
    std::memcpy(psz, bytes.constData(), n);
    psz[n] = '\0';
    return n;
}

HCONV DdeConnect(DWORD idInst, HSZ hszService, HSZ hszTopic, const void* pCC) {
    if (!instanceOf(idInst))
        return 0;
    return platform::CurrentDdeBackend().connect(idInst, textOf(idInst, hszService),
                                                 textOf(idInst, hszTopic));
}

HDDEDATA DdeNameService(DWORD idInst, HSZ hsz1, HSZ hsz2, UINT afCmd) {
    if (!instanceOf(idInst))
        return 0;
    const QString service = textOf(idInst, hsz1);
    if (service.isEmpty())
        return 0;
    auto& backend = platform::CurrentDdeBackend();
    if (afCmd & DNS_REGISTER) {
        platform::SetDdeRegisterTrouble(QString());
        return backend.registerService(idInst, service) ? 1 : 0;
    }
    if (afCmd & DNS_UNREGISTER)
        return backend.unregisterService(idInst, service) ? 1 : 0;
    return 0;
}

HDDEDATA DdeCreateDataHandle(DWORD idInst, const QByteArray& pSrc, DWORD cb, DWORD cbOff,
                             HSZ hszItem, UINT wFmt, UINT afCmd) {
    if (!instanceOf(idInst))
        return 0;
    QByteArray bytes(qsizetype(cb), '\0');
    if (cbOff < DWORD(pSrc.size())) {
        const auto n = std::min<qsizetype>(qsizetype(cb), pSrc.size() - qsizetype(cbOff));
        std::memcpy(bytes.data(), pSrc.constData() + cbOff, size_t(n));
    }
    const HDDEDATA h = gNextData++;
    gData[h] = Data{bytes, textOf(idInst, hszItem)};
    return h;
}

BOOL DdePostAdvise(DWORD idInst, HSZ hszTopic, HSZ hszItem) {
    if (!instanceOf(idInst))
        return FALSE_;
    return platform::CurrentDdeBackend().postAdvise(idInst, textOf(idInst, hszTopic),
                                                    textOf(idInst, hszItem))
               ? TRUE_
               : FALSE_;
}
