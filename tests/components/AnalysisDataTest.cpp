// Analysis data: the JSON form bit for bit, every fault of a bad file, a save killed half way,
// the measurement and marker tables against plane geometry, their CSV and clipboard forms, and
// the format document's example read back.
#include "components/analysis/AnalysisFile.h"
#include "components/analysis/AnalysisTables.h"
#include "components/analysis/TrajectorySeries.h"
#include "components/analysis/TrajectoryTables.h"
#include "support/AnalysisSample.h"
#include "support/CsvRead.h"
#include "support/TestPaths.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>
#include <QRegularExpression>
#include <cmath>
#include <cstring>
#include <functional>
#include <gtest/gtest.h>
#include <numbers>
#include <set>

#if defined(Q_OS_LINUX)
#include <csignal>
#include <sys/wait.h>
#include <unistd.h>
#endif

using namespace analysis;

namespace {

// Every double of a document in a fixed order, points as two.
std::vector<double> doublesOf(const Document& d)
{
    std::vector<double> out{d.speed, d.operation.blend, d.operation.color};
    const auto pt = [&out](QPointF p) { out.insert(out.end(), {p.x(), p.y()}); };
    for (const View& v : d.views) {
        out.push_back(v.video.frameRate);
        for (const Range& r : v.timeLine.ranges)
            out.insert(out.end(), {r.start, r.end});
        for (const SyncPoint& p : v.timeLine.syncPoints)
            out.insert(out.end(), {p.tSync, p.tVw});
        out.insert(out.end(), {v.timeLine.stopwatchStart, v.calibLength, v.calibAspect});
        for (const Calibration& c : v.calibrations) {
            out.insert(out.end(), {c.aspect, c.length});
            pt(c.reference[0]);
            pt(c.reference[1]);
        }
        for (const Drawing& dr : v.drawings) {
            pt(dr.points[0]);
            pt(dr.points[1]);
            out.push_back(dr.size);
        }
        for (const Measurement& m : v.measurements)
            for (const QPointF& p : m.points)
                pt(p);
    }
    return out;
}

QString scratch(const QString& name)
{
    const QString folder = QDir(TestPaths::scratchDir()).filePath(QStringLiteral("analysis"));
    QDir().mkpath(folder);
    return QDir(folder).filePath(name);
}

bool put(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

// The cell of `column` in a table row.
QString cell(const Table& t, size_t row, const char* column)
{
    const qsizetype at = t.header.indexOf(QLatin1String(column));
    return row < t.rows.size() && at >= 0 ? t.rows[row].value(at) : QStringLiteral("<none>");
}
double num(const Table& t, size_t row, const char* column)
{
    bool ok = false;
    const double v = cell(t, row, column).toDouble(&ok);
    return ok ? v : std::nan("");
}

} // namespace

TEST(AnalysisData, JsonRoundTripKeepsEveryBitAndEveryText)
{
    Document doc = AnalysisSample::document();
    doc.views.push_back(AnalysisSample::view(QStringLiteral("b.avi"), 1.356337));
    doc.speed = 0.1;
    doc.operation = {3, 2, 1.0 / 3, 1e-300, 4, 12};
    View& v = doc.views[1];
    v.video.frameRate = 30000.0 / 1001;
    v.timeLine.syncPoints = {{1.0 / 3, 2.0 / 3}, {1e300, 1e300}};
    v.timeLine.stopwatchStart = 0.1 + 0.2;
    v.calibLength = -0.0; // JSON keeps no sign of a zero: it comes back as 0
    v.calibAspect = std::nextafter(1.0, 2.0);
    v.drawings[0].size = 5e-324; // the smallest denormal
    v.drawings[0].points[1] = QPointF(-0.0, 1e-310);
    v.measurements[2].points[3] = QPointF(0.1f, 1.0 / 7);

    Problem problem;
    const std::optional<Document> back = fromJson(toJson(doc), problem);
    ASSERT_TRUE(back) << qPrintable(problem.text());
    EXPECT_TRUE(*back == doc);
    std::vector<double> a = doublesOf(doc);
    const std::vector<double> b = doublesOf(*back);
    for (double& d : a)
        d = d == 0 ? 0.0 : d;
    ASSERT_EQ(a.size(), b.size());
    for (size_t i = 0; i < a.size(); ++i)
        EXPECT_EQ(std::memcmp(&a[i], &b[i], sizeof(double)), 0) << "double " << i << ": " << a[i] << " read " << b[i];
    EXPECT_EQ(back->views[0].drawings[0].text, QStringLiteral("a, \"b\"\n\u00fc\u4e2d"));
    EXPECT_EQ(back->views[0].video.path, doc.views[0].video.path);
}

TEST(AnalysisData, EachBadFileGivesItsFault)
{
    const QByteArray good = toJson(AnalysisSample::document());
    QByteArray newer = good;
    newer.replace("\"version\": 1", "\"version\": 2");
    const QByteArray missing =
        QString::fromUtf8(good).remove(QRegularExpression(QStringLiteral("\n *\"frameRate\": [^\n]*"))).toUtf8();
    // The third point of the trajectory (frame 12) put before the second.
    const QByteArray unordered =
        QString::fromUtf8(good).replace(QRegularExpression(QStringLiteral("\\[\\s*12,")), QStringLiteral("[9,")).toUtf8();
    struct Case {
        const char* name;
        QByteArray bytes;
        Fault fault;
        const char* detail;
    } cases[] = {
        {"empty", "", Fault::Empty, ""},
        {"spaces", " \n\t ", Fault::Empty, ""},
        {"binary", QByteArray("\x00\x01\xff\xfe\x89PNG", 8), Fault::NotJson, "byte"},
        {"truncated", good.left(good.size() / 2), Fault::NotJson, "byte"},
        {"other", R"({"name": "x", "views": []})", Fault::NotAnalysis, ""},
        {"list", R"(["zorvik-analysis"])", Fault::NotAnalysis, ""},
        {"newer", newer, Fault::NewerVersion, "2"},
        {"missing", missing, Fault::BadContent, "views[0].video: \"frameRate\" is missing"},
        {"unordered", unordered, Fault::BadContent, "views[0].trajectories[0].points[2]: is out of order"},
    };
    ASSERT_NE(missing, good);
    ASSERT_NE(unordered, good);
    for (const Case& c : cases) {
        const QString path = scratch(QString::fromLatin1(c.name) + QStringLiteral(".zorvik"));
        ASSERT_TRUE(put(path, c.bytes));
        Problem problem;
        EXPECT_FALSE(readFile(path, problem)) << c.name;
        EXPECT_EQ(problem.fault, c.fault) << c.name << ": " << qPrintable(problem.text());
        EXPECT_TRUE(problem.detail.contains(QLatin1String(c.detail))) << c.name << ": " << qPrintable(problem.detail);
        EXPECT_FALSE(problem.text().isEmpty()) << c.name;
    }
    Problem problem;
    EXPECT_FALSE(readFile(scratch(QStringLiteral("absent.zorvik")), problem));
    EXPECT_EQ(problem.fault, Fault::Unreadable);
}

#if defined(Q_OS_LINUX)
namespace {
// Waits until the process holds a file open in the folder: the temporary file of a save, which
// may have no name until it is complete. False when the process ended or a minute passed.
bool waitForTemporary(pid_t pid, const QString& folder)
{
    const QDir fds(QStringLiteral("/proc/%1/fd").arg(pid));
    const QString inFolder = QFileInfo(folder).canonicalFilePath() + QLatin1Char('/');
    for (int i = 0; i < 600000; ++i) {
        for (const QFileInfo& fd : fds.entryInfoList(QDir::Files | QDir::System))
            if (fd.symLinkTarget().startsWith(inFolder))
                return true;
        siginfo_t info{};
        if (waitid(P_PID, id_t(pid), &info, WEXITED | WNOHANG | WNOWAIT) != 0 || info.si_pid != 0)
            return false;
        usleep(100);
    }
    return false;
}
} // namespace

// A child saves a large analysis over a small one and is killed as soon as its temporary file
// appears: the small one must read back whole, under its own name.
TEST(AnalysisData, ASaveKilledHalfWayLeavesTheFormerFile)
{
    const QString folder = scratch(QStringLiteral("kill"));
    QDir().mkpath(folder);
    const QString path = QDir(folder).filePath(QStringLiteral("run.zorvik"));
    const Document former = AnalysisSample::document();
    Problem problem;
    ASSERT_TRUE(writeFile(path, former, problem)) << qPrintable(problem.text());
    const std::optional<Document> expected = readFile(path, problem);
    ASSERT_TRUE(expected) << qPrintable(problem.text());
    const QString text(8 << 20, QLatin1Char('x'));
    Document large = former;
    large.views[0].drawings.assign(8, large.views[0].drawings[0]);
    for (Drawing& d : large.views[0].drawings)
        d.text = text; // some 64 MB in all

    bool killedInTime = false;
    for (int attempt = 0; attempt < 4 && !killedInTime; ++attempt) {
        ASSERT_TRUE(writeFile(path, former, problem));
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            Problem p;
            _exit(writeFile(path, large, p) ? 0 : 1);
        }
        const bool seen = waitForTemporary(child, folder);
        kill(child, SIGKILL);
        int status = 0;
        waitpid(child, &status, 0);
        const std::optional<Document> now = readFile(path, problem);
        // The child may have finished before the kill: the file is then the large one, whole.
        if (now && now->views[0].drawings.size() == large.views[0].drawings.size())
            continue;
        ASSERT_TRUE(seen && WIFSIGNALED(status)) << "the save neither finished nor was killed";
        killedInTime = true;
        ASSERT_TRUE(now) << qPrintable(problem.text());
        EXPECT_TRUE(*now == *expected);
        EXPECT_EQ(doublesOf(*now), doublesOf(*expected));
    }
    EXPECT_TRUE(killedInTime) << "every save finished before the kill";
    for (const QFileInfo& f : QDir(folder).entryInfoList(QDir::Files))
        if (f.fileName() != QLatin1String("run.zorvik"))
            QFile::remove(f.filePath()); // the temporaries of the killed saves
}
#endif

