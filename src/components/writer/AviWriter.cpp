#include "AviWriter.h"

#include "components/media/FrameConverter.h"

#include "CodecCatalog.h"
#include "RgbToYuv420.h"
#include "components/media/MediaCodes.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

extern "C" {
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
#include <libavutil/pixdesc.h>
}

namespace {

bool isYuv(AVPixelFormat format)
{
    const AVPixFmtDescriptor* desc = av_pix_fmt_desc_get(format);
    return desc && !(desc->flags & AV_PIX_FMT_FLAG_RGB) && desc->nb_components >= 3;
}

// The scaler is given the plain format of the same layout; the range is set explicitly.
AVPixelFormat plain(AVPixelFormat format)
{
    switch (format) {
    case AV_PIX_FMT_YUVJ420P: return AV_PIX_FMT_YUV420P;
    case AV_PIX_FMT_YUVJ422P: return AV_PIX_FMT_YUV422P;
    case AV_PIX_FMT_YUVJ444P: return AV_PIX_FMT_YUV444P;
    case AV_PIX_FMT_YUVJ440P: return AV_PIX_FMT_YUV440P;
    case AV_PIX_FMT_YUVJ411P: return AV_PIX_FMT_YUV411P;
    default: return format;
    }
}

// The matrix a picture of this height is read with when its file does not say (AVI never does).
AVColorSpace matrixFor(int height) { return height >= 720 ? AVCOL_SPC_BT709 : AVCOL_SPC_SMPTE170M; }

int swsMatrix(int space, int height)
{
    switch (space == AVCOL_SPC_UNSPECIFIED ? matrixFor(height) : space) {
    case AVCOL_SPC_BT709: return SWS_CS_ITU709;
    case AVCOL_SPC_FCC: return SWS_CS_FCC;
    case AVCOL_SPC_SMPTE240M: return SWS_CS_SMPTE240M;
    case AVCOL_SPC_BT2020_NCL:
    case AVCOL_SPC_BT2020_CL: return SWS_CS_BT2020;
    default: return SWS_CS_ITU601;
    }
}

AVPixelFormat imageFormat(QImage::Format format)
{
    switch (format) {
    case QImage::Format_RGB888: return AV_PIX_FMT_RGB24;
    case QImage::Format_BGR888: return AV_PIX_FMT_BGR24;
    case QImage::Format_RGB32:
    case QImage::Format_ARGB32:
        return Q_BYTE_ORDER == Q_LITTLE_ENDIAN ? AV_PIX_FMT_BGRA : AV_PIX_FMT_ARGB;
    default: return AV_PIX_FMT_NONE;
    }
}

} // namespace

AviWriter::AviWriter(Container container) : m_container(container) {}
AviWriter::~AviWriter() { abort(); }

int AviWriter::open(const QString& path, int width, int height, int scale, int rate)
{
    abort();
    if (width <= 0 || height <= 0 || width > 16384 || height > 16384 || scale <= 0 || rate <= 0)
        return MediaBadArgument;
    if (const int rc = m_target.create(path); rc != MediaOk)
        return rc;
    m_path = path;
    m_size = QSize(width, height);
    av_reduce(&m_rate.num, &m_rate.den, rate, scale, INT32_MAX);
    m_choice = m_container == Container::Avi ? CodecCatalog::defaultChoice()
                                             : CodecChoice{QStringLiteral("libx264"), 0};
    if (!avcodec_find_encoder_by_name(m_choice.codec.toLatin1().constData()))
        return fail(MediaNoDecoder);
    return MediaOk;
}

int AviWriter::setCodec(const CodecChoice& choice)
{
    if (!isOpen() || m_started)
        return MediaNotOpen;
    if (!takesCodec())
        return MediaOk; // MP4 always writes its own codec
    if (!CodecCatalog::isAvailable(choice.codec))
        return MediaNoDecoder;
    m_choice = choice;
    return MediaOk;
}

