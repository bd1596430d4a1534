#include "FrameBuffers.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/imgutils.h>
#include <libavutil/pixdesc.h>
}

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <mutex>
#include <unordered_map>
#include <vector>

#if defined(_WIN32)
#include <malloc.h>
#else
#include <sys/mman.h>
#endif

namespace {

constexpr std::size_t PlaneAlign = 64;   // the widest SIMD loads of the decoders
constexpr std::size_t PlanePadding = 80; // decoders may read a little past a plane's end

std::size_t roundUp(std::size_t n, std::size_t unit) { return (n + unit - 1) / unit * unit; }

void* allocateBlock(std::size_t size)
{
    const std::size_t align = size >= FrameBuffers::HugeFrom ? FrameBuffers::HugePage : PlaneAlign;
#if defined(_WIN32)
    return _aligned_malloc(size, align);
#else
    void* p = std::aligned_alloc(align, size);
#if defined(MADV_HUGEPAGE)
    if (p && align == FrameBuffers::HugePage)
        madvise(p, size, MADV_HUGEPAGE); // a hint: without huge pages the block still works
#endif
    return p;
#endif
}

void freeBlock(void* p)
{
#if defined(_WIN32)
    _aligned_free(p);
#else
    std::free(p);
#endif
}

// The free list, one per process. Pictures released after it is destroyed at exit (by other
// static objects such as the shared frame cache) are freed directly.
class Recycler {
public:
    Recycler() { s_alive = true; }
    ~Recycler()
    {
        std::lock_guard lock(m_mutex);
        s_alive = false;
        for (auto& [size, blocks] : m_free)
            for (void* p : blocks)
                freeBlock(p);
        m_free.clear();
    }

    static Recycler& instance()
    {
        static Recycler recycler;
        return recycler;
    }

    void* take(std::size_t size)
    {
        {
            std::lock_guard lock(m_mutex);
            const auto it = m_free.find(size);
            if (it != m_free.end() && !it->second.empty()) {
                void* p = it->second.back();
                it->second.pop_back();
                m_bytes -= size;
                return p;
            }
        }
        return allocateBlock(size);
    }

    void give(void* p, std::size_t size)
    {
        {
            std::lock_guard lock(m_mutex);
            if (m_bytes + size <= FrameBuffers::FreeListBytes) {
                m_free[size].push_back(p);
                m_bytes += size;
                return;
            }
        }
        freeBlock(p);
    }

    void trim()
    {
        std::unordered_map<std::size_t, std::vector<void*>> blocks;
        {
            std::lock_guard lock(m_mutex);
            blocks.swap(m_free);
            m_bytes = 0;
        }
        for (auto& [size, list] : blocks)
            for (void* p : list)
                freeBlock(p);
    }

    std::size_t bytes()
    {
        std::lock_guard lock(m_mutex);
        return m_bytes;
    }

