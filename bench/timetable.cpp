// Speed of the timetable export: a whole year of pages (2,555 days of seven prayer-library calls
// each) computed, written to a file and put in place. Every iteration moves the place by a
// hair, so that no day is served from what the library remembers of the previous one.
#include "calendar/timetable.h"
#include "core/settings.h"
#include "mainwindow/frmTallix.h"
#include "platform/shell.h"
#include "runtime/Interaction.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

// Nothing is opened on the desktop while the benchmark runs.
class NoShell : public platform::ShellBackend {
public:
    QString browseForFolder(HWND, const QString&) override { return {}; }
    bool openUrl(const QUrl&) override { return true; }
    QString findExecutable(const QString&) override { return {}; }
    bool startDetached(const QString&, const QStringList&, const QString&) override {
        return true;
    }
    QString currentDesktop() override { return {}; }
};

void BM_ExportYear(benchmark::State& state) {
    QTemporaryDir dir;
    NoShell shell;
    platform::InstallShellBackend(&shell);
    LoadSettings();
    gDaylightSavings = 0; // the system zone's rules, day by day
    frmTallix window;
    const QString file = dir.filePath(QStringLiteral("year.txt"));
    timetable::SetSaveFileAnswerer(
        [&](const QString&, const QString&, const QString&) -> std::optional<QString> {
            return file;
        });
    runtime::SetMsgBoxAnswerer([](const QString&, int, const QString&) { return vbYes; });
    const double latitude = gLatitude;
    int n = 0;
    for (auto _ : state) {
        gLatitude = latitude + 1e-6 * (++n % 1000);
        window.ExportYearPrayerTimes(0);
    }
    state.counters["bytes"] = double(QFileInfo(file).size());
    timetable::SetSaveFileAnswerer(nullptr);
    runtime::SetMsgBoxAnswerer(nullptr);
    platform::InstallShellBackend(nullptr);
}
BENCHMARK(BM_ExportYear)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    // Offscreen, with settings of its own: the user's are never read or written.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir home;
    qputenv("XDG_CONFIG_HOME", (home.path() + QStringLiteral("/config")).toLocal8Bit());
    qputenv("XDG_RUNTIME_DIR", (home.path() + QStringLiteral("/run")).toLocal8Bit());
    QDir(home.path()).mkpath(QStringLiteral("run"));
    qputenv("TALLIX_ALSA_DEVICE", "null");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
