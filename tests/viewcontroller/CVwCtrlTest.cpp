// The view set: the grid and its cells, both modes, loading and unloading with the index shifts
// in the selection and source sets, refusals, focus, the selection rules by code and by mouse,
// active and passive views, closing, and the end of a playback whose sources no longer fit.
#include "../view/ViewFixtures.h"

#include "support/DuringPlayback.h"

#include "components/viewer/OvVView.h"
#include "support/ScriptedDialogs.h"
#include "view/CVw.h"
#include "viewcontroller/CVwCtrl.h"

#include <QApplication>
#include <QMouseEvent>
#include <gtest/gtest.h>

namespace {

QString clip() { return ViewFixtures::clip(QStringLiteral("set.mkv"), 160, 120, 8); }

std::vector<int> elems(const M_Misc::SetLong& set) { return std::vector<int>(set.begin() + 1, set.end()); }

class ViewSetTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ctrl.ctrls_load(&window, &window);
        ctrl.setWH(1000, 610);
    }
    void TearDown() override { ctrl.preTerminate(); }

    // n views, the first `files` of them with a video.
    void make(int n, int files)
    {
        ASSERT_TRUE(ctrl.vws_setNum(n));
        for (int i = 0; i < files; ++i)
            ASSERT_TRUE(ctrl.Vws(i)->vidLoadFile(clip(), 0, -1, -1, -1));
        ctrl.ctrls_resize();
    }
    void expectIndicesMatch()
    {
        for (int i = 0; i < ctrl.numVws(); ++i)
            EXPECT_EQ(ctrl.Vws(i)->m_Idx, i);
    }
    QRect cell(int i) { return ctrl.Vws(i)->panel()->geometry(); }

    ScopedDialogs dialogs;
    ViewFixtures::Window window;
    CVwCtrl ctrl;
};

void press(QWidget* w, Qt::MouseButton button, Qt::KeyboardModifiers mods = Qt::NoModifier)
{
    const QPointF pos(5, 5);
    QMouseEvent down(QEvent::MouseButtonPress, pos, w->mapToGlobal(pos), button, button, mods);
    QApplication::sendEvent(w, &down);
    QMouseEvent up(QEvent::MouseButtonRelease, pos, w->mapToGlobal(pos), button, Qt::NoButton, mods);
    QApplication::sendEvent(w, &up);
}

} // namespace

TEST_F(ViewSetTest, ModesShowActiveViewsWithTimeLinesOrAllWithout)
{
    make(3, 3);
    ctrl.vw_select(2, false, false);
    ctrl.vws_active(false); // view 2 becomes a still picture
    EXPECT_EQ(ctrl.m_NumVwsActive, 2);
    EXPECT_EQ(ctrl.Vws(2)->VwCtrlMode(), 0);
    EXPECT_FALSE(ctrl.Vws(2)->viewer()->isOpen());
    EXPECT_TRUE(ctrl.Vws(2)->panel()->isHidden());
    EXPECT_EQ(ctrl.numVwsSel(), 0);
    EXPECT_EQ(ctrl.m_NumVwsX * 10 + ctrl.m_NumVwsY, 21);
    EXPECT_EQ(cell(1), QRect(505, 0, 495, 610));

    ctrl.VwCtrlMode(0);
    EXPECT_FALSE(ctrl.panel()->isHidden()) << "the views' panel comes back after the switch";
    EXPECT_EQ(ctrl.m_NumVwsX * 10 + ctrl.m_NumVwsY, 22);
    for (int i = 0; i < 3; ++i) {
        EXPECT_FALSE(ctrl.Vws(i)->panel()->isHidden()) << i;
        EXPECT_TRUE(ctrl.Vws(i)->timeLine().panel()->isHidden()) << i;
    }
    EXPECT_EQ(cell(2), QRect(0, 310, 495, 300));
    // Without the time line the frame reaches the bottom of the cell, less the pixel that a
    // live view's 3-pixel border is raised by.
    EXPECT_EQ(ctrl.Vws(0)->frame()->geometry().bottom(), 298);

    ctrl.VwCtrlMode(1);
    EXPECT_TRUE(ctrl.Vws(2)->panel()->isHidden());
    EXPECT_FALSE(ctrl.Vws(0)->timeLine().panel()->isHidden());

    // Back to live: selected and a source again; offset and zoom were kept.
    ctrl.vw_active(2, true);
    EXPECT_EQ(ctrl.Vws(2)->VwCtrlMode(), 1);
    EXPECT_TRUE(ctrl.Vws(2)->viewer()->isOpen());
    EXPECT_EQ(elems(ctrl.selection()), std::vector<int>({2}));
    EXPECT_EQ(elems(ctrl.sources()), std::vector<int>({2}));
    EXPECT_EQ(ctrl.m_NumVwsActive, 3);

    // In mode 1 with no active view the layout leaves the cells alone.
    ctrl.vw_select(0, false, false);
    ctrl.vw_select(1, true, false);
    ctrl.vw_select(2, true, false);
    ctrl.vws_active(false);
    EXPECT_EQ(ctrl.m_NumVwsActive, 0);
    const QRect before = cell(0);
    ctrl.setWH(800, 500);
    EXPECT_EQ(cell(0), before);
}

