// One view in a view set: loading (and refusing) a file, showing frames, the zoom rule and the
// offsets, the caption and frame looks, live and still, selection during playback, and the
// information message.
#include "ViewFixtures.h"

#include "support/DuringPlayback.h"

#include "app/M_Rc.h"
#include "components/media/FrameAccess.h"
#include "components/viewer/OvVView.h"
#include "support/ScriptedDialogs.h"
#include "util/M_Misc.h"
#include "view/CVw.h"
#include "viewcontroller/CVwCtrl.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QFile>
#include <QTest>
#include <gtest/gtest.h>

using ViewFixtures::shown;
using ViewFixtures::shownNumber;

namespace {

QString smallClip() { return ViewFixtures::clip(QStringLiteral("small.mkv"), 176, 144, 12); }
QString largeClip() { return ViewFixtures::clip(QStringLiteral("large.mkv"), 640, 480, 6); }

class ViewTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        M_Rc::setRcOffset(M_Rc::key2rcOffset(QStringLiteral("ENU")));
        ctrl.ctrls_load(&window, &window);
        ctrl.setWH(400, 320);
        ASSERT_TRUE(ctrl.vws_setNum(1));
        vw = ctrl.Vws(0);
        ASSERT_NE(vw, nullptr);
        ctrl.ctrls_resize();
    }
    void TearDown() override { ctrl.preTerminate(); }

    bool load(const QString& path, int offX = -1, int offY = -1, int zoom = -1)
    {
        const bool ok = vw->vidLoadFile(path, 0, offX, offY, zoom);
        ctrl.ctrls_resize();
        return ok;
    }

    // Colour of the outer line of the frame's left border, half way down.
    QRgb frameColour()
    {
        const QRect f = vw->frame()->geometry();
        return shown(vw->panel()).pixel(f.x(), f.y() + f.height() / 2);
    }

    ScopedDialogs dialogs;
    ViewFixtures::Window window;
    CVwCtrl ctrl;
    CVw* vw = nullptr;
};

} // namespace

TEST_F(ViewTest, LoadedFileShowsFrameZeroWithItsNameAndTimeLine)
{
    EXPECT_EQ(vw->caption()->text(), QStringLiteral("<0>"));
    const QString path = smallClip();
    ASSERT_TRUE(load(path));
    EXPECT_EQ(vw->m_VwType, 1);
    EXPECT_EQ(vw->m_AviFileName, path);
    EXPECT_EQ(vw->m_AviNumFrames, 12);
    EXPECT_DOUBLE_EQ(vw->m_AviFrameRate, 25.0);
    EXPECT_EQ(vw->m_AviWidth, 176);
    EXPECT_EQ(vw->m_AviHeight, 144);
    EXPECT_EQ(vw->viewer()->flags() & 131072u, 131072u);
    EXPECT_EQ(vw->caption()->text(), QStringLiteral("small.mkv"));
    EXPECT_EQ(vw->caption()->toolTip(), path);
    EXPECT_EQ(shownNumber(vw->viewer()), 0);

    // The time line took up the video: one range over all frames, standing at its start.
    CTL& tl = vw->timeLine();
    EXPECT_TRUE(tl.initialised());
    EXPECT_FALSE(tl.panel()->isHidden());
    EXPECT_EQ(tl.m_NumRanges, 1);
    EXPECT_DOUBLE_EQ(tl.m_TimeRangesMax, 11 / 25.0);
    EXPECT_DOUBLE_EQ(tl.m_Time, 0.0);
    // The frame ends on the time line's top edge; the picture stays inside the frame.
    const QRect f = vw->frame()->geometry();
    EXPECT_EQ(f.bottom() + 1, tl.panel()->y());
    EXPECT_EQ(tl.panel()->height(), CTL::kPanelHeight);
    EXPECT_TRUE(f.contains(vw->viewer()->geometry()));
    EXPECT_TRUE(dialogs->messages.empty());
}

