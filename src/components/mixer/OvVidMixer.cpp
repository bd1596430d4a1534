#include "OvVidMixer.h"

#include "BlendMaxIntensity.h"
#include "MixerCodes.h"
#include "components/media/PictureMemory.h"

#include <QPainter>
#include <cmath>
#include <limits>

namespace {

// Pictures larger than this many pixels per side are refused: the fixed-point arithmetic and
// the row offsets are laid out for them.
constexpr int kMaxSide = 16384;

bool usable(const QImage& p) { return !p.isNull() && p.width() <= kMaxSide && p.height() <= kMaxSide; }

QImage asRgb32(const QImage& p)
{
    return p.format() == QImage::Format_RGB32 ? p : p.convertToFormat(QImage::Format_RGB32);
}

// The blends read 24- and 32-bit RGB as they are (the views draw 24-bit pictures); other
// formats are converted once.
QImage readable(const QImage& p) { return BlendMaxIntensity::readsDirectly(p) ? p : asRgb32(p); }

// The picture on black at `size`, its top left corner at the origin.
QImage onCanvas(const QImage& p, QSize size)
{
    if (p.size() == size)
        return p;
    QImage canvas(size, QImage::Format_RGB32);
    canvas.fill(Qt::black);
    QPainter painter(&canvas);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(QPoint(0, 0), p);
    return canvas;
}

} // namespace

OvVidMixer::OvVidMixer() = default;
OvVidMixer::~OvVidMixer() = default;

QString OvVidMixer::algorithmName(int algorithm)
{
    switch (algorithm) {
    case 1:
        return QStringLiteral("Gain maximum Intensity");
    case 2:
        return QStringLiteral("Gain maximum Intensitiy with Saturation");
    case 3:
        return QStringLiteral("Laplace Pyramid with maximum Intensity");
    default:
        return {};
    }
}

int OvVidMixer::fail(int code, const QString& text)
{
    m_lastError = text;
    return code;
}

void OvVidMixer::setSwitch(int index, int value)
{
    if (index >= 0 && index < int(m_switches.size()))
        m_switches[size_t(index)] = value;
}

int OvVidMixer::switchValue(int index) const
{
    return index >= 0 && index < int(m_switches.size()) ? m_switches[size_t(index)] : 0;
}

void OvVidMixer::setRect(int index, const QRectF& rect)
{
    if (index >= 0 && index < int(m_rects.size()))
        m_rects[size_t(index)] = rect;
}

QRectF OvVidMixer::rect(int index) const
{
    return index >= 0 && index < int(m_rects.size()) ? m_rects[size_t(index)] : QRectF();
}

int OvVidMixer::setColorWeight(double weight)
{
    if (std::isnan(weight))
        return fail(MixerBadArgument, QStringLiteral("colour weight is not a number"));
    m_colorWeight = std::clamp(weight, 0.0, 1.0);
    return MixerOk;
}

int OvVidMixer::setBlendWeight(double weight)
{
    if (std::isnan(weight))
        return fail(MixerBadArgument, QStringLiteral("blend weight is not a number"));
    m_blendWeight = std::clamp(weight, 0.0, 1.0);
    return MixerOk;
}

int OvVidMixer::setBlendAlgorithm(int algorithm)
{
    if (algorithm < 1 || algorithm > 3)
        return fail(MixerBadArgument, QStringLiteral("blend algorithm %1 is not 1, 2 or 3").arg(algorithm));
    m_blendAlgorithm = algorithm;
    return MixerOk;
}

QImage& OvVidMixer::outputBuffer(QSize size)
{
    // A buffer the caller still holds (shown on screen, queued for encoding) must not be
    // written; one that only the mixer holds is reused. New ones take recycled memory, so a
    // stream of blends does not touch fresh memory for every frame either way.
    for (QImage& out : m_outputs)
        if (!out.isNull() && out.size() == size && out.isDetached())
            return out;
    for (QImage& out : m_outputs)
        if (out.isNull() || out.isDetached() || out.size() != size) {
            out = PictureMemory::image(size.width(), size.height(), QImage::Format_RGB32);
            return out;
        }
    // All held by the caller: a new one replaces the oldest (which the caller keeps).
    std::rotate(m_outputs.begin(), m_outputs.begin() + 1, m_outputs.end());
    m_outputs.back() = PictureMemory::image(size.width(), size.height(), QImage::Format_RGB32);
    return m_outputs.back();
}

QImage OvVidMixer::blend(const QImage& first, const QImage& second)
{
    if (!usable(first) || !usable(second)) {
        fail(MixerBadPicture, QStringLiteral("blend needs two pictures of 1 to %1 pixels per side").arg(kMaxSide));
        return {};
    }
    const QSize size(std::max(first.width(), second.width()), std::max(first.height(), second.height()));
    const QImage a = onCanvas(readable(first), size);
    const QImage b = onCanvas(readable(second), size);
    QImage& out = outputBuffer(size);
    if (out.isNull() || a.isNull() || b.isNull()) {
        fail(MixerBadPicture, QStringLiteral("no memory for a blend of %1 x %2").arg(size.width()).arg(size.height()));
        return {};
    }
    switch (m_blendAlgorithm) {
    case 2:
        BlendMaxIntensity::gainMaxSaturation(a, b, out, m_blendWeight, m_colorWeight, m_pool);
        break;
    case 3:
        m_fusion.fuse(a, b, out, m_blendWeight, m_colorWeight, m_pool);
        break;
    default:
        BlendMaxIntensity::gainMax(a, b, out, m_blendWeight, m_colorWeight, m_pool);
        break;
    }
    return out;
}

int OvVidMixer::stroboStart(const QImage& source, QImage& out, const QImage& reference, int opacity, int numFrames,
                            uint8_t threshold)
{
    if (!usable(source) || !usable(reference))
        return fail(MixerBadPicture, QStringLiteral("stroboscope needs a source and a reference picture"));
    if (source.size() != reference.size())
        return fail(MixerSizeMismatch, QStringLiteral("source %1 x %2 and reference %3 x %4 differ in size")
                                           .arg(source.width())
                                           .arg(source.height())
                                           .arg(reference.width())
                                           .arg(reference.height()));
    if (opacity < 0 || opacity > 1000)
        return fail(MixerBadArgument, QStringLiteral("opacity %1 is not 0 .. 1000").arg(opacity));
    const int rc = m_strobo.start(asRgb32(source), out, asRgb32(reference), opacity, numFrames, threshold, m_pool);
    return rc == MixerOk ? rc : fail(rc, QStringLiteral("stroboscope cannot start"));
}

int OvVidMixer::stroboAdd(const QImage& source, QImage& out)
{
    if (!m_strobo.started())
        return fail(MixerNotStarted, QStringLiteral("stroboscope frame added before a start"));
    if (!usable(source))
        return fail(MixerBadPicture, QStringLiteral("stroboscope frame is empty"));
    if (out.format() != QImage::Format_RGB32 && !out.isNull())
        out = out.convertToFormat(QImage::Format_RGB32);
    const int rc = m_strobo.add(asRgb32(source), out, m_pool);
    return rc == MixerOk ? rc
                         : fail(rc, QStringLiteral("stroboscope frame of %1 x %2 does not fit the picture")
                                        .arg(source.width())
                                        .arg(source.height()));
}
