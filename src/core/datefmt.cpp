#include "datefmt.h"

QString gTimeFormat;

QString GetTimeFormatPattern() {
    return QStringLiteral("h:mm:ss AM/PM");
}
