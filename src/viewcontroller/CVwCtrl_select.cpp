// Selection, sources of a video operation and focus.
#include "viewcontroller/CVwCtrl.h"

#include "app/M_Msg.h"
#include "app/RtError.h"
#include "view/CVw.h"

namespace {
constexpr int kLeft = 1;
constexpr int kRight = 2;
constexpr int kCtrl = 2;
} // namespace

void CVwCtrl::vw_select(int idx, bool bKeepSelection, bool bKeepSelected) try {
    if (idx != -1 && !validIdx(idx))
        throw RtError(RtError::SubscriptOutOfRange);
    vw_selectSet(idx, bKeepSelection, bKeepSelected);
    callCtrlsEnable();

    // The chosen operation follows the new sources; a running playback stops when they no
    // longer fit it, and makes the output itself otherwise.
    if (m_VidOp != 0)
        vidOp_reset();
    if (m_IsVidOperating) {
        if (!vidOp_srcFit())
            m_IsVidOperating = false;
    } else if (m_VidOp != 0) {
        vidOpOut_do();
    }
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CVwCtrl.vw_select()"), idxText(idx));
}

void CVwCtrl::vw_selectSet(int idx, bool bKeepSelection, bool bKeepSelected)
{
    const auto add = [this](int i) {
        M_Misc::setLong_insertElem(m_VwsSel, i);
        CVw* vw = m_Vws[size_t(i)].get();
        vw->Selected(true);
        if (vw->isSrc())
            M_Misc::setLong_insertElem(m_VwsSrc, i);
    };
    if (!bKeepSelection) {
        for (int k = 1; k <= numVwsSel(); ++k)
            if (CVw* vw = VwsSel(k))
                vw->Selected(false);
        M_Misc::setLong_empty(m_VwsSel);
        M_Misc::setLong_empty(m_VwsSrc);
        if (idx != -1)
            add(idx);
    } else if (idx != -1) {
        if (!M_Misc::setLong_isElem(m_VwsSel, idx)) {
            add(idx);
        } else if (!bKeepSelected) {
            M_Misc::setLong_rmElem(m_VwsSel, idx);
            M_Misc::setLong_rmElem(m_VwsSrc, idx);
            m_Vws[size_t(idx)]->Selected(false);
        }
    }
}

void CVwCtrl::vw_select_mouseDwn(int idx, int nMouseBtn, int nKeyMask) try {
    if (!validIdx(idx))
        throw RtError(RtError::SubscriptOutOfRange);
    const bool isOpVw = idx == m_VwIdxOp;
    const bool ctrl = (nKeyMask & kCtrl) != 0;
    const bool selected = M_Misc::setLong_isElem(m_VwsSel, idx);
    if (ctrl) {
        if (nMouseBtn == kLeft)
            vw_select(idx, true, false); // toggle
        else if (nMouseBtn == kRight)
            vw_select(idx, true, true); // add, never remove
    } else if (nMouseBtn == kLeft || (nMouseBtn == kRight && !selected)) {
        // The output view of an operation joins or leaves the selection beside its sources.
        vw_select(idx, isOpVw, false);
    }
    // A right click on a selected view keeps the selection for the context menu.
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CVwCtrl.vw_select_mouseDwn()"), idxText(idx));
}

void CVwCtrl::vw_focus(int idx) try {
    if (idx != -1 && !validIdx(idx))
        throw RtError(RtError::SubscriptOutOfRange);
    if (idx != -1) {
        QWidget* panel = m_Vws[size_t(idx)]->panel();
        if (panel && panel->isVisible())
            panel->setFocus(Qt::OtherFocusReason);
    }
    if (idx == m_VwIdxFocus)
        return;
    if (validIdx(m_VwIdxFocus))
        m_Vws[size_t(m_VwIdxFocus)]->ctrls_focus(false);
    if (idx != -1)
        m_Vws[size_t(idx)]->ctrls_focus(true);
    m_VwIdxFocus = idx;
    callCtrlsEnable();
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CVwCtrl.vw_focus()"), idxText(idx));
}
