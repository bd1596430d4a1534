#include "MediaSource.h"

#include "DecodeAhead.h"
#include "FrameBuffers.h"
#include "FrameCache.h"
#include "FrameIndexer.h"
#include "IndexBuilder.h"
#include "KnownIndexes.h"
#include "MediaCodes.h"
#include "StreamRotation.h"

extern "C" {
#include <libavutil/pixdesc.h>
}

#include <algorithm>
#include <atomic>
#include <climits>

namespace {
std::atomic<int> indexWaitMs{250};

// Whether a shown picture is its decoded frame as it is: whole frames, not turned or mirrored.
bool showsDecodedFrame(const DisplayMode& mode)
{
    return mode.split() == DisplayMode::FullFrames && mode.rotation() == 0 && !mode.mirrored();
}
} // namespace

MediaSource::MediaSource(FrameCache* cache)
    : m_cache(cache ? cache : &FrameCache::shared()), m_owner(FrameCache::newOwner())
{
}

MediaSource::~MediaSource() { close(); }

void MediaSource::setIndexWait(int milliseconds) { indexWaitMs = std::max(0, milliseconds); }

void MediaSource::close()
{
    m_builder.reset(); // stops the background index
    m_ahead.reset(); // joins the worker before its decoder and the index go
    m_cache->removeOwner(m_owner);
    if (m_attached)
        m_cache->detachSource();
    m_attached = false;
    m_owner = FrameCache::newOwner();
    m_decoder.close();
    m_index.reset();
    m_path.clear();
    m_mode = DisplayMode();
    m_openFlags = 0;
    m_interlaced = false;
    m_recordedSize = m_shownSize = QSize();
    m_recordedRate = {0, 1};
    m_fieldOrder = AV_FIELD_UNKNOWN;
    m_codecName.clear();
    m_frameBytes = 0;
    m_current = 0;
    m_streamRotation = 0;
    m_sampleAspect = {1, 1};
    m_expectedRecorded = 0;
    m_countBySize = false;
    m_provisional = {};
}

namespace {

// The first picture's shape as the stream's parameters declare it: known when they give the
// size, the pixel format and whether the frames are interlaced (a declared field order).
FirstPicture declaredShape(const AVCodecParameters* par)
{
    FirstPicture shape;
    switch (rawEnum(par->field_order)) {
    case AV_FIELD_PROGRESSIVE: break;
    case AV_FIELD_TT:
    case AV_FIELD_BB:
    case AV_FIELD_TB:
    case AV_FIELD_BT: shape.interlaced = true; break;
    default: return {};
    }
    if (par->width <= 0 || par->height <= 0 || par->format < 0)
        return {};
    shape.known = true;
    shape.width = par->width;
    shape.height = par->height;
    shape.format = par->format;
    return shape;
}

// The open flags with the stream's own turn put before the user's: the picture is turned
// upright first, then as the flags ask. The flags' mirror comes before their turn, and a mirror
// turns the other way round, so under a mirror the stream's turn counts backwards.
uint32_t withStreamRotation(uint32_t flags, int streamTurn)
{
    if (streamTurn == 0)
        return flags;
    const DisplayMode user(flags);
    const int turn = ((user.mirrored() ? user.rotation() - streamTurn : user.rotation() + streamTurn) % 360 + 360) % 360;
    flags &= ~0x700u;
    if (turn != 0)
        flags |= 1u << (7 + turn / 90); // bit 8, 9 or 10
    return flags;
}

// The stream's sample aspect ratio, else the codec's; 1:1 when neither states one.
AVRational declaredSampleAspect(const AVStream* stream)
{
    for (AVRational r : {stream->sample_aspect_ratio, stream->codecpar->sample_aspect_ratio}) {
        if (r.num > 0 && r.den > 0) {
            av_reduce(&r.num, &r.den, r.num, r.den, 1 << 20);
            return r;
        }
    }
    return {1, 1};
}

// The frames the container states for the stream, else its length at the stated rate; 0 when
// it says neither.
int statedFrames(const AVFormatContext* format, const AVStream* stream, AVRational rate)
{
    constexpr int64_t most = INT_MAX / 8; // a count of shown pictures must stay an int
    if (stream->nb_frames > 0)
        return int(std::min<int64_t>(stream->nb_frames, most));
    double seconds = 0;
    if (stream->duration > 0 && stream->duration != AV_NOPTS_VALUE)
        seconds = double(stream->duration) * av_q2d(stream->time_base);
    else if (format->duration > 0 && format->duration != AV_NOPTS_VALUE)
        seconds = double(format->duration) / AV_TIME_BASE;
    if (rate.num <= 0 || rate.den <= 0 || !(seconds > 0))
        return 0;
    return int(std::min<double>(double(most), std::round(seconds * av_q2d(rate))));
}

} // namespace

