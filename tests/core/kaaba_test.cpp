// Random numbers and the Kaaba picture of the main window.
#include "core/kaaba.h"
#include "core/settings.h"
#include "mainwindow/frmTallix.h"
#include "runtime/ErrObject.h"
#include "runtime/VBMath.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QMap>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

namespace {

TEST(Random, StaysWithinItsBounds) {
    Rnd(-11);
    const struct {
        std::int16_t lower, upper;
    } ranges[] = {{1, 33}, {0, 0}, {0, 11}, {-5, -2}, {-16384, 16382}, {1, 32767}};
    for (const auto& r : ranges) {
        SCOPED_TRACE(testing::Message() << r.lower << ".." << r.upper);
        std::int16_t lowest = r.upper, highest = r.lower;
        for (int draw = 0; draw < 20000; ++draw) {
            const std::int16_t v = Random(r.lower, r.upper);
            ASSERT_GE(v, r.lower);
            ASSERT_LE(v, r.upper);
            lowest = std::min(lowest, v);
            highest = std::max(highest, v);
        }
        if (r.upper - r.lower < 100) {
            EXPECT_EQ(lowest, r.lower);
            EXPECT_EQ(highest, r.upper);
        }
    }
}

TEST(Random, CountsThatDoNotFitGiveTheLowerBound) {
    Rnd(-11);
    const float next = Rnd();
    Rnd(-11);
    EXPECT_EQ(Random(-32768, 32767), -32768);
    EXPECT_EQ(Random(0, 32767), 0);
    EXPECT_EQ(Random(-1, 32766), -1);
    // No number was drawn for them.
    EXPECT_EQ(Rnd(), next);
}

TEST(Random, IsUniform) {
    Rnd(-2024);
    constexpr int kValues = 33;
    constexpr int kDraws = 33000;
    std::vector<int> counts(kValues, 0);
    for (int draw = 0; draw < kDraws; ++draw)
        ++counts[std::size_t(Random(1, kValues) - 1)];
    const double expected = double(kDraws) / kValues;
    double chiSquare = 0;
    for (int c : counts)
        chiSquare += (c - expected) * (c - expected) / expected;
    // 32 degrees of freedom: mean 32, standard deviation 8. A skewed generator or an off-by-one
    // range lands far above.
    EXPECT_LT(chiSquare, 80.0);
}

// The main window holds the Kaaba picture and the built-in pictures.
class KaabaPicture : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        window_ = std::make_unique<frmTallix>();
        ASSERT_EQ(window_->imgKabaaList.Count(), 33);
        for (int n = 1; n <= 33; ++n)
            builtIn_.insert(window_->imgKabaaList.ListImages(n).Picture.pixmap().cacheKey(), n);
        Rnd(-5);
        gImageType = 0;
        gSelectedImage = 1;
        gCustomImage.clear();
        gCustomImageFolder.clear();
    }

    // The built-in picture shown (1..33), 0 for another picture, -1 for none.
    int shown() const {
        const StdPicture& p = window_->imgKabaa->Picture();
        if (p.isNull())
            return -1;
        return builtIn_.value(p.pixmap().cacheKey(), 0);
    }

    QString picture(const QString& relative, const char* format, QSize size) {
        const QString path = dir_.filePath(relative);
        QDir().mkpath(QFileInfo(path).path());
        QImage image(size, QImage::Format_RGB32);
        image.fill(Qt::yellow);
        EXPECT_TRUE(image.save(path, format));
        return path;
    }
    QString junk(const QString& relative) {
        const QString path = dir_.filePath(relative);
        QDir().mkpath(QFileInfo(path).path());
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("not a picture");
        return path;
    }

    QTemporaryDir dir_;
    std::unique_ptr<frmTallix> window_;
    QMap<qint64, int> builtIn_;
};

