#include "viewcontroller/CVwCtrl.h"

#include "components/analysis/AnalysisDoc.h"

#include "app/M_GUI.h"
#include "app/M_Msg.h"
#include "app/WaitCursor.h"
#include "components/mixer/OvVidMixAgent.h"
#include "components/mixer/OvVidMixer.h"
#include "components/writer/OvAVI.h"
#include "dialogs/frmPrpVidMix.h"
#include "dialogs/frmPrpVidStrobo.h"
#include "view/CVw.h"
#include "viewcontroller/IMainWindowCallbacks.h"

CVwCtrl::CVwCtrl() { vars_init(); }

CVwCtrl::~CVwCtrl()
{
    if (!m_PreTerm) {
        M_Msg::errMsg(QStringLiteral("CVwCtrl.Class_Terminate()"), QStringLiteral("m_PreTerm = False"));
        preTerminate();
    }
}

QString CVwCtrl::idxText(int idx) const { return QStringLiteral("idx = ") + QString::number(idx); }

void CVwCtrl::vars_init()
{
    m_VwCtrlMode = 1;
    m_NumVws = 0;
    m_VidOp = 0;
    m_VwIdxFocus = -1;
    m_VwIdxOp = -1;
    M_Misc::setLong_empty(m_VwsSel);
    M_Misc::setLong_empty(m_VwsSrc);
}

void CVwCtrl::vars_free()
{
    M_Misc::setLong_empty(m_VwsSel);
    M_Misc::setLong_empty(m_VwsSrc);
    vidOp_dialogsUnload();
    m_VidMixAgent.reset();
    m_VidMixer.reset();
}

void CVwCtrl::preTerminate() try {
    vws_unload();
    ctrls_unload();
    vars_free();
    vidPlay_preTerminate();
    m_PreTerm = true;
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CVwCtrl.preTerminate()"));
}

void CVwCtrl::ctrls_load(QWidget* frmParent, IMainWindowCallbacks* callbacks, QWidget* container) try {
    m_frmParent = frmParent;
    m_callbacks = callbacks;
    m_picPanel_load(container);
    m_timEvTrigger_load();
    m_ovAvi_load();
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CVwCtrl.ctrls_load()"));
}

void CVwCtrl::ctrls_unload() try {
    m_ovAvi_unload();
    m_timEvTrigger_unload();
    m_picPanel_unload();
    m_frmParent = nullptr;
    m_callbacks = nullptr;
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CVwCtrl.ctrls_unload()"));
}

void CVwCtrl::m_picPanel_load(QWidget* container)
{
    QWidget* parent = container ? container : m_frmParent;
    auto* panel = new QWidget(parent);
    panel->setObjectName(M_GUI::getId() + QStringLiteral("CVwCtrl") + QStringLiteral("_picPanel"));
    panel->setAutoFillBackground(true);
    if (parent)
        panel->setPalette(parent->palette());
    panel->show();
    m_picPanel = panel;
}

void CVwCtrl::m_picPanel_unload() { delete m_picPanel.data(); }

void CVwCtrl::setXY(int x, int y) try {
    m_picPanel->move(x, y);
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CVwCtrl.setXY()"));
}

void CVwCtrl::setWH(int w, int h) try {
    m_picPanel->resize(std::max(0, w), std::max(0, h));
    ctrls_resize();
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CVwCtrl.setWH()"));
}

void CVwCtrl::ctrls_visible(bool visible) try {
    m_picPanel->setVisible(visible);
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CVwCtrl.ctrls_visible()"));
}

void CVwCtrl::ctrls_resize() { vws_resize(); }

void CVwCtrl::ctrls_enable() try {
    if (m_picPanel)
        m_picPanel->setCursor(m_VwAction != 0 ? Qt::CrossCursor : Qt::ArrowCursor);
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CVwCtrl.ctrls_enable()"));
}

void CVwCtrl::callCtrlsEnable()
{
    if (m_callbacks)
        m_callbacks->ctrls_enable(true);
}

void CVwCtrl::status_changed()
{
    if (m_callbacks)
        m_callbacks->status_update();
}

CVw* CVwCtrl::Vws(int idx) const
{
    return validIdx(idx) ? m_Vws[size_t(idx)].get() : nullptr;
}

bool CVwCtrl::isVwActive(int idx) const
{
    const CVw* vw = Vws(idx);
    return vw && vw->m_VwCtrlMode == 1;
}

int CVwCtrl::numVwsSel() const { return M_Misc::setLong_numElems(m_VwsSel); }

CVw* CVwCtrl::VwsSel(int k) const try {
    return Vws(m_VwsSel.at(size_t(k)));
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CVwCtrl.Get.VwsSel()"), QStringLiteral("k = ") + QString::number(k));
    return nullptr;
}

int CVwCtrl::numVwsSrc() const { return M_Misc::setLong_numElems(m_VwsSrc); }

CVw* CVwCtrl::VwsSrc(int k) const try {
    return Vws(m_VwsSrc.at(size_t(k)));
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CVwCtrl.Get.VwsSrc()"), QStringLiteral("k = ") + QString::number(k));
    return nullptr;
}
