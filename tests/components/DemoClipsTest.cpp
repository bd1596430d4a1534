// The demo clips: motion by the laws it claims (the full pendulum equation, free fall with
// bounces), and clips whose pictures show the bodies where that motion puts them, with scale
// bars of the stated length.
#include "components/media/DemoClips.h"
#include "components/media/MediaSource.h"
#include "support/TestPaths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cmath>
#include <functional>
#include <gtest/gtest.h>

extern "C" {
#include <libavutil/log.h>
}

namespace {

// Period of a pendulum of any amplitude: 4·sqrt(L/g)·K(sin(θ0/2)), K by the arithmetic-geometric mean.
double exactPeriod(double theta0, double length)
{
    double a = 1.0, b = std::cos(theta0 / 2);
    for (int i = 0; i < 30; ++i) {
        const double an = (a + b) / 2;
        b = std::sqrt(a * b);
        a = an;
    }
    const double k = M_PI / (2 * a);
    return 4 * std::sqrt(length / DemoClips::kG) * k;
}

// Centre of the pixels that `match` picks; (-1, -1) when there are none.
QPointF centroid(const QImage& image, const std::function<bool(QRgb)>& match)
{
    double sx = 0, sy = 0;
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (match(image.pixel(x, y))) {
                sx += x + 0.5;
                sy += y + 0.5;
                ++n;
            }
    return n ? QPointF(sx / n, sy / n) : QPointF(-1, -1);
}

// Length of the longest run of picked pixels on a row.
int longestRun(const QImage& image, int row, const std::function<bool(QRgb)>& match)
{
    int best = 0, run = 0;
    for (int x = 0; x < image.width(); ++x) {
        run = match(image.pixel(x, row)) ? run + 1 : 0;
        best = std::max(best, run);
    }
    return best;
}

bool isBob(QRgb c) { return qRed(c) > 150 && qGreen(c) < 100 && qBlue(c) < 100; }
bool isBall(QRgb c) { return qRed(c) > 200 && qGreen(c) > 150 && qBlue(c) < 110; }
bool isDark(QRgb c) { return qRed(c) < 80 && qGreen(c) < 80 && qBlue(c) < 80; }
bool isWhite(QRgb c) { return qRed(c) > 200 && qGreen(c) > 200 && qBlue(c) > 200; }

} // namespace

TEST(DemoClips, ThePendulumSwingsWithThePeriodOfTheFullEquation)
{
    using P = DemoClips::Pendulum;
    const double T = exactPeriod(P::kTheta0, P::kLength);
    EXPECT_NEAR(T, 2.0 * M_PI * std::sqrt(P::kLength / DemoClips::kG) * 1.0313, 0.005) << "40° lengthens the period by ~3 %";
    EXPECT_NEAR(DemoClips::pendulumAngle(P::kTheta0, P::kLength, 0.0), P::kTheta0, 1e-12);
    EXPECT_NEAR(DemoClips::pendulumAngle(P::kTheta0, P::kLength, T / 4), 0.0, 1e-6);
    EXPECT_NEAR(DemoClips::pendulumAngle(P::kTheta0, P::kLength, T / 2), -P::kTheta0, 1e-6);
    EXPECT_NEAR(DemoClips::pendulumAngle(P::kTheta0, P::kLength, 2 * T), P::kTheta0, 1e-6);
    // Small swings follow the harmonic solution.
    const double small = 0.01, w = std::sqrt(DemoClips::kG / 0.5);
    for (double t : {0.3, 1.1, 2.7})
        EXPECT_NEAR(DemoClips::pendulumAngle(small, 0.5, t), small * std::cos(w * t), 1e-6) << "t = " << t;
}

