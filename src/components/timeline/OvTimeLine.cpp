// The strip's model and geometry: bands, items and ranges, the mapping between time and pixels,
// the ticks of the axis and where captions go. Painting and the mouse live in files of their own.
#include "components/timeline/OvTimeLine.h"

#include <QFontMetrics>
#include <algorithm>
#include <cmath>

namespace {
constexpr int kMargin = 7;        // keeps the ends of the axis reachable for the mouse
constexpr int kAxisHeight = 17;   // tick marks and labels at the bottom
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

void OvTimeLine::setStatus(const QString& text)
{
    if (text == m_status)
        return;
    m_status = text;
    update();
}

void OvTimeLine::setKnownUntil(double t)
{
    if (t == m_knownUntil)
        return;
    m_knownUntil = t;
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

QRect OvTimeLine::statusRect() const
{
    if (m_status.isEmpty())
        return {};
    return QFontMetrics(bandCaptionFont()).boundingRect(bandRect().adjusted(4, 0, -4, 0), Qt::AlignRight | Qt::AlignTop, m_status);
}

std::vector<std::pair<int, QRect>> OvTimeLine::itemCaptionRects() const
{
    std::vector<std::pair<int, QRect>> placed;
    const QFontMetrics fm(itemCaptionFont());
    const QRect band = bandRect();
    std::vector<QRect> taken;
    if (const QRect caption = bandCaptionRect(); !caption.isEmpty())
        taken.push_back(caption.adjusted(-3, 0, 3, 0));
    if (const QRect status = statusRect(); !status.isEmpty())
        taken.push_back(status.adjusted(-3, 0, 3, 0));
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
