#pragma once

// Opening a file and stepping through its frames the way the command-line tool does; the media
// benchmark takes the same steps, so the two time and check the same work.
#include "components/media/FrameHash.h"
#include "components/media/MediaCodes.h"
#include "components/media/MediaSource.h"
#include "ToolStatus.h"

#include <QByteArray>
#include <QString>
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <numeric>
#include <random>
#include <vector>

namespace FrameSteps {

// Opens `path` with the open flags; a failure is reported on stderr in words ("PATH: no such file").
inline int open(MediaSource& source, const QString& path, uint32_t flags = 0,
                MediaSource::Indexing indexing = MediaSource::Indexing::Complete)
{
    const int rc = source.open(path, flags, indexing);
    if (rc != MediaOk)
        ToolStatus::reportInput(path, rc);
    return rc;
}

enum class Order { Forward, Backward, Random };

// "forward", "backward" or "random"; false for anything else.
inline bool parseOrder(const QString& text, Order* order)
{
    if (text == QLatin1String("forward"))
        *order = Order::Forward;
    else if (text == QLatin1String("backward"))
        *order = Order::Backward;
    else if (text == QLatin1String("random"))
        *order = Order::Random;
    else
        return false;
    return true;
}

// Frame numbers 0 .. count - 1 in the order; a random order is the same for the same seed.
inline std::vector<int> sequence(int count, Order order, unsigned seed = 1)
{
    std::vector<int> numbers(static_cast<std::size_t>(std::max(0, count)));
    std::iota(numbers.begin(), numbers.end(), 0);
    if (order == Order::Backward) {
        std::reverse(numbers.begin(), numbers.end());
    } else if (order == Order::Random) {
        std::mt19937 random(seed);
        std::shuffle(numbers.begin(), numbers.end(), random);
    }
    return numbers;
}

// The frames of a sequence in the order the engine answers them best: a seek segment at a time
// (each decoded once for all its frames), the segments in the order the sequence reaches them.
inline std::vector<int> batched(const MediaSource& source, const std::vector<int>& numbers, bool shown)
{
    const auto index = source.index();
    return index ? index->bySegment(numbers, shown ? source.mode().picturesPerFrame() : 1) : numbers;
}

// One step: shown picture n (`shown`) or recorded frame n as decoded. False when it failed;
// with `md5` the picture's checksum is given too (the decoded planes, or the RGB picture).
inline bool visit(MediaSource& source, int n, bool shown, QByteArray* md5 = nullptr)
{
    if (shown) {
        const QImage picture = source.picture(n);
        if (md5 && !picture.isNull())
            *md5 = FrameHash::rgbMd5(picture);
        return !picture.isNull();
    }
    const SharedFrame frame = source.decodedFrame(n);
    if (md5 && frame)
        *md5 = FrameHash::nativeMd5(frame.get(), source.streamRotation()); // turned as ffmpeg turns it
    return frame != nullptr;
}

} // namespace FrameSteps