TEST(AnalysisData, MeasurementTableAgreesWithPlaneGeometry)
{
    for (const double aspect : {1.0, 2.0, 1.356337}) {
        SCOPED_TRACE(aspect);
        const Table t = measurementTable(AnalysisSample::document(aspect));
        ASSERT_EQ(t.rows.size(), 4u);
        const double a = double(float(aspect)); // as the calibration keeps it
        const double scale = AnalysisSample::kRefLength / (AnalysisSample::kRefPixels * a);

        // The distance from (128, 64) to (320, 320) pixels: 192 wide, 256 high.
        EXPECT_EQ(cell(t, 0, "kind"), QLatin1String("distance"));
        EXPECT_DOUBLE_EQ(num(t, 0, "value"), std::hypot(192 * a, 256.0) * scale);
        EXPECT_EQ(cell(t, 0, "unit"), QLatin1String("m"));
        EXPECT_DOUBLE_EQ(num(t, 0, "x1_px"), 128);
        EXPECT_DOUBLE_EQ(num(t, 0, "y2_px"), 320);
        EXPECT_DOUBLE_EQ(num(t, 0, "x2"), 320 * a * scale);
        EXPECT_DOUBLE_EQ(num(t, 0, "y1"), 64 * scale);
        EXPECT_EQ(cell(t, 0, "x3_px"), QString());
        EXPECT_EQ(cell(t, 0, "y3"), QString());

        // A right angle with its vertex at (320, 320), in every aspect.
        EXPECT_NEAR(num(t, 1, "value"), 90.0, 1e-4);
        EXPECT_EQ(cell(t, 1, "unit"), QLatin1String("deg"));
        EXPECT_DOUBLE_EQ(num(t, 1, "x3_px"), 576);
        EXPECT_EQ(cell(t, 1, "x4_px"), QString());

        // From the horizontal to the line 192 right and 192 up.
        EXPECT_NEAR(num(t, 2, "value"), std::atan2(192.0, 192 * a) * 180 / std::numbers::pi, 1e-4);
        EXPECT_EQ(cell(t, 2, "x3_px"), QString());

        // Without a calibration a distance has no value; its pixels it still has.
        EXPECT_EQ(cell(t, 3, "value"), QString());
        EXPECT_EQ(cell(t, 3, "unit"), QString());
        EXPECT_EQ(cell(t, 3, "x1"), QString());
        EXPECT_DOUBLE_EQ(num(t, 3, "x2_px"), 64);

        // Frame 25 at 25 fps, before the point (tSync 2.5, tVw 2): scaled.
        EXPECT_DOUBLE_EQ(num(t, 0, "time"), 1.0);
        EXPECT_DOUBLE_EQ(num(t, 0, "sync_time"), 1.0 * 2.5 / 2);
        EXPECT_EQ(cell(t, 0, "view"), QLatin1String("1"));
        EXPECT_EQ(cell(t, 0, "video"), QStringLiteral("jump, \"take 2\" \u00fc.mp4"));

        // The trajectory: origin at the reference line's left end (0, 256), y up, 200 px/s.
        const Table tr = trajectoriesTable(AnalysisSample::document(aspect));
        ASSERT_EQ(tr.rows.size(), 7u);
        EXPECT_EQ(cell(tr, 2, "trajectory"), QStringLiteral("hip, left"));
        EXPECT_EQ(cell(tr, 2, "unit"), QLatin1String("m"));
        EXPECT_EQ(cell(tr, 2, "frame"), QLatin1String("12"));
        EXPECT_DOUBLE_EQ(num(tr, 2, "time_s"), 12 / 25.0);
        EXPECT_DOUBLE_EQ(num(tr, 2, "x_px"), 116);
        EXPECT_NEAR(num(tr, 2, "x"), 116 * a * scale, 1e-12);
        EXPECT_NEAR(num(tr, 2, "y"), -44 * scale, 1e-12);
        for (std::size_t r = 0; r < tr.rows.size(); ++r) {
            EXPECT_NEAR(num(tr, r, "vx"), 200 * a * scale, 1e-9);
            EXPECT_NEAR(num(tr, r, "ay"), 0, 1e-9);
        }
        EXPECT_DOUBLE_EQ(num(tr, 6, "confidence"), 1 - 6 / 64.0);
    }
}

