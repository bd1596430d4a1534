// Painting the strip: bands with their captions, ranges, items, the axis and the time cursor.
#include "components/timeline/OvTimeLine.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>

namespace {
const QColor kAxisBack(24, 32, 48);
const QColor kTickColor(150, 162, 182);
const QColor kLabelColor(205, 212, 224);
const QColor kCursorColor(255, 72, 56);
} // namespace

void OvTimeLine::paintItem(QPainter& p, const Item& item, bool ghost, double time) const
{
    // Markers keep to the lower half of the band, with the ranges; the captions have the upper.
    const QRect band = bandRect();
    const int x = timeToX(time);
    const int top = band.top() + band.height() / 2;
    const int bottom = band.bottom();
    const double cy = (top + bottom) / 2.0 + 0.5;
    QColor color;
    QPainterPath shape;
    switch (item.style) {
    case StyleKeyframe:
        color = QColor(255, 214, 64);
        shape.moveTo(x, cy - 5.5);
        shape.lineTo(x + 4.5, cy);
        shape.lineTo(x, cy + 5.5);
        shape.lineTo(x - 4.5, cy);
        shape.closeSubpath();
        break;
    case StyleSyncPoint:
        color = QColor(64, 214, 255);
        shape.moveTo(x - 4.5, top);
        shape.lineTo(x + 4.5, top);
        shape.lineTo(x, top + 6);
        shape.closeSubpath();
        shape.addRect(x - 0.75, top + 6, 1.5, bottom - top - 5);
        break;
    case StyleStopwatch:
        color = QColor(120, 240, 140);
        shape.addEllipse(QPointF(x, cy), 4.5, 4.5);
        break;
    default:
        color = QColor(230, 230, 230);
        shape.addRect(x - 1, top, 2, bottom - top);
        break;
    }
    if (ghost)
        color.setAlpha(150);
    p.setPen(QPen(color.darker(170), 1));
    p.setBrush(color);
    p.drawPath(shape);
    if (item.style == StyleStopwatch) {
        const QPointF c(x, cy);
        p.setPen(QPen(QColor(20, 60, 30), 1.2));
        p.drawLine(c, c + QPointF(0, -3));
        p.drawLine(c, c + QPointF(2.5, 0));
    }
}

void OvTimeLine::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRect band = bandRect();
    const QRect axis = axisRect();
    const QColor bandColor = m_bands.empty() ? QColor(0, 10, 30) : m_bands.front().color;
    p.fillRect(band, bandColor);
    p.fillRect(axis, kAxisBack);
    if (m_knownUntil != NoTime && m_knownUntil < m_max) {
        const int x = std::max(axis.left(), timeToX(m_knownUntil));
        p.fillRect(QRect(x, axis.top(), axis.right() - x + 1, axis.height()), QBrush(QColor(255, 220, 120, 90), Qt::BDiagPattern));
    }

    // Ranges: the parts of the video that play, as bars with grips at their edges.
    const int barTop = band.top() + band.height() / 2 + 1;
    const int barHeight = std::max(5, band.bottom() - barTop - 1);
    for (const Range& r : m_ranges) {
        const int x0 = timeToX(r.start);
        const int x1 = std::max(x0 + 2, timeToX(r.end));
        const QRectF bar(x0, barTop, x1 - x0, barHeight);
        p.setPen(Qt::NoPen);
        p.setBrush(r.color);
        p.drawRoundedRect(bar, 2, 2);
        p.setBrush(r.color.lighter(150));
        p.drawRect(QRectF(x0, barTop, 2, barHeight));
        p.drawRect(QRectF(x1 - 2, barTop, 2, barHeight));
    }

    // The caption of the first band, in its own style.
    if (!m_bands.empty() && !m_bands.front().caption.isEmpty()) {
        p.setFont(bandCaptionFont());
        p.setPen(m_bands.front().captionColor);
        p.drawText(bandCaptionRect(), Qt::AlignLeft | Qt::AlignVCenter, m_bands.front().caption);
        p.setFont(font());
    }

    if (!m_status.isEmpty()) {
        p.setFont(bandCaptionFont());
        p.setPen(QColor(255, 220, 120));
        p.drawText(statusRect(), Qt::AlignRight | Qt::AlignTop, m_status);
        p.setFont(font());
    }

    // The axis: minor and major ticks, labels beside the major ones.
    const std::vector<Tick> all = ticks();
    p.setRenderHint(QPainter::Antialiasing, false);
    for (const Tick& t : all) {
        p.setPen(kTickColor);
        p.drawLine(t.x, axis.top(), t.x, axis.top() + (t.major ? 6 : 3));
        if (!t.label.isEmpty()) {
            p.setPen(kLabelColor);
            p.drawText(tickLabelRect(t), Qt::AlignLeft | Qt::AlignTop, t.label);
        }
    }
    p.setRenderHint(QPainter::Antialiasing);

    // Item captions on dark chips, where there is room for them, under the markers.
    p.setFont(itemCaptionFont());
    for (const auto& [id, chip] : itemCaptionRects()) {
        const Item* item = findItem(id);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0, 0, 0, 170));
        p.drawRoundedRect(chip, 2, 2);
        p.setPen(item->style == StyleKeyframe    ? QColor(255, 214, 64)
                 : item->style == StyleSyncPoint ? QColor(64, 214, 255)
                 : item->style == StyleStopwatch ? QColor(120, 240, 140)
                                                 : QColor(230, 230, 230));
        p.drawText(chip, Qt::AlignCenter, item->caption);
    }
    p.setFont(font());
    for (const Item& item : m_items)
        paintItem(p, item, false, item.time);
    if (m_drag == Drag::Item && m_moved)
        if (const Item* dragged = findItem(m_dragId))
            paintItem(p, *dragged, true, m_dragTime);

    // The current-time cursor with its handle on top.
    const int cx = timeToX(m_time);
    p.setPen(QPen(kCursorColor, 2));
    p.drawLine(cx, 0, cx, height());
    QPainterPath handle;
    handle.moveTo(cx - 5, 0);
    handle.lineTo(cx + 5, 0);
    handle.lineTo(cx, 6);
    handle.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(kCursorColor);
    p.drawPath(handle);

    if (m_hoverX >= 0 && m_drag == Drag::None) {
        p.setPen(QPen(QColor(255, 255, 255, 70), 1));
        p.drawLine(m_hoverX, 0, m_hoverX, height());
    }
    if (!isEnabled())
        p.fillRect(rect(), QColor(128, 128, 128, 110));
}
