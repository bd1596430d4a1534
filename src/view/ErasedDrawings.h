#pragma once

#include "components/overlay/OvGraphItems.h"
#include "components/overlay/OvMeasureScene.h"
#include "components/tracking/Trajectory.h"

#include <memory>
#include <vector>

// What one use of the eraser took from a view, kept so that Undo can put it back as it was:
// the same items, angles and distances (ids, points, calibrations and so values), the grid
// line counts, the stopwatch with its start and the trajectories.
struct ErasedDrawings {
    std::vector<std::shared_ptr<OvGraphItem>> items;
    std::vector<std::shared_ptr<OvAngle>> angles;
    std::vector<std::shared_ptr<OvDistance>> distances;
    int numHorizLines = 0;
    int numVertLines = 0;
    std::shared_ptr<OvGraphItem> clock;
    double clockTime0 = 0;
    std::vector<tracking::Trajectory> trajectories;

    bool empty() const { return items.empty() && angles.empty() && distances.empty() && trajectories.empty(); }
};
