#pragma once

#include "OvCalib2D.h"

#include <memory>

// Makes the calibrations of one view. Measurements keep the calibration they were made with,
// so a calibration lives as long as its last user.
class OvCalib2Ds {
public:
    // A new calibration of a picture of that size in pixels, with no values yet.
    std::shared_ptr<OvCalib2D> newCalib2D(QSize picture) const { return std::make_shared<OvCalib2D>(picture); }
};
