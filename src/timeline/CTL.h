#pragma once

#include "components/analysis/AnalysisDoc.h"
#include "components/timeline/OvTimeLine.h"
#include "timeline/PictureBox.h"

#include <QPointer>
#include <QString>
#include <QWidget>
#include <vector>

class CVw;
class CVwCtrl;
namespace analysis {
struct TimeLine;
}

// The time line panel of one view: the strip with the time axis and the markers of the video,
// the play, go to beginning, step back, step forward and go to end buttons, the view's current
// time and the conversions between frame numbers, view time and synchronised time, and the
// markers themselves (keyframes, ranges, synchronisation points, one stopwatch). All times it
// holds are synchronised times. Its owner calls preTerminate before releasing it.
class CTL {
public:
    static constexpr int kPanelHeight = 41;
    static constexpr int kPanelWidth = 500;
    static constexpr int kBtnWidth = 24;

    // Ids of the strip items, one block of a million per kind.
    static constexpr int kIdKeyframe0 = 0;
    static constexpr int kIdSyncPt0 = 1000000;
    static constexpr int kIdClock = 2000000;
    static constexpr int kIdRange0 = 3000000;
    static constexpr int kMaxEntries = 1000000;

    // Bits of ctxTL_flags: which entries of the time line menu apply.
    enum CtxFlag : int {
        CtxClockDel = 1,
        CtxKeyframeSet = 2,
        CtxKeyframeDel = 4,
        CtxKeyframeDelAll = 8,
        CtxRangeInsert = 16,
        CtxRangeDel = 32,
        CtxSyncPtSet = 64,
        CtxSyncPtDel = 128,
        CtxSyncPtDelAll = 256,
    };

    struct Range {
        double tStart = 0;
        double tEnd = 0;
    };
    // A synchronisation point, as the analysis keeps it and the export reads it.
    using SyncPt = analysis::SyncPoint;

    CTL();
    ~CTL();
    CTL(const CTL&) = delete;
    CTL& operator=(const CTL&) = delete;

    // ---- Panel and life cycle.
    // Keeps the view; creates the panel inside the container, the strip and the five buttons.
    void ctrls_load(CVw* vw, QWidget* container);
    void ctrls_unload();
    void ctrls_resize();
    void ctrls_setEnabled(bool enabled);
    void ctrls_setRcStr();
    void ctls_visible(bool visible);
    int Height() const;
    int Width() const;
    void addXY(int dx, int dy);
    void setXY(int x, int y);
    void setXYWH(int x, int y, int w, int h);
    void setWH(int w, int h);
    void preTerminate();
    QWidget* panel() const { return m_picPanel; }
    OvTimeLine* strip() const { return m_ovTL; }

    // Enabled states of the play, go to beginning, step back, step forward and go to end
    // buttons, by the rules of the panel; the buttons show them.
    struct ButtonStates {
        bool play = false, beginning = false, stepBack = false, stepForward = false, end = false;
        bool operator==(const ButtonStates&) const = default;
    };
    void btns_enable(bool enable);
    ButtonStates btnStates() const { return m_btns; }

    // One step of the step buttons; the controller's repeat timer calls them too.
    void m_picStepBack_do(int shift);
    void m_picStepForward_do(int shift);

    // Band caption: "Time t     Frame f", in English when the language needs Unicode.
    QString ovTLBand_captionF(int fraNr);
    QString ovTLBand_captionT(double t);
    QString ovTLBand_captionTF(double t, int fraNr);
    // A time with three decimals in the user's locale, as captions show it.
    static QString timeText(double t);
    // Which entries of the time line menu apply now (CtxFlag bits).
    int ctxTL_flags();

    // ---- Time model (seconds; frame numbers from 0).
    double time_vw2sync(double t);
    double time_sync2vw(double t);
    double fraNr2time(int fraNr);
    int time2fraNr(double t);
    double time_adjust_1(double t);
    double time_adjust(double t);
    void time_goto(double t);
    void time_inc(double dt);
    void fra_goto(int fraNr);
    void fra_inc(int dFra);
    void fra_gotoEnd();
    void vidInit();
    // The video has more frames than before (its index went on): the strip reaches the new end,
    // and a last range that ended at the old end goes on to it.
    void vidGrow();
    
    void vw2syncTime();
    void sync2vwTime();
    void reset();
    bool initialised() const { return m_initialised; }

    // ---- Markers. Tables are counted from 1.
    static bool keyframe_isId(int id) { return id >= kIdKeyframe0 && id < kIdKeyframe0 + kMaxEntries; }
    static bool syncPt_isId(int id) { return id >= kIdSyncPt0 && id < kIdSyncPt0 + kMaxEntries; }
    static bool clock_isId(int id) { return id >= kIdClock && id < kIdClock + kMaxEntries; }
    static bool range_isId(int id) { return id >= kIdRange0 && id < kIdRange0 + kMaxEntries; }

    bool keyframe_checkNew(double t, int& fraNr);
    void keyframe_set(double t);
    void keyframe_rm(int id);
    void keyframe_rmAll();
    void keyframe_update();
    QString keyframe_captionTF(double t, int fraNr);
    QString keyframe_captionF(int fraNr);
    QString keyframe_captionT(double t);
    const std::vector<int>& keyFrames() const { return m_KeyFrames; }

