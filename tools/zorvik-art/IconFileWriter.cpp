#include "IconFileWriter.h"

namespace ZorvikArt {
namespace {

constexpr int kDirHeader = 6;
constexpr int kDirEntry = 16;
constexpr int kInfoHeader = 40;

void put16(QByteArray& out, int v)
{
    out.append(char(v & 0xff));
    out.append(char((v >> 8) & 0xff));
}

void put32(QByteArray& out, quint32 v)
{
    for (int i = 0; i < 4; ++i)
        out.append(char((v >> (8 * i)) & 0xff));
}

int maskStride(int width) { return ((width + 31) / 32) * 4; }

QByteArray bitmap(const QImage& source)
{
    const QImage img = source.convertToFormat(QImage::Format_ARGB32);
    const int w = img.width(), h = img.height();
    QByteArray out;
    put32(out, kInfoHeader);
    put32(out, quint32(w));
    put32(out, quint32(h * 2)); // colour rows plus mask rows
    put16(out, 1);              // planes
    put16(out, 32);             // bits per pixel
    put32(out, 0);              // uncompressed
    put32(out, quint32(w * h * 4 + maskStride(w) * h));
    for (int i = 0; i < 4; ++i)
        put32(out, 0); // resolution and palette fields, unused
    for (int y = h - 1; y >= 0; --y) {
        const auto* row = reinterpret_cast<const QRgb*>(img.constScanLine(y));
        for (int x = 0; x < w; ++x) {
            out.append(char(qBlue(row[x])));
            out.append(char(qGreen(row[x])));
            out.append(char(qRed(row[x])));
            out.append(char(qAlpha(row[x])));
        }
    }
    // The mask marks transparent pixels, for readers that ignore the alpha channel.
    for (int y = h - 1; y >= 0; --y) {
        const auto* row = reinterpret_cast<const QRgb*>(img.constScanLine(y));
        QByteArray bits(maskStride(w), 0);
        for (int x = 0; x < w; ++x)
            if (qAlpha(row[x]) < 128)
                bits[x / 8] = char(bits[x / 8] | (0x80 >> (x % 8)));
        out.append(bits);
    }
    return out;
}

QByteArray encode(const QList<QImage>& images, int type, QPoint hotspot)
{
    for (const QImage& img : images)
        if (img.isNull() || img.width() > 256 || img.height() > 256)
            return {};
    if (images.isEmpty())
        return {};
    QList<QByteArray> bitmaps;
    for (const QImage& img : images)
        bitmaps.append(bitmap(img));

    QByteArray out;
    put16(out, 0);
    put16(out, type);
    put16(out, int(images.size()));
    quint32 offset = quint32(kDirHeader + kDirEntry * images.size());
    for (int i = 0; i < images.size(); ++i) {
        const QImage& img = images[i];
        out.append(char(img.width() & 0xff)); // 256 wraps to 0, which means 256
        out.append(char(img.height() & 0xff));
        out.append(char(0)); // no palette
        out.append(char(0));
        if (type == 2) {
            put16(out, hotspot.x());
            put16(out, hotspot.y());
        } else {
            put16(out, 1);
            put16(out, 32);
        }
        put32(out, quint32(bitmaps[i].size()));
        put32(out, offset);
        offset += quint32(bitmaps[i].size());
    }
    for (const QByteArray& b : bitmaps)
        out.append(b);
    return out;
}

} // namespace

QByteArray encodeIcon(const QList<QImage>& images) { return encode(images, 1, {}); }

QByteArray encodeCursor(const QImage& image, QPoint hotspot) { return encode({image}, 2, hotspot); }

} // namespace ZorvikArt
