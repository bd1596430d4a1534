// The graphic item collection: hit tests at the edge of their tolerance, frame ranges, items
// that share an id, positions, and the measurement lists' hit tests in fractions.
#include "components/overlay/OvCalib2Ds.h"
#include "components/overlay/OvGraphItems.h"
#include "components/overlay/OvMeasureScene.h"

#include <gtest/gtest.h>

namespace {

OvGraphItems::Item add(OvGraphItems& gis, int type, int id, QPointF p0, QPointF p1, int first = 0, int last = 100)
{
    auto gi = OvGraphItems::newItem(type);
    gi->setId(id);
    gi->setPoint(0, float(p0.x()), float(p0.y()));
    gi->setPoint(1, float(p1.x()), float(p1.y()));
    gi->setFirstFrame(first);
    gi->setLastFrame(last);
    gis.add(gi);
    return gi;
}

} // namespace

TEST(GraphItems, LineHitReachesToleranceAndHalfWidthNoFurther)
{
    OvGraphItems gis;
    auto line = add(gis, OvGraphItem::Line, 7, {10, 10}, {110, 10});
    line->setStyle(4); // width 3: half width 1.5, with tolerance 1 reaches 2.5
    EXPECT_EQ(gis.hitTest(0, 60, 12.5), line);
    EXPECT_EQ(gis.hitTest(0, 60, 12.51), nullptr);
    EXPECT_EQ(gis.hitTest(0, 60, 7.5), line);
    EXPECT_EQ(gis.hitTest(0, 60, 7.49), nullptr);
    // Beyond the end the distance is to the end point.
    EXPECT_EQ(gis.hitTest(0, 112.5, 10), line);
    EXPECT_EQ(gis.hitTest(0, 112.6, 10), nullptr);
    // A larger tolerance reaches further.
    EXPECT_EQ(gis.hitTest(0, 60, 14, 2.5), line);
}

TEST(GraphItems, ShapesAreHitOnTheirOutlineOnly)
{
    OvGraphItems gis;
    auto rect = add(gis, OvGraphItem::Rectangle, 1, {100, 100}, {20, 40}); // corners in any order
    EXPECT_EQ(gis.hitTest(0, 21.4, 70), rect);  // left edge at 20, reach 1.5
    EXPECT_EQ(gis.hitTest(0, 60, 98.6), rect);  // bottom edge at 100
    EXPECT_EQ(gis.hitTest(0, 60, 70), nullptr); // inside
    EXPECT_EQ(gis.hitTest(0, 18.4, 70), nullptr);

    OvGraphItems circles;
    auto circle = add(circles, OvGraphItem::Ellipse, 2, {200, 200}, {200, 200});
    circle->setSize(30);
    EXPECT_EQ(circles.hitTest(0, 231.5, 200), circle);
    EXPECT_EQ(circles.hitTest(0, 200, 168.5), circle);
    EXPECT_EQ(circles.hitTest(0, 231.6, 200), nullptr);
    EXPECT_EQ(circles.hitTest(0, 200, 200), nullptr); // centre

    OvGraphItems crosses;
    auto cross = add(crosses, OvGraphItem::Cross, 3, {50, 50}, {50, 50});
    cross->setSize(10);
    EXPECT_EQ(crosses.hitTest(0, 61.5, 50), cross);
    EXPECT_EQ(crosses.hitTest(0, 50, 38.5), cross);
    EXPECT_EQ(crosses.hitTest(0, 61.6, 50), nullptr);
    EXPECT_EQ(crosses.hitTest(0, 55, 55), nullptr); // between the arms
}

TEST(GraphItems, TextIsHitInsideItsBoxAndEmptyTextNever)
{
    OvGraphItems gis;
    auto text = add(gis, OvGraphItem::Text, 4, {40, 40}, {40, 40});
    text->setStyle(18 * 256);
    text->setText(QStringLiteral("Hello"));
    const QRectF box = text->textBox();
    ASSERT_GT(box.width(), 20);
    ASSERT_GT(box.height(), 10);
    EXPECT_EQ(box.topLeft(), QPointF(40, 40));
    EXPECT_EQ(gis.hitTest(0, box.center().x(), box.center().y()), text);
    EXPECT_EQ(gis.hitTest(0, box.right() + 0.9, box.center().y()), text);
    EXPECT_EQ(gis.hitTest(0, box.right() + 1.1, box.center().y()), nullptr);
    EXPECT_EQ(gis.hitTest(0, 38.8, 45), nullptr);
    // A larger text size makes a larger box.
    text->setStyle(36 * 256);
    EXPECT_GT(text->textBox().height(), box.height() * 1.5);
    text->setText(QString());
    EXPECT_EQ(gis.hitTest(0, 41, 41), nullptr);
    // A style without a size gives the default text size.
    text->setStyle(0);
    EXPECT_EQ(text->textSize(), OvGraphItem::kDefaultTextSize);
}

TEST(GraphItems, HitsOnlyItemsWhoseFramesHoldTheFrameTopmostFirst)
{
    OvGraphItems gis;
    auto early = add(gis, OvGraphItem::Line, 1, {0, 0}, {100, 0}, 0, 4);
    auto late = add(gis, OvGraphItem::Line, 2, {0, 0}, {100, 0}, 5, 9);
    auto over = add(gis, OvGraphItem::Line, 3, {0, 0}, {100, 0}, 3, 3);
    EXPECT_EQ(gis.hitTest(0, 50, 0), early);
    EXPECT_EQ(gis.hitTest(4, 50, 0), early);
    EXPECT_EQ(gis.hitTest(5, 50, 0), late);
    EXPECT_EQ(gis.hitTest(9, 50, 0), late);
    EXPECT_EQ(gis.hitTest(10, 50, 0), nullptr);
    EXPECT_EQ(gis.hitTest(-1, 50, 0), nullptr);
    EXPECT_EQ(gis.hitTest(3, 50, 0), over); // added last, lies on top
}

