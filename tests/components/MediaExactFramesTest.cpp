// Frame n must be the n-th picture FFmpeg decodes, whatever the codec, container and access
// order: compared per frame with the ffmpeg command line's framemd5.
#include "support/MediaFixtures.h"

#include "components/media/FrameCache.h"
#include "components/media/FrameHash.h"
#include "components/media/MediaDecoder.h"
#include "components/media/MediaCodes.h"
#include "components/media/MediaSource.h"
#include "support/TestPaths.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

namespace {

struct ClipCase {
    const char* name; // file name; the extension picks the container
    FixtureRecipe recipe;
};

FixtureRecipe make(const char* encoder, int w, int h, int frames, int gop, int bFrames)
{
    FixtureRecipe s;
    s.encoder = QString::fromLatin1(encoder);
    s.width = w;
    s.height = h;
    s.frames = frames;
    s.gop = gop;
    s.bFrames = bFrames;
    return s;
}

std::vector<ClipCase> clipCases()
{
    std::vector<ClipCase> cases;
    FixtureRecipe s = make("libx264", 176, 144, 40, 12, 2);
    s.audio = true;
    cases.push_back({"h264_bframes.mp4", s});
    s = make("libx264", 128, 96, 36, 10, 3);
    s.openGop = true;
    cases.push_back({"h264_opengop.mkv", s});
    // Open GOPs in MP4 where a seek to the last key frame loses a picture behind it.
    s = make("libx264", 128, 96, 40, 12, 3);
    s.openGop = true;
    cases.push_back({"h264_opengop.mp4", s});
    s = make("libx264", 128, 96, 36, 12, 2);
    s.variableRate = true;
    s.rate = {60, 1};
    cases.push_back({"h264_vfr.mov", s});
    s = make("libx264", 176, 144, 24, 8, 2);
    s.interlaced = true;
    s.audio = true;
    cases.push_back({"h264_interlaced.ts", s});
    cases.push_back({"h264_bframes.avi", make("libx264", 128, 96, 30, 10, 2)});
    s = make("libx265", 128, 96, 30, 10, 3);
    s.openGop = true;
    cases.push_back({"hevc_opengop.mp4", s});
    s = make("libx265", 128, 96, 30, 10, 2);
    s.variableRate = true;
    s.rate = {120, 1};
    cases.push_back({"hevc_vfr.mkv", s});
    s = make("mpeg4", 176, 144, 36, 12, 2);
    s.audio = true;
    cases.push_back({"mpeg4_bframes.avi", s});
    cases.push_back({"mpeg4_bframes.mp4", make("mpeg4", 128, 96, 30, 10, 2)});
    cases.push_back({"mjpeg.avi", make("mjpeg", 64, 48, 20, 1, 0)});
    cases.push_back({"dv_pal.dv", make("dvvideo", 720, 576, 6, 1, 0)});
    s = make("libvpx", 128, 96, 36, 12, 0);
    s.audio = true;
    cases.push_back({"vp8_altref.webm", s});
    cases.push_back({"vp9.webm", make("libvpx-vp9", 128, 96, 30, 12, 0)});
    s = make("mpeg2video", 176, 144, 30, 12, 2);
    s.interlaced = true;
    s.bottomFieldFirst = true;
    cases.push_back({"mpeg2_interlaced.ts", s});
    cases.push_back({"ffv1.mkv", make("ffv1", 64, 48, 20, 1, 0)});
    return cases;
}

class ExactFrames : public ::testing::TestWithParam<ClipCase> {
protected:
    QString clipOrSkip()
    {
        const ClipCase& c = GetParam();
        if (!FixtureWriter::encoderAvailable(c.recipe.encoder))
            return {};
        QString error;
        const QString path = MediaFixtures::clip(QString::fromLatin1(c.name), c.recipe, &error);
        EXPECT_FALSE(path.isEmpty()) << c.name << ": " << error.toStdString();
        return path;
    }
};

TEST_P(ExactFrames, CountAndEveryFrameMatchFfmpegInEveryOrder)
{
    if (!FixtureWriter::encoderAvailable(GetParam().recipe.encoder))
        GTEST_SKIP() << "encoder " << GetParam().recipe.encoder.toStdString() << " is not installed";
    const QString path = clipOrSkip();
    ASSERT_FALSE(path.isEmpty());
    const QStringList reference = MediaFixtures::ffmpegFrameMd5(path);
    ASSERT_FALSE(reference.isEmpty()) << "the ffmpeg command line gave no reference";
    ASSERT_EQ(MediaFixtures::ffprobeFrameCount(path), reference.size());

    // Forward with room for the whole clip; backward and random with room for only four
    // pictures, so nearly every step decodes again from a seek point.
    for (const auto order : {MediaFixtures::Order::Forward, MediaFixtures::Order::Backward, MediaFixtures::Order::Random}) {
        FrameCache cache(order == MediaFixtures::Order::Forward ? (std::size_t(64) << 20) : std::size_t(1));
        MediaSource source(&cache);
        ASSERT_EQ(source.open(path), MediaOk);
        if (order != MediaFixtures::Order::Forward)
            cache.setBudget(4 * FrameCache::frameBytes(source.decodedFrame(0).get()));
        EXPECT_EQ(source.frameCount(), reference.size());
        const QStringList sums = MediaFixtures::engineFrameMd5(source, order, 7);
        for (int n = 0; n < reference.size() && n < sums.size(); ++n)
            EXPECT_EQ(sums[n], reference[n]) << GetParam().name << " frame " << n << " order " << static_cast<int>(order);
        EXPECT_LE(cache.bytesUsed(), cache.budget());
    }
}

TEST_P(ExactFrames, AJumpLeavesOutUnreferencedPicturesBeforeItsTarget)
{
    const ClipCase& c = GetParam();
    const QString encoder = c.recipe.encoder;
    if (c.recipe.bFrames == 0 || !FixtureWriter::encoderAvailable(encoder))
        GTEST_SKIP() << "no pictures without references in " << c.name;
    // AVI stores no presentation times with B-frames, and the MPEG-4 Part 2 decoder decodes
    // every picture it is given: there the jump decodes everything, still exactly.
    const bool leavesOut = encoder != QLatin1String("mpeg4") && !QString::fromLatin1(c.name).endsWith(QLatin1String(".avi"));
    const QString path = clipOrSkip();
    ASSERT_FALSE(path.isEmpty());
    const QStringList reference = MediaFixtures::ffmpegFrameMd5(path);
    FrameCache cache(1);
    MediaSource source(&cache);
    ASSERT_EQ(source.open(path), MediaOk);
    const FrameIndex& index = *source.index();
    ASSERT_GE(index.seekPoints.size(), 2u);
    // The last picture of the second GOP: the jump decodes the GOP from its key frame.
    const int start = index.seekPoints[1].position;
    const int target = (index.seekPoints.size() > 2 ? index.seekPoints[2].position : index.count()) - 1;
    ASSERT_GT(target - start, 3);

    MediaDecoder decoder;
    ASSERT_EQ(decoder.open(path), MediaOk);
    int before = 0;
    QByteArray sum;
    ASSERT_TRUE(decoder.decodeRange(index, target, target, [&](int position, const AVFrame* frame) {
        if (position < target)
            ++before;
        else
            sum = FrameHash::nativeMd5(frame);
        return true;
    }));
    if (leavesOut) {
        EXPECT_LT(before, target - start) << "every picture before the target was decoded";
    }
    ASSERT_LT(target, reference.size());
    EXPECT_EQ(QString::fromLatin1(sum), reference[target]);
    // The same decoder then goes on exactly, and steps back exactly.
    for (int n : {target + 1, target - 1, start}) {
        if (n >= index.count())
            continue;
        sum.clear();
        ASSERT_TRUE(decoder.decodeRange(index, n, n, [&](int position, const AVFrame* frame) {
            if (position == n)
                sum = FrameHash::nativeMd5(frame);
            return true;
        }));
        EXPECT_EQ(QString::fromLatin1(sum), reference[n]) << "frame " << n;
    }
}

INSTANTIATE_TEST_SUITE_P(Clips, ExactFrames, ::testing::ValuesIn(clipCases()), [](const auto& info) {
    QString name = QString::fromLatin1(info.param.name);
    return name.replace(QLatin1Char('.'), QLatin1Char('_')).toStdString();
});

TEST(ExactFramesPaths, NonAsciiPathOpensAndDecodes)
{
    FixtureRecipe recipe = make(FixtureWriter::encoderAvailable(QStringLiteral("libx264")) ? "libx264" : "mpeg4", 96, 64, 12, 6, 2);
    const QString source = MediaFixtures::clip(QStringLiteral("ascii.mp4"), recipe);
    ASSERT_FALSE(source.isEmpty());
    const QString folder = QDir(TestPaths::scratchDir()).filePath(QStringLiteral("Bewegungsanalyse ü 日本"));
    QDir().mkpath(folder);
    const QString path = QDir(folder).filePath(QStringLiteral("Läufer 走る.mp4"));
    QFile::remove(path);
    ASSERT_TRUE(QFile::copy(source, path));
    MediaSource media;
    ASSERT_EQ(media.open(path), MediaOk);
    EXPECT_EQ(media.path(), path);
    EXPECT_EQ(media.frameCount(), 12);
    EXPECT_EQ(MediaFixtures::shownNumber(media.picture(11)), 11);
}

} // namespace
