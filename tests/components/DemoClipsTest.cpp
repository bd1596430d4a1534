// The demo clips: motion by the laws it claims (the full pendulum equation, free fall with
// bounces).
#include "components/media/DemoClips.h"

#include <cmath>
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
