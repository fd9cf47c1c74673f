#include "window.h"

#include "local_listener.h"
#include "open_files.h"
#include "paths.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QLocalSocket>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <QCoreApplication>
#include <QFileInfo>
#include <QLoggingCategory>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <map>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#include <vector>

namespace {

Q_LOGGING_CATEGORY(lcHandover, "tallix.handover", QtInfoMsg)

// A request line longer than this is no request: its sender is dropped.
constexpr qint64 kMaxRequestLine = 4096;
// Answers a client lets pile up unread before it is dropped: a client that never reads gets
// no more of our memory than this.
constexpr qint64 kMaxUnreadAnswers = 64 * 1024;
// A list is a few lines per window; a file larger than this is no list of ours.
constexpr qint64 kMaxListSize = 256 * 1024;
// The first window number handed out, clear of the special numbers (0, 1, -1, -2) and the
// desktop's.
constexpr quint32 kFirstHandle = 0x100000;
constexpr quint32 kHandleBlock = 256;
// sun_path holds 108 bytes with its terminator.
constexpr qsizetype kMaxSocketPath = 107;

struct Published {
    HWND hwnd = 0;
    QString title;
    QString state;
    qint64 pid = 0;
};

struct OwnWindow {
    QPointer<QWidget> widget;
};

std::map<HWND, OwnWindow> gOwn; // ordered: the order windows were published in
// Told after a restore or activate request has acted on a window of ours.
std::function<void()> gBroughtForward;
platform::LocalListener* gServer = nullptr;
int gClientTimeoutMs = platform::kHandoverClientTimeoutMs;
bool gHoldRequests = false;
QString gSocketPath;       // where our server listens
QString gShortFolder;      // our own short socket folder, when RuntimeDir() was too deep
char* gExitList = nullptr; // what a normal end removes, kept as plain C strings for atexit
char* gExitSocket = nullptr;
char* gExitFolder = nullptr;

QString windowsDir() {
    const QString dir = platform::RuntimeDir() + QStringLiteral("/windows");
    ::mkdir(QFile::encodeName(dir).constData(), 0700);
    return dir;
}

// What lstat finds at the path: a regular file, a socket, or anything else (a link, a folder,
// a device, nothing). Links are never followed here.
enum class Kind { File, Socket, Other };
Kind kindOf(const QString& path) {
    struct stat st {};
    if (::lstat(QFile::encodeName(path).constData(), &st) != 0 || st.st_uid != ::getuid())
        return Kind::Other;
    return S_ISREG(st.st_mode) ? Kind::File : S_ISSOCK(st.st_mode) ? Kind::Socket : Kind::Other;
}

// Removes the path only when it is a file of ours of the kind given, never through a link.
void removeOwn(const QString& path, Kind kind) {
    if (kindOf(path) == kind)
        ::unlink(QFile::encodeName(path).constData());
}

QString listPath(qint64 pid) {
    return windowsDir() + QStringLiteral("/%1.list").arg(pid);
}
QString defaultSocketPath(qint64 pid) {
    return windowsDir() + QStringLiteral("/%1.sock").arg(pid);
}

bool processAlive(qint64 pid) {
    return pid > 0 && (::kill(pid, 0) == 0 || errno == EPERM);
}

enum class Answer { Yes, Refused, Unknown };

// Whether a server listens on the socket: a refused or missing socket has no one behind it.
Answer socketAnswers(const QString& path) {
    const QByteArray p = QFile::encodeName(path);
    struct sockaddr_un addr {};
    if (p.isEmpty() || p.size() >= qsizetype(sizeof addr.sun_path))
        return Answer::Refused;
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return Answer::Unknown;
    addr.sun_family = AF_UNIX;
    std::memcpy(addr.sun_path, p.constData(), p.size());
    const int rc = ::connect(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr);
    const int error = errno;
    ::close(fd);
    if (rc == 0)
        return Answer::Yes;
    if (error == ECONNREFUSED || error == ENOENT || error == ENOTSOCK)
        return Answer::Refused;
    return Answer::Unknown; // busy (a full backlog) is someone
}

QString stateOf(const QWidget* w) {
    if (!w->isVisible())
        return QStringLiteral("hidden");
    if (w->isMinimized())
        return QStringLiteral("minimized");
    return w->isActiveWindow() ? QStringLiteral("active") : QStringLiteral("normal");
}

QString escapeField(QString s) {
    s.replace(u'\\', QStringLiteral("\\\\"));
    s.replace(u'\t', QStringLiteral("\\t"));
    s.replace(u'\n', QStringLiteral("\\n"));
    s.replace(u'\r', QStringLiteral("\\r"));
    return s;
}

QString unescapeField(const QString& s) {
    QString out;
    for (int i = 0; i < s.size(); ++i) {
        if (s[i] == u'\\' && i + 1 < s.size()) {
            const QChar e = s[++i];
            out += e == u't'   ? QChar(u'\t')
                   : e == u'n' ? QChar(u'\n')
                   : e == u'r' ? QChar(u'\r')
                               : e;
        } else {
            out += s[i];
        }
    }
    return out;
}

// Window numbers come in blocks from a counter all our processes share, so that no two
// windows of the user's session get the same number, however many are made. Without the
// shared counter (no runtime folder) the numbers are unique within the process.
HWND newHandle() {
    static quint32 next = 0;
    static quint32 end = 0;
    if (next == 0 || next >= end) {
        quint32 start = next < kFirstHandle ? kFirstHandle : next;
        const QString path = windowsDir() + QStringLiteral("/handles");
        // The counter is a file of ours in our own folder; anything else found there (a link
        // someone planted, a pipe) is put aside for a new file, never written through.
        const QByteArray p = QFile::encodeName(path);
        const int flags = O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC;
        int fd = ::open(p.constData(), flags, 0600);
        struct stat st {};
        if (fd >= 0 && (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != ::getuid())) {
            ::close(fd);
            fd = -1;
        }
        if (fd < 0 && kindOf(path) != Kind::File && ::unlink(p.constData()) == 0)
            fd = ::open(p.constData(), flags | O_EXCL, 0600);
        if (fd >= 0) {
            while (::flock(fd, LOCK_EX) != 0 && errno == EINTR) {
            }
            char buffer[32] = {};
            const ssize_t n = ::pread(fd, buffer, sizeof buffer - 1, 0);
            bool ok = false;
            const quint32 stored =
                n > 0 ? QByteArray(buffer, static_cast<qsizetype>(n)).trimmed().toUInt(&ok) : 0;
            start = ok && stored >= kFirstHandle && stored <= 0x7FFFFFFFu - kHandleBlock
                        ? stored
                        : kFirstHandle;
            const QByteArray after = QByteArray::number(start + kHandleBlock) + '\n';
            if (::ftruncate(fd, 0) != 0 || ::pwrite(fd, after.constData(), after.size(), 0) < 0)
                start = next < kFirstHandle ? kFirstHandle : next;
            ::close(fd);
        }
        next = start;
        end = start + kHandleBlock;
    }
    return static_cast<HWND>(next++);
}

// The list lives in the runtime folder, which does not outlast the session: it is replaced
// whole (no reader sees half of it) but not flushed to disk.
void writeOwnList() {
    QByteArray text;
    if (!gSocketPath.isEmpty())
        text += QStringLiteral("@socket\t%1\n").arg(escapeField(gSocketPath)).toUtf8();
    for (const auto& [hwnd, own] : gOwn) {
        if (!own.widget)
            continue;
        text += QStringLiteral("%1\t%2\t%3\n")
                    .arg(hwnd)
                    .arg(stateOf(own.widget), escapeField(own.widget->windowTitle()))
                    .toUtf8();
    }
    // A new file each time (whatever was at the temporary's name goes first, a link too), so
    // nothing is ever written through a link; the rename replaces the list itself.
    const QByteArray path = QFile::encodeName(listPath(::getpid()));
    const QByteArray tmp = path + ".new";
    ::unlink(tmp.constData());
    const int fd =
        ::open(tmp.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0)
        return;
    const bool written = ::write(fd, text.constData(), size_t(text.size())) == text.size();
    if (::close(fd) != 0 || !written || ::rename(tmp.constData(), path.constData()) != 0)
        ::unlink(tmp.constData());
}

// The windows a process published, and the socket it listens on.
std::vector<Published> readList(qint64 pid, QString* socket) {
    std::vector<Published> out;
    *socket = defaultSocketPath(pid);
    // Only a regular file of ours, and only as much of it as a list can be.
    const int fd = ::open(QFile::encodeName(listPath(pid)).constData(),
                          O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return out;
    struct stat st {};
    QFile f;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != ::getuid() ||
        st.st_size > kMaxListSize ||
        !f.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return out;
    }
    const QStringList lines =
        QString::fromUtf8(f.read(kMaxListSize)).split(u'\n', Qt::SkipEmptyParts);
    for (const QString& line : lines) {
        const QStringList fields = line.split(u'\t');
        if (fields.size() == 2 && fields[0] == QLatin1String("@socket")) {
            *socket = unescapeField(fields[1]);
            continue;
        }
        if (fields.size() < 3)
            continue;
        bool ok = false;
        const HWND h = fields[0].toInt(&ok);
        if (ok && h != 0)
            out.push_back(Published{h, unescapeField(fields.mid(2).join(u'\t')), fields[1], pid});
    }
    return out;
}

// Whether a socket a list names is where a process of ours would have put it: in our folder
// under its own number, or alone in a short private folder of ours (/tmp/tallix-XXXXXX).
bool isOurSocketPath(qint64 pid, const QString& socket) {
    const QFileInfo info(socket);
    if (info.fileName() != QStringLiteral("%1.sock").arg(pid))
        return false;
    const QString folder = info.absolutePath();
    if (folder == windowsDir())
        return true;
    const QFileInfo parent(folder);
    struct stat st {};
    return parent.fileName().startsWith(QStringLiteral("tallix-")) &&
           parent.fileName().size() == 13 &&
           QFileInfo(parent.absolutePath()) == QFileInfo(platform::SharedFolderBase()) &&
           ::lstat(QFile::encodeName(folder).constData(), &st) == 0 && S_ISDIR(st.st_mode) &&
           st.st_uid == ::getuid() && (st.st_mode & 0077) == 0;
}

// Removes what a process that is gone left behind: its list, its socket and the short
// folder the socket may be in; a path its list names elsewhere is not ours to remove.
void removeLeftovers(qint64 pid, const QString& socket) {
    removeOwn(listPath(pid), Kind::File);
    removeOwn(listPath(pid) + QStringLiteral(".new"), Kind::File);
    removeOwn(defaultSocketPath(pid), Kind::Socket);
    if (socket == defaultSocketPath(pid) || !isOurSocketPath(pid, socket))
        return;
    removeOwn(socket, Kind::Socket);
    ::rmdir(QFile::encodeName(QFileInfo(socket).absolutePath()).constData());
}

// Every published window of every other process that answers on its socket, and our own;
// what processes that are gone (or whose number now belongs to another program) left
// behind is removed on the way.
std::vector<Published> allWindows() {
    std::vector<Published> out;
    QDir dir(windowsDir());
    const QStringList lists = dir.entryList({QStringLiteral("*.list")}, QDir::Files, QDir::Name);
    for (const QString& name : lists) {
        bool ok = false;
        const qint64 pid = name.section(u'.', 0, 0).toLongLong(&ok);
        if (!ok || kindOf(dir.filePath(name)) != Kind::File)
            continue;
        QString socket;
        const auto windows = readList(pid, &socket);
        if (pid != ::getpid()) {
            if (!processAlive(pid)) {
                removeLeftovers(pid, socket);
                continue;
            }
            const Answer answer = socketAnswers(socket);
            if (answer == Answer::Refused) {
                // The number belongs to another program now, or that copy cannot be reached:
                // its windows are not ours to find. A socket no one listens on is left over.
                if (kindOf(socket) == Kind::Socket)
                    removeLeftovers(pid, socket);
                continue;
            }
        }
        out.insert(out.end(), windows.begin(), windows.end());
    }
    return out;
}

// A start clears what processes that are gone left behind.
void sweepLeftovers() {
    QDir dir(windowsDir());
    const QStringList names = dir.entryList(
        {QStringLiteral("*.list"), QStringLiteral("*.list.new"), QStringLiteral("*.sock")},
        QDir::Files | QDir::System);
    for (const QString& name : names) {
        bool ok = false;
        const qint64 pid = name.section(u'.', 0, 0).toLongLong(&ok);
        if (!ok || pid <= 0 || pid == ::getpid() || processAlive(pid))
            continue;
        QString socket;
        readList(pid, &socket);
        removeLeftovers(pid, socket);
    }
}

bool findPublished(HWND h, Published* found) {
    auto it = gOwn.find(h);
    if (it != gOwn.end()) {
        if (!it->second.widget)
            return false;
        *found =
            Published{h, it->second.widget->windowTitle(), stateOf(it->second.widget), ::getpid()};
        return true;
    }
    const QStringList lists =
        QDir(windowsDir()).entryList({QStringLiteral("*.list")}, QDir::Files, QDir::Name);
    for (const QString& name : lists) {
        bool ok = false;
        const qint64 pid = name.section(u'.', 0, 0).toLongLong(&ok);
        if (!ok || pid == ::getpid() || !processAlive(pid))
            continue;
        QString socket;
        for (const auto& p : readList(pid, &socket)) {
            if (p.hwnd == h) {
                *found = p;
                return true;
            }
        }
    }
    return false;
}

bool actOnOwn(const QString& verb, HWND h) {
    QWidget* w = platform::WidgetOfWindow(h);
    if (!w)
        return false;
    if (verb == QLatin1String("RESTORE")) {
        if (w->isMinimized() || !w->isVisible())
            w->showNormal();
    } else if (verb == QLatin1String("ACTIVATE")) {
        w->raise();
        w->activateWindow();
    } else if (verb == QLatin1String("MINIMIZE")) {
        w->showMinimized();
    } else {
        return false;
    }
    writeOwnList();
    if (gBroughtForward && verb != QLatin1String("MINIMIZE"))
        gBroughtForward();
    return true;
}

// Sends "VERB hwnd" to the process owning the window and waits briefly for its answer.
bool request(const QString& verb, HWND h) {
    if (gOwn.count(h))
        return actOnOwn(verb, h);
    Published p;
    if (!findPublished(h, &p))
        return false;
    QString socketPath;
    readList(p.pid, &socketPath);
    QLocalSocket socket;
    socket.connectToServer(socketPath);
    if (!socket.waitForConnected(1000))
        return false;
    socket.write(QStringLiteral("%1 %2\n").arg(verb).arg(h).toUtf8());
    if (!socket.waitForBytesWritten(1000))
        return false;
    if (!socket.waitForReadyRead(1500))
        return false;
    return socket.readLine().trimmed() == "OK";
}

char* keep(const QString& path) {
    return path.isEmpty() ? nullptr : ::strdup(QFile::encodeName(path).constData());
}

// A normal end takes our list and socket away.
void removeOwnFiles() {
    for (char* path : {gExitList, gExitSocket})
        if (path)
            ::unlink(path);
    if (gExitFolder)
        ::rmdir(gExitFolder);
}

void dropClient(QLocalSocket* s, const char* why) {
    qCDebug(lcHandover, "dropping a client: %s", why);
    s->disconnect();
    s->abort();
    s->deleteLater();
}

// Answers the client's complete lines. Its requests are read no further ahead than a line or
// two, its answers are kept unread up to a limit, and a client that stays quiet is dropped,
// so no client holds more than a little of our memory or its connection for long.
void serve(QLocalSocket* s, QTimer* idle) {
    while (!gHoldRequests) {
        if (!s->canReadLine()) {
            if (s->bytesAvailable() > kMaxRequestLine)
                dropClient(s, "its request is too long");
            return;
        }
        const QByteArray raw = s->readLine(kMaxRequestLine + 1);
        if (!raw.endsWith('\n')) {
            dropClient(s, "its request is too long");
            return;
        }
        idle->start(gClientTimeoutMs);
        const QString line = QString::fromUtf8(raw).trimmed();
        const QString verb = line.section(u' ', 0, 0);
        bool ok = false;
        const HWND h = line.section(u' ', 1, 1).toInt(&ok);
        const bool done = ok && actOnOwn(verb, h);
        qCDebug(lcHandover, "%s request for window %d from another start: %s",
                qPrintable(verb.left(16).toLower()), h, done ? "done" : "refused");
        s->write(done ? "OK\n" : "NO\n");
        s->flush(); // as much as the kernel takes now
        if (s->bytesToWrite() > kMaxUnreadAnswers) {
            dropClient(s, "it does not read its answers");
            return;
        }
    }
}

void takeClient(QLocalSocket* s) {
    s->setReadBufferSize(2 * kMaxRequestLine);
    auto* idle = new QTimer(s);
    idle->setSingleShot(true);
    QObject::connect(idle, &QTimer::timeout, s, [s] { dropClient(s, "it stays quiet"); });
    idle->start(gClientTimeoutMs);
    QObject::connect(s, &QLocalSocket::disconnected, s, &QObject::deleteLater);
    QObject::connect(s, &QLocalSocket::readyRead, s, [s, idle] { serve(s, idle); });
    serve(s, idle);
}

void ensureServer() {
    if (gServer)
        return;
    sweepLeftovers();
    gServer = new platform::LocalListener();
    gServer->setMaxClients(platform::kHandoverClientCap, "NO\n");
    QString path = defaultSocketPath(::getpid());
    if (QFile::encodeName(path).size() > kMaxSocketPath) {
        // Too deep for a socket: a short private folder of our own instead, named in our list.
        gShortFolder = platform::MakeShortPrivateFolder();
        if (!gShortFolder.isEmpty())
            path = gShortFolder + QStringLiteral("/%1.sock").arg(::getpid());
    }
    removeOwn(path, Kind::Socket); // a socket of an earlier process with our number
    if (!gServer->listen(path)) {
        qWarning("tallix-time: cannot listen on %s: %s", qPrintable(path),
                 qPrintable(gServer->errorString()));
    } else {
        gSocketPath = path;
    }
    gExitList = keep(listPath(::getpid()));
    gExitSocket = keep(gSocketPath);
    gExitFolder = keep(gShortFolder);
    std::atexit(removeOwnFiles);
    if (QCoreApplication::instance())
        QObject::connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit,
                         removeOwnFiles);
    QObject::connect(gServer, &platform::LocalListener::newConnection, takeClient);
}

} // namespace

