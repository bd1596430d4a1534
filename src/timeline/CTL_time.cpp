// The time model of a view: frame numbers, view time and synchronised time, the conversions
// between them and the moves of the view in time.
#include "timeline/CTL.h"

#include "app/M_Msg.h"
#include "app/RtError.h"
#include "components/timeline/SyncTime.h"
#include "util/M_Misc.h"
#include "view/CVw.h"

namespace {

// The view's points without the unused slot 0; a count past the table throws as a walk over
// it would.
std::span<const CTL::SyncPt> pointsOf(const std::vector<CTL::SyncPt>& pts, int n)
{
    if (n <= 0)
        return {};
    (void)pts.at(size_t(n));
    return std::span(pts).subspan(1, size_t(n));
}

QString num(double v) { return QString::number(v, 'g', 15); }

} // namespace

double CTL::frameRate() const
{
    if (!m_Vw)
        throw RtError(RtError::ObjectNotSet);
    if (m_Vw->m_AviFrameRate == 0)
        throw RtError(RtError::DivisionByZero);
    return m_Vw->m_AviFrameRate;
}

int CTL::viewerFrame() const
{
    return m_Vw && m_Vw->viewer() ? m_Vw->viewer()->currentFrame() : 0;
}

double CTL::time_vw2sync(double t) try {
    SyncTime::Status status = SyncTime::Status::Ok;
    const double ts = SyncTime::vw2sync(pointsOf(m_SyncPts, m_NumSyncPts), t, status);
    if (status == SyncTime::Status::DivisionByZero)
        throw RtError(RtError::DivisionByZero);
    if (status == SyncTime::Status::OutOfOrder)
        M_Msg::errMsg(QStringLiteral("CTL.time_vw2sync()"), QStringLiteral("t < .tVw: t = ") + num(t));
    return ts;
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CTL.time_vw2sync()"));
    return 0;
}

double CTL::time_sync2vw(double t) try {
    SyncTime::Status status = SyncTime::Status::Ok;
    const double tv = SyncTime::sync2vw(pointsOf(m_SyncPts, m_NumSyncPts), t, status);
    if (status == SyncTime::Status::DivisionByZero)
        throw RtError(RtError::DivisionByZero);
    if (status == SyncTime::Status::OutOfOrder)
        M_Msg::errMsg(QStringLiteral("CTL.time_sync2vw()"), QStringLiteral("t < .tSync: t = ") + num(t));
    return tv;
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CTL.time_sync2vw()"));
    return 0;
}

double CTL::fraNr2time(int fraNr) try {
    return time_vw2sync(double(fraNr) / frameRate());
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CTL.fraNr2time()"));
    return 0;
}

int CTL::time2fraNr(double t) try {
    return M_Misc::myFix(time_sync2vw(t) * frameRate());
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
        m_Time = t; // not snapped: the view shows the frame whose slot holds t
    if (m_Vw)
        m_Vw->vidShowFra(time2fraNr(m_Time));
    setStripTime(m_Time);
    setBandCaption(ovTLBand_captionTF(m_Time, viewerFrame()));
    btns_enable(true);
    if (m_Vw)
        m_Vw->audioCursor_update();
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CTL.time_goto()"));
}

void CTL::time_inc(double dt) try {
    time_goto(m_Time + dt);
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CTL.time_inc()"));
}

void CTL::fra_goto(int fraNr) try {
    if (m_Vw)
        m_Vw->vidShowFra(fraNr); // the view keeps a number outside the file within it
    m_Time = fraNr2time(fraNr);
    setStripTime(m_Time);
    setBandCaption(ovTLBand_captionTF(m_Time, viewerFrame()));
    btns_enable(true);
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CTL.fra_goto()"));
}

void CTL::fra_inc(int dFra) try {
    fra_goto(Checked::add(viewerFrame(), dFra));
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CTL.fra_inc()"));
}

void CTL::fra_gotoEnd() try {
    if (!m_Vw)
        throw RtError(RtError::ObjectNotSet);
    fra_goto(m_Vw->m_AviNumFrames - 1);
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CTL.fra_gotoEnd()"));
}

void CTL::vidInit() try {
    if (!m_Vw)
        throw RtError(RtError::ObjectNotSet);
    m_TimeMin = 0.0;
    m_TimeMax = fraNr2time(m_Vw->m_AviNumFrames - 1);
    if (m_ovTL) {
        m_ovTL->setMinimum(m_TimeMin);
        m_ovTL->setMaximum(m_TimeMax);
    }
    if (m_NumRanges == 0) {
        range_add();
        time_goto(m_TimeRangesMin);
    } else {
        // A reloaded file: the last range ends no later than the new end of the video; showing
        // fields, an end within one frame of it follows it.
        Range& last = m_Ranges.at(size_t(m_NumRanges));
        const bool fields = (m_Vw->m_AviMode & 0xFF) == 1;
        if (last.tEnd > m_TimeMax || (fields && last.tEnd >= m_TimeMax - 1.0 / frameRate())) {
            last.tEnd = m_TimeMax;
            m_TimeRangesMax = m_TimeMax;
            range_setItem(m_NumRanges);
        }
        time_goto(time_adjust(m_Time));
    }
    // From now on the panel answers the events of its strip; a view is made disabled until it
    // has a video.
    m_initialised = true;
    if (m_ovTL)
        m_ovTL->setEnabled(true);
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CTL.vidInit()"));
}

void CTL::vidGrow() try {
    if (!m_Vw || !m_initialised)
        return;
    const double oldMax = m_TimeMax;
    m_TimeMax = fraNr2time(m_Vw->m_AviNumFrames - 1);
    if (m_ovTL)
        m_ovTL->setMaximum(m_TimeMax);
    if (m_NumRanges > 0) {
        Range& last = m_Ranges.at(size_t(m_NumRanges));
        if (last.tEnd >= oldMax - 1e-9 || last.tEnd > m_TimeMax) {
            last.tEnd = m_TimeMax;
            m_TimeRangesMax = m_TimeMax;
            range_setItem(m_NumRanges);
        }
    }
    refresh();
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CTL.vidGrow()"));
}

void CTL::vw2syncTime() try {
    if (!m_Vw)
        throw RtError(RtError::ObjectNotSet);
    m_TimeMax = time_adjust_1(time_vw2sync((m_Vw->m_AviNumFrames - 1) / frameRate()));
    if (m_ovTL)
        m_ovTL->setMaximum(m_TimeMax);
    keyframe_update();
    range_vw2syncTime();
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CTL.vw2syncTime()"));
}

void CTL::sync2vwTime() try {
    if (!m_Vw)
        throw RtError(RtError::ObjectNotSet);
    m_TimeMax = (m_Vw->m_AviNumFrames - 1) / frameRate();
    if (m_ovTL)
        m_ovTL->setMaximum(m_TimeMax);
    range_sync2vwTime();
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CTL.sync2vwTime()"));
}

void CTL::reset() try {
    if (m_NumSyncPts > 0)
        syncPt_rmAll();
    keyframe_rmAll();
    range_reset();
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CTL.reset()"));
}
