#pragma once

#include "AnalysisDoc.h"

#include <QString>
#include <vector>

// What the plots draw: one quantity of a view's trajectories against time, in the unit of the
// view's calibration (pixels without one), with the frame of every sample so a plot can lead
// back to it.
namespace analysis {

enum class Quantity { X, Y, Vx, Vy, Speed, Ax, Ay, Distance, Angle };

struct Series {
    std::vector<int> frames;
    std::vector<double> times; // seconds, from the file's timestamps
    std::vector<double> values;
    QString unit;              // "m", "m/s", "m/s2", "px", "°"
};

// A quantity of one trajectory (X .. Ay), the distance between the first two of `trajectories`
// (Distance) or the angle at the second of three (Angle), over the frames all of them hold.
Series trajectorySeries(const View& v, const std::vector<int>& trajectories, Quantity q);

} // namespace analysis
