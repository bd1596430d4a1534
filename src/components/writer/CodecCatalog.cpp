#include "CodecCatalog.h"

#include <algorithm>
#include <cmath>

extern "C" {
#include <libavutil/opt.h>
}

namespace {

// Offered in this order; the first of each line that exists here is listed.
const char* const offered[] = {"mjpeg", "ffv1", "mpeg4", "libx264", "rawvideo"};

// Quality 0..100 onto a quantiser 31..1 (MPEG-style scales: lower is better).
int quantiser(int quality) { return std::clamp(1 + static_cast<int>(std::lround((100 - quality) * 0.3)), 1, 31); }

} // namespace

QStringList CodecCatalog::available()
{
    QStringList list;
    for (const char* name : offered)
        if (avcodec_find_encoder_by_name(name))
            list << QString::fromLatin1(name);
    return list;
}

bool CodecCatalog::isAvailable(const QString& codec) { return available().contains(codec); }

CodecChoice CodecCatalog::defaultChoice() { return CodecChoice{QStringLiteral("mjpeg"), 93}; }

bool CodecCatalog::hasQuality(const QString& codec)
{
    return codec == QLatin1String("mjpeg") || codec == QLatin1String("mpeg4") || codec == QLatin1String("libx264");
}

AVPixelFormat CodecCatalog::pixelFormat(const QString& codec, QSize size)
{
    if (codec == QLatin1String("mjpeg"))
        return AV_PIX_FMT_YUVJ420P;
    if (codec == QLatin1String("ffv1"))
        return AV_PIX_FMT_BGR0; // coded losslessly in RGB: the pictures come back bit for bit
    if (codec == QLatin1String("rawvideo"))
        return AV_PIX_FMT_BGR24;
    if (codec == QLatin1String("libx264") && (size.width() % 2 || size.height() % 2))
        return AV_PIX_FMT_YUV444P; // 4:2:0 needs even sizes in this encoder
    return AV_PIX_FMT_YUV420P;
}

void CodecCatalog::configure(AVCodecContext* context, const CodecChoice& choice)
{
    const int quality = std::clamp(choice.quality, 0, 100);
    context->thread_count = 0; // as many as the machine has
    context->max_b_frames = 0;  // AVI keeps no presentation times: coded order is shown order
    context->gop_size = 12;
    if (choice.codec == QLatin1String("mjpeg") || choice.codec == QLatin1String("mpeg4")) {
        context->flags |= AV_CODEC_FLAG_QSCALE;
        context->global_quality = FF_QP2LAMBDA * quantiser(quality);
    } else if (choice.codec == QLatin1String("libx264")) {
        av_opt_set(context->priv_data, "preset", "veryfast", 0);
        const QByteArray crf = QByteArray::number(std::lround((100 - quality) * 0.51));
        av_opt_set(context->priv_data, "crf", crf.constData(), 0);
        context->gop_size = 50;
    } else if (choice.codec == QLatin1String("ffv1")) {
        context->gop_size = 1;
        context->level = 3; // version 3 codes slices, which the encoder's threads share
    }
}
