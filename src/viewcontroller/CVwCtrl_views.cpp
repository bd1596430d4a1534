// The view set: creating and removing views, the two modes, active and passive views, the grid.
#include "viewcontroller/CVwCtrl.h"
#include "viewcontroller/MissingViewCard.h"

#include "app/M_Msg.h"
#include "app/M_Rc.h"
#include "components/DialogService.h"
#include "app/WaitCursor.h"
#include "app/RtError.h"
#include "view/CVw.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr int kStrCloseWork = 3910;
} // namespace

bool CVwCtrl::vws_setNum(int n) try {
    if (n == m_NumVws || n < 0)
        return false;
    m_enlarged = nullptr; // a view that comes or goes is to be seen in the grid
    const int old = m_NumVws;
    for (int i = old - 1; i >= n; --i)
        vw_unload(i, false);
    // Views that refused to go stay; the array keeps them.
    const int kept = m_NumVws;
    m_Vws.resize(size_t(std::max(std::max(n, kept), 1)));
    for (int i = kept; i < n; ++i)
        vw_load(i);
    m_NumVws = std::max(n, kept);
    m_NumVwsActive += std::max(0, n - kept);
    vws_setNumVwsXY();
    return true;
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CVwCtrl.vws_setNum()"), QStringLiteral("n = ") + QString::number(n));
    return false;
}

void CVwCtrl::vw_load(int idx) try {
    if (idx < 0 || size_t(idx) >= m_Vws.size())
        throw RtError(RtError::SubscriptOutOfRange);
    auto vw = std::make_unique<CVw>();
    vw->ctrls_load(this, idx, m_callbacks, m_picPanel);
    vw->setEnabled(false);
    vw->m_VwAction = m_VwAction;
    vw->m_DrwColor = m_DrwColor;
    vw->m_LineWidth = m_LineWidth;
    vw->m_ShowMeasure = m_ShowMeasure;
    m_Vws[size_t(idx)] = std::move(vw);
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CVwCtrl.vw_load()"), idxText(idx));
}

bool CVwCtrl::vw_unload(int idx, bool bForce) try {
    if (!validIdx(idx))
        throw RtError(RtError::SubscriptOutOfRange);
    if (M_Misc::setLong_isElem(m_VwsSrc, idx) && m_VidOp != 0 && !bForce)
        return false;
    CVw* vw = m_Vws[size_t(idx)].get();
    if (vw->m_VwType == 2)
        m_VwIdxOp = -1;
    if (vw == m_enlarged)
        m_enlarged = nullptr;
    if (vw->m_VwCtrlMode == 1)
        --m_NumVwsActive;
    vw->preTerminate();
    // The view goes when the event loop next runs: it may be closing from inside one of its own
    // events (its context menu, its play button). The panel holds it until then.
    if (m_picPanel && !m_PreTerm) {
        CVw* gone = m_Vws[size_t(idx)].release();
        gone->setParent(m_picPanel);
        gone->deleteLater();
    } else {
        m_Vws[size_t(idx)].reset();
    }

    for (int i = idx; i < m_NumVws - 1; ++i) {
        m_Vws[size_t(i)] = std::move(m_Vws[size_t(i) + 1]);
        m_Vws[size_t(i)]->m_Idx = i;
    }
    m_Vws[size_t(m_NumVws) - 1].reset();
    --m_NumVws;

    if (m_NumVws > 0) {
        if (m_VwIdxFocus >= m_NumVws)
            m_VwIdxFocus = m_NumVws - 1;
        m_Vws.resize(size_t(m_NumVws));
        if (validIdx(m_VwIdxFocus))
            m_Vws[size_t(m_VwIdxFocus)]->ctrls_focus(true);
    } else {
        m_VwIdxFocus = -1;
        m_Vws.resize(1);
    }
    vws_setNumVwsXY();
    M_Misc::setLong_rmElemDecIdx(m_VwsSel, idx);
    M_Misc::setLong_rmElemDecIdx(m_VwsSrc, idx);
    if (idx < m_VwIdxOp)
        --m_VwIdxOp;
    return true;
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CVwCtrl.vw_unload()"), idxText(idx));
    return false;
}

void CVwCtrl::vws_unload() try {
    while (m_NumVws > 0)
        if (!vw_unload(0, true))
            break;
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CVwCtrl.vws_unload()"));
}

void CVwCtrl::vidOp_off() try {
    vidOp_dialogsUnload();
    m_VidOp = 0;
    if (validIdx(m_VwIdxOp))
        vw_unload(m_VwIdxOp, false);
    if (m_VwCtrlMode == 1)
        for (int i = 0; i < m_NumVws; ++i)
            if (isVwActive(i))
                m_Vws[size_t(i)]->ctrls_visible(true);
    ctrls_resize();
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CVwCtrl.vidOp_off()"));
}

