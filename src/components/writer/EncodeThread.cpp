#include "EncodeThread.h"

#include "components/media/MediaCodes.h"

#include <system_error>

EncodeThread::EncodeThread(int capacity) : m_capacity(capacity > 0 ? static_cast<std::size_t>(capacity) : 1) {}

EncodeThread::~EncodeThread() { cancel(); }

int EncodeThread::push(Job job)
{
    if (!m_thread.joinable()) {
        {
            const std::lock_guard lock(m_mutex);
            m_jobs.clear();
            m_error = 0;
            m_ending = false;
            m_cancelled = false;
        }
        try {
            m_thread = std::thread(&EncodeThread::run, this);
        } catch (const std::system_error&) {
            return MediaOutOfMemory;
        }
    }
    std::unique_lock lock(m_mutex);
    m_room.wait(lock, [this] { return m_error != 0 || m_jobs.size() < m_capacity; });
    if (m_error != 0)
        return m_error;
    m_jobs.push_back(std::move(job));
    lock.unlock();
    m_wake.notify_one();
    return MediaOk;
}

int EncodeThread::finish()
{
    {
        const std::lock_guard lock(m_mutex);
        m_ending = true;
    }
    m_wake.notify_one();
    join();
    const std::lock_guard lock(m_mutex);
    const int rc = m_error;
    m_error = 0;
    return rc;
}

void EncodeThread::cancel()
{
    {
        const std::lock_guard lock(m_mutex);
        m_cancelled = true;
        m_jobs.clear();
    }
    m_wake.notify_one();
    join();
    const std::lock_guard lock(m_mutex);
    m_error = 0;
}

void EncodeThread::join()
{
    if (m_thread.joinable())
        m_thread.join();
}

void EncodeThread::run()
{
    for (;;) {
        Job job;
        {
            std::unique_lock lock(m_mutex);
            m_wake.wait(lock, [this] { return m_cancelled || m_ending || !m_jobs.empty(); });
            if (m_cancelled || m_jobs.empty())
                return;
            job = std::move(m_jobs.front());
            m_jobs.pop_front();
        }
        m_room.notify_one();
        int rc = MediaOk;
        try {
            rc = job();
        } catch (...) {
            rc = MediaOutOfMemory; // allocation failures are the only exceptions a job may raise
        }
        if (rc != MediaOk) {
            {
                const std::lock_guard lock(m_mutex);
                m_error = rc;
                m_jobs.clear();
            }
            m_room.notify_all();
            return;
        }
    }
}
