// Keyframes, ranges, synchronisation points and the stopwatch of a real view's time line: the
// tables, the items on the strip, and the rules of adding, dragging and removing.
#include "TimelineFixtures.h"

#include <cmath>

using namespace TimelineFixtures;

namespace {

class Markers : public TimelineTest {
protected:
    // A drag of a range on the strip as the strip reports it when the mouse is released.
    static void drag(CTL& tl, int range, int part, double ts, double te)
    {
        Q_EMIT tl.strip()->RangeChanged(0, CTL::kIdRange0 + range - 1, part, float(ts), float(te), OvTimeLine::FlagDragDone);
    }
    // "Delete" from the menu of a right click on an item of the strip, as the user removes a range.
    void removeRange(CTL& tl, int item)
    {
        dialogs->menuAnswers.push_back(QStringLiteral("CVwCtrl_TL_Range_Del"));
        if (item >= CTL::kIdRange0)
            Q_EMIT tl.strip()->RangeClicked(0, item, 0, 0, float(tl.m_Time));
        else
            Q_EMIT tl.strip()->ItemClicked(0, item, OvTimeLine::FlagContextMenu, float(tl.m_Time));
        dialogs->menuAnswers.clear();
    }
    // Range i of the table, and of the strip, is [start, end] up to rounding.
    static ::testing::AssertionResult range(const CTL& tl, int i, double start, double end)
    {
        if (i < 1 || i >= int(tl.ranges().size()))
            return ::testing::AssertionFailure() << "no range " << i;
        const CTL::Range& r = tl.ranges()[size_t(i)];
        const float s = tl.strip()->rangeStart(CTL::kIdRange0 + i - 1);
        const float e = tl.strip()->rangeEnd(CTL::kIdRange0 + i - 1);
        if (std::abs(r.tStart - start) > 1e-12 || std::abs(r.tEnd - end) > 1e-12)
            return ::testing::AssertionFailure() << "range " << i << " is [" << r.tStart << ", " << r.tEnd << "]";
        if (s != float(r.tStart) || e != float(r.tEnd))
            return ::testing::AssertionFailure() << "its item is [" << s << ", " << e << "]";
        return ::testing::AssertionSuccess();
    }
};

} // namespace

TEST_F(Markers, SamplingTheRangesJumpsOverTheGap)
{
    CVw* vw = open(fourSeconds10());
    ASSERT_NE(vw, nullptr);
    CTL& tl = vw->timeLine();
    drag(tl, 1, OvTimeLine::PartEnd, 0.0, 1.0);
    tl.range_add();
    drag(tl, 2, OvTimeLine::PartStart, 3.0, 4.0);
    ASSERT_EQ(tl.m_NumRanges, 2);
    ASSERT_TRUE(range(tl, 1, 0.0, 1.0));
    ASSERT_TRUE(range(tl, 2, 3.0, 4.0));

    EXPECT_EQ(tl.range_sel2fraNrs(0.5), (std::vector<int>{0, 5, 10, 35, 40}));
    EXPECT_DOUBLE_EQ(tl.range_selTime2absTime(1.5), 3.5);
    EXPECT_DOUBLE_EQ(tl.range_selTime2absTime(0.25), 0.25);
    EXPECT_TRUE(dialogs->messages.empty());

    // A step that does not advance is reported once and ends the list.
    EXPECT_EQ(tl.range_sel2fraNrs(0.0), (std::vector<int>{0}));
    ASSERT_EQ(dialogs->messages.size(), 1u);
    EXPECT_TRUE(dialogs->messages[0].text.contains(QStringLiteral("CTL.range_sel2fraNrs(): t = tOld = 0; dt = 0")))
        << qPrintable(dialogs->messages[0].text);
}

