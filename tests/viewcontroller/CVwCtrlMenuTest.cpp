// The context menus of the views and their drawings, opened by a real right click on the viewer
// and answered through the menu seam: display modes with their check marks, grid lines, the
// entries each kind of view offers, copying and saving the present frame, and saving a view's
// video.
#include "../timeline/TimelineFixtures.h"
#include "../view/ViewMouse.h"

#include "components/media/FramePattern.h"
#include "components/writer/OvAVI.h"
#include "graphics/M_OvGS.h"
#include "support/FixtureRecipes.h"
#include "support/TestPaths.h"
#include "support/WriterProbe.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QPushButton>
#include <QTimer>
#include <cmath>
#include <QClipboard>
#include <QMenu>
#include <QDir>
#include <QGuiApplication>
#include <QSignalSpy>
#include <map>

using namespace TimelineFixtures;

namespace {

QString patternClip(const QString& name, int w, int h, int frames)
{
    FixtureSpec recipe = FixtureRecipes::lossless(w, h, frames);
    recipe.rate = {25, 1};
    return FixtureRecipes::writtenOnce(QStringLiteral("menus"), name, recipe);
}

// The same with interlaced frames whose two fields carry their own numbers.
QString interlacedClip(const QString& name, int w, int h, int frames)
{
    FixtureSpec recipe = FixtureRecipes::lossless(w, h, frames);
    recipe.rate = {25, 1};
    recipe.interlaced = true;
    recipe.fieldPictures = true;
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
    // The visible entries of the menu as it was shown, with their enabled and checked states.
    struct Entry {
        bool enabled;
        bool checked;
    };
    void recordMenu()
    {
        dialogs->onMenu = [this](QMenu& menu) {
            shown.clear();
            for (QAction* a : menu.findChildren<QAction*>())
                if (!a->objectName().isEmpty() && a->isVisible())
                    shown[a->objectName().mid(7)] = {a->isEnabled(), a->isChecked()};
        };
    }
    // The top-level entries of the view menu that were visible.
    QStringList topLevel()
    {
        QStringList out;
        for (const auto& [name, e] : shown)
            if (name.count(u'_') == 2)
                out << name;
        return out;
    }
    int gridItems(int id, CVw* vw) { return int(M_OvGS::ovGi_get(*vw->m_ovGis, id).size()); }

    std::map<QString, Entry> shown;
};

} // namespace

TEST_F(Menus, LinesThreeTwiceShowThreeEvenLinesThenNone)
{
    CVw* vw = open(patternClip(QStringLiteral("a.mkv"), 96, 64, 20));
    ASSERT_NE(vw, nullptr);
    ctrl.DrwColor(QColor(10, 200, 30));
    ctrl.LineWidth(3);
    rightClick(vw, "_Vw_View_HorizLine_3");
    EXPECT_EQ(vw->NumHorizLines(), 3);
    const auto lines = M_OvGS::ovGi_get(*vw->m_ovGis, M_OvGS::kIdGridHorz);
    ASSERT_EQ(lines.size(), 3u);
    for (size_t i = 0; i < 3; ++i) {
        const double y = double(i + 1) * 64 / 4;
        EXPECT_NEAR(lines[i]->point(0).y(), y, 1e-4);
        EXPECT_NEAR(lines[i]->point(1).y(), y, 1e-4);
        EXPECT_EQ(lines[i]->point(0).x(), 0);
        EXPECT_EQ(lines[i]->point(1).x(), 95);
        EXPECT_EQ(lines[i]->firstFrame(), 0);
        EXPECT_EQ(lines[i]->lastFrame(), 19) << "grid lines stand in every frame";
        EXPECT_EQ(lines[i]->color(), QColor(10, 200, 30));
    }
    rightClick(vw, "_Vw_View_VertLine_2");
    EXPECT_EQ(gridItems(M_OvGS::kIdGridVert, vw), 2);

    // A right click on a grid line offers the drawing's menu.
    rightClick(vw, "", ViewMouse::at(vw->viewer(), {50, 32}));
    EXPECT_EQ(dialogs->menuRequests.back(), key("_Graphics"));

    // The menu ticks the present number; the same entry again takes the lines away.
    recordMenu();
    rightClick(vw, "_Vw_View_HorizLine_3");
    EXPECT_TRUE(shown["_Vw_View_HorizLine_3"].checked);
    EXPECT_FALSE(shown["_Vw_View_HorizLine_2"].checked);
    EXPECT_TRUE(shown["_Vw_View_VertLine_2"].checked);
    EXPECT_EQ(vw->NumHorizLines(), 0);
    EXPECT_EQ(gridItems(M_OvGS::kIdGridHorz, vw), 0);
    EXPECT_EQ(gridItems(M_OvGS::kIdGridVert, vw), 2);
    // Erasing everything clears the vertical count too.
    vw->graphObj_rmAll();
    EXPECT_EQ(vw->NumVertLines(), 0);
    EXPECT_TRUE(dialogs->messages.empty()) << qPrintable(dialogs->messages[0].text);
}

