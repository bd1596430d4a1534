#pragma once

#include "FrameIndexer.h"

#include <QString>
#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

// Builds a file's frame index on a thread of its own, at a low priority, and hands out what is
// final so far: a long file shows its first picture while the rest is still being indexed.
// Destroying the builder stops the build and joins the thread.
class IndexBuilder : private FrameIndexer::Listener {
public:
    explicit IndexBuilder(const QString& path); // starts at once
    ~IndexBuilder() override;
    IndexBuilder(const IndexBuilder&) = delete;
    IndexBuilder& operator=(const IndexBuilder&) = delete;

    struct State {
        std::shared_ptr<const FrameIndex> index; // so far; null before the first picture
        double fraction = 0;                     // of the file read
        bool finished = false;
        int result = 0;      // a MediaCode, once finished
        FirstPicture first;  // when the build decoded the first picture at its size
    };
    State state() const;
    // Blocks until the first picture is indexed or the build ended, at most `timeoutMs`.
    void waitForStart(int timeoutMs);
    // Blocks until the build ended, at most `timeoutMs`; true when it has.
    bool waitForEnd(int timeoutMs);

private:
    bool stopRequested() const override { return m_stop.load(); }
    void partial(std::shared_ptr<const FrameIndex> sofar, double fraction) override;
    void run(const QString& path);

    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    State m_state;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};