int AviWriter::addAudio(int sampleRate, int channels)
{
    if (!isOpen() || m_started)
        return MediaNotOpen;
    if (!takesAudio())
        return MediaBadArgument;
    if (sampleRate <= 0 || sampleRate > 384000 || channels <= 0 || channels > 16)
        return MediaBadArgument;
    m_audioRate = sampleRate;
    m_audioChannels = channels;
    return MediaOk;
}

int AviWriter::fail(int code)
{
    abort();
    return code;
}

int AviWriter::start()
{
    const bool mp4 = m_container == Container::Mp4;
    const QByteArray name = m_target.temporary().toUtf8();
    AVFormatContext* raw = nullptr;
    // The file's name is the context's too: moving the index to the front reads the file again.
    if (avformat_alloc_output_context2(&raw, nullptr, mp4 ? "mp4" : "avi", name.constData()) < 0 || !raw)
        return fail(MediaOutOfMemory);
    m_format.reset(raw);

    const AVCodec* videoCodec = avcodec_find_encoder_by_name(m_choice.codec.toLatin1().constData());
    if (!videoCodec)
        return fail(MediaNoDecoder);
    m_video.stream = avformat_new_stream(m_format.get(), nullptr);
    m_video.codec.reset(avcodec_alloc_context3(videoCodec));
    m_packet = makePacket();
    if (!m_video.stream || !m_video.codec || !m_packet)
        return fail(MediaOutOfMemory);
    AVCodecContext* vc = m_video.codec.get();
    // 4:2:0 needs even sizes: an odd width or height is padded by one pixel that repeats the
    // picture's last column or row (see padEdges), so no pixel of the picture is lost.
    vc->width = mp4 ? (m_size.width() + 1) & ~1 : m_size.width();
    vc->height = mp4 ? (m_size.height() + 1) & ~1 : m_size.height();
    vc->time_base = av_inv_q(m_rate);
    vc->framerate = m_rate;
    vc->pix_fmt = mp4 ? AV_PIX_FMT_YUV420P : CodecCatalog::pixelFormat(m_choice.codec, m_size);
    if (isYuv(vc->pix_fmt)) {
        vc->colorspace = matrixFor(vc->height);
        vc->color_range = isFullRange(vc->pix_fmt, AVCOL_RANGE_UNSPECIFIED) ? AVCOL_RANGE_JPEG : AVCOL_RANGE_MPEG;
    }
    if (mp4) {
        vc->thread_count = 0;
        av_opt_set(vc->priv_data, "preset", "fast", 0);
        av_opt_set(vc->priv_data, "crf", "19", 0); // hardly to be told from the original
    } else {
        CodecCatalog::configure(vc, m_choice);
    }
    if (m_format->oformat->flags & AVFMT_GLOBALHEADER)
        vc->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    if (avcodec_open2(vc, videoCodec, nullptr) < 0)
        return fail(MediaNoDecoder);
    if (avcodec_parameters_from_context(m_video.stream->codecpar, vc) < 0)
        return fail(MediaOutOfMemory);
    m_video.stream->time_base = vc->time_base;
    m_video.stream->avg_frame_rate = m_rate;
    m_video.stream->r_frame_rate = m_rate;

    if (m_audioChannels > 0) {
        const AVCodec* audioCodec = avcodec_find_encoder(AV_CODEC_ID_PCM_S16LE);
        m_audio.stream = audioCodec ? avformat_new_stream(m_format.get(), nullptr) : nullptr;
        m_audio.codec.reset(audioCodec ? avcodec_alloc_context3(audioCodec) : nullptr);
        m_sound = makeFrame();
        if (!m_audio.stream || !m_audio.codec || !m_sound)
            return fail(MediaOutOfMemory);
        AVCodecContext* ac = m_audio.codec.get();
        ac->sample_rate = m_audioRate;
        ac->sample_fmt = AV_SAMPLE_FMT_S16;
        av_channel_layout_default(&ac->ch_layout, m_audioChannels);
        ac->time_base = {1, m_audioRate};
        if (avcodec_open2(ac, audioCodec, nullptr) < 0 || avcodec_parameters_from_context(m_audio.stream->codecpar, ac) < 0)
            return fail(MediaOutOfMemory);
        m_audio.stream->time_base = ac->time_base;
    }

    if (avio_open(&m_format->pb, name.constData(), AVIO_FLAG_WRITE) < 0)
        return fail(MediaWriteFailed);
    AVDictionary* options = nullptr;
    if (mp4)
        av_dict_set(&options, "movflags", "+faststart", 0);
    const int header = avformat_write_header(m_format.get(), &options);
    av_dict_free(&options);
    if (header < 0)
        return fail(MediaWriteFailed);
    m_started = true;
    return MediaOk;
}

