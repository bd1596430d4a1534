#include "AudioDecoder.h"

#include "AudioCodes.h"
#include "components/media/MediaCodes.h"

#include <QFileInfo>
#include <algorithm>
#include <cmath>

extern "C" {
#include <libavutil/channel_layout.h>
#include <libswresample/swresample.h>
}

namespace {
void freeSwr(SwrContext* p) { swr_free(&p); }

double seconds(int64_t ts, AVRational base) { return ts == AV_NOPTS_VALUE ? 0.0 : static_cast<double>(ts) * av_q2d(base); }
} // namespace

AudioDecoder::AudioDecoder() : m_swr(nullptr, freeSwr) {}
AudioDecoder::~AudioDecoder() = default;

void AudioDecoder::close()
{
    m_swr.reset();
    m_codec.reset();
    m_format.reset();
    m_packet.reset();
    m_frame.reset();
    m_stream = -1;
    m_rate = m_channels = 0;
    m_start = m_videoStart = 0;
    m_declared = 0;
    m_ended = m_positionKnown = m_decodedAny = false;
    m_buffer.clear();
    m_block.clear();
    m_bufferStart = m_blockStart = m_next = 0;
}

int AudioDecoder::open(const QString& path, int sampleRate, int channels)
{
    close();
    const QFileInfo info(path);
    if (path.isEmpty() || !info.exists())
        return MediaFileMissing;
    if (info.isDir())
        return MediaNotMedia;
    if (!info.isFile() || !info.isReadable())
        return MediaFileUnreadable;
    if (sampleRate < 0 || channels < 0 || channels > 16)
        return MediaBadArgument;
    AVFormatContext* raw = nullptr;
    const QByteArray utf8 = path.toUtf8();
    if (avformat_open_input(&raw, utf8.constData(), nullptr, nullptr) < 0)
        return MediaNotMedia;
    m_format.reset(raw);
    if (avformat_find_stream_info(m_format.get(), nullptr) < 0) {
        close();
        return MediaCorrupt;
    }
    const AVCodec* decoder = nullptr;
    m_stream = av_find_best_stream(m_format.get(), AVMEDIA_TYPE_AUDIO, -1, -1, &decoder, 0);
    if (m_stream == AVERROR_STREAM_NOT_FOUND) {
        close();
        return AudioNoStream;
    }
    if (m_stream < 0 || !decoder) {
        close();
        return AudioNoDecoder;
    }
    AVStream* stream = m_format->streams[m_stream];
    const int video = av_find_best_stream(m_format.get(), AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    for (unsigned i = 0; i < m_format->nb_streams; ++i)
        if (static_cast<int>(i) != m_stream)
            m_format->streams[i]->discard = AVDISCARD_ALL;
    m_codec.reset(avcodec_alloc_context3(decoder));
    m_packet = makePacket();
    m_frame = makeFrame();
    if (!m_codec || !m_packet || !m_frame) {
        close();
        return MediaOutOfMemory;
    }
    if (avcodec_parameters_to_context(m_codec.get(), stream->codecpar) < 0 || avcodec_open2(m_codec.get(), decoder, nullptr) < 0) {
        close();
        return AudioNoDecoder;
    }
    const int ownChannels = m_codec->ch_layout.nb_channels;
    if (m_codec->sample_rate <= 0 || ownChannels <= 0) {
        close();
        return MediaCorrupt;
    }
    m_rate = sampleRate > 0 ? sampleRate : m_codec->sample_rate;
    m_channels = channels > 0 ? channels : ownChannels;
    m_start = seconds(stream->start_time, stream->time_base);
    m_videoStart = video >= 0 && m_format->streams[video]->start_time != AV_NOPTS_VALUE
        ? seconds(m_format->streams[video]->start_time, m_format->streams[video]->time_base)
        : m_start;
    if (stream->duration > 0)
        m_declared = std::llround(seconds(stream->duration, stream->time_base) * m_rate);
    else if (m_format->duration > 0)
        m_declared = std::llround(static_cast<double>(m_format->duration) / AV_TIME_BASE * m_rate);
    return MediaOk;
}

int AudioDecoder::convert(const AVFrame* frame)
{
    if (!m_swr) {
        AVChannelLayout in{};
        if (frame->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC || frame->ch_layout.nb_channels <= 0)
            av_channel_layout_default(&in, std::max(frame->ch_layout.nb_channels, m_codec->ch_layout.nb_channels));
        else
            av_channel_layout_copy(&in, &frame->ch_layout);
        AVChannelLayout out{};
        av_channel_layout_default(&out, m_channels);
        SwrContext* swr = nullptr;
        const int rc = swr_alloc_set_opts2(&swr, &out, AV_SAMPLE_FMT_FLT, m_rate, &in,
                                           static_cast<AVSampleFormat>(frame->format), frame->sample_rate, 0, nullptr);
        av_channel_layout_uninit(&in);
        av_channel_layout_uninit(&out);
        m_swr.reset(swr);
        if (rc < 0 || swr_init(m_swr.get()) < 0) {
            m_swr.reset();
            return MediaNoDecoder;
        }
    }
    const int room = swr_get_out_samples(m_swr.get(), frame->nb_samples);
    if (room < 0)
        return MediaCorrupt;
    m_block.resize(static_cast<std::size_t>(room) * static_cast<std::size_t>(m_channels));
    uint8_t* outPlanes[1] = {reinterpret_cast<uint8_t*>(m_block.data())};
    const int got = swr_convert(m_swr.get(), outPlanes, room, const_cast<const uint8_t**>(frame->extended_data), frame->nb_samples);
    if (got < 0)
        return MediaCorrupt;
    m_block.resize(static_cast<std::size_t>(got) * static_cast<std::size_t>(m_channels));
    if (!m_positionKnown) {
        // After opening or seeking, the first block's time places it; later ones follow on.
        const AVStream* stream = m_format->streams[m_stream];
        const int64_t ts = frame->best_effort_timestamp;
        m_next = ts == AV_NOPTS_VALUE ? 0 : std::llround((seconds(ts, stream->time_base) - m_start) * m_rate);
        m_positionKnown = true;
    }
    m_blockStart = m_next;
    m_next += got;
    return MediaOk;
}

bool AudioDecoder::decodeNext()
{
    while (!m_ended) {
        const int received = avcodec_receive_frame(m_codec.get(), m_frame.get());
        if (received == 0) {
            m_decodedAny = true;
            const int rc = convert(m_frame.get());
            av_frame_unref(m_frame.get());
            if (rc != MediaOk) {
                m_ended = true;
                return false;
            }
            if (!m_block.empty())
                return true;
            continue;
        }
        if (received == AVERROR_EOF) {
            m_ended = true;
            break;
        }
        if (received != AVERROR(EAGAIN)) {
            continue; // a broken frame: the next one may decode
        }
        const int read = av_read_frame(m_format.get(), m_packet.get());
        if (read < 0) {
            avcodec_send_packet(m_codec.get(), nullptr); // drain what the decoder holds
            continue;
        }
        if (m_packet->stream_index == m_stream)
            avcodec_send_packet(m_codec.get(), m_packet.get()); // a corrupt packet is skipped
        av_packet_unref(m_packet.get());
    }
    return false;
}

int AudioDecoder::seekTo(int64_t position)
{
    const AVStream* stream = m_format->streams[m_stream];
    // Half a second early: decoders need a little run-in (priming, overlapping transforms).
    const double at = m_start + static_cast<double>(position) / m_rate - 0.5;
    const int64_t ts = at <= m_start ? (stream->start_time == AV_NOPTS_VALUE ? 0 : stream->start_time)
                                      : static_cast<int64_t>(at / av_q2d(stream->time_base));
    if (av_seek_frame(m_format.get(), m_stream, ts, AVSEEK_FLAG_BACKWARD) < 0
        && av_seek_frame(m_format.get(), m_stream, ts, AVSEEK_FLAG_BACKWARD | AVSEEK_FLAG_ANY) < 0)
        return MediaCorrupt;
    avcodec_flush_buffers(m_codec.get());
    m_swr.reset();
    m_buffer.clear();
    m_bufferStart = 0;
    m_ended = false;
    m_positionKnown = false;
    m_decodedAny = false;
    return MediaOk;
}

int AudioDecoder::read(int64_t first, int count, std::vector<float>& out)
{
    if (!isOpen())
        return MediaNotOpen;
    if (count < 0)
        return MediaBadArgument;
    const std::size_t ch = static_cast<std::size_t>(m_channels);
    out.assign(static_cast<std::size_t>(count) * ch, 0.0f);
    const int64_t end = first + count;
    auto bufferEnd = [&] { return m_bufferStart + static_cast<int64_t>(m_buffer.size() / ch); };
    // Backwards, or far ahead of what is decoded: seek instead of decoding everything between.
    if (m_decodedAny && (first < m_bufferStart || first > bufferEnd() + 2 * static_cast<int64_t>(m_rate)))
        if (const int rc = seekTo(std::max<int64_t>(first, 0)); rc != MediaOk)
            return rc;
    while (bufferEnd() < end && decodeNext()) {
        int64_t at = m_blockStart;
        std::size_t skip = 0;
        if (m_buffer.empty()) {
            m_bufferStart = at;
        } else if (at > bufferEnd()) {
            m_buffer.resize(m_buffer.size() + static_cast<std::size_t>(at - bufferEnd()) * ch, 0.0f); // a gap
        } else if (at < bufferEnd()) {
            skip = std::min<std::size_t>(static_cast<std::size_t>(bufferEnd() - at) * ch, m_block.size()); // overlap
        }
        m_buffer.insert(m_buffer.end(), m_block.begin() + static_cast<std::ptrdiff_t>(skip), m_block.end());
        // Keep only what this and later reads can use.
        if (m_bufferStart < first) {
            const int64_t drop = std::min(first, bufferEnd()) - m_bufferStart;
            m_buffer.erase(m_buffer.begin(), m_buffer.begin() + static_cast<std::ptrdiff_t>(drop * static_cast<int64_t>(ch)));
            m_bufferStart += drop;
        }
    }
    const int64_t from = std::max(first, m_bufferStart);
    const int64_t to = std::min(end, bufferEnd());
    if (to > from)
        std::copy_n(m_buffer.begin() + static_cast<std::ptrdiff_t>((from - m_bufferStart) * static_cast<int64_t>(ch)),
                    static_cast<std::size_t>(to - from) * ch,
                    out.begin() + static_cast<std::ptrdiff_t>((from - first) * static_cast<int64_t>(ch)));
    return MediaOk;
}

int AudioDecoder::decodeAll(const std::function<bool(const float*, int)>& sink)
{
    if (!isOpen())
        return MediaNotOpen;
    if (m_decodedAny)
        if (const int rc = seekTo(0); rc != MediaOk)
            return rc;
    while (decodeNext())
        if (!sink(m_block.data(), static_cast<int>(m_block.size() / static_cast<std::size_t>(m_channels))))
            break;
    return MediaOk;
}
