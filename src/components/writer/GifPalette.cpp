#include "GifPalette.h"

#include <algorithm>
#include <limits>

namespace {

constexpr int kBins = 1 << 15;

int binOf(uint8_t r, uint8_t g, uint8_t b) { return (r >> 3) << 10 | (g >> 3) << 5 | (b >> 3); }
uint32_t rgbOf(uint8_t r, uint8_t g, uint8_t b) { return 0xff000000u | uint32_t(r) << 16 | uint32_t(g) << 8 | b; }
int channel(int bin, int c) { return (bin >> (10 - 5 * c)) & 31; }

} // namespace

GifPalette::GifPalette() : m_bins(kBins) {}

void GifPalette::add(const QImage& picture)
{
    for (int y = 0; y < picture.height(); ++y) {
        const uint8_t* p = picture.constScanLine(y);
        uint32_t last = 0;
        for (int x = 0; x < picture.width(); ++x, p += 3) {
            Bin& bin = m_bins[size_t(binOf(p[0], p[1], p[2]))];
            ++bin.count;
            bin.r += p[0];
            bin.g += p[1];
            bin.b += p[2];
            const uint32_t rgb = rgbOf(p[0], p[1], p[2]);
            if (m_tooMany || (x > 0 && rgb == last))
                continue;
            last = rgb;
            m_exact.insert(rgb);
            m_tooMany = m_exact.size() > 256;
        }
    }
}

void GifPalette::build()
{
    m_colours.fill(0xff000000u);
    m_exactIndex.clear();
    m_binIndex.clear();
    if (!m_tooMany) {
        std::vector<uint32_t> sorted(m_exact.begin(), m_exact.end());
        std::sort(sorted.begin(), sorted.end());
        m_size = int(sorted.size());
        for (int i = 0; i < m_size; ++i) {
            m_colours[size_t(i)] = sorted[size_t(i)];
            m_exactIndex[sorted[size_t(i)]] = uint8_t(i);
        }
        return;
    }
    // Median cut: the box with the most pixels times its widest extent is split at the
    // pixel-weighted median of that channel, until there are 256 boxes.
    using Box = std::vector<int>;
    std::vector<Box> boxes(1);
    for (int i = 0; i < kBins; ++i)
        if (m_bins[size_t(i)].count)
            boxes[0].push_back(i);
    const auto extent = [](const Box& box, int c) {
        int lo = 31, hi = 0;
        for (int bin : box) {
            lo = std::min(lo, channel(bin, c));
            hi = std::max(hi, channel(bin, c));
        }
        return hi - lo;
    };
    while (boxes.size() < 256) {
        size_t best = 0;
        int bestChannel = 0;
        double bestScore = 0;
        for (size_t k = 0; k < boxes.size(); ++k) {
            if (boxes[k].size() < 2)
                continue;
            uint64_t pixels = 0;
            for (int bin : boxes[k])
                pixels += m_bins[size_t(bin)].count;
            for (int c = 0; c < 3; ++c)
                if (const double score = double(pixels) * extent(boxes[k], c); score > bestScore) {
                    bestScore = score;
                    best = k;
                    bestChannel = c;
                }
        }
        if (bestScore == 0)
            break;
        Box& box = boxes[best];
        std::sort(box.begin(), box.end(), [c = bestChannel](int a, int b) { return channel(a, c) < channel(b, c); });
        uint64_t total = 0;
        for (int bin : box)
            total += m_bins[size_t(bin)].count;
        uint64_t below = 0;
        size_t cut = 1;
        for (; cut < box.size() - 1; ++cut) {
            below += m_bins[size_t(box[cut - 1])].count;
            if (2 * below >= total)
                break;
        }
        // Bins of one value of the channel stay together, so both halves are narrower.
        while (cut < box.size() && channel(box[cut], bestChannel) == channel(box[cut - 1], bestChannel))
            ++cut;
        if (cut == box.size())
            while (cut > 1 && channel(box[cut - 1], bestChannel) == channel(box.back(), bestChannel))
                --cut;
        Box upper(box.begin() + std::ptrdiff_t(cut), box.end());
        box.resize(cut);
        boxes.push_back(std::move(upper));
    }
    m_size = int(boxes.size());
    std::vector<std::array<int, 3>> means(boxes.size());
    for (size_t k = 0; k < boxes.size(); ++k) {
        Bin sum;
        for (int bin : boxes[k]) {
            const Bin& b = m_bins[size_t(bin)];
            sum.count += b.count;
            sum.r += b.r;
            sum.g += b.g;
            sum.b += b.b;
        }
        means[k] = {int((sum.r + sum.count / 2) / sum.count), int((sum.g + sum.count / 2) / sum.count),
                    int((sum.b + sum.count / 2) / sum.count)};
        m_colours[k] = rgbOf(uint8_t(means[k][0]), uint8_t(means[k][1]), uint8_t(means[k][2]));
    }
    // Each bin maps to the colour nearest to the mean of its own pixels.
    m_binIndex.assign(kBins, 0);
    for (int i = 0; i < kBins; ++i) {
        const Bin& b = m_bins[size_t(i)];
        if (!b.count)
            continue;
        const int r = int(b.r / b.count), g = int(b.g / b.count), bl = int(b.b / b.count);
        int nearest = 0;
        int best = std::numeric_limits<int>::max();
        for (size_t k = 0; k < means.size(); ++k) {
            const int dr = r - means[k][0], dg = g - means[k][1], db = bl - means[k][2];
            if (const int d = dr * dr + dg * dg + db * db; d < best) {
                best = d;
                nearest = int(k);
            }
        }
        m_binIndex[size_t(i)] = uint8_t(nearest);
    }
}

uint8_t GifPalette::index(uint8_t r, uint8_t g, uint8_t b) const
{
    if (!m_tooMany) {
        const auto it = m_exactIndex.find(rgbOf(r, g, b));
        return it == m_exactIndex.end() ? 0 : it->second;
    }
    return m_binIndex.empty() ? 0 : m_binIndex[size_t(binOf(r, g, b))];
}
