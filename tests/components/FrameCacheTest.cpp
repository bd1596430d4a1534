// The shared cache of decoded frames, backward stepping served from it, and the decode-ahead
// worker that fills it.
#include "support/MediaFixtures.h"

#include "components/media/DecodeAhead.h"
#include "components/media/FrameCache.h"
#include "components/media/MediaCodes.h"
#include "components/media/MediaSource.h"

#include <QElapsedTimer>
#include <atomic>
#include <gtest/gtest.h>

namespace {

TEST(FrameCache, GrowingBudgetFollowsTheOpenFilesUpToItsCeiling)
{
    const QString path = MediaFixtures::gopClip();
    ASSERT_FALSE(path.isEmpty());
    FrameCache probe(std::size_t(64) << 20);
    MediaSource sizing(&probe);
    ASSERT_EQ(sizing.open(path), MediaOk);
    const SharedFrame frame = sizing.decodedFrame(0);
    ASSERT_TRUE(frame);
    const std::size_t perFrame = FrameCache::frameBytes(frame.get());

    // Two frames per open file, at most five in all.
    FrameCache cache(2 * perFrame, 5 * perFrame);
    EXPECT_EQ(cache.budget(), 2 * perFrame); // no file open yet: one share
    cache.attachSource();
    cache.attachSource();
    EXPECT_EQ(cache.budget(), 4 * perFrame);
    cache.attachSource();
    EXPECT_EQ(cache.budget(), 5 * perFrame); // the ceiling
    for (int n = 0; n < 5; ++n)
        cache.insert(1, n, frame.get());
    EXPECT_EQ(cache.frameCount(), 5u);
    // A file closing shrinks the budget and drops the oldest pictures at once.
    cache.detachSource();
    EXPECT_EQ(cache.budget(), 4 * perFrame);
    EXPECT_EQ(cache.frameCount(), 4u);
    EXPECT_FALSE(cache.contains(1, 0));
    {
        // A cap (a video being written) holds it lower while it lasts; a looser one inside does
        // not loosen it.
        const FrameCache::Cap cap(cache, 2 * perFrame);
        EXPECT_EQ(cache.budget(), 2 * perFrame);
        EXPECT_EQ(cache.frameCount(), 2u);
        const FrameCache::Cap inner(cache, 3 * perFrame);
        EXPECT_EQ(cache.budget(), 2 * perFrame);
    }
    EXPECT_EQ(cache.budget(), 4 * perFrame);
    EXPECT_TRUE(cache.contains(1, 4));
    // A fixed budget set later no longer follows the files.
    cache.setBudget(perFrame);
    cache.attachSource();
    EXPECT_EQ(cache.budget(), perFrame);
    EXPECT_EQ(cache.frameCount(), 1u);
    EXPECT_TRUE(cache.contains(1, 4));
}

TEST(FrameCache, StaysWithinBudgetAndDropsLeastRecentlyUsed)
{
    const QString path = MediaFixtures::gopClip();
    ASSERT_FALSE(path.isEmpty());
    FrameCache cache(std::size_t(64) << 20);
    MediaSource source(&cache);
    ASSERT_EQ(source.open(path), MediaOk);
    const std::size_t perFrame = FrameCache::frameBytes(source.decodedFrame(0).get());
    cache.setBudget(5 * perFrame);
    EXPECT_LE(cache.bytesUsed(), cache.budget());
    EXPECT_LE(cache.frameCount(), 5u);

    FrameCache small(3 * perFrame);
    const SharedFrame frame = source.decodedFrame(1);
    ASSERT_TRUE(frame);
    small.insert(1, 0, frame.get());
    small.insert(1, 1, frame.get());
    small.insert(2, 0, frame.get());
    EXPECT_TRUE(small.find(1, 0)); // now the most recently used
    small.insert(2, 1, frame.get());
    EXPECT_TRUE(small.contains(1, 0));
    EXPECT_FALSE(small.contains(1, 1));
    EXPECT_EQ(small.frameCount(), 3u);
    small.insert(2, 0, frame.get()); // inserting a held frame again counts as a use
    small.insert(3, 0, frame.get());
    EXPECT_TRUE(small.contains(2, 0));
    EXPECT_FALSE(small.contains(1, 0));
    small.removeOwner(2);
    EXPECT_EQ(small.frameCount(), 1u);
    EXPECT_EQ(small.bytesUsed(), FrameCache::frameBytes(frame.get()));
}

TEST(FrameCache, BackwardStepDecodesTheSegmentOnceForTheFollowingSteps)
{
    const QString path = MediaFixtures::gopClip();
    ASSERT_FALSE(path.isEmpty());
    FrameCache cache(std::size_t(64) << 20);
    MediaSource source(&cache);
    ASSERT_EQ(source.open(path), MediaOk);
    const auto& seekPoints = source.index()->seekPoints;
    ASSERT_GE(seekPoints.size(), 3u);
    const int segmentStart = seekPoints[1].position;
    const int last = seekPoints[2].position - 1;
    // Jump to the end of the middle GOP, then step back through it.
    EXPECT_EQ(MediaFixtures::shownNumber(source.picture(last)), last);
    for (int n = segmentStart; n <= last; ++n)
        EXPECT_TRUE(cache.contains(source.cacheOwner(), n)) << n;
    for (int n = last - 1; n >= segmentStart; --n)
        EXPECT_EQ(MediaFixtures::shownNumber(source.picture(n)), n);

    // With room for 4 frames only, a step still gives the right picture and keeps the frames
    // just before it, not the start of the segment.
    cache.setBudget(8 * FrameCache::frameBytes(source.decodedFrame(0).get()));
    MediaSource tight(&cache);
    ASSERT_EQ(tight.open(path), MediaOk);
    EXPECT_EQ(MediaFixtures::shownNumber(tight.picture(last)), last);
    EXPECT_TRUE(cache.contains(tight.cacheOwner(), last - 1));
    EXPECT_FALSE(cache.contains(tight.cacheOwner(), segmentStart));
    for (int n = last; n >= segmentStart; --n)
        EXPECT_EQ(MediaFixtures::shownNumber(tight.picture(n)), n);
    EXPECT_LE(cache.bytesUsed(), cache.budget());
}

TEST(DecodeAhead, HandsOverTheRightFramesInBothDirections)
{
    const QString path = MediaFixtures::gopClip();
    ASSERT_FALSE(path.isEmpty());
    FrameCache cache(std::size_t(64) << 20);
    MediaSource source(&cache);
    ASSERT_EQ(source.open(path, 131072), MediaOk);
    cache.removeOwner(source.cacheOwner()); // start from an empty cache

    source.decodeAhead(5, +1, 30);
    DecodeAhead* worker = source.decodeAheadWorker();
    ASSERT_NE(worker, nullptr);
    std::atomic<int> reports{0};
    std::atomic<int> highest{-1};
    QObject::connect(worker, &DecodeAhead::framesReady, worker, [&](int, int last) {
            ++reports;
            highest = std::max(highest.load(), last);
        }, Qt::DirectConnection);
    source.decodeAhead(5, +1, 30); // the same request again, now observed
    // A reader waits for the worker's last frame of the request; one the worker will not bring
    // is not waited for once it is idle.
    ASSERT_TRUE(source.awaitAhead(34, 120000));
    for (int n = 5; n < 35; ++n)
        ASSERT_TRUE(cache.contains(source.cacheOwner(), n)) << n;
    QElapsedTimer waited;
    waited.start();
    EXPECT_FALSE(source.awaitAhead(35, 120000));
    EXPECT_LT(waited.elapsed(), 60000);
    EXPECT_FALSE(cache.contains(source.cacheOwner(), 35));
    // The frames it handed over are the right ones.
    for (int n = 5; n < 35; ++n)
        EXPECT_EQ(MediaFixtures::shownNumber(source.picture(n)), n);

    source.decodeAhead(55, -1, 15);
    ASSERT_TRUE(worker->waitIdle(120000));
    EXPECT_GT(reports.load(), 0);
    EXPECT_EQ(highest.load(), 55);
    for (int n = 41; n <= 55; ++n)
        ASSERT_TRUE(cache.contains(source.cacheOwner(), n)) << n;
    for (int n = 55; n >= 41; --n)
        EXPECT_EQ(MediaFixtures::shownNumber(source.picture(n)), n);

    // Asked for reduced pictures, it makes the very pictures the user-interface thread would,
    // each handed over once.
    const QSize half(source.width() / 2, source.height() / 2);
    source.decodeAhead(36, +1, 5, half);
    ASSERT_TRUE(worker->waitIdle(120000));
    for (int n = 36; n <= 40; ++n) {
        const QImage ready = source.readyPicture(n, half);
        ASSERT_FALSE(ready.isNull()) << n;
        EXPECT_EQ(ready, source.picture(n, half)) << n;
        EXPECT_TRUE(source.readyPicture(n, half).isNull()) << n;
    }
    EXPECT_TRUE(source.readyPicture(41, half).isNull()) << "41 was in the cache before: not made again";

    // Closing while the worker runs stops it cleanly.
    source.decodeAhead(0, +1, 60);
    source.close();
    EXPECT_EQ(source.decodeAheadWorker(), nullptr);
}

} // namespace
