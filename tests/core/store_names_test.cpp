// How the settings file store finds keys and values by name, and keeps their order: names
// compare without regard to case (as QString::compare does), whatever the size of the store,
// after a read, a write, a deletion and a value added again, and the file comes back byte for
// byte as it was read.
#include "platform/registry.h"
#include "platform/registry_hive.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <algorithm>

namespace {

const QString kKey = QStringLiteral("HKEY_CURRENT_USER\\Software\\Tallix Time");

QByteArray sz(const QString& text) {
    return text.toUtf8() + '\0';
}

class StoreNames : public ::testing::Test {
protected:
    QString folder() const { return dir.path() + QStringLiteral("/tallix-time"); }
    QString file() const { return folder() + QStringLiteral("/registry.conf"); }
    std::unique_ptr<platform::RegistryStore> open() const {
        return platform::MakeFileRegistryStore(folder(), dir.path() + QStringLiteral("/autostart"));
    }
    // The text of a value, "<none>" when the store has no such value.
    static QString get(platform::RegistryStore& s, const QString& key, const QString& name) {
        DWORD type = 0;
        QByteArray data;
        if (s.queryValue(key, name, &type, &data) != ERROR_SUCCESS)
            return QStringLiteral("<none>");
        data.chop(1);
        return QString::fromUtf8(data);
    }
    void writeFile(const QByteArray& content) const {
        QDir().mkpath(folder());
        QFile f(file());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(content);
    }
    // The file without its first two lines (the comment and the line every write makes anew).
    QByteArray body() const {
        QFile f(file());
        if (!f.open(QIODevice::ReadOnly))
            return "<unreadable>";
        const QByteArray text = f.readAll();
        const qsizetype second = text.indexOf('\n', text.indexOf('\n') + 1);
        return second < 0 ? text : text.mid(second + 1);
    }

