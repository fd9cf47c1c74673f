// Speed of the data server: the real main window serves in a process of its own (offscreen,
// fresh settings, the fastest advise rate) while this process plays its clients.
//
//  - BM_Request: 10,000 requests from one client, one at a time; median and 99th percentile
//    of the round trip (goal: median under 1 ms).
//  - BM_RequestWhileAdvising: the same with 100 more clients in advise loops on every item.
//  - BM_AdviseRound: one advise round reaching all 100 clients; the time from the first
//    client's push to the last one's.
//  - BM_NewClientWhileOneHoldsManySpellings: one client has started advise loops on one item
//    in 30,000 spellings (one link) and reads its pushes; the time a new client takes to
//    connect and have a request answered (goal: the slowest under 100 ms, with the pushes of
//    each second running).
// Every benchmark reports "tick_slip_ms": how late the server's event loop ran a 100 ms timer
// at worst so far (the window's clock tick runs in that loop).
#include "core/settings.h"
#include "dde_client.h"
#include "mainwindow/frmTallix.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <benchmark/benchmark.h>
#include <cctype>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <map>
#include <memory>
#include <poll.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

std::string gDir;

const char* kItems[] = {"NextPrayerTime", "NextPrayerName", "TimeRemaining", "TimeRemainingSeconds",
                        "Fajr",           "Shurooq",        "Dhuhr",         "Asr",
                        "Maghrib",        "Ishaa",          "Qiblah",        "CurrentDate",
                        "Location",       "TopicItemList"};

// The server process: the main window with its data server, and a 100 ms timer whose worst
// lateness is written to a file for the benchmarks to report.
[[noreturn]] void serve(int argc, char** argv) {
    QApplication app(argc, argv);
    LoadSettings();
    gActivateDDEServer = 1;
    gDDEAdviseRate = 0;
    auto window = std::make_unique<frmTallix>();
    window->Load();
    window->tmrDDE.setInterval(AdviseRateToMs(gDDEAdviseRate));
    if (!window->ServiceRegistered)
        window->InitializeDDE();
    QElapsedTimer clock;
    clock.start();
    qint64 expected = 100, worst = 0;
    QTimer tick;
    tick.setTimerType(Qt::PreciseTimer);
    QObject::connect(&tick, &QTimer::timeout, [&] {
        const qint64 late = clock.elapsed() - expected;
        expected = clock.elapsed() + 100;
        if (late > worst) {
            worst = late;
            QFile f(QString::fromStdString(gDir + "/tick-slip"));
            if (f.open(QIODevice::WriteOnly))
                f.write(QByteArray::number(worst));
        }
    });
    tick.start(100);
    app.exec();
    std::_Exit(0);
}

double tickSlipMs() {
    QFile f(QString::fromStdString(gDir + "/tick-slip"));
    return f.open(QIODevice::ReadOnly) ? f.readAll().toDouble() : 0;
}

bool openClient(DdeClient& c) {
    return c.open(DdeClient::socketPath("TallixTime")) &&
           c.call("CONNECT TallixTime").kind == DdeClient::Message::Ok;
}

void requests(benchmark::State& state) {
    DdeClient c;
    if (!openClient(c)) {
        state.SkipWithError("no server");
        return;
    }
    std::vector<double> us;
    us.reserve(10000);
    std::size_t i = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        const auto reply = c.call(std::string("REQUEST ") + kItems[i++ % 14]);
        us.push_back(
            std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start)
                .count());
        if (reply.kind != DdeClient::Message::Data) {
            state.SkipWithError("no data");
            return;
        }
    }
    std::sort(us.begin(), us.end());
    state.counters["median_us"] = us[us.size() / 2];
    state.counters["p99_us"] = us[us.size() * 99 / 100];
    state.counters["tick_slip_ms"] = tickSlipMs();
}

// 100 clients in advise loops on every item; a thread reads their pushes and notes when each
// round reached each client.
struct Advisers {
    std::vector<std::unique_ptr<DdeClient>> clients;
    std::atomic<bool> stop{false};
    std::atomic<long> pushes{0};
    std::atomic<long> rounds{0};
    std::atomic<double> lastSpreadMs{0};
    std::thread reader;

    bool start() {
        for (int i = 0; i < 100; ++i) {
            auto c = std::make_unique<DdeClient>();
            if (!openClient(*c))
                return false;
            for (const char* item : kItems)
                if (c->call(std::string("ADVSTART ") + item).kind != DdeClient::Message::Ok)
                    return false;
            clients.push_back(std::move(c));
        }
        reader = std::thread([this] { read(); });
        return true;
    }
    void read() {
        std::vector<pollfd> fds;
        for (auto& c : clients)
            fds.push_back(pollfd{c->fd(), POLLIN, 0});
        std::vector<long> got(clients.size(), 0); // rounds each client has received
        std::map<long, std::chrono::steady_clock::time_point> firstOf; // round -> first push
        while (!stop) {
            if (::poll(fds.data(), fds.size(), 50) <= 0)
                continue;
            for (std::size_t i = 0; i < fds.size(); ++i) {
                if (!(fds[i].revents & POLLIN))
                    continue;
                // The 14 pushes of a round arrive together.
                for (int k = 0; k < 14; ++k) {
                    if (clients[i]->next(1000).kind != DdeClient::Message::AdvData)
                        break;
                    ++pushes;
                }
                const auto now = std::chrono::steady_clock::now();
                firstOf.try_emplace(got[i]++, now);
                const long all = *std::min_element(got.begin(), got.end());
                while (rounds < all) {
                    lastSpreadMs =
                        std::chrono::duration<double, std::milli>(now - firstOf[rounds]).count();
                    firstOf.erase(rounds++);
                }
            }
        }
    }
    ~Advisers() {
        stop = true;
        if (reader.joinable())
            reader.join();
    }
};

