// The panel of a real view: play across views, the real strip driven with the mouse, the events
// without a time, and missing button pictures.
#include "TimelineFixtures.h"

#include "support/DuringPlayback.h"

#include "util/M_Misc.h"

#include <QCoreApplication>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <cmath>

using namespace TimelineFixtures;

namespace {

class Panel : public TimelineTest {
protected:
    static double pixelTime(OvTimeLine* strip) { return (strip->maximum() - strip->minimum()) / (strip->width() - 14.0); }
    static bool onFrameGrid(double t, double rate) { return std::abs(t * rate - std::round(t * rate)) < 1e-9; }
};

} // namespace

TEST_F(Panel, PlayDuringAnotherViewsPlaybackSelectsThisView)
{
    CVw* a = open(tenSeconds25());
    CVw* b = open(fourSeconds10());
    ASSERT_TRUE(a && b);
    ctrl.vw_focus(1);
    ctrl.vw_select(1, false, false);
    EXPECT_TRUE(duringPlayback(ctrl, [&] {
        ASSERT_TRUE(b->m_IsVidPlaying && !a->m_IsVidPlaying);
        QTest::mousePress(button(a->timeLine(), QStringLiteral("picPlay")), Qt::LeftButton);
        EXPECT_TRUE(ctrl.m_IsVidOperating);
        EXPECT_EQ(ctrl.m_VwIdxFocus, 0);
        EXPECT_EQ(ctrl.numVwsSel(), 1) << "alone";
        EXPECT_TRUE(a->Selected());
        EXPECT_TRUE(a->m_IsVidPlaying);
        EXPECT_FALSE(b->m_IsVidPlaying);
        QTest::mousePress(button(b->timeLine(), QStringLiteral("picPlay")), Qt::LeftButton, Qt::ControlModifier);
        EXPECT_EQ(ctrl.m_VwIdxFocus, 1);
        EXPECT_EQ(ctrl.numVwsSel(), 2) << "added with Ctrl";
        EXPECT_TRUE(b->m_IsVidPlaying);
    }));
}

TEST_F(Panel, TheRealStripMovesTheViewAndEditsMarkers)
{
    CVw* vw = open(tenSeconds25());
    ASSERT_NE(vw, nullptr);
    CTL& tl = vw->timeLine();
    OvTimeLine* strip = tl.strip();
    QSignalSpy time(strip, &OvTimeLine::TimeChanged);

    // A click on the axis: the view goes to the start of the frame under the mouse.
    QTest::mouseClick(strip, Qt::LeftButton, {}, axisPoint(strip, 4.0));
    ASSERT_EQ(time.count(), 1);
    EXPECT_NEAR(time[0][0].toFloat(), 4.0, pixelTime(strip));
    EXPECT_NEAR(tl.m_Time, 4.0, pixelTime(strip) + 0.04);
    EXPECT_TRUE(onFrameGrid(tl.m_Time, 25)) << tl.m_Time;
    EXPECT_LE(tl.m_Time, M_Misc::s2d(time[0][0].toFloat()));
    const int fraNr = int(std::lround(tl.m_Time * 25));
    EXPECT_EQ(frameOf(vw), fraNr);
    EXPECT_EQ(ViewFixtures::shownNumber(vw->viewer()), fraNr);
    EXPECT_FLOAT_EQ(strip->currentTime(), float(tl.m_Time));
    EXPECT_TRUE(strip->bandCaption(0).endsWith(QStringLiteral("     Frame ") + QString::number(fraNr)));

    // Dragging the cursor follows the mouse.
    QTest::mousePress(strip, Qt::LeftButton, {}, axisPoint(strip, 1.0));
    QTest::mouseMove(strip, axisPoint(strip, 6.0));
    QTest::mouseRelease(strip, Qt::LeftButton, {}, axisPoint(strip, 6.0));
    EXPECT_NEAR(tl.m_Time, 6.0, pixelTime(strip) + 0.04);

    // A keyframe dragged with the mouse lands on a frame start; a click on it goes there.
    tl.keyframe_set(2.0);
    QTest::mousePress(strip, Qt::LeftButton, {}, bandPoint(strip, 2.0));
    QTest::mouseMove(strip, bandPoint(strip, 5.0));
    QTest::mouseRelease(strip, Qt::LeftButton, {}, bandPoint(strip, 7.0));
    const int keyFrame = tl.keyFrames().at(1);
    EXPECT_NEAR(keyFrame, 175, pixelTime(strip) * 25 + 1);
    EXPECT_FLOAT_EQ(strip->itemTime(0), float(keyFrame / 25.0));
    QTest::mouseClick(strip, Qt::LeftButton, {}, bandPoint(strip, keyFrame / 25.0));
    EXPECT_EQ(frameOf(vw), keyFrame);
    EXPECT_EQ(tl.m_idSelItem, -1);

    // The end of the range dragged: the view shows the frame at the edge while the button is
    // held, and its own frame again when it is released.
    tl.time_goto(1.0);
    QTest::mousePress(strip, Qt::LeftButton, {}, bandPoint(strip, 10.0));
    QTest::mouseMove(strip, bandPoint(strip, 8.0));
    const double end = tl.ranges()[1].tEnd;
    EXPECT_NEAR(end, 8.0, pixelTime(strip) + 0.04);
    EXPECT_TRUE(onFrameGrid(end, 25));
    EXPECT_EQ(frameOf(vw), int(std::lround(end * 25)));
    QTest::mouseRelease(strip, Qt::LeftButton, {}, bandPoint(strip, 8.0));
    EXPECT_EQ(frameOf(vw), 25);
    EXPECT_FLOAT_EQ(strip->rangeEnd(CTL::kIdRange0), float(tl.m_TimeRangesMax));
    EXPECT_EQ(tl.m_idSelItem, CTL::kIdRange0) << "the range stays the chosen item";

    // A right click on the range asks for the menu with the range chosen, then forgets it.
    int chosenDuringMenu = -2;
    dialogs->onMenu = [&](QMenu&) { chosenDuringMenu = tl.m_idSelItem; };
    QTest::mouseClick(strip, Qt::RightButton, {}, bandPoint(strip, 4.0));
    ASSERT_EQ(dialogs->menuRequests.size(), 1u);
    EXPECT_EQ(dialogs->menuRequests[0], QStringLiteral("CVwCtrl_TL"));
    EXPECT_EQ(chosenDuringMenu, CTL::kIdRange0);
    EXPECT_EQ(tl.m_idSelItem, -1);
    EXPECT_TRUE(dialogs->messages.empty());
}

