// The main tool bar: open, view mode, the three video operations, the switches of the drawing
// and measuring tool bars, undo and erase; the speed slider closes it on the right.
#include "mainwindow/frmMain.h"

#include "app/M_GUI.h"
#include "app/M_Msg.h"
#include "mainwindow/SpeedSlider.h"
#include "view/CVw.h"
#include "view/TrajectoryTool.h"
#include "viewcontroller/CVwCtrl.h"

#include <QApplication>

#include <algorithm>
#include <utility>

namespace {
constexpr int kStrOpen = 1911;
constexpr int kStrSwitch = 3160;
constexpr int kStrSplit = 3158;
constexpr int kStrMix = 3159;
constexpr int kStrStrobo = 2500;
constexpr int kStrDraw = 1017;
constexpr int kStrMeasure = 3216;
constexpr int kStrRmLast = 1175;
constexpr int kStrRmAll = 1074;

constexpr int kVidOpMix = 1;
constexpr int kVidOpSplit = 2;
constexpr int kVidOpStrobo = 3;
} // namespace

void frmMain::tbMain_load() try {
    const QColor buttonFace = QApplication::palette().color(QPalette::Button);
    m_picBgTbMain = picBgTb_load("picBgTbMain", m_idPicBgTbMain, QRect(kTbMainLeft, kTbMainTop, 724, kTbMainHeight),
                                 buttonFace);
    using D = ToolCheckButton;
    const QString form = objectName();
    m_chkTbMainOpen.load(m_picBgTbMain, form, D::mainDesc("chkTbMainOpen", 0, "open", kStrOpen));
    m_chkTbMainSwitch.load(m_picBgTbMain, form, D::mainDesc("chkTbMainSwitch", 66, "switch", kStrSwitch));
    m_chkTbMainSplit.load(m_picBgTbMain, form, D::mainDesc("chkTbMainSplit", 132, "vidSplit", kStrSplit));
    m_chkTbMainMix.load(m_picBgTbMain, form, D::mainDesc("chkTbMainMix", 198, "vidMix", kStrMix));
    m_chkTbMainStrobo.load(m_picBgTbMain, form, D::mainDesc("chkTbMainStrobo", 264, "vidStrobo", kStrStrobo));
    m_chkTbMainDraw.load(m_picBgTbMain, form, D::mainDesc("chkTbMainDraw", 330, "draw", kStrDraw));
    m_chkTbMainMeasure.load(m_picBgTbMain, form, D::mainDesc("chkTbMainMeasure", 396, "measure", kStrMeasure));
    m_chkTbMainRmLast.load(m_picBgTbMain, form, D::mainDesc("chkTbMainRmLast", 462, "rmLast", kStrRmLast));
    m_chkTbMainRmAll.load(m_picBgTbMain, form, D::mainDesc("chkTbMainRmAll", 528, "rmAll", kStrRmAll));
    m_sldTbMainVidSpeed_load();

    // A user's click toggles the button before its handler runs; a change made from code runs
    // the handler too, which then sees the programmatic-change guard and does nothing.
    const auto connectClick = [this](ToolCheckButton& chk, void (frmMain::*click)()) {
        if (chk.button())
            connect(chk.button(), &QToolButton::toggled, this, [this, click] { (this->*click)(); });
    };
    connectClick(m_chkTbMainOpen, &frmMain::m_chkTbMainOpen_Click);
    connectClick(m_chkTbMainSwitch, &frmMain::m_chkTbMainSwitch_Click);
    connectClick(m_chkTbMainSplit, &frmMain::m_chkTbMainSplit_Click);
    connectClick(m_chkTbMainMix, &frmMain::m_chkTbMainMix_Click);
    connectClick(m_chkTbMainStrobo, &frmMain::m_chkTbMainStrobo_Click);
    connectClick(m_chkTbMainDraw, &frmMain::m_chkTbMainDraw_Click);
    connectClick(m_chkTbMainMeasure, &frmMain::m_chkTbMainMeasure_Click);
    connectClick(m_chkTbMainRmLast, &frmMain::m_chkTbMainRmLast_Click);
    connectClick(m_chkTbMainRmAll, &frmMain::m_chkTbMainRmAll_Click);
    picBgTb_fitContent(m_picBgTbMain);
} catch (...) {
    M_Msg::errMsg(QStringLiteral("frmMain.tbMain_load()"));
}