int MediaSource::open(const QString& path, uint32_t flags, Indexing indexing)
{
    close();
    std::shared_ptr<const FrameIndex> index;
    FirstPicture first;
    int rc = m_decoder.open(path);
    const KnownIndexes::Found known = rc == MediaOk ? KnownIndexes::find(path) : KnownIndexes::Found{};
    if (known.index) {
        index = known.index;
    } else if (rc == MediaOk && (known.builder || indexing == Indexing::Background)) {
        m_builder = known.builder;
        if (!m_builder) {
            m_builder = std::make_shared<IndexBuilder>(path);
            KnownIndexes::addBuilder(path, m_builder);
        }
        if (!m_builder->waitForEnd(indexing == Indexing::Complete ? INT_MAX : indexWaitMs.load()))
            m_builder->waitForStart(INT_MAX);
        const IndexBuilder::State state = m_builder->state();
        index = state.index;
        rc = state.finished ? state.result : MediaOk;
        if (state.finished) {
            first = state.first;
            m_builder.reset();
        }
    } else if (rc == MediaOk) {
        auto built = std::make_shared<FrameIndex>();
        rc = FrameIndexer::build(m_decoder, path, *built, &first);
        index = built;
        if (rc == MediaOk)
            KnownIndexes::addIndex(path, index);
    }
    if (rc == MediaOk && (!index || index->count() == 0))
        rc = MediaCorrupt;
    if (rc != MediaOk) {
        close();
        return rc;
    }
    m_index = index;
    m_path = path;
    m_cache->attachSource();
    m_attached = true;
    const AVStream* stream = m_decoder.stream();
    m_streamRotation = ::streamRotation(stream);
    m_mode = DisplayMode(withStreamRotation(flags, m_streamRotation));
    m_fieldOrder = rawEnum(stream->codecpar->field_order);
    m_codecName = QString::fromLatin1(avcodec_get_name(stream->codecpar->codec_id));
    m_recordedRate = stream->avg_frame_rate.num > 0 && stream->avg_frame_rate.den > 0 ? stream->avg_frame_rate
                                                                                        : stream->r_frame_rate;
    // The picture size and interlacing: from the index's decode pass, else from the stream's
    // parameters when they declare them, else from decoding the first picture. Opening without
    // a decode leaves the decoder unstarted, so the first access seeks straight to its frame.
    if (!first.known)
        first = declaredShape(stream->codecpar);
    if (!first.known) {
        const SharedFrame picture = decodedFrame(0);
        if (!picture) {
            close();
            return MediaCorrupt;
        }
        first = {true, picture->width, picture->height, picture->format, picture->interlaced_frame != 0};
    }
    m_recordedSize = QSize(first.width, first.height);
    // What a decoded picture will take in the cache, before any is decoded: the first backward
    // step or jump sizes its window by it.
    if (m_frameBytes == 0)
        if (const std::size_t bytes = FrameBuffers::pictureBytes(m_decoder.codec(), first.format, first.width, first.height))
            m_frameBytes = sizeof(AVFrame) + bytes;
    // Separate fields need fields: a progressive stream has none, so it keeps showing its
    // frames (the count, rate and pictures of full frames) rather than each frame twice.
    m_openFlags = flags;
    m_interlaced = streamIsInterlaced(first.interlaced);
    if (m_mode.split() == DisplayMode::Fields && !m_interlaced)
        m_mode = DisplayMode(withStreamRotation(flags & ~0xFFu, m_streamRotation));
    m_shownSize = m_mode.shownSize(m_recordedSize);
    if (m_shownSize.isEmpty()) {
        close();
        return MediaCorrupt;
    }
    // Fields are line-doubled and sub-pictures keep their pixels, so only a quarter turn changes
    // the pixels' shape.
    // Decoding the first picture may have opened the file afresh: the stream is asked again.
    const AVStream* current = m_decoder.stream();
    if (!current) {
        close();
        return MediaCorrupt;
    }
    m_sampleAspect = declaredSampleAspect(current);
    if (m_mode.rotation() == 90 || m_mode.rotation() == 270)
        m_sampleAspect = av_inv_q(m_sampleAspect);
    if (m_builder) {
        m_expectedRecorded = statedFrames(m_decoder.format(), current, m_recordedRate);
        m_countBySize = m_expectedRecorded == 0;
        if (m_countBySize)
            estimateBySize(m_builder->state().fraction);
    }
    return MediaOk;
}

