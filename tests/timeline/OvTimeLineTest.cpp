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

    // An item's caption is not drawn over the status word.
    strip.setStatus(QStringLiteral("Indexing the video 40 %"));
    strip.setItemTime(7, 9.5);
    ASSERT_FALSE(strip.statusRect().isEmpty());
    for (const auto& [id, rect] : strip.itemCaptionRects())
        EXPECT_FALSE(rect.intersects(strip.statusRect())) << id;
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
