#include "OvDia.h"

#include <QLinearGradient>
#include <QPaintEvent>
#include <QPainter>
#include <QPolygonF>
#include <algorithm>
#include <cmath>

namespace {
constexpr int kSeparator = 1; // pixels between lanes
constexpr int kLabelFontPx = 10;
} // namespace

OvDia::OvDia(const OvDiaSettings& settings, QWidget* parent) : QWidget(parent), m_settings(settings)
{
    m_rangeMin = settings.timeMin;
    m_rangeMax = settings.timeMax;
    setAttribute(Qt::WA_OpaquePaintEvent);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

int OvDia::addSeries(const AudioSeries& series, int sampleRate, double offset)
{
    if (series.sampleCount() <= 0 || sampleRate <= 0)
        return seriesCount();
    m_lanes.push_back({series, sampleRate, offset});
    invalidate();
    update();
    return seriesCount();
}

void OvDia::clearSeries()
{
    m_lanes.clear();
    invalidate();
    update();
}

void OvDia::setTimeRange(double tMin, double tMax)
{
    m_rangeMin = tMin;
    m_rangeMax = tMax;
    invalidate();
    update();
}

double OvDia::timeMin() const { return m_rangeMax > m_rangeMin ? m_rangeMin : 0.0; }

double OvDia::timeMax() const
{
    if (m_rangeMax > m_rangeMin)
        return m_rangeMax;
    double end = 0.0;
    for (const Lane& lane : m_lanes)
        end = std::max(end, lane.offset + double(lane.series.sampleCount()) / lane.sampleRate);
    return end;
}

double OvDia::timeToX(double t) const
{
    const double t0 = timeMin();
    const double span = timeMax() - t0;
    return span > 0 ? (t - t0) / span * width() : 0.0;
}

int OvDia::cursorX() const
{
    if (m_lanes.empty() || timeMax() <= timeMin() || width() <= 0)
        return -1;
    return std::clamp(int(std::lround(timeToX(double(m_cursor)))), 0, width() - 1);
}

QRect OvDia::laneRect(int lane) const
{
    const int n = seriesCount();
    if (lane < 0 || lane >= n)
        return {};
    // Lanes share the height; the first ones take the pixels that do not divide evenly.
    const int usable = height() - (n - 1) * kSeparator;
    const int base = usable / n;
    const int extra = usable % n;
    const int top = lane * (base + kSeparator) + std::min(lane, extra);
    return QRect(0, top, width(), base + (lane < extra ? 1 : 0));
}

double OvDia::amplitudeToY(int lane, double v) const
{
    const QRect r = laneRect(lane);
    const double centre = r.top() + r.height() / 2.0;
    const double half = std::max(0.0, r.height() / 2.0 - m_settings.lanePadding);
    return centre - v * half;
}

void OvDia::setCursorTime(float t)
{
    const int before = cursorX();
    m_cursor = t;
    const int after = cursorX();
    if (before == after)
        return;
    // Only the strips under the old and the new cursor are painted again.
    if (before >= 0)
        update(cursorRect(before));
    if (after >= 0)
        update(cursorRect(after));
}

QRect OvDia::cursorRect(int x) const
{
    const int w = std::max(1, m_settings.cursorWidth);
    return QRect(x - w / 2 - 1, 0, w + 2, height());
}

QSize OvDia::sizeHint() const { return {400, 24 + 40 * std::max(1, seriesCount())}; }
QSize OvDia::minimumSizeHint() const { return {40, 16}; }


void OvDia::invalidate() { m_waveStale = true; }

const QPixmap& OvDia::waveform()
{
    const qreal dpr = devicePixelRatioF();
    const QSize device(int(std::ceil(width() * dpr)), int(std::ceil(height() * dpr)));
    if (m_waveStale || m_wave.size() != device || m_wave.devicePixelRatio() != dpr) {
        m_wave = QPixmap(device);
        m_wave.setDevicePixelRatio(dpr);
        renderWaveform(m_wave);
        m_waveStale = false;
        ++m_renders;
    }
    return m_wave;
}

void OvDia::paintEvent(QPaintEvent* event)
{
    QPainter p(this);
    const QRect dirty = event->rect();
    if (width() <= 0 || height() <= 0)
        return;
    const QPixmap& wave = waveform();
    const qreal dpr = wave.devicePixelRatio();
    const QRectF source(dirty.x() * dpr, dirty.y() * dpr, dirty.width() * dpr, dirty.height() * dpr);
    p.drawPixmap(QRectF(dirty), wave, source);

    const int x = cursorX();
    if (x < 0)
        return;
    // Whole pixel columns keep the cursor crisp at any width.
    const int w = std::max(1, m_settings.cursorWidth);
    const QRect line(x - w / 2, 0, w, height());
    if (line.intersects(dirty))
        p.fillRect(line, m_settings.cursor);
}

void OvDia::renderWaveform(QPixmap& target) const
{
    target.fill(m_settings.background);
    QPainter p(&target);
    const double dpr = target.devicePixelRatio();
    const int deviceWidth = target.width();
    for (int i = 0; i < seriesCount(); ++i) {
        const QRect lane = laneRect(i);
        if (i % 2 == 1)
            p.fillRect(lane, m_settings.laneAlternate);
        if (i > 0)
            p.fillRect(QRect(0, lane.top() - kSeparator, width(), kSeparator), m_settings.separator);
        drawLane(p, i, dpr, deviceWidth);
    }
}

void OvDia::drawLane(QPainter& p, int index, double dpr, int deviceWidth) const
{
    const Lane& lane = m_lanes[size_t(index)];
    const QRect r = laneRect(index);
    if (r.height() < 4 || deviceWidth <= 0)
        return;
    const double centre = amplitudeToY(index, 0.0);
    p.fillRect(QRectF(0, centre - 0.5, width(), 1.0), m_settings.centreLine);

    // The device columns that the series covers, and the samples under them.
    const double t0 = timeMin();
    const double span = timeMax() - t0;
    if (span <= 0)
        return;
    const double secondsPerColumn = span / deviceWidth;
    const double seriesEnd = lane.offset + double(lane.series.sampleCount()) / lane.sampleRate;
    const int c0 = std::clamp(int(std::floor((lane.offset - t0) / secondsPerColumn)), 0, deviceWidth);
    const int c1 = std::clamp(int(std::ceil((seriesEnd - t0) / secondsPerColumn)), 0, deviceWidth);
    if (c1 <= c0)
        return;
    const auto sampleAt = [&](int column) {
        const double t = t0 + column * secondsPerColumn - lane.offset;
        return std::clamp<int64_t>(std::llround(t * lane.sampleRate), 0, lane.series.sampleCount());
    };
    const int64_t s0 = sampleAt(c0);
    const int64_t s1 = sampleAt(c1);
    if (s1 <= s0)
        return;
    const std::vector<AudioSeries::MinMax> env = lane.series.envelope(c1 - c0, s0, s1);

    // Top edge left to right along the maxima, bottom edge back along the minima: one filled
    // outline per lane, at least one device pixel thick so silence still shows as a line.
    const double minThickness = 1.0 / dpr;
    QPolygonF outline;
    outline.reserve(int(env.size()) * 2 + 2);
    std::vector<double> bottoms(env.size());
    for (size_t i = 0; i < env.size(); ++i) {
        const double x = (c0 + double(i) + 0.5) / dpr;
        double top = amplitudeToY(index, std::clamp<double>(env[i].max, -1.0, 1.0));
        double bottom = amplitudeToY(index, std::clamp<double>(env[i].min, -1.0, 1.0));
        if (bottom - top < minThickness) {
            const double mid = (top + bottom) / 2;
            top = mid - minThickness / 2;
            bottom = mid + minThickness / 2;
        }
        outline << QPointF(x, top);
        bottoms[i] = bottom;
    }
    for (size_t i = env.size(); i-- > 0;)
        outline << QPointF((c0 + double(i) + 0.5) / dpr, bottoms[i]);

    QLinearGradient fill(0, r.top(), 0, r.bottom() + 1);
    const QColor edge = m_settings.wave;
    const QColor core = m_settings.wave.lighter(145);
    fill.setColorAt(0.0, edge);
    fill.setColorAt(0.5, core);
    fill.setColorAt(1.0, edge);
    p.save();
    p.setClipRect(r);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(Qt::NoPen);
    p.setBrush(fill);
    p.drawPolygon(outline);
    p.restore();

    if (m_settings.showLaneLabels) {
        QFont font = p.font();
        font.setPixelSize(kLabelFontPx);
        font.setBold(true);
        p.setFont(font);
        p.setPen(m_settings.label);
        p.drawText(r.adjusted(6, 2, -6, -2), Qt::AlignLeft | Qt::AlignTop, laneLabel(index));
    }
}

QString OvDia::laneLabel(int index) const
{
    if (seriesCount() == 2)
        return index == 0 ? QStringLiteral("L") : QStringLiteral("R");
    return QString::number(index + 1);
}
