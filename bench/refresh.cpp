// The whole refresh of the main window that a new day or a settings change costs: today's six
// times, the current prayer, the Qiblah, and the daily and yearly lists (about 2,600 calls of
// the prayer library). It must stay well under 20 ms so the window never stalls on it.
#include "core/settings.h"
#include "mainwindow/frmTallix.h"
#include "runtime/Clock.h"

#include <QApplication>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

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
