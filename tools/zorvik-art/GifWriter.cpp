#include "GifWriter.h"

#include "ColorQuantizer.h"

#include <vector>

namespace ZorvikArt {
namespace {

constexpr int kMaxCodes = 4096; // 12-bit codes

// Packs variable-width codes, least significant bit first.
class BitPacker {
public:
    void put(int code, int width)
    {
        m_acc |= quint32(code) << m_bits;
        m_bits += width;
        while (m_bits >= 8) {
            m_out.append(char(m_acc & 0xff));
            m_acc >>= 8;
            m_bits -= 8;
        }
    }
    QByteArray finish()
    {
        if (m_bits > 0)
            m_out.append(char(m_acc & 0xff));
        m_acc = 0;
        m_bits = 0;
        return m_out;
    }

private:
    QByteArray m_out;
    quint32 m_acc = 0;
    int m_bits = 0;
};

void putWord(QByteArray& out, int v)
{
    out.append(char(v & 0xff));
    out.append(char((v >> 8) & 0xff));
}

} // namespace

QByteArray lzwCompress(const QByteArray& indices, int minCodeSize)
{
    const int clear = 1 << minCodeSize;
    const int stop = clear + 1;
    // Dictionary: child code of (prefix code, next index); 0 = no entry yet.
    std::vector<quint16> child(size_t(kMaxCodes) << 8, 0);
    int next = clear + 2;
    int width = minCodeSize + 1;
    BitPacker bits;
    bits.put(clear, width);
    if (indices.isEmpty()) {
        bits.put(stop, width);
        return bits.finish();
    }
    int prefix = uchar(indices[0]);
    for (qsizetype i = 1; i < indices.size(); ++i) {
        const int k = uchar(indices[i]);
        const size_t slot = (size_t(prefix) << 8) | size_t(k);
        if (child[slot] != 0) {
            prefix = child[slot];
            continue;
        }
        bits.put(prefix, width);
        if (next < kMaxCodes) {
            // The decoder widens its codes one entry later than it adds them, so widen here
            // just before the entry that no longer fits.
            if (next == (1 << width))
                ++width;
            child[slot] = quint16(next++);
        } else {
            // Table full: start over so the codes keep adapting to the picture.
            bits.put(clear, width);
            std::fill(child.begin(), child.end(), quint16(0));
            next = clear + 2;
            width = minCodeSize + 1;
        }
        prefix = k;
    }
    bits.put(prefix, width);
    bits.put(stop, width);
    return bits.finish();
}

QByteArray encodeGif(const QImage& image)
{
    if (image.isNull())
        return {};
    const QImage indexed = image.format() == QImage::Format_Indexed8 ? image : toIndexed(image, 256);
    QList<QRgb> palette = indexed.colorTable();
    // The colour table holds 2^n entries, n >= 1; LZW codes start at n + 1 bits, n >= 2.
    int tableBits = 1;
    while ((1 << tableBits) < palette.size())
        ++tableBits;
    while (palette.size() < (1 << tableBits))
        palette.append(qRgb(0, 0, 0));
    const int minCodeSize = qMax(2, tableBits);

    QByteArray out("GIF89a");
    putWord(out, indexed.width());
    putWord(out, indexed.height());
    out.append(char(0x80 | ((tableBits - 1) << 4) | (tableBits - 1))); // global table, its size
    out.append(char(0)); // background colour index
    out.append(char(0)); // square pixels
    for (QRgb c : palette) {
        out.append(char(qRed(c)));
        out.append(char(qGreen(c)));
        out.append(char(qBlue(c)));
    }

    out.append(char(0x2c)); // image descriptor
    putWord(out, 0);
    putWord(out, 0);
    putWord(out, indexed.width());
    putWord(out, indexed.height());
    out.append(char(0)); // no local table, not interlaced

    QByteArray pixels;
    pixels.reserve(qsizetype(indexed.width()) * indexed.height());
    for (int y = 0; y < indexed.height(); ++y)
        pixels.append(reinterpret_cast<const char*>(indexed.constScanLine(y)), indexed.width());
    const QByteArray codes = lzwCompress(pixels, minCodeSize);
    out.append(char(minCodeSize));
    for (qsizetype at = 0; at < codes.size(); at += 255) {
        const qsizetype n = qMin<qsizetype>(255, codes.size() - at);
        out.append(char(n));
        out.append(codes.constData() + at, n);
    }
    out.append(char(0)); // end of the image data
    out.append(char(0x3b)); // trailer
    return out;
}

} // namespace ZorvikArt
