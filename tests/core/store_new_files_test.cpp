// The settings store's new files, made beside the file they replace or copy: a link someone
// planted under a name the store could take is never followed and never becomes the store, a
// replaced store keeps the permissions its user gave it, and what a killed writer left behind
// goes with the next write.
#include "platform/registry.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>
#include <ostream>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString kKey = QStringLiteral("HKEY_CURRENT_USER\\Software\\Tallix Time");
const QByteArray kGood = "; settings\n"
                         "[HKEY_CURRENT_USER\\Software\\Tallix Time]\n"
                         "\"CityName\"=\"Dearborn\"\n";
const QByteArray kDamaged = "; settings\n"
                            "[HKEY_CURRENT_USER\\Software\\Tallix Time]\n"
                            "\"CityName\"=\"Dearborn\"\n"
                            "garbage that is no line of ours\n";
const QByteArray kVictim = "somebody else's file\n";

class StoreFiles : public ::testing::Test {
protected:
    QString folder() const { return dir.path() + QStringLiteral("/tallix-time"); }
    QString file() const { return folder() + QStringLiteral("/registry.conf"); }
    QString victim() const { return dir.path() + QStringLiteral("/elsewhere/victim"); }
    std::unique_ptr<platform::RegistryStore> open() const {
        return platform::MakeFileRegistryStore(folder(), dir.path() + QStringLiteral("/autostart"));
    }
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        ASSERT_TRUE(QDir().mkpath(folder()));
        ASSERT_TRUE(QDir().mkpath(QFileInfo(victim()).absolutePath()));
        write(victim(), kVictim);
    }
    static void write(const QString& path, const QByteArray& content) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(content);
    }
    static QByteArray read(const QString& path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
    }
    static bool isPlainFile(const QString& path) {
        struct stat st {};
        return ::lstat(QFile::encodeName(path).constData(), &st) == 0 && S_ISREG(st.st_mode);
    }
    // Links to the victim under each name; false when one cannot be made.
    bool plant(const QStringList& names) const {
        for (const QString& name : names)
            if (::symlink(QFile::encodeName(victim()).constData(),
                          QFile::encodeName(folder() + u'/' + name).constData()) != 0)
                return false;
        return true;
    }
    // What a writer of this process could have named its new file or copy: the process id
    // after the file's name, and a copy's time stamp for every millisecond of the next seconds.
    static QStringList guessedNames(const QString& copyTag) {
        const QString pid = QString::number(::getpid());
        if (copyTag.isEmpty())
            return {QStringLiteral("registry.conf.tmp-") + pid};
        QStringList names;
        const QDateTime now = QDateTime::currentDateTime();
        for (int ms = -100; ms < 6000; ++ms) {
            const QString copy = QStringLiteral("registry.conf.") + copyTag + u'-' +
                                 now.addMSecs(ms).toString(QStringLiteral("yyyyMMdd-HHmmss-zzz"));
            names << copy << copy + QStringLiteral(".tmp-") + pid;
        }
        return names;
    }

    QTemporaryDir dir;
};

struct PlantedCase {
    const char* name;
    const char* copyTag; // "" for the store itself
    QByteArray before;   // the store as the writer finds it
    // Makes the store write; gives the file it wrote (the store or its copy).
    std::function<QString(platform::RegistryStore&, const QString& file)> write;
};

void PrintTo(const PlantedCase& c, std::ostream* os) {
    *os << c.name;
}

class PlantedLink : public StoreFiles, public ::testing::WithParamInterface<PlantedCase> {};

// The link planted where the store, a copy of a damaged store or the copy kept before a reset
// would once have been written first: the link's target keeps its content, and the store (or
// the copy) is a plain file of its own with what was written.
TEST_P(PlantedLink, IsNeverFollowedNorBecomesTheStore) {
    const PlantedCase& c = GetParam();
    write(file(), c.before);
    ASSERT_TRUE(plant(guessedNames(QString::fromLatin1(c.copyTag))));
    auto store = open();
    const QString written = c.write(*store, file());
    ASSERT_FALSE(written.isEmpty());
    EXPECT_EQ(read(victim()), kVictim);
    EXPECT_TRUE(isPlainFile(victim()));
    EXPECT_TRUE(isPlainFile(file())) << "the store became a link";
    EXPECT_TRUE(isPlainFile(written)) << qPrintable(written);
    EXPECT_TRUE(read(file()).contains("\"CityName\"=\"")) << read(file()).constData();
    if (*c.copyTag)
        EXPECT_EQ(read(written), c.before);
    else
        EXPECT_TRUE(read(file()).contains("\"CityName\"=\"Makkah\""));
}