Advisers* gAdvisers = nullptr;

bool ensureAdvisers() {
    if (!gAdvisers) {
        gAdvisers = new Advisers;
        if (!gAdvisers->start())
            return false;
    }
    return true;
}

void BM_Request(benchmark::State& state) {
    requests(state);
}
BENCHMARK(BM_Request)->Iterations(10000)->Unit(benchmark::kMicrosecond);

void BM_RequestWhileAdvising(benchmark::State& state) {
    if (!ensureAdvisers()) {
        state.SkipWithError("advise loops refused");
        return;
    }
    requests(state);
}
BENCHMARK(BM_RequestWhileAdvising)->Iterations(10000)->Unit(benchmark::kMicrosecond);

void BM_AdviseRound(benchmark::State& state) {
    if (!ensureAdvisers()) {
        state.SkipWithError("advise loops refused");
        return;
    }
    for (auto _ : state) {
        const long seen = gAdvisers->rounds;
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(3);
        while (gAdvisers->rounds == seen && std::chrono::steady_clock::now() < until)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        if (gAdvisers->rounds == seen) {
            state.SkipWithError("no advise round within 3 s");
            return;
        }
        state.SetIterationTime(gAdvisers->lastSpreadMs / 1000.0);
    }
    state.counters["pushes"] = double(gAdvisers->pushes);
    state.counters["tick_slip_ms"] = tickSlipMs();
}
BENCHMARK(BM_AdviseRound)->Iterations(5)->UseManualTime()->Unit(benchmark::kMillisecond);

// A client that holds 30,000 spellings of one item and reads its pushes on a thread.
struct SpellingsHolder {
    DdeClient client;
    std::atomic<bool> stop{false};
    std::atomic<long> pushes{0};
    std::thread reader;

    bool start() {
        if (!openClient(client))
            return false;
        const std::string name = "TimeRemainingSeconds";
        std::string burst;
        for (int n = 0; n < 30000; ++n) {
            std::string spelling;
            int bit = 0;
            for (const char ch : name)
                spelling += char((n >> bit++) & 1 ? std::toupper(ch) : std::tolower(ch));
            burst += "ADVSTART " + spelling + "\n";
        }
        burst.pop_back();
        std::thread writer([&] { client.send(burst); });
        int ok = 0;
        DdeClient::Message m;
        while (ok < 30000 && (m = client.next(20000)).kind != DdeClient::Message::TimedOut &&
               m.kind != DdeClient::Message::Closed)
            ok += m.kind == DdeClient::Message::Ok ? 1 : 0;
        writer.join();
        if (ok != 30000)
            return false;
        reader = std::thread([this] {
            while (!stop) {
                const auto m = client.next(100);
                if (m.kind == DdeClient::Message::AdvData)
                    ++pushes;
                else if (m.kind == DdeClient::Message::Closed)
                    return;
            }
        });
        return true;
    }
    ~SpellingsHolder() {
        stop = true;
        if (reader.joinable())
            reader.join();
    }
};

void BM_NewClientWhileOneHoldsManySpellings(benchmark::State& state) {
    SpellingsHolder holder;
    if (!holder.start()) {
        state.SkipWithError("the spellings were not all answered");
        return;
    }
    std::vector<double> ms;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        DdeClient c;
        if (!openClient(c) || c.call("REQUEST Fajr", 20000).kind != DdeClient::Message::Data) {
            state.SkipWithError("a new client was not served");
            return;
        }
        const double took =
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count();
        ms.push_back(took);
        state.SetIterationTime(took / 1000.0);
        std::this_thread::sleep_for(std::chrono::milliseconds(150)); // over several pushes
    }
    std::sort(ms.begin(), ms.end());
    state.counters["median_ms"] = ms[ms.size() / 2];
    state.counters["max_ms"] = ms.back();
    state.counters["holder_pushes"] = double(holder.pushes);
    state.counters["tick_slip_ms"] = tickSlipMs();
}
BENCHMARK(BM_NewClientWhileOneHoldsManySpellings)
    ->Iterations(30)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    char dir[] = "/tmp/bench-dde-XXXXXX";
    if (!::mkdtemp(dir))
        return 1;
    gDir = dir;
    ::setenv("XDG_RUNTIME_DIR", dir, 1);
    ::setenv("XDG_CONFIG_HOME", (gDir + "/config").c_str(), 1);
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    ::setenv("TALLIX_ALSA_DEVICE", "null", 1);
    const pid_t server = ::fork();
    if (server == 0)
        serve(argc, argv);
    DdeClient probe;
    for (int i = 0; i < 500 && !probe.open(DdeClient::socketPath("TallixTime")); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    int status = 1;
    if (probe.isOpen()) {
        probe.close();
        benchmark::Initialize(&argc, argv);
        benchmark::RunSpecifiedBenchmarks();
        benchmark::Shutdown();
        status = 0;
    } else {
        std::fprintf(stderr, "bench_dde: the server did not start\n");
    }
    delete gAdvisers;
    ::kill(server, SIGTERM);
    ::waitpid(server, nullptr, 0);
    std::system(("rm -rf " + gDir).c_str());
    return status;
}
