// The drawing tool bar: colour, line width and the six drawing tools. Hidden until the Draw
// button of the main tool bar shows it.
#include "mainwindow/frmMain.h"
#include "app/MMain.h"
#include "mainwindow/ToolSettings.h"

#include "app/M_GUI.h"
#include "app/M_Msg.h"
#include "util/M_Misc.h"
#include "view/CVw.h"
#include "viewcontroller/CVwCtrl.h"

#include <QCoreApplication>
#include <QPointer>

namespace {
constexpr int kStrLineColor = 1075;
constexpr int kStrLineWidth = 2100;
constexpr int kStrText = 1212;
constexpr int kStrFreehand = 1071;
constexpr int kStrLine = 1077;
constexpr int kStrRect = 1073;
constexpr int kStrCircle = 1072;
constexpr int kStrCross = 1194;

const QColor kExtraTbBack(218, 218, 218);
} // namespace

void frmMain::tbDraw_load() try {
    m_picBgTbDraw = picBgTb_load("picBgTbDraw", m_idPicBgTbDraw, QRect(kTbDrawLeft, kTbExtraTop, 724, 40), kExtraTbBack);
    using D = ToolCheckButton;
    const QString form = objectName();
    m_chkTbDrawLineColor.load(m_picBgTbDraw, form,
                              D::toolDesc("chkTbDrawLineColor", 0, "colorLine", kStrLineColor, 0));
    m_chkTbDrawLineWidth.load(m_picBgTbDraw, form,
                              D::toolDesc("chkTbDrawLineWidth", 40, "widthLine", kStrLineWidth, 0));
    m_mnuMain_ctx_load(QStringLiteral("LineWidth"));
    m_chkTbDrawText.load(m_picBgTbDraw, form, D::toolDesc("chkTbDrawText", 80, "text", kStrText, 5));
    m_chkTbDrawFreehand.load(m_picBgTbDraw, form,
                             D::toolDesc("chkTbDrawFreehand", 120, "freehand", kStrFreehand, 1, "freeHand_hot.ico"));
    m_chkTbDrawLine.load(m_picBgTbDraw, form, D::toolDesc("chkTbDrawLine", 160, "line", kStrLine, 2));
    m_chkTbDrawRect.load(m_picBgTbDraw, form, D::toolDesc("chkTbDrawRect", 200, "rect", kStrRect, 4));
    m_chkTbDrawCircle.load(m_picBgTbDraw, form, D::toolDesc("chkTbDrawCircle", 240, "circle", kStrCircle, 3));
    m_chkTbDrawCross.load(m_picBgTbDraw, form, D::toolDesc("chkTbDrawCross", 280, "cross", kStrCross, 6));

    if (m_chkTbDrawLineColor.button())
        connect(m_chkTbDrawLineColor.button(), &QToolButton::toggled, this, &frmMain::m_chkTbDrawLineColor_Click);
    if (m_chkTbDrawLineWidth.button())
        connect(m_chkTbDrawLineWidth.button(), &QToolButton::toggled, this, &frmMain::m_chkTbDrawLineWidth_Click);
    for (ToolCheckButton* chk : {&m_chkTbDrawText, &m_chkTbDrawFreehand, &m_chkTbDrawLine, &m_chkTbDrawRect,
                                 &m_chkTbDrawCircle, &m_chkTbDrawCross})
        chkTool_connect(*chk);
    picBgTb_fitContent(m_picBgTbDraw);
    m_picBgTbDraw->hide();
} catch (...) {
    M_Msg::errMsg(QStringLiteral("frmMain.tbDraw_load()"));
}

void frmMain::tbDraw_unload() try {
    m_chkTbDrawCross.unload(this);
    m_chkTbDrawCircle.unload(this);
    m_chkTbDrawRect.unload(this);
    m_chkTbDrawLine.unload(this);
    m_chkTbDrawFreehand.unload(this);
    m_chkTbDrawText.unload(this);
    m_chkTbDrawLineWidth.unload(this);
    m_chkTbDrawLineColor.unload(this);
    ctrl_unload(m_idPicBgTbDraw);
    m_picBgTbDraw = nullptr;
} catch (...) {
    M_Msg::errMsg(QStringLiteral("frmMain.tbDraw_unload()"));
}

void frmMain::tbDraw_enable(bool enable) try {
    m_chkTbDrawLineColor.enable(enable);
    m_chkTbDrawLineWidth.enable(enable);
    for (ToolCheckButton* chk : {&m_chkTbDrawText, &m_chkTbDrawFreehand, &m_chkTbDrawLine, &m_chkTbDrawRect,
                                 &m_chkTbDrawCircle, &m_chkTbDrawCross})
        chkTool_enable(*chk, enable);
} catch (...) {
    M_Msg::errMsg(QStringLiteral("frmMain.tbDraw_enable()"));
}

void frmMain::m_chkTbDrawLineColor_Click() try {
    if (M_GUI::programmaticChange() || !m_VwCtrl)
        return;
    // Cancelling gives the old colour back, which is simply set again.
    const QColor chosen = M_Misc::dlgColorSelect(this, m_VwCtrl->panel(), m_VwCtrl->m_DrwColor);
    m_VwCtrl->DrwColor(chosen);
    ToolSettings::remember({m_VwCtrl->m_DrwColor, m_VwCtrl->m_LineWidth}, MMain::iniFilePath());
    ctrls_enable(true);
    m_chkTbDrawLineColor.press(false);
} catch (...) {
    M_Msg::errMsg(QStringLiteral("frmMain.m_chkTbDrawLineColor_Click()"));
}

void frmMain::m_chkTbDrawLineWidth_Click() try {
    if (M_GUI::programmaticChange())
        return;
    const QPointer<frmMain> alive(this);
    m_mnuMain_ctx_show(QStringLiteral("LineWidth"));
    // The window may have been closed while the menu was open: then the program ends.
    if (!alive || m_unloaded) {
        QCoreApplication::quit();
        return;
    }
    m_chkTbDrawLineWidth.press(false);
    ctrls_enable(true);
} catch (...) {
    M_Msg::errMsg(QStringLiteral("frmMain.m_chkTbDrawLineWidth_Click()"));
}
