// The key filter of the latitude and longitude boxes.
#include "core/numfilter.h"
#include "fakes/fake_locale.h"
#include "fakes/fake_sound.h"
#include "platform/locale.h"

#include <QLineEdit>
#include <gtest/gtest.h>

namespace {

// A locale that knows only its decimal separator.
class SeparatorLocale : public FakeLocale {
public:
    explicit SeparatorLocale(const QString& sep) {
        texts.clear();
        texts[LOCALE_SDECIMAL] = sep;
    }
};

struct Key {
    QString text; // before the key
    int selStart; // -1: insertion point at the end, nothing selected
    int selLength;
    char16_t key;
    int intDigits;
    int decDigits;
    bool accepted;
    QString after; // the text once the accepted key went in
};

// Types the key as the box would: the filter first, then the character at the insertion point.
QString typeKey(QLineEdit& box, const Key& k, bool* accepted) {
    box.setMaxLength(32767);
    box.setText(k.text);
    if (k.selStart >= 0)
        box.setSelection(k.selStart, k.selLength);
    else
        box.setCursorPosition(static_cast<int>(k.text.size()));
    auto key = static_cast<std::int16_t>(k.key);
    FilterNumericKeyPress(&box, key, static_cast<std::int16_t>(k.intDigits),
                          static_cast<std::int16_t>(k.decDigits));
    *accepted = key != 0;
    if (key != 0 && k.key >= 32)
        box.insert(QString(QChar(k.key)));
    return box.text();
}

TEST(FilterNumericKeyPress, KeysAndTexts) {
    SeparatorLocale locale(QStringLiteral("."));
    const Key cases[] = {
        // An empty box takes the sign and digits.
        {"", -1, 0, u'-', 2, 4, true, "-"},
        {"", -1, 0, u'7', 2, 4, true, "7"},
        // The sign only into an empty or wholly selected box.
        {"2", -1, 0, u'-', 2, 4, false, "2"},
        {"21", 0, 1, u'-', 2, 4, false, "21"},
        {"21", 0, 2, u'-', 2, 4, true, "-"},
        // A full integer part gets the separator, then the key after it.
        {"21", -1, 0, u'4', 2, 4, true, "21.4"},
        {"21", 0, 0, u'4', 2, 4, true, "21.4"},
        {"21", -1, 0, u'x', 2, 4, false, "21."},
        {"-1", -1, 0, u'5', 2, 4, true, "-1.5"},
        // Typed over a selection, the key replaces it: no separator is put in.
        {"21", 0, 2, u'3', 2, 4, true, "3"},
        // The integer part is full of a longer text only when nothing is selected.
        {"215", -1, 0, u'1', 2, 4, false, "215"},
        // Full decimals take nothing more, wherever the insertion point is.
        {"21.4567", -1, 0, u'1', 2, 4, false, "21.4567"},
        {"21.4567", 0, 0, u'1', 2, 4, false, "21.4567"},
        {"21.4567", 3, 1, u'9', 2, 4, true, "21.9567"},
        {"21.45", -1, 0, u'6', 2, 4, true, "21.456"},
        // One separator only, unless text is selected.
        {"21.45", -1, 0, u'.', 2, 4, false, "21.45"},
        {"21.45", 2, 3, u'.', 2, 4, true, "21."},
        {"2", -1, 0, u'.', 2, 4, true, "2."},
        // No decimals: no separator.
        {"12", -1, 0, u'.', 3, 0, false, "12"},
        {"12", -1, 0, u'3', 3, 0, true, "123"},
        {"123", -1, 0, u'4', 3, 0, false, "123"},
        // Other printable keys are refused; control keys always pass.
        {"1", -1, 0, u'a', 2, 4, false, "1"},
        {"1", -1, 0, u' ', 2, 4, false, "1"},
        {"21.4567", -1, 0, 8, 2, 4, true, "21.4567"},
        {"21", -1, 0, 13, 2, 4, true, "21"},
    };
    QLineEdit box;
    for (const Key& k : cases) {
        FakeSound sound;
        bool accepted = false;
        const QString after = typeKey(box, k, &accepted);
        const std::string what = k.text.toStdString() + " + " + char(k.key);
        EXPECT_EQ(accepted, k.accepted) << what;
        EXPECT_EQ(after, k.after) << what;
        EXPECT_EQ(sound.beeps(), k.accepted ? 0 : 1) << what;
    }
}

TEST(FilterNumericKeyPress, MaximumLength) {
    SeparatorLocale locale(QStringLiteral("."));
    struct Case {
        int intDigits, decDigits, maxLength;
    };
    const Case cases[] = {{2, 4, 7}, {3, 4, 8}, {4, 4, 10},   {3, 0, 3},
                          {4, 0, 5}, {7, 0, 9}, {0, 0, 32767}};
    QLineEdit box;
    for (const Case& c : cases) {
        box.setMaxLength(1000);
        std::int16_t key = u'1';
        FilterNumericKeyPress(&box, key, static_cast<std::int16_t>(c.intDigits),
                              static_cast<std::int16_t>(c.decDigits));
        EXPECT_EQ(box.maxLength(), c.maxLength) << c.intDigits << "/" << c.decDigits;
    }
    // Backspace leaves the maximum length as it is.
    box.setMaxLength(1000);
    std::int16_t backspace = 8;
    FilterNumericKeyPress(&box, backspace, 2, 4);
    EXPECT_EQ(box.maxLength(), 1000);
    EXPECT_EQ(backspace, 8);
}

// The limit stops typing; it never cuts a text that is already longer.
TEST(FilterNumericKeyPress, NeverCutsTextAlreadyThere) {
    SeparatorLocale locale(QStringLiteral("."));
    QLineEdit box;
    for (const QString& text : {QStringLiteral("521.4233"), QStringLiteral("12345678901")}) {
        FakeSound sound;
        box.setMaxLength(32767);
        box.setText(text);
        box.setCursorPosition(2);
        std::int16_t key = u'1';
        FilterNumericKeyPress(&box, key, 2, 4);
        EXPECT_EQ(box.text(), text);
        EXPECT_EQ(key, 0) << "the box is full";
        EXPECT_EQ(box.cursorPosition(), 2);
        // Nothing more can be typed in, but deleting works as usual.
        box.insert(QStringLiteral("9"));
        EXPECT_EQ(box.text(), text);
        box.backspace();
        EXPECT_EQ(box.text().size(), text.size() - 1);
    }
}

// A paste goes through the box's key handler character by character, as typing would.
TEST(NumericKeyHook, PasteIsTypedKeyByKey) {
    SeparatorLocale locale(QStringLiteral("."));
    struct Case {
        QString before, pasted, after;
    };
    const Case cases[] = {
        {"", "12345678901", "12.3456"}, // the integer part fills, then the decimals
        {"", "-33.75", "-33.75"},       // the sign widens the integer part, as for a latitude
        {"", "2a1,5\n", "21.5"},        // letters and line breaks are dropped
        {"21.4", "99999", "21.4999"},
    };
    for (const Case& c : cases) {
        FakeSound sound;
        QLineEdit box;
        box.setText(c.before);
        int keys = 0;
        auto* hook = new NumericKeyHook(&box, [&](std::int16_t& k) {
            ++keys;
            FilterNumericKeyPress(&box, k, box.text().contains(u'-') ? 3 : 2, 4);
        });
        hook->Paste(c.pasted);
        EXPECT_EQ(box.text(), c.after) << c.pasted.toStdString();
        EXPECT_GT(keys, 0);
    }
}

TEST(FilterNumericKeyPress, TheLocalesSeparator) {
    SeparatorLocale locale(QStringLiteral(" ,"));
    QLineEdit box;
    const Key cases[] = {
        {"21", -1, 0, u'5', 2, 4, true, "21,5"},
        {"2", -1, 0, u',', 2, 4, true, "2,"},
        {"2", -1, 0, u'.', 2, 4, false, "2"}, // the point is no separator here
        {"2,5", -1, 0, u',', 2, 4, false, "2,5"},
    };
    for (const Key& k : cases) {
        FakeSound sound;
        bool accepted = false;
        EXPECT_EQ(typeKey(box, k, &accepted), k.after);
        EXPECT_EQ(accepted, k.accepted);
    }
}

} // namespace
