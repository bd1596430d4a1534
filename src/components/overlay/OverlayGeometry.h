#pragma once

#include <QPointF>
#include <QRectF>
#include <vector>

// Small plane geometry shared by the item and measurement libraries.
namespace OverlayGeometry {

// Distance from p to the segment a-b (to a when the segment has no length).
double distToSegment(QPointF p, QPointF a, QPointF b);

// Angle in degrees, counter-clockwise as seen on the screen (y grows downwards), from the
// direction u to the direction v, in (-180, 180]; 0 when either has no length.
double signedAngle(QPointF u, QPointF v);

// Direction of v in degrees as seen on the screen: 0 to the right, 90 up.
double screenDirection(QPointF v);

// The top left corner for a box of `size` that would like to stand at `anchor`: the nearest of
// the places around it, a line height apart, where the box lies inside `area` and overlaps none
// of `taken`. Where none is free, the anchor moved just inside the area.
QPointF freePlace(QSizeF size, QPointF anchor, const QRectF& area, const std::vector<QRectF>& taken);

} // namespace OverlayGeometry