INSTANTIATE_TEST_SUITE_P(
    Writers, PlantedLink,
    ::testing::Values(PlantedCase{"Store", "", kGood,
                                  [](platform::RegistryStore& s, const QString& file) {
                                      QByteArray data = "Makkah";
                                      data.append('\0');
                                      return s.setValue(kKey, QStringLiteral("CityName"), REG_SZ,
                                                        data) == ERROR_SUCCESS
                                                 ? file
                                                 : QString();
                                  }},
                      PlantedCase{"DamagedCopy", "damaged", kDamaged,
                                  [](platform::RegistryStore& s, const QString&) {
                                      bool created = false;
                                      s.createKey(kKey, &created);
                                      return s.trouble().damagedCopy;
                                  }},
                      PlantedCase{"CopyBeforeReset", "before-reset", kGood,
                                  [](platform::RegistryStore& s, const QString&) {
                                      return s.backup(QStringLiteral("before-reset"));
                                  }}),
    [](const auto& info) { return std::string(info.param.name); });

// A store its user made readable to a group, to everyone, or to none but the user keeps that
// after each save.
class StoreMode : public StoreFiles, public ::testing::WithParamInterface<mode_t> {};

TEST_P(StoreMode, IsKeptThroughASave) {
    write(file(), kGood);
    ASSERT_EQ(::chmod(QFile::encodeName(file()).constData(), GetParam()), 0);
    auto store = open();
    for (const char* city : {"Makkah", "Jakarta"}) {
        QByteArray data(city);
        data.append('\0');
        ASSERT_EQ(store->setValue(kKey, QStringLiteral("CityName"), REG_SZ, data), ERROR_SUCCESS);
        EXPECT_TRUE(read(file()).contains(data.chopped(1)));
        struct stat st {};
        ASSERT_EQ(::stat(QFile::encodeName(file()).constData(), &st), 0);
        EXPECT_EQ(st.st_mode & 07777, GetParam()) << city;
    }
}

INSTANTIATE_TEST_SUITE_P(Modes, StoreMode,
                         ::testing::Values(mode_t(0640), mode_t(0600), mode_t(0644)));

// A writer killed between making its new file (or a copy's) and the rename leaves it behind,
// under a name no other process predicts; the next writer, holding the lock, removes each, and
// the user's own files beside the store stay.
TEST_F(StoreFiles, WhatKilledWritersLeftGoesWithTheNextWrite) {
    write(file(), kGood);
    const QStringList left{QStringLiteral("registry.conf.tmp-1x9k2q0z7"),
                           QStringLiteral("registry.conf.tmp-4194303"),
                           QStringLiteral("registry.conf.damaged-20240310-123100-000.tmp-q8w7")};
    for (const QString& name : left)
        write(folder() + u'/' + name, "half a file");
    const QStringList kept{QStringLiteral("registry.conf.before-reset-20240310-123100-000"),
                           QStringLiteral("registry.conf.mine")};
    for (const QString& name : kept)
        write(folder() + u'/' + name, kGood);
    ASSERT_TRUE(plant({QStringLiteral("registry.conf.tmp-planted")}));
    auto store = open();
    QByteArray data = "Makkah";
    data.append('\0');
    ASSERT_EQ(store->setValue(kKey, QStringLiteral("CityName"), REG_SZ, data), ERROR_SUCCESS);
    QStringList expected = kept;
    expected << QStringLiteral("registry.conf") << QStringLiteral("registry.lock");
    expected.sort();
    EXPECT_EQ(QDir(folder()).entryList(QDir::Files | QDir::System | QDir::Hidden, QDir::Name),
              expected);
    EXPECT_EQ(read(victim()), kVictim);
}

} // namespace
