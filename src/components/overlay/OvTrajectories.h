#pragma once

#include "components/tracking/Trajectory.h"
#include "components/viewer/OverlayCollection.h"

#include <QPointF>
#include <vector>

// The trajectories of one view above its picture: the path up to the present frame drawn solid,
// the rest faint and dashed, and a ring with the name where the point stands in the present
// frame. One of them is the active one, the one the tools work on.
class OvTrajectories : public OverlayCollection {
public:
    void draw(QPainter& painter, const PictureMapping& mapping, int frame) const override;

    const std::vector<tracking::Trajectory>& all() const { return m_all; }
    int count() const { return int(m_all.size()); }
    const tracking::Trajectory& at(int idx) const { return m_all[size_t(idx)]; }
    // A new trajectory with the next free name and colour of the palette; its index.
    int add(const tracking::Trajectory& t);
    void remove(int idx);
    void replaceAll(const std::vector<tracking::Trajectory>& all);
    void setName(int idx, const QString& name) { m_all[size_t(idx)].name = name; }
    void setColor(int idx, const QColor& color) { m_all[size_t(idx)].color = color; }
    void setSmoothing(int idx, int window, int order);

    // Puts the point in its frame's place, replacing the one there.
    void setPoint(int idx, const tracking::TrajectoryPoint& p);
    // Drops the points after, or before, `frame`.
    void truncateAfter(int idx, int frame);
    void truncateBefore(int idx, int frame);
    // The point of the trajectory in `frame`, or null.
    const tracking::TrajectoryPoint* pointAt(int idx, int frame) const;

    // The topmost trajectory whose point in `frame` lies within `tolerance` picture pixels of
    // `pos`; -1 when none.
    int hit(int frame, QPointF pos, double tolerance) const;

    int active() const { return m_active; }
    void setActive(int idx) { m_active = idx >= 0 && idx < count() ? idx : -1; }

    // A name like "Track 3" not yet taken, for a new trajectory ("%1" is the number).
    QString freeName(const QString& pattern) const;

private:
    std::vector<tracking::Trajectory> m_all;
    int m_active = -1;
};
