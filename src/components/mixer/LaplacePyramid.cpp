#include "LaplacePyramid.h"

#include "BlendGains.h"
#include "PixelKernel.h"
#include "RowPool.h"

#include <algorithm>
#include <cmath>

namespace {

inline int clampIndex(int i, int n) { return i < 0 ? 0 : (i >= n ? n - 1 : i); }

// One row smoothed with [1 4 6 4 1]/16 around every second sample.
void reduceRow(const float* in, int inWidth, float* out, int outWidth)
{
    for (int i = 0; i < outWidth; ++i) {
        const int c = 2 * i;
        if (c >= 2 && c + 2 < inWidth) {
            out[i] = (in[c - 2] + 4.0f * in[c - 1] + 6.0f * in[c] + 4.0f * in[c + 1] + in[c + 2]) * (1.0f / 16.0f);
        } else {
            float s = 0;
            static constexpr float k[5] = {1, 4, 6, 4, 1};
            for (int m = -2; m <= 2; ++m)
                s += k[m + 2] * in[clampIndex(c + m, inWidth)];
            out[i] = s * (1.0f / 16.0f);
        }
    }
}

void expandRow(const float* in, int inWidth, float* out, int outWidth)
{
    for (int x = 0; x < outWidth; ++x) {
        const int i = x >> 1;
        if (x & 1) {
            out[x] = (in[i] + in[clampIndex(i + 1, inWidth)]) * 0.5f;
        } else {
            out[x] = (in[clampIndex(i - 1, inWidth)] + 6.0f * in[i] + in[clampIndex(i + 1, inWidth)]) * 0.125f;
        }
    }
}

inline float lumaOf(float r, float g, float b) { return 0.299f * r + 0.587f * g + 0.114f * b; }

// The loops over every sample, each a kernel of its own so that it is built for AVX2 too.

// The vertical [1 4 6 4 1]/16 of five rows.
ZORVIK_PIXEL_KERNEL void smoothColumns(const float* r0, const float* r1, const float* r2, const float* r3, const float* r4,
                                       float* __restrict out, int w)
{
    for (int x = 0; x < w; ++x)
        out[x] = (r0[x] + 4.0f * r1[x] + 6.0f * r2[x] + 4.0f * r3[x] + r4[x]) * (1.0f / 16.0f);
}

// A fine row from the widened coarse rows around it: halfway between two (odd rows) or
// (r0 + 6·r1 + r2) / 8 (even rows), stored, subtracted or added.
ZORVIK_PIXEL_KERNEL void expandColumns(const float* r0, const float* r1, const float* r2, float* __restrict out, int w,
                                       bool odd, LaplacePyramid::Combine combine)
{
    for (int x = 0; x < w; ++x) {
        const float e = odd ? (r0[x] + r1[x]) * 0.5f : (r0[x] + 6.0f * r1[x] + r2[x]) * 0.125f;
        out[x] = combine == LaplacePyramid::Combine::Store ? e
               : combine == LaplacePyramid::Combine::Subtract ? out[x] - e
                                                              : out[x] + e;
    }
}

// The fusion's measure of a sample: contrast on detail levels, intensity on the coarsest.
template <bool Coarsest>
inline float strength(float r, float g, float b, float l, float c)
{
    if constexpr (Coarsest)
        return l * lumaOf(r, g, b) + c * std::max(r, std::max(g, b));
    else
        return l * std::abs(lumaOf(r, g, b)) + c * std::max(std::abs(r), std::max(std::abs(g), std::abs(b)));
}

// Level k of two pyramids fused into the first: each sample takes the coefficients of the
// video of greater strength; ties go to the first. Without branches, so that it runs as vector
// code (the planes never overlap).
template <bool Coarsest>
ZORVIK_PIXEL_KERNEL void fuseRow(float* __restrict ar, float* __restrict ag, float* __restrict ab, const float* __restrict br,
                                 const float* __restrict bg, const float* __restrict bb, int w, float c)
{
    const float l = 1 - c;
    for (int x = 0; x < w; ++x) {
        const bool second = strength<Coarsest>(br[x], bg[x], bb[x], l, c) > strength<Coarsest>(ar[x], ag[x], ab[x], l, c);
        ar[x] = second ? br[x] : ar[x];
        ag[x] = second ? bg[x] : ag[x];
        ab[x] = second ? bb[x] : ab[x];
    }
}

// Three planes to RGB32, each sample rounded to the nearest and clamped to 0 .. 255.
ZORVIK_PIXEL_KERNEL void packRow(const float* r, const float* g, const float* b, QRgb* __restrict out, int w)
{
    const auto toByte = [](float v) { return uint32_t(std::clamp(v, 0.0f, 255.0f) + 0.5f); };
    for (int x = 0; x < w; ++x)
        out[x] = 0xff000000u | toByte(r[x]) << 16 | toByte(g[x]) << 8 | toByte(b[x]);
}

} // namespace

