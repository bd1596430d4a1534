#pragma once

#include "timeline/C_HRCounter.h"
#include "util/M_Misc.h"

#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>
#include <vector>

class CVw;
class IMainWindowCallbacks;

// The set of views of the main window: one panel that holds them in a grid, the array of views
// (each knows its index as m_Idx), the active views, the selection with its sources of a video
// operation, and the focus. The main window owns one and calls preTerminate before releasing it.
class CVwCtrl {
public:
    static constexpr int kGap = 10;

    CVwCtrl();
    ~CVwCtrl();
    CVwCtrl(const CVwCtrl&) = delete;
    CVwCtrl& operator=(const CVwCtrl&) = delete;

    // Life cycle and placement. Without a container the panel sits in the main window itself.
    void ctrls_load(QWidget* frmParent, IMainWindowCallbacks* callbacks, QWidget* container = nullptr);
    void ctrls_unload();
    void preTerminate();
    void setXY(int x, int y);
    void setWH(int w, int h);
    void ctrls_visible(bool visible);
    void ctrls_resize();
    void ctrls_enable();
    QWidget* panel() const { return m_picPanel; }

    // The views.
    CVw* Vws(int idx) const;
    int numVws() const { return m_NumVws; }
    int numVwsSel() const;
    CVw* VwsSel(int k) const;
    int numVwsSrc() const;
    CVw* VwsSrc(int k) const;
    const M_Misc::SetLong& selection() const { return m_VwsSel; }
    const M_Misc::SetLong& sources() const { return m_VwsSrc; }

    // 1: only the active views, each with its time line; 0: all views without time lines.
    void VwCtrlMode(int mode);
    int VwCtrlMode() const { return m_VwCtrlMode; }

    bool vws_setNum(int n);
    void vw_load(int idx);
    bool vw_unload(int idx, bool bForce);
    void vws_unload();
    void vws_close();
    void vws_active(bool b);
    void vw_active(int idx, bool b);
    void vws_activeHideSrc();

    void vw_select(int idx, bool bKeepSelection, bool bKeepSelected);
    void vw_select_mouseDwn(int idx, int nMouseBtn, int nKeyMask);
    void vw_focus(int idx);

    void vws_setNumVwsXY();
    void vws_resize();

    // Opening files into new views, and moving the views in time.
    void vidLoadFiles();
    bool vws_vidLoadFile(const QString& sFileName, int nAviMode);
    void vidTimeGoto(double t, bool bAllSrcVws);
    void vidTimeInc(double dt, bool bAllSrcVws);
    void vidTimeGotoRangesMin(bool bAllSrcVws);
    void vidTimeGotoRangesMax(bool bAllSrcVws);

    // ---- Time line: its context menu and the synchronisation points of all source views.
    // Keeps the flags and pops the time line menu up; its entries act on the focused view.
    void ctxTL_show(int ctxTLFlags);
    int m_ctxTLFlags = 0;
    // True when a synchronisation point may be set now; tSync receives where it would stand.
    bool syncPt_checkNew(double& tSync);
    void syncPt_set();
    void syncPt_rm();
    void syncPt_rmAll();

private:
    // The time line menu: built on first use inside the panel, its entries keyed
    // "CVwCtrl_TL..." and enabled by the flag bits of the panel that asked for it.
    void m_mnuTL_load();
    void m_mnuTL_enable();
    // Carries out the entry with that key on the focused view's time line.
    void m_mnuTL_MenuClick(const QString& key);
    class CTL* focusedTL() const;
    QPointer<class QMenu> m_mnuTL;

public:
    // ---- end of time line

    // ---- Playback of the source views, and the repeat timer of held buttons.
    // Starts (bStart) or stops playback; bLoop repeats the ranges until stopped. Runs its loop on
    // the caller's stack and pumps the interface's events on every pass, so it is re-entered by
    // the play buttons, the selection and the closing of the window.
    void vidOp_do(bool bStart, bool bLoop);
    // Repeats an action while a button is held: 0 step back, 1 step forward, 2 zoom in,
    // 3 zoom out. The caller has done the first step; the timer repeats it after 200 ms.
    void m_timEvTrigger_start(int action, int button, int shift);
    void m_timEvTrigger_stop();
    void m_timEvTrigger_Timer();
    QTimer* timEvTrigger() const { return m_timEvTrigger; }
    // The playback clock, made with the controller.
    std::unique_ptr<C_HRCounter> m_Cntr = std::make_unique<C_HRCounter>();
    int m_timAction = 0;
    short m_timButton = 0;
    short m_timShift = 0;
    // Runs once per pass of the playback loop, after the views have moved and before events are
    // pumped; lets an observer follow the panels pass by pass.
    std::function<void()> m_vidPlay_onPass;
    // ---- end of playback

    // ---- Tool state set by the main window's tool bars and menu.
    // Sets the view action on every view, or 0 when that action was already chosen.
    void vws_setVwAction(int action);
    void DrwColor(const QColor& color);
    void LineWidth(int width);
    // Chooses a video operation (0 none, 1 mix, 2 split, 3 stroboscope); choosing the current
    // one again turns it off.
    void VidOp(int op);
    // ---- end of tool state

    // Read and set by the tool bars, the playback and the video operations.
    int m_NumVwsActive = 0;
    int m_NumVwsX = 0;
    int m_NumVwsY = 0;
    int m_VwIdxFocus = -1;
    int m_VwIdxOp = -1;
    int m_VidOp = 0;
    bool m_IsVidOperating = false;
    int m_VwAction = 0;
    QColor m_DrwColor{255, 255, 128};
    int m_LineWidth = 1;
    bool m_ShowMeasure = false;

private:
    void vars_init();
    void vars_free();
    void m_picPanel_load(QWidget* container);
    void m_picPanel_unload();
    void callCtrlsEnable();
    // The video operation is switched off and its output view removed.
    void vidOp_off();
    bool isVwActive(int idx) const;
    bool validIdx(int idx) const { return idx >= 0 && idx < m_NumVws; }
    QString idxText(int idx) const;
    template <typename Move>
    void vws_move(bool bAllSrcVws, Move move);

    int m_VwCtrlMode = 1;
    int m_NumVws = 0;
    QWidget* m_frmParent = nullptr;
    IMainWindowCallbacks* m_callbacks = nullptr;
    QPointer<QWidget> m_picPanel;
    std::vector<std::unique_ptr<CVw>> m_Vws{1}; // an empty array keeps one empty slot
    M_Misc::SetLong m_VwsSel;
    M_Misc::SetLong m_VwsSrc;
    bool m_PreTerm = false;

    // ---- Playback: the repeat timer's life, the speed and fit of the sources, and the liveness
    // of the controller.
    void m_timEvTrigger_load();
    void m_timEvTrigger_unload();
    // Tells a running playback loop that the controller is going away; ends the clock.
    void vidPlay_preTerminate();
    float vidSpeed() const;
    bool vidOp_srcFit() const;
    QPointer<QTimer> m_timEvTrigger;
    // Cleared when the controller is torn down; the playback loop keeps a copy, so it can tell
    // after pumping events that `this` is gone without reading freed memory.
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
    // ---- end of playback
};
