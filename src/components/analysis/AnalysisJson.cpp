// The analysis document in JSON: writing is a plain walk over the data; reading checks every
// entry's presence and kind and names the first one that is wrong by its place in the file.
#include "AnalysisJson.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <cmath>

namespace analysis {
namespace {

const char* const kOperations[] = {"none", "mix", "split", "stroboscope"};
const char* const kMeasureKinds[] = {"angle", "distance"};

QJsonArray pointJson(QPointF p) { return {p.x(), p.y()}; }

template <size_t N>
QJsonArray pointsJson(const std::array<QPointF, N>& pts, size_t n = N)
{
    QJsonArray out;
    for (size_t i = 0; i < n; ++i)
        out.append(pointJson(pts[i]));
    return out;
}

QString colorJson(const QColor& c) { return c.name(c.alpha() == 255 ? QColor::HexRgb : QColor::HexArgb); }

QJsonArray framesJson(int first, int last, int cur) { return {first, last, cur}; }

QJsonObject timeLineJson(const TimeLine& tl)
{
    QJsonArray keyframes, ranges, syncPts;
    for (int k : tl.keyframes)
        keyframes.append(k);
    for (const Range& r : tl.ranges)
        ranges.append(QJsonArray{r.start, r.end});
    for (const SyncPoint& p : tl.syncPoints)
        syncPts.append(QJsonArray{p.tSync, p.tVw});
    QJsonObject o{{"keyframes", keyframes}, {"ranges", ranges}, {"syncPoints", syncPts}};
    o.insert("stopwatch", tl.stopwatch ? QJsonValue(QJsonObject{{"start", tl.stopwatchStart}}) : QJsonValue());
    return o;
}

QJsonObject calibrationJson(const Calibration& c)
{
    return {{"picture", QJsonArray{c.picture.width(), c.picture.height()}},
            {"unit", c.unit},
            {"aspect", c.aspect},
            {"length", c.length},
            {"reference", pointsJson(c.reference)}};
}

QJsonObject drawingJson(const Drawing& d)
{
    return {{"id", d.id},           {"type", d.type},     {"color", colorJson(d.color)},
            {"style", d.style},     {"points", pointsJson(d.points)},
            {"size", d.size},       {"text", d.text},     {"frames", framesJson(d.firstFrame, d.lastFrame, d.curFrame)}};
}

QJsonObject measurementJson(const Measurement& m)
{
    const bool angle = m.kind == Measurement::Angle;
    QJsonObject o{{"id", m.id},
                  {"kind", kMeasureKinds[m.kind]},
                  {"type", m.type},
                  {"color", colorJson(m.color)},
                  {"lineWidth", m.lineWidth},
                  {"pointMarks", m.pointMarks},
                  {"frames", framesJson(m.firstFrame, m.lastFrame, m.curFrame)},
                  {"calibration", m.calibration},
                  {"points", pointsJson(m.points, angle ? 4 : 2)},
                  {"key", m.key}};
    if (angle) {
        o.insert("orientation", m.orientation);
        o.insert("signed", m.signedMode);
        o.insert("showArc", m.showArc);
        o.insert("arcRadius", m.arcRadius);
    } else {
        o.insert("endMarks", m.endMarks);
    }
    return o;
}

QJsonObject trajectoryJson(const Trajectory& t)
{
    QJsonArray points;
    for (const TrajectoryPoint& p : t.points)
        points.append(QJsonArray{p.frame, p.time, p.pos.x(), p.pos.y(), p.confidence});
    return {{"name", t.name}, {"color", colorJson(t.color)}, {"smoothing", QJsonArray{t.window, t.order}},
            {"points", points}};
}

QJsonObject viewJson(const View& v)
{
    const VideoRef& f = v.video;
    QJsonArray cals, drawings, measures, trajectories;
    for (const Calibration& c : v.calibrations)
        cals.append(calibrationJson(c));
    for (const Drawing& d : v.drawings)
        drawings.append(drawingJson(d));
    for (const Measurement& m : v.measurements)
        measures.append(measurementJson(m));
    for (const Trajectory& t : v.trajectories)
        trajectories.append(trajectoryJson(t));
    return {{"video", QJsonObject{{"path", f.path},
                                  {"absolutePath", f.absolutePath},
                                  {"size", double(f.size)},
                                  {"frames", f.frames},
                                  {"frameRate", f.frameRate},
                                  {"picture", QJsonArray{f.picture.width(), f.picture.height()}}}},
            {"openFlags", v.openFlags},
            {"source", v.source},
            {"zoom", v.zoom},
            {"offset", QJsonArray{v.offsetX, v.offsetY}},
            {"gridLines", QJsonArray{v.gridHorz, v.gridVert}},
            {"timeLine", timeLineJson(v.timeLine)},
            {"calibrations", cals},
            {"calibration", QJsonObject{{"inForce", v.calibrationInForce},
                                        {"lineId", v.calibrationLineId},
                                        {"length", v.calibLength},
                                        {"unit", v.calibUnit},
                                        {"aspect", v.calibAspect}}},
            {"drawings", drawings},
            {"measurements", measures},
            {"trajectories", trajectories}};
}

// ---- Reading: each getter takes the value of the key or, at the first failure, records where
// and what went wrong; later calls then do nothing, so a walk stops reporting at the first fault.
class Reader {
public:
    explicit Reader(Problem& problem) : m_problem(problem) {}
    bool ok() const { return !m_problem; }

