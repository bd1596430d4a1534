// Playback of the source views on one clock, and the repeat timer of held step and zoom buttons.
#include "viewcontroller/CVwCtrl.h"

#include "app/M_GUI.h"
#include "app/M_Msg.h"
#include "app/RtError.h"
#include "timeline/CTL.h"
#include "view/CVw.h"
#include "viewcontroller/IMainWindowCallbacks.h"

#include <QCoreApplication>
#include <algorithm>
#include <chrono>
#include <thread>
#include <vector>

namespace {
constexpr int kTimFirstMs = 200; // the first repetition comes after a held button's first step
constexpr int kTimRepeatMs = 10;
constexpr auto kIdleSleep = std::chrono::milliseconds(2);
enum TimAction : int { StepBack = 0, StepForward = 1, ZoomIn = 2, ZoomOut = 3 };
} // namespace

float CVwCtrl::vidSpeed() const { return m_callbacks ? m_callbacks->m_sldTbMainVidSpeed_valScale() : 1.0f; }

// Mix takes exactly two sources, the stroboscope exactly one; split and plain playback any from one.
bool CVwCtrl::vidOp_srcFit() const
{
    const int n = numVwsSrc();
    switch (m_VidOp) {
    case 1: return n == 2;
    case 3: return n == 1;
    default: return n >= 1;
    }
}

void CVwCtrl::vidOp_do(bool bStart, bool bLoop, bool bBackwards) try {
    if (m_IsVidOperating == bStart)
        return;
    m_IsVidOperating = bStart;
    if (bStart)
        m_PlayDirection = bBackwards ? -1 : 1;
    const int dir = m_PlayDirection;
    if (validIdx(m_VwIdxFocus) && !M_Misc::setLong_isElem(m_VwsSel, m_VwIdxFocus))
        vw_select(m_VwIdxFocus, false, false);

    // The sources are read anew on every use: any handler run by the event pump may change them.
    const auto forEachSrc = [this](auto&& act) {
        for (int k = 1; k <= numVwsSrc(); ++k)
            if (CVw* vw = VwsSrc(k))
                act(*vw);
    };

    if (bStart && vidOp_srcFit()) {
        if (!m_Cntr)
            throw RtError(RtError::ObjectNotSet);
        // This copy outlives the controller when a pumped event tears it down.
        const std::shared_ptr<bool> alive = m_alive;
        forEachSrc([dir](CVw& vw) { vw.timeLine().vidPlay_init(dir); });
        vidPlay_alignSynced();
        float speed = vidSpeed();
        m_Cntr->reset();
        while (m_IsVidOperating) {
            bool running = bLoop;
            const double t = m_Cntr->runtime() * double(speed);
            bool shown = false;
            forEachSrc([&](CVw& vw) {
                if (OvVView* viewer = vw.viewer())
                    viewer->setPlaying(vw.m_IsVidPlaying, dir); // a view may join or leave on the way
                if (vw.m_IsVidPlaying)
                    shown = vw.timeLine().vidPlay_time(t) || shown;
            });
            if (!*alive)
                return; // a message box shown above may have pumped the teardown
            forEachSrc([&](CVw& vw) { running = bLoop ? running && vw.m_IsVidPlaying : running || vw.m_IsVidPlaying; });
            if (numVwsSrc() == 0)
                running = false; // every source was closed: nothing is left to play or to loop
            m_IsVidOperating = running;
            if (shown && m_VidOp != 0)
                vidOpOut_do();
            if (bLoop && !running) {
                forEachSrc([dir](CVw& vw) {
                    CTL& tl = vw.timeLine();
                    tl.time_goto(dir > 0 ? tl.m_TimeRangesMin : tl.m_TimeRangesMax);
                    tl.vidPlay_init(dir);
                });
                m_IsVidOperating = true;
                m_Cntr->reset();
            }
            if (m_callbacks) {
                m_callbacks->playback_pass();
                if (!*alive)
                    return;
            }
            QCoreApplication::processEvents(QEventLoop::AllEvents);
            if (!*alive || m_PreTerm)
                return; // torn down by a pumped event: nothing of the controller may be touched
            if (m_IsVidOperating) {
                const float now = vidSpeed();
                if (now != speed) {
                    // Every view goes on from the frame it shows, at the new speed.
                    forEachSrc([dir](CVw& vw) {
                        if (vw.m_IsVidPlaying)
                            vw.timeLine().vidPlay_init(dir);
                    });
                    m_Cntr->reset();
                    speed = now;
                }
                if (m_VidOp == 0)
                    std::this_thread::sleep_for(kIdleSleep);
            }
        }
    }
    m_IsVidOperating = false; // also when the sources did not fit the operation and nothing ran
    forEachSrc([](CVw& vw) {
        vw.m_IsVidPlaying = false;
        if (OvVView* viewer = vw.viewer())
            viewer->setPlaying(false);
        vw.timeLine().btns_enable(true);
    });
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CVwCtrl.vidOp_do()"));
}

