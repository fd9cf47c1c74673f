#include "numfilter.h"

#include "mAPI.h"
#include "platform/locale.h"
#include "platform/sound.h"
#include "runtime/Convert.h"

#include <QLineEdit>

namespace {

void reject(std::int16_t& KeyAscii) {
    KeyAscii = 0;
    MessageBeep(0);
}

// The first character of the user's decimal separator; "." when the locale gives none.
QChar decimalSeparator() {
    const QString sep = GetUserLocaleInfo(LOCALE_SDECIMAL).trimmed();
    return sep.isEmpty() ? QChar(u'.') : sep.front();
}

// The box's text stays, and so do its insertion point and selection.
void setMaxLength(QLineEdit* txt, int maxLength) {
    if (txt->maxLength() == maxLength)
        return;
    const int start = txt->selectionStart();
    const int length = static_cast<int>(txt->selectedText().size());
    const bool cursorAtStart = start >= 0 && txt->cursorPosition() == start;
    const int cursor = txt->cursorPosition();
    txt->setMaxLength(maxLength);
    if (start < 0 || length == 0)
        txt->setCursorPosition(cursor);
    else if (cursorAtStart)
        txt->setSelection(start + length, -length);
    else
        txt->setSelection(start, length);
}

} // namespace

void FilterNumericKeyPress(QLineEdit* txt, std::int16_t& KeyAscii, std::int16_t iIntDigits,
                           std::int16_t iDecDigits) {
    if (!txt) {
        reject(KeyAscii);
        return;
    }
    const QChar sep = decimalSeparator();
    const QChar key(static_cast<char16_t>(static_cast<std::uint16_t>(KeyAscii)));
    const QString text = txt->text();
    const auto n = text.size();
    const auto sl = txt->selectedText().size();

    if (key == u'-' && n - sl > 0) {
        reject(KeyAscii);
        return;
    }
    if (key.unicode() < 32)
        return;

    int maxLength = iIntDigits + iDecDigits + (iDecDigits > 0 ? 1 : 0);
    if (iIntDigits > 3)
        maxLength += static_cast<int>(RoundHalfEven(iIntDigits / 3.0));
    // A box without a limit takes any length (a maximum length of 0 would take none).
    setMaxLength(txt, maxLength > 0 ? maxLength : 32767);

    if (key == sep && iDecDigits == 0) {
        reject(KeyAscii);
        return;
    }
    const auto p = text.indexOf(sep) + 1;
    if (p > 0) {
        if (key == sep && sl == 0) {
            reject(KeyAscii);
            return;
        }
        // The decimals are full, wherever the insertion point is.
        if (n + 1 > p + iDecDigits && sl == 0) {
            reject(KeyAscii);
            return;
        }
    } else if (key != sep && n == iIntDigits && iDecDigits > 0 && sl == 0) {
        // The integer part is full: the separator goes in first, the character after it. With
        // text selected the character replaces the selection instead.
        txt->setText(text + sep);
        txt->setCursorPosition(static_cast<int>(txt->text().size()));
    } else if (key != sep && n + 1 > iIntDigits && sl == 0) {
        reject(KeyAscii);
        return;
    }
    if (key == sep || (key >= u'0' && key <= u'9') || key == u'-')
        return;
    reject(KeyAscii);
}
