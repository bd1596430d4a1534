// The tool bars, the File menu, the line-width pop-up and the speed slider, driven through the
// window's buttons and menu entries; every state is read back from the view controller.
#include "MainWindowFixture.h"

#include "app/MMain.h"
#include "app/M_GUI.h"
#include "app/frmLng.h"
#include "dialogs/frmPrpVidMix.h"
#include "dialogs/frmPrpVidStrobo.h"
#include "mainwindow/SpeedSlider.h"
#include "support/DuringPlayback.h"
#include "view/CVw.h"
#include "view/TrajectoryTool.h"
#include "view/ViewMouse.h"

#include <QApplication>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QSlider>
#include <QTimer>

using namespace MainWindowFixture;

namespace {
const char* const kDrawTools[] = {"chkTbDrawText", "chkTbDrawFreehand", "chkTbDrawLine",
                                  "chkTbDrawRect", "chkTbDrawCircle",   "chkTbDrawCross"};
const char* const kMeasureTools[] = {"chkTbMeasureDist",      "chkTbMeasureAngle3Pt",   "chkTbMeasureAngleHoriz",
                                     "chkTbMeasureAngleVert", "chkTbMeasureAngle2Line", "chkTbMeasureClock"};
const char* const kBarBound[] = {"chkTbMainOpen", "chkTbMainSwitch", "chkTbMainSplit", "chkTbMainMix",
                                 "chkTbMainStrobo"};

class Tools : public MainWindow {
protected:
    bool enabled(const char* role) { return button(role)->isEnabled(); }
    bool shown(const char* bar) { return widget(bar)->isVisible(); }
    QSlider* slider() { return control<QSlider>(window.get(), QStringLiteral("sldTbMainVidSpeed")); }
};
} // namespace

TEST_F(Tools, OpenLoadsThreeFilesAsSelectedViewsTheLastFocused)
{
    EXPECT_FALSE(item("_File_SaveAs")->isEnabled());
    EXPECT_FALSE(item("_File_Close")->isEnabled());
    openClips({QStringLiteral("a.mkv"), QStringLiteral("b.mkv"), QStringLiteral("c.mkv")});

    ASSERT_EQ(dialogs->fileRequests.size(), 1u);
    EXPECT_TRUE(dialogs->fileRequests[0].multiSelect);
    EXPECT_TRUE(dialogs->messages.empty());
    ASSERT_EQ(ctrl().numVws(), 3);
    EXPECT_EQ(ctrl().numVwsSel(), 3);
    EXPECT_EQ(ctrl().m_VwIdxFocus, 2);
    EXPECT_FALSE(button("chkTbMainOpen")->isChecked()) << "Open releases itself";
    EXPECT_TRUE(item("_File_SaveAs")->isEnabled());
    EXPECT_TRUE(item("_File_Close")->isEnabled());
    EXPECT_TRUE(enabled("chkTbMainMeasure")) << "a view has the focus now";
    EXPECT_FALSE(enabled("chkTbMainRmLast")) << "the focused view has no graphic item";
    EXPECT_FALSE(enabled("chkTbMainRmAll"));

    // The File menu opens the same dialog; cancelling changes nothing.
    item("_File_OpenVideo")->trigger();
    EXPECT_EQ(dialogs->fileRequests.size(), 2u);
    EXPECT_EQ(ctrl().numVws(), 3);

    // Close closes the selected views; then saving and closing are off again.
    item("_File_Close")->trigger();
    EXPECT_EQ(ctrl().numVws(), 0);
    EXPECT_FALSE(item("_File_SaveAs")->isEnabled());
    EXPECT_FALSE(item("_File_Close")->isEnabled());
    EXPECT_FALSE(enabled("chkTbMainMeasure"));
}