int AviWriter::queue(EncodeThread::Job job)
{
    if (const int rc = m_thread.push(std::move(job)); rc != MediaOk)
        return fail(rc); // an earlier frame failed on the encoding thread
    return MediaOk;
}

int AviWriter::encode(Stream& out, const AVFrame* frame)
{
    int rc = avcodec_send_frame(out.codec.get(), frame);
    if (rc < 0)
        return MediaWriteFailed;
    while ((rc = avcodec_receive_packet(out.codec.get(), m_packet.get())) == 0) {
        av_packet_rescale_ts(m_packet.get(), out.codec->time_base, out.stream->time_base);
        m_packet->stream_index = out.stream->index;
        // A full disk shows in the I/O context's error as soon as a buffer fails to go out.
        if (av_interleaved_write_frame(m_format.get(), m_packet.get()) < 0 || m_format->pb->error < 0)
            return MediaWriteFailed;
    }
    return rc == AVERROR(EAGAIN) || rc == AVERROR_EOF ? MediaOk : MediaWriteFailed;
}

// A frame of the writer's picture format that nobody else holds. A frame-threaded encoder keeps
// the frames it was given for a while; they are reused once it lets go, never copied.
AVFrame* AviWriter::freePicture()
{
    for (const AvFramePtr& frame : m_pictures)
        if (av_frame_is_writable(frame.get()))
            return frame.get();
    AvFramePtr frame = makeFrame();
    if (!frame)
        return nullptr;
    frame->format = m_video.codec->pix_fmt;
    frame->width = m_video.codec->width;
    frame->height = m_video.codec->height;
    if (av_frame_get_buffer(frame.get(), 0) < 0)
        return nullptr;
    m_pictures.push_back(std::move(frame));
    return m_pictures.back().get();
}

// Fills the padding of an even-sized 4:2:0 frame from the picture's last column and row. The
// chroma of an odd size already covers the padding (its samples span two pixels).
void AviWriter::padEdges(AVFrame* picture) const
{
    const int width = m_size.width();
    const int height = m_size.height();
    uint8_t* luma = picture->data[0];
    const std::ptrdiff_t stride = picture->linesize[0];
    if (picture->width > width)
        for (int y = 0; y < height; ++y)
            luma[y * stride + width] = luma[y * stride + width - 1];
    if (picture->height > height)
        std::copy_n(luma + (height - 1) * stride, picture->width, luma + height * stride);
}

int AviWriter::sendVideo(AVFrame* picture, bool keyFrame, int64_t pts)
{
    if (picture->width != m_size.width() || picture->height != m_size.height())
        padEdges(picture);
    picture->pts = pts;
    picture->quality = m_video.codec->global_quality; // the fixed quantiser is read per picture
    picture->pict_type = keyFrame ? AV_PICTURE_TYPE_I : AV_PICTURE_TYPE_NONE;
    return encode(m_video, picture);
}

int AviWriter::appendFrame(const QImage& picture, const QColor& background, bool keyFrame)
{
    if (!isOpen())
        return MediaNotOpen;
    if (picture.isNull())
        return MediaBadArgument;
    if (!m_started)
        if (const int rc = start(); rc != MediaOk)
            return rc;
    // The job holds a reference to the caller's picture; no pixel is copied here.
    const int64_t pts = m_frames;
    if (const int rc = queue([this, picture, background, keyFrame, pts] {
            return encodePicture(picture, background, keyFrame, pts);
        });
        rc != MediaOk)
        return rc;
    ++m_frames;
    return MediaOk;
}

