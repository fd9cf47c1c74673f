#pragma once
// Screening of the keys typed into a box holding a signed decimal number with fixed counts of
// integer positions (the sign counts as one) and decimals, such as a latitude.
#include <QChar>
#include <QObject>
#include <cstdint>
#include <functional>

class QLineEdit;

// The first character of the user's decimal separator; "." when the locale gives none.
QChar DecimalSeparatorChar();
// The locale's own decimal separator where it differs from DecimalSeparatorChar (the "٫" of a
// locale that writes digits of its own); a null QChar otherwise. Typed, it stands for the
// separator the boxes show.
QChar OwnDecimalSeparatorChar();

// Called with each typed character before it reaches the box. Sets KeyAscii to 0 (and beeps)
// to reject it; completes the text with the locale's decimal separator when the integer part
// is full; keeps the box's maximum length in step with the digit counts, never below the
// length of the text already there (the limit stops typing, it never cuts).
void FilterNumericKeyPress(QLineEdit* txt, std::int16_t& KeyAscii, std::int16_t iIntDigits,
                           std::int16_t iDecDigits);

// Sends every character typed into the box through the handler first (a KeyPress handler of
// the box's form), and a pasted text character by character the same way, so a paste can
// never bring in what typing could not. A key the handler sets to 0 is dropped. Dropping
// text onto the box is switched off. Owned by the box.
class NumericKeyHook : public QObject {
public:
    using KeyPressHandler = std::function<void(std::int16_t& KeyAscii)>;
    NumericKeyHook(QLineEdit* txt, KeyPressHandler onKey);

    // Types the text into the box as keys, at the insertion point.
    void Paste(const QString& text);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool type(QChar ch);

    QLineEdit* txt_;
    KeyPressHandler onKey_;
};
