#include "ErrObject.h"

ErrObject Err;

namespace {
QString describe(long number) {
    switch (number) {
    case vbErrOverflow:
        return QStringLiteral("Overflow");
    case vbErrTypeMismatch:
        return QStringLiteral("Type mismatch");
    case vbErrFileNotFound:
        return QStringLiteral("File not found");
    case vbErrPathNotFound:
        return QStringLiteral("Path not found");
    case vbErrModalShown:
        return QStringLiteral("Can't show non-modal form when modal form is displayed");
    default:
        return QStringLiteral("Application-defined or object-defined error");
    }
}
} // namespace

void ErrObject::Raise(long number, const QString& description) {
    Number = number;
    Description = description.isEmpty() ? describe(number) : description;
}

void ErrObject::Clear() {
    Number = 0;
    Description.clear();
}