TEST_F(Panel, EventsWithoutATimeDoNothingButAFarTimeIsClamped)
{
    CVw* vw = open(tenSeconds25());
    ASSERT_NE(vw, nullptr);
    CTL& tl = vw->timeLine();
    OvTimeLine* strip = tl.strip();
    tl.keyframe_set(5.0);
    tl.time_goto(3.0);

    Q_EMIT strip->TimeChanged(OvTimeLine::NoTime);
    Q_EMIT strip->ItemClicked(0, 0, OvTimeLine::FlagGotoTime, OvTimeLine::NoTime);
    Q_EMIT strip->ItemChanged(0, 0, 0, OvTimeLine::NoTime);
    Q_EMIT strip->RangeChanged(0, CTL::kIdRange0, OvTimeLine::PartEnd, 0.0f, OvTimeLine::NoTime, OvTimeLine::FlagDragDone);
    Q_EMIT strip->RangeClicked(0, CTL::kIdRange0, 0, 0, OvTimeLine::NoTime);
    EXPECT_DOUBLE_EQ(tl.m_Time, 3.0);
    EXPECT_EQ(frameOf(vw), 75);
    EXPECT_EQ(tl.keyFrames(), (std::vector<int>{0, 125}));
    EXPECT_DOUBLE_EQ(tl.m_TimeRangesMax, 10.0);
    EXPECT_TRUE(dialogs->menuRequests.empty());

    // A range event for a range the panel does not have is no edit either.
    Q_EMIT strip->RangeChanged(0, CTL::kIdRange0 + 1, OvTimeLine::PartEnd, 0.0f, 5.0f, OvTimeLine::FlagDragDone);
    EXPECT_DOUBLE_EQ(tl.m_TimeRangesMax, 10.0);

    Q_EMIT strip->TimeChanged(-2000000000.0f);
    EXPECT_DOUBLE_EQ(tl.m_Time, 0.0);
    EXPECT_EQ(frameOf(vw), 0);

    // A panel without a video answers no event of its strip.
    ASSERT_TRUE(ctrl.vws_setNum(2));
    CTL& empty = ctrl.Vws(1)->timeLine();
    ASSERT_FALSE(empty.initialised());
    Q_EMIT empty.strip()->TimeChanged(3.0f);
    Q_EMIT empty.strip()->BandClicked(0, 0, 0, OvTimeLine::FlagContextMenu);
    EXPECT_DOUBLE_EQ(empty.m_Time, 0.0);
    EXPECT_TRUE(dialogs->menuRequests.empty());
    EXPECT_TRUE(dialogs->messages.empty());
}

TEST_F(Panel, MissingPicturesAreReportedOnceAndTheButtonsStillWork)
{
    struct RestorePictures {
        QString dir = M_GUI::imgDir();
        ~RestorePictures() { M_GUI::setImgDir(dir); }
    } restore;
    QTemporaryDir empty;
    ASSERT_TRUE(empty.isValid());
    M_GUI::setImgDir(empty.path());
    CVw* vw = open(tenSeconds25());
    ASSERT_NE(vw, nullptr);
    CTL& tl = vw->timeLine();
    PictureBox* forward = button(tl, QStringLiteral("picStepForward"));
    ASSERT_NE(forward, nullptr);
    const size_t reports = dialogs->messages.size();
    EXPECT_GE(reports, 5u) << "each missing picture is named";
    ASSERT_FALSE(dialogs->messages.empty());
    EXPECT_TRUE(dialogs->messages[0].text.contains(QStringLiteral("CTL.m_picBtn_setPic()")));
    EXPECT_TRUE(dialogs->messages[0].text.contains(QStringLiteral(".bmp")));
    EXPECT_EQ(forward->size(), QSize(CTL::kBtnWidth, CTL::kBtnWidth));
    QTest::mouseClick(forward, Qt::LeftButton);
    QTest::mouseClick(forward, Qt::LeftButton);
    EXPECT_EQ(frameOf(vw), 2);
    EXPECT_TRUE(button(tl, QStringLiteral("picStepBack"))->isEnabled());
    const size_t afterSteps = dialogs->messages.size();
    QTest::mouseClick(forward, Qt::LeftButton);
    EXPECT_EQ(dialogs->messages.size(), afterSteps) << "the same missing picture is not reported again";
}