TEST_F(Menus, RotationMirrorAndFieldsReopenKeepingOffsetAndZoom)
{
    CVw* vw = open(interlacedClip(QStringLiteral("fields.mkv"), 640, 480, 20));
    ASSERT_NE(vw, nullptr);
    vw->m_ovVVw_zoom100();
    vw->m_ovVVw_mvOffset(0, 30); // the picture is taller than the view at 100 %
    ASSERT_EQ(vw->viewer()->offsetY(), 30);
    ctrl.vidTimeGoto(8 / 25.0, false);
    ASSERT_EQ(vw->viewer()->currentFrame(), 8);

    rightClick(vw, "_Vw_View_HorizLine_1");
    rightClick(vw, "_Vw_View_Rotate_90");
    EXPECT_EQ(vw->Rotation(), 90);
    // The grid follows the picture's new shape.
    const auto grid = M_OvGS::ovGi_get(*vw->m_ovGis, M_OvGS::kIdGridHorz);
    ASSERT_EQ(grid.size(), 1u);
    EXPECT_EQ(grid[0]->point(0).y(), 320);
    EXPECT_EQ(grid[0]->point(1).x(), 479);
    EXPECT_EQ(vw->m_AviWidth, 480);
    EXPECT_EQ(vw->m_AviHeight, 640);
    EXPECT_EQ(vw->m_AviZoom, 100) << "the zoom stays";
    EXPECT_EQ(vw->viewer()->offsetY(), 30) << "the offset stays";
    EXPECT_EQ(vw->viewer()->currentFrame(), 8) << "the view stays at its frame";
    rightClick(vw, "_Vw_View_Rotate_90");
    EXPECT_EQ(vw->Rotation(), 0) << "the same angle again turns it back";
    EXPECT_EQ(vw->m_AviWidth, 640);
    rightClick(vw, "_Vw_View_Rotate_90");
    rightClick(vw, "_Vw_View_Rotate_180");
    EXPECT_EQ(vw->Rotation(), 180) << "a new angle replaces the old";
    EXPECT_EQ(vw->m_AviWidth, 640);
    rightClick(vw, "_Vw_View_Rotate_180");
    EXPECT_EQ(vw->Rotation(), 0) << "the same angle again turns it back";

    rightClick(vw, "_Vw_View_Rotate_90");
    rightClick(vw, "_Vw_View_Mirror");
    EXPECT_TRUE(vw->Mirror());
    EXPECT_EQ(vw->m_AviMode, 256 | 2048);
    recordMenu();
    rightClick(vw, "_Vw_VideoMode_Fields");
    EXPECT_TRUE(shown["_Vw_View_Mirror"].checked);
    EXPECT_TRUE(shown["_Vw_View_Rotate_90"].checked);
    EXPECT_TRUE(shown["_Vw_VideoMode_FullFrames"].checked);
    // Fields replace the whole mode: rotation and mirror are gone; count and rate double.
    EXPECT_EQ(vw->m_AviMode, 1);
    EXPECT_FALSE(vw->Mirror());
    EXPECT_EQ(vw->Rotation(), 0);
    EXPECT_EQ(vw->m_AviNumFrames, 40);
    EXPECT_EQ(vw->m_AviFrameRate, 50.0);
    EXPECT_EQ(vw->m_AviHeight, 480) << "each field is shown at full height";
    EXPECT_EQ(vw->m_AviZoom, 100);
    EXPECT_EQ(vw->viewer()->offsetY(), 30);

    rightClick(vw, "_Vw_VideoMode_JVC200");
    EXPECT_TRUE(vw->JVC200());
    EXPECT_EQ(vw->m_AviNumFrames, 80);
    vw->JVC200(false);
    EXPECT_TRUE(vw->FullFrames());
    EXPECT_EQ(vw->m_AviNumFrames, 20);
    EXPECT_TRUE(dialogs->messages.empty()) << qPrintable(dialogs->messages[0].text);
}

