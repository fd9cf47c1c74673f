#include "Convert.h"

#include "ErrObject.h"

#include <QLocale>
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

std::optional<double> CDbl(const QString& text) {
    const QString t = text.trimmed();
    bool ok = false;
    double v = t.isEmpty() ? 0.0 : QLocale().toDouble(t, &ok);
    if (!ok) {
        // The C form is accepted too when the locale's own does not read it ("1e3").
        v = t.isEmpty() ? 0.0 : QLocale::c().toDouble(t, &ok);
        if (ok && QLocale().decimalPoint() != QLatin1String(".") && t.contains(u'.'))
            ok = false;
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

QString Format(double value, const QString& pattern) {
    const int dot = pattern.indexOf(u'.');
    const int decimals = dot < 0 ? 0 : static_cast<int>(pattern.size() - dot - 1);
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    return locale.toString(value, 'f', decimals);
}

QString Str(double value) {
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    return locale.toString(value, 'g', 15);
}
