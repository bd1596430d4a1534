// The panel of a real view: its controls and their layout, the buttons' states and pictures,
// the real strip driven with the mouse, the events without a time, and the band caption.
#include "TimelineFixtures.h"

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
    static int idOf(const QObject* o) { return o->objectName().section(QLatin1Char('_'), -1).toInt(); }
    static double pixelTime(OvTimeLine* strip) { return (strip->maximum() - strip->minimum()) / (strip->width() - 14.0); }
    static bool onFrameGrid(double t, double rate) { return std::abs(t * rate - std::round(t * rate)) < 1e-9; }
};

} // namespace

TEST_F(Panel, ControlsAreNamedInOrderAndLaidOutOnTheBottomEdge)
{
    CVw* vw = open(tenSeconds25());
    ASSERT_NE(vw, nullptr);
    CTL& tl = vw->timeLine();
    ASSERT_NE(tl.panel(), nullptr);
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^CTL_picPanel_\\d+$")).match(tl.panel()->objectName()).hasMatch());
    EXPECT_EQ(tl.panel()->parentWidget(), vw->panel());
    auto* strip = child<OvTimeLine>(tl, QStringLiteral("ovTL"));
    ASSERT_EQ(strip, tl.strip());
    const QStringList roles = {QStringLiteral("picPlay"), QStringLiteral("picBeginning"), QStringLiteral("picStepBack"),
                               QStringLiteral("picStepForward"), QStringLiteral("picEnd")};
    int previous = idOf(strip);
    EXPECT_LT(idOf(tl.panel()), previous);
    for (const QString& role : roles) {
        PictureBox* b = button(tl, role);
        ASSERT_NE(b, nullptr) << qPrintable(role);
        EXPECT_GT(idOf(b), previous) << "created after the one before: " << qPrintable(role);
        previous = idOf(b);
    }

    tl.setWH(600, 41);
    EXPECT_EQ(strip->geometry(), QRect(0, 0, 480, 41));
    for (int i = 0; i < roles.size(); ++i)
        EXPECT_EQ(button(tl, roles[i])->geometry(), QRect(480 + 24 * i, 17, 24, 24)) << qPrintable(roles[i]);

    // The view lays the panel out below its frame, as wide as the view.
    ctrl.setWH(700, 420);
    EXPECT_EQ(tl.Width(), vw->panel()->width());
    EXPECT_EQ(tl.panel()->geometry().bottom(), vw->frame()->geometry().bottom() + CTL::kPanelHeight);
    EXPECT_EQ(strip->width(), tl.Width() - 5 * CTL::kBtnWidth);
}

