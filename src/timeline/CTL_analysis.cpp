// The markers of a time line as plain data, and back.
#include "timeline/CTL.h"

#include "app/M_Msg.h"
#include "components/analysis/AnalysisDoc.h"

#include <algorithm>

analysis::TimeLine CTL::markers() const
{
    analysis::TimeLine tl;
    for (int i = 1; i <= m_NumKeyFrames; ++i)
        tl.keyframes.push_back(m_KeyFrames.at(size_t(i)));
    for (int i = 1; i <= m_NumRanges; ++i)
        tl.ranges.push_back({m_Ranges.at(size_t(i)).tStart, m_Ranges.at(size_t(i)).tEnd});
    for (int i = 1; i <= m_NumSyncPts; ++i)
        tl.syncPoints.push_back({m_SyncPts.at(size_t(i)).tSync, m_SyncPts.at(size_t(i)).tVw});
    tl.stopwatch = m_NumClocks > 0;
    tl.stopwatchStart = tl.stopwatch ? m_ClockTime0 : 0;
    return tl;
}

void CTL::markers_restore(const analysis::TimeLine& tl) try {
    keyframe_rmAll();
    syncPt_rmAll();
    // The points go in as they were saved (the reader has checked their order), then the time
    // axis is laid out under them before the ranges, which are synchronised times already.
    for (const analysis::SyncPoint& p : tl.syncPoints) {
        m_SyncPts.push_back(SyncPt{p.tSync, p.tVw});
        ++m_NumSyncPts;
        if (m_ovTL) {
            m_ovTL->addItem(kIdSyncPt0 + m_NumSyncPts - 1, OvTimeLine::StyleSyncPoint, p.tSync);
            m_ovTL->setItemCaption(kIdSyncPt0 + m_NumSyncPts - 1, syncPt_caption(p.tSync));
        }
    }
    vw2syncTime();

    if (!tl.ranges.empty()) {
        if (m_ovTL)
            for (int k = 1; k <= m_NumRanges; ++k)
                m_ovTL->removeRangeItem(kIdRange0 + k - 1);
        m_Ranges.assign(1, Range{});
        for (const analysis::Range& r : tl.ranges) {
            const double start = std::clamp(r.start, m_TimeMin, m_TimeMax);
            m_Ranges.push_back(Range{start, std::clamp(r.end, start, m_TimeMax)});
        }
        m_NumRanges = int(tl.ranges.size());
        for (int i = 1; i <= m_NumRanges; ++i)
            range_setItem(i);
        m_TimeRangesMin = m_Ranges.at(1).tStart;
        m_TimeRangesMax = m_Ranges.at(size_t(m_NumRanges)).tEnd;
    }

    for (int frame : tl.keyframes) {
        if (m_NumKeyFrames >= kMaxEntries)
            break;
        m_KeyFrames.push_back(frame);
        ++m_NumKeyFrames;
        if (m_ovTL)
            m_ovTL->addItem(kIdKeyframe0 + m_NumKeyFrames - 1, OvTimeLine::StyleKeyframe, 0);
    }
    keyframe_update(); // places and captions them

    if (tl.stopwatch)
        clock_init(tl.stopwatchStart);
    else
        clock_rm();
    time_goto(time_adjust(m_Time));
    refresh();
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CTL.markers_restore()"));
}
