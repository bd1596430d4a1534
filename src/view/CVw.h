#pragma once

#include "components/analysis/EditHistory.h"
#include "components/diagram/OvDia.h"
#include "components/overlay/OvCalib2D.h"
#include "components/overlay/OvCalib2Ds.h"
#include "components/overlay/OvGraphItems.h"
#include "components/overlay/OvMeasureScene.h"
#include "components/viewer/OvVView.h"
#include "view/BorderFrame.h"
#include "view/ErasedDrawings.h"
#include "view/ViewStatus.h"
#include "timeline/CTL.h"

#include <functional>
#include <QColor>
#include <QLabel>
#include <QImage>
#include <QObject>
#include <QPointer>
#include <QString>
#include <memory>

class CVwCtrl;
class MediaSource;
class QTimer;
class frmPrpGraphObj;
class IMainWindowCallbacks;
class QKeyEvent;
class QWidget;
class TrajectoryTool;
class frmCalibDist;

// One view of one video inside the controller's panel: its panel, frame and caption, the viewer
// that shows the video at the view's zoom and offset, the still image that stands in for it,
// and its time line panel. The controller creates it, hands it its index and drives it; its
// owner calls preTerminate before releasing it.
class CVw : public QObject {
public:
    CVw();
    ~CVw() override;

    // Life cycle and layout.
    void ctrls_load(CVwCtrl* vwCtrl, int idx, IMainWindowCallbacks* frmParent, QWidget* container);
    void ctrls_unload();
    void preTerminate();
    void setXY(int x, int y);
    void addXY(int dx, int dy);
    void setWH(int w, int h);
    void setXYWH(int x, int y, int w, int h);
    void ctrls_visible(bool visible);
    void setEnabled(bool enabled);
    void ctrls_resize();
    void ctrls_focus(bool focus);
    void ctrls_highlight();
    // The texts of the chosen language, for the time line panel.
    void ctrls_setRcStr();
    // The frame's border width and colour by mode and focus.
    void m_shpBrd_look();

    // Content.
    bool vidLoadFile(const QString& sFileName, int nAviMode, int nAviOffsetX, int nAviOffsetY, int nAviZoom);
    // While the video's frames are still being indexed in the background: waits for all of them,
    // with a progress bar that `cancellable` gives a Cancel button. True when all are known.
    bool index_complete(bool cancellable);
    bool index_pending() const; // the frame index is still being built
    // Before anything is tied to the shown frame's number (a mark, a drawing, a tracking run):
    // when that number is provisional, waits for the index to reach the frame, with a progress
    // bar that can be cancelled. True when the number is exact.
    bool index_settle();
    bool vidShowFra(int fraNr);
    void vidShowInfoMsg();
    void vidOp_reset(int nWidth, int nHeight, double nFraRate);
    // The operation view shows a new output picture.
    void vidOp_show(const QImage& picture);
    // What the operation view asks of the user while its sources do not fit; empty hides it.
    void vidOp_hint(const QString& text);
    void m_lblFile_setCaption();
    bool isFile() const { return m_VwType == 1; }
    bool isSrc() const { return m_VwType == 1 && m_VwCtrlMode == 1; }

    // Live (1) or still (any other value).
    void VwCtrlMode(int mode);
    int VwCtrlMode() const { return m_VwCtrlMode; }
    void Selected(bool selected);
    bool Selected() const { return m_Selected; }

    // Zoom and offset of the viewer.
    void m_ovVVw_resetOffsetAndZoom();
    void m_ovVVw_zoom100();
    void m_ovVVw_zoomIn();
    void m_ovVVw_zoomOut();
    void m_ovVVw_mvOffset(int dx, int dy);
    int m_ovVVw_maxWidth() const;
    int m_ovVVw_maxHeight() const;

