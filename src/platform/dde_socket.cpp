// The DDE transport: one listening socket per registered service, one line protocol per client
// (see dde.h). Everything runs on the thread of the event loop that owns the sockets.
#include "dde.h"
#include "local_listener.h"
#include "open_files.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLocalSocket>
#include <QPointer>
#include <QStringDecoder>
#include <QTimer>
#include <map>
#include <memory>
#include <vector>

namespace {

constexpr qint64 kMaxLine = 4096;          // bytes of a line, LF not counted
constexpr qint64 kMaxPending = 256 * 1024; // unread answers before a client is dropped
constexpr qint64 kReadBuffer = 64 * 1024;
constexpr int kLinesPerPass = 64;
constexpr int kConnectWaitMs = 1000;
int gQuietClientMs = platform::kDataServerQuietClientMs;

// A listener may be closed from inside its own signal (a callback that stops the server), so
// it is deleted later; closing removes its socket file at once.
struct DeleteLater {
    void operator()(QObject* o) const { o->deleteLater(); }
};

struct Server {
    DWORD idInst = 0;
    QString service;
    QString path;
    std::unique_ptr<platform::LocalListener, DeleteLater> listener;
};

// A client of one of our servers.
struct Peer {
    DWORD idInst = 0;
    QString service;
    QPointer<QLocalSocket> socket;
    // Runs while the client owes us something: from its connection until its CONNECT is
    // accepted (lines answered NO meanwhile change nothing), then from the start of a line to
    // its end. A child of the socket.
    QPointer<QTimer> quiet;
    bool connected = false; // CONNECT answered OK
    QString topic;
    // Advise links by item (DdeItemKey): the item name as the client last started it.
    std::map<QString, QString> links;
};

// A conversation of ours with some server (DdeConnect).
struct Client {
    DWORD idInst = 0;
    std::unique_ptr<QLocalSocket> socket; // null for a server of this process
};

class SocketBackend : public platform::DdeBackend {
public:
    ~SocketBackend() override {
        for (const auto& s : servers_)
            s->listener->close(); // at exit: leave no socket file behind
    }

    UINT initialize(DWORD, DWORD) override { return DMLERR_NO_ERROR; }

    void uninitialize(DWORD idInst) override {
        std::erase_if(servers_, [&](const std::unique_ptr<Server>& s) {
            if (s->idInst == idInst)
                s->listener->close(); // removes the socket file
            return s->idInst == idInst;
        });
        std::vector<HCONV> ours;
        for (const auto& [h, peer] : peers_)
            if (peer.idInst == idInst)
                ours.push_back(h);
        for (HCONV h : ours)
            drop(h, false);
        std::erase_if(clients_, [&](const auto& entry) {
            const Client& c = entry.second;
            if (c.idInst == idInst && c.socket) {
                c.socket->write("BYE\n");
                c.socket->flush();
                c.socket->abort();
            }
            return c.idInst == idInst;
        });
    }

    HCONV connect(DWORD idInst, const QString& service, const QString& topic) override {
        const QString path = platform::DdeSocketPath(service, false);
        if (path.isEmpty() || topic.contains(QLatin1Char('\n')))
            return 0;
        if (const Server* local = serverAt(path)) {
            // A server of this process cannot answer on the socket while we wait here.
            if (local->idInst == idInst &&
                (platform::InstanceFlags(idInst) & CBF_FAIL_SELFCONNECTIONS))
                return 0;
            if (!platform::DeliverTransaction(local->idInst, XTYP_CONNECT, 0, topic, service))
                return 0;
            const HCONV h = next_++;
            clients_[h] = Client{idInst, nullptr};
            return h;
        }
        auto socket = std::make_unique<QLocalSocket>();
        socket->connectToServer(path);
        if (!socket->waitForConnected(kConnectWaitMs))
            return 0;
        socket->write(QByteArray("CONNECT ") + topic.toUtf8() + '\n');
        QElapsedTimer clock;
        clock.start();
        while (!socket->canReadLine()) {
            const auto left = kConnectWaitMs - clock.elapsed();
            if (left <= 0 || !socket->waitForReadyRead(int(left)))
                return 0;
        }
        if (socket->readLine(16) != "OK\n")
            return 0;
        const HCONV h = next_++;
        clients_[h] = Client{idInst, std::move(socket)};
        return h;
    }

