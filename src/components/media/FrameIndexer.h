#pragma once

#include "FrameIndex.h"

#include <QString>

class MediaDecoder;

// Builds the FrameIndex of a file. The demuxer's packets give it cheaply when their timestamps
// can be trusted to be the decoder's output (every packet has a unique pts, none is empty or
// flagged corrupt, the stream starts on a key frame, the codec shows every frame it decodes).
// Otherwise a decode pass lists what the decoder really outputs: AVI files without
// presentation times, packed or hidden frames, streams that start mid-GOP.
class FrameIndexer {
public:
    // `decoder` is open on `path`; it is left at an unspecified read position. Returns a
    // MediaCode; MediaCorrupt when the stream holds no decodable picture.
    static int build(MediaDecoder& decoder, const QString& path, FrameIndex& index);
};
