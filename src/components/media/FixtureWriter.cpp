#include "FixtureWriter.h"

#include "DisplayMode.h"
#include "FfmpegHandles.h"
#include "FramePattern.h"
#include "MediaCodes.h"

#include <QFileInfo>
#include <cmath>
#include <cstring>

extern "C" {
#include <libavutil/channel_layout.h>
#include <libavutil/display.h>
#include <libavutil/opt.h>
}

namespace {

// Asks players to turn the pictures `clockwise` degrees for display, as a phone does for video
// recorded upright.
bool addDisplayMatrix(AVStream* stream, int clockwise)
{
    // Readers take the matrix's counter-clockwise angle, so it must read back as -clockwise;
    // library versions disagree on the setter's sign, so the read-back decides.
    int32_t matrix[9];
    av_display_rotation_set(matrix, clockwise);
    const double back = av_display_rotation_get(matrix);
    if (std::fabs(std::remainder(back + clockwise, 360.0)) > 1.0)
        av_display_rotation_set(matrix, -clockwise);
#if LIBAVCODEC_VERSION_INT >= AV_VERSION_INT(60, 29, 100)
    AVCodecParameters* par = stream->codecpar;
    AVPacketSideData* data = av_packet_side_data_new(&par->coded_side_data, &par->nb_coded_side_data,
                                                     AV_PKT_DATA_DISPLAYMATRIX, sizeof(matrix), 0);
    if (!data)
        return false;
    std::memcpy(data->data, matrix, sizeof(matrix));
#else
    uint8_t* data = av_stream_new_side_data(stream, AV_PKT_DATA_DISPLAYMATRIX, sizeof(matrix));
    if (!data)
        return false;
    std::memcpy(data, matrix, sizeof(matrix));
#endif
    return true;
}

struct Output {
    AVStream* stream = nullptr;
    AvCodecContextPtr codec;
};

int fail(QString* error, const QString& why, int code = MediaWriteFailed)
{
    if (error)
        *error = why;
    return code;
}

AVPixelFormat choosePixelFormat(const AVCodec* codec, const FixtureRecipe& recipe)
{
    if (!codec->pix_fmts)
        return AV_PIX_FMT_YUV420P;
    // DV fixes the format by its system: 4:1:1 for 525 lines, 4:2:0 for 625.
    // Motion JPEG is full range.
    AVPixelFormat first = AV_PIX_FMT_YUV420P;
    if (codec->id == AV_CODEC_ID_DVVIDEO && recipe.height == 480)
        first = AV_PIX_FMT_YUV411P;
    else if (codec->id == AV_CODEC_ID_MJPEG)
        first = AV_PIX_FMT_YUVJ420P;
    const AVPixelFormat wanted[] = {first, AV_PIX_FMT_YUV420P};
    for (AVPixelFormat w : wanted)
        for (const AVPixelFormat* p = codec->pix_fmts; *p != AV_PIX_FMT_NONE; ++p)
            if (*p == w)
                return w;
    return codec->pix_fmts[0];
}

void configureVideo(AVCodecContext* ctx, const AVCodec* codec, const FixtureRecipe& recipe)
{
    const QString name = recipe.encoder;
    const QByteArray gop = QByteArray::number(recipe.gop);
    const QByteArray bframes = QByteArray::number(recipe.bFrames);
    if (name == QLatin1String("libx264")) {
        av_opt_set(ctx->priv_data, "preset", "veryfast", 0);
        av_opt_set(ctx->priv_data, "crf", "20", 0);
        const QByteArray params = "scenecut=0:min-keyint=" + gop + (recipe.openGop ? ":open-gop=1" : "");
        av_opt_set(ctx->priv_data, "x264-params", params.constData(), 0);
    } else if (name == QLatin1String("libx265")) {
        av_opt_set(ctx->priv_data, "preset", "ultrafast", 0);
        av_opt_set(ctx->priv_data, "crf", "22", 0);
        const QByteArray params = "log-level=error:scenecut=0:bframes=" + bframes + ":keyint=" + gop
            + ":min-keyint=" + gop + (recipe.openGop ? ":open-gop=1" : ":open-gop=0");
        av_opt_set(ctx->priv_data, "x265-params", params.constData(), 0);
    } else if (name.startsWith(QLatin1String("libvpx"))) {
        av_opt_set(ctx->priv_data, "deadline", "good", 0);
        av_opt_set(ctx->priv_data, "cpu-used", "5", 0);
        av_opt_set(ctx->priv_data, "auto-alt-ref", "1", 0); // hidden frames, as real WebM has
        av_opt_set(ctx->priv_data, "lag-in-frames", "12", 0);
        ctx->bit_rate = 400000;
    } else if (codec->id == AV_CODEC_ID_MPEG4 || codec->id == AV_CODEC_ID_MJPEG || codec->id == AV_CODEC_ID_MPEG2VIDEO) {
        ctx->flags |= AV_CODEC_FLAG_QSCALE;
        ctx->global_quality = FF_QP2LAMBDA * recipe.quality;
    }
    ctx->gop_size = recipe.gop;
    ctx->keyint_min = recipe.gop;
    if (codec->id == AV_CODEC_ID_H264 || codec->id == AV_CODEC_ID_MPEG4 || codec->id == AV_CODEC_ID_MPEG2VIDEO)
        ctx->max_b_frames = recipe.bFrames;
    if (codec->id == AV_CODEC_ID_MPEG4 || codec->id == AV_CODEC_ID_MPEG2VIDEO) {
        // A fixed GOP: these encoders refuse closed GOPs together with scene-cut detection.
        av_opt_set_int(ctx, "sc_threshold", 1000000000, AV_OPT_SEARCH_CHILDREN);
        if (!recipe.openGop)
            ctx->flags |= AV_CODEC_FLAG_CLOSED_GOP;
    }
    if (recipe.interlaced) {
        ctx->flags |= AV_CODEC_FLAG_INTERLACED_DCT | AV_CODEC_FLAG_INTERLACED_ME;
        ctx->field_order = recipe.bottomFieldFirst ? AV_FIELD_BB : AV_FIELD_TT;
    }
}

QString audioEncoderFor(const AVOutputFormat* format)
{
    const QString name = QString::fromLatin1(format->name);
    if (name == QLatin1String("avi"))
        return QStringLiteral("pcm_s16le");
    if (name == QLatin1String("webm"))
        return QStringLiteral("libopus");
    if (name == QLatin1String("dv"))
        return {};
    return QStringLiteral("aac");
}

void paintFrame(const FixtureRecipe& recipe, QImage& image, int n)
{
    if (recipe.painter) {
        recipe.painter(image, n);
        return;
    }
    if (recipe.fieldPictures) {
        // Each field is a picture of its own; interleave their lines into the frame.
        const int fieldH = (recipe.height + 1) / 2;
        for (int f = 0; f < 2; ++f) {
            QImage field(recipe.width, fieldH, QImage::Format_RGB888);
            const int shownIndex = (f == 0) == recipe.bottomFieldFirst ? 1 : 0; // f 0 = top field
            FramePattern::paint(field, field.rect(), FixtureWriter::pictureNumber(recipe, n, shownIndex));
            for (int y = f; y < recipe.height; y += 2)
                memcpy(image.scanLine(y), field.constScanLine(y / 2), static_cast<size_t>(recipe.width) * 3);
        }
        return;
    }
    const DisplayMode mode(static_cast<uint32_t>(recipe.highSpeedLayout));
    for (int sub = 0; sub < mode.picturesPerFrame(); ++sub)
        FramePattern::paint(image, mode.subRect(image.size(), sub), FixtureWriter::pictureNumber(recipe, n, sub));
}

class Muxer {
public:
    Muxer(AVFormatContext* format) : m_format(format) {}

