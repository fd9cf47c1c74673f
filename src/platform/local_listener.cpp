#include "local_listener.h"

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
        auto* socket = new QLocalSocket(this);
        if (!socket->setSocketDescriptor(client)) {
            ::close(client);
            delete socket;
            continue;
        }
        emit newConnection(socket);
    }
}

} // namespace platform
