#include "ColorQuantizer.h"

#include <QHash>
#include <algorithm>
#include <vector>

namespace ZorvikArt {
namespace {

struct Colour {
    QRgb rgb;
    qint64 count;
};

struct Box {
    std::vector<Colour> colours;
    int channelRange(int shift) const
    {
        int lo = 255, hi = 0;
        for (const Colour& c : colours) {
            const int v = (c.rgb >> shift) & 0xff;
            lo = std::min(lo, v);
            hi = std::max(hi, v);
        }
        return hi - lo;
    }
    // Range of the widest channel and that channel's bit shift.
    int widest(int* shift) const
    {
        int best = -1;
        for (int s : {16, 8, 0}) {
            const int r = channelRange(s);
            if (r > best) {
                best = r;
                *shift = s;
            }
        }
        return best;
    }
    QRgb mean() const
    {
        qint64 r = 0, g = 0, b = 0, n = 0;
        for (const Colour& c : colours) {
            r += qRed(c.rgb) * c.count;
            g += qGreen(c.rgb) * c.count;
            b += qBlue(c.rgb) * c.count;
            n += c.count;
        }
        return qRgb(int((r + n / 2) / n), int((g + n / 2) / n), int((b + n / 2) / n));
    }
};

int distance(QRgb a, QRgb b)
{
    const int dr = qRed(a) - qRed(b), dg = qGreen(a) - qGreen(b), db = qBlue(a) - qBlue(b);
    return dr * dr + dg * dg + db * db;
}

QList<QRgb> medianCut(std::vector<Colour> colours, int maxColors)
{
    std::vector<Box> boxes;
    boxes.push_back(Box{std::move(colours)});
    while (int(boxes.size()) < maxColors) {
        // Split the box with the widest spread that still holds more than one colour.
        int pick = -1, pickRange = 0, shift = 0;
        for (int i = 0; i < int(boxes.size()); ++i) {
            if (boxes[i].colours.size() < 2)
                continue;
            int s = 0;
            const int r = boxes[i].widest(&s);
            if (r > pickRange) {
                pick = i;
                pickRange = r;
                shift = s;
            }
        }
        if (pick < 0)
            break;
        std::vector<Colour>& cs = boxes[pick].colours;
        std::sort(cs.begin(), cs.end(), [shift](const Colour& a, const Colour& b) {
            return ((a.rgb >> shift) & 0xff) < ((b.rgb >> shift) & 0xff);
        });
        qint64 total = 0;
        for (const Colour& c : cs)
            total += c.count;
        qint64 run = 0;
        size_t cut = 1;
        for (; cut < cs.size(); ++cut) {
            run += cs[cut - 1].count;
            if (run * 2 >= total)
                break;
        }
        cut = std::clamp<size_t>(cut, 1, cs.size() - 1);
        Box upper{std::vector<Colour>(cs.begin() + qsizetype(cut), cs.end())};
        cs.resize(cut);
        boxes.push_back(std::move(upper));
    }
    QList<QRgb> palette;
    for (const Box& b : boxes)
        palette.append(b.mean());
    return palette;
}

} // namespace

QImage toIndexed(const QImage& image, int maxColors)
{
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    QHash<QRgb, qint64> counts;
    for (int y = 0; y < rgb.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        for (int x = 0; x < rgb.width(); ++x)
            ++counts[row[x] | 0xff000000];
    }
    std::vector<Colour> colours;
    colours.reserve(size_t(counts.size()));
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        colours.push_back({it.key(), it.value()});
    // A fixed order, so the same picture always gives the same file.
    std::sort(colours.begin(), colours.end(), [](const Colour& a, const Colour& b) { return a.rgb < b.rgb; });

    QList<QRgb> palette;
    if (int(colours.size()) <= maxColors) {
        for (const Colour& c : colours)
            palette.append(c.rgb);
    } else {
        palette = medianCut(std::move(colours), maxColors);
    }

    QHash<QRgb, int> nearest;
    QImage out(rgb.size(), QImage::Format_Indexed8);
    out.setColorTable(palette);
    for (int y = 0; y < rgb.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        uchar* dst = out.scanLine(y);
        for (int x = 0; x < rgb.width(); ++x) {
            const QRgb c = row[x] | 0xff000000;
            auto it = nearest.constFind(c);
            if (it == nearest.cend()) {
                int best = 0;
                for (int i = 1; i < palette.size(); ++i)
                    if (distance(c, palette[i]) < distance(c, palette[best]))
                        best = i;
                it = nearest.insert(c, best);
            }
            dst[x] = uchar(*it);
        }
    }
    return out;
}

} // namespace ZorvikArt