int MediaSource::frameCount() const { return recordedFrameCount() * m_mode.picturesPerFrame(); }

int MediaSource::expectedFrameCount() const
{
    return m_builder ? std::max(recordedFrameCount(), m_expectedRecorded) * m_mode.picturesPerFrame() : frameCount();
}

bool MediaSource::isProvisional(int n) const
{
    if (!m_builder || n < 0)
        return false;
    const int r = recordedOf(n);
    return r >= recordedFrameCount() || (m_provisional.frame && m_provisional.recorded == r);
}

double MediaSource::indexProgress() const { return m_builder ? m_builder->state().fraction : 1.0; }

void MediaSource::replaceIndex(std::shared_ptr<const FrameIndex> index)
{
    // A prefix of the old one keeps every decoded picture where it is; anything else (a file
    // whose packets proved untrustworthy part way) starts afresh.
    const FrameIndex& old = *m_index;
    const bool prefix = index->count() >= old.count() && index->fromDecodePass == old.fromDecodePass
                     && std::equal(old.timestamps.begin(), old.timestamps.end(), index->timestamps.begin());
    if (!prefix) {
        m_ahead.reset();
        m_cache->removeOwner(m_owner);
        m_decoder.open(m_path);
    }
    m_index = std::move(index);
    if (m_ahead)
        m_ahead->setIndex(m_index);
}

void MediaSource::estimateBySize(double fraction)
{
    // A file that states neither its count nor its length (a live recording): the frames found
    // so far over the part of the file read, once enough is read to tell. Pictures beyond the
    // index are found by their times, so a bare stream, which has none, shows its indexed part.
    constexpr double kLeastRead = 0.01;
    const int known = m_index ? m_index->count() : 0;
    const bool timed = known > 0 && m_index->timestamps.back() != AV_NOPTS_VALUE;
    m_expectedRecorded = fraction >= kLeastRead && fraction < 1 && timed
                           ? int(std::min<double>(INT_MAX / 8, std::round(known / fraction)))
                           : 0;
}

