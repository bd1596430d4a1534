#pragma once

#include <QImage>
#include <cstdint>
#include <vector>

class RowPool;

// The stroboscopic picture: copies of a moving subject at successive moments in one picture.
//
// The subject of a frame is what differs from the reference picture (the scene without the
// subject, see TemporalMedian): a pixel moves when one of its channels differs from the
// reference by more than the threshold. So that noise does not settle in the picture, the mask
// is cleaned by a 3 × 3 majority: a pixel counts when at least 5 of the 9 pixels around it,
// itself included, move (pixels outside the picture do not). Subjects thinner than two pixels
// are lost to this, specks of noise too.
//
// start() sets the output to the reference and puts the first frame's subject into it; add()
// counts the frames after it and puts the subject of every `spacing`-th one into the output
// (spacing 1: every frame; 10: every tenth frame, so the copies stand as far apart as the
// subject moves in ten frames). A copy is laid over the output with an opacity in per mille:
//     out = (out·(1000 − opacity) + frame·opacity) / 1000, rounded,
// where 1000 replaces the pixels, smaller values leave later copies see-through.
// Pictures are RGB32; the output has the frames' size.
class Stroboscope {
public:
    // Returns a MixerCode; on failure nothing is started and `out` is as it was.
    int start(const QImage& frame, QImage& out, const QImage& reference, int opacity, int spacing,
              int threshold, RowPool& pool);
    int add(const QImage& frame, QImage& out, RowPool& pool);

    bool started() const { return !m_reference.isNull(); }
    int opacity() const { return m_opacity; }
    int spacing() const { return m_spacing; }
    int threshold() const { return m_threshold; }
    // Frames added since start (the start frame is 0).
    int framesAdded() const { return m_count; }
    void reset();

    // The moving pixels of `frame` against `reference` (both RGB32 of one size), after the
    // majority clean-up: one byte per pixel, 1 = moving, row after row.
    static void movingMask(const QImage& frame, const QImage& reference, int threshold,
                           std::vector<uint8_t>& mask, std::vector<uint8_t>& raw, RowPool& pool);

private:
    void overlay(const QImage& frame, QImage& out, RowPool& pool);

    QImage m_reference;
    int m_opacity = 1000;
    int m_spacing = 1;
    int m_threshold = 10;
    int m_count = 0;
    std::vector<uint8_t> m_mask; // kept between frames: no allocation per frame
    std::vector<uint8_t> m_raw;
};
