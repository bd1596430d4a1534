// The tool state that the main window's tool bars and menu set: the view action, the drawing
// colour and line width handed to every view, and the choice of a video operation.
#include "viewcontroller/CVwCtrl.h"

#include "app/M_Msg.h"
#include "view/CVw.h"

namespace {
// Whether a running playback may go on with these sources: exactly two for the mix, exactly one
// for the stroboscope, at least one for the split and when no operation is chosen.
bool srcFit(int op, int numSrc)
{
    switch (op) {
    case 1: return numSrc == 2;
    case 3: return numSrc == 1;
    default: return numSrc >= 1;
    }
}
} // namespace

void CVwCtrl::vws_setVwAction(int action) try {
    m_VwAction = action == m_VwAction ? 0 : action;
    for (int i = 0; i < m_NumVws; ++i)
        if (CVw* vw = Vws(i))
            vw->VwAction(m_VwAction);
    ctrls_enable();
    callCtrlsEnable();
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CVwCtrl.vws_setVwAction()"), QStringLiteral("action = ") + QString::number(action));
}

void CVwCtrl::DrwColor(const QColor& color) try {
    m_DrwColor = color;
    for (int i = 0; i < m_NumVws; ++i)
        if (CVw* vw = Vws(i))
            vw->m_DrwColor = color;
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CVwCtrl.Let.DrwColor()"));
}

void CVwCtrl::LineWidth(int width) try {
    m_LineWidth = width;
    for (int i = 0; i < m_NumVws; ++i)
        if (CVw* vw = Vws(i))
            vw->m_LineWidth = width;
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CVwCtrl.Let.LineWidth()"));
}

void CVwCtrl::VidOp(int op) try {
    if (m_VidOp == 0 && op == 0)
        return;
    // The parameter dialog of the mix or the stroboscope goes with the operation it belongs to;
    // the dialogs are released here once they exist.
    if (op == m_VidOp || op == 0) {
        vidOp_off(); // removes the operation view, shows the active views again and lays out
    } else {
        m_VidOp = op;
        // The operation view is added at the end of the array here (vws_setNum(m_NumVws + 1),
        // m_VwIdxOp = the new last index), set up for the present sources (vidOp_reset), laid out
        // and shown; then its first output is made (vidOpOut_do).
    }
    // A running playback ends when its sources no longer fit the operation now chosen.
    if (m_IsVidOperating && !srcFit(m_VidOp, numVwsSrc()))
        m_IsVidOperating = false;
    callCtrlsEnable();
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CVwCtrl.Let.VidOp()"), QStringLiteral("nVidOp = ") + QString::number(op));
}
