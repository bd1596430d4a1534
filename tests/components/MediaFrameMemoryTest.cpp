// Memory of decoded pictures: files stepped side by side share the cache budget fairly, and
// picture memory released by the cache is reused by the decoders, still giving exact frames.
#include "MediaFixtures.h"

#include "components/media/FrameBuffers.h"
#include "components/media/FrameCache.h"
#include "components/media/MediaCodes.h"
#include "components/media/MediaSource.h"

#include <array>
#include <gtest/gtest.h>
#include <memory>

namespace {

TEST(MediaFrameMemory, FilesSteppedBackwardSideBySideKeepTheirSegments)
{
    const QString path = MediaFixtures::gopClip();
    ASSERT_FALSE(path.isEmpty());
    FrameCache cache(std::size_t(64) << 20);
    std::array<std::unique_ptr<MediaSource>, 3> sources;
    for (auto& s : sources) {
        s = std::make_unique<MediaSource>(&cache);
        ASSERT_EQ(s->open(path), MediaOk);
    }
    ASSERT_EQ(cache.sourceCount(), 3);
    // Room for 30 pictures: three files each keeping half the budget would evict each other.
    const std::size_t perFrame = FrameCache::frameBytes(sources[0]->decodedFrame(0).get());
    cache.setBudget(30 * perFrame);
    for (auto& s : sources)
        cache.removeOwner(s->cacheOwner());

    // The first step back from the end of the second GOP decodes a segment for each file...
    for (auto& s : sources)
        ASSERT_EQ(MediaFixtures::shownNumber(s->picture(39)), 39);
    // ...and the next steps of every file are still in the cache after the others' first steps.
    for (int n = 38; n >= 36; --n)
        for (auto& s : sources) {
            EXPECT_TRUE(cache.contains(s->cacheOwner(), n)) << "frame " << n;
            EXPECT_EQ(MediaFixtures::shownNumber(s->picture(n)), n);
        }
    EXPECT_LE(cache.bytesUsed(), cache.budget());

    sources[2]->close();
    EXPECT_EQ(cache.sourceCount(), 2);
    sources[1].reset();
    EXPECT_EQ(cache.sourceCount(), 1);
}

TEST(MediaFrameMemory, ReleasedPictureMemoryIsReusedBoundedAndGivesExactFrames)
{
    const QString path = MediaFixtures::gopClip();
    ASSERT_FALSE(path.isEmpty());
    std::size_t released = 0;
    {
        FrameCache cache(std::size_t(64) << 20);
        MediaSource source(&cache);
        ASSERT_EQ(source.open(path), MediaOk);
        for (int n = 0; n < source.recordedFrameCount(); ++n) {
            const SharedFrame frame = source.decodedFrame(n);
            ASSERT_TRUE(frame);
            for (int i = 0; i < 4 && frame->data[i]; ++i)
                EXPECT_EQ(reinterpret_cast<std::uintptr_t>(frame->data[i]) % 64, 0u) << "plane " << i;
        }
        source.close(); // the cache lets go of all its pictures
        released = FrameBuffers::freeBytes();
    }
    EXPECT_GT(released, 0u);
    EXPECT_LE(released, FrameBuffers::FreeListBytes);

    // A new file takes its picture memory from what was released, and still decodes exactly.
    FrameCache cache(std::size_t(64) << 20);
    MediaSource source(&cache);
    ASSERT_EQ(source.open(path), MediaOk);
    for (int n = 59; n >= 40; --n)
        ASSERT_EQ(MediaFixtures::shownNumber(source.picture(n)), n);
    EXPECT_LT(FrameBuffers::freeBytes(), released);
}

} // namespace
