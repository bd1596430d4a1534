#pragma once

#include "LaplacePyramid.h"
#include "RowPool.h"
#include "Stroboscope.h"

#include <QImage>
#include <QPointF>
#include <QRectF>
#include <QString>
#include <array>
#include <cstdint>

// The video mixer: blends the pictures of two videos into one, and builds the stroboscopic
// picture of one video.
//
// Pictures: the blends read 24-bit (QImage::Format_RGB888, as the views draw their frames) and
// 32-bit RGB (Format_RGB32) as they are; pictures of other formats are accepted and converted
// first, which costs a copy. What the mixer returns or writes is always Format_RGB32.
//
// Blend algorithms (blendAlgorithm), each steered by the blend weight (0 = video 1 only, 1 =
// video 2 only; BlendGains) and the colour weight (how much a pixel's strongest channel counts
// against its luma when intensities are compared):
//   1 "Gain maximum Intensity"                   BlendMaxIntensity::gainMax
//   2 "Gain maximum Intensitiy with Saturation"   BlendMaxIntensity::gainMaxSaturation
//   3 "Laplace Pyramid with maximum Intensity"   LaplaceFusion
// Two pictures of different sizes are blended at the larger width and the larger height, each
// placed at the top left on black.
//
// Every operation returns a MixerCode or a null picture on bad input, and keeps a sentence
// about the failure in lastError(); nothing throws. The work is shared out over the machine's
// cores, row by row. Use from one thread at a time.
class OvVidMixer {
public:
    OvVidMixer();
    ~OvVidMixer();
    OvVidMixer(const OvVidMixer&) = delete;
    OvVidMixer& operator=(const OvVidMixer&) = delete;

    // Settings the caller passes once at creation (the program sets the switches to 1, the byte
    // and the plain setting to 0, both rectangles to (0, 0, 1, 1) and the point to (0, 0)).
    // They are kept as given and read back; with these values the mixer works on whole pictures.
    void setSwitch(int index, int value); // index 0 .. 2; others are ignored
    int switchValue(int index) const;
    void setByteSetting(uint8_t value) { m_byteSetting = value; }
    uint8_t byteSetting() const { return m_byteSetting; }
    void setRect(int index, const QRectF& rect); // index 0 .. 1; others are ignored
    QRectF rect(int index) const;
    void setPoint(const QPointF& point) { m_point = point; }
    QPointF point() const { return m_point; }
    void setSetting(int value) { m_setting = value; }
    int setting() const { return m_setting; }

    // Colour weight 0 .. 1 (0.5 at creation). Values outside are clamped; NaN is refused
    // (MixerBadArgument) and the weight stays.
    int setColorWeight(double weight);
    double colorWeight() const { return m_colorWeight; }
    // Blend weight 0 .. 1 (0.5 at creation), the same way.
    int setBlendWeight(double weight);
    double blendWeight() const { return m_blendWeight; }
    // Blend algorithm 1 .. 3 (1 at creation); another value is refused and the algorithm stays.
    int setBlendAlgorithm(int algorithm);
    int blendAlgorithm() const { return m_blendAlgorithm; }

    // The blend of a picture of video 1 and one of video 2: a new picture, or a null one when
    // either is null (lastError says why). The returned picture's memory is recycled by a later
    // call once the caller has dropped it, so a steady stream of blends allocates nothing.
    QImage blend(const QImage& first, const QImage& second);

    // Starts a stroboscopic picture in `out` from the source frame and the reference picture
    // (the scene without its moving subject, see OvVidMixAgent): `opacity` per mille for the
    // copies (1000 = opaque), a copy every `numFrames` frames (values below 1 count as 1), a
    // pixel moves when a channel differs from the reference by more than `threshold`. The frame
    // and the reference must have one size; `out` is made that size. See Stroboscope.
    int stroboStart(const QImage& source, QImage& out, const QImage& reference, int opacity, int numFrames,
                    uint8_t threshold);
    // The next source frame of the stroboscopic picture in `out`.
    int stroboAdd(const QImage& source, QImage& out);
    const Stroboscope& stroboscope() const { return m_strobo; }

    QString lastError() const { return m_lastError; }
    // The worker threads the mixer shares its work over; the agent uses them too.
    RowPool& pool() { return m_pool; }

    // The names of the algorithms as the parameter dialog shows them; "" for another number.
    static QString algorithmName(int algorithm);

private:
    int fail(int code, const QString& text);
    // An output buffer of that size that nobody else holds.
    QImage& outputBuffer(QSize size);

    std::array<int, 3> m_switches{0, 0, 0};
    uint8_t m_byteSetting = 0;
    std::array<QRectF, 2> m_rects{};
    QPointF m_point;
    int m_setting = 0;
    double m_colorWeight = 0.5;
    double m_blendWeight = 0.5;
    int m_blendAlgorithm = 1;
    QString m_lastError;

    RowPool m_pool;
    LaplaceFusion m_fusion;
    Stroboscope m_strobo;
    std::array<QImage, 3> m_outputs; // recycled outputs of blend()
};