TEST_F(Menus, EachKindOfViewOffersItsEntries)
{
    CVw* a = open(patternClip(QStringLiteral("a.mkv"), 96, 64, 20));
    CVw* b = open(patternClip(QStringLiteral("c.mkv"), 96, 64, 20));
    ASSERT_TRUE(a && b);
    recordMenu();
    rightClick(a);
    EXPECT_EQ(topLevel(), (QStringList{"_Vw_Brd1", "_Vw_Calib", "_Vw_Close", "_Vw_Frame", "_Vw_Info", "_Vw_Passive", "_Vw_SaveAs",
                                       "_Vw_VideoMode", "_Vw_View"}));
    EXPECT_TRUE(shown["_Vw_Close"].enabled);

    // A source of a mix cannot be closed; the operation view offers closing, the frame and saving.
    ctrl.vw_select(a->m_Idx, false, false);
    ctrl.vw_select(b->m_Idx, true, true);
    ctrl.VidOp(1);
    ctrl.vw_focus(a->m_Idx);
    rightClick(a);
    EXPECT_FALSE(shown["_Vw_Close"].enabled);
    CVw* op = ctrl.Vws(ctrl.m_VwIdxOp);
    ctrl.vw_focus(op->m_Idx);
    rightClick(op);
    EXPECT_EQ(topLevel(), (QStringList{"_Vw_Brd1", "_Vw_Close", "_Vw_Frame", "_Vw_SaveAs"}));
    ctrl.VidOp(1);

    // In the still mode a file view offers only its state, information and closing.
    ctrl.VwCtrlMode(0);
    ctrl.vw_focus(a->m_Idx);
    rightClick(a);
    EXPECT_EQ(topLevel(), (QStringList{"_Vw_Close", "_Vw_Info", "_Vw_Passive"}));
    EXPECT_TRUE(dialogs->messages.empty()) << qPrintable(dialogs->messages[0].text);
}

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
    EXPECT_EQ(WriterProbe::video(target).frames, 20);
    ASSERT_EQ(ctrl.numVws(), 3);
    EXPECT_EQ(ctrl.Vws(2)->m_AviFileName, target);

    // The output of a split saved likewise opens and joins the selection.
    ctrl.vw_select(a->m_Idx, false, false);
    ctrl.VidOp(2);
    CVw* op = ctrl.Vws(ctrl.m_VwIdxOp);
    ctrl.vw_focus(op->m_Idx);
    const QString split = outPath(QStringLiteral("split.avi"));
    dialogs->fileAnswers.push_back({split});
    dialogs->codecAnswers.push_back({QStringLiteral("ffv1"), 0});
    rightClick(op, "_Vw_SaveAs");
    EXPECT_EQ(WriterProbe::video(split).frames, 20);
    ASSERT_EQ(ctrl.numVws(), 5);
    EXPECT_EQ(ctrl.Vws(4)->m_AviFileName, split);
    EXPECT_TRUE(M_Misc::setLong_isElem(ctrl.selection(), 4));

    // A cancelled codec choice leaves no new file behind.
    const QString none = outPath(QStringLiteral("none.avi"));
    dialogs->fileAnswers.push_back({none});
    ctrl.vw_focus(ctrl.m_VwIdxOp);
    rightClick(ctrl.Vws(ctrl.m_VwIdxOp), "_Vw_SaveAs");
    EXPECT_FALSE(QFileInfo::exists(none));
    EXPECT_TRUE(dialogs->messages.empty()) << qPrintable(dialogs->messages[0].text);
}

