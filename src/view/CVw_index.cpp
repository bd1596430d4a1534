#include "view/CVw.h"

#include "app/M_Msg.h"
#include "app/M_Rc.h"
#include "components/diagram/OvDia.h"
#include "components/media/MediaSource.h"
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
    source.updateIndex();
    if (m_ovVVw->frameCount() != m_AviNumFrames) { // here or in a wait for the whole index
        m_AviNumFrames = m_ovVVw->frameCount();
        m_TL.vidGrow();
        if (m_IsAudioLoaded && m_ovDia && m_AviFrameRate > 0)
            m_ovDia->setTimeRange(0, std::max(0, m_AviNumFrames - 1) / m_AviFrameRate);
        if (m_frmParent)
            m_frmParent->status_update();
    }
    if (m_TL.strip())
        m_TL.strip()->setStatus(source.indexing() ? QStringLiteral("%1 %2 %").arg(M_Rc::getRcStr(kStrIndexing))
                                                         .arg(std::lround(source.indexProgress() * 100))
                                                   : QString());
    if (!source.indexing() && m_indexTimer)
        m_indexTimer->stop();
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CVw.index_grow()"), m_AviFileName);
}

bool CVw::index_pending() const { return m_ovVVw && m_ovVVw->source().indexing(); }

bool CVw::index_complete(bool cancellable) try {
    if (!m_ovVVw || !m_ovVVw->source().indexing())
        return true;
    QWidget* owner = m_picPanel ? m_picPanel->window() : nullptr;
    WriteProgress progress(owner, m_AviFileName, 100, WriteProgress::Kind::Indexing, cancellable);
    const bool complete = m_ovVVw->source().completeIndex(
        [&progress](double fraction) { return progress.step(int(std::lround(fraction * 100))); });
    index_grow();
    return complete;
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CVw.index_complete()"), m_AviFileName);
    return false;
}
