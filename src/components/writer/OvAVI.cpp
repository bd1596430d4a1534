#include "OvAVI.h"

#include "CodecCatalog.h"
#include "MergeCutJob.h"
#include "WriterCodes.h"
#include "components/media/MediaCodes.h"

OvAVI::OvAVI(QObject* parent) : QObject(parent), m_codec(CodecCatalog::defaultChoice()) {}

OvAVI::~OvAVI()
{
    AVIMergeCutStop();
    AVIMergeCutWait();
}

int OvAVI::AVIMergeCut(const QStringList& sources, const QString& target, const QList<int>& cutPoints,
                       const QList<bool>& flags)
{
    if (m_busy.load())
        return WriterBusy;
    if (flags.size() != cutPoints.size())
        return MediaBadArgument;
    MergeCutRequest request;
    request.sources = sources;
    request.target = target;
    request.cutPoints.assign(cutPoints.begin(), cutPoints.end());
    request.codec = m_codec;
    if (const int rc = MergeCutJob::check(request); rc != MediaOk)
        return rc;
    AVIMergeCutWait(); // a finished worker whose completion is still on its way
    m_stop = false;
    m_busy = true;
    m_worker = std::thread([this, request] {
        int lastPercent = -1;
        const auto progress = [this, &lastPercent](int done, int total) {
            // Only whole percents cross threads: a long cut must not flood the event queue.
            const int percent = static_cast<int>(int64_t{done} * 100 / total);
            if (percent == lastPercent)
                return;
            lastPercent = percent;
            QMetaObject::invokeMethod(this, [this, done, total] { emit AVIMergeCutProgress(done, total); },
                                      Qt::QueuedConnection);
        };
        MergeCutResult result;
        const int rc = MergeCutJob::run(request, m_stop, progress, &result);
        if (rc != WriterCancelled)
            QMetaObject::invokeMethod(
                this, [this, rc, result] { finish(rc, result.frames, result.runs, result.audio ? 1 : 0); },
                Qt::QueuedConnection);
        m_busy = false;
    });
    return MediaOk;
}

void OvAVI::finish(int code, int frames, int runs, int audio)
{
    // The worker posts this just before it ends: wait for it, so that whoever hears of the
    // completion finds the component idle.
    AVIMergeCutWait();
    emit AVIMergeCutDone(code, frames, runs, audio, 0, 0);
}

void OvAVI::AVIMergeCutStop() { m_stop = true; }

void OvAVI::AVIMergeCutWait()
{
    if (m_worker.joinable())
        m_worker.join();
}
