#pragma once

#include <QPointF>

// Small plane geometry shared by the item and measurement libraries.
namespace OverlayGeometry {

// Distance from p to the segment a-b (to a when the segment has no length).
double distToSegment(QPointF p, QPointF a, QPointF b);

// Angle in degrees, counter-clockwise as seen on the screen (y grows downwards), from the
// direction u to the direction v, in (-180, 180]; 0 when either has no length.
double signedAngle(QPointF u, QPointF v);

// Direction of v in degrees as seen on the screen: 0 to the right, 90 up.
double screenDirection(QPointF v);

} // namespace OverlayGeometry