    void range_add();
    void range_rm();
    void range_reset();
    // First range holding t, or with a start after t; -1 when there is none.
    int rangeIdx_now(double t) const;
    // Moves the start (or the end) of the range at the present time, else of the nearest range
    // on that side, to the present frame.
    void range_edgeToNow(bool end);
    int rangeIdx_next(double t) const;
    // Last range with an end before t; -1 when there is none.
    int rangeIdx_prev(double t) const;
    // A time measured along the ranges with their gaps cut out, as a synchronised time.
    double range_selTime2absTime(double s);
    // The frames met when walking the ranges in steps of dt seconds, from index 0.
    std::vector<int> range_sel2fraNrs(double dt);
    void range_vw2syncTime();
    void range_sync2vwTime();
    const std::vector<Range>& ranges() const { return m_Ranges; }

    bool syncPt_checkNew(double tSync, double tVw);
    void syncPt_set(double tSync, double tVw);
    void syncPt_rm(int id);
    void syncPt_rmAll();
    QString syncPt_caption(double t);
    const std::vector<SyncPt>& syncPts() const { return m_SyncPts; }

    void clock_init() { clock_init(m_Time); }
    // The stopwatch started at that time (a stopwatch put back keeps its start).
    void clock_init(double time0);
    void clock_rm();
    QString clock_caption();
    double ClockTime() const { return m_Time - m_ClockTime0; }

    // ---- All markers at once, for analysis files. Restoring replaces every marker; ranges
    // are kept inside the video, and a stopwatch is put back with its start.
    analysis::TimeLine markers() const;
    void markers_restore(const analysis::TimeLine& tl);

    // ---- Playback of this view, forwards (direction 1) or backwards (-1).
    void vidPlay_init(int direction = 1);
    // Chooses where playback starts and sets the offset of elapsed time 0.
    void vidPlay_timeStart();
    // Shows the frame due after `elapsed` seconds of playback (already scaled by the speed),
    // skipping the gaps between ranges; true when the view showed another frame.
    bool vidPlay_time(double elapsed);
    // Whether the last range ends at the end of a file still being indexed: playing forwards
    // goes on there as the file grows rather than ending.
    bool endGrows() const;
    int vidPlay_direction() const { return m_VidPlayDirection; }

    double m_Time = 0;
    double m_TimeMin = 0;
    double m_TimeMax = 0;
    int m_NumRanges = 0;
    double m_TimeRangesMin = 0;
    double m_TimeRangesMax = 0;
    double m_VidPlayTimeOffset = 0;
    int m_VidPlayDirection = 1;
    int m_NumKeyFrames = 0;
    int m_NumSyncPts = 0;
    int m_NumClocks = 0;
    double m_ClockTime0 = 0;
    // The strip item a click, a drag or a menu command concerns; -1 when none.
    int m_idSelItem = -1;

private:
    void vars_init();
    void vars_free();
    double frameRate() const;
    CVwCtrl* vwCtrl() const;
    bool isPlaying() const;
    int viewerFrame() const;
    // Gives the keyboard focus to the panel's view.
    void vw_focus();
    void refresh();
    void setStripTime(double t);
    void setBandCaption(const QString& caption);
    void range_setItem(int idx);
    void range_edit(int idx, int part, double ts, double te);

    // Controls.
    void m_picPanel_load(QWidget* container);
    void m_ovTL_load();
    void m_ovTL_unload();
    PictureBox* m_picBtn_load(const QString& role);
    void m_picBtn_unload(QPointer<PictureBox>& button);
    void m_picPlay_setPic(bool enabled);
    void m_picBtn_setState(PictureBox* button, bool& state, bool enabled, const QString& picture);

    // Mouse on the buttons.
    void m_picPlay_MouseDown(int button, int shift);
    void m_picBeginning_MouseDown(int button, int shift);
    void m_picStepBack_MouseDown(int button, int shift);
    void m_picStepForward_MouseDown(int button, int shift);
    void m_picStep_MouseUp(int button, int shift);
    void m_picEnd_MouseDown(int button, int shift);

    // Events of the strip; times arrive in single precision.
    void m_ovTL_TimeChanged(float t);
    void m_ovTL_BandClicked(int band, int a, int b, int code);
    void m_ovTL_ItemClicked(int band, int item, int flags, float t);
    void m_ovTL_ItemChanged(int band, int item, int x, float t);
    void m_ovTL_RangeChanged(int band, int range, int part, float tStart, float tEnd, int flags);
    void m_ovTL_RangeClicked(int band, int range, int a, int b, float t);

    CVw* m_Vw = nullptr;
    QPointer<QWidget> m_picPanel;
    QPointer<OvTimeLine> m_ovTL;
    QPointer<PictureBox> m_picPlay;
    QPointer<PictureBox> m_picBeginning;
    QPointer<PictureBox> m_picStepBack;
    QPointer<PictureBox> m_picStepForward;
    QPointer<PictureBox> m_picEnd;
    std::vector<int> m_KeyFrames;  // slot 0 unused
    std::vector<Range> m_Ranges;   // slot 0 unused
    std::vector<SyncPt> m_SyncPts; // slot 0 unused
    ButtonStates m_btns;
    bool m_initialised = false;
    bool m_PreTerm = false;
};
