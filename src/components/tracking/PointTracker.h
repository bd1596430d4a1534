#pragma once

#include "TrackTypes.h"

#include <QImage>
#include <functional>

namespace tracking {

// Follows one point through the frames of a video, one frame at a time, forwards or backwards.
// Each step looks for the point's patch near where its last motion predicts it, with sub-pixel
// accuracy; a weak match takes a fresh patch from the frame, a failed one tries optical flow,
// and when that fails too the run stops and says why rather than guess.
class PointTracker {
public:
    // Picture of frame n in any format; a null image when the frame cannot be read.
    using FrameSource = std::function<QImage(int n)>;
    // Told each point as it is found; returning false cancels the run after that point.
    using Progress = std::function<bool(const TrackedPoint& point)>;

    explicit PointTracker(FrameSource frames, TrackOptions options = {});

    // From the point `start` in frame `from` to frame `to` (lower than `from` runs backwards).
    TrackResult run(int from, QPointF start, int to, const Progress& progress = {}) const;

private:
    QImage grey(int n) const;
    FrameSource m_frames;
    TrackOptions m_options;
};

} // namespace tracking
