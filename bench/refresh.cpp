// The whole refresh of the main window that a new day or a settings change costs: today's six
// times, the current prayer, the Qiblah, and the daily and yearly lists (about 2,600 calls of
// the prayer library). It must stay well under 20 ms so the window never stalls on it. And the
// clock tick that runs every second.
#include "core/settings.h"
#include "mainwindow/frmTallix.h"
#include "runtime/Clock.h"

#include <QApplication>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <vector>

namespace {

void BM_RefreshPrayers(benchmark::State& state) {
    LoadSettings();
    runtime::SetClock(QDateTime(QDate(2024, 3, 10), QTime(13, 5, 20)));
    frmTallix window;
    window.RefreshPrayers(); // loads the library
    for (auto _ : state)
        window.RefreshPrayers();
    runtime::SetClock(nullptr);
}
BENCHMARK(BM_RefreshPrayers)->Unit(benchmark::kMillisecond);

// One second of the clock tick in an afternoon half hour without a prayer: the tray tip, the
// clock and the countdown follow the time and the scheduler asks whether the second is due,
// a minute's first second included. The clock is the local one, as the program's is.
void BM_ClockTick(benchmark::State& state) {
    LoadSettings();
    const QDateTime start(QDate(2024, 3, 10), QTime(13, 5, 20));
    runtime::SetClock(start);
    frmTallix window;
    window.RefreshPrayers();
    std::vector<QDateTime> seconds;
    for (int s = 0; s < 1800; ++s)
        seconds.push_back(start.addSecs(s));
    std::size_t i = 0;
    for (auto _ : state) {
        const QDateTime& t = seconds[i++ % seconds.size()];
        window.LastTickTime = t.addSecs(-1);
        runtime::SetClock(t);
        window.tmrMain_Timer();
    }
    runtime::SetClock(nullptr);
}
BENCHMARK(BM_ClockTick)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // Settings of its own, so the run never touches the user's.
    QTemporaryDir home;
    qputenv("XDG_CONFIG_HOME", home.path().toLocal8Bit());
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
