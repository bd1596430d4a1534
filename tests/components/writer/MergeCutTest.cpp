// Merge-cut through the AVI file component: exactly the frames of the cut points, in order,
// with their sound; completion and progress on the user-interface thread; stopping, bad
// arguments and failures leave no target behind and never touch a source.
#include "support/WriterProbe.h"
#include "WriterTestFolder.h"

#include "support/MediaFixtures.h"
#include "components/audio/AudioData.h"
#include "components/audio/AudioDecoder.h"
#include "components/media/MediaCodes.h"
#include "components/media/MediaSource.h"
#include "components/media/FramePattern.h"
#include "components/writer/OvAVI.h"
#include "components/writer/PngSequenceWriter.h"
#include "components/writer/WriterCodes.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QThread>
#include <gtest/gtest.h>
#include <optional>

namespace {

struct Done {
    int code, frames, runs, audio;
    bool onUiThread;
};

// Records what the component reports.
struct Listener {
    std::optional<Done> done;
    int doneCount = 0;
    QList<std::pair<int, int>> progress;

    explicit Listener(OvAVI& avi)
    {
        QObject::connect(&avi, &OvAVI::AVIMergeCutDone, &avi, [this](int code, int frames, int runs, int audio, int, int) {
            done = Done{code, frames, runs, audio, QThread::currentThread() == qApp->thread()};
            ++doneCount;
        });
        QObject::connect(&avi, &OvAVI::AVIMergeCutProgress, &avi,
                         [this](int d, int t) { progress << std::make_pair(d, t); });
    }
    // Pumps events until the completion arrives (a guard against a hang, not a timing check).
    bool waitDone()
    {
        QElapsedTimer guard;
        guard.start();
        while (!done && guard.elapsed() < 300000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        return done.has_value();
    }
};

QList<bool> noFlags(qsizetype n) { return QList<bool>(n, false); }

QList<int> range(int first, int last)
{
    QList<int> numbers;
    for (int n = first; n <= last; ++n)
        numbers << n;
    return numbers;
}

QString h264WithAudio()
{
    FixtureRecipe recipe;
    recipe.frames = 60;
    recipe.audio = true; // AAC, a 440 Hz sine at a quarter of full scale in both channels
    return MediaFixtures::clip(QStringLiteral("cut-h264-aac.mp4"), recipe);
}

QString mjpegWithPcm()
{
    FixtureRecipe recipe;
    recipe.encoder = QStringLiteral("mjpeg");
    recipe.frames = 60;
    recipe.gop = 1;
    recipe.bFrames = 0;
    recipe.audio = true; // 16-bit PCM: the samples come back exactly
    return MediaFixtures::clip(QStringLiteral("cut-mjpeg-pcm.avi"), recipe);
}

QString largeClip(const QString& name, int width, int height, int frames)
{
    FixtureRecipe recipe;
    recipe.encoder = QStringLiteral("mpeg4");
    recipe.width = width;
    recipe.height = height;
    recipe.frames = frames;
    return MediaFixtures::clip(name, recipe);
}

QString biggerWithAudio()
{
    FixtureRecipe recipe;
    recipe.width = 320;
    recipe.height = 240;
    recipe.frames = 12;
    recipe.audio = true;
    return MediaFixtures::clip(QStringLiteral("cut-320-aac.mp4"), recipe);
}

TEST(MergeCut, TwoRunsGiveExactlyTheirFramesInOrderWithTheirSound)
{
    const QString source = h264WithAudio();
    ASSERT_FALSE(source.isEmpty());
    const QString target = WriterTestFolder::make(QStringLiteral("cut-two-runs")) + QStringLiteral("/cut.avi");
    OvAVI avi;
    Listener listener(avi);
    ASSERT_EQ(avi.AVIMergeCut({source, source}, target, {10, 19, 40, 44}, noFlags(4)), MediaOk);
    EXPECT_TRUE(avi.isBusy());
    ASSERT_TRUE(listener.waitDone());
    EXPECT_EQ(listener.done->code, MediaOk);
    EXPECT_EQ(listener.done->frames, 15);
    EXPECT_EQ(listener.done->runs, 2);
    EXPECT_EQ(listener.done->audio, 1);
    EXPECT_TRUE(listener.done->onUiThread);
    EXPECT_FALSE(avi.isBusy());

    // Progress rises to the total.
    ASSERT_FALSE(listener.progress.isEmpty());
    for (qsizetype i = 1; i < listener.progress.size(); ++i)
        EXPECT_GT(listener.progress[i].first, listener.progress[i - 1].first);
    EXPECT_EQ(listener.progress.last(), std::make_pair(15, 15));

    const ProbedStream video = WriterProbe::video(target);
    EXPECT_EQ(video.frames, 15);
    EXPECT_EQ(video.width, 176);
    EXPECT_EQ(video.height, 144);
    EXPECT_EQ(video.rate, QStringLiteral("25/1"));
    EXPECT_EQ(WriterProbe::shownNumbers(target), range(10, 19) + range(40, 44));

    const ProbedStream audio = WriterProbe::audio(target);
    EXPECT_EQ(audio.codec, QStringLiteral("pcm_s16le"));
    EXPECT_EQ(audio.sampleRate, 48000);
    EXPECT_EQ(audio.channels, 2);
    AudioData sound;
    ASSERT_EQ(sound.open(target), MediaOk);
    EXPECT_EQ(sound.series(0)->sampleCount(), 15 * 48000 / 25); // ends exactly with the pictures
    EXPECT_NEAR(sound.series(0)->peak(), 0.25, 0.02);
    EXPECT_NEAR(sound.series(1)->peak(), 0.25, 0.02);
}

TEST(MergeCut, SoundIsTheSourceSoundOfTheCutFrames)
{
    const QString source = mjpegWithPcm();
    ASSERT_FALSE(source.isEmpty());
    const QString target = WriterTestFolder::make(QStringLiteral("cut-sound")) + QStringLiteral("/cut.avi");
    OvAVI avi;
    Listener listener(avi);
    ASSERT_EQ(avi.AVIMergeCut({source, source}, target, {10, 19, 40, 44}, noFlags(4)), MediaOk);
    ASSERT_TRUE(listener.waitDone());
    ASSERT_EQ(listener.done->code, MediaOk);
    EXPECT_EQ(WriterProbe::shownNumbers(target), range(10, 19) + range(40, 44));

    // 1920 samples a frame at 48 kHz and 25 frames per second.
    AudioDecoder in;
    AudioDecoder out;
    ASSERT_EQ(in.open(source), MediaOk);
    ASSERT_EQ(out.open(target), MediaOk);
    std::vector<float> cut, first, second;
    ASSERT_EQ(out.read(0, 15 * 1920, cut), MediaOk);
    ASSERT_EQ(in.read(10 * 1920, 10 * 1920, first), MediaOk);
    ASSERT_EQ(in.read(40 * 1920, 5 * 1920, second), MediaOk);
    first.insert(first.end(), second.begin(), second.end());
    ASSERT_EQ(cut.size(), first.size());
    EXPECT_EQ(cut, first);
    // The source's sine is not silent there: the comparison compares something.
    EXPECT_GT(*std::max_element(cut.begin(), cut.end()), 0.2f);
}

TEST(MergeCut, SourcesOfOtherSizesAreScaledAndSilentOnesStaySilent)
{
    const QString silent = largeClip(QStringLiteral("cut-silent-176.avi"), 176, 144, 20);
    const QString bigger = biggerWithAudio();
    ASSERT_FALSE(silent.isEmpty());
    ASSERT_FALSE(bigger.isEmpty());
    const QString target = WriterTestFolder::make(QStringLiteral("cut-mixed")) + QStringLiteral("/mixed.avi");
    OvAVI avi;
    Listener listener(avi);
    ASSERT_EQ(avi.AVIMergeCut({silent, bigger, silent}, target, {2, 4, 7, 8, 15, 15}, noFlags(6)), MediaOk);
    ASSERT_TRUE(listener.waitDone());
    ASSERT_EQ(listener.done->code, MediaOk);
    EXPECT_EQ(listener.done->frames, 6);
    const ProbedStream video = WriterProbe::video(target);
    EXPECT_EQ(video.width, 176);
    EXPECT_EQ(video.height, 144);
    EXPECT_EQ(video.frames, 6);
    EXPECT_EQ(WriterProbe::shownNumbers(target), (QList<int>{2, 3, 4, 7, 8, 15}));
    AudioData sound;
    ASSERT_EQ(sound.open(target), MediaOk);
    const AudioSeries* left = sound.series(0);
    ASSERT_EQ(left->sampleCount(), 6 * 1920);
    // Three silent frames, two of sine, one silent frame.
    const auto quiet = left->envelope(1, 0, 3 * 1920 - 256);
    EXPECT_EQ(quiet[0].max, 0.0f);
    EXPECT_EQ(quiet[0].min, 0.0f);
    const auto tone = left->envelope(1, 3 * 1920 + 256, 5 * 1920 - 256);
    EXPECT_NEAR(tone[0].max, 0.25, 0.02);
    const auto last = left->envelope(1, 5 * 1920 + 256, 6 * 1920);
    EXPECT_EQ(last[0].max, 0.0f);
}

// A file view saved as MP4, GIF or PNG pictures: the same frames, scaled alike, without sound.
TEST(MergeCut, OtherKindsTakeTheSameFramesWithoutSound)
{
    const QString small = largeClip(QStringLiteral("cut-silent-176.avi"), 176, 144, 20);
    const QString bigger = biggerWithAudio();
    ASSERT_FALSE(small.isEmpty());
    ASSERT_FALSE(bigger.isEmpty());
    const QList<int> expected{2, 3, 4, 7, 8, 15};
    for (const char* name : {"cut.mp4", "cut.gif", "cut.png"}) {
        const QString folder = WriterTestFolder::make(QStringLiteral("cut-kinds-") + QLatin1String(name).left(7));
        const QString target = folder + u'/' + QLatin1String(name);
        OvAVI avi;
        Listener listener(avi);
        ASSERT_EQ(avi.AVIMergeCut({small, bigger, small}, target, {2, 4, 7, 8, 15, 15}, noFlags(6)), MediaOk) << name;
        ASSERT_TRUE(listener.waitDone());
        ASSERT_EQ(listener.done->code, MediaOk) << name;
        EXPECT_EQ(listener.done->audio, 0) << name;
        if (target.endsWith(QLatin1String(".png"))) {
            QList<int> shown;
            for (int k = 0; k < expected.size(); ++k) {
                const QImage picture(PngSequenceWriter::framePath(target, k, int(expected.size())));
                EXPECT_EQ(picture.size(), QSize(176, 144));
                shown << FramePattern::read(picture, picture.rect());
            }
            EXPECT_EQ(shown, expected);
            EXPECT_EQ(WriterTestFolder::entries(folder).size(), expected.size());
            continue;
        }
        const ProbedStream video = WriterProbe::video(target);
        EXPECT_EQ(video.codec, target.endsWith(QLatin1String(".gif")) ? QStringLiteral("gif") : QStringLiteral("h264"));
        EXPECT_EQ(QSize(video.width, video.height), QSize(176, 144)) << name;
        EXPECT_EQ(video.frames, 6) << name;
        EXPECT_EQ(WriterProbe::shownNumbers(target), expected) << name;
        // Lossy clips have far more than 256 colours: the GIF's palette comes from median cut
        // (0.8 here; 16 colours would give 1.4).
        MediaSource source, written;
        ASSERT_EQ(source.open(small), MediaOk);
        ASSERT_EQ(written.open(target), MediaOk);
        EXPECT_LT(MediaFixtures::meanDifference(written.picture(0), source.picture(2), QRect(0, 0, 176, 144)),
                  video.codec == QLatin1String("gif") ? 1.1 : 3.0)
            << name;
        EXPECT_FALSE(WriterProbe::audio(target).ok) << name;
        EXPECT_EQ(WriterTestFolder::entries(folder), QStringList{QLatin1String(name)});
    }
}

TEST(MergeCut, StoppedWorkLeavesNoTargetAndRaisesNoCompletion)
{
    const QString source = largeClip(QStringLiteral("cut-long.avi"), 320, 240, 400);
    ASSERT_FALSE(source.isEmpty());
    const QString folder = WriterTestFolder::make(QStringLiteral("cut-stop"));
    const QString target = folder + QStringLiteral("/cut.avi");
    {
        OvAVI avi;
        Listener listener(avi);
        ASSERT_EQ(avi.AVIMergeCut({source}, target, {0, 399}, noFlags(2)), MediaOk);
        EXPECT_EQ(avi.AVIMergeCut({source}, target, {0, 1}, noFlags(2)), WriterBusy);
        avi.AVIMergeCutStop();
        avi.AVIMergeCutWait();
        EXPECT_FALSE(avi.isBusy());
        QCoreApplication::processEvents();
        EXPECT_EQ(listener.doneCount, 0);
        EXPECT_TRUE(WriterTestFolder::entries(folder).isEmpty());
    }
    // An existing target survives a stop, here by the component's removal while it works.
    const QByteArray before("an older file of the user");
    WriterTestFolder::writeBytes(target, before);
    {
        OvAVI avi;
        ASSERT_EQ(avi.AVIMergeCut({source}, target, {0, 399}, noFlags(2)), MediaOk);
    }
    EXPECT_EQ(WriterTestFolder::entries(folder), QStringList{QStringLiteral("cut.avi")});
    EXPECT_EQ(WriterTestFolder::bytes(target), before);
}

TEST(MergeCut, BadArgumentsAreRefusedAndSourcesStayIntact)
{
    const QString source = mjpegWithPcm();
    ASSERT_FALSE(source.isEmpty());
    const QByteArray sourceBytes = WriterTestFolder::bytes(source);
    const QString folder = WriterTestFolder::make(QStringLiteral("cut-bad"));
    const QString target = folder + QStringLiteral("/cut.avi");
    OvAVI avi;
    Listener listener(avi);
    EXPECT_EQ(avi.AVIMergeCut({source}, target, {1, 2, 3}, noFlags(3)), MediaBadArgument);        // odd count
    EXPECT_EQ(avi.AVIMergeCut({source}, target, {1, 2}, noFlags(3)), MediaBadArgument);           // flags
    EXPECT_EQ(avi.AVIMergeCut({source}, target, {5, 2}, noFlags(2)), MediaBadArgument);           // reversed
    EXPECT_EQ(avi.AVIMergeCut({source}, target, {-1, 2}, noFlags(2)), MediaBadArgument);          // negative
    EXPECT_EQ(avi.AVIMergeCut({source, source}, target, {1, 2}, noFlags(2)), MediaBadArgument);   // paths
    EXPECT_EQ(avi.AVIMergeCut({source}, QString(), {1, 2}, noFlags(2)), MediaBadArgument);        // no target
    EXPECT_EQ(avi.AVIMergeCut({}, target, {}, {}), MediaBadArgument);                             // nothing
    EXPECT_EQ(avi.AVIMergeCut({folder + QStringLiteral("/none.avi")}, target, {1, 2}, noFlags(2)), MediaFileMissing);
    EXPECT_EQ(avi.AVIMergeCut({source}, source, {1, 2}, noFlags(2)), WriterSameFile);
    EXPECT_FALSE(avi.isBusy());
    EXPECT_TRUE(WriterTestFolder::entries(folder).isEmpty());

    // Frames beyond the end are found by the worker: completion with a negative code, no file.
    ASSERT_EQ(avi.AVIMergeCut({source}, target, {50, 60}, noFlags(2)), MediaOk);
    ASSERT_TRUE(listener.waitDone());
    EXPECT_EQ(listener.done->code, MediaBadArgument);
    EXPECT_TRUE(WriterTestFolder::entries(folder).isEmpty());

    // A target folder that cannot exist: completion with a negative code.
    listener.done.reset();
    ASSERT_EQ(avi.AVIMergeCut({source}, source + QStringLiteral("/cut.avi"), {1, 2}, noFlags(2)), MediaOk);
    ASSERT_TRUE(listener.waitDone());
    EXPECT_LT(listener.done->code, 0);
    EXPECT_EQ(WriterTestFolder::bytes(source), sourceBytes);
}

} // namespace