// Views tied by synchronisation points play from one shared instant: each view's start may have
// moved into its ranges on its own, so all go to the latest of those starts (playing backwards,
// the earliest).
void CVwCtrl::vidPlay_alignSynced()
{
    std::vector<CTL*> tied;
    for (int k = 1; k <= numVwsSrc(); ++k)
        if (CVw* vw = VwsSrc(k); vw && vw->m_IsVidPlaying && vw->timeLine().m_NumSyncPts > 0)
            tied.push_back(&vw->timeLine());
    if (tied.size() < 2)
        return;
    double t = tied.front()->m_Time;
    for (const CTL* tl : tied)
        t = m_PlayDirection > 0 ? std::max(t, tl->m_Time) : std::min(t, tl->m_Time);
    for (CTL* tl : tied) {
        if (tl->m_Time != t) {
            tl->time_goto(t);
            tl->vidPlay_init(m_PlayDirection);
        }
    }
}

// The playback loop runs from the event loop itself, not inside the press of a play button: a view
// closed while it plays (the one whose button started it included) can then go at once.
void CVwCtrl::vidOp_startLater(bool bLoop, bool bBackwards)
{
    if (!m_picPanel)
        return;
    QMetaObject::invokeMethod(
        m_picPanel, [this, alive = m_alive, bLoop, bBackwards] {
            if (*alive && !m_IsVidOperating)
                vidOp_do(true, bLoop, bBackwards);
        },
        Qt::QueuedConnection);
}

void CVwCtrl::vidPlay_preTerminate()
{
    *m_alive = false;
    if (m_Cntr) {
        m_Cntr->preTerminate();
        m_Cntr.reset();
    }
}

void CVwCtrl::m_timEvTrigger_load() try {
    auto* timer = new QTimer(m_picPanel); // owned by the panel, removed again by its name
    timer->setObjectName(M_GUI::getId() + QStringLiteral("CVwCtrl") + QStringLiteral("_timEvTrigger"));
    timer->stop();
    timer->setInterval(0);
    QObject::connect(timer, &QTimer::timeout, timer, [this] { m_timEvTrigger_Timer(); });
    m_timEvTrigger = timer;
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CVwCtrl.m_timEvTrigger_load()"));
}

void CVwCtrl::m_timEvTrigger_unload() try {
    if (!m_timEvTrigger)
        return;
    m_timEvTrigger->stop();
    const QString name = m_timEvTrigger->objectName();
    QObject* owner = m_picPanel ? static_cast<QObject*>(m_picPanel.data()) : m_timEvTrigger->parent();
    QTimer* named = owner ? owner->findChild<QTimer*>(name, Qt::FindDirectChildrenOnly) : nullptr;
    delete (named ? named : m_timEvTrigger.data());
    m_timEvTrigger = nullptr;
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CVwCtrl.m_timEvTrigger_unload()"));
}

void CVwCtrl::m_timEvTrigger_start(int action, int button, int shift) try {
    if (!m_timEvTrigger)
        throw RtError(RtError::ObjectNotSet);
    m_timAction = action;
    m_timButton = Checked::toInt16(button);
    m_timShift = Checked::toInt16(shift);
    m_timEvTrigger->start(kTimFirstMs);
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CVwCtrl.m_timEvTrigger_start()"));
}

void CVwCtrl::m_timEvTrigger_stop() try {
    if (m_timEvTrigger)
        m_timEvTrigger->stop();
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CVwCtrl.m_timEvTrigger_stop()"));
}

void CVwCtrl::m_timEvTrigger_Timer() try {
    if (!m_timEvTrigger)
        return;
    m_timEvTrigger->setInterval(kTimRepeatMs);
    CVw* vw = Vws(m_VwIdxFocus);
    if (!vw) {
        m_timEvTrigger->stop(); // the view that was held has gone
        return;
    }
    CTL& tl = vw->timeLine();
    switch (m_timAction) {
    case StepBack:
        tl.m_picStepBack_do(m_timShift);
        if (tl.m_Time <= tl.m_TimeMin)
            m_timEvTrigger->stop();
        break;
    case StepForward:
        tl.m_picStepForward_do(m_timShift);
        if (tl.m_Time >= tl.m_TimeMax)
            m_timEvTrigger->stop();
        break;
    case ZoomIn: vw->m_ovVVw_zoomIn(); break;
    case ZoomOut: vw->m_ovVVw_zoomOut(); break;
    default: m_timEvTrigger->stop(); break;
    }
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CVwCtrl.m_timEvTrigger_Timer()"));
}