TEST_F(ViewTest, RefusedFileLeavesTheViewAsItWasAndSaysWhyNamingTheFile)
{
    const QString missing = TestPaths::scratchDir() + QStringLiteral("/missing clip.avi");
    EXPECT_FALSE(load(missing));
    EXPECT_EQ(vw->m_VwType, 0);
    EXPECT_EQ(vw->caption()->text(), QStringLiteral("<0>"));
    ASSERT_EQ(dialogs->messages.size(), 1u);
    EXPECT_EQ(dialogs->messages[0].text, QStringLiteral("The video \"") + missing + QStringLiteral("\" cannot be opened: it was not found"));

    // A loaded view keeps its file, caption and frame when the next file is refused.
    ASSERT_TRUE(load(smallClip()));
    vw->vidShowFra(5);
    const QString text = TestPaths::scratchDir() + QStringLiteral("/not a video.avi");
    QFile junk(text);
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write("this is no video at all\n");
    junk.close();
    EXPECT_FALSE(load(text));
    EXPECT_EQ(dialogs->messages.size(), 2u);
    EXPECT_EQ(dialogs->messages[1].text, QStringLiteral("The video \"") + text +
                                             QStringLiteral("\" cannot be opened: it is not a video file (its format is not recognised)"));
    EXPECT_EQ(vw->caption()->text(), QStringLiteral("small.mkv"));
    EXPECT_EQ(vw->m_AviFileName, smallClip());
    EXPECT_EQ(shownNumber(vw->viewer()), 5);
}

TEST_F(ViewTest, ShowFrameKeepsWithinTheFileAndTellsWhetherItMoved)
{
    ASSERT_TRUE(load(smallClip()));
    EXPECT_FALSE(vw->vidShowFra(-5)); // frame 0 is shown already
    EXPECT_TRUE(vw->vidShowFra(4));
    EXPECT_EQ(shownNumber(vw->viewer()), 4);
    EXPECT_FALSE(vw->vidShowFra(4));
    EXPECT_TRUE(vw->vidShowFra(1000));
    EXPECT_EQ(vw->viewer()->currentFrame(), 11);
    EXPECT_EQ(shownNumber(vw->viewer()), 11);
    EXPECT_TRUE(vw->vidShowFra(-5));
    EXPECT_EQ(shownNumber(vw->viewer()), 0);
}

TEST_F(ViewTest, FitChoosesTheLargestZoomThatFitsNeverAbove100)
{
    ASSERT_TRUE(load(largeClip()));
    OvVView* v = vw->viewer();
    const int z = v->zoom();
    const int maxW = vw->m_ovVVw_maxWidth();
    const int maxH = vw->m_ovVVw_maxHeight();
    EXPECT_LT(z, 100);
    EXPECT_EQ(v->size(), QSize(int(M_Misc::roundHalfEven(640 * z / 100.0)), int(M_Misc::roundHalfEven(480 * z / 100.0))));
    EXPECT_LE(v->width(), maxW);
    EXPECT_LE(v->height(), maxH);
    EXPECT_TRUE(640 * (z + 1) / 100.0 > maxW || 480 * (z + 1) / 100.0 > maxH);
    // Centred across the frame, and in the part of it below the caption's middle.
    const QRect f = vw->frame()->geometry();
    EXPECT_LE(std::abs((v->x() - f.x()) - (f.right() - v->geometry().right())), 1);
    const int top = f.y() + vw->caption()->height() / 2;
    EXPECT_LE(std::abs((v->y() - top) - (f.bottom() - v->geometry().bottom())), 1);
    EXPECT_EQ(shownNumber(v), 0);
    vw->vidShowFra(3);
    EXPECT_EQ(shownNumber(v), 3);

    // Zoom in from fit starts at fit's zoom; 100 % twice returns to fit.
    vw->m_ovVVw_zoomIn();
    EXPECT_EQ(vw->m_AviZoom, z + 1);
    vw->m_ovVVw_zoomOut();
    vw->m_ovVVw_zoomOut();
    EXPECT_EQ(vw->m_AviZoom, z - 1);
    vw->m_ovVVw_zoom100();
    EXPECT_EQ(vw->m_AviZoom, 100);
    EXPECT_EQ(v->zoom(), 100);
    EXPECT_EQ(v->size(), QSize(maxW, maxH)); // the picture overflows: the viewer takes the whole area
    vw->m_ovVVw_zoom100();
    EXPECT_EQ(vw->m_AviZoom, -1);
    EXPECT_EQ(v->zoom(), z);

    // A small video is never enlarged by fit.
    ASSERT_TRUE(ctrl.vws_setNum(2));
    CVw* small = ctrl.Vws(1);
    ASSERT_TRUE(small->vidLoadFile(smallClip(), 0, -1, -1, -1));
    ctrl.setWH(1600, 1000);
    EXPECT_EQ(small->viewer()->zoom(), 100);
    EXPECT_EQ(small->viewer()->size(), QSize(176, 144));
}