int AviWriter::encodePicture(const QImage& picture, const QColor& background, bool keyFrame, int64_t pts)
{
    // Pictures of the writer's size go straight to the scaler; others are placed on a canvas.
    const QImage* source = &picture;
    QImage converted;
    if (picture.size() != m_size) {
        if (m_canvas.size() != m_size)
            m_canvas = QImage(m_size, QImage::Format_RGB888);
        if (m_canvas.isNull())
            return MediaOutOfMemory;
        m_canvas.fill(background);
        QPainter painter(&m_canvas);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.drawImage(QPoint(0, 0), picture);
        source = &m_canvas;
    } else if (imageFormat(picture.format()) == AV_PIX_FMT_NONE) {
        converted = picture.convertToFormat(QImage::Format_RGB888);
        if (converted.isNull())
            return MediaOutOfMemory;
        source = &converted;
    }
    const AVPixelFormat from = imageFormat(source->format());
    AVCodecContext* vc = m_video.codec.get();
    if (plain(vc->pix_fmt) == AV_PIX_FMT_YUV420P && RgbToYuv420::accepts(*source)) {
        AVFrame* target = freePicture();
        if (!target)
            return MediaOutOfMemory;
        RgbToYuv420::convert(*source, target, vc->colorspace, vc->color_range == AVCOL_RANGE_JPEG);
        return sendVideo(target, keyFrame, pts);
    }
    m_sws.reset(sws_getCachedContext(m_sws.release(), m_size.width(), m_size.height(), from, m_size.width(),
                                     m_size.height(), plain(vc->pix_fmt), SWS_BICUBIC, nullptr, nullptr, nullptr));
    if (!m_sws)
        return MediaOutOfMemory;
    if (isYuv(vc->pix_fmt)) {
        const int* matrix = sws_getCoefficients(swsMatrix(vc->colorspace, vc->height));
        sws_setColorspaceDetails(m_sws.get(), matrix, 1, matrix, vc->color_range == AVCOL_RANGE_JPEG ? 1 : 0, 0,
                                 1 << 16, 1 << 16);
    }
    AVFrame* target = freePicture();
    if (!target)
        return MediaOutOfMemory;
    const uint8_t* planes[4] = {source->constBits(), nullptr, nullptr, nullptr};
    const int strides[4] = {static_cast<int>(source->bytesPerLine()), 0, 0, 0};
    sws_scale(m_sws.get(), planes, strides, 0, m_size.height(), target->data, target->linesize);
    return sendVideo(target, keyFrame, pts);
}

int AviWriter::appendFrame(const AVFrame* decoded)
{
    if (!isOpen())
        return MediaNotOpen;
    if (!decoded || decoded->width <= 0 || decoded->height <= 0 || decoded->format < 0)
        return MediaBadArgument;
    if (!m_started)
        if (const int rc = start(); rc != MediaOk)
            return rc;
    // A new reference to the decoded picture (a copy only if the caller's frame has no buffers).
    const SharedFrame frame = shareFrame(decoded);
    if (!frame)
        return fail(MediaOutOfMemory);
    const int64_t pts = m_frames;
    if (const int rc = queue([this, frame, pts] { return encodeDecoded(frame.get(), pts); }); rc != MediaOk)
        return rc;
    ++m_frames;
    return MediaOk;
}

int AviWriter::encodeDecoded(const AVFrame* decoded, int64_t pts)
{
    AVCodecContext* vc = m_video.codec.get();
    const auto from = static_cast<AVPixelFormat>(decoded->format);
    m_sws.reset(sws_getCachedContext(m_sws.release(), decoded->width, decoded->height, plain(from), m_size.width(),
                                     m_size.height(), plain(vc->pix_fmt), SWS_BICUBIC, nullptr, nullptr, nullptr));
    if (!m_sws)
        return MediaNoDecoder;
    if (isYuv(from) || isYuv(vc->pix_fmt)) {
        const int* in = sws_getCoefficients(swsMatrix(rawEnum(decoded->colorspace), decoded->height));
        const int* out = sws_getCoefficients(swsMatrix(vc->colorspace, vc->height));
        sws_setColorspaceDetails(m_sws.get(), in, isFullRange(from, rawEnum(decoded->color_range)) ? 1 : 0, out,
                                 vc->color_range == AVCOL_RANGE_JPEG ? 1 : 0, 0, 1 << 16, 1 << 16);
    }
    AVFrame* target = freePicture();
    if (!target)
        return MediaOutOfMemory;
    sws_scale(m_sws.get(), decoded->data, decoded->linesize, 0, decoded->height, target->data, target->linesize);
    return sendVideo(target, false, pts);
}

