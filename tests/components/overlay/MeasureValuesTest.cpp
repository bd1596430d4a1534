// Angle and distance values against plane geometry: every direction, the aspect multipliers the
// calibration offers, signed and unsigned readings and the orientation flag.
#include "components/overlay/OvCalib2D.h"
#include "components/overlay/OvCalib2Ds.h"
#include "components/overlay/OvMeasureScene.h"

#include <cmath>
#include <gtest/gtest.h>
#include <numbers>

namespace {

constexpr double kPi = std::numbers::pi;
constexpr QSize kPicture(640, 480);
// The multipliers of the calibration dialog: DV-PAL, DV-NTSC, 1:1.
const double kAspects[] = {1.356337, 1.640625, 1.0};

// A calibration whose reference is a horizontal line of 100 pixels standing for 50 cm.
std::shared_ptr<OvCalib2D> calib(double aspect)
{
    auto cal = OvCalib2Ds().newCalib2D(kPicture);
    cal->setUnit(2);
    cal->setAspect(float(aspect));
    cal->setRefLength(50.0);
    cal->setRefPoint(0, 100.0f / 640, 0.5f);
    cal->setRefPoint(1, 200.0f / 640, 0.5f);
    return cal;
}

// Fractions of a picture point given in pixels.
QPointF frac(double x, double y) { return {x / kPicture.width(), y / kPicture.height()}; }

// The counter-clockwise screen angle, in degrees in [0, 360), from direction (ux, uy) to
// (vx, vy), both in pixels with y downwards, after widening x by the aspect.
double expectedCcw(double ux, double uy, double vx, double vy, double aspect)
{
    const double a = std::atan2(-uy, ux * aspect);
    const double b = std::atan2(-vy, vx * aspect);
    double d = (b - a) * 180.0 / kPi;
    while (d < 0)
        d += 360.0;
    while (d >= 360.0)
        d -= 360.0;
    return d;
}

double signedOf(double ccw) { return ccw > 180.0 ? ccw - 360.0 : ccw; }

void setPoints(OvAngle& a, std::initializer_list<QPointF> pts)
{
    int i = 0;
    for (const QPointF& p : pts) {
        a.setPoint(i++, float(p.x()), float(p.y()));
    }
}

// Directions all around, including the axes.
const double kDirections[] = {0, 15, 45, 90, 120, 180, 200, 270, 300, 345};

} // namespace

TEST(MeasureValues, AngleToTheHorizontalInEveryDirectionAndAspect)
{
    for (double aspect : kAspects) {
        auto cal = calib(aspect);
        for (double deg : kDirections) {
            const double len = 80;
            const double dx = len * std::cos(deg * kPi / 180);
            const double dy = -len * std::sin(deg * kPi / 180);
            OvAngle a;
            a.setType(OvAngle::ToHorizontal);
            a.setCalib(cal);
            setPoints(a, {frac(320, 240), frac(320 + dx, 240 + dy)});
            const double want = expectedCcw(1, 0, dx, dy, aspect);
            // A value just below 360 and one of 0 are the same direction.
            const double got = a.value();
            EXPECT_NEAR(std::remainder(got - want, 360.0), 0.0, 0.01) << "aspect " << aspect << " deg " << deg;
            a.setOrientation(true);
            EXPECT_NEAR(std::remainder(a.value() - (360.0 - want), 360.0), 0.0, 0.01);
            a.setSignedMode(true);
            EXPECT_NEAR(a.value(), -signedOf(want), 0.01) << "aspect " << aspect << " deg " << deg;
            a.setOrientation(false);
            EXPECT_NEAR(a.value(), signedOf(want), 0.01);
        }
    }
}

TEST(MeasureValues, AspectWidensTheHorizontalOnly)
{
    // A line rising one pixel per pixel is 45 degrees on square pixels; with pixels 1.640625
    // times as wide it is flatter: atan(1 / 1.640625).
    OvAngle a;
    a.setType(OvAngle::ToHorizontal);
    a.setCalib(calib(1.640625));
    setPoints(a, {frac(100, 300), frac(200, 200)});
    EXPECT_NEAR(a.value(), std::atan(1 / 1.640625) * 180 / kPi, 0.01);
    // Vertical and horizontal lines keep their angles whatever the aspect.
    setPoints(a, {frac(100, 300), frac(100, 100)});
    EXPECT_NEAR(a.value(), 90.0, 0.01);
    setPoints(a, {frac(100, 300), frac(20, 300)});
    EXPECT_NEAR(a.value(), 180.0, 0.01);
}

