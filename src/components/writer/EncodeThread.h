#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

// Runs the writer's conversion and encoding jobs in the order given on a thread of its own, so
// the caller decodes its next picture while the last one is encoded. The queue holds only a few
// jobs: a caller that runs ahead waits for room, which bounds the memory held by queued pictures.
// A job returns a MediaCode; the first one that fails stops the thread and drops what is queued,
// and its code is handed back by the next push() or by finish().
class EncodeThread {
public:
    using Job = std::function<int()>;

    explicit EncodeThread(int capacity = 3);
    ~EncodeThread();
    EncodeThread(const EncodeThread&) = delete;
    EncodeThread& operator=(const EncodeThread&) = delete;

    // Queues a job (starting the thread on first use), waiting while the queue is full.
    // MediaOk, or the code of an earlier job that failed; the job is then not queued.
    int push(Job job);
    // Runs every queued job, ends the thread; MediaOk or the code of the first failure.
    int finish();
    // Drops the queued jobs, waits for the one running and ends the thread.
    void cancel();

private:
    void run();
    void join();

    const std::size_t m_capacity;
    std::mutex m_mutex;
    std::condition_variable m_wake; // the thread waits for jobs or the end
    std::condition_variable m_room; // the caller waits for room in the queue
    std::deque<Job> m_jobs;
    int m_error = 0;
    bool m_ending = false;   // finish(): run what is queued, then end
    bool m_cancelled = false;
    std::thread m_thread;
};
