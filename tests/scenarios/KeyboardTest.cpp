// The keys of the Playback menu, pressed as a user presses them, on two views that move together.
#include "support/FixtureRecipes.h"
#include "support/Scenario.h"

#include "components/viewer/OvVView.h"
#include "mainwindow/frmMain.h"
#include "timeline/CTL.h"
#include "view/CVw.h"
#include "viewcontroller/CVwCtrl.h"

#include <QTimer>

namespace {
int frameOf(CVw* vw) { return vw->viewer()->currentFrame(); }
} // namespace

TEST_F(Scenario, KeysMoveMarkAndPlay)
{
    open({clip(QStringLiteral("keys-a.mkv")), clip(QStringLiteral("keys-b.mkv"))});
    ASSERT_EQ(numViews(), 2);
    CVw* a = view(0);
    CVw* b = view(1);
    const auto both = [&](int want) {
        EXPECT_EQ(frameOf(a), want);
        EXPECT_EQ(frameOf(b), want);
    };
    key(Qt::Key_Right);
    both(1);
    key(Qt::Key_Right, Qt::ShiftModifier); // one second at 25 frames a second
    both(26);
    key(Qt::Key_Left);
    both(25);
    key(Qt::Key_End);
    both(99);
    key(Qt::Key_Home);
    both(0);

    // Marks on the focused view: a keyframe, and the range cut to frames 10 to 30.
    const int focused = ctrl().m_VwIdxFocus;
    ASSERT_GE(focused, 0);
    CTL& tl = view(focused)->timeLine();
    for (int i = 0; i < 10; ++i)
        key(Qt::Key_Right);
    key(Qt::Key_K);
    key(Qt::Key_I);
    key(Qt::Key_Right, Qt::ShiftModifier);
    key(Qt::Key_Down); // 25 frames on would be 35: the speed key does not move
    for (int i = 0; i < 5; ++i)
        key(Qt::Key_Left);
    key(Qt::Key_O);
    EXPECT_EQ(tl.m_NumKeyFrames, 1);
    EXPECT_EQ(tl.time2fraNr(tl.ranges()[1].tStart), 10);
    EXPECT_EQ(tl.time2fraNr(tl.ranges()[1].tEnd), 30);
    EXPECT_LT(window().m_sldTbMainVidSpeed_valScale(), 1.0f);
    key(Qt::Key_Up);
    EXPECT_FLOAT_EQ(window().m_sldTbMainVidSpeed_valScale(), 1.0f);

    // Space plays from the range's start and Space again stops.
    key(Qt::Key_Home);
    QTimer::singleShot(300, &window(), [this] { key(Qt::Key_Space); });
    key(Qt::Key_Space);
    ASSERT_TRUE(waitFor([&] { return !ctrl().m_IsVidOperating; }));
    const int stoppedAt = frameOf(view(focused));
    EXPECT_GT(stoppedAt, 10);
    EXPECT_LT(stoppedAt, 30);
    // Shift+Space plays backwards from there, within the range.
    QTimer::singleShot(200, &window(), [this] {
        if (ctrl().m_IsVidOperating) // not when it has reached the range's start on its own
            key(Qt::Key_Space);
    });
    key(Qt::Key_Space, Qt::ShiftModifier);
    ASSERT_TRUE(waitFor([&] { return !ctrl().m_IsVidOperating; }));
    EXPECT_LT(frameOf(view(focused)), stoppedAt);
    EXPECT_GE(frameOf(view(focused)), 10);

    // Ctrl+W closes, asking first as the focused view holds work.
    dialogs->messageAnswers = {MsgBox::No};
    key(Qt::Key_W, Qt::ControlModifier);
    EXPECT_EQ(dialogs->messages.size(), 1u);
    EXPECT_EQ(numViews(), 2);
}