TEST_F(ViewSetTest, UnloadShiftsIndicesInEverySetAndRefusesSourcesOfAnOperation)
{
    make(3, 3);
    ctrl.vw_select(1, false, false);
    ctrl.vw_select(2, true, false);
    EXPECT_EQ(elems(ctrl.selection()), std::vector<int>({1, 2}));
    EXPECT_EQ(elems(ctrl.sources()), std::vector<int>({1, 2}));
    CVw* former2 = ctrl.Vws(2);
    ASSERT_TRUE(ctrl.vw_unload(1, false));
    EXPECT_EQ(ctrl.numVws(), 2);
    EXPECT_EQ(ctrl.Vws(1), former2);
    EXPECT_EQ(former2->m_Idx, 1);
    EXPECT_EQ(elems(ctrl.selection()), std::vector<int>({1}));
    EXPECT_EQ(elems(ctrl.sources()), std::vector<int>({1}));
    EXPECT_EQ(ctrl.m_NumVwsActive, 2);
    EXPECT_EQ(ctrl.m_NumVwsX * 10 + ctrl.m_NumVwsY, 21);

    // With an operation chosen, a source stays unless forced; the output view's index follows.
    ctrl.VidOp(2);
    EXPECT_EQ(ctrl.m_VwIdxOp, 2);
    EXPECT_FALSE(ctrl.vw_unload(1, false));
    EXPECT_EQ(ctrl.numVws(), 3);
    ASSERT_TRUE(ctrl.vw_unload(0, false)); // not a source
    EXPECT_EQ(ctrl.m_VwIdxOp, 1);
    EXPECT_EQ(elems(ctrl.sources()), std::vector<int>({0}));
    ASSERT_TRUE(ctrl.vw_unload(0, true));
    EXPECT_EQ(ctrl.m_VwIdxOp, 0);
    EXPECT_EQ(ctrl.numVwsSrc(), 0);
    ASSERT_TRUE(ctrl.vw_unload(0, false));
    EXPECT_EQ(ctrl.m_VwIdxOp, -1);
    EXPECT_EQ(ctrl.numVws(), 0);
    EXPECT_EQ(ctrl.Vws(0), nullptr);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(window.findChildren<OvVView*>().isEmpty());
    EXPECT_TRUE(dialogs->messages.empty());
}