TEST_F(Tools, UndoAndEraseFollowTheItemsOfTheFocusedView)
{
    openClips({QStringLiteral("a.mkv")});
    CVw* vw = ctrl().Vws(0);
    ASSERT_NE(vw, nullptr);
    OvVView* viewer = vw->viewer();
    click("chkTbMainDraw");
    click("chkTbDrawLine");
    const auto line = [&](int y) { ViewMouse::drag(viewer, QPoint(20, y), QPoint(90, y + 20)); };
    line(20);
    EXPECT_TRUE(enabled("chkTbMainRmLast")) << "a line now stands in the view";
    EXPECT_TRUE(enabled("chkTbMainRmAll"));
    line(60);
    line(100);
    ASSERT_EQ(vw->graphObj_count(), 3);

    click("chkTbMainRmLast");
    EXPECT_EQ(vw->graphObj_count(), 2);
    EXPECT_FALSE(button("chkTbMainRmLast")->isChecked()) << "Undo releases itself";
    EXPECT_TRUE(button("chkTbDrawLine")->isChecked()) << "the tool stays chosen";
    line(140);
    EXPECT_EQ(vw->graphObj_count(), 3);

    // A distance too, after a calibration through the real dialog.
    click("chkTbMainMeasure");
    click("chkTbMeasureDist");
    dialogs->messageAnswers.push_back(6);
    ViewMouse::answerCalibDialog(window.get(), QStringLiteral("1"), 0, QStringLiteral("1:1"));
    ViewMouse::click(viewer, QPoint(10, 30));
    ViewMouse::drag(viewer, QPoint(10, 30), QPoint(90, 30));
    ViewMouse::drag(viewer, QPoint(100, 10), QPoint(100, 60));
    ASSERT_EQ(vw->m_ovMeasures->distances().count(), 1);
    // And a trajectory, one point set by hand.
    click("chkTbMeasureTrackHand");
    ViewMouse::click(viewer, QPoint(50, 90));
    ASSERT_EQ(vw->trajectories()->overlay().count(), 1);
    const tracking::Trajectory traced = vw->trajectories()->overlay().at(0);
    struct Item {
        int id;
        QPointF p0, p1;
        QString text;
    };
    const auto items = [vw] {
        std::vector<Item> out;
        for (int pos = 1; pos <= vw->m_ovGis->count(); ++pos) {
            const auto gi = vw->m_ovGis->item(pos);
            out.push_back({gi->id(), gi->point(0), gi->point(1), gi->text()});
        }
        return out;
    };
    const std::vector<Item> before = items();
    const double reading = vw->m_ovMeasures->distances().item(1)->value();

    // The eraser takes everything; Undo, still on, brings it all back as it was.
    click("chkTbMainRmAll");
    EXPECT_EQ(vw->graphObj_count(), 0);
    EXPECT_EQ(vw->m_ovMeasures->distances().count(), 0);
    EXPECT_EQ(vw->trajectories()->overlay().count(), 0);
    EXPECT_TRUE(enabled("chkTbMainRmLast"));
    EXPECT_FALSE(enabled("chkTbMainRmAll"));
    click("chkTbMainRmLast");
    ASSERT_EQ(vw->trajectories()->overlay().count(), 1);
    EXPECT_EQ(vw->trajectories()->overlay().at(0), traced);
    const std::vector<Item> after = items();
    ASSERT_EQ(after.size(), before.size());
    for (size_t i = 0; i < before.size(); ++i) {
        EXPECT_EQ(after[i].id, before[i].id);
        EXPECT_EQ(after[i].p0, before[i].p0);
        EXPECT_EQ(after[i].p1, before[i].p1);
        EXPECT_EQ(after[i].text, before[i].text);
    }
    ASSERT_EQ(vw->m_ovMeasures->distances().count(), 1);
    EXPECT_DOUBLE_EQ(vw->m_ovMeasures->distances().item(1)->value(), reading);
    // The next Undo takes the last drawing again: the distance with its label.
    click("chkTbMainRmLast");
    EXPECT_EQ(vw->m_ovMeasures->distances().count(), 0);
    EXPECT_EQ(vw->graphObj_count(), int(before.size()) - 1);
    ASSERT_EQ(dialogs->messages.size(), 2u) << "the calibration's question and success";
    EXPECT_EQ(dialogs->messages[1].text, QStringLiteral("Calibration successful. You can measure now."));
}