TEST_F(Markers, DraggedRangesStopAtTheirNeighboursAndTheEnds)
{
    CVw* vw = open(tenSeconds25());
    ASSERT_NE(vw, nullptr);
    CTL& tl = vw->timeLine();
    drag(tl, 1, OvTimeLine::PartEnd, 0.0, 1.0);
    tl.range_add();
    ASSERT_TRUE(range(tl, 2, 1.04, 10.0));
    drag(tl, 2, OvTimeLine::PartEnd, 1.04, 4.0);

    // The start of the second range dragged onto the first stops one frame after it.
    drag(tl, 2, OvTimeLine::PartStart, 0.5, 4.0);
    EXPECT_TRUE(range(tl, 2, 1.04, 4.0));
    // The end of the first dragged into the second stops one frame before it.
    drag(tl, 1, OvTimeLine::PartEnd, 0.0, 6.0);
    EXPECT_TRUE(range(tl, 1, 0.0, 1.0));
    // Inside its bounds an edge snaps to the start of its frame.
    drag(tl, 2, OvTimeLine::PartStart, 2.019, 4.0);
    EXPECT_TRUE(range(tl, 2, 2.0, 4.0));
    // A start dragged past the end stops at the end.
    drag(tl, 2, OvTimeLine::PartStart, 5.0, 4.0);
    EXPECT_TRUE(range(tl, 2, 4.0, 4.0));
    drag(tl, 2, OvTimeLine::PartStart, 2.0, 4.0);

    // The whole range moved past the end of the video keeps its length and ends there.
    drag(tl, 2, OvTimeLine::PartWhole, 9.0, 11.0);
    EXPECT_TRUE(range(tl, 2, 8.0, 10.0));
    EXPECT_DOUBLE_EQ(tl.m_TimeRangesMax, 10.0);
    // ... and moved onto the first range it stops one frame after it, still as long.
    drag(tl, 2, OvTimeLine::PartWhole, 0.5, 2.5);
    EXPECT_TRUE(range(tl, 2, 1.04, 3.04));
    // Moved inside its bounds, both ends snap to frames.
    drag(tl, 2, OvTimeLine::PartWhole, 5.013, 7.013);
    EXPECT_TRUE(range(tl, 2, 5.0, 7.0));

    // The first range's start moves the start of all ranges.
    drag(tl, 1, OvTimeLine::PartStart, 0.4, 1.0);
    EXPECT_DOUBLE_EQ(tl.m_TimeRangesMin, 0.4);
    EXPECT_DOUBLE_EQ(tl.m_TimeRangesMax, 7.0);
    EXPECT_TRUE(dialogs->messages.empty());
}

TEST_F(Markers, RangesAreAddedOnlyWhereThereIsRoomAndRemovedWithRenumbering)
{
    CVw* vw = open(tenSeconds25());
    ASSERT_NE(vw, nullptr);
    CTL& tl = vw->timeLine();
    ASSERT_EQ(tl.m_NumRanges, 1);
    EXPECT_TRUE(range(tl, 1, 0.0, 10.0)) << "the default range covers the video";
    tl.range_add();
    EXPECT_EQ(tl.m_NumRanges, 1) << "no room after a range over the whole video";

    drag(tl, 1, OvTimeLine::PartEnd, 0.0, 4.0);
    tl.range_add();
    ASSERT_EQ(tl.m_NumRanges, 2);
    EXPECT_TRUE(range(tl, 2, 4.04, 10.0));
    EXPECT_EQ(tl.strip()->rangeCount(), 2);

    drag(tl, 2, OvTimeLine::PartEnd, 4.04, 6.0);
    tl.range_add();
    ASSERT_EQ(tl.m_NumRanges, 3);
    EXPECT_TRUE(range(tl, 3, 6.04, 10.0));

    // Removing the middle range: the last one becomes range 2, with its item.
    removeRange(tl, CTL::kIdRange0 + 1);
    ASSERT_EQ(tl.m_NumRanges, 2);
    EXPECT_TRUE(range(tl, 2, 6.04, 10.0));
    EXPECT_FALSE(tl.strip()->hasRangeItem(CTL::kIdRange0 + 2));
    EXPECT_EQ(tl.m_idSelItem, -1);

    // What is not a range id, or the last remaining range, is not removed.
    removeRange(tl, CTL::kIdSyncPt0);
    EXPECT_EQ(tl.m_NumRanges, 2);
    removeRange(tl, CTL::kIdRange0);
    ASSERT_EQ(tl.m_NumRanges, 1);
    EXPECT_TRUE(range(tl, 1, 6.04, 10.0));
    EXPECT_DOUBLE_EQ(tl.m_TimeRangesMin, 6.04);
    removeRange(tl, CTL::kIdRange0);
    EXPECT_EQ(tl.m_NumRanges, 1);

    tl.range_reset();
    EXPECT_TRUE(range(tl, 1, 0.0, 10.0));
    EXPECT_EQ(tl.strip()->rangeCount(), 1);
    EXPECT_TRUE(dialogs->messages.empty());
}