TEST_F(KaabaPicture, ShowsTheChoiceOrARandomBuiltInPicture) {
    const QString own = picture("own.bmp", "BMP", {21, 13});
    const QString single = picture("single/Only.GIF.jpg", "JPG", {17, 11});
    picture("pngs/a.png", "PNG", {5, 5});
    QDir().mkpath(dir_.filePath("empty"));
    junk("broken/bad.bmp");
    const int kBuiltIn = 100; // any built-in picture
    const struct {
        const char* what;
        std::int16_t type;
        std::int16_t selected;
        QString custom; // gCustomImage or gCustomImageFolder
        int expected;   // the built-in picture, kBuiltIn for any, 0 for the file, with its size
        QSize size;
    } cases[] = {
        {"random built-in", 0, 7, {}, kBuiltIn, {}},
        {"unknown type", 5, 7, {}, kBuiltIn, {}},
        {"chosen built-in", 1, 7, {}, 7, {}},
        {"chosen last built-in", 1, 33, {}, 33, {}},
        {"chosen 0", 1, 0, {}, kBuiltIn, {}},
        {"chosen 34", 1, 34, {}, kBuiltIn, {}},
        {"own file", 2, 0, own, 0, {21, 13}},
        {"own file empty", 2, 0, {}, kBuiltIn, {}},
        {"own file missing", 2, 0, dir_.filePath("gone.jpg"), kBuiltIn, {}},
        {"own file not a picture", 2, 0, junk("bad.jpg"), kBuiltIn, {}},
        {"folder of one picture", 3, 0, dir_.filePath("single"), 0, {17, 11}},
        {"folder of PNG only", 3, 0, dir_.filePath("pngs"), 0, {5, 5}},
        {"empty folder", 3, 0, dir_.filePath("empty"), kBuiltIn, {}},
        {"missing folder", 3, 0, dir_.filePath("gone"), kBuiltIn, {}},
        {"folder name of blanks", 3, 0, "   ", kBuiltIn, {}},
        {"folder of a broken picture", 3, 0, dir_.filePath("broken"), kBuiltIn, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        gImageType = c.type;
        gCustomImage = c.custom;
        gCustomImageFolder = c.custom;
        for (int round = 0; round < 5; ++round) {
            window_->imgKabaa->SetPicture(StdPicture());
            Err.Clear();
            RefreshKabaaImage(c.selected);
            if (c.expected == kBuiltIn) {
                EXPECT_GE(shown(), 1);
            } else {
                ASSERT_EQ(shown(), c.expected);
                if (c.expected == 0) {
                    EXPECT_EQ(window_->imgKabaa->Picture().pixmap().size(), c.size);
                }
            }
            EXPECT_EQ(Err.Number, 0);
        }
    }
}

TEST_F(KaabaPicture, RandomBuiltInPicturesVary) {
    QSet<int> seen;
    for (int round = 0; round < 200; ++round) {
        RefreshKabaaImage(1);
        seen.insert(shown());
    }
    EXPECT_GT(seen.size(), 25);
    EXPECT_FALSE(seen.contains(0));
    EXPECT_FALSE(seen.contains(-1));
}

TEST_F(KaabaPicture, PreviewImagesGetAPictureOfTheFolderToo) {
    Image preview;
    const QString a = picture("pics/a.jpg", "JPG", {3, 4});
    picture("pics/b.BMP", "BMP", {5, 6});
    picture("pics/c.jpeg", "JPG", {7, 8});
    picture("pics/d.Png", "PNG", {9, 2});
    picture("pics/e.gif", "PNG", {1, 1}); // named for a type Qt cannot write here: not listed
    QFile::remove(dir_.filePath("pics/e.gif"));
    QSet<QSize> sizes;
    for (int round = 0; round < 120; ++round) {
        PickRandomImageFromFolder(dir_.filePath("pics"), preview);
        sizes.insert(preview.Picture().pixmap().size());
    }
    EXPECT_EQ(sizes, (QSet<QSize>{{3, 4}, {5, 6}, {7, 8}, {9, 2}}));
    EXPECT_TRUE(window_->imgKabaa->Picture().isNull()); // the window's picture is left alone
}

} // namespace