bool MediaSource::updateIndex()
{
    if (!m_builder)
        return false;
    const int before = frameCount();
    const int current = m_current;
    const IndexBuilder::State state = m_builder->state();
    if (state.finished)
        m_builder.reset(); // a build that failed part way leaves what it had found: a damaged file shows that
    if (state.index && state.index != m_index && (state.finished || state.index->count() > m_index->count()))
        replaceIndex(state.index);
    if (m_countBySize && m_builder)
        estimateBySize(state.fraction);
    // The provisional picture once the index knows it (or never will): a current frame shown
    // by it takes the number the index gives that picture.
    if (m_provisional.frame) {
        const int exact = m_index->lookup(m_provisional.key);
        if (exact >= 0 || !m_builder) {
            const int per = m_mode.picturesPerFrame();
            if (exact >= 0 && recordedOf(m_current) == m_provisional.recorded)
                m_current = exact * per + m_current % per;
            m_provisional = {};
        }
    }
    m_current = std::clamp(m_current, 0, std::max(0, expectedFrameCount() - 1));
    return frameCount() != before || m_current != current;
}

bool MediaSource::settleCurrent(const std::function<bool(double)>& progress)
{
    while (isProvisional(m_current)) {
        if (!m_builder->waitForEnd(50) && progress && !progress(indexProgress()))
            return false;
        updateIndex();
    }
    return isOpen();
}

bool MediaSource::completeIndex(const std::function<bool(double)>& progress, int upTo)
{
    while (m_builder && frameCount() <= upTo) {
        if (!m_builder->waitForEnd(50) && progress && !progress(indexProgress()))
            return false;
        updateIndex();
    }
    return isOpen();
}

AVRational MediaSource::frameRateExact() const
{
    AVRational rate = m_recordedRate;
    if (rate.num <= 0 || rate.den <= 0) {
        // No declared rate: the mean over the index.
        const AVRational tb = m_decoder.stream() ? m_decoder.stream()->time_base : AVRational{1, 25};
        const int n = recordedFrameCount();
        const int64_t span = n > 1 ? m_index->timestamps[n - 1] - m_index->timestamps[0] : 0;
        const double seconds = static_cast<double>(span) * av_q2d(tb);
        rate = seconds > 0 ? av_d2q((n - 1) / seconds, 1000000) : AVRational{25, 1};
    }
    return av_mul_q(rate, AVRational{m_mode.picturesPerFrame(), 1});
}

float MediaSource::frameRate() const
{
    return isOpen() ? static_cast<float>(av_q2d(frameRateExact())) : 0.0f;
}

double MediaSource::frameTime(int n) const
{
    if (!isOpen() || n < 0)
        return 0;
    const int per = m_mode.picturesPerFrame();
    const double frameSpan = per / av_q2d(frameRateExact());
    const int r = std::min(n / per, recordedFrameCount() - 1);
    if (n / per > r) // beyond the index known so far: on at the stated rate from its last picture
        return frameTime(r * per) + (n - r * per) * frameSpan / per;
    const std::vector<int64_t>& ts = m_index->timestamps;
    const AVStream* stream = m_decoder.stream();
    if (!stream || ts[0] == AV_NOPTS_VALUE || ts[std::size_t(r)] == AV_NOPTS_VALUE)
        return n * frameSpan / per;
    const double tb = av_q2d(stream->time_base);
    const double at = double(ts[std::size_t(r)] - ts[0]) * tb;
    const bool hasNext = r + 1 < recordedFrameCount() && ts[std::size_t(r) + 1] != AV_NOPTS_VALUE;
    const double next = hasNext ? double(ts[std::size_t(r) + 1] - ts[0]) * tb : at + frameSpan;
    return at + (next - at) * (n % per) / per;
}

QString MediaSource::codecName() const { return m_codecName; }

void MediaSource::setCurrentFrame(int n) { m_current = std::clamp(n, 0, std::max(0, expectedFrameCount() - 1)); }

