// Tracking without a window, as a script runs it, on the demo clip whose physics is known: the
// thrown ball's fall gives g; a point with nothing to follow and bad arguments are refused.
#include "components/media/DemoClips.h"
#include "components/tracking/Kinematics.h"
#include "support/CsvRead.h"
#include "support/TestPaths.h"
#include "support/ToolRun.h"

#include <QDir>
#include <QFile>
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

TEST(TrackTool, TheThrownBallGivesGAndBadPointsAreRefused)
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
