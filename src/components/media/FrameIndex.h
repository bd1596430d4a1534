#pragma once

#include <cstdint>
#include <unordered_map>
#include <vector>

// Where every picture of a video stream sits: frame n is the n-th picture in presentation order,
// exactly as the decoder outputs it. Built once when a file opens (FrameIndexer), then shared
// read-only by every decoder of that file.
struct FrameIndex {
    // A picture decoding can start from: its presentation position and the timestamp to seek to
    // (the decode timestamp of its packet, which is what demuxers' own indexes hold).
    struct SeekPoint {
        int position = 0;
        int64_t seekTs = 0;
    };

    // Timestamp key of each picture, by position: the packet pts for a trusted demux index, the
    // decoder's best-effort timestamp for an index made by a decode pass.
    std::vector<int64_t> timestamps;
    std::unordered_map<int64_t, int> positionOf; // only timestamps that occur once
    std::vector<SeekPoint> seekPoints;           // ascending position and seek timestamp
    bool fromDecodePass = false;
    // What a decoder learns only from the stream's first packet (see EncoderIdentity), given to every
    // decoder that starts at a later key frame.
    std::vector<std::vector<uint8_t>> startUnits;

    int count() const { return static_cast<int>(timestamps.size()); }
    // The position of a decoded picture with timestamp key `ts`, or -1 when unknown.
    int lookup(int64_t ts) const
    {
        const auto it = positionOf.find(ts);
        return it == positionOf.end() ? -1 : it->second;
    }
    // Index into seekPoints of the last seek point at or before position n (0 when none is).
    int seekPointFor(int n) const;
    // The positions reordered so each seek point's segment is decoded once for all of them: the
    // segments in the order of their first position, each segment's positions ascending. With
    // several shown pictures a position, picture n is of position n / picturesPer.
    std::vector<int> bySegment(const std::vector<int>& pictures, int picturesPer = 1) const;
    void rebuildLookup();
};
