#include "RgbToYuv420.h"

#include <QImage>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define ZORVIK_RGB_TO_YUV_SIMD 1
#endif

namespace {

// Weights are fixed point with this many fraction bits: small enough that every weight fits a
// signed 16-bit lane, which lets the vector path multiply and add pairs in one instruction.
constexpr int kShift = 14;

// Integer weights of one output sample: value = (r * R + g * G + b * B + offset) >> shift.
struct Weights {
    int32_t r = 0, g = 0, b = 0;
};

struct Matrix {
    Weights y, u, v;
    int32_t yOffset = 0; // already shifted, rounding included
    int32_t cOffset = 0; // for sums of four pixels
};

// The luma weights of each matrix (red, blue; green is the rest).
void lumaWeights(AVColorSpace space, double& kr, double& kb)
{
    switch (space) {
    case AVCOL_SPC_BT709: kr = 0.2126; kb = 0.0722; return;
    case AVCOL_SPC_FCC: kr = 0.30; kb = 0.11; return;
    case AVCOL_SPC_SMPTE240M: kr = 0.212; kb = 0.087; return;
    case AVCOL_SPC_BT2020_NCL:
    case AVCOL_SPC_BT2020_CL: kr = 0.2627; kb = 0.0593; return;
    default: kr = 0.299; kb = 0.114; return;
    }
}

int32_t fixedPoint(double value) { return static_cast<int32_t>(std::lround(value * (1 << kShift))); }

Matrix makeMatrix(AVColorSpace space, bool fullRange)
{
    double kr = 0, kb = 0;
    lumaWeights(space, kr, kb);
    const double ys = fullRange ? 1.0 : 219.0 / 255.0;
    const double cs = fullRange ? 1.0 : 224.0 / 255.0;
    Matrix m;
    m.y.r = fixedPoint(ys * kr);
    m.y.b = fixedPoint(ys * kb);
    // Whole weights that add up exactly, so white is exactly white and grey has no colour.
    m.y.g = fixedPoint(ys) - m.y.r - m.y.b;
    m.u.r = fixedPoint(-cs * kr / (2 * (1 - kb)));
    m.u.b = fixedPoint(cs * 0.5);
    m.u.g = -m.u.r - m.u.b;
    m.v.r = fixedPoint(cs * 0.5);
    m.v.b = fixedPoint(-cs * kb / (2 * (1 - kr)));
    m.v.g = -m.v.r - m.v.b;
    m.yOffset = ((fullRange ? 0 : 16) << kShift) + (1 << (kShift - 1));
    m.cOffset = (128 << (kShift + 2)) + (1 << (kShift + 1));
    return m;
}

inline uint8_t clampByte(int32_t value) { return static_cast<uint8_t>(std::clamp(value, 0, 255)); }

// Where the colours sit in a pixel: its size in bytes and the offsets of red, green and blue.
struct Layout {
    int bytes, r, g, b;
};
constexpr Layout kRgb24{3, 0, 1, 2};
constexpr Layout kBgra{4, 2, 1, 0}; // 32-bit pixels of the toolkit, stored as B, G, R, A

// The two output rows of a row pair and their chroma row; y1 is y0 at the bottom of an odd
// height, where row1 repeats row0.
struct RowPair {
    const uint8_t* row0;
    const uint8_t* row1;
    uint8_t* y0;
    uint8_t* y1;
    uint8_t* u;
    uint8_t* v;
    bool secondRow;
};

// Converts the pixels from column `from` (even) to the end of the row pair.
void convertScalar(const RowPair& p, int from, int width, Layout l, const Matrix& m)
{
    auto luma = [&m, l](const uint8_t* q) {
        return clampByte((m.y.r * q[l.r] + m.y.g * q[l.g] + m.y.b * q[l.b] + m.yOffset) >> kShift);
    };
    for (int x = from; x < width; ++x)
        p.y0[x] = luma(p.row0 + x * l.bytes);
    if (p.secondRow)
        for (int x = from; x < width; ++x)
            p.y1[x] = luma(p.row1 + x * l.bytes);
    for (int c = from / 2; c < (width + 1) / 2; ++c) {
        const int x0 = 2 * c;
        const int x1 = std::min(x0 + 1, width - 1); // an odd width repeats its last column
        const uint8_t* a = p.row0 + x0 * l.bytes;
        const uint8_t* b = p.row0 + x1 * l.bytes;
        const uint8_t* d = p.row1 + x0 * l.bytes;
        const uint8_t* e = p.row1 + x1 * l.bytes;
        const int32_t sr = a[l.r] + b[l.r] + d[l.r] + e[l.r];
        const int32_t sg = a[l.g] + b[l.g] + d[l.g] + e[l.g];
        const int32_t sb = a[l.b] + b[l.b] + d[l.b] + e[l.b];
        p.u[c] = clampByte((m.u.r * sr + m.u.g * sg + m.u.b * sb + m.cOffset) >> (kShift + 2));
        p.v[c] = clampByte((m.v.r * sr + m.v.g * sg + m.v.b * sb + m.cOffset) >> (kShift + 2));
    }
}

#if defined(ZORVIK_RGB_TO_YUV_SIMD)

bool haveSsse3()
{
    static const bool have = __builtin_cpu_supports("ssse3");
    return have;
}

#define ZORVIK_SSSE3 __attribute__((target("ssse3")))

// Weights of a multiply-add over 16-bit lane pairs: `a` for the even lane, `b` for the odd one.
ZORVIK_SSSE3 inline __m128i lanePairs(int32_t a, int32_t b)
{
    return _mm_set1_epi32(static_cast<int32_t>((uint32_t(uint16_t(b)) << 16) | uint16_t(a)));
}

ZORVIK_SSSE3 inline __m128i loadBytes(const uint8_t* q) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(q)); }

