#include "cMutex.h"

#include "platform/mutex.h"

HANDLE cMutex::CreateMutex(const QString& name, bool initialOwner) {
    return CreateMutexA(nullptr, initialOwner ? 1 : 0, name);
}

bool cMutex::MutexExists(const QString& name) {
    HANDLE h = OpenMutexA(MUTEX_ALL_ACCESS, 0, name);
    if (h == 0)
        return false;
    ReleaseAndCloseMutex(h);
    return true;
}

void cMutex::ReleaseMutex(HANDLE handle) {
    ::ReleaseMutex(handle);
}

void cMutex::ReleaseAndCloseMutex(HANDLE& handle) {
    if (handle == 0)
        return;
    ReleaseMutex(handle);
    CloseMutex(handle);
}

void cMutex::CloseMutex(HANDLE& handle) {
    CloseHandle(handle);
    handle = 0;
}