TEST_F(Tools, AtMostOneToolIsPressedAndASecondClickReleasesIt)
{
    openClips({QStringLiteral("a.mkv"), QStringLiteral("b.mkv")});
    click("chkTbMainDraw");
    ASSERT_TRUE(shown("picBgTbDraw"));

    click("chkTbDrawLine");
    EXPECT_EQ(ctrl().m_VwAction, 2);
    EXPECT_EQ(pressed(), (QStringList{"chkTbDrawLine", "chkTbMainDraw"}));
    click("chkTbDrawCircle");
    EXPECT_EQ(ctrl().m_VwAction, 3);
    EXPECT_EQ(pressed(), (QStringList{"chkTbDrawCircle", "chkTbMainDraw"}));
    for (int i = 0; i < 2; ++i)
        EXPECT_EQ(ctrl().Vws(i)->m_VwAction, 3) << "every view takes the tool";
    EXPECT_EQ(ctrl().panel()->cursor().shape(), Qt::CrossCursor);

    click("chkTbDrawCircle");
    EXPECT_EQ(ctrl().m_VwAction, 0);
    EXPECT_EQ(ctrl().Vws(1)->m_VwAction, 0);
    EXPECT_EQ(pressed(), (QStringList{"chkTbMainDraw"}));
    EXPECT_EQ(ctrl().panel()->cursor().shape(), Qt::ArrowCursor);

    // A measuring tool replaces a drawing tool: there is one tool for both bars.
    click("chkTbDrawFreehand");
    click("chkTbMainMeasure");
    click("chkTbMeasureAngle3Pt");
    EXPECT_EQ(ctrl().m_VwAction, 14);
    EXPECT_EQ(pressed(), (QStringList{"chkTbMainMeasure", "chkTbMeasureAngle3Pt"}));
    EXPECT_TRUE(dialogs->messages.empty());
}

TEST_F(Tools, WithoutAFocusedViewOnlyColourAndWidthCanBeUsed)
{
    EXPECT_TRUE(enabled("chkTbMainDraw"));
    EXPECT_FALSE(enabled("chkTbMainMeasure"));
    EXPECT_FALSE(enabled("chkTbMainRmLast"));
    for (const char* role : kBarBound)
        EXPECT_TRUE(enabled(role)) << role;

    click("chkTbMainDraw");
    EXPECT_TRUE(shown("picBgTbDraw"));
    EXPECT_TRUE(enabled("chkTbDrawLineColor"));
    EXPECT_TRUE(enabled("chkTbDrawLineWidth"));
    for (const char* role : kDrawTools)
        EXPECT_FALSE(enabled(role)) << role;
    for (const char* role : kMeasureTools)
        EXPECT_FALSE(enabled(role)) << role;
    for (const char* role : kBarBound)
        EXPECT_FALSE(enabled(role)) << role << " is off while an extra tool bar is shown";

    click("chkTbMainDraw");
    EXPECT_FALSE(shown("picBgTbDraw"));
    for (const char* role : kBarBound)
        EXPECT_TRUE(enabled(role)) << role;

    // The passive mode without views: only Open and Switch remain.
    click("chkTbMainSwitch");
    EXPECT_EQ(ctrl().VwCtrlMode(), 0);
    EXPECT_EQ(pressed(), (QStringList{"chkTbMainSwitch"}));
    for (const char* role : {"chkTbMainDraw", "chkTbMainMeasure", "chkTbMainSplit", "chkTbMainMix", "chkTbMainStrobo"})
        EXPECT_FALSE(enabled(role)) << role;
    EXPECT_TRUE(enabled("chkTbMainOpen"));
    click("chkTbMainSwitch");
    EXPECT_EQ(ctrl().VwCtrlMode(), 1);

    // A focused view enables the tools; losing the focus takes a chosen tool's press away too.
    openClips({QStringLiteral("a.mkv")});
    click("chkTbMainDraw");
    for (const char* role : kDrawTools)
        EXPECT_TRUE(enabled(role)) << role;
    click("chkTbDrawRect");
    ctrl().vw_focus(-1);
    EXPECT_FALSE(enabled("chkTbDrawRect"));
    EXPECT_FALSE(button("chkTbDrawRect")->isChecked());
    EXPECT_EQ(ctrl().m_VwAction, 4) << "the controller keeps its tool";
}

