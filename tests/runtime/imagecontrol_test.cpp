// Pictures loaded from files and resources, their handles, the image control and image lists.
#include "platform/icons.h"
#include "runtime/App.h"
#include "runtime/ErrObject.h"
#include "runtime/ImageControl.h"

#include <QApplication>
#include <QFile>
#include <QImage>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <optional>
#include <sys/stat.h>

namespace {

// The smallest GIF: one pixel (Qt reads GIF but cannot write it).
const QByteArray kOnePixelGif = QByteArray::fromHex(
    "47494638396101000100800000ffffff00000021f90401000000002c00000000010001000002024401003b");

class PictureFiles : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir_.isValid()); }

    QString save(const char* name, const char* format, QSize size) {
        QImage image(size, QImage::Format_RGB32);
        image.fill(Qt::darkGreen);
        const QString path = dir_.filePath(QString::fromLatin1(name));
        EXPECT_TRUE(image.save(path, format)) << name;
        return path;
    }
    QString write(const char* name, const QByteArray& bytes) {
        const QString path = dir_.filePath(QString::fromLatin1(name));
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path;
    }

    QTemporaryDir dir_;
};

TEST_F(PictureFiles, LoadsPicturesAndReportsWhatCannotBeLoaded) {
    const struct {
        const char* what;
        QString path;
        QSize size; // empty: the load fails
        long err;
    } cases[] = {
        {"bmp", save("p.bmp", "BMP", {7, 5}), {7, 5}, 0},
        {"jpg", save("p.jpg", "JPG", {9, 4}), {9, 4}, 0},
        {"png", save("p.png", "PNG", {3, 8}), {3, 8}, 0},
        {"gif", write("p.gif", kOnePixelGif), {1, 1}, 0},
        {"told apart by content", save("png-named.jpg", "PNG", {6, 6}), {6, 6}, 0},
        {"embedded picture", ":/kaaba/1.png", {160, 120}, 0},
        {"missing file", dir_.filePath("missing.bmp"), {}, vbErrFileNotFound},
        {"no name", "", {}, vbErrFileNotFound},
        {"a folder", dir_.path(), {}, vbErrPathFileAccess},
        {"a named pipe, never waited on",
         [&] {
             const QString pipe = dir_.filePath("pipe.png");
             EXPECT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
             return pipe;
         }(),
         {},
         vbErrPathFileAccess},
        {"not a picture", write("text.jpg", "this is no picture"), {}, vbErrInvalidPicture},
        {"empty file", write("empty.bmp", ""), {}, vbErrInvalidPicture},
        {"cut short",
         write("short.png",
               [&] {
                   QFile f(save("full.png", "PNG", {40, 40}));
                   f.open(QIODevice::ReadOnly);
                   return f.readAll().left(60);
               }()),
         {},
         vbErrInvalidPicture},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Err.Clear();
        const StdPicture picture = LoadPicture(c.path);
        EXPECT_EQ(Err.Number, c.err);
        if (c.size.isEmpty()) {
            EXPECT_TRUE(picture.isNull());
            EXPECT_EQ(picture.Handle(), 0);
        } else {
            ASSERT_FALSE(picture.isNull());
            EXPECT_EQ(picture.pixmap().size(), c.size);
        }
    }
}

TEST(StdPicture, HandleNamesTheIconUntilTheLastCopyGoes) {
    HANDLE handle = 0;
    {
        const StdPicture picture = LoadPicture(QStringLiteral(":/icons/tray2.png"));
        ASSERT_FALSE(picture.isNull());
        handle = picture.Handle();
        ASSERT_NE(handle, 0);
        const StdPicture copy = picture;
        EXPECT_EQ(copy.Handle(), handle);
        const QIcon icon = platform::IconOfHandle(handle);
        ASSERT_FALSE(icon.isNull());
        EXPECT_EQ(icon.pixmap(32, 32).toImage().convertToFormat(QImage::Format_ARGB32),
                  picture.pixmap().toImage().convertToFormat(QImage::Format_ARGB32));
        // Another picture has a handle of its own.
        EXPECT_NE(LoadPicture(QStringLiteral(":/icons/tray0.png")).Handle(), handle);
    }
    EXPECT_TRUE(platform::IconOfHandle(handle).isNull());
}

TEST(ImageList, NumbersPicturesFromOne) {
    ImageList list;
    list.Add(LoadPicture(QStringLiteral(":/kaaba/1.png")));
    list.Add(LoadPicture(QStringLiteral(":/icons/tray0.png")));
    ASSERT_EQ(list.Count(), 2);
    Err.Clear();
    EXPECT_EQ(list.ListImages(1).Picture.pixmap().size(), QSize(160, 120));
    EXPECT_EQ(list.ListImages(2).Picture.pixmap().size(), QSize(32, 32));
    EXPECT_EQ(Err.Number, 0);
    for (int outside : {0, 3, -1}) {
        Err.Clear();
        EXPECT_TRUE(list.ListImages(outside).Picture.isNull()) << outside;
        EXPECT_EQ(Err.Number, vbErrIndexOutOfBounds);
    }
}

TEST(Image, ShowsItsPictureAndReportsMouseUp) {
    Image image;
    const StdPicture picture = LoadPicture(QStringLiteral(":/kaaba/2.png"));
    image.SetPicture(picture);
    EXPECT_EQ(image.Picture().Handle(), picture.Handle());
    EXPECT_EQ(image.pixmap().cacheKey(), picture.pixmap().cacheKey());

    std::optional<std::tuple<int, int, float, float>> got;
    QObject::connect(&image, &Image::MouseUp, [&](int button, int shift, float x, float y) {
        got = std::make_tuple(button, shift, x, y);
    });
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(4, 6), QPointF(4, 6), Qt::RightButton,
                        Qt::NoButton, Qt::ShiftModifier | Qt::AltModifier);
    QApplication::sendEvent(&image, &release);
    ASSERT_TRUE(got.has_value());
    const float tpp = float(Screen.TwipsPerPixelX());
    EXPECT_EQ(*got, std::make_tuple(vbRightButton, vbShiftMask | vbAltMask, 4 * tpp, 6 * tpp));
}

} // namespace
