#pragma once

#include <QImage>
#include <QPointF>
#include <QStringList>

// The two demo clips the program opens with --demo: a swinging pendulum and a thrown ball, each
// moving as physics says, 50 frames per second, with a scale bar of known length drawn into the
// picture so distances can be calibrated and measured. Lossless (FFV1 in Matroska), so every
// pixel a measurement looks at is the pixel that was drawn.
class DemoClips {
public:
    static constexpr int kWidth = 640;
    static constexpr int kHeight = 360;
    static constexpr int kFps = 50;
    static constexpr int kFrames = 6 * kFps;
    static constexpr double kG = 9.81; // m/s²

    // The pendulum: a 1 m string from a pivot at the top centre, let go at rest at 40°.
    struct Pendulum {
        static constexpr double kLength = 1.0;       // m, pivot to the centre of the bob
        static constexpr double kTheta0 = 0.6981317; // rad (40°)
        static constexpr double kPxPerM = 250.0;
        static constexpr double kPivotX = kWidth / 2.0;
        static constexpr double kPivotY = 30.0;
        static constexpr double kBobRadiusPx = 16.0;
    };
    // The ball: thrown up and to the right from near the left edge; it bounces on the floor,
    // keeping its horizontal speed and `kRestitution` of its vertical speed.
    struct Ball {
        static constexpr double kPxPerM = 100.0;
        static constexpr double kRadius = 0.11;   // m
        static constexpr double kX0 = 0.40;       // m, centre at the throw
        static constexpr double kY0 = 1.00;       // m above the floor
        static constexpr double kVx = 0.85;       // m/s
        static constexpr double kVy = 4.50;       // m/s, upwards
        static constexpr double kRestitution = 0.7;
        static constexpr double kFloorPx = kHeight - 24.0; // picture row of the floor
    };

    // The pendulum's angle from the vertical (rad, positive to the right) after t seconds: the
    // equation θ'' = −(g/L)·sin θ integrated from rest at θ0, not its small-angle approximation.
    static double pendulumAngle(double theta0, double lengthM, double t);
    // Where the centre of the ball is after t seconds, in metres: x to the right, y above the floor.
    static QPointF ballPosition(double t);

    // Picture positions of the bob's and the ball's centres in frame n.
    static QPointF pendulumBobPx(int n);
    static QPointF ballPx(int n);

    // Frame n of each clip (RGB32 of kWidth × kHeight).
    static void paintPendulum(QImage& image, int n);
    static void paintBall(QImage& image, int n);

    // Writes the clips into `folder` unless they are there already; returns their paths, or an
    // empty list when the folder cannot be made or a clip cannot be written.
    static QStringList ensure(const QString& folder, QString* error = nullptr);
};