    bool registerService(DWORD idInst, const QString& service) override {
        const QString path = platform::DdeSocketPath(service, true);
        if (path.isEmpty()) {
            platform::SetDdeRegisterTrouble(
                QStringLiteral("its folder %1 is not a private folder of this user")
                    .arg(platform::DdeSocketFolderName()));
            return false;
        }
        if (const Server* local = serverAt(path))
            return local->idInst == idInst;
        if (QFileInfo::exists(path) || QFileInfo(path).isSymLink()) {
            QLocalSocket probe;
            probe.connectToServer(path);
            if (probe.waitForConnected(kConnectWaitMs)) {
                platform::SetDdeRegisterTrouble(
                    QStringLiteral("another program is already listening at %1").arg(path));
                return false;
            }
            QFile::remove(path); // left behind by a server that died
        }
        auto server = std::make_unique<Server>();
        server->idInst = idInst;
        server->service = service;
        server->path = path;
        server->listener.reset(new platform::LocalListener);
        // Clients past the cap get the refusal of a connection and are closed.
        server->listener->setMaxClients(platform::DataServerClientCap(platform::OpenFileLimit()),
                                        "NO\n");
        if (!server->listener->listen(path)) {
            platform::SetDdeRegisterTrouble(
                QStringLiteral("%1: %2").arg(path, server->listener->errorString()));
            return false;
        }
        platform::LocalListener* listener = server->listener.get();
        QObject::connect(listener, &platform::LocalListener::newConnection, listener,
                         [this, listener](QLocalSocket* s) { accept(listener, s); });
        servers_.push_back(std::move(server));
        return true;
    }

    bool unregisterService(DWORD idInst, const QString& service) override {
        const auto before = servers_.size();
        std::erase_if(servers_, [&](const std::unique_ptr<Server>& s) {
            const bool match = s->idInst == idInst && s->service == service;
            if (match)
                s->listener->close();
            return match;
        });
        return servers_.size() != before;
    }

    bool postAdvise(DWORD idInst, const QString& topic, const QString& item) override {
        const QString itemKey = item.isEmpty() ? QString() : platform::DdeItemKey(item);
        std::vector<std::pair<HCONV, QString>> links; // conversation, item key
        for (const auto& [h, peer] : peers_) {
            if (peer.idInst != idInst || !peer.connected ||
                (!topic.isEmpty() && topic.compare(peer.topic, Qt::CaseInsensitive) != 0))
                continue;
            if (item.isEmpty()) {
                for (const auto& link : peer.links)
                    links.emplace_back(h, link.first);
            } else if (peer.links.contains(itemKey)) {
                links.emplace_back(h, itemKey);
            }
        }
        for (std::size_t i = 0; i < links.size(); ++i) {
            const auto it = peers_.find(links[i].first);
            if (it == peers_.end())
                continue; // gone meanwhile
            const auto link = it->second.links.find(links[i].second);
            if (link == it->second.links.end())
                continue; // stopped meanwhile
            const HCONV h = it->first;
            const QString spelling = link->second;
            const HDDEDATA data = platform::DeliverTransaction(
                idInst, XTYP_ADVREQ, h, it->second.topic, spelling, DWORD(links.size() - i - 1));
            QByteArray bytes;
            QString tag;
            if (!platform::DataOfHandle(data, &bytes, &tag))
                continue;
            platform::FreeDataHandle(data);
            if (tag.isEmpty())
                tag = spelling;
            send(h, "ADVDATA " + QByteArray::number(bytes.size()) + ' ' + tag.toUtf8() + '\n' +
                        bytes + '\n');
        }
        return true;
    }

private:
    const Server* serverAt(const QString& path) const {
        for (const auto& s : servers_)
            if (s->path == path)
                return s.get();
        return nullptr;
    }

    void accept(platform::LocalListener* listener, QLocalSocket* socket) {
        const Server* server = nullptr;
        for (const auto& s : servers_)
            if (s->listener.get() == listener)
                server = s.get();
        if (!server) {
            socket->abort();
            socket->deleteLater();
            return;
        }
        const HCONV h = next_++;
        // What we have not handled yet stays in the kernel, so a client that writes faster than
        // we answer waits for us instead of filling our memory.
        socket->setReadBufferSize(kReadBuffer);
        auto* quiet = new QTimer(socket);
        quiet->setSingleShot(true);
        QObject::connect(quiet, &QTimer::timeout, quiet, [this, h] { drop(h, true); });
        quiet->start(gQuietClientMs);
        peers_[h] = Peer{server->idInst, server->service, socket, quiet, false, {}, {}};
        QObject::connect(socket, &QLocalSocket::readyRead, socket, [this, h] { readLines(h); });
        QObject::connect(socket, &QLocalSocket::disconnected, socket, [this, h] { drop(h, true); });
        readLines(h);
    }

    // Handles the complete lines that have arrived, a batch at a time: a client that floods us
    // lets the rest of the event loop (and the other clients) run between its batches. A client
    // not connected in time, or one that has not finished a line begun since, is dropped;
    // connected, it may wait between whole lines as long as it likes.
    void readLines(HCONV h) {
        for (int handled = 0;; ++handled) {
            const auto it = peers_.find(h);
            if (it == peers_.end() || !it->second.socket)
                return;
            QLocalSocket* socket = it->second.socket;
            // Lines are taken from what the socket has read, without a peek: a peek would give
            // each socket a read buffer of its own to keep, however little it said.
            if (!socket->canReadLine()) {
                const qint64 waiting = socket->bytesAvailable();
                if (waiting > kMaxLine)
                    drop(h, true); // no line of ours is that long; nothing to resynchronise on
                else if (waiting > 0 && !it->second.quiet->isActive())
                    it->second.quiet->start(gQuietClientMs); // a line begun
                return;
            }
            if (handled == kLinesPerPass) {
                QTimer::singleShot(0, socket, [this, h] { readLines(h); });
                return;
            }
            QByteArray line = socket->readLine(kMaxLine + 2); // the line, its LF and a NUL
            if (!line.endsWith('\n')) {
                drop(h, true); // over a line's length
                return;
            }
            line.chop(1);
            if (it->second.connected)
                it->second.quiet->stop(); // a whole line; before CONNECT only an accepted one
            handle(h, line);
        }
    }

