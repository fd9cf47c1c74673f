// The settings file store under what a desktop does to it: damage, folders and files it may
// not write, links, several copies at once, and a large file.
#include "fakes/child_process.h"
#include "platform/registry.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

const QString kKey = QStringLiteral("HKEY_CURRENT_USER\\Software\\Tallix Time");

QByteArray sz(const QString& text) {
    return text.toUtf8() + '\0';
}

class Store : public ::testing::Test {
protected:
    QString folder() const { return dir.path() + QStringLiteral("/tallix-time"); }
    QString file() const { return folder() + QStringLiteral("/registry.conf"); }
    std::unique_ptr<platform::RegistryStore> open() const {
        return platform::MakeFileRegistryStore(folder(), dir.path() + QStringLiteral("/autostart"));
    }
    static QString get(platform::RegistryStore& s, const QString& name) {
        DWORD type = 0;
        QByteArray data;
        if (s.queryValue(kKey, name, &type, &data) != ERROR_SUCCESS)
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
    QByteArray readFile(const QString& path) const {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
    }
    QStringList aside(const QString& pattern) const {
        return QDir(folder()).entryList({pattern}, QDir::Files);
    }

    QTemporaryDir dir;
};

const QByteArray kDamaged = "; settings\n"
                            "[HKEY_CURRENT_USER\\Software\\Tallix Time]\n"
                            "\"CityName\"=\"Dearborn\"\n"
                            "\"AudioType0\"=\"1\n" // the closing quote is gone
                            "\"Latitude\"=\"42.3223\"\n"
                            "garbage that is no line of ours\n"
                            "\"Longitude\"=\"-83.1763\"\n";

// A bad line costs that value only; the file as it was is kept beside it and the user is told
// which values were left out.
TEST_F(Store, ABadLineCostsThatValueOnlyAndACopyIsKept) {
    writeFile(kDamaged);
    auto store = open();
    EXPECT_EQ(get(*store, QStringLiteral("CityName")), QStringLiteral("Dearborn"));
    EXPECT_EQ(get(*store, QStringLiteral("Latitude")), QStringLiteral("42.3223"));
    EXPECT_EQ(get(*store, QStringLiteral("Longitude")), QStringLiteral("-83.1763"));
    EXPECT_EQ(get(*store, QStringLiteral("AudioType0")), QStringLiteral("<none>"));
    const QStringList copies = aside(QStringLiteral("registry.conf.damaged-*"));
    ASSERT_EQ(copies.size(), 1);
    EXPECT_EQ(readFile(folder() + u'/' + copies[0]), kDamaged);
    const platform::RegistryStoreTrouble trouble = store->trouble();
    EXPECT_EQ(trouble.damagedCopy, folder() + u'/' + copies[0]);
    EXPECT_EQ(trouble.lostValues,
              (QStringList{QStringLiteral("AudioType0"), QStringLiteral("line 6")}));
    EXPECT_TRUE(trouble.unsaved.isEmpty());
    // The file now holds what could be read, and another copy finds nothing more to report.
    auto again = open();
    EXPECT_EQ(get(*again, QStringLiteral("Longitude")), QStringLiteral("-83.1763"));
    EXPECT_TRUE(again->trouble().damagedCopy.isEmpty());
    EXPECT_EQ(aside(QStringLiteral("registry.conf.damaged-*")).size(), 1);
}

// A damaged file in a folder we may not write (nothing can be put aside) must neither hang
// the process on its own lock nor be written over; the store goes on in memory and says why.
TEST_F(Store, ADamagedFileThatCannotBePutAsideNeitherHangsNorIsWrittenOver) {
    writeFile("[HKEY_CURRENT_USER\\Software\\Tallix Time]\n\"AudioType0\"=\"1\n");
    QFile lock(folder() + QStringLiteral("/registry.lock"));
    ASSERT_TRUE(lock.open(QIODevice::WriteOnly));
    lock.close();
    GiveToOrdinaryUser(dir.path());
    ASSERT_EQ(::chmod(QFile::encodeName(folder()).constData(), 0555), 0);
    const int rc = RunInChild(
        [&] {
            auto store = open();
            if (store->setValue(kKey, QStringLiteral("CityName"), REG_SZ,
                                sz(QStringLiteral("Madinah"))) != ERROR_SUCCESS)
                return 2;
            if (get(*store, QStringLiteral("CityName")) != QStringLiteral("Madinah"))
                return 3;
            return store->trouble().unsaved.isEmpty() ? 4 : 0;
        },
        10000, true);
    ::chmod(QFile::encodeName(folder()).constData(), 0755);
    EXPECT_NE(rc, -1) << "the process waited on its own lock";
    EXPECT_EQ(rc, 0);
    EXPECT_EQ(readFile(file()), "[HKEY_CURRENT_USER\\Software\\Tallix Time]\n\"AudioType0\"=\"1\n");
}

// A store that is a folder, or a settings folder that is read-only: the values work for the
// session, the reason is given, and nothing on disk is replaced.
TEST_F(Store, AStoreThatCannotBeUsedLivesInMemoryAndSaysWhy) {
    QDir().mkpath(file()); // the store's name is taken by a folder
    {
        auto store = open();
        EXPECT_EQ(get(*store, QStringLiteral("CityName")), QStringLiteral("<none>"));
        EXPECT_EQ(
            store->setValue(kKey, QStringLiteral("CityName"), REG_SZ, sz(QStringLiteral("Makkah"))),
            ERROR_SUCCESS);
        EXPECT_EQ(get(*store, QStringLiteral("CityName")), QStringLiteral("Makkah"));
        EXPECT_TRUE(store->trouble().unsaved.contains(QStringLiteral("is a folder")))
            << qPrintable(store->trouble().unsaved);
        EXPECT_TRUE(QFileInfo(file()).isDir());
    }
    QDir(file()).removeRecursively();

    // A read-only settings folder with a good store in it: its values are read, a change is
    // kept for the session, and the file stays as it was.
    const QByteArray good =
        "[HKEY_CURRENT_USER\\Software\\Tallix Time]\n\"CityName\"=\"Dearborn\"\n";
    writeFile(good);
    GiveToOrdinaryUser(dir.path());
    ASSERT_EQ(::chmod(QFile::encodeName(folder()).constData(), 0555), 0);
    const int rc = RunInChild(
        [&] {
            auto store = open();
            if (get(*store, QStringLiteral("CityName")) != QStringLiteral("Dearborn"))
                return 2;
            store->setValue(kKey, QStringLiteral("Latitude"), REG_SZ, sz(QStringLiteral("1.5")));
            if (get(*store, QStringLiteral("Latitude")) != QStringLiteral("1.5") ||
                get(*store, QStringLiteral("CityName")) != QStringLiteral("Dearborn"))
                return 3;
            return store->trouble().unsaved.isEmpty() ? 4 : 0;
        },
        10000, true);
    ::chmod(QFile::encodeName(folder()).constData(), 0755);
    EXPECT_EQ(rc, 0);
    EXPECT_EQ(readFile(file()), good);
}

// A link is written through: its target keeps being the store.
TEST_F(Store, ALinkIsWrittenThrough) {
    QDir().mkpath(folder());
    // The user keeps the file elsewhere (with other dotfiles, say) and links to it.
    const QString target = dir.path() + QStringLiteral("/elsewhere/my-settings.conf");
    QDir().mkpath(QFileInfo(target).absolutePath());
    {
        QFile f(target);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("[HKEY_CURRENT_USER\\Software\\Tallix Time]\n\"CityName\"=\"Makkah\"\n");
    }
    ASSERT_TRUE(QFile::link(target, file()));
    {
        auto store = open();
        ASSERT_EQ(store->setValue(kKey, QStringLiteral("CityName"), REG_SZ,
                                  sz(QStringLiteral("Dearborn"))),
                  ERROR_SUCCESS);
    }
    EXPECT_TRUE(QFileInfo(file()).isSymLink());
    EXPECT_TRUE(readFile(target).contains("\"CityName\"=\"Dearborn\""));
    {
        auto store = open();
        EXPECT_EQ(get(*store, QStringLiteral("CityName")), QStringLiteral("Dearborn"));
        store->setValue(kKey, QStringLiteral("CityName"), REG_SZ, sz(QStringLiteral("Makkah")));
        EXPECT_EQ(get(*store, QStringLiteral("CityName")), QStringLiteral("Makkah"));
    }
    EXPECT_TRUE(QFileInfo(file()).isSymLink());
    EXPECT_TRUE(readFile(target).contains("\"CityName\"=\"Makkah\""));
}

// A read-only file is not replaced behind the user's back: the change lasts the session and the
// reason is given.
TEST_F(Store, AReadOnlyFileIsLeftAloneAndTheReasonGiven) {
    const QByteArray good =
        "[HKEY_CURRENT_USER\\Software\\Tallix Time]\n\"CityName\"=\"Dearborn\"\n";
    writeFile(good);
    ASSERT_EQ(::chmod(QFile::encodeName(file()).constData(), 0444), 0);
    auto store = open();
    store->setValue(kKey, QStringLiteral("CityName"), REG_SZ, sz(QStringLiteral("Makkah")));
    EXPECT_EQ(get(*store, QStringLiteral("CityName")), QStringLiteral("Makkah"));
    EXPECT_TRUE(store->trouble().unsaved.contains(QStringLiteral("read-only")))
        << qPrintable(store->trouble().unsaved);
    EXPECT_EQ(readFile(file()), good);
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(file()).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0444u);
}