TEST_F(ViewTest, FixedZoomsAndOffsetsShowThatPartOfTheFrame)
{
    ASSERT_TRUE(load(largeClip(), 30, 20, 100));
    OvVView* v = vw->viewer();
    vw->vidShowFra(2);
    const QImage full = v->picture(100).convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(vw->m_AviOffsetX, 30);
    EXPECT_EQ(vw->m_AviOffsetY, 20);
    EXPECT_EQ(shown(v), full.copy(30, 20, v->width(), v->height()));

    vw->m_ovVVw_mvOffset(15, 7);
    EXPECT_EQ(vw->m_AviOffsetX, 45);
    EXPECT_EQ(shown(v), full.copy(45, 27, v->width(), v->height()));
    vw->m_ovVVw_mvOffset(-1000, -1000);
    EXPECT_EQ(vw->m_AviOffsetX, 0);
    EXPECT_EQ(vw->m_AviOffsetY, 0);
    vw->m_ovVVw_mvOffset(100000, 100000); // the viewer keeps the offset within the picture
    EXPECT_EQ(vw->m_AviOffsetX, 640 - v->width());
    EXPECT_EQ(vw->m_AviOffsetY, 480 - v->height());

    // 50 %: 320 x 240 overflows a 300-pixel cell across but not down.
    ctrl.setWH(300, 420);
    ASSERT_TRUE(load(largeClip(), 0, 0, 50));
    vw->m_ovVVw_mvOffset(12, 9);
    EXPECT_EQ(v->zoom(), 50);
    EXPECT_EQ(v->height(), 240);
    EXPECT_EQ(v->width(), vw->m_ovVVw_maxWidth());
    EXPECT_EQ(vw->m_AviOffsetX, 12);
    EXPECT_EQ(vw->m_AviOffsetY, 0); // nothing to scroll down
    vw->vidShowFra(4);
    const QImage half = v->picture(50).convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(shown(v), half.copy(12, 0, v->width(), 240));
    EXPECT_EQ(FramePattern::read(half, half.rect()), 4);
}

