// The strip's mouse gestures: what a press hits, clicks and drags of the time, items and range
// edges (reported to the owner as signals with the time under the mouse), and tool tips.
#include "components/timeline/OvTimeLine.h"

#include <QHelpEvent>
#include <QMouseEvent>
#include <QToolTip>
#include <algorithm>
#include <cmath>

namespace {
constexpr int kHitRadius = 5;     // pixels around an item or range edge that count as a hit
constexpr int kDragThreshold = 3; // movement below this is a click
} // namespace

bool OvTimeLine::event(QEvent* e)
{
    if (e->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(e);
        if (const Item* item = itemAt(help->pos()); item && !item->caption.isEmpty())
            QToolTip::showText(help->globalPos(), item->caption, this);
        else
            QToolTip::hideText();
        return true;
    }
    return QWidget::event(e);
}

bool OvTimeLine::dragging() const { return m_drag != Drag::None; }

const OvTimeLine::Item* OvTimeLine::itemAt(const QPoint& pos) const
{
    if (!bandRect().contains(pos))
        return nullptr;
    const Item* best = nullptr;
    int bestDistance = kHitRadius + 1;
    for (const Item& item : m_items) {
        const int d = std::abs(timeToX(item.time) - pos.x());
        if (d < bestDistance) {
            best = &item;
            bestDistance = d;
        }
    }
    return best;
}

const OvTimeLine::Range* OvTimeLine::rangeAt(const QPoint& pos, RangePart* part) const
{
    if (!bandRect().contains(pos))
        return nullptr;
    // Edges first, nearest edge wins, so that adjacent ranges stay separable.
    const Range* best = nullptr;
    int bestDistance = kHitRadius + 1;
    for (const Range& r : m_ranges) {
        for (const auto& [x, which] : {std::pair{timeToX(r.start), PartStart}, std::pair{timeToX(r.end), PartEnd}}) {
            const int d = std::abs(x - pos.x());
            if (d < bestDistance) {
                best = &r;
                bestDistance = d;
                *part = which;
            }
        }
    }
    if (best)
        return best;
    for (const Range& r : m_ranges) {
        if (pos.x() > timeToX(r.start) && pos.x() < timeToX(r.end)) {
            *part = PartWhole;
            return &r;
        }
    }
    return nullptr;
}

void OvTimeLine::mousePressEvent(QMouseEvent* event)
{
    const QPoint pos = event->position().toPoint();
    m_pressPos = pos;
    m_moved = false;
    m_drag = Drag::None;
    m_dragId = -1;
    const bool right = event->button() == Qt::RightButton;
    if (event->button() != Qt::LeftButton && !right)
        return;

    if (const Item* item = itemAt(pos)) {
        if (right) {
            Q_EMIT ItemClicked(0, item->id, FlagContextMenu, float(item->time));
            return;
        }
        m_drag = Drag::Item;
        m_dragId = item->id;
        m_dragTime = item->time;
        return;
    }
    RangePart part = PartWhole;
    if (const Range* r = rangeAt(pos, &part)) {
        if (right) {
            Q_EMIT RangeClicked(0, r->id, 0, 0, float(xToTime(pos.x())));
            return;
        }
        // A plain click inside a range still moves the time; only a drag edits the range.
        m_drag = part == PartStart ? Drag::RangeStart : part == PartEnd ? Drag::RangeEnd : Drag::RangeWhole;
        m_dragId = r->id;
        m_dragStart0 = r->start;
        m_dragEnd0 = r->end;
        return;
    }
    if (right) {
        Q_EMIT BandClicked(0, 0, 0, FlagContextMenu);
        return;
    }
    m_drag = Drag::Cursor;
    Q_EMIT TimeChanged(float(xToTime(pos.x())));
}

void OvTimeLine::emitRangeDrag(const QPoint& pos, int flags)
{
    const double dt = xToTime(pos.x()) - xToTime(m_pressPos.x());
    double start = m_dragStart0;
    double end = m_dragEnd0;
    int part = PartWhole;
    switch (m_drag) {
    case Drag::RangeStart: start = xToTime(pos.x()); part = PartStart; break;
    case Drag::RangeEnd: end = xToTime(pos.x()); part = PartEnd; break;
    default: start += dt; end += dt; break;
    }
    Q_EMIT RangeChanged(0, m_dragId, part, float(start), float(end), flags);
}

void OvTimeLine::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint pos = event->position().toPoint();
    if (m_drag == Drag::None) {
        m_hoverX = pos.x();
        RangePart part = PartWhole;
        if (itemAt(pos))
            setCursor(Qt::PointingHandCursor);
        else if (rangeAt(pos, &part) && part != PartWhole)
            setCursor(Qt::SizeHorCursor);
        else
            unsetCursor();
        update();
        return;
    }
    if (!m_moved && (pos - m_pressPos).manhattanLength() < kDragThreshold)
        return;
    m_moved = true;
    switch (m_drag) {
    case Drag::Cursor: Q_EMIT TimeChanged(float(xToTime(pos.x()))); break;
    case Drag::Item:
        m_dragTime = xToTime(pos.x());
        update();
        Q_EMIT ItemChanged(0, m_dragId, pos.x(), float(m_dragTime));
        break;
    case Drag::RangeStart:
    case Drag::RangeEnd: emitRangeDrag(pos, FlagDragEdge); break;
    case Drag::RangeWhole: emitRangeDrag(pos, FlagDragWhole); break;
    case Drag::None: break;
    }
}

void OvTimeLine::mouseReleaseEvent(QMouseEvent* event)
{
    const QPoint pos = event->position().toPoint();
    const Drag drag = std::exchange(m_drag, Drag::None);
    const int id = m_dragId;
    m_dragId = -1;
    if (event->button() != Qt::LeftButton)
        return;
    switch (drag) {
    case Drag::Item:
        if (m_moved) {
            Q_EMIT ItemChanged(0, id, pos.x(), float(xToTime(pos.x())));
        } else if (const Item* item = findItem(id)) {
            Q_EMIT ItemClicked(0, id, FlagGotoTime, float(item->time));
        }
        update();
        break;
    case Drag::RangeStart:
    case Drag::RangeEnd:
    case Drag::RangeWhole:
        if (m_moved) {
            m_drag = drag;
            m_dragId = id;
            emitRangeDrag(pos, FlagDragDone);
            m_drag = Drag::None;
            m_dragId = -1;
        } else {
            Q_EMIT TimeChanged(float(xToTime(pos.x())));
        }
        break;
    case Drag::Cursor:
    case Drag::None: break;
    }
    m_moved = false;
}

void OvTimeLine::leaveEvent(QEvent*)
{
    m_hoverX = -1;
    update();
}
