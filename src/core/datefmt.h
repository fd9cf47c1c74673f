#pragma once
// Dates and times in the user's format, with the program's own month and weekday names.
#include <QString>

// The time pattern of every long prayer-time display, refreshed with the system font.
extern QString gTimeFormat;

// The user locale's time pattern as a pattern for the time formatter.
QString GetTimeFormatPattern();
