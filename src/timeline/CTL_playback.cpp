// Playback of one view: where it starts, and the frame due after an elapsed playback time.
#include "timeline/CTL.h"

#include "app/M_Msg.h"
#include "view/CVw.h"

void CTL::vidPlay_init(int direction) try {
    if (m_NumRanges <= 0)
        return;
    m_VidPlayDirection = direction < 0 ? -1 : 1;
    vidPlay_timeStart();
    btns_enable(false);
    if (m_Vw)
        m_Vw->m_IsVidPlaying = true;
    m_picPlay_setPic(true); // the play button shows pause and stays usable
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CTL.vidPlay_init()"));
}

// Outside the ranges playback starts at the next range (backwards: the one before); at the very
// end of the ranges (backwards: their very start) it starts again from the other end.
void CTL::vidPlay_timeStart() try {
    const double t = m_Time;
    const bool back = m_VidPlayDirection < 0;
    const int i = rangeIdx_now(t);
    if (i > 0) {
        const Range& r = m_Ranges.at(size_t(i));
        if (!back && t == r.tEnd && rangeIdx_next(t) < 0 && !endGrows())
            time_goto(m_TimeRangesMin);
        else if (back && t == r.tStart && rangeIdx_prev(t) < 0)
            time_goto(m_TimeRangesMax);
    } else if (!back) {
        const int j = rangeIdx_next(t);
        time_goto(j > 0 ? m_Ranges.at(size_t(j)).tStart : m_TimeRangesMin);
    } else {
        const int j = rangeIdx_prev(t);
        time_goto(j > 0 ? m_Ranges.at(size_t(j)).tEnd : m_TimeRangesMax);
    }
    m_VidPlayTimeOffset = m_Time;
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CTL.vidPlay_timeStart()"));
}

bool CTL::endGrows() const
{
    return m_Vw && m_Vw->index_pending() && m_NumRanges > 0 && m_TimeRangesMax >= m_TimeMax - 1e-9;
}

bool CTL::vidPlay_time(double elapsed) try {
    const int dir = m_VidPlayDirection;
    double target = time_adjust(m_VidPlayTimeOffset + dir * elapsed);
    // Jumps over the gaps between ranges: every gap passed moves the offset on by its length.
    double c = m_Time;
    for (;;) {
        int i = rangeIdx_now(c);
        if (i <= 0)
            i = dir > 0 ? 1 : m_NumRanges;
        if (i < 1 || i > m_NumRanges)
            break;
        const Range& r = m_Ranges.at(size_t(i));
        if (dir > 0 ? target <= r.tEnd : target >= r.tStart)
            break;
        const int j = dir > 0 ? rangeIdx_next(c) : rangeIdx_prev(c);
        if (j <= 0) {
            target = dir > 0 ? m_TimeRangesMax : m_TimeRangesMin;
            break;
        }
        const Range& to = m_Ranges.at(size_t(j));
        const double gap = dir > 0 ? to.tStart - r.tEnd : r.tStart - to.tEnd;
        m_VidPlayTimeOffset += dir * gap;
        target += dir * gap;
        c = dir > 0 ? to.tStart : to.tEnd;
    }
    bool shown = false;
    if (target != m_Time) {
        m_Time = target;
        if (m_Vw)
            shown = m_Vw->vidShowFra(time2fraNr(m_Time));
        setStripTime(m_Time);
        setBandCaption(ovTLBand_captionT(m_Time));
        if (m_Vw)
            m_Vw->audioCursor_update();
    }
    if (dir > 0 && m_Time >= m_TimeRangesMax && endGrows()) {
        // Waits at the end known so far, the clock held, until the index has found more.
        m_VidPlayTimeOffset = m_Time - elapsed;
    } else if (dir > 0 ? m_Time >= m_TimeRangesMax : m_Time <= m_TimeRangesMin) {
        if (m_Vw)
            m_Vw->m_IsVidPlaying = false;
        m_Time = dir > 0 ? m_TimeRangesMax : m_TimeRangesMin;
        setStripTime(m_Time);
    }
    return shown;
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CTL.vidPlay_time()"));
    return false;
}
