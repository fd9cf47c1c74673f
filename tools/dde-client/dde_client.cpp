#include "dde_client.h"

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

DdeClient::~DdeClient() {
    close();
}

std::string DdeClient::socketPath(const std::string& service) {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    const std::string dir = runtime && runtime[0] == '/' ? std::string(runtime) + "/dde"
                                                         : "/tmp/dde-" + std::to_string(::getuid());
    struct stat st {};
    if (::lstat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::getuid() ||
        (st.st_mode & 0077) != 0)
        return {};
    return dir + "/" + service;
}

bool DdeClient::open(const std::string& path, std::string* error) {
    close();
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof(addr.sun_path)) {
        if (error)
            *error = "no usable socket folder";
        return false;
    }
    std::memcpy(addr.sun_path, path.c_str(), path.size());
    fd_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd_ < 0 || ::connect(fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
        if (error)
            *error = path + ": " + std::strerror(errno);
        close();
        return false;
    }
    return true;
}

void DdeClient::close() {
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
    closed_ = false;
    in_.clear();
    pushes_.clear();
}

bool DdeClient::send(const std::string& line) {
    const std::string bytes = line + "\n";
    std::size_t done = 0;
    while (fd_ >= 0 && done < bytes.size()) {
        const ssize_t n = ::send(fd_, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += std::size_t(n);
    }
    return fd_ >= 0;
}

DdeClient::Message DdeClient::call(const std::string& line, int timeoutMs) {
    if (!send(line))
        return Message{Message::Closed, {}, {}};
    for (;;) {
        Message m = readMessage(timeoutMs);
        if (m.kind != Message::AdvData)
            return m;
        pushes_.push_back(std::move(m));
    }
}

DdeClient::Message DdeClient::next(int timeoutMs) {
    if (!pushes_.empty()) {
        Message m = std::move(pushes_.front());
        pushes_.pop_front();
        return m;
    }
    return readMessage(timeoutMs);
}

bool DdeClient::fill(int timeoutMs) {
    if (fd_ < 0 || closed_)
        return false;
    pollfd p{fd_, POLLIN, 0};
    const int ready = ::poll(&p, 1, timeoutMs);
    if (ready <= 0)
        return false;
    char buf[65536];
    const ssize_t n = ::recv(fd_, buf, sizeof buf, 0);
    if (n <= 0) {
        closed_ = true;
        return false;
    }
    in_.append(buf, std::size_t(n));
    return true;
}

DdeClient::Message DdeClient::readMessage(int timeoutMs) {
    using clock = std::chrono::steady_clock;
    const auto deadline = clock::now() + std::chrono::milliseconds(timeoutMs);
    auto left = [&] {
        const auto ms =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - clock::now());
        return int(std::max<long long>(0, ms.count()));
    };
    auto stalled = [&] { return Message{closed_ ? Message::Closed : Message::TimedOut, {}, {}}; };
    std::size_t lf;
    while ((lf = in_.find('\n')) == std::string::npos)
        if (!fill(left()))
            return stalled();
    const std::string head = in_.substr(0, lf);
    Message m;
    std::size_t size = 0;
    if (head == "OK" || head == "NO" || head == "NODATA") {
        in_.erase(0, lf + 1);
        m.kind = head == "OK" ? Message::Ok : head == "NO" ? Message::No : Message::NoData;
        return m;
    }
    if (head.rfind("DATA ", 0) == 0) {
        m.kind = Message::Data;
        size = std::strtoul(head.c_str() + 5, nullptr, 10);
    } else if (head.rfind("ADVDATA ", 0) == 0) {
        m.kind = Message::AdvData;
        char* end = nullptr;
        size = std::strtoul(head.c_str() + 8, &end, 10);
        m.item = *end == ' ' ? std::string(end + 1) : std::string();
    } else {
        in_.erase(0, lf + 1);
        m.kind = Message::Garbled;
        m.data = head;
        return m;
    }
    while (in_.size() < lf + 1 + size + 1)
        if (!fill(left()))
            return stalled();
    m.data = in_.substr(lf + 1, size);
    in_.erase(0, lf + 1 + size + 1);
    return m;
}
