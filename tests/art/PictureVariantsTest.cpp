// The greyed and highlighted looks made from a button picture.
#include "PictureVariants.h"

#include <gtest/gtest.h>

namespace {

const QColor kFace(225, 225, 225);

// A blue stroke and a dark dot on the button face.
QImage opaqueDrawing()
{
    QImage img(20, 20, QImage::Format_RGB32);
    img.fill(kFace);
    for (int x = 2; x < 18; ++x)
        img.setPixel(x, 10, qRgb(31, 111, 197));
    img.setPixel(5, 5, qRgb(36, 48, 60));
    return img;
}

int spread(QRgb c) { return std::max({qRed(c), qGreen(c), qBlue(c)}) - std::min({qRed(c), qGreen(c), qBlue(c)}); }

} // namespace

TEST(PictureVariants, DisabledIsGreyLighterAndKeepsTheShape)
{
    const QImage normal = opaqueDrawing();
    const QImage dis = ZorvikArt::disabledLook(normal, kFace);
    ASSERT_EQ(dis.size(), normal.size());
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 20; ++x) {
            const QRgb n = normal.pixel(x, y), d = dis.pixel(x, y);
            EXPECT_EQ(spread(d), 0) << x << "," << y;
            if (n == kFace.rgb()) {
                EXPECT_EQ(d, n) << "the face stays as it is";
            } else {
                EXPECT_NE(d, kFace.rgb()) << "the drawing stays visible at " << x << "," << y;
                EXPECT_GT(qRed(d), qGray(n)) << "and gets lighter";
            }
        }
}

TEST(PictureVariants, DisabledIconKeepsItsAlpha)
{
    QImage icon(4, 1, QImage::Format_ARGB32);
    icon.setPixel(0, 0, qRgba(0, 0, 0, 0));
    icon.setPixel(1, 0, qRgba(200, 30, 30, 255));
    icon.setPixel(2, 0, qRgba(31, 111, 197, 128));
    icon.setPixel(3, 0, qRgba(255, 255, 255, 255));
    const QImage dis = ZorvikArt::disabledLook(icon, QColor());
    for (int x = 0; x < 4; ++x) {
        EXPECT_EQ(qAlpha(dis.pixel(x, 0)), qAlpha(icon.pixel(x, 0)));
        EXPECT_EQ(spread(dis.pixel(x, 0)), 0);
    }
    // Dark and light drawing both move toward the face, keeping their order.
    EXPECT_LT(qRed(dis.pixel(1, 0)), qRed(dis.pixel(3, 0)));
}

TEST(PictureVariants, HotPutsATintedPlateBehindTheDrawing)
{
    QImage icon(32, 32, QImage::Format_ARGB32);
    icon.fill(Qt::transparent);
    icon.setPixel(16, 16, qRgba(36, 48, 60, 255));
    const QColor tint(31, 111, 197);
    const QImage hot = ZorvikArt::hotLook(icon, tint);
    EXPECT_EQ(hot.pixel(16, 16), icon.pixel(16, 16)) << "the drawing stays on top";
    const QRgb plate = hot.pixel(8, 8);
    EXPECT_GT(qAlpha(plate), 0);
    EXPECT_GT(qBlue(plate), qRed(plate)) << "the plate has the tint's hue";
    EXPECT_EQ(qAlpha(hot.pixel(0, 0)), 0) << "rounded corners stay clear";

    // Over an opaque picture the highlight still shows.
    const QImage opaque = opaqueDrawing();
    const QImage hotOpaque = ZorvikArt::hotLook(opaque, tint);
    EXPECT_NE(hotOpaque.pixel(8, 8), opaque.pixel(8, 8));
    EXPECT_FALSE(hotOpaque.hasAlphaChannel());
}
