// Tracking without a window, as a script runs it, on the demo clips whose physics is known: the
// thrown ball's fall gives g, and the pendulum's swing gives its period.
#include "components/media/DemoClips.h"
#include "components/tracking/Kinematics.h"
#include "support/CsvRead.h"
#include "support/TestPaths.h"
#include "support/ToolRun.h"

#include <QDir>
#include <QFile>
#include <cmath>
#include <gtest/gtest.h>

namespace {

QString demoClip(const char* name)
{
    const QString dir = QDir(TestPaths::scratchDir()).filePath(QStringLiteral("demo"));
    EXPECT_EQ(DemoClips::ensure(dir).size(), 2);
    return QDir(dir).filePath(QString::fromLatin1(name));
}

// The columns of a CSV table by header name.
std::map<QString, std::vector<double>> columns(const QString& csv)
{
    const std::vector<QStringList> rows = readCsv(csv.toUtf8());
    std::map<QString, std::vector<double>> out;
    for (std::size_t r = 1; r < rows.size(); ++r)
        for (int c = 0; c < rows[0].size() && c < rows[r].size(); ++c)
            out[rows[0][c]].push_back(rows[r][c].toDouble());
    return out;
}

// Times at which the values cross their mean going upwards, interpolated between samples.
std::vector<double> upCrossings(const std::vector<double>& t, const std::vector<double>& v)
{
    std::vector<double> times;
    for (std::size_t i = 1; i < v.size(); ++i)
        if (v[i - 1] < 0 && v[i] >= 0)
            times.push_back(t[i - 1] + (t[i] - t[i - 1]) * -v[i - 1] / (v[i] - v[i - 1]));
    return times;
}

TEST(TrackTool, TheThrownBallGivesGAndThePendulumItsPeriod)
{
    using B = DemoClips::Ball;
    // The ball's flight before its first bounce, calibrated on the 1 m bar (its left end the origin).
    const QPointF start = DemoClips::ballPx(0);
    const QString bar = QStringLiteral("%1,50,%2,50,1").arg(DemoClips::kWidth - 20 - B::kPxPerM).arg(DemoClips::kWidth - 20);
    const ToolRun ball = tool({"track", demoClip("ball.mkv"), "--frame", "0", "--point",
                               QStringLiteral("%1,%2").arg(start.x()).arg(start.y()), "--to", "50", "--calib", bar});
    ASSERT_EQ(ball.exitCode, 0) << ball.err.toStdString();
    auto table = columns(ball.out);
    EXPECT_EQ(readCsv(ball.out.toUtf8())[0].join(','),
              "frame,time_s,x_px,y_px,x_m,y_m,vx_m/s,vy_m/s,ax_m/s2,ay_m/s2,confidence");
    ASSERT_EQ(table["time_s"].size(), 51u);
    EXPECT_DOUBLE_EQ(table["time_s"][50], 1.0);
    const auto fall = kinematics::fitPolynomial(table["time_s"], table["y_m"], 2);
    ASSERT_TRUE(fall);
    EXPECT_NEAR(-2 * fall->coefficients[2], DemoClips::kG, 0.01 * DemoClips::kG);
    EXPECT_NEAR(table["vx_m/s"][25], B::kVx, 0.02);

    // The pendulum: ten seconds would be nicer, six give more than three swings.
    const QPointF bob = DemoClips::pendulumBobPx(0);
    const ToolRun swing = tool({"track", demoClip("pendulum.mkv"), "--frame", "0", "--point",
                                QStringLiteral("%1,%2").arg(bob.x()).arg(bob.y()), "--radius", "14"});
    ASSERT_EQ(swing.exitCode, 0) << swing.err.toStdString();
    table = columns(swing.out);
    ASSERT_EQ(table["x_px"].size(), std::size_t(DemoClips::kFrames));
    std::vector<double> x = table["x_px"], truth;
    for (int n = 0; n < DemoClips::kFrames; ++n) {
        x[std::size_t(n)] -= DemoClips::Pendulum::kPivotX;
        truth.push_back(std::sin(DemoClips::pendulumAngle(DemoClips::Pendulum::kTheta0, 1.0, n / 50.0)));
    }
    const auto measured = upCrossings(table["time_s"], x), expected = upCrossings(table["time_s"], truth);
    ASSERT_GE(measured.size(), 2u);
    ASSERT_EQ(measured.size(), expected.size());
    const double period = (measured.back() - measured.front()) / double(measured.size() - 1);
    const double truePeriod = (expected.back() - expected.front()) / double(expected.size() - 1);
    EXPECT_NEAR(period, truePeriod, 0.005 * truePeriod);

    // A point on the empty background is refused: the table has its header only, the tool says why.
    const ToolRun flat = tool({"track", demoClip("ball.mkv"), "--frame", "0", "--point", "300,150", "--to", "20"});
    EXPECT_EQ(flat.exitCode, 1);
    EXPECT_TRUE(flat.err.contains("ball.mkv: tracking stopped at frame 0: there is no detail to follow at that point"))
        << flat.err.toStdString();
    EXPECT_EQ(readCsv(flat.out.toUtf8()).size(), 1u);
    const ToolRun bad = tool({"track", demoClip("ball.mkv"), "--frame", "0", "--point", "40", "--to", "20"});
    EXPECT_EQ(bad.exitCode, 2);
    EXPECT_EQ(tool({"track", demoClip("ball.mkv"), "--frame", "400", "--point", "40,236"}).exitCode, 2);
}

} // namespace
