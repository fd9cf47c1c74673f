// Where the per-user files go.
#include "platform/paths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

TEST(Paths, FoldersFollowTheEnvironmentAndArePrivate) {
    QTemporaryDir dir;
    qputenv("XDG_CONFIG_HOME", dir.path().toLocal8Bit());
    qputenv("XDG_RUNTIME_DIR", dir.path().toLocal8Bit());
    EXPECT_EQ(platform::ConfigDir(), dir.path() + QStringLiteral("/tallix-time"));
    EXPECT_EQ(platform::RuntimeDir(), dir.path() + QStringLiteral("/tallix-time"));
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(platform::RuntimeDir()).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    // A relative path is no XDG folder.
    qputenv("XDG_CONFIG_HOME", "relative/config");
    EXPECT_EQ(platform::ConfigHome(), QDir::homePath() + QStringLiteral("/.config"));
}

TEST(Paths, ASharedFolderThatIsNotOursIsNotUsed) {
    QTemporaryDir home;
    qputenv("HOME", home.path().toLocal8Bit());
    qunsetenv("XDG_RUNTIME_DIR");
    const QString shared = QStringLiteral("/tmp/tallix-time-%1").arg(::getuid());
    if (QFileInfo::exists(shared) || QFileInfo(shared).isSymLink())
        GTEST_SKIP() << "a copy of the program may be using " << qPrintable(shared);
    ::chmod(QFile::encodeName(home.path()).constData(), 0755);
    // Someone put a link where our folder belongs.
    ASSERT_TRUE(QFile::link(home.path(), shared));
    const QString dir = platform::RuntimeDir();
    QFile::remove(shared);
    EXPECT_NE(dir, shared);
    EXPECT_TRUE(dir.startsWith(home.path())) << qPrintable(dir);
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(home.path()).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0755u) << "the link's target was left as it was";
}

} // namespace
