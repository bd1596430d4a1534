// What the panel does with the events of its strip, the caption of the strip's band and the
// flags of the time line menu.
#include "timeline/CTL.h"

#include "app/M_Msg.h"
#include "app/M_Rc.h"
#include "components/viewer/OvVView.h"
#include "util/M_Misc.h"
#include "view/CVw.h"
#include "viewcontroller/CVwCtrl.h"


namespace {
constexpr int kStrFrame = 1006;
constexpr int kStrTime = 1020;
} // namespace

// ---- band caption ----

QString CTL::timeText(double t)
{
    return M_Misc::localNumber(t, 3);
}

void CTL::setStripTime(double t)
{
    if (m_ovTL)
        m_ovTL->setCurrentTime(t);
}

void CTL::setBandCaption(const QString& caption)
{
    if (m_ovTL)
        m_ovTL->setBandCaption(0, caption);
}

// The words come in English when the language needs Unicode: the band's font may lack them.
QString CTL::ovTLBand_captionTF(double t, int fraNr) try {
    // A number beyond the part of the file indexed so far is provisional.
    const bool approx = m_Vw && m_Vw->viewer() && m_Vw->viewer()->source().isProvisional(fraNr);
    return M_Rc::getRcStr(kStrTime, false) + QLatin1Char(' ') + timeText(t) + QStringLiteral("     ") +
           M_Rc::getRcStr(kStrFrame, false) + QLatin1Char(' ') + (approx ? QStringLiteral("\u2248") : QString()) +
           QString::number(fraNr);
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CTL.ovTLBand_captionTF()"));
    return {};
}

QString CTL::ovTLBand_captionF(int fraNr) try {
    return ovTLBand_captionTF(fraNr2time(fraNr), fraNr);
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CTL.ovTLBand_captionF()"));
    return {};
}

QString CTL::ovTLBand_captionT(double t) try {
    return ovTLBand_captionTF(t, time2fraNr(t));
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CTL.ovTLBand_captionT()"));
    return {};
}

// ---- menu flags ----

int CTL::ctxTL_flags() try {
    int flags = 0;
    if (m_NumClocks > 0)
        flags |= CtxClockDel;
    int fraNr = 0;
    if (keyframe_checkNew(m_Time, fraNr) && m_NumKeyFrames < kMaxEntries)
        flags |= CtxKeyframeSet;
    if (m_NumKeyFrames > 0 && keyframe_isId(m_idSelItem))
        flags |= CtxKeyframeDel;
    if (m_NumKeyFrames > 0)
        flags |= CtxKeyframeDelAll;
    if (float(m_TimeMax) > float(m_TimeRangesMax)) // as the strip holds them
        flags |= CtxRangeInsert;
    if (range_isId(m_idSelItem) && m_NumRanges > 1)
        flags |= CtxRangeDel;
    CVwCtrl* ctrl = vwCtrl();
    double tSync = 0;
    if (m_NumSyncPts < kMaxEntries && ctrl && ctrl->numVwsSel() > 1 && ctrl->syncPt_checkNew(tSync))
        flags |= CtxSyncPtSet;
    if (m_NumSyncPts > 0 && syncPt_isId(m_idSelItem))
        flags |= CtxSyncPtDel;
    if (m_NumSyncPts > 0)
        flags |= CtxSyncPtDelAll;
    return flags;
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CTL.ctxTL_flags()"));
    return 0;
}

// ---- strip events ----

void CTL::m_ovTL_TimeChanged(float t) try {
    if (t == OvTimeLine::NoTime || !m_initialised)
        return;
    vw_focus();
    const double ts = time_adjust(M_Misc::s2d(t));
    if (CVwCtrl* ctrl = vwCtrl())
        ctrl->vidTimeGoto(ts, true); // all source views follow
    else
        time_goto(ts);
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CTL.m_ovTL_TimeChanged()"));
}

void CTL::m_ovTL_BandClicked(int, int, int, int code) try {
    if (!m_initialised || isPlaying())
        return;
    vw_focus();
    if (code == OvTimeLine::FlagContextMenu && vwCtrl())
        vwCtrl()->ctxTL_show(ctxTL_flags());
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CTL.m_ovTL_BandClicked()"));
}

