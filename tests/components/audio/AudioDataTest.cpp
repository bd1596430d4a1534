// The data library for audio: channels, length, peak and min/max envelopes of generated sine
// clips, at any width and for long files, and the codes for files it cannot serve.
#include "support/SineClip.h"

#include "support/MediaFixtures.h"
#include "../writer/WriterTestFolder.h"
#include "components/audio/AudioCodes.h"
#include "components/audio/AudioData.h"
#include "components/audio/AudioDecoder.h"
#include "components/audio/AudioLoader.h"
#include "components/media/MediaCodes.h"

#include <QTest>
#include <gtest/gtest.h>

namespace {

// One 16-bit step: how far a written sample may be from what comes back.
constexpr double step = 1.0 / 32767;

TEST(AudioData, SineClipHasItsChannelsLengthAndPeaks)
{
    const QString path = WriterTestFolder::make(QStringLiteral("audio-sine")) + QStringLiteral("/sine.avi");
    const SineSpec recipe; // 3 s at 44.1 kHz: 0.5 at 440 Hz left, 0.25 at 1 kHz right
    ASSERT_EQ(SineClip::write(path, recipe), MediaOk);
    AudioData data;
    ASSERT_EQ(data.open(path), MediaOk);
    EXPECT_TRUE(data.isOpen());
    EXPECT_EQ(data.channelCount(), 2);
    EXPECT_EQ(data.sampleRate(), 44100);
    EXPECT_DOUBLE_EQ(data.duration(), 3.0);
    for (int c = 0; c < 2; ++c) {
        SCOPED_TRACE(c);
        const AudioSeries* series = data.series(c);
        ASSERT_NE(series, nullptr);
        EXPECT_EQ(series->sampleCount(), SineClip::samples(recipe));
        EXPECT_NEAR(series->peak(), recipe.amplitudes[static_cast<std::size_t>(c)], 2 * step);
    }
    EXPECT_EQ(data.series(2), nullptr);
    EXPECT_EQ(data.series(-1), nullptr);
    data.close();
    EXPECT_FALSE(data.isOpen());
    EXPECT_EQ(data.channelCount(), 0);
}

// Read on a thread of its own, the audio arrives in growing parts, the whole last, as a reading
// in one go gives it; a loader dropped while it reads stops.
TEST(AudioData, ArrivesInGrowingPartsFromItsThread)
{
    const QString path = WriterTestFolder::make(QStringLiteral("audio-parts")) + QStringLiteral("/sine.avi");
    const SineSpec recipe;
    ASSERT_EQ(SineClip::write(path, recipe), MediaOk);
    std::vector<int64_t> parts;
    AudioData data;
    ASSERT_EQ(data.open(path, [&](const AudioData& soFar) {
        parts.push_back(soFar.series(1)->sampleCount());
        EXPECT_NEAR(soFar.series(1)->peak(), recipe.amplitudes[1], 2 * step);
        return true;
    }, 0.5), MediaOk);
    ASSERT_GE(parts.size(), 2u);
    EXPECT_TRUE(std::is_sorted(parts.begin(), parts.end()) && parts.front() >= 22050 && parts.back() < SineClip::samples(recipe));
    EXPECT_EQ(data.open(path, [](const AudioData&) { return false; }, 0.5), AudioStopped);
    EXPECT_FALSE(data.isOpen());

    AudioLoader loader(path);
    std::shared_ptr<const AudioData> whole;
    QObject::connect(&loader, &AudioLoader::arrived, [&](std::shared_ptr<const AudioData> d, bool complete, int code) {
        EXPECT_EQ(code, MediaOk);
        if (complete)
            whole = d;
    });
    loader.start();
    ASSERT_TRUE(QTest::qWaitFor([&] { return whole != nullptr; }, 20000));
    EXPECT_TRUE(loader.finished());
    ASSERT_EQ(whole->channelCount(), 2);
    EXPECT_EQ(whole->series(0)->sampleCount(), SineClip::samples(recipe));
    EXPECT_EQ(whole->series(0)->envelope(50, 0, -1).size(), 50u);

    auto dropped = std::make_unique<AudioLoader>(path);
    bool heard = false;
    QObject::connect(dropped.get(), &AudioLoader::arrived, [&] { heard = true; });
    dropped->start();
    dropped.reset();
    QTest::qWait(50);
    EXPECT_FALSE(heard) << "nothing arrives from a loader that is gone";
}

TEST(AudioData, FilesWithoutUsableSoundGiveCodes)
{
    const QString folder = WriterTestFolder::make(QStringLiteral("audio-bad"));
    const QString text = folder + QStringLiteral("/notes.txt");
    WriterTestFolder::writeBytes(text, QByteArray("no sound in here\n").repeated(100));
    const QString empty = folder + QStringLiteral("/empty.wav");
    WriterTestFolder::writeBytes(empty, QByteArray());
    FixtureRecipe silentSpec;
    silentSpec.frames = 5;
    const QString silent = MediaFixtures::clip(QStringLiteral("audio-none.mp4"), silentSpec);
    ASSERT_FALSE(silent.isEmpty());
    AudioData data;
    EXPECT_EQ(data.open(folder + QStringLiteral("/missing.wav")), MediaFileMissing);
    EXPECT_EQ(data.open(folder), MediaNotMedia);
    EXPECT_EQ(data.open(empty), MediaNotMedia);
    EXPECT_LT(data.open(text), 0); // read as a text "video" by FFmpeg, or as nothing
    EXPECT_EQ(data.open(QStringLiteral("/dev/null")), MediaFileUnreadable);
    EXPECT_EQ(data.open(silent), AudioNoStream);
    EXPECT_EQ(data.open(QString()), MediaFileMissing);
    EXPECT_FALSE(data.isOpen());
    EXPECT_EQ(data.channelCount(), 0);
    EXPECT_EQ(data.duration(), 0.0);
}

TEST(AudioDecoder, ReadsTheSameSamplesForwardsBackwardsAndBeyondTheEnds)
{
    const QString path = WriterTestFolder::make(QStringLiteral("audio-read")) + QStringLiteral("/read.avi");
    SineSpec recipe;
    recipe.seconds = 4.0;
    ASSERT_EQ(SineClip::write(path, recipe), MediaOk);
    AudioDecoder decoder;
    ASSERT_EQ(decoder.open(path), MediaOk);
    std::vector<float> early, late, again;
    ASSERT_EQ(decoder.read(1000, 500, early), MediaOk);
    ASSERT_EQ(decoder.read(150000, 500, late), MediaOk); // far ahead: a seek
    ASSERT_EQ(decoder.read(1000, 500, again), MediaOk);  // backwards: a seek
    EXPECT_EQ(early, again);
    // Sample 1000 of the left channel is the written sine's.
    EXPECT_NEAR(early[0], 0.5 * std::sin(2.0 * M_PI * 440.0 * 1000 / 44100), 2 * step);
    EXPECT_NEAR(late[0], 0.5 * std::sin(2.0 * M_PI * 440.0 * 150000 / 44100), 2 * step);
    // Before the start and after the end: silence, no error.
    std::vector<float> edges;
    ASSERT_EQ(decoder.read(-100, 200, edges), MediaOk);
    EXPECT_EQ(edges[0], 0.0f);
    EXPECT_NEAR(edges[2 * 101], 0.5 * std::sin(2.0 * M_PI * 440.0 / 44100), 2 * step);
    ASSERT_EQ(decoder.read(4 * 44100 - 10, 100, edges), MediaOk);
    EXPECT_EQ(edges[2 * 50], 0.0f);
    // Converted on reading: mono at half the rate.
    AudioDecoder mono;
    ASSERT_EQ(mono.open(path, 22050, 1), MediaOk);
    EXPECT_EQ(mono.channels(), 1);
    EXPECT_EQ(mono.sampleRate(), 22050);
    std::vector<float> down;
    ASSERT_EQ(mono.read(0, 22050, down), MediaOk);
    EXPECT_EQ(down.size(), 22050u);
}

} // namespace
