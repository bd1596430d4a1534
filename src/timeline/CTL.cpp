#include "timeline/CTL.h"

#include "app/M_GUI.h"
#include "app/M_Msg.h"
#include "app/RtError.h"
#include "util/M_Misc.h"
#include "view/CVw.h"
#include "viewcontroller/CVwCtrl.h"

namespace {
constexpr int kMaxRanges = 1000000;
}

CTL::CTL() { vars_init(); }

CTL::~CTL()
{
    if (!m_PreTerm) {
        M_Msg::errMsg(QStringLiteral("CTL.Class_Terminate()"), QStringLiteral("m_PreTerm = ") + QStringLiteral("False"));
        preTerminate();
    }
}

void CTL::vars_init()
{
    m_Ranges.assign(1, Range{});
    m_NumRanges = 0;
}

void CTL::vars_free() { m_Ranges.assign(1, Range{}); }

void CTL::preTerminate() try {
    ctrls_unload();
    vars_free();
    m_PreTerm = true;
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CTL.preTerminate()"));
}

void CTL::ctrls_load(CVw* vw, QWidget* container) try {
    m_Vw = vw;
    auto* panel = new QWidget(container);
    panel->setObjectName(QStringLiteral("CTL_picPanel_") + M_GUI::getId());
    panel->setAutoFillBackground(true);
    if (container)
        panel->setPalette(container->palette());
    panel->setGeometry(0, 0, kPanelWidth, kPanelHeight);
    m_picPanel = panel;
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CTL.ctrls_load()"));
}

void CTL::ctrls_unload() try {
    delete m_picPanel.data();
    m_picPanel = nullptr;
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CTL.ctrls_unload()"));
}

void CTL::ctrls_setEnabled(bool enabled) try {
    if (m_picPanel)
        m_picPanel->setEnabled(enabled);
    btns_enable(enabled);
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CTL.ctrls_setEnabled()"));
}

void CTL::ctls_visible(bool visible) try {
    if (m_picPanel)
        m_picPanel->setVisible(visible);
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CTL.ctls_visible()"));
}

int CTL::Height() const { return m_picPanel ? m_picPanel->height() : 0; }
int CTL::Width() const { return m_picPanel ? m_picPanel->width() : 0; }

void CTL::addXY(int dx, int dy)
{
    if (m_picPanel)
        m_picPanel->move(m_picPanel->x() + dx, m_picPanel->y() + dy);
}

void CTL::setXY(int x, int y)
{
    if (m_picPanel)
        m_picPanel->move(x, y);
}

void CTL::setXYWH(int x, int y, int w, int h)
{
    if (m_picPanel)
        m_picPanel->setGeometry(x, y, w, h);
}

void CTL::setWH(int w, int h)
{
    if (m_picPanel)
        m_picPanel->resize(w, h);
}

void CTL::btns_enable(bool enable) try {
    if (!enable) {
        m_btns = ButtonStates{};
        return;
    }
    // The strip holds its times in single precision; the comparisons follow it.
    const float t = float(m_Time);
    const float rMin = float(m_TimeRangesMin);
    const float rMax = float(m_TimeRangesMax);
    m_btns.stepBack = float(m_TimeMin) < t;
    m_btns.stepForward = float(m_TimeMax) > t;
    if (rMin == rMax) {
        m_btns.play = m_btns.beginning = m_btns.end = false;
    } else if (t == rMin) {
        m_btns.play = true;
        m_btns.beginning = false;
        m_btns.end = true;
    } else if (t == rMax) {
        m_btns.play = true;
        m_btns.beginning = true;
        m_btns.end = false;
    } else if (!(m_Vw && m_Vw->m_IsVidPlaying)) {
        m_btns.play = m_btns.beginning = m_btns.end = true;
    }
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CTL.btns_enable()"));
}

double CTL::frameRate() const
{
    if (!m_Vw)
        throw RtError(RtError::ObjectNotSet);
    if (m_Vw->m_AviFrameRate == 0)
        throw RtError(RtError::DivisionByZero);
    return m_Vw->m_AviFrameRate;
}

double CTL::fraNr2time(int fraNr) try {
    return double(fraNr) / frameRate();
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CTL.fraNr2time()"));
    return 0;
}

int CTL::time2fraNr(double t) try {
    return M_Misc::myFix(t * frameRate());
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CTL.time2fraNr()"));
    return 0;
}

double CTL::time_adjust_1(double t) try {
    const double rate = frameRate();
    return M_Misc::myFix(t * rate) / rate;
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CTL.time_adjust_1()"));
    return 0;
}

double CTL::time_adjust(double t) try {
    if (!(t > m_TimeMin))
        return m_TimeMin;
    if (!(t < m_TimeMax))
        return m_TimeMax;
    return time_adjust_1(t);
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CTL.time_adjust()"));
    return 0;
}

void CTL::time_goto(double t) try {
    if (t <= m_TimeMin)
        m_Time = m_TimeMin;
    else if (t >= m_TimeMax)
        m_Time = m_TimeMax;
    else
        m_Time = t;
    if (m_Vw)
        m_Vw->vidShowFra(time2fraNr(m_Time));
    btns_enable(true);
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CTL.time_goto()"));
}