TEST_F(Tools, DrawAndMeasureShowOneExtraToolBarAtATime)
{
    openClips({QStringLiteral("a.mkv")});
    click("chkTbMainMeasure");
    EXPECT_TRUE(shown("picBgTbMeasure"));
    EXPECT_EQ(pressed(), (QStringList{"chkTbMainMeasure"}));

    click("chkTbMainDraw");
    EXPECT_FALSE(shown("picBgTbMeasure"));
    EXPECT_TRUE(shown("picBgTbDraw"));
    EXPECT_EQ(pressed(), (QStringList{"chkTbMainDraw"}));
    for (const char* role : kBarBound)
        EXPECT_FALSE(enabled(role)) << role;
    // Shown, the tool bar lies in front of the views.
    QWidget* bar = widget("picBgTbDraw");
    ASSERT_TRUE(ctrl().panel()->geometry().contains(bar->geometry().center()));
    QWidget* onTop = window->client()->childAt(bar->geometry().center());
    EXPECT_TRUE(onTop == bar || bar->isAncestorOf(onTop));

    click("chkTbMainMeasure");
    EXPECT_FALSE(shown("picBgTbDraw"));
    EXPECT_TRUE(shown("picBgTbMeasure"));
    EXPECT_EQ(pressed(), (QStringList{"chkTbMainMeasure"}));

    // Losing the focus takes the measuring tool bar away.
    ctrl().vw_focus(-1);
    EXPECT_FALSE(shown("picBgTbMeasure"));
    EXPECT_TRUE(pressed().isEmpty());
    for (const char* role : kBarBound)
        EXPECT_TRUE(enabled(role)) << role;
}

TEST_F(Tools, VideoOperationButtonsShowTheControllersOperation)
{
    openClips({QStringLiteral("a.mkv")});
    click("chkTbMainMix");
    EXPECT_EQ(ctrl().m_VidOp, 1);
    EXPECT_EQ(pressed(), (QStringList{"chkTbMainMix"}));
    click("chkTbMainStrobo");
    EXPECT_EQ(ctrl().m_VidOp, 3);
    EXPECT_EQ(pressed(), (QStringList{"chkTbMainStrobo"}));
    click("chkTbMainStrobo");
    EXPECT_EQ(ctrl().m_VidOp, 0);
    EXPECT_TRUE(pressed().isEmpty());
    EXPECT_EQ(ctrl().numVws(), 1);

    // A running playback goes on while its one source fits the chosen operation, and ends when
    // it does not (a mix takes two).
    EXPECT_TRUE(duringPlayback(ctrl(), [&] {
        click("chkTbMainSplit");
        EXPECT_TRUE(ctrl().m_IsVidOperating);
        click("chkTbMainMix");
        EXPECT_FALSE(ctrl().m_IsVidOperating);
    }));
    EXPECT_EQ(pressed(), (QStringList{"chkTbMainMix"}));
}

