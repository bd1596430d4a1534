#include "OverlayGeometry.h"

#include <QPoint>
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

namespace {
// Steps around the anchor, nearest first; on a tie below before above, then right before left.
const std::vector<QPoint>& placeSteps()
{
    static const std::vector<QPoint> steps = [] {
        constexpr int kReach = 10;
        std::vector<QPoint> s;
        for (int j = -kReach; j <= kReach; ++j)
            for (int i = -kReach; i <= kReach; ++i)
                s.emplace_back(i, j);
        std::stable_sort(s.begin(), s.end(), [](QPoint a, QPoint b) {
            const int da = a.x() * a.x() + a.y() * a.y();
            const int db = b.x() * b.x() + b.y() * b.y();
            if (da != db)
                return da < db;
            if (a.y() != b.y())
                return a.y() > b.y();
            return a.x() > b.x();
        });
        return s;
    }();
    return steps;
}
} // namespace

QPointF freePlace(QSizeF size, QPointF anchor, const QRectF& area, const std::vector<QRectF>& taken)
{
    // A text's dark rim reaches a pixel beyond its box.
    constexpr double kGap = 1.0;
    // Whole pixels, so that a box at the edge stays inside when its corner is held in single
    // precision.
    const auto inside = [](double v, double lo, double hi) {
        return std::max(lo, std::floor(std::clamp(v, lo, std::max(lo, hi))));
    };
    const QPointF start(inside(anchor.x(), area.left(), area.right() - size.width()),
                        inside(anchor.y(), area.top(), area.bottom() - size.height()));
    const double step = std::ceil(std::max(4.0, size.height()));
    for (const QPoint s : placeSteps()) {
        const QRectF box(start + QPointF(s.x() * step, s.y() * step), size);
        if (!area.contains(box))
            continue;
        const QRectF rim = box.adjusted(-kGap, -kGap, kGap, kGap);
        if (std::none_of(taken.begin(), taken.end(), [&rim](const QRectF& t) { return t.intersects(rim); }))
            return box.topLeft();
    }
    return start;
}

} // namespace OverlayGeometry
