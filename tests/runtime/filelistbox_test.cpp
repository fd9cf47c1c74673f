// The hidden file list box: patterns, case, order and folders that are not there.
#include "runtime/ErrObject.h"
#include "runtime/FileListBox.h"

#include <QDir>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QStringList listed(const FileListBox& box) {
    QStringList names;
    for (int i = 0; i < box.ListCount(); ++i)
        names.append(box.List(i));
    return names;
}

class FileListBoxTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        for (const char* name : {"b.wav", "A.WAV", "a.wav", "c.Wav", "d.wave", "e.wav.txt",
                                 ".hidden.wav", "x.bmp", "y.JPG", "z.gif", "noext", " lead.wav"})
            touch(dir_.filePath(QString::fromLatin1(name)));
        ASSERT_TRUE(QDir(dir_.path()).mkdir(QStringLiteral("folder.wav")));
        Err.Clear();
    }

    static void touch(const QString& path) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
        file.write("x");
    }

    QTemporaryDir dir_;
};

TEST_F(FileListBoxTest, ListsMatchingFilesSortedWithoutRegardToCase) {
    const struct {
        const char* pattern;
        QStringList names;
    } cases[] = {
        {"*.wav", {" lead.wav", "A.WAV", "a.wav", "b.wav", "c.Wav"}},
        {"*.bmp;*.gif;*.jpg", {"x.bmp", "y.JPG", "z.gif"}},
        {" *.GIF ; ;*.bmp", {"x.bmp", "z.gif"}},
        {"?.wav", {"A.WAV", "a.wav", "b.wav", "c.Wav"}},
        {"*.*",
         {" lead.wav", "A.WAV", "a.wav", "b.wav", "c.Wav", "d.wave", "e.wav.txt", "noext", "x.bmp",
          "y.JPG", "z.gif"}},
        {"*.png", {}},
    };
    FileListBox box;
    ASSERT_TRUE(box.SetPath(dir_.path()));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pattern);
        box.SetPattern(QString::fromLatin1(c.pattern));
        EXPECT_EQ(listed(box), c.names);
    }
    // The pattern may also come first, the folder second.
    FileListBox other;
    other.SetPattern(QStringLiteral("*.jpg"));
    ASSERT_TRUE(other.SetPath(dir_.path() + QStringLiteral("/")));
    EXPECT_EQ(listed(other), QStringList{"y.JPG"});
    EXPECT_EQ(other.Path(), QDir::cleanPath(dir_.path()));
}

TEST_F(FileListBoxTest, AFolderThatIsNotThereLeavesTheOldFolderAndList) {
    FileListBox box;
    box.SetPattern(QStringLiteral("*.bmp;*.gif;*.jpg"));
    ASSERT_TRUE(box.SetPath(dir_.path()));
    const QStringList before = listed(box);
    ASSERT_EQ(before.size(), 3);

    for (const QString& bad : {dir_.filePath(QStringLiteral("missing")),
                               dir_.filePath(QStringLiteral("x.bmp")), QString()}) {
        SCOPED_TRACE(bad.toStdString());
        Err.Clear();
        EXPECT_FALSE(box.SetPath(bad));
        EXPECT_EQ(Err.Number, vbErrPathNotFound);
        EXPECT_EQ(box.Path(), QDir::cleanPath(dir_.path()));
        EXPECT_EQ(listed(box), before);
    }

    // A file removed since is gone once the folder is listed again.
    ASSERT_TRUE(QFile::remove(dir_.filePath(QStringLiteral("x.bmp"))));
    box.Refresh();
    EXPECT_EQ(listed(box), (QStringList{"y.JPG", "z.gif"}));
}

TEST(FileListBox, PositionsOutsideTheListGiveNothing) {
    FileListBox box;
    EXPECT_EQ(box.ListCount(), 0);
    Err.Clear();
    EXPECT_EQ(box.List(0), QString());
    EXPECT_NE(Err.Number, 0);
    Err.Clear();
    EXPECT_EQ(box.List(-1), QString());
    EXPECT_NE(Err.Number, 0);
}

} // namespace
