// Every date, time and number the main window shows (its captions, time labels, clock, Qiblah,
// lists, tray tip, the data server's date and place, the calendars' titles) is in one language
// and one digit system, whatever the locale: the pattern, the names, the AM/PM designator and
// the separators come from the same source.
#include "calendar/mCalendar.h"
#include "core/datefmt.h"
#include "core/settings.h"
#include "fakes/fake_registry.h"
#include "fakes/fake_tray.h"
#include "mainwindow/TabListBox.h"
#include "mainwindow/frmTallix.h"
#include "runtime/Clock.h"
#include "runtime/Convert.h"
#include "runtime/ResStrings.h"

#include <QGroupBox>
#include <QLabel>
#include <QLocale>
#include <gtest/gtest.h>
#include <memory>

namespace {

// The writing system a character belongs to; "" for one that belongs to none (a blank, a
// digit, common punctuation). The Arabic comma and number marks are Arabic although Unicode
// shares them; Han, kana and Hangul count as one.
QString scriptOf(QChar c) {
    const char16_t u = c.unicode();
    if (u == 0x060C || u == 0x061B || u == 0x061F || u == 0x066B || u == 0x066C || u == 0x06D4)
        return QStringLiteral("Arabic");
    if (c.isDigit())
        return {};
    switch (c.script()) {
    case QChar::Script_Latin:
        return QStringLiteral("Latin");
    case QChar::Script_Arabic:
        return QStringLiteral("Arabic");
    case QChar::Script_Hebrew:
        return QStringLiteral("Hebrew");
    case QChar::Script_Cyrillic:
        return QStringLiteral("Cyrillic");
    case QChar::Script_Han:
    case QChar::Script_Hiragana:
    case QChar::Script_Katakana:
    case QChar::Script_Hangul:
        return QStringLiteral("CJK");
    case QChar::Script_Thai:
        return QStringLiteral("Thai");
    default:
        return {};
    }
}

// Why the text mixes languages or digit systems; "" when it does not.
QString mixture(const QString& text) {
    QString script;
    int zero = -1;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.isDigit()) {
            const int z = c.unicode() - c.digitValue();
            if (zero >= 0 && z != zero)
                return QStringLiteral("two digit systems");
            zero = z;
            // A mark between two digits belongs with them: an Arabic one with Arabic digits.
            if (z == u'0' && i + 2 < text.size() && text[i + 2].isDigit() &&
                scriptOf(text[i + 1]) == QLatin1String("Arabic"))
                return QStringLiteral("an Arabic mark between Latin digits");
            continue;
        }
        const QString s = scriptOf(c);
        if (s.isEmpty() || (!c.isLetter() && !c.isPunct()))
            continue;
        if (c.isPunct() && s != QLatin1String("Arabic"))
            continue;
        if (!script.isEmpty() && s != script)
            return QStringLiteral("%1 and %2").arg(script, s);
        script = s;
    }
    return {};
}

struct Shown {
    QString what, text;
};

class OneLanguage : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override {
        ASSERT_TRUE(LoadSettings());
        QLocale::setDefault(QLocale(QString::fromLatin1(GetParam())));
        gTimeFormat = GetTimeFormatPattern();
        // Afternoon, in Ramadan, so the day shows PM and the Hijri month has a name.
        runtime::SetClock(QDateTime(QDate(2025, 3, 9), QTime(15, 28, 0)));
        window = std::make_unique<frmTallix>();
        window->Load();
    }
    void TearDown() override {
        window.reset();
        QLocale::setDefault(QLocale::system());
        gTimeFormat = GetTimeFormatPattern();
        runtime::SetClock(nullptr);
    }

    // Everything the window shows that holds a date, a time or a number, one string each: a
    // list row's columns and a caption's dates are strings of their own.
    QList<Shown> shown() {
        QList<Shown> out;
        const auto add = [&out](const QString& what, const QString& text) {
            if (!text.trimmed().isEmpty())
                out.append({what, text.trimmed()});
        };
        const auto split = [&add](const QString& what, const QString& text, const QString& sep) {
            for (const QString& part : text.split(sep))
                add(what, part);
        };
        split(QStringLiteral("fraToday"), window->fraToday->title(), QStringLiteral(" / "));
        split(QStringLiteral("fraMonthly"), window->fraMonthly->title(), QStringLiteral(" / "));
        split(QStringLiteral("fraYearly"), window->fraYearly->title(), QStringLiteral(" - "));
        for (int slot = 1; slot <= 6; ++slot)
            add(QStringLiteral("lblPrayer%1").arg(slot), window->lblPrayer[slot]->text());
        add(QStringLiteral("lblTime"), window->lblTime->text());
        add(QStringLiteral("lblQiblah"), window->lblQiblah->text());
        for (TabListBox* list : {window->lstMonthlyPrayerTimes, window->lstYearlyPrayerTimes})
            for (int row : {0, list->ListCount() - 1})
                split(list->objectName(), list->List(row), QStringLiteral("\t"));
        split(QStringLiteral("tray tip"), QString::fromUtf8(window->gTrayIconData.szTip),
              QStringLiteral("\r\n"));
        // The data server's date and place items.
        const Date today = NowDate();
        for (const std::int16_t cal : {vbCalGreg, vbCalHijri})
            add(QStringLiteral("CurrentDate"), FormatLongDateLocalized(cal, today));
        add(QStringLiteral("Location"), LoadResString(414) + QStringLiteral(": ") +
                                            Format(gLatitude, QStringLiteral("0.0000")));
        // The calendars' titles and the month menus.
        add(QStringLiteral("Hijri title"), FormatHijriMonthText(today, 1));
        add(QStringLiteral("Gregorian title"),
            GetMonthName(vbCalGreg, 3, 1) + u' ' + QString::number(2025));
        return out;
    }

    FakeRegistry registry;
    FakeTray tray;
    std::unique_ptr<frmTallix> window;
};

TEST_P(OneLanguage, EveryDateTimeAndNumberIsInOneLanguageAndOneDigitSystem) {
    window->RefreshPrayers();
    window->UpdateCurrentTime();
    const QList<Shown> texts = shown();
    ASSERT_GT(texts.size(), 20);
    for (const Shown& s : texts)
        EXPECT_EQ(mixture(s.text), QString())
            << s.what.toStdString() << ": " << s.text.toStdString();
}

TEST_P(OneLanguage, TheLocalesOwnPatternsCarryItsOwnWords) {
    // A long date and a time of day shaped by the locale use its own names and designators, so
    // the same date is in the locale's script; in English the program's names as before.
    window->RefreshPrayers();
    const QLocale locale;
    const QString date = FormatLongDateLocalized(vbCalGreg, NowDate());
    const QString time = window->lblTime->text();
    if (locale.language() == QLocale::English) {
        EXPECT_EQ(date, "Sunday, March 9, 2025");
        EXPECT_EQ(time, "3:28:00 PM");
        return;
    }
    EXPECT_TRUE(date.contains(locale.dayName(7))) << date.toStdString();
    const QString month = locale.monthName(3);
    const bool monthByNumber =
        !locale.dateFormat(QLocale::LongFormat).contains(QStringLiteral("MMM"));
    EXPECT_TRUE(monthByNumber || date.contains(month)) << date.toStdString();
    EXPECT_FALSE(time.contains(QStringLiteral("PM"))) << time.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Locales, OneLanguage,
                         ::testing::Values("he_IL", "ja_JP", "ru_RU", "fa_IR", "ko_KR", "ar_EG",
                                           "ar_SA", "zh_CN", "th_TH", "de_DE", "en_US"),
                         [](const auto& info) { return std::string(info.param); });

} // namespace
