#include "timeline/C_HRCounter.h"

#include "app/M_Msg.h"
#include "app/RtError.h"
#include "components/DialogService.h"

#include <chrono>
#include <utility>
#include <algorithm>

C_HRCounter::Source C_HRCounter::steadyClock()
{
    using Clock = std::chrono::steady_clock;
    static_assert(Clock::period::num == 1, "the counter counts whole fractions of a second");
    return {Clock::period::den, [] { return int64_t(Clock::now().time_since_epoch().count()); }};
}

C_HRCounter::C_HRCounter() : C_HRCounter(steadyClock()) {}

C_HRCounter::C_HRCounter(Source source) : m_Source(std::move(source))
{
    try {
        m_CountsPerSec = m_Source.countsPerSec;
        if (m_CountsPerSec == 0)
            M_Msg::msgUsr(QStringLiteral("C_HRCounter.Class_Initialize()") + QStringLiteral(": m_CountsPerSec = 0"),
                          MsgBox::OkOnly);
        calibrate();
    } catch (...) {
        M_Msg::errMsg(QStringLiteral("C_HRCounter.Class_Initialize()"));
    }
}

C_HRCounter::~C_HRCounter()
{
    if (!m_PreTerm) {
        M_Msg::errMsg(QStringLiteral("C_HRCounter.Class_Terminate()"), QStringLiteral("m_PreTerm = False"));
        preTerminate();
    }
}

int64_t C_HRCounter::read()
{
    if (!m_Source.read)
        throw RtError(RtError::ObjectNotSet);
    m_CurrentCount = m_Source.read();
    return m_CurrentCount;
}

void C_HRCounter::calibrate() try {
    m_StartCount = read();
    const int64_t second = read();
    // A zero frequency has been reported at creation; there is no overhead to measure then.
    m_Overhead = m_CountsPerSec != 0 ? double(second - m_StartCount) / double(m_CountsPerSec) : 0.0;
} catch (...) {
    M_Msg::errMsg(QStringLiteral("C_HRCounter.calibrate()"));
}

void C_HRCounter::reset() try {
    m_StartCount = read();
} catch (...) {
    M_Msg::errMsg(QStringLiteral("C_HRCounter.reset()"));
}

double C_HRCounter::runtime()
{
    const int64_t now = read();
    if (m_CountsPerSec == 0)
        throw RtError(RtError::DivisionByZero);
    // Right after a reset the overhead is more than the time passed: never less than 0, so a
    // playback's first pass does not go back before its start.
    return std::max(0.0, double(now - m_StartCount) / double(m_CountsPerSec) - m_Overhead);
}

void C_HRCounter::preTerminate() { m_PreTerm = true; }
