#include "MediaDecoder.h"

#include "EncoderIdentity.h"
#include "FrameBuffers.h"
#include "MediaCodes.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <system_error>
#include <thread>
#include <vector>

namespace {

// Tells a missing file from an unreadable one before FFmpeg sees the path: a FIFO would block
// avformat_open_input forever, and a folder is not a media file.
int checkPath(const QString& path)
{
    if (path.isEmpty())
        return MediaFileMissing;
    std::error_code ec;
    const std::filesystem::path p(path.toStdU16String());
    const auto st = std::filesystem::status(p, ec);
    if (ec) {
        if (ec == std::errc::no_such_file_or_directory)
            return MediaFileMissing;
        return MediaFileUnreadable; // e.g. a path through a file, a loop of links, no permission
    }
    if (st.type() == std::filesystem::file_type::not_found)
        return MediaFileMissing;
    if (st.type() == std::filesystem::file_type::directory)
        return MediaNotMedia;
    if (st.type() != std::filesystem::file_type::regular)
        return MediaFileUnreadable;
    return MediaOk;
}

// True when the file's first bytes are those of a container the library knows. A file that
// starts like one but whose headers cannot be read is cut off or damaged, not something other
// than media. The name is left out of the probe, so that an extension alone proves nothing.
bool startsLikeMedia(const QByteArray& utf8Path)
{
    std::FILE* file = std::fopen(utf8Path.constData(), "rb");
    if (!file)
        return false;
    std::vector<unsigned char> head(4096 + AVPROBE_PADDING_SIZE, 0);
    const size_t size = std::fread(head.data(), 1, 4096, file);
    std::fclose(file);
    AVProbeData probe{};
    probe.filename = "";
    probe.buf = head.data();
    probe.buf_size = int(size);
    int score = 0;
    return size > 0 && av_probe_input_format3(&probe, 1, &score) && score > AVPROBE_SCORE_EXTENSION;
}

} // namespace

void MediaDecoder::close()
{
    m_codec.reset();
    m_format.reset();
    m_stream = nullptr;
    m_path.clear();
    m_streaming = m_havePacket = m_draining = m_anchored = m_byKey = false;
    m_previous = -1;
    m_acceptFrom = 0;
    m_seekPoint = -1;
    m_badSeekPoints.clear();
    if (m_packet)
        av_packet_unref(m_packet.get());
}