void frmMain::tbMain_unload() try {
    m_sldTbMainVidSpeed_unload();
    m_chkTbMainRmAll.unload(this);
    m_chkTbMainRmLast.unload(this);
    m_chkTbMainMeasure.unload(this);
    m_chkTbMainDraw.unload(this);
    m_chkTbMainStrobo.unload(this);
    m_chkTbMainMix.unload(this);
    m_chkTbMainSplit.unload(this);
    m_chkTbMainSwitch.unload(this);
    m_chkTbMainOpen.unload(this);
    ctrl_unload(m_idPicBgTbMain);
    m_picBgTbMain = nullptr;
} catch (...) {
    M_Msg::errMsg(QStringLiteral("frmMain.tbMain_unload()"));
}

bool frmMain::extraTbShown() const
{
    return (m_picBgTbDraw && !m_picBgTbDraw->isHidden()) || (m_picBgTbMeasure && !m_picBgTbMeasure->isHidden());
}

// Narrowed by the docked plots, the views still hold the tool bars: a bar moves left so that it
// does not cover the plots' title.
void frmMain::extraTb_place(int viewsRight)
{
    const std::pair<QWidget*, int> bars[] = {{m_picBgTbDraw, kTbDrawLeft}, {m_picBgTbMeasure, kTbMeasureLeft}};
    for (const auto& [bar, home] : bars)
        if (bar)
            bar->move(std::max(kTbMainLeft, std::min(home, viewsRight - bar->width())), bar->y());
}

void frmMain::tbMain_enable(bool enable) try {
    const bool live = m_VwCtrl && m_VwCtrl->VwCtrlMode() == 1;
    const int focus = m_VwCtrl ? m_VwCtrl->m_VwIdxFocus : -1;
    const int vidOp = m_VwCtrl ? m_VwCtrl->m_VidOp : 0;
    // Measuring needs live views and a focused one; without them its tool bar goes and the
    // button is released, before the other buttons look at which tool bars are shown.
    const bool measureOn = enable && live && focus >= 0;
    if (!measureOn) {
        if (m_picBgTbMeasure)
            m_picBgTbMeasure->hide();
        m_chkTbMainMeasure.press(false);
    }
    const bool barsFree = !extraTbShown();

    m_chkTbMainOpen.enable(enable && barsFree);
    m_chkTbMainOpen.press(false);

    // The switch keeps its look while disabled.
    m_chkTbMainSwitch.enable(enable && barsFree);
    if (m_VwCtrl)
        m_chkTbMainSwitch.press(m_VwCtrl->VwCtrlMode() == 0);

    const bool vidOpsOn = enable && live && barsFree;
    m_chkTbMainSplit.enable(vidOpsOn);
    m_chkTbMainSplit.press(vidOpsOn && vidOp == kVidOpSplit);
    m_chkTbMainMix.enable(vidOpsOn);
    m_chkTbMainMix.press(vidOpsOn && vidOp == kVidOpMix);
    m_chkTbMainStrobo.enable(vidOpsOn);
    m_chkTbMainStrobo.press(vidOpsOn && vidOp == kVidOpStrobo);

    // Draw keeps the state the user's click gave it, and its tool bar stays as it is.
    m_chkTbMainDraw.enable(enable && live);

    m_chkTbMainMeasure.enable(measureOn);

    const CVw* focused = m_VwCtrl ? m_VwCtrl->Vws(focus) : nullptr;
    const bool viewOn = enable && live && focused;
    // Undo stays on after the eraser emptied the view: it brings the drawings back.
    m_chkTbMainRmLast.enable(viewOn && focused->graphObj_canUndo());
    m_chkTbMainRmLast.press(false);
    m_chkTbMainRmAll.enable(viewOn && (focused->graphObj_count() >= 1 ||
                                        (focused->trajectories() && focused->trajectories()->overlay().count() > 0)));
    m_chkTbMainRmAll.press(false);

    m_sldTbMainVidSpeed_enable(enable);
} catch (...) {
    M_Msg::errMsg(QStringLiteral("frmMain.tbMain_enable()"));
}

