#pragma once

#include "timeline/C_HRCounter.h"
#include "util/M_Misc.h"

#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <map>
#include <memory>
#include <vector>

class CVw;
class IMainWindowCallbacks;
class OvAVI;
class OvVidMixAgent;
class OvVidMixer;
class MissingViewCard;
class frmPrpVidMix;
class frmPrpVidStrobo;
class QImage;
class QAction;
class QMenu;
namespace analysis {
struct Document;
struct View;
}

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
    // A view's frame or the pointer over it changed: the window's status bar follows.
    void status_changed();
    int numVws() const { return m_NumVws; }
    // Whether a file view shows the video at this path.
    bool vws_showsFile(const QString& path) const;
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
    // The view takes the whole grid above the others, or gives it back when it already does.
    void vw_enlarge(int idx);
    bool vw_isEnlarged(int idx) const;
    // The view whose cell holds the point of the panel, the enlarged one first; -1 for none.
    int vw_at(QPoint inPanel) const;
    // The file opens in a new view that takes the place of the view at idx, which goes with all
    // it holds; false, with the set as it was, when the file does not open or idx has no video.
    bool vw_replace(int idx, const QString& path);

    // Opening files into new views, and moving the views in time.
    void vidLoadFiles();
    // A new view for the file; `asSource` false keeps it out of the selection, so it never joins
    // a running operation (a copy just saved of the operation's output or of a source).
    bool vws_vidLoadFile(const QString& sFileName, int nAviMode, bool asSource = true);
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
    // Starts (bStart) or stops playback; bLoop repeats the ranges until stopped, bBackwards plays
    // them backwards. Runs its loop on the caller's stack and pumps the interface's events on
    // every pass, so it is re-entered by the play buttons, the selection and the closing of the
    // window.
    void vidOp_do(bool bStart, bool bLoop, bool bBackwards = false);
    void vidOp_startLater(bool bLoop, bool bBackwards = false);
    // The keyboard's commands on the focused view (and the sources that move with it).
    void key_playPause(bool backwards = false);
    void key_stepFrames(int frames);
    void key_stepSeconds(double seconds);
    void key_rangeBound(bool end);
    void key_keyframe();
    void key_rangeEdgeHere(bool end);
    void vidPlay_alignSynced();
    bool vws_closeAsked();
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
    // ---- end of playback

    // ---- Tool state set by the main window's tool bars and menu.
    // Sets the view action on every view, or 0 when that action was already chosen.
    void vws_setVwAction(int action);
    void DrwColor(const QColor& color);
    void LineWidth(int width);
    // Chooses a video operation (0 none, 1 mix, 2 split, 3 stroboscope); choosing the current
    // one again turns it off. A selection that does not fit it gives way to the views it plainly
    // needs, unless `keepSources` (an analysis restores its own).
    void VidOp(int op, bool keepSources = false);
    // ---- end of tool state

    // ---- The context menus of the views ("_Vw") and of their drawings ("_Graphics"), popped up
    // at the mouse; their entries act on the focused view or on every source view.
    void ctx_show(const QString& suffix);
    // The entry of the view or graphics menu with that key suffix (built on first use).
    QAction* mnuItem(const char* suffix) const;
    // Saving: the focused view's present frame to the clipboard or as a picture, and a view's
    // video as a new AVI file (the ranges of a file view, or an operation's output).
    void vw_copy2Clipboard();
    void vw_saveFrame();
    void vw_save(int idx, bool bSaveAs, bool bLoadSaved);
    // ---- end of context menus

    // ---- Analysis files: the work of all file views as plain data (the speed is the window's),
    // and back. Restoring closes every view without asking (the caller has asked), opens each
    // video (looked for beside the analysis, else the user is asked to locate it) and puts back
    // what was made on it. A video that stays missing gets a marked cell in the grid instead of a
    // view; its work is kept there and saved again with the analysis. Returns the names of the
    // missing videos.
    analysis::Document analysis_get() const;
    // Waits for every view's frames to be indexed (see CVw::index_complete); false when the user
    // stopped waiting.
    bool vws_indexComplete(bool cancellable);
    QStringList analysis_restore(const analysis::Document& doc, const QString& analysisPath);
    // The cells standing for videos that were missing when the analysis was opened; each keeps
    // the work made on its video until the video is located or the work let go.
    std::vector<MissingViewCard*> missingVws() const;

    // ---- Video operations: the output view of a mix, split or stroboscope of the sources, its
    // parameter dialogs, and writing it or a file view's ranges into AVI files.
    // Sets the output up again for the present sources: size, rate, mixer and dialog.
    void vidOp_reset();
    // The output view's hint of what to select, in the present language.
    void vidOp_hintUpdate();
    // Makes the output for the frames the sources show now.
    void vidOpOut_do();
    // Writes the operation view's output over the sources' ranges; false on failure or cancel.
    bool vw_saveVidOpVw(int idx, const QString& path);
    // Starts writing a file view's ranges into a new file; its completion arrives later.
    bool vw_saveFileVw(int idx, const QString& path);
    void m_frmPrpVidMix_params(int nBlendAlg, double nBlend, double nColor);
    void m_frmPrpVidMix_unload();
    void m_frmPrpVidStrobo_params(int nNumFraFill, int nThreshold);
    void m_frmPrpVidStrobo_unload();
    void m_ovAvi_AVIMergeCutDone(int code);
    frmPrpVidMix* mixDialog() const;
    frmPrpVidStrobo* stroboDialog() const;
    const OvVidMixAgent* vidMixAgent() const { return m_VidMixAgent.get(); }
    OvVidMixer* mixer() const { return m_VidMixer.get(); }
    OvAVI* aviComponent() const;
    // Shows or hides the open parameter dialog with the output view.
    void vidOp_dialogsVisible(bool visible);

    int m_VidOpMaxWidth = 1;
    int m_VidOpMaxHeight = 1;
    double m_VidOpMaxFraRate = 0;
    int m_SplitNumX = 0;
    int m_SplitNumY = 0;
    int m_SplitOffsetY = 0;
    int m_StroboNumFraFill = 1;
    int m_StroboThreshold = 10;
    bool m_StroboIs1stFra = true;
    bool m_StroboIndexWait = false; // while the reference waits for the source's index
    QString m_fileNameSaved;
    int m_aviModeSaved = 0;
    bool m_loadSaved = false;
    // Outputs made since the controller was created; the benchmarks read the live rate off it.
    // ---- end of video operations

    // Read and set by the tool bars, the playback and the video operations.
    int m_NumVwsActive = 0;
    int m_NumVwsX = 0;
    int m_NumVwsY = 0;
    int m_VwIdxFocus = -1;
    int m_VwIdxOp = -1;
    int m_VidOp = 0;
    bool m_IsVidOperating = false;
    int m_PlayDirection = 1; // of the playback running or last run: 1 forwards, -1 backwards
    int m_VwAction = 0;
    QColor m_DrwColor{255, 255, 128};
    int m_LineWidth = 1;
    bool m_ShowMeasure = false;

