// The video operations on real views: the output view and its dialog coming and going, the
// output size and split grid for the sources, the live output following the frames, the
// stroboscope of the demo ball clip, and AVI files written from the output and from a file
// view's ranges, read back by ffprobe and the engine.
#include "../timeline/TimelineFixtures.h"

#include "components/analysis/AnalysisJson.h"
#include "components/media/DemoClips.h"
#include "components/media/FrameCache.h"
#include "components/media/FramePattern.h"
#include "components/media/MediaSource.h"
#include "components/mixer/OvVidMixer.h"
#include "components/writer/OvAVI.h"
#include "dialogs/frmPrpVidMix.h"
#include "dialogs/frmPrpVidStrobo.h"
#include "support/FixtureRecipes.h"
#include "support/TestPaths.h"
#include "support/WriterProbe.h"
#include "viewcontroller/WriteProgress.h"

#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QProgressDialog>
#include <QSignalSpy>
#include <QTimer>

using namespace TimelineFixtures;

namespace {

constexpr int kMix = 1;
constexpr int kSplit = 2;
constexpr int kStrobo = 3;

// A lossless clip of w x h whose frames carry their number, at 25 frames per second.
QString patternClip(const QString& name, int w, int h, int frames)
{
    FixtureRecipe recipe = FixtureRecipes::lossless(w, h, frames);
    recipe.rate = {25, 1};
    return FixtureRecipes::writtenOnce(QStringLiteral("vidop"), name, recipe);
}

QString outPath(const QString& name)
{
    const QString dir = QDir(TestPaths::scratchDir()).filePath(QStringLiteral("vidop_out"));
    QDir().mkpath(dir);
    const QString path = QDir(dir).filePath(name);
    QFile::remove(path);
    return path;
}

class VidOp : public TimelineTest {
protected:
    CVw* opVw() { return ctrl.Vws(ctrl.m_VwIdxOp); }
    QImage output() { return opVw() ? opVw()->m_picOp : QImage(); }
    // The frame number painted into the part of the output.
    int numberIn(const QRect& r) { return FramePattern::read(output(), r); }
    void goTo(CVw* vw, int frame)
    {
        ctrl.vw_focus(vw->m_Idx);
        ctrl.vidTimeGoto(frame / vw->m_AviFrameRate, false);
    }
    // What the output view asks the user to select, when it asks.
    QString hint()
    {
        for (auto* l : opVw()->panel()->findChildren<QLabel*>())
            if (l->objectName().startsWith(QStringLiteral("CVw_lblHint_")) && !l->isHidden())
                return l->text();
        return {};
    }
    // Selects exactly these views, in this order of indices.
    void select(std::initializer_list<CVw*> views)
    {
        bool first = true;
        for (CVw* vw : views) {
            ctrl.vw_select(vw->m_Idx, !first, true);
            first = false;
        }
    }
};

} // namespace

TEST_F(VidOp, MixButtonTwiceAddsAndRemovesTheOutputViewWithItsDialog)
{
    CVw* a = open(patternClip(QStringLiteral("a.mkv"), 96, 64, 20));
    CVw* b = open(patternClip(QStringLiteral("b.mkv"), 128, 48, 20));
    ASSERT_TRUE(a && b);
    select({a, b});
    ASSERT_EQ(ctrl.numVwsSrc(), 2);

    ctrl.VidOp(kMix);
    ASSERT_EQ(ctrl.numVws(), 3);
    EXPECT_EQ(ctrl.m_VwIdxOp, 2);
    EXPECT_EQ(opVw()->m_VwType, 2);
    EXPECT_EQ(opVw()->caption()->text(), QStringLiteral("<Mix>"));
    // The output has the largest width and the largest height of the sources.
    EXPECT_EQ(output().size(), QSize(128, 64));
    EXPECT_EQ(ctrl.m_VidOpMaxFraRate, 25.0);
    ASSERT_NE(ctrl.mixDialog(), nullptr);
    EXPECT_TRUE(ctrl.mixDialog()->isVisible());
    EXPECT_EQ(ctrl.mixDialog()->windowTitle(), QStringLiteral("<Mix>"));
    QPointer<frmPrpVidMix> dialog = ctrl.mixDialog();

    ctrl.VidOp(kMix);
    EXPECT_EQ(ctrl.m_VidOp, 0);
    EXPECT_EQ(ctrl.numVws(), 2);
    EXPECT_EQ(ctrl.m_VwIdxOp, -1);
    EXPECT_TRUE(dialog.isNull()) << "the dialog goes with its operation";

    // Closing the dialog switches the operation off as well.
    ctrl.VidOp(kMix);
    ASSERT_NE(ctrl.mixDialog(), nullptr);
    ctrl.mixDialog()->close();
    QCoreApplication::processEvents();
    EXPECT_EQ(ctrl.m_VidOp, 0);
    EXPECT_EQ(ctrl.numVws(), 2);
    EXPECT_EQ(ctrl.mixDialog(), nullptr);
    EXPECT_TRUE(dialogs->messages.empty()) << qPrintable(dialogs->messages[0].text);
}

