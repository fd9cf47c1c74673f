#include "prayerdll.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <dlfcn.h>
#include <mutex>

namespace {

struct Library {
    void* handle = nullptr;
    getPrayerProc prayer = nullptr;
    getNorthQiblaProc qibla = nullptr;
    bool tried = false;
};

std::mutex gMutex;
Library gLib;
QString gPath;
QString gError;

QString libraryPath() {
    if (!gPath.isEmpty())
        return gPath;
    const QString dir = QCoreApplication::applicationDirPath();
    const QString beside = dir + QStringLiteral("/libtallixtime.so");
    const QString installed = QDir::cleanPath(dir + QStringLiteral("/../lib/libtallixtime.so"));
    return !QFileInfo::exists(beside) && QFileInfo::exists(installed) ? installed : beside;
}

// Loads once; a failure is remembered until the path is set again.
Library& library() {
    if (!gLib.tried) {
        gLib.tried = true;
        const QString path = libraryPath();
        gLib.handle = ::dlopen(QFile::encodeName(path).constData(), RTLD_NOW | RTLD_LOCAL);
        if (gLib.handle) {
            gLib.prayer = reinterpret_cast<getPrayerProc>(::dlsym(gLib.handle, "getPrayer"));
            gLib.qibla = reinterpret_cast<getNorthQiblaProc>(::dlsym(gLib.handle, "getNorthQibla"));
        } else {
            gError = QStringLiteral("File not found: %1 (%2)")
                         .arg(path, QString::fromLocal8Bit(::dlerror()));
        }
    }
    return gLib;
}

} // namespace

namespace TallixTimeDll {

bool getPrayer(PrayerTime& pt, Location& loc, CalcMethod& conf, PrayerDate& date, int slot,
               int method) {
    std::lock_guard<std::mutex> g(gMutex);
    Library& lib = library();
    if (!lib.handle)
        return false;
    if (!lib.prayer) {
        gError = QStringLiteral("Can't find DLL entry point getPrayer in libtallixtime.so");
        return false;
    }
    gError.clear();
    PrayerTime scratch = pt;
    lib.prayer(&scratch, &loc, &conf, &date, slot, method);
    pt = scratch;
    return true;
}

std::optional<double> getNorthQibla(Location& loc) {
    std::lock_guard<std::mutex> g(gMutex);
    Library& lib = library();
    if (!lib.handle)
        return std::nullopt;
    if (!lib.qibla) {
        gError = QStringLiteral("Can't find DLL entry point getNorthQibla in libtallixtime.so");
        return std::nullopt;
    }
    gError.clear();
    return lib.qibla(&loc);
}

} // namespace TallixTimeDll

namespace platform {

QString PrayerLibraryError() {
    std::lock_guard<std::mutex> g(gMutex);
    return gError;
}

void SetPrayerLibraryPath(const QString& path) {
    std::lock_guard<std::mutex> g(gMutex);
    if (gLib.handle)
        ::dlclose(gLib.handle);
    gLib = Library{};
    gPath = path;
    gError.clear();
}

} // namespace platform
