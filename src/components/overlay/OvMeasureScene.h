#pragma once

#include "OvAngle.h"
#include "OvDistance.h"
#include "OvMeasureList.h"

using OvAngles = OvMeasureList<OvAngle>;
using OvDistances = OvMeasureList<OvDistance>;

// The measurements of one view: its angle and distance lists, and new members for them.
class OvMeasureScene {
public:
    // A new angle or distance, not yet in a list.
    static std::shared_ptr<OvAngle> newAngle() { return std::make_shared<OvAngle>(); }
    static std::shared_ptr<OvDistance> newDistance() { return std::make_shared<OvDistance>(); }

    OvAngles& angles() { return m_angles; }
    const OvAngles& angles() const { return m_angles; }
    OvDistances& distances() { return m_distances; }
    const OvDistances& distances() const { return m_distances; }

private:
    OvAngles m_angles;
    OvDistances m_distances;
};
