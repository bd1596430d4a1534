#pragma once

#include "FfmpegHandles.h"

#include <cstddef>
#include <cstdint>
#include <list>
#include <mutex>
#include <unordered_map>

// Decoded pictures of all open files, least recently used first out, within a byte budget.
// Thread-safe: the user-interface thread and the decode-ahead workers share it. Pictures are
// kept as decoded (reference-counted AVFrames), so every display mode of a file reuses them.
class FrameCache {
public:
    // A fixed budget.
    explicit FrameCache(std::size_t budgetBytes);
    // A budget that grows with the files open: perSourceBytes for each (at least one), never
    // more than ceilingBytes in all.
    FrameCache(std::size_t perSourceBytes, std::size_t ceilingBytes);
    FrameCache(const FrameCache&) = delete;
    FrameCache& operator=(const FrameCache&) = delete;

    // The cache of the process: kPerSourceDefault for each open file up to defaultCeiling(),
    // or a fixed ZORVIK_FRAME_CACHE_MB MiB when that is set, until setBudget is called.
    static FrameCache& shared();
    // 256 MiB per open file hold about 80 decoded 1080p 4:2:0 pictures: a window of a GOP to
    // step back through and the frames decoded ahead. A budget that fills the machine's memory
    // instead costs more than it saves: every picture decoded into fresh memory pays a page
    // fault per page on first touch, which on virtual machines slows sequential decoding by a
    // third, while a small cache recycles its memory.
    static constexpr std::size_t kPerSourceDefault = std::size_t(256) << 20;
    // An eighth of the machine's memory, at least 256 MiB and at most 2 GiB, leaves room for
    // the rest of the desktop on small machines.
    static std::size_t defaultCeiling();
    // A distinct owner id for each open file.
    static uint64_t newOwner();
    // Bytes of picture data a decoded frame holds.
    static std::size_t frameBytes(const AVFrame* frame);

    // Holds the budget to at most `bytes` while it lives, then gives back the one before. A
    // video being written reads each frame once: a cache full of them would only cost memory
    // fetched fresh from the system, a page fault per page, for every picture.
    class Cap {
    public:
        Cap(FrameCache& cache, std::size_t bytes);
        ~Cap();
        Cap(const Cap&) = delete;
        Cap& operator=(const Cap&) = delete;

    private:
        FrameCache& m_cache;
        std::size_t m_before;
    };

    // A fixed budget from now on.
    void setBudget(std::size_t budgetBytes);
    std::size_t budget() const;
    std::size_t bytesUsed() const;
    std::size_t frameCount() const;

    // Open files that use this cache: each gets a fair share of the budget for the segments it
    // decodes, so files stepped side by side do not evict each other's segments.
    void attachSource();
    void detachSource();
    int sourceCount() const;

    void insert(uint64_t owner, int position, const AVFrame* frame);
    SharedFrame find(uint64_t owner, int position);
    bool contains(uint64_t owner, int position) const;
    void removeOwner(uint64_t owner);

private:
    struct Key {
        uint64_t owner;
        int position;
        bool operator==(const Key&) const = default;
    };
    struct KeyHash {
        std::size_t operator()(const Key& k) const
        {
            return std::hash<uint64_t>()(k.owner * 0x9E3779B97F4A7C15ull ^ static_cast<uint32_t>(k.position));
        }
    };
    struct Entry {
        Key key;
        SharedFrame frame;
        std::size_t bytes;
    };
    void evictLocked();
    std::size_t budgetLocked() const;

    mutable std::mutex m_mutex;
    std::list<Entry> m_lru; // front = most recently used
    std::unordered_map<Key, std::list<Entry>::iterator, KeyHash> m_map;
    std::size_t m_budget;          // the fixed budget, or the ceiling of a growing one
    std::size_t m_perSource = 0;   // 0: fixed
    std::size_t m_used = 0;
    std::size_t m_cap = 0;         // 0: none
    int m_sources = 0;
};
