#include "FrameHash.h"

#include <QCryptographicHash>
#include <vector>

extern "C" {
#include <libavutil/frame.h>
#include <libavutil/imgutils.h>
}

QByteArray FrameHash::nativeMd5(const AVFrame* frame)
{
    const auto format = static_cast<AVPixelFormat>(frame->format);
    const int size = av_image_get_buffer_size(format, frame->width, frame->height, 1);
    if (size <= 0)
        return {};
    std::vector<uint8_t> packed(static_cast<std::size_t>(size));
    if (av_image_copy_to_buffer(packed.data(), size, frame->data, frame->linesize, format, frame->width,
                                frame->height, 1) < 0)
        return {};
    return QCryptographicHash::hash(QByteArrayView(packed.data(), size), QCryptographicHash::Md5).toHex();
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
