// Icon and cursor files checked byte by byte and through Qt's reader.
#include "IconFileWriter.h"

#include <QBuffer>
#include <QImageReader>
#include "support/LittleEndian.h"
#include <algorithm>
#include <gtest/gtest.h>

namespace {

int word(const QByteArray& data, int at) { return LittleEndian::u16(data, at); }
quint32 dword(const QByteArray& data, int at) { return LittleEndian::u32(data, at); }

// A picture whose every pixel differs, with a transparent corner and a half-transparent band.
QImage pattern(int edge)
{
    QImage img(edge, edge, QImage::Format_ARGB32);
    for (int y = 0; y < edge; ++y)
        for (int x = 0; x < edge; ++x) {
            const int alpha = (x < edge / 4 && y < edge / 4) ? 0 : (y > edge / 2 ? 255 : 128);
            img.setPixel(x, y, qRgba((x * 255) / edge, (y * 255) / edge, (x + y) % 256, alpha));
        }
    return img;
}

QList<QImage> readAll(const QByteArray& data, const QByteArray& format)
{
    QBuffer buffer;
    buffer.setData(data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, format);
    QList<QImage> images;
    for (int i = 0; i < reader.imageCount(); ++i) {
        if (!reader.jumpToImage(i))
            break;
        images.append(reader.read().convertToFormat(QImage::Format_ARGB32));
    }
    return images;
}

bool samePixels(const QImage& a, const QImage& b)
{
    if (a.size() != b.size())
        return false;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            // A reader that premultiplies loses a little colour under partial alpha, and none
            // under full alpha; colour under a fully transparent pixel carries no meaning.
            const int alpha = qAlpha(p);
            const int slack = alpha == 255 ? 0 : alpha == 0 ? 255 : (255 + alpha - 1) / alpha;
            const int off = std::max({std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                                      std::abs(qBlue(p) - qBlue(q))});
            if (alpha != qAlpha(q) || off > slack) {
                ADD_FAILURE() << x << "," << y << ": " << std::hex << p << " vs " << q;
                return false;
            }
        }
    return true;
}

} // namespace

TEST(IconFileWriter, MultiSizeIconHoldsEverySizeAndQtReadsThemBack)
{
    const QList<int> edges{16, 32, 48, 256};
    QList<QImage> images;
    for (int e : edges)
        images.append(pattern(e));
    const QByteArray ico = ZorvikArt::encodeIcon(images);
    ASSERT_GE(ico.size(), 6 + 16 * 4);
    EXPECT_EQ(word(ico, 0), 0);
    EXPECT_EQ(word(ico, 2), 1); // icon
    EXPECT_EQ(word(ico, 4), 4);
    for (int i = 0; i < edges.size(); ++i) {
        const int entry = 6 + 16 * i;
        EXPECT_EQ(uchar(ico[entry]), edges[i] % 256) << "256 is written as 0";
        EXPECT_EQ(word(ico, entry + 4), 1);  // planes
        EXPECT_EQ(word(ico, entry + 6), 32); // bits per pixel
        const quint32 size = dword(ico, entry + 8), offset = dword(ico, entry + 12);
        EXPECT_LE(offset + size, quint32(ico.size()));
        EXPECT_EQ(dword(ico, int(offset)), 40u) << "bitmap header";
        EXPECT_EQ(dword(ico, int(offset) + 8), quint32(edges[i] * 2)) << "height counts the mask";
    }
    const QList<QImage> back = readAll(ico, "ico");
    ASSERT_EQ(back.size(), edges.size());
    for (int i = 0; i < edges.size(); ++i)
        EXPECT_TRUE(samePixels(back[i], images[i])) << "size " << edges[i];
}

TEST(IconFileWriter, CursorCarriesItsHotspotAndReadsAsAPicture)
{
    const QImage img = pattern(32);
    const QByteArray cur = ZorvikArt::encodeCursor(img, QPoint(12, 3));
    ASSERT_GE(cur.size(), 6 + 16);
    EXPECT_EQ(word(cur, 2), 2); // cursor
    EXPECT_EQ(word(cur, 4), 1);
    EXPECT_EQ(word(cur, 6 + 4), 12);
    EXPECT_EQ(word(cur, 6 + 6), 3);
    const QList<QImage> back = readAll(cur, "ico");
    ASSERT_EQ(back.size(), 1);
    EXPECT_TRUE(samePixels(back[0], img));
}

TEST(IconFileWriter, RefusesPicturesAnIconCannotHold)
{
    EXPECT_TRUE(ZorvikArt::encodeIcon({}).isEmpty());
    EXPECT_TRUE(ZorvikArt::encodeIcon({QImage()}).isEmpty());
    EXPECT_TRUE(ZorvikArt::encodeIcon({QImage(257, 16, QImage::Format_ARGB32)}).isEmpty());
}
