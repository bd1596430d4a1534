#include "RowPool.h"

#include <algorithm>

namespace {
// Below this many pixel operations a job is done on the calling thread alone.
constexpr int64_t kMinParallelWork = 64 * 1024;
// Chunks per thread: enough for a thread to take over another's share, few enough that taking
// one costs nothing next to its rows.
constexpr int kChunksPerThread = 4;
} // namespace

RowPool::RowPool(int threads)
{
    if (threads < 0)
        threads = std::max(0, int(std::thread::hardware_concurrency()) - 1);
    threads = std::min(threads, 15);
    m_workers.reserve(size_t(threads));
    for (int i = 0; i < threads; ++i)
        m_workers.emplace_back([this] { loop(); });
}

RowPool::~RowPool()
{
    {
        std::lock_guard lock(m_mutex);
        m_quit = true;
    }
    m_start.notify_all();
    for (std::thread& t : m_workers)
        t.join();
}

void RowPool::run(int rows, int64_t work, const std::function<void(int, int)>& band)
{
    if (rows <= 0)
        return;
    if (m_workers.empty() || work < kMinParallelWork || rows < 2) {
        band(0, rows);
        return;
    }
    Job job;
    {
        std::lock_guard lock(m_mutex);
        job.band = &band;
        job.rows = rows;
        job.chunks = std::min(rows, threads() * kChunksPerThread);
        job.tag = uint32_t(++m_generation);
        m_job = job;
        m_finished.store(0, std::memory_order_relaxed);
        m_next.store(uint64_t(job.tag) << 32, std::memory_order_release);
    }
    m_start.notify_all();
    this->work(job);
    std::unique_lock lock(m_mutex);
    m_done.wait(lock, [&] { return m_finished.load(std::memory_order_acquire) == job.chunks; });
}

void RowPool::work(const Job& job)
{
    for (;;) {
        // Claim the next chunk of this job; the tag keeps a late worker off a newer job's chunks.
        uint64_t v = m_next.load(std::memory_order_acquire);
        do {
            if (uint32_t(v >> 32) != job.tag || int(uint32_t(v)) >= job.chunks)
                return;
        } while (!m_next.compare_exchange_weak(v, v + 1, std::memory_order_acq_rel));
        const int i = int(uint32_t(v));
        (*job.band)(int(int64_t(job.rows) * i / job.chunks), int(int64_t(job.rows) * (i + 1) / job.chunks));
        if (m_finished.fetch_add(1, std::memory_order_acq_rel) + 1 == job.chunks) {
            std::lock_guard lock(m_mutex);
            m_done.notify_all();
        }
    }
}

void RowPool::loop()
{
    uint64_t seen = 0;
    for (;;) {
        Job job;
        {
            std::unique_lock lock(m_mutex);
            m_start.wait(lock, [&] { return m_quit || m_generation != seen; });
            if (m_quit)
                return;
            seen = m_generation;
            job = m_job;
        }
        work(job);
    }
}
