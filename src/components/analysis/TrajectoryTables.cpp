#include "TrajectoryTables.h"

#include "AnalysisTables.h"
#include "components/tracking/Kinematics.h"

#include <QFileInfo>
#include <limits>

namespace analysis {

namespace {

// The kinematic columns of each point: x_px, y_px, [x, y,] vx, vy, ax, ay, confidence.
std::vector<QStringList> kinematicCells(const Trajectory& t, const tracking::PlaneScale& scale, double frameRate,
                                        bool positionsInUnit)
{
    std::vector<double> times;
    std::vector<QPointF> pos;
    for (const TrajectoryPoint& p : t.points) {
        times.push_back(p.time);
        pos.push_back(scale.toUnits(p.pos));
    }
    const std::vector<kinematics::State> states =
        kinematics::differentiate(times, pos, smoothingWindow(t, frameRate), t.order);
    const double none = std::numeric_limits<double>::quiet_NaN();
    using TableText::exactNumber;
    std::vector<QStringList> rows;
    for (std::size_t i = 0; i < t.points.size(); ++i) {
        const TrajectoryPoint& p = t.points[i];
        QStringList row{QString::number(p.frame), exactNumber(p.time), exactNumber(p.pos.x()), exactNumber(p.pos.y())};
        if (positionsInUnit)
            row << exactNumber(pos[i].x()) << exactNumber(pos[i].y());
        const kinematics::State s = i < states.size() ? states[i] : kinematics::State{pos[i], {none, none}, {none, none}};
        row << exactNumber(s.velocity.x()) << exactNumber(s.velocity.y()) << exactNumber(s.acceleration.x())
            << exactNumber(s.acceleration.y()) << exactNumber(p.confidence);
        rows.push_back(row);
    }
    return rows;
}

} // namespace

int smoothingWindow(const Trajectory& t, double frameRate)
{
    return t.window > 0 ? t.window : kinematics::defaultWindow(frameRate);
}

tracking::PlaneScale planeScale(const View& v)
{
    if (v.calibrationInForce < 0 || v.calibrationInForce >= int(v.calibrations.size()))
        return {};
    return planeScale(calibrationOf(v.calibrations[std::size_t(v.calibrationInForce)]));
}

tracking::PlaneScale planeScale(const OvCalib2D& cal)
{
    const QSize picture = cal.pictureSize();
    if (cal.failed() != OvCalib2D::None || picture.isEmpty())
        return {};
    // toPhysical counts in pixel heights, a pixel's width being the aspect times that.
    const QPointF across = cal.toPhysical({1.0 / picture.width(), 0});
    tracking::PlaneScale scale;
    const QPointF origin = cal.refPoint(0);
    scale.origin = {origin.x() * picture.width(), origin.y() * picture.height()};
    scale.perPixelX = across.x() * cal.scale();
    scale.perPixelY = cal.scale();
    scale.unit = cal.unitName();
    scale.yUp = true;
    return scale;
}

Table trajectoryTable(const Trajectory& t, const tracking::PlaneScale& scale, double frameRate)
{
    const QString u = scale.unit;
    Table table;
    table.header = {QStringLiteral("frame"), QStringLiteral("time_s"), QStringLiteral("x_px"), QStringLiteral("y_px")};
    if (!scale.isPixels())
        table.header << QStringLiteral("x_") + u << QStringLiteral("y_") + u;
    table.header << QStringLiteral("vx_%1/s").arg(u) << QStringLiteral("vy_%1/s").arg(u)
                 << QStringLiteral("ax_%1/s2").arg(u) << QStringLiteral("ay_%1/s2").arg(u) << QStringLiteral("confidence");
    table.rows = kinematicCells(t, scale, frameRate, !scale.isPixels());
    return table;
}

Table trajectoriesTable(const Document& doc)
{
    Table table;
    table.header = QStringList{"view", "video", "trajectory", "unit", "frame", "time_s", "x_px", "y_px", "x", "y",
                               "vx", "vy", "ax", "ay", "confidence"};
    for (std::size_t v = 0; v < doc.views.size(); ++v) {
        const View& view = doc.views[v];
        const tracking::PlaneScale scale = planeScale(view);
        const QStringList lead{QString::number(v + 1), QFileInfo(view.video.path).fileName()};
        for (const Trajectory& t : view.trajectories)
            for (const QStringList& cells : kinematicCells(t, scale, view.video.frameRate, true))
                table.rows.push_back(lead + QStringList{t.name, scale.unit} + cells);
    }
    return table;
}

} // namespace analysis