void FloatPlane::resize(int w, int h)
{
    width = w;
    height = h;
    samples.resize(size_t(w) * size_t(h));
}

int LaplacePyramid::levelsFor(int width, int height)
{
    int levels = 1;
    int side = std::min(width, height);
    while (levels < kMaxLevels && (side + 1) / 2 >= 2) {
        side = (side + 1) / 2;
        ++levels;
    }
    return levels;
}

void LaplacePyramid::reduce(const FloatPlane& fine, FloatPlane& coarse, RowPool& pool)
{
    const int cw = (fine.width + 1) / 2, ch = (fine.height + 1) / 2;
    coarse.resize(cw, ch);
    pool.run(ch, int64_t(fine.width) * ch * 8, [&](int y0, int y1) {
        std::vector<float> column(static_cast<size_t>(fine.width));
        for (int y = y0; y < y1; ++y) {
            // The vertical sum of the five rows around 2y, then the horizontal kernel on it.
            const float* r0 = fine.row(clampIndex(2 * y - 2, fine.height));
            const float* r1 = fine.row(clampIndex(2 * y - 1, fine.height));
            const float* r2 = fine.row(clampIndex(2 * y, fine.height));
            const float* r3 = fine.row(clampIndex(2 * y + 1, fine.height));
            const float* r4 = fine.row(clampIndex(2 * y + 2, fine.height));
            smoothColumns(r0, r1, r2, r3, r4, column.data(), fine.width);
            reduceRow(column.data(), fine.width, coarse.row(y), cw);
        }
    });
}

void LaplacePyramid::expandInto(const FloatPlane& coarse, FloatPlane& fine, Combine combine, FloatPlane& wide,
                                RowPool& pool)
{
    const int width = fine.width, height = fine.height;
    // Each coarse row widened once, then every fine row from two or three widened rows.
    wide.resize(width, coarse.height);
    pool.run(coarse.height, int64_t(width) * coarse.height * 2, [&](int y0, int y1) {
        for (int y = y0; y < y1; ++y)
            expandRow(coarse.row(y), coarse.width, wide.row(y), width);
    });
    pool.run(height, int64_t(width) * height * 2, [&](int y0, int y1) {
        for (int y = y0; y < y1; ++y) {
            const int i = y >> 1;
            float* out = fine.row(y);
            const float* r0 = wide.row((y & 1) ? i : clampIndex(i - 1, coarse.height));
            const float* r1 = wide.row((y & 1) ? clampIndex(i + 1, coarse.height) : i);
            const float* r2 = wide.row(clampIndex(i + 1, coarse.height));
            expandColumns(r0, r1, r2, out, width, (y & 1) != 0, combine);
        }
    });
}

void LaplacePyramid::expand(const FloatPlane& coarse, int width, int height, FloatPlane& fine, RowPool& pool)
{
    FloatPlane wide;
    fine.resize(width, height);
    expandInto(coarse, fine, Combine::Store, wide, pool);
}

