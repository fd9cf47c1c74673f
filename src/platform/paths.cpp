#include "paths.h"

#include <QDir>
#include <QFileInfo>
#include <sys/stat.h>
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
    return ensurePrivateDir(QStringLiteral("/tmp/tallix-time-%1").arg(::getuid()));
}

} // namespace platform
