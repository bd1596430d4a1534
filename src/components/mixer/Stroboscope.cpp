#include "Stroboscope.h"

#include "MixerCodes.h"
#include "RowPool.h"

#include <algorithm>
#include <cstdlib>

namespace {

inline int channelDistance(QRgb a, QRgb b)
{
    return std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)), std::abs(qBlue(a) - qBlue(b))});
}

inline int mixChannel(int out, int frame, int opacity) { return (out * (1000 - opacity) + frame * opacity + 500) / 1000; }

} // namespace

void Stroboscope::reset()
{
    m_reference = QImage();
    m_count = 0;
}

int Stroboscope::start(const QImage& frame, QImage& out, const QImage& reference, int opacity, int spacing,
                       int threshold, RowPool& pool)
{
    if (frame.isNull() || reference.isNull())
        return MixerBadPicture;
    if (frame.size() != reference.size())
        return MixerSizeMismatch;
    if (frame.format() != QImage::Format_RGB32 || reference.format() != QImage::Format_RGB32)
        return MixerBadPicture;
    if (opacity < 0 || opacity > 1000 || threshold < 0 || threshold > 255)
        return MixerBadArgument;
    m_reference = reference;
    m_opacity = opacity;
    m_spacing = std::max(1, spacing);
    m_threshold = threshold;
    m_count = 0;
    // The output becomes the reference in a buffer of its own (reused when it fits).
    if (out.size() != frame.size() || out.format() != QImage::Format_RGB32)
        out = QImage(frame.size(), QImage::Format_RGB32);
    if (out.isNull()) {
        reset();
        return MixerBadPicture;
    }
    for (int y = 0; y < out.height(); ++y)
        std::copy_n(m_reference.constScanLine(y), size_t(out.width()) * 4, out.scanLine(y));
    overlay(frame, out, pool);
    return MixerOk;
}

int Stroboscope::add(const QImage& frame, QImage& out, RowPool& pool)
{
    if (!started())
        return MixerNotStarted;
    if (frame.isNull() || frame.format() != QImage::Format_RGB32)
        return MixerBadPicture;
    if (frame.size() != m_reference.size() || out.size() != m_reference.size() || out.format() != QImage::Format_RGB32)
        return MixerSizeMismatch;
    ++m_count;
    if (m_count % m_spacing == 0)
        overlay(frame, out, pool);
    return MixerOk;
}

void Stroboscope::movingMask(const QImage& frame, const QImage& reference, int threshold, std::vector<uint8_t>& mask,
                             std::vector<uint8_t>& raw, RowPool& pool)
{
    const int w = frame.width(), h = frame.height();
    raw.assign(size_t(w) * size_t(h), 0);
    mask.assign(size_t(w) * size_t(h), 0);
    pool.run(h, int64_t(w) * h * 3, [&](int y0, int y1) {
        for (int y = y0; y < y1; ++y) {
            const auto* f = reinterpret_cast<const QRgb*>(frame.constScanLine(y));
            const auto* r = reinterpret_cast<const QRgb*>(reference.constScanLine(y));
            uint8_t* m = raw.data() + size_t(y) * size_t(w);
            for (int x = 0; x < w; ++x)
                m[x] = channelDistance(f[x], r[x]) > threshold ? 1 : 0;
        }
    });
    // The 3 × 3 majority: column sums of three rows, then three columns of them.
    pool.run(h, int64_t(w) * h * 2, [&](int y0, int y1) {
        std::vector<uint8_t> column(static_cast<size_t>(w));
        for (int y = y0; y < y1; ++y) {
            const uint8_t* up = y > 0 ? raw.data() + size_t(y - 1) * size_t(w) : nullptr;
            const uint8_t* mid = raw.data() + size_t(y) * size_t(w);
            const uint8_t* down = y + 1 < h ? raw.data() + size_t(y + 1) * size_t(w) : nullptr;
            for (int x = 0; x < w; ++x)
                column[size_t(x)] = uint8_t(mid[x] + (up ? up[x] : 0) + (down ? down[x] : 0));
            uint8_t* m = mask.data() + size_t(y) * size_t(w);
            for (int x = 0; x < w; ++x) {
                const int sum = column[size_t(x)] + (x > 0 ? column[size_t(x) - 1] : 0) + (x + 1 < w ? column[size_t(x) + 1] : 0);
                m[x] = sum >= 5 ? 1 : 0;
            }
        }
    });
}

void Stroboscope::overlay(const QImage& frame, QImage& out, RowPool& pool)
{
    movingMask(frame, m_reference, m_threshold, m_mask, m_raw, pool);
    const int w = frame.width(), h = frame.height();
    const int opacity = m_opacity;
    uchar* outBits = out.bits();
    const qsizetype outStride = out.bytesPerLine();
    pool.run(h, int64_t(w) * h, [&](int y0, int y1) {
        for (int y = y0; y < y1; ++y) {
            const auto* f = reinterpret_cast<const QRgb*>(frame.constScanLine(y));
            auto* o = reinterpret_cast<QRgb*>(outBits + y * outStride);
            const uint8_t* m = m_mask.data() + size_t(y) * size_t(w);
            for (int x = 0; x < w; ++x) {
                if (!m[x])
                    continue;
                if (opacity == 1000)
                    o[x] = f[x];
                else
                    o[x] = qRgb(mixChannel(qRed(o[x]), qRed(f[x]), opacity), mixChannel(qGreen(o[x]), qGreen(f[x]), opacity),
                                mixChannel(qBlue(o[x]), qBlue(f[x]), opacity));
            }
        }
    });
}
