// Closing views the ways a user does: from each context menu and from File, while playing and
// while still, with and without work in the views.
#include "support/FixtureRecipes.h"
#include "support/Scenario.h"
#include "support/SineClip.h"
#include "support/TestPaths.h"

#include "components/diagram/OvDia.h"
#include "components/viewer/OvVView.h"
#include "mainwindow/frmMain.h"
#include "view/CVw.h"
#include "viewcontroller/CVwCtrl.h"

#include <QDir>
#include <QTimer>

namespace {

struct Way {
    const char* name;
    bool playing;
    bool fromFile; // File > Close, else the view's own menu
};

class Closing : public Scenario, public ::testing::WithParamInterface<Way> {};

} // namespace

// Every way of closing takes the selected views away and leaves the program running; with
// playback on, the close comes while the loop plays (from its own play button's view too).
TEST_P(Closing, TakesTheViewsAwayAndTheProgramRuns)
{
    const Way way = GetParam();
    open({clip(QStringLiteral("close-a.avi"), 60), clip(QStringLiteral("close-b.avi"), 60)});
    ASSERT_EQ(numViews(), 2);
    QWidget* viewer = view(0)->viewer();
    bool closed = false;
    const auto close = [&] {
        closed = way.fromFile ? menuBar({QStringLiteral("File"), QStringLiteral("Close")})
                              : contextMenu(viewer, {QStringLiteral("Close")});
    };
    if (way.playing) {
        QTimer::singleShot(200, &window(), close); // comes while the playback loop runs
        click(timeLineControl(view(0), "picPlay"));
        settle(600);
    } else {
        close();
    }
    EXPECT_TRUE(closed);
    EXPECT_EQ(numViews(), 0);
    EXPECT_FALSE(ctrl().m_IsVidOperating);
    EXPECT_TRUE(dialogs->messages.empty()) << dialogs->messages.front().text.toStdString();
    // The program goes on: a new file opens and shows.
    open({clip(QStringLiteral("close-a.avi"), 60)});
    ASSERT_EQ(numViews(), 1);
    EXPECT_TRUE(view(0)->viewer()->isOpen());
}

INSTANTIATE_TEST_SUITE_P(Ways, Closing,
                         ::testing::Values(Way{"ViewMenu", false, false}, Way{"ViewMenuPlaying", true, false},
                                           Way{"File", false, true}, Way{"FilePlaying", true, true}),
                         [](const auto& info) { return std::string(info.param.name); });

// A view that holds the user's work is closed only once the user has said so.
TEST_F(Scenario, ClosingWorkAsksFirst)
{
    open({clip(QStringLiteral("close-a.avi"), 60)});
    ASSERT_EQ(numViews(), 1);
    ASSERT_TRUE(contextMenu(timeLineControl(view(0), "ovTL"), {QStringLiteral("Keyframe"), QStringLiteral("Set")}));
    ASSERT_EQ(view(0)->timeLine().m_NumKeyFrames, 1);

    dialogs->messageAnswers = {MsgBox::No};
    ASSERT_TRUE(menuBar({QStringLiteral("File"), QStringLiteral("Close")}));
    ASSERT_EQ(dialogs->messages.size(), 1u);
    EXPECT_EQ(numViews(), 1);
    EXPECT_EQ(view(0)->timeLine().m_NumKeyFrames, 1);

    dialogs->messageAnswers = {MsgBox::Yes};
    ASSERT_TRUE(contextMenu(view(0)->viewer(), {QStringLiteral("Close")}));
    EXPECT_EQ(dialogs->messages.size(), 2u);
    EXPECT_EQ(numViews(), 0);
}

// The output view's own menu ends the operation; the drawing menu deletes the drawing clicked.
TEST_F(Scenario, OutputAndDrawingMenus)
{
    open({clip(QStringLiteral("close-a.avi"), 60), clip(QStringLiteral("close-b.avi"), 60)});
    click(toolButton("chkTbMainSplit"));
    CVw* output = view(ctrl().m_VwIdxOp);
    ASSERT_NE(output, nullptr);
    ASSERT_TRUE(contextMenu(output->image(), {QStringLiteral("Close")}));
    EXPECT_EQ(ctrl().m_VidOp, 0);
    EXPECT_EQ(numViews(), 2);

    click(toolButton("chkTbMainDraw"));
    click(toolButton("chkTbDrawLine"));
    QWidget* viewer = view(0)->viewer();
    const int y = viewer->height() / 2;
    drag(viewer, {viewer->width() * 3 / 10, y}, {viewer->width() * 7 / 10, y});
    ASSERT_EQ(view(0)->graphObj_count(), 1);
    ASSERT_TRUE(contextMenu(viewer, {QStringLiteral("Delete")}, {viewer->width() / 2, y}));
    EXPECT_EQ(view(0)->graphObj_count(), 0);
    EXPECT_EQ(numViews(), 2);
    EXPECT_TRUE(dialogs->messages.empty()) << dialogs->messages.front().text.toStdString();
}

// The audio strip is read in the background: a view closed while its audio is still being read
// goes without a trace; left open, the strip fills with both channels.
TEST_F(Scenario, AViewClosesWhileItsAudioIsRead)
{
    SineSpec sine;
    sine.seconds = 60;
    const QString path = QDir(TestPaths::scratchDir()).filePath(QStringLiteral("closing-sine.avi"));
    ASSERT_EQ(SineClip::write(path, sine), 0);
    const QStringList audioTrack{QStringLiteral("View"), QStringLiteral("Audio track")};
    open({path});
    ASSERT_TRUE(contextMenu(view(0)->viewer(), audioTrack));
    ASSERT_TRUE(contextMenu(view(0)->viewer(), {QStringLiteral("Close")}));
    EXPECT_EQ(numViews(), 0);
    open({path});
    ASSERT_TRUE(contextMenu(view(0)->viewer(), audioTrack));
    OvDia* strip = view(0)->audioStrip();
    ASSERT_TRUE(waitFor([strip] { return strip->seriesCount() == 2; }, 20000));
    EXPECT_TRUE(strip->isVisible());
}
