// The context menus of the views and their drawings, opened by a real right click on the viewer
// and answered through the menu seam: deleting the hit drawing, copying and saving the present
// frame, and saving a view's video.
#include "../timeline/TimelineFixtures.h"
#include "../view/ViewMouse.h"

#include "components/media/FramePattern.h"
#include "components/writer/OvAVI.h"
#include "support/FixtureRecipes.h"
#include "support/TestPaths.h"
#include "support/WriterProbe.h"

#include <QClipboard>
#include <QDir>
#include <QGuiApplication>
#include <QSignalSpy>

using namespace TimelineFixtures;

namespace {

QString patternClip(const QString& name, int w, int h, int frames)
{
    FixtureRecipe recipe = FixtureRecipes::lossless(w, h, frames);
    recipe.rate = {25, 1};
    return FixtureRecipes::writtenOnce(QStringLiteral("menus"), name, recipe);
}

QString outPath(const QString& name)
{
    const QString dir = QDir(TestPaths::scratchDir()).filePath(QStringLiteral("menus_out"));
    QDir().mkpath(dir);
    const QString path = QDir(dir).filePath(name);
    QFile::remove(path);
    return path;
}

QString key(const char* suffix) { return QStringLiteral("CVwCtrl") + QLatin1String(suffix); }

class Menus : public TimelineTest {
protected:
    // A right click on the view's picture, near its top left corner unless told where (away
    // from grid lines and drawings), choosing the entry (empty: none).
    void rightClick(CVw* vw, const char* suffix = "", QPoint at = {})
    {
        dialogs->menuAnswers.push_back(*suffix ? key(suffix) : QString());
        QWidget* target = vw->m_VwType == 2 ? static_cast<QWidget*>(vw->image()) : vw->viewer();
        const QPoint corner = vw->m_VwType == 2 ? QPoint(3, 3) : ViewMouse::at(vw->viewer(), {5, 5});
        const QPoint p = at.isNull() ? corner : at;
        ViewMouse::click(target, p, Qt::RightButton);
    }
};

} // namespace

TEST_F(Menus, TheHitDrawingHasItsOwnMenuAndCanBeDeleted)
{
    CVw* vw = open(patternClip(QStringLiteral("a.mkv"), 96, 64, 20));
    ASSERT_NE(vw, nullptr);
    vw->m_ovVVw_zoom100();
    ctrl.vws_setVwAction(2); // line
    const QPoint from = ViewMouse::at(vw->viewer(), {10, 10});
    const QPoint to = ViewMouse::at(vw->viewer(), {80, 50});
    ViewMouse::drag(vw->viewer(), from, to);
    ASSERT_EQ(vw->graphObj_count(), 1);

    rightClick(vw, "", ViewMouse::at(vw->viewer(), {85, 10})); // beside the line: the view menu
    EXPECT_EQ(dialogs->menuRequests.back(), key("_Vw"));
    EXPECT_EQ(vw->m_gidHit, -1);
    rightClick(vw, "_Graphics_Delete", ViewMouse::at(vw->viewer(), {45, 30}));
    EXPECT_EQ(dialogs->menuRequests.back(), key("_Graphics"));
    EXPECT_EQ(vw->graphObj_count(), 0);
    EXPECT_EQ(ctrl.m_VwAction, 0) << "the right click drops the tool";
    EXPECT_TRUE(dialogs->messages.empty()) << qPrintable(dialogs->messages[0].text);
}

