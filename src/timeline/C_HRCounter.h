#pragma once

#include <cstdint>
#include <functional>

// The playback stopwatch: a steady high-resolution counter read as seconds since the last
// reset, less the measured cost of one reading. It never goes backwards and does not follow
// changes of the wall clock. Its owner calls preTerminate before releasing it.
class C_HRCounter {
public:
    // Where readings come from: counts per second and one reading. The default is the
    // machine's steady clock; another source lets the arithmetic be checked exactly.
    struct Source {
        int64_t countsPerSec = 0;
        std::function<int64_t()> read;
    };
    static Source steadyClock();

    C_HRCounter();
    explicit C_HRCounter(Source source);
    ~C_HRCounter();
    C_HRCounter(const C_HRCounter&) = delete;
    C_HRCounter& operator=(const C_HRCounter&) = delete;

    // Two readings back to back: the first becomes the start, their distance the overhead.
    void calibrate();
    // A fresh reading becomes the start.
    void reset();
    // Seconds since the start less the overhead, at least 0. Without an error handler of its own: a zero
    // frequency reaches the caller as a division by zero.
    double runtime();
    void preTerminate();

    int64_t m_CountsPerSec = 0;
    double overhead() const { return m_Overhead; }
    bool preTerminated() const { return m_PreTerm; }

private:
    int64_t read();

    Source m_Source;
    int64_t m_StartCount = 0;
    int64_t m_CurrentCount = 0;
    double m_Overhead = 0;
    bool m_PreTerm = false;
};
