#pragma once

extern "C" {
#include <libavutil/frame.h>
#include <libavutil/pixfmt.h>
}

class QImage;

// Converts an RGB picture into planar YUV 4:2:0 with 8 bits per sample, the input of the JPEG,
// MPEG-4 and H.264 encoders. Each chroma sample is the mean of its 2x2 block of pixels. Written
// for this one job because the general scaler spends most of an encode's time here: this is
// fixed-point arithmetic on whole rows that the compiler vectorises.
class RgbToYuv420 {
public:
    // True when the picture's pixel layout is one this converter reads (24-bit RGB, 32-bit
    // xRGB/ARGB as the toolkit stores them).
    static bool accepts(const QImage& picture);

    // `space` is the matrix (BT.601, BT.709, ...); `fullRange` selects 0..255 samples instead of
    // the video range 16..235/240. The frame must be allocated as YUV 4:2:0 of at least the picture's size;
    // samples beyond the picture are left as they are.
    static bool convert(const QImage& picture, AVFrame* frame, AVColorSpace space, bool fullRange);
};
