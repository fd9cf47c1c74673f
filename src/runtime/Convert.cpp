#include "Convert.h"

#include "ErrObject.h"
#include "platform/locale.h"

#include <QLocale>
#include <QRegularExpression>
#include <cfenv>
#include <cmath>
#include <limits>

double RoundHalfEven(double value) {
    const int saved = std::fegetround();
    std::fesetround(FE_TONEAREST);
    const double r = std::nearbyint(value);
    std::fesetround(saved);
    return r;
}

namespace {

bool isDirectionMark(QChar c) {
    const char16_t u = c.unicode();
    return u == 0x200E || u == 0x200F || u == 0x061C || (u >= 0x202A && u <= 0x202E) ||
           (u >= 0x2066 && u <= 0x2069);
}

} // namespace

QString PlainNumberText(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        if (isDirectionMark(c))
            continue;
        if (c.unicode() == 0x2212) // the mathematical minus some locales use
            out += u'-';
        else if (c.isDigit() && c.digitValue() >= 0 && c.digitValue() <= 9)
            out += QChar(u'0' + c.digitValue());
        else
            out += c;
    }
    return out;
}

namespace {

QString plainNumberText(const QString& text) {
    return PlainNumberText(text);
}

// The separators the program writes between Latin digits in the user's locale.
QString decimalSeparator() {
    return platform::LatinDecimalSeparator(QLocale());
}

// The separators a text to be read uses: those of Latin digits, or the locale's own marks (a
// locale with digits of its own: "١٢٫٥"), as plain text.
struct Separators {
    QString decimal, group;
};
Separators separatorsOf(const QString& plain) {
    const QLocale locale;
    const QString ownDecimal = plainNumberText(locale.decimalPoint());
    const QString ownGroup = plainNumberText(locale.groupSeparator());
    const Separators latin{decimalSeparator(),
                           plainNumberText(platform::LatinGroupSeparator(locale))};
    if (ownDecimal.isEmpty() || ownDecimal == latin.decimal)
        return latin;
    const bool own =
        plain.contains(ownDecimal) || (!ownGroup.isEmpty() && ownGroup != latin.decimal &&
                                       ownGroup != latin.group && plain.contains(ownGroup));
    return own ? Separators{ownDecimal, ownGroup} : latin;
}

} // namespace

std::optional<double> CDbl(const QString& text) {
    QString t = plainNumberText(text).trimmed();
    const Separators marks = separatorsOf(t);
    const QString& decimal = marks.decimal;
    const QString& group = marks.group;
    bool ok = false;
    double v = 0.0;
    if (!t.isEmpty()) {
        // Grouping is allowed where the locale puts it, in threes before the separator.
        if (!group.isEmpty() && group != decimal && t.contains(group)) {
            const QRegularExpression grouped(
                QStringLiteral("^[+-]?\\d{1,3}(%1\\d{3})+(%2\\d*)?([eE][+-]?\\d+)?$")
                    .arg(QRegularExpression::escape(group), QRegularExpression::escape(decimal)));
            if (grouped.match(t).hasMatch())
                t.remove(group);
        }
        if (decimal != QLatin1String(".")) {
            // A point is no decimal separator here.
            if (!t.contains(u'.'))
                t.replace(decimal, QStringLiteral("."));
            else
                t = QStringLiteral("x");
        }
        QLocale c = QLocale::c();
        c.setNumberOptions(QLocale::RejectGroupSeparator);
        v = c.toDouble(t, &ok);
    }
    if (!ok || !std::isfinite(v)) {
        Err.Raise(vbErrTypeMismatch);
        return std::nullopt;
    }
    return v;
}

namespace {
template <typename T> std::optional<T> toInteger(const QString& text) {
    const auto d = CDbl(text);
    if (!d)
        return std::nullopt;
    const double r = RoundHalfEven(*d);
    if (r < static_cast<double>(std::numeric_limits<T>::min()) ||
        r > static_cast<double>(std::numeric_limits<T>::max())) {
        Err.Raise(vbErrOverflow);
        return std::nullopt;
    }
    return static_cast<T>(r);
}
} // namespace

std::optional<std::int16_t> CInt(const QString& text) {
    return toInteger<std::int16_t>(text);
}
std::optional<std::int32_t> CLng(const QString& text) {
    return toInteger<std::int32_t>(text);
}

namespace {
// The C form of a number with the user's decimal separator: Latin digits, "-", no marks.
QString withLocaleSeparator(const QString& cText) {
    QString out = cText;
    const QString decimal = decimalSeparator();
    if (decimal != QLatin1String("."))
        out.replace(u'.', decimal);
    return out;
}
} // namespace

QString Format(double value, const QString& pattern) {
    const int dot = pattern.indexOf(u'.');
    const int decimals = dot < 0 ? 0 : static_cast<int>(pattern.size() - dot - 1);
    QLocale c = QLocale::c();
    c.setNumberOptions(QLocale::OmitGroupSeparator);
    return withLocaleSeparator(c.toString(value, 'f', decimals));
}

QString Str(double value) {
    QLocale c = QLocale::c();
    c.setNumberOptions(QLocale::OmitGroupSeparator);
    return withLocaleSeparator(c.toString(value, 'g', 15));
}