TEST(AnalysisData, MarkerTableGivesFramesAndBothTimes)
{
    Document doc = AnalysisSample::document();
    doc.views[0].timeLine.stopwatchStart = 2.78;
    doc.views.push_back(AnalysisSample::view(QStringLiteral("b.avi"), 1));
    doc.views[1].timeLine = {};
    doc.views[1].timeLine.keyframes = {125};
    doc.views[1].timeLine.syncPoints = {{2, 3}, {4, 1}}; // view times run backwards
    const Table t = markerTable(doc);
    ASSERT_EQ(t.rows.size(), 8u);
    // View time to synchronised time through (tSync 2.5, tVw 2), and back.
    const auto toSync = [](double v) { return v < 2 ? v * 2.5 / 2 : v - 2 + 2.5; };
    const auto toView = [](double s) { return s < 2.5 ? s * 2 / 2.5 : s - 2.5 + 2; };
    struct Row {
        const char* kind;
        double frame, time, sync;
    } rows[] = {
        {"keyframe", 50, 2, toSync(2)},
        {"keyframe", 100, 4, toSync(4)},
        {"range", std::floor(toView(0.5) * 25), toView(0.5), 0.5},
        {"sync point", 50, 2, 2.5},
        // View time 2.28 s starts frame 57, though 2.28 * 25 gives a hair less.
        {"stopwatch", 57, toView(2.78), 2.78},
    };
    for (size_t i = 0; i < std::size(rows); ++i) {
        EXPECT_EQ(cell(t, i, "kind"), QLatin1String(rows[i].kind)) << i;
        EXPECT_DOUBLE_EQ(num(t, i, "frame"), rows[i].frame) << i;
        EXPECT_DOUBLE_EQ(num(t, i, "time"), rows[i].time) << i;
        EXPECT_DOUBLE_EQ(num(t, i, "sync_time"), rows[i].sync) << i;
        EXPECT_EQ(cell(t, i, "end_frame").isEmpty(), i != 2) << i;
    }
    EXPECT_DOUBLE_EQ(num(t, 2, "end_sync_time"), 4);
    EXPECT_DOUBLE_EQ(num(t, 2, "end_time"), toView(4));
    EXPECT_DOUBLE_EQ(num(t, 2, "end_frame"), std::floor(toView(4) * 25));
    EXPECT_EQ(cell(t, 5, "view"), QLatin1String("2"));
    EXPECT_DOUBLE_EQ(num(t, 5, "time"), 5);
    EXPECT_EQ(cell(t, 5, "sync_time"), QString()) << "points out of order map nothing";
}