    void fail(const QString& where, const QString& what)
    {
        if (ok())
            m_problem = {Fault::BadContent, where + QStringLiteral(": ") + what};
    }

    QJsonValue at(const QJsonObject& o, const QString& where, const char* key)
    {
        const QJsonValue v = o.value(QLatin1String(key));
        if (v.isUndefined())
            fail(where, QStringLiteral("\"%1\" is missing").arg(QLatin1String(key)));
        return v;
    }
    double number(const QJsonObject& o, const QString& where, const char* key)
    {
        const QJsonValue v = at(o, where, key);
        if (ok() && (!v.isDouble() || !std::isfinite(v.toDouble())))
            fail(where, QStringLiteral("\"%1\" is not a number").arg(QLatin1String(key)));
        return ok() ? v.toDouble() : 0;
    }
    int integer(const QJsonValue& v, const QString& where, const QString& what)
    {
        const double d = v.toDouble();
        if (ok() && (!v.isDouble() || d != std::floor(d) || std::abs(d) > 2147483647.0))
            fail(where, what + QStringLiteral(" is not a whole number"));
        return ok() ? int(d) : 0;
    }
    int integer(const QJsonObject& o, const QString& where, const char* key)
    {
        const QJsonValue v = at(o, where, key);
        return ok() ? integer(v, where, QStringLiteral("\"%1\"").arg(QLatin1String(key))) : 0;
    }
    bool boolean(const QJsonObject& o, const QString& where, const char* key)
    {
        const QJsonValue v = at(o, where, key);
        if (ok() && !v.isBool())
            fail(where, QStringLiteral("\"%1\" is not true or false").arg(QLatin1String(key)));
        return v.toBool();
    }
    QString string(const QJsonObject& o, const QString& where, const char* key)
    {
        const QJsonValue v = at(o, where, key);
        if (ok() && !v.isString())
            fail(where, QStringLiteral("\"%1\" is not a text").arg(QLatin1String(key)));
        return v.toString();
    }
    QJsonObject object(const QJsonObject& o, const QString& where, const char* key)
    {
        const QJsonValue v = at(o, where, key);
        if (ok() && !v.isObject())
            fail(where, QStringLiteral("\"%1\" is not an object").arg(QLatin1String(key)));
        return v.toObject();
    }
    // An array, of exactly `size` entries when size >= 0.
    QJsonArray array(const QJsonObject& o, const QString& where, const char* key, int size = -1)
    {
        const QJsonValue v = at(o, where, key);
        if (ok() && !v.isArray())
            fail(where, QStringLiteral("\"%1\" is not a list").arg(QLatin1String(key)));
        const QJsonArray a = v.toArray();
        if (ok() && size >= 0 && a.size() != size)
            fail(where, QStringLiteral("\"%1\" does not hold %2 entries").arg(QLatin1String(key)).arg(size));
        return a;
    }
    // A pair of numbers [a, b] given as an array value.
    std::pair<double, double> pair(const QJsonValue& v, const QString& where)
    {
        const QJsonArray a = v.toArray();
        if (ok() && (!v.isArray() || a.size() != 2 || !a[0].isDouble() || !a[1].isDouble()))
            fail(where, QStringLiteral("is not a pair of numbers"));
        return ok() ? std::pair{a[0].toDouble(), a[1].toDouble()} : std::pair{0.0, 0.0};
    }
    QColor color(const QJsonObject& o, const QString& where)
    {
        const QColor c = QColor::fromString(string(o, where, "color"));
        if (ok() && !c.isValid())
            fail(where, QStringLiteral("\"color\" is not a colour"));
        return c;
    }
    template <size_t N>
    void points(const QJsonObject& o, const QString& where, std::array<QPointF, N>& out, int n = int(N),
                const char* key = "points")
    {
        const QJsonArray a = array(o, where, key, n);
        for (int i = 0; ok() && i < n; ++i) {
            const auto [x, y] = pair(a[i], where + QStringLiteral(".%1[%2]").arg(QLatin1String(key)).arg(i));
            out[size_t(i)] = QPointF(x, y);
        }
    }
    void frames(const QJsonObject& o, const QString& where, int& first, int& last, int& cur)
    {
        const QJsonArray a = array(o, where, "frames", 3);
        if (!ok())
            return;
        first = integer(a[0], where, QStringLiteral("\"frames\""));
        last = integer(a[1], where, QStringLiteral("\"frames\""));
        cur = integer(a[2], where, QStringLiteral("\"frames\""));
    }
    QSize size(const QJsonObject& o, const QString& where, const char* key)
    {
        const QJsonArray a = array(o, where, key, 2);
        if (!ok())
            return {};
        const QString what = QStringLiteral("\"%1\"").arg(QLatin1String(key));
        return QSize(integer(a[0], where, what), integer(a[1], where, what));
    }

private:
    Problem& m_problem;
};

void readTimeLine(Reader& r, const QJsonObject& o, const QString& where, TimeLine& tl)
{
    for (const QJsonValue& k : r.array(o, where, "keyframes"))
        tl.keyframes.push_back(r.integer(k, where, QStringLiteral("a keyframe")));
    const QJsonArray ranges = r.array(o, where, "ranges");
    for (qsizetype i = 0; r.ok() && i < ranges.size(); ++i) {
        const auto [s, e] = r.pair(ranges[i], where + QStringLiteral(".ranges[%1]").arg(i));
        if (r.ok() && e < s)
            r.fail(where + QStringLiteral(".ranges[%1]").arg(i), QStringLiteral("ends before it starts"));
        tl.ranges.push_back({s, e});
    }
    const QJsonArray pts = r.array(o, where, "syncPoints");
    for (qsizetype i = 0; r.ok() && i < pts.size(); ++i) {
        const auto [ts, tv] = r.pair(pts[i], where + QStringLiteral(".syncPoints[%1]").arg(i));
        // Out of order, the points would make no time mapping at all.
        if (r.ok() && !tl.syncPoints.empty() && (ts <= tl.syncPoints.back().tSync || tv < tl.syncPoints.back().tVw))
            r.fail(where + QStringLiteral(".syncPoints[%1]").arg(i), QStringLiteral("is out of order"));
        tl.syncPoints.push_back({ts, tv});
    }
    const QJsonValue sw = r.at(o, where, "stopwatch");
    if (r.ok() && sw.isObject()) {
        tl.stopwatch = true;
        tl.stopwatchStart = r.number(sw.toObject(), where + QStringLiteral(".stopwatch"), "start");
    } else if (r.ok() && !sw.isNull()) {
        r.fail(where, QStringLiteral("\"stopwatch\" is neither an object nor null"));
    }
}

Calibration readCalibration(Reader& r, const QJsonObject& o, const QString& where)
{
    Calibration c;
    c.picture = r.size(o, where, "picture");
    c.unit = r.integer(o, where, "unit");
    c.aspect = r.number(o, where, "aspect");
    c.length = r.number(o, where, "length");
    r.points(o, where, c.reference, 2, "reference");
    return c;
}

Drawing readDrawing(Reader& r, const QJsonObject& o, const QString& where)
{
    Drawing d;
    d.id = r.integer(o, where, "id");
    d.type = r.integer(o, where, "type");
    d.color = r.color(o, where);
    d.style = r.integer(o, where, "style");
    r.points(o, where, d.points);
    d.size = r.number(o, where, "size");
    d.text = r.string(o, where, "text");
    r.frames(o, where, d.firstFrame, d.lastFrame, d.curFrame);
    return d;
}

Measurement readMeasurement(Reader& r, const QJsonObject& o, const QString& where, int numCalibrations)
{
    Measurement m;
    const QString kind = r.string(o, where, "kind");
    if (r.ok() && kind != QLatin1String(kMeasureKinds[0]) && kind != QLatin1String(kMeasureKinds[1]))
        r.fail(where, QStringLiteral("\"kind\" is neither \"angle\" nor \"distance\""));
    m.kind = kind == QLatin1String(kMeasureKinds[0]) ? Measurement::Angle : Measurement::Distance;
    const bool angle = m.kind == Measurement::Angle;
    m.id = r.integer(o, where, "id");
    m.type = r.integer(o, where, "type");
    m.color = r.color(o, where);
    m.lineWidth = r.integer(o, where, "lineWidth");
    m.pointMarks = r.integer(o, where, "pointMarks");
    r.frames(o, where, m.firstFrame, m.lastFrame, m.curFrame);
    m.calibration = r.integer(o, where, "calibration");
    if (r.ok() && (m.calibration < -1 || m.calibration >= numCalibrations))
        r.fail(where, QStringLiteral("\"calibration\" names no calibration of the view"));
    r.points(o, where, m.points, angle ? 4 : 2);
    m.key = r.string(o, where, "key");
    if (angle) {
        m.orientation = r.boolean(o, where, "orientation");
        m.signedMode = r.boolean(o, where, "signed");
        m.showArc = r.boolean(o, where, "showArc");
        m.arcRadius = r.integer(o, where, "arcRadius");
    } else {
        m.endMarks = r.integer(o, where, "endMarks");
    }
    return m;
}

Trajectory readTrajectory(Reader& r, const QJsonObject& o, const QString& where)
{
    Trajectory t;
    t.name = r.string(o, where, "name");
    t.color = r.color(o, where);
    const QSize smoothing = r.size(o, where, "smoothing");
    t.window = smoothing.width();
    t.order = smoothing.height();
    if (r.ok() && (t.window < 0 || t.order < 1 || t.order > 5))
        r.fail(where, QStringLiteral("\"smoothing\" is not [window, order 1 to 5]"));
    const QJsonArray points = r.array(o, where, "points");
    for (qsizetype i = 0; r.ok() && i < points.size(); ++i) {
        const QString at = where + QStringLiteral(".points[%1]").arg(i);
        const QJsonArray p = points[i].toArray();
        bool numbers = p.size() == 5;
        for (const QJsonValue& v : p)
            numbers = numbers && v.isDouble() && std::isfinite(v.toDouble());
        if (!numbers) {
            r.fail(at, QStringLiteral("is not [frame, time, x, y, confidence]"));
            break;
        }
        const TrajectoryPoint point{r.integer(p[0], at, QStringLiteral("the frame")), p[1].toDouble(),
                                    {p[2].toDouble(), p[3].toDouble()}, p[4].toDouble()};
        // Frames in order keep the path and its table the same after reading.
        if (r.ok() && (point.frame < 0 || (!t.points.empty() && point.frame <= t.points.back().frame)))
            r.fail(at, QStringLiteral("is out of order"));
        t.points.push_back(point);
    }
    return t;
}

View readView(Reader& r, const QJsonObject& o, const QString& where)
{
    View v;
    const QString wf = where + QStringLiteral(".video");
    const QJsonObject f = r.object(o, where, "video");
    v.video.path = r.string(f, wf, "path");
    v.video.absolutePath = r.string(f, wf, "absolutePath");
    v.video.size = qint64(r.number(f, wf, "size"));
    v.video.frames = r.integer(f, wf, "frames");
    v.video.frameRate = r.number(f, wf, "frameRate");
    v.video.picture = r.size(f, wf, "picture");
    v.openFlags = r.integer(o, where, "openFlags");
    v.source = r.boolean(o, where, "source");
    v.zoom = r.integer(o, where, "zoom");
    const QSize offset = r.size(o, where, "offset");
    v.offsetX = offset.width();
    v.offsetY = offset.height();
    const QSize grid = r.size(o, where, "gridLines");
    v.gridHorz = grid.width();
    v.gridVert = grid.height();
    readTimeLine(r, r.object(o, where, "timeLine"), where + QStringLiteral(".timeLine"), v.timeLine);

    const QJsonArray cals = r.array(o, where, "calibrations");
    for (qsizetype i = 0; r.ok() && i < cals.size(); ++i)
        v.calibrations.push_back(readCalibration(r, cals[i].toObject(), where + QStringLiteral(".calibrations[%1]").arg(i)));
    const QString wc = where + QStringLiteral(".calibration");
    const QJsonObject c = r.object(o, where, "calibration");
    v.calibrationInForce = r.integer(c, wc, "inForce");
    if (r.ok() && (v.calibrationInForce < -1 || v.calibrationInForce >= int(v.calibrations.size())))
        r.fail(wc, QStringLiteral("\"inForce\" names no calibration of the view"));
    v.calibrationLineId = r.integer(c, wc, "lineId");
    v.calibLength = r.number(c, wc, "length");
    v.calibUnit = r.integer(c, wc, "unit");
    v.calibAspect = r.number(c, wc, "aspect");

    const QJsonArray drawings = r.array(o, where, "drawings");
    for (qsizetype i = 0; r.ok() && i < drawings.size(); ++i)
        v.drawings.push_back(readDrawing(r, drawings[i].toObject(), where + QStringLiteral(".drawings[%1]").arg(i)));
    const QJsonArray measures = r.array(o, where, "measurements");
    for (qsizetype i = 0; r.ok() && i < measures.size(); ++i)
        v.measurements.push_back(readMeasurement(r, measures[i].toObject(),
                                                 where + QStringLiteral(".measurements[%1]").arg(i),
                                                 int(v.calibrations.size())));
    // Files from before tracking have no trajectories.
    if (o.contains(QLatin1String("trajectories"))) {
        const QJsonArray trajectories = r.array(o, where, "trajectories");
        for (qsizetype i = 0; r.ok() && i < trajectories.size(); ++i)
            v.trajectories.push_back(
                readTrajectory(r, trajectories[i].toObject(), where + QStringLiteral(".trajectories[%1]").arg(i)));
    }
    return v;
}

} // namespace

QString Problem::text() const
{
    switch (fault) {
    case Fault::None: return {};
    case Fault::Unreadable: return QStringLiteral("it cannot be read (%1)").arg(detail);
    case Fault::Empty: return QStringLiteral("it is empty");
    case Fault::NotJson: return QStringLiteral("it is damaged or cut short (%1)").arg(detail);
    case Fault::NotAnalysis: return QStringLiteral("it is not an analysis");
    case Fault::NewerVersion:
        return QStringLiteral("it was written by a newer version of the program (format version %1)").arg(detail);
    case Fault::BadContent: return QStringLiteral("its content is wrong at %1").arg(detail);
    case Fault::WriteFailed: return QStringLiteral("it cannot be written (%1)").arg(detail);
    }
    return detail;
}

QByteArray toJson(const Document& doc)
{
    QJsonArray views;
    for (const View& v : doc.views)
        views.append(viewJson(v));
    const Operation& op = doc.operation;
    const int kind = op.kind >= 0 && op.kind <= 3 ? op.kind : 0;
    const QJsonObject root{{"format", kFormatName},
                           {"version", kFormatVersion},
                           {"speed", doc.speed},
                           {"operation", QJsonObject{{"kind", kOperations[kind]},
                                                     {"blendAlgorithm", op.blendAlgorithm},
                                                     {"blend", op.blend},
                                                     {"color", op.color},
                                                     {"fillFrames", op.fillFrames},
                                                     {"threshold", op.threshold}}},
                           {"views", views}};
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

std::optional<Document> fromJson(const QByteArray& bytes, Problem& problem)
{
    problem = {};
    if (bytes.trimmed().isEmpty()) {
        problem = {Fault::Empty, {}};
        return std::nullopt;
    }
    QJsonParseError parse{};
    const QJsonDocument json = QJsonDocument::fromJson(bytes, &parse);
    if (parse.error != QJsonParseError::NoError) {
        problem = {Fault::NotJson, QStringLiteral("%1 at byte %2").arg(parse.errorString()).arg(parse.offset)};
        return std::nullopt;
    }
    const QJsonObject root = json.object();
    if (!json.isObject() || root.value(QLatin1String("format")).toString() != QLatin1String(kFormatName)) {
        problem = {Fault::NotAnalysis, {}};
        return std::nullopt;
    }
    Reader r(problem);
    const int version = r.integer(root, QStringLiteral("the file"), "version");
    if (r.ok() && version > kFormatVersion) {
        problem = {Fault::NewerVersion, QString::number(version)};
        return std::nullopt;
    }
    if (r.ok() && version < 1)
        r.fail(QStringLiteral("the file"), QStringLiteral("\"version\" is not a version"));

    Document doc;
    doc.speed = r.number(root, QStringLiteral("the file"), "speed");
    const QJsonObject op = r.object(root, QStringLiteral("the file"), "operation");
    const QString wo = QStringLiteral("operation");
    const QString kind = r.string(op, wo, "kind");
    doc.operation.kind = -1;
    for (int k = 0; k < 4; ++k)
        if (kind == QLatin1String(kOperations[k]))
            doc.operation.kind = k;
    if (r.ok() && doc.operation.kind < 0)
        r.fail(wo, QStringLiteral("\"kind\" is no operation"));
    doc.operation.blendAlgorithm = r.integer(op, wo, "blendAlgorithm");
    doc.operation.blend = r.number(op, wo, "blend");
    doc.operation.color = r.number(op, wo, "color");
    doc.operation.fillFrames = r.integer(op, wo, "fillFrames");
    doc.operation.threshold = r.integer(op, wo, "threshold");
    const QJsonArray views = r.array(root, QStringLiteral("the file"), "views");
    for (qsizetype i = 0; r.ok() && i < views.size(); ++i) {
        const QString where = QStringLiteral("views[%1]").arg(i);
        if (!views[i].isObject())
            r.fail(where, QStringLiteral("is not an object"));
        else
            doc.views.push_back(readView(r, views[i].toObject(), where));
    }
    if (!r.ok())
        return std::nullopt;
    return doc;
}

} // namespace analysis
