// The GIF writer checked through Qt's own GIF reader: what goes in must come back.
#include "ColorQuantizer.h"
#include "GifWriter.h"

#include <QBuffer>
#include <QImageReader>
#include <QRandomGenerator>
#include <algorithm>
#include <functional>
#include <gtest/gtest.h>

namespace {

QImage decode(const QByteArray& gif)
{
    QBuffer buffer;
    buffer.setData(gif);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "gif");
    return reader.read().convertToFormat(QImage::Format_RGB32);
}

QImage indexed(int w, int h, const QList<QRgb>& palette, const std::function<int(int, int)>& index)
{
    QImage img(w, h, QImage::Format_Indexed8);
    img.setColorTable(palette);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            img.setPixel(x, y, uint(index(x, y)));
    return img;
}

// Largest difference of any channel of any pixel.
int maxDifference(const QImage& a, const QImage& b)
{
    int worst = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            worst = std::max({worst, std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                              std::abs(qBlue(p) - qBlue(q))});
        }
    return worst;
}

QList<QRgb> greyRamp(int n)
{
    QList<QRgb> palette;
    for (int i = 0; i < n; ++i)
        palette.append(qRgb(i * 255 / std::max(1, n - 1), (i * 37) % 256, 255 - i * 255 / std::max(1, n - 1)));
    return palette;
}

} // namespace

TEST(GifWriter, SmallIndexedPicturesComeBackExactly)
{
    struct Case {
        const char* name;
        QImage image;
    };
    const QList<Case> cases{
        {"one pixel", indexed(1, 1, {qRgb(10, 20, 30)}, [](int, int) { return 0; })},
        {"two colours checker", indexed(5, 3, {qRgb(0, 0, 0), qRgb(255, 255, 255)},
                                        [](int x, int y) { return (x + y) % 2; })},
        {"three colours pads the table", indexed(7, 7, greyRamp(3), [](int x, int y) { return (x * y) % 3; })},
        {"long runs", indexed(64, 4, greyRamp(4), [](int x, int) { return x / 16; })},
        {"odd width rows", indexed(13, 11, greyRamp(16), [](int x, int y) { return (x * 7 + y * 3) % 16; })},
    };
    for (const Case& c : cases) {
        const QByteArray gif = ZorvikArt::encodeGif(c.image);
        ASSERT_TRUE(gif.startsWith("GIF89a")) << c.name;
        EXPECT_EQ(gif.back(), char(0x3b)) << c.name;
        const QImage back = decode(gif);
        ASSERT_EQ(back.size(), c.image.size()) << c.name;
        EXPECT_EQ(maxDifference(back, c.image.convertToFormat(QImage::Format_RGB32)), 0) << c.name;
    }
}

TEST(GifWriter, NoisePastTheFullCodeTableComesBackExactly)
{
    // 256 colours of noise fill the 4096-entry table many times: the writer must widen its codes
    // at the right moment and start over with a clear code when the table is full.
    QRandomGenerator rng(7);
    const QImage noise = indexed(300, 200, greyRamp(256), [&](int, int) { return int(rng.bounded(256)); });
    const QImage back = decode(ZorvikArt::encodeGif(noise));
    ASSERT_EQ(back.size(), noise.size());
    EXPECT_EQ(maxDifference(back, noise.convertToFormat(QImage::Format_RGB32)), 0);

    // Few colours with long repeats grow long dictionary strings instead.
    const QImage stripes = indexed(400, 300, greyRamp(5), [](int x, int y) { return ((x / 3) ^ (y / 7)) % 5; });
    const QImage back2 = decode(ZorvikArt::encodeGif(stripes));
    ASSERT_EQ(back2.size(), stripes.size());
    EXPECT_EQ(maxDifference(back2, stripes.convertToFormat(QImage::Format_RGB32)), 0);
}