int AviWriter::appendAudio(const float* interleaved, int frames)
{
    if (!isOpen())
        return MediaNotOpen;
    if (!hasAudio() || frames < 0 || (frames > 0 && !interleaved))
        return MediaBadArgument;
    if (!m_started)
        if (const int rc = start(); rc != MediaOk)
            return rc;
    if (frames == 0)
        return MediaOk;
    // The samples are copied now, the caller's buffer is free again when this returns; they
    // join the queue behind the pictures so the packets reach the file in the order given.
    std::vector<int16_t> samples(static_cast<std::size_t>(frames) * static_cast<std::size_t>(m_audioChannels));
    for (std::size_t i = 0; i < samples.size(); ++i)
        samples[i] = static_cast<int16_t>(std::lrint(std::clamp(interleaved[i], -1.0f, 1.0f) * 32767.0f));
    const int64_t pts = m_samples;
    if (const int rc = queue([this, samples = std::move(samples), pts] { return encodeSound(samples, pts); });
        rc != MediaOk)
        return rc;
    m_samples += frames;
    return MediaOk;
}

int AviWriter::encodeSound(const std::vector<int16_t>& samples, int64_t pts)
{
    AVCodecContext* ac = m_audio.codec.get();
    av_frame_unref(m_sound.get());
    m_sound->format = ac->sample_fmt;
    m_sound->sample_rate = ac->sample_rate;
    m_sound->nb_samples = static_cast<int>(samples.size() / static_cast<std::size_t>(m_audioChannels));
    if (av_channel_layout_copy(&m_sound->ch_layout, &ac->ch_layout) < 0 || av_frame_get_buffer(m_sound.get(), 0) < 0)
        return MediaOutOfMemory;
    std::copy(samples.begin(), samples.end(), reinterpret_cast<int16_t*>(m_sound->data[0]));
    m_sound->pts = pts;
    return encode(m_audio, m_sound.get());
}

int AviWriter::close()
{
    if (!isOpen())
        return MediaNotOpen;
    if (!m_started || m_frames == 0) {
        abort();
        return MediaOk;
    }
    // Every queued frame is encoded before the encoders are drained here, on this thread.
    if (const int rc = m_thread.finish(); rc != MediaOk)
        return fail(rc);
    if (encode(m_video, nullptr) != MediaOk || (m_audio.codec && encode(m_audio, nullptr) != MediaOk))
        return fail(MediaWriteFailed);
    if (av_write_trailer(m_format.get()) < 0)
        return fail(MediaWriteFailed);
    avio_flush(m_format->pb);
    const bool writeError = m_format->pb->error < 0;
    if (avio_closep(&m_format->pb) < 0 || writeError)
        return fail(MediaWriteFailed);
    m_format.reset();
    const int rc = m_target.commit();
    abort(); // releases the encoders; the committed file stays
    return rc;
}

void AviWriter::abort()
{
    m_thread.cancel(); // the frame being encoded is finished, the queued ones are dropped
    m_format.reset();  // closes the temporary file before it is removed
    m_target.discard();
    m_video = Stream();
    m_audio = Stream();
    m_pictures.clear();
    m_sound.reset();
    m_packet.reset();
    m_sws.reset();
    m_canvas = QImage();
    m_frames = 0;
    m_samples = 0;
    m_started = false;
    m_audioRate = 0;
    m_audioChannels = 0;
}
