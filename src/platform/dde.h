#pragma once
// Dynamic data exchange between the user's programs: the DDE management calls over a
// Unix-domain socket per service.
//
// A server of service S listens on $XDG_RUNTIME_DIR/dde/S (without XDG_RUNTIME_DIR,
// /tmp/dde-UID/S), in a folder that must be a private folder of ours (mode 0700, our own,
// not a link). Clients speak lines of UTF-8 ending in LF; the argument of a line is everything
// after its first space, kept as it is:
//
//   CONNECT topic    -> OK | NO
//   REQUEST item     -> DATA n LF <n bytes> LF | NODATA
//   ADVSTART item    -> OK | NO
//   ADVSTOP item     -> OK
//   BYE              -> the server closes the connection
//
// and, while an advise link is open, each DdePostAdvise pushes ADVDATA n item LF <n bytes> LF,
// item being the item name of the data handle the callback returned. Any line before CONNECT
// OK, and any line that is not one of the above, answers NO. A line over 4 KiB, or a client
// that lets more than 256 KiB of our answers pile up unread, is disconnected.
//
// Item names name the same item whatever the case of their letters and the blanks around them
// (DdeItemKey). A client has one advise link per item: an ADVSTART of an item it advises on
// already, in any spelling, keeps that link and the callback is asked for the spelling last
// started; an ADVSTOP in any spelling ends it.
//
// Transactions reach the instance's callback on the thread that initialised it, from its
// event loop, one at a time; nothing here pumps events while a callback runs. String handles
// are per instance and name exact texts (two spellings are two handles). A data handle
// returned by a callback is sent and freed.
#include "wintypes.h"

#include <QByteArray>
#include <QString>

using HSZ = std::uint32_t;
using HCONV = std::uint32_t;
using HDDEDATA = std::uint32_t;

using PFNCALLBACK = HDDEDATA (*)(UINT uType, UINT uFmt, HCONV hConv, HSZ hsz1, HSZ hsz2,
                                 HDDEDATA hData, DWORD dwData1, DWORD dwData2);

// Transaction types.
constexpr UINT XTYP_ADVDATA = 0x4010;
constexpr UINT XTYP_ADVREQ = 0x2022;
constexpr UINT XTYP_ADVSTART = 0x1030;
constexpr UINT XTYP_ADVSTOP = 0x8040;
constexpr UINT XTYP_CONNECT = 0x1062;
constexpr UINT XTYP_CONNECT_CONFIRM = 0x8072;
constexpr UINT XTYP_DISCONNECT = 0x80C2;
constexpr UINT XTYP_REQUEST = 0x20B0;

// DdeInitializeA flags.
constexpr DWORD APPCMD_FILTERINITS = 0x20;
constexpr DWORD CBF_FAIL_SELFCONNECTIONS = 0x1000;
constexpr DWORD CBF_FAIL_POKES = 0x10000;
constexpr DWORD CBF_SKIP_CONNECT_CONFIRMS = 0x40000;
constexpr DWORD CBF_SKIP_REGISTRATIONS = 0x80000;
constexpr DWORD CBF_SKIP_UNREGISTRATIONS = 0x100000;
constexpr DWORD CBF_SKIP_DISCONNECTS = 0x200000;

constexpr UINT DNS_REGISTER = 1;
constexpr UINT DNS_UNREGISTER = 2;
constexpr int CP_WINANSI = 1004; // texts are UTF-8 whatever the code page
constexpr UINT CF_TEXT = 1;

constexpr UINT DMLERR_NO_ERROR = 0;
constexpr UINT DMLERR_DLL_USAGE = 0x4004;
constexpr UINT DMLERR_INVALID_PARAMETER = 0x4006;
constexpr UINT DMLERR_SYS_ERROR = 0x400F;

// The callback's TRUE for connections and advise starts.
constexpr HDDEDATA DDE_TRUE = 0xFFFF8000;