SharedFrame MediaSource::provisionalFrame(int recorded)
{
    if (m_provisional.frame && m_provisional.recorded == recorded)
        return m_provisional.frame;
    const FrameIndex& index = *m_index;
    const int last = index.count() - 1;
    const AVStream* stream = m_decoder.stream();
    if (!stream || index.timestamps[std::size_t(last)] == AV_NOPTS_VALUE)
        return {};
    // On from the last picture known at the stated rate: what the file shows at that time.
    const AVRational frameSpan = av_inv_q(av_div_q(frameRateExact(), AVRational{m_mode.picturesPerFrame(), 1}));
    const int64_t key = index.timestamps[std::size_t(last)] + av_rescale_q(recorded - last, frameSpan, stream->time_base);
    const int64_t step = std::max<int64_t>(1, av_rescale_q(1, frameSpan, stream->time_base));
    const int64_t reach = av_rescale_q(2, AVRational{1, 1}, stream->time_base);
    int64_t found = 0;
    AvFramePtr frame = m_decoder.decodeAtKey(index, key, step, reach, &found);
    if (!frame)
        return {};
    m_provisional = {recorded, found, shareFrame(frame.get())};
    return m_provisional.frame;
}

SharedFrame MediaSource::decodedFrame(int recorded)
{
    if (!isOpen() || recorded < 0)
        return {};
    if (isProvisional(recorded * m_mode.picturesPerFrame()))
        return recorded < std::max(m_expectedRecorded, m_index->count()) ? provisionalFrame(recorded) : SharedFrame{};
    if (recorded >= m_index->count())
        return {};
    if (SharedFrame cached = m_cache->find(m_owner, recorded))
        return cached;

    // Decode from the seek point before the frame (or on from where the decoder stands) and
    // keep what fits into half of this file's share of the budget, so the following backward
    // steps are cache hits. When a GOP is larger than that, the next miss decodes the window
    // before this one. Going on from where the decoder stands keeps the pictures it passes on
    // the way within that window too: they cost nothing more to keep.
    const int segmentStart = m_index->seekPoints.empty() ? 0 : m_index->seekPoints[m_index->seekPointFor(recorded)].position;
    const std::size_t perFrame = std::max<std::size_t>(m_frameBytes, 1);
    const std::size_t share = m_cache->budget() / static_cast<std::size_t>(std::max(1, m_cache->sourceCount()));
    const int window = static_cast<int>(std::clamp<std::size_t>(share / 2 / perFrame, 1, 1 << 20));
    const int keepFrom = std::max(segmentStart, recorded - window + 1);
    const int from = m_decoder.canContinueTo(*m_index, recorded) ? recorded : keepFrom;
    SharedFrame result;
    m_decoder.decodeRange(*m_index, from, recorded, [&](int position, const AVFrame* frame) {
        if (position >= keepFrom)
            m_cache->insert(m_owner, position, frame);
        if (position == recorded)
            result = shareFrame(frame);
        return true;
    }, keepFrom);
    if (result)
        m_frameBytes = FrameCache::frameBytes(result.get());
    return result;
}

bool MediaSource::streamIsInterlaced(bool firstInterlaced) const
{
    switch (m_fieldOrder) {
    case AV_FIELD_TT:
    case AV_FIELD_BB:
    case AV_FIELD_TB:
    case AV_FIELD_BT: return true;
    case AV_FIELD_PROGRESSIVE: return false;
    default: return firstInterlaced;
    }
}

bool MediaSource::bottomFieldFirst(const AVFrame* frame) const
{
    switch (m_fieldOrder) {
    case AV_FIELD_BB:
    case AV_FIELD_TB: // top coded first, bottom shown first
        return true;
    case AV_FIELD_TT:
    case AV_FIELD_BT:
        return false;
    default:
        return frame->interlaced_frame && !frame->top_field_first;
    }
}