TEST_F(Panel, ButtonsFollowThePositionAndShowTheirPictures)
{
    CVw* vw = open(tenSeconds25());
    ASSERT_NE(vw, nullptr);
    CTL& tl = vw->timeLine();
    PictureBox* play = button(tl, QStringLiteral("picPlay"));
    PictureBox* beginning = button(tl, QStringLiteral("picBeginning"));
    PictureBox* back = button(tl, QStringLiteral("picStepBack"));
    PictureBox* forward = button(tl, QStringLiteral("picStepForward"));
    PictureBox* end = button(tl, QStringLiteral("picEnd"));
    ASSERT_TRUE(play && beginning && back && forward && end);

    // On the first frame nothing lies before.
    EXPECT_TRUE(play->isEnabled() && shows(play, QStringLiteral("play.bmp")));
    EXPECT_TRUE(!beginning->isEnabled() && shows(beginning, QStringLiteral("gotoStart_dis.bmp")));
    EXPECT_TRUE(!back->isEnabled() && shows(back, QStringLiteral("stepLft_dis.bmp")));
    EXPECT_TRUE(forward->isEnabled() && shows(forward, QStringLiteral("stepRgt.bmp")));
    EXPECT_TRUE(end->isEnabled() && shows(end, QStringLiteral("gotoEnd.bmp")));

    // A press steps once and arms the repeat; the release disarms it.
    QTest::mousePress(forward, Qt::LeftButton);
    ASSERT_NE(ctrl.timEvTrigger(), nullptr);
    EXPECT_TRUE(ctrl.timEvTrigger()->isActive());
    EXPECT_EQ(ctrl.m_timAction, 1);
    QTest::mouseRelease(forward, Qt::LeftButton);
    EXPECT_FALSE(ctrl.timEvTrigger()->isActive());
    EXPECT_EQ(frameOf(vw), 1);
    EXPECT_DOUBLE_EQ(tl.m_Time, 0.04);
    EXPECT_TRUE(beginning->isEnabled() && shows(beginning, QStringLiteral("gotoStart.bmp")));
    EXPECT_TRUE(back->isEnabled() && shows(back, QStringLiteral("stepLft.bmp")));

    // At the end of the range: go to end and step forward are off, play starts over.
    QTest::mouseClick(end, Qt::LeftButton);
    EXPECT_EQ(frameOf(vw), 250);
    EXPECT_TRUE(!end->isEnabled() && shows(end, QStringLiteral("gotoEnd_dis.bmp")));
    EXPECT_TRUE(!forward->isEnabled() && shows(forward, QStringLiteral("stepRgt_dis.bmp")));
    EXPECT_TRUE(play->isEnabled() && beginning->isEnabled() && back->isEnabled());
    QTest::mousePress(back, Qt::LeftButton);
    EXPECT_EQ(ctrl.m_timAction, 0);
    QTest::mouseRelease(back, Qt::LeftButton);
    EXPECT_FALSE(ctrl.timEvTrigger()->isActive());
    EXPECT_EQ(frameOf(vw), 249);
    EXPECT_TRUE(end->isEnabled() && forward->isEnabled());
    QTest::mouseClick(beginning, Qt::LeftButton);
    EXPECT_EQ(frameOf(vw), 0);
    EXPECT_DOUBLE_EQ(tl.m_Time, 0.0);

    // A range whose start is its end leaves nothing to play.
    Q_EMIT tl.strip()->RangeChanged(0, CTL::kIdRange0, OvTimeLine::PartStart, 2.0f, 10.0f, OvTimeLine::FlagDragDone);
    Q_EMIT tl.strip()->RangeChanged(0, CTL::kIdRange0, OvTimeLine::PartEnd, 2.0f, 1.0f, OvTimeLine::FlagDragDone);
    ASSERT_DOUBLE_EQ(tl.m_TimeRangesMin, 2.0);
    ASSERT_DOUBLE_EQ(tl.m_TimeRangesMax, 2.0);
    tl.time_goto(2.0);
    EXPECT_TRUE(!play->isEnabled() && shows(play, QStringLiteral("play_dis.bmp")));
    EXPECT_FALSE(beginning->isEnabled());
    EXPECT_FALSE(end->isEnabled());
    EXPECT_TRUE(back->isEnabled() && forward->isEnabled());
    CTL::ButtonStates want;
    want.stepBack = want.stepForward = true;
    EXPECT_EQ(tl.btnStates(), want);
    EXPECT_TRUE(dialogs->messages.empty());
}

TEST_F(Panel, PlayShowsPauseWhileTheViewPlays)
{
    CVw* vw = open(tenSeconds25());
    ASSERT_NE(vw, nullptr);
    CTL& tl = vw->timeLine();
    PictureBox* play = button(tl, QStringLiteral("picPlay"));
    tl.time_goto(3.0);
    tl.vidPlay_init();
    EXPECT_TRUE(vw->m_IsVidPlaying);
    EXPECT_TRUE(play->isEnabled() && shows(play, QStringLiteral("pause.bmp")));
    EXPECT_TRUE(shows(button(tl, QStringLiteral("picStepForward")), QStringLiteral("stepRgt_dis.bmp")));
    EXPECT_FALSE(button(tl, QStringLiteral("picEnd"))->isEnabled());

    // Playback walks the strip and its caption with the time.
    EXPECT_TRUE(tl.vidPlay_time(0.5));
    EXPECT_DOUBLE_EQ(tl.m_Time, 3.48) << "snapped to the start of frame 87";
    EXPECT_FLOAT_EQ(tl.strip()->currentTime(), 3.48f);
    EXPECT_EQ(tl.strip()->bandCaption(0), QStringLiteral("Time 3.480     Frame 87"));
    EXPECT_EQ(frameOf(vw), 87);

    vw->m_IsVidPlaying = false;
    tl.btns_enable(true);
    EXPECT_TRUE(play->isEnabled() && shows(play, QStringLiteral("play.bmp")));
    EXPECT_TRUE(button(tl, QStringLiteral("picEnd"))->isEnabled());
}