namespace platform {

void OnWindowBroughtForward(std::function<void()> handler) {
    gBroughtForward = std::move(handler);
}

void RemoveWindowFiles() {
    removeOwnFiles();
}

void SetHandoverClientTimeout(int ms) {
    gClientTimeoutMs = ms > 0 ? ms : kHandoverClientTimeoutMs;
}

void HoldHandoverRequests(bool hold) {
    gHoldRequests = hold;
    if (hold || !gServer)
        return;
    // The clients that asked meanwhile, each with its own idle timer.
    for (QLocalSocket* s :
         gServer->findChildren<QLocalSocket*>(QString(), Qt::FindDirectChildrenOnly))
        if (QTimer* idle = s->findChild<QTimer*>(QString(), Qt::FindDirectChildrenOnly))
            QTimer::singleShot(0, s, [s, idle] { serve(s, idle); });
}

HWND PublishWindow(QWidget* widget) {
    if (!widget)
        return 0;
    for (const auto& [h, own] : gOwn)
        if (own.widget == widget)
            return h;
    ensureServer();
    const HWND h = newHandle();
    gOwn[h] = OwnWindow{widget};
    QObject::connect(widget, &QObject::destroyed, [h] { UnpublishWindow(h); });
    writeOwnList();
    return h;
}

void UnpublishWindow(HWND hWnd) {
    if (gOwn.erase(hWnd))
        writeOwnList();
}

void UpdatePublishedWindow(HWND hWnd) {
    if (gOwn.count(hWnd))
        writeOwnList();
}

QWidget* WidgetOfWindow(HWND hWnd) {
    auto it = gOwn.find(hWnd);
    return it == gOwn.end() ? nullptr : it->second.widget.data();
}

} // namespace platform

