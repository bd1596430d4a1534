#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>
#include <vector>

class CVw;

// The time line panel of one view: the panel below the picture, the view's current time and
// the conversions between frame numbers and times, the ranges of the video and the start of a
// playback. Its owner calls preTerminate before releasing it.
class CTL {
public:
    static constexpr int kPanelHeight = 41;
    static constexpr int kPanelWidth = 500;

    struct Range {
        double tStart = 0;
        double tEnd = 0;
    };

    CTL();
    ~CTL();
    CTL(const CTL&) = delete;
    CTL& operator=(const CTL&) = delete;

    // Keeps the view; creates the panel inside the container.
    void ctrls_load(CVw* vw, QWidget* container);
    void ctrls_unload();
    void ctrls_setEnabled(bool enabled);
    void ctls_visible(bool visible);
    int Height() const;
    int Width() const;
    void addXY(int dx, int dy);
    void setXY(int x, int y);
    void setXYWH(int x, int y, int w, int h);
    void setWH(int w, int h);
    QWidget* panel() const { return m_picPanel; }

    // Enabled states of the play, go to beginning, step back, step forward and go to end
    // buttons, by the rules of the panel; the buttons show them.
    struct ButtonStates {
        bool play = false, beginning = false, stepBack = false, stepForward = false, end = false;
        bool operator==(const ButtonStates&) const = default;
    };
    void btns_enable(bool enable);
    ButtonStates btnStates() const { return m_btns; }

    // Time model (seconds; frame numbers from 0).
    double fraNr2time(int fraNr);
    int time2fraNr(double t);
    double time_adjust_1(double t);
    double time_adjust(double t);
    void time_goto(double t);
    void time_inc(double dt);
    void fra_goto(int fraNr);
    void vidInit();
    bool initialised() const { return m_initialised; }

    // Ranges, counted from 1.
    void range_add();
    int rangeIdx_now(double t) const;
    int rangeIdx_next(double t) const;
    const std::vector<Range>& ranges() const { return m_Ranges; }

    // Playback start of this view.
    void vidPlay_init();
    void vidPlay_timeStart();
    // Shows the frame due after `elapsed` seconds of playback (already scaled by the speed),
    // skipping the gaps between ranges; true when the view showed another frame.
    bool vidPlay_time(double elapsed);

    // One step of the step buttons; the controller's repeat timer calls them too.
    void m_picStepBack_do(int shift);
    void m_picStepForward_do(int shift);

    void preTerminate();

    double m_Time = 0;
    double m_TimeMin = 0;
    double m_TimeMax = 0;
    int m_NumRanges = 0;
    double m_TimeRangesMin = 0;
    double m_TimeRangesMax = 0;
    double m_VidPlayTimeOffset = 0;

private:
    void vars_init();
    void vars_free();
    double frameRate() const;

    CVw* m_Vw = nullptr;
    QPointer<QWidget> m_picPanel;
    std::vector<Range> m_Ranges; // slot 0 unused
    ButtonStates m_btns;
    bool m_initialised = false;
    bool m_PreTerm = false;
};