TEST_F(VidOp, MixFollowsTheSelectionTheFramesAndTheBlendWeight)
{
    CVw* a = open(patternClip(QStringLiteral("a.mkv"), 96, 64, 20));
    CVw* b = open(patternClip(QStringLiteral("b2.mkv"), 96, 64, 20));
    ASSERT_TRUE(a && b);
    select({a});
    ctrl.VidOp(kMix);
    // Chosen with one of the two videos selected, the mix takes both.
    ASSERT_EQ(ctrl.numVwsSrc(), 2);
    EXPECT_EQ(output().size(), QSize(96, 64));
    EXPECT_EQ(hint(), QString());
    // One source does not fit a mix: a black picture of 1 x 1, and the output view says what to
    // select, until a second joins.
    select({a});
    EXPECT_EQ(output().size(), QSize(1, 1));
    EXPECT_EQ(output().pixelColor(0, 0), QColor(Qt::black));
    EXPECT_EQ(hint(), QStringLiteral("For the mix, select two videos: click one, Ctrl+click the other."));
    ctrl.vw_select(b->m_Idx, true, true);
    ASSERT_EQ(ctrl.numVwsSrc(), 2);
    EXPECT_EQ(output().size(), QSize(96, 64));
    EXPECT_EQ(hint(), QString());

    goTo(a, 7);
    goTo(b, 12);
    select({a, b});
    const QRect all(0, 0, 96, 64);
    // All the weight on one video shows that video's frame, and the output follows each move.
    ctrl.m_frmPrpVidMix_params(1, 0.0, 0.5);
    EXPECT_EQ(numberIn(all), 7);
    ctrl.m_frmPrpVidMix_params(1, 1.0, 0.5);
    EXPECT_EQ(numberIn(all), 12);
    EXPECT_EQ(ctrl.mixer()->blendWeight(), 1.0);
    ctrl.vidTimeInc(2 / 25.0, true);
    EXPECT_EQ(numberIn(all), 14);
    // The mix dialog's own slider reaches the mixer through its event.
    emit ctrl.mixDialog()->params(3, 0.0, 0.5);
    EXPECT_EQ(ctrl.mixer()->blendAlgorithm(), 3);
    EXPECT_EQ(numberIn(all), 9);
    EXPECT_TRUE(dialogs->messages.empty()) << qPrintable(dialogs->messages[0].text);
}

