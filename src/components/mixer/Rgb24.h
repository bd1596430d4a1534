#pragma once

#include <QRgb>
#include <QtGlobal>

// Rows of 24-bit pixels (R, G, B bytes, as QImage::Format_RGB888 keeps them) spread into 32-bit
// pixels 0xffRRGGBB, which the blends' vector loops read far faster than three-byte pixels.
namespace Rgb24 {

// out[i] = pixel i of `in`, for n pixels; never reads past in[3 * n - 1].
void unpack(const uchar* in, QRgb* out, int n);

} // namespace Rgb24
