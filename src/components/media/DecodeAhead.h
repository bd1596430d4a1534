#pragma once

#include "FrameConverter.h"
#include "FrameIndex.h"

#include <QImage>
#include <QObject>
#include <QSize>
#include <QString>
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <thread>

class FrameCache;

// Decodes ahead of playback on a worker thread of its own, with its own decoder on the file,
// into the shared frame cache. The user-interface thread only posts requests (never waits);
// framesReady is emitted from the worker, so receivers on the user-interface thread get it
// queued. A new request replaces the one in progress. A request may also ask for each frame as
// the picture a viewer shows at a size, made here rather than on the user-interface thread.
class DecodeAhead : public QObject {
    Q_OBJECT
public:
    DecodeAhead(const QString& path, std::shared_ptr<const FrameIndex> index, FrameCache& cache, uint64_t owner);
    ~DecodeAhead() override; // stops the work in progress and joins the thread

    // Recorded frames [from, from + count) forwards, or (from - count, from] backwards. With a
    // picture size, forwards, each decoded frame of `frameSize` is also made that picture
    // (takePicture).
    void request(int from, int direction, int count, QSize picture = {}, QSize frameSize = {});
    // The picture made of recorded frame `position` at `size`, handed over once; null when none
    // was made (yet).
    QImage takePicture(int position, QSize size);
    // Lets go of the pictures not taken (the viewer stopped playing).
    void dropPictures();
    void cancel();
    // The file's index grew: later requests use this one.
    void setIndex(std::shared_ptr<const FrameIndex> index);
    // Blocks until no request is pending or in progress, or `timeoutMs` passed; true when idle.
    // For tools and tests; the user-interface thread listens to framesReady instead.
    bool waitIdle(int timeoutMs);
    // Blocks until recorded frame `position` is in the cache, or the worker has nothing left to
    // do, or `timeoutMs` passed; true when the frame is there. For a reader that goes through the
    // frames as fast as they are decoded (writing a video): decoding the frame itself, from its
    // key frame, while the worker is on the way to it would decode the same frames twice.
    bool waitFor(int position, int timeoutMs);

signals:
    // Recorded frames first..last are in the cache now (reported as each one lands).
    void framesReady(int first, int last);

private:
    struct Request {
        int from = 0;
        int direction = 1;
        int count = 0;
        QSize picture;
        QSize frameSize;
    };
    void keepPicture(const Request& request, int position, const AVFrame* frame);
    void run();
    void work(class MediaDecoder& decoder, const Request& request, uint64_t generation);

    QString m_path;
    std::shared_ptr<const FrameIndex> m_index;
    FrameCache& m_cache;
    uint64_t m_owner;

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_idle;   // the worker went idle, or a frame landed in the cache
    Request m_request;
    bool m_pending = false;
    bool m_busy = false;
    bool m_quit = false;
    uint64_t m_generation = 0; // bumped by every request and cancel: the running work stops
    std::map<int, QImage> m_pictures; // made for the requests, by recorded position
    FrameConverter m_converter;       // the worker's own
    std::thread m_thread;
};