int MediaDecoder::open(const QString& path, Use use)
{
    close();
    m_path = path;
    m_use = use;

    if (const int rc = checkPath(path); rc != MediaOk)
        return rc;

    AVFormatContext* raw = nullptr;
    const QByteArray utf8 = path.toUtf8();
    if (const int rc = avformat_open_input(&raw, utf8.constData(), nullptr, nullptr); rc < 0) {
        if (rc == AVERROR(EACCES) || rc == AVERROR(EPERM) || rc == AVERROR(EIO))
            return MediaFileUnreadable;
        if (rc == AVERROR(ENOMEM))
            return MediaOutOfMemory;
        return startsLikeMedia(utf8) ? MediaCorrupt : MediaNotMedia;
    }
    AvFormatInputPtr format(raw);
    if (avformat_find_stream_info(format.get(), nullptr) < 0)
        return MediaCorrupt;

    // The main video stream; cover art stored as a video stream is not a video.
    int best = av_find_best_stream(format.get(), AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    if (best >= 0 && (format->streams[best]->disposition & AV_DISPOSITION_ATTACHED_PIC))
        best = -1;
    for (unsigned i = 0; best < 0 && i < format->nb_streams; ++i) {
        const AVStream* s = format->streams[i];
        if (s->codecpar->codec_type == AVMEDIA_TYPE_VIDEO && !(s->disposition & AV_DISPOSITION_ATTACHED_PIC))
            best = static_cast<int>(i);
    }
    if (best < 0)
        return MediaNoVideoStream;
    AVStream* stream = format->streams[best];

    const AVCodec* decoder = avcodec_find_decoder(stream->codecpar->codec_id);
    if (!decoder)
        return MediaNoDecoder;
    AvCodecContextPtr codec(avcodec_alloc_context3(decoder));
    if (!codec)
        return MediaOutOfMemory;
    if (avcodec_parameters_to_context(codec.get(), stream->codecpar) < 0)
        return MediaCorrupt;
    codec->pkt_timebase = stream->time_base;
    // One thread per core, at most 16 as the library's automatic count. (That count adds one on
    // top, which on a machine of few cores makes the threads wait for each other more than they
    // gain.)
    codec->thread_count = int(std::clamp(std::thread::hardware_concurrency(), 1u, 16u));
    codec->thread_type = FF_THREAD_FRAME | FF_THREAD_SLICE;
    // Picture memory that the frame cache and all decoders recycle (see FrameBuffers).
    codec->get_buffer2 = &FrameBuffers::getBuffer;
#if LIBAVCODEC_VERSION_MAJOR < 60
    // Older libraries route callbacks not marked thread-safe through one thread.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    codec->thread_safe_callbacks = 1;
#pragma GCC diagnostic pop
#endif
    if (use == Use::TimesOnly)
        codec->lowres = decoder->max_lowres; // an eighth of the size for MPEG-4 Part 2: about 4x faster
    if (avcodec_open2(codec.get(), decoder, nullptr) < 0)
        return MediaNoDecoder;
    // Decoders whose non-reference pictures can be left out without touching any other picture.
    switch (decoder->id) {
    case AV_CODEC_ID_H264:
    case AV_CODEC_ID_HEVC:
    case AV_CODEC_ID_MPEG2VIDEO:
    case AV_CODEC_ID_MPEG1VIDEO:
    case AV_CODEC_ID_VP8:
    case AV_CODEC_ID_VP9: m_skipNonReference = true; break;
    default: m_skipNonReference = false; break;
    }

    // Other streams are never read: the demuxer skips their packets cheaply.
    for (unsigned i = 0; i < format->nb_streams; ++i)
        if (static_cast<int>(i) != best)
            format->streams[i]->discard = AVDISCARD_ALL;

    m_format = std::move(format);
    m_codec = std::move(codec);
    m_stream = stream;
    return MediaOk;
}

int MediaDecoder::readVideoPacket(AVPacket* packet)
{
    for (;;) {
        av_packet_unref(packet);
        const int rc = av_read_frame(m_format.get(), packet);
        if (rc < 0)
            return rc;
        if (packet->stream_index == m_stream->index)
            return 0;
    }
}

int64_t MediaDecoder::frameKey(const FrameIndex& index, const AVFrame* frame)
{
    if (!index.fromDecodePass && frame->pts != AV_NOPTS_VALUE)
        return frame->pts;
    return frame->best_effort_timestamp;
}

int64_t MediaDecoder::packetKey(const AVPacket* packet)
{
    return packet->dts != AV_NOPTS_VALUE ? packet->dts : packet->pts;
}

bool MediaDecoder::seekOnce(int64_t target, AVPacket* firstPacket)
{
    avcodec_flush_buffers(m_codec.get());
    if (av_seek_frame(m_format.get(), m_stream->index, target, AVSEEK_FLAG_BACKWARD) < 0
        && avformat_seek_file(m_format.get(), m_stream->index, INT64_MIN, target, target, 0) < 0)
        return false;
    return readVideoPacket(firstPacket) >= 0;
}

bool MediaDecoder::seekTo(const FrameIndex& index, int seekPoint, AVPacket* firstPacket, bool& late)
{
    late = false;
    const int64_t target = index.seekPoints[seekPoint].seekTs;
    if (!seekOnce(target, firstPacket))
        return false;
    const int64_t landed = packetKey(firstPacket);
    late = landed != AV_NOPTS_VALUE && target != AV_NOPTS_VALUE && landed > target;
    if (late || landed == AV_NOPTS_VALUE || target == AV_NOPTS_VALUE || landed >= target)
        return true;
    // Landed on an earlier key frame: some demuxers (MP4 with B-frames) search by presentation
    // time, and the key frame's decoding time lies before its own presentation. Asking for its
    // presentation time lands on it and saves decoding a whole GOP; if that overshoots, the
    // earlier landing is taken again (slower, still exact).
    const int position = index.seekPoints[seekPoint].position;
    const int64_t shown = position < index.count() ? index.timestamps[size_t(position)] : AV_NOPTS_VALUE;
    if (shown != AV_NOPTS_VALUE && shown > target && seekOnce(shown, firstPacket) && packetKey(firstPacket) == target)
        return true;
    return seekOnce(target, firstPacket);
}

bool MediaDecoder::restart(AVPacket* firstPacket)
{
    // Reopening is the one way to the first packet that every demuxer honours.
    const QString path = m_path;
    const bool skipNonReference = m_skipNonReference;
    std::unordered_set<int> bad = std::move(m_badSeekPoints);
    if (open(path, m_use) != MediaOk)
        return false;
    m_skipNonReference = m_skipNonReference && skipNonReference;
    m_badSeekPoints = std::move(bad);
    return readVideoPacket(firstPacket) == 0;
}

bool MediaDecoder::canContinueTo(const FrameIndex& index, int position) const
{
    if (!m_streaming || m_previous >= position || index.seekPoints.empty())
        return false;
    // Going on is cheaper than seeking while no seek point lies between here and there.
    return index.seekPoints[index.seekPointFor(position)].position <= std::max(m_previous + 1, m_acceptFrom);
}

bool MediaDecoder::positionFor(const FrameIndex& index, int first, int below)
{
    if (below < 0 && canContinueTo(index, first))
        return true;
    int sp = index.seekPoints.empty() ? -1 : index.seekPointFor(first);
    if (below > 0)
        sp = std::min(sp, below - 1);
    while (sp > 0 && m_badSeekPoints.count(sp))
        --sp;
    m_streaming = false;
    // Seek to the last seek point at or before `first`; when the demuxer lands after it, step
    // back one seek point at a time, and from the first one start the file afresh.
    for (;;) {
        bool late = false;
        if (sp >= 0 && seekTo(index, sp, m_packet.get(), late) && !late) {
            // A decoder that starts here has not seen the stream's first packet.
            EncoderIdentity::prepend(m_codec.get(), m_packet.get(), index.startUnits);
            break;
        }
        if (sp <= 0) {
            if (!restart(m_packet.get()))
                return false;
            sp = index.seekPoints.empty() ? -1 : 0;
            break;
        }
        --sp;
    }
    m_seekPoint = sp;
    m_codec->skip_frame = AVDISCARD_DEFAULT; // the packet read at the seek point is decoded whole
    m_acceptFrom = sp < 0 ? 0 : index.seekPoints[sp].position;
    // From the start of the file, output order alone gives positions.
    m_anchored = m_acceptFrom == 0;
    m_previous = -1;
    m_havePacket = true;
    m_draining = false;
    m_streaming = true;
    return true;
}

bool MediaDecoder::skipUnneeded(const FrameIndex& index, const AVPacket* packet, int needFrom)
{
    // A picture that nothing refers to and that lies before the first one wanted need not be
    // decoded at all: on a jump into a GOP with B-frames that is about every second picture
    // before the target. Only where the packet's timestamp names its picture exactly, which an
    // index from a decode pass does not promise.
    bool skip = false;
    if (m_skipNonReference && !index.fromDecodePass && !(packet->flags & AV_PKT_FLAG_KEY)
        && packet->pts != AV_NOPTS_VALUE) {
        const int position = index.lookup(packet->pts);
        skip = position >= 0 && position < needFrom;
    }
    m_codec->skip_frame = skip ? AVDISCARD_NONREF : AVDISCARD_DEFAULT;
    return skip;
}

int MediaDecoder::nextPicture(AVFrame* frame, const std::function<void(const AVPacket*)>& onPacket)
{
    for (;;) {
        const int rc = avcodec_receive_frame(m_codec.get(), frame);
        if (rc == 0)
            return 0;
        if (rc == AVERROR_EOF || (rc != AVERROR(EAGAIN) && m_draining))
            return AVERROR_EOF;
        // The decoder wants more, or rejected a packet, which is skipped: one broken frame must
        // not end the file.
        if (!m_havePacket && !m_draining) {
            if (readVideoPacket(m_packet.get()) < 0)
                m_draining = true;
            else if (onPacket)
                onPacket(m_packet.get());
        }
        const int sent = avcodec_send_packet(m_codec.get(), m_draining ? nullptr : m_packet.get());
        m_havePacket = sent == AVERROR(EAGAIN);
        if (!m_havePacket && !m_draining)
            av_packet_unref(m_packet.get());
    }
}

bool MediaDecoder::decodeRange(const FrameIndex& index, int first, int last, const FrameSink& sink, int needFrom)
{
    if (!isOpen() || !m_packet || !m_frame || index.count() == 0 || first > last || first < 0
        || first >= index.count())
        return false;
    needFrom = needFrom < 0 ? first : std::min(needFrom, first);
    m_byKey = false;
    Retry retry;
    for (;;) {
        const Pass pass = decodePass(index, first, last, sink, needFrom, retry);
        if (pass != Pass::Again)
            return pass == Pass::Reached;
    }
}

MediaDecoder::Pass MediaDecoder::decodePass(const FrameIndex& index, int first, int last, const FrameSink& sink,
                                            int needFrom, Retry& retry)
{
    if (!positionFor(index, first, retry.below))
        return Pass::Failed;
    const int started = m_seekPoint;
    // A picture the whole file gives is missing: after a seek to a key frame that is no clean
    // start (an open GOP), the decoder may drop pictures behind it. Decode once more from the
    // seek point before; when the picture then comes, the first seek point is no good for this
    // decoder and is passed over from now on. When it still does not come, the file lacks it.
    auto missing = [&](int position) {
        // Twice at most per range: a damaged file lacking many pictures is not decoded again
        // and again from ever earlier key frames.
        if (retry.missing >= 0 || started <= 0 || retry.count >= 2)
            return false;
        retry = {started, position, retry.count + 1};
        m_streaming = false;
        return true;
    };
    // Every picture from here on must come out of the decoder, in order.
    int expected = std::max(needFrom, m_previous >= 0 ? m_previous + 1 : m_acceptFrom);
    AVFrame* frame = m_frame.get();
    bool skipped = false; // a picture before `needFrom` was left undecoded since the seek
    for (;;) {
        const int rc = nextPicture(frame, [&](const AVPacket* packet) {
            skipped = skipUnneeded(index, packet, needFrom) || skipped;
        });
        if (rc < 0) {
            m_streaming = false;
            if (m_previous < last && expected <= last && missing(expected))
                return Pass::Again;
            return m_previous >= last ? Pass::Reached : Pass::Failed;
        }
        int position = index.lookup(frameKey(index, frame));
        if (position < 0 && m_anchored && skipped) {
            // Counting on from the last picture is wrong when pictures were left out:
            // decode again without leaving any out.
            av_frame_unref(frame);
            m_skipNonReference = false;
            m_streaming = false;
            return Pass::Again;
        }
        if (position < 0 && m_anchored)
            position = m_previous + 1;
        if (position < 0 || (m_anchored && position <= m_previous)) {
            av_frame_unref(frame);
            continue;
        }
        if (position > expected && missing(expected)) {
            av_frame_unref(frame);
            return Pass::Again;
        }
        if (retry.missing >= 0 && position >= retry.missing) {
            if (position == retry.missing)
                m_badSeekPoints.insert(retry.below);
            retry.missing = -1; // settled: the picture came, or the file lacks it
        }
        expected = std::max(expected, position + 1);
        m_anchored = true;
        m_previous = position;
        if (position >= index.count()) {
            av_frame_unref(frame);
            m_streaming = false;
            return Pass::Failed;
        }
        bool stop = false;
        if (position >= m_acceptFrom && position >= first)
            stop = !sink(position, frame) || position >= last;
        else if (position >= m_acceptFrom)
            sink(position, frame);
        av_frame_unref(frame);
        if (stop)
            return Pass::Reached;
    }
}

AvFramePtr MediaDecoder::decodeAtKey(const FrameIndex& index, int64_t key, int64_t step, int64_t reach, int64_t* found)
{
    const int64_t slack = step / 2;
    if (!isOpen() || !m_packet || !m_frame || key == AV_NOPTS_VALUE)
        return {};
    AVFrame* frame = m_frame.get();
    // The last picture before the key: a key beyond the stream's end (its length estimated too
    // long) gives the stream's last picture.
    AvFramePtr before;
    int64_t beforeKey = AV_NOPTS_VALUE;
    const bool goOn = m_byKey && m_lastKey != AV_NOPTS_VALUE && key > m_lastKey && key - m_lastKey <= reach;
    // A seek that lands after the key (a demuxer that searches by presentation time, a key frame
    // missing from the container's index) is tried again from further back.
    const int64_t second = std::max<int64_t>(1, av_rescale_q(1, AVRational{1, 1}, m_stream->time_base));
    for (int attempt = goOn ? -1 : 0; attempt < 4; ++attempt) {
        if (attempt >= 0) {
            m_streaming = false; // decodeRange seeks afresh after this
            const int64_t back = attempt == 0 ? 0 : second << (2 * (attempt - 1)); // 1, 4, 16 s
            if (!seekOnce(key - back, m_packet.get())) {
                m_byKey = false;
                return {};
            }
            EncoderIdentity::prepend(m_codec.get(), m_packet.get(), index.startUnits);
            m_codec->skip_frame = AVDISCARD_DEFAULT;
            m_havePacket = true;
            m_draining = false;
        }
        bool first = attempt >= 0;
        if (first)
            m_lastKey = AV_NOPTS_VALUE;
        m_byKey = true;
        for (;;) {
            if (nextPicture(frame) < 0) {
                m_byKey = false;
                if (before && found)
                    *found = beforeKey;
                return before;
            }
            int64_t k = frameKey(index, frame);
            if (k == AV_NOPTS_VALUE && m_lastKey != AV_NOPTS_VALUE)
                k = m_lastKey + step; // the last pictures drained from some decoders carry no time
            if (k == AV_NOPTS_VALUE) {
                av_frame_unref(frame);
                continue;
            }
            if (first && k > key + slack && attempt < 3) {
                av_frame_unref(frame); // landed too late: from further back
                break;
            }
            first = false;
            m_lastKey = k;
            if (k < key - slack) {
                if (!before)
                    before = makeFrame();
                if (before) {
                    av_frame_unref(before.get());
                    av_frame_move_ref(before.get(), frame);
                    beforeKey = k;
                }
                av_frame_unref(frame);
                continue;
            }
            AvFramePtr result = makeFrame();
            av_frame_move_ref(result.get(), frame);
            if (found)
                *found = k;
            return result;
        }
    }
    m_byKey = false;
    return {};
}
