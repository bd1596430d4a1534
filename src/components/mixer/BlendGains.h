#pragma once

#include <algorithm>

// How the blend weight w (0 = video 1 only, 1 = video 2 only) weighs the two videos in every
// blend algorithm: each video keeps its full brightness while the weight leans towards it or
// stands in the middle, and fades to black over the other half, linearly:
//     gain of video 1 = min(1, 2·(1 − w)),   gain of video 2 = min(1, 2·w).
// At w = 0.5 both count fully and the algorithm alone decides what shows.
struct BlendGains {
    double first;
    double second;

    static BlendGains of(double w)
    {
        w = std::clamp(w, 0.0, 1.0);
        return {std::min(1.0, 2.0 * (1.0 - w)), std::min(1.0, 2.0 * w)};
    }
};
