#pragma once

#include "components/tracking/Trajectory.h"

#include <QColor>
#include <QPointF>
#include <QSize>
#include <QString>
#include <array>
#include <vector>

// An analysis as plain data: what the views hold that a user made (markers, drawings,
// measurements, calibrations), how they were shown and which operation ran. The window fills
// one from its views and restores its views from one; the command-line tool reads one without
// any window. Times are in seconds, frames counted from 0, points as the items keep them.
namespace analysis {

inline constexpr const char* kFormatName = "zorvik-analysis";
inline constexpr int kFormatVersion = 1;
inline constexpr const char* kSuffix = "zorvik";

struct VideoRef {
    QString path;         // relative to the analysis file's folder, with '/'
    QString absolutePath; // where it was when saved
    qint64 size = 0;      // bytes
    int frames = 0;
    double frameRate = 0;
    QSize picture;
    bool operator==(const VideoRef&) const = default;
};

struct Range {
    double start = 0, end = 0; // synchronised times
    bool operator==(const Range&) const = default;
};
struct SyncPoint {
    double tSync = 0, tVw = 0;
    bool operator==(const SyncPoint&) const = default;
};

struct TimeLine {
    std::vector<int> keyframes;
    std::vector<Range> ranges;
    std::vector<SyncPoint> syncPoints;
    bool stopwatch = false;
    double stopwatchStart = 0; // synchronised time of its 0
    bool operator==(const TimeLine&) const = default;
    // The ranges the user set: the first is the whole video's, which every view has.
    std::size_t userRanges() const { return ranges.empty() ? 0 : ranges.size() - 1; }
};

struct Calibration {
    QSize picture;
    int unit = 0;
    double aspect = 0;
    double length = 0;
    std::array<QPointF, 2> reference{}; // fractions of the picture
    bool operator==(const Calibration&) const = default;
};

// A drawing: line, rectangle, ellipse, cross or text (also the labels of measurements and the
// reference line of a calibration), its two points in picture pixels.
struct Drawing {
    int type = 0;
    int id = 0;
    QColor color;
    int style = 0;
    std::array<QPointF, 2> points{};
    double size = 0;
    QString text;
    int firstFrame = 0, lastFrame = 0, curFrame = 0;
    bool operator==(const Drawing&) const = default;
};

struct Measurement {
    enum Kind { Angle, Distance };
    Kind kind = Angle;
    int type = 0; // the angle's type, or the distance's
    int id = 0;   // shared with its label
    QColor color;
    int lineWidth = 1;
    int pointMarks = 0;
    int endMarks = 0;
    int firstFrame = 0, lastFrame = 0, curFrame = 0;
    int calibration = -1; // index into the view's calibrations, -1 for none
    std::array<QPointF, 4> points{}; // fractions of the picture; a distance uses two
    bool orientation = false;
    bool signedMode = false;
    bool showArc = false;
    int arcRadius = 0;
    QString key;
    bool operator==(const Measurement&) const = default;
};

// Points followed through the frames, as the tracker and the views keep them.
using TrajectoryPoint = tracking::TrajectoryPoint;
using Trajectory = tracking::Trajectory;

struct View {
    VideoRef video;
    int openFlags = 0;
    bool source = true;
    int zoom = -1;
    int offsetX = 0, offsetY = 0;
    int gridHorz = 0, gridVert = 0;
    TimeLine timeLine;
    std::vector<Calibration> calibrations;
    int calibrationInForce = -1; // index, -1 for none
    int calibrationLineId = -1;
    double calibLength = 0;
    int calibUnit = 0;
    double calibAspect = 0;
    std::vector<Drawing> drawings;
    std::vector<Measurement> measurements;
    std::vector<Trajectory> trajectories;
    bool operator==(const View&) const = default;
};

struct Operation {
    int kind = 0; // 0 none, 1 mix, 2 split, 3 stroboscope
    int blendAlgorithm = 0;
    double blend = 0;
    double color = 0;
    int fillFrames = 1;
    int threshold = 10;
    bool operator==(const Operation&) const = default;
};

struct Document {
    std::vector<View> views;
    Operation operation;
    double speed = 1;
    bool operator==(const Document&) const = default;
};

} // namespace analysis
