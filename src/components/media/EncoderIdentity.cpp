#include "EncoderIdentity.h"

extern "C" {
#include <libavcodec/avcodec.h>
}

#include <cstring>

namespace EncoderIdentity {

namespace {
constexpr int kNalSei = 6;
constexpr int kUserDataUnregistered = 5;

// The length prefix's size of the packets ("avcC" extradata), or 0 for start codes.
int lengthSize(const AVCodecContext* codec)
{
    if (codec->extradata_size >= 7 && codec->extradata[0] == 1)
        return (codec->extradata[4] & 3) + 1;
    return 0;
}

std::vector<std::pair<const uint8_t*, int>> units(const AVCodecContext* codec, const AVPacket* packet)
{
    std::vector<std::pair<const uint8_t*, int>> out;
    const uint8_t* p = packet->data;
    const int size = packet->size;
    if (const int len = lengthSize(codec)) {
        for (int at = 0; at + len <= size;) {
            int n = 0;
            for (int i = 0; i < len; ++i)
                n = (n << 8) | p[at + i];
            at += len;
            if (n <= 0 || n > size - at)
                break;
            out.emplace_back(p + at, n);
            at += n;
        }
        return out;
    }
    // Start codes: 00 00 01, possibly after a further zero.
    int begin = -1;
    for (int i = 0; i + 2 < size; ++i) {
        if (p[i] == 0 && p[i + 1] == 0 && p[i + 2] == 1) {
            if (begin >= 0) {
                int end = i;
                while (end > begin && p[end - 1] == 0)
                    --end;
                out.emplace_back(p + begin, end - begin);
            }
            begin = i + 3;
            i += 2;
        }
    }
    if (begin >= 0 && begin < size)
        out.emplace_back(p + begin, size - begin);
    return out;
}
} // namespace

std::vector<Nal> userData(const AVCodecContext* codec, const AVPacket* packet)
{
    std::vector<Nal> out;
    if (!codec || codec->codec_id != AV_CODEC_ID_H264 || !packet || !packet->data)
        return out;
    for (const auto& [data, size] : units(codec, packet)) {
        if (size < 3 || (data[0] & 0x1f) != kNalSei)
            continue;
        // The first message's type: a run of 0xFF bytes adds 255 each, then the last byte.
        int type = 0, i = 1;
        while (i < size && data[i] == 0xff)
            type += data[i++];
        if (i < size && type + data[i] == kUserDataUnregistered)
            out.emplace_back(data, data + size);
    }
    return out;
}

bool prepend(const AVCodecContext* codec, AVPacket* packet, const std::vector<Nal>& units)
{
    if (units.empty() || !packet || !packet->data)
        return true;
    const int len = lengthSize(codec);
    const int prefix = len ? len : 4;
    int extra = 0;
    for (const Nal& u : units)
        extra += prefix + int(u.size());
    if (av_packet_make_writable(packet) < 0)
        return false;
    const int old = packet->size;
    if (av_grow_packet(packet, extra) < 0)
        return false;
    std::memmove(packet->data + extra, packet->data, size_t(old));
    uint8_t* at = packet->data;
    for (const Nal& u : units) {
        const uint32_t n = uint32_t(u.size());
        for (int i = 0; i < prefix; ++i)
            at[i] = len ? uint8_t(n >> (8 * (prefix - 1 - i))) : uint8_t(i == prefix - 1 ? 1 : 0);
        std::memcpy(at + prefix, u.data(), u.size());
        at += prefix + u.size();
    }
    return true;
}

} // namespace EncoderIdentity