TEST(MeasureValues, AngleToTheVerticalIsTakenFromUp)
{
    for (double aspect : kAspects) {
        auto cal = calib(aspect);
        for (double deg : kDirections) {
            const double dx = 60 * std::cos(deg * kPi / 180);
            const double dy = -60 * std::sin(deg * kPi / 180);
            OvAngle a;
            a.setType(OvAngle::ToVertical);
            a.setCalib(cal);
            setPoints(a, {frac(300, 200), frac(300 + dx, 200 + dy)});
            const double want = expectedCcw(0, -1, dx, dy, aspect);
            EXPECT_NEAR(std::remainder(a.value() - want, 360.0), 0.0, 0.01) << "aspect " << aspect << " deg " << deg;
        }
    }
    OvAngle up;
    up.setType(OvAngle::ToVertical);
    setPoints(up, {frac(300, 200), frac(300, 100)});
    EXPECT_NEAR(up.value(), 0.0, 0.01);
    setPoints(up, {frac(300, 200), frac(200, 200)}); // to the left: a quarter turn counter-clockwise
    EXPECT_NEAR(up.value(), 90.0, 0.01);
}

TEST(MeasureValues, ThreePointAngleAtTheMiddlePoint)
{
    for (double aspect : kAspects) {
        auto cal = calib(aspect);
        for (double d1 : {0.0, 90.0, 200.0, 300.0}) {
            for (double d2 : {10.0, 135.0, 180.0, 270.0}) {
                const QPointF v(320, 240);
                const QPointF r1(70 * std::cos(d1 * kPi / 180), -70 * std::sin(d1 * kPi / 180));
                const QPointF r2(50 * std::cos(d2 * kPi / 180), -50 * std::sin(d2 * kPi / 180));
                OvAngle a;
                a.setType(OvAngle::ThreePoints);
                a.setCalib(cal);
                setPoints(a, {frac(v.x() + r1.x(), v.y() + r1.y()), frac(v.x(), v.y()),
                              frac(v.x() + r2.x(), v.y() + r2.y())});
                const double want = expectedCcw(r1.x(), r1.y(), r2.x(), r2.y(), aspect);
                EXPECT_NEAR(std::remainder(a.value() - want, 360.0), 0.0, 0.01)
                    << "aspect " << aspect << " d1 " << d1 << " d2 " << d2;
            }
        }
    }
}

TEST(MeasureValues, TwoLinesFromTheFirstLineToTheSecond)
{
    auto cal = calib(1.356337);
    OvAngle a;
    a.setType(OvAngle::TwoLines);
    a.setCalib(cal);
    // Line 1 points right, line 2 points up and to the left, far apart on the picture.
    setPoints(a, {frac(10, 400), frac(110, 400), frac(500, 300), frac(450, 200)});
    const double want = expectedCcw(100, 0, -50, -100, 1.356337);
    EXPECT_NEAR(a.value(), want, 0.01);
    // Turning line 2 round turns the angle by half a turn.
    setPoints(a, {frac(10, 400), frac(110, 400), frac(450, 200), frac(500, 300)});
    EXPECT_NEAR(a.value(), want + 180.0 - 360.0 * (want + 180.0 >= 360.0), 0.01);
    // Parallel lines in the same direction: 0; in opposite directions: 180.
    setPoints(a, {frac(0, 0), frac(100, 100), frac(300, 0), frac(400, 100)});
    EXPECT_NEAR(a.value(), 0.0, 0.01);
    setPoints(a, {frac(0, 0), frac(100, 100), frac(400, 100), frac(300, 0)});
    EXPECT_NEAR(a.value(), 180.0, 0.01);
}

