#pragma once

#include "TrackTypes.h"

#include <QObject>
#include <QString>
#include <atomic>
#include <cstdint>
#include <thread>

namespace tracking {

// Follows a point on a worker thread, reading the frames from its own opening of the file (the
// views' decoders stay the views' own). Points and the end are reported by signals, which reach
// receivers on the user-interface thread queued. Destroying the job cancels it and waits.
class TrackJob : public QObject {
    Q_OBJECT
public:
    struct Request {
        QString path;
        uint32_t openFlags = 0; // as the view opened the file, so frame numbers agree
        int from = 0;
        QPointF start;
        int to = 0; // below 0: the last frame of the whole file
        TrackOptions options;
    };

    explicit TrackJob(QObject* parent = nullptr);
    ~TrackJob() override;

    // Starts a run; false while one is running.
    bool start(const Request& request);
    // Asks the run to end after the point it is working on; `finished` still follows.
    void cancel();
    bool isRunning() const { return m_running; }

signals:
    void pointFound(int frame, QPointF pos, double confidence);
    // `stop` is a TrackStop; a file that cannot be opened ends as NoPicture at the first frame.
    void finished(int stop, int stopFrame);

private:
    void run(Request request);
    std::thread m_thread;
    std::atomic<bool> m_cancel{false};
    std::atomic<bool> m_running{false};
};

} // namespace tracking
