// Playback of real views on real clips, followed pass by pass of the loop (frames and times are
// counted, nothing is timed); the playback clock; and the repeat timer of held buttons.
#include "../view/ViewFixtures.h"

#include "app/M_Msg.h"
#include "app/RtError.h"
#include "components/timeline/OvTimeLine.h"
#include "components/viewer/OvVView.h"
#include "support/ScriptedDialogs.h"
#include "timeline/C_HRCounter.h"
#include "timeline/CTL.h"
#include "timeline/PictureBox.h"
#include "view/CVw.h"
#include "viewcontroller/CVwCtrl.h"

#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <deque>
#include <gtest/gtest.h>

namespace {

// A lossless clip of `frames` numbered frames at `fps`, written once per run.
QString clip(const QString& name, int frames, int fps)
{
    static std::map<QString, QString> written;
    if (const auto it = written.find(name); it != written.end())
        return it->second;
    FixtureRecipe recipe = FixtureRecipes::lossless(96, 64, frames);
    recipe.rate = {fps, 1};
    const QString folder = QDir(TestPaths::scratchDir()).filePath(QStringLiteral("playback"));
    QDir().mkpath(folder);
    const QString path = QDir(folder).filePath(name);
    if (FixtureWriter::write(path, recipe) != 0)
        return {};
    written[name] = path;
    return path;
}

// The main window as playback sees it: its speed slider stands at `speed`.
class SpeedWindow final : public QWidget, public IMainWindowCallbacks {
public:
    SpeedWindow() { resize(1000, 700); }
    void ctrls_enable(bool) override {}
    float m_sldTbMainVidSpeed_valScale() override { return speed; }
    void playback_pass() override
    {
        if (onPass)
            onPass();
    }
    float speed = 1.0f;
    std::function<void()> onPass;
};

// What one pass of the loop left in every view.
struct ViewState {
    double time;
    double offset;
    int frame;
    bool playing;
};
using Pass = std::vector<ViewState>;

class Playback : public ::testing::Test {
protected:
    void SetUp() override
    {
        window.show();
        ctrl.ctrls_load(&window, &window);
        ctrl.setWH(900, 600);
    }
    void TearDown() override
    {
        window.onPass = {};
        ctrl.preTerminate();
    }

    CVw& load(const QString& path)
    {
        EXPECT_TRUE(ctrl.vws_vidLoadFile(path, 1)) << path.toStdString();
        return *ctrl.Vws(ctrl.numVws() - 1);
    }
    // Records every pass; `then` may act on the pass just recorded.
    void record(std::function<void(const std::vector<Pass>&)> then = {})
    {
        window.onPass = [this, then] {
            Pass pass;
            for (int i = 0; i < ctrl.numVws(); ++i) {
                CVw* vw = ctrl.Vws(i);
                pass.push_back({vw->timeLine().m_Time, vw->timeLine().m_VidPlayTimeOffset,
                                vw->viewer()->currentFrame(), vw->m_IsVidPlaying});
            }
            passes.push_back(pass);
            if (then)
                then(passes);
        };
    }
    // A stop request as a click on the play button makes it: from inside the event pump.
    void stopFromPump(bool bLoop)
    {
        QTimer::singleShot(0, &window, [this, bLoop] { ctrl.vidOp_do(false, bLoop); });
    }
    // First pass in which view `v` satisfies `pred`; -1 when none does.
    int firstPass(int v, const std::function<bool(const ViewState&)>& pred) const
    {
        for (size_t p = 0; p < passes.size(); ++p)
            if (pred(passes[p][size_t(v)]))
                return int(p);
        return -1;
    }

    ScopedDialogs dialogs;
    SpeedWindow window;
    CVwCtrl ctrl;
    std::vector<Pass> passes;
};

} // namespace

