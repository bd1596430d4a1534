// Views tied at a synchronisation point play on tied frames, also when playback starts where
// one of them has no range.
#include "support/FixtureRecipes.h"
#include "support/Scenario.h"

#include "components/timeline/OvTimeLine.h"
#include "components/viewer/OvVView.h"
#include "timeline/CTL.h"
#include "view/CVw.h"
#include "viewcontroller/CVwCtrl.h"

#include <QTimer>

namespace {
int frameOf(CVw* vw) { return vw->viewer()->currentFrame(); }
} // namespace

TEST_F(Scenario, SyncedViewsPlayOnTiedFrames)
{
    open({clip(QStringLiteral("sync-a.mkv")), clip(QStringLiteral("sync-b.mkv"))});
    ASSERT_EQ(numViews(), 2);
    CVw* a = view(0);
    CVw* b = view(1);
    // A alone steps eight frames on; then B joins, and a sync point ties A's 8 to B's 0.
    click(a->viewer());
    for (int i = 0; i < 8; ++i)
        click(timeLineControl(a, "picStepForward"));
    ASSERT_EQ(frameOf(a), 8);
    ASSERT_EQ(frameOf(b), 0);
    click(b->viewer(), {}, Qt::LeftButton, Qt::ControlModifier);
    ASSERT_EQ(ctrl().numVwsSrc(), 2);
    ASSERT_TRUE(contextMenu(timeLineControl(a, "ovTL"), {QStringLiteral("Sync point"), QStringLiteral("Set")}));
    ASSERT_EQ(b->timeLine().m_NumSyncPts, 1);

    // B's only range begins at its frame 20: the views stand outside it (as a drag of its start ends).
    CTL& tl = b->timeLine();
    Q_EMIT tl.strip()->RangeChanged(0, CTL::kIdRange0, OvTimeLine::PartStart, float(tl.fraNr2time(20)),
                                    float(tl.m_TimeMax), OvTimeLine::FlagDragDone);
    ASSERT_EQ(frameOf(b), 0);

    QWidget* play = timeLineControl(a, "picPlay");
    QTimer::singleShot(400, play, [this, play] { click(play); }); // stops while playing
    click(play);
    ASSERT_TRUE(waitFor([&] { return !ctrl().m_IsVidOperating; }));
    EXPECT_GE(frameOf(b), 20);
    EXPECT_EQ(frameOf(a) - frameOf(b), 8) << "A " << frameOf(a) << ", B " << frameOf(b);
    EXPECT_TRUE(dialogs->messages.empty()) << dialogs->messages.front().text.toStdString();
}
