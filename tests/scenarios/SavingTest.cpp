// Saving videos the way a user does: "Save as" from a view's menu, for a progressive and an
// interlaced file and for the output of an operation, each written file read back with ffprobe.
#include "support/FixtureRecipes.h"
#include "support/Scenario.h"
#include "support/WriterProbe.h"

#include "components/media/MediaSource.h"
#include "components/viewer/OvVView.h"
#include "view/CVw.h"
#include "viewcontroller/CVwCtrl.h"

#include <QDir>

namespace {

QString progressive(const QString& name, int frames)
{
    return FixtureRecipes::writtenOnce(QStringLiteral("scenarios"), name, FixtureRecipes::lossless(160, 120, frames));
}

QString interlaced(const QString& name, int frames)
{
    FixtureRecipe recipe = FixtureRecipes::lossless(160, 120, frames);
    recipe.interlaced = true;
    recipe.fieldPictures = true;
    return FixtureRecipes::writtenOnce(QStringLiteral("scenarios"), name, recipe);
}

QString target(const QString& name)
{
    const QString dir = QDir(TestPaths::scratchDir()).filePath(QStringLiteral("scenarios-out"));
    QDir().mkpath(dir);
    QFile::remove(QDir(dir).filePath(name));
    return QDir(dir).filePath(name);
}

struct Kind {
    const char* name;
    bool isInterlaced;
    const char* tickedMode; // the video mode the menu must show as in force
    int shownPerFrame;
};

class SaveAs : public Scenario, public ::testing::WithParamInterface<Kind> {};

} // namespace

// Opening shows each file in the mode it can have; the menu ticks that mode, and "Save as"
// writes every recorded frame of the file, which then opens in a view of its own.
TEST_P(SaveAs, WritesEveryFrameOfTheFile)
{
    const Kind kind = GetParam();
    constexpr int kFrames = 24;
    const QString name = QLatin1String(kind.name) + QStringLiteral(".mkv");
    open({kind.isInterlaced ? interlaced(name, kFrames) : progressive(name, kFrames)});
    ASSERT_EQ(numViews(), 1);
    EXPECT_EQ(view(0)->m_AviNumFrames, kFrames * kind.shownPerFrame);

    // The menu's ticks as the user sees them in the "Video mode" sub-menu.
    ASSERT_TRUE(contextMenu(view(0)->viewer(), {QStringLiteral("Video mode")}));
    const QStringList modes = lastMenuEntries();
    EXPECT_TRUE(modes.contains(QStringLiteral("[x] ") + QLatin1String(kind.tickedMode))) << modes.join(u'|').toStdString();
    EXPECT_EQ(modes.filter(QStringLiteral("[x]")).size(), 1) << modes.join(u'|').toStdString();

    const QString out = target(QLatin1String(kind.name) + QStringLiteral("-copy.avi"));
    dialogs->fileAnswers.push_back({out});
    ASSERT_TRUE(contextMenu(view(0)->viewer(), {QStringLiteral("Save as")}));
    ASSERT_TRUE(waitFor([&] { return numViews() == 2; }, 60000));
    EXPECT_EQ(WriterProbe::video(out).frames, kFrames);
    EXPECT_EQ(view(1)->viewer()->source().recordedFrameCount(), kFrames);
    EXPECT_TRUE(dialogs->messages.empty()) << dialogs->messages.front().text.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Files, SaveAs,
                         ::testing::Values(Kind{"progressive", false, "Full frames", 1},
                                           Kind{"interlaced", true, "Separate fields", 2}),
                         [](const auto& info) { return std::string(info.param.name); });

// The saved output of a split opens as a view of its own and does not join the split.
TEST_F(Scenario, SavedOutputStaysOutOfTheOperation)
{
    open({progressive(QStringLiteral("split-a.mkv"), 12), progressive(QStringLiteral("split-b.mkv"), 12)});
    ASSERT_EQ(numViews(), 2);
    click(toolButton("chkTbMainSplit"));
    ASSERT_EQ(ctrl().numVwsSrc(), 2);
    ASSERT_TRUE(ctrl().m_VwIdxOp >= 0);
    CVw* output = view(ctrl().m_VwIdxOp);
    ASSERT_NE(output, nullptr);

    const QString out = target(QStringLiteral("split.avi"));
    dialogs->fileAnswers.push_back({out});
    dialogs->codecAnswers.push_back({QStringLiteral("mjpeg"), 90});
    ASSERT_TRUE(contextMenu(output->image(), {QStringLiteral("Save as")}));
    ASSERT_TRUE(waitFor([&] { return numViews() == 4; }));
    EXPECT_EQ(WriterProbe::video(out).frames, 12);
    EXPECT_EQ(ctrl().numVwsSrc(), 2);
    EXPECT_EQ(ctrl().m_VidOp, 2);
    EXPECT_EQ(view(3)->m_AviFileName, out);
    EXPECT_FALSE(view(3)->Selected());
    EXPECT_TRUE(dialogs->messages.empty()) << dialogs->messages.front().text.toStdString();
    // No menu comes up again by itself afterwards.
    const size_t menus = dialogs->menuRequests.size();
    settle(300);
    EXPECT_EQ(dialogs->menuRequests.size(), menus);
}
