#include "BlendMaxIntensity.h"

#include "BlendGains.h"
#include "PixelIntensity.h"
#include "PixelKernel.h"
#include "RowPool.h"
#include "Rgb24.h"

#include <QImage>
#include <cstdint>
#include <vector>

namespace BlendMaxIntensity {
namespace {

using namespace PixelIntensity;

// A channel times a 16.16 gain, rounded; the gain is at most 1, so 32 bits hold it.
inline uint32_t gain(uint32_t channel, uint32_t gain16) { return (channel * gain16 + 32768u) >> 16; }

// The intensity (1 − c)·Y + c·V of PixelIntensity::intensity in unsigned 32 bits: with Y in
// 1/256 steps (at most 65280) and V·256 likewise, (65536 − c)·Y + c·V·256 ≤ 65536·65280 < 2^32.
inline uint32_t intensity32(uint32_t r, uint32_t g, uint32_t b, uint32_t c16)
{
    const uint32_t y = (19595u * r + 38470u * g + 7471u * b + 128u) >> 8;
    const uint32_t v = r > g ? (r > b ? r : b) : (g > b ? g : b);
    return (65536u - c16) * y + c16 * (v << 8);
}

// The row kernels are built for AVX2 too (PixelKernel.h): 32-bit lane multiplies are what these
// loops are made of, which the baseline lacks.

// Algorithm 1 over one row: both pixels gained, the one of greater intensity kept (video 1 on
// a tie). Written without branches so that it runs as vector code. `Unit`: both gains are 1 (the
// blend weight in the middle, the usual case), which leaves six multiplies a pixel out.
template <bool Unit>
inline void gainMaxPixels(const QRgb* a, const QRgb* b, QRgb* out, int w, uint32_t g1, uint32_t g2, uint32_t c16)
{
    const auto channel = [](QRgb p, int shift, uint32_t g) {
        const uint32_t c = (p >> shift) & 0xff;
        return Unit ? c : gain(c, g);
    };
    for (int x = 0; x < w; ++x) {
        const uint32_t ra = channel(a[x], 16, g1), ga = channel(a[x], 8, g1), ba = channel(a[x], 0, g1);
        const uint32_t rb = channel(b[x], 16, g2), gb = channel(b[x], 8, g2), bb = channel(b[x], 0, g2);
        const bool first = intensity32(ra, ga, ba, c16) >= intensity32(rb, gb, bb, c16);
        out[x] = 0xff000000u | ((first ? ra : rb) << 16) | ((first ? ga : gb) << 8) | (first ? ba : bb);
    }
}

ZORVIK_PIXEL_KERNEL void gainMaxRow(const QRgb* a, const QRgb* b, QRgb* out, int w, uint32_t g1, uint32_t g2, uint32_t c16)
{
    if (g1 == 65536u && g2 == 65536u)
        gainMaxPixels<true>(a, b, out, w, g1, g2, c16);
    else
        gainMaxPixels<false>(a, b, out, w, g1, g2, c16);
}

// One pixel after its gain.
struct Gained {
    int r, g, b;
    Gained(QRgb p, int gain16)
        : r(PixelIntensity::gained(qRed(p), gain16)), g(PixelIntensity::gained(qGreen(p), gain16)),
          b(PixelIntensity::gained(qBlue(p), gain16))
    {
    }
    QRgb rgb() const { return qRgb(r, g, b); }
};

int chroma(const Gained& p) { return value(p.r, p.g, p.b) - std::min(p.r, std::min(p.g, p.b)); }

// out = Y(W) + (1 − c)·(W − Y(W)) + c·(L − Y(L)) with Y in 1/256 steps and c in 1/65536 steps,
// so the sum is in steps of 1/2^24.
int mixColour(int w, int l, int yw, int yl, int c16)
{
    const int64_t v = (int64_t(yw) << 16) + int64_t(65536 - c16) * ((w << 8) - yw) + int64_t(c16) * ((l << 8) - yl);
    return int(std::clamp<int64_t>((v + (int64_t(1) << 23)) >> 24, 0, 255));
}

// Algorithm 2 over one row.
void gainMaxSaturationRow(const QRgb* a, const QRgb* b, QRgb* out, int w, int g1, int g2, int c)
{
    for (int x = 0; x < w; ++x) {
        const Gained ga(a[x], g1), gb(b[x], g2);
        const bool firstWins = intensity(ga.r, ga.g, ga.b, c) >= intensity(gb.r, gb.g, gb.b, c);
        const Gained& win = firstWins ? ga : gb;
        const Gained& lose = firstWins ? gb : ga;
        if (chroma(lose) <= chroma(win)) {
            out[x] = win.rgb();
            continue;
        }
        const int yw = luma256(win.r, win.g, win.b), yl = luma256(lose.r, lose.g, lose.b);
        out[x] = qRgb(mixColour(win.r, lose.r, yw, yl, c), mixColour(win.g, lose.g, yw, yl, c),
                      mixColour(win.b, lose.b, yw, yl, c));
    }
}

// Row y of a picture as 32-bit pixels: an RGB32 row as it is, an RGB888 row unpacked into
// `scratch` (one row per band, so nothing is allocated per pixel).
const QRgb* rowOf(const QImage& p, int y, std::vector<QRgb>& scratch)
{
    if (p.format() != QImage::Format_RGB888)
        return reinterpret_cast<const QRgb*>(p.constScanLine(y));
    scratch.resize(size_t(p.width()));
    Rgb24::unpack(p.constScanLine(y), scratch.data(), p.width());
    return scratch.data();
}

// Runs `row` over all rows, shared out over the pool, on the source rows as 32-bit pixels
// (rowOf). A 24-bit row is unpacked into the band's scratch row, which stays in the processor's
// cache: the kernels reading three-byte pixels themselves spent most of their time taking them
// apart.
template <typename Row, typename... Args>
void forEachRow(const QImage& a, const QImage& b, QImage& out, RowPool& pool, Row row, Args... args)
{
    const int w = out.width();
    uchar* oBits = out.bits();
    const qsizetype oStride = out.bytesPerLine();
    pool.run(out.height(), int64_t(w) * out.height(), [&](int y0, int y1) {
        std::vector<QRgb> scratchA, scratchB;
        for (int y = y0; y < y1; ++y)
            row(rowOf(a, y, scratchA), rowOf(b, y, scratchB), reinterpret_cast<QRgb*>(oBits + y * oStride), w, args...);
    });
}

} // namespace

bool readsDirectly(const QImage& p) { return p.format() == QImage::Format_RGB32 || p.format() == QImage::Format_RGB888; }

void gainMax(const QImage& a, const QImage& b, QImage& out, double blend, double colour, RowPool& pool)
{
    const BlendGains gains = BlendGains::of(blend);
    const auto g1 = uint32_t(fixed16(gains.first)), g2 = uint32_t(fixed16(gains.second));
    const auto c16 = uint32_t(fixed16(colour));
    forEachRow(a, b, out, pool, gainMaxRow, g1, g2, c16);
}

void gainMaxSaturation(const QImage& a, const QImage& b, QImage& out, double blend, double colour, RowPool& pool)
{
    const BlendGains gains = BlendGains::of(blend);
    forEachRow(a, b, out, pool, gainMaxSaturationRow, fixed16(gains.first), fixed16(gains.second), fixed16(colour));
}

} // namespace BlendMaxIntensity
