// Memory kept per use: each dialog opened and closed, a month's timetable exported, and a round
// of the data server's clients come and gone, many times over in one process with the main
// window up. Each benchmark first runs a few cycles
// (what a first opening loads for good: fonts, the style's icons, the zone list), then counts
// what the process holds more after the measured cycles: resident memory (/proc/self/statm)
// and the heap in use (mallinfo2), per cycle. Goal: nothing, i.e. a few hundred bytes of
// noise; anything steady is a leak. Run by hand: build/bench_memory --benchmark_filter=...
// Any tool that follows allocations can run it too (valgrind --tool=massif, heaptrack).
#include "calendar/timetable.h"
#include "core/frmSplash.h"
#include "core/frmUpdate.h"
#include "core/settings.h"
#include "mainwindow/frmTallix.h"
#include "platform/dde.h"
#include "platform/open_files.h"
#include "platform/shell.h"
#include "prayersettings/frmPrayerSettings.h"
#include "preferences/dialogs.h"
#include "preferences/frmPreferences.h"
#include "preferences/mGetWavFile.h"
#include "resident.h"
#include "runtime/Clock.h"
#include "runtime/Interaction.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QMouseEvent>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <functional>
#include <malloc.h>
#include <string>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <vector>

namespace {

double heapKB() {
    return static_cast<double>(mallinfo2().uordblks) / 1024;
}

// Nothing is opened on the desktop while the benchmark runs.
class NoShell : public platform::ShellBackend {
public:
    QString browseForFolder(HWND, const QString&) override { return {}; }
    bool openUrl(const QUrl&) override { return true; }
    QString findExecutable(const QString&) override { return {}; }
    bool startDetached(const QString&, const QStringList&, const QString&) override { return true; }
    QString currentDesktop() override { return {}; }
};

// The form the last cycle closed, until it is gone.
QPointer<Form> gClosed;

NoShell gNoShell;

// Runs the action on the form of that name once it is on screen (from within its modal loop).
void whenShown(const QString& name, std::function<void(Form*)> action) {
    auto* poll = new QTimer(qApp);
    QObject::connect(poll, &QTimer::timeout, poll, [poll, name, action] {
        Form* form = FindForm(name);
        if (!form || !form->isVisible())
            return;
        poll->deleteLater();
        gClosed = form;
        action(form);
    });
    poll->start(0);
}

// Runs the events of the closing until the closed form is deleted (it waits for the event loop
// below its modal show), as the main window's event loop would. Then the pointer moves over the
// main window's list, as it does in a session: Qt's gesture manager deletes the gestures of
// closed lists and views only at the next pointer event.
void settle() {
    QElapsedTimer waited;
    waited.start();
    do {
        QApplication::processEvents(QEventLoop::AllEvents, 5);
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    } while (gClosed && waited.elapsed() < 10000);
    if (auto* view = MainWindow() ? MainWindow()->findChild<QAbstractScrollArea*>() : nullptr) {
        QMouseEvent move(QEvent::MouseMove, QPointF(3, 3),
                         view->viewport()->mapToGlobal(QPointF(3, 3)), Qt::NoButton, Qt::NoButton,
                         Qt::NoModifier);
        QApplication::sendEvent(view->viewport(), &move);
    }
    QApplication::processEvents();
}

constexpr int kWarmUp = 20;

// Runs the cycle kWarmUp times, then once per iteration; reports what stayed per iteration.
void measure(benchmark::State& state, const std::function<void()>& cycle) {
    for (int i = 0; i < kWarmUp; ++i) {
        cycle();
        settle();
    }
    const double resident = ResidentKB();
    const double heap = heapKB();
    for (auto _ : state) {
        cycle();
        settle();
    }
    const double n = double(state.iterations());
    state.counters["kB_per_cycle"] = (ResidentKB() - resident) / n;
    state.counters["heap_kB_per_cycle"] = (heapKB() - heap) / n;
}

void BM_PreferencesOpenClose(benchmark::State& state) {
    measure(state, [] {
        whenShown(QStringLiteral("frmPreferences"),
                  [](Form* f) { static_cast<frmPreferences*>(f)->cmdExit_Click(); });
        ShowPreferencesDialog(0);
    });
}
BENCHMARK(BM_PreferencesOpenClose)->Iterations(100)->Unit(benchmark::kMillisecond);

void BM_PrayerSettingsOpenClose(benchmark::State& state) {
    measure(state, [] {
        whenShown(QStringLiteral("frmPrayerSettings"),
                  [](Form* f) { static_cast<frmPrayerSettings*>(f)->cmdExit_Click(); });
        ShowPrayerSettings(0);
    });
}
BENCHMARK(BM_PrayerSettingsOpenClose)->Iterations(100)->Unit(benchmark::kMillisecond);

// The sound-file dialog of the preferences, opened on the main window and cancelled.
void BM_WavFileOpenClose(benchmark::State& state) {
    preferences::InstallFileDialogDriver([](QFileDialog& dialog) {
        QTimer::singleShot(0, &dialog, &QDialog::reject);
        dialog.exec();
    });
    const HWND owner = MainWindow()->hWnd();
    measure(state, [owner] {
        GetWavFile(owner, QStringLiteral("Wave Files<NULL>*.wav<NULL>"), QDir::tempPath(),
                   QString(), QStringLiteral("Select a sound"));
    });
    preferences::InstallFileDialogDriver(nullptr);
}
BENCHMARK(BM_WavFileOpenClose)->Iterations(100)->Unit(benchmark::kMillisecond);

void BM_AboutOpenClose(benchmark::State& state) {
    measure(state, [] {
        whenShown(QStringLiteral("frmSplash"),
                  [](Form* f) { static_cast<frmSplash*>(f)->Form_Click(); });
        ShowAboutBox();
    });
}
BENCHMARK(BM_AboutOpenClose)->Iterations(100)->Unit(benchmark::kMillisecond);

// The update check, cancelled before it downloads anything.
void BM_UpdateOpenClose(benchmark::State& state) {
    measure(state, [] {
        whenShown(QStringLiteral("frmUpdate"),
                  [](Form* f) { static_cast<frmUpdate*>(f)->cmdCancel->click(); });
        ShowUpdateCheck();
    });
}
BENCHMARK(BM_UpdateOpenClose)->Iterations(100)->Unit(benchmark::kMillisecond);

void BM_ExportMonth(benchmark::State& state) {
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("month.txt"));
    timetable::SetSaveFileAnswerer([&](const QString&, const QString&,
                                       const QString&) -> std::optional<QString> { return file; });
    runtime::SetMsgBoxAnswerer([](const QString&, int, const QString&) { return vbYes; });
    std::int16_t month = 0;
    measure(state, [&month] { MainWindow()->ExportMonthPrayerTimes(0, ++month % 12 + 1); });
    state.counters["bytes"] = double(QFileInfo(file).size());
    timetable::SetSaveFileAnswerer(nullptr);
    runtime::SetMsgBoxAnswerer(nullptr);
}
BENCHMARK(BM_ExportMonth)->Iterations(200)->Unit(benchmark::kMillisecond);