    // The mouse on the view, as the viewer reports it (Shift-drag pans, Shift+Ctrl zooms, the
    // right button opens a menu, the left one draws and measures by the view action). A press
    // outside the picture comes with onVideo false and only focuses and selects the view.
    void vw_mouseDwn(bool onVideo, int nButton, int nShift, int x, int y, double xImg, double yImg);
    void vw_mouseMv(int nPacked, int x, int y, double xImg, double yImg);
    void vw_mouseUp(int nPacked, int x, int y, double xImg, double yImg);
    // The wheel zooms around the pointer; with Ctrl it steps frames (away from the user: on).
    void vw_wheel(int keys, int x, int y, int steps);
    // A double click enlarges the view to the whole grid or gives it back its cell; on the
    // picture only while no tool is chosen, which would take the clicks as points.
    void vw_doubleClick(bool onVideo);
    // A key typed on the view: it goes to the text being typed.
    void m_picPanel_KeyPress(int keyCode);

    // The tool: finishes or abandons what is being drawn, then takes the new action.
    void VwAction(int action);
    int VwAction() const { return m_VwAction; }

    // Controls, for the controller, the tests and the tools.
    QWidget* panel() const { return m_picPanel; }
    BorderFrame* frame() const { return m_shpBrd; }
    QLabel* caption() const { return m_lblFile; }
    OvVView* viewer() const { return m_ovVVw; }
    QLabel* image() const { return m_imgVid; }
    CTL& timeLine() { return m_TL; }
    CVwCtrl* vwCtrl() const { return m_VwCtrl; }

    // The present frame and the pointer's place on the picture, for the status bar.
    ViewStatus status() const;
    // Undo and redo of the view's work, step by step as it was observed (nothing while points
    // are being followed); false when there was no step.
    void history_observe();
    bool history_step(bool redo);
    bool history_canUndo() const { return m_history.canUndo(); }
    bool history_canRedo() const { return m_history.canRedo(); }
    // The trajectory or the drawing or measurement under the pointer is removed; false when the
    // pointer is on none.
    bool item_rmUnderPointer();

    // The graphic items, angles and distances of the view.
    int graphObj_count() const;
    // Drawings, measurements, a calibration or markers that closing would lose.
    bool holdsWork() const;
    int graphObj_idHit(double xImg, double yImg) const;
    void graphObj_finalDrw();
    void graphObj_rmId(int id);
    // Undo: puts back what the eraser took last when nothing was drawn since, else removes the
    // last item.
    void graphObj_rmLast();
    bool graphObj_canUndo() const;
    // The eraser: removes everything, kept for Undo.
    void graphObj_rmAll();
    // The stopwatch item shows the time line's stopwatch time.
    void clock_update();
    // The right click: remembers the item under the point and asks for the matching menu.
    void showCtx(bool onVideo, int x, int y, double xImg, double yImg);

    // Calibration: the dialog for the reference length, unit and aspect, then the reference
    // line drawn with the mouse. Until that line succeeds the former calibration stays in force;
    // cancelling the dialog, a failed line or leaving the line undrawn keeps it.
    void calibrate();
    // True when the dialog was closed with OK.
    bool frmCalib_show();
    void m_frmCalibDist_Ok(double nCalibDist, int nCalibUnit, double nCalibAspectRatio);
    bool isCalibrated() const { return m_ovCal2D != nullptr; }

    // What the user made on this view, as plain data (items still being drawn are left out),
    // and back: restoring replaces the drawings, measurements, calibrations, grid, markers,
    // zoom and offset of the view whose video is open.
    analysis::View analysis_get() const;
    void analysis_restore(const analysis::View& v);

