#include "filesync.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

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

int CopySyncClose(int from, int to) {
    int failure = 0;
    std::vector<char> buffer(256 * 1024);
    while (failure == 0) {
        const ssize_t n = ::read(from, buffer.data(), buffer.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            failure = n < 0 ? errno : 0;
            break;
        }
        for (ssize_t at = 0; at < n && failure == 0;) {
            const ssize_t w = ::write(to, buffer.data() + at, size_t(n - at));
            if (w < 0 && errno == EINTR)
                continue;
            if (w <= 0)
                failure = w < 0 ? errno : ENOSPC;
            else
                at += w;
        }
    }
    const int closed = WriteSyncClose(to, QByteArray());
    return failure != 0 ? failure : closed;
}

QString RenameToFreeName(const QByteArray& from, const QString& name) {
    for (int n = 0; n < 100; ++n) {
        const QString to = n == 0 ? name : name + u'-' + QString::number(n);
        const QByteArray target = QFile::encodeName(to);
        int rc =
            ::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, target.constData(), RENAME_NOREPLACE);
        if (rc != 0 && (errno == EINVAL || errno == ENOSYS)) {
            // A file system without that rename: a new link never replaces a name either.
            rc = ::link(from.constData(), target.constData());
            if (rc == 0)
                ::unlink(from.constData());
        }
        if (rc == 0) {
            SyncFolder(QFileInfo(to).absolutePath());
            return to;
        }
        if (errno != EEXIST)
            return {};
    }
    errno = EEXIST;
    return {};
}

int ReplaceWithWholeFile(const QString& path, const QByteArray& bytes) {
    const QFileInfo target(path);
    const QByteArray final = QFile::encodeName(target.absoluteFilePath());
    QByteArray temporary;
    const int fd = CreateBeside(target.absoluteFilePath(), 0666, &temporary);
    if (fd < 0)
        return errno;
    int failure = WriteSyncClose(fd, bytes);
    if (failure == 0 && ::rename(temporary.constData(), final.constData()) != 0)
        failure = errno;
    if (failure != 0) {
        ::unlink(temporary.constData());
        return failure;
    }
    SyncFolder(target.absolutePath());
    return 0;
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

QString FileKindText(mode_t mode) {
    const char* kind = S_ISDIR(mode)                    ? "a folder"
                       : S_ISFIFO(mode)                 ? "a named pipe"
                       : S_ISSOCK(mode)                 ? "a socket"
                       : S_ISCHR(mode) || S_ISBLK(mode) ? "a device"
                                                        : "no file";
    return QLatin1String(kind);
}

QString NotRegularFileText(const QString& path, mode_t mode) {
    return QStringLiteral("%1 is %2, not a regular file").arg(path, FileKindText(mode));
}

int OpenRegularFile(const QString& path, QString* why, struct stat* st) {
    struct stat own {};
    struct stat& info = st ? *st : own;
    // O_NONBLOCK: opening a named pipe would otherwise wait for a writer, and a device could.
    const int fd =
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        const int error = errno;
        // A socket cannot be opened at all: say what it is rather than the bare error.
        if (error == ENOENT)
            why->clear();
        else if (::stat(QFile::encodeName(path).constData(), &info) == 0 && !S_ISREG(info.st_mode))
            *why = NotRegularFileText(path, info.st_mode);
        else
            *why = QStringLiteral("%1 cannot be read: %2")
                       .arg(path, QString::fromLocal8Bit(std::strerror(error)));
        errno = error;
        return -1;
    }
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        *why = NotRegularFileText(path, info.st_mode);
        ::close(fd);
        errno = EINVAL;
        return -1;
    }
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0)
        (void)::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    why->clear();
    return fd;
}

bool OpenRegularFile(QFile* file, const QString& path, QString* why) {
    const int fd = OpenRegularFile(path, why);
    if (fd < 0)
        return false;
    if (!file->open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        *why = QStringLiteral("%1 cannot be read").arg(path);
        return false;
    }
    return true;
}

bool MayWriteFileAt(const QString& path, QString* why) {
    struct stat st {};
    why->clear();
    if (::stat(QFile::encodeName(path).constData(), &st) != 0) {
        if (errno == ENOENT)
            return true;
        *why = QStringLiteral("%1 cannot be written: %2")
                   .arg(path, QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    if (S_ISREG(st.st_mode))
        return true;
    *why = NotRegularFileText(path, st.st_mode);
    return false;
}

} // namespace platform