TEST(DemoClips, TheBallFallsFreelyAndBouncesWithTheStatedRestitution)
{
    using B = DemoClips::Ball;
    const double g = DemoClips::kG, h = 1e-3;
    const auto y = [](double t) { return DemoClips::ballPosition(t).y(); };
    // In flight: constant horizontal speed and a second difference of -g·h².
    for (double t : {0.05, 0.4, 0.9}) {
        EXPECT_NEAR(y(t + h) - 2 * y(t) + y(t - h), -g * h * h, 1e-10) << "t = " << t;
        EXPECT_NEAR(DemoClips::ballPosition(t).x() - DemoClips::ballPosition(t - h).x(), B::kVx * h, 1e-12);
    }
    EXPECT_DOUBLE_EQ(y(0.0), B::kY0);
    // First landing, where the centre is one radius above the floor.
    const double land = (B::kVy + std::sqrt(B::kVy * B::kVy + 2 * g * (B::kY0 - B::kRadius))) / g;
    EXPECT_NEAR(y(land), B::kRadius, 1e-9);
    const double e = 1e-6;
    const double vIn = (y(land) - y(land - e)) / e, vOut = (y(land + e) - y(land)) / e;
    EXPECT_LT(vIn, 0);
    EXPECT_NEAR(vOut, -B::kRestitution * vIn, 1e-3);
    for (int n = 0; n < DemoClips::kFrames; ++n)
        ASSERT_GE(y(double(n) / DemoClips::kFps), B::kRadius - 1e-9) << "below the floor in frame " << n;
    EXPECT_DOUBLE_EQ(y(5.9), B::kRadius) << "the bounces have died down by the end";
}

TEST(DemoClips, TheClipsShowTheBodiesWhereTheMotionPutsThemBesideTrueScaleBars)
{
    av_log_set_level(AV_LOG_QUIET);
    const QString folder = QDir(TestPaths::scratchDir()).filePath(QStringLiteral("demo"));
    QString error;
    const QStringList paths = DemoClips::ensure(folder, &error);
    ASSERT_EQ(paths.size(), 2) << error.toStdString();
    const QDateTime written = QFileInfo(paths[0]).lastModified();

    MediaSource pendulum, ball;
    ASSERT_EQ(pendulum.open(paths[0]), 0);
    ASSERT_EQ(ball.open(paths[1]), 0);
    for (MediaSource* s : {&pendulum, &ball}) {
        EXPECT_EQ(s->frameCount(), DemoClips::kFrames);
        EXPECT_FLOAT_EQ(s->frameRate(), float(DemoClips::kFps));
        EXPECT_EQ(s->width(), DemoClips::kWidth);
        EXPECT_EQ(s->height(), DemoClips::kHeight);
    }
    for (int n : {0, 26, 52, 101, 299}) {
        const QPointF want = DemoClips::pendulumBobPx(n);
        const QPointF got = centroid(pendulum.picture(n).convertToFormat(QImage::Format_RGB32), isBob);
        EXPECT_NEAR(got.x(), want.x(), 1.5) << "bob in frame " << n;
        EXPECT_NEAR(got.y(), want.y(), 1.5) << "bob in frame " << n;
    }
    for (int n : {0, 23, 54, 140, 299}) {
        const QPointF want = DemoClips::ballPx(n);
        const QPointF got = centroid(ball.picture(n).convertToFormat(QImage::Format_RGB32), isBall);
        EXPECT_NEAR(got.x(), want.x(), 1.5) << "ball in frame " << n;
        EXPECT_NEAR(got.y(), want.y(), 1.5) << "ball in frame " << n;
    }
    // The bars: 1 m is 250 pixels in the pendulum's picture and 100 in the ball's.
    const QImage p0 = pendulum.picture(0).convertToFormat(QImage::Format_RGB32);
    const QImage b0 = ball.picture(0).convertToFormat(QImage::Format_RGB32);
    EXPECT_NEAR(longestRun(p0, DemoClips::kHeight - 20, isDark), DemoClips::Pendulum::kPxPerM, 1);
    EXPECT_NEAR(longestRun(b0, 50, isWhite), DemoClips::Ball::kPxPerM, 1);

    // A second call keeps the clips; a folder that cannot be made gets a reason.
    EXPECT_EQ(DemoClips::ensure(folder), paths);
    EXPECT_EQ(QFileInfo(paths[0]).lastModified(), written);
    const QString blocker = QDir(TestPaths::scratchDir()).filePath(QStringLiteral("demo_blocker"));
    QFile f(blocker);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();
    error.clear();
    EXPECT_TRUE(DemoClips::ensure(QDir(blocker).filePath(QStringLiteral("sub")), &error).isEmpty());
    EXPECT_FALSE(error.isEmpty());
}