TEST_F(Tools, TheLineWidthPopUpSetsAndTicksTheWidth)
{
    openClips({QStringLiteral("a.mkv")});
    click("chkTbMainDraw");
    dialogs->menuAnswers.push_back(QStringLiteral("frmMain_LineWidth_3"));
    click("chkTbDrawLineWidth");
    ASSERT_EQ(dialogs->menuRequests, (std::vector<QString>{QStringLiteral("frmMain_LineWidth")}));
    EXPECT_EQ(ctrl().m_LineWidth, 3);
    EXPECT_EQ(ctrl().Vws(0)->m_LineWidth, 3);
    EXPECT_FALSE(button("chkTbDrawLineWidth")->isChecked());

    QStringList ticked, captions;
    dialogs->onMenu = [&](QMenu& menu) {
        for (QAction* a : menu.actions()) {
            captions << a->text();
            if (a->isChecked())
                ticked << a->objectName();
        }
    };
    click("chkTbDrawLineWidth"); // closed without a choice
    EXPECT_EQ(ticked, (QStringList{"frmMain_LineWidth_3"}));
    EXPECT_EQ(captions, (QStringList{"1", "2", "3", "4", "5", "6", "7", "8"}));
    EXPECT_EQ(ctrl().m_LineWidth, 3);

    // The pop-up menu never shows in the menu bar.
    QStringList bar;
    for (QAction* a : control<QMenuBar>(window.get(), QStringLiteral("mnuMain"))->actions())
        if (a->isVisible())
            bar << a->objectName();
    EXPECT_EQ(bar, (QStringList{"frmMain_File", "frmMain_Edit", "frmMain_Play", "frmMain_Help"}));
    EXPECT_TRUE(dialogs->messages.empty());
}

TEST_F(Tools, TheColourButtonSetsTheDrawingColourOfAllViews)
{
    openClips({QStringLiteral("a.mkv"), QStringLiteral("b.mkv")});
    click("chkTbMainDraw");
    dialogs->colorAnswers.push_back(QColor(10, 20, 30));
    click("chkTbDrawLineColor");
    ASSERT_EQ(dialogs->colorRequests.size(), 1u);
    EXPECT_EQ(dialogs->colorRequests[0], QColor(255, 255, 128)) << "the present colour is preselected";
    EXPECT_EQ(ctrl().m_DrwColor, QColor(10, 20, 30));
    EXPECT_EQ(ctrl().Vws(0)->m_DrwColor, QColor(10, 20, 30));
    EXPECT_EQ(ctrl().Vws(1)->m_DrwColor, QColor(10, 20, 30));
    EXPECT_FALSE(button("chkTbDrawLineColor")->isChecked());

    click("chkTbDrawLineColor"); // cancelled
    EXPECT_EQ(dialogs->colorRequests.back(), QColor(10, 20, 30));
    EXPECT_EQ(ctrl().m_DrwColor, QColor(10, 20, 30));
}

TEST_F(Tools, PressingAButtonFromCodeNeverRunsItsAction)
{
    openClips({QStringLiteral("a.mkv")});
    dialogs->fileRequests.clear();
    for (QToolButton* b : buttons())
        M_GUI::chkUni_setValue(b, true);
    EXPECT_TRUE(dialogs->fileRequests.empty()) << "Open";
    EXPECT_TRUE(dialogs->colorRequests.empty()) << "colour";
    EXPECT_TRUE(dialogs->menuRequests.empty()) << "line width";
    EXPECT_EQ(ctrl().m_VwAction, 0);
    EXPECT_EQ(ctrl().m_VidOp, 0);
    EXPECT_EQ(ctrl().VwCtrlMode(), 1);
    EXPECT_FALSE(shown("picBgTbDraw"));
    EXPECT_FALSE(shown("picBgTbMeasure"));
    for (QToolButton* b : buttons())
        M_GUI::chkUni_setValue(b, false);
    EXPECT_EQ(ctrl().VwCtrlMode(), 1);
    EXPECT_EQ(ctrl().numVws(), 1);
}

TEST_F(Tools, ARefreshWithEnableOffDisablesAndReleasesAllButLeavesTheMenu)
{
    openClips({QStringLiteral("a.mkv")});
    click("chkTbMainDraw");
    click("chkTbDrawCross");
    window->ctrls_enable(false);
    for (QToolButton* b : buttons())
        EXPECT_FALSE(b->isEnabled()) << qPrintable(b->objectName());
    EXPECT_FALSE(button("chkTbDrawCross")->isChecked());
    EXPECT_FALSE(slider()->isEnabled());
    EXPECT_TRUE(item("_File_Close")->isEnabled());
    window->ctrls_enable(true);
    EXPECT_TRUE(button("chkTbDrawCross")->isChecked());
    EXPECT_TRUE(slider()->isEnabled());
}