BOOL EnumWindows(WNDENUMPROC lpEnumFunc, LONG lParam) {
    if (!lpEnumFunc)
        return 0;
    for (const auto& w : allWindows())
        if (!lpEnumFunc(w.hwnd, lParam))
            break;
    return 1;
}

int GetWindowTextLengthA(HWND hWnd) {
    Published p;
    return findPublished(hWnd, &p) ? static_cast<int>(p.title.toUtf8().size()) : 0;
}

int GetWindowTextA(HWND hWnd, char* lpString, int nMaxCount) {
    if (!lpString || nMaxCount <= 0)
        return 0;
    Published p;
    if (!findPublished(hWnd, &p)) {
        lpString[0] = '\0';
        return 0;
    }
    const QByteArray title = p.title.toUtf8();
    const int n = std::min<int>(title.size(), nMaxCount - 1);
    std::copy_n(title.constData(), n, lpString);
    lpString[n] = '\0';
    return n;
}

BOOL OpenIcon(HWND hWnd) {
    return hWnd != 0 && request(QStringLiteral("RESTORE"), hWnd);
}

BOOL SetForegroundWindow(HWND hWnd) {
    return hWnd != 0 && request(QStringLiteral("ACTIVATE"), hWnd);
}

BOOL CloseWindow(HWND hWnd) {
    return hWnd != 0 && request(QStringLiteral("MINIMIZE"), hWnd);
}

BOOL IsWindow(HWND hWnd) {
    Published p;
    return hWnd != 0 && findPublished(hWnd, &p);
}
