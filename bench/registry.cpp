// A start's reading of the settings with a large store (1 MB in one value): every value is
// read several times, the file must be parsed once. Goal: well under a second per start.
// A first start (no file): every default is written in one replacement of the file. Goal:
// about as fast as a start on a seeded file.
#include "platform/registry.h"
#include "core/settings.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

static void BM_LoadSettingsWithALargeStore(benchmark::State& state) {
    QTemporaryDir dir;
    qputenv("XDG_CONFIG_HOME", dir.path().toLocal8Bit());
    platform::InstallRegistryStore(nullptr);
    LoadSettings(); // writes every default once
    platform::InstallRegistryStore(nullptr);
    QFile f(dir.path() + QStringLiteral("/tallix-time/registry.conf"));
    f.open(QIODevice::Append);
    f.write("\"Big\"=\"" + QByteArray(state.range(0), 'x') + "\"\n");
    f.close();
    for (auto _ : state) {
        platform::InstallRegistryStore(nullptr); // a new process's store
        benchmark::DoNotOptimize(LoadSettings());
    }
    platform::InstallRegistryStore(nullptr);
}
BENCHMARK(BM_LoadSettingsWithALargeStore)->Arg(1 << 20)->Unit(benchmark::kMillisecond);

static void BM_FirstStartWithNoFile(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        QTemporaryDir dir;
        qputenv("XDG_CONFIG_HOME", dir.path().toLocal8Bit());
        platform::InstallRegistryStore(nullptr); // a new process's store
        const int before = platform::RegistryReplaceCount();
        state.ResumeTiming();
        benchmark::DoNotOptimize(LoadSettings());
        state.PauseTiming();
        state.counters["replacements"] = platform::RegistryReplaceCount() - before;
        platform::InstallRegistryStore(nullptr);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_FirstStartWithNoFile)->Unit(benchmark::kMillisecond);

static void BM_StartWithASeededFile(benchmark::State& state) {
    QTemporaryDir dir;
    qputenv("XDG_CONFIG_HOME", dir.path().toLocal8Bit());
    platform::InstallRegistryStore(nullptr);
    LoadSettings();
    for (auto _ : state) {
        platform::InstallRegistryStore(nullptr); // a new process's store
        const int before = platform::RegistryOpenCount();
        benchmark::DoNotOptimize(LoadSettings());
        state.counters["opens"] = platform::RegistryOpenCount() - before;
    }
    platform::InstallRegistryStore(nullptr);
}
BENCHMARK(BM_StartWithASeededFile)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