TEST_F(Markers, KeyframesOnePerFrameRenumberedOnRemoval)
{
    CVw* vw = open(tenSeconds25());
    ASSERT_NE(vw, nullptr);
    CTL& tl = vw->timeLine();
    tl.keyframe_set(2.0);
    tl.keyframe_set(2.03); // the same frame, 50
    EXPECT_EQ(tl.m_NumKeyFrames, 1);
    EXPECT_EQ(tl.keyFrames(), (std::vector<int>{0, 50}));
    tl.keyframe_rmAll();
    EXPECT_EQ(tl.m_NumKeyFrames, 0);
    EXPECT_EQ(tl.strip()->itemCount(), 0);

    tl.keyframe_set(0.4);
    tl.keyframe_set(1.2);
    tl.keyframe_set(0.8);
    ASSERT_EQ(tl.m_NumKeyFrames, 3);
    EXPECT_EQ(tl.strip()->itemCaption(0), QStringLiteral("Keyframe:   Time 0.400   Frame 10"));
    EXPECT_EQ(tl.strip()->itemStyle(0), OvTimeLine::StyleKeyframe);

    tl.keyframe_rm(1);
    ASSERT_EQ(tl.m_NumKeyFrames, 2);
    EXPECT_EQ(tl.keyFrames(), (std::vector<int>{0, 10, 20})) << "creation order kept";
    EXPECT_FLOAT_EQ(tl.strip()->itemTime(1), 0.8f) << "the last item became item 1";
    EXPECT_EQ(tl.strip()->itemCaption(1), QStringLiteral("Keyframe:   Time 0.800   Frame 20"));
    EXPECT_FALSE(tl.strip()->hasItem(2));
    tl.keyframe_rm(CTL::kIdSyncPt0);
    tl.keyframe_rm(5);
    EXPECT_EQ(tl.m_NumKeyFrames, 2) << "other ids remove nothing";

    // A dragged keyframe lands on a frame start and names its new frame.
    Q_EMIT tl.strip()->ItemChanged(0, 1, 0, 3.019f);
    EXPECT_EQ(tl.keyFrames(), (std::vector<int>{0, 10, 75}));
    EXPECT_FLOAT_EQ(tl.strip()->itemTime(1), 3.0f);
    EXPECT_EQ(tl.strip()->itemCaption(1), QStringLiteral("Keyframe:   Time 3.000   Frame 75"));
    EXPECT_TRUE(dialogs->messages.empty());
}

TEST_F(Markers, SyncPointsRefusedWhenTheViewWouldRunFaster)
{
    CVw* vw = open(tenSeconds25());
    ASSERT_NE(vw, nullptr);
    CTL& tl = vw->timeLine();
    tl.syncPt_set(4.0, 3.0);
    EXPECT_FALSE(tl.syncPt_checkNew(2.0, 0.5)) << "3.0 - 0.5 of view time in 2.0 of synchronised time";
    EXPECT_TRUE(tl.syncPt_checkNew(2.0, 1.5));
    EXPECT_FALSE(tl.syncPt_checkNew(4.0, 3.0)) << "a second point at the same time";
    EXPECT_FALSE(tl.syncPt_checkNew(6.0, 5.5)) << "after the last point, faster again";
    EXPECT_TRUE(tl.syncPt_checkNew(6.0, 4.5));
    EXPECT_TRUE(dialogs->messages.empty());
}