// The same with the file handed to a program that is started for real (true(1), in place of
// the editor that would show it).
class TrueShell : public NoShell {
public:
    bool openUrl(const QUrl&) override { return false; }
    QString findExecutable(const QString&) override { return QStringLiteral("/bin/true"); }
    bool startDetached(const QString& program, const QStringList& arguments,
                       const QString& folder) override {
        return QProcess::startDetached(program, arguments, folder);
    }
};

void BM_ExportMonthOpened(benchmark::State& state) {
    TrueShell shell;
    platform::InstallShellBackend(&shell);
    BM_ExportMonth(state);
    platform::InstallShellBackend(&gNoShell);
}
BENCHMARK(BM_ExportMonthOpened)->Iterations(200)->Unit(benchmark::kMillisecond);

// The same through the save dialog, as the menu command runs it: the name typed in, Save.
void BM_ExportMonthThroughDialog(benchmark::State& state) {
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("month.txt"));
    runtime::SetMsgBoxAnswerer([](const QString&, int, const QString&) { return vbYes; });
    std::int16_t month = 0;
    measure(state, [&] {
        auto* poll = new QTimer(qApp);
        QObject::connect(poll, &QTimer::timeout, poll, [poll, file] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            if (!dialog || !dialog->isVisible())
                return;
            poll->deleteLater();
            dialog->selectFile(file);
            QMetaObject::invokeMethod(dialog, "accept");
        });
        poll->start(0);
        MainWindow()->ExportMonthPrayerTimes(0, ++month % 12 + 1);
    });
    state.counters["bytes"] = double(QFileInfo(file).size());
    runtime::SetMsgBoxAnswerer(nullptr);
}
BENCHMARK(BM_ExportMonthThroughDialog)->Iterations(100)->Unit(benchmark::kMillisecond);

// The main window's clock, a second at a time (its tips and pictures follow the time and the
// volume): what it keeps grows with every second the program runs.
void BM_ClockTick(benchmark::State& state) {
    QDateTime now(QDate(2024, 3, 10), QTime(13, 5, 20));
    measure(state, [&now] {
        now = now.addSecs(1);
        runtime::SetClock(now);
        MainWindow()->tmrMain_Timer();
    });
    runtime::SetClock(nullptr);
}
BENCHMARK(BM_ClockTick)->Iterations(2000)->Unit(benchmark::kMicrosecond);

// A client of the data server on a non-blocking socket, and what the server has said to it.
struct DataClient {
    int fd = -1;
    std::string heard;
    bool ended = false; // the server closed the connection
};

