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

    // Bytes one decoded picture of this pixel format and size holds: the block getBuffer gives
    // it, or the bare planes when the codec allocates for itself; 0 when unknown.
    static std::size_t pictureBytes(AVCodecContext* codec, int format, int width, int height);

    // The same memory for other pictures (such as the RGB pictures made from decoded ones): a
    // block of at least `size` bytes, 64-byte aligned, from the free list when one of that size
    // is there. `granted` receives the block's size, which release() needs. Thread-safe.
    static void* acquire(std::size_t size, std::size_t* granted);
    static void release(void* block, std::size_t granted);

    // Bytes held on the free list now (for tests and benchmarks).
    static std::size_t freeBytes();
    // Gives every block on the free list back to the system (a clean start for tests and
    // benchmarks; pictures in use are not touched).
    static void trim();
};
