#pragma once

#include "FfmpegHandles.h"

#include <QImage>

// True when samples of this format and range use the full 0..255 scale (the "J" formats
// carry it in their name, other formats in their colour range).
bool isFullRange(AVPixelFormat format, int range);

// Turns decoded pictures into RGB QImages and scales RGB pictures, both through swscale. Keeps
// its scaler between calls (sws_getCachedContext), so one converter per thread.
class FrameConverter {
public:
    // The whole decoded picture as RGB888; a null image when the pixel format is unusable.
    QImage toRgb(const AVFrame* frame);
    // The decoded picture scaled to `size` in one pass, as 32-bit RGB: what the viewer shows
    // when it shows the whole picture reduced.
    QImage toRgb32Scaled(const AVFrame* frame, QSize size);
    // `image` scaled to `size` (RGB888 result); a null image on failure.
    QImage scaled(const QImage& image, QSize size);

private:
    QImage convert(SwsContextPtr& context, const AVFrame* frame, QSize size, QImage::Format target);

    SwsContextPtr m_toRgb;
    SwsContextPtr m_toRgbScaled;
    SwsContextPtr m_scale;
};