TEST_F(Playback, ASinglePlayEndsWithTheLongerViewBothStandingAtTheirEnds)
{
    CVw& shortVw = load(clip(QStringLiteral("short10.mkv"), 10, 25));
    CVw& longVw = load(clip(QStringLiteral("long20.mkv"), 20, 25));
    ASSERT_EQ(ctrl.numVwsSrc(), 2);
    record();

    ctrl.vidOp_do(true, false);

    EXPECT_FALSE(ctrl.m_IsVidOperating);
    ASSERT_FALSE(passes.empty());
    const int shortEnd = firstPass(0, [](const ViewState& s) { return !s.playing; });
    const int longEnd = firstPass(1, [](const ViewState& s) { return !s.playing; });
    ASSERT_GE(shortEnd, 0);
    EXPECT_LT(shortEnd, longEnd) << "the longer view plays on after the shorter has ended";
    EXPECT_EQ(longEnd, int(passes.size()) - 1) << "the loop ends in the pass in which the longer view ends";
    for (size_t p = 1; p < passes.size(); ++p)
        for (size_t v = 0; v < 2; ++v)
            EXPECT_GE(passes[p][v].frame, passes[p - 1][v].frame) << "pass " << p << " view " << v;
    EXPECT_EQ(shortVw.viewer()->currentFrame(), 9);
    EXPECT_EQ(longVw.viewer()->currentFrame(), 19);
    EXPECT_DOUBLE_EQ(shortVw.timeLine().m_Time, shortVw.timeLine().m_TimeRangesMax);
    EXPECT_FALSE(shortVw.m_IsVidPlaying);
    EXPECT_FALSE(longVw.m_IsVidPlaying);
    EXPECT_TRUE(longVw.timeLine().btnStates().beginning) << "the panel's buttons are enabled again";
    EXPECT_EQ(ViewFixtures::shownNumber(longVw.viewer()), 19);

    // Played again from the end, playback starts over from the beginning.
    passes.clear();
    ctrl.vidOp_do(true, false);
    ASSERT_FALSE(passes.empty());
    EXPECT_LT(passes.front()[1].frame, 19);
    EXPECT_EQ(longVw.viewer()->currentFrame(), 19);
    EXPECT_TRUE(dialogs->messages.empty());
}

TEST_F(Playback, ALoopedPlayRestartsBothViewsWhenTheShorterEndsUntilStoppedFromThePump)
{
    CVw& shortVw = load(clip(QStringLiteral("short10.mkv"), 10, 25));
    CVw& longVw = load(clip(QStringLiteral("long20.mkv"), 20, 25));
    int restart = -1;
    record([&](const std::vector<Pass>& all) {
        const size_t p = all.size() - 1;
        if (restart < 0 && p > 0 && all[p][1].time < all[p - 1][1].time) {
            restart = int(p);
            stopFromPump(true);
        }
        if (all.size() == 5000) // a loop that never restarts must not hang the suite
            stopFromPump(true);
    });

    ctrl.vidOp_do(true, true);

    ASSERT_GT(restart, 0) << "no restart seen in " << passes.size() << " passes";
    EXPECT_EQ(int(passes.size()) - 1, restart) << "the stop request ends the loop after its pass";
    const Pass& before = passes[size_t(restart - 1)];
    const Pass& after = passes[size_t(restart)];
    EXPECT_LT(before[1].frame, 19) << "the longer view had not reached its end";
    EXPECT_TRUE(before[1].playing);
    EXPECT_EQ(after[0].frame, 0);
    EXPECT_EQ(after[1].frame, 0);
    EXPECT_TRUE(after[0].playing && after[1].playing) << "both play again after the restart";
    EXPECT_DOUBLE_EQ(after[1].offset, 0.0);
    EXPECT_FALSE(ctrl.m_IsVidOperating);
    EXPECT_FALSE(shortVw.m_IsVidPlaying);
    EXPECT_FALSE(longVw.m_IsVidPlaying);
    EXPECT_TRUE(dialogs->messages.empty());
}

