// The strip driven with the real mouse: each gesture must arrive as the event its owner
// expects, with the time under the mouse.
#include "components/timeline/OvTimeLine.h"

#include <QApplication>
#include <QHelpEvent>
#include <QSignalSpy>
#include <QToolTip>
#include <QTest>
#include <algorithm>
#include <gtest/gtest.h>

namespace {
class Strip : public ::testing::Test {
protected:
    void SetUp() override
    {
        strip.setup(QColor(0, 10, 30), 0);
        strip.setBandCaptionStyle(0, 1, 14, 0, QColor(240, 240, 230));
        strip.resize(614, 41);
        strip.setMinimum(0);
        strip.setMaximum(10);
        strip.show();
    }
    QPoint bandPoint(double t) const { return QPoint(strip.timeToX(t), strip.bandRect().center().y() + 4); }
    QPoint axisPoint(double t) const { return QPoint(strip.timeToX(t), strip.axisRect().center().y()); }
    // The time one pixel stands for: the tolerance of a time read back from a mouse position.
    double pixelTime() const { return (strip.maximum() - strip.minimum()) / (strip.width() - 14.0); }

    OvTimeLine strip;
};
} // namespace

TEST_F(Strip, ClickAndDragOnTheAxisReportTheTimeUnderTheMouse)
{
    QSignalSpy time(&strip, &OvTimeLine::TimeChanged);
    QTest::mouseClick(&strip, Qt::LeftButton, {}, axisPoint(2.5));
    ASSERT_EQ(time.count(), 1);
    EXPECT_NEAR(time[0][0].toFloat(), 2.5, pixelTime());

    QTest::mousePress(&strip, Qt::LeftButton, {}, axisPoint(1));
    QTest::mouseMove(&strip, axisPoint(4));
    QTest::mouseMove(&strip, axisPoint(12)); // beyond the end: clamped
    QTest::mouseRelease(&strip, Qt::LeftButton, {}, axisPoint(12));
    ASSERT_EQ(time.count(), 4);
    EXPECT_NEAR(time[2][0].toFloat(), 4, pixelTime());
    EXPECT_FLOAT_EQ(time[3][0].toFloat(), 10);
    EXPECT_FLOAT_EQ(strip.currentTime(), 0) << "the owner moves the cursor, not the strip";
}

TEST_F(Strip, RightClickOnTheBandAsksForTheContextMenu)
{
    QSignalSpy band(&strip, &OvTimeLine::BandClicked);
    QSignalSpy time(&strip, &OvTimeLine::TimeChanged);
    QTest::mouseClick(&strip, Qt::RightButton, {}, bandPoint(5));
    ASSERT_EQ(band.count(), 1);
    EXPECT_EQ(band[0][0].toInt(), 0);
    EXPECT_EQ(band[0][3].toInt(), OvTimeLine::FlagContextMenu);
    EXPECT_EQ(time.count(), 0);
}

TEST_F(Strip, ItemsAreClickedDraggedAndAskedAbout)
{
    strip.addItem(7, OvTimeLine::StyleKeyframe, 3.0);
    strip.setItemCaption(7, QStringLiteral("K1"));
    QSignalSpy clicked(&strip, &OvTimeLine::ItemClicked);
    QSignalSpy changed(&strip, &OvTimeLine::ItemChanged);

    QTest::mouseClick(&strip, Qt::LeftButton, {}, bandPoint(3.0) + QPoint(2, 0));
    ASSERT_EQ(clicked.count(), 1);
    EXPECT_EQ(clicked[0][1].toInt(), 7);
    EXPECT_EQ(clicked[0][2].toInt(), OvTimeLine::FlagGotoTime);
    EXPECT_FLOAT_EQ(clicked[0][3].toFloat(), 3.0f) << "a click on an item goes to the item's time";

    QTest::mouseClick(&strip, Qt::RightButton, {}, bandPoint(3.0));
    ASSERT_EQ(clicked.count(), 2);
    EXPECT_EQ(clicked[1][2].toInt(), OvTimeLine::FlagContextMenu);

    QTest::mousePress(&strip, Qt::LeftButton, {}, bandPoint(3.0));
    QTest::mouseMove(&strip, bandPoint(5.0));
    QTest::mouseRelease(&strip, Qt::LeftButton, {}, bandPoint(6.0));
    ASSERT_GE(changed.count(), 2);
    EXPECT_EQ(changed.last()[1].toInt(), 7);
    EXPECT_NEAR(changed.last()[3].toFloat(), 6.0, pixelTime());
    EXPECT_EQ(clicked.count(), 2) << "a drag is no click";
    EXPECT_FLOAT_EQ(strip.itemTime(7), 3.0f) << "the owner decides where the item goes";
}

