// The markers of a time line: keyframes, ranges, synchronisation points and the stopwatch,
// their tables and the items that show them on the strip.
#include "timeline/CTL.h"

#include "app/M_Msg.h"
#include "components/timeline/OvTimeLine.h"
#include "app/M_Rc.h"
#include "app/RtError.h"
#include "util/M_Misc.h"
#include "view/CVw.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int kStrFrame = 1006;
constexpr int kStrTime = 1020;
constexpr int kStrKeyframe = 1082;
constexpr int kStrStopWatch = 1315;
constexpr int kStrSyncPoint = 1320;

constexpr int kRangeStyle1 = 768;
constexpr int kRangeStyle2 = 515;
constexpr int kRangeStyle3 = 516;
const QColor kRangeColor(110, 120, 140);

// Far more frames than any video operation can use: a step this small is a caller's mistake.
constexpr size_t kMaxFrameList = 10000000;

QString num(double v) { return QString::number(v, 'g', 15); }

} // namespace

void CTL::refresh()
{
    if (m_ovTL)
        m_ovTL->refresh();
    // Markers move the ends of the ranges, on which the buttons depend.
    if (m_initialised && !isPlaying())
        btns_enable(true);
}

// ---- captions ----

QString CTL::keyframe_captionTF(double t, int fraNr) try {
    return M_Rc::getRcStr(kStrKeyframe) + QStringLiteral(":   ") + M_Rc::getRcStr(kStrTime) + QLatin1Char(' ') +
           timeText(t) + QStringLiteral("   ") + M_Rc::getRcStr(kStrFrame) + QLatin1Char(' ') + QString::number(fraNr);
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CTL.keyframe_captionTF()"));
    return {};
}

QString CTL::keyframe_captionF(int fraNr) try {
    return keyframe_captionTF(time_adjust(fraNr2time(fraNr)), fraNr);
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CTL.keyframe_captionF()"));
    return {};
}

QString CTL::keyframe_captionT(double t) try {
    return keyframe_captionTF(t, time2fraNr(t));
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CTL.keyframe_captionT()"));
    return {};
}

QString CTL::syncPt_caption(double t) try {
    return M_Rc::getRcStr(kStrSyncPoint) + QStringLiteral(":   ") + M_Rc::getRcStr(kStrTime) + QLatin1Char(' ') +
           timeText(t) + QStringLiteral("   ") + M_Rc::getRcStr(kStrFrame) + QLatin1Char(' ') +
           QString::number(time2fraNr(t));
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CTL.syncPt_caption()"));
    return {};
}

QString CTL::clock_caption() try {
    return M_Rc::getRcStr(kStrStopWatch);
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CTL.clock_caption()"));
    return {};
}

// ---- keyframes ----

bool CTL::keyframe_checkNew(double t, int& fraNr) try {
    fraNr = time2fraNr(t);
    if (m_NumKeyFrames >= kMaxEntries)
        return false;
    for (int i = 1; i <= m_NumKeyFrames; ++i)
        if (m_KeyFrames.at(size_t(i)) == fraNr)
            return false;
    return true;
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CTL.keyframe_checkNew()"));
    return false;
}

void CTL::keyframe_set(double t) try {
    int fraNr = 0;
    if (!keyframe_checkNew(t, fraNr))
        return;
    m_KeyFrames.push_back(fraNr);
    ++m_NumKeyFrames;
    const int id = kIdKeyframe0 + m_NumKeyFrames - 1;
    if (m_ovTL) {
        m_ovTL->addItem(id, OvTimeLine::StyleKeyframe, t);
        m_ovTL->setItemCaption(id, keyframe_captionTF(t, fraNr));
    }
    refresh();
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CTL.keyframe_set()"), QStringLiteral("t = ") + num(t));
}

void CTL::keyframe_rm(int id) try {
    if (!keyframe_isId(id) || id - kIdKeyframe0 >= m_NumKeyFrames)
        return;
    if (m_ovTL) {
        m_ovTL->removeItem(id);
        for (int k = id + 1; k < kIdKeyframe0 + m_NumKeyFrames; ++k)
            m_ovTL->setItemId(k, k - 1);
    }
    m_KeyFrames.erase(m_KeyFrames.begin() + (id - kIdKeyframe0 + 1));
    --m_NumKeyFrames;
    m_idSelItem = -1;
    refresh();
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CTL.keyframe_rm()"), QStringLiteral("id = ") + QString::number(id));
}

void CTL::keyframe_rmAll() try {
    if (m_ovTL)
        for (int k = 0; k < m_NumKeyFrames; ++k)
            m_ovTL->removeItem(kIdKeyframe0 + k);
    m_KeyFrames.assign(1, 0);
    m_NumKeyFrames = 0;
    m_idSelItem = -1;
    refresh();
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CTL.keyframe_rmAll()"));
}