TEST_F(Playback, PlaybackJumpsTheGapBetweenTwoRangesForwardsAndBackwards)
{
    CVw& vw = load(clip(QStringLiteral("seven_s.mkv"), 176, 25)); // 0 .. 7.0 s
    CTL& tl = vw.timeLine();
    ASSERT_NE(tl.strip(), nullptr);
    // The ranges as the strip reports them after the user has dragged them.
    Q_EMIT tl.strip()->RangeChanged(0, CTL::kIdRange0, OvTimeLine::PartWhole, 1.0f, 2.0f, OvTimeLine::FlagDragDone);
    tl.range_add();
    Q_EMIT tl.strip()->RangeChanged(0, CTL::kIdRange0 + 1, OvTimeLine::PartWhole, 5.0f, 6.0f, OvTimeLine::FlagDragDone);
    ASSERT_EQ(tl.m_NumRanges, 2);
    ASSERT_DOUBLE_EQ(tl.ranges()[1].tStart, 1.0);
    ASSERT_DOUBLE_EQ(tl.ranges()[1].tEnd, 2.0);
    ASSERT_DOUBLE_EQ(tl.ranges()[2].tStart, 5.0);
    ASSERT_DOUBLE_EQ(tl.ranges()[2].tEnd, 6.0);
    window.speed = 3.0f;
    record();

    ctrl.vidOp_do(true, false);

    ASSERT_FALSE(passes.empty());
    EXPECT_DOUBLE_EQ(passes.front()[0].offset, 1.0) << "playback starts at the first range";
    bool inSecond = false;
    for (const Pass& pass : passes) {
        const int f = pass[0].frame;
        EXPECT_FALSE(f > 50 && f < 125) << "frame " << f << " lies in the gap";
        EXPECT_TRUE(f >= 25) << "frame " << f << " lies before the first range";
        inSecond = inSecond || (f >= 125 && f < 150);
    }
    EXPECT_TRUE(inSecond) << "the second range was played, not skipped";
    EXPECT_DOUBLE_EQ(tl.m_VidPlayTimeOffset, 1.0 + 3.0) << "the offset grew by the gap";
    EXPECT_DOUBLE_EQ(tl.m_Time, 6.0);
    EXPECT_EQ(vw.viewer()->currentFrame(), 150);
    EXPECT_FALSE(vw.m_IsVidPlaying);

    // Backwards from the end of the ranges down to their start, over the gap the other way.
    passes.clear();
    ctrl.vidOp_do(true, false, true);
    ASSERT_FALSE(passes.empty());
    EXPECT_DOUBLE_EQ(passes.front()[0].offset, 6.0) << "backwards starts where forwards ended";
    for (size_t p = 0; p < passes.size(); ++p) {
        const int f = passes[p][0].frame;
        EXPECT_FALSE(f > 50 && f < 125) << "frame " << f << " lies in the gap";
        if (p > 0) {
            EXPECT_LE(f, passes[p - 1][0].frame) << "pass " << p;
        }
    }
    EXPECT_DOUBLE_EQ(tl.m_VidPlayTimeOffset, 6.0 - 3.0) << "the offset went back by the gap";
    EXPECT_DOUBLE_EQ(tl.m_Time, 1.0);
    EXPECT_EQ(vw.viewer()->currentFrame(), 25);
    EXPECT_EQ(ViewFixtures::shownNumber(vw.viewer()), 25);
    // At the very start, backwards starts again from the end.
    passes.clear();
    ctrl.vidOp_do(true, false, true);
    ASSERT_FALSE(passes.empty());
    EXPECT_GT(passes.front()[0].frame, 125);
    EXPECT_EQ(vw.viewer()->currentFrame(), 25);
    EXPECT_TRUE(dialogs->messages.empty());
}

TEST_F(Playback, TearingTheControllerDownInsideThePumpEndsTheLoopAtOnce)
{
    SpeedWindow other;
    auto owned = std::make_unique<CVwCtrl>();
    CVwCtrl* raw = owned.get();
    raw->ctrls_load(&other, &other);
    raw->setWH(400, 300);
    ASSERT_TRUE(raw->vws_vidLoadFile(clip(QStringLiteral("long20.mkv"), 20, 25), 1));
    int seen = 0;
    other.onPass = [&] {
        if (++seen == 3) // as closing the main window does it, from a pumped event
            QTimer::singleShot(0, &other, [&] {
                owned->preTerminate();
                owned.reset();
            });
    };

    raw->vidOp_do(true, true); // looped: only the teardown can end it

    EXPECT_EQ(owned, nullptr);
    EXPECT_EQ(seen, 3) << "no pass ran after the teardown";
    EXPECT_TRUE(dialogs->messages.empty());
}

TEST(PlaybackClock, AZeroFrequencyIsReportedOnceAndMakesRuntimeAnError)
{
    ScopedDialogs dialogs;
    C_HRCounter counter({0, [] { return int64_t(42); }});
    ASSERT_EQ(dialogs->messages.size(), 1u);
    EXPECT_EQ(dialogs->messages[0].text, QStringLiteral("C_HRCounter.Class_Initialize(): m_CountsPerSec = 0"));
    EXPECT_EQ(dialogs->messages[0].style, int(MsgBox::OkOnly));
    EXPECT_EQ(dialogs->messages[0].caption, M_Msg::appTitle());
    try {
        counter.runtime();
        ADD_FAILURE() << "runtime divided by a zero frequency";
    } catch (const RtError& e) {
        EXPECT_EQ(e.number(), int(RtError::DivisionByZero));
    }
    counter.preTerminate();
    EXPECT_EQ(dialogs->messages.size(), 1u);
}
