#pragma once

#include "app/Form.h"
#include "mainwindow/ToolCheckButton.h"
#include "viewcontroller/IMainWindowCallbacks.h"

#include <QCursor>
#include <QPointer>
#include <QStringList>
#include <QWidget>
#include <functional>
#include <memory>

class CVw;
class CVwCtrl;
class QAction;
class QKeySequence;
class QFrame;
class QLabel;
class QMenu;
class QMenuBar;
class SpeedSlider;
class AnalysisRecovery;
class RecentFiles;
class QTimer;
class TrajectoryPlots;
class StatusLine;
namespace analysis {
struct Document;
}

// The program's single main window: the menu bar, two white separator lines, the main tool bar
// with the speed slider, the drawing and measuring tool bars, the maker's logo and the view
// controller with all views. Its controls are created at run time in that order and removed in
// the reverse order; closing asks the user first. No button keeps a state of its own: after every
// change ctrls_enable reads the enabled and pressed states back from the view controller.
class frmMain : public QWidget, public Form, public IMainWindowCallbacks {
    Q_OBJECT
public:
    // The maker's web address: the logo's tooltip and the target of a click on it.
    static constexpr const char* kMakerUrl = "https://www.ovra.example";
    // Fixed geometry of the client area: the top line at y = 2, 3 pixels thick; the main tool
    // bar 3 pixels below it; the extra tool bars and the view area 3 pixels below the main one.
    static constexpr int kLinTopY = 2;
    static constexpr int kLinThickness = 3;
    static constexpr int kTbMainLeft = 5;
    static constexpr int kTbMainTop = kLinTopY + kLinThickness + 3;
    static constexpr int kTbMainHeight = 66;
    static constexpr int kTbExtraTop = kTbMainTop + kTbMainHeight + 3;
    // Where the draw and measure tool bars stand when the views leave them room.
    static constexpr int kTbDrawLeft = 229;
    static constexpr int kTbMeasureLeft = 334;

    explicit frmMain(QWidget* parent = nullptr);
    ~frmMain() override;

    void ctrls_setRcStr() override;
    // The plots of the views' trajectories, made at first use.
    void plots_show() override;
    void trajectories_changed() override;
    TrajectoryPlots* plots() const;
    void playback_pass() override { status_update(); }
    void status_update() override;
    StatusLine* statusLine() const;
    // The view with the focus, or null.
    CVw* focusedVw() const;
    void ctrls_resize() override;
    void ctrls_editRcStr() {}
    void ctrls_enable(bool enable = true) override;
    float m_sldTbMainVidSpeed_valScale() override;
    // Refreshes and pops up the pop-up menu "_" + name at the mouse; returns when it has closed.
    void m_mnuMain_ctx_show(const QString& name);

    CVwCtrl* vwCtrl() const { return m_VwCtrl.get(); }
    // Opens each file as if chosen in the open dialog: an analysis in place of the views, a
    // video into a new view (offering the analysis beside it, if there is one). A video a view
    // shows already (the work just recovered holds it, say) is not opened a second time.
    void openFiles(const QStringList& paths);
    bool files_open(const QStringList& paths) override;

    // ---- Analysis files (frmMain_analysis.cpp)
    // Opens the analysis in place of the views after asking to save the present one; false
    // (and the views as they were) when it is declined or cannot be read.
    bool analysis_open(const QString& path);
    // Saves to the analysis's file, or asks for one (as); false when cancelled or failed.
    bool analysis_save(bool as);
    // The file of the analysis shown (empty while untitled), and whether it has unsaved work.
    QString analysisPath() const { return m_analysisPath; }
    bool analysis_modified();
    // Offers the copy that a program which did not end properly left behind.
    void analysis_offerRecovery();
    // Looks for changes now: the title's mark, and a recovery copy when due.
    void analysis_check();
    // The speed slider moved to the step nearest the factor.
    void m_sldTbMainVidSpeed_setScale(double factor);

