#include "view/CVw.h"

#include "app/M_Msg.h"
#include "app/M_Rc.h"
#include "components/diagram/OvDia.h"
#include "components/media/MediaSource.h"
#include "components/timeline/OvTimeLine.h"
#include "components/viewer/OvVView.h"
#include "viewcontroller/IMainWindowCallbacks.h"
#include "viewcontroller/WriteProgress.h"

#include <QTimer>
#include <QWidget>
#include <algorithm>
#include <cmath>

namespace {
constexpr int kStrIndexing = 9022;
constexpr int kFollowEveryMs = 150;
} // namespace

void CVw::index_follow()
{
    if (m_ovVVw && m_ovVVw->source().indexing()) {
        if (!m_indexTimer) {
            m_indexTimer = new QTimer(this);
            connect(m_indexTimer, &QTimer::timeout, this, [this] { index_grow(); });
        }
        m_indexTimer->start(kFollowEveryMs);
    }
    index_grow(); // the strip's word, and the timer stopped, once the index is complete
}

void CVw::index_grow() try {
    if (!m_ovVVw || m_VwType != 1)
        return;
    MediaSource& source = m_ovVVw->source();
    const int shown = m_ovVVw->currentFrame();
    const bool provisional = source.isProvisional(shown);
    source.updateIndex();
    // The strip spans the length the file states; the index's part of it grows.
    if (m_ovVVw->expectedFrameCount() != m_AviNumFrames) { // here or in a wait for the whole index
        m_AviNumFrames = m_ovVVw->expectedFrameCount();
        m_TL.vidGrow();
        if (m_IsAudioLoaded && m_ovDia && m_AviFrameRate > 0)
            m_ovDia->setTimeRange(0, std::max(0, m_AviNumFrames - 1) / m_AviFrameRate);
    }
    // A provisional frame the index has reached takes its exact number, and the caption says so.
    if ((m_ovVVw->currentFrame() != shown || (provisional && !source.isProvisional(shown))) && !m_IsVidPlaying)
        m_TL.fra_goto(m_ovVVw->currentFrame());
    if (m_frmParent)
        m_frmParent->status_update();
    if (OvTimeLine* strip = m_TL.strip()) {
        strip->setStatus(source.indexing() ? QStringLiteral("%1 %2 %").arg(M_Rc::getRcStr(kStrIndexing))
                                                 .arg(std::lround(source.indexProgress() * 100))
                                           : QString());
        strip->setKnownUntil(source.indexing() ? m_TL.fraNr2time(std::max(0, source.frameCount() - 1))
                                               : double(OvTimeLine::NoTime));
    }
    if (!source.indexing() && m_indexTimer)
        m_indexTimer->stop();
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CVw.index_grow()"), m_AviFileName);
}

bool CVw::index_wait(bool cancellable, const std::function<bool(MediaSource&, const ProgressFn&)>& wait)
{
    MediaSource& source = m_ovVVw->source();
    const bool provisional = source.isProvisional(m_ovVVw->currentFrame());
    QWidget* owner = m_picPanel ? m_picPanel->window() : nullptr;
    WriteProgress progress(owner, m_AviFileName, 100, WriteProgress::Kind::Indexing, cancellable);
    const bool done = wait(source, [&progress](double fraction) { return progress.step(int(std::lround(fraction * 100))); });
    index_grow();
    if (provisional && !m_IsVidPlaying)
        m_TL.fra_goto(m_ovVVw->currentFrame()); // its number, exact now, on the strip and in captions
    return done;
}

bool CVw::index_settle() try {
    if (!m_ovVVw || !m_ovVVw->source().isProvisional(m_ovVVw->currentFrame()))
        return true;
    return index_wait(true, [](MediaSource& source, const ProgressFn& progress) { return source.settleCurrent(progress); });
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CVw.index_settle()"), m_AviFileName);
    return false;
}

bool CVw::index_pending() const { return m_ovVVw && m_ovVVw->source().indexing(); }

bool CVw::index_complete(bool cancellable) try {
    if (!m_ovVVw || !m_ovVVw->source().indexing())
        return true;
    return index_wait(cancellable, [](MediaSource& source, const ProgressFn& progress) { return source.completeIndex(progress); });
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CVw.index_complete()"), m_AviFileName);
    return false;
}
