#include "paper_names.h"

#include <QRegularExpression>
#include <QStringList>

#include <cups/pwg.h>

#include <algorithm>
#include <cstdlib>

namespace platform {

namespace {

// The parts of a self-describing keyword: class_name_measure[_extension].
struct KeywordParts {
    QByteArray family, name, measure;
};

bool split(const QByteArray& keyword, KeywordParts* parts) {
    const QList<QByteArray> pieces = keyword.split('_');
    if (pieces.size() < 3)
        return false;
    *parts = {pieces[0], pieces[1], pieces[2]};
    return true;
}

bool startsWithDigit(const QString& s) {
    return !s.isEmpty() && s[0].isDigit();
}

// "182.74x256.47mm" -> "182.74 x 256.47 mm"; "" when it is no measure.
QString spelledMeasure(const QByteArray& measure) {
    static const QRegularExpression kMeasure(
        QStringLiteral("^(\\d+(?:\\.\\d+)?)x(\\d+(?:\\.\\d+)?)(mm|in)$"));
    const auto m = kMeasure.match(QString::fromLatin1(measure));
    if (!m.hasMatch())
        return {};
    return QStringLiteral("%1 x %2 %3").arg(m.captured(1), m.captured(2), m.captured(3));
}

// One word of a name: "letter" -> "Letter", "a4" or "dl" -> "A4", "DL", "16k" -> "16K".
QString word(const QString& token) {
    static const QRegularExpression kSeries(QStringLiteral("^[a-z]{1,2}\\d*$"));
    static const QRegularExpression kNumbered(QStringLiteral("^\\d+[a-z]$"));
    if (kSeries.match(token).hasMatch() || kNumbered.match(token).hasMatch())
        return token.toUpper();
    QString w = token;
    if (!w.isEmpty())
        w[0] = w[0].toUpper();
    return w;
}

// The words of a keyword's name, pieces that CUPS split apart joined again ("a-4" -> "A4",
// "5x-13" -> "5x13", "env-c-5" -> "Envelope C5", "isob-5" -> "ISO B5").
QStringList words(const QString& name, bool* borderless) {
    static const QRegularExpression kWidth(QStringLiteral("^\\d+(?:\\.\\d+)?x$"));
    QStringList tokens = name.split(QLatin1Char('-'), Qt::SkipEmptyParts);
    QStringList out;
    for (int i = 0; i < tokens.size(); ++i) {
        QString t = tokens[i];
        if (t == QLatin1String("fullbleed") || t == QLatin1String("borderless")) {
            *borderless = true;
            continue;
        }
        // A series letter or a width "5x" and the number that follows it.
        while (i + 1 < tokens.size() && startsWithDigit(tokens[i + 1]) &&
               (t.size() == 1 || kWidth.match(t).hasMatch() || t == QLatin1String("isob")))
            t += tokens[++i];
        if (t == QLatin1String("env")) {
            out << QStringLiteral("Envelope");
            if (i + 1 < tokens.size() && startsWithDigit(tokens[i + 1]))
                out << QLatin1Char('#') + tokens[++i];
            continue;
        }
        if (t.startsWith(QLatin1String("isob")) && t.size() > 4 && t[4].isDigit()) {
            out << QStringLiteral("ISO") << word(t.mid(3));
            continue;
        }
        out << word(t);
    }
    return out;
}

// The name of a standard paper of its family: ISO C and DL are envelopes, ISO and JIS B are
// told apart, and the North American envelopes say that they are.
QStringList standardName(const QByteArray& family, QStringList words) {
    if (words.isEmpty())
        return words;
    const QString& first = words.first();
    static const QRegularExpression kSeries(QStringLiteral("^([ABC])\\d+$"));
    const auto series = kSeries.match(first);
    if (family == "iso" && ((series.hasMatch() && series.captured(1) == QLatin1String("C")) ||
                            first == QLatin1String("DL")))
        words.prepend(QStringLiteral("Envelope"));
    else if (family == "iso" && series.hasMatch() && series.captured(1) == QLatin1String("B"))
        words.prepend(QStringLiteral("ISO"));
    else if (family == "jis" && series.hasMatch())
        words.prepend(QStringLiteral("JIS"));
    else if (family == "na" && first == QLatin1String("Number") && words.size() > 1) {
        words = QStringList{QStringLiteral("Envelope"), QLatin1Char('#') + words[1]} + words.mid(2);
    } else if (family == "na" &&
               (first == QLatin1String("Monarch") || first == QLatin1String("Personal")))
        words.prepend(QStringLiteral("Envelope"));
    return words;
}

} // namespace

bool IsBorderlessPaper(const QByteArray& keyword) {
    for (const QByteArray& part : keyword.split('_'))
        for (const QByteArray& token : part.split('-'))
            if (token == "fullbleed" || token == "borderless")
                return true;
    return false;
}

QString ReadablePaperName(const QByteArray& keyword) {
    KeywordParts parts;
    if (!split(keyword, &parts)) {
        // An old name ("iso-a4", "na-letter") stands for a PWG keyword.
        if (pwg_media_t* pwg = pwgMediaForLegacy(keyword.constData()); pwg && pwg->pwg)
            if (QByteArray(pwg->pwg) != keyword)
                return ReadablePaperName(pwg->pwg);
        bool borderless = false;
        const QStringList w = words(QString::fromUtf8(keyword).toLower(), &borderless);
        return w.join(QLatin1Char(' ')) +
               (borderless ? QStringLiteral(" (borderless)") : QString());
    }
    const QString measure = spelledMeasure(parts.measure);
    // A size with no name but its measure.
    if (parts.family == "custom" &&
        (parts.name == parts.measure || parts.name == "min" || parts.name == "max"))
        return measure.isEmpty() ? QString::fromUtf8(keyword)
                                 : QStringLiteral("Custom %1").arg(measure);
    bool borderless = false;
    QStringList w = words(QString::fromUtf8(parts.name), &borderless);
    if (parts.family != "om" && parts.family != "oe" && parts.family != "custom")
        w = standardName(parts.family, w);
    QString name = w.join(QLatin1Char(' '));
    if (name.isEmpty())
        name = measure.isEmpty() ? QString::fromUtf8(keyword) : measure;
    if (borderless || IsBorderlessPaper(keyword))
        name += QStringLiteral(" (borderless)");
    return name;
}

NamedPapers UniquePaperNames(const QList<QByteArray>& keywords,
                             const QMap<QByteArray, QString>& given, const QByteArray& keep) {
    struct Paper {
        QByteArray keyword;
        QString name;
        int width = 0, length = 0; // hundredths of a millimetre, 0 when unknown
        bool borderless = false;
    };
    QList<Paper> papers;
    for (const QByteArray& keyword : keywords) {
        Paper p{keyword, given.value(keyword), 0, 0, IsBorderlessPaper(keyword)};
        if (p.name.trimmed().isEmpty())
            p.name = ReadablePaperName(keyword);
        if (pwg_media_t* pwg = pwgMediaForPWG(keyword.constData())) {
            p.width = pwg->width;
            p.length = pwg->length;
        }
        const auto same = std::find_if(papers.begin(), papers.end(), [&p](const Paper& q) {
            return q.name.compare(p.name, Qt::CaseInsensitive) == 0 &&
                   q.borderless == p.borderless && std::abs(q.width - p.width) < 2 &&
                   std::abs(q.length - p.length) < 2;
        });
        if (same == papers.end())
            papers << p;
        else if (keyword == keep)
            same->keyword = keyword; // the one the user has, in the place of the first
    }
    // Papers that still share a name: told apart by what differs.
    const auto clash = [&papers](int i) {
        for (int j = 0; j < papers.size(); ++j)
            if (j != i && papers[j].name.compare(papers[i].name, Qt::CaseInsensitive) == 0)
                return true;
        return false;
    };
    const auto tellApart = [&](auto&& addition) {
        QList<bool> clashes;
        for (int i = 0; i < papers.size(); ++i)
            clashes << clash(i);
        for (int i = 0; i < papers.size(); ++i)
            if (clashes[i])
                papers[i].name += addition(papers[i]);
    };
    tellApart([](const Paper& p) {
        return p.borderless && !p.name.contains(QLatin1String("borderless"), Qt::CaseInsensitive)
                   ? QStringLiteral(" (borderless)")
                   : QString();
    });
    tellApart([](const Paper& p) {
        const QString measure = spelledMeasure(p.keyword.split('_').value(2));
        return measure.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(measure);
    });
    tellApart(
        [](const Paper& p) { return QStringLiteral(" [%1]").arg(QString::fromUtf8(p.keyword)); });
    NamedPapers out;
    for (const Paper& p : papers) {
        out.keywords << p.keyword;
        out.names.insert(p.keyword, p.name);
    }
    return out;
}

} // namespace platform