// Keyframes stay on their frames when the time mapping changes.
void CTL::keyframe_update() try {
    for (int i = 1; i <= m_NumKeyFrames; ++i) {
        const int fraNr = m_KeyFrames.at(size_t(i));
        const double t = time_adjust(fraNr2time(fraNr));
        if (m_ovTL) {
            m_ovTL->setItemTime(kIdKeyframe0 + i - 1, t);
            m_ovTL->setItemCaption(kIdKeyframe0 + i - 1, keyframe_captionTF(t, fraNr));
        }
    }
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CTL.keyframe_update()"));
}

// ---- ranges ----

void CTL::range_setItem(int idx)
{
    if (!m_ovTL)
        return;
    const Range& r = m_Ranges.at(size_t(idx));
    const int id = kIdRange0 + idx - 1;
    if (m_ovTL->hasRangeItem(id))
        m_ovTL->setRange(id, r.tStart, r.tEnd);
    else
        m_ovTL->addRangeItem(id, kRangeStyle1, kRangeStyle2, kRangeStyle3, kRangeColor, r.tStart, r.tEnd);
}

void CTL::range_add() try {
    if (m_NumRanges >= kMaxEntries)
        return;
    Range r;
    if (m_NumRanges == 0) {
        r.tStart = m_TimeMin; // the default range: the whole video, also when it has one frame
    } else {
        // In frames, not in sums of times: the frame after the last range is the last frame
        // of the file at any rate, where a sum of times may land a hair beyond it.
        const auto frameAt = [this](double t) { return int(std::lround(time_sync2vw(t) * frameRate())); };
        const int next = frameAt(m_TimeRangesMax) + 1;
        if (next > frameAt(m_TimeMax))
            return; // no room after the last range
        r.tStart = fraNr2time(next);
    }
    r.tEnd = m_TimeMax;
    m_Ranges.push_back(r);
    ++m_NumRanges;
    range_setItem(m_NumRanges);
    if (m_NumRanges == 1)
        m_TimeRangesMin = r.tStart;
    m_TimeRangesMax = r.tEnd;
    refresh();
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CTL.range_add()"));
}

void CTL::range_rm() try {
    if (!range_isId(m_idSelItem) || m_NumRanges < 2)
        return;
    const int idx = m_idSelItem - kIdRange0 + 1;
    if (idx > m_NumRanges)
        return;
    if (m_ovTL) {
        m_ovTL->removeRangeItem(m_idSelItem);
        for (int k = idx + 1; k <= m_NumRanges; ++k)
            m_ovTL->setRangeId(kIdRange0 + k - 1, kIdRange0 + k - 2);
    }
    m_Ranges.erase(m_Ranges.begin() + idx);
    --m_NumRanges;
    m_TimeRangesMin = m_Ranges.at(1).tStart;
    m_TimeRangesMax = m_Ranges.at(size_t(m_NumRanges)).tEnd;
    m_idSelItem = -1;
    refresh();
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CTL.range_rm()"));
}

void CTL::range_reset() try {
    if (m_ovTL)
        for (int k = 2; k <= m_NumRanges; ++k)
            m_ovTL->removeRangeItem(kIdRange0 + k - 1);
    m_Ranges.assign(1, Range{});
    m_Ranges.push_back(Range{m_TimeMin, m_TimeMax});
    m_NumRanges = 1;
    m_TimeRangesMin = m_TimeMin;
    m_TimeRangesMax = m_TimeMax;
    m_idSelItem = -1;
    range_setItem(1);
    refresh();
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CTL.range_reset()"));
}

int CTL::rangeIdx_now(double t) const
{
    for (int i = 1; i <= m_NumRanges; ++i)
        if (m_Ranges[size_t(i)].tStart <= t && t <= m_Ranges[size_t(i)].tEnd)
            return i;
    return -1;
}

int CTL::rangeIdx_next(double t) const
{
    for (int i = 1; i <= m_NumRanges; ++i)
        if (m_Ranges[size_t(i)].tStart > t)
            return i;
    return -1;
}

int CTL::rangeIdx_prev(double t) const
{
    for (int i = m_NumRanges; i >= 1; --i)
        if (m_Ranges[size_t(i)].tEnd < t)
            return i;
    return -1;
}