TEST_F(Menus, PropertiesOfAnAngleTurnItToTheOuterReading)
{
    CVw* vw = open(patternClip(QStringLiteral("big.mkv"), 320, 240, 20));
    ASSERT_NE(vw, nullptr);
    vw->m_ovVVw_zoom100();
    ctrl.vws_setVwAction(14); // three points
    const auto at = [vw](double x, double y) { return ViewMouse::at(vw->viewer(), {x, y}); };
    // Measuring asks for a calibration first: square pixels, 1 cm over 100 pixels.
    dialogs->messageAnswers.push_back(6);
    ViewMouse::answerCalibDialog(&window, QStringLiteral("1"), 0, QStringLiteral("1:1"));
    ViewMouse::click(vw->viewer(), at(20, 200));
    ViewMouse::drag(vw->viewer(), at(20, 200), at(120, 200));
    ASSERT_TRUE(vw->isCalibrated());
    dialogs->messages.clear(); // the calibration's success message
    // 120 degrees at (100, 100): one ray to the right, the other up and to the left.
    const double rad = 120 * M_PI / 180;
    for (QPoint p : {at(180, 100), at(100, 100), at(100 + 80 * std::cos(rad), 100 - 80 * std::sin(rad))})
        ViewMouse::click(vw->viewer(), p);
    ASSERT_EQ(vw->m_ovMeasures->angles().count(), 1);
    auto angle = vw->m_ovMeasures->angles().item(1);
    ASSERT_NEAR(angle->value(), 120.0, 0.5);

    // The properties dialog from the drawing's menu: "Outer" and OK.
    QTimer::singleShot(0, [] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (w->objectName() != QLatin1String("frmPrpGraphObj"))
                continue;
            auto* reading = w->findChild<QComboBox*>(QStringLiteral("cboAngle"));
            reading->setCurrentIndex(reading->findText(QStringLiteral("Outer")));
            w->findChild<QPushButton*>(QStringLiteral("btnOK"))->click();
        }
    });
    rightClick(vw, "_Graphics_Properties", at(140, 100));
    EXPECT_NEAR(angle->value(), 360 - 120.0, 0.5);
    const auto label = M_OvGS::ovGi_get1st(*vw->m_ovGis, angle->userData());
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->text(), M_OvGS::format00(angle->value()) + QChar(0x00B0));
    EXPECT_TRUE(dialogs->messages.empty()) << qPrintable(dialogs->messages[0].text);
}

TEST_F(Menus, TheAudioStripIsReadOnceAndFollowsTheTime)
{
    FixtureSpec recipe = FixtureRecipes::lossless(96, 64, 50);
    recipe.rate = {25, 1};
    recipe.audio = true;
    const QString written = FixtureRecipes::writtenOnce(QStringLiteral("menus"), QStringLiteral("sound.mkv"), recipe);
    ASSERT_FALSE(written.isEmpty());
    // A copy of its own, taken away after the first showing.
    const QString path = outPath(QStringLiteral("sound_copy.mkv"));
    ASSERT_TRUE(QFile::copy(written, path));
    CVw* vw = open(path);
    ASSERT_NE(vw, nullptr);
    const int frameH = vw->viewer()->height();

    rightClick(vw, "_Vw_View_ShowAudioTrack");
    ASSERT_TRUE(vw->ShowAudioTrack());
    OvDia* strip = vw->audioStrip();
    ASSERT_NE(strip, nullptr);
    EXPECT_TRUE(strip->isVisible());
    EXPECT_GE(strip->seriesCount(), 1);
    const int channels = strip->seriesCount();
    // It stands right above the time line, as wide as the view.
    EXPECT_EQ(strip->geometry().bottom() + 1, vw->timeLine().panel()->geometry().top());
    EXPECT_EQ(strip->width(), vw->timeLine().panel()->width());
    EXPECT_LE(vw->viewer()->height(), frameH);
    ctrl.vidTimeGoto(1.2, false);
    EXPECT_FLOAT_EQ(strip->cursorTime(), 1.2f);

    rightClick(vw, "_Vw_View_ShowAudioTrack");
    EXPECT_FALSE(strip->isVisible());
    ASSERT_TRUE(QFile::remove(path));
    rightClick(vw, "_Vw_View_ShowAudioTrack");
    EXPECT_TRUE(strip->isVisible());
    EXPECT_EQ(strip->seriesCount(), channels) << "the audio is not read a second time";
    EXPECT_TRUE(dialogs->messages.empty()) << qPrintable(dialogs->messages[0].text);
}