TEST_F(ViewSetTest, SelectionByMouseFollowsTheTable)
{
    make(3, 3);
    ctrl.VidOp(2);
    const int op = ctrl.m_VwIdxOp;
    const auto sel = [&] { return elems(ctrl.selection()); };
    using V = std::vector<int>;

    ctrl.vw_select_mouseDwn(0, 1, 0); // left: this view only
    EXPECT_EQ(sel(), V({0}));
    ctrl.vw_select_mouseDwn(1, 1, 0);
    EXPECT_EQ(sel(), V({1}));
    ctrl.vw_select_mouseDwn(op, 1, 0); // left on the output view: toggled beside the sources
    EXPECT_EQ(sel(), V({1, op}));
    ctrl.vw_select_mouseDwn(op, 1, 0);
    EXPECT_EQ(sel(), V({1}));
    ctrl.vw_select_mouseDwn(2, 2, 0); // right on an unselected view: it alone
    EXPECT_EQ(sel(), V({2}));
    ctrl.vw_select_mouseDwn(op, 2, 0); // right on the unselected output view: toggled in
    EXPECT_EQ(sel(), V({2, op}));
    ctrl.vw_select_mouseDwn(2, 2, 0); // right on a selected view: the selection stays
    EXPECT_EQ(sel(), V({2, op}));
    ctrl.vw_select_mouseDwn(op, 2, 0);
    EXPECT_EQ(sel(), V({2, op}));
    ctrl.vw_select_mouseDwn(0, 1, 2); // Ctrl + left toggles
    EXPECT_EQ(sel(), V({0, 2, op}));
    ctrl.vw_select_mouseDwn(2, 1, 2);
    EXPECT_EQ(sel(), V({0, op}));
    ctrl.vw_select_mouseDwn(0, 2, 2); // Ctrl + right adds, never removes
    EXPECT_EQ(sel(), V({0, op}));
    ctrl.vw_select_mouseDwn(1, 2, 2 | 1);
    EXPECT_EQ(sel(), V({0, 1, op}));
    // The output view never counts as a source; deselected views show the plain caption.
    EXPECT_EQ(elems(ctrl.sources()), V({0, 1}));
    EXPECT_FALSE(ctrl.Vws(2)->Selected());
    EXPECT_TRUE(ctrl.Vws(1)->Selected());
    ctrl.vw_select(-1, false, false);
    EXPECT_EQ(ctrl.numVwsSel(), 0);
    EXPECT_EQ(ctrl.numVwsSrc(), 0);
    EXPECT_FALSE(ctrl.Vws(0)->Selected());
}

TEST_F(ViewSetTest, PressesOnTheViewsFocusAndSelectThem)
{
    make(3, 2);
    const int calls = window.enableCalls;
    press(ctrl.Vws(1)->viewer(), Qt::LeftButton);
    EXPECT_EQ(ctrl.m_VwIdxFocus, 1);
    EXPECT_EQ(elems(ctrl.selection()), std::vector<int>({1}));
    press(ctrl.Vws(0)->viewer(), Qt::LeftButton, Qt::ControlModifier);
    EXPECT_EQ(elems(ctrl.selection()), std::vector<int>({0, 1}));
    EXPECT_EQ(ctrl.m_VwIdxFocus, 0);
    press(ctrl.Vws(2)->panel(), Qt::RightButton); // an empty view: its panel takes the press
    EXPECT_EQ(elems(ctrl.selection()), std::vector<int>({2}));
    EXPECT_EQ(elems(ctrl.sources()), std::vector<int>());
    EXPECT_EQ(ctrl.m_VwIdxFocus, 2);
    EXPECT_GE(window.enableCalls, calls + 5);
}

TEST_F(ViewSetTest, ClosingTheSelectionOrTheFocusedView)
{
    make(4, 4);
    ctrl.vw_select(0, false, false);
    ctrl.vw_select(2, true, false);
    ctrl.vw_select(3, true, false);
    CVw* keep = ctrl.Vws(1);
    ctrl.vws_close();
    EXPECT_EQ(ctrl.numVws(), 1);
    EXPECT_EQ(ctrl.Vws(0), keep);
    EXPECT_EQ(keep->m_Idx, 0);
    EXPECT_EQ(cell(0), QRect(0, 0, 1000, 610));
    ctrl.vws_close(); // nothing selected, nothing focused: nothing closes
    EXPECT_EQ(ctrl.numVws(), 1);
    ctrl.vw_focus(0);
    ctrl.vws_close(); // nothing selected: the focused view is the one closed
    EXPECT_EQ(ctrl.numVws(), 0);

    ASSERT_TRUE(ctrl.vws_setNum(3));
    ASSERT_TRUE(ctrl.Vws(1)->vidLoadFile(clip(), 0, -1, -1, -1));
    ctrl.VidOp(1);
    ctrl.vw_select(0, false, false);
    ctrl.vw_select(1, true, false);
    ctrl.vw_focus(ctrl.m_VwIdxOp);
    ctrl.vws_close(); // the operation ends; nothing else is closed
    EXPECT_EQ(ctrl.m_VidOp, 0);
    EXPECT_EQ(ctrl.m_VwIdxOp, -1);
    EXPECT_EQ(ctrl.numVws(), 3);
    EXPECT_EQ(ctrl.numVwsSel(), 2);
    expectIndicesMatch();
}