TEST_F(Tools, TheSpeedSliderGivesItsFactorAndShowsItInTheUsersLocale)
{
    QSlider* sld = slider();
    ASSERT_NE(sld, nullptr);
    EXPECT_FLOAT_EQ(window->m_sldTbMainVidSpeed_valScale(), 1.0f);
    EXPECT_EQ(sld->toolTip(), QStringLiteral("1.0x"));
    // The value stands beside the slider at all times, between it and the logo.
    const QLabel* shown = dynamic_cast<SpeedSlider*>(sld)->valueLabel();
    EXPECT_TRUE(shown->isVisible());
    EXPECT_EQ(shown->text(), QStringLiteral("1.0x"));
    EXPECT_GT(shown->x(), sld->geometry().right());
    EXPECT_GE(shown->width(), shown->fontMetrics().horizontalAdvance(QStringLiteral("2.5x")));
    EXPECT_GE(sld->width(), 24) << "wide enough to hit";

    // The top of the slider is the fastest; the keys move the thumb the way they point, and
    // playback reads the factor the label shows.
    sld->setFocus();
    QTest::keyClick(sld, Qt::Key_Home);
    EXPECT_FLOAT_EQ(window->m_sldTbMainVidSpeed_valScale(), 3.0f);
    EXPECT_EQ(sld->toolTip(), QStringLiteral("3.0x"));
    QTest::keyClick(sld, Qt::Key_End);
    EXPECT_FLOAT_EQ(window->m_sldTbMainVidSpeed_valScale(), 0.1f);
    QTest::keyClick(sld, Qt::Key_Up);
    EXPECT_EQ(sld->toolTip(), QStringLiteral("0.2x"));
    // A click on the groove above the thumb moves it up, to a faster speed.
    const int before = sld->value();
    QTest::mouseClick(sld, Qt::LeftButton, {}, QPoint(sld->width() / 2, 2));
    EXPECT_LT(sld->value(), before);

    // Dragging the thumb to the top: while it moves, its value text follows its position.
    auto* speed = dynamic_cast<SpeedSlider*>(sld);
    ASSERT_NE(speed, nullptr);
    sld->setValue(5);
    EXPECT_EQ(speed->valueText(), QStringLiteral("1.0x"));
    const QPoint grip = speed->thumbRect().center();
    QTest::mousePress(sld, Qt::LeftButton, {}, grip);
    QStringList seenWhileDragging;
    for (int y = grip.y() - 4; y >= 0; y -= 4) {
        QMouseEvent move(QEvent::MouseMove, QPointF(grip.x(), y), sld->mapToGlobal(QPointF(grip.x(), y)),
                         Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(sld, &move);
        seenWhileDragging << speed->valueText();
    }
    QTest::mouseRelease(sld, Qt::LeftButton, {}, QPoint(grip.x(), 0));
    EXPECT_EQ(sld->value(), 1);
    EXPECT_EQ(speed->valueText(), QStringLiteral("3.0x"));
    EXPECT_EQ(sld->toolTip(), QStringLiteral("3.0x"));
    EXPECT_TRUE(seenWhileDragging.contains(QStringLiteral("2.0x"))) << qPrintable(seenWhileDragging.join(u' '));
    EXPECT_LT(speed->thumbRect().top(), grip.y()) << "the fastest speed stands at the top";

    const QLocale saved;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    sld->setValue(2);
    QLocale::setDefault(saved);
    EXPECT_EQ(sld->toolTip(), QStringLiteral("2,5x"));
    EXPECT_EQ(shown->text(), QStringLiteral("2,5x"));
}

TEST_F(Tools, SaveAsIsThereWithAViewAndLanguageOpensTheModalDialog)
{
    openClips({QStringLiteral("a.mkv")});
    ASSERT_TRUE(item("_File_SaveAs")->isEnabled());
    // Save as writes the focused view's present frame as a picture; a cancelled dialog writes none.
    const size_t asked = dialogs->fileRequests.size();
    item("_File_SaveAs")->trigger();
    ASSERT_EQ(dialogs->fileRequests.size(), asked + 1);
    EXPECT_TRUE(dialogs->fileRequests.back().save);
    EXPECT_EQ(dialogs->fileRequests.back().defaultExtension, QStringLiteral("png"));
    EXPECT_EQ(ctrl().numVws(), 1);
    EXPECT_TRUE(dialogs->messages.empty());

    frmMain* owner = window.get();
    MMain::setFormFactory(MMain::FrmLng, [owner] { return std::make_unique<frmLng>(owner); });
    QWidget* seen = nullptr;
    bool modal = false;
    QTimer::singleShot(0, [&] {
        seen = QApplication::activeModalWidget();
        modal = seen && seen->isModal();
        if (auto* dlg = qobject_cast<QDialog*>(seen))
            dlg->reject();
    });
    item("_File_Lng")->trigger();
    EXPECT_NE(qobject_cast<frmLng*>(seen), nullptr);
    EXPECT_TRUE(modal);
    EXPECT_EQ(seen ? seen->parentWidget() : nullptr, window.get());
    MMain::unloadForm(MMain::FrmLng);
    MMain::setFormFactory(MMain::FrmLng, nullptr);
}

// A tool button shows its hot picture (on a bluish highlight) while the mouse is over it.
TEST_F(Tools, AToolButtonShowsItsHotPictureUnderTheMouse)
{
    click("chkTbMainDraw");
    QToolButton* colour = button("chkTbDrawLineColor");
    ASSERT_TRUE(colour->isEnabled());
    const auto highlighted = [](const QImage& shot) {
        int count = 0;
        for (int y = 0; y < shot.height(); ++y)
            for (int x = 0; x < shot.width(); ++x) {
                const QColor c = shot.pixelColor(x, y);
                count += c.blue() - c.red() > 20;
            }
        return count;
    };
    const QImage away = colour->grab().toImage();
    QEnterEvent enter(QPointF(20, 20), QPointF(20, 20), colour->mapToGlobal(QPointF(20, 20)));
    QApplication::sendEvent(colour, &enter);
    const QImage over = colour->grab().toImage();
    EXPECT_GT(highlighted(over), highlighted(away) + 200);
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(colour, &leave);
    EXPECT_EQ(colour->grab().toImage(), away);
}

// A parameter dialog covers none of the views' play buttons, and opens again where the user
// last put it.
TEST_F(Tools, AParameterDialogLeavesThePlayButtonsFreeAndKeepsItsPlace)
{
    openClips({QStringLiteral("a.mkv"), QStringLiteral("b.mkv"), QStringLiteral("c.mkv"), QStringLiteral("d.mkv")});
    ASSERT_EQ(ctrl().numVws(), 4);
    for (const char* op : {"chkTbMainMix", "chkTbMainStrobo"}) {
        click(op);
        QWidget* dlg = ctrl().mixDialog() ? static_cast<QWidget*>(ctrl().mixDialog())
                                          : static_cast<QWidget*>(ctrl().stroboDialog());
        ASSERT_NE(dlg, nullptr) << op;
        ASSERT_TRUE(dlg->isVisible());
        for (int i = 0; i < ctrl().numVws(); ++i) {
            const QWidget* strip = ctrl().Vws(i)->timeLine().panel();
            if (strip->isVisible()) {
                EXPECT_FALSE(dlg->frameGeometry().intersects(QRect(strip->mapToGlobal(QPoint(0, 0)), strip->size())))
                    << op << " covers the time line of view " << i;
            }
        }
        const QPoint chosen = dlg->pos() + QPoint(-37, 23);
        dlg->move(chosen);
        click(op); // off
        click(op); // on again
        dlg = ctrl().mixDialog() ? static_cast<QWidget*>(ctrl().mixDialog()) : static_cast<QWidget*>(ctrl().stroboDialog());
        ASSERT_NE(dlg, nullptr);
        EXPECT_EQ(dlg->pos(), chosen) << op;
        click(op);
    }
    EXPECT_TRUE(dialogs->messages.empty());
}
