#include "TemporalMedian.h"

#include "RowPool.h"

#include <algorithm>
#include <array>

namespace TemporalMedian {

QImage of(const std::vector<QImage>& pictures, RowPool& pool)
{
    if (pictures.empty() || pictures.size() > 255)
        return {};
    const QSize size = pictures.front().size();
    std::vector<QImage> rgb;
    rgb.reserve(pictures.size());
    for (const QImage& p : pictures) {
        if (p.size() != size || p.isNull())
            return {};
        // Two layouts are read directly; anything else is converted once.
        rgb.push_back(p.format() == QImage::Format_RGB888 || p.format() == QImage::Format_RGB32
                          ? p
                          : p.convertToFormat(QImage::Format_RGB32));
    }
    QImage out(size, QImage::Format_RGB32);
    if (out.isNull())
        return {};
    const int w = size.width(), h = size.height();
    const size_t n = rgb.size(), middle = n / 2;
    uchar* outBits = out.bits();
    const qsizetype outStride = out.bytesPerLine();
    pool.run(h, int64_t(w) * h * int64_t(n) * 3, [&](int y0, int y1) {
        std::vector<const uchar*> rows(n);
        std::vector<int> steps(n);
        std::array<std::vector<uchar>, 3> values;
        for (auto& v : values)
            v.resize(n);
        for (int y = y0; y < y1; ++y) {
            for (size_t i = 0; i < n; ++i) {
                rows[i] = rgb[i].constScanLine(y);
                steps[i] = rgb[i].format() == QImage::Format_RGB888 ? 3 : 4;
            }
            auto* o = reinterpret_cast<QRgb*>(outBits + y * outStride);
            for (int x = 0; x < w; ++x) {
                for (size_t i = 0; i < n; ++i) {
                    const uchar* p = rows[i] + size_t(x) * size_t(steps[i]);
                    if (steps[i] == 3) {
                        values[0][i] = p[0];
                        values[1][i] = p[1];
                        values[2][i] = p[2];
                    } else {
                        const QRgb q = *reinterpret_cast<const QRgb*>(p);
                        values[0][i] = uchar(qRed(q));
                        values[1][i] = uchar(qGreen(q));
                        values[2][i] = uchar(qBlue(q));
                    }
                }
                int c[3];
                for (int k = 0; k < 3; ++k) {
                    std::nth_element(values[size_t(k)].begin(), values[size_t(k)].begin() + std::ptrdiff_t(middle),
                                     values[size_t(k)].end());
                    c[k] = values[size_t(k)][middle];
                }
                o[x] = qRgb(c[0], c[1], c[2]);
            }
        }
    });
    return out;
}

} // namespace TemporalMedian