TEST_F(Strip, RangesAreDraggedByEdgeOrWholeWithFlags)
{
    strip.addRangeItem(3000000, 768, 515, 516, QColor(110, 120, 140), 2.0, 6.0);
    QSignalSpy changed(&strip, &OvTimeLine::RangeChanged);

    QTest::mousePress(&strip, Qt::LeftButton, {}, bandPoint(6.0));
    QTest::mouseMove(&strip, bandPoint(7.0));
    QTest::mouseRelease(&strip, Qt::LeftButton, {}, bandPoint(8.0));
    ASSERT_EQ(changed.count(), 2);
    EXPECT_EQ(changed[0][1].toInt(), 3000000);
    EXPECT_EQ(changed[0][2].toInt(), OvTimeLine::PartEnd);
    EXPECT_FLOAT_EQ(changed[0][3].toFloat(), 2.0f);
    EXPECT_NEAR(changed[0][4].toFloat(), 7.0, pixelTime());
    EXPECT_EQ(changed[0][5].toInt(), OvTimeLine::FlagDragEdge);
    EXPECT_EQ(changed[1][5].toInt(), OvTimeLine::FlagDragDone);
    EXPECT_NEAR(changed[1][4].toFloat(), 8.0, pixelTime());

    changed.clear();
    QTest::mousePress(&strip, Qt::LeftButton, {}, bandPoint(4.0));
    QTest::mouseMove(&strip, bandPoint(5.0));
    QTest::mouseRelease(&strip, Qt::LeftButton, {}, bandPoint(5.0));
    ASSERT_EQ(changed.count(), 2);
    EXPECT_EQ(changed[0][2].toInt(), OvTimeLine::PartWhole);
    EXPECT_EQ(changed[0][5].toInt(), OvTimeLine::FlagDragWhole);
    EXPECT_NEAR(changed[1][3].toFloat(), 3.0, 2 * pixelTime());
    EXPECT_NEAR(changed[1][4].toFloat(), 7.0, 2 * pixelTime());

    QSignalSpy clicked(&strip, &OvTimeLine::RangeClicked);
    QTest::mouseClick(&strip, Qt::RightButton, {}, bandPoint(4.0));
    ASSERT_EQ(clicked.count(), 1);
    EXPECT_EQ(clicked[0][1].toInt(), 3000000);
}

TEST_F(Strip, AClickInsideARangeStillMovesTheTime)
{
    strip.addRangeItem(3000000, 768, 515, 516, QColor(110, 120, 140), 0.0, 10.0);
    QSignalSpy time(&strip, &OvTimeLine::TimeChanged);
    QSignalSpy changed(&strip, &OvTimeLine::RangeChanged);
    QTest::mouseClick(&strip, Qt::LeftButton, {}, bandPoint(4.0));
    ASSERT_EQ(time.count(), 1);
    EXPECT_NEAR(time[0][0].toFloat(), 4.0, pixelTime());
    EXPECT_EQ(changed.count(), 0);
}

TEST_F(Strip, TickLabelsNeverOverlapAtAnyWidthOrSpan)
{
    for (int width : {120, 300, 614, 1400}) {
        for (double span : {0.2, 1.0, 7.3, 59.0, 600.0, 5400.0}) {
            strip.resize(width, 41);
            strip.setMaximum(span);
            const auto ticks = strip.ticks();
            QRect previous;
            int majors = 0;
            for (const auto& t : ticks) {
                if (t.label.isEmpty())
                    continue;
                ++majors;
                const QRect r = strip.tickLabelRect(t);
                EXPECT_FALSE(r.intersects(previous)) << "width " << width << " span " << span << " at " << t.time;
                EXPECT_GE(r.left(), 0);
                EXPECT_LE(r.right(), width);
                previous = r;
            }
            EXPECT_GE(majors, width >= 300 ? 3 : 1) << "width " << width << " span " << span;
        }
    }
}

