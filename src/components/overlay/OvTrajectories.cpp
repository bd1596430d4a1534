#include "OvTrajectories.h"

#include "components/viewer/PictureMapping.h"

#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <array>

namespace {

// Colours that stand out from each other and from most pictures.
const std::array<QColor, 6> kPalette{QColor(255, 80, 40), QColor(40, 200, 255), QColor(255, 220, 0),
                                     QColor(120, 255, 80), QColor(255, 90, 220), QColor(255, 255, 255)};

template <typename Points>
auto byFrame(Points& points, int frame)
{
    return std::lower_bound(points.begin(), points.end(), frame,
                            [](const tracking::TrajectoryPoint& p, int f) { return p.frame < f; });
}

} // namespace

int OvTrajectories::add(const tracking::Trajectory& t)
{
    tracking::Trajectory made = t;
    if (!made.color.isValid())
        made.color = kPalette[m_all.size() % kPalette.size()];
    m_all.push_back(made);
    return count() - 1;
}

void OvTrajectories::remove(int idx)
{
    if (idx < 0 || idx >= count())
        return;
    m_all.erase(m_all.begin() + idx);
    if (m_active == idx)
        m_active = -1;
    else if (m_active > idx)
        --m_active;
}

void OvTrajectories::replaceAll(const std::vector<tracking::Trajectory>& all)
{
    m_all = all;
    m_active = -1;
}

void OvTrajectories::setSmoothing(int idx, int window, int order)
{
    m_all[size_t(idx)].window = window;
    m_all[size_t(idx)].order = order;
}

void OvTrajectories::setPoint(int idx, const tracking::TrajectoryPoint& p)
{
    auto& points = m_all[size_t(idx)].points;
    const auto it = byFrame(points, p.frame);
    if (it != points.end() && it->frame == p.frame)
        *it = p;
    else
        points.insert(it, p);
}

void OvTrajectories::truncateAfter(int idx, int frame)
{
    auto& points = m_all[size_t(idx)].points;
    points.erase(byFrame(points, frame + 1), points.end());
}

void OvTrajectories::truncateBefore(int idx, int frame)
{
    auto& points = m_all[size_t(idx)].points;
    points.erase(points.begin(), byFrame(points, frame));
}

const tracking::TrajectoryPoint* OvTrajectories::pointAt(int idx, int frame) const
{
    const auto& points = m_all[size_t(idx)].points;
    const auto it = byFrame(points, frame);
    return it != points.end() && it->frame == frame ? &*it : nullptr;
}

int OvTrajectories::hit(int frame, QPointF pos, double tolerance) const
{
    for (int idx = count() - 1; idx >= 0; --idx) {
        const tracking::TrajectoryPoint* p = pointAt(idx, frame);
        if (p && QLineF(p->pos, pos).length() <= tolerance)
            return idx;
    }
    return -1;
}

QString OvTrajectories::freeName(const QString& pattern) const
{
    for (int n = 1;; ++n) {
        const QString name = pattern.arg(n);
        if (std::none_of(m_all.begin(), m_all.end(), [&](const tracking::Trajectory& t) { return t.name == name; }))
            return name;
    }
}

void OvTrajectories::draw(QPainter& painter, const PictureMapping& map, int frame) const
{
    if (!map.isValid())
        return;
    painter.setRenderHint(QPainter::Antialiasing);
    for (int idx = 0; idx < count(); ++idx) {
        const tracking::Trajectory& t = m_all[size_t(idx)];
        if (t.points.empty())
            continue;
        // Each step between following frames is a segment, past when it ends by the present
        // frame; a gap (points set by hand now and then) is not bridged, its points are dots.
        QPainterPath past, future;
        for (size_t i = 0; i < t.points.size(); ++i) {
            const tracking::TrajectoryPoint& p = t.points[i];
            QPainterPath& part = p.frame <= frame ? past : future;
            const bool joinedBefore = i > 0 && t.points[i - 1].frame == p.frame - 1;
            const bool joinedAfter = i + 1 < t.points.size() && t.points[i + 1].frame == p.frame + 1;
            if (joinedBefore) {
                part.moveTo(map.toViewer(t.points[i - 1].pos));
                part.lineTo(map.toViewer(p.pos));
            } else if (!joinedAfter) {
                part.addEllipse(map.toViewer(p.pos), 1.5, 1.5);
            }
        }
        QColor faint = t.color;
        faint.setAlpha(130);
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(faint, 1, Qt::DashLine));
        painter.drawPath(future);
        painter.setPen(QPen(t.color, idx == m_active ? 2.5 : 1.8));
        painter.drawPath(past);
        if (const tracking::TrajectoryPoint* now = pointAt(idx, frame)) {
            const QPointF at = map.toViewer(now->pos);
            painter.setPen(QPen(Qt::black, 4));
            painter.drawEllipse(at, 7, 7);
            painter.setPen(QPen(t.color, 2));
            painter.drawEllipse(at, 7, 7);
            painter.drawLine(at - QPointF(3, 0), at + QPointF(3, 0));
            painter.drawLine(at - QPointF(0, 3), at + QPointF(0, 3));
            const QPointF label = at + QPointF(10, -10);
            painter.setPen(Qt::black);
            painter.drawText(label + QPointF(1, 1), t.name);
            painter.setPen(t.color);
            painter.drawText(label, t.name);
        }
    }
}