// Four samples: (pairs . weights + blue . weight + offset) >> shift, as 32-bit lanes.
ZORVIK_SSSE3 inline __m128i weighted(__m128i rg, __m128i b, __m128i wRg, __m128i wB, __m128i offset, int shift)
{
    const __m128i sum = _mm_add_epi32(_mm_madd_epi16(rg, wRg), _mm_madd_epi16(b, wB));
    return _mm_sra_epi32(_mm_add_epi32(sum, offset), _mm_cvtsi32_si128(shift));
}

// Eight 32-bit samples saturated to bytes.
ZORVIK_SSSE3 inline void storeEight(uint8_t* out, __m128i lo, __m128i hi)
{
    const __m128i words = _mm_packs_epi32(lo, hi);
    _mm_storel_epi64(reinterpret_cast<__m128i*>(out), _mm_packus_epi16(words, words));
}

// Four chroma samples of four 2x2 blocks from the column sums of the two rows (left and right
// four columns): neighbouring columns are added after weighting.
ZORVIK_SSSE3 inline void storeChroma(uint8_t* out, __m128i rgLeft, __m128i bLeft, __m128i rgRight, __m128i bRight,
                                     __m128i wRg, __m128i wB, __m128i offset)
{
    const __m128i left = _mm_add_epi32(_mm_madd_epi16(rgLeft, wRg), _mm_madd_epi16(bLeft, wB));
    const __m128i right = _mm_add_epi32(_mm_madd_epi16(rgRight, wRg), _mm_madd_epi16(bRight, wB));
    const __m128i blocks = _mm_srai_epi32(_mm_add_epi32(_mm_hadd_epi32(left, right), offset), kShift + 2);
    const __m128i words = _mm_packs_epi32(blocks, blocks);
    const int32_t bytes4 = _mm_cvtsi128_si32(_mm_packus_epi16(words, words));
    std::memcpy(out, &bytes4, 4);
}