TEST(GraphItems, SharedIdsAreRemovedTogetherAndPositionsCountFromOne)
{
    OvGraphItems gis;
    auto a1 = add(gis, OvGraphItem::Line, 5, {0, 0}, {1, 1});
    auto b = add(gis, OvGraphItem::Cross, 6, {0, 0}, {1, 1});
    auto a2 = add(gis, OvGraphItem::Line, 5, {1, 1}, {2, 2});
    auto c = add(gis, OvGraphItem::Text, 7, {0, 0}, {0, 0});
    auto a3 = add(gis, OvGraphItem::Line, 5, {2, 2}, {3, 3});
    ASSERT_EQ(gis.count(), 5);
    EXPECT_EQ(gis.item(1), a1);
    EXPECT_EQ(gis.item(3), a2);
    EXPECT_EQ(gis.item(5), a3);
    EXPECT_EQ(gis.item(0), nullptr);
    EXPECT_EQ(gis.item(6), nullptr);
    gis.add(a1); // already there: not added twice
    EXPECT_EQ(gis.count(), 5);

    gis.markId(5, true);
    EXPECT_TRUE(a1->marked() && a2->marked() && a3->marked());
    EXPECT_FALSE(b->marked() || c->marked());

    EXPECT_EQ(gis.rmId(5), 3);
    ASSERT_EQ(gis.count(), 2);
    EXPECT_EQ(gis.item(1), b);
    EXPECT_EQ(gis.item(2), c);
    EXPECT_EQ(gis.rmId(5), 0);
    // The item being shaped outlives its removal from the collection.
    EXPECT_EQ(a3->id(), 5);

    auto d1 = add(gis, OvGraphItem::Line, 8, {0, 0}, {1, 1});
    add(gis, OvGraphItem::Line, 9, {0, 0}, {1, 1});
    auto d2 = add(gis, OvGraphItem::Line, 8, {0, 0}, {1, 1});
    gis.rmLast(); // id 8, both of its items
    ASSERT_EQ(gis.count(), 3);
    EXPECT_FALSE(gis.contains(d1.get()) || gis.contains(d2.get()));
    EXPECT_TRUE(gis.remove(b.get()));
    EXPECT_FALSE(gis.remove(b.get()));
    gis.rmAll();
    EXPECT_EQ(gis.count(), 0);
    gis.rmLast(); // nothing to remove
    EXPECT_EQ(gis.count(), 0);
}

TEST(GraphItems, MeasurementListsHitWithinAFractionOfTheWidth)
{
    auto cal = OvCalib2Ds().newCalib2D(QSize(400, 200));
    OvMeasureScene scene;
    auto dist = OvMeasureScene::newDistance();
    dist->setCalib(cal);
    dist->setUserData(42);
    dist->setPoint(0, 0.25f, 0.5f); // (100, 100) to (300, 100) in pixels
    dist->setPoint(1, 0.75f, 0.5f);
    dist->setLastFrame(10);
    scene.distances().add(dist);
    const double tol = 3.0 / 400;
    // Just under three pixels above the line hit; just over three do not (y fractions of the height).
    EXPECT_EQ(scene.distances().hitTest(0, tol, 0.5, (100 - 2.95) / 200), dist);
    EXPECT_EQ(scene.distances().hitTest(0, tol, 0.5, (100 - 3.05) / 200), nullptr);
    EXPECT_EQ(scene.distances().hitTest(11, tol, 0.5, 0.5), nullptr);
    EXPECT_EQ(scene.distances().hitTest(10, tol, (300 + 2.9) / 400, 0.5), dist);

    auto angle = OvMeasureScene::newAngle();
    angle->setType(OvAngle::ThreePoints);
    angle->setCalib(cal);
    angle->setUserData(43);
    angle->setPoint(0, 0.1f, 0.1f);
    angle->setPoint(1, 0.1f, 0.9f); // vertex
    angle->setPoint(2, 0.9f, 0.9f);
    angle->setLastFrame(0);
    scene.angles().add(angle, QString());
    EXPECT_EQ(scene.angles().hitTest(0, tol, (40 + 2.9) / 400, 0.5), angle);  // first leg, x = 40 px
    EXPECT_EQ(scene.angles().hitTest(0, tol, (40 + 3.1) / 400, 0.5), nullptr);
    EXPECT_EQ(scene.angles().hitTest(0, tol, 0.5, (180 - 2.9) / 200), angle); // second leg
    EXPECT_EQ(scene.angles().hitTest(0, tol, 0.5, 0.5), nullptr);             // inside the angle

    // Positions from 1, removal by position, the last with its id.
    auto second = OvMeasureScene::newAngle();
    second->setUserData(44);
    scene.angles().add(second);
    EXPECT_EQ(scene.angles().count(), 2);
    EXPECT_EQ(scene.angles().item(2), second);
    EXPECT_EQ(scene.angles().item(3), nullptr);
    EXPECT_TRUE(scene.angles().remove(1));
    EXPECT_FALSE(scene.angles().remove(2));
    EXPECT_EQ(scene.angles().item(1), second);
    scene.angles().rmLast();
    EXPECT_EQ(scene.angles().count(), 0);
}
