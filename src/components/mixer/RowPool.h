#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

// A few worker threads that share out the rows of a picture. run() cuts the rows into a few
// chunks per thread; the calling thread and the workers take chunks one after another until
// none is left, and run() returns when all are done, so the caller sees the whole picture
// finished. Taking chunks instead of one fixed band each keeps the work going when a thread is
// held up (the machine busy with decoding or encoding): the others take over its share. Small
// jobs stay on the calling thread: waking a worker costs more than a few rows of pixels.
class RowPool {
public:
    // threads: workers besides the caller; -1 picks the machine's cores minus one.
    explicit RowPool(int threads = -1);
    ~RowPool();
    RowPool(const RowPool&) = delete;
    RowPool& operator=(const RowPool&) = delete;

    // Calls band(y0, y1) for consecutive bands covering 0 .. rows - 1, each row once. `work` is
    // an estimate of the pixel operations in the whole job; below a threshold everything runs
    // on the caller. Use from one thread at a time.
    void run(int rows, int64_t work, const std::function<void(int, int)>& band);
    int threads() const { return int(m_workers.size()) + 1; }

private:
    struct Job {
        const std::function<void(int, int)>* band = nullptr;
        int rows = 0;
        int chunks = 0;
        uint32_t tag = 0; // the job's generation, as kept in the high half of m_next
    };
    void loop();
    // Takes chunks of `job` until none is left (or another job has begun).
    void work(const Job& job);

    std::vector<std::thread> m_workers;
    std::mutex m_mutex;
    std::condition_variable m_start;
    std::condition_variable m_done;
    Job m_job;                     // the current job, read under the mutex
    uint64_t m_generation = 0;
    std::atomic<uint64_t> m_next{0}; // generation tag << 32 | next chunk
    std::atomic<int> m_finished{0}; // chunks done of the current job
    bool m_quit = false;
};
