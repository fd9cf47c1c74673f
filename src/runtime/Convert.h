#pragma once
// Conversions of text to numbers as the runtime does them: decimal numbers with the decimal
// separator the program writes between Latin digits in the user's locale (QLocale()) and, in
// threes before it, the matching grouping, or with the locale's own marks (a locale with
// digits of its own: "١٢٫٥"); Latin or the locale's own digits, direction marks ignored, blanks
// around them allowed, fractions rounded to the nearest integer with halves going to the even
// neighbour, and a failure when the text is no number or the value does not fit. Failures set Err
// (13 type mismatch, 6 overflow) and return nullopt.
#include <QString>
#include <cstdint>
#include <optional>

std::optional<double> CDbl(const QString& text);
std::optional<std::int16_t> CInt(const QString& text);
std::optional<std::int32_t> CLng(const QString& text);

// Rounds to the nearest integer, halves to the even neighbour.
double RoundHalfEven(double value);

// Number formatting with a pattern of 0s, #s and one "." ("0.0000"): Latin digits with the
// decimal separator that goes with them in the user's locale (its own, or "." where the
// locale writes digits of its own: no "٫" between Latin digits), "-" and no direction marks,
// whatever the locale writes natively. CDbl reads it back in the same locale.
QString Format(double value, const QString& pattern);

// The text of a number as converting it to text gives (no grouping, up to 15 significant
// digits), in the form Format uses.
QString Str(double value);

// The text with Latin digits for the locale's own, "-" for every minus sign and no direction
// marks: the form the functions above write.
QString PlainNumberText(const QString& text);
