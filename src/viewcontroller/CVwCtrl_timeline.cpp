// The time line menu of the views and the synchronisation points that tie the source views
// together.
#include "viewcontroller/CVwCtrl.h"

#include "app/M_GUI.h"
#include "app/M_Msg.h"
#include "app/M_Rc.h"
#include "components/DialogService.h"
#include "graphics/M_OvGS.h"
#include "timeline/CTL.h"
#include "view/CVw.h"
#include "viewcontroller/CtxMenu.h"

#include <QAction>
#include <QCursor>
#include <QMenu>
#include <algorithm>

namespace {

constexpr int kStrKeyframe = 1082;
constexpr int kStrSyncPoint = 1320;
constexpr int kStrDelClock = 1334;
constexpr int kStrRange = 3223;
constexpr int kStrDeleteAll = 3226;
constexpr int kStrReset = 3240;
constexpr int kStrInsert = 3241;
constexpr int kStrDelete = 3242;
constexpr int kStrSet = 3243;

const QString kKey = CtxMenu::key("");

// An entry of the time line menu: its key suffix, string number and the flag bit that enables
// it (0: always enabled).
struct TLEntry {
    const char* suffix;
    int strNr;
    int flag;
};

QAction* addEntry(QMenu* menu, const TLEntry& e)
{
    QAction* a = CtxMenu::addEntry(menu, e.suffix, e.strNr);
    a->setProperty("ctxTLFlag", e.flag);
    return a;
}

using CtxMenu::addSubMenu;

} // namespace

CTL* CVwCtrl::focusedTL() const
{
    CVw* vw = Vws(m_VwIdxFocus);
    return vw ? &vw->timeLine() : nullptr;
}

// ---- synchronisation points ----

bool CVwCtrl::syncPt_checkNew(double& tSync) try {
    if (!M_Misc::setLong_isElem(m_VwsSrc, m_VwIdxFocus) || numVwsSrc() < 2)
        return false;
    // The view furthest along the shared axis fixes the shared instant.
    double t = 0;
    bool first = true;
    for (int k = 1; k <= numVwsSrc(); ++k) {
        if (CVw* vw = VwsSrc(k)) {
            t = first ? vw->timeLine().m_Time : std::max(t, vw->timeLine().m_Time);
            first = false;
        }
    }
    tSync = t;
    for (int k = 1; k <= numVwsSrc(); ++k) {
        CVw* vw = VwsSrc(k);
        if (!vw)
            return false;
        CTL& tl = vw->timeLine();
        const double tAdj = tl.time_adjust(tl.time_sync2vw(tl.m_Time));
        if (!tl.syncPt_checkNew(tSync, tAdj))
            return false;
    }
    return true;
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CVwCtrl.syncPt_checkNew()"));
    return false;
}

void CVwCtrl::syncPt_set() try {
    double tSync = 0;
    // The shared time line spans every view's whole length.
    if (!vws_indexComplete(true) || !syncPt_checkNew(tSync))
        return;
    // Every source view ties the frame it shows now to the shared instant. The view times are
    // taken before any view moves.
    std::vector<std::pair<CTL*, double>> points;
    for (int k = 1; k <= numVwsSrc(); ++k) {
        if (CVw* vw = VwsSrc(k)) {
            CTL& tl = vw->timeLine();
            points.emplace_back(&tl, tl.time_adjust(tl.time_sync2vw(tl.m_Time)));
        }
    }
    for (auto& [tl, tAdj] : points)
        tl->syncPt_set(tSync, tAdj);
    if (m_VidOp != 0)
        vidOpOut_do();
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CVwCtrl.syncPt_set()"));
}

void CVwCtrl::syncPt_rm() try {
    if (!validIdx(m_VwIdxFocus))
        return;
    if (!M_Misc::setLong_isElem(m_VwsSrc, m_VwIdxFocus))
        vw_select(m_VwIdxFocus, false, false);
    const int id = focusedTL()->m_idSelItem;
    for (int k = 1; k <= numVwsSrc(); ++k)
        if (CVw* vw = VwsSrc(k))
            vw->timeLine().syncPt_rm(id);
    if (m_VidOp != 0)
        vidOpOut_do();
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CVwCtrl.syncPt_rm()"));
}

void CVwCtrl::syncPt_rmAll() try {
    if (!validIdx(m_VwIdxFocus))
        return;
    if (!M_Misc::setLong_isElem(m_VwsSrc, m_VwIdxFocus))
        vw_select(m_VwIdxFocus, false, false);
    for (int k = 1; k <= numVwsSrc(); ++k)
        if (CVw* vw = VwsSrc(k))
            vw->timeLine().syncPt_rmAll();
    if (m_VidOp != 0)
        vidOpOut_do();
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CVwCtrl.syncPt_rmAll()"));
}

