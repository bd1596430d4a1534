#include "FrameHash.h"

#include <QCryptographicHash>
#include <algorithm>
#include <cstring>
#include <vector>

extern "C" {
#include <libavutil/frame.h>
#include <libavutil/imgutils.h>
#include <libavutil/pixdesc.h>
}

namespace {

// One plane turned clockwise by `rotation`, its elements (`step` bytes: a sample, or a pixel of
// a packed format) moved whole; appended to `out` without padding.
void appendTurned(std::vector<uint8_t>& out, const uint8_t* data, int linesize, int width, int height, int step,
                  int rotation)
{
    const bool across = rotation == 90 || rotation == 270;
    const int outW = across ? height : width;
    const int outH = across ? width : height;
    const std::size_t start = out.size();
    out.resize(start + std::size_t(outW) * outH * step);
    uint8_t* dst = out.data() + start;
    for (int y = 0; y < outH; ++y) {
        for (int x = 0; x < outW; ++x) {
            int sx = x, sy = y;
            switch (rotation) {
            case 90: sx = y, sy = height - 1 - x; break;
            case 180: sx = width - 1 - x, sy = height - 1 - y; break;
            case 270: sx = width - 1 - y, sy = x; break;
            default: break;
            }
            std::memcpy(dst + (std::size_t(y) * outW + x) * step, data + std::ptrdiff_t(sy) * linesize + std::ptrdiff_t(sx) * step, step);
        }
    }
}

} // namespace

QByteArray FrameHash::nativeMd5(const AVFrame* frame, int rotation)
{
    const auto format = static_cast<AVPixelFormat>(frame->format);
    std::vector<uint8_t> packed;
    if (rotation == 0) {
        const int size = av_image_get_buffer_size(format, frame->width, frame->height, 1);
        if (size <= 0)
            return {};
        packed.resize(static_cast<std::size_t>(size));
        if (av_image_copy_to_buffer(packed.data(), size, frame->data, frame->linesize, format, frame->width,
                                    frame->height, 1) < 0)
            return {};
    } else {
        const AVPixFmtDescriptor* desc = av_pix_fmt_desc_get(format);
        if (!desc || (desc->flags & (AV_PIX_FMT_FLAG_BITSTREAM | AV_PIX_FMT_FLAG_PAL | AV_PIX_FMT_FLAG_HWACCEL))
            || ((rotation == 90 || rotation == 270) && desc->log2_chroma_w != desc->log2_chroma_h))
            return {};
        // Each plane's element: the widest step among the components stored in it.
        int steps[4] = {};
        for (int c = 0; c < desc->nb_components; ++c)
            steps[desc->comp[c].plane] = std::max(steps[desc->comp[c].plane], desc->comp[c].step);
        for (int p = 0; p < 4 && frame->data[p]; ++p) {
            const bool chroma = (p == 1 || p == 2) && !(desc->flags & AV_PIX_FMT_FLAG_RGB);
            const int w = chroma ? AV_CEIL_RSHIFT(frame->width, desc->log2_chroma_w) : frame->width;
            const int h = chroma ? AV_CEIL_RSHIFT(frame->height, desc->log2_chroma_h) : frame->height;
            if (steps[p] <= 0)
                return {};
            appendTurned(packed, frame->data[p], frame->linesize[p], w, h, steps[p], rotation);
        }
    }
    return QCryptographicHash::hash(QByteArrayView(packed.data(), qsizetype(packed.size())), QCryptographicHash::Md5).toHex();
}

QByteArray FrameHash::rgbMd5(const QImage& source)
{
    if (source.isNull())
        return {};
    const QImage image = source.format() == QImage::Format_RGB888 ? source : source.convertToFormat(QImage::Format_RGB888);
    QCryptographicHash hash(QCryptographicHash::Md5);
    const auto rowBytes = static_cast<qsizetype>(image.width()) * 3;
    for (int y = 0; y < image.height(); ++y)
        hash.addData(QByteArrayView(image.constScanLine(y), rowBytes));
    return hash.result().toHex();
}
