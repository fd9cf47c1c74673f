// What else a desktop may leave under the settings store's names: a named pipe, a socket, a
// device or a folder where the store, or one of its copies, goes. Nothing waits on it, nothing
// is written over it, and the store says what is there.
#include "fakes/child_process.h"
#include "platform/registry.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <cstring>
#include <gtest/gtest.h>
#include <ostream>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <tuple>
#include <unistd.h>

namespace {

const QString kKey = QStringLiteral("HKEY_CURRENT_USER\\Software\\Tallix Time");
const QByteArray kGood = "; settings\n"
                         "[HKEY_CURRENT_USER\\Software\\Tallix Time]\n"
                         "\"CityName\"=\"Dearborn\"\n";
const QByteArray kDamaged = kGood + "garbage that is no line of ours\n";

enum class Kind { Fifo, Socket, Device, Folder };

struct KindCase {
    const char* name;
    Kind kind;
    const char* said; // what the store says is there
};

enum class Where { Store, DamagedCopy, CopyBeforeReset };

void PrintTo(const KindCase& c, std::ostream* os) {
    *os << c.name;
}

void PrintTo(Where where, std::ostream* os) {
    static const char* const names[] = {"the store", "a damaged copy", "a copy before a reset"};
    *os << names[int(where)];
}

// Makes one of those at the path.
bool make(Kind kind, const QString& path) {
    const QByteArray p = QFile::encodeName(path);
    switch (kind) {
    case Kind::Fifo:
        return ::mkfifo(p.constData(), 0600) == 0;
    case Kind::Socket: {
        sockaddr_un addr{};
        addr.sun_family = AF_UNIX;
        if (size_t(p.size()) >= sizeof addr.sun_path)
            return false;
        std::memcpy(addr.sun_path, p.constData(), size_t(p.size()));
        const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        const bool bound =
            fd >= 0 && ::bind(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) == 0;
        if (fd >= 0)
            ::close(fd);
        return bound;
    }
    case Kind::Device:
        return ::symlink("/dev/null", p.constData()) == 0;
    case Kind::Folder:
        return ::mkdir(p.constData(), 0700) == 0;
    }
    return false;
}

// Whether the path still is what make() put there.
bool still(Kind kind, const QString& path) {
    struct stat st {};
    if (::lstat(QFile::encodeName(path).constData(), &st) != 0)
        return false;
    switch (kind) {
    case Kind::Fifo:
        return S_ISFIFO(st.st_mode);
    case Kind::Socket:
        return S_ISSOCK(st.st_mode);
    case Kind::Device:
        return S_ISLNK(st.st_mode) && QFile::symLinkTarget(path) == QStringLiteral("/dev/null");
    case Kind::Folder:
        return S_ISDIR(st.st_mode);
    }
    return false;
}

bool isPlainFile(const QString& path) {
    struct stat st {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 && S_ISREG(st.st_mode);
}

QByteArray read(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

QString get(platform::RegistryStore& s, const QString& name) {
    DWORD type = 0;
    QByteArray data;
    if (s.queryValue(kKey, name, &type, &data) != ERROR_SUCCESS)
        return QStringLiteral("<none>");
    data.chop(1);
    return QString::fromUtf8(data);
}

class SomethingElseAtAName : public ::testing::TestWithParam<std::tuple<KindCase, Where>> {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        ASSERT_TRUE(QDir().mkpath(folder()));
    }
    QString folder() const { return dir.path() + QStringLiteral("/tallix-time"); }
    QString file() const { return folder() + QStringLiteral("/registry.conf"); }
    std::unique_ptr<platform::RegistryStore> open() const {
        return platform::MakeFileRegistryStore(folder(), dir.path() + QStringLiteral("/autostart"));
    }
    // Every name a copy with that tag made in the next seconds could have.
    static QStringList copyNames(const QString& tag) {
        QStringList names;
        const QDateTime now = QDateTime::currentDateTime();
        for (int ms = -100; ms < 6000; ++ms)
            names << QStringLiteral("registry.conf.") + tag + u'-' +
                         now.addMSecs(ms).toString(QStringLiteral("yyyyMMdd-HHmmss-zzz"));
        return names;
    }

    QTemporaryDir dir;
};

// In place of the store: the values live for the session, the reason names what is there, a
// copy before a reset finds nothing to copy, and the thing itself stays as it was. In place of
// a copy: the copy goes under a free name, with the store's bytes, and the thing stays.
TEST_P(SomethingElseAtAName, IsNeitherWaitedOnNorWrittenOver) {
    const auto& [k, where] = GetParam();
    if (where == Where::Store) {
        ASSERT_TRUE(make(k.kind, file()));
        const int rc = RunInChild(
            [&] {
                auto store = open();
                if (get(*store, QStringLiteral("CityName")) != QStringLiteral("<none>"))
                    return 2;
                QByteArray makkah = "Makkah";
                makkah.append('\0');
                if (store->setValue(kKey, QStringLiteral("CityName"), REG_SZ, makkah) !=
                        ERROR_SUCCESS ||
                    get(*store, QStringLiteral("CityName")) != QStringLiteral("Makkah"))
                    return 3;
                if (!store->trouble().unsaved.contains(QLatin1String(k.said))) {
                    std::fprintf(stderr, "said: %s\n", qPrintable(store->trouble().unsaved));
                    return 4;
                }
                return store->backup(QStringLiteral("before-reset")).isEmpty() ? 0 : 5;
            },
            30000);
        EXPECT_EQ(rc, 0) << "-1: the store waited on it; 3: a change was lost; 4: the reason "
                            "does not say what is there; 5: a copy was made of it";
        EXPECT_TRUE(still(k.kind, file()));
        EXPECT_EQ(QDir(folder()).entryList({QStringLiteral("registry.conf?*")},
                                           QDir::AllEntries | QDir::System),
                  QStringList());
        return;
    }
    const bool damaged = where == Where::DamagedCopy;
    const QByteArray before = damaged ? kDamaged : kGood;
    QFile f(file());
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(before);
    f.close();
    const QStringList names =
        copyNames(damaged ? QStringLiteral("damaged") : QStringLiteral("before-reset"));
    for (const QString& name : names)
        ASSERT_TRUE(make(k.kind, folder() + u'/' + name)) << qPrintable(name);
    const int rc = RunInChild(
        [&] {
            auto store = open();
            QString copy;
            if (damaged) {
                bool created = false;
                store->createKey(kKey, &created);
                copy = store->trouble().damagedCopy;
            } else {
                copy = store->backup(QStringLiteral("before-reset"));
            }
            if (copy.isEmpty())
                return 2;
            return isPlainFile(copy) && read(copy) == before ? 0 : 3;
        },
        30000);
    EXPECT_EQ(rc, 0) << "-1: the store waited on it; 2: no copy was kept; 3: the copy is not "
                        "the store as it was";
    qsizetype replaced = 0;
    for (const QString& name : names)
        replaced += still(k.kind, folder() + u'/' + name) ? 0 : 1;
    EXPECT_EQ(replaced, 0) << "what was at a copy's name is gone";
}

std::string caseName(const ::testing::TestParamInfo<std::tuple<KindCase, Where>>& info) {
    static const char* const where[] = {"AtTheStore", "AtTheDamagedCopy", "AtTheCopyBeforeReset"};
    return std::string(std::get<0>(info.param).name) + where[int(std::get<1>(info.param))];
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, SomethingElseAtAName,
    ::testing::Combine(
        ::testing::Values(KindCase{"NamedPipe", Kind::Fifo, "is a named pipe, not a regular file"},
                          KindCase{"Socket", Kind::Socket, "is a socket, not a regular file"},
                          KindCase{"LinkToDevNull", Kind::Device,
                                   "is a device, not a regular file"},
                          KindCase{"Folder", Kind::Folder, "is a folder, not a regular file"}),
        ::testing::Values(Where::Store, Where::DamagedCopy, Where::CopyBeforeReset)),
    caseName);

// The lock every writer takes: a named pipe there is not waited on either; the change lives
// for the session and the store says why.
TEST(StoreLock, ANamedPipeAsTheLockIsNotWaitedOn) {
    QTemporaryDir dir;
    const QString folder = dir.path() + QStringLiteral("/tallix-time");
    ASSERT_TRUE(QDir().mkpath(folder));
    QFile f(folder + QStringLiteral("/registry.conf"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(kGood);
    f.close();
    ASSERT_TRUE(make(Kind::Fifo, folder + QStringLiteral("/registry.lock")));
    const int rc = RunInChild(
        [&] {
            auto store =
                platform::MakeFileRegistryStore(folder, dir.path() + QStringLiteral("/autostart"));
            QByteArray makkah = "Makkah";
            makkah.append('\0');
            if (store->setValue(kKey, QStringLiteral("CityName"), REG_SZ, makkah) !=
                    ERROR_SUCCESS ||
                get(*store, QStringLiteral("CityName")) != QStringLiteral("Makkah"))
                return 2;
            return store->trouble().unsaved.contains(QStringLiteral("is a named pipe")) ? 0 : 3;
        },
        30000);
    EXPECT_EQ(rc, 0) << "-1: the store waited on its lock";
    EXPECT_EQ(read(folder + QStringLiteral("/registry.conf")), kGood);
}

} // namespace
