#pragma once

#include <QByteArray>
#include <QImage>

namespace ZorvikArt {

// Writes still pictures as GIF89a: one global colour table (at most 256 colours), one image,
// LZW-compressed. An indexed picture is written with its own colour table; any other picture is
// first reduced to 256 colours (toIndexed). Returns an empty array for a null picture.
QByteArray encodeGif(const QImage& image);

// The LZW code stream of a GIF image (without the minimum code size byte and the sub-block
// framing), for pixel indices below 2^minCodeSize.
QByteArray lzwCompress(const QByteArray& indices, int minCodeSize);

} // namespace ZorvikArt
