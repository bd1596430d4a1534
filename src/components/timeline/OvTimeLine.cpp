#include "components/timeline/OvTimeLine.h"

#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QToolTip>
#include <algorithm>
#include <cmath>

namespace {
constexpr int kMargin = 7;        // keeps the ends of the axis reachable for the mouse
constexpr int kAxisHeight = 17;   // tick marks and labels at the bottom
constexpr int kHitRadius = 5;     // pixels around an item or range edge that count as a hit
constexpr int kDragThreshold = 3; // movement below this is a click
const QColor kAxisBack(24, 32, 48);
const QColor kTickColor(150, 162, 182);
const QColor kLabelColor(205, 212, 224);
const QColor kCursorColor(255, 72, 56);
} // namespace

OvTimeLine::OvTimeLine(QWidget* parent) : QWidget(parent)
{
    setMouseTracking(true);
    setMinimumHeight(30);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void OvTimeLine::setup(const QColor& bandColor, int)
{
    m_bands.clear();
    addBand(bandColor);
}

int OvTimeLine::addBand(const QColor& color)
{
    Band b;
    b.color = color;
    m_bands.push_back(b);
    update();
    return int(m_bands.size()) - 1;
}

void OvTimeLine::setBandCaption(int band, const QString& caption)
{
    if (band < 0 || band >= bandCount() || m_bands[size_t(band)].caption == caption)
        return;
    m_bands[size_t(band)].caption = caption;
    update(bandRect());
}

QString OvTimeLine::bandCaption(int band) const
{
    return band >= 0 && band < bandCount() ? m_bands[size_t(band)].caption : QString();
}

void OvTimeLine::setBandCaptionStyle(int band, int alignment, int size, int bold, const QColor& color)
{
    if (band < 0 || band >= bandCount())
        return;
    Band& b = m_bands[size_t(band)];
    b.alignment = alignment;
    b.captionSize = std::max(6, size);
    b.bold = bold != 0;
    b.captionColor = color;
    update();
}

void OvTimeLine::setMinimum(double t)
{
    m_min = t;
    update();
}

void OvTimeLine::setMaximum(double t)
{
    m_max = t;
    update();
}

void OvTimeLine::setCurrentTime(double t)
{
    if (t == m_time)
        return;
    m_time = t;
    update();
}

OvTimeLine::Item* OvTimeLine::findItem(int id)
{
    auto it = std::find_if(m_items.begin(), m_items.end(), [id](const Item& i) { return i.id == id; });
    return it == m_items.end() ? nullptr : &*it;
}

const OvTimeLine::Item* OvTimeLine::findItem(int id) const { return const_cast<OvTimeLine*>(this)->findItem(id); }

OvTimeLine::Range* OvTimeLine::findRange(int id)
{
    auto it = std::find_if(m_ranges.begin(), m_ranges.end(), [id](const Range& r) { return r.id == id; });
    return it == m_ranges.end() ? nullptr : &*it;
}

const OvTimeLine::Range* OvTimeLine::findRange(int id) const { return const_cast<OvTimeLine*>(this)->findRange(id); }

void OvTimeLine::addItem(int id, int style, double time)
{
    if (Item* existing = findItem(id)) {
        existing->style = style;
        existing->time = time;
    } else {
        m_items.push_back({id, style, time, {}});
    }
    update();
}

bool OvTimeLine::hasItem(int id) const { return findItem(id) != nullptr; }

float OvTimeLine::itemTime(int id) const
{
    const Item* i = findItem(id);
    return i ? float(i->time) : NoTime;
}

int OvTimeLine::itemStyle(int id) const
{
    const Item* i = findItem(id);
    return i ? i->style : 0;
}

QString OvTimeLine::itemCaption(int id) const
{
    const Item* i = findItem(id);
    return i ? i->caption : QString();
}

void OvTimeLine::setItemTime(int id, double time)
{
    if (Item* i = findItem(id)) {
        i->time = time;
        update();
    }
}

void OvTimeLine::setItemCaption(int id, const QString& caption)
{
    if (Item* i = findItem(id)) {
        i->caption = caption;
        update();
    }
}

void OvTimeLine::setItemId(int id, int newId)
{
    Item* i = findItem(id);
    if (!i || findItem(newId))
        return;
    i->id = newId;
    if (m_drag == Drag::Item && m_dragId == id)
        m_dragId = newId; // a drag in progress follows its item
}

void OvTimeLine::removeItem(int id)
{
    std::erase_if(m_items, [id](const Item& i) { return i.id == id; });
    if (m_drag == Drag::Item && m_dragId == id)
        m_drag = Drag::None;
    update();
}

void OvTimeLine::addRangeItem(int id, int style1, int style2, int style3, const QColor& color, double start,
                              double end)
{
    removeRangeItem(id);
    m_ranges.push_back({id, {style1, style2, style3}, color, start, end});
    update();
}

bool OvTimeLine::hasRangeItem(int id) const { return findRange(id) != nullptr; }

float OvTimeLine::rangeStart(int id) const
{
    const Range* r = findRange(id);
    return r ? float(r->start) : NoTime;
}

float OvTimeLine::rangeEnd(int id) const
{
    const Range* r = findRange(id);
    return r ? float(r->end) : NoTime;
}

void OvTimeLine::setRange(int id, double start, double end)
{
    if (Range* r = findRange(id)) {
        r->start = start;
        r->end = end;
        update();
    }
}

void OvTimeLine::setRangeId(int id, int newId)
{
    Range* r = findRange(id);
    if (!r || findRange(newId))
        return;
    r->id = newId;
    if (m_dragId == id && (m_drag == Drag::RangeStart || m_drag == Drag::RangeEnd || m_drag == Drag::RangeWhole))
        m_dragId = newId;
}

void OvTimeLine::removeRangeItem(int id)
{
    std::erase_if(m_ranges, [id](const Range& r) { return r.id == id; });
    if (m_dragId == id && (m_drag == Drag::RangeStart || m_drag == Drag::RangeEnd || m_drag == Drag::RangeWhole))
        m_drag = Drag::None;
    update();
}

QRect OvTimeLine::axisRect() const { return QRect(0, height() - kAxisHeight, width(), kAxisHeight); }

QRect OvTimeLine::bandRect() const { return QRect(0, 0, width(), height() - kAxisHeight); }

int OvTimeLine::timeToX(double t) const
{
    const double span = m_max - m_min;
    const int usable = std::max(1, width() - 2 * kMargin);
    if (span <= 0)
        return kMargin;
    return kMargin + int(std::lround((t - m_min) / span * usable));
}

double OvTimeLine::xToTime(int x) const
{
    const double span = m_max - m_min;
    const int usable = std::max(1, width() - 2 * kMargin);
    const double t = m_min + double(x - kMargin) / usable * span;
    return std::clamp(t, m_min, std::max(m_min, m_max));
}

// The smallest "nice" step whose labels do not crowd each other.
double OvTimeLine::tickStep() const
{
    static const double steps[] = {0.001, 0.002, 0.005, 0.01, 0.02, 0.05, 0.1, 0.2, 0.5, 1, 2, 5, 10, 15, 30,
                                   60, 120, 300, 600, 900, 1800, 3600, 7200, 18000, 36000};
    const double span = m_max - m_min;
    if (span <= 0)
        return 1;
    const QFontMetrics fm(font());
    const int usable = std::max(1, width() - 2 * kMargin);
    for (double step : steps) {
        const int labelWidth = fm.horizontalAdvance(tickLabel(m_max, step)) + 16;
        if (step / span * usable >= labelWidth)
            return step;
    }
    return steps[std::size(steps) - 1];
}

QString OvTimeLine::tickLabel(double t, double step) const
{
    const double a = std::fabs(t);
    const QString sign = t < -1e-9 ? QStringLiteral("-") : QString();
    if (step >= 60) {
        const long long s = std::llround(a);
        if (s >= 3600)
            return sign + QStringLiteral("%1:%2:%3").arg(s / 3600).arg((s / 60) % 60, 2, 10, QLatin1Char('0')).arg(s % 60, 2, 10, QLatin1Char('0'));
        return sign + QStringLiteral("%1:%2").arg(s / 60).arg(s % 60, 2, 10, QLatin1Char('0'));
    }
    const int decimals = step >= 1 ? 0 : step >= 0.1 ? 1 : step >= 0.01 ? 2 : 3;
    return sign + QString::number(a, 'f', decimals) + QStringLiteral(" s");
}

std::vector<OvTimeLine::Tick> OvTimeLine::ticks() const
{
    std::vector<Tick> out;
    if (m_max <= m_min)
        return out;
    const double step = tickStep();
    const double minor = step / ((std::fmod(step * 1000, 3) == 0 && step >= 15) ? 3 : (step >= 60 ? 4 : 5));
    const long long first = (long long)std::ceil(m_min / minor - 1e-9);
    const long long last = (long long)std::floor(m_max / minor + 1e-9);
    if (last - first > 5000)
        return out;
    QRect previousLabel;
    for (long long k = first; k <= last; ++k) {
        const double t = k * minor;
        const double q = t / step;
        const bool major = std::fabs(q - std::round(q)) < 1e-6;
        Tick tick{t, timeToX(t), major, major ? tickLabel(t, step) : QString()};
        if (major) {
            // A label pushed left of its tick at the right end must not run into its neighbour.
            const QRect r = tickLabelRect(tick);
            if (r.adjusted(-4, 0, 4, 0).intersects(previousLabel))
                tick.label.clear();
            else
                previousLabel = r;
        }
        out.push_back(tick);
    }
    return out;
}

QRect OvTimeLine::tickLabelRect(const Tick& tick) const
{
    const QFontMetrics fm(font());
    const int w = fm.horizontalAdvance(tick.label);
    const QRect axis = axisRect();
    int left = tick.x + 3;
    if (left + w > width() - 1)
        left = tick.x - 3 - w; // the last label stands left of its tick
    return QRect(left, axis.top() + 2, w, fm.height());
}

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

QFont OvTimeLine::bandCaptionFont() const
{
    QFont f = font();
    if (!m_bands.empty()) {
        f.setPixelSize(std::min(m_bands.front().captionSize, std::max(8, bandRect().height() / 2)));
        f.setBold(m_bands.front().bold);
    }
    return f;
}

QFont OvTimeLine::itemCaptionFont() const
{
    QFont f = font();
    f.setPixelSize(10);
    return f;
}

QRect OvTimeLine::bandCaptionRect() const
{
    if (m_bands.empty() || m_bands.front().caption.isEmpty())
        return {};
    const Band& b = m_bands.front();
    const QRect band = bandRect();
    const QRect area = band.adjusted(kMargin + 2, 1, -kMargin - 2, -(band.height() / 2));
    const int flags = (b.alignment == 2 ? Qt::AlignHCenter : b.alignment == 3 ? Qt::AlignRight : Qt::AlignLeft) |
                      Qt::AlignVCenter;
    return QFontMetrics(bandCaptionFont()).boundingRect(area, flags, b.caption);
}

std::vector<std::pair<int, QRect>> OvTimeLine::itemCaptionRects() const
{
    std::vector<std::pair<int, QRect>> placed;
    const QFontMetrics fm(itemCaptionFont());
    const QRect band = bandRect();
    std::vector<QRect> taken;
    if (const QRect caption = bandCaptionRect(); !caption.isEmpty())
        taken.push_back(caption.adjusted(-3, 0, 3, 0));
    const auto place = [&](const Item& item) {
        if (item.caption.isEmpty())
            return;
        const int x = timeToX(item.time);
        const int w = fm.horizontalAdvance(item.caption) + 4;
        const int left = (x + 8 + w < width()) ? x + 5 : std::max(0, x - 5 - w);
        const QRect chip(left, band.top() + 1, w, fm.height());
        for (const QRect& r : taken)
            if (r.intersects(chip))
                return;
        taken.push_back(chip.adjusted(-2, 0, 2, 0));
        placed.emplace_back(item.id, chip);
    };
    const Item* hovered = m_hoverX >= 0 && m_drag == Drag::None ? itemAt(QPoint(m_hoverX, band.center().y())) : nullptr;
    if (hovered)
        place(*hovered);
    std::vector<const Item*> byX;
    for (const Item& item : m_items)
        if (&item != hovered)
            byX.push_back(&item);
    std::stable_sort(byX.begin(), byX.end(), [](const Item* a, const Item* b) { return a->time < b->time; });
    for (const Item* item : byX)
        place(*item);
    return placed;
}

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

void OvTimeLine::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRect band = bandRect();
    const QRect axis = axisRect();
    const QColor bandColor = m_bands.empty() ? QColor(0, 10, 30) : m_bands.front().color;
    p.fillRect(band, bandColor);
    p.fillRect(axis, kAxisBack);

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
