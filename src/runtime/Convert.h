#pragma once
// Conversions of text to numbers as the runtime does them: decimal numbers in the user's
// locale (QLocale()), blanks around them allowed, fractions rounded to the nearest integer with
// halves going to the even neighbour, and a failure when the text is no number or the value
// does not fit. Failures set Err (13 type mismatch, 6 overflow) and return nullopt.
#include <QString>
#include <cstdint>
#include <optional>

std::optional<double> CDbl(const QString& text);
std::optional<std::int16_t> CInt(const QString& text);
std::optional<std::int32_t> CLng(const QString& text);

// Rounds to the nearest integer, halves to the even neighbour.
double RoundHalfEven(double value);

// Number formatting with a pattern of 0s, #s and one "." ("0.0000"), in the user's locale.
QString Format(double value, const QString& pattern);

// The text of a number in the user's locale, as converting it to text gives (no grouping,
// up to 15 significant digits).
QString Str(double value);