// The same integer arithmetic as convertScalar, eight pixels of both rows at a time: each group
// of four pixels is spread into 16-bit lanes (red and green paired, blue alone) so that one
// multiply-add gives two products of a sample's sum. Returns the columns done (a multiple of 8);
// the loads never reach past a row's last pixel.
ZORVIK_SSSE3 int convertSsse3(const RowPair& p, int width, Layout l, const Matrix& m)
{
    alignas(16) char rg[16];
    alignas(16) char bz[16];
    for (int i = 0; i < 4; ++i) {
        rg[4 * i] = static_cast<char>(i * l.bytes + l.r);
        rg[4 * i + 1] = static_cast<char>(0x80); // a shuffle index with the top bit set gives 0
        rg[4 * i + 2] = static_cast<char>(i * l.bytes + l.g);
        rg[4 * i + 3] = static_cast<char>(0x80);
        bz[4 * i] = static_cast<char>(i * l.bytes + l.b);
        bz[4 * i + 1] = bz[4 * i + 2] = bz[4 * i + 3] = static_cast<char>(0x80);
    }
    const __m128i shufRg = _mm_load_si128(reinterpret_cast<const __m128i*>(rg));
    const __m128i shufB = _mm_load_si128(reinterpret_cast<const __m128i*>(bz));
    const __m128i yRg = lanePairs(m.y.r, m.y.g), yB = lanePairs(m.y.b, 0);
    const __m128i uRg = lanePairs(m.u.r, m.u.g), uB = lanePairs(m.u.b, 0);
    const __m128i vRg = lanePairs(m.v.r, m.v.g), vB = lanePairs(m.v.b, 0);
    const __m128i yOff = _mm_set1_epi32(m.yOffset);
    const __m128i cOff = _mm_set1_epi32(m.cOffset);

    int x = 0;
    for (; (x + 4) * l.bytes + 16 <= width * l.bytes; x += 8) {
        const uint8_t* a = p.row0 + x * l.bytes;
        const uint8_t* b = p.row1 + x * l.bytes;
        const __m128i a0 = loadBytes(a), a1 = loadBytes(a + 4 * l.bytes);
        const __m128i b0 = loadBytes(b), b1 = loadBytes(b + 4 * l.bytes);
        const __m128i rgA0 = _mm_shuffle_epi8(a0, shufRg), bA0 = _mm_shuffle_epi8(a0, shufB);
        const __m128i rgA1 = _mm_shuffle_epi8(a1, shufRg), bA1 = _mm_shuffle_epi8(a1, shufB);
        const __m128i rgB0 = _mm_shuffle_epi8(b0, shufRg), bB0 = _mm_shuffle_epi8(b0, shufB);
        const __m128i rgB1 = _mm_shuffle_epi8(b1, shufRg), bB1 = _mm_shuffle_epi8(b1, shufB);
        storeEight(p.y0 + x, weighted(rgA0, bA0, yRg, yB, yOff, kShift), weighted(rgA1, bA1, yRg, yB, yOff, kShift));
        if (p.secondRow)
            storeEight(p.y1 + x, weighted(rgB0, bB0, yRg, yB, yOff, kShift), weighted(rgB1, bB1, yRg, yB, yOff, kShift));
        const __m128i rg0 = _mm_add_epi16(rgA0, rgB0), bs0 = _mm_add_epi16(bA0, bB0);
        const __m128i rg1 = _mm_add_epi16(rgA1, rgB1), bs1 = _mm_add_epi16(bA1, bB1);
        storeChroma(p.u + x / 2, rg0, bs0, rg1, bs1, uRg, uB, cOff);
        storeChroma(p.v + x / 2, rg0, bs0, rg1, bs1, vRg, vB, cOff);
    }
    return x;
}

#endif

template <Layout L>
void convertPicture(const QImage& picture, AVFrame* frame, const Matrix& m)
{
    const int width = picture.width();
    const int height = picture.height();
#if defined(ZORVIK_RGB_TO_YUV_SIMD)
    const bool vector = haveSsse3();
#endif
    for (int y = 0; y < height; y += 2) {
        RowPair p;
        p.secondRow = y + 1 < height;
        p.row0 = picture.constScanLine(y);
        p.row1 = p.secondRow ? picture.constScanLine(y + 1) : p.row0;
        p.y0 = frame->data[0] + static_cast<std::ptrdiff_t>(y) * frame->linesize[0];
        p.y1 = p.secondRow ? p.y0 + frame->linesize[0] : p.y0;
        p.u = frame->data[1] + static_cast<std::ptrdiff_t>(y / 2) * frame->linesize[1];
        p.v = frame->data[2] + static_cast<std::ptrdiff_t>(y / 2) * frame->linesize[2];
        int done = 0;
#if defined(ZORVIK_RGB_TO_YUV_SIMD)
        if (vector)
            done = convertSsse3(p, width, L, m);
#endif
        convertScalar(p, done, width, L, m);
    }
}

} // namespace

bool RgbToYuv420::accepts(const QImage& picture)
{
    switch (picture.format()) {
    case QImage::Format_RGB888:
        return true;
    case QImage::Format_RGB32:
    case QImage::Format_ARGB32:
        return Q_BYTE_ORDER == Q_LITTLE_ENDIAN;
    default:
        return false;
    }
}

bool RgbToYuv420::convert(const QImage& picture, AVFrame* frame, AVColorSpace space, bool fullRange)
{
    if (!accepts(picture) || !frame || !frame->data[0] || !frame->data[1] || !frame->data[2]
        || frame->width < picture.width() || frame->height < picture.height())
        return false;
    const Matrix m = makeMatrix(space, fullRange);
    if (picture.format() == QImage::Format_RGB888)
        convertPicture<kRgb24>(picture, frame, m);
    else
        convertPicture<kBgra>(picture, frame, m);
    return true;
}