TEST_F(ViewTest, ZoomKeepsThePointUnderTheAnchor)
{
    ASSERT_TRUE(load(largeClip()));
    OvVView* v = vw->viewer();
    const QPoint anchor(90, 70);
    const int fitted = v->zoom();
    // Shift+Ctrl with a left press zooms in a step around the pressed point (the picture stays
    // centred while it fits, so the point can move on this first step).
    const auto shiftCtrlPress = [&] {
        const Qt::KeyboardModifiers shiftCtrl = Qt::ShiftModifier | Qt::ControlModifier;
        QTest::mousePress(v, Qt::LeftButton, shiftCtrl, anchor);
        QTest::mouseRelease(v, Qt::LeftButton, shiftCtrl, anchor);
    };
    shiftCtrlPress();
    EXPECT_GT(v->zoom(), fitted);
    // Once the picture overflows the cell, 100 % and further steps keep the point under the anchor.
    const QPointF before = v->mapping().toPicture(anchor);
    vw->m_ovVVw_zoom100();
    ASSERT_EQ(v->zoom(), 100);
    const QPointF after = v->mapping().toPicture(anchor);
    EXPECT_NEAR(after.x(), before.x(), 1.0);
    EXPECT_NEAR(after.y(), before.y(), 1.0);
    EXPECT_GT(vw->m_AviOffsetX, 0);
    shiftCtrlPress();
    EXPECT_EQ(v->zoom(), 101);
    const QPointF in = v->mapping().toPicture(anchor);
    EXPECT_NEAR(in.x(), before.x(), 1.0);
    EXPECT_NEAR(in.y(), before.y(), 1.0);
    vw->m_ovVVw_resetOffsetAndZoom();
    EXPECT_EQ(vw->m_AviZoom, -1);
    EXPECT_EQ(vw->m_AviOffsetX, 0);
    EXPECT_EQ(vw->m_AviOffsetY, 0);
}

TEST_F(ViewTest, StillAndLiveKeepFrameOffsetAndZoom)
{
    ASSERT_TRUE(load(largeClip(), 40, 30, 100));
    vw->timeLine().fra_goto(3);
    EXPECT_EQ(frameColour(), QColor(60, 138, 216).rgb());
    vw->VwCtrlMode(0);
    EXPECT_FALSE(vw->viewer()->isOpen());
    EXPECT_TRUE(vw->viewer()->isHidden());
    EXPECT_FALSE(vw->image()->isHidden());
    EXPECT_TRUE(vw->m_picOp.isNull());
    EXPECT_EQ(shownNumber(vw->image()), 3);
    EXPECT_LE(vw->image()->width(), vw->m_ovVVw_maxWidth());
    EXPECT_EQ(frameColour(), QColor(120, 120, 140).rgb());

    vw->VwCtrlMode(1);
    EXPECT_TRUE(vw->viewer()->isOpen());
    EXPECT_TRUE(vw->image()->isHidden());
    EXPECT_EQ(vw->m_AviZoom, 100);
    EXPECT_EQ(vw->m_AviOffsetX, 40);
    EXPECT_EQ(vw->m_AviOffsetY, 30);
    EXPECT_EQ(vw->viewer()->offsetX(), 40);
    EXPECT_EQ(vw->viewer()->currentFrame(), 3);
    EXPECT_EQ(frameColour(), QColor(60, 138, 216).rgb());
    vw->ctrls_focus(true);
    EXPECT_EQ(frameColour(), QColor(0, 102, 204).rgb());
    EXPECT_TRUE(dialogs->messages.empty());
}

TEST_F(ViewTest, CaptionLooksAndLongNames)
{
    const QString longName = ViewFixtures::clip(QStringLiteral("a rather long name for so narrow a cell.mkv"), 176, 144, 2);
    ASSERT_TRUE(load(longName));
    EXPECT_EQ(vw->caption()->text(), QStringLiteral("a rather long name for so narrow a cell.mkv"));
    vw->Selected(true);
    const QImage sel = shown(vw->caption());
    EXPECT_EQ(sel.pixel(3, sel.height() / 2), QColor(248, 242, 180).rgb());
    vw->Selected(false);
    const QImage unsel = shown(vw->caption());
    EXPECT_EQ(unsel.pixel(1, unsel.height() / 2), vw->panel()->palette().color(QPalette::Window).rgb());

    // In a narrow cell the name keeps its start and its end, with the middle left out, and
    // fits the frame; the tooltip has the whole path. Two takes alike but for their numbers
    // stay apart.
    ctrl.setWH(170, 300);
    const QString take2 = ViewFixtures::clip(QStringLiteral("a rather long name for so narrow a cell 2.mkv"), 176, 144, 2);
    QStringList captions;
    for (const QString& path : {longName, take2}) {
        ASSERT_TRUE(load(path));
        const QString text = vw->caption()->text();
        EXPECT_TRUE(text.startsWith(QStringLiteral("a rather")) && text.endsWith(QStringLiteral(".mkv"))) << qPrintable(text);
        EXPECT_TRUE(text.contains(QChar(0x2026))) << qPrintable(text);
        EXPECT_LE(vw->caption()->width(), vw->frame()->width());
        EXPECT_EQ(vw->caption()->toolTip(), path);
        captions << text;
    }
    EXPECT_NE(captions[0], captions[1]);
}

