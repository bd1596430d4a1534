#pragma once

#include <QByteArray>
#include <QImage>

struct AVFrame;

// MD5 sums of pictures as hex text: of a decoded frame's planes packed without padding (the
// bytes the ffmpeg command line's framemd5 hashes), and of an RGB picture packed as RGB24.
class FrameHash {
public:
    // `rotation` (0, 90, 180, 270 clockwise) hashes the planes turned as the command line turns a
    // file's pictures for display; formats whose planes cannot be turned sample by sample
    // (bitstream, palette, chroma halved in one direction only) give an empty sum when turned.
    static QByteArray nativeMd5(const AVFrame* frame, int rotation = 0);
    static QByteArray rgbMd5(const QImage& image);
};
