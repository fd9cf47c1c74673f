// A start's reading of the settings with a large store (1 MB in one value): every value is
// read several times, the file must be parsed once. Goal: well under a second per start.
// A first start (no file): every default is written in one replacement of the file. Goal:
// about as fast as a start on a seeded file.
// A start on a 50 MB file of random bytes in place of the store: the file is put aside unread
// and the start goes on with the defaults. Goal: the time and memory of a start on a seeded
// file (it took 13 s and 170 MB while every line was parsed and named).
// Stores of 1, 2 and 4 MiB, all values in one key or spread over many keys (4 to a key):
// reading the file, looking up every value, writing one value, and a start on such a store.
// Goal: each in time linear in the size (twice the store, twice the time); a start on 4 MiB
// well under a second. Here: a read of 1, 2, 4 MiB 15-25, 25-75, 50-120 ms, a lookup 5 us
// whatever the size, a write of 4 MiB about 0.1 s, a start on 4 MiB 55-105 ms (searching each
// key's list, the reads took 7 s, 39 s and almost 8 minutes; a user's start on 3.6 MB, 20 s).
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

// ---- Large stores ------------------------------------------------------------------------------

const QString kProgramKey = QStringLiteral("HKEY_CURRENT_USER\\Software\\Tallix Time");

enum Shape { kOneKey = 0, kManyKeys = 1 };
constexpr int kValuesPerKey = 4;

// The key and name of the n-th value of a store of that shape.
static QString keyOf(int shape, int n) {
    return shape == kOneKey ? kProgramKey
                            : kProgramKey + QStringLiteral("\\Place%1").arg(n / kValuesPerKey, 6,
                                                                              10, QLatin1Char('0'));
}
static QString nameOf(int n) {
    return QStringLiteral("Value%1").arg(n, 6, 10, QLatin1Char('0'));
}

// A store as the program writes it, of at most that many bytes: the program's defaults as a
// first start writes them, with values of that shape ahead of them (in the program's key, or
// in keys of their own before it), so that a start finds its own values after all of them.
// Gives how many were added.
static int writeLargeStore(const QTemporaryDir& dir, int shape, qint64 bytes) {
    qputenv("XDG_CONFIG_HOME", dir.path().toLocal8Bit());
    platform::InstallRegistryStore(nullptr);
    LoadSettings(); // writes every default once
    platform::InstallRegistryStore(nullptr);
    QFile f(dir.path() + QStringLiteral("/tallix-time/registry.conf"));
    f.open(QIODevice::ReadWrite);
    QByteArray text = f.readAll();
    const QByteArray header = "\n[" + kProgramKey.toUtf8() + "]\n";
    const qsizetype at = text.indexOf(header) + (shape == kOneKey ? header.size() : 0);
    QByteArray added;
    int n = 0;
    for (;; ++n) {
        QByteArray lines;
        if (shape == kManyKeys && n % kValuesPerKey == 0)
            lines += "\n[" + keyOf(shape, n).toUtf8() + "]\n";
        lines += '"' + nameOf(n).toUtf8() + "\"=\"Masjid al-Haram, Makkah " +
                 QByteArray::number(n) + "\"\n";
        if (text.size() + added.size() + lines.size() > bytes)
            break;
        added += lines;
    }
    text.insert(at, added);
    f.resize(0);
    f.write(text);
    return n;
}

static std::unique_ptr<platform::RegistryStore> openStore(const QTemporaryDir& dir) {
    return platform::MakeFileRegistryStore(dir.path() + QStringLiteral("/tallix-time"),
                                           dir.path() + QStringLiteral("/autostart"));
}

static bool lookUp(platform::RegistryStore& store, const QString& key, const QString& name) {
    DWORD type = 0;
    QByteArray data;
    return store.queryValue(key, name, &type, &data) == ERROR_SUCCESS;
}

static void largeStoreArgs(benchmark::internal::Benchmark* b) {
    b->ArgNames({"shape", "MiB"});
    for (const int shape : {kOneKey, kManyKeys})
        for (const int mib : {1, 2, 4})
            b->Args({shape, mib});
    b->Unit(benchmark::kMillisecond);
}

// A new process's first read: the file parsed, one value answered.
static void BM_ReadLargeStore(benchmark::State& state) {
    QTemporaryDir dir;
    const int shape = int(state.range(0));
    const int n = writeLargeStore(dir, shape, state.range(1) << 20);
    for (auto _ : state) {
        auto store = openStore(dir);
        if (!lookUp(*store, keyOf(shape, n - 1), nameOf(n - 1)) || store->trouble().lostCount)
            state.SkipWithError("the store lost values");
    }
    state.counters["values"] = n;
    state.SetBytesProcessed(state.iterations() * (state.range(1) << 20));
}
BENCHMARK(BM_ReadLargeStore)->Apply(largeStoreArgs);

// Every value looked up once, by its name in capitals, in a store already read.
static void BM_LookUpEveryValueOfALargeStore(benchmark::State& state) {
    QTemporaryDir dir;
    const int shape = int(state.range(0));
    const int n = writeLargeStore(dir, shape, state.range(1) << 20);
    auto store = openStore(dir);
    lookUp(*store, kProgramKey, nameOf(0));
    for (auto _ : state)
        for (int i = 0; i < n; ++i)
            if (!lookUp(*store, keyOf(shape, i).toUpper(), nameOf(i).toUpper()))
                state.SkipWithError("a value is not there");
    state.counters["values"] = n;
    state.counters["per_lookup"] =
        benchmark::Counter(double(n), benchmark::Counter::kIsIterationInvariantRate |
                                                 benchmark::Counter::kInvert);
}
BENCHMARK(BM_LookUpEveryValueOfALargeStore)->Apply(largeStoreArgs);

// One value of the last key changed: the file replaced (written, flushed, renamed).
static void BM_WriteOneValueOfALargeStore(benchmark::State& state) {
    QTemporaryDir dir;
    const int shape = int(state.range(0));
    const int n = writeLargeStore(dir, shape, state.range(1) << 20);
    auto store = openStore(dir);
    int round = 0;
    for (auto _ : state) {
        const QByteArray data = QByteArray::number(++round) + '\0';
        if (store->setValue(keyOf(shape, n - 1), nameOf(n - 1), REG_SZ, data) != ERROR_SUCCESS)
            state.SkipWithError("the value was not written");
    }
    state.counters["values"] = n;
}
BENCHMARK(BM_WriteOneValueOfALargeStore)->Apply(largeStoreArgs);

// A start: every setting read (and repaired in one write) from the program's key grown that
// large by values of its own.
static void BM_StartWithALargeStore(benchmark::State& state) {
    QTemporaryDir dir;
    writeLargeStore(dir, int(state.range(0)), state.range(1) << 20);
    int messages = 0;
    runtime::SetMsgBoxAnswerer([&](const QString& prompt, int, const QString&) {
        if (++messages == 1)
            state.SkipWithError(prompt.toUtf8().constData());
        return vbOK;
    });
    for (auto _ : state) {
        platform::InstallRegistryStore(nullptr); // a new process's store
        benchmark::DoNotOptimize(LoadSettings());
    }
    runtime::SetMsgBoxAnswerer(nullptr);
    platform::InstallRegistryStore(nullptr);
}
BENCHMARK(BM_StartWithALargeStore)->Apply(largeStoreArgs);

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
