#pragma once

#include "OvMeasure.h"

#include <QLineF>
#include <vector>

// An angle measured on the picture. Its value, in degrees, is taken in the picture's true
// proportions (see OvCalib2D) from the points:
//   type 4  from line 1 (point 0 to 1) to line 2 (point 2 to 3)
//   type 3  at the vertex point 1, from the ray to point 0 to the ray to point 2
//   type 1  from the horizontal pointing right to the line from point 0 to point 1
//   type 2  from the vertical pointing up to the line from point 0 to point 1
// counted counter-clockwise as seen on the screen. Unsigned, the value lies in [0, 360) and the
// orientation flag turns it into its complement 360 - v; signed, it lies in [-180, 180] and the
// flag turns its sign.
class OvAngle final : public OvMeasure {
public:
    enum Type : int { ToHorizontal = 1, ToVertical = 2, ThreePoints = 3, TwoLines = 4 };

    OvAngle() : OvMeasure(4) {}

    bool orientation() const { return m_orientation; }
    void setOrientation(bool f) { m_orientation = f; }
    bool signedMode() const { return m_signed; }
    void setSignedMode(bool s) { m_signed = s; }
    // The arc at the vertex and its radius in picture pixels.
    bool showArc() const { return m_showArc; }
    void setShowArc(bool s) { m_showArc = s; }
    int arcRadius() const { return m_arcRadius; }
    void setArcRadius(int r) { m_arcRadius = r; }

    // The value in degrees; 0 when a line of it has no length.
    float value() const;

    bool hit(double fx, double fy, double tolerance) const override;
    void draw(QPainter& painter, const PictureMapping& map) const override;

private:
    // The signed angle from the first to the second direction, before the flag, with the two
    // directions taken from points mapped by `at`.
    template <typename F>
    double baseAngle(F at) const;
    // The drawn lines between point indices.
    std::vector<std::pair<int, int>> legs() const;
    void drawArc(QPainter& painter, const PictureMapping& map) const;

    bool m_orientation = false;
    bool m_signed = false;
    bool m_showArc = false;
    int m_arcRadius = 0;
};