TEST(AnalysisData, CsvQuotesWhatItMustAndKeepsDotsUnderAGermanLocale)
{
    const QLocale before;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    Table t = measurementTable(AnalysisSample::document(2.0));
    t.rows.push_back(QStringList{QStringLiteral("line\r\nbreak"), QStringLiteral("lf\nonly"), QStringLiteral("\"")});
    const QByteArray csv = TableText::toCsv(t);
    const QString tsv = TableText::toTsv(t);
    QLocale::setDefault(before);

    EXPECT_TRUE(csv.contains(QStringLiteral(",\"jump, \"\"take 2\"\" \u00fc.mp4\",").toUtf8()));
    EXPECT_TRUE(csv.contains("\"line\r\nbreak\",\"lf\nonly\",\"\"\"\"\r\n"));
    const std::vector<QStringList> back = readCsv(csv);
    ASSERT_EQ(back.size(), t.rows.size() + 1);
    EXPECT_EQ(back[0], t.header);
    for (size_t i = 0; i < t.rows.size(); ++i)
        EXPECT_EQ(back[i + 1], t.rows[i]) << "row " << i;
    for (size_t i = 0; i + 1 < t.rows.size(); ++i)
        EXPECT_EQ(back[i + 1].size(), t.header.size()) << "a decimal comma would split a field";
    EXPECT_TRUE(back[1][t.header.indexOf(QLatin1String("value"))].contains(QLatin1Char('.')));
    EXPECT_NEAR(back[1][t.header.indexOf(QLatin1String("value"))].toDouble(), std::hypot(384.0, 256.0) / 256, 1e-12);

    // The clipboard's form: one line a row, tabs only between cells.
    const QStringList lines = tsv.split(QLatin1Char('\n'));
    ASSERT_EQ(lines.size(), qsizetype(t.rows.size()) + 2);
    EXPECT_EQ(lines.last(), QString());
    EXPECT_EQ(lines[lines.size() - 2], QStringLiteral("line break\tlf only\t\""));
    EXPECT_EQ(lines[1].count(QLatin1Char('\t')), t.header.size() - 1);

    // Written to a file atomically, and the markers and trajectories beside it.
    const QString out = scratch(QStringLiteral("tables.csv"));
    QString error;
    ASSERT_TRUE(writeTables(AnalysisSample::document(), out, error)) << qPrintable(error);
    QFile markers(markersPath(out));
    EXPECT_EQ(QFileInfo(markers).fileName(), QLatin1String("tables-markers.csv"));
    ASSERT_TRUE(markers.open(QIODevice::ReadOnly));
    EXPECT_EQ(readCsv(markers.readAll()).size(), markerTable(AnalysisSample::document()).rows.size() + 1);
    QFile trajectories(trajectoriesPath(out)); // the sample has one
    EXPECT_EQ(QFileInfo(trajectories).fileName(), QLatin1String("tables-trajectories.csv"));
    ASSERT_TRUE(trajectories.open(QIODevice::ReadOnly));
    EXPECT_EQ(readCsv(trajectories.readAll()), readCsv(TableText::toCsv(trajectoriesTable(AnalysisSample::document()))));
    EXPECT_FALSE(writeTables(AnalysisSample::document(), scratch(QStringLiteral("no/such/folder.csv")), error));
    EXPECT_TRUE(error.contains(QLatin1String("folder.csv")));
}

