#include "OvAngle.h"

#include "OverlayGeometry.h"
#include "components/viewer/PictureMapping.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

using OverlayGeometry::signedAngle;

template <typename F>
double OvAngle::baseAngle(F at) const
{
    switch (type()) {
    case TwoLines:
        return signedAngle(at(1) - at(0), at(3) - at(2));
    case ThreePoints:
        return signedAngle(at(0) - at(1), at(2) - at(1));
    case ToHorizontal:
        return signedAngle(QPointF(1, 0), at(1) - at(0));
    case ToVertical:
        return signedAngle(QPointF(0, -1), at(1) - at(0)); // up on the screen
    default:
        return 0.0;
    }
}

float OvAngle::value() const
{
    const OvCalib2D* cal = calib().get();
    const double s0 = baseAngle([this, cal](int i) { return cal ? cal->toPhysical(point(i)) : point(i); });
    const double s = m_orientation ? -s0 : s0;
    if (m_signed)
        return float(s);
    double v = s < 0 ? s + 360.0 : s;
    if (v >= 360.0)
        v -= 360.0;
    return float(v);
}

std::vector<std::pair<int, int>> OvAngle::legs() const
{
    switch (type()) {
    case TwoLines:
        return {{0, 1}, {2, 3}};
    case ThreePoints:
        return {{1, 0}, {1, 2}};
    case ToHorizontal:
    case ToVertical:
        return {{0, 1}};
    default:
        return {};
    }
}

bool OvAngle::hit(double fx, double fy, double tolerance) const
{
    const QSizeF s = pictureSize();
    const QPointF p(fx * s.width(), fy * s.height());
    for (const auto& [a, b] : legs())
        if (OverlayGeometry::distToSegment(p, pixel(a), pixel(b)) <= tolerance * s.width())
            return true;
    return false;
}

void OvAngle::draw(QPainter& painter, const PictureMapping& map) const
{
    painter.setPen(pen(map));
    painter.setBrush(Qt::NoBrush);
    for (const auto& [a, b] : legs())
        painter.drawLine(viewer(a, map), viewer(b, map));
    if (m_showArc)
        drawArc(painter, map);
    drawPointMarks(painter, map, type() == TwoLines ? 4 : type() == ThreePoints ? 3 : 2);
}

void OvAngle::drawArc(QPainter& painter, const PictureMapping& map) const
{
    const auto at = [this, &map](int i) { return viewer(i, map); };
    QPointF vertex;
    QPointF u;
    QPointF w;
    double reach = 0; // the length the arc must stay well inside
    QPen dotted = pen(map);
    dotted.setWidthF(1.0);
    dotted.setStyle(Qt::DotLine);
    switch (type()) {
    case ThreePoints:
        vertex = at(1);
        u = at(0) - vertex;
        w = at(2) - vertex;
        reach = std::min(std::hypot(u.x(), u.y()), std::hypot(w.x(), w.y()));
        break;
    case ToHorizontal:
    case ToVertical: {
        vertex = at(0);
        w = at(1) - vertex;
        reach = std::hypot(w.x(), w.y());
        u = type() == ToHorizontal ? QPointF(reach, 0) : QPointF(0, -reach);
        painter.setPen(dotted);
        painter.drawLine(vertex, vertex + u); // the reference the angle is taken from
        break;
    }
    case TwoLines: {
        const QLineF l1(at(0), at(1));
        const QLineF l2(at(2), at(3));
        if (l1.length() == 0 || l2.length() == 0 || l1.intersects(l2, &vertex) == QLineF::NoIntersection)
            return;
        // An intersection far off the picture gets no arc.
        const QRectF area(map.toViewer(QPointF(0, 0)), map.toViewer(QPointF(map.picture.width(), map.picture.height())));
        const double margin = std::max(area.width(), area.height());
        if (!area.adjusted(-margin, -margin, margin, margin).contains(vertex))
            return;
        u = l1.p2() - l1.p1();
        w = l2.p2() - l2.p1();
        // When both lines lie behind their intersection, the arc turns the two reversed
        // directions (the same angle) so that it stands between the lines.
        if (QPointF::dotProduct(u, l1.center() - vertex) < 0 && QPointF::dotProduct(w, l2.center() - vertex) < 0) {
            u = -u;
            w = -w;
        }
        reach = std::min(l1.length(), l2.length());
        // Dotted extensions join lines that do not reach their intersection.
        painter.setPen(dotted);
        for (const QLineF& l : {l1, l2}) {
            const QPointF nearer = QLineF(l.p1(), vertex).length() < QLineF(l.p2(), vertex).length() ? l.p1() : l.p2();
            if (QLineF(nearer, vertex).length() > 1.0)
                painter.drawLine(nearer, vertex);
        }
        break;
    }
    default:
        return;
    }
    if (reach <= 0 || (u.x() == 0 && u.y() == 0) || (w.x() == 0 && w.y() == 0))
        return;
    // The viewer keeps the picture's orientation, so the arc turns the way the value does.
    const double s = signedAngle(u, w);
    double sweep = s;
    if (!m_signed)
        sweep = m_orientation ? (s <= 0 ? s : s - 360.0) : (s >= 0 ? s : s + 360.0);
    const double scale = std::min(map.scaleX(), map.scaleY());
    const double r = std::max(4.0, std::min(m_arcRadius * scale, reach * 0.5));
    painter.setPen(pen(map));
    painter.drawArc(QRectF(vertex - QPointF(r, r), QSizeF(2 * r, 2 * r)),
                    int(std::lround(OverlayGeometry::screenDirection(u) * 16)), int(std::lround(sweep * 16)));
}
