// What the keyboard does to the views: playing, stepping and marking on the focused view and
// the sources that move with it, as the time line's buttons and menu do.
#include "viewcontroller/CVwCtrl.h"

#include "app/M_Msg.h"
#include "timeline/CTL.h"
#include "view/CVw.h"

namespace {
// The view the moving and marking keys act on: the focused file view, while nothing plays.
CVw* keyTarget(const CVwCtrl& c)
{
    CVw* vw = c.Vws(c.m_VwIdxFocus);
    return vw && vw->isFile() && !c.m_IsVidOperating ? vw : nullptr;
}
} // namespace

void CVwCtrl::key_playPause(bool backwards) try {
    if (m_IsVidOperating)
        vidOp_do(false, false);
    else if (validIdx(m_VwIdxFocus))
        vidOp_startLater(false, backwards);
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CVwCtrl.key_playPause()"));
}

void CVwCtrl::key_stepFrames(int frames) try {
    CVw* vw = keyTarget(*this);
    if (!vw || vw->m_AviFrameRate <= 0)
        return;
    vidTimeInc(frames / vw->m_AviFrameRate, true);
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CVwCtrl.key_stepFrames()"));
}

void CVwCtrl::key_stepSeconds(double seconds) try {
    if (keyTarget(*this))
        vidTimeInc(seconds, true);
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CVwCtrl.key_stepSeconds()"));
}

void CVwCtrl::key_rangeBound(bool end) try {
    if (!keyTarget(*this))
        return;
    if (end)
        vidTimeGotoRangesMax(true);
    else
        vidTimeGotoRangesMin(true);
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CVwCtrl.key_rangeBound()"));
}

void CVwCtrl::key_keyframe() try {
    CVw* vw = keyTarget(*this);
    if (!vw)
        return;
    CTL& tl = vw->timeLine();
    if ((tl.ctxTL_flags() & CTL::CtxKeyframeSet) && vw->index_settle())
        tl.keyframe_set(tl.m_Time);
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CVwCtrl.key_keyframe()"));
}

void CVwCtrl::key_rangeEdgeHere(bool end) try {
    CVw* vw = keyTarget(*this);
    if (!vw)
        return;
    if (vw->index_settle())
        vw->timeLine().range_edgeToNow(end);
    if (m_VidOp != 0)
        vidOpOut_do();
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CVwCtrl.key_rangeEdgeHere()"));
}
