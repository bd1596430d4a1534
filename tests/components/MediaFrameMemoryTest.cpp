// Memory of decoded pictures: files stepped side by side share the cache budget fairly, and
// picture memory released by the cache is reused by the decoders, still giving exact frames.
#include "support/MediaFixtures.h"

#include "components/media/FrameBuffers.h"
#include "components/media/FrameCache.h"
#include "components/media/FrameConverter.h"
#include "components/media/FrameHash.h"
#include "components/media/FrameIndexer.h"
#include "components/media/MediaCodes.h"
#include "components/media/MediaDecoder.h"
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

TEST(MediaFrameMemory, PictureSizeIsKnownBeforeDecoding)
{
    // What a file's pictures will take in the cache, from the stream's parameters alone: the
    // window of a first jump or backward step is sized by it.
    const QString path = MediaFixtures::gopClip();
    ASSERT_FALSE(path.isEmpty());
    MediaDecoder decoder;
    ASSERT_EQ(decoder.open(path), MediaOk);
    const AVCodecParameters* par = decoder.stream()->codecpar;
    const std::size_t expected = FrameBuffers::pictureBytes(decoder.codec(), par->format, par->width, par->height);
    FrameIndex index;
    ASSERT_EQ(FrameIndexer::build(decoder, path, index), MediaOk);
    std::size_t decoded = 0;
    ASSERT_TRUE(decoder.decodeRange(index, 0, 0, [&](int, const AVFrame* frame) {
        decoded = FrameCache::frameBytes(frame);
        return true;
    }));
    EXPECT_EQ(sizeof(AVFrame) + expected, decoded);
    EXPECT_EQ(FrameBuffers::pictureBytes(decoder.codec(), par->format, 0, par->height), 0u);
    EXPECT_EQ(FrameBuffers::pictureBytes(decoder.codec(), -1, par->width, par->height), 0u);
}

TEST(MediaFrameMemory, AJumpAheadInTheSegmentKeepsThePicturesPassedOnTheWay)
{
    const QString path = MediaFixtures::gopClip();
    ASSERT_FALSE(path.isEmpty());
    FrameCache cache(std::size_t(64) << 20);
    MediaSource source(&cache);
    ASSERT_EQ(source.open(path), MediaOk);
    // Room for 16 pictures: a window of 8 kept per decode.
    const std::size_t perFrame = FrameCache::frameBytes(source.decodedFrame(0).get());
    cache.setBudget(16 * perFrame);
    cache.removeOwner(source.cacheOwner());

    // A jump into the second GOP decodes from its key frame (20) and keeps 20..22...
    ASSERT_EQ(MediaFixtures::shownNumber(source.picture(22)), 22);
    for (int n = 20; n <= 22; ++n)
        EXPECT_TRUE(cache.contains(source.cacheOwner(), n)) << "frame " << n;
    // ...a jump further on decodes on from 22 and keeps the last 8 pictures up to the target,
    // so stepping back from there is served from the cache, with the right pictures.
    ASSERT_EQ(MediaFixtures::shownNumber(source.picture(32)), 32);
    for (int n = 25; n <= 32; ++n)
        EXPECT_TRUE(cache.contains(source.cacheOwner(), n)) << "frame " << n;
    EXPECT_FALSE(cache.contains(source.cacheOwner(), 24)); // outside the window
    for (int n = 31; n >= 25; --n)
        EXPECT_EQ(MediaFixtures::shownNumber(source.picture(n)), n);
    EXPECT_LE(cache.bytesUsed(), cache.budget());
}

TEST(MediaFrameMemory, RgbPicturesReuseReleasedMemoryAndStayIntactWhileHeld)
{
    const QString path = MediaFixtures::gopClip();
    ASSERT_FALSE(path.isEmpty());
    SharedFrame frames[3];
    {
        FrameCache cache(std::size_t(64) << 20);
        MediaSource source(&cache);
        ASSERT_EQ(source.open(path), MediaOk);
        for (int i = 0; i < 3; ++i)
            ASSERT_TRUE(frames[i] = source.decodedFrame(5 + i));
    } // the decoders are gone: nothing else takes or gives picture memory below
    FrameBuffers::trim(); // room on the free list, whatever earlier tests left there
    ASSERT_EQ(FrameBuffers::freeBytes(), 0u);

    FrameConverter converter;
    const QImage held = converter.toRgb(frames[0].get());
    ASSERT_FALSE(held.isNull());
    ASSERT_EQ(MediaFixtures::shownNumber(held), 5);
    const QByteArray heldMd5 = FrameHash::rgbMd5(held);

    QImage second = converter.toRgb(frames[1].get());
    ASSERT_EQ(MediaFixtures::shownNumber(second), 6);
    const uchar* secondBits = second.constBits();
    const std::size_t before = FrameBuffers::freeBytes();
    second = QImage(); // its memory goes back to the free list...
    const std::size_t released = FrameBuffers::freeBytes() - before;
    EXPECT_GT(released, std::size_t(held.sizeInBytes()));
    EXPECT_LE(FrameBuffers::freeBytes(), FrameBuffers::FreeListBytes);

    // ...and the next picture of that size is made in it, exact, while the held one is untouched.
    const QImage third = converter.toRgb(frames[2].get());
    EXPECT_EQ(third.constBits(), secondBits);
    EXPECT_EQ(FrameBuffers::freeBytes(), before);
    EXPECT_EQ(MediaFixtures::shownNumber(third), 7);
    EXPECT_EQ(FrameHash::rgbMd5(held), heldMd5);
    EXPECT_NE(held.constBits(), third.constBits());

    // A copy that is written to gets memory of its own; the original keeps its pixels.
    QImage copy = held;
    copy.setPixel(0, 0, qRgb(1, 2, 3));
    EXPECT_NE(copy.constBits(), held.constBits());
    EXPECT_EQ(FrameHash::rgbMd5(held), heldMd5);
    // The same frame converted again gives the same pixels.
    EXPECT_EQ(FrameHash::rgbMd5(converter.toRgb(frames[0].get())), heldMd5);
}

} // namespace
