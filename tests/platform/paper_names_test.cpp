// Paper names made from media keywords, and a list of papers where no two share a name.
#include "platform/paper_names.h"

#include <QFile>
#include <gtest/gtest.h>

namespace {

TEST(PaperNames, AKeywordAloneGivesAReadableName) {
    const struct {
        const char* keyword;
        const char* name;
    } cases[] = {
        {"iso_a4_210x297mm", "A4"},
        {"iso_a4-extra_235.5x322.3mm", "A4 Extra"},
        {"iso_c5_162x229mm", "Envelope C5"},
        {"iso_dl_110x220mm", "Envelope DL"},
        {"iso_b5_176x250mm", "ISO B5"},
        {"jis_b5_182x257mm", "JIS B5"},
        {"na_letter_8.5x11in", "Letter"},
        {"na_number-10_4.125x9.5in", "Envelope #10"},
        {"na_monarch_3.875x7.5in", "Envelope Monarch"},
        {"na_index-4x6_4x6in", "Index 4x6"},
        {"na_govt-letter_8x10in", "Govt Letter"},
        {"prc_16k_146x215mm", "16K"},
        {"jpn_hagaki_100x148mm", "Hagaki"},
        {"om_small-photo_100x150mm", "Small Photo"},
        // Vendor keywords that cupsd makes of PPD names.
        {"oe_letter-fullbleed_8.5x11in", "Letter (borderless)"},
        {"om_a-4-fullbleed_209.9x297.04mm", "A4 (borderless)"},
        {"om_env-c-5-fullbleed_161.93x228.95mm", "Envelope C5 (borderless)"},
        {"om_env-10-fullbleed_104.78x241.3mm", "Envelope #10 (borderless)"},
        {"om_env-dl-fullbleed_109.71x219.78mm", "Envelope DL (borderless)"},
        {"om_isob-5-fullbleed_175.68x249.77mm", "ISO B5 (borderless)"},
        {"oe_5x-13-fullbleed_5x13in", "5x13 (borderless)"},
        {"om_69x-95mm-fullbleed_68.79x95.25mm", "69x95mm (borderless)"},
        {"oe_statement-fullbleed_5.5x8.5in", "Statement (borderless)"},
        // A size with nothing but its measure.
        {"custom_182.74x256.47mm_182.74x256.47mm", "Custom 182.74 x 256.47 mm"},
        {"custom_5x13in_5x13in", "Custom 5 x 13 in"},
        // Old names stand for a keyword.
        {"iso-a4", "A4"},
        {"na-letter", "Letter"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(platform::ReadablePaperName(c.keyword).toStdString(), c.name) << c.keyword;
}

TEST(PaperNames, NoTwoPapersShareAName) {
    struct Case {
        const char* what;
        QList<QByteArray> keywords;
        QMap<QByteArray, QString> given;
        QByteArray keep;
        QList<QByteArray> listed;
        QStringList names;
    };
    const Case cases[] = {
        {"names given are kept, the others made",
         {"na_letter_8.5x11in", "iso_c5_162x229mm"},
         {{"na_letter_8.5x11in", QStringLiteral("US Letter")}},
         {},
         {"na_letter_8.5x11in", "iso_c5_162x229mm"},
         {QStringLiteral("US Letter"), QStringLiteral("Envelope C5")}},
        {"the same paper twice is listed once",
         {"iso_a4_210x297mm", "na_letter_8.5x11in", "custom_210x297mm_210x297mm"},
         {{"iso_a4_210x297mm", QStringLiteral("A4")},
          {"custom_210x297mm_210x297mm", QStringLiteral("A4")}},
         {},
         {"iso_a4_210x297mm", "na_letter_8.5x11in"},
         {QStringLiteral("A4"), QStringLiteral("Letter")}},
        {"the one kept is the one asked for, in the first one's place",
         {"iso_a4_210x297mm", "na_letter_8.5x11in", "custom_210x297mm_210x297mm"},
         {{"iso_a4_210x297mm", QStringLiteral("A4")},
          {"custom_210x297mm_210x297mm", QStringLiteral("A4")}},
         "custom_210x297mm_210x297mm",
         {"custom_210x297mm_210x297mm", "na_letter_8.5x11in"},
         {QStringLiteral("A4"), QStringLiteral("Letter")}},
        {"a paper without margins says so",
         {"na_letter_8.5x11in", "oe_letter-fullbleed_8.5x11in"},
         {{"na_letter_8.5x11in", QStringLiteral("US Letter")},
          {"oe_letter-fullbleed_8.5x11in", QStringLiteral("US Letter")}},
         {},
         {"na_letter_8.5x11in", "oe_letter-fullbleed_8.5x11in"},
         {QStringLiteral("US Letter"), QStringLiteral("US Letter (borderless)")}},
        {"papers of one name and other sizes get their measure",
         {"om_card_100x150mm", "om_card_120x180mm"},
         {},
         {},
         {"om_card_100x150mm", "om_card_120x180mm"},
         {QStringLiteral("Card (100 x 150 mm)"), QStringLiteral("Card (120 x 180 mm)")}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const platform::NamedPapers papers =
            platform::UniquePaperNames(c.keywords, c.given, c.keep);
        EXPECT_EQ(papers.keywords, c.listed);
        QStringList names;
        for (const QByteArray& keyword : papers.keywords)
            names << papers.names.value(keyword);
        EXPECT_EQ(names, c.names);
    }
}

// The texts of a PPD's page sizes by the keywords cupsd lists for them (as a queue of the
// cups-filters HP Color LaserJet CM3530 description lists them), and by keywords made otherwise,
// matched by size and margins.
TEST(PaperNames, APpdNamesThePapersCupsMadeOfItsPageSizes) {
    const QString ppd =
        QStringLiteral("/usr/share/ppd/cupsfilters/HP-Color_LaserJet_CM3530_MFP-PDF.ppd");
    ASSERT_TRUE(QFile::exists(ppd)) << "install the Debian package cups-filters";
    const struct {
        const char* keyword;
        const char* text; // "" for none
    } cases[] = {
        {"na_letter_8.5x11in", "Letter"},
        {"oe_letter-fullbleed_8.5x11in", "Letter (Borderless)"},
        {"om_a-4-fullbleed_209.9x297.04mm", "A4 (Borderless)"},
        {"iso_b5_176x250mm", "ISO B5"},
        {"iso_c5_162x229mm", "C5"},
        {"na_number-10_4.125x9.5in", "Com 10"},
        {"custom_5x13in_5x13in", "Eight Point 5x13"},
        {"oe_5x-13-fullbleed_5x13in", "Eight Point 5x13 (Borderless)"},
        {"custom_182.74x256.47mm_182.74x256.47mm", "JIS B5"},
        {"om_b-5-fullbleed_182.74x256.47mm", "JIS B5 (Borderless)"},
        {"na_invoice_5.5x8.5in", "Statement"},
        // Made otherwise: the page size of that size and margins.
        {"om_jis-b6_128x183mm", "JIS B6"},
        {"om_jis-b6-borderless_128x183mm", "JIS B6 (Borderless)"},
        // No page size of that size.
        {"iso_a3_297x420mm", ""},
    };
    QList<QByteArray> keywords;
    for (const auto& c : cases)
        keywords << c.keyword;
    const QMap<QByteArray, QString> names = platform::PpdPaperNames(ppd, keywords);
    for (const auto& c : cases)
        EXPECT_EQ(names.value(c.keyword).toStdString(), c.text) << c.keyword;
}

TEST(PaperNames, BorderlessIsReadFromTheKeyword) {
    EXPECT_TRUE(platform::IsBorderlessPaper("om_a-4-fullbleed_209.9x297.04mm"));
    EXPECT_TRUE(platform::IsBorderlessPaper("iso_a4_210x297mm_borderless"));
    EXPECT_FALSE(platform::IsBorderlessPaper("iso_a4_210x297mm"));
    EXPECT_FALSE(platform::IsBorderlessPaper("om_fullbleeding_100x100mm"));
}

} // namespace