// What the plots draw, on trajectories of known motion in a calibrated view (2 m over 100 px):
// positions, velocities and accelerations in the calibration's units, y upwards; the distance
// of two points over the frames both hold; the angle at the middle one of three.
TEST(AnalysisData, PlotSeriesFollowKnownMotionInTheCalibrationsUnits)
{
    View v;
    v.video.frameRate = 50;
    v.calibrations.push_back({QSize(400, 200), 1, 1.0, 2.0, {QPointF(0.1, 0.5), QPointF(0.35, 0.5)}});
    v.calibrationInForce = 0;
    const QPointF origin(40, 100);
    const double metresPerPx = 2.0 / 100;
    const auto px = [&](QPointF m) { return origin + QPointF(m.x(), -m.y()) / metresPerPx; };
    const auto thrown = [](double t) { return QPointF(1 + 0.5 * t, 2 * t - 4.9 * t * t); };
    Trajectory a, b, c;
    for (int n = 0; n <= 30; ++n) {
        const double t = n * 0.02;
        a.points.push_back({n, t, px(thrown(t)), 1});
        if (n % 3 != 0) // b misses every third frame
            b.points.push_back({n, t, px(thrown(t) + QPointF(0.3, 0.4)), 1});
        c.points.push_back({n, t, px(thrown(t) + QPointF(0.7, 0.1)), 1});
    }
    v.trajectories = {a, b, c};

    using analysis::Quantity;
    const auto series = [&](std::vector<int> ids, Quantity q) { return analysis::trajectorySeries(v, ids, q); };
    const analysis::Series y = series({0}, Quantity::Y), vy = series({0}, Quantity::Vy);
    const analysis::Series speed = series({0}, Quantity::Speed), ay = series({0}, Quantity::Ay);
    ASSERT_EQ(y.values.size(), 31u);
    ASSERT_EQ(vy.values.size(), 31u);
    EXPECT_EQ(y.unit, QStringLiteral("m"));
    EXPECT_EQ(vy.unit, QStringLiteral("m/s"));
    EXPECT_EQ(ay.unit, QStringLiteral("m/s²"));
    // The calibration keeps its points in single precision: a few parts in 10^8.
    for (std::size_t i = 0; i < 31; ++i) {
        const double t = y.times[i];
        EXPECT_NEAR(series({0}, Quantity::X).values[i], 1 + 0.5 * t, 1e-6);
        EXPECT_NEAR(y.values[i], 2 * t - 4.9 * t * t, 1e-6);
        EXPECT_NEAR(vy.values[i], 2 - 9.8 * t, 1e-5);
        EXPECT_NEAR(speed.values[i], std::hypot(0.5, 2 - 9.8 * t), 1e-5);
        EXPECT_NEAR(ay.values[i], -9.8, 1e-3);
    }
    const analysis::Series d = series({0, 1}, Quantity::Distance);
    EXPECT_EQ(d.frames.size(), b.points.size()) << "only the frames both hold";
    for (double value : d.values)
        EXPECT_NEAR(value, 0.5, 1e-6);
    EXPECT_EQ(d.unit, QStringLiteral("m"));
    const analysis::Series angle = series({0, 1, 2}, Quantity::Angle); // at b: arms (-0.3,-0.4) and (0.4,-0.3)
    ASSERT_FALSE(angle.values.empty());
    EXPECT_NEAR(angle.values.front(), 90, 1e-4);
    EXPECT_TRUE(series({0}, Quantity::Distance).values.empty()) << "a distance needs two";
    EXPECT_TRUE(series({5}, Quantity::X).values.empty()) << "no such trajectory";
}

