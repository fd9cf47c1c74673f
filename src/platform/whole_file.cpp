#include "whole_file.h"
#include "filesync.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <unistd.h>

namespace platform {

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

} // namespace platform
