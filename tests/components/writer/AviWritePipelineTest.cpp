// The writer encodes on a thread of its own a few frames behind its caller: frames still come out
// in the order given with the intended pictures (whatever the caller does with its pictures and
// frames after handing them over), a failure on that thread reaches the caller as a negative
// code, and an abort with frames still queued leaves nothing behind.
#include "support/WriterProbe.h"
#include "WriterTestFolder.h"

#include "support/MediaFixtures.h"
#include "components/audio/AudioData.h"
#include "components/media/FramePattern.h"
#include "components/media/MediaCodes.h"
#include "components/media/MediaSource.h"
#include "components/writer/AviWriter.h"

#include <csignal>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

const QByteArray precious = QByteArray("a file of the user's that an abandoned write must not touch\n").repeated(30);

TEST(AviWritePipeline, ManyFramesFromReusedPicturesAndDecodedFramesComeOutInOrder)
{
    const QString folder = WriterTestFolder::make(QStringLiteral("pipeline-order"));
    FixtureRecipe recipe;
    recipe.encoder = QStringLiteral("mjpeg");
    recipe.width = 96;
    recipe.height = 64;
    recipe.frames = 40;
    recipe.gop = 1;
    recipe.bFrames = 0;
    QString error;
    const QString clip = MediaFixtures::clip(QStringLiteral("pipeline-source.avi"), recipe, &error);
    ASSERT_FALSE(clip.isEmpty()) << error.toStdString();
    MediaSource source;
    ASSERT_EQ(source.open(clip), MediaOk);

    for (const char* codec : {"mjpeg", "ffv1"}) {
        SCOPED_TRACE(codec);
        const QString path = folder + QStringLiteral("/") + QLatin1String(codec) + QStringLiteral(".avi");
        AviWriter writer;
        ASSERT_EQ(writer.open(path, 96, 64, 100000, 2500000), MediaOk);
        ASSERT_EQ(writer.setCodec({QLatin1String(codec), 90}), MediaOk);
        ASSERT_EQ(writer.addAudio(8000, 1), MediaOk);
        QList<int> expected;
        // One picture the caller paints over after every append, as a drawing loop does.
        QImage canvas(96, 64, QImage::Format_RGB888);
        std::vector<float> tone(320, 0.25f); // 8000 / 25 samples per frame
        for (int i = 0; i < 120; ++i) {
            int rc = MediaOk;
            if (i % 3 == 2) {
                // The decoded frame is dropped by the caller right after the append.
                const int n = (i * 7) % recipe.frames;
                rc = writer.appendFrame(source.decodedFrame(n).get());
                expected << n;
            } else {
                canvas.fill(Qt::black);
                FramePattern::paint(canvas, canvas.rect(), 1000 + i);
                rc = writer.appendFrame(canvas, Qt::black, i % 10 == 0);
                expected << 1000 + i;
            }
            ASSERT_EQ(rc, MediaOk) << "frame " << i;
            ASSERT_EQ(writer.appendAudio(tone.data(), static_cast<int>(tone.size())), MediaOk);
            // A scribble on the shared picture must not reach the frame just appended.
            canvas.fill(Qt::white);
        }
        EXPECT_EQ(writer.framesWritten(), 120);
        ASSERT_EQ(writer.close(), MediaOk);
        EXPECT_FALSE(writer.isOpen());
        EXPECT_EQ(WriterProbe::shownNumbers(path), expected);
        const ProbedStream video = WriterProbe::video(path);
        EXPECT_EQ(video.frames, 120);
        AudioData sound;
        ASSERT_EQ(sound.open(path), MediaOk);
        EXPECT_EQ(sound.sampleRate(), 8000);
        EXPECT_EQ(sound.series(0)->sampleCount(), 120 * 320); // every block, none twice
        EXPECT_NEAR(sound.series(0)->peak(), 0.25, 0.01);
    }
    EXPECT_EQ(WriterTestFolder::entries(folder), (QStringList{QStringLiteral("ffv1.avi"), QStringLiteral("mjpeg.avi")}));
}

// What the child reports through its exit status.
enum FullDiskOutcome : int {
    FailedAtAppendThenClosed = 10, // a negative code from an append, the writer closed after it
    FailedAtCloseThenClosed = 11,  // every append taken, a negative code from close()
    NoFailure = 20,
    PositiveCode = 21,
    StillOpenAfterFailure = 22,
    AppendAcceptedAfterFailure = 23,
    NoLimit = 24,
};

// Appends `frames` raw 320x240 frames (225 KiB each) to `path` under a 1 MiB file-size limit.
// Nothing is painted here: the pictures are made before the fork, as a forked child must not
// wait on the painting threads of its parent.
int writeUnderLimit(const QString& path, const QList<QImage>& pictures, int frames)
{
    std::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{1 << 20, 1 << 20};
    if (setrlimit(RLIMIT_FSIZE, &limit) != 0)
        return NoLimit;
    AviWriter writer;
    if (writer.open(path, 320, 240, 100000, 2500000) != MediaOk
        || writer.setCodec({QStringLiteral("rawvideo"), 0}) != MediaOk)
        return NoLimit;
    for (int i = 0; i < frames; ++i) {
        const QImage& picture = pictures[i % pictures.size()];
        const int rc = writer.appendFrame(picture);
        if (rc > 0)
            return PositiveCode;
        if (rc < 0) {
            if (writer.isOpen())
                return StillOpenAfterFailure;
            if (writer.appendFrame(picture) != MediaNotOpen)
                return AppendAcceptedAfterFailure;
            return FailedAtAppendThenClosed;
        }
    }
    const int rc = writer.close();
    if (rc > 0)
        return PositiveCode;
    return rc < 0 ? (writer.isOpen() ? StillOpenAfterFailure : FailedAtCloseThenClosed) : NoFailure;
}

int outcomeInChild(const QString& path, int frames)
{
    QList<QImage> pictures;
    for (int i = 0; i < 4; ++i) {
        QImage picture(320, 240, QImage::Format_RGB888);
        picture.fill(Qt::black);
        FramePattern::paint(picture, picture.rect(), i);
        pictures << picture;
    }
    std::fflush(nullptr);
    const pid_t child = fork();
    if (child < 0)
        return -1;
    if (child == 0)
        _exit(writeUnderLimit(path, pictures, frames));
    int status = 0;
    if (waitpid(child, &status, 0) != child || !WIFEXITED(status))
        return -1; // the writer died instead of returning a code
    return WEXITSTATUS(status);
}

TEST(AviWritePipeline, FullDiskOnTheEncodingThreadReachesTheCaller)
{
    const QString folder = WriterTestFolder::make(QStringLiteral("pipeline-full"));
    const QString target = folder + QStringLiteral("/out.avi");
    WriterTestFolder::writeBytes(target, precious);
    // Far beyond the limit the failure overtakes the caller and shows at an append; just beyond
    // it, every frame is queued before the file fills and close() reports it.
    EXPECT_EQ(outcomeInChild(target, 60), FailedAtAppendThenClosed);
    const int justBeyond = outcomeInChild(target, 5);
    EXPECT_TRUE(justBeyond == FailedAtAppendThenClosed || justBeyond == FailedAtCloseThenClosed) << justBeyond;
    EXPECT_EQ(WriterTestFolder::entries(folder), QStringList{QStringLiteral("out.avi")});
    EXPECT_EQ(WriterTestFolder::bytes(target), precious);
}

} // namespace
