// The tool state that the main window's tool bars and menu set: the view action, the drawing
// colour and line width handed to every view.
#include "viewcontroller/CVwCtrl.h"

#include "app/M_Msg.h"
#include "view/CVw.h"

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