void CTL::time_inc(double dt) { time_goto(m_Time + dt); }

void CTL::fra_goto(int fraNr) try {
    if (m_Vw)
        m_Vw->vidShowFra(fraNr);
    m_Time = fraNr2time(fraNr);
    btns_enable(true);
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CTL.fra_goto()"));
}

void CTL::vidInit() try {
    if (!m_Vw)
        throw RtError(RtError::ObjectNotSet);
    m_TimeMin = 0.0;
    m_TimeMax = fraNr2time(m_Vw->m_AviNumFrames - 1);
    if (m_NumRanges == 0) {
        range_add();
        time_goto(m_TimeRangesMin);
    } else {
        // A reloaded file: the last range ends no later than the new end of the video; showing
        // fields, an end within one frame of it follows it.
        Range& last = m_Ranges[size_t(m_NumRanges)];
        const bool fields = (m_Vw->m_AviMode & 0xFF) == 1;
        if (last.tEnd > m_TimeMax || (fields && last.tEnd >= m_TimeMax - 1.0 / frameRate())) {
            last.tEnd = m_TimeMax;
            m_TimeRangesMax = m_TimeMax;
        }
        time_goto(time_adjust(m_Time));
    }
    m_initialised = true;
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CTL.vidInit()"));
}

void CTL::range_add() try {
    if (m_NumRanges >= kMaxRanges || (m_NumRanges > 0 && !(m_TimeRangesMax < m_TimeMax)))
        return;
    Range r;
    r.tStart = m_NumRanges == 0 ? m_TimeMin : m_TimeRangesMax + 1.0 / frameRate();
    r.tEnd = m_TimeMax;
    m_Ranges.push_back(r);
    ++m_NumRanges;
    if (m_NumRanges == 1)
        m_TimeRangesMin = r.tStart;
    m_TimeRangesMax = r.tEnd;
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CTL.range_add()"));
}

int CTL::rangeIdx_now(double t) const
{
    for (int i = 1; i <= m_NumRanges; ++i)
        if (m_Ranges[size_t(i)].tStart <= t && t <= m_Ranges[size_t(i)].tEnd)
            return i;
    return 0;
}

int CTL::rangeIdx_next(double t) const
{
    for (int i = 1; i <= m_NumRanges; ++i)
        if (m_Ranges[size_t(i)].tStart > t)
            return i;
    return 0;
}

void CTL::vidPlay_timeStart() try {
    const double t = m_Time;
    const int i = rangeIdx_now(t);
    if (i > 0) {
        if (t == m_Ranges[size_t(i)].tEnd && rangeIdx_next(t) == 0)
            time_goto(m_TimeRangesMin); // at the very end playback starts again from the beginning
    } else {
        const int j = rangeIdx_next(t);
        time_goto(j > 0 ? m_Ranges[size_t(j)].tStart : m_TimeRangesMin);
    }
    m_VidPlayTimeOffset = m_Time;
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CTL.vidPlay_timeStart()"));
}

void CTL::vidPlay_init() try {
    if (m_NumRanges <= 0)
        return;
    vidPlay_timeStart();
    btns_enable(false);
    m_btns.play = true; // the play button shows pause and stays usable
    if (m_Vw)
        m_Vw->m_IsVidPlaying = true;
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CTL.vidPlay_init()"));
}

bool CTL::vidPlay_time(double elapsed) try {
    double target = time_adjust(elapsed + m_VidPlayTimeOffset);
    // Jumps over the gaps between ranges: every gap passed moves the offset on by its length.
    double c = m_Time;
    for (;;) {
        int i = rangeIdx_now(c);
        if (i <= 0)
            i = 1;
        if (i > m_NumRanges || target <= m_Ranges[size_t(i)].tEnd)
            break;
        const int j = rangeIdx_next(c);
        if (j <= 0) {
            target = m_TimeRangesMax;
            break;
        }
        const double gap = m_Ranges[size_t(j)].tStart - m_Ranges[size_t(i)].tEnd;
        m_VidPlayTimeOffset += gap;
        target += gap;
        c = m_Ranges[size_t(j)].tStart;
    }
    bool shown = false;
    if (target != m_Time) {
        m_Time = target;
        if (m_Vw)
            shown = m_Vw->vidShowFra(time2fraNr(m_Time));
    }
    if (m_Time >= m_TimeRangesMax) {
        if (m_Vw)
            m_Vw->m_IsVidPlaying = false;
        m_Time = m_TimeRangesMax;
    }
    return shown;
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CTL.vidPlay_time()"));
    return false;
}

void CTL::m_picStepBack_do(int /*shift*/) try {
    if (!m_Vw || !m_Vw->vwCtrl())
        return;
    m_Vw->vwCtrl()->vidTimeInc(-1.0 / frameRate(), true);
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CTL.m_picStepBack_do()"));
}

void CTL::m_picStepForward_do(int /*shift*/) try {
    if (!m_Vw || !m_Vw->vwCtrl())
        return;
    m_Vw->vwCtrl()->vidTimeInc(1.0 / frameRate(), true);
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CTL.m_picStepForward_do()"));
}
