// A start's reading of the settings with a large store (1 MB in one value): every value is
// read several times, the file must be parsed once. Goal: well under a second per start.
// A first start (no file): every default is written in one replacement of the file. Goal:
// about as fast as a start on a seeded file.
// A start on a 50 MB file of random bytes in place of the store: the file is put aside unread
// and the start goes on with the defaults. Goal: the time and memory of a start on a seeded
// file (it took 13 s and 170 MB while every line was parsed and named).
#include "platform/registry.h"
#include "core/settings.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include "runtime/Interaction.h"

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

// The process's peak resident memory so far, in MB.
static double peakMegabytes() {
    struct rusage usage {};
    ::getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_maxrss) / 1024;
}

// Writes that many random bytes to the file, a megabyte at a time (the bench's own memory
// stays out of the peak it reports).
static void writeRandomFile(const QString& path, qint64 size) {
    QFile f(path);
    f.open(QIODevice::WriteOnly | QIODevice::Truncate);
    QRandomGenerator random(1);
    QByteArray chunk(1 << 20, '\0');
    for (qint64 left = size; left > 0; left -= chunk.size()) {
        random.fillRange(reinterpret_cast<quint32*>(chunk.data()), chunk.size() / 4);
        f.write(chunk.constData(), std::min<qint64>(left, chunk.size()));
    }
}

static void BM_StartWithAHugeFileOfRandomBytes(benchmark::State& state) {
    QTemporaryDir dir;
    qputenv("XDG_CONFIG_HOME", dir.path().toLocal8Bit());
    QDir().mkpath(dir.path() + QStringLiteral("/tallix-time"));
    const QString file = dir.path() + QStringLiteral("/tallix-time/registry.conf");
    int messages = 0;
    runtime::SetMsgBoxAnswerer([&](const QString&, int, const QString&) {
        ++messages;
        return vbOK;
    });
    const double before = peakMegabytes();
    for (auto _ : state) {
        state.PauseTiming();
        const QDir folder(dir.path() + QStringLiteral("/tallix-time"));
        for (const QString& copy : folder.entryList({QStringLiteral("registry.conf.damaged-*")}))
            QFile::remove(folder.filePath(copy)); // the last round's file, put aside
        writeRandomFile(file, state.range(0));
        platform::InstallRegistryStore(nullptr); // a new process's store
        state.ResumeTiming();
        benchmark::DoNotOptimize(LoadSettings());
    }
    state.counters["peak_MB_before"] = before;
    state.counters["peak_MB_after"] = peakMegabytes();
    state.counters["messages"] = messages;
    runtime::SetMsgBoxAnswerer(nullptr);
    platform::InstallRegistryStore(nullptr);
}
BENCHMARK(BM_StartWithAHugeFileOfRandomBytes)
    ->Arg(50 << 20)
    ->Iterations(5)
    ->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
