#include "mutex.h"

#include "paths.h"

#include <QCryptographicHash>
#include <QFile>
#include <QHash>
#include <cerrno>
#include <fcntl.h>
#include <mutex>
#include <unistd.h>

namespace {

thread_local DWORD tLastError = 0;

struct MutexHandle {
    int fd = -1;
    bool locked = false; // this handle holds the lock: the mutex lives through it
    bool owned = false;  // ownership in the Windows sense, given up by ReleaseMutex
};

std::mutex gTableMutex;
QHash<HANDLE, MutexHandle> gHandles;
HANDLE gNextHandle = 0x40;

QString lockPath(const QString& name) {
    // Object names may hold any character; the file name must not.
    QString safe;
    for (QChar c : name)
        safe += (c.isLetterOrNumber() || c == u'-' || c == u'_') ? c : u'_';
    if (safe.size() > 200 || safe != name)
        safe = safe.left(64) + u'-' +
               QString::fromLatin1(
                   QCryptographicHash::hash(name.toUtf8(), QCryptographicHash::Sha1).toHex());
    return platform::RuntimeDir() + QStringLiteral("/mutex-") + safe + QStringLiteral(".lock");
}

struct flock wholeFile(short type) {
    struct flock fl {};
    fl.l_type = type;
    fl.l_whence = SEEK_SET;
    fl.l_start = 0;
    fl.l_len = 0;
    return fl;
}

HANDLE addHandle(const MutexHandle& h) {
    std::lock_guard<std::mutex> g(gTableMutex);
    const HANDLE id = gNextHandle++;
    gHandles.insert(id, h);
    return id;
}

} // namespace

DWORD GetLastError() {
    return tLastError;
}
void SetLastError(DWORD dwErrCode) {
    tLastError = dwErrCode;
}

HANDLE CreateMutexA(SECURITY_ATTRIBUTES*, BOOL bInitialOwner, const QString& lpName) {
    const int fd =
        ::open(QFile::encodeName(lockPath(lpName)).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) {
        SetLastError(ERROR_ACCESS_DENIED);
        return 0;
    }
    struct flock fl = wholeFile(F_WRLCK);
    if (::fcntl(fd, F_OFD_SETLK, &fl) == 0) {
        // The owner's process number, for another start that waits on it (without it, that
        // start has no owner to watch). The lock is ours, so no one else writes here; a
        // reader checks that the lock is held.
        const QByteArray pid = QByteArray::number(qint64(::getpid())) + '\n';
        const bool told = ::ftruncate(fd, 0) == 0 &&
                          ::pwrite(fd, pid.constData(), size_t(pid.size()), 0) == pid.size();
        Q_UNUSED(told);
        SetLastError(ERROR_SUCCESS);
        return addHandle(MutexHandle{fd, true, bInitialOwner != 0});
    }
    if (errno == EAGAIN || errno == EACCES) {
        // Someone else's mutex: a handle to it, without ownership.
        SetLastError(ERROR_ALREADY_EXISTS);
        return addHandle(MutexHandle{fd, false, false});
    }
    ::close(fd);
    SetLastError(ERROR_ACCESS_DENIED);
    return 0;
}

HANDLE OpenMutexA(DWORD, BOOL, const QString& lpName) {
    const int fd = ::open(QFile::encodeName(lockPath(lpName)).constData(), O_RDWR | O_CLOEXEC);
    if (fd < 0) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return 0;
    }
    // Ask whether a lock is held, without taking it.
    struct flock fl = wholeFile(F_WRLCK);
    if (::fcntl(fd, F_OFD_GETLK, &fl) != 0 || fl.l_type == F_UNLCK) {
        ::close(fd);
        SetLastError(ERROR_FILE_NOT_FOUND);
        return 0;
    }
    SetLastError(ERROR_SUCCESS);
    return addHandle(MutexHandle{fd, false, false});
}

BOOL ReleaseMutex(HANDLE hMutex) {
    std::lock_guard<std::mutex> g(gTableMutex);
    auto it = gHandles.find(hMutex);
    if (it == gHandles.end() || !it->owned) {
        SetLastError(it == gHandles.end() ? ERROR_INVALID_HANDLE : 288 /* not owner */);
        return 0;
    }
    it->owned = false;
    return 1;
}

BOOL CloseHandle(HANDLE hObject) {
    MutexHandle h;
    {
        std::lock_guard<std::mutex> g(gTableMutex);
        auto it = gHandles.find(hObject);
        if (it == gHandles.end()) {
            SetLastError(ERROR_INVALID_HANDLE);
            return 0;
        }
        h = *it;
        gHandles.erase(it);
    }
    ::close(h.fd); // closing the description drops its lock
    return 1;
}

namespace platform {

long long MutexHolderProcess(const QString& name) {
    const int fd = ::open(QFile::encodeName(lockPath(name)).constData(),
                          O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return 0;
    struct flock fl = wholeFile(F_WRLCK);
    char buffer[32] = {};
    const bool held = ::fcntl(fd, F_OFD_GETLK, &fl) == 0 && fl.l_type != F_UNLCK;
    const ssize_t n = held ? ::pread(fd, buffer, sizeof buffer - 1, 0) : 0;
    ::close(fd);
    bool ok = false;
    const long long pid = n > 0 ? QByteArray(buffer, n).trimmed().toLongLong(&ok) : 0;
    return ok && pid > 0 ? pid : 0;
}

} // namespace platform
