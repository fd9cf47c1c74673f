#include "local_listener.h"
#include "open_files.h"

#include <QFile>
#include <QLocalSocket>
#include <QSocketNotifier>
#include <QTimer>

#include <cerrno>
#include <cstring>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace platform {

namespace {
int gRetryMs = 250;
// Connections taken in one pass before the rest of the event loop runs.
constexpr int kAcceptsPerPass = 32;
// How long a client turned away may take to say its first line.
constexpr int kTurnAwayMs = 2000;
} // namespace

void SetAcceptRetryInterval(int ms) {
    gRetryMs = ms > 0 ? ms : 250;
}

LocalListener::LocalListener(QObject* parent) : QObject(parent), retry_(new QTimer(this)) {
    retry_->setSingleShot(true);
    connect(retry_, &QTimer::timeout, this, [this] {
        if (notifier_)
            notifier_->setEnabled(true);
        acceptAll();
    });
}

LocalListener::~LocalListener() {
    close();
}

bool LocalListener::listen(const QString& path) {
    close();
    const QByteArray p = QFile::encodeName(path);
    struct sockaddr_un addr {};
    if (p.isEmpty() || p.size() >= qsizetype(sizeof addr.sun_path)) {
        error_ = QStringLiteral("the path is too long for a socket");
        return false;
    }
    addr.sun_family = AF_UNIX;
    std::memcpy(addr.sun_path, p.constData(), size_t(p.size()));
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    const bool bound =
        fd >= 0 && ::bind(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) == 0;
    struct stat st {};
    if (!bound || ::chmod(p.constData(), S_IRUSR | S_IWUSR) != 0 || ::listen(fd, SOMAXCONN) != 0 ||
        ::lstat(p.constData(), &st) != 0) {
        error_ = QString::fromLocal8Bit(std::strerror(errno));
        if (bound)
            ::unlink(p.constData()); // ours, made just now
        if (fd >= 0)
            ::close(fd);
        return false;
    }
    fd_ = fd;
    path_ = path;
    device_ = st.st_dev;
    inode_ = st.st_ino;
    error_.clear();
    notifier_ = new QSocketNotifier(fd_, QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &LocalListener::acceptAll);
    return true;
}

void LocalListener::close() {
    retry_->stop();
    delete notifier_;
    notifier_ = nullptr;
    if (fd_ < 0)
        return;
    ::close(fd_);
    fd_ = -1;
    // Only our own socket file: another server may have taken the path meanwhile.
    const QByteArray p = QFile::encodeName(path_);
    struct stat st {};
    if (::lstat(p.constData(), &st) == 0 && st.st_dev == device_ && st.st_ino == inode_)
        ::unlink(p.constData());
}

void LocalListener::setMaxClients(int max, const QByteArray& refusal) {
    maxClients_ = max > 0 ? max : 0;
    refusal_ = refusal;
}

namespace {
// A socket that was closed (aborted, or its client gone) holds no descriptor any more, even
// while its deletion waits for the event loop.
int countOpen(std::vector<QPointer<QLocalSocket>>& sockets) {
    std::erase_if(sockets, [](const QPointer<QLocalSocket>& s) {
        return !s || s->state() == QLocalSocket::UnconnectedState;
    });
    return int(sockets.size());
}
} // namespace

int LocalListener::clientCount() {
    return countOpen(clients_);
}

void LocalListener::turnAway(int client) {
    // The refusal goes first, so a client that reads at once has its answer; a socket just
    // accepted has room for a short line, so this never blocks.
    if (!refusal_.isEmpty())
        (void)::send(client, refusal_.constData(), size_t(refusal_.size()),
                     MSG_NOSIGNAL | MSG_DONTWAIT);
    // Then the connection stays open until the client has said its first line (or a moment
    // has passed), so that its write does not fail on a closed socket and it reads the refusal
    // and then the end, not a reset. Only a few wait so at once; past them the close is at once.
    QLocalSocket* socket = nullptr;
    if (countOpen(turningAway_) < kTurnedAwayAtOnce) {
        socket = new QLocalSocket(this);
        if (!socket->setSocketDescriptor(client)) {
            delete socket;
            socket = nullptr;
        }
    }
    if (!socket) {
        ::close(client);
        return;
    }
    turningAway_.emplace_back(socket);
    const auto end = [socket] {
        socket->readAll();
        socket->disconnect();
        socket->abort();
        socket->deleteLater();
    };
    connect(socket, &QLocalSocket::readyRead, socket, end);
    connect(socket, &QLocalSocket::disconnected, socket, end);
    QTimer::singleShot(kTurnAwayMs, socket, end);
}

void LocalListener::acceptAll() {
    for (int taken = 0; fd_ >= 0 && taken < kAcceptsPerPass; ++taken) {
        const int client = ::accept4(fd_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (client < 0) {
            if (errno == EINTR || errno == ECONNABORTED || errno == EPROTO)
                continue;
            if (errno == EMFILE || errno == ENFILE || errno == ENOBUFS || errno == ENOMEM) {
                // No descriptor for the client: it waits in the queue until some are free.
                if (notifier_)
                    notifier_->setEnabled(false);
                retry_->start(gRetryMs);
            }
            return; // EAGAIN: none waiting
        }
        if (maxClients_ > 0 && clientCount() >= maxClients_) {
            turnAway(client);
            continue;
        }
        auto* socket = new QLocalSocket(this);
        if (!socket->setSocketDescriptor(client)) {
            ::close(client);
            delete socket;
            continue;
        }
        clients_.emplace_back(socket);
        emit newConnection(socket);
    }
}

} // namespace platform
