// The registry wrappers over the per-user file store.
#include "core/mAPI.h"
#include "core/settings.h"
#include "fakes/fake_registry.h"
#include "platform/paths.h"
#include "platform/registry.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

const QString kKey = QStringLiteral("Software\\Tallix Time Test");

class RegistryFile : public ::testing::Test {
protected:
    void SetUp() override {
        // Each test gets an empty store in a folder of its own.
        qputenv("XDG_CONFIG_HOME", dir.path().toLocal8Bit());
        platform::InstallRegistryStore(nullptr);
    }
    void TearDown() override { platform::InstallRegistryStore(nullptr); }

    QString storeFile() const { return dir.path() + QStringLiteral("/tallix-time/registry.conf"); }
    QStringList asideFiles() const {
        return QDir(dir.path() + QStringLiteral("/tallix-time"))
            .entryList({QStringLiteral("registry.conf.*")}, QDir::Files);
    }
    bool keyExists(const QString& sub) {
        HKEY h = 0;
        const bool ok = RegOpenKeyExA(HKEY_CURRENT_USER, sub, 0, KEY_READ, &h) == ERROR_SUCCESS;
        if (ok)
            RegCloseKey(h);
        return ok;
    }
    void setRaw(const QString& name, DWORD type, const QByteArray& data) {
        HKEY h = 0;
        ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kKey, 0, {}, 0, KEY_ALL_ACCESS, nullptr, &h,
                                  nullptr),
                  ERROR_SUCCESS);
        ASSERT_EQ(RegSetValueExA(h, name, 0, type, data.constData(), DWORD(data.size())),
                  ERROR_SUCCESS);
        RegCloseKey(h);
    }

    QTemporaryDir dir;
};

TEST_F(RegistryFile, TextsRoundTripAndEmptyIsStoredAsOneBlank) {
    const QStringList texts = {QStringLiteral("Makkah"), QStringLiteral("C:\\x \"quoted\""),
                               QStringLiteral("two\nlines\tand tab"), QStringLiteral("مكة المكرمة"),
                               QStringLiteral(" ")};
    for (const QString& t : texts) {
        ASSERT_TRUE(RegSetString(kKey, QStringLiteral("Value"), t));
        EXPECT_EQ(RegGetString(kKey, QStringLiteral("Value")), t);
    }
    ASSERT_TRUE(RegSetString(kKey, QStringLiteral("Empty"), QString()));
    EXPECT_EQ(RegGetString(kKey, QStringLiteral("Empty")), QStringLiteral(" "));
    // Value names compare without regard to case, as on Windows.
    EXPECT_EQ(RegGetString(kKey.toUpper(), QStringLiteral("EMPTY")), QStringLiteral(" "));
    // The store is text a person can read.
    QFile f(storeFile());
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_TRUE(f.readAll().contains("\"Value\"=\" \""));
}

TEST_F(RegistryFile, MissingValuesReadEmptyAndTheReadCreatesTheKey) {
    const QString sub = QStringLiteral("Software\\Brand New");
    EXPECT_FALSE(keyExists(sub));
    EXPECT_EQ(RegGetString(sub, QStringLiteral("Nothing")), QString());
    EXPECT_TRUE(keyExists(sub));
    // A value holding only its terminator reads as empty too.
    setRaw(QStringLiteral("Terminator"), REG_SZ, QByteArray(1, '\0'));
    EXPECT_EQ(RegGetString(kKey, QStringLiteral("Terminator")), QString());
}

TEST_F(RegistryFile, DeleteNeedsAnExistingKeyAndValueAndCreatesNothing) {
    EXPECT_FALSE(RegDeleteValue(HKEY_CURRENT_USER, QStringLiteral("Software\\Nowhere"),
                                QStringLiteral("X")));
    EXPECT_FALSE(keyExists(QStringLiteral("Software\\Nowhere")));
    ASSERT_TRUE(RegSetString(kKey, QStringLiteral("X"), QStringLiteral("1")));
    EXPECT_FALSE(RegDeleteValue(HKEY_CURRENT_USER, kKey, QStringLiteral("Y")));
    EXPECT_TRUE(RegDeleteValue(HKEY_CURRENT_USER, kKey, QStringLiteral("X")));
    EXPECT_EQ(RegGetString(kKey, QStringLiteral("X")), QString());
    EXPECT_FALSE(RegDeleteValue(HKEY_CURRENT_USER, kKey, QStringLiteral("X")));
}

TEST_F(RegistryFile, DWordReadsByTypeAndSize) {
    const qint32 seven = 7, fortyTwo = 42;
    setRaw(QStringLiteral("Seven"), REG_DWORD,
           QByteArray(reinterpret_cast<const char*>(&seven), 4));
    setRaw(QStringLiteral("Default"), REG_DWORD,
           QByteArray(reinterpret_cast<const char*>(&fortyTwo), 4));
    ASSERT_TRUE(RegSetString(kKey, QStringLiteral("Long"), QStringLiteral("abcd")));
    ASSERT_TRUE(RegSetString(kKey, QStringLiteral("Short"), QStringLiteral("abc")));
    struct Case {
        const char* name;
        LONG expected;
    } cases[] = {{"Seven", 7},
                 {"Default", 42},
                 {"Long", 42}, // too long for 4 bytes
                 {"Short", 0},
                 {"Missing", 42}};
    for (const auto& c : cases)
        EXPECT_EQ(RegGetDWord(HKEY_CURRENT_USER, kKey, QString::fromLatin1(c.name), 42), c.expected)
            << c.name;
    EXPECT_EQ(RegGetDWord(HKEY_CURRENT_USER, QStringLiteral("Software\\Nowhere"),
                          QStringLiteral("Seven"), -5),
              -5);
}

