// Playback of one view: where it starts, and the frame due after an elapsed playback time.
#include "timeline/CTL.h"

#include "app/M_Msg.h"
#include "view/CVw.h"

void CTL::vidPlay_init() try {
    if (m_NumRanges <= 0)
        return;
    vidPlay_timeStart();
    btns_enable(false);
    if (m_Vw)
        m_Vw->m_IsVidPlaying = true;
    m_picPlay_setPic(true); // the play button shows pause and stays usable
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CTL.vidPlay_init()"));
}

void CTL::vidPlay_timeStart() try {
    const double t = m_Time;
    const int i = rangeIdx_now(t);
    if (i > 0) {
        if (t == m_Ranges.at(size_t(i)).tEnd && rangeIdx_next(t) < 0)
            time_goto(m_TimeRangesMin); // at the very end playback starts again from the beginning
    } else {
        const int j = rangeIdx_next(t);
        time_goto(j > 0 ? m_Ranges.at(size_t(j)).tStart : m_TimeRangesMin);
    }
    m_VidPlayTimeOffset = m_Time;
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CTL.vidPlay_timeStart()"));
}

bool CTL::vidPlay_time(double elapsed) try {
    double target = time_adjust(elapsed + m_VidPlayTimeOffset);
    // Jumps over the gaps between ranges: every gap passed moves the offset on by its length.
    double c = m_Time;
    for (;;) {
        int i = rangeIdx_now(c);
        if (i <= 0)
            i = 1;
        if (i > m_NumRanges || target <= m_Ranges.at(size_t(i)).tEnd)
            break;
        const int j = rangeIdx_next(c);
        if (j <= 0) {
            target = m_TimeRangesMax;
            break;
        }
        const double gap = m_Ranges.at(size_t(j)).tStart - m_Ranges.at(size_t(i)).tEnd;
        m_VidPlayTimeOffset += gap;
        target += gap;
        c = m_Ranges.at(size_t(j)).tStart;
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
    if (m_Time >= m_TimeRangesMax) {
        if (m_Vw)
            m_Vw->m_IsVidPlaying = false;
        m_Time = m_TimeRangesMax;
        setStripTime(m_Time);
    }
    return shown;
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CTL.vidPlay_time()"));
    return false;
}
