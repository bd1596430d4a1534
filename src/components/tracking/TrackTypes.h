#pragma once

#include <QPointF>
#include <vector>

// What following a point takes and gives. Positions are in picture pixels with a pixel's centre at
// half-integers (pixel 0 covers 0 to 1), as a painter draws and the views show them.
namespace tracking {

struct TrackOptions {
    int templateRadius = 12;    // the followed patch is 2r+1 pixels square
    int searchRadius = 40;      // how far from the predicted position the patch is sought
    double minConfidence = 0.6; // below this a match is no match: the point is lost
    double refreshBelow = 0.9;  // a match scoring under this takes a new template from the frame
};

struct TrackedPoint {
    int frame = 0;
    QPointF pos;
    double confidence = 1; // normalised cross-correlation of the match, 1 for a point set by hand
    bool operator==(const TrackedPoint&) const = default;
};

// Why a run ended.
enum class TrackStop {
    RangeEnd,    // it reached the last frame asked for
    Lost,        // no position matched well enough
    LeftPicture, // the patch would reach past the picture's edge
    Cancelled,
    NoPicture,   // a frame could not be read
    NoDetail,    // the patch at the start is flat: nothing there could be found again
};

struct TrackResult {
    std::vector<TrackedPoint> points; // the start point first, then one per frame in the run's order
    TrackStop stop = TrackStop::RangeEnd;
    int stopFrame = 0; // the frame the run could not take (for RangeEnd the last one it took)
};

} // namespace tracking
