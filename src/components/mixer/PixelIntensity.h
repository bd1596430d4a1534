#pragma once

#include <QRgb>
#include <algorithm>
#include <cstdint>

// How bright a pixel is, in the forms the blends compare. All work on 32-bit pixels
// 0xffRRGGBB and in fixed point, so a picture is compared without floating point per pixel.
namespace PixelIntensity {

// Luma Y = 0.299 R + 0.587 G + 0.114 B, in 1/256 steps (0 .. 65280).
inline int luma256(int r, int g, int b) { return (19595 * r + 38470 * g + 7471 * b + 128) >> 8; }
inline int luma256(QRgb p) { return luma256(qRed(p), qGreen(p), qBlue(p)); }

// Value V = the strongest channel.
inline int value(int r, int g, int b) { return std::max(r, std::max(g, b)); }

// The intensity the blends maximise: I = (1 − c)·Y + c·V with the colour weight c as a 16.16
// factor (0 .. 65536). With c = 0 a pixel is as intense as it is bright; with c = 1 a pure,
// saturated colour counts as much as white of the same strongest channel. Result in steps of
// 1/2^24, exact for comparing.
inline int64_t intensity(int r, int g, int b, int colour16)
{
    return int64_t(65536 - colour16) * luma256(r, g, b) + int64_t(colour16) * (value(r, g, b) << 8);
}

// A weight 0 .. 1 as a 16.16 fixed-point factor (0 .. 65536).
inline int fixed16(double weight) { return int(std::clamp(weight, 0.0, 1.0) * 65536.0 + 0.5); }

// A channel times a 16.16 gain, rounded to the nearest.
inline int gained(int channel, int gain16) { return (channel * gain16 + 32768) >> 16; }

} // namespace PixelIntensity
