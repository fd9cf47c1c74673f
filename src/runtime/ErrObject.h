#pragma once
// The runtime's current error: set by a failing statement, read and cleared by the handlers.
#include <QString>

class ErrObject {
public:
    long Number = 0;
    QString Description;
    void Raise(long number, const QString& description = QString());
    void Clear();
};
extern ErrObject Err;

// Run-time error numbers the program meets.
constexpr long vbErrOverflow = 6;
constexpr long vbErrTypeMismatch = 13;
constexpr long vbErrFileNotFound = 53;
constexpr long vbErrPathNotFound = 76;
constexpr long vbErrModalShown = 401;
