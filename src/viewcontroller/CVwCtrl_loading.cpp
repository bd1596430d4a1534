// Opening video files into new views and moving the views' time lines.
#include "viewcontroller/CVwCtrl.h"

#include "app/M_File.h"
#include "app/M_Msg.h"
#include "app/M_Rc.h"
#include "app/WaitCursor.h"
#include "timeline/CTL.h"
#include "view/CVw.h"
#include "viewcontroller/IMainWindowCallbacks.h"

#include <QDir>

namespace {
constexpr int kStrOpenFilter = 1027;
constexpr int kOpenMultiSelect = 0x200;
} // namespace

void CVwCtrl::vidLoadFiles() try {
    const QString answer = M_File::dlgFileOpen(m_frmParent, m_picPanel, QString(), QString(),
                                               M_Rc::getRcStr(kStrOpenFilter), kOpenMultiSelect);
    if (answer.isEmpty())
        return;
    const QStringList parts = answer.split(QChar(u'\0'));
    QStringList paths;
    const QDir folder(parts.front());
    for (qsizetype i = 1; i < parts.size(); ++i)
        paths << folder.filePath(parts[i]);
    if (parts.size() == 1)
        paths << parts.front();
    if (m_callbacks && m_callbacks->files_open(paths))
        return;
    const WaitCursor busy;
    for (const QString& path : paths)
        vws_vidLoadFile(path, 1);
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CVwCtrl.vidLoadFiles()"));
}

bool CVwCtrl::vws_vidLoadFile(const QString& sFileName, int nAviMode, bool asSource) try {
    if (!vws_setNum(m_NumVws + 1))
        return false;
    const int idx = m_NumVws - 1;
    CVw* vw = Vws(idx);
    if (!vw || !vw->vidLoadFile(sFileName, nAviMode, -1, -1, -1)) {
        // The view has told the user why; the empty view goes again.
        vws_setNum(m_NumVws - 1);
        ctrls_resize();
        return false;
    }
    ctrls_resize();
    vw->ctrls_visible(true);
    if (asSource) {
        vw_focus(idx);
        vw_select(idx, true, false);
    }
    return true;
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CVwCtrl.vws_vidLoadFile()"), sFileName);
    return false;
}

// Which views move: the sources, or only the focused view; a focused view that is not selected
// first becomes the only selected one.
template <typename Move>
void CVwCtrl::vws_move(bool bAllSrcVws, Move move)
{
    if (!validIdx(m_VwIdxFocus))
        return;
    if (!M_Misc::setLong_isElem(m_VwsSel, m_VwIdxFocus))
        vw_select(m_VwIdxFocus, false, false);
    if (bAllSrcVws) {
        for (int k = 1; k <= numVwsSrc(); ++k)
            if (CVw* vw = VwsSrc(k))
                move(vw->timeLine());
    } else if (CVw* vw = Vws(m_VwIdxFocus)) {
        move(vw->timeLine());
    }
    if (m_VidOp != 0)
        vidOpOut_do();
}

void CVwCtrl::vidTimeGoto(double t, bool bAllSrcVws) try {
    vws_move(bAllSrcVws, [t](CTL& tl) { tl.time_goto(t); });
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CVwCtrl.vidTimeGoto()"));
}

void CVwCtrl::vidTimeInc(double dt, bool bAllSrcVws) try {
    vws_move(bAllSrcVws, [dt](CTL& tl) { tl.time_inc(dt); });
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CVwCtrl.vidTimeInc()"));
}

void CVwCtrl::vidTimeGotoRangesMin(bool bAllSrcVws) try {
    vws_move(bAllSrcVws, [](CTL& tl) { tl.time_goto(tl.m_TimeRangesMin); });
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CVwCtrl.vidTimeGotoRangesMin()"));
}

void CVwCtrl::vidTimeGotoRangesMax(bool bAllSrcVws) try {
    vws_move(bAllSrcVws, [](CTL& tl) { tl.time_goto(tl.m_TimeRangesMax); });
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CVwCtrl.vidTimeGotoRangesMax()"));
}