void frmMain::m_chkTbMainOpen_Click() try {
    if (M_GUI::programmaticChange())
        return;
    if (m_VwCtrl)
        m_VwCtrl->vidLoadFiles();
    m_chkTbMainOpen.press(false);
    ctrls_enable(true);
} catch (...) {
    M_Msg::errMsg(QStringLiteral("frmMain.m_chkTbMainOpen_Click()"));
}

void frmMain::m_chkTbMainSwitch_Click() try {
    if (M_GUI::programmaticChange())
        return;
    if (m_VwCtrl)
        m_VwCtrl->VwCtrlMode(m_VwCtrl->VwCtrlMode() == 1 ? 0 : 1);
    ctrls_enable(true);
} catch (...) {
    M_Msg::errMsg(QStringLiteral("frmMain.m_chkTbMainSwitch_Click()"));
}

void frmMain::chkTbMainVidOp_Click(const ToolCheckButton& chk, int vidOp) try {
    if (M_GUI::programmaticChange())
        return;
    if (m_VwCtrl)
        m_VwCtrl->VidOp(vidOp);
    ctrls_enable(true);
} catch (...) {
    M_Msg::errMsg(chk.procName("Click"));
}

void frmMain::m_chkTbMainSplit_Click() { chkTbMainVidOp_Click(m_chkTbMainSplit, kVidOpSplit); }
void frmMain::m_chkTbMainMix_Click() { chkTbMainVidOp_Click(m_chkTbMainMix, kVidOpMix); }
void frmMain::m_chkTbMainStrobo_Click() { chkTbMainVidOp_Click(m_chkTbMainStrobo, kVidOpStrobo); }

void frmMain::extraTb_toggle(QWidget* bar, QWidget* otherBar, ToolCheckButton& otherChk)
{
    if (otherBar && !otherBar->isHidden()) {
        otherBar->hide();
        otherChk.press(false);
    }
    if (!bar)
        return;
    bar->setVisible(bar->isHidden());
    // Shown, the tool bar lies over the top edge of the view area, in front of the views.
    if (!bar->isHidden())
        bar->raise();
}

void frmMain::m_chkTbMainDraw_Click() try {
    if (M_GUI::programmaticChange())
        return;
    extraTb_toggle(m_picBgTbDraw, m_picBgTbMeasure, m_chkTbMainMeasure);
    ctrls_enable(true);
} catch (...) {
    M_Msg::errMsg(QStringLiteral("frmMain.m_chkTbMainDraw_Click()"));
}

void frmMain::m_chkTbMainMeasure_Click() try {
    if (M_GUI::programmaticChange())
        return;
    extraTb_toggle(m_picBgTbMeasure, m_picBgTbDraw, m_chkTbMainDraw);
    ctrls_enable(true);
} catch (...) {
    M_Msg::errMsg(QStringLiteral("frmMain.m_chkTbMainMeasure_Click()"));
}

void frmMain::chkTbMainRm_Click(ToolCheckButton& chk, bool all) try {
    if (M_GUI::programmaticChange())
        return;
    if (CVw* vw = focusedVw()) {
        if (all)
            vw->graphObj_rmAll();
        else
            vw->graphObj_rmLast();
    }
    chk.press(false);
    ctrls_enable(true);
} catch (...) {
    M_Msg::errMsg(chk.procName("Click"));
}

void frmMain::m_chkTbMainRmLast_Click() { chkTbMainRm_Click(m_chkTbMainRmLast, false); }
void frmMain::m_chkTbMainRmAll_Click() { chkTbMainRm_Click(m_chkTbMainRmAll, true); }
