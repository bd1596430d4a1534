#include "OvMeasure.h"

#include "components/viewer/PictureMapping.h"

#include <QPainter>
#include <algorithm>

QPointF OvMeasure::point(int idx) const { return idx >= 0 && idx < m_points ? m_pt[idx] : QPointF(); }

void OvMeasure::setPoint(int idx, float fx, float fy)
{
    if (idx >= 0 && idx < m_points)
        m_pt[idx] = QPointF(fx, fy);
}

QSizeF OvMeasure::pictureSize() const
{
    if (m_calib && !m_calib->pictureSize().isEmpty())
        return QSizeF(m_calib->pictureSize());
    return {1.0, 1.0};
}

QPointF OvMeasure::pixel(int idx) const
{
    const QSizeF s = pictureSize();
    return {point(idx).x() * s.width(), point(idx).y() * s.height()};
}

QPointF OvMeasure::viewer(int idx, const PictureMapping& map) const
{
    return map.toViewer(QPointF(point(idx).x() * map.picture.width(), point(idx).y() * map.picture.height()));
}

QPen OvMeasure::pen(const PictureMapping& map) const
{
    const double scale = std::min(map.scaleX(), map.scaleY());
    return QPen(m_color, std::max(1.0, std::clamp(m_lineWidth, 1, 64) * scale), Qt::SolidLine, Qt::RoundCap,
                Qt::RoundJoin);
}

void OvMeasure::drawPointMarks(QPainter& painter, const PictureMapping& map, int n) const
{
    if (m_pointMarks != 1)
        return;
    QPen thin = pen(map);
    thin.setWidthF(1.0);
    painter.setPen(thin);
    painter.setBrush(Qt::NoBrush);
    for (int i = 0; i < n; ++i)
        painter.drawEllipse(viewer(i, map), 3.0, 3.0);
}
