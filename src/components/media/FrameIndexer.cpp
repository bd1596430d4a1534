#include "FrameIndexer.h"

#include "EncoderIdentity.h"
#include "MediaCodes.h"
#include "MediaDecoder.h"
#include "SampleTableReader.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <unordered_map>
#include <unordered_set>

namespace {

struct PacketInfo {
    int64_t pts = AV_NOPTS_VALUE;
    int64_t dts = AV_NOPTS_VALUE;
    int64_t seekTs = AV_NOPTS_VALUE;
    bool key = false;
    bool discard = false;
    bool suspect = false; // empty or flagged corrupt
};

// Tells a listener what a build has found so far, and asks it whether to stop.
class Reporter {
public:
    Reporter(FrameIndexer::Listener* listener, const MediaDecoder& decoder, const std::vector<EncoderIdentity::Nal>& startUnits)
        : m_listener(listener), m_startUnits(startUnits),
          m_fileSize(decoder.format()->pb ? avio_size(decoder.format()->pb) : -1)
    {
    }
    bool stop()
    {
        m_stopped = m_stopped || (m_listener && m_listener->stopRequested());
        return m_stopped;
    }
    bool stopped() const { return m_stopped; }
    // Hands the listener the part `make` builds, when one is due: at once until there is a
    // first, then every 100 ms, and less often when making a part takes long (an index of
    // millions of frames, or packets that prove untrustworthy only at the end): making parts
    // costs at most a tenth of the build.
    template <typename Make>
    void offer(const Make& make, int64_t filePos)
    {
        using Clock = std::chrono::steady_clock;
        const auto start = Clock::now();
        if (!m_listener || start - m_last < m_interval)
            return;
        std::shared_ptr<FrameIndex> sofar = make();
        m_last = Clock::now();
        const bool any = sofar && sofar->count() > 0;
        m_published = m_published || any;
        m_interval = std::max<Clock::duration>(std::chrono::milliseconds(m_published ? 100 : 0), 10 * (m_last - start));
        if (!any)
            return;
        sofar->startUnits = m_startUnits;
        const double fraction = m_fileSize > 0 && filePos >= 0 ? std::clamp(double(filePos) / double(m_fileSize), 0.0, 1.0) : 0.0;
        m_listener->partial(std::move(sofar), fraction);
    }

private:
    FrameIndexer::Listener* m_listener;
    const std::vector<EncoderIdentity::Nal>& m_startUnits;
    int64_t m_fileSize;
    bool m_stopped = false;
    bool m_published = false;
    std::chrono::steady_clock::time_point m_last;
    std::chrono::steady_clock::duration m_interval{};
};

std::shared_ptr<FrameIndex> prefixFromPackets(const std::vector<PacketInfo>& packets);

// Every packet of the video stream that `reader` (a MediaDecoder or a SampleTableReader) gives;
// false when reading failed or was stopped before the end.
template <typename Reader>
bool demuxPackets(Reader& reader, const AVCodecContext* codec, std::vector<PacketInfo>& packets,
                  std::vector<EncoderIdentity::Nal>& startUnits, Reporter& report)
{
    packets.clear();
    AvPacketPtr packet = makePacket();
    if (!packet)
        return false;
    int rc = 0;
    while ((rc = reader.readVideoPacket(packet.get())) == 0) {
        if (report.stop())
            return false;
        if (packets.empty())
            startUnits = EncoderIdentity::userData(codec, packet.get());
        PacketInfo info;
        info.pts = packet->pts;
        info.dts = packet->dts;
        info.seekTs = MediaDecoder::packetKey(packet.get());
        info.key = packet->flags & AV_PKT_FLAG_KEY;
        info.discard = packet->flags & AV_PKT_FLAG_DISCARD;
        info.suspect = packet->size == 0 || (packet->flags & AV_PKT_FLAG_CORRUPT);
        packets.push_back(info);
        report.offer([&packets] { return prefixFromPackets(packets); }, packet->pos);
    }
    return rc == AVERROR_EOF;
}

// The packets as the sample table of an MP4/MOV file lists them, when it lists them all;
// else read from the file by `decoder`.
std::vector<PacketInfo> listPackets(MediaDecoder& decoder, const QString& path, std::vector<EncoderIdentity::Nal>& startUnits,
                                    Reporter& report)
{
    std::vector<PacketInfo> packets;
    SampleTableReader table;
    if (table.open(path, decoder.stream()->index) && demuxPackets(table, decoder.codec(), packets, startUnits, report)
        && table.readWholeTable())
        return packets;
    if (!report.stopped())
        demuxPackets(decoder, decoder.codec(), packets, startUnits, report);
    return packets;
}

// Codecs whose packets may hold pictures that are decoded but never shown (VP8 alternate
// reference frames) or several pictures at once.
bool codecShowsEveryPacket(AVCodecID id)
{
    return id != AV_CODEC_ID_VP8 && id != AV_CODEC_ID_MPEG4 && id != AV_CODEC_ID_MSMPEG4V3;
}

// Whether the demuxer's packets cannot give the pictures' order whatever they hold: AVI stores no
// presentation times (its pts are decode positions, which are the pictures' own order only where
// every picture is decoded on its own: Motion JPEG, raw, DV, what high-speed cameras write), and
// some codecs' packets hold pictures never shown or several at once.
bool needsDecodePass(const MediaDecoder& decoder)
{
    if (!codecShowsEveryPacket(decoder.codec()->codec_id))
        return true;
    const AVCodecDescriptor* codec = avcodec_descriptor_get(decoder.codec()->codec_id);
    const bool intraOnly = codec && (codec->props & AV_CODEC_PROP_INTRA_ONLY);
    return std::string_view(decoder.format()->iformat->name) == "avi" && !intraOnly;
}

bool demuxIndexTrusted(const std::vector<PacketInfo>& packets)
{
    std::unordered_set<int64_t> seen;
    bool first = true;
    for (const PacketInfo& p : packets) {
        if (p.discard)
            continue;
        if (first && !p.key)
            return false;
        first = false;
        if (p.pts == AV_NOPTS_VALUE || p.suspect || !seen.insert(p.pts).second)
            return false;
    }
    return !first;
}

// Seek points must grow in both position and seek timestamp; the first is the file's start.
void finishSeekPoints(FrameIndex& index, int64_t startTs)
{
    std::sort(index.seekPoints.begin(), index.seekPoints.end(),
              [](const auto& a, const auto& b) { return a.position < b.position; });
    std::vector<FrameIndex::SeekPoint> points{{0, startTs}};
    for (const auto& p : index.seekPoints) {
        if (p.position <= points.back().position || p.seekTs == AV_NOPTS_VALUE)
            continue;
        if (points.back().seekTs != AV_NOPTS_VALUE && p.seekTs <= points.back().seekTs)
            continue;
        points.push_back(p);
    }
    index.seekPoints = std::move(points);
}

int64_t firstSeekTs(const std::vector<PacketInfo>& packets)
{
    return packets.empty() ? AV_NOPTS_VALUE : packets.front().seekTs;
}

// The index of `packets`, of the pictures shown before `bound` only.
void indexFromPackets(const std::vector<PacketInfo>& packets, FrameIndex& index, int64_t bound = INT64_MAX)
{
    index = FrameIndex{};
    for (const PacketInfo& p : packets)
        if (!p.discard && p.pts < bound)
            index.timestamps.push_back(p.pts);
    std::sort(index.timestamps.begin(), index.timestamps.end());
    for (const PacketInfo& p : packets) {
        if (!p.key || p.discard || p.pts >= bound)
            continue;
        const auto it = std::lower_bound(index.timestamps.begin(), index.timestamps.end(), p.pts);
        index.seekPoints.push_back({static_cast<int>(it - index.timestamps.begin()), p.seekTs});
    }
    finishSeekPoints(index, firstSeekTs(packets));
    index.rebuildLookup();
}

// The pictures of the packets read so far whose positions no later packet can change: a
// packet's pts is never below its dts and dts only grow, so those shown before the last dts.
std::shared_ptr<FrameIndex> prefixFromPackets(const std::vector<PacketInfo>& packets)
{
    if (packets.empty() || packets.back().dts == AV_NOPTS_VALUE || !demuxIndexTrusted(packets))
        return {};
    auto index = std::make_shared<FrameIndex>();
    indexFromPackets(packets, *index, packets.back().dts);
    return index;
}

// Lists what the decoder really outputs, reading the packets itself.
int indexByDecoding(const QString& path, FrameIndex& index, FirstPicture* first, std::vector<EncoderIdentity::Nal>& startUnits,
                    Reporter& report)
{
    index = FrameIndex{};
    index.fromDecodePass = true;
    MediaDecoder decoder;
    if (const int rc = decoder.open(path, MediaDecoder::Use::TimesOnly); rc != MediaOk)
        return rc;
    // Pictures decoded at a reduced size tell nothing of the first picture's size.
    if (decoder.codec()->lowres > 0)
        first = nullptr;
    struct Source {
        bool key = false;
        int64_t seekTs = AV_NOPTS_VALUE;
    };
    std::unordered_map<int64_t, Source> byPos; // the packets read so far, by file position
    int64_t startTs = AV_NOPTS_VALUE;

    AvPacketPtr packet = makePacket();
    AvFramePtr frame = makeFrame();
    if (!packet || !frame)
        return MediaOutOfMemory;
    auto collect = [&]() {
        while (avcodec_receive_frame(decoder.codec(), frame.get()) == 0) {
            const int position = index.count();
            if (position == 0 && first)
                *first = {true, frame->width, frame->height, frame->format, frame->interlaced_frame != 0};
            index.timestamps.push_back(frame->best_effort_timestamp);
            if (frame->key_frame && frame->pkt_pos >= 0) {
                const auto it = byPos.find(frame->pkt_pos);
                if (it != byPos.end() && it->second.key)
                    index.seekPoints.push_back({position, it->second.seekTs});
            }
            av_frame_unref(frame.get());
        }
    };
    // Pictures come out in their order: what has come is final.
    auto sofar = [&]() {
        auto part = std::make_shared<FrameIndex>(index);
        finishSeekPoints(*part, startTs);
        part->rebuildLookup();
        return part;
    };
    bool any = false;
    while (decoder.readVideoPacket(packet.get()) == 0) {
        if (report.stop())
            return MediaStopped;
        if (index.count() > 0)
            report.offer(sofar, packet->pos);
        if (!any) {
            startUnits = EncoderIdentity::userData(decoder.codec(), packet.get());
            startTs = MediaDecoder::packetKey(packet.get());
            any = true;
        }
        if (packet->pos >= 0)
            byPos.emplace(packet->pos, Source{(packet->flags & AV_PKT_FLAG_KEY) != 0, MediaDecoder::packetKey(packet.get())});
        // Errors in one packet leave the rest of the file decodable.
        while (avcodec_send_packet(decoder.codec(), packet.get()) == AVERROR(EAGAIN))
            collect();
        collect();
    }
    if (!any)
        return MediaCorrupt;
    avcodec_send_packet(decoder.codec(), nullptr);
    collect();
    finishSeekPoints(index, startTs);
    index.rebuildLookup();
    return MediaOk;
}

} // namespace

int FrameIndexer::build(MediaDecoder& decoder, const QString& path, FrameIndex& index, FirstPicture* first,
                        Listener* listener)
{
    if (first)
        *first = FirstPicture{};
    std::vector<EncoderIdentity::Nal> startUnits;
    Reporter report(listener, decoder, startUnits);
    if (needsDecodePass(decoder)) {
        if (const int rc = indexByDecoding(path, index, first, startUnits, report); rc != MediaOk)
            return rc;
    } else {
        const std::vector<PacketInfo> packets = listPackets(decoder, path, startUnits, report);
        if (report.stopped())
            return MediaStopped;
        if (packets.empty())
            return MediaCorrupt;
        if (demuxIndexTrusted(packets))
            indexFromPackets(packets, index);
        else if (const int rc = indexByDecoding(path, index, first, startUnits, report); rc != MediaOk)
            return rc;
    }
    index.startUnits = std::move(startUnits);
    return index.count() > 0 ? MediaOk : MediaCorrupt;
}
