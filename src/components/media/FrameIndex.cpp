#include "FrameIndex.h"

#include <algorithm>
#include <utility>

int FrameIndex::seekPointFor(int n) const
{
    const auto it = std::upper_bound(seekPoints.begin(), seekPoints.end(), n,
                                     [](int value, const SeekPoint& p) { return value < p.position; });
    return it == seekPoints.begin() ? 0 : static_cast<int>(it - seekPoints.begin()) - 1;
}

std::vector<int> FrameIndex::bySegment(const std::vector<int>& pictures, int picturesPer) const
{
    std::unordered_map<int, std::size_t> rank; // segment -> order of its first position
    std::vector<std::pair<std::size_t, int>> keyed;
    keyed.reserve(pictures.size());
    for (const int n : pictures) {
        const auto [it, added] = rank.try_emplace(seekPointFor(n / std::max(1, picturesPer)), rank.size());
        keyed.emplace_back(it->second, n);
    }
    std::sort(keyed.begin(), keyed.end());
    std::vector<int> ordered;
    ordered.reserve(keyed.size());
    for (const auto& k : keyed)
        ordered.push_back(k.second);
    return ordered;
}

void FrameIndex::rebuildLookup()
{
    positionOf.clear();
    std::unordered_map<int64_t, int> seen;
    for (int i = 0; i < count(); ++i)
        ++seen[timestamps[i]];
    for (int i = 0; i < count(); ++i)
        if (seen[timestamps[i]] == 1)
            positionOf.emplace(timestamps[i], i);
}
