#include "AnalysisTables.h"

#include "TrajectoryTables.h"
#include "components/overlay/OvAngle.h"
#include "components/overlay/OvCalib2D.h"
#include "components/overlay/OvDistance.h"
#include "components/timeline/SyncTime.h"

#include <QDir>
#include <QFileInfo>
#include <cmath>
#include <memory>

namespace analysis {
namespace {

using TableText::exactNumber;

QString videoName(const VideoRef& v) { return QFileInfo(v.path.isEmpty() ? v.absolutePath : v.path).fileName(); }

// Times of one view: its frame rate and its synchronisation points.
class ViewClock {
public:
    explicit ViewClock(const View& v) : m_rate(v.video.frameRate), m_points(v.timeLine.syncPoints) {}

    bool hasRate() const { return m_rate > 0 && std::isfinite(m_rate); }
    QString viewTimeOfFrame(int frame) const { return hasRate() ? exactNumber(frame / m_rate) : QString(); }
    QString syncTimeOfFrame(int frame) const { return hasRate() ? toSync(frame / m_rate) : QString(); }
    QString toSync(double tVw) const
    {
        SyncTime::Status status = SyncTime::Status::Ok;
        const double t = SyncTime::vw2sync(m_points, tVw, status);
        return status == SyncTime::Status::Ok ? exactNumber(t) : QString();
    }
    // View time of a synchronised time; false when the points cannot map it.
    bool toView(double tSync, double& tVw) const
    {
        SyncTime::Status status = SyncTime::Status::Ok;
        tVw = SyncTime::sync2vw(m_points, tSync, status);
        return status == SyncTime::Status::Ok;
    }
    // The frame shown at a view time: a time a hair below a frame's start, as sums of times
    // give, still names that frame.
    QString frameAt(double tVw) const
    {
        if (!hasRate())
            return {};
        const double x = tVw * m_rate;
        const double rounded = std::nearbyint(x * 1e10) / 1e10;
        const double f = std::floor(std::isfinite(rounded) ? rounded : x);
        return std::abs(f) < 2147483648.0 ? QString::number(qint64(f)) : QString();
    }

private:
    double m_rate;
    const std::vector<SyncPoint>& m_points;
};

// The calibration as the view would hold it; null when the measurement has none.
std::shared_ptr<OvCalib2D> calibrationOf(const View& v, const Measurement& m)
{
    if (m.calibration < 0 || m.calibration >= int(v.calibrations.size()))
        return nullptr;
    return std::make_shared<OvCalib2D>(analysis::calibrationOf(v.calibrations[size_t(m.calibration)]));
}

// The measurement rebuilt as the view draws it.
std::unique_ptr<OvMeasure> rebuild(const Measurement& m, std::shared_ptr<OvCalib2D> cal)
{
    std::unique_ptr<OvMeasure> out;
    if (m.kind == Measurement::Angle) {
        auto a = std::make_unique<OvAngle>();
        a->setOrientation(m.orientation);
        a->setSignedMode(m.signedMode);
        out = std::move(a);
    } else {
        out = std::make_unique<OvDistance>();
    }
    out->setType(m.type);
    out->setCalib(std::move(cal));
    out->setFirstFrame(m.firstFrame);
    out->setLastFrame(m.lastFrame);
    for (int i = 0; i < 4; ++i)
        out->setPoint(i, float(m.points[size_t(i)].x()), float(m.points[size_t(i)].y()));
    return out;
}

int pointCount(const Measurement& m)
{
    if (m.kind == Measurement::Distance)
        return 2;
    switch (m.type) {
    case OvAngle::TwoLines: return 4;
    case OvAngle::ThreePoints: return 3;
    default: return 2;
    }
}

QStringList measurementRow(int viewNumber, const View& v, const Measurement& m)
{
    const ViewClock clock(v);
    const std::shared_ptr<OvCalib2D> cal = calibrationOf(v, m);
    const bool calibrated = cal && cal->failed() == OvCalib2D::None;
    const std::unique_ptr<OvMeasure> item = rebuild(m, cal);
    const bool angle = m.kind == Measurement::Angle;

    QString value, unit;
    if (angle) {
        value = exactNumber(static_cast<const OvAngle&>(*item).value());
        unit = QStringLiteral("deg");
    } else if (calibrated) {
        value = exactNumber(static_cast<const OvDistance&>(*item).value());
        unit = cal->unitName();
    }
    QStringList row{QString::number(viewNumber),
                    videoName(v.video),
                    QString::number(m.id),
                    QLatin1String(angle ? "angle" : "distance"),
                    QString::number(m.type),
                    QString::number(m.firstFrame),
                    QString::number(m.lastFrame),
                    clock.viewTimeOfFrame(m.firstFrame),
                    clock.syncTimeOfFrame(m.firstFrame),
                    value,
                    unit};
    const int n = pointCount(m);
    // Pixels of the picture the points were placed on: the calibration's, else the video's.
    const QSize picture = cal && !cal->pictureSize().isEmpty() ? cal->pictureSize() : v.video.picture;
    for (int i = 0; i < 4; ++i) {
        const bool shown = i < n && !picture.isEmpty();
        const QPointF p = item->point(i);
        row << (shown ? exactNumber(p.x() * picture.width()) : QString())
            << (shown ? exactNumber(p.y() * picture.height()) : QString());
    }
    const double scale = calibrated ? cal->scale() : 0.0;
    for (int i = 0; i < 4; ++i) {
        const bool shown = i < n && calibrated;
        const QPointF p = shown ? cal->toPhysical(item->point(i)) * scale : QPointF();
        row << (shown ? exactNumber(p.x()) : QString()) << (shown ? exactNumber(p.y()) : QString());
    }
    return row;
}

void addMarker(Table& t, const QStringList& lead, const char* kind, const ViewClock& clock, double tVw0, double tSync0,
               bool mapped, const double* tSync1 = nullptr)
{
    QStringList row = lead;
    row << QLatin1String(kind) << (mapped ? clock.frameAt(tVw0) : QString());
    QString endFrame, endVw, endSync;
    if (tSync1) {
        double tVw1 = 0;
        if (clock.toView(*tSync1, tVw1)) {
            endFrame = clock.frameAt(tVw1);
            endVw = exactNumber(tVw1);
        }
        endSync = exactNumber(*tSync1);
    }
    row << endFrame << (mapped ? exactNumber(tVw0) : QString()) << endVw << exactNumber(tSync0) << endSync;
    t.rows.push_back(row);
}

} // namespace

Table measurementTable(const Document& doc)
{
    Table t;
    t.header = QStringList{QStringLiteral("view"),        QStringLiteral("video"),       QStringLiteral("id"),
                           QStringLiteral("kind"),        QStringLiteral("type"),        QStringLiteral("first_frame"),
                           QStringLiteral("last_frame"),  QStringLiteral("time"),        QStringLiteral("sync_time"),
                           QStringLiteral("value"),       QStringLiteral("unit")};
    for (int i = 1; i <= 4; ++i)
        t.header << QStringLiteral("x%1_px").arg(i) << QStringLiteral("y%1_px").arg(i);
    for (int i = 1; i <= 4; ++i)
        t.header << QStringLiteral("x%1").arg(i) << QStringLiteral("y%1").arg(i);
    for (size_t i = 0; i < doc.views.size(); ++i)
        for (const Measurement& m : doc.views[i].measurements)
            t.rows.push_back(measurementRow(int(i) + 1, doc.views[i], m));
    return t;
}

Table markerTable(const Document& doc)
{
    Table t;
    t.header = QStringList{QStringLiteral("view"),     QStringLiteral("video"),     QStringLiteral("kind"),
                           QStringLiteral("frame"),    QStringLiteral("end_frame"), QStringLiteral("time"),
                           QStringLiteral("end_time"), QStringLiteral("sync_time"), QStringLiteral("end_sync_time")};
    for (size_t i = 0; i < doc.views.size(); ++i) {
        const View& v = doc.views[i];
        const TimeLine& tl = v.timeLine;
        const ViewClock clock(v);
        const QStringList lead{QString::number(i + 1), videoName(v.video)};
        for (int k : tl.keyframes) {
            QStringList row = lead;
            row << QStringLiteral("keyframe") << QString::number(k) << QString() << clock.viewTimeOfFrame(k)
                << QString() << clock.syncTimeOfFrame(k) << QString();
            t.rows.push_back(row);
        }
        for (const Range& r : tl.ranges) {
            double tVw = 0;
            const bool mapped = clock.toView(r.start, tVw);
            addMarker(t, lead, "range", clock, tVw, r.start, mapped, &r.end);
        }
        for (const SyncPoint& p : tl.syncPoints)
            addMarker(t, lead, "sync point", clock, p.tVw, p.tSync, true);
        if (tl.stopwatch) {
            double tVw = 0;
            const bool mapped = clock.toView(tl.stopwatchStart, tVw);
            addMarker(t, lead, "stopwatch", clock, tVw, tl.stopwatchStart, mapped);
        }
    }
    return t;
}

OvCalib2D calibrationOf(const Calibration& c)
{
    OvCalib2D cal(c.picture);
    cal.setUnit(c.unit);
    cal.setAspect(float(c.aspect));
    cal.setRefLength(c.length);
    for (int i = 0; i < 2; ++i)
        cal.setRefPoint(i, float(c.reference[size_t(i)].x()), float(c.reference[size_t(i)].y()));
    return cal;
}

namespace {
QString besidePath(const QString& csvPath, const QString& what)
{
    const QFileInfo info(csvPath);
    const QString suffix = info.suffix();
    const QString base = suffix.isEmpty() ? info.fileName() : info.completeBaseName();
    const QString ext = suffix.isEmpty() ? QStringLiteral("csv") : suffix;
    return info.dir().filePath(base + u'-' + what + u'.' + ext);
}
} // namespace

QString markersPath(const QString& csvPath) { return besidePath(csvPath, QStringLiteral("markers")); }

QString trajectoriesPath(const QString& csvPath) { return besidePath(csvPath, QStringLiteral("trajectories")); }

bool writeTables(const Document& doc, const QString& csvPath, QString& error)
{
    QString reason;
    if (!TableText::writeCsv(csvPath, measurementTable(doc), reason)) {
        error = csvPath + QStringLiteral(": ") + reason;
        return false;
    }
    const QString markers = markersPath(csvPath);
    if (!TableText::writeCsv(markers, markerTable(doc), reason)) {
        error = markers + QStringLiteral(": ") + reason;
        return false;
    }
    const Table trajectories = trajectoriesTable(doc);
    const QString path = trajectoriesPath(csvPath);
    if (!trajectories.rows.empty() && !TableText::writeCsv(path, trajectories, reason)) {
        error = path + QStringLiteral(": ") + reason;
        return false;
    }
    error.clear();
    return true;
}

} // namespace analysis