// The example of the format document reads, says what the document says of it, and the
// document names every key the program writes.
TEST(AnalysisData, TheFormatDocumentsExampleReadsAndEveryKeyIsDocumented)
{
    QFile md(QDir(TestPaths::sourceDir()).filePath(QStringLiteral("docs/analysis-format.md")));
    ASSERT_TRUE(md.open(QIODevice::ReadOnly));
    const QByteArray text = md.readAll();
    const qsizetype from = text.indexOf("```json\n");
    const qsizetype to = text.indexOf("\n```", from + 1);
    ASSERT_TRUE(from >= 0 && to > from);
    Problem problem;
    const std::optional<Document> doc = fromJson(text.mid(from + 8, to - from - 8), problem);
    ASSERT_TRUE(doc) << qPrintable(problem.text());
    const Table t = measurementTable(*doc);
    ASSERT_EQ(t.rows.size(), 2u);
    EXPECT_DOUBLE_EQ(num(t, 0, "value"), 1.0) << "a 200-pixel line of 1 m";
    EXPECT_NEAR(num(t, 1, "value"), 90.0, 1e-4);

    std::set<QString> keys;
    const std::function<void(const QJsonValue&)> walk = [&](const QJsonValue& v) {
        const QJsonObject o = v.toObject();
        for (auto it = o.begin(); it != o.end(); ++it) {
            keys.insert(it.key());
            walk(it.value());
        }
        if (v.isArray())
            for (const QJsonValue& e : v.toArray())
                walk(e);
    };
    walk(QJsonDocument::fromJson(toJson(AnalysisSample::document())).object());
    EXPECT_GT(keys.size(), 30u);
    for (const QString& k : keys)
        EXPECT_TRUE(text.contains(("`" + k + "`").toUtf8()) || text.contains(("`stopwatch." + k + "`").toUtf8()))
            << "undocumented key " << qPrintable(k);
}
