#pragma once

#include "components/DialogService.h"

#include <QSize>
#include <QString>
#include <QStringList>

extern "C" {
#include <libavcodec/avcodec.h>
}

// The video codecs offered for AVI files and how each is set up: pixel format, quality knob,
// threads. Only encoders present in this FFmpeg build are offered.
class CodecCatalog {
public:
    // Encoder short names in the order the codec dialog lists them.
    static QStringList available();
    static bool isAvailable(const QString& codec);
    // The codec used when nobody chose one: Motion JPEG at a high quality.
    static CodecChoice defaultChoice();
    // Whether the quality setting means anything for the codec (lossless and raw have none).
    static bool hasQuality(const QString& codec);
    // The pixel format the codec is fed for pictures of `size` (odd sizes included).
    static AVPixelFormat pixelFormat(const QString& codec, QSize size);
    // Sets quality, key frame interval and threads on a context whose size, rate and pixel
    // format are already set.
    static void configure(AVCodecContext* context, const CodecChoice& choice);
};
