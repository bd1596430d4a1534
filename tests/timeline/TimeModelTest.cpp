// The time model of a real view: frame numbers, view time and synchronised time through the
// synchronisation points, snapping, and the moves of the view in time.
#include "TimelineFixtures.h"

#include "app/RtError.h"

using namespace TimelineFixtures;

namespace {
class TimeModel : public TimelineTest {};
} // namespace

TEST_F(TimeModel, TwoPointsMapViewTimeToSynchronisedTimeAndBack)
{
    CVw* vw = open(tenSeconds25());
    ASSERT_NE(vw, nullptr);
    CTL& tl = vw->timeLine();
    ASSERT_TRUE(tl.syncPt_checkNew(2.0, 1.0));
    tl.syncPt_set(2.0, 1.0);
    ASSERT_TRUE(tl.syncPt_checkNew(6.0, 3.0));
    tl.syncPt_set(6.0, 3.0);
    ASSERT_EQ(tl.m_NumSyncPts, 2);

    EXPECT_DOUBLE_EQ(tl.time_vw2sync(0.5), 1.0) << "before the first point time is scaled";
    EXPECT_DOUBLE_EQ(tl.time_vw2sync(1.0), 2.0);
    EXPECT_DOUBLE_EQ(tl.time_vw2sync(2.0), 4.0) << "between the points it is interpolated";
    EXPECT_DOUBLE_EQ(tl.time_vw2sync(4.0), 7.0) << "after the last point it is shifted";
    EXPECT_DOUBLE_EQ(tl.time_sync2vw(1.0), 0.5);
    EXPECT_DOUBLE_EQ(tl.time_sync2vw(4.0), 2.0);
    EXPECT_DOUBLE_EQ(tl.time_sync2vw(7.0), 4.0);
    EXPECT_EQ(tl.time2fraNr(4.0), 50);
    EXPECT_DOUBLE_EQ(tl.fraNr2time(50), 4.0);

    // The axis now ends at the synchronised time of the last frame.
    EXPECT_DOUBLE_EQ(tl.m_TimeMax, 13.0);
    EXPECT_FLOAT_EQ(tl.strip()->maximum(), 13.0f);
    tl.time_goto(4.0);
    EXPECT_EQ(frameOf(vw), 50);
    EXPECT_EQ(ViewFixtures::shownNumber(vw->viewer()), 50);
    EXPECT_TRUE(dialogs->messages.empty());
}

TEST_F(TimeModel, BeforeTheFirstPointScaledAfterTheLastShifted)
{
    CVw* vw = open(tenSeconds25());
    ASSERT_NE(vw, nullptr);
    CTL& tl = vw->timeLine();
    tl.syncPt_set(4.0, 2.0);
    EXPECT_DOUBLE_EQ(tl.time_vw2sync(1.0), 2.0) << "scaled, not shifted";
    EXPECT_DOUBLE_EQ(tl.time_vw2sync(0.0), 0.0);
    EXPECT_DOUBLE_EQ(tl.time_vw2sync(3.0), 5.0) << "a pure shift";
    EXPECT_DOUBLE_EQ(tl.time_sync2vw(2.0), 1.0);
    EXPECT_DOUBLE_EQ(tl.time_sync2vw(5.0), 3.0);
    EXPECT_TRUE(dialogs->messages.empty());
}

TEST_F(TimeModel, EveryFrameOfA2997ClipSurvivesTheRoundTrip)
{
    CVw* vw = open(ntsc());
    ASSERT_NE(vw, nullptr);
    CTL& tl = vw->timeLine();
    const double rate = vw->m_AviFrameRate;
    ASSERT_NEAR(rate, 29.97, 0.001);
    ASSERT_EQ(vw->m_AviNumFrames, 300);
    for (int n = 0; n < 300; ++n) {
        ASSERT_DOUBLE_EQ(tl.fraNr2time(n), n / rate) << "frame " << n;
        ASSERT_EQ(tl.time2fraNr(tl.fraNr2time(n)), n) << "frame " << n;
    }
    // Through a synchronisation point the frames still come back.
    tl.syncPt_set(3.0, 1.0);
    for (int n = 0; n < 300; ++n)
        ASSERT_EQ(tl.time2fraNr(tl.fraNr2time(n)), n) << "frame " << n << " with a point";
    EXPECT_TRUE(dialogs->messages.empty());
}

