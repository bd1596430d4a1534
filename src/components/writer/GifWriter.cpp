#include "GifWriter.h"

#include "components/media/MediaCodes.h"

#include <QFileInfo>
#include <QPainter>

GifWriter::~GifWriter() { abort(); }

int GifWriter::open(const QString& path, int width, int height, int scale, int rate)
{
    abort();
    if (width <= 0 || height <= 0 || width > 16384 || height > 16384 || scale <= 0 || rate <= 0)
        return MediaBadArgument;
    if (!avcodec_find_encoder(AV_CODEC_ID_GIF))
        return MediaNoDecoder;
    if (const int rc = m_target.create(path); rc != MediaOk)
        return rc;
    const QFileInfo info(m_target.target());
    m_spool = std::make_unique<QTemporaryFile>(info.absolutePath() + QStringLiteral("/.") + info.fileName()
                                               + QStringLiteral(".XXXXXX.frames"));
    if (!m_spool->open())
        return fail(MediaWriteFailed);
    m_size = QSize(width, height);
    av_reduce(&m_rate.num, &m_rate.den, rate, scale, INT32_MAX);
    return MediaOk;
}

int GifWriter::fail(int code)
{
    abort();
    return code;
}

void GifWriter::abort()
{
    m_spool.reset(); // removes the spool file
    m_target.discard();
    m_palette = GifPalette();
    m_canvas = QImage();
    m_frames = 0;
}

int GifWriter::appendFrame(const QImage& picture, const QColor& background, bool)
{
    if (!isOpen())
        return MediaNotOpen;
    if (picture.isNull())
        return MediaBadArgument;
    // Pictures of the writer's size and format are spooled as they are, others placed on a canvas.
    if (picture.size() == m_size && picture.format() == QImage::Format_RGB888) {
        m_canvas = picture;
    } else {
        m_canvas = QImage(m_size, QImage::Format_RGB888);
        if (m_canvas.isNull())
            return fail(MediaOutOfMemory);
        m_canvas.fill(background);
        QPainter painter(&m_canvas);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.drawImage(QPoint(0, 0), picture);
    }
    const qint64 row = qint64(m_size.width()) * 3;
    for (int y = 0; y < m_size.height(); ++y)
        if (m_spool->write(reinterpret_cast<const char*>(m_canvas.constScanLine(y)), row) != row)
            return fail(MediaWriteFailed); // a full disk
    m_palette.add(m_canvas);
    ++m_frames;
    return MediaOk;
}

// GIF delays are whole hundredths of a second. Each frame starts at its exact time rounded to
// the nearest hundredth, so at rates that do not divide 100 the delays alternate (30 fps: 3, 3,
// 4, ...) and the whole never drifts from the true duration by more than half a hundredth.
// Above 100 frames per second some frames get no time of their own; players show them briefly.
int64_t GifWriter::startOf(int64_t k) const
{
    return av_rescale_rnd(k * 100, m_rate.den, m_rate.num, AV_ROUND_NEAR_INF);
}

int GifWriter::encode(AVCodecContext* codec, AVFormatContext* format, AVStream* stream, const AVFrame* frame)
{
    if (avcodec_send_frame(codec, frame) < 0)
        return MediaWriteFailed;
    AvPacketPtr packet = makePacket();
    if (!packet)
        return MediaOutOfMemory;
    int rc = 0;
    while ((rc = avcodec_receive_packet(codec, packet.get())) == 0) {
        packet->duration = startOf(packet->pts + 1) - startOf(packet->pts);
        packet->pts = packet->dts = startOf(packet->pts);
        av_packet_rescale_ts(packet.get(), AVRational{1, 100}, stream->time_base);
        packet->stream_index = stream->index;
        if (av_interleaved_write_frame(format, packet.get()) < 0 || format->pb->error < 0)
            return MediaWriteFailed;
    }
    return rc == AVERROR(EAGAIN) || rc == AVERROR_EOF ? MediaOk : MediaWriteFailed;
}

