// The latitude and longitude boxes: typing screened key by key, a usable entry shown with four
// decimals when the focus leaves, and the range check before anything is saved.
#include "frmPrayerSettings.h"

#include "core/mAPI.h"
#include "core/numfilter.h"
#include "core/settings.h"
#include "platform/sound.h"
#include "runtime/Convert.h"
#include "runtime/ErrObject.h"
#include "runtime/Interaction.h"
#include "runtime/ResStrings.h"

#include <QLineEdit>
#include <QTabWidget>

namespace {

// The key filter takes "-" as the sign, whatever the locale writes.
QChar negativeSign() {
    return u'-';
}

// The value of a coordinate text, or nothing for a text that is no number.
std::optional<double> coordinateValue(const QString& text) {
    const QString t = text.trimmed();
    if (t.isEmpty() || t == DecimalSeparatorChar() || t == negativeSign() ||
        t == QStringLiteral("-."))
        return std::nullopt;
    const auto v = CDbl(t);
    Err.Clear();
    if (!v || !std::isfinite(*v))
        return std::nullopt;
    return v;
}

} // namespace

void frmPrayerSettings::setCoordinateText(QLineEdit* txt, double value) {
    txt->setText(Format(value, QStringLiteral("0.0000")));
}

void frmPrayerSettings::keyPress(QLineEdit* txt, std::int16_t& KeyAscii, int intDigits) {
    if (const QChar own = OwnDecimalSeparatorChar(); !own.isNull() && KeyAscii == own.unicode())
        KeyAscii = static_cast<std::int16_t>(DecimalSeparatorChar().unicode());
    const QChar key(static_cast<char16_t>(static_cast<std::uint16_t>(KeyAscii)));
    const bool allowed = KeyAscii == 8 || key == u'-' || key == DecimalSeparatorChar() ||
                         (key >= u'0' && key <= u'9');
    if (!allowed) {
        KeyAscii = 0;
        MessageBeep(0);
        return;
    }
    const bool negative = txt->text().contains(negativeSign());
    FilterNumericKeyPress(txt, KeyAscii,
                          static_cast<std::int16_t>(negative ? intDigits + 1 : intDigits), 4);
}

void frmPrayerSettings::txtLatitude_KeyPress(std::int16_t& KeyAscii) {
    keyPress(txtLatitude, KeyAscii, 2);
}

void frmPrayerSettings::txtLongitude_KeyPress(std::int16_t& KeyAscii) {
    keyPress(txtLongitude, KeyAscii, 3);
}

// On leaving a box: a coordinate is shown with four decimals; a text that is no number gives
// back the stored value. A number out of range stays as typed, so that OK can say what is
// wrong with it instead of swapping it silently for another place's.
void frmPrayerSettings::validate(QLineEdit* txt, double limit, double saved) {
    const auto v = coordinateValue(txt->text());
    if (!v)
        setCoordinateText(txt, saved);
    else if (*v <= limit && *v >= -limit)
        setCoordinateText(txt, *v);
}

void frmPrayerSettings::txtLatitude_Validate() {
    validate(txtLatitude, 90, gLatitude);
}

void frmPrayerSettings::txtLongitude_Validate() {
    validate(txtLongitude, 180, gLongitude);
}

bool frmPrayerSettings::CoordinatesAcceptable() {
    struct Box {
        QLineEdit* txt;
        double limit;
        int message;
    };
    for (const Box& b : {Box{txtLatitude, 90, 601}, Box{txtLongitude, 180, 602}}) {
        // An empty box keeps the stored value; anything else must be a coordinate in range.
        if (b.txt->text().trimmed().isEmpty())
            continue;
        const auto v = coordinateValue(b.txt->text());
        if (v && *v <= b.limit && *v >= -b.limit)
            continue;
        MsgBox(LoadResString(b.message), vbOKOnly | vbExclamation);
        tabMain->setCurrentIndex(0);
        b.txt->setFocus();
        b.txt->selectAll();
        return false;
    }
    return true;
}
