#pragma once

#include <QColor>
#include <QPointF>
#include <QString>
#include <vector>

namespace tracking {

// A point followed through the frames: where it was in each frame it was found (picture pixels,
// a pixel's centre at half-integers), when that frame is shown (seconds from the video's first,
// from the file's own timestamps) and how sure the tracker was (1 for a point set by hand).
struct TrajectoryPoint {
    int frame = 0;
    double time = 0;
    QPointF pos;
    double confidence = 1;
    bool operator==(const TrajectoryPoint&) const = default;
};

struct Trajectory {
    QString name;
    QColor color;
    int window = 0; // samples of the smoothing differentiator; 0 for the default at the frame rate
    int order = 2;  // its polynomial order
    std::vector<TrajectoryPoint> points; // ascending frame
    bool operator==(const Trajectory&) const = default;
};

} // namespace tracking
