#include "view/TrajectoryTool.h"

#include "app/M_Rc.h"
#include "components/viewer/OvVView.h"

namespace {
constexpr int kStrTrackName = 3979; // "Track %1"
}

TrajectoryTool::TrajectoryTool(OvVView* viewer, QObject* parent) : QObject(parent), m_viewer(viewer) {}

TrajectoryTool::~TrajectoryTool() = default;

tracking::TrajectoryPoint TrajectoryTool::pointHere(int frame, QPointF pos) const
{
    return {frame, m_viewer->source().frameTime(frame), pos, 1.0};
}

bool TrajectoryTool::press(QPointF pos, double tolerance, bool automatic)
{
    if (!m_viewer || !m_viewer->isOpen())
        return false;
    const int frame = m_viewer->currentFrame();
    QPointF offset;
    int idx = m_overlay.hit(frame, pos, tolerance);
    if (idx >= 0)
        offset = m_overlay.pointAt(idx, frame)->pos - pos; // a grabbed point moves with the pointer
    else
        idx = continued(frame, automatic);
    if (idx < 0) {
        tracking::Trajectory t;
        t.name = m_overlay.freeName(M_Rc::getRcStr(kStrTrackName));
        idx = m_overlay.add(t);
    }
    if (idx == m_jobTrajectory)
        cancel();
    m_overlay.setActive(idx);
    m_overlay.setPoint(idx, pointHere(frame, pos + offset));
    m_drag = Drag{idx, automatic, offset};
    emit changed();
    return true;
}

int TrajectoryTool::continued(int frame, bool automatic) const
{
    // By hand the active trajectory takes the point of every frame; the automatic tool goes on
    // with a trajectory that ends just before this frame (where its point was lost), the
    // active one first.
    const int active = m_overlay.active();
    if (!automatic)
        return active;
    const auto endsBefore = [&](int idx) {
        const auto& points = m_overlay.at(idx).points;
        return idx != m_jobTrajectory && !points.empty() && points.back().frame == frame - 1;
    };
    if (active >= 0 && endsBefore(active))
        return active;
    for (int idx = m_overlay.count() - 1; idx >= 0; --idx)
        if (endsBefore(idx))
            return idx;
    return -1;
}

void TrajectoryTool::move(QPointF pos)
{
    if (!m_drag || !m_viewer)
        return;
    m_overlay.setPoint(m_drag->idx, pointHere(m_viewer->currentFrame(), pos + m_drag->offset));
    emit changed();
}

void TrajectoryTool::release(QPointF pos)
{
    if (!m_drag || !m_viewer)
        return;
    const Drag drag = *m_drag;
    m_drag.reset();
    const int frame = m_viewer->currentFrame();
    const QPointF at = pos + drag.offset;
    m_overlay.setPoint(drag.idx, pointHere(frame, at));
    if (drag.automatic) {
        // What was tracked after a corrected point followed the slipped one: track it again.
        m_overlay.truncateAfter(drag.idx, frame);
        follow(drag.idx, frame, at);
    }
    emit changed();
}

void TrajectoryTool::followBack(int idx)
{
    if (!m_viewer || idx < 0 || idx >= m_overlay.count())
        return;
    const int frame = m_viewer->currentFrame();
    const tracking::TrajectoryPoint* here = m_overlay.pointAt(idx, frame);
    if (!here)
        return;
    const QPointF start = here->pos;
    if (idx == m_jobTrajectory)
        cancel();
    m_overlay.truncateBefore(idx, frame);
    m_overlay.setActive(idx);
    follow(idx, frame, start, 0);
    emit changed();
}

void TrajectoryTool::follow(int idx, int from, QPointF start, int to)
{
    cancel();
    if (from == to) {
        emit stopped(idx, int(tracking::TrackStop::RangeEnd), from);
        return;
    }
    m_job = std::make_unique<tracking::TrackJob>();
    m_jobTrajectory = idx;
    const unsigned generation = ++m_generation;
    connect(m_job.get(), &tracking::TrackJob::pointFound, this, [this, generation](int frame, QPointF pos, double conf) {
        if (generation != m_generation || m_jobTrajectory < 0)
            return;
        tracking::TrajectoryPoint p = pointHere(frame, pos);
        p.confidence = conf;
        m_overlay.setPoint(m_jobTrajectory, p);
        emit changed();
    });
    connect(m_job.get(), &tracking::TrackJob::finished, this, [this, generation](int stop, int frame) {
        if (generation != m_generation)
            return;
        const int idx = m_jobTrajectory;
        m_jobTrajectory = -1;
        emit stopped(idx, stop, frame);
    });
    tracking::TrackJob::Request request;
    request.path = m_viewer->path();
    request.openFlags = m_viewer->flags();
    request.from = from;
    request.start = start;
    request.to = to;
    m_job->start(request);
    emit started(idx);
}

void TrajectoryTool::stop()
{
    if (!tracking() || m_jobTrajectory < 0)
        return;
    const int idx = m_jobTrajectory;
    cancel();
    const auto& points = m_overlay.at(idx).points;
    emit stopped(idx, int(tracking::TrackStop::Cancelled), points.empty() ? 0 : points.back().frame);
}

void TrajectoryTool::cancel()
{
    ++m_generation; // whatever the run still reports is dropped
    m_job.reset();
    m_jobTrajectory = -1;
}

void TrajectoryTool::restore(const std::vector<tracking::Trajectory>& all)
{
    cancel();
    m_drag.reset();
    m_overlay.replaceAll(all);
    emit changed();
}

void TrajectoryTool::remove(int idx)
{
    if (idx == m_jobTrajectory)
        cancel();
    else if (m_jobTrajectory > idx)
        --m_jobTrajectory;
    m_drag.reset();
    m_overlay.remove(idx);
    emit changed();
}
