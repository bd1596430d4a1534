// A long video as a user meets it: its first picture at once, stepping and jumping far ahead
// while the rest is indexed, the time line saying how far, a saved analysis and a synchronisation point that wait
// for the whole count, a close while the index is built.
#include "support/MediaFixtures.h"
#include "support/Scenario.h"
#include "support/TestPaths.h"

#include "app/M_Rc.h"
#include "components/media/FrameHash.h"
#include "components/media/MediaSource.h"
#include "components/mixer/OvVidMixAgent.h"
#include "components/timeline/OvTimeLine.h"
#include "components/viewer/OvVView.h"
#include "view/CVw.h"
#include "viewcontroller/CVwCtrl.h"
#include "mainwindow/frmMain.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QRegularExpression>
#include <QTimer>

namespace {

constexpr int kFrames = 3600; // two minutes at 30 per second

class LongFile : public Scenario {
protected:
    void SetUp() override
    {
        Scenario::SetUp();
        MediaSource::setIndexWait(0); // a view goes on in the background at once
    }
    void TearDown() override
    {
        MediaSource::setIndexWait(600000);
        Scenario::TearDown();
    }
    static QString longClip(const char* name = "long_mpeg4.avi", int frames = kFrames, int gapEvery = 0)
    {
        FixtureRecipe s;
        s.encoder = QStringLiteral("mpeg4");
        s.width = 64;
        s.height = 48;
        s.frames = frames;
        s.rate = {30, 1};
        s.gop = 60;
        s.bFrames = 2;
        s.gapEvery = gapEvery;
        return MediaFixtures::clip(QString::fromLatin1(name), s);
    }
};

} // namespace

TEST_F(LongFile, OpensAtOnceAndReachesPicturesTheIndexHasNotReached)
{
    // The second file is four times as long: its index is still on its way after the first's.
    open({longClip(), longClip("long_mpeg4_4x.avi", 4 * kFrames)}); // one folder, as a dialog gives them
    ASSERT_EQ(numViews(), 2);
    CVw* vw = view(0);
    MediaSource& source = vw->viewer()->source();
    auto* strip = qobject_cast<OvTimeLine*>(timeLineControl(vw, "ovTL"));
    ASSERT_NE(strip, nullptr);
    ASSERT_TRUE(source.indexing());
    // The strip spans the length the file states from the start; the part not indexed yet is
    // shaded and the strip says how far the index has come.
    EXPECT_EQ(vw->m_AviNumFrames, kFrames);
    EXPECT_NEAR(strip->maximum(), (kFrames - 1) / 30.0, 1e-3);
    EXPECT_LT(strip->knownUntil(), strip->maximum());
    EXPECT_TRUE(strip->status().startsWith(M_Rc::getRcStr(9022))) << strip->status().toStdString();
    click(vw->viewer());
    key(Qt::Key_Right);
    EXPECT_EQ(vw->viewer()->currentFrame(), 1);

    // The last picture is there at once, its number marked as not yet exact. A keyframe is tied
    // to the exact number: setting one there waits for the index to reach it; the number stands.
    key(Qt::Key_End);
    EXPECT_EQ(vw->viewer()->currentFrame(), kFrames - 1);
    EXPECT_TRUE(source.isProvisional(kFrames - 1));
    EXPECT_FALSE(vw->viewer()->picture().isNull());
    const QString approx = QStringLiteral("\u2248%1").arg(kFrames - 1);
    EXPECT_TRUE(strip->bandCaption(0).contains(approx)) << strip->bandCaption(0).toStdString();
    const auto* status = window().findChild<QLabel*>(QStringLiteral("frmMain_status_frame"));
    ASSERT_NE(status, nullptr);
    EXPECT_TRUE(status->text().contains(approx)) << status->text().toStdString();
    key(Qt::Key_K);
    EXPECT_FALSE(source.indexing());
    EXPECT_EQ(vw->viewer()->currentFrame(), kFrames - 1);
    EXPECT_EQ(vw->timeLine().m_NumKeyFrames, 1);
    EXPECT_EQ(vw->m_AviNumFrames, kFrames);
    EXPECT_TRUE(strip->status().isEmpty());
    EXPECT_FALSE(strip->bandCaption(0).contains(QChar(0x2248)));
    EXPECT_NEAR(vw->timeLine().ranges()[1].tEnd, (kFrames - 1) / 30.0, 1e-6); // the whole-video range

    // A click far ahead on the other view's strip shows the picture there; playback goes on
    // from it.
    CVw* other = view(1);
    auto* otherStrip = qobject_cast<OvTimeLine*>(timeLineControl(other, "ovTL"));
    ASSERT_NE(otherStrip, nullptr);
    click(otherStrip, QPoint(otherStrip->timeToX(420.0), otherStrip->axisRect().center().y()));
    const int far = other->viewer()->currentFrame();
    EXPECT_NEAR(far, 12600, 10);
    EXPECT_TRUE(other->viewer()->source().isProvisional(far));
    bool playing = false;
    QTimer::singleShot(600, &window(), [&] {
        playing = ctrl().m_IsVidOperating;
        if (playing)
            key(Qt::Key_Space);
    });
    key(Qt::Key_Space); // returns when play stops
    EXPECT_TRUE(playing);
    EXPECT_GT(other->viewer()->currentFrame(), far);
    EXPECT_TRUE(dialogs->messages.empty());
}

