#pragma once

#include <QImage>
#include <QList>
#include <QRgb>

namespace ZorvikArt {

// Reduces an opaque picture to an indexed one of at most maxColors colours. A picture that
// already has that few colours keeps them exactly; otherwise the palette is found by median cut
// (each box of colours is split at the weighted median of its widest channel) and every pixel
// takes its nearest palette colour.
QImage toIndexed(const QImage& image, int maxColors = 256);

} // namespace ZorvikArt
