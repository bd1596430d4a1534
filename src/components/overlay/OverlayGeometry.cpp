#include "OverlayGeometry.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace OverlayGeometry {

double distToSegment(QPointF p, QPointF a, QPointF b)
{
    const QPointF ab = b - a;
    const double len2 = QPointF::dotProduct(ab, ab);
    double t = len2 > 0 ? QPointF::dotProduct(p - a, ab) / len2 : 0.0;
    t = std::clamp(t, 0.0, 1.0);
    const QPointF d = p - (a + t * ab);
    return std::hypot(d.x(), d.y());
}

double signedAngle(QPointF u, QPointF v)
{
    if ((u.x() == 0 && u.y() == 0) || (v.x() == 0 && v.y() == 0))
        return 0.0;
    // With y downwards a counter-clockwise turn on the screen has a negative cross product.
    const double cross = u.x() * v.y() - u.y() * v.x();
    const double dot = QPointF::dotProduct(u, v);
    double deg = std::atan2(-cross, dot) * 180.0 / std::numbers::pi;
    if (deg <= -180.0)
        deg = 180.0;
    return deg;
}

double screenDirection(QPointF v) { return std::atan2(-v.y(), v.x()) * 180.0 / std::numbers::pi; }

} // namespace OverlayGeometry
