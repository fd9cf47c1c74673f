// The main window's month and weekday names: string-table entries, lower case when the locale
// writes its own names so, and the month items of the export and print submenus.
#include "core/datefmt.h"
#include "fakes/fake_locale.h"
#include "mainwindow/frmTallix.h"

#include <QAction>
#include <QMenu>
#include <gtest/gtest.h>

#include <memory>

namespace {

class DateNames : public testing::Test {
protected:
    void SetUp() override {
        for (auto* t :
             {&gGregorianMonthLong, &gGregorianMonthShort, &gHijriMonthLong, &gHijriMonthShort})
            t->fill(QString());
        gDayNameLong.fill(QString());
        gDayNameShort.fill(QString());
        gDayNameInitial.fill(QString());
        SetCalendar(vbCalGreg);
        window = std::make_unique<frmTallix>();
    }
    void TearDown() override { SetCalendar(vbCalGreg); }

    // The locale's own names of January and of the weekdays (Sunday first).
    void localeNames(const QString& january, const QStringList& days) {
        locale.texts[LOCALE_SMONTHNAME1] = january;
        locale.setDayNames(days);
    }

    struct Row {
        QString gregLong, hijriLong3, hijriShort3, gregShort, dayLong, dayShort, dayInitial;
        bool operator==(const Row&) const = default;
        friend void PrintTo(const Row& r, std::ostream* os) {
            *os << QStringList{r.gregLong, r.hijriLong3, r.hijriShort3, r.gregShort,
                               r.dayLong,  r.dayShort,   r.dayInitial}
                       .join(u'|')
                       .toStdString();
        }
    };
    static Row row() {
        return {gGregorianMonthLong[1],  gHijriMonthLong[3], gHijriMonthShort[3],
                gGregorianMonthShort[1], gDayNameLong[1],    gDayNameShort[1],
                gDayNameInitial[1]};
    }

    FakeLocale locale; // United States English: capitalised names, week from Sunday
    std::unique_ptr<frmTallix> window;
};

const QStringList kEnglishDays = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                  "Thursday", "Friday", "Saturday"};
const QStringList kFrenchDays = {"dimanche", "lundi",    "mardi", "mercredi",
                                 "jeudi",    "vendredi", "samedi"};

TEST_F(DateNames, CaseFollowsTheLocalesOwnNames) {
    struct Case {
        const char* what;
        QString january;
        QStringList days;
        const char* firstDay; // "0" Monday .. "6" Sunday
        Row expected;
    };
    const Row capital{"January", "Rabia I", "Rb1", "Jan", "Sunday", "Sun", "S"};
    const Row lower{"january", "rabia I", "rb1", "jan", "sunday", "sun", "s"};
    const Row lowerMonths{"january", "rabia I", "rb1", "jan", "Sunday", "Sun", "S"};
    const Row lowerDays{"January", "Rabia I", "Rb1", "Jan", "sunday", "sun", "s"};
    const Case cases[] = {
        {"en-US", "January", kEnglishDays, "6", capital},
        {"fr-FR", "janvier", kFrenchDays, "0", lower},
        // The weekday test is on the first day of the user's week, independently of months.
        {"lower Monday first", "January", {"Sonntag", "montag"}, "0", lowerDays},
        {"lower Monday, Sunday first", "January", {"Sonntag", "montag"}, "6", capital},
        {"lower months only", "janvier", kEnglishDays, "6", lowerMonths},
        // A character without case or a capital anywhere counts as capitalised.
        {"digit", QString::fromUtf8("1月"), kEnglishDays, "6", capital},
        {"dot", "janv.", kEnglishDays, "6", capital},
        {"hyphen", "jan-uar", kEnglishDays, "6", capital},
        {"apostrophe", "d'hiver", kEnglishDays, "6", capital},
        {"later capital", "janUary", kEnglishDays, "6", capital},
        {"no name from the locale", "", {"", "", "", "", "", "", ""}, "6", capital},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        localeNames(c.january, c.days);
        locale.texts[LOCALE_IFIRSTDAYOFWEEK] = c.firstDay;
        window->TranslateDateNames();
        EXPECT_EQ(row(), c.expected);
    }
}

