// The built-in pictures: the 33 Kaaba pictures, the tray icons, the program icon, the hand
// cursor and the splash picture load at their sizes and are told apart.
#include <QImage>
#include <QSet>
#include <QString>
#include <gtest/gtest.h>

#include <algorithm>

namespace {

QByteArray pixels(const QImage& img) {
    const QImage c = img.convertToFormat(QImage::Format_ARGB32);
    return QByteArray(reinterpret_cast<const char*>(c.constBits()), c.sizeInBytes());
}

struct Colours {
    int dark = 0; // the black cloth
    int gold = 0; // the band and the door
};

Colours countColours(const QImage& img) {
    Colours c;
    for (int y = 0; y < img.height(); ++y) {
        for (int x = 0; x < img.width(); ++x) {
            const QColor p = img.pixelColor(x, y);
            if (std::max({p.red(), p.green(), p.blue()}) < 110)
                ++c.dark;
            if (p.red() > 140 && p.red() - p.blue() > 70 && p.green() > p.blue() + 30)
                ++c.gold;
        }
    }
    return c;
}

TEST(PictureResources, ThirtyThreeDistinctKaabaPictures) {
    QSet<QByteArray> seen;
    for (int n = 1; n <= 33; ++n) {
        SCOPED_TRACE(n);
        const QImage img(QStringLiteral(":/kaaba/%1.png").arg(n));
        ASSERT_FALSE(img.isNull());
        EXPECT_EQ(img.size(), QSize(160, 120));
        // The building shows in every picture: a dark body with its gold band.
        const Colours c = countColours(img);
        EXPECT_GT(c.dark, 160 * 120 / 50);
        EXPECT_GT(c.gold, 60);
        const QByteArray px = pixels(img);
        EXPECT_FALSE(seen.contains(px)) << "same as an earlier picture";
        seen.insert(px);
    }
    EXPECT_TRUE(QImage(QStringLiteral(":/kaaba/34.png")).isNull());
    EXPECT_TRUE(QImage(QStringLiteral(":/kaaba/0.png")).isNull());
}

TEST(PictureResources, SixTrayIconsWithTransparentCorners) {
    QSet<QByteArray> seen;
    for (int k = 0; k < 6; ++k) {
        SCOPED_TRACE(k);
        const QImage img(QStringLiteral(":/icons/tray%1.png").arg(k));
        ASSERT_FALSE(img.isNull());
        EXPECT_EQ(img.size(), QSize(32, 32));
        EXPECT_TRUE(img.hasAlphaChannel());
        EXPECT_EQ(qAlpha(img.pixel(0, 0)), 0);
        EXPECT_GT(qAlpha(img.pixel(16, 16)), 0);
        const QByteArray px = pixels(img);
        EXPECT_FALSE(seen.contains(px)) << "phase looks like another";
        seen.insert(px);
    }
}

TEST(PictureResources, MutedTrayIconsCarryTheRedCrossOthersDoNot) {
    auto redPixels = [](const QImage& img) {
        int n = 0;
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x) {
                const QRgb p = img.pixel(x, y);
                if (qAlpha(p) > 128 && qRed(p) > 180 && qGreen(p) < 90 && qBlue(p) < 90)
                    ++n;
            }
        return n;
    };
    for (int k : {2, 3, 5})
        EXPECT_GT(redPixels(QImage(QStringLiteral(":/icons/tray%1.png").arg(k))), 4) << k;
    for (int k : {0, 1, 4})
        EXPECT_EQ(redPixels(QImage(QStringLiteral(":/icons/tray%1.png").arg(k))), 0) << k;
}

TEST(PictureResources, ProgramIconSplashPictureAndHandCursor) {
    const QImage icon(QStringLiteral(":/icons/tallix-time.png"));
    EXPECT_EQ(icon.size(), QSize(256, 256));
    EXPECT_TRUE(icon.hasAlphaChannel());

    EXPECT_EQ(QImage(QStringLiteral(":/pictures/bismillah.png")).size(), QSize(450, 456));

    const QImage hand(QStringLiteral(":/cursors/hand.png"));
    ASSERT_EQ(hand.size(), QSize(32, 32));
    EXPECT_TRUE(hand.hasAlphaChannel());
    // The hot spot is stored with the picture and sits at the fingertip: inside the image,
    // on or right next to a painted pixel, with nothing painted above the finger.
    const QStringList hot = hand.text(QStringLiteral("HotSpot")).split(QLatin1Char(','));
    ASSERT_EQ(hot.size(), 2);
    const QPoint spot(hot[0].toInt(), hot[1].toInt());
    ASSERT_TRUE(hand.rect().contains(spot));
    int near = 0;
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx)
            if (hand.rect().contains(spot + QPoint(dx, dy)) &&
                qAlpha(hand.pixel(spot + QPoint(dx, dy))) > 100)
                ++near;
    EXPECT_GT(near, 0);
    for (int y = 0; y < spot.y() - 1; ++y)
        for (int x = 0; x < 32; ++x)
            EXPECT_LT(qAlpha(hand.pixel(x, y)), 100) << x << "," << y;
}

} // namespace