TEST_F(Markers, RemovingAPointRemovesExactlyThatOneAlsoWhenAddedOutOfOrder)
{
    CVw* vw = open(tenSeconds25());
    ASSERT_NE(vw, nullptr);
    CTL& tl = vw->timeLine();
    tl.syncPt_set(6.0, 3.0);
    tl.syncPt_set(2.0, 1.0); // before the first: the first point's item moves up
    ASSERT_EQ(tl.m_NumSyncPts, 2);
    EXPECT_FLOAT_EQ(tl.strip()->itemTime(CTL::kIdSyncPt0), 2.0f);
    EXPECT_FLOAT_EQ(tl.strip()->itemTime(CTL::kIdSyncPt0 + 1), 6.0f);
    EXPECT_EQ(tl.strip()->itemCaption(CTL::kIdSyncPt0 + 1), QStringLiteral("Sync point:   Time 6.000   Frame 75"));

    tl.syncPt_rm(CTL::kIdSyncPt0 + 1);
    ASSERT_EQ(tl.m_NumSyncPts, 1);
    EXPECT_DOUBLE_EQ(tl.syncPts()[1].tSync, 2.0);
    EXPECT_DOUBLE_EQ(tl.syncPts()[1].tVw, 1.0);
    EXPECT_FLOAT_EQ(tl.strip()->itemTime(CTL::kIdSyncPt0), 2.0f);
    EXPECT_FALSE(tl.strip()->hasItem(CTL::kIdSyncPt0 + 1));
    EXPECT_DOUBLE_EQ(tl.m_TimeMax, 11.0) << "the remaining point shifts the end";
    tl.syncPt_rm(CTL::kIdKeyframe0);
    EXPECT_EQ(tl.m_NumSyncPts, 1);
    EXPECT_TRUE(dialogs->messages.empty());
}

TEST_F(Markers, TheStopwatchStartsMovesAndGoes)
{
    CVw* vw = open(tenSeconds25());
    ASSERT_NE(vw, nullptr);
    CTL& tl = vw->timeLine();
    tl.time_goto(1.0);
    tl.clock_init();
    EXPECT_EQ(tl.m_NumClocks, 1);
    EXPECT_FLOAT_EQ(tl.strip()->itemTime(CTL::kIdClock), 1.0f);
    EXPECT_EQ(tl.strip()->itemCaption(CTL::kIdClock), QStringLiteral("Stop watch"));
    tl.time_goto(3.0);
    tl.clock_init();
    EXPECT_EQ(tl.m_NumClocks, 1);
    EXPECT_EQ(tl.strip()->itemCount(), 1);
    EXPECT_FLOAT_EQ(tl.strip()->itemTime(CTL::kIdClock), 3.0f);
    tl.time_goto(4.2);
    EXPECT_DOUBLE_EQ(tl.ClockTime(), 4.2 - 3.0);
    tl.clock_rm();
    EXPECT_EQ(tl.m_NumClocks, 0);
    EXPECT_FALSE(tl.strip()->hasItem(CTL::kIdClock));
    tl.clock_rm();
    EXPECT_EQ(tl.m_NumClocks, 0);
}

TEST_F(Markers, AReloadedShorterFileFitsTheLastRange)
{
    CVw* vw = open(tenSeconds25());
    ASSERT_NE(vw, nullptr);
    CTL& tl = vw->timeLine();
    drag(tl, 1, OvTimeLine::PartEnd, 0.0, 1.0);
    tl.range_add();
    tl.time_goto(5.0);
    const QString shorter = clip(QStringLiteral("two_seconds_25.mkv"), 51, {25, 1});
    ASSERT_TRUE(vw->vidLoadFile(shorter, 0, -1, -1, -1));
    EXPECT_DOUBLE_EQ(tl.m_TimeMax, 2.0);
    EXPECT_TRUE(range(tl, 1, 0.0, 1.0)) << "a range inside the video stays";
    EXPECT_TRUE(range(tl, 2, 1.04, 2.0));
    EXPECT_DOUBLE_EQ(tl.m_TimeRangesMax, 2.0);
    EXPECT_DOUBLE_EQ(tl.m_Time, 2.0) << "the view goes to the nearest time it still has";
    EXPECT_EQ(frameOf(vw), 50);
    EXPECT_FLOAT_EQ(tl.strip()->maximum(), 2.0f);
}