    bool loaded() const { return m_loaded; }
    int layoutW() const { return m_layoutW; }
    int layoutH() const { return m_layoutH; }
    // The area below the menu bar in which all other controls lie.
    QWidget* client() const { return m_client; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    // ---- Life cycle and layout (frmMain.cpp)
    void Form_Load();
    // True when the closing may go on; asks the user unless the session is ending.
    bool Form_QueryUnload();
    void Form_Unload();
    void Form_Resize();
    void vars_init();
    void vars_free() {}
    void ctrls_load();
    void ctrls_unload();
    // The menu bar on top and the client area below it follow the window's size.
    void client_place();
    // Removes the run-time control of that identity, if it was made, and forgets the identity.
    void ctrl_unload(QString& id);
    QFrame* lin_load(const char* role, QString& id);
    void m_linTop_load();
    void m_linTop_unload();
    void m_linTop_resize();
    void m_linBtm_load();
    void m_linBtm_unload();
    void m_linBtm_resize();
    void m_VwCtrl_load();
    void m_VwCtrl_unload();
    void m_VwCtrl_resize();
    void m_VwCtrl_setRcStr();
    // A tool bar's panel, made at run time; shrunk to its content once its buttons exist.
    QWidget* picBgTb_load(const char* role, QString& id, QRect geometry, const QColor& back);
    void picBgTb_fitContent(QWidget* bar);

    // ---- Logo (frmMain_logo.cpp)
    void m_picCmpyLogo_load();
    void m_picCmpyLogo_unload();
    void m_picCmpyLogo_resize();
    void m_picCmpyLogo_Click();

    // ---- Main tool bar (frmMain_tbMain.cpp)
    void tbMain_load();
    void tbMain_unload();
    void tbMain_enable(bool enable);
    void m_chkTbMainOpen_Click();
    void m_chkTbMainSwitch_Click();
    void m_chkTbMainSplit_Click();
    void m_chkTbMainMix_Click();
    void m_chkTbMainStrobo_Click();
    void chkTbMainVidOp_Click(const ToolCheckButton& chk, int vidOp);
    void m_chkTbMainDraw_Click();
    void m_chkTbMainMeasure_Click();
    // Shows at most one of the two extra tool bars: the other is hidden and its button released
    // first, then this one toggles.
    void extraTb_toggle(QWidget* bar, QWidget* otherBar, ToolCheckButton& otherChk);
    void m_chkTbMainRmLast_Click();
    void m_chkTbMainRmAll_Click();
    void chkTbMainRm_Click(ToolCheckButton& chk, bool all);
    bool extraTbShown() const;
    void extraTb_place(int viewsRight);

    // ---- Speed slider (frmMain_speed.cpp)
    void m_sldTbMainVidSpeed_load();
    void m_sldTbMainVidSpeed_unload();
    void m_sldTbMainVidSpeed_enable(bool enable);
    void m_sldTbMainVidSpeed_Change();
    void m_sldTbMainVidSpeed_Scroll();
    void m_sldTbMainVidSpeed_showValue();
    void m_sldTbMainVidSpeed_step(int delta);
    void m_mnuPlay_load(QMenuBar* bar);
    // A menu of the menu bar, its object name `name` and its text the string `stringNr`.
    QMenu* mnuBar_add(QMenuBar* bar, const char* name, int stringNr);
    // An entry of such a menu named menu name + "_" + suffix, with its keys shown beside it.
    QAction* mnuKey_add(QMenu* menu, const char* suffix, int stringNr, const QKeySequence& keys,
                        std::function<void()> act);
    // ---- Edit menu (frmMain_edit.cpp): Undo, Redo and Delete on the views' work
    void m_mnuEdit_load(QMenuBar* bar);
    void m_mnuEdit_enable();
    void edit_undo(bool redo);
    void edit_delete();
    // Every view records what changed its work since the last look (see CVw::history_observe).
    void history_observeAll();
    // ---- Help menu (frmMain_help.cpp): Quick start, Keyboard shortcuts, About
    void m_mnuHelp_load(QMenuBar* bar);
    void help_quickStart();
    void help_shortcuts();
    void help_about();

    // ---- Drawing tool bar (frmMain_tbDraw.cpp)
    void tbDraw_load();
    void tbDraw_unload();
    void tbDraw_enable(bool enable);
    void m_chkTbDrawLineColor_Click();
    void m_chkTbDrawLineWidth_Click();

    // ---- Measuring tool bar (frmMain_tbMeasure.cpp)
    void tbMeasure_load();
    void tbMeasure_unload();
    void tbMeasure_enable(bool enable);

    // ---- Tool buttons of both extra tool bars (frmMain_tools.cpp)
    void chkTool_connect(ToolCheckButton& chk);
    // A tool button chooses its view action, or none when it was chosen already.
    void chkTool_Click(const ToolCheckButton& chk);
    // Enabled when a view has the focus; pressed when enabled and its action is the chosen one.
    void chkTool_enable(ToolCheckButton& chk, bool enable);

    // ---- Menu (frmMain_menu.cpp)
    void m_mnuMain_load();
    void m_mnuMain_unload() {}
    void m_mnuMain_enable(bool enable);
    QAction* mnu_add(QMenu* parent, const char* suffix, const char* caption, int stringNr);
    void m_mnuMain_ctx_load(const QString& name);
    void m_mnuMain_ctx_enable(const QString& key, bool enable);
    void m_mnuMain_MenuSelect(QAction* item);
    void mnuFileLng_show();
    // ---- Analysis files (frmMain_analysis.cpp)
    void analysis_load();
    // Asks whether to save unsaved work: true when the caller may go on.
    bool analysis_askSave();
    void analysis_title();
    QByteArray analysis_json();
    bool analysis_differs(const analysis::Document& doc, const QByteArray& json) const;
    // Puts the document into the views and the speed slider; the names of missing videos.
    QStringList analysis_apply(const analysis::Document& doc, const QString& videosPath);
    void analysis_tellMissing(const QStringList& missing);
    void analysis_remember(const QString& path);
    void mnuRecent_fill(QMenu* menu);
    void analysis_exportData();
    void analysis_copyTable();
    QString m_analysisPath;
    QByteArray m_analysisSaved;     // the document as last saved, opened or begun
    QByteArray m_analysisAutosaved; // as last written to the recovery copy
    bool m_analysisDiscarded = false; // the user chose to let the unsaved work go
    qint64 m_analysisAutosaveAt = 0;
    int m_analysisShape = 0;        // views and items when last autosaved: a change is major
    std::unique_ptr<AnalysisRecovery> m_recovery;
    std::unique_ptr<RecentFiles> m_recent;
    QPointer<QTimer> m_tmrAnalysis;

    bool m_loaded = false;
    bool m_unloaded = false;
    int m_layoutW = 0;
    int m_layoutH = 0;
    int m_minW = 910;
    int m_minH = 700;
    std::unique_ptr<CVwCtrl> m_VwCtrl;

    QPointer<QWidget> m_client;
    QPointer<StatusLine> m_status;
    QPointer<QMenuBar> m_mnuMain;
    QString m_idMnuMain;
    QPointer<QFrame> m_linTop;
    QString m_idLinTop;
    QPointer<QFrame> m_linBtm;
    QString m_idLinBtm;
    QPointer<QWidget> m_picBgTbMain;
    QString m_idPicBgTbMain;
    QPointer<QWidget> m_picBgTbDraw;
    QString m_idPicBgTbDraw;
    QPointer<QWidget> m_picBgTbMeasure;
    QString m_idPicBgTbMeasure;
    QPointer<QLabel> m_picCmpyLogo;
    // Shown in the view area while it holds no view: how to begin.
    QPointer<QLabel> m_lblEmptyHint;
    void emptyHint_update();
    // One video dropped on a view with a video: asks whether it replaces that view's video.
    // True when the drop is done with (replaced, or cancelled); false opens it beside.
    bool files_dropOnView(int idx, const QStringList& paths);
    QString m_idPicCmpyLogo;
    QCursor m_handCursor;
    QPointer<SpeedSlider> m_sldTbMainVidSpeed;
    QString m_idSldTbMainVidSpeed;

    ToolCheckButton m_chkTbMainOpen;
    ToolCheckButton m_chkTbMainSwitch;
    ToolCheckButton m_chkTbMainSplit;
    ToolCheckButton m_chkTbMainMix;
    ToolCheckButton m_chkTbMainStrobo;
    ToolCheckButton m_chkTbMainDraw;
    ToolCheckButton m_chkTbMainMeasure;
    ToolCheckButton m_chkTbMainRmLast;
    ToolCheckButton m_chkTbMainRmAll;

    ToolCheckButton m_chkTbDrawLineColor;
    ToolCheckButton m_chkTbDrawLineWidth;
    ToolCheckButton m_chkTbDrawText;
    ToolCheckButton m_chkTbDrawFreehand;
    ToolCheckButton m_chkTbDrawLine;
    ToolCheckButton m_chkTbDrawRect;
    ToolCheckButton m_chkTbDrawCircle;
    ToolCheckButton m_chkTbDrawCross;

    ToolCheckButton m_chkTbMeasureDist;
    ToolCheckButton m_chkTbMeasureAngle3Pt;
    ToolCheckButton m_chkTbMeasureAngleHoriz;
    ToolCheckButton m_chkTbMeasureAngleVert;
    ToolCheckButton m_chkTbMeasureAngle2Line;
    ToolCheckButton m_chkTbMeasureClock;
    ToolCheckButton m_chkTbMeasureTrack;
    ToolCheckButton m_chkTbMeasureTrackHand;
    QPointer<TrajectoryPlots> m_plots;
    QPointer<QWidget> m_plotsGrip;
    bool m_plotsDocked = true; // the user's choice; a window too narrow floats them all the same
    int m_plotsW = 0;
    void plots_place();
    int plots_dockWidth() const; // 0 when not docked and shown
    int plots_room() const;
    static int plots_gripWidth();
    void plots_resize(int viewsW, int h);
    void plots_remember() const;
    void plots_event(QObject* watched, QEvent* event);
};
