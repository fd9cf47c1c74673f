#pragma once
// Named mutexes between the user's processes of this program.
//
// A mutex is a lock file in RuntimeDir(); the process whose handle holds the file's
// open-file-description lock owns the mutex, and the mutex exists while that handle is open
// (the kernel drops the lock when the process ends, however it ends). CreateMutexA takes the
// lock or learns in the same step that another process holds it (ERROR_ALREADY_EXISTS), so two
// starts at the same moment can never both become the owner.
#include "registry.h" // SECURITY_ATTRIBUTES
#include "wintypes.h"

#include <QString>

constexpr DWORD MUTEX_ALL_ACCESS = 0x1F0001;
constexpr DWORD SYNCHRONIZE = 0x00100000;

HANDLE CreateMutexA(SECURITY_ATTRIBUTES* lpMutexAttributes, BOOL bInitialOwner,
                    const QString& lpName);
HANDLE OpenMutexA(DWORD dwDesiredAccess, BOOL bInheritHandle, const QString& lpName);
BOOL ReleaseMutex(HANDLE hMutex);
BOOL CloseHandle(HANDLE hObject);

// The last error of the calling thread, as the calls above leave it.
DWORD GetLastError();
void SetLastError(DWORD dwErrCode);

namespace platform {

// The process that holds the named mutex, as its owner wrote it into the lock file when it took
// it; 0 when no one holds it or the owner is not known.
long long MutexHolderProcess(const QString& name);

} // namespace platform