TEST_F(ViewSetTest, SourcesHiddenForTheOutputLeaveItTheirCells)
{
    make(3, 3);
    ctrl.VidOp(2);
    ctrl.vw_select(0, false, false);
    ctrl.vw_select(1, true, false);
    ctrl.vws_activeHideSrc();
    EXPECT_TRUE(ctrl.Vws(0)->panel()->isHidden());
    EXPECT_TRUE(ctrl.Vws(1)->panel()->isHidden());
    EXPECT_EQ(ctrl.m_NumVwsActive, 4);
    EXPECT_EQ(ctrl.Vws(0)->VwCtrlMode(), 1);
    EXPECT_TRUE(ctrl.Vws(0)->viewer()->isOpen());
    // The two remaining active views share the panel side by side.
    EXPECT_EQ(cell(2), QRect(0, 0, 495, 610));
    EXPECT_EQ(cell(3), QRect(505, 0, 495, 610));
    // Closing the output ends the operation and gives the sources back their cells.
    ctrl.vw_focus(ctrl.m_VwIdxOp);
    ctrl.vws_close();
    EXPECT_FALSE(ctrl.Vws(0)->panel()->isHidden());
    EXPECT_FALSE(ctrl.Vws(1)->panel()->isHidden());
}

TEST_F(ViewSetTest, PlaybackStopsWhenTheSourcesNoLongerFitTheOperation)
{
    make(3, 3);
    ctrl.vw_focus(0);
    ctrl.vw_select(0, false, false);
    ctrl.vw_select(1, true, false);
    ctrl.VidOp(1); // a mix takes two sources
    EXPECT_TRUE(duringPlayback(ctrl, [&] {
        ctrl.vw_select(1, true, true); // still two sources
        EXPECT_TRUE(ctrl.m_IsVidOperating);
        ctrl.vw_select(2, true, false);
        EXPECT_FALSE(ctrl.m_IsVidOperating);
    }));

    ctrl.vw_focus(2);
    ctrl.vw_select(2, false, false);
    ctrl.VidOp(3); // the stroboscope wants exactly one
    EXPECT_TRUE(duringPlayback(ctrl, [&] {
        ctrl.VidOp(0); // no operation: any number of sources from one plays on
        EXPECT_TRUE(ctrl.m_IsVidOperating);
        ctrl.vw_select(1, true, false);
        EXPECT_TRUE(ctrl.m_IsVidOperating);
        ctrl.vw_select(-1, false, false); // nothing selected: nothing left to play
        EXPECT_FALSE(ctrl.m_IsVidOperating);
    }));
}

TEST_F(ViewSetTest, RefusedFileLeavesTheSetAsItWas)
{
    make(2, 2);
    ctrl.vw_select(1, false, false);
    ctrl.vw_focus(1);
    ctrl.Vws(1)->timeLine().fra_goto(5);
    const QString missing = TestPaths::scratchDir() + QStringLiteral("/gone.avi");
    EXPECT_FALSE(ctrl.Vws(1)->vidLoadFile(missing, 0, -1, -1, -1));
    ASSERT_EQ(dialogs->messages.size(), 1u);
    EXPECT_TRUE(dialogs->messages[0].text.contains(missing + QStringLiteral("\" cannot be opened: it was not found")));
    EXPECT_EQ(ctrl.numVws(), 2);
    EXPECT_EQ(elems(ctrl.selection()), std::vector<int>({1}));
    EXPECT_EQ(elems(ctrl.sources()), std::vector<int>({1}));
    EXPECT_EQ(ctrl.m_VwIdxFocus, 1);
    EXPECT_EQ(ctrl.Vws(1)->caption()->text(), QStringLiteral("set.mkv"));
    EXPECT_EQ(ViewFixtures::shownNumber(ctrl.Vws(1)->viewer()), 5);
}

TEST(ViewSetRelease, DestroyedWithoutPreTerminateReportsAndRemovesEverything)
{
    ScopedDialogs dialogs;
    ViewFixtures::Window window;
    {
        CVwCtrl ctrl;
        ctrl.ctrls_load(&window, &window);
        ASSERT_TRUE(ctrl.vws_setNum(2));
    }
    ASSERT_GE(dialogs->messages.size(), 1u);
    EXPECT_TRUE(dialogs->messages[0].text.contains(QStringLiteral("CVwCtrl.Class_Terminate(): m_PreTerm = False")));
    EXPECT_TRUE(window.findChildren<QWidget*>().isEmpty());
}
