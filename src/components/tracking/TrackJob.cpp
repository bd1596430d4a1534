#include "TrackJob.h"

#include "PointTracker.h"
#include "components/media/FrameCache.h"
#include "components/media/MediaCodes.h"
#include "components/media/MediaSource.h"

namespace tracking {

namespace {
// Tracking reads each frame once, in order: a few GOPs' worth is plenty.
constexpr std::size_t kCacheBytes = 64u << 20;
} // namespace

TrackJob::TrackJob(QObject* parent) : QObject(parent) {}

TrackJob::~TrackJob()
{
    m_cancel = true;
    if (m_thread.joinable())
        m_thread.join();
}

bool TrackJob::start(const Request& request)
{
    if (m_running)
        return false;
    if (m_thread.joinable())
        m_thread.join();
    m_cancel = false;
    m_running = true;
    m_thread = std::thread([this, request] { run(request); });
    return true;
}

void TrackJob::cancel() { m_cancel = true; }

void TrackJob::run(Request request)
{
    FrameCache cache(kCacheBytes);
    TrackResult result;
    {
        MediaSource source(&cache);
        if (source.open(request.path, request.openFlags) != MediaOk) {
            result.stop = TrackStop::NoPicture;
            result.stopFrame = request.from;
        } else {
            const PointTracker tracker([&source](int n) { return source.greyPicture(n); }, request.options);
            result = tracker.run(request.from, request.start, request.to, [this](const TrackedPoint& p) {
                emit pointFound(p.frame, p.pos, p.confidence);
                return !m_cancel.load();
            });
        }
    }
    m_running = false;
    emit finished(int(result.stop), result.stopFrame);
}

} // namespace tracking
