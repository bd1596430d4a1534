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
    explicit FrameCache(std::size_t budgetBytes);
    FrameCache(const FrameCache&) = delete;
    FrameCache& operator=(const FrameCache&) = delete;

    // The cache of the process, with defaultBudget() until setBudget is called.
    static FrameCache& shared();
    // An eighth of the machine's memory, at least 256 MiB and at most 2 GiB: 2 GiB hold about
    // 680 decoded 1080p 4:2:0 pictures, several GOPs of each of four files side by side, and
    // an eighth leaves room for the rest of the desktop on small machines.
    static std::size_t defaultBudget();
    // A distinct owner id for each open file.
    static uint64_t newOwner();
    // Bytes of picture data a decoded frame holds.
    static std::size_t frameBytes(const AVFrame* frame);

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

    mutable std::mutex m_mutex;
    std::list<Entry> m_lru; // front = most recently used
    std::unordered_map<Key, std::list<Entry>::iterator, KeyHash> m_map;
    std::size_t m_budget;
    std::size_t m_used = 0;
    int m_sources = 0;
};