TEST_F(RegistryFile, AValueWrittenByOneProcessIsReadByAnother) {
    ASSERT_TRUE(RegSetString(kKey, QStringLiteral("Shared"), QStringLiteral("parent")));
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // A store of its own, as another process has.
        auto store = platform::MakeFileRegistryStore(dir.path() + QStringLiteral("/tallix-time"),
                                                     dir.path() + QStringLiteral("/autostart"));
        QByteArray data = QByteArrayLiteral("child\0");
        data.resize(6);
        const LONG rc = store->setValue(QStringLiteral("HKEY_CURRENT_USER\\") + kKey,
                                        QStringLiteral("Shared"), REG_SZ, data);
        _exit(rc == ERROR_SUCCESS ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(RegGetString(kKey, QStringLiteral("Shared")), QStringLiteral("child"));
}

TEST_F(RegistryFile, ADamagedFileIsKeptAsideAndTheStoreStartsAfresh) {
    QDir().mkpath(dir.path() + QStringLiteral("/tallix-time"));
    const QByteArray garbage = "[HKEY_CURRENT_USER\\Software\\Tallix Time]\n\"AudioType0\"=\"1";
    {
        QFile f(storeFile());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(garbage);
    }
    EXPECT_EQ(RegGetString(kKey, QStringLiteral("AudioType0")), QString());
    const QStringList aside = asideFiles();
    ASSERT_EQ(aside.size(), 1);
    EXPECT_TRUE(aside[0].startsWith(QStringLiteral("registry.conf.damaged-")));
    QFile kept(dir.path() + QStringLiteral("/tallix-time/") + aside[0]);
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), garbage);
    // And the store works again.
    ASSERT_TRUE(RegSetString(kKey, QStringLiteral("After"), QStringLiteral("ok")));
    EXPECT_EQ(RegGetString(kKey, QStringLiteral("After")), QStringLiteral("ok"));
}

TEST_F(RegistryFile, RunKeyIsTheAutostartEntry) {
    const QString path = QStringLiteral("/opt/my apps/tallix \"time\"/tallix-time");
    ASSERT_TRUE(RegSetString(kRunKey, kRunValueName, path));
    QFile entry(dir.path() + QStringLiteral("/autostart/tallix-time.desktop"));
    ASSERT_TRUE(entry.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(entry.readAll());
    EXPECT_TRUE(text.startsWith(QStringLiteral("[Desktop Entry]\n")));
    EXPECT_TRUE(text.contains(QStringLiteral("\nName=Tallix Time\n"))) << qPrintable(text);
    EXPECT_TRUE(text.contains(
        QStringLiteral("Exec=\"/opt/my apps/tallix \\\\\"time\\\\\"/tallix-time\"\n")))
        << qPrintable(text);
    EXPECT_EQ(RegGetString(kRunKey, kRunValueName), path);
    EXPECT_TRUE(RegDeleteValue(HKEY_CURRENT_USER, kRunKey, kRunValueName));
    EXPECT_FALSE(entry.exists());
    EXPECT_FALSE(RegDeleteValue(HKEY_CURRENT_USER, kRunKey, kRunValueName));
}

TEST(RegistryExec, QuotingRoundTrips) {
    const QStringList paths = {QStringLiteral("/usr/bin/tallix-time"),
                               QStringLiteral("/home/a b/100% $HOME `x` \\ \"q\"/t")};
    for (const QString& p : paths)
        EXPECT_EQ(platform::UnquoteExecArgument(platform::QuoteExecArgument(p)), p);
}

TEST(RegistryFake, AFailedWriteLeavesTheOldValueWhole) {
    FakeRegistry fake;
    ASSERT_TRUE(RegSetString(kKey, QStringLiteral("City"), QStringLiteral("Makkah")));
    fake.failSet = true;
    EXPECT_FALSE(RegSetString(kKey, QStringLiteral("City"), QStringLiteral("Madinah")));
    EXPECT_EQ(RegGetString(kKey, QStringLiteral("City")), QStringLiteral("Makkah"));
}

TEST(RegistryFake, AStoreThatRefusesEverythingGivesEmptyAndFalse) {
    FakeRegistry fake;
    fake.failCreate = true;
    EXPECT_FALSE(RegSetString(kKey, QStringLiteral("City"), QStringLiteral("Makkah")));
    EXPECT_EQ(RegGetString(kKey, QStringLiteral("City")), QString());
    EXPECT_TRUE(fake.writes.isEmpty());
}

} // namespace
