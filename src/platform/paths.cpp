#include "paths.h"

#include <QDir>
#include <QFileInfo>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

namespace platform {

namespace {
QString envDir(const char* name) {
    const QByteArray v = qgetenv(name);
    if (v.isEmpty() || v.at(0) != '/')
        return {};
    return QString::fromLocal8Bit(v);
}

QString ensurePrivateDir(const QString& path) {
    QDir().mkpath(path);
    ::chmod(QFile::encodeName(path).constData(), 0700);
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
    const QString base = envDir("XDG_RUNTIME_DIR");
    if (!base.isEmpty() && QFileInfo(base).isDir())
        return ensurePrivateDir(base + QStringLiteral("/tallix-time"));
    // /tmp is shared: the folder must be a real folder of ours, or someone else could see or
    // steer our locks and sockets.
    const QString shared = QStringLiteral("/tmp/tallix-time-%1").arg(::getuid());
    ::mkdir(QFile::encodeName(shared).constData(), 0700); // never follows a link
    struct stat st {};
    if (::lstat(QFile::encodeName(shared).constData(), &st) == 0 && S_ISDIR(st.st_mode) &&
        st.st_uid == ::getuid() && (st.st_mode & 0077) == 0)
        return shared;
    return ensurePrivateDir(QDir::homePath() + QStringLiteral("/.cache/tallix-time/run"));
}

} // namespace platform
