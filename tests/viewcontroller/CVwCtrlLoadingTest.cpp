// Opening files through the dialog into new views, and which views move in time.
#include "../view/ViewFixtures.h"

#include "app/M_Rc.h"
#include "components/viewer/OvVView.h"
#include "support/ScriptedDialogs.h"
#include "timeline/CTL.h"
#include "view/CVw.h"
#include "viewcontroller/CVwCtrl.h"

#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

namespace {

QString clipA() { return ViewFixtures::clip(QStringLiteral("load_a.mkv"), 96, 64, 10); }
QString clipB() { return ViewFixtures::clip(QStringLiteral("load_b.mkv"), 96, 64, 20); }

std::vector<int> elems(const M_Misc::SetLong& set) { return std::vector<int>(set.begin() + 1, set.end()); }

class Loading : public ::testing::Test {
protected:
    void SetUp() override
    {
        M_Rc::setRcOffset(4000);
        ctrl.ctrls_load(&window, &window);
        ctrl.setWH(900, 600);
    }
    void TearDown() override { ctrl.preTerminate(); }
    int frameOf(int idx) { return ctrl.Vws(idx)->viewer()->currentFrame(); }

    ScopedDialogs dialogs;
    ViewFixtures::Window window;
    CVwCtrl ctrl;
};

} // namespace

TEST_F(Loading, ThreeFilesFromOneFolderMakeThreeSelectedViewsTheLastFocused)
{
    const QFileInfo a(clipA()), b(clipB());
    ASSERT_EQ(a.absolutePath(), b.absolutePath());
    dialogs->fileAnswers.push_back({a.filePath(), b.filePath(), a.filePath()});
    ctrl.vidLoadFiles();

    ASSERT_EQ(dialogs->fileRequests.size(), 1u);
    EXPECT_TRUE(dialogs->fileRequests[0].multiSelect);
    EXPECT_EQ(dialogs->fileRequests[0].filter, M_Rc::getRcStr(1027));
    EXPECT_TRUE(dialogs->messages.empty());
    ASSERT_EQ(ctrl.numVws(), 3);
    EXPECT_EQ(elems(ctrl.selection()), (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(ctrl.m_VwIdxFocus, 2);
    EXPECT_EQ(ctrl.Vws(1)->viewer()->frameCount(), 20);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(frameOf(i), 0);
        EXPECT_TRUE(ctrl.Vws(i)->panel()->isVisibleTo(ctrl.panel()));
    }
}

TEST_F(Loading, CancelChangesNothingAndAFailedFileLeavesNoView)
{
    ctrl.vidLoadFiles(); // no queued answer: cancelled
    EXPECT_EQ(ctrl.numVws(), 0);

    ASSERT_TRUE(ctrl.vws_vidLoadFile(clipA(), 1));
    const QString text = QDir(TestPaths::scratchDir()).filePath(QStringLiteral("notes.mp4"));
    QFile f(text);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("this is not a video");
    f.close();
    dialogs->fileAnswers.push_back({text});
    ctrl.vidLoadFiles();
    EXPECT_EQ(ctrl.numVws(), 1);
    EXPECT_EQ(ctrl.m_VwIdxFocus, 0);
    ASSERT_EQ(dialogs->messages.size(), 1u);
    EXPECT_TRUE(dialogs->messages[0].text.contains(QStringLiteral("cannot be opened: it is not a video file")));
    EXPECT_TRUE(dialogs->messages[0].text.contains(text));
}

TEST_F(Loading, StepsMoveAllSourcesOrOnlyTheFocusedView)
{
    ASSERT_TRUE(ctrl.vws_vidLoadFile(clipA(), 1));
    ASSERT_TRUE(ctrl.vws_vidLoadFile(clipB(), 1));
    ASSERT_EQ(elems(ctrl.sources()), (std::vector<int>{0, 1}));

    const double step = 1.0 / ctrl.Vws(0)->viewer()->frameRate();
    ctrl.vidTimeInc(step, true);
    EXPECT_EQ(frameOf(0), 1);
    EXPECT_EQ(frameOf(1), 1);
    ctrl.vidTimeInc(step, false); // only the focused view, the last loaded
    EXPECT_EQ(frameOf(0), 1);
    EXPECT_EQ(frameOf(1), 2);
    EXPECT_EQ(ViewFixtures::shownNumber(ctrl.Vws(1)->viewer()), 2) << "the picture follows the frame";

    ctrl.vidTimeGotoRangesMax(true);
    EXPECT_EQ(frameOf(0), 9);
    EXPECT_EQ(frameOf(1), 19);
    ctrl.vidTimeGotoRangesMin(true);
    EXPECT_EQ(frameOf(0), 0);
    EXPECT_EQ(frameOf(1), 0);
    ctrl.vidTimeGoto(5 * step, true);
    EXPECT_EQ(frameOf(0), 5);
    EXPECT_EQ(frameOf(1), 5);
}

TEST_F(Loading, AnUnselectedFocusedViewIsSelectedAloneBeforeItMoves)
{
    ASSERT_TRUE(ctrl.vws_vidLoadFile(clipA(), 1));
    ASSERT_TRUE(ctrl.vws_vidLoadFile(clipB(), 1));
    ctrl.vw_select(0, false, false); // only view 0 selected
    ctrl.vw_focus(1);                // the focus on the unselected view 1
    ASSERT_EQ(elems(ctrl.selection()), (std::vector<int>{0}));

    const double step = 1.0 / ctrl.Vws(1)->viewer()->frameRate();
    ctrl.vidTimeInc(step, true);
    EXPECT_EQ(elems(ctrl.selection()), (std::vector<int>{1}));
    EXPECT_EQ(frameOf(0), 0);
    EXPECT_EQ(frameOf(1), 1);
}
