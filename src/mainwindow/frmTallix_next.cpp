// Which prayer comes next, and the distance between two times of day. Everything here reads
// the times back from the six time labels, in whole seconds.
#include "frmTallix.h"

#include "runtime/Clock.h"

#include <QLabel>
#include <QLocale>
#include <QRegularExpression>

namespace {
constexpr int kDay = 24 * 60 * 60;

// Whole seconds from one time of day to the next occurrence of another, 0..kDay-1.
std::optional<int> secondsBetween(const QString& from, const QString& to) {
    const auto a = frmTallix::TimeOfDaySeconds(from);
    const auto b = frmTallix::TimeOfDaySeconds(to);
    if (!a || !b)
        return std::nullopt;
    return ((*b - *a) % kDay + kDay) % kDay;
}
} // namespace

std::optional<int> frmTallix::TimeOfDaySeconds(const QString& text) {
    // Up to three numbers separated by the time separator (or a dot), and an optional
    // designator before or after them: "4:30:00 PM", "16:30", "午後 4:30".
    static const QRegularExpression re(
        QStringLiteral(R"(^\s*(\D*?)\s*(\d{1,2})[:.](\d{1,2})(?:[:.](\d{1,2}))?\s*(\D*?)\s*$)"));
    const auto m = re.match(text);
    if (!m.hasMatch())
        return std::nullopt;
    int h = m.captured(2).toInt();
    const int min = m.captured(3).toInt();
    const int s = m.captured(4).isEmpty() ? 0 : m.captured(4).toInt();
    QString designator = (m.captured(1) + m.captured(5)).trimmed();
    if (min > 59 || s > 59 || h > 23)
        return std::nullopt;
    if (!designator.isEmpty()) {
        const QLocale loc;
        const auto is = [&](const QString& word, const QString& local) {
            return designator.compare(word, Qt::CaseInsensitive) == 0 ||
                   (!local.isEmpty() && designator.compare(local, Qt::CaseInsensitive) == 0);
        };
        if (is(QStringLiteral("PM"), loc.pmText()) || is(QStringLiteral("P"), QString())) {
            if (h < 1 || h > 12)
                return std::nullopt;
            h = h % 12 + 12;
        } else if (is(QStringLiteral("AM"), loc.amText()) || is(QStringLiteral("A"), QString())) {
            if (h < 1 || h > 12)
                return std::nullopt;
            h = h % 12;
        } else {
            return std::nullopt;
        }
    }
    return h * 3600 + min * 60 + s;
}

QString frmTallix::TimeOfDayText(int seconds) {
    const int t = (seconds % kDay + kDay) % kDay;
    return QStringLiteral("%1:%2:%3")
        .arg(t / 3600)
        .arg(t / 60 % 60, 2, 10, QChar('0'))
        .arg(t % 60, 2, 10, QChar('0'));
}

QString frmTallix::CurrentTimeText() {
    return Now().time().toString(QStringLiteral("H:mm:ss"));
}

bool frmTallix::IsEarlyMorning(const QString& time) {
    const auto t = TimeOfDaySeconds(time);
    return t && *t < 6 * 3600;
}

std::int16_t frmTallix::GetNextPrayer() {
    // The next prayer is the shown time that comes first after the current second, going
    // round midnight; at a prayer's very second the next one is already the following slot.
    // A slot without a time is passed over, so one "N/A" does not stop the day.
    const auto now = TimeOfDaySeconds(CurrentTimeText());
    if (!now)
        return -1;
    std::int16_t next = -1;
    int best = kDay + 1;
    for (std::int16_t slot = 1; slot <= 6; ++slot) {
        if (!lblPrayer[slot])
            continue;
        const auto t = TimeOfDaySeconds(lblPrayer[slot]->text());
        if (!t)
            continue;
        int d = ((*t - *now) % kDay + kDay) % kDay;
        if (d == 0)
            d = kDay;
        if (d < best) {
            best = d;
            next = slot;
        }
    }
    return next;
}

std::int32_t frmTallix::MinutesBetween(const QString& from, const QString& to) {
    const auto a = TimeOfDaySeconds(from);
    const auto b = TimeOfDaySeconds(to);
    if (!a || !b)
        return 0;
    return ((*b / 60 - *a / 60) % 1440 + 1440) % 1440;
}

QString frmTallix::TimeBetween(const QString& from, const QString& to) const {
    if (!TimeOfDaySeconds(from) || !TimeOfDaySeconds(to))
        return {};
    const int d = MinutesBetween(from, to);
    return QString::number(d / 60) + sHourSymbol +
           QStringLiteral("%1").arg(d % 60, 2, 10, QChar('0')) + sMinuteAbbrev;
}

QString frmTallix::TimeRemaining(const QString& from, const QString& to) {
    const auto d = secondsBetween(from, to);
    if (!d)
        return {};
    return TimeOfDayText(*d);
}