int GifWriter::writeFile()
{
    m_palette.build();
    const QByteArray name = m_target.temporary().toUtf8();
    AVFormatContext* raw = nullptr;
    if (avformat_alloc_output_context2(&raw, nullptr, "gif", name.constData()) < 0 || !raw)
        return MediaOutOfMemory;
    AvFormatOutputPtr format(raw);
    const AVCodec* encoder = avcodec_find_encoder(AV_CODEC_ID_GIF);
    AvCodecContextPtr codec(encoder ? avcodec_alloc_context3(encoder) : nullptr);
    AVStream* stream = avformat_new_stream(format.get(), nullptr);
    AvFramePtr frame = makeFrame();
    if (!codec || !stream || !frame)
        return MediaOutOfMemory;
    codec->width = m_size.width();
    codec->height = m_size.height();
    codec->pix_fmt = AV_PIX_FMT_PAL8;
    codec->time_base = av_inv_q(m_rate); // frame numbers; encode() turns them into hundredths
    codec->framerate = m_rate;
    if (avcodec_open2(codec.get(), encoder, nullptr) < 0
        || avcodec_parameters_from_context(stream->codecpar, codec.get()) < 0)
        return MediaNoDecoder;
    stream->time_base = AVRational{1, 100};
    stream->avg_frame_rate = m_rate;
    if (avio_open(&format->pb, name.constData(), AVIO_FLAG_WRITE) < 0)
        return MediaWriteFailed;
    AVDictionary* options = nullptr;
    av_dict_set(&options, "loop", "0", 0); // forever
    // The muxer takes each delay from the next frame's start; the last one is given here.
    av_dict_set_int(&options, "final_delay", startOf(m_frames) - startOf(m_frames - 1), 0);
    const int header = avformat_write_header(format.get(), &options);
    av_dict_free(&options);
    if (header < 0)
        return MediaWriteFailed;

    frame->format = AV_PIX_FMT_PAL8;
    frame->width = m_size.width();
    frame->height = m_size.height();
    if (!m_spool->seek(0))
        return MediaWriteFailed;
    QByteArray row(m_size.width() * 3, Qt::Uninitialized);
    for (int k = 0; k < m_frames; ++k) {
        // The encoder may keep the last frame to compare the next with: every frame gets its own.
        if (av_frame_make_writable(frame.get()) < 0 && av_frame_get_buffer(frame.get(), 0) < 0)
            return MediaOutOfMemory;
        std::memcpy(frame->data[1], m_palette.colours().data(), AVPALETTE_SIZE);
        for (int y = 0; y < m_size.height(); ++y) {
            if (m_spool->read(row.data(), row.size()) != row.size())
                return MediaWriteFailed;
            const auto* p = reinterpret_cast<const uint8_t*>(row.constData());
            uint8_t* out = frame->data[0] + std::ptrdiff_t(y) * frame->linesize[0];
            for (int x = 0; x < m_size.width(); ++x, p += 3)
                out[x] = m_palette.index(p[0], p[1], p[2]);
        }
        frame->pts = k;
        if (const int rc = encode(codec.get(), format.get(), stream, frame.get()); rc != MediaOk)
            return rc;
    }
    if (const int rc = encode(codec.get(), format.get(), stream, nullptr); rc != MediaOk)
        return rc;
    if (av_write_trailer(format.get()) < 0)
        return MediaWriteFailed;
    avio_flush(format->pb);
    const bool writeError = format->pb->error < 0;
    if (avio_closep(&format->pb) < 0 || writeError)
        return MediaWriteFailed;
    return MediaOk;
}

int GifWriter::close()
{
    if (!isOpen())
        return MediaNotOpen;
    if (m_frames == 0) {
        abort();
        return MediaOk;
    }
    if (const int rc = writeFile(); rc != MediaOk)
        return fail(rc);
    const int rc = m_target.commit();
    abort(); // drops the spool; the committed file stays
    return rc;
}
