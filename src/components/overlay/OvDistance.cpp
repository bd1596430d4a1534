#include "OvDistance.h"

#include "OverlayGeometry.h"
#include "components/viewer/PictureMapping.h"

#include <QLineF>
#include <QPainter>

double OvDistance::value() const { return calib() ? calib()->distance(point(0), point(1)) : 0.0; }

bool OvDistance::hit(double fx, double fy, double tolerance) const
{
    const QSizeF s = pictureSize();
    return OverlayGeometry::distToSegment(QPointF(fx * s.width(), fy * s.height()), pixel(0), pixel(1))
           <= tolerance * s.width();
}

void OvDistance::draw(QPainter& painter, const PictureMapping& map) const
{
    const QPen p = pen(map);
    painter.setPen(p);
    painter.setBrush(Qt::NoBrush);
    const QLineF line(viewer(0, map), viewer(1, map));
    painter.drawLine(line);
    if (m_endMarks == 1 && line.length() > 0) {
        QLineF normal = line.normalVector().unitVector();
        const QPointF half = (normal.p2() - normal.p1()) * (4.0 + p.widthF());
        for (const QPointF end : {line.p1(), line.p2()})
            painter.drawLine(end - half, end + half);
    }
    drawPointMarks(painter, map, 2);
}