    // Display modes, kept in the open flags (low byte: 0 full frames, 1 separate fields, 3, 4, 5
    // the high-speed camera modes; bits 8-10 rotation by 90/180/270; bit 11 mirror). A change
    // reopens the file in the new mode, keeping offset and zoom.
    bool Fields() const { return fieldMode(1); }
    void Fields(bool on) { setFieldMode(1, on); }
    bool FullFrames() const { return fieldMode(0); }
    void FullFrames(bool) { setFieldMode(0, false); }
    bool JVC100() const { return fieldMode(3); }
    void JVC100(bool on) { setFieldMode(3, on); }
    bool JVC100Vert() const { return fieldMode(4); }
    void JVC100Vert(bool on) { setFieldMode(4, on); }
    bool JVC200() const { return fieldMode(5); }
    void JVC200(bool on) { setFieldMode(5, on); }
    bool Mirror() const;
    void Mirror(bool on);
    int Rotation() const;
    void Rotation(int nAngle);
    // Grid lines over the picture; 0 or less removes them.
    int NumHorizLines() const { return m_NumHorizLines; }
    void NumHorizLines(int nLines);
    int NumVertLines() const { return m_NumVertLines; }
    void NumVertLines(int nLines);
    // The audio strip under the picture; the file's audio is read the first time it is shown.
    bool ShowAudioTrack() const { return m_ShowAudioTrack; }
    void ShowAudioTrack(bool b);
    // The properties dialog of the item under the last right click.
    void graphObj_showPrp();
    // The trajectory under the last right click (-1 for none): its removal and its name and
    // colour in a dialog.
    int m_trajHit = -1;
    void trajectory_rmHit();
    void trajectory_showPrp();
    // The trajectory right-clicked is followed backwards from its point in the present frame.
    void trajectory_followBackHit();
    // Moves the audio strip's cursor to where the time line stands.
    void audioCursor_update();
    OvDia* audioStrip() const { return m_ovDia; }
    // The trajectories of the view and the tools that make them; null without a viewer.
    TrajectoryTool* trajectories() const { return m_trajTool.get(); }

    int m_Idx = 0;
    int m_VwType = 0;
    int m_VwCtrlMode = 1;
    int m_Enabled = 1;
    bool m_Focus = false;
    bool m_Selected = false;
    int m_AviMode = 0;
    QString m_AviFileName;
    int m_AviNumFrames = 0;
    double m_AviFrameRate = 0;
    int m_AviWidth = 0;
    int m_AviHeight = 0;
    int m_AviOffsetX = 0;
    int m_AviOffsetY = 0;
    int m_AviZoom = -1;
    int m_MouseX = 0;
    int m_MouseY = 0;
    int m_ZoomX = 0;
    int m_ZoomY = 0;
    QPoint m_wheelPointer{-1, -1}; // global place of the last wheel notch
    QPointF m_wheelGrab;           // the picture point that notch grabbed
    QImage m_picOp;
    bool m_IsVidPlaying = false;
    bool m_ShowAudioTrack = false;
    int m_VwAction = 0;
    QColor m_DrwColor{255, 255, 128};
    int m_LineWidth = 1;
    bool m_ShowMeasure = false;
    int m_NumHorizLines = 0;
    int m_NumVertLines = 0;

    // Drawing and measuring.
    int m_VwActionSave = 0;
    bool m_IsTextInput = false;
    int m_gidHit = -1;
    std::shared_ptr<OvGraphItem> m_ovGiDrw;
    std::shared_ptr<OvGraphItem> m_ovGiClock;
    std::shared_ptr<OvAngle> m_ovAngleDrw;
    std::shared_ptr<OvDistance> m_ovDistDrw;
    // The drawing items, and the angles and distances, that the viewer draws above the picture.
    std::unique_ptr<OvGraphItems> m_ovGis = std::make_unique<OvGraphItems>();
    std::unique_ptr<OvMeasureScene> m_ovMeasures = std::make_unique<OvMeasureScene>();
    OvAngles& m_ovAngles() { return m_ovMeasures->angles(); }
    OvDistances& m_ovDists() { return m_ovMeasures->distances(); }

