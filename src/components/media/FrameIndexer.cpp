#include "FrameIndexer.h"

#include "EncoderIdentity.h"
#include "MediaCodes.h"
#include "MediaDecoder.h"
#include "SampleTableReader.h"

#include <algorithm>
#include <unordered_map>
#include <unordered_set>

namespace {

struct PacketInfo {
    int64_t pts = AV_NOPTS_VALUE;
    int64_t seekTs = AV_NOPTS_VALUE;
    int64_t pos = -1;
    bool key = false;
    bool discard = false;
    bool suspect = false; // empty or flagged corrupt
};

// Every packet of the video stream that `reader` (a MediaDecoder or a SampleTableReader) gives;
// false when reading failed before the end.
template <typename Reader>
bool demuxPackets(Reader& reader, const AVCodecContext* codec, std::vector<PacketInfo>& packets,
                  std::vector<EncoderIdentity::Nal>& startUnits)
{
    packets.clear();
    AvPacketPtr packet = makePacket();
    if (!packet)
        return false;
    int rc = 0;
    while ((rc = reader.readVideoPacket(packet.get())) == 0) {
        if (packets.empty())
            startUnits = EncoderIdentity::userData(codec, packet.get());
        PacketInfo info;
        info.pts = packet->pts;
        info.seekTs = MediaDecoder::packetKey(packet.get());
        info.pos = packet->pos;
        info.key = packet->flags & AV_PKT_FLAG_KEY;
        info.discard = packet->flags & AV_PKT_FLAG_DISCARD;
        info.suspect = packet->size == 0 || (packet->flags & AV_PKT_FLAG_CORRUPT);
        packets.push_back(info);
    }
    return rc == AVERROR_EOF;
}

// The packets as the sample table of an MP4/MOV file lists them, when it lists them all;
// else read from the file by `decoder`.
std::vector<PacketInfo> listPackets(MediaDecoder& decoder, const QString& path, std::vector<EncoderIdentity::Nal>& startUnits)
{
    std::vector<PacketInfo> packets;
    SampleTableReader table;
    if (table.open(path, decoder.stream()->index) && demuxPackets(table, decoder.codec(), packets, startUnits)
        && table.readWholeTable())
        return packets;
    demuxPackets(decoder, decoder.codec(), packets, startUnits);
    return packets;
}

// Codecs whose packets may hold pictures that are decoded but never shown (VP8 alternate
// reference frames) or several pictures at once.
bool codecShowsEveryPacket(AVCodecID id)
{
    return id != AV_CODEC_ID_VP8 && id != AV_CODEC_ID_MPEG4 && id != AV_CODEC_ID_MSMPEG4V3;
}

bool demuxIndexTrusted(const MediaDecoder& decoder, const std::vector<PacketInfo>& packets)
{
    if (!codecShowsEveryPacket(decoder.codec()->codec_id))
        return false;
    // AVI stores no presentation times: its pts are decode positions, which are the pictures'
    // own order only where every picture is decoded on its own (Motion JPEG, raw, DV: what
    // high-speed cameras write).
    const AVCodecDescriptor* codec = avcodec_descriptor_get(decoder.codec()->codec_id);
    const bool intraOnly = codec && (codec->props & AV_CODEC_PROP_INTRA_ONLY);
    if (std::string_view(decoder.format()->iformat->name) == "avi" && !intraOnly)
        return false;
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

void indexFromPackets(const std::vector<PacketInfo>& packets, FrameIndex& index)
{
    index = FrameIndex{};
    for (const PacketInfo& p : packets)
        if (!p.discard)
            index.timestamps.push_back(p.pts);
    std::sort(index.timestamps.begin(), index.timestamps.end());
    for (const PacketInfo& p : packets) {
        if (!p.key || p.discard)
            continue;
        const auto it = std::lower_bound(index.timestamps.begin(), index.timestamps.end(), p.pts);
        index.seekPoints.push_back({static_cast<int>(it - index.timestamps.begin()), p.seekTs});
    }
    finishSeekPoints(index, firstSeekTs(packets));
    index.rebuildLookup();
}

int indexByDecoding(MediaDecoder& decoder, const QString& path, const std::vector<PacketInfo>& packets,
                    FrameIndex& index, FirstPicture* first)
{
    index = FrameIndex{};
    index.fromDecodePass = true;
    if (const int rc = decoder.open(path); rc != MediaOk)
        return rc;
    std::unordered_map<int64_t, const PacketInfo*> byPos;
    for (const PacketInfo& p : packets)
        if (p.pos >= 0)
            byPos.emplace(p.pos, &p);

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
                if (it != byPos.end() && it->second->key)
                    index.seekPoints.push_back({position, it->second->seekTs});
            }
            av_frame_unref(frame.get());
        }
    };
    while (decoder.readVideoPacket(packet.get()) == 0) {
        // Errors in one packet leave the rest of the file decodable.
        while (avcodec_send_packet(decoder.codec(), packet.get()) == AVERROR(EAGAIN))
            collect();
        collect();
    }
    avcodec_send_packet(decoder.codec(), nullptr);
    collect();
    finishSeekPoints(index, firstSeekTs(packets));
    index.rebuildLookup();
    return MediaOk;
}

} // namespace

int FrameIndexer::build(MediaDecoder& decoder, const QString& path, FrameIndex& index, FirstPicture* first)
{
    if (first)
        *first = FirstPicture{};
    std::vector<EncoderIdentity::Nal> startUnits;
    const std::vector<PacketInfo> packets = listPackets(decoder, path, startUnits);
    if (packets.empty())
        return MediaCorrupt;
    if (demuxIndexTrusted(decoder, packets)) {
        indexFromPackets(packets, index);
    } else {
        const int rc = indexByDecoding(decoder, path, packets, index, first);
        if (rc != MediaOk)
            return rc;
    }
    index.startUnits = std::move(startUnits);
    return index.count() > 0 ? MediaOk : MediaCorrupt;
}
