#include "local_socket.h"
#include "wait_for.h"

#include <QFile>
#include <cerrno>
#include <cstring>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

int ConnectLocal(const QString& path) {
    const QByteArray p = QFile::encodeName(path);
    sockaddr_un addr{};
    if (p.size() >= qsizetype(sizeof addr.sun_path))
        return -1;
    addr.sun_family = AF_UNIX;
    std::memcpy(addr.sun_path, p.constData(), size_t(p.size()));
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd >= 0 && ::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

std::string UntilClosed(int fd, int ms) {
    std::string said;
    bool closed = false;
    WaitFor(
        [&] {
            char buffer[256];
            const ssize_t n = ::recv(fd, buffer, sizeof buffer, MSG_DONTWAIT);
            if (n > 0)
                said.append(buffer, size_t(n));
            closed = n == 0 || (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK);
            return closed;
        },
        ms);
    return closed ? said : "<open>";
}

std::string AskLine(int fd, const std::string& line) {
    if (::send(fd, line.data(), line.size(), MSG_NOSIGNAL) != ssize_t(line.size()))
        return {};
    std::string answer;
    WaitFor(
        [&] {
            char buffer[256];
            const ssize_t n = ::recv(fd, buffer, sizeof buffer, MSG_DONTWAIT);
            if (n > 0)
                answer.append(buffer, size_t(n));
            return answer.find('\n') != std::string::npos || n == 0;
        },
        10000);
    return answer.substr(0, answer.find('\n') + 1);
}
