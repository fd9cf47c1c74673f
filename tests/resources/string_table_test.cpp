// The embedded string table: well formed, one text per id, and the texts the program shows.
#include <QFile>
#include <QMap>
#include <QRegularExpression>
#include <QString>
#include <QStringDecoder>
#include <gtest/gtest.h>

namespace {

struct ParsedTable {
    QMap<int, QString> texts;
    QStringList problems;
};

ParsedTable parseTable() {
    ParsedTable t;
    QFile f(QStringLiteral(":/strings.txt"));
    if (!f.open(QIODevice::ReadOnly)) {
        t.problems << QStringLiteral("cannot open :/strings.txt");
        return t;
    }
    const QByteArray bytes = f.readAll();
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString all = utf8(bytes);
    if (utf8.hasError())
        t.problems << QStringLiteral("not valid UTF-8");
    static const QRegularExpression entry(QStringLiteral("^(0|[1-9][0-9]*)\t([^\t]+)$"));
    const QStringList lines = all.split(QLatin1Char('\n'));
    for (int i = 0; i < lines.size(); ++i) {
        const QString& line = lines[i];
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        const auto m = entry.match(line);
        if (!m.hasMatch() || line.contains(QLatin1Char('\r'))) {
            t.problems << QStringLiteral("line %1 malformed: %2").arg(i + 1).arg(line.left(40));
            continue;
        }
        const int id = m.captured(1).toInt();
        if (t.texts.contains(id))
            t.problems << QStringLiteral("id %1 twice").arg(id);
        t.texts.insert(id, m.captured(2));
    }
    return t;
}

const ParsedTable& table() {
    static const ParsedTable t = parseTable();
    return t;
}

TEST(StringTable, EveryLineIsWellFormedAndEveryIdUnique) {
    EXPECT_TRUE(table().problems.isEmpty())
        << table().problems.join(QLatin1Char('\n')).toStdString();
    EXPECT_FALSE(table().texts.isEmpty());
}

struct Quoted {
    int id;
    const char* text;
};

// Texts as the program shows them, blanks and markers included ("<?\?>" is "<??>" in C++).
const Quoted kQuoted[] = {
    {0, "Tallix Time"},
    {2, "Navigation Keyboard Shortcuts<BR><BR>Left Arrow: Previous Day<BR>Right Arrow: Next "
        "Day<BR><BR>Up Arrow: "
        "Previous Week<BR>Down Arrow: Next Week<BR><BR>Page Up: Previous Month<BR>Page Down: Next "
        "Month<BR><BR>Home: "
        "Previous Year<BR>End: Next Year<BR><BR>Esc: Current Date<BR><BR>* There is a small "
        "probability<BR>of a one day "
        "error in the<BR>Hijri calendar conversion."},
    {9, "Ishaa"},
    {50, "Rabia I"},
    {85, " &Daily"},
    {100, "Tallix Time - Next Prayer is Dhuhr"},
    {105, "Clockwise North"},
    {120, "* For high latitudes or locations of extreme<BR>proportion Tallix Time uses the nearest "
          "good<BR>day (Aqrab "
          "Al-Ayyam), which is the closest<BR>previous or next day that the Fajr and "
          "Ishaa<BR>times occur and are both "
          "valid."},
    {121, "Fajr ends at "},
    {126, "Next is Fajr at "},
    {131, "It is now time to pray Ishaa."},
    {135, "rabia I"},
    {147, "Rb1"},
    {168, "december"},
    {188,
     "Laylat Al-Israa wa Al-Miaaraj / The Prophet's (PBUH) Night Journey & Heavenly Ascension"},
    {203, "Hajj to Makkah - Day #6"},
    {204, " Hour"},
    {216, "Egyptian General Authority of Survey<BR>Fajr Twilight = 19.5°, Ishaa Twilight = "
          "17.5°<BR><BR>Islamic Society "
          "of North-America (ISNA)<BR>Fajr Twilight = 15°, Ishaa Twilight = 15°<BR><BR>Muslim "
          "World League<BR>Fajr "
          "Twilight = 18°, Ishaa Twilight = 17°<BR><BR>Umm Al-Qura<BR>Fajr Twilight = 18.5°, Ishaa "
          "= 90 Minutes after "
          "Maghrib<BR><BR>University of Islamic Sciences, Karachi<BR>Fajr Twilight = 18°, Ishaa "
          "Twilight = 18°"},
    {244, "Fajr Twilight = 18°, Ishaa Twilight = 18°"},
    {250, "Fajr Twilight = 18.5°, Ishaa = 90 Minutes after Maghrib"},
    {268, "Preview:"},
    {281, "<Random>"},
    {305, "Act&ivate &DDE Server"},
    {383, "Bitmap Image (*.bmp)<NULL>*.bmp<NULL>GIF Image (*.gif)<NULL>*.gif<NULL>JPEG Image "
          "(*.jpg)<NULL>*.jpg"},
    {387, "Text Document (*.txt)<NULL>*.txt"},
    {400, "Could not connect to the server to check for an update.<BR><BR>Make sure that your "
          "computer is connected to "
          "the internet.<BR>If behind a firewall or proxy, verify that Tallix Time is permitted to "
          "access the "
          "web.<BR>Otherwise, please try again later."},
    {405, "Date"},
    {418, "Select folder that contains your image (*.bmp;*.gif;*.jpg) files. A random image will "
          "be selected at Tallix "
          "Time."},
    {439, "S"},
    {473, "Tallix Time Reminder"},
    {474, "There remains <?\?> minutes until Fajr."},
    {485, "It has been <?\?> minutes since Ishaa."},
    {502, " &Reminders"},
    {509, "Cairo 1"},
    {510, "Cairo 2"},
};

TEST(StringTable, HoldsTheProgramsTexts) {
    for (const Quoted& q : kQuoted) {
        SCOPED_TRACE(q.id);
        ASSERT_TRUE(table().texts.contains(q.id));
        EXPECT_EQ(table().texts.value(q.id).toStdString(), std::string(q.text));
    }
}

TEST(StringTable, UmmAlQuraFajrIsEighteenAndAHalfDegreesEverywhere) {
    // The Umm Al-Qura convention computes Fajr at 18.5 degrees; no text may tell users 15.
    for (int id : {216, 250}) {
        const QString text = table().texts.value(id);
        const int at = text.indexOf(QStringLiteral("Fajr Twilight = "),
                                    qMax(0, text.indexOf(QStringLiteral("Umm Al-Qura"))));
        ASSERT_GE(at, 0) << id;
        EXPECT_TRUE(text.mid(at).startsWith(QStringLiteral("Fajr Twilight = 18.5°, Ishaa = 90")))
            << id;
    }
}

TEST(StringTable, MultiLineTipsKeepTheirLineCount) {
    // The DDE tip shows as 27 lines, blank lines included.
    EXPECT_EQ(table().texts.value(306).count(QStringLiteral("<BR>")), 26);
    // The splash tip is one line.
    EXPECT_FALSE(table().texts.value(316).contains(QStringLiteral("<BR>")));
}

} // namespace