TEST_F(Strip, ItemsAndRangesByIdAndTheNoTimeAnswer)
{
    strip.addItem(1000000, OvTimeLine::StyleSyncPoint, 1.5);
    strip.addItem(2000000, OvTimeLine::StyleStopwatch, 2.5);
    EXPECT_EQ(strip.itemCount(), 2);
    strip.setItemTime(1000000, 4.25);
    EXPECT_FLOAT_EQ(strip.itemTime(1000000), 4.25f);
    EXPECT_EQ(strip.itemStyle(2000000), OvTimeLine::StyleStopwatch);
    strip.removeItem(1000000);
    EXPECT_FALSE(strip.hasItem(1000000));
    EXPECT_EQ(strip.itemTime(1000000), OvTimeLine::NoTime);

    strip.addRangeItem(3000001, 768, 515, 516, QColor(1, 2, 3), 1.0, 2.0);
    strip.setRange(3000001, 1.5, 2.5);
    EXPECT_FLOAT_EQ(strip.rangeStart(3000001), 1.5f);
    EXPECT_FLOAT_EQ(strip.rangeEnd(3000001), 2.5f);
    strip.removeRangeItem(3000001);
    EXPECT_EQ(strip.rangeStart(3000001), OvTimeLine::NoTime);
}

TEST_F(Strip, ItemCaptionsStandBesideTheirItemsWithoutOverlapping)
{
    strip.setBandCaption(0, QStringLiteral("Time 3.300     Frame 165"));
    for (int i = 0; i < 12; ++i) {
        strip.addItem(i, OvTimeLine::StyleKeyframe, 0.4 + 0.7 * i);
        strip.setItemCaption(i, QStringLiteral("Keyframe:   Time %1   Frame %2").arg(0.4 + 0.7 * i, 0, 'f', 3).arg(10 + 17 * i));
    }
    strip.addItem(2000000, OvTimeLine::StyleStopwatch, 1.0);
    strip.setItemCaption(2000000, QStringLiteral("Stop watch"));

    const auto placed = strip.itemCaptionRects();
    ASSERT_GE(placed.size(), 2u);
    EXPECT_LT(placed.size(), 13u) << "a crowded band shows only the captions that fit";
    const QRect caption = strip.bandCaptionRect();
    ASSERT_FALSE(caption.isEmpty());
    for (size_t i = 0; i < placed.size(); ++i) {
        const auto& [id, r] = placed[i];
        EXPECT_FALSE(r.intersects(caption)) << "item " << id;
        EXPECT_GE(r.left(), 0);
        EXPECT_LE(r.right(), strip.width());
        EXPECT_TRUE(strip.bandRect().contains(r.topLeft())) << "item " << id;
        const int x = strip.timeToX(strip.itemTime(id));
        EXPECT_TRUE(std::abs(r.left() - x) <= 6 || std::abs(r.right() - x) <= 6) << "beside its item " << id;
        for (size_t k = i + 1; k < placed.size(); ++k)
            EXPECT_FALSE(r.intersects(placed[k].second)) << "items " << id << " and " << placed[k].first;
    }

    // The item under the mouse shows its caption, and the caption is its tool tip.
    int hidden = -1;
    for (int i = 11; i >= 0 && hidden < 0; --i)
        if (std::none_of(placed.begin(), placed.end(), [i](const auto& p) { return p.first == i; }))
            hidden = i;
    ASSERT_GE(hidden, 0);
    QTest::mouseMove(&strip, bandPoint(strip.itemTime(hidden)));
    const auto hovered = strip.itemCaptionRects();
    EXPECT_TRUE(std::any_of(hovered.begin(), hovered.end(), [hidden](const auto& p) { return p.first == hidden; }));
    const QPoint at = bandPoint(strip.itemTime(hidden));
    QHelpEvent help(QEvent::ToolTip, at, strip.mapToGlobal(at));
    QApplication::sendEvent(&strip, &help);
    EXPECT_EQ(QToolTip::text(), strip.itemCaption(hidden));
}
