#pragma once
// A named kernel mutex. No operation reports an error to its caller.
#include "platform/wintypes.h"

#include <QString>

class cMutex {
public:
    // True stored as -1 is passed as 1. Returns the handle, 0 on failure. GetLastError() tells
    // ERROR_ALREADY_EXISTS when another process holds the mutex.
    HANDLE CreateMutex(const QString& name, bool initialOwner);
    bool MutexExists(const QString& name);
    void ReleaseMutex(HANDLE handle);
    void ReleaseAndCloseMutex(HANDLE& handle);
    void CloseMutex(HANDLE& handle);
};