// Starts an instance (pidInst 0) and sets pidInst; 0 on success or a DMLERR_ value.
UINT DdeInitializeA(DWORD& pidInst, PFNCALLBACK pfnCallback, DWORD afCmd, DWORD ulRes);
BOOL DdeUninitialize(DWORD idInst);
HSZ DdeCreateStringHandleA(DWORD idInst, const QString& psz, int iCodePage);
BOOL DdeFreeStringHandle(DWORD idInst, HSZ hsz);
// With psz null: the length in bytes. Otherwise copies at most cchMax - 1 bytes and a NUL and
// returns the bytes copied. 0 for an unknown handle.
DWORD DdeQueryStringA(DWORD idInst, HSZ hsz, char* psz, DWORD cchMax, int iCodePage);
// A conversation with the server of the service on the topic, 0 when none answers OK (within
// a second). The conversation ends with the instance.
HCONV DdeConnect(DWORD idInst, HSZ hszService, HSZ hszTopic, const void* pCC);
// Registers (nonzero result) or unregisters the service's socket. Registering fails while
// another live server holds it; a socket left behind by a server that died is taken over.
HDDEDATA DdeNameService(DWORD idInst, HSZ hsz1, HSZ hsz2, UINT afCmd);
// A data handle of cb bytes from offset cbOff of pSrc; bytes past the end of pSrc are zero,
// never memory of the caller's.
HDDEDATA DdeCreateDataHandle(DWORD idInst, const QByteArray& pSrc, DWORD cb, DWORD cbOff,
                             HSZ hszItem, UINT wFmt, UINT afCmd);
// Asks the callback (XTYP_ADVREQ) for each open advise link on the topic and item (0: any)
// and pushes the data to its client.
BOOL DdePostAdvise(DWORD idInst, HSZ hszTopic, HSZ hszItem);

namespace platform {

// The bytes and the item name of a live data handle (tests and the transports).
bool DataOfHandle(HDDEDATA hData, QByteArray* bytes, QString* item);
bool FreeDataHandle(HDDEDATA hData);
// Hands a transaction to the instance's callback; the item and topic are texts, given to the
// callback as string handles for the time of the call. Returns the callback's result.
HDDEDATA DeliverTransaction(DWORD idInst, UINT uType, HCONV hConv, const QString& topic,
                            const QString& item, DWORD dwData1 = 0);
// The instance's DdeInitializeA flags; 0 for no instance.
DWORD InstanceFlags(DWORD idInst);

// The socket folder: created (mode 0700) when missing; "" when it is not a private folder of
// ours. SocketPath is the folder and the service name, "" with no usable folder.
QString DdeSocketDir(bool create);
// The socket folder's path, whether or not it is usable.
QString DdeSocketFolderName();
QString DdeSocketPath(const QString& service, bool create);

// The key that tells the server's items apart: the name without the blanks around it, in
// upper case ("  fajr " and "FAJR" are one item).
QString DdeItemKey(const QString& item);

// A client of the data server whose CONNECT has not been accepted within this long of
// connecting (whatever lines it said before), or that stays in the middle of a line for this
// long once connected, is disconnected: 10 s, as the hand-over's. A connected one may wait
// between whole lines as long as it likes (for the pushes of its advise links, say). Tests
// shorten it; 0 goes back to 10 s.
constexpr int kDataServerQuietClientMs = 10000;
void SetDataServerQuietClientTimeout(int ms);

// Why the last DdeNameService registration failed, in words for the user ("another program
// is already listening at ..."); "" after a registration that succeeded or when the transport
// did not say. Transports set it.
QString DdeRegisterTrouble();
void SetDdeRegisterTrouble(const QString& why);

// What the calls above ask of the transport. The program uses the sockets; tests install a
// fake. Handles and instances are kept above it.
class DdeBackend {
public:
    virtual ~DdeBackend() = default;
    virtual UINT initialize(DWORD idInst, DWORD afCmd) = 0;
    virtual void uninitialize(DWORD idInst) = 0;
    virtual HCONV connect(DWORD idInst, const QString& service, const QString& topic) = 0;
    virtual bool registerService(DWORD idInst, const QString& service) = 0;
    virtual bool unregisterService(DWORD idInst, const QString& service) = 0;
    // Topic and item "" mean any.
    virtual bool postAdvise(DWORD idInst, const QString& topic, const QString& item) = 0;
};

// The backend in use; nullptr restores the sockets. The installed backend is not owned.
DdeBackend& CurrentDdeBackend();
void InstallDdeBackend(DdeBackend* backend);

} // namespace platform