TEST_F(Panel, PlayDuringAnotherViewsPlaybackSelectsThisView)
{
    CVw* a = open(tenSeconds25());
    CVw* b = open(fourSeconds10());
    ASSERT_TRUE(a && b);
    ASSERT_EQ(ctrl.numVwsSel(), 2);
    ctrl.m_VidOp = 2; // a split goes on with any number of sources
    ctrl.m_IsVidOperating = true;
    QTest::mousePress(button(a->timeLine(), QStringLiteral("picPlay")), Qt::LeftButton);
    EXPECT_EQ(ctrl.m_VwIdxFocus, 0);
    EXPECT_EQ(ctrl.numVwsSel(), 1) << "alone";
    EXPECT_TRUE(a->Selected());
    QTest::mousePress(button(b->timeLine(), QStringLiteral("picPlay")), Qt::LeftButton, Qt::ControlModifier);
    EXPECT_EQ(ctrl.m_VwIdxFocus, 1);
    EXPECT_EQ(ctrl.numVwsSel(), 2) << "added with Ctrl";
    ctrl.m_IsVidOperating = false;
    ctrl.m_VidOp = 0;
    a->m_IsVidPlaying = b->m_IsVidPlaying = false;
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

TEST_F(Panel, BandCaptionStaysEnglishWhereTheLanguageNeedsUnicode)
{
    CVw* vw = open(tenSeconds25());
    ASSERT_NE(vw, nullptr);
    CTL& tl = vw->timeLine();
    tl.time_goto(2.5);
    EXPECT_EQ(tl.strip()->bandCaption(0), QStringLiteral("Time 2.500     Frame 62"));
    EXPECT_EQ(tl.ovTLBand_captionF(31), QStringLiteral("Time 1.240     Frame 31"));

    M_Rc::setRcOffset(M_Rc::key2rcOffset(QStringLiteral("CHS")));
    tl.ctrls_setRcStr();
    EXPECT_EQ(tl.strip()->bandCaption(0), QStringLiteral("Time 2.500     Frame 62"));
    EXPECT_EQ(tl.ovTLBand_captionT(2.5), QStringLiteral("Time 2.500     Frame 62"));
    // The markers speak the language itself.
    tl.keyframe_set(1.0);
    EXPECT_EQ(tl.strip()->itemCaption(0), QString::fromUtf8("关键帧:   时间 1.000   帧 25"));

    M_Rc::setRcOffset(M_Rc::key2rcOffset(QStringLiteral("DEU")));
    vw->ctrls_setRcStr(); // the view passes a change of language on
    EXPECT_EQ(tl.strip()->bandCaption(0), QStringLiteral("Zeit 2.500     Bild 62"));
    EXPECT_EQ(tl.strip()->itemCaption(0), QString::fromUtf8("Schlüsselbild:   Zeit 1.000   Bild 25"));
    EXPECT_TRUE(dialogs->messages.empty());
}

TEST_F(Panel, UnloadingRemovesTheControls)
{
    CVw* vw = open(tenSeconds25());
    ASSERT_NE(vw, nullptr);
    CTL& tl = vw->timeLine();
    ASSERT_EQ(tl.panel()->findChildren<QWidget*>(QRegularExpression(QStringLiteral("^CTL_"))).size(), 6);
    tl.ctrls_unload();
    EXPECT_EQ(tl.panel(), nullptr);
    EXPECT_EQ(tl.strip(), nullptr);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(vw->panel()->findChildren<QWidget*>(QRegularExpression(QStringLiteral("^CTL_"))).isEmpty());
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
