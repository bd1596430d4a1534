#include "OvGraphItem.h"

#include "OverlayGeometry.h"
#include "components/viewer/PictureMapping.h"

#include <QFontMetricsF>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace {

// Items belong to the picture: they grow and shrink with it, but never vanish below one pixel.
double penScale(const PictureMapping& map) { return std::min(map.scaleX(), map.scaleY()); }

QFont textFont(double pixelSize)
{
    QFont font;
    font.setPixelSize(std::max(1, int(std::lround(pixelSize))));
    return font;
}

} // namespace

void OvGraphItem::setPoint(int idx, float x, float y)
{
    if (idx == 0) {
        m_x0 = x;
        m_y0 = y;
    } else {
        m_x1 = x;
        m_y1 = y;
    }
}

double OvGraphItem::lineWidth() const { return std::clamp(m_style / 2 + 1, 1, 64); }

int OvGraphItem::textSize() const
{
    const int size = m_style / 256;
    return size >= 1 ? std::min(size, 1000) : kDefaultTextSize;
}

QRectF OvGraphItem::textBox() const
{
    if (m_text.isEmpty())
        return {};
    const QFontMetricsF metrics(textFont(textSize()));
    return {QPointF(m_x0, m_y0), QSizeF(metrics.horizontalAdvance(m_text), metrics.height())};
}

bool OvGraphItem::hit(double x, double y, double tolerance) const
{
    using OverlayGeometry::distToSegment;
    const QPointF p(x, y);
    const double reach = tolerance + lineWidth() / 2.0;
    const QPointF a = point(0);
    const QPointF b = point(1);
    switch (m_type) {
    case Line:
        return distToSegment(p, a, b) <= reach;
    case Rectangle: {
        const QPointF c(b.x(), a.y());
        const QPointF d(a.x(), b.y());
        return std::min({distToSegment(p, a, c), distToSegment(p, c, b), distToSegment(p, b, d),
                         distToSegment(p, d, a)}) <= reach;
    }
    case Ellipse:
        return std::abs(std::hypot(x - a.x(), y - a.y()) - m_size) <= reach;
    case Cross:
        return std::min(distToSegment(p, a - QPointF(m_size, 0), a + QPointF(m_size, 0)),
                        distToSegment(p, a - QPointF(0, m_size), a + QPointF(0, m_size))) <= reach;
    case Text: {
        const QRectF box = textBox();
        return !box.isEmpty() && box.adjusted(-tolerance, -tolerance, tolerance, tolerance).contains(p);
    }
    default:
        return false;
    }
}

void OvGraphItem::draw(QPainter& painter, const PictureMapping& map) const
{
    if (m_type == Text) {
        drawText(painter, map);
        return;
    }
    QPen pen(m_color, std::max(1.0, lineWidth() * penScale(map)), m_marked ? Qt::DashLine : Qt::SolidLine,
             Qt::RoundCap, Qt::RoundJoin);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    const QPointF a = map.toViewer(point(0));
    const QPointF b = map.toViewer(point(1));
    switch (m_type) {
    case Line:
        painter.drawLine(a, b);
        break;
    case Rectangle:
        painter.drawRect(QRectF(a, b).normalized());
        break;
    case Ellipse:
        painter.drawEllipse(a, m_size * map.scaleX(), m_size * map.scaleY());
        break;
    case Cross: {
        const double dx = m_size * map.scaleX();
        const double dy = m_size * map.scaleY();
        painter.drawLine(QPointF(a.x() - dx, a.y()), QPointF(a.x() + dx, a.y()));
        painter.drawLine(QPointF(a.x(), a.y() - dy), QPointF(a.x(), a.y() + dy));
        break;
    }
    default:
        break;
    }
}

void OvGraphItem::drawText(QPainter& painter, const PictureMapping& map) const
{
    if (m_text.isEmpty())
        return;
    painter.setFont(textFont(textSize() * penScale(map)));
    const QPointF at = map.toViewer(point(0));
    const QRectF box(at, QSizeF(1e6, 1e6));
    constexpr int kFlags = Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip;
    // A dark rim keeps light and dark texts readable on any picture.
    painter.setPen(QColor(0, 0, 0, 170));
    for (const QPointF d : {QPointF(-1, 0), QPointF(1, 0), QPointF(0, -1), QPointF(0, 1)})
        painter.drawText(box.translated(d), kFlags, m_text);
    painter.setPen(m_color);
    painter.drawText(box, kFlags, m_text);
}