QImage MediaSource::picture(int n)
{
    if (!isOpen() || n < 0 || n >= expectedFrameCount())
        return {};
    const int perFrame = m_mode.picturesPerFrame();
    const SharedFrame frame = decodedFrame(n / perFrame);
    if (!frame)
        return {};
    const QImage rgb = m_converter.toRgb(frame.get());
    QImage shown = m_mode.apply(rgb, n % perFrame, bottomFieldFirst(frame.get()));
    // A stream that changes size mid-way is shown at the size it opened with.
    if (!shown.isNull() && shown.size() != m_shownSize)
        shown = m_converter.scaled(shown, m_shownSize);
    return shown;
}

QImage MediaSource::picture(int n, QSize size)
{
    if (!isOpen() || n < 0 || n >= expectedFrameCount() || size.isEmpty())
        return {};
    const bool plain = showsDecodedFrame(m_mode);
    if (plain) {
        const SharedFrame frame = decodedFrame(n);
        if (frame && QSize(frame->width, frame->height) == m_shownSize)
            return m_converter.toRgb32Scaled(frame.get(), size);
    }
    const QImage whole = picture(n);
    if (whole.isNull())
        return {};
    const QImage reduced = whole.size() == size ? whole : m_converter.scaled(whole, size);
    return reduced.convertToFormat(QImage::Format_RGB32);
}

namespace {
// Whether the first plane of the format holds 8-bit luma, one byte a pixel.
bool hasPlainLuma(int format)
{
    const AVPixFmtDescriptor* d = av_pix_fmt_desc_get(AVPixelFormat(format));
    const uint64_t other = AV_PIX_FMT_FLAG_RGB | AV_PIX_FMT_FLAG_PAL | AV_PIX_FMT_FLAG_HWACCEL | AV_PIX_FMT_FLAG_BITSTREAM;
    return d && !(d->flags & other) && d->comp[0].plane == 0 && d->comp[0].depth == 8 && d->comp[0].step == 1
        && d->comp[0].offset == 0 && d->comp[0].shift == 0;
}
} // namespace

QImage MediaSource::greyPicture(int n)
{
    if (!isOpen() || n < 0 || n >= expectedFrameCount())
        return {};
    const bool plain = showsDecodedFrame(m_mode);
    if (plain) {
        const SharedFrame frame = decodedFrame(n);
        if (frame && QSize(frame->width, frame->height) == m_shownSize && hasPlainLuma(frame->format)) {
            // The picture keeps the decoded frame alive for as long as it lives.
            auto* keep = new SharedFrame(frame);
            return QImage(frame->data[0], frame->width, frame->height, frame->linesize[0], QImage::Format_Grayscale8,
                          [](void* info) { delete static_cast<SharedFrame*>(info); }, keep);
        }
    }
    return picture(n).convertToFormat(QImage::Format_Grayscale8);
}

bool MediaSource::isDecoded(int n) const
{
    return isOpen() && n >= 0 && n < frameCount() && m_cache->contains(m_owner, recordedOf(n));
}

void MediaSource::decodeAhead(int from, int direction, int count, QSize picture)
{
    if (!isOpen() || count <= 0 || isProvisional(from))
        return; // provisional pictures are decoded on demand only
    if (!m_ahead)
        m_ahead = std::make_unique<DecodeAhead>(m_path, m_index, *m_cache, m_owner);
    const int perFrame = m_mode.picturesPerFrame();
    const bool plain = showsDecodedFrame(m_mode);
    m_ahead->request(std::clamp(from, 0, frameCount() - 1) / perFrame, direction, (count + perFrame - 1) / perFrame,
                     plain ? picture : QSize(), m_shownSize);
}

bool MediaSource::awaitAhead(int n, int timeoutMs)
{
    if (!isOpen() || n < 0 || n >= frameCount())
        return false;
    return m_ahead ? m_ahead->waitFor(recordedOf(n), timeoutMs) : isDecoded(n);
}

QImage MediaSource::readyPicture(int n, QSize size)
{
    if (!isOpen() || !m_ahead || !showsDecodedFrame(m_mode) || n < 0 || n >= frameCount())
        return {};
    return m_ahead->takePicture(recordedOf(n), size);
}