// A drag of range idx on the strip, kept between its neighbours (one frame apart) and the
// ends of the video, and snapped to frames where it stays inside.
void CTL::range_edit(int idx, int part, double ts, double te)
{
    const double frame = 1.0 / frameRate();
    double lo = m_TimeMin;
    double hi = m_TimeMax;
    if (m_NumRanges > 1) {
        if (idx > 1)
            lo = m_Ranges.at(size_t(idx - 1)).tEnd + frame;
        if (idx < m_NumRanges)
            hi = m_Ranges.at(size_t(idx + 1)).tStart - frame;
    }
    switch (part) {
    case OvTimeLine::PartStart:
        if (ts > te)
            ts = te;
        else if (ts >= lo)
            ts = time_adjust(ts);
        else
            ts = lo;
        break;
    case OvTimeLine::PartEnd:
        if (ts > te)
            te = ts;
        else if (te <= hi)
            te = time_adjust(te);
        else
            te = hi;
        break;
    case OvTimeLine::PartWhole: {
        const double d = te - ts; // the length stays when the range hits a bound
        if (ts < lo) {
            ts = lo;
            te = lo + d;
        } else if (te <= hi) {
            ts = time_adjust(ts);
            te = time_adjust(te);
        } else {
            ts = hi - d;
            te = hi;
        }
        break;
    }
    default: return;
    }
    Range& r = m_Ranges.at(size_t(idx));
    r.tStart = ts;
    r.tEnd = te;
    range_setItem(idx);
    if (idx == 1)
        m_TimeRangesMin = ts;
    if (idx == m_NumRanges)
        m_TimeRangesMax = te;
}

void CTL::range_edgeToNow(bool end) try {
    if (m_NumRanges < 1)
        return;
    int idx = rangeIdx_now(m_Time);
    if (idx <= 0 && !end)
        idx = rangeIdx_next(m_Time);
    if (idx <= 0) { // the last range that ends before the present time, else the last of all
        idx = m_NumRanges;
        while (idx > 1 && !end && m_Ranges.at(size_t(idx)).tStart > m_Time)
            --idx;
        while (idx > 1 && end && m_Ranges.at(size_t(idx)).tEnd > m_Time)
            --idx;
    }
    const Range r = m_Ranges.at(size_t(idx));
    if (end)
        range_edit(idx, OvTimeLine::PartEnd, std::min(r.tStart, m_Time), m_Time);
    else
        range_edit(idx, OvTimeLine::PartStart, m_Time, std::max(r.tEnd, m_Time));
    refresh();
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CTL.range_edgeToNow()"));
}

double CTL::range_selTime2absTime(double s) try {
    double t = s + m_TimeRangesMin;
    for (int i = 1; i <= m_NumRanges; ++i) {
        if (t <= m_Ranges.at(size_t(i)).tEnd || i == m_NumRanges)
            break;
        t += m_Ranges.at(size_t(i + 1)).tStart - m_Ranges.at(size_t(i)).tEnd; // the gap is skipped
    }
    return t;
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CTL.range_selTime2absTime()"));
    return 0;
}

std::vector<int> CTL::range_sel2fraNrs(double dt) try {
    std::vector<int> out;
    double sOld = 0;
    for (long long k = 0;; ++k) {
        const double s = double(k) * dt;
        if (k > 0 && !(s > sOld)) {
            // The step does not advance (dt is 0, negative or lost in the magnitude of s).
            M_Msg::errMsg(QStringLiteral("CTL.range_sel2fraNrs()"),
                          QStringLiteral("t = tOld = ") + num(s) + QStringLiteral("; dt = ") + num(dt));
            break;
        }
        const double t = range_selTime2absTime(s);
        if (t > m_TimeRangesMax)
            break;
        if (out.size() >= kMaxFrameList)
            throw RtError(RtError::OutOfMemory);
        out.push_back(time2fraNr(t));
        sOld = s;
    }
    return out;
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CTL.range_sel2fraNrs()"), QStringLiteral("dt = ") + num(dt));
    return {};
}

void CTL::range_vw2syncTime() try {
    for (int i = 1; i <= m_NumRanges; ++i) {
        Range& r = m_Ranges.at(size_t(i));
        r.tStart = time_adjust(time_vw2sync(r.tStart));
        r.tEnd = time_adjust(time_vw2sync(r.tEnd));
        range_setItem(i);
    }
    if (m_NumRanges > 0) {
        m_TimeRangesMin = m_Ranges.at(1).tStart;
        m_TimeRangesMax = m_Ranges.at(size_t(m_NumRanges)).tEnd;
    }
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CTL.range_vw2syncTime()"));
}

void CTL::range_sync2vwTime() try {
    for (int i = 1; i <= m_NumRanges; ++i) {
        Range& r = m_Ranges.at(size_t(i));
        r.tStart = time_sync2vw(r.tStart);
        r.tEnd = time_sync2vw(r.tEnd);
        range_setItem(i);
    }
    if (m_NumRanges > 0) {
        m_TimeRangesMin = m_Ranges.at(1).tStart;
        m_TimeRangesMax = m_Ranges.at(size_t(m_NumRanges)).tEnd;
    }
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CTL.range_sync2vwTime()"));
}

// ---- synchronisation points ----

