#pragma once

#include "OvMeasure.h"

// A distance between two points of the picture, in the unit of its calibration: the length
// in the picture's true proportions times the calibration's scale (see OvCalib2D).
class OvDistance final : public OvMeasure {
public:
    OvDistance() : OvMeasure(2) { setType(3); }

    // Ticks across both ends: 0 none, 1 shown.
    int endMarks() const { return m_endMarks; }
    void setEndMarks(int m) { m_endMarks = m; }

    // The length in the calibration's unit; 0 without a usable calibration.
    double value() const;

    bool hit(double fx, double fy, double tolerance) const override;
    void draw(QPainter& painter, const PictureMapping& map) const override;

private:
    int m_endMarks = 0;
};