TEST_F(VidOp, SplitPlacesEverySourceInItsCellOfTheGrid)
{
    std::vector<CVw*> vws;
    for (int i = 0; i < 3; ++i)
        vws.push_back(open(patternClip(QStringLiteral("vga%1.mkv").arg(i), 640, 480, 12)));
    for (CVw* vw : vws)
        ASSERT_NE(vw, nullptr);
    for (int i = 0; i < 3; ++i)
        goTo(vws[size_t(i)], 2 + 3 * i);

    // Chosen with nothing selected, the split takes every video. Three sources: a grid of 2 x 2
    // cells of 320 x 240, no offset.
    ctrl.vw_select(-1, false, false);
    ctrl.VidOp(kSplit);
    ASSERT_EQ(ctrl.numVwsSrc(), 3);
    EXPECT_EQ(opVw()->caption()->text(), QStringLiteral("<Split>"));
    EXPECT_EQ(ctrl.m_SplitNumX, 2);
    EXPECT_EQ(ctrl.m_SplitNumY, 2);
    EXPECT_EQ(ctrl.m_SplitOffsetY, 0);
    EXPECT_EQ(output().size(), QSize(640, 480));
    EXPECT_EQ(numberIn({0, 0, 320, 240}), 2);
    EXPECT_EQ(numberIn({320, 0, 320, 240}), 5);
    EXPECT_EQ(numberIn({0, 240, 320, 240}), 8);
    EXPECT_EQ(output().pixelColor(480, 360), QColor(Qt::black)) << "the fourth cell stays empty";

    // Every source moves and the output follows.
    ctrl.vidTimeInc(1 / 25.0, true);
    EXPECT_EQ(numberIn({0, 0, 320, 240}), 3);
    EXPECT_EQ(numberIn({0, 240, 320, 240}), 9);

    // Two sources: 2 x 1, the row centred by an offset of 120.
    select({vws[0], vws[2]});
    EXPECT_EQ(ctrl.m_SplitNumX, 2);
    EXPECT_EQ(ctrl.m_SplitNumY, 1);
    EXPECT_EQ(ctrl.m_SplitOffsetY, 120);
    EXPECT_EQ(numberIn({0, 120, 320, 240}), 3);
    EXPECT_EQ(numberIn({320, 120, 320, 240}), 9);
    EXPECT_EQ(output().pixelColor(100, 60), QColor(Qt::black));
    EXPECT_TRUE(dialogs->messages.empty()) << qPrintable(dialogs->messages[0].text);
}

// Where the views an operation needs are not plain, the selection stays and the output view
// asks; the stroboscope takes the focused video of several selected.
TEST_F(VidOp, AMixAmongThreeAsksWhatToSelectAndTheStroboscopeTakesTheFocusedVideo)
{
    CVw* a = open(patternClip(QStringLiteral("a.mkv"), 96, 64, 20));
    CVw* b = open(patternClip(QStringLiteral("b2.mkv"), 96, 64, 20));
    CVw* c = open(patternClip(QStringLiteral("b.mkv"), 128, 48, 20));
    ASSERT_TRUE(a && b && c);
    select({b});
    ctrl.VidOp(kMix);
    EXPECT_EQ(ctrl.numVwsSrc(), 1);
    EXPECT_EQ(hint(), QStringLiteral("For the mix, select two videos: click one, Ctrl+click the other."));
    ctrl.VidOp(kMix);

    select({a, b, c});
    ctrl.vw_focus(c->m_Idx);
    ctrl.VidOp(kStrobo);
    ASSERT_EQ(ctrl.numVwsSrc(), 1);
    EXPECT_EQ(ctrl.VwsSrc(1), c);
    EXPECT_EQ(output().size(), QSize(128, 48));
    EXPECT_EQ(hint(), QString());
    EXPECT_TRUE(dialogs->messages.empty()) << qPrintable(dialogs->messages[0].text);
}

// An analysis saved with a mix of one source opens as it was saved: its own selection, not the
// views a mix chosen anew would take.
TEST_F(VidOp, AnAnalysisKeepsItsOwnSourcesForItsOperation)
{
    CVw* a = open(patternClip(QStringLiteral("a.mkv"), 96, 64, 20));
    CVw* b = open(patternClip(QStringLiteral("b2.mkv"), 96, 64, 20));
    ASSERT_TRUE(a && b);
    ctrl.VidOp(kMix);
    select({a});
    const analysis::Document saved = ctrl.analysis_get();
    ctrl.analysis_restore(saved, QString());
    EXPECT_EQ(ctrl.m_VidOp, kMix);
    EXPECT_EQ(ctrl.numVwsSrc(), 1);
    EXPECT_EQ(analysis::toJson(ctrl.analysis_get()), analysis::toJson(saved));
}

