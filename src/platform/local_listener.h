#pragma once
// A listening Unix-domain socket that lives through a shortage of file descriptors.
//
// QLocalServer closes itself (and removes its socket file) the first time an accept fails, as
// it does when the process has no descriptor left: a server would be gone for good after a
// burst of clients. Here an accept that fails for want of descriptors (or kernel memory) is
// waited out instead: the listener stops taking connections (they wait in the kernel's queue,
// or are refused when it is full), tries again a moment later, and goes on as soon as
// descriptors are free. Both local servers, the data server and the window hand-over, use it.
//
// A listener also takes no more than a set number of clients at once, so that the descriptors
// they hold never starve the rest of the program: a client past that number is accepted, sent
// the refusal line and closed once it has said its first line (at most 2 s later; at once when
// 16 such clients wait already), and clients are served again as soon as others leave.
#include <QByteArray>
#include <QLocalSocket>
#include <QObject>
#include <QPointer>
#include <QString>
#include <vector>

class QSocketNotifier;
class QTimer;

namespace platform {

class LocalListener : public QObject {
    Q_OBJECT
public:
    explicit LocalListener(QObject* parent = nullptr);
    ~LocalListener() override; // closes, removing its socket file

    // Listens at the path, which must be free, with access for the user only. False when the
    // path cannot be bound; errorString() says why.
    bool listen(const QString& path);
    // Stops listening and removes the socket file, if it is still the one made here.
    void close();
    bool isListening() const { return fd_ >= 0; }
    QString errorString() const { return error_; }

    // Takes at most max clients at once (those whose sockets still hold their descriptors); the
    // ones past it get the refusal (a line of the server's protocol) and are closed. 0: no cap.
    void setMaxClients(int max, const QByteArray& refusal);
    int clientCount();

signals:
    // A client connected; the socket is a child of the listener until given another parent.
    void newConnection(QLocalSocket* socket);

private:
    void acceptAll();
    void turnAway(int client);

    int fd_ = -1;
    QString path_;
    quint64 device_ = 0;
    quint64 inode_ = 0;
    QString error_;
    QSocketNotifier* notifier_ = nullptr;
    QTimer* retry_ = nullptr;
    int maxClients_ = 0;
    QByteArray refusal_;
    // The clients given out, while their sockets exist, whoever owns them now.
    std::vector<QPointer<QLocalSocket>> clients_;
    std::vector<QPointer<QLocalSocket>> turningAway_;
};

// How long a listener that found no free descriptor waits before it tries again: 250 ms.
// Tests shorten it; 0 goes back to 250 ms.
void SetAcceptRetryInterval(int ms);

} // namespace platform
