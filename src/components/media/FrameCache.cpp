#include "FrameCache.h"

#include <QtGlobal>
#include <algorithm>
#include <atomic>

#if defined(_WIN32)
#include <windows.h>
#else
#include <unistd.h>
#endif

FrameCache::FrameCache(std::size_t budgetBytes) : m_budget(budgetBytes) {}

FrameCache::FrameCache(std::size_t perSourceBytes, std::size_t ceilingBytes)
    : m_budget(ceilingBytes), m_perSource(perSourceBytes)
{
}

FrameCache& FrameCache::shared()
{
    static FrameCache cache = [] {
        bool ok = false;
        const qlonglong mib = qEnvironmentVariableIntValue("ZORVIK_FRAME_CACHE_MB", &ok);
        if (ok && mib > 0)
            return FrameCache(std::size_t(mib) << 20);
        return FrameCache(kPerSourceDefault, defaultCeiling());
    }();
    return cache;
}

std::size_t FrameCache::defaultCeiling()
{
    constexpr std::size_t MiB = std::size_t(1) << 20;
    std::size_t physical = 0;
#if defined(_WIN32)
    MEMORYSTATUSEX status{};
    status.dwLength = sizeof(status);
    if (GlobalMemoryStatusEx(&status))
        physical = static_cast<std::size_t>(status.ullTotalPhys);
#else
    const long pages = sysconf(_SC_PHYS_PAGES);
    const long pageSize = sysconf(_SC_PAGESIZE);
    if (pages > 0 && pageSize > 0)
        physical = static_cast<std::size_t>(pages) * static_cast<std::size_t>(pageSize);
#endif
    if (physical == 0)
        physical = 4096 * MiB;
    return std::clamp(physical / 8, 256 * MiB, 2048 * MiB);
}

uint64_t FrameCache::newOwner()
{
    static std::atomic<uint64_t> next{1};
    return next++;
}

std::size_t FrameCache::frameBytes(const AVFrame* frame)
{
    std::size_t bytes = sizeof(AVFrame);
    for (const AVBufferRef* buf : frame->buf)
        if (buf)
            bytes += buf->size;
    for (int i = 0; i < frame->nb_extended_buf; ++i)
        bytes += frame->extended_buf[i]->size;
    return bytes;
}

void FrameCache::setBudget(std::size_t budgetBytes)
{
    std::lock_guard lock(m_mutex);
    m_budget = budgetBytes;
    m_perSource = 0;
    evictLocked();
}

std::size_t FrameCache::budget() const
{
    std::lock_guard lock(m_mutex);
    return budgetLocked();
}

std::size_t FrameCache::budgetLocked() const
{
    const std::size_t budget =
        m_perSource == 0 ? m_budget : std::min(m_budget, m_perSource * static_cast<std::size_t>(std::max(1, m_sources)));
    return m_cap == 0 ? budget : std::min(budget, m_cap);
}

FrameCache::Cap::Cap(FrameCache& cache, std::size_t bytes) : m_cache(cache)
{
    std::lock_guard lock(cache.m_mutex);
    m_before = cache.m_cap;
    bytes = std::max<std::size_t>(bytes, 1);
    cache.m_cap = m_before == 0 ? bytes : std::min(m_before, bytes); // never looser than a cap around it
    cache.evictLocked();
}

FrameCache::Cap::~Cap()
{
    std::lock_guard lock(m_cache.m_mutex);
    m_cache.m_cap = m_before;
}

std::size_t FrameCache::bytesUsed() const
{
    std::lock_guard lock(m_mutex);
    return m_used;
}

std::size_t FrameCache::frameCount() const
{
    std::lock_guard lock(m_mutex);
    return m_map.size();
}

void FrameCache::attachSource()
{
    std::lock_guard lock(m_mutex);
    ++m_sources;
}

void FrameCache::detachSource()
{
    std::lock_guard lock(m_mutex);
    m_sources = std::max(0, m_sources - 1);
    evictLocked();
}

int FrameCache::sourceCount() const
{
    std::lock_guard lock(m_mutex);
    return m_sources;
}

void FrameCache::insert(uint64_t owner, int position, const AVFrame* frame)
{
    const Key key{owner, position};
    {
        std::lock_guard lock(m_mutex);
        if (const auto it = m_map.find(key); it != m_map.end()) {
            m_lru.splice(m_lru.begin(), m_lru, it->second);
            return;
        }
    }
    // Taking the reference outside the lock keeps the critical section short.
    SharedFrame shared = shareFrame(frame);
    if (!shared)
        return;
    const std::size_t bytes = frameBytes(frame);
    std::lock_guard lock(m_mutex);
    if (bytes > budgetLocked() || m_map.count(key))
        return;
    m_lru.push_front({key, std::move(shared), bytes});
    m_map.emplace(key, m_lru.begin());
    m_used += bytes;
    evictLocked();
}

SharedFrame FrameCache::find(uint64_t owner, int position)
{
    std::lock_guard lock(m_mutex);
    const auto it = m_map.find({owner, position});
    if (it == m_map.end())
        return {};
    m_lru.splice(m_lru.begin(), m_lru, it->second);
    return it->second->frame;
}

bool FrameCache::contains(uint64_t owner, int position) const
{
    std::lock_guard lock(m_mutex);
    return m_map.count({owner, position}) != 0;
}

void FrameCache::removeOwner(uint64_t owner)
{
    std::list<Entry> removed; // freed after the lock is released
    {
        std::lock_guard lock(m_mutex);
        for (auto it = m_lru.begin(); it != m_lru.end();) {
            auto next = std::next(it);
            if (it->key.owner == owner) {
                m_used -= it->bytes;
                m_map.erase(it->key);
                removed.splice(removed.end(), m_lru, it);
            }
            it = next;
        }
    }
}

void FrameCache::evictLocked()
{
    const std::size_t budget = budgetLocked();
    while (m_used > budget && !m_lru.empty()) {
        m_used -= m_lru.back().bytes;
        m_map.erase(m_lru.back().key);
        m_lru.pop_back();
    }
}