TEST_F(TimeModel, AnOutOfOrderTableIsReportedAndGivesTheTimeBack)
{
    CVw* vw = open(tenSeconds25());
    ASSERT_NE(vw, nullptr);
    CTL& tl = vw->timeLine();
    tl.syncPt_set(2.0, 3.0);
    EXPECT_FALSE(tl.syncPt_checkNew(4.0, 1.0)) << "the check refuses a point that runs backwards";
    tl.syncPt_set(4.0, 1.0); // set without the check: the view times now run backwards
    dialogs->messages.clear();

    EXPECT_DOUBLE_EQ(tl.time_vw2sync(5.0), 5.0);
    ASSERT_EQ(dialogs->messages.size(), 1u);
    EXPECT_TRUE(dialogs->messages[0].text.contains(QStringLiteral("CTL.time_vw2sync(): t < .tVw: t = 5")))
        << qPrintable(dialogs->messages[0].text);
    // A time the walk settles before it meets the disorder is mapped as usual.
    EXPECT_DOUBLE_EQ(tl.time_vw2sync(1.5), 1.0);
    EXPECT_EQ(dialogs->messages.size(), 1u);

    // A first point at view time 0 cannot scale a time before it: 0 and the error's number.
    tl.syncPt_rmAll();
    tl.syncPt_set(1.0, 0.0);
    dialogs->messages.clear();
    EXPECT_DOUBLE_EQ(tl.time_vw2sync(-1.0), 0.0);
    ASSERT_EQ(dialogs->messages.size(), 1u);
    EXPECT_TRUE(dialogs->messages[0].text.contains(QStringLiteral("CTL.time_vw2sync()")));
    EXPECT_TRUE(dialogs->messages[0].text.contains(QString::number(int(RtError::DivisionByZero))))
        << qPrintable(dialogs->messages[0].text);
}

TEST_F(TimeModel, AdjustClampsToTheEndsAndSnapsToFrameStarts)
{
    CVw* vw = open(tenSeconds25());
    ASSERT_NE(vw, nullptr);
    CTL& tl = vw->timeLine();
    EXPECT_DOUBLE_EQ(tl.time_adjust(-1.0), 0.0);
    EXPECT_DOUBLE_EQ(tl.time_adjust(0.0), 0.0);
    EXPECT_DOUBLE_EQ(tl.time_adjust(1.239), 1.2);
    EXPECT_DOUBLE_EQ(tl.time_adjust(1.24), 1.24);
    EXPECT_DOUBLE_EQ(tl.time_adjust(10.0), 10.0);
    EXPECT_DOUBLE_EQ(tl.time_adjust(12.5), 10.0);
    EXPECT_DOUBLE_EQ(tl.time_adjust_1(0.119), 0.08);
}

TEST_F(TimeModel, GotoKeepsTheTimeShowsTheFrameAndMovesTheStrip)
{
    CVw* vw = open(tenSeconds25());
    ASSERT_NE(vw, nullptr);
    CTL& tl = vw->timeLine();
    tl.time_goto(1.23);
    EXPECT_DOUBLE_EQ(tl.m_Time, 1.23) << "no snapping";
    EXPECT_EQ(frameOf(vw), 30) << "the earlier frame";
    EXPECT_EQ(ViewFixtures::shownNumber(vw->viewer()), 30);
    EXPECT_FLOAT_EQ(tl.strip()->currentTime(), 1.23f);
    EXPECT_EQ(tl.strip()->bandCaption(0), QStringLiteral("Time 1.230     Frame 30"));

    tl.time_goto(-5);
    EXPECT_DOUBLE_EQ(tl.m_Time, 0.0);
    EXPECT_EQ(frameOf(vw), 0);
    tl.time_goto(99);
    EXPECT_DOUBLE_EQ(tl.m_Time, 10.0);
    EXPECT_EQ(frameOf(vw), 250);
    tl.time_inc(-0.04);
    EXPECT_DOUBLE_EQ(tl.m_Time, 9.96);
    EXPECT_EQ(frameOf(vw), 249);
}

