#pragma once

#include <cstddef>

struct AVCodecContext;
struct AVFrame;

// Picture memory for the decoders, shared by every open file. Each decoded picture gets one
// block for all its planes; a released block goes back to a bounded free list and the next
// picture of the same size reuses it, so a decoder feeding the frame cache does not ask the
// system for fresh memory for every picture (as the codec's own per-decoder pools do once the
// cache holds their pictures), and evicted pictures stop holding memory once the free list is
// full. Large blocks are whole 2 MiB units marked for huge pages on Linux: filling a cache of
// several hundred pictures then takes a few hundred page faults instead of hundreds of
// thousands.
class FrameBuffers {
public:
    // For AVCodecContext::get_buffer2; thread-safe. Falls back to the codec's own allocator
    // for audio, hardware and palette formats and for codecs that cannot use outside memory.
    static int getBuffer(AVCodecContext* codec, AVFrame* frame, int flags);

    // Bytes of released blocks kept for reuse at most.
    static constexpr std::size_t FreeListBytes = std::size_t(96) << 20;
    // Blocks of at least this size are rounded up to whole huge pages.
    static constexpr std::size_t HugeFrom = std::size_t(1) << 20;
    static constexpr std::size_t HugePage = std::size_t(2) << 20;

    // Bytes held on the free list now (for tests and benchmarks).
    static std::size_t freeBytes();
};
