#include "paths.h"

#include <QDir>
#include <QFileInfo>
#include <cstdlib>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

namespace platform {

namespace {
QString gSharedBase = QStringLiteral("/tmp");

QString envDir(const char* name) {
    const QByteArray v = qgetenv(name);
    if (v.isEmpty() || v.at(0) != '/')
        return {};
    return QString::fromLocal8Bit(v);
}

// A real folder (no link) of this user that no one else may enter.
bool isPrivateFolderOfOurs(const QString& path) {
    struct stat st {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 && S_ISDIR(st.st_mode) &&
           st.st_uid == ::getuid() && (st.st_mode & 0077) == 0;
}

// Makes the folder (never through a link) or takes the one there when it is ours, made
// private; "" when what is there is not a folder of ours.
QString privateSubfolder(const QString& path) {
    const QByteArray p = QFile::encodeName(path);
    ::mkdir(p.constData(), 0700);
    struct stat st {};
    if (::lstat(p.constData(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::getuid())
        return {};
    if ((st.st_mode & 0777) != 0700 && ::chmod(p.constData(), 0700) != 0)
        return {};
    return path;
}
} // namespace

QString ConfigHome() {
    QString base = envDir("XDG_CONFIG_HOME");
    if (base.isEmpty())
        base = QDir::homePath() + QStringLiteral("/.config");
    return base;
}

QString ConfigDir() {
    const QString dir = ConfigHome() + QStringLiteral("/tallix-time");
    QDir().mkpath(dir);
    return dir;
}

QString RuntimeDir() {
    // Our locks and sockets must be where no one else can see or steer them: the runtime
    // folder only when it is the user's own and private, as it should be.
    const QString base = envDir("XDG_RUNTIME_DIR");
    if (!base.isEmpty() && isPrivateFolderOfOurs(base)) {
        const QString dir = privateSubfolder(base + QStringLiteral("/tallix-time"));
        if (!dir.isEmpty())
            return dir;
    }
    // The shared folder must be a real folder of ours, created private and never followed
    // through a link.
    const QString shared = gSharedBase + QStringLiteral("/tallix-time-%1").arg(::getuid());
    ::mkdir(QFile::encodeName(shared).constData(), 0700);
    if (isPrivateFolderOfOurs(shared))
        return shared;
    const QString home = QDir::homePath() + QStringLiteral("/.cache/tallix-time/run");
    QDir().mkpath(home);
    ::chmod(QFile::encodeName(home).constData(), 0700);
    return home;
}

QString MakeShortPrivateFolder() {
    QByteArray templ = QFile::encodeName(gSharedBase + QStringLiteral("/tallix-XXXXXX"));
    if (!::mkdtemp(templ.data())) // made with mode 0700
        return {};
    return QFile::decodeName(templ);
}

QString SharedFolderBase() {
    return gSharedBase;
}

void SetSharedFolderBase(const QString& base) {
    gSharedBase = base.isEmpty() ? QStringLiteral("/tmp") : base;
}

} // namespace platform