TEST_F(Menus, CopyAndSaveGiveThePresentFrame)
{
    CVw* vw = open(patternClip(QStringLiteral("a.mkv"), 96, 64, 20));
    ASSERT_NE(vw, nullptr);
    ctrl.vidTimeGoto(13 / 25.0, false);
    rightClick(vw, "_Vw_Frame_Copy");
    const QImage copied = QGuiApplication::clipboard()->image();
    EXPECT_EQ(copied.size(), QSize(96, 64));
    EXPECT_EQ(FramePattern::read(copied, copied.rect()), 13);

    const QString png = outPath(QStringLiteral("frame.png"));
    dialogs->fileAnswers.push_back({png});
    rightClick(vw, "_Vw_Frame_SaveAs");
    ASSERT_FALSE(dialogs->fileRequests.empty());
    EXPECT_EQ(dialogs->fileRequests.back().defaultExtension, QStringLiteral("png"));
    EXPECT_TRUE(dialogs->fileRequests.back().save);
    // The dialog says what it saves and offers a name after the video and its frame, beside it.
    EXPECT_EQ(dialogs->fileRequests.back().caption, QStringLiteral("Save the picture"));
    EXPECT_EQ(dialogs->fileRequests.back().initialFile, QStringLiteral("a_frame13.png"));
    EXPECT_EQ(dialogs->fileRequests.back().initialFolder, QFileInfo(vw->m_AviFileName).absolutePath());
    const QImage saved(png);
    ASSERT_FALSE(saved.isNull());
    EXPECT_EQ(FramePattern::read(saved, saved.rect()), 13);

    // Both give the picture as the user sees it: with a line drawn across it, the same picture.
    ctrl.DrwColor(QColor(255, 0, 255));
    ctrl.vws_setVwAction(2);
    ViewMouse::drag(vw->viewer(), ViewMouse::at(vw->viewer(), {10, 40}), ViewMouse::at(vw->viewer(), {90, 40}));
    rightClick(vw, "_Vw_Frame_Copy");
    const QImage copiedDrawn = QGuiApplication::clipboard()->image().convertToFormat(QImage::Format_RGB32);
    dialogs->fileAnswers.push_back({png});
    rightClick(vw, "_Vw_Frame_SaveAs");
    const QImage savedDrawn = QImage(png).convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(savedDrawn.size(), QSize(96, 64));
    // The row the line covers at least half of changed along the line, and nowhere above it.
    const QPointF a = vw->m_ovGis->item(1)->point(0);
    const QImage plain = saved.convertToFormat(QImage::Format_RGB32);
    const int row = int(std::floor(a.y()));
    int changed = 0;
    for (int x = int(a.x()) + 5; x < 85; ++x) {
        changed += savedDrawn.pixel(x, row) != plain.pixel(x, row);
        EXPECT_EQ(savedDrawn.pixel(x, row - 10), plain.pixel(x, row - 10));
    }
    EXPECT_EQ(changed, 85 - (int(a.x()) + 5));
    EXPECT_EQ(savedDrawn, copiedDrawn);
    EXPECT_TRUE(dialogs->messages.empty()) << qPrintable(dialogs->messages[0].text);
}

TEST_F(Menus, SavingAVideoRefusesAnOpenPathAndOpensTheNewFile)
{
    const QString pathA = patternClip(QStringLiteral("a.mkv"), 96, 64, 20);
    CVw* a = open(pathA);
    CVw* b = open(patternClip(QStringLiteral("c.mkv"), 96, 64, 20));
    ASSERT_TRUE(a && b);

    // Over a file that a view has open: refused, nothing written.
    dialogs->fileAnswers.push_back({pathA});
    ctrl.vw_focus(b->m_Idx);
    rightClick(b, "_Vw_SaveAs");
    ASSERT_EQ(dialogs->messages.size(), 1u);
    EXPECT_EQ(dialogs->messages[0].text, QStringLiteral("Not possible, because File already open!"));
    EXPECT_EQ(dialogs->messages[0].style & 16, 16) << "a critical message";
    dialogs->messages.clear();

    // A file view saved to a new AVI: its frames, then opened in a new view.
    const QString target = outPath(QStringLiteral("saved.avi"));
    dialogs->fileAnswers.push_back({target});
    QSignalSpy done(ctrl.aviComponent(), &OvAVI::AVIMergeCutDone);
    rightClick(b, "_Vw_SaveAs");
    ASSERT_TRUE(done.wait(60000));
    EXPECT_EQ(dialogs->fileRequests.back().caption, QStringLiteral("Save the video"));
    EXPECT_EQ(dialogs->fileRequests.back().initialFile, QStringLiteral("c_copy.avi"));
    EXPECT_EQ(WriterProbe::video(target).frames, 20);
    ASSERT_EQ(ctrl.numVws(), 3);
    EXPECT_EQ(ctrl.Vws(2)->m_AviFileName, target);

    // The output of a split saved likewise opens, and stays out of the split.
    ctrl.vw_select(a->m_Idx, false, false);
    ctrl.VidOp(2);
    CVw* op = ctrl.Vws(ctrl.m_VwIdxOp);
    ctrl.vw_focus(op->m_Idx);
    const QString split = outPath(QStringLiteral("split.avi"));
    dialogs->fileAnswers.push_back({split});
    dialogs->codecAnswers.push_back({QStringLiteral("ffv1"), 0});
    rightClick(op, "_Vw_SaveAs");
    EXPECT_EQ(dialogs->fileRequests.back().initialFile, QStringLiteral("a_split.avi"));
    EXPECT_EQ(WriterProbe::video(split).frames, 20);
    ASSERT_EQ(ctrl.numVws(), 5);
    EXPECT_EQ(ctrl.Vws(4)->m_AviFileName, split);
    EXPECT_FALSE(M_Misc::setLong_isElem(ctrl.selection(), 4));

    // A cancelled codec choice leaves no new file behind.
    const QString none = outPath(QStringLiteral("none.avi"));
    dialogs->fileAnswers.push_back({none});
    ctrl.vw_focus(ctrl.m_VwIdxOp);
    rightClick(ctrl.Vws(ctrl.m_VwIdxOp), "_Vw_SaveAs");
    EXPECT_FALSE(QFileInfo::exists(none));
    EXPECT_TRUE(dialogs->messages.empty()) << qPrintable(dialogs->messages[0].text);
}
