#pragma once

#include "FrameIndex.h"

#include <QString>
#include <memory>

class MediaDecoder;

// What the first picture of the stream looked like, when building the index decoded it.
struct FirstPicture {
    bool known = false;
    int width = 0;
    int height = 0;
    int format = -1; // AVPixelFormat
    bool interlaced = false; // as the picture itself is flagged
};

// Builds the FrameIndex of a file. The demuxer's packets give it cheaply when their timestamps
// can be trusted to be the decoder's output (every packet has a unique pts, none is empty or
// flagged corrupt, the stream starts on a key frame, the codec shows every frame it decodes).
// Otherwise a decode pass lists what the decoder really outputs: AVI files without
// presentation times, packed or hidden frames, streams that start mid-GOP.
class FrameIndexer {
public:
    // Told of a build's progress, from the thread that builds.
    class Listener {
    public:
        virtual ~Listener() = default;
        // Asked often: true ends the build (it then returns MediaStopped).
        virtual bool stopRequested() const = 0;
        // Every 100 ms or more: the pictures whose positions are final so far (a prefix of the
        // finished index, never empty), and how much of the file has been read (0 .. 1).
        virtual void partial(std::shared_ptr<const FrameIndex> sofar, double fraction) = 0;
    };

    // `decoder` is open on `path`; it is left at an unspecified read position. Returns a
    // MediaCode; MediaCorrupt when the stream holds no decodable picture. `first` learns the
    // first picture's shape when a decode pass made the index (and stays unknown otherwise).
    static int build(MediaDecoder& decoder, const QString& path, FrameIndex& index, FirstPicture* first = nullptr,
                     Listener* listener = nullptr);
};