// The new point must keep the table in order in both times, and between it and each of its
// neighbours the view time may not advance faster than the synchronised time.
bool CTL::syncPt_checkNew(double tSync, double tVw) try {
    int next = -1;
    for (int j = 1; j <= m_NumSyncPts; ++j) {
        const SyncPt& p = m_SyncPts.at(size_t(j));
        if (p.tSync == tSync)
            return false;
        if (next < 0 && p.tSync > tSync)
            next = j;
    }
    const int prev = next < 0 ? m_NumSyncPts : next - 1;
    if (next > 0) {
        const SyncPt& p = m_SyncPts.at(size_t(next));
        const double dVw = p.tVw - tVw;
        const double dSync = p.tSync - tSync;
        if (dVw > dSync || dVw < 0)
            return false;
    }
    if (prev > 0) {
        const SyncPt& p = m_SyncPts.at(size_t(prev));
        const double dVw = tVw - p.tVw;
        const double dSync = tSync - p.tSync;
        if (dVw > dSync || dVw < 0)
            return false;
    }
    if (m_ovTL) {
        for (int j = 1; j <= m_NumSyncPts; ++j) {
            const float itemTime = m_ovTL->itemTime(kIdSyncPt0 + j - 1);
            if (itemTime != OvTimeLine::NoTime && M_Misc::s2d(itemTime) == tSync) {
                M_Msg::errMsg(QStringLiteral("CTL.syncPt_checkNew()"), QStringLiteral("m_ovTL: Ex"));
                return false;
            }
        }
    }
    return true;
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CTL.syncPt_checkNew()"));
    return false;
}

void CTL::syncPt_set(double tSync, double tVw) try {
    if (m_NumSyncPts >= kMaxEntries)
        return;
    int i = m_NumSyncPts + 1;
    for (int j = 1; j <= m_NumSyncPts; ++j) {
        if (m_SyncPts.at(size_t(j)).tSync > tSync) {
            i = j;
            break;
        }
    }
    sync2vwTime(); // the ranges go back to view time under the old points
    m_SyncPts.insert(m_SyncPts.begin() + i, SyncPt{tSync, tVw});
    ++m_NumSyncPts;
    if (m_ovTL) {
        for (int k = m_NumSyncPts - 1; k >= i; --k) // from the end, so no id is taken twice
            m_ovTL->setItemId(kIdSyncPt0 + k - 1, kIdSyncPt0 + k);
        const int id = kIdSyncPt0 + i - 1;
        m_ovTL->addItem(id, OvTimeLine::StyleSyncPoint, tSync);
        m_ovTL->setItemCaption(id, syncPt_caption(tSync));
    }
    vw2syncTime();
    time_goto(tSync);
    refresh();
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CTL.syncPt_set()"), QStringLiteral("tSync = ") + num(tSync));
}

void CTL::syncPt_rm(int id) try {
    if (!syncPt_isId(id))
        return;
    const int idx = id - kIdSyncPt0 + 1;
    if (idx > m_NumSyncPts)
        return;
    if (m_ovTL) {
        m_ovTL->removeItem(id);
        for (int k = idx + 1; k <= m_NumSyncPts; ++k)
            m_ovTL->setItemId(kIdSyncPt0 + k - 1, kIdSyncPt0 + k - 2);
    }
    sync2vwTime();
    m_SyncPts.erase(m_SyncPts.begin() + idx);
    --m_NumSyncPts;
    vw2syncTime();
    m_idSelItem = -1;
    refresh();
    time_goto(time_adjust(m_Time));
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CTL.syncPt_rm()"), QStringLiteral("id = ") + QString::number(id));
}

void CTL::syncPt_rmAll() try {
    sync2vwTime();
    if (m_ovTL)
        for (int k = 0; k < m_NumSyncPts; ++k)
            m_ovTL->removeItem(kIdSyncPt0 + k);
    m_SyncPts.assign(1, SyncPt{});
    m_NumSyncPts = 0;
    vw2syncTime();
    m_idSelItem = -1;
    refresh();
    time_goto(time_adjust(m_Time));
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CTL.syncPt_rmAll()"));
}

// ---- stopwatch ----

void CTL::clock_init(double time0) try {
    m_ClockTime0 = time0;
    if (m_NumClocks > 0) {
        if (m_ovTL)
            m_ovTL->setItemTime(kIdClock, m_ClockTime0);
    } else {
        if (m_ovTL) {
            m_ovTL->addItem(kIdClock, OvTimeLine::StyleStopwatch, m_ClockTime0);
            m_ovTL->setItemCaption(kIdClock, clock_caption());
        }
        m_NumClocks = 1;
    }
    refresh();
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CTL.clock_init()"));
}

void CTL::clock_rm() try {
    if (m_NumClocks <= 0)
        return;
    if (m_ovTL)
        m_ovTL->removeItem(kIdClock + m_NumClocks - 1);
    refresh();
    --m_NumClocks;
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CTL.clock_rm()"));
}