TEST_F(LongFile, AKeyframeDroppedAheadOfTheIndexTakesTheNumberOfThePictureThere)
{
    // A file whose times skip a frame every ten: beyond the index, numbers estimated at the
    // stated rate run ahead of the exact ones, by several hundred at its end.
    open({longClip("long_gaps_4x.avi", 4 * kFrames, 9)});
    ASSERT_EQ(numViews(), 1);
    CVw* vw = view(0);
    MediaSource& source = vw->viewer()->source();
    auto* strip = qobject_cast<OvTimeLine*>(timeLineControl(vw, "ovTL"));
    ASSERT_NE(strip, nullptr);
    const int y = strip->bandRect().center().y();
    click(strip, QPoint(strip->timeToX(10.0), y));
    key(Qt::Key_K);
    ASSERT_EQ(vw->timeLine().m_NumKeyFrames, 1);
    const int dropX = strip->timeToX(0.9 * strip->maximum());
    const int estimate = vw->timeLine().time2fraNr(strip->xToTime(dropX));
    ASSERT_TRUE(source.isProvisional(estimate)) << "the index came too far to tell";
    const QByteArray there = FrameHash::nativeMd5(source.decodedFrame(estimate).get());

    // Dropped there, the keyframe waits for the exact number of the picture the view shows.
    drag(strip, QPoint(strip->timeToX(strip->itemTime(CTL::kIdKeyframe0)), y), QPoint(dropX, y));
    const int keyframe = vw->timeLine().keyFrames().at(1);
    EXPECT_FALSE(source.isProvisional(keyframe));
    EXPECT_EQ(vw->viewer()->currentFrame(), keyframe);
    EXPECT_LT(keyframe, estimate - 100);
    ASSERT_TRUE(vw->index_complete(false));
    EXPECT_EQ(FrameHash::nativeMd5(source.decodedFrame(keyframe).get()).toStdString(), there.toStdString());
    EXPECT_NEAR(strip->itemTime(CTL::kIdKeyframe0), vw->timeLine().fraNr2time(keyframe), 1e-3);
    EXPECT_TRUE(dialogs->messages.empty());
}

TEST_F(LongFile, ASaveAndASyncPointWaitForTheWholeCountAndAClosedViewStopsTheIndex)
{
    open({longClip()});
    ASSERT_EQ(numViews(), 1);
    ASSERT_TRUE(view(0)->viewer()->source().indexing());
    const QString path = QDir(TestPaths::scratchDir()).filePath(QStringLiteral("long.zorvik"));
    QFile::remove(path);
    dialogs->fileAnswers.push_back({path});
    ASSERT_TRUE(menuBar({QStringLiteral("File"), QStringLiteral("Save analysis as...")}));
    ASSERT_TRUE(waitFor([&] { return QFile::exists(path); }));
    QFile saved(path);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    const QString json = QString::fromUtf8(saved.readAll());
    EXPECT_TRUE(json.contains(QRegularExpression(QStringLiteral("\"frames\":\\s*3600\\b")))) << json.mid(json.indexOf(QStringLiteral("\"frames\"")) - 20, 80).toStdString();
    EXPECT_FALSE(view(0)->viewer()->source().indexing());

    dialogs->messageAnswers.push_back(MsgBox::Yes);
    ASSERT_TRUE(menuBar({QStringLiteral("File"), QStringLiteral("Close")}));
    open({longClip()});
    ASSERT_TRUE(view(0)->viewer()->source().indexing());
    ASSERT_TRUE(menuBar({QStringLiteral("File"), QStringLiteral("Close")}));
    EXPECT_EQ(numViews(), 0);

    // The stroboscope's reference is sampled over the whole file, not the part indexed so far.
    open({longClip()});
    ASSERT_TRUE(view(0)->viewer()->source().indexing());
    click(view(0)->viewer());
    click(toolButton("chkTbMainStrobo"));
    ASSERT_NE(ctrl().vidMixAgent(), nullptr);
    EXPECT_EQ(ctrl().vidMixAgent()->referenceFrames(), kFrames);
    EXPECT_TRUE(dialogs->messages.empty());
    click(toolButton("chkTbMainStrobo"));
    ASSERT_TRUE(menuBar({QStringLiteral("File"), QStringLiteral("Close")}));
    ASSERT_EQ(numViews(), 0);

    // A synchronisation point ties the views' whole lengths: it waits for the index too.
    open({longClip(), longClip("short_mpeg4.avi", 30)}); // one folder, as a dialog gives them
    ASSERT_EQ(numViews(), 2);
    CVw* lengthy = view(0);
    ASSERT_TRUE(lengthy->viewer()->source().indexing());
    click(lengthy->viewer());
    click(view(1)->viewer(), {}, Qt::LeftButton, Qt::ControlModifier);
    ASSERT_TRUE(contextMenu(timeLineControl(lengthy, "ovTL"), {QStringLiteral("Sync point"), QStringLiteral("Set")}));
    EXPECT_EQ(lengthy->timeLine().m_NumSyncPts, 1);
    EXPECT_FALSE(lengthy->viewer()->source().indexing());
    EXPECT_EQ(lengthy->m_AviNumFrames, kFrames);
}
