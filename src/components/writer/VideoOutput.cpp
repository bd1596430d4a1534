#include "VideoOutput.h"

#include "AviWriter.h"
#include "GifWriter.h"
#include "PngSequenceWriter.h"
#include "components/media/FrameConverter.h"
#include "components/media/MediaCodes.h"

#include <QFileInfo>

VideoOutput::VideoOutput() = default;
VideoOutput::~VideoOutput() = default;

VideoOutput::Kind VideoOutput::kindOf(const QString& path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("mp4") || suffix == QLatin1String("m4v"))
        return Kind::Mp4;
    if (suffix == QLatin1String("gif"))
        return Kind::Gif;
    if (suffix == QLatin1String("png"))
        return Kind::PngSequence;
    return Kind::Avi;
}

std::unique_ptr<VideoOutput> VideoOutput::make(Kind kind)
{
    switch (kind) {
    case Kind::Mp4: return std::make_unique<AviWriter>(AviWriter::Container::Mp4);
    case Kind::Gif: return std::make_unique<GifWriter>();
    case Kind::PngSequence: return std::make_unique<PngSequenceWriter>();
    case Kind::Avi: break;
    }
    return std::make_unique<AviWriter>();
}

int VideoOutput::setCodec(const CodecChoice&) { return isOpen() ? MediaOk : MediaNotOpen; }

int VideoOutput::addAudio(int, int) { return MediaBadArgument; }

int VideoOutput::appendAudio(const float*, int) { return MediaBadArgument; }

int VideoOutput::appendFrame(const AVFrame* decoded)
{
    if (!isOpen())
        return MediaNotOpen;
    if (!decoded || decoded->width <= 0 || decoded->height <= 0 || decoded->format < 0)
        return MediaBadArgument;
    if (!m_converter)
        m_converter = std::make_unique<FrameConverter>();
    QImage picture = m_converter->toRgb(decoded);
    if (!picture.isNull() && picture.size() != frameSize())
        picture = m_converter->scaled(picture, frameSize());
    if (picture.isNull()) {
        abort();
        return MediaNoDecoder;
    }
    return appendFrame(picture);
}
