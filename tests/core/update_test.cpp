// The update check against a version file served on 127.0.0.1: the answers for a newer, the
// same, an older and an unreadable version, a failed download, and which addresses are opened.
#include "core/frmUpdate.h"
#include "core/settings.h"
#include "fakes/fake_registry.h"
#include "fakes/fake_shell.h"
#include "fakes/wait_for.h"
#include "runtime/App.h"
#include "runtime/Interaction.h"
#include "runtime/ResStrings.h"

#include <QApplication>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QPushButton>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

// Answers every request with the status and body it was given.
class VersionServer : public QTcpServer {
public:
    int status = 200;
    QByteArray body;
    int requests = 0;

    VersionServer() {
        listen(QHostAddress::LocalHost, 0);
        connect(this, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* s = nextPendingConnection()) {
                connect(s, &QTcpSocket::readyRead, s, [this, s] {
                    if (!s->readAll().contains("\r\n\r\n"))
                        return;
                    ++requests;
                    s->write("HTTP/1.1 " + QByteArray::number(status) +
                             " X\r\nContent-Length: " + QByteArray::number(body.size()) +
                             "\r\nContent-Type: text/plain\r\nConnection: close\r\n\r\n" + body);
                    s->disconnectFromHost();
                });
            }
        });
    }
    QUrl url() const {
        return QUrl(QStringLiteral("http://127.0.0.1:%1/downloads/version.txt").arg(serverPort()));
    }
};

// Answers with more than a version file, or more slowly: an endless body, a body it announces
// as a gigabyte, or one byte at a time. It stops on its own after kCap bytes, so a client that
// took everything would still end; hungUp tells whether the client left before that.
class HostileServer : public QTcpServer {
public:
    enum Mode { Endless, Announced, Drip };
    static constexpr qint64 kCap = 32 * 1024 * 1024;
    Mode mode = Endless;
    int requests = 0;
    bool hungUp = false;
    qint64 sent = 0;

    HostileServer() {
        listen(QHostAddress::LocalHost, 0);
        connect(this, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* s = nextPendingConnection())
                connect(s, &QTcpSocket::readyRead, s, [this, s] { answer(s); });
        });
    }
    QUrl url() const {
        return QUrl(QStringLiteral("http://127.0.0.1:%1/downloads/version.txt").arg(serverPort()));
    }

private:
    void answer(QTcpSocket* s) {
        if (!s->readAll().contains("\r\n\r\n"))
            return;
        ++requests;
        connect(s, &QTcpSocket::disconnected, s, [this] {
            if (sent < kCap)
                hungUp = true;
        });
        s->write(mode == Announced ? "HTTP/1.1 200 OK\r\nContent-Length: 1000000000\r\n\r\n"
                                   : "HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n");
        if (mode == Drip) {
            auto* drip = new QTimer(s);
            connect(drip, &QTimer::timeout, s, [this, s] {
                s->write("1");
                ++sent;
            });
            drip->start(100);
            return;
        }
        const auto more = [this, s] {
            if (s->bytesToWrite() > 0 || s->state() != QAbstractSocket::ConnectedState)
                return;
            if (sent >= kCap) {
                s->disconnectFromHost();
                return;
            }
            s->write(QByteArray(64 * 1024, '7'));
            sent += 64 * 1024;
        };
        connect(s, &QTcpSocket::bytesWritten, s, more);
        more();
    }
};