TEST_F(ViewTest, SelectingDuringPlaybackJoinsAndDeselectingLeaves)
{
    ASSERT_TRUE(load(smallClip()));
    vw->timeLine().fra_goto(6);
    ctrl.vw_select(vw->m_Idx, false, false);
    ctrl.VidOp(2); // a split goes on with any number of sources
    EXPECT_TRUE(duringPlayback(ctrl, [&] {
        ASSERT_TRUE(vw->m_IsVidPlaying);
        vw->Selected(false);
        EXPECT_FALSE(vw->m_IsVidPlaying);
        EXPECT_TRUE(vw->m_picOp.isNull());
        const CTL::ButtonStates back = vw->timeLine().btnStates();
        EXPECT_TRUE(back.play && back.beginning && back.end && back.stepBack && back.stepForward);

        vw->Selected(true);
        EXPECT_TRUE(vw->m_IsVidPlaying);
        CTL::ButtonStates playing;
        playing.play = true;
        EXPECT_EQ(vw->timeLine().btnStates(), playing);
        // It joins where it stands and takes that frame's picture. (Usually the frame playback
        // started from; on a loaded machine the looped playback may have gone round already.)
        CTL& tl = vw->timeLine();
        EXPECT_DOUBLE_EQ(tl.m_VidPlayTimeOffset, tl.m_Time);
        ASSERT_EQ(vw->m_picOp.size(), QSize(176, 144));
        EXPECT_EQ(FramePattern::read(vw->m_picOp, vw->m_picOp.rect()), tl.time2fraNr(tl.m_Time));
    }));

    // Without playback, selection only takes the picture.
    vw->Selected(false);
    vw->Selected(true);
    EXPECT_FALSE(vw->m_IsVidPlaying);
    EXPECT_FALSE(vw->m_picOp.isNull());
    ctrl.VidOp(0);
}

TEST_F(ViewTest, InformationMessageListsTheFile)
{
    vw->vidShowInfoMsg(); // nothing loaded: nothing shown
    EXPECT_TRUE(dialogs->messages.empty());
    ASSERT_TRUE(load(smallClip()));
    vw->vidShowInfoMsg();
    ASSERT_EQ(dialogs->messages.size(), 1u);
    const QString want = smallClip() + QStringLiteral("\r\n\r\nNumber of Frames: 12\r\nFrames per Second: 25.000\r\n"
                                                      "Duration: 0.480 seconds\r\nWidth: 176\r\nHeight: 144");
    EXPECT_EQ(dialogs->messages[0].text, want);
    EXPECT_EQ(dialogs->messages[0].style, 0);
}

TEST(ViewRelease, DestroyedWithoutPreTerminateReportsAndCleansUp)
{
    ScopedDialogs dialogs;
    QWidget container;
    {
        CVw vw;
        vw.ctrls_load(nullptr, 0, nullptr, &container);
        EXPECT_EQ(container.findChildren<OvVView*>().size(), 1);
    }
    ASSERT_GE(dialogs->messages.size(), 1u);
    EXPECT_TRUE(dialogs->messages[0].text.contains(QStringLiteral("CVw.Class_Terminate(): m_PreTerm = False")));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(container.findChildren<QWidget*>().isEmpty());

    dialogs->clear();
    {
        CVw vw;
        vw.ctrls_load(nullptr, 0, nullptr, &container);
        vw.preTerminate();
    }
    EXPECT_TRUE(dialogs->messages.empty());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(container.findChildren<QWidget*>().isEmpty());
}
