#include "numfilter.h"

#include "mAPI.h"
#include "platform/locale.h"
#include "platform/sound.h"
#include "runtime/Convert.h"

#include <QClipboard>
#include <QEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QLocale>
#include <QMouseEvent>
#include <algorithm>

namespace {

void reject(std::int16_t& KeyAscii) {
    KeyAscii = 0;
    MessageBeep(0);
}

// The limit stops typing only: a text already longer than the limit (a stored value, or one
// put in by code) is never cut, and the insertion point and selection stay.
void setMaxLength(QLineEdit* txt, int maxLength) {
    maxLength = std::max(maxLength, static_cast<int>(txt->text().size()));
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

QChar DecimalSeparatorChar() {
    const QString sep = GetUserLocaleInfo(LOCALE_SDECIMAL).trimmed();
    return sep.isEmpty() ? QChar(u'.') : sep.front();
}

QChar OwnDecimalSeparatorChar() {
    const QString own = QLocale().decimalPoint();
    return own.size() == 1 && own.front() != DecimalSeparatorChar() ? own.front() : QChar();
}

void FilterNumericKeyPress(QLineEdit* txt, std::int16_t& KeyAscii, std::int16_t iIntDigits,
                           std::int16_t iDecDigits) {
    if (!txt) {
        reject(KeyAscii);
        return;
    }
    const QChar sep = DecimalSeparatorChar();
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

NumericKeyHook::NumericKeyHook(QLineEdit* txt, KeyPressHandler onKey)
    : QObject(txt), txt_(txt), onKey_(std::move(onKey)) {
    txt->installEventFilter(this);
    txt->setAcceptDrops(false);
}

bool NumericKeyHook::type(QChar ch) {
    auto key = static_cast<std::int16_t>(ch.unicode());
    onKey_(key);
    if (key == 0)
        return false;
    if (key >= 32)
        txt_->insert(QString(QChar(static_cast<char16_t>(key))));
    return true;
}

void NumericKeyHook::Paste(const QString& text) {
    for (const QChar ch : text) {
        // Line breaks and other control characters of a pasted text are no keys.
        if (ch.unicode() >= 32)
            type(ch);
    }
}

bool NumericKeyHook::eventFilter(QObject* watched, QEvent* event) {
    if (watched != txt_)
        return false;
    switch (event->type()) {
    case QEvent::KeyPress: {
        auto* ke = static_cast<QKeyEvent*>(event);
        if (ke->matches(QKeySequence::Paste)) {
            Paste(QGuiApplication::clipboard()->text());
            return true;
        }
        const QString text = ke->text();
        if (text.size() != 1 || text.front().unicode() < 32 || text.front().unicode() == 127)
            return false; // editing and movement keys go to the box
        type(text.front());
        return true;
    }
    case QEvent::MouseButtonRelease: {
        auto* me = static_cast<QMouseEvent*>(event);
        if (me->button() == Qt::MiddleButton) {
            Paste(QGuiApplication::clipboard()->text(QClipboard::Selection));
            return true;
        }
        return false;
    }
    default:
        return false;
    }
}
