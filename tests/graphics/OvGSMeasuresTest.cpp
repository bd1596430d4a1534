// Angles and distances as the measuring tools place them: each angle kind from its clicks,
// the readings, the label placement table, hits, removal by id and frames.
#include "GraphicsFixtures.h"

#include "components/media/MediaCodes.h"
#include "components/overlay/OvCalib2Ds.h"
#include "components/viewer/OvVView.h"
#include "graphics/M_OvGS.h"
#include "support/ScriptedDialogs.h"

#include <cmath>
#include <gtest/gtest.h>
#include <numbers>

using namespace M_OvGS;

namespace {

constexpr int kW = 640;
constexpr int kH = 480;
const QColor kColour(255, 255, 128);

CalPtr squareCalib()
{
    auto cal = OvCalib2Ds().newCalib2D(QSize(kW, kH));
    cal->setUnit(2);
    cal->setAspect(1.0f);
    cal->setRefLength(100.0);
    cal->setRefPoint(0, 0.0f, 0.5f);
    cal->setRefPoint(1, 200.0f / kW, 0.5f); // 200 pixels = 100 cm
    return cal;
}

// Point on a ray from (x, y) at `deg` degrees counter-clockwise from the right, on the screen.
QPointF ray(QPointF from, double deg, double len)
{
    const double r = deg * std::numbers::pi / 180.0;
    return from + QPointF(len * std::cos(r), -len * std::sin(r));
}

} // namespace

TEST(OvGSMeasures, NewAngleStartsWithItsSettingsAndSharesTheLabelsId)
{
    ScopedDialogs d;
    OvGraphItems gis;
    OvMeasureScene scene;
    const CalPtr cal = squareCalib();
    AnglePtr a = ovAngle_new(ANGLE_3POINTS, scene.angles(), scene, cal, 0.25, 0.5, kColour, 3, 1, 8, true, 77);
    ASSERT_TRUE(a);
    EXPECT_EQ(scene.angles().count(), 1);
    EXPECT_EQ(scene.angles().key(1), QString());
    EXPECT_EQ(a->type(), 3);
    EXPECT_EQ(a->calib(), cal);
    EXPECT_TRUE(a->orientation());
    EXPECT_FALSE(a->signedMode());
    EXPECT_EQ(a->userData(), 77);
    EXPECT_TRUE(a->showArc());
    EXPECT_EQ(a->arcRadius(), 55);
    EXPECT_EQ(a->lineWidth(), 1);
    EXPECT_EQ(a->pointMarks(), 1);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(a->point(i), QPointF(0.25, 0.5));
    EXPECT_EQ(a->curFrame(), 3);
    EXPECT_EQ(a->firstFrame(), 1);
    EXPECT_EQ(a->lastFrame(), 8);
    EXPECT_EQ(ovAngle_new(6, scene.angles(), scene, cal, 0, 0, kColour, 0, 0, 0, false, 1), nullptr);
    ASSERT_EQ(d->messages.size(), 1u);
    EXPECT_TRUE(d->messages[0].text.contains(QStringLiteral("M_OvGS.ovAngle_new(): Else: nType = 6")));
}

TEST(OvGSMeasures, ReadingsInnerOuterAndOrthopaedic)
{
    OvMeasureScene scene;
    const CalPtr cal = squareCalib();
    const QPointF v(320, 240);
    const auto three = [&](double deg) {
        AnglePtr a = ovAngle_new(ANGLE_3POINTS, scene.angles(), scene, cal, 0, 0, kColour, 0, 0, 0, false, 1);
        const QPointF p0 = ray(v, 0, 100), p2 = ray(v, deg, 100);
        a->setPoint(0, float(p0.x() / kW), float(p0.y() / kH));
        a->setPoint(1, float(v.x() / kW), float(v.y() / kH));
        a->setPoint(2, float(p2.x() / kW), float(p2.y() / kH));
        return a;
    };
    AnglePtr a = three(120);
    ovAngle_interior(*a, false); // "Outer"
    EXPECT_NEAR(a->value(), 240.0, 0.01);
    ovAngle_interior(*a, false); // already outer: stays
    EXPECT_NEAR(a->value(), 240.0, 0.01);
    ovAngle_interior(*a, true);
    EXPECT_NEAR(a->value(), 120.0, 0.01);

    AnglePtr straight = three(180);
    ovAngle_interior(*straight, false);
    EXPECT_NEAR(straight->value(), 180.0, 0.01);
    EXPECT_FALSE(straight->orientation());
    ovAngle_interior(*straight, true);
    EXPECT_FALSE(straight->orientation());

    AnglePtr minus30 = three(-30); // signed: -30
    minus30->setSignedMode(true);
    EXPECT_NEAR(minus30->value(), -30.0, 0.01);
    ovAngle_orthopaedic(*minus30);
    EXPECT_TRUE(minus30->signedMode());
    EXPECT_NEAR(minus30->value(), 30.0, 0.01);
    ovAngle_orthopaedic(*minus30); // positive already: unchanged
    EXPECT_NEAR(minus30->value(), 30.0, 0.01);
    // Back to an unsigned reading switches the signed mode off.
    ovAngle_interior(*minus30, true);
    EXPECT_FALSE(minus30->signedMode());
    EXPECT_NEAR(minus30->value(), 30.0, 0.01);
}

