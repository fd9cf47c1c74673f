#include "window.h"

#include "paths.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>
#include <QSaveFile>
#include <QWidget>

#include <cerrno>
#include <csignal>
#include <map>
#include <unistd.h>
#include <vector>

namespace {

struct Published {
    HWND hwnd = 0;
    QString title;
    QString state;
};

struct OwnWindow {
    QPointer<QWidget> widget;
};

std::map<HWND, OwnWindow> gOwn; // ordered: the order windows were published in
quint32 gNextIndex = 1;
QLocalServer* gServer = nullptr;

QString windowsDir() {
    const QString dir = platform::RuntimeDir() + QStringLiteral("/windows");
    QDir().mkpath(dir);
    return dir;
}

QString listPath(qint64 pid) {
    return windowsDir() + QStringLiteral("/%1.list").arg(pid);
}
QString socketPath(qint64 pid) {
    return windowsDir() + QStringLiteral("/%1.sock").arg(pid);
}

qint64 ownerOf(HWND h) {
    return static_cast<qint64>(static_cast<quint32>(h) >> 10);
}

bool processAlive(qint64 pid) {
    return pid > 0 && (::kill(pid, 0) == 0 || errno == EPERM);
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

void writeOwnList() {
    QSaveFile f(listPath(::getpid()));
    if (!f.open(QIODevice::WriteOnly))
        return;
    for (const auto& [hwnd, own] : gOwn) {
        if (!own.widget)
            continue;
        f.write(QStringLiteral("%1\t%2\t%3\n")
                    .arg(hwnd)
                    .arg(stateOf(own.widget), escapeField(own.widget->windowTitle()))
                    .toUtf8());
    }
    f.commit();
}

std::vector<Published> readList(qint64 pid) {
    std::vector<Published> out;
    QFile f(listPath(pid));
    if (!f.open(QIODevice::ReadOnly))
        return out;
    const QStringList lines = QString::fromUtf8(f.readAll()).split(u'\n', Qt::SkipEmptyParts);
    for (const QString& line : lines) {
        const QStringList fields = line.split(u'\t');
        if (fields.size() < 3)
            continue;
        bool ok = false;
        const HWND h = fields[0].toInt(&ok);
        if (ok && h != 0)
            out.push_back(Published{h, unescapeField(fields.mid(2).join(u'\t')), fields[1]});
    }
    return out;
}

// Every published window of every live process, stale lists cleaned up on the way.
std::vector<Published> allWindows() {
    std::vector<Published> out;
    QDir dir(windowsDir());
    const QStringList lists = dir.entryList({QStringLiteral("*.list")}, QDir::Files, QDir::Name);
    for (const QString& name : lists) {
        bool ok = false;
        const qint64 pid = name.section(u'.', 0, 0).toLongLong(&ok);
        if (!ok)
            continue;
        if (pid != ::getpid() && !processAlive(pid)) {
            QFile::remove(dir.filePath(name));
            QFile::remove(socketPath(pid));
            continue;
        }
        const auto windows = readList(pid);
        out.insert(out.end(), windows.begin(), windows.end());
    }
    return out;
}

bool findPublished(HWND h, Published* found) {
    if (ownerOf(h) == ::getpid()) {
        auto it = gOwn.find(h);
        if (it == gOwn.end() || !it->second.widget)
            return false;
        *found = Published{h, it->second.widget->windowTitle(), stateOf(it->second.widget)};
        return true;
    }
    for (const auto& p : readList(ownerOf(h))) {
        if (p.hwnd == h) {
            *found = p;
            return true;
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
    } else {
        return false;
    }
    writeOwnList();
    return true;
}

// Sends "VERB hwnd" to the process owning the window and waits briefly for its answer.
bool request(const QString& verb, HWND h) {
    if (ownerOf(h) == ::getpid())
        return actOnOwn(verb, h);
    QLocalSocket socket;
    socket.connectToServer(socketPath(ownerOf(h)));
    if (!socket.waitForConnected(1000))
        return false;
    socket.write(QStringLiteral("%1 %2\n").arg(verb).arg(h).toUtf8());
    if (!socket.waitForBytesWritten(1000))
        return false;
    if (!socket.waitForReadyRead(1500))
        return false;
    return socket.readLine().trimmed() == "OK";
}

void ensureServer() {
    if (gServer)
        return;
    gServer = new QLocalServer();
    gServer->setSocketOptions(QLocalServer::UserAccessOption);
    const QString path = socketPath(::getpid());
    QLocalServer::removeServer(path);
    if (!gServer->listen(path)) {
        qWarning("tallix-time: cannot listen on %s: %s", qPrintable(path),
                 qPrintable(gServer->errorString()));
        return;
    }
    QObject::connect(gServer, &QLocalServer::newConnection, [] {
        while (QLocalSocket* s = gServer->nextPendingConnection()) {
            QObject::connect(s, &QLocalSocket::disconnected, s, &QObject::deleteLater);
            QObject::connect(s, &QLocalSocket::readyRead, s, [s] {
                while (s->canReadLine()) {
                    const QString line = QString::fromUtf8(s->readLine()).trimmed();
                    const QString verb = line.section(u' ', 0, 0);
                    bool ok = false;
                    const HWND h = line.section(u' ', 1, 1).toInt(&ok);
                    const bool done = ok && actOnOwn(verb, h);
                    qInfo("tallix-time: %s request for window %d from another start: %s",
                          qPrintable(verb.toLower()), h, done ? "done" : "refused");
                    s->write(done ? "OK\n" : "NO\n");
                    s->flush();
                }
            });
        }
    });
}

} // namespace

namespace platform {

HWND PublishWindow(QWidget* widget) {
    if (!widget)
        return 0;
    for (const auto& [h, own] : gOwn)
        if (own.widget == widget)
            return h;
    const quint32 pid = static_cast<quint32>(::getpid());
    const HWND h = static_cast<HWND>((pid << 10) | (gNextIndex++ & 0x3FF));
    gOwn[h] = OwnWindow{widget};
    ensureServer();
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

BOOL IsWindow(HWND hWnd) {
    Published p;
    return hWnd != 0 && findPublished(hWnd, &p);
}
