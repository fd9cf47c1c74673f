// What a start that waits on another copy reads of it: who holds the mutex and whether that
// process moves; and the hand-over socket holding requests while a copy starts.
#include "fakes/wait_for.h"
#include "platform/mutex.h"
#include "platform/paths.h"
#include "platform/process_state.h"
#include "platform/window.h"

#include <QFile>
#include <QWidget>
#include <csignal>
#include <cstring>
#include <gtest/gtest.h>
#include <string>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

TEST(RunningCopy, TheMutexNamesItsHolderWhileItIsHeld) {
    const QString name = QStringLiteral("RunningCopyTest");
    EXPECT_EQ(platform::MutexHolderProcess(name), 0);
    HANDLE h = CreateMutexA(nullptr, 1, name);
    ASSERT_NE(h, 0u);
    EXPECT_EQ(platform::MutexHolderProcess(name), ::getpid());
    CloseHandle(h);
    EXPECT_EQ(platform::MutexHolderProcess(name), 0) << "no one holds it any more";
}

TEST(RunningCopy, AProcessSampleShowsWhatItDoes) {
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        for (;;)
            ::pause();
    }
    EXPECT_TRUE(WaitFor([&] { return platform::SampleProcess(child).state == 'S'; }, 10000));
    ::kill(child, SIGSTOP);
    EXPECT_TRUE(WaitFor([&] { return platform::SampleProcess(child).state == 'T'; }, 10000));
    EXPECT_TRUE(platform::SampleProcess(child).exists);
    ::kill(child, SIGKILL);
    EXPECT_TRUE(WaitFor([&] { return !platform::SampleProcess(child).exists; }, 10000))
        << "a zombie counts as gone";
    ::waitpid(child, nullptr, 0);
    EXPECT_FALSE(platform::SampleProcess(child).exists);
    // This process has used some processor time to get here.
    const platform::ProcessSample self = platform::SampleProcess(::getpid());
    EXPECT_TRUE(self.exists);
    EXPECT_EQ(self.state, 'R');
}

// A request sent while requests are held is answered once they are let go.
TEST(RunningCopy, HeldRequestsAreAnsweredWhenLetGo) {
    QWidget w;
    w.setWindowTitle(QStringLiteral("Starting"));
    const HWND h = platform::PublishWindow(&w);
    platform::HoldHandoverRequests(true);
    const QString path =
        platform::RuntimeDir() + QStringLiteral("/windows/%1.sock").arg(::getpid());
    const QByteArray p = QFile::encodeName(path);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::memcpy(addr.sun_path, p.constData(), size_t(p.size()));
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    ASSERT_EQ(::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    const std::string request = "RESTORE " + std::to_string(h) + "\n";
    ASSERT_EQ(::send(fd, request.data(), request.size(), MSG_NOSIGNAL), ssize_t(request.size()));
    const auto answered = [&] {
        char c;
        return ::recv(fd, &c, 1, MSG_DONTWAIT | MSG_PEEK) > 0;
    };
    Pump(500);
    EXPECT_FALSE(answered()) << "answered while held";
    EXPECT_FALSE(w.isVisible());
    platform::HoldHandoverRequests(false);
    EXPECT_TRUE(WaitFor(answered, 10000));
    char answer[8] = {};
    EXPECT_EQ(::recv(fd, answer, sizeof answer - 1, 0), 3);
    EXPECT_STREQ(answer, "OK\n");
    EXPECT_TRUE(w.isVisible());
    ::close(fd);
}

} // namespace