void CTL::m_ovTL_ItemClicked(int, int item, int flags, float t) try {
    if (!m_initialised || isPlaying() || t == OvTimeLine::NoTime)
        return;
    vw_focus();
    m_idSelItem = item;
    if (flags & OvTimeLine::FlagGotoTime) {
        if (vwCtrl())
            vwCtrl()->vidTimeGoto(time_adjust(M_Misc::s2d(t)), true);
    } else if ((flags & OvTimeLine::FlagContextMenu) && vwCtrl()) {
        vwCtrl()->ctxTL_show(ctxTL_flags());
    }
    m_idSelItem = -1;
} catch (...) {
    m_idSelItem = -1;
    M_Msg::errMsg(QStringLiteral("CTL.m_ovTL_ItemClicked()"));
}

// Only keyframes follow a drag; the other items stay where their owners put them.
void CTL::m_ovTL_ItemChanged(int, int item, int, float t) try {
    if (!m_initialised || t == OvTimeLine::NoTime)
        return;
    vw_focus();
    m_idSelItem = item;
    if (keyframe_isId(item) && item - kIdKeyframe0 < m_NumKeyFrames) {
        double ts = time_adjust(M_Misc::s2d(t));
        int fraNr = time2fraNr(ts);
        // A keyframe is a number: dropped beyond the part of the file indexed so far, the view
        // goes to the picture there and waits for its exact number (cancelled: the estimate stays).
        if (m_ovTL && !m_ovTL->dragging() && m_Vw && m_Vw->viewer() && m_Vw->viewer()->source().isProvisional(fraNr)) {
            fra_goto(fraNr);
            if (m_Vw->index_settle()) {
                fraNr = m_Vw->viewer()->currentFrame();
                ts = fraNr2time(fraNr);
            }
        }
        m_KeyFrames.at(size_t(item - kIdKeyframe0 + 1)) = fraNr;
        if (m_ovTL) {
            m_ovTL->setItemTime(item, ts);
            m_ovTL->setItemCaption(item, keyframe_captionTF(ts, fraNr));
        }
    }
    m_idSelItem = -1;
} catch (...) {
    m_idSelItem = -1;
    M_Msg::errMsg(QStringLiteral("CTL.m_ovTL_ItemChanged()"));
}

void CTL::m_ovTL_RangeChanged(int, int range, int part, float tStart, float tEnd, int flags) try {
    if (!m_initialised || tStart == OvTimeLine::NoTime || tEnd == OvTimeLine::NoTime || !range_isId(range) ||
        range - kIdRange0 >= m_NumRanges)
        return;
    m_idSelItem = range; // stays: the range is the one the user works on
    const int idx = range - kIdRange0 + 1;
    range_edit(idx, part, M_Misc::s2d(tStart), M_Misc::s2d(tEnd));
    const Range& r = m_Ranges.at(size_t(idx));
    if (flags & (OvTimeLine::FlagDragEdge | OvTimeLine::FlagDragWhole)) {
        // While dragging the view shows the frame at the moving edge.
        const double edge = part == OvTimeLine::PartEnd ? r.tEnd : r.tStart;
        if (m_Vw)
            m_Vw->vidShowFra(time2fraNr(edge));
        setBandCaption(ovTLBand_captionT(edge));
    }
    if (flags & OvTimeLine::FlagDragDone) {
        if (m_Vw)
            m_Vw->vidShowFra(time2fraNr(m_Time));
        setBandCaption(ovTLBand_captionT(m_Time));
    }
    if (isPlaying() && rangeIdx_now(m_Time) < 0)
        m_Vw->m_IsVidPlaying = false;
    refresh();
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CTL.m_ovTL_RangeChanged()"));
}

void CTL::m_ovTL_RangeClicked(int, int range, int, int, float t) try {
    CVwCtrl* ctrl = vwCtrl();
    if (!ctrl || ctrl->m_IsVidOperating || isPlaying() || !m_initialised || t == OvTimeLine::NoTime)
        return;
    vw_focus(); // the menu acts on the focused view
    m_idSelItem = range;
    ctrl->ctxTL_show(ctxTL_flags());
    m_idSelItem = -1;
} catch (...) {
    m_idSelItem = -1;
    M_Msg::errMsg(QStringLiteral("CTL.m_ovTL_RangeClicked()"));
}
