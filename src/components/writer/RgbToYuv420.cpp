#include "RgbToYuv420.h"

#include <QImage>
#include <algorithm>
#include <cmath>
#include <cstdint>

namespace {

constexpr int kShift = 16;

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

// Converts rows y and y + 1 (the same row again at the bottom of an odd height). R, G and B are
// the byte offsets of the colours within a pixel of `Bytes` bytes.
template <int Bytes, int R, int G, int B>
void convertRowPair(const uint8_t* row0, const uint8_t* row1, bool secondRow, int width, const Matrix& m,
                    uint8_t* y0, uint8_t* y1, uint8_t* u, uint8_t* v)
{
    for (int x = 0; x < width; ++x) {
        const uint8_t* p = row0 + x * Bytes;
        y0[x] = clampByte((m.y.r * p[R] + m.y.g * p[G] + m.y.b * p[B] + m.yOffset) >> kShift);
    }
    if (secondRow) {
        for (int x = 0; x < width; ++x) {
            const uint8_t* p = row1 + x * Bytes;
            y1[x] = clampByte((m.y.r * p[R] + m.y.g * p[G] + m.y.b * p[B] + m.yOffset) >> kShift);
        }
    }
    const int pairs = (width + 1) / 2;
    for (int c = 0; c < pairs; ++c) {
        const int x0 = 2 * c;
        const int x1 = std::min(x0 + 1, width - 1); // an odd width repeats its last column
        const uint8_t* a = row0 + x0 * Bytes;
        const uint8_t* b = row0 + x1 * Bytes;
        const uint8_t* d = row1 + x0 * Bytes;
        const uint8_t* e = row1 + x1 * Bytes;
        const int32_t sr = a[R] + b[R] + d[R] + e[R];
        const int32_t sg = a[G] + b[G] + d[G] + e[G];
        const int32_t sb = a[B] + b[B] + d[B] + e[B];
        u[c] = clampByte((m.u.r * sr + m.u.g * sg + m.u.b * sb + m.cOffset) >> (kShift + 2));
        v[c] = clampByte((m.v.r * sr + m.v.g * sg + m.v.b * sb + m.cOffset) >> (kShift + 2));
    }
}

template <int Bytes, int R, int G, int B>
void convertPicture(const QImage& picture, AVFrame* frame, const Matrix& m)
{
    const int width = picture.width();
    const int height = picture.height();
    for (int y = 0; y < height; y += 2) {
        const bool secondRow = y + 1 < height;
        const uint8_t* row0 = picture.constScanLine(y);
        const uint8_t* row1 = secondRow ? picture.constScanLine(y + 1) : row0;
        uint8_t* y0 = frame->data[0] + static_cast<std::ptrdiff_t>(y) * frame->linesize[0];
        uint8_t* y1 = secondRow ? y0 + frame->linesize[0] : y0;
        uint8_t* u = frame->data[1] + static_cast<std::ptrdiff_t>(y / 2) * frame->linesize[1];
        uint8_t* v = frame->data[2] + static_cast<std::ptrdiff_t>(y / 2) * frame->linesize[2];
        convertRowPair<Bytes, R, G, B>(row0, row1, secondRow, width, m, y0, y1, u, v);
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
        || frame->width != picture.width() || frame->height != picture.height())
        return false;
    const Matrix m = makeMatrix(space, fullRange);
    if (picture.format() == QImage::Format_RGB888)
        convertPicture<3, 0, 1, 2>(picture, frame, m);
    else
        convertPicture<4, 2, 1, 0>(picture, frame, m); // stored as B, G, R, A in memory
    return true;
}
