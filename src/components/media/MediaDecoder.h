#pragma once

#include "FfmpegHandles.h"
#include "FrameIndex.h"

#include <QString>
#include <functional>
#include <unordered_set>

// One demuxer and one video decoder on a file. Not thread-safe: each thread that decodes (the
// user-interface thread, the decode-ahead worker) owns its own MediaDecoder on the same file.
class MediaDecoder {
public:
    // Called for each decoded picture at or after the seek point, in presentation order;
    // returning false stops decoding.
    using FrameSink = std::function<bool(int position, const AVFrame* frame)>;

    MediaDecoder() = default;
    MediaDecoder(const MediaDecoder&) = delete;
    MediaDecoder& operator=(const MediaDecoder&) = delete;

    // What the decoded pictures are for: to be shown, or only their times and order (an index's
    // decode pass), for which codecs that can decode at a reduced size do so (their output
    // order and times are the same).
    enum class Use { Pictures, TimesOnly };
    // Opens the container and the decoder of its main video stream; returns a MediaCode.
    int open(const QString& path, Use use = Use::Pictures);
    void close();
    bool isOpen() const { return m_codec != nullptr; }

    AVFormatContext* format() const { return m_format.get(); }
    AVStream* stream() const { return m_stream; }
    AVCodecContext* codec() const { return m_codec.get(); }

    // Next packet of the video stream (0), AVERROR_EOF at the end, another AVERROR on failure.
    int readVideoPacket(AVPacket* packet);

    // Decodes the pictures at positions [first, last] of `index` into `sink` (it may also receive
    // pictures between the seek point and `first`, which a cache can keep). Pictures before
    // `needFrom` (at most `first`; -1: `first`) that nothing refers to may be left out.
    // Returns true when `last` was reached or the sink stopped; false when the stream ended or
    // failed earlier.
    bool decodeRange(const FrameIndex& index, int first, int last, const FrameSink& sink, int needFrom = -1);

    // True when decoding on from where the last decodeRange stopped reaches `position` without
    // a seek (the position lies ahead in the segment being decoded).
    bool canContinueTo(const FrameIndex& index, int position) const;

    // The first picture whose key (as `index` keys pictures) is at least `key` less half a
    // picture's `step`, reached through the container's own index: for pictures beyond the part
    // of the file `index` knows so far. Decodes on from the last picture this gave when `key`
    // lies less than `reach` ahead of it; else seeks to the key frame before `key`. When the
    // stream ends first, its last picture; null when none was decoded. `found` receives the
    // picture's key.
    AvFramePtr decodeAtKey(const FrameIndex& index, int64_t key, int64_t step, int64_t reach, int64_t* found);

    // The timestamp that identifies a decoded picture in `index`.
    static int64_t frameKey(const FrameIndex& index, const AVFrame* frame);
    // The timestamp a seek point of this packet uses (decode order, as demuxers index it).
    static int64_t packetKey(const AVPacket* packet);

private:
    bool seekTo(const FrameIndex& index, int seekPoint, AVPacket* firstPacket, bool& late);
    // Seeks to the key frame at or before `target` and reads the first packet there.
    bool seekOnce(int64_t target, AVPacket* firstPacket);
    bool restart(AVPacket* firstPacket);
    // Seeks for `first` unless decoding can go on to it; with `below` > 0 to a seek point
    // before that one.
    bool positionFor(const FrameIndex& index, int first, int below = -1);
    // The next picture out of the decoder, fed packets from the stream as it asks (`onPacket`
    // sees each before it goes in): 0, or AVERROR_EOF once the stream is drained.
    int nextPicture(AVFrame* frame, const std::function<void(const AVPacket*)>& onPacket = {});
    enum class Pass { Reached, Failed, Again };
    // A decode again from an earlier seek point because picture `missing` did not come.
    struct Retry {
        int below = -1;
        int missing = -1;
        int count = 0;
    };
    Pass decodePass(const FrameIndex& index, int first, int last, const FrameSink& sink, int needFrom, Retry& retry);
    // Sets the decoder to leave out the picture of `packet` when nothing refers to it and it
    // lies before `needFrom`; true when it will be left out.
    bool skipUnneeded(const FrameIndex& index, const AVPacket* packet, int needFrom);

    // Where a decodeRange left the stream, so the next call for later pictures of the same
    // segment goes on decoding instead of seeking again.
    AvPacketPtr m_packet = makePacket();
    AvFramePtr m_frame = makeFrame();
    bool m_streaming = false;   // the fields below describe the decoder's state
    bool m_havePacket = false;  // m_packet was refused (EAGAIN) and must be sent again
    bool m_draining = false;
    bool m_anchored = false;
    int m_previous = -1;        // position of the last picture out of the decoder
    int m_acceptFrom = 0;       // pictures before the seek point may be damaged
    bool m_skipNonReference = false; // the codec can leave out unneeded pictures exactly
    int m_seekPoint = -1;            // the seek point decoding started from (-1: the file's start)
    std::unordered_set<int> m_badSeekPoints; // seek points after which pictures went missing
    bool m_byKey = false;                    // the decoder stands where decodeAtKey left it
    int64_t m_lastKey = 0;                   // the key of the picture it gave last

    AvFormatInputPtr m_format;
    AvCodecContextPtr m_codec;
    AVStream* m_stream = nullptr;
    QString m_path;
    Use m_use = Use::Pictures;
};
