#include "DecodeAhead.h"

#include "FrameCache.h"
#include "MediaCodes.h"
#include "MediaDecoder.h"

#include <algorithm>
#include <chrono>

extern "C" {
#include <libavutil/frame.h>
}

namespace {
// Pictures kept for a viewer to take: the window of a request and some to spare. Only forwards:
// backwards a window is decoded from its start, the frame shown first last.
constexpr std::size_t kPicturesKept = 24;
} // namespace

DecodeAhead::DecodeAhead(const QString& path, std::shared_ptr<const FrameIndex> index, FrameCache& cache,
                         uint64_t owner)
    : m_path(path), m_index(std::move(index)), m_cache(cache), m_owner(owner)
{
    m_thread = std::thread([this] { run(); });
}

DecodeAhead::~DecodeAhead()
{
    {
        std::lock_guard lock(m_mutex);
        m_quit = true;
        ++m_generation;
    }
    m_wake.notify_all();
    m_thread.join();
}

void DecodeAhead::request(int from, int direction, int count, QSize picture, QSize frameSize)
{
    {
        std::lock_guard lock(m_mutex);
        m_request = {from, direction >= 0 ? 1 : -1, count, picture, frameSize};
        m_pending = true;
        ++m_generation;
    }
    m_wake.notify_all();
}

void DecodeAhead::cancel()
{
    std::lock_guard lock(m_mutex);
    m_pending = false;
    ++m_generation;
}

bool DecodeAhead::waitIdle(int timeoutMs)
{
    std::unique_lock lock(m_mutex);
    return m_idle.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this] { return !m_pending && !m_busy; });
}

bool DecodeAhead::waitFor(int position, int timeoutMs)
{
    std::unique_lock lock(m_mutex);
    m_idle.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                    [&] { return m_cache.contains(m_owner, position) || (!m_pending && !m_busy); });
    return m_cache.contains(m_owner, position);
}

QImage DecodeAhead::takePicture(int position, QSize size)
{
    std::lock_guard lock(m_mutex);
    const auto it = m_pictures.find(position);
    if (it == m_pictures.end() || it->second.size() != size)
        return {};
    QImage picture = std::move(it->second);
    m_pictures.erase(it);
    return picture;
}

void DecodeAhead::dropPictures()
{
    std::lock_guard lock(m_mutex);
    m_pictures.clear();
}

// Made outside the lock; the earliest go first when too many wait (frames the viewer passed).
void DecodeAhead::keepPicture(const Request& request, int position, const AVFrame* frame)
{
    if (request.direction < 0 || request.picture.isEmpty() || QSize(frame->width, frame->height) != request.frameSize)
        return;
    QImage picture = m_converter.toRgb32Scaled(frame, request.picture);
    if (picture.isNull())
        return;
    std::lock_guard lock(m_mutex);
    m_pictures[position] = std::move(picture);
    while (m_pictures.size() > kPicturesKept)
        m_pictures.erase(m_pictures.begin());
}

void DecodeAhead::run()
{
    MediaDecoder decoder; // opened on first use, on this thread
    for (;;) {
        Request request;
        uint64_t generation = 0;
        {
            std::unique_lock lock(m_mutex);
            m_busy = false;
            m_idle.notify_all();
            m_wake.wait(lock, [this] { return m_quit || m_pending; });
            if (m_quit)
                return;
            request = m_request;
            generation = m_generation;
            m_pending = false;
            m_busy = true;
        }
        if (!decoder.isOpen() && decoder.open(m_path) != MediaOk)
            continue;
        work(decoder, request, generation);
    }
}

void DecodeAhead::setIndex(std::shared_ptr<const FrameIndex> index)
{
    std::lock_guard lock(m_mutex);
    m_index = std::move(index);
}

void DecodeAhead::work(MediaDecoder& decoder, const Request& request, uint64_t generation)
{
    std::shared_ptr<const FrameIndex> held;
    {
        std::lock_guard lock(m_mutex);
        held = m_index;
    }
    const FrameIndex& index = *held;
    const int count = index.count();
    auto current = [&] {
        std::lock_guard lock(m_mutex);
        return m_generation == generation;
    };
    auto decodeSpan = [&](int first, int last) {
        int done = -1;
        decoder.decodeRange(index, first, last, [&](int position, const AVFrame* frame) {
            if (position >= first) {
                // The picture first: a viewer paints once the frame is in the cache, and should
                // not convert it itself meanwhile.
                keepPicture(request, position, frame);
                m_cache.insert(m_owner, position, frame);
                {
                    // Taken once, so a reader checking the cache under the lock cannot miss it.
                    std::lock_guard lock(m_mutex);
                }
                m_idle.notify_all();
                done = position;
                emit framesReady(position, position); // a playing view may be waiting for it
            }
            return current();
        });
        return done >= last;
    };

    if (request.direction > 0) {
        const int last = std::min(count - 1, request.from + request.count - 1);
        int p = std::max(0, request.from);
        while (p <= last && current()) {
            while (p <= last && m_cache.contains(m_owner, p))
                ++p;
            if (p > last)
                break;
            // Decode on until the next frame that is already cached.
            int q = p;
            while (q < last && !m_cache.contains(m_owner, q + 1))
                ++q;
            if (!decodeSpan(p, q))
                break;
            p = q + 1;
        }
        return;
    }
    // Backwards: one segment (seek point to the next missing frame) at a time, latest first.
    const int first = std::max(0, request.from - request.count + 1);
    int q = std::min(count - 1, request.from);
    while (q >= first && current()) {
        while (q >= first && m_cache.contains(m_owner, q))
            --q;
        if (q < first)
            break;
        const int segmentStart = index.seekPoints.empty() ? 0 : index.seekPoints[index.seekPointFor(q)].position;
        const int p = std::max(first, segmentStart);
        if (!decodeSpan(p, q))
            break;
        q = p - 1;
    }
}