    QTemporaryDir dir;
};

// The two lines every file the store writes starts with; a file that starts so is one the
// store wrote, and the rest of it is what body() gives.
const QByteArray kHead = "; Tallix Time settings. Edit only while the program is not running.\n"
                         "; 0123456789abcdef\n";

// A name asked in another spelling is the stored one exactly when QString::compare says so
// without regard to case: simple case folding, one character for one.
struct NameCase {
    const char* stored;
    const char* asked;
    bool found;
};

const NameCase kNameCases[] = {
    {"CityName", "cityname", true},
    {"CityName", "CITYNAME", true},
    {"CityName", "City Name", false},
    {"Straße", "STRAßE", true},
    {"Straße", "STRASSE", false}, // ß is one character, "SS" two
    {"ΣΊΣΥΦΟΣ", "σίσυφος", true},
    {"ΣΊΣΥΦΟΣ", "σίσυφοσ", true}, // final and other sigma fold alike
    {"Kelvin\u212A", "KELVINk", true}, // the Kelvin sign folds to k
    {"İzmir", "izmir", false}, // the dotted capital I folds to itself
    {"İzmir", "İZMIR", true},
    {"ıdır", "IDIR", false}, // so does the dotless small i
    {"مدينة", "مدينة", true},
    {"𐐀𐐁", "𐐨𐐩", true}, // Deseret, beyond the 16-bit plane
    {"Ärger", "äRGER", true},
};

// Every name of the table under a key with a mixed-case name, each value telling its name.
// Then each name again, alone in a key of its own: a key of a few values is searched one by
// one, a key of more through its index.
QByteArray tableFile() {
    QByteArray text = kHead + "\n[" + kKey.toUtf8() + "\\MiXeD Key Ünïcode]\n";
    for (const NameCase& c : kNameCases)
        if (!text.contains("\n\"" + QByteArray(c.stored) + "\"="))
            text += "\"" + QByteArray(c.stored) + "\"=\"" + QByteArray(c.stored) + "\"\n";
    for (const NameCase& c : kNameCases)
        text += "\n[" + kKey.toUtf8() + "\\Alone " + QByteArray::number(&c - kNameCases) +
                "]\n\"" + QByteArray(c.stored) + "\"=\"" + QByteArray(c.stored) + "\"\n";
    return text;
}

TEST_F(StoreNames, NamesAreFoundWithoutRegardToCaseAfterARead) {
    writeFile(tableFile());
    auto store = open();
    const QString key = kKey + QStringLiteral("\\mixed KEY üNÏCODE");
    const auto check = [&](const char* when) {
        for (const NameCase& c : kNameCases) {
            const QString wanted = c.found ? QString::fromUtf8(c.stored) : QStringLiteral("<none>");
            EXPECT_EQ(get(*store, key, QString::fromUtf8(c.asked)), wanted)
                << when << ": " << c.stored << " asked as " << c.asked;
            const QString alone = kKey + QStringLiteral("\\ALONE %1").arg(&c - kNameCases);
            EXPECT_EQ(get(*store, alone, QString::fromUtf8(c.asked)), wanted)
                << when << ", alone: " << c.stored << " asked as " << c.asked;
        }
        EXPECT_TRUE(store->keyExists(key.toUpper())) << when;
        EXPECT_FALSE(store->keyExists(key + u'x')) << when;
    };
    check("read");
    // A change rewrites the file from the store in memory: the names are found as before, in
    // that store and in another that reads the new file.
    ASSERT_EQ(store->setValue(key, QStringLiteral("Added"), REG_SZ, sz(QStringLiteral("1"))),
              ERROR_SUCCESS);
    check("written");
    store = open();
    check("read again");
    QByteArray expected = tableFile().mid(kHead.size());
    expected.insert(expected.indexOf("\n[", 1), "\"Added\"=\"1\"\n");
    EXPECT_EQ(body(), expected);
}

// A name or a key that a file holds twice (as a person editing it may leave it): the value
// keeps the place of the first line and takes the last line's spelling and value; a key's
// second section joins the first, which keeps its spelling.
// In a key of a few values and in one of more (the parameter: values ahead of them).
class StoreTwice : public StoreNames, public ::testing::WithParamInterface<int> {};

TEST_P(StoreTwice, ANameTwiceInAFileKeepsTheFirstPlaceAndTheLastLine) {
    QByteArray padding;
    for (int i = 0; i < GetParam(); ++i)
        padding += "\"Pad" + QByteArray::number(i) + "\"=\"" + QByteArray::number(i) + "\"\n";
    writeFile("[HKEY_CURRENT_USER\\Software\\Tallix Time]\n" + padding +
              "\"CityName\"=\"Dearborn\"\n"
              "\"Latitude\"=\"42.3223\"\n"
              "\"CITYNAME\"=\"Makkah\"\n"
              "\"TimeZone\"=dword:00000024\n"
              "[HKEY_CURRENT_USER\\Software\\Other]\n"
              "\"One\"=\"1\"\n"
              "[hkey_current_user\\software\\TALLIX TIME]\n"
              "\"Longitude\"=\"-83.1763\"\n"
              "\"latitude\"=\"21.4225\"\n"
              "\"cityName\"=\"Madinah\"\n");
    auto store = open();
    EXPECT_EQ(get(*store, kKey, QStringLiteral("CityName")), QStringLiteral("Madinah"));
    EXPECT_EQ(get(*store, kKey, QStringLiteral("Latitude")), QStringLiteral("21.4225"));
    EXPECT_EQ(get(*store, kKey, QStringLiteral("Longitude")), QStringLiteral("-83.1763"));
    EXPECT_TRUE(store->trouble().damagedCopy.isEmpty());
    ASSERT_EQ(store->setValue(kKey, QStringLiteral("Added"), REG_SZ, sz(QStringLiteral("x"))),
              ERROR_SUCCESS);
    EXPECT_EQ(body(), "\n[HKEY_CURRENT_USER\\Software\\Tallix Time]\n" + padding +
                          "\"cityName\"=\"Madinah\"\n"
                          "\"latitude\"=\"21.4225\"\n"
                          "\"TimeZone\"=dword:00000024\n"
                          "\"Longitude\"=\"-83.1763\"\n"
                          "\"Added\"=\"x\"\n"
                          "\n[HKEY_CURRENT_USER\\Software\\Other]\n"
                          "\"One\"=\"1\"\n");
}

INSTANTIATE_TEST_SUITE_P(FewAndMany, StoreTwice, ::testing::Values(0, 12));

// Values deleted, changed in another spelling and added again: each name still finds its own
// value, a change stays in its line, a value added again goes to the end of its key. In a key
// of a few values (searched one by one) and in one of more (found through its index).
class StoreChanges : public StoreNames, public ::testing::WithParamInterface<int> {};

TEST_P(StoreChanges, DeletionsAndChangesKeepEveryNameOnItsOwnValue) {
    auto store = open();
    const QString other = kKey + QStringLiteral("\\Other");
    QStringList names;
    for (int i = 0; i < GetParam(); ++i)
        names << QStringLiteral("Value%1").arg(QLatin1Char(char('A' + i)));
    const int last = int(names.size()) - 1, middle = int(names.size()) / 2 - 1;
    std::vector<platform::RegistryWrite> writes;
    for (const QString& name : names)
        writes.push_back({name, REG_SZ, sz(name.toLower())});
    ASSERT_EQ(store->setValues(kKey, writes), ERROR_SUCCESS);
    ASSERT_EQ(store->setValues(other, writes), ERROR_SUCCESS);

    // Deleted: the first, one in the middle and the last, each by another spelling.
    for (const QString& gone : {names[0].toUpper(), names[middle].toLower(), names[last]})
        ASSERT_EQ(store->deleteValue(kKey, gone), ERROR_SUCCESS) << qPrintable(gone);
    EXPECT_EQ(store->deleteValue(kKey, names[middle]), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(store->deleteValue(kKey, QStringLiteral("Nothing")), ERROR_FILE_NOT_FOUND);
    // Changed in another spelling: the stored spelling stays.
    ASSERT_EQ(store->setValue(kKey, names[middle + 2].toUpper(), REG_SZ, sz(QStringLiteral("!"))),
              ERROR_SUCCESS);
    ASSERT_EQ(store->setValue(kKey, names[last - 1].toLower(), REG_DWORD,
                              QByteArray("\x2a\0\0\0", 4)),
              ERROR_SUCCESS);
    // Added again in a spelling of its own, and a new one after it.
    const QString again = names[middle].toUpper();
    ASSERT_EQ(store->setValue(kKey, again, REG_SZ, sz(QStringLiteral("again"))), ERROR_SUCCESS);
    ASSERT_EQ(store->setValue(kKey, QStringLiteral("ValueZ"), REG_SZ, sz(QStringLiteral("z"))),
              ERROR_SUCCESS);

    QHash<QString, QString> now;
    for (const QString& name : names)
        now.insert(name, name.toLower());
    now[names[0]] = now[names[last]] = QStringLiteral("<none>");
    now[names[middle]] = QStringLiteral("again");
    now[names[middle + 2]] = QStringLiteral("!");
    now[names[last - 1]] = QString::fromUtf8("*\0\0", 3); // a DWORD less its last byte
    const auto check = [&](const char* when) {
        for (const QString& name : names) {
            EXPECT_EQ(get(*store, kKey, name.toUpper()), now.value(name))
                << when << ": " << qPrintable(name);
            EXPECT_EQ(get(*store, other, name), name.toLower())
                << when << ": " << qPrintable(name);
        }
        EXPECT_EQ(get(*store, kKey, QStringLiteral("valuez")), QStringLiteral("z")) << when;
    };
    check("changed");
    store = open();
    check("read again");
    // The file: the values left in their order, the one added again and the new one last.
    QByteArray expected = "\n[" + kKey.toUtf8() + "]\n";
    for (int i = 1; i < last; ++i) {
        if (i == middle)
            continue;
        expected += "\"" + names[i].toUtf8() + "\"=" +
                    (i == last - 1 ? QByteArray("dword:0000002a")
                                   : "\"" + now.value(names[i]).toUtf8() + "\"") +
                    "\n";
    }
    expected += "\"" + again.toUtf8() + "\"=\"again\"\n\"ValueZ\"=\"z\"\n";
    expected += "\n[" + other.toUtf8() + "]\n";
    for (const QString& name : names)
        expected += "\"" + name.toUtf8() + "\"=\"" + name.toLower().toUtf8() + "\"\n";
    EXPECT_EQ(body(), expected);
}

INSTANTIATE_TEST_SUITE_P(FewAndMany, StoreChanges, ::testing::Values(7, 10));

// A store of about a megabyte, many keys with many values each in names of mixed case: every
// value is found by its name in capitals, and a change of one value writes the file back as
// it was but for that line.
TEST_F(StoreNames, ALargeStoreKeepsItsOrderThroughAReadAndAWrite) {
    constexpr int kKeys = 200;
    constexpr int kValues = 100;
    const auto keyName = [&](int k) {
        return kKey + QStringLiteral("\\Place %1 Ünïcode").arg((k * 7919) % 100003);
    };
    const auto valueName = [](int k, int v) {
        // Not sorted in any way a map would keep: the file's own order must come back.
        return QStringLiteral("vAlUe-%1-ς-%2").arg((v * 37 + k) % 1009).arg(v);
    };
    QByteArray text = kHead;
    for (int k = 0; k < kKeys; ++k) {
        text += "\n[" + keyName(k).toUtf8() + "]\n";
        for (int v = 0; v < kValues; ++v)
            text += "\"" + valueName(k, v).toUtf8() + "\"=" +
                    (v % 3 == 0 ? "dword:" + QByteArray::number(k * kValues + v, 16)
                                                 .rightJustified(8, '0')
                                : "\"value " + QByteArray::number(k * kValues + v) + "\"") +
                    "\n";
    }
    writeFile(text);
    ASSERT_GT(text.size(), 512 * 1024);
    auto store = open();
    for (int k = 0; k < kKeys; ++k) {
        for (int v = 1; v < kValues; v += 3)
            ASSERT_EQ(get(*store, keyName(k).toUpper(), valueName(k, v).toUpper()),
                      QStringLiteral("value %1").arg(k * kValues + v))
                << k << " " << v;
    }
    const QString changedKey = keyName(kKeys / 2);
    const QString changedName = valueName(kKeys / 2, kValues / 2 + 2);
    ASSERT_EQ(store->setValue(changedKey.toLower(), changedName.toLower(), REG_SZ,
                              sz(QStringLiteral("changed"))),
              ERROR_SUCCESS);
    const QByteArray line = "\"" + changedName.toUtf8() + "\"=\"value " +
                            QByteArray::number((kKeys / 2) * kValues + kValues / 2 + 2) + "\"\n";
    ASSERT_EQ(text.count(line), 1);
    text.replace(line, "\"" + changedName.toUtf8() + "\"=\"changed\"\n");
    const QByteArray written = body();
    const QByteArray wanted = text.mid(kHead.size());
    qsizetype at = 0;
    while (at < written.size() && at < wanted.size() && written[at] == wanted[at])
        ++at;
    EXPECT_TRUE(written == wanted)
        << "the file's lines came back changed from byte " << at << ": "
        << written.mid(std::max<qsizetype>(0, at - 80), 160).toStdString() << "\n instead of "
        << wanted.mid(std::max<qsizetype>(0, at - 80), 160).toStdString();
}

// The store's index finds a name by its folded form: for every character, its folded form is
// the same name to QString::compare, and two characters that compare alike (among all those
// case touches, the only ones that can) fold alike.
TEST(StoreNameFolding, FoldedNamesAgreeWithCompareForEveryCharacter) {
    const auto text = [](char32_t c) { return QString::fromUcs4(&c, 1); };
    std::vector<char32_t> cased;
    for (char32_t c = 0; c <= 0x10FFFF; ++c) {
        if (QChar::isSurrogate(c))
            continue;
        const QString one = text(c);
        const QString folded = platform::FoldedName(one);
        ASSERT_EQ(one.compare(folded, Qt::CaseInsensitive), 0) << "U+" << std::hex << quint32(c);
        if (folded != one || QChar::toLower(c) != c || QChar::toUpper(c) != c ||
            QChar::toTitleCase(c) != c)
            for (const char32_t d : {c, QChar::toCaseFolded(c), QChar::toLower(c),
                                     QChar::toUpper(c), QChar::toTitleCase(c)})
                cased.push_back(d);
    }
    std::sort(cased.begin(), cased.end());
    cased.erase(std::unique(cased.begin(), cased.end()), cased.end());
    ASSERT_GT(cased.size(), 2000u);
    std::vector<QString> texts, folded;
    for (const char32_t c : cased) {
        texts.push_back(text(c));
        folded.push_back(platform::FoldedName(texts.back()));
    }
    int wrong = 0;
    for (std::size_t a = 0; a < cased.size(); ++a)
        for (std::size_t b = a + 1; b < cased.size(); ++b)
            if ((texts[a].compare(texts[b], Qt::CaseInsensitive) == 0) !=
                    (folded[a] == folded[b]) &&
                ++wrong <= 10)
                ADD_FAILURE() << "U+" << std::hex << quint32(cased[a]) << " and U+" << quint32(cased[b]);
    EXPECT_EQ(wrong, 0);
}

} // namespace