// Reads do not parse the file again while it has not changed; a change by another process is
// seen at once.
TEST_F(Store, EachVersionOfTheFileIsParsedOnce) {
    QByteArray big = "[HKEY_CURRENT_USER\\Software\\Tallix Time]\n\"Big\"=\"";
    big += QByteArray(1 << 20, 'x');
    big += "\"\n\"CityName\"=\"Dearborn\"\n";
    writeFile(big);
    auto store = open();
    const int before = platform::RegistryParseCount();
    for (int i = 0; i < 300; ++i)
        ASSERT_EQ(get(*store, QStringLiteral("CityName")), QStringLiteral("Dearborn"));
    EXPECT_LE(platform::RegistryParseCount() - before, 1);
    // Our own change needs no new parse either.
    store->setValue(kKey, QStringLiteral("CityName"), REG_SZ, sz(QStringLiteral("Makkah")));
    EXPECT_EQ(get(*store, QStringLiteral("CityName")), QStringLiteral("Makkah"));
    EXPECT_LE(platform::RegistryParseCount() - before, 1);
    // Another process's change is read.
    auto other = open();
    other->setValue(kKey, QStringLiteral("CityName"), REG_SZ, sz(QStringLiteral("Madinah")));
    EXPECT_EQ(get(*store, QStringLiteral("CityName")), QStringLiteral("Madinah"));
}

