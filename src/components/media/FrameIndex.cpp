#include "FrameIndex.h"

#include <algorithm>

int FrameIndex::seekPointFor(int n) const
{
    const auto it = std::upper_bound(seekPoints.begin(), seekPoints.end(), n,
                                     [](int value, const SeekPoint& p) { return value < p.position; });
    return it == seekPoints.begin() ? 0 : static_cast<int>(it - seekPoints.begin()) - 1;
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