    // Sends `frame` (nullptr flushes) and writes what comes out.
    int encode(Output& out, const AVFrame* frame)
    {
        int rc = avcodec_send_frame(out.codec.get(), frame);
        if (rc < 0)
            return rc;
        AvPacketPtr packet = makePacket();
        while ((rc = avcodec_receive_packet(out.codec.get(), packet.get())) == 0) {
            av_packet_rescale_ts(packet.get(), out.codec->time_base, out.stream->time_base);
            packet->stream_index = out.stream->index;
            if ((rc = av_interleaved_write_frame(m_format, packet.get())) < 0)
                return rc;
        }
        return rc == AVERROR(EAGAIN) || rc == AVERROR_EOF ? 0 : rc;
    }

private:
    AVFormatContext* m_format;
};

} // namespace

int FixtureWriter::pictureNumber(const FixtureRecipe& recipe, int frame, int sub)
{
    const int per = recipe.fieldPictures ? 2 : DisplayMode(static_cast<uint32_t>(recipe.highSpeedLayout)).picturesPerFrame();
    return (frame * per + sub) & FramePattern::MaxNumber;
}

bool FixtureWriter::encoderAvailable(const QString& encoder)
{
    return avcodec_find_encoder_by_name(encoder.toLatin1().constData()) != nullptr;
}