    void handle(HCONV h, const QByteArray& raw) {
        QStringDecoder utf8(QStringDecoder::Utf8);
        const QString line = utf8(raw);
        if (utf8.hasError() || raw.contains('\0')) {
            send(h, "NO\n");
            return;
        }
        const auto space = line.indexOf(QLatin1Char(' '));
        const QString verb = space < 0 ? line : line.left(space);
        const QString arg = space < 0 ? QString() : line.mid(space + 1);
        Peer& peer = peers_.at(h);
        const DWORD idInst = peer.idInst;
        if (verb == QLatin1String("BYE") && space < 0) {
            drop(h, true, true);
            return;
        }
        if (verb == QLatin1String("CONNECT") && space >= 0 && !peer.connected) {
            const QString service = peer.service;
            const bool ok =
                platform::DeliverTransaction(idInst, XTYP_CONNECT, 0, arg, service) != 0;
            const auto it = peers_.find(h); // the callback may have ended the instance
            if (ok && it != peers_.end()) {
                it->second.connected = true;
                it->second.topic = arg;
                it->second.quiet->stop();
                platform::DeliverTransaction(idInst, XTYP_CONNECT_CONFIRM, h, arg, service);
            }
            send(h, ok ? "OK\n" : "NO\n");
            return;
        }
        if (!peer.connected || space < 0) {
            send(h, "NO\n");
            return;
        }
        const QString topic = peer.topic;
        if (verb == QLatin1String("REQUEST")) {
            const HDDEDATA data = platform::DeliverTransaction(idInst, XTYP_REQUEST, h, topic, arg);
            QByteArray bytes;
            if (platform::DataOfHandle(data, &bytes, nullptr)) {
                platform::FreeDataHandle(data);
                send(h, "DATA " + QByteArray::number(bytes.size()) + '\n' + bytes + '\n');
            } else {
                send(h, "NODATA\n");
            }
        } else if (verb == QLatin1String("ADVSTART")) {
            const bool ok = platform::DeliverTransaction(idInst, XTYP_ADVSTART, h, topic, arg) != 0;
            const auto it = peers_.find(h);
            if (ok && it != peers_.end())
                it->second.links[platform::DdeItemKey(arg)] = arg; // the latest spelling
            send(h, ok ? "OK\n" : "NO\n");
        } else if (verb == QLatin1String("ADVSTOP")) {
            peer.links.erase(platform::DdeItemKey(arg));
            platform::DeliverTransaction(idInst, XTYP_ADVSTOP, h, topic, arg);
            send(h, "OK\n");
        } else {
            send(h, "NO\n");
        }
    }

    // Writes without waiting; a client that lets too much pile up is dropped.
    void send(HCONV h, const QByteArray& bytes) {
        const auto it = peers_.find(h);
        if (it == peers_.end() || !it->second.socket)
            return;
        QLocalSocket* socket = it->second.socket;
        socket->write(bytes);
        socket->flush(); // as much as the kernel takes now
        if (socket->bytesToWrite() > kMaxPending)
            drop(h, true);
    }

    // Forgets the client. A client that said BYE still gets the answers already written;
    // any other is cut off at once.
    void drop(HCONV h, bool tell, bool graceful = false) {
        const auto it = peers_.find(h);
        if (it == peers_.end())
            return;
        const Peer peer = std::move(it->second);
        peers_.erase(it);
        if (peer.quiet)
            peer.quiet->stop();
        if (QLocalSocket* socket = peer.socket) {
            socket->disconnect();
            if (graceful && socket->bytesToWrite() > 0) {
                QObject::connect(socket, &QLocalSocket::disconnected, socket,
                                 &QObject::deleteLater);
                QTimer::singleShot(5000, socket, [socket] {
                    socket->abort();
                    socket->deleteLater();
                });
                socket->disconnectFromServer();
            } else {
                socket->abort();
                socket->deleteLater();
            }
        }
        if (tell && peer.connected)
            platform::DeliverTransaction(peer.idInst, XTYP_DISCONNECT, h, peer.topic, QString());
    }

    std::vector<std::unique_ptr<Server>> servers_;
    std::map<HCONV, Peer> peers_;
    std::map<HCONV, Client> clients_;
    HCONV next_ = 1;
};

} // namespace

namespace platform {

void SetDataServerQuietClientTimeout(int ms) {
    gQuietClientMs = ms > 0 ? ms : kDataServerQuietClientMs;
}

DdeBackend& SocketDdeBackend() {
    static SocketBackend backend;
    return backend;
}

} // namespace platform