TEST_F(TimeModel, FrameMovesSetTheTimeOfTheFrame)
{
    CVw* vw = open(tenSeconds25());
    ASSERT_NE(vw, nullptr);
    CTL& tl = vw->timeLine();
    tl.fra_goto(100);
    EXPECT_DOUBLE_EQ(tl.m_Time, 4.0);
    EXPECT_EQ(frameOf(vw), 100);
    EXPECT_EQ(tl.strip()->bandCaption(0), QStringLiteral("Time 4.000     Frame 100"));
    tl.fra_inc(-10);
    EXPECT_EQ(frameOf(vw), 90);
    EXPECT_DOUBLE_EQ(tl.m_Time, 3.6);
    tl.fra_gotoEnd();
    EXPECT_EQ(frameOf(vw), 250);
    EXPECT_DOUBLE_EQ(tl.m_Time, 10.0);
    EXPECT_FLOAT_EQ(tl.strip()->currentTime(), 10.0f);
}

TEST_F(TimeModel, MarkersFollowTheMappingWhenPointsComeAndGo)
{
    CVw* vw = open(tenSeconds25());
    ASSERT_NE(vw, nullptr);
    CTL& tl = vw->timeLine();
    tl.keyframe_set(2.0); // frame 50
    tl.syncPt_set(4.0, 2.0);
    // The keyframe stays on its frame, now at synchronised time 4.0; the range and the axis
    // stretch to the synchronised time of the last frame.
    EXPECT_FLOAT_EQ(tl.strip()->itemTime(0), 4.0f);
    EXPECT_EQ(tl.strip()->itemCaption(0), QStringLiteral("Keyframe:   Time 4.000   Frame 50"));
    EXPECT_DOUBLE_EQ(tl.m_TimeMax, 12.0);
    EXPECT_DOUBLE_EQ(tl.m_TimeRangesMax, 12.0);
    EXPECT_FLOAT_EQ(tl.strip()->rangeEnd(CTL::kIdRange0), 12.0f);
    EXPECT_DOUBLE_EQ(tl.m_Time, 4.0) << "the view stands at the new point";
    EXPECT_EQ(frameOf(vw), 50);

    // Removed alone or with all others, the point takes its stretch away again: a range cut
    // to end at frame 150 (synchronised 8.0) ends there still, at 6.0.
    for (bool all : {false, true}) {
        tl.time_goto(8.0);
        tl.range_edgeToNow(true);
        ASSERT_EQ(tl.time2fraNr(tl.ranges()[1].tEnd), 150);
        if (all)
            tl.syncPt_rmAll();
        else
            tl.syncPt_rm(CTL::kIdSyncPt0);
        EXPECT_EQ(tl.m_NumSyncPts, 0);
        EXPECT_FLOAT_EQ(tl.strip()->itemTime(0), 2.0f);
        EXPECT_DOUBLE_EQ(tl.m_TimeMax, 10.0);
        EXPECT_NEAR(tl.m_TimeRangesMax, 6.0, 1e-9) << (all ? "all removed" : "one removed");
        EXPECT_FALSE(tl.strip()->hasItem(CTL::kIdSyncPt0));
        tl.syncPt_set(4.0, 2.0);
    }
    EXPECT_TRUE(dialogs->messages.empty());
}

TEST_F(TimeModel, ResetClearsPointsKeyframesAndExtraRanges)
{
    CVw* vw = open(tenSeconds25());
    ASSERT_NE(vw, nullptr);
    CTL& tl = vw->timeLine();
    tl.keyframe_set(1.0);
    tl.keyframe_set(2.0);
    Q_EMIT tl.strip()->RangeChanged(0, CTL::kIdRange0, OvTimeLine::PartEnd, 0.0f, 3.0f, OvTimeLine::FlagDragDone);
    tl.range_add();
    tl.syncPt_set(5.0, 4.0);
    ASSERT_EQ(tl.m_NumRanges, 2);

    tl.reset();
    EXPECT_EQ(tl.m_NumSyncPts, 0);
    EXPECT_EQ(tl.m_NumKeyFrames, 0);
    ASSERT_EQ(tl.m_NumRanges, 1);
    EXPECT_DOUBLE_EQ(tl.ranges()[1].tStart, 0.0);
    EXPECT_DOUBLE_EQ(tl.ranges()[1].tEnd, 10.0);
    EXPECT_EQ(tl.strip()->itemCount(), 0);
    EXPECT_EQ(tl.strip()->rangeCount(), 1);
    EXPECT_FLOAT_EQ(tl.strip()->rangeEnd(CTL::kIdRange0), 10.0f);
}