int FixtureWriter::write(const QString& path, const FixtureRecipe& recipe, QString* error)
{
    if (recipe.width <= 0 || recipe.height <= 0 || recipe.frames <= 0 || recipe.rate.num <= 0 || recipe.rate.den <= 0)
        return fail(error, QStringLiteral("bad clip size or rate"), MediaBadArgument);
    const QByteArray utf8 = path.toUtf8();
    AVFormatContext* raw = nullptr;
    if (avformat_alloc_output_context2(&raw, nullptr, nullptr, utf8.constData()) < 0 || !raw)
        return fail(error, QStringLiteral("no container for ") + QFileInfo(path).suffix());
    AvFormatOutputPtr format(raw);

    const AVCodec* videoCodec = avcodec_find_encoder_by_name(recipe.encoder.toLatin1().constData());
    if (!videoCodec)
        return fail(error, QStringLiteral("no encoder ") + recipe.encoder, MediaNoDecoder);
    Output video;
    video.stream = avformat_new_stream(format.get(), nullptr);
    video.codec.reset(avcodec_alloc_context3(videoCodec));
    if (!video.stream || !video.codec)
        return fail(error, QStringLiteral("out of memory"), MediaOutOfMemory);
    AVCodecContext* vc = video.codec.get();
    vc->width = recipe.width;
    vc->height = recipe.height;
    vc->time_base = recipe.variableRate ? AVRational{1, 1000} : av_inv_q(recipe.rate);
    vc->framerate = recipe.rate;
    vc->pix_fmt = choosePixelFormat(videoCodec, recipe);
    vc->thread_count = 1; // deterministic output
    vc->sample_aspect_ratio = recipe.sampleAspect;
    configureVideo(vc, videoCodec, recipe);
    if (format->oformat->flags & AVFMT_GLOBALHEADER)
        vc->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    if (avcodec_open2(vc, videoCodec, nullptr) < 0)
        return fail(error, QStringLiteral("cannot open encoder ") + recipe.encoder);
    avcodec_parameters_from_context(video.stream->codecpar, vc);
    video.stream->time_base = vc->time_base;
    video.stream->avg_frame_rate = recipe.rate;
    video.stream->sample_aspect_ratio = recipe.sampleAspect;
    if (recipe.rotation != 0 && !addDisplayMatrix(video.stream, recipe.rotation))
        return fail(error, QStringLiteral("out of memory"), MediaOutOfMemory);

    Output audio;
    const QString audioName = recipe.audio ? audioEncoderFor(format->oformat) : QString();
    if (!audioName.isEmpty()) {
        const AVCodec* audioCodec = avcodec_find_encoder_by_name(audioName.toLatin1().constData());
        if (!audioCodec)
            return fail(error, QStringLiteral("no encoder ") + audioName, MediaNoDecoder);
        audio.stream = avformat_new_stream(format.get(), nullptr);
        audio.codec.reset(avcodec_alloc_context3(audioCodec));
        if (!audio.stream || !audio.codec)
            return fail(error, QStringLiteral("out of memory"), MediaOutOfMemory);
        AVCodecContext* ac = audio.codec.get();
        ac->sample_rate = 48000;
        av_channel_layout_default(&ac->ch_layout, 2);
        ac->sample_fmt = audioCodec->sample_fmts ? audioCodec->sample_fmts[0] : AV_SAMPLE_FMT_S16;
        ac->time_base = {1, ac->sample_rate};
        ac->bit_rate = 96000;
        if (format->oformat->flags & AVFMT_GLOBALHEADER)
            ac->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
        if (avcodec_open2(ac, audioCodec, nullptr) < 0)
            return fail(error, QStringLiteral("cannot open encoder ") + audioName);
        avcodec_parameters_from_context(audio.stream->codecpar, ac);
        audio.stream->time_base = ac->time_base;
    }

    if (!(format->oformat->flags & AVFMT_NOFILE) && avio_open(&format->pb, utf8.constData(), AVIO_FLAG_WRITE) < 0)
        return fail(error, QStringLiteral("cannot create ") + path);
    // A live recording (a browser's or a streaming program's) states neither a length nor cues.
    AVDictionary* options = nullptr;
    if (recipe.live)
        av_dict_set(&options, "live", "1", 0);
    const int header = avformat_write_header(format.get(), &options);
    av_dict_free(&options);
    if (header < 0)
        return fail(error, QStringLiteral("cannot write header"));

    AvFramePtr frame = makeFrame();
    AvFramePtr sound = makeFrame();
    if (!frame || !sound)
        return fail(error, QStringLiteral("out of memory"), MediaOutOfMemory);
    frame->format = vc->pix_fmt;
    frame->width = vc->width;
    frame->height = vc->height;
    if (av_frame_get_buffer(frame.get(), 0) < 0)
        return fail(error, QStringLiteral("out of memory"), MediaOutOfMemory);
    SwsContextPtr sws(sws_getContext(recipe.width, recipe.height, AV_PIX_FMT_RGB24, recipe.width, recipe.height, vc->pix_fmt,
                                     SWS_BICUBIC, nullptr, nullptr, nullptr));
    if (!sws)
        return fail(error, QStringLiteral("no scaler"));

    Muxer muxer(format.get());
    QImage image(recipe.width, recipe.height, QImage::Format_RGB888);
    int64_t audioSamples = 0;
    int64_t pts = 0;
    for (int n = 0; n < recipe.frames; ++n) {
        image.fill(Qt::black);
        paintFrame(recipe, image, n);
        if (av_frame_make_writable(frame.get()) < 0)
            return fail(error, QStringLiteral("out of memory"), MediaOutOfMemory);
        const uint8_t* src[4] = {image.constBits(), nullptr, nullptr, nullptr};
        const int srcStride[4] = {static_cast<int>(image.bytesPerLine()), 0, 0, 0};
        sws_scale(sws.get(), src, srcStride, 0, recipe.height, frame->data, frame->linesize);
        if (recipe.variableRate) {
            // Nominal times with a jitter of up to a third of a frame, always increasing.
            const double nominal = n * 1000.0 * recipe.rate.den / recipe.rate.num;
            pts = std::max<int64_t>(pts + 1, std::llround(nominal + ((n * 7) % 3 - 1) * 333.0 * recipe.rate.den / recipe.rate.num));
        } else {
            pts = recipe.gapEvery > 0 ? n + n / recipe.gapEvery : n;
        }
        frame->pts = pts;
        if (recipe.interlaced) {
            frame->interlaced_frame = 1;
            frame->top_field_first = recipe.bottomFieldFirst ? 0 : 1;
        }
        if (const int rc = muxer.encode(video, frame.get()); rc < 0)
            return fail(error, QStringLiteral("video encoding failed"));

        if (!audio.codec)
            continue;
        AVCodecContext* ac = audio.codec.get();
        const int64_t until = av_rescale_q(n + 1, av_inv_q(recipe.rate), ac->time_base);
        const int frameSize = ac->frame_size > 0 ? ac->frame_size : 1024;
        while (audioSamples < until) {
            av_frame_unref(sound.get());
            sound->format = ac->sample_fmt;
            sound->sample_rate = ac->sample_rate;
            sound->nb_samples = frameSize;
            av_channel_layout_copy(&sound->ch_layout, &ac->ch_layout);
            if (av_frame_get_buffer(sound.get(), 0) < 0)
                return fail(error, QStringLiteral("out of memory"), MediaOutOfMemory);
            const bool planar = av_sample_fmt_is_planar(ac->sample_fmt);
            const int channels = ac->ch_layout.nb_channels;
            for (int i = 0; i < frameSize; ++i) {
                const double v = 0.25 * std::sin(2.0 * M_PI * 440.0 * static_cast<double>(audioSamples + i) / ac->sample_rate);
                for (int c = 0; c < channels; ++c) {
                    const int plane = planar ? c : 0;
                    const int at = planar ? i : i * channels + c;
                    switch (ac->sample_fmt) {
                    case AV_SAMPLE_FMT_FLT:
                    case AV_SAMPLE_FMT_FLTP:
                        reinterpret_cast<float*>(sound->data[plane])[at] = static_cast<float>(v);
                        break;
                    default:
                        reinterpret_cast<int16_t*>(sound->data[plane])[at] = static_cast<int16_t>(v * 32767);
                        break;
                    }
                }
            }
            sound->pts = audioSamples;
            audioSamples += frameSize;
            if (muxer.encode(audio, sound.get()) < 0)
                return fail(error, QStringLiteral("audio encoding failed"));
        }
    }
    if (muxer.encode(video, nullptr) < 0 || (audio.codec && muxer.encode(audio, nullptr) < 0))
        return fail(error, QStringLiteral("flushing the encoders failed"));
    if (av_write_trailer(format.get()) < 0)
        return fail(error, QStringLiteral("cannot finish the file"));
    return MediaOk;
}