    static void release(void* opaque, uint8_t* data)
    {
        const auto size = reinterpret_cast<std::uintptr_t>(opaque);
        if (s_alive)
            instance().give(data, size);
        else
            freeBlock(data);
    }

private:
    static inline std::atomic<bool> s_alive{false};
    std::mutex m_mutex;
    std::unordered_map<std::size_t, std::vector<void*>> m_free;
    std::size_t m_bytes = 0;
};

bool ownAllocationFits(const AVCodecContext* codec, int format, int width, int height)
{
    if (codec->codec_type != AVMEDIA_TYPE_VIDEO || !codec->codec
        || !(codec->codec->capabilities & AV_CODEC_CAP_DR1) || width <= 0 || height <= 0)
        return false;
    const AVPixFmtDescriptor* desc = av_pix_fmt_desc_get(static_cast<AVPixelFormat>(format));
    return desc && !(desc->flags & (AV_PIX_FMT_FLAG_HWACCEL | AV_PIX_FMT_FLAG_PAL | AV_PIX_FMT_FLAG_BITSTREAM));
}

// Where the planes of one picture sit in its block, by the decoder's own rules for the padded
// size and line alignment, applied the way the codec library's allocator applies them.
struct BlockLayout {
    int linesize[4] = {};
    std::size_t offset[4] = {};
    std::size_t planeSize[4] = {};
    std::size_t total = 0; // 0: the layout cannot be made
};

BlockLayout layoutOf(AVCodecContext* codec, AVPixelFormat format, int width, int height)
{
    BlockLayout layout;
    int w = width;
    int h = height;
    int lineAlign[AV_NUM_DATA_POINTERS] = {};
    avcodec_align_dimensions2(codec, &w, &h, lineAlign);
    for (;;) {
        if (av_image_fill_linesizes(layout.linesize, format, w) < 0)
            return {};
        bool aligned = true;
        for (int i = 0; i < 4; ++i)
            aligned = aligned && (lineAlign[i] <= 0 || layout.linesize[i] % lineAlign[i] == 0);
        if (aligned)
            break;
        w += w & ~(w - 1);
    }
    const ptrdiff_t strides[4] = {layout.linesize[0], layout.linesize[1], layout.linesize[2], layout.linesize[3]};
    if (av_image_fill_plane_sizes(layout.planeSize, format, h, strides) < 0)
        return {};
    std::size_t total = 0;
    for (int i = 0; i < 4 && layout.planeSize[i]; ++i) {
        layout.offset[i] = total;
        total = roundUp(total + layout.planeSize[i] + PlanePadding, PlaneAlign);
    }
    if (total >= FrameBuffers::HugeFrom)
        total = roundUp(total, FrameBuffers::HugePage);
    layout.total = total;
    return layout;
}

} // namespace

int FrameBuffers::getBuffer(AVCodecContext* codec, AVFrame* frame, int flags)
{
    if (!ownAllocationFits(codec, frame->format, frame->width, frame->height))
        return avcodec_default_get_buffer2(codec, frame, flags);
    const BlockLayout layout = layoutOf(codec, static_cast<AVPixelFormat>(frame->format), frame->width, frame->height);
    if (layout.total == 0)
        return avcodec_default_get_buffer2(codec, frame, flags);

    const std::size_t total = layout.total;
    void* block = Recycler::instance().take(total);
    if (!block)
        return AVERROR(ENOMEM);
    AVBufferRef* ref = av_buffer_create(static_cast<uint8_t*>(block), total, &Recycler::release,
                                        reinterpret_cast<void*>(static_cast<std::uintptr_t>(total)), 0);
    if (!ref) {
        Recycler::instance().give(block, total);
        return AVERROR(ENOMEM);
    }
    for (int i = 0; i < AV_NUM_DATA_POINTERS; ++i) {
        const bool used = i < 4 && layout.planeSize[i];
        frame->data[i] = used ? ref->data + layout.offset[i] : nullptr;
        frame->linesize[i] = used ? layout.linesize[i] : 0;
        frame->buf[i] = nullptr;
    }
    frame->buf[0] = ref;
    frame->extended_data = frame->data;
    return 0;
}

std::size_t FrameBuffers::pictureBytes(AVCodecContext* codec, int format, int width, int height)
{
    if (!codec || format < 0 || width <= 0 || height <= 0)
        return 0;
    if (ownAllocationFits(codec, format, width, height))
        if (const std::size_t total = layoutOf(codec, static_cast<AVPixelFormat>(format), width, height).total)
            return total;
    const int bytes = av_image_get_buffer_size(static_cast<AVPixelFormat>(format), width, height, 1);
    return bytes > 0 ? static_cast<std::size_t>(bytes) : 0;
}

void* FrameBuffers::acquire(std::size_t size, std::size_t* granted)
{
    std::size_t total = roundUp(std::max<std::size_t>(size, 1), PlaneAlign);
    if (total >= HugeFrom)
        total = roundUp(total, HugePage);
    void* block = Recycler::instance().take(total);
    *granted = block ? total : 0;
    return block;
}

void FrameBuffers::release(void* block, std::size_t granted)
{
    if (block)
        Recycler::release(reinterpret_cast<void*>(static_cast<std::uintptr_t>(granted)), static_cast<uint8_t*>(block));
}

std::size_t FrameBuffers::freeBytes() { return Recycler::instance().bytes(); }

void FrameBuffers::trim() { Recycler::instance().trim(); }
