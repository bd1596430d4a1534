#pragma once

#include <QByteArray>
#include <QImage>

struct AVFrame;

// MD5 sums of pictures as hex text: of a decoded frame's planes packed without padding (the
// bytes the ffmpeg command line's framemd5 hashes), and of an RGB picture packed as RGB24.
class FrameHash {
public:
    static QByteArray nativeMd5(const AVFrame* frame);
    static QByteArray rgbMd5(const QImage& image);
};
