#pragma once

#include "components/DialogService.h"

#include <QList>
#include <QObject>
#include <QStringList>
#include <atomic>
#include <thread>

// The AVI file component of a view controller: merge-cut of frame runs of video files into a
// new AVI file. The work runs on a worker thread; progress and completion arrive as signals on
// the thread the component lives on (the user-interface thread).
class OvAVI : public QObject {
    Q_OBJECT
public:
    explicit OvAVI(QObject* parent = nullptr);
    ~OvAVI() override; // stops the work and waits for it

    // Starts writing into `target` the frames first..last of each pair of `cutPoints` (frame
    // numbers from 0), taken from the source at the pair's place in `sources`. `flags` has one
    // entry per cut point; the program passes false. Returns 0 when the work has started, else
    // a negative code (bad arguments, a missing source, the target being a source, busy).
    // AVIMergeCutDone follows every start that returned 0, unless the work is stopped.
    int AVIMergeCut(const QStringList& sources, const QString& target, const QList<int>& cutPoints,
                    const QList<bool>& flags);
    // The two stop calls: ask the work to stop (a stopped merge-cut leaves no target file and
    // raises no AVIMergeCutDone), and wait until no work is left.
    void AVIMergeCutStop();
    void AVIMergeCutWait();

    bool isBusy() const { return m_busy.load(); }
    // The codec of the target (Motion JPEG at a high quality unless set).
    void setCodec(const CodecChoice& choice) { m_codec = choice; }
    CodecChoice codec() const { return m_codec; }

signals:
    void AVIMergeCutProgress(int framesDone, int framesTotal);
    // The target is complete (code 0) or could not be written (negative code); then the frames
    // written, the number of runs, 1 when audio was written, and two reserved zeros.
    void AVIMergeCutDone(int code, int frames, int runs, int audio, int reserved1, int reserved2);

private:
    void finish(int code, int frames, int runs, int audio);

    CodecChoice m_codec;
    std::thread m_worker;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_busy{false};
};