// Two copies write while a third reads, each with its own store as separate processes have:
// no write is lost and the reader never finds the store empty.
TEST_F(Store, TwoWritersAndAReaderLoseNothing) {
    constexpr int kRounds = 200;
    {
        auto store = open();
        store->setValue(kKey, QStringLiteral("Anchor"), REG_SZ, sz(QStringLiteral("kept")));
    }
    const auto writer = [&](const QString& prefix) {
        return [&, prefix] {
            auto store = open();
            for (int i = 0; i < kRounds; ++i) {
                const QString name = prefix + QString::number(i % 20);
                if (store->setValue(kKey, name, REG_SZ, sz(QString::number(i))) != ERROR_SUCCESS)
                    return 2;
                if (get(*store, name) != QString::number(i))
                    return 3;
            }
            return 0;
        };
    };
    const QString done = dir.path() + QStringLiteral("/writers-done");
    const pid_t self = ::getpid();
    std::vector<pid_t> children;
    for (int which = 0; which < 3; ++which) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            int rc = 0;
            if (which < 2) {
                rc = writer(which == 0 ? QStringLiteral("A") : QStringLiteral("B"))();
            } else {
                // Reads for as long as the writers write.
                auto store = open();
                QElapsedTimer t;
                t.start();
                while (rc == 0 && !QFile::exists(done) && t.elapsed() < 60000)
                    if (get(*store, QStringLiteral("Anchor")) != QStringLiteral("kept"))
                        rc = 4;
            }
            ::_exit(rc);
        }
        children.push_back(child);
    }
    ASSERT_EQ(::getpid(), self);
    for (pid_t child : children) {
        if (child == children.back()) {
            QFile marker(done);
            ASSERT_TRUE(marker.open(QIODevice::WriteOnly));
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status)) << "a process died";
        EXPECT_EQ(WEXITSTATUS(status), 0) << "2, 3: a write failed or was lost; 4: the reader "
                                             "found the store without its values";
    }
    auto store = open();
    EXPECT_EQ(get(*store, QStringLiteral("Anchor")), QStringLiteral("kept"));
    for (const char* prefix : {"A", "B"})
        for (int n = 0; n < 20; ++n)
            EXPECT_EQ(get(*store, QString::fromLatin1(prefix) + QString::number(n)),
                      QString::number(kRounds - 20 + n))
                << prefix << n;
    EXPECT_TRUE(aside(QStringLiteral("*damaged*")).isEmpty());
}

} // namespace
