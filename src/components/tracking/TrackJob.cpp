#include "TrackJob.h"

#include "PointTracker.h"
#include "components/media/FrameCache.h"
#include "components/media/MediaCodes.h"
#include "components/media/MediaSource.h"

#include <climits>

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
        if (source.open(request.path, request.openFlags, MediaSource::Indexing::Background) != MediaOk) {
            result.stop = TrackStop::NoPicture;
            result.stopFrame = request.from;
        } else {
            // A frame past the part of a long file indexed so far waits for the index to reach it,
            // so a run to the end goes to the end of the whole file.
            const auto frame = [this, &source](int n) {
                source.completeIndex([this](double) { return !m_cancel.load(); }, n);
                return source.greyPicture(n);
            };
            const bool toEnd = request.to < 0;
            const PointTracker tracker(frame, request.options);
            result = tracker.run(request.from, request.start, toEnd ? INT_MAX - 1 : request.to, [this](const TrackedPoint& p) {
                emit pointFound(p.frame, p.pos, p.confidence);
                return !m_cancel.load();
            });
            if (result.stop == TrackStop::NoPicture && m_cancel.load()) // given up while waiting for the index
                result.stop = TrackStop::Cancelled;
            else if (toEnd && result.stop == TrackStop::NoPicture && result.stopFrame == source.frameCount()
                     && !source.indexing()) {
                result.stop = TrackStop::RangeEnd;
                result.stopFrame = source.frameCount() - 1;
            }
        }
    }
    m_running = false;
    emit finished(int(result.stop), result.stopFrame);
}

} // namespace tracking
