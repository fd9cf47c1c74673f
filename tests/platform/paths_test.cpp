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
    const QByteArray savedConfig = qgetenv("XDG_CONFIG_HOME");
    const QByteArray savedRuntime = qgetenv("XDG_RUNTIME_DIR");
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
    qputenv("XDG_CONFIG_HOME", savedConfig);
    qputenv("XDG_RUNTIME_DIR", savedRuntime);
}

// The shared folder goes under a folder of the test's own: what /tmp holds does not matter.
TEST(Paths, ASharedFolderThatIsNotOursIsNotUsed) {
    QTemporaryDir home;
    QTemporaryDir shared;
    const QByteArray savedHome = qgetenv("HOME");
    const QByteArray savedRuntime = qgetenv("XDG_RUNTIME_DIR");
    qputenv("HOME", home.path().toLocal8Bit());
    qunsetenv("XDG_RUNTIME_DIR");
    platform::SetSharedFolderBase(shared.path());
    const QString ours = shared.path() + QStringLiteral("/tallix-time-%1").arg(::getuid());
    ::chmod(QFile::encodeName(home.path()).constData(), 0755);
    // Someone put a link where our folder belongs.
    ASSERT_TRUE(QFile::link(home.path(), ours));
    const QString dir = platform::RuntimeDir();
    QFile::remove(ours);
    EXPECT_NE(dir, ours);
    EXPECT_TRUE(dir.startsWith(home.path())) << qPrintable(dir);
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(home.path()).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0755u) << "the link's target was left as it was";
    // With nothing in the way the shared folder is made, private.
    EXPECT_EQ(platform::RuntimeDir(), ours);
    ASSERT_EQ(::stat(QFile::encodeName(ours).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    platform::SetSharedFolderBase(QString());
    qputenv("HOME", savedHome);
    qputenv("XDG_RUNTIME_DIR", savedRuntime);
}

// $XDG_RUNTIME_DIR is used only when it is the user's own folder and private.
TEST(Paths, ARuntimeFolderThatIsNotPrivateOrNotOursIsNotUsed) {
    QTemporaryDir runtime;
    QTemporaryDir shared;
    const QByteArray saved = qgetenv("XDG_RUNTIME_DIR");
    qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
    platform::SetSharedFolderBase(shared.path());
    const QString fallback = shared.path() + QStringLiteral("/tallix-time-%1").arg(::getuid());
    ::chmod(QFile::encodeName(runtime.path()).constData(), 0755);
    EXPECT_EQ(platform::RuntimeDir(), fallback) << "a folder others may enter";
    ::chmod(QFile::encodeName(runtime.path()).constData(), 0700);
    EXPECT_EQ(platform::RuntimeDir(), runtime.path() + QStringLiteral("/tallix-time"));
    if (::geteuid() == 0) {
        // Root owns every folder it makes: a folder of another user stands in.
        ASSERT_EQ(::chown(QFile::encodeName(runtime.path()).constData(), 65534, 65534), 0);
        EXPECT_EQ(platform::RuntimeDir(), fallback) << "a folder of another user";
    }
    platform::SetSharedFolderBase(QString());
    qputenv("XDG_RUNTIME_DIR", saved);
}

} // namespace