TEST(MeasureValues, DegenerateLinesMeasureZeroAndFlagKeepsHalfTurn)
{
    OvAngle a;
    a.setType(OvAngle::ThreePoints);
    a.setCalib(calib(1.0));
    setPoints(a, {frac(50, 50), frac(50, 50), frac(90, 20)}); // first ray has no length
    EXPECT_FLOAT_EQ(a.value(), 0.0f);
    a.setOrientation(true);
    EXPECT_FLOAT_EQ(a.value(), 0.0f);
    a.setSignedMode(true);
    EXPECT_FLOAT_EQ(a.value(), 0.0f);
    // A straight angle reads 180 with either flag, signed or not, in magnitude.
    setPoints(a, {frac(10, 50), frac(50, 50), frac(90, 50)});
    for (bool flag : {false, true}) {
        a.setOrientation(flag);
        a.setSignedMode(false);
        EXPECT_NEAR(a.value(), 180.0, 1e-4);
        a.setSignedMode(true);
        EXPECT_NEAR(std::abs(a.value()), 180.0, 1e-4);
    }
    // An angle without a calibration counts fractions as square units.
    OvAngle bare;
    bare.setType(OvAngle::ToHorizontal);
    bare.setPoint(0, 0.1f, 0.5f);
    bare.setPoint(1, 0.2f, 0.4f);
    EXPECT_NEAR(bare.value(), 45.0, 0.01);
}

TEST(MeasureValues, DistancesInEveryDirectionAndAspect)
{
    for (double aspect : kAspects) {
        auto cal = calib(aspect);
        // The reference: 100 pixels horizontally = 50 cm, so one pixel height unit is
        // 50 / (100 * aspect) cm.
        const double perUnit = 50.0 / (100.0 * aspect);
        for (double deg : kDirections) {
            const double dx = 120 * std::cos(deg * kPi / 180);
            const double dy = -120 * std::sin(deg * kPi / 180);
            OvDistance d;
            d.setCalib(cal);
            d.setPoint(0, float(300.0 / 640), float(250.0 / 480));
            d.setPoint(1, float((300.0 + dx) / 640), float((250.0 + dy) / 480));
            // The expected length from the stored single-precision points.
            const double px = (double(d.point(1).x()) - d.point(0).x()) * 640 * aspect;
            const double py = (double(d.point(1).y()) - d.point(0).y()) * 480;
            const double want = std::hypot(px, py) * perUnit;
            EXPECT_NEAR(d.value(), want, want * 1e-4) << "aspect " << aspect << " deg " << deg;
        }
    }
    // The reference line itself measures the reference length; a vertical line of 100 pixels
    // on DV-NTSC pixels is shorter than a horizontal one by the aspect.
    auto ntsc = calib(1.640625);
    OvDistance d;
    d.setCalib(ntsc);
    d.setPoint(0, 100.0f / 640, 0.5f);
    d.setPoint(1, 200.0f / 640, 0.5f);
    EXPECT_NEAR(d.value(), 50.0, 50.0 * 1e-4);
    d.setPoint(0, 0.5f, 100.0f / 480);
    d.setPoint(1, 0.5f, 200.0f / 480);
    EXPECT_NEAR(d.value(), 50.0 / 1.640625, 50.0 / 1.640625 * 1e-4);
    // No length, no calibration: 0.
    d.setPoint(1, 0.5f, 100.0f / 480);
    EXPECT_DOUBLE_EQ(d.value(), 0.0);
    OvDistance bare;
    bare.setPoint(1, 0.5f, 0.5f);
    EXPECT_DOUBLE_EQ(bare.value(), 0.0);
}

TEST(MeasureValues, ADiagonalReferenceScalesEveryDirectionAlike)
{
    auto cal = OvCalib2Ds().newCalib2D(QSize(720, 576));
    cal->setUnit(1);
    cal->setAspect(1.356337f);
    cal->setRefLength(2.0); // metres
    cal->setRefPoint(0, 0.1f, 0.8f);
    cal->setRefPoint(1, 0.4f, 0.3f);
    OvDistance d;
    d.setCalib(cal);
    // The reference line itself, and the same line moved and turned half round.
    d.setPoint(0, 0.1f, 0.8f);
    d.setPoint(1, 0.4f, 0.3f);
    EXPECT_NEAR(d.value(), 2.0, 2e-4);
    d.setPoint(0, 0.9f, 0.6f);
    d.setPoint(1, 0.6f, 1.1f);
    EXPECT_NEAR(d.value(), 2.0, 2e-4);
    // Half the reference is half the length.
    d.setPoint(0, 0.1f, 0.8f);
    d.setPoint(1, 0.25f, 0.55f);
    EXPECT_NEAR(d.value(), 1.0, 1e-4);
}