DataClient connectData(const QByteArray& path) {
    DataClient c;
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::memcpy(addr.sun_path, path.constData(), size_t(path.size()));
    c.fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (c.fd >= 0 && ::connect(c.fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
        ::close(c.fd);
        c.fd = -1;
    }
    return c;
}

void hear(DataClient& c) {
    char buffer[4096];
    ssize_t n = 0;
    while (!c.ended && (n = ::recv(c.fd, buffer, sizeof buffer, MSG_DONTWAIT)) > 0)
        c.heard.append(buffer, size_t(n));
    if (n == 0 || (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK))
        c.ended = true;
}

// Runs the event loop (the server's side) until every client has heard what it waits for, or
// 20 s have passed.
bool serveUntil(std::vector<DataClient>& clients,
                const std::function<bool(const DataClient&)>& done) {
    QElapsedTimer waited;
    waited.start();
    for (;;) {
        bool all = true;
        for (DataClient& c : clients) {
            hear(c);
            all = all && done(c);
        }
        if (all)
            return true;
        if (waited.elapsed() > 20000)
            return false;
        QApplication::processEvents(QEventLoop::AllEvents, 5);
    }
}

std::size_t count(const std::string& s, const char* what) {
    std::size_t n = 0;
    for (auto at = s.find(what); at != std::string::npos; at = s.find(what, at + 1))
        ++n;
    return n;
}

// The data server's round: 300 clients connect, start advise loops on three items, get a push
// of each and leave; then 900 connections say nothing until the server drops them (the ones
// past its cap of clients are turned away). Once they are gone the server holds nothing of them.
void BM_DataServerRound(benchmark::State& state) {
    frmTallix* window = MainWindow();
    gActivateDDEServer = 1;
    platform::SetDataServerQuietClientTimeout(300);
    if (!window->InitializeDDE()) {
        state.SkipWithError("the data server does not start");
        return;
    }
    window->tmrDDE.setInterval(60 * 60 * 1000); // pushed by the round itself
    const QByteArray path =
        QFile::encodeName(platform::DdeSocketPath(QStringLiteral("TallixTime"), false));
    bool failed = false;
    double afterFirst = 0;
    int rounds = 0;
    const auto round = [&] {
        ++rounds;
        std::vector<DataClient> advisers;
        for (int i = 0; i < 300; ++i) {
            advisers.push_back(connectData(path));
            const std::string lines =
                "CONNECT TallixTime\nADVSTART Fajr\nADVSTART timeremaining\nADVSTART  Location \n";
            (void)::send(advisers.back().fd, lines.data(), lines.size(), MSG_NOSIGNAL);
        }
        failed |=
            !serveUntil(advisers, [](const DataClient& c) { return count(c.heard, "OK\n") == 4; });
        window->tmrDDE_Timer();
        failed |= !serveUntil(advisers,
                              [](const DataClient& c) { return count(c.heard, "ADVDATA ") == 3; });
        for (DataClient& c : advisers)
            ::close(c.fd);
        // The server sees them go before the next ones come.
        QElapsedTimer gone;
        gone.start();
        while (gone.elapsed() < 200)
            QApplication::processEvents(QEventLoop::AllEvents, 5);

        std::vector<DataClient> silent;
        for (int i = 0; i < 900; ++i)
            silent.push_back(connectData(path));
        failed |= !serveUntil(silent, [](const DataClient& c) { return c.ended; });
        for (DataClient& c : silent)
            ::close(c.fd);
    };
    // The first round loads what serving loads for good; what the rounds after it add to the
    // resident memory is the heap's free space that they leave scattered.
    round();
    settle();
    afterFirst = ResidentKB();
    rounds = 0;
    measure(state, round);
    state.counters["kB_per_round_after_the_first"] = (ResidentKB() - afterFirst) / rounds;
    if (failed)
        state.SkipWithError("a client was not served or not dropped in time");
    window->UninitializeDDE();
    platform::SetDataServerQuietClientTimeout(0);
    gActivateDDEServer = 0;
}
BENCHMARK(BM_DataServerRound)->Iterations(20)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    // Offscreen, with settings and folders of its own: the user's are never read or written.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir home;
    qputenv("XDG_CONFIG_HOME", (home.path() + QStringLiteral("/config")).toLocal8Bit());
    qputenv("XDG_RUNTIME_DIR", (home.path() + QStringLiteral("/run")).toLocal8Bit());
    qputenv("XDG_CACHE_HOME", (home.path() + QStringLiteral("/cache")).toLocal8Bit());
    QDir(home.path()).mkpath(QStringLiteral("run"));
    platform::RaiseOpenFileLimit(); // as the program does: the data server's round needs them
    qputenv("TALLIX_ALSA_DEVICE", "null");
    QApplication app(argc, argv);
    platform::InstallShellBackend(&gNoShell);
    LoadSettings();
    gDaylightSavings = 0;
    // The main window is up, as when the user opens a dialog from it.
    auto* window = new frmTallix();
    window->Show();
    settle();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    delete window;
    platform::InstallShellBackend(nullptr);
    return 0;
}
