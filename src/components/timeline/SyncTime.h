#pragma once

#include "components/analysis/AnalysisDoc.h"

#include <span>

// View time and synchronised time of one view, through its synchronisation points (ordered by
// both times). Before the first point time is scaled (0 stays 0), between two points it is
// interpolated, after the last point the last offset holds; with no points the two are equal.
namespace SyncTime {

enum class Status {
    Ok,
    OutOfOrder,     // the points do not follow each other in the time given: t comes back
    DivisionByZero, // t lies before a first point at time 0 of that side: 0 comes back
};

double vw2sync(std::span<const analysis::SyncPoint> points, double t, Status& status);
double sync2vw(std::span<const analysis::SyncPoint> points, double t, Status& status);

} // namespace SyncTime
