// The twelve tool buttons of the drawing and measuring tool bars. The window keeps no tool of
// its own: a click hands the tool to the view controller, and every refresh reads the chosen
// tool back, which is what keeps at most one tool button pressed.
#include "mainwindow/frmMain.h"

#include "app/M_GUI.h"
#include "app/M_Msg.h"
#include "view/CVw.h"
#include "viewcontroller/CVwCtrl.h"

void frmMain::chkTool_connect(ToolCheckButton& chk)
{
    if (chk.button())
        connect(chk.button(), &QToolButton::toggled, this, [this, &chk] { chkTool_Click(chk); });
}

void frmMain::chkTool_Click(const ToolCheckButton& chk) try {
    if (M_GUI::programmaticChange())
        return;
    if (m_VwCtrl)
        m_VwCtrl->vws_setVwAction(chk.desc().vwAction);
    ctrls_enable(true);
} catch (...) {
    M_Msg::errMsg(chk.procName("Click"));
}

void frmMain::chkTool_enable(ToolCheckButton& chk, bool enable) try {
    const bool enabled = enable && m_VwCtrl && m_VwCtrl->m_VwIdxFocus >= 0;
    chk.enable(enabled);
    chk.press(enabled && m_VwCtrl->m_VwAction == chk.desc().vwAction);
} catch (...) {
    M_Msg::errMsg(chk.procName("enable"));
}
