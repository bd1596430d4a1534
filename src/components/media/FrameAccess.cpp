#include "FrameAccess.h"

#include "FrameConverter.h"
#include "MediaCodes.h"
#include "MediaSource.h"
#include "PictureMemory.h"
#include "components/writer/VideoOutput.h"
#include "components/writer/CodecCatalog.h"
#include "components/writer/CodecMemory.h"
#include "components/writer/WriterCodes.h"

#include <QFileInfo>
#include <QPainter>

namespace {

QSize zoomed(QSize size, int zoomPercent)
{
    const auto scale = [zoomPercent](int v) {
        return static_cast<int>(std::max<int64_t>(1, (static_cast<int64_t>(v) * zoomPercent + 50) / 100));
    };
    return QSize(scale(size.width()), scale(size.height()));
}

} // namespace

FrameAccess::FrameAccess(MediaSource& source) : m_source(source) {}
FrameAccess::~FrameAccess() = default;

int FrameAccess::frameWidth() const { return m_source.width(); }
int FrameAccess::frameHeight() const { return m_source.height(); }
QString FrameAccess::path() const { return m_source.path(); }
uint32_t FrameAccess::openMode() const { return m_source.flags(); }

QImage FrameAccess::blankPicture(int width, int height, const QColor& colour, int bitDepth)
{
    if (width <= 0 || height <= 0 || (bitDepth != 24 && bitDepth != 32))
        return {};
    // Recycled memory: pictures made for every frame written do not touch fresh memory.
    QImage image = PictureMemory::image(width, height, bitDepth == 24 ? QImage::Format_RGB888 : QImage::Format_RGB32);
    if (image.isNull())
        return {};
    image.fill(colour);
    return image;
}

int FrameAccess::drawFrame(QImage& target, int n, int zoomPercent, int x, int y)
{
    if (!m_source.isOpen())
        return MediaNotOpen;
    if (target.isNull() || zoomPercent <= 0 || zoomPercent > 10000 || n < 0 || n >= m_source.frameCount())
        return MediaBadArgument;
    const QImage picture = zoomedPicture(n, zoomPercent);
    if (picture.isNull())
        return MediaCorrupt;
    QPainter painter(&target);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(QPoint(x, y), picture);
    return MediaOk;
}

QImage FrameAccess::currentPicture(int zoomPercent)
{
    if (!m_source.isOpen() || zoomPercent <= 0)
        return {};
    return zoomedPicture(m_source.currentFrame(), zoomPercent);
}

QImage FrameAccess::zoomedPicture(int n, int zoomPercent)
{
    const QSize size = zoomed(QSize(m_source.width(), m_source.height()), zoomPercent);
    // Reduced pictures come the way the viewer shows them, straight from the decoded frame.
    if (zoomPercent < 100)
        return m_source.picture(n, size).convertToFormat(QImage::Format_RGB888);
    const QImage picture = m_source.picture(n);
    if (picture.isNull() || zoomPercent == 100)
        return picture;
    FrameConverter converter;
    return converter.scaled(picture, size);
}

int FrameAccess::savePicture(const QString& path, const QImage& picture)
{
    if (picture.isNull() || path.isEmpty())
        return MediaBadArgument;
    const QString suffix = QFileInfo(path).suffix().toLower();
    const char* format = nullptr;
    if (suffix == QLatin1String("png"))
        format = "PNG";
    else if (suffix == QLatin1String("jpg") || suffix == QLatin1String("jpeg"))
        format = "JPEG";
    else if (suffix == QLatin1String("bmp"))
        format = "BMP";
    else
        return MediaBadArgument;
    return picture.save(path, format, format[0] == 'J' ? 95 : -1) ? MediaOk : MediaWriteFailed;
}

int FrameAccess::AVIWriteOpen(const QString& path, int width, int height, int scale, int rate)
{
    m_writer = VideoOutput::make(VideoOutput::kindOf(path));
    const int rc = m_writer->open(path, width, height, scale, rate);
    if (rc != MediaOk) {
        m_writer.reset();
        return rc;
    }
    const auto kept = CodecMemory::kept(QStringLiteral("Codec"));
    if (m_writer->takesCodec() && kept && CodecCatalog::isAvailable(kept->codec))
        m_writer->setCodec(*kept);
    return MediaOk;
}

bool FrameAccess::writerTakesCodec() const { return m_writer && m_writer->takesCodec(); }

int FrameAccess::chooseCodec(QWidget* owner, const QImage& sample, const QString& settingsName)
{
    Q_UNUSED(sample); // the toolkit's dialog shows no preview
    const QStringList codecs = CodecCatalog::available();
    const auto kept = CodecMemory::kept(settingsName);
    const CodecChoice initial = kept && codecs.contains(kept->codec) ? *kept : CodecCatalog::defaultChoice();
    const std::optional<CodecChoice> choice = DialogService::current().chooseCodec(owner, codecs, initial);
    if (!choice || choice->codec.isEmpty())
        return WriterCancelled;
    if (!codecs.contains(choice->codec))
        return MediaNoDecoder;
    CodecMemory::keep(settingsName, *choice);
    return m_writer ? m_writer->setCodec(*choice) : MediaOk;
}

int FrameAccess::AVIWriteAppendFrame(const QImage& picture, int32_t flags, const QColor& background)
{
    if (!m_writer)
        return MediaNotOpen;
    const int rc = m_writer->appendFrame(picture, background, (flags & 1) != 0);
    if (rc != MediaOk && !m_writer->isOpen())
        m_writer.reset();
    return rc;
}

int FrameAccess::AVIWriteClose()
{
    if (!m_writer)
        return MediaNotOpen;
    const int rc = m_writer->close();
    m_writer.reset();
    return rc;
}

void FrameAccess::AVIWriteAbort()
{
    if (m_writer)
        m_writer->abort();
    m_writer.reset();
}

bool FrameAccess::isWriting() const { return m_writer && m_writer->isOpen(); }
