#pragma once
// A client of the program's data server, in plain C++ and POSIX (no Qt), for tests, the bench
// and as an example for other programs. The protocol is described in the README.
#include <deque>
#include <string>

class DdeClient {
public:
    struct Message {
        enum Kind { Ok, No, Data, NoData, AdvData, Closed, TimedOut, Garbled } kind = Closed;
        std::string item; // ADVDATA: the item the data is for
        std::string data; // DATA, ADVDATA: the bytes, the text's NUL and what follows included
        // The text of DATA or ADVDATA: the bytes up to the first NUL.
        std::string text() const { return data.substr(0, data.find('\0')); }
    };

    DdeClient() = default;
    ~DdeClient();
    DdeClient(const DdeClient&) = delete;
    DdeClient& operator=(const DdeClient&) = delete;

    // $XDG_RUNTIME_DIR/dde/SERVICE, or /tmp/dde-UID/SERVICE; "" when the folder is missing or
    // not a private folder of the user's.
    static std::string socketPath(const std::string& service);

    // Connects to the socket; false (and the reason in error) when it cannot.
    bool open(const std::string& path, std::string* error = nullptr);
    void close();
    bool isOpen() const { return fd_ >= 0; }
    int fd() const { return fd_; }

    // Sends one line (LF added).
    bool send(const std::string& line);
    // Sends a command and returns its answer; ADVDATA pushes that arrive first are kept for
    // next().
    Message call(const std::string& line, int timeoutMs = 2000);
    // The next message: a kept push first, else what arrives within the time.
    Message next(int timeoutMs = 2000);

private:
    Message readMessage(int timeoutMs);
    bool fill(int timeoutMs); // false on timeout, end or error
    int fd_ = -1;
    bool closed_ = false;
    std::string in_;
    std::deque<Message> pushes_;
};