class UpdateCheck : public ::testing::Test {
protected:
    void SetUp() override {
        qputenv("XDG_CACHE_HOME", cache.path().toLocal8Bit());
        App.Major = 1;
        App.Minor = 8;
        App.Revision = 0;
        SetUpdateAddress(server.url());
        SetUpdateDotInterval(5);
        runtime::SetMsgBoxAnswerer([this](const QString& prompt, int buttons, const QString&) {
            messages.append(prompt);
            styles.append(buttons);
            return answer;
        });
    }
    void TearDown() override {
        runtime::SetMsgBoxAnswerer(nullptr);
        SetUpdateAddress(QUrl());
        SetUpdateDotInterval(0);
        App.Major = 1;
        App.Minor = 0;
        App.Revision = 0;
    }
    // Runs the check; a check still on screen after 20 s is closed, and timedOut says so.
    void checkWithWatchdog() {
        timedOut = false;
        QTimer watchdog;
        watchdog.setSingleShot(true);
        QObject::connect(&watchdog, &QTimer::timeout, [this] {
            timedOut = true;
            if (Form* check = FindForm(QStringLiteral("frmUpdate")))
                check->Unload();
        });
        watchdog.start(20000);
        ShowUpdateCheck();
    }
    // Files the check left in the cache folder.
    QStringList cacheFiles() const {
        QStringList out;
        QDirIterator it(cache.path(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (it.hasNext())
            out << it.next();
        return out;
    }
    QString failure() const { return LoadResString(400).replace("<BR>", "\r\n"); }
    QString question(int first) const {
        return LoadResString(first) + "\r\n\r\n" + LoadResString(398);
    }

    QTemporaryDir cache;
    FakeRegistry registry;
    FakeShell shell;
    VersionServer server;
    QStringList messages;
    QVector<int> styles;
    int answer = vbYes;
    bool timedOut = false;
};

TEST(VersionNumber, JoinsTheThreeFieldsAsOneNumber) {
    const struct {
        const char *major, *minor, *revision;
        std::int32_t number;
    } cases[] = {{"1", "8", "0", 1080000}, {"1", "9", "2", 1090002}, {"2", "0", "0", 2000000},
                 {"99999", "0", "0", 0},   {"x", "1", "1", 0},       {"1", "", "1", 0}};
    for (const auto& c : cases)
        EXPECT_EQ(VersionNumber(c.major, c.minor, c.revision), c.number)
            << c.major << "." << c.minor << "." << c.revision;
}

TEST_F(UpdateCheck, AnswersByHowMuchNewerTheServersVersionIs) {
    const struct {
        const char* file;
        QString message;
        int style;
    } cases[] = {
        {"1,8,0,https://example.org/get", LoadResString(399), vbInformation},
        {"1,7,9,https://example.org/get", LoadResString(399), vbInformation},
        {"1,8,5,https://example.org/get\r\n", question(404), vbYesNo | vbQuestion},
        {"1,9,0,https://example.org/get", question(403), vbYesNo | vbQuestion},
        {"2,8,0,https://example.org/get", question(402), vbYesNo | vbQuestion},
        {"2,0,0,https://example.org/get", question(403), vbYesNo | vbQuestion},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        messages.clear();
        styles.clear();
        server.body = c.file;
        ShowUpdateCheck();
        ASSERT_EQ(messages.size(), 1);
        EXPECT_EQ(messages[0], c.message);
        EXPECT_EQ(styles[0], c.style);
        EXPECT_FALSE(QFile::exists(UpdateVersionFile()));
    }
    // Yes opened the address of each newer version, trimmed of its line end.
    ASSERT_EQ(shell.opened.size(), 4);
    EXPECT_EQ(shell.opened[0], QUrl("https://example.org/get"));
    EXPECT_TRUE(UpdateVersionFile().startsWith(cache.path()));
}

TEST_F(UpdateCheck, NoOpensNothing) {
    answer = vbNo;
    server.body = "1,9,0,https://example.org/get";
    ShowUpdateCheck();
    EXPECT_EQ(messages, QStringList{question(403)});
    EXPECT_TRUE(shell.opened.isEmpty());
}

TEST_F(UpdateCheck, AFileThatNamesNoVersionOrNoWebAddressIsAFailedCheck) {
    const char* files[] = {"",
                           "garbage",
                           "a,b,c,https://example.org/get",
                           "1,9",
                           "1,9,0",
                           "1,9,0,file:///etc/passwd",
                           "1,9,0,javascript:alert(1)",
                           "1,9,0,/usr/bin/xterm"};
    for (const char* file : files) {
        SCOPED_TRACE(file);
        messages.clear();
        server.body = file;
        ShowUpdateCheck();
        EXPECT_EQ(messages, QStringList{failure()});
    }
    EXPECT_TRUE(shell.opened.isEmpty());
    EXPECT_TRUE(shell.started.isEmpty());
}

TEST_F(UpdateCheck, AFailedDownloadSaysSoAndTheWindowKeepsTicking) {
    SetUpdateDotInterval(0);
    server.status = 404;
    server.body = "1,9,0,https://example.org/get";
    int ticks = 0;
    QTimer clock;
    QObject::connect(&clock, &QTimer::timeout, [&] { ++ticks; });
    clock.start(100);
    ShowUpdateCheck();
    EXPECT_EQ(messages, QStringList{failure()});
    EXPECT_EQ(styles.value(0), vbExclamation);
    // The dots and the download took two seconds, and the clock ran all along.
    EXPECT_GE(ticks, 15);

    // Nothing listening there.
    SetUpdateDotInterval(5);
    messages.clear();
    QTcpServer gone;
    gone.listen(QHostAddress::LocalHost, 0);
    const quint16 port = gone.serverPort();
    gone.close();
    SetUpdateAddress(QUrl(QStringLiteral("http://127.0.0.1:%1/downloads/version.txt").arg(port)));
    ShowUpdateCheck();
    EXPECT_EQ(messages, QStringList{failure()});

    // A server that takes the request and never answers: the time-out ends the wait.
    messages.clear();
    QTcpServer silent;
    silent.listen(QHostAddress::LocalHost, 0);
    SetUpdateAddress(
        QUrl(QStringLiteral("http://127.0.0.1:%1/downloads/version.txt").arg(silent.serverPort())));
    SetUpdateTimeout(300);
    QElapsedTimer took;
    took.start();
    ShowUpdateCheck();
    SetUpdateTimeout(0);
    EXPECT_EQ(messages, QStringList{failure()});
    EXPECT_LT(took.elapsed(), 5000);
}

} // namespace

namespace {

// A reply larger than a version file is refused as soon as it shows, whether its size is
// announced or not: the server sees the client leave long before it has sent everything, the
// user hears of a failed check, and no file is left.
TEST_F(UpdateCheck, AReplyPastTheLimitIsRefusedAtOnce) {
    for (const auto mode : {HostileServer::Endless, HostileServer::Announced}) {
        SCOPED_TRACE(int(mode));
        HostileServer hostile;
        hostile.mode = mode;
        SetUpdateAddress(hostile.url());
        messages.clear();
        checkWithWatchdog();
        EXPECT_FALSE(timedOut);
        EXPECT_EQ(hostile.requests, 1);
        EXPECT_TRUE(WaitFor([&] { return hostile.hungUp; }, 5000));
        EXPECT_LT(hostile.sent, HostileServer::kCap);
        EXPECT_EQ(messages, QStringList{failure()});
        EXPECT_EQ(cacheFiles(), QStringList());
    }
}

// A server that keeps the connection alive with a byte now and then still meets the deadline
// of the whole check.
TEST_F(UpdateCheck, ASlowDripMeetsTheDeadlineOfTheWholeCheck) {
    HostileServer drip;
    drip.mode = HostileServer::Drip;
    SetUpdateAddress(drip.url());
    SetUpdateTimeout(1000);
    QElapsedTimer took;
    took.start();
    checkWithWatchdog();
    SetUpdateTimeout(0);
    EXPECT_FALSE(timedOut);
    EXPECT_LT(took.elapsed(), 15000);
    EXPECT_EQ(messages, QStringList{failure()});
    EXPECT_EQ(cacheFiles(), QStringList());
}

// Cancel ends the check at once: the download is dropped, nothing is said or kept.
TEST_F(UpdateCheck, CancelEndsTheCheckAtOnce) {
    HostileServer drip;
    drip.mode = HostileServer::Drip;
    SetUpdateAddress(drip.url());
    QTimer press;
    QObject::connect(&press, &QTimer::timeout, [&] {
        Form* check = FindForm(QStringLiteral("frmUpdate"));
        if (!check || drip.sent < 3)
            return;
        press.stop();
        if (auto* cancel = check->findChild<QPushButton*>(QStringLiteral("cmdCancel")))
            cancel->click();
    });
    press.start(20);
    checkWithWatchdog();
    EXPECT_FALSE(timedOut);
    EXPECT_TRUE(WaitFor([&] { return drip.hungUp; }, 5000));
    EXPECT_TRUE(messages.isEmpty());
    EXPECT_EQ(cacheFiles(), QStringList());
    EXPECT_EQ(FindForm(QStringLiteral("frmUpdate")), nullptr);
}

// The window with its Cancel button, under the globe and beside the workstation.
TEST_F(UpdateCheck, Screenshot) {
    auto* check = new frmUpdate();
    check->Load();
    EXPECT_FALSE(check->cmdCancel->geometry().intersects(check->imgWorkstation->geometry()));
    EXPECT_FALSE(check->cmdCancel->geometry().intersects(check->imgGlobeConnect->geometry()));
    EXPECT_TRUE(check->rect().contains(check->cmdCancel->geometry()));
    const QString dir = QStringLiteral(TALLIX_BUILD_DIR "/screenshots");
    QDir().mkpath(dir);
    EXPECT_TRUE(check->grab().toImage().save(dir + QStringLiteral("/update-check.png")));
    check->Unload();
}

} // namespace
