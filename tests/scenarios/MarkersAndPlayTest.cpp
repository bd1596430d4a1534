// Play, stopwatch and ranges through the buttons and menus a user uses.
#include "support/FixtureRecipes.h"
#include "support/Scenario.h"

#include "components/timeline/OvTimeLine.h"
#include "components/viewer/OvVView.h"
#include "timeline/CTL.h"
#include "view/CVw.h"
#include "viewcontroller/CVwCtrl.h"

#include <QAbstractButton>
#include <cmath>

namespace {
QString clipAtRate(const QString& name, int frames, AVRational rate)
{
    FixtureRecipe recipe = FixtureRecipes::lossless(160, 120, frames);
    recipe.rate = rate;
    return FixtureRecipes::writtenOnce(QStringLiteral("scenarios"), name, recipe);
}
bool checked(QWidget* button) { return static_cast<QAbstractButton*>(button)->isChecked(); }
} // namespace

// Play with sources that do not fit the operation does nothing and leaves nothing running;
// closing the output from File turns the operation's button off.
TEST_F(Scenario, PlayAndCloseFollowTheOperation)
{
    open({clip(QStringLiteral("play-a.mkv"), 20)});
    click(toolButton("chkTbMainMix")); // a mix needs two sources
    ASSERT_EQ(ctrl().m_VidOp, 1);
    click(timeLineControl(view(0), "picPlay"));
    settle(100);
    EXPECT_FALSE(ctrl().m_IsVidOperating);
    click(toolButton("chkTbMainMix"));
    ASSERT_EQ(ctrl().m_VidOp, 0);

    open({clip(QStringLiteral("play-b.mkv"), 20)}); // joins the selection
    ASSERT_EQ(ctrl().numVwsSrc(), 2);
    click(toolButton("chkTbMainSplit"));
    ASSERT_TRUE(checked(toolButton("chkTbMainSplit")));
    CVw* output = view(ctrl().m_VwIdxOp);
    ASSERT_NE(output, nullptr);
    click(output->image());
    ASSERT_TRUE(menuBar({QStringLiteral("File"), QStringLiteral("Close")}));
    EXPECT_EQ(ctrl().m_VidOp, 0);
    EXPECT_EQ(numViews(), 2);
    EXPECT_FALSE(checked(toolButton("chkTbMainSplit")));
}

// "Delete stop watch" takes the stopwatch off the picture with its marker.
TEST_F(Scenario, DeletingTheStopwatchTakesItOffThePicture)
{
    open({clip(QStringLiteral("clock.mkv"), 20)});
    click(toolButton("chkTbMainMeasure"));
    click(toolButton("chkTbMeasureClock"));
    click(view(0)->viewer());
    ASSERT_EQ(view(0)->graphObj_count(), 1);
    ASSERT_EQ(view(0)->timeLine().m_NumClocks, 1);
    ASSERT_TRUE(contextMenu(timeLineControl(view(0), "ovTL"), {QStringLiteral("Delete stop watch")}));
    EXPECT_EQ(view(0)->timeLine().m_NumClocks, 0);
    EXPECT_EQ(view(0)->graphObj_count(), 0);
}

// A range of the very last frame can be inserted after a range that ends one frame before it,
// at common rates whose frame times are not exact in binary.
TEST_F(Scenario, OneFrameRangeAtTheEndAtEveryRate)
{
    const struct {
        const char* name;
        AVRational rate;
    } rates[] = {{"25", {25, 1}}, {"ntsc", {30000, 1001}}, {"film", {24000, 1001}}, {"50", {50, 1}},
                 {"60", {60, 1}}, {"ntsc60", {60000, 1001}}, {"120", {120, 1}}, {"15", {15, 1}}};
    constexpr int kFrames = 37;
    for (const auto& r : rates) {
        SCOPED_TRACE(r.name);
        open({clipAtRate(QStringLiteral("end-%1.mkv").arg(QLatin1String(r.name)), kFrames, r.rate)});
        CVw* vw = view(numViews() - 1);
        CTL& tl = vw->timeLine();
        ASSERT_EQ(vw->m_AviNumFrames, kFrames);
        // The one range ends one frame before the last (as a drag of its end into that frame's
        // slot on the strip leaves it).
        const double inSlot = (tl.fraNr2time(kFrames - 2) + tl.fraNr2time(kFrames - 1)) / 2;
        Q_EMIT tl.strip()->RangeChanged(0, CTL::kIdRange0, OvTimeLine::PartEnd, float(tl.m_TimeMin), float(inSlot),
                                        OvTimeLine::FlagDragDone);
        ASSERT_EQ(tl.time2fraNr(tl.ranges()[1].tEnd), kFrames - 2);
        ASSERT_TRUE(contextMenu(timeLineControl(vw, "ovTL"), {QStringLiteral("Range"), QStringLiteral("Insert")}));
        ASSERT_EQ(tl.m_NumRanges, 2);
        EXPECT_EQ(tl.time2fraNr(tl.ranges()[2].tStart), kFrames - 1);
        EXPECT_EQ(tl.time2fraNr(tl.ranges()[2].tEnd), kFrames - 1);
    }
    EXPECT_TRUE(dialogs->messages.empty()) << dialogs->messages.front().text.toStdString();
}
