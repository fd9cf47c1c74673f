#include "filesync.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

QString TemporaryPrefix(const QString& targetFileName) {
    return targetFileName + QStringLiteral(".tmp-");
}

int CreateBeside(const QString& target, mode_t newMode, QByteArray* created) {
    const QFileInfo info(target);
    const QByteArray stem =
        QFile::encodeName(info.absolutePath() + u'/' + TemporaryPrefix(info.fileName()));
    int fd = -1;
    // A taken name is passed over; 64 draws of 62 bits each do not all meet one by chance.
    for (int attempt = 0; attempt < 64; ++attempt) {
        const QByteArray name =
            stem + QByteArray::number(QRandomGenerator::system()->generate64() >> 2, 36);
        fd =
            ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, newMode);
        if (fd >= 0) {
            *created = name;
            break;
        }
        if (errno != EEXIST)
            return -1;
    }
    if (fd < 0)
        return -1;
    // The target's permissions, as its user left them: a file that is replaced keeps them.
    struct stat old {};
    if (::lstat(QFile::encodeName(info.absoluteFilePath()).constData(), &old) == 0 &&
        S_ISREG(old.st_mode) && old.st_uid == ::geteuid())
        (void)::fchmod(fd, old.st_mode & 07777);
    return fd;
}

int WriteSyncClose(int fd, const QByteArray& bytes) {
    int failure = 0;
    const char* at = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, at, size_t(left));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            failure = n < 0 ? errno : ENOSPC;
            break;
        }
        at += n;
        left -= n;
    }
    if (failure == 0 && ::fsync(fd) != 0)
        failure = errno;
    if (::close(fd) != 0 && failure == 0)
        failure = errno;
    return failure;
}

bool SyncFolder(const QString& folder) {
    const int fd =
        ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}

} // namespace platform
