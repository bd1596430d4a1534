#include "TrajectorySeries.h"

#include "TrajectoryTables.h"
#include "components/tracking/Kinematics.h"

#include <map>

namespace analysis {

namespace {

// The positions in the view's unit of every frame that all the trajectories hold.
std::map<int, std::vector<QPointF>> commonFrames(const View& v, const std::vector<int>& ids,
                                                 const tracking::PlaneScale& scale, std::map<int, double>& times)
{
    std::map<int, std::vector<QPointF>> at;
    for (std::size_t k = 0; k < ids.size(); ++k)
        for (const TrajectoryPoint& p : v.trajectories[std::size_t(ids[k])].points) {
            auto& row = at[p.frame];
            if (row.size() == k) {
                row.push_back(scale.toUnits(p.pos));
                times[p.frame] = p.time;
            }
        }
    std::erase_if(at, [&](const auto& e) { return e.second.size() != ids.size(); });
    return at;
}

} // namespace

Series trajectorySeries(const View& v, const std::vector<int>& ids, Quantity q)
{
    Series s;
    const std::size_t needs = q == Quantity::Distance ? 2 : q == Quantity::Angle ? 3 : 1;
    if (ids.size() < needs)
        return s;
    for (std::size_t k = 0; k < needs; ++k)
        if (ids[k] < 0 || ids[k] >= int(v.trajectories.size()))
            return s;
    const tracking::PlaneScale scale = planeScale(v);

    if (q == Quantity::Distance || q == Quantity::Angle) {
        std::map<int, double> times;
        const std::vector<int> used(ids.begin(), ids.begin() + std::ptrdiff_t(needs));
        for (const auto& [frame, p] : commonFrames(v, used, scale, times)) {
            s.frames.push_back(frame);
            s.times.push_back(times[frame]);
            s.values.push_back(q == Quantity::Distance ? kinematics::length(p[1] - p[0])
                                                       : kinematics::angleAt(p[0], p[1], p[2]));
        }
        s.unit = q == Quantity::Distance ? scale.unit : QStringLiteral("°");
        return s;
    }

    const Trajectory& t = v.trajectories[std::size_t(ids[0])];
    std::vector<QPointF> pos;
    for (const TrajectoryPoint& p : t.points) {
        s.frames.push_back(p.frame);
        s.times.push_back(p.time);
        pos.push_back(scale.toUnits(p.pos));
    }
    std::vector<kinematics::State> states;
    if (q != Quantity::X && q != Quantity::Y) {
        states = kinematics::differentiate(s.times, pos, smoothingWindow(t, v.video.frameRate), t.order);
        if (states.size() != pos.size()) // too few points to differentiate
            return {};
    }
    for (std::size_t i = 0; i < pos.size(); ++i) {
        switch (q) {
        case Quantity::X: s.values.push_back(pos[i].x()); break;
        case Quantity::Y: s.values.push_back(pos[i].y()); break;
        case Quantity::Vx: s.values.push_back(states[i].velocity.x()); break;
        case Quantity::Vy: s.values.push_back(states[i].velocity.y()); break;
        case Quantity::Speed: s.values.push_back(kinematics::length(states[i].velocity)); break;
        case Quantity::Ax: s.values.push_back(states[i].acceleration.x()); break;
        case Quantity::Ay: s.values.push_back(states[i].acceleration.y()); break;
        default: break;
        }
    }
    const bool velocity = q == Quantity::Vx || q == Quantity::Vy || q == Quantity::Speed;
    const bool acceleration = q == Quantity::Ax || q == Quantity::Ay;
    s.unit = scale.unit + (velocity ? QStringLiteral("/s") : acceleration ? QStringLiteral("/s²") : QString());
    return s;
}

} // namespace analysis
