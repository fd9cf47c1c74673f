#pragma once
// Screening of the keys typed into a box holding a signed decimal number with fixed counts of
// integer positions (the sign counts as one) and decimals, such as a latitude.
#include <cstdint>

class QLineEdit;

// Called with each typed character before it reaches the box. Sets KeyAscii to 0 (and beeps)
// to reject it; completes the text with the locale's decimal separator when the integer part
// is full; keeps the box's maximum length in step with the digit counts.
void FilterNumericKeyPress(QLineEdit* txt, std::int16_t& KeyAscii, std::int16_t iIntDigits,
                           std::int16_t iDecDigits);