private:
    // The view a double click enlarged; null when the grid shows every view in its cell.
    const CVw* m_enlarged = nullptr;
    CVw* enlargedShown() const;
    // The view at `from` takes the place `to`; those between move up by one, in every set.
    void vw_move(int from, int to);
    void vars_init();
    void vars_free();
    void m_picPanel_load(QWidget* container);
    void m_picPanel_unload();
    void callCtrlsEnable();
    // The video operation is switched off and its output view removed.
    void vidOp_off();
    // The selection changed without the reactions of vw_select (the output, playback, controls).
    void vw_selectSet(int idx, bool bKeepSelection, bool bKeepSelected);
    // A chosen operation whose selection does not fit takes the views it plainly needs.
    void vidOp_pickSources();
    void m_mnuVw_load();
    void m_mnuVw_enable();
    void m_mnuVw_MenuClick(const QString& itemKey);
    void vws_each(const std::function<void(CVw&)>& change, bool reshapes);
    // The focused view's present frame as the user sees it, drawings and measurements included;
    // null when it has none.
    QImage vw_framePicture() const;
    QString vw_offer(const CVw* vw, const QString& tail) const;
    QPointer<QMenu> m_mnuVw;
    QPointer<QMenu> m_mnuGraphics;
    void m_VidMixer_init();
    void vidOp_dialogsUnload();
    void m_frmPrpVidMix_load();
    void m_frmPrpVidStrobo_load();
    void vidOp_placeDialog(QWidget* dialog);
    void vidOp_keepPlace(const QWidget* dialog);
    void m_ovAvi_load();
    void m_ovAvi_unload();
    // One output picture from one frame of each source: the present ones live, or the given
    // frame numbers when writing. The stroboscope keeps its picture in `out` between frames.
    void vidOpOut_mix(const std::vector<int>* frames, QImage& out);
    void vidOpOut_split(const std::vector<int>* frames, QImage& out);
    void vidOpOut_strobo(const std::vector<int>* frames, QImage& out);
    void vidOpOut_make(const std::vector<int>* frames, QImage& out);
    // The output picture of output frame i (from 0) of a write over the sources' frame lists.
    void vidOpOut_doSave(const std::vector<std::vector<int>>& lists, int i, QImage& out);
    // The source's frame (the present one, or frames[k-1]) drawn at 100 % into its picture; 32-bit
    // where `wide` and the frame is shown as decoded.
    const QImage& vidOp_srcPicture(int k, const std::vector<int>* frames, bool wide = false);
    CVw* opVw() const { return Vws(m_VwIdxOp); }
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

    std::vector<QPointer<MissingViewCard>> m_missingVws; // children of the panel
    QString m_analysisPath;                               // where missing videos are looked for
    void missing_add(const analysis::View& v);
    void missing_locate(MissingViewCard* card);
    void missing_remove(MissingViewCard* card);
    void missing_drop(MissingViewCard* card);
    int numMissing() const;
    // A video of the analysis that is not where it was: the user may locate it.
    QString analysis_locate(const analysis::View& v, const QString& analysisPath);
    // The open dialog for the video `name`, starting beside the analysis; empty when cancelled.
    QString locateDialog(const QString& name, const QString& analysisPath);

    std::unique_ptr<OvVidMixer> m_VidMixer;
    std::unique_ptr<OvVidMixAgent> m_VidMixAgent;
    QPointer<frmPrpVidMix> m_frmPrpVidMix;
    QPointer<frmPrpVidStrobo> m_frmPrpVidStrobo;
    // Where the user moved each parameter dialog to, by its object name; for this session only,
    // as the settings file holds nothing but the language.
    std::map<QString, QPoint> m_dialogPlaces;
    QPointer<OvAVI> m_ovAvi;
    std::unique_ptr<class WaitCursor> m_mergeCutWait; // held from a merge-cut's start to its end

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