void CVwCtrl::vws_close() try {
    if (numVwsSel() == 0 && validIdx(m_VwIdxFocus))
        vw_select(m_VwIdxFocus, false, false); // nothing selected: the focused view is the one meant
    if (numVwsSel() == 0)
        return;
    if (validIdx(m_VwIdxOp) && m_VwIdxOp == m_VwIdxFocus) {
        vidOp_off();
        callCtrlsEnable();
        return;
    }
    if (!vws_closeAsked())
        return;
    {
        WaitCursor wait;
        if (m_VwCtrlMode == 1)
            m_picPanel->hide();
        int k = 1;
        while (k <= numVwsSel()) {
            const int idx = m_VwsSel[size_t(k)];
            if (idx != m_VwIdxOp && vw_unload(idx, false))
                continue; // the set has shrunk: the same position holds the next view
            ++k;
        }
        if (m_VwCtrlMode == 1)
            m_picPanel->show();
    }
    ctrls_resize();
    callCtrlsEnable();
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CVwCtrl.vws_close()"));
}

// Closing loses what the user made in the views: ask first when any of them holds some.
bool CVwCtrl::vws_closeAsked()
{
    int withWork = 0;
    for (int k = 1; k <= numVwsSel(); ++k)
        if (const CVw* vw = Vws(m_VwsSel[size_t(k)]); vw && int(m_VwsSel[size_t(k)]) != m_VwIdxOp && vw->holdsWork())
            ++withWork;
    if (withWork == 0)
        return true;
    const QString text = M_Rc::getRcStr(kStrCloseWork);
    return M_Msg::msgUsr(text, MsgBox::YesNo | MsgBox::Question | MsgBox::DefaultButton2) == MsgBox::Yes;
}

void CVwCtrl::VwCtrlMode(int mode) try {
    if (mode == m_VwCtrlMode)
        return;
    m_VwCtrlMode = mode;
    vws_setNumVwsXY();
    m_picPanel->hide();
    for (int i = 0; i < m_NumVws; ++i) {
        CVw* vw = m_Vws[size_t(i)].get();
        if (mode == 1) {
            if (vw->m_VwCtrlMode == 1) {
                if (vw->m_VwType == 1) {
                    vw->timeLine().ctls_visible(true);
                    vw->ctrls_focus(vw->m_Focus);
                } else if (vw->m_VwType == 2) {
                    vw->ctrls_visible(true);
                }
            } else {
                vw->ctrls_visible(false);
            }
        } else {
            if (vw->m_VwType == 1) {
                vw->timeLine().ctls_visible(false);
                vw->ctrls_focus(vw->m_Focus);
                vw->ctrls_visible(true);
            } else if (vw->m_VwType == 2) {
                vw->ctrls_visible(false);
            }
        }
    }
    vidOp_dialogsVisible(mode == 1);
    ctrls_resize();
    m_picPanel->show();
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CVwCtrl.Let.VwCtrlMode()"));
}

void CVwCtrl::vw_active(int idx, bool b) try {
    CVw* vw = Vws(idx);
    if (!vw)
        throw RtError(RtError::SubscriptOutOfRange);
    const bool active = vw->m_VwCtrlMode == 1;
    if (b && !active) {
        vw->VwCtrlMode(1);
        vw_select(idx, true, false);
        vw_select(idx, true, true);
        ++m_NumVwsActive;
        vws_setNumVwsXY();
    } else if (!b && active) {
        vw_select(idx, true, false);
        vw->VwCtrlMode(0);
        --m_NumVwsActive;
        vws_setNumVwsXY();
        if (m_VwCtrlMode == 1) {
            vw->ctrls_visible(false);
            ctrls_resize();
        }
    }
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CVwCtrl.vw_active()"), idxText(idx));
}

void CVwCtrl::vws_active(bool b) try {
    if (numVwsSel() == 0)
        return;
    WaitCursor wait;
    const bool hidePanel = m_VwCtrlMode == 1 && !b;
    if (hidePanel)
        m_picPanel->hide();
    for (int k = numVwsSel(); k >= 1; --k) {
        const int idx = m_VwsSel[size_t(k)];
        if (Vws(idx) && Vws(idx)->m_VwType == 1)
            vw_active(idx, b);
    }
    if (hidePanel)
        m_picPanel->show();
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CVwCtrl.vws_active()"));
}

void CVwCtrl::vws_activeHideSrc() try {
    const int n = numVwsSrc();
    if (n == 0)
        return;
    WaitCursor wait;
    m_picPanel->hide();
    std::vector<CVw*> hidden;
    for (int k = n; k >= 1; --k) {
        CVw* vw = VwsSrc(k);
        vw->ctrls_visible(false);
        vw->m_VwCtrlMode = 0; // only the flag: the view keeps its live video, just not shown
        hidden.push_back(vw);
    }
    m_NumVwsActive -= n;
    vws_setNumVwsXY();
    ctrls_resize();
    for (CVw* vw : hidden)
        vw->m_VwCtrlMode = 1;
    m_NumVwsActive += n;
    vws_setNumVwsXY();
    m_picPanel->show();
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CVwCtrl.vws_activeHideSrc()"));
}

