#pragma once

// Owning handles for the FFmpeg objects the media engine uses: every allocation has exactly one
// owner, released by the matching FFmpeg free function.
extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/frame.h>
#include <libswscale/swscale.h>
}

#include <cstring>
#include <memory>
#include <type_traits>

struct AvFormatInputDeleter {
    void operator()(AVFormatContext* p) const { avformat_close_input(&p); }
};
struct AvFormatOutputDeleter {
    // An output context owns its I/O context only after avio_open; close it here too.
    void operator()(AVFormatContext* p) const
    {
        if (p && p->pb && !(p->oformat->flags & AVFMT_NOFILE))
            avio_closep(&p->pb);
        avformat_free_context(p);
    }
};
struct AvCodecContextDeleter {
    void operator()(AVCodecContext* p) const { avcodec_free_context(&p); }
};
struct AvFrameDeleter {
    void operator()(AVFrame* p) const { av_frame_free(&p); }
};
struct AvPacketDeleter {
    void operator()(AVPacket* p) const { av_packet_free(&p); }
};
struct SwsContextDeleter {
    void operator()(SwsContext* p) const { sws_freeContext(p); }
};

using AvFormatInputPtr = std::unique_ptr<AVFormatContext, AvFormatInputDeleter>;
using AvFormatOutputPtr = std::unique_ptr<AVFormatContext, AvFormatOutputDeleter>;
using AvCodecContextPtr = std::unique_ptr<AVCodecContext, AvCodecContextDeleter>;
using AvFramePtr = std::unique_ptr<AVFrame, AvFrameDeleter>;
using AvPacketPtr = std::unique_ptr<AVPacket, AvPacketDeleter>;
using SwsContextPtr = std::unique_ptr<SwsContext, SwsContextDeleter>;

// Decoded frames are shared read-only between the cache, the decode-ahead worker and callers.
using SharedFrame = std::shared_ptr<const AVFrame>;

// The raw number in an enum field that a file filled in: a corrupt file can carry a value the
// enum does not name, and reading the field as the enum type would then be undefined.
template <typename E>
int rawEnum(const E& field)
{
    static_assert(std::is_enum_v<E> && sizeof(E) == sizeof(int));
    int value = 0;
    std::memcpy(&value, &field, sizeof value);
    return value;
}

inline AvFramePtr makeFrame() { return AvFramePtr(av_frame_alloc()); }
inline AvPacketPtr makePacket() { return AvPacketPtr(av_packet_alloc()); }

// A new reference to the picture data of `src`, owned by the returned pointer (null on failure).
inline SharedFrame shareFrame(const AVFrame* src)
{
    AvFramePtr copy = makeFrame();
    if (!copy || av_frame_ref(copy.get(), src) < 0)
        return {};
    return SharedFrame(copy.release(), [](const AVFrame* p) {
        AVFrame* f = const_cast<AVFrame*>(p);
        av_frame_free(&f);
    });
}