void LaplacePyramid::build(const QImage& picture, double gain, RowPool& pool)
{
    const int w = picture.width(), h = picture.height();
    m_levels.resize(size_t(levelsFor(w, h)));
    ColourPlanes& base = m_levels[0];
    for (FloatPlane& p : base)
        p.resize(w, h);
    const float g = float(gain);
    const bool rgb24 = picture.format() == QImage::Format_RGB888;
    pool.run(h, int64_t(w) * h, [&](int y0, int y1) {
        for (int y = y0; y < y1; ++y) {
            float* r = base[0].row(y);
            float* gr = base[1].row(y);
            float* b = base[2].row(y);
            if (rgb24) {
                const uchar* in = picture.constScanLine(y);
                for (int x = 0; x < w; ++x) {
                    r[x] = g * float(in[3 * x]);
                    gr[x] = g * float(in[3 * x + 1]);
                    b[x] = g * float(in[3 * x + 2]);
                }
                continue;
            }
            const auto* in = reinterpret_cast<const QRgb*>(picture.constScanLine(y));
            for (int x = 0; x < w; ++x) {
                r[x] = g * float(qRed(in[x]));
                gr[x] = g * float(qGreen(in[x]));
                b[x] = g * float(qBlue(in[x]));
            }
        }
    });
    for (size_t k = 1; k < m_levels.size(); ++k)
        for (int c = 0; c < 3; ++c)
            reduce(m_levels[k - 1][size_t(c)], m_levels[k][size_t(c)], pool);
    // Each Gaussian level minus the expansion of the (still Gaussian) level above it.
    for (size_t k = 0; k + 1 < m_levels.size(); ++k)
        for (int c = 0; c < 3; ++c)
            expandInto(m_levels[k + 1][size_t(c)], m_levels[k][size_t(c)], Combine::Subtract, m_scratch, pool);
}

void LaplacePyramid::collapse(QImage& out, RowPool& pool)
{
    if (m_levels.empty())
        return;
    // From the top down each level becomes its Gaussian level again: detail plus the expansion
    // of the level above.
    for (int k = levels() - 2; k >= 0; --k)
        for (int c = 0; c < 3; ++c)
            expandInto(m_levels[size_t(k) + 1][size_t(c)], m_levels[size_t(k)][size_t(c)], Combine::Add, m_scratch, pool);
    const ColourPlanes& base = m_levels[0];
    const int w = base[0].width, h = base[0].height;
    pool.run(h, int64_t(w) * h, [&](int y0, int y1) {
        for (int y = y0; y < y1; ++y)
            packRow(base[0].row(y), base[1].row(y), base[2].row(y), reinterpret_cast<QRgb*>(out.scanLine(y)), w);
    });
}

void LaplaceFusion::fuse(const QImage& a, const QImage& b, QImage& out, double blend, double colour, RowPool& pool)
{
    const BlendGains gains = BlendGains::of(blend);
    m_first.build(a, gains.first, pool);
    m_second.build(b, gains.second, pool);
    const float c = float(std::clamp(colour, 0.0, 1.0));
    const int top = m_first.levels() - 1;
    for (int k = 0; k <= top; ++k) {
        ColourPlanes& fa = m_first.level(k);
        const ColourPlanes& fb = m_second.level(k);
        const int w = fa[0].width, h = fa[0].height;
        // Detail levels compare contrast, the coarsest level compares intensity.
        const bool coarsest = k == top;
        pool.run(h, int64_t(w) * h * 3, [&](int y0, int y1) {
            for (int y = y0; y < y1; ++y)
                (coarsest ? fuseRow<true> : fuseRow<false>)(fa[0].row(y), fa[1].row(y), fa[2].row(y), fb[0].row(y),
                                                            fb[1].row(y), fb[2].row(y), w, c);
        });
    }
    m_first.collapse(out, pool);
}