// ---- the time line menu ----

void CVwCtrl::m_mnuTL_load()
{
    if (m_mnuTL || !m_picPanel)
        return;
    auto* root = new QMenu(m_picPanel);
    root->setObjectName(kKey + QStringLiteral("_TL"));
    QMenu* range = addSubMenu(root, "_TL_Range", kStrRange);
    addEntry(range, {"_TL_Range_Insert", kStrInsert, CTL::CtxRangeInsert});
    addEntry(range, {"_TL_Range_Del", kStrDelete, CTL::CtxRangeDel});
    addEntry(range, {"_TL_Range_Reset", kStrReset, 0});
    QMenu* sync = addSubMenu(root, "_TL_SyncPt", kStrSyncPoint);
    addEntry(sync, {"_TL_SyncPt_Set", kStrSet, CTL::CtxSyncPtSet});
    addEntry(sync, {"_TL_SyncPt_Del", kStrDelete, CTL::CtxSyncPtDel});
    addEntry(sync, {"_TL_SyncPt_DelAll", kStrDeleteAll, CTL::CtxSyncPtDelAll});
    QMenu* key = addSubMenu(root, "_TL_Keyframe", kStrKeyframe);
    addEntry(key, {"_TL_Keyframe_Set", kStrSet, CTL::CtxKeyframeSet});
    addEntry(key, {"_TL_Keyframe_Del", kStrDelete, CTL::CtxKeyframeDel});
    addEntry(key, {"_TL_Keyframe_DelAll", kStrDeleteAll, CTL::CtxKeyframeDelAll});
    addEntry(root, {"_TL_Clock_Del", kStrDelClock, CTL::CtxClockDel});
    addEntry(root, {"_TL_Reset", kStrReset, 0});
    m_mnuTL = root;
}

// Each entry is enabled by its bit of the flags; the captions follow the current language.
void CVwCtrl::m_mnuTL_enable()
{
    M_GUI::mnu_setRcStr(m_mnuTL);
    for (QAction* a : m_mnuTL->findChildren<QAction*>()) {
        const QVariant flag = a->property("ctxTLFlag");
        if (flag.isValid())
            a->setEnabled(flag.toInt() == 0 || (m_ctxTLFlags & flag.toInt()) != 0);
    }
}

void CVwCtrl::ctxTL_show(int ctxTLFlags) try {
    m_ctxTLFlags = ctxTLFlags;
    m_mnuTL_load();
    if (!m_mnuTL)
        return;
    m_mnuTL_enable();
    QAction* chosen = DialogService::current().popupMenu(*m_mnuTL, QCursor::pos());
    if (chosen)
        m_mnuTL_MenuClick(chosen->objectName());
    callCtrlsEnable();
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CVwCtrl.ctxTL_show()"), QStringLiteral("ctxTLFlags = ") + QString::number(ctxTLFlags));
}

void CVwCtrl::m_mnuTL_MenuClick(const QString& key) try {
    CTL* tl = focusedTL();
    if (!tl)
        return;
    const auto is = [&key](const char* suffix) { return key == kKey + QLatin1String(suffix); };
    // A mark is tied to the frame shown: its number must be exact first.
    if ((is("_TL_Range_Insert") || is("_TL_Keyframe_Set")) && !Vws(m_VwIdxFocus)->index_settle())
        return;
    if (is("_TL_Range_Insert"))
        tl->range_add();
    else if (is("_TL_Range_Del"))
        tl->range_rm();
    else if (is("_TL_Range_Reset"))
        tl->range_reset();
    else if (is("_TL_SyncPt_Set"))
        syncPt_set();
    else if (is("_TL_SyncPt_Del"))
        syncPt_rm();
    else if (is("_TL_SyncPt_DelAll"))
        syncPt_rmAll();
    else if (is("_TL_Keyframe_Set"))
        tl->keyframe_set(tl->m_Time);
    else if (is("_TL_Keyframe_Del"))
        tl->keyframe_rm(tl->m_idSelItem);
    else if (is("_TL_Keyframe_DelAll"))
        tl->keyframe_rmAll();
    else if (is("_TL_Clock_Del"))
        Vws(m_VwIdxFocus)->graphObj_rmId(M_OvGS::kIdClock); // the marker and the picture's stopwatch
    else if (is("_TL_Reset"))
        tl->reset();
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CVwCtrl.m_mnuTL_MenuClick()"), key);
}