TEST(OvGSMeasures, DistanceFromPressToReleaseWithItsLabel)
{
    OvGraphItems gis;
    OvMeasureScene scene;
    const CalPtr cal = squareCalib(); // 2 pixels per cm
    GiPtr label = ovGi_new(OVGS_TYPE_LBL_DIST, gis, 100, 100, kColour, 1, 0, 0, 0);
    DistPtr dist = ovDist_new(DIST_KIND, scene.distances(), scene, cal, 100.0 / kW, 100.0 / kH, kColour, 0, 0, 0,
                              label->id());
    ASSERT_TRUE(dist);
    EXPECT_EQ(dist->type(), 3);
    EXPECT_EQ(dist->lineWidth(), 1);
    EXPECT_EQ(dist->endMarks(), 1);
    EXPECT_EQ(dist->pointMarks(), 1);
    EXPECT_EQ(dist->point(1), dist->point(0));
    ovDist_update(scene.distances(), dist, 160.0 / kW, 180.0 / kH); // 60 x 80: 100 pixels
    ovDist_lblUpdate(gis, *dist, kW, kH, 160, 180);
    EXPECT_EQ(label->text(), QStringLiteral("50.00 cm"));
    // 30 left of the middle between point 0 and the mouse.
    EXPECT_EQ(label->point(0), QPointF(100, 140));
    EXPECT_EQ(ovDist_getLblXY(*dist, kW, kH, 101, 100), QPoint(70, 100)); // 100.5 - 30 -> even 70

    cal->setUnit(-1);
    EXPECT_EQ(ovDist_lblText(*dist), QStringLiteral("50.00 units"));
    EXPECT_EQ(ovDist_get1st(scene.distances(), label->id()), dist);
    ovDist_rmId(scene.distances(), label->id());
    EXPECT_EQ(scene.distances().count(), 0);
}

TEST(OvGSMeasures, HitsUseThreePixelsOfTheViewersPictureAtItsFrame)
{
    const QString path = GraphicsFixtures::clip(kW / 4, kH / 4, 4); // 160 x 120
    ASSERT_FALSE(path.isEmpty());
    OvVView viewer;
    ASSERT_EQ(viewer.open(path, 131072), MediaOk);
    auto cal = OvCalib2Ds().newCalib2D(QSize(160, 120));
    OvMeasureScene scene;
    AnglePtr a = ovAngle_new(ANGLE_HORZ, scene.angles(), scene, cal, 0.25, 0.5, kColour, 1, 1, 2, false, 501);
    ovAngle_update(ANGLE_HORZ, scene.angles(), a, 1, 0.75, 0.5); // (40, 60) to (120, 60)
    DistPtr d = ovDist_new(DIST_KIND, scene.distances(), scene, cal, 0.5, 0.1, kColour, 1, 1, 2, 502);
    ovDist_update(scene.distances(), d, 0.5, 0.3); // (80, 12) to (80, 36)
    viewer.setCurrentFrame(1);
    EXPECT_EQ(ovAngle_idHit(scene.angles(), viewer, 0.5, (60 + 2.9) / 120), 501);
    EXPECT_EQ(ovAngle_idHit(scene.angles(), viewer, 0.5, (60 + 3.1) / 120), -1);
    EXPECT_EQ(ovDist_idHit(scene.distances(), viewer, (80 - 2.9) / 160, 0.2), 502);
    EXPECT_EQ(ovDist_idHit(scene.distances(), viewer, (80 - 3.1) / 160, 0.2), -1);
    viewer.setCurrentFrame(3);
    EXPECT_EQ(ovAngle_idHit(scene.angles(), viewer, 0.5, 0.5), -1);
    EXPECT_EQ(ovDist_idHit(scene.distances(), viewer, 0.5, 0.2), -1);
}

TEST(OvGSMeasures, RemovalByIdFramesAndGets)
{
    OvMeasureScene scene;
    const CalPtr cal = squareCalib();
    for (int id : {1, 2, 1, 3, 1})
        ovAngle_new(ANGLE_HORZ, scene.angles(), scene, cal, 0.1, 0.1, kColour, 0, 0, 5, false, id);
    EXPECT_EQ(ovAngle_get(scene.angles(), 1).size(), 3u);
    EXPECT_EQ(ovAngle_get1st(scene.angles(), 3)->userData(), 3);
    ovAngle_rmId(scene.angles(), 1);
    ASSERT_EQ(scene.angles().count(), 2);
    EXPECT_EQ(scene.angles().item(1)->userData(), 2);
    EXPECT_EQ(scene.angles().item(2)->userData(), 3);
    AnglePtr a = scene.angles().item(1);
    ovAngle_setFrames(*a, 7, 9, -1);
    EXPECT_EQ(a->curFrame(), 7);
    ovAngle_setFrames(*a, 0, 3, 8);
    EXPECT_EQ(a->curFrame(), 3);
    ovAngle_rmAll(scene.angles());
    EXPECT_EQ(scene.angles().count(), 0);

    for (int id : {4, 4, 5})
        ovDist_new(DIST_KIND, scene.distances(), scene, cal, 0.1, 0.1, kColour, 2, 0, 5, id);
    EXPECT_EQ(ovDist_get(scene.distances(), 4).size(), 2u);
    DistPtr d = scene.distances().item(3);
    ovDist_setFrames(*d, 4, 6, -1);
    EXPECT_EQ(d->curFrame(), 4);
    ovDist_rmAll(scene.distances());
    EXPECT_EQ(scene.distances().count(), 0);
}

TEST(OvGSMeasures, ValuesFormatWithTwoDecimals)
{
    EXPECT_EQ(format00(37.5), QStringLiteral("37.50"));
    EXPECT_EQ(format00(0.0), QStringLiteral("0.00"));
    EXPECT_EQ(format00(-0.001), QStringLiteral("0.00"));
    EXPECT_EQ(format00(-12.345678), QStringLiteral("-12.35"));
    EXPECT_EQ(format00(359.999), QStringLiteral("360.00"));
}