TEST_F(VidOp, StroboscopeOfTheBallClipShowsTheBallWhereverItWas)
{
    const QStringList demo = DemoClips::ensure(QDir(TestPaths::scratchDir()).filePath(QStringLiteral("demo")));
    ASSERT_EQ(demo.size(), 2);
    CVw* ball = open(demo[1]);
    ASSERT_NE(ball, nullptr);
    select({ball});
    ctrl.VidOp(kStrobo);
    ASSERT_NE(ctrl.stroboDialog(), nullptr);
    EXPECT_EQ(ctrl.stroboDialog()->Threshold(), 10);
    EXPECT_EQ(ctrl.stroboDialog()->NumFraFill(), 1);
    EXPECT_EQ(opVw()->caption()->text(), QStringLiteral("<Stroboscope>"));
    EXPECT_EQ(ctrl.stroboDialog()->windowTitle(), QStringLiteral("Stroboscope")) << "the dialog's own title";

    const auto isBall = [this](int n) {
        const QColor c = output().pixelColor(DemoClips::ballPx(n).toPoint());
        return c.red() > 180 && c.green() > 140 && c.blue() < 110;
    };
    const std::vector<int> visited{0, 12, 24, 36, 48};
    for (int n : visited)
        goTo(ball, n);
    for (int n : visited)
        EXPECT_TRUE(isBall(n)) << "frame " << n;
    EXPECT_FALSE(isBall(6)) << "a frame that was not shown leaves no ball";

    // A new parameter starts the picture anew, from the frame shown now.
    emit ctrl.stroboDialog()->params(1, 20);
    EXPECT_EQ(ctrl.m_StroboThreshold, 20);
    EXPECT_TRUE(isBall(48));
    EXPECT_FALSE(isBall(0));
    EXPECT_TRUE(dialogs->messages.empty()) << qPrintable(dialogs->messages[0].text);
}

TEST_F(VidOp, WrittenOutputHasTheLongestSourcesFramesTheShorterHoldingItsLast)
{
    CVw* a = open(patternClip(QStringLiteral("fifty.mkv"), 96, 64, 50));
    CVw* b = open(patternClip(QStringLiteral("eighty.mkv"), 96, 64, 80));
    ASSERT_TRUE(a && b);
    select({a, b});

    ctrl.VidOp(kMix);
    dialogs->codecAnswers.push_back({QStringLiteral("mjpeg"), 90});
    const QString mix = outPath(QStringLiteral("mix.avi"));
    const std::size_t budget = FrameCache::shared().budget();
    ASSERT_TRUE(ctrl.vw_saveVidOpVw(ctrl.m_VwIdxOp, mix));
    EXPECT_EQ(FrameCache::shared().budget(), budget) << "the cache is held small only while writing";
    const ProbedStream probed = WriterProbe::video(mix);
    EXPECT_EQ(probed.frames, 80);
    EXPECT_EQ(probed.width, 96);
    EXPECT_EQ(probed.height, 64);

    // The split of the same sources shows which frame each cell holds.
    ctrl.VidOp(kSplit);
    dialogs->codecAnswers.push_back({QStringLiteral("ffv1"), 0});
    const QString split = outPath(QStringLiteral("split.avi"));
    ASSERT_TRUE(ctrl.vw_saveVidOpVw(ctrl.m_VwIdxOp, split));
    EXPECT_EQ(WriterProbe::video(split).frames, 80);
    MediaSource written;
    ASSERT_EQ(written.open(split), 0);
    ASSERT_EQ(written.frameCount(), 80);
    // Cells of 48 x 32, the row centred at y = 16.
    for (int i : {0, 30, 49, 50, 65, 79}) {
        const QImage picture = written.picture(i);
        EXPECT_EQ(FramePattern::read(picture, QRect(0, 16, 48, 32)), std::min(i, 49)) << i;
        EXPECT_EQ(FramePattern::read(picture, QRect(48, 16, 48, 32)), i) << i;
        EXPECT_LT(qGray(picture.pixel(40, 4)), 24) << i << ": the band above the row stays black";
    }
    EXPECT_TRUE(dialogs->messages.empty()) << qPrintable(dialogs->messages[0].text);
}