void CVwCtrl::vws_setNumVwsXY() try {
    int cells = m_VwCtrlMode == 1 ? m_NumVwsActive : (m_VidOp != 0 ? m_NumVws - 1 : m_NumVws);
    cells += numMissing();
    M_Misc::dimSqrXY(std::max(0, cells), m_NumVwsX, m_NumVwsY);
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CVwCtrl.vws_setNumVwsXY()"));
}

void CVwCtrl::vws_resize() try {
    const std::vector<MissingViewCard*> missing = missingVws();
    if (m_NumVwsX < 1 || m_NumVwsY < 1 || (missing.empty() && (m_NumVws == 0 || (m_VwCtrlMode == 1 && m_NumVwsActive == 0))))
        return;
    const int cellW = (m_picPanel->width() - kGap * (m_NumVwsX - 1)) / m_NumVwsX;
    const int cellH = (m_picPanel->height() - kGap * (m_NumVwsY - 1)) / m_NumVwsY;
    int x = 0;
    int y = 0;
    int placed = 0;
    const auto next = [&] {
        if (++placed % m_NumVwsX != 0) {
            x += cellW + kGap;
        } else {
            x = 0;
            y += cellH + kGap;
        }
    };
    for (int i = 0; i < m_NumVws; ++i) {
        CVw* vw = m_Vws[size_t(i)].get();
        if (m_VwCtrlMode == 1 && vw->m_VwCtrlMode != 1)
            continue;
        vw->setXYWH(x, y, cellW, cellH);
        next();
    }
    // Missing videos of the analysis take the cells after the views.
    for (MissingViewCard* card : missing) {
        card->setGeometry(x, y, cellW, cellH);
        next();
    }
    // The others keep their cells beneath, so zoom and offset are theirs again when it shrinks.
    if (CVw* big = enlargedShown()) {
        big->setXYWH(0, 0, m_picPanel->width(), m_picPanel->height());
        big->panel()->raise();
    }
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CVwCtrl.vws_resize()"));
}

CVw* CVwCtrl::enlargedShown() const
{
    for (int i = 0; i < m_NumVws; ++i) {
        CVw* vw = m_Vws[size_t(i)].get();
        if (vw == m_enlarged)
            return vw->panel()->isHidden() ? nullptr : vw;
    }
    return nullptr;
}

bool CVwCtrl::vw_isEnlarged(int idx) const { return validIdx(idx) && enlargedShown() == m_Vws[size_t(idx)].get(); }

int CVwCtrl::vw_at(QPoint inPanel) const
{
    if (const CVw* big = enlargedShown(); big && big->panel()->geometry().contains(inPanel))
        return big->m_Idx;
    for (int i = 0; i < m_NumVws; ++i) {
        const QWidget* panel = m_Vws[size_t(i)]->panel();
        if (!panel->isHidden() && panel->geometry().contains(inPanel))
            return i;
    }
    return -1;
}

void CVwCtrl::vw_move(int from, int to)
{
    if (!validIdx(from) || !validIdx(to) || from == to)
        return;
    const auto moved = [from, to](int i) {
        if (i == from)
            return to;
        if (from > to && i >= to && i < from)
            return i + 1;
        if (from < to && i > from && i <= to)
            return i - 1;
        return i;
    };
    const auto first = m_Vws.begin();
    if (from > to)
        std::rotate(first + to, first + from, first + from + 1);
    else
        std::rotate(first + from, first + from + 1, first + to + 1);
    for (int i = 0; i < m_NumVws; ++i)
        m_Vws[size_t(i)]->m_Idx = i;
    for (M_Misc::SetLong* set : {&m_VwsSel, &m_VwsSrc}) {
        for (size_t k = 1; k < set->size(); ++k)
            (*set)[k] = moved((*set)[k]);
        std::sort(set->begin() + 1, set->end());
    }
    if (validIdx(m_VwIdxFocus))
        m_VwIdxFocus = moved(m_VwIdxFocus);
    if (validIdx(m_VwIdxOp))
        m_VwIdxOp = moved(m_VwIdxOp);
}

bool CVwCtrl::vw_replace(int idx, const QString& path) try {
    const CVw* old = Vws(idx);
    if (!old || old->m_VwType != 1)
        return false;
    vidOp_do(false, false);
    const bool source = M_Misc::setLong_isElem(m_VwsSrc, idx);
    const bool enlarged = vw_isEnlarged(idx);
    if (!vws_vidLoadFile(path, 1, source))
        return false;
    vw_unload(idx, true);
    vw_move(m_NumVws - 1, idx);
    vw_focus(idx);
    if (enlarged)
        m_enlarged = m_Vws[size_t(idx)].get();
    ctrls_resize();
    callCtrlsEnable();
    return true;
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CVwCtrl.vw_replace()"), path);
    return false;
}

void CVwCtrl::vw_enlarge(int idx) try {
    if (!validIdx(idx))
        throw RtError(RtError::SubscriptOutOfRange);
    m_enlarged = vw_isEnlarged(idx) ? nullptr : m_Vws[size_t(idx)].get();
    vws_resize();
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CVwCtrl.vw_enlarge()"), idxText(idx));
}