TEST_F(DateNames, NamesStayCapitalisedWhereTheLocaleSpeaksAnotherLanguage) {
    // The long date of a French or Russian locale takes that locale's own names, so the
    // program's English names only stand alone (titles, rows, menus), written as English is.
    for (const char* language : {"fr", "ru"}) {
        SCOPED_TRACE(language);
        locale.texts[LOCALE_SISO639LANGNAME] = QString::fromLatin1(language);
        localeNames("janvier", kFrenchDays);
        locale.texts[LOCALE_IFIRSTDAYOFWEEK] = "0";
        window->TranslateDateNames();
        EXPECT_EQ(row(), (Row{"January", "Rabia I", "Rb1", "Jan", "Sunday", "Sun", "S"}));
        EXPECT_EQ(window->mnuExportMonthGregorian[1]->text(), "January");
    }
}

TEST_F(DateNames, FullTablesAndSubmenus) {
    localeNames("janvier", kFrenchDays);
    window->TranslateDateNames();
    const char* hijriLower[] = {"muharram", "safar",     "rabia I",     "rabia II",
                                "jumada I", "jumada II", "rajab",       "sha'ban",
                                "ramadan",  "shawwal",   "dhul-qi'dah", "dhul-hijjah"};
    const char* hijriShort[] = {"muh", "saf", "rb1", "rb2", "jm1", "jm2",
                                "raj", "sha", "ram", "shw", "qid", "hij"};
    for (int m = 1; m <= 12; ++m) {
        SCOPED_TRACE(m);
        EXPECT_EQ(gHijriMonthLong[m], hijriLower[m - 1]);
        EXPECT_EQ(gHijriMonthShort[m], hijriShort[m - 1]);
        EXPECT_EQ(gGregorianMonthLong[m], QLocale::c().monthName(m).toLower());
        EXPECT_EQ(gGregorianMonthShort[m],
                  QLocale::c().monthName(m, QLocale::ShortFormat).toLower());
        EXPECT_EQ(window->mnuExportMonthHijri[m]->text(), hijriLower[m - 1]);
        EXPECT_EQ(window->mnuPrintMonthHijri[m]->text(), hijriLower[m - 1]);
        EXPECT_EQ(window->mnuExportMonthGregorian[m]->text(), gGregorianMonthLong[m]);
        EXPECT_EQ(window->mnuPrintMonthGregorian[m]->text(), gGregorianMonthLong[m]);
    }
    const char* initials[] = {"s", "m", "t", "w", "t", "f", "s"};
    for (int d = 1; d <= 7; ++d) {
        EXPECT_EQ(gDayNameLong[d], kEnglishDays[d - 1].toLower());
        EXPECT_EQ(gDayNameShort[d], kEnglishDays[d - 1].left(3).toLower());
        EXPECT_EQ(gDayNameInitial[d], initials[d - 1]);
    }
    // Entry 0 of every table, and the initials past Saturday, stay empty.
    for (const QString* s : {&gGregorianMonthLong[0], &gGregorianMonthShort[0], &gHijriMonthLong[0],
                             &gHijriMonthShort[0], &gDayNameLong[0], &gDayNameShort[0],
                             &gDayNameInitial[0], &gDayNameInitial[8], &gDayNameInitial[50]})
        EXPECT_TRUE(s->isEmpty());
    // The twelve months, then a separator and the whole year.
    ASSERT_EQ(window->mnuExportGregorian->actions().size(), 14);
    EXPECT_TRUE(window->mnuExportGregorian->actions()[12]->isSeparator());
    EXPECT_EQ(window->mnuExportGregorian->actions()[13], window->mnuExportYearGregorian);
    EXPECT_EQ(window->mnuPrintHijri->actions().first(), window->mnuPrintMonthHijri[1]);

    // A change of locale rewrites the tables and the captions.
    localeNames("January", kEnglishDays);
    window->TranslateDateNames();
    EXPECT_EQ(gHijriMonthLong[12], "Dhul-Hijjah");
    EXPECT_EQ(window->mnuExportMonthHijri[12]->text(), "Dhul-Hijjah");
    EXPECT_EQ(gDayNameInitial[5], "T");
}

TEST_F(DateNames, TheHijriCalendarStaysCurrentAndTheTestUsesGregorianJanuary) {
    localeNames("January", kEnglishDays);
    locale.setHijriMonthNames({"muharram"}); // would say lower case if it were asked
    SetCalendar(vbCalHijri);
    window->TranslateDateNames();
    EXPECT_EQ(Calendar(), vbCalHijri);
    EXPECT_EQ(gGregorianMonthLong[1], "January");
    EXPECT_EQ(gHijriMonthLong[1], "Muharram");
}

} // namespace