    // Calibration.
    OvCalib2Ds m_ovCal2Ds;
    std::shared_ptr<OvCalib2D> m_ovCal2D;
    // The calibration whose reference line is being drawn.
    std::shared_ptr<OvCalib2D> m_ovCal2DNew;
    double m_CalibDist = 0;
    int m_CalibUnit = 0;
    double m_CalibAspectRatio = 0;
    int m_gidCalib = -1;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Follows the background index of the file: the frame count, the time line and its word on
    // the progress grow as it goes.
    void index_follow();
    void index_grow();
    // Runs a wait of the source for its index under a progress bar, then follows what it found.
    using ProgressFn = std::function<bool(double)>;
    bool index_wait(bool cancellable, const std::function<bool(MediaSource&, const ProgressFn&)>& wait);
    void vars_init();
    void vars_free();
    void m_picPanel_load(QWidget* container);
    void m_shpBrd_load();
    void m_lblFile_load();
    void m_imgVid_load();
    void m_ovVVw_load();
    void m_ovVVw_unload();
    void m_ovVVw_zoom();
    // The frame's rectangle by the layout rules, and the image's size at its fit zoom.
    QRect frameRect() const;
    QSize m_imgVid_size() const;
    void centreInFrame(QWidget* w, QSize size) const;
    QString idxText() const;
    // The frames in which a new item stands: the current one, or all with m_ShowMeasure.
    void newItemFrames(int& cur, int& first, int& last) const;
    // The press, move and release of each kind of tool.
    void drawPress(double xImg, double yImg);
    void drawMove(double xImg, double yImg);
    void drawRelease(double xImg, double yImg);
    void angleLabelUpdate();
    void angleComplete();
    bool fieldMode(int value) const;
    void setFieldMode(int value, bool on);
    void aviMode_apply(int mode);
    void gridLines_set(int id, int n, bool keepLook = false);
    void m_ovDia_load();
    // The strip is shown when wanted, on a live file view of a controller in its live mode.
    bool audioStripShown() const;
    int audioStripHeight() const;
    void distLabelUpdate(double xImg, double yImg);
    void redraw();
    // The end of drawing a reference line: the new calibration and its line (id gidNew) take
    // over, or go and leave the former ones.
    void calib_end(bool succeeded, int gidNew);
    // The hint by the picture that the reference line is to be dragged now.
    void calibHint_show(bool on);
    // A hint by the picture (the calibration's, or what became of a tracking run).
    void hint_show(const QString& text);
    // Beside the picture; over an output view's empty picture, in its middle.
    void hint_place();
    // A drag's release away from its press counts as the next click of an angle.
    bool isDragRelease(int x, int y) const;
    // The trajectory tools: a press of theirs (true when taken), its drag and release, and the
    // end of a tracking run told to the user.
    bool trajectory_press(double xImg, double yImg);
    // The trajectory whose point of the present frame is near, or -1.
    int trajectory_hit(double xImg, double yImg) const;
    // How near a point must be pressed to take it: a few pixels of the viewer, in the picture's.
    double trajectory_tolerance() const;
    bool trajectory_move(double xImg, double yImg);
    bool trajectory_release(double xImg, double yImg);
    void trajectory_load();
    void trajectory_stopped(int idx, int stop, int frame);

    CVwCtrl* m_VwCtrl = nullptr;
    IMainWindowCallbacks* m_frmParent = nullptr;
    QPointer<QWidget> m_picPanel;
    QPointer<BorderFrame> m_shpBrd;
    QPointer<QLabel> m_lblFile;
    QPointer<QLabel> m_imgVid;
    QPointer<OvVView> m_ovVVw;
    QTimer* m_indexTimer = nullptr; // polls the background index while it runs
    analysis::EditHistory m_history;
    // Where the pointer is on the picture (picture pixels), while it is over the viewer.
    bool m_pointerIn = false;
    QPointF m_pointer;
    void pointer_moved(bool inside, double xImg, double yImg);
    QPointer<OvDia> m_ovDia;
    bool m_IsAudioLoaded = false;
    QPointer<frmPrpGraphObj> m_frmPrpGraphObj;
    QImage m_imgPicture; // what the still image shows
    CTL m_TL;
    QPointer<frmCalibDist> m_frmCalibDist;
    QPointer<QLabel> m_lblHint;
    // The eraser's takings, the last on top.
    std::vector<ErasedDrawings> m_erased;
    bool m_PreTerm = false;
    std::unique_ptr<TrajectoryTool> m_trajTool;
};
