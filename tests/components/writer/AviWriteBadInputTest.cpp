// A write that cannot succeed (no folder, a full disk, bad arguments, a file open elsewhere)
// returns a negative code and never harms a file that was there before.
#include "WriterTestFolder.h"

#include "support/MediaFixtures.h"
#include "components/media/FrameAccess.h"
#include "components/media/FramePattern.h"
#include "components/media/MediaCodes.h"
#include "components/media/MediaSource.h"
#include "components/writer/AviWriter.h"

#include <QFileInfo>
#include <QProcess>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

const QByteArray precious = QByteArray("the user's own file, which no failed write may touch\n").repeated(40);

QImage numbered(QSize size, int number)
{
    QImage image(size, QImage::Format_RGB888);
    image.fill(Qt::black);
    FramePattern::paint(image, image.rect(), number);
    return image;
}

// Four numbered 320x240 pictures, made before any fork: a forked child must not paint, as it
// would wait on painting threads its parent started.
QList<QImage> largePictures()
{
    QList<QImage> pictures;
    for (int i = 0; i < 4; ++i)
        pictures << numbered(QSize(320, 240), i);
    return pictures;
}

// Writes `frames` raw 320x240 frames (225 KiB each) over `path`; the first failing code or 0.
int writeLarge(const QString& path, int frames, const QList<QImage>& pictures = largePictures())
{
    AviWriter writer;
    if (const int rc = writer.open(path, 320, 240, 100000, 2500000); rc != MediaOk)
        return rc;
    if (const int rc = writer.setCodec({QStringLiteral("rawvideo"), 0}); rc != MediaOk)
        return rc;
    for (int i = 0; i < frames; ++i)
        if (const int rc = writer.appendFrame(pictures[i % pictures.size()]); rc != MediaOk)
            return rc;
    return writer.close();
}

TEST(AviWriteBadInput, ArgumentsAndMissingFoldersAreRefused)
{
    const QString folder = WriterTestFolder::make(QStringLiteral("bad-args"));
    const QString plainFile = folder + QStringLiteral("/plain.txt");
    WriterTestFolder::writeBytes(plainFile, precious);
    MediaSource none;
    FrameAccess access(none);
    // A "folder" that is a regular file, a folder that does not exist, a folder as the target.
    EXPECT_LT(access.AVIWriteOpen(plainFile + QStringLiteral("/out.avi"), 64, 48, 100000, 2500000), 0);
    EXPECT_LT(access.AVIWriteOpen(folder + QStringLiteral("/missing/out.avi"), 64, 48, 100000, 2500000), 0);
    EXPECT_LT(access.AVIWriteOpen(folder, 64, 48, 100000, 2500000), 0);
    EXPECT_EQ(access.AVIWriteOpen(QString(), 64, 48, 100000, 2500000), MediaBadArgument);
    EXPECT_EQ(access.AVIWriteOpen(folder + QStringLiteral("/a.avi"), 0, 48, 100000, 2500000), MediaBadArgument);
    EXPECT_EQ(access.AVIWriteOpen(folder + QStringLiteral("/a.avi"), 64, -1, 100000, 2500000), MediaBadArgument);
    EXPECT_EQ(access.AVIWriteOpen(folder + QStringLiteral("/a.avi"), 64, 48, 0, 2500000), MediaBadArgument);
    EXPECT_EQ(access.AVIWriteOpen(folder + QStringLiteral("/a.avi"), 64, 48, 100000, 0), MediaBadArgument);
    // Nothing open: appending and closing are refused.
    EXPECT_EQ(access.AVIWriteAppendFrame(numbered(QSize(64, 48), 0), 0, Qt::black), MediaNotOpen);
    EXPECT_EQ(access.AVIWriteClose(), MediaNotOpen);
    ASSERT_EQ(access.AVIWriteOpen(folder + QStringLiteral("/a.avi"), 64, 48, 100000, 2500000), MediaOk);
    EXPECT_EQ(access.AVIWriteAppendFrame(QImage(), 0, Qt::black), MediaBadArgument);
    EXPECT_EQ(access.AVIWriteClose(), MediaOk); // nothing appended: nothing written
    EXPECT_EQ(WriterTestFolder::entries(folder), QStringList{QStringLiteral("plain.txt")});
    EXPECT_EQ(WriterTestFolder::bytes(plainFile), precious);

    AviWriter writer;
    ASSERT_EQ(writer.open(folder + QStringLiteral("/b.avi"), 64, 48, 100000, 2500000), MediaOk);
    EXPECT_EQ(writer.setCodec({QStringLiteral("no-such-codec"), 0}), MediaNoDecoder);
    EXPECT_EQ(writer.addAudio(0, 2), MediaBadArgument);
    EXPECT_EQ(writer.appendAudio(nullptr, 10), MediaBadArgument); // no audio stream
    ASSERT_EQ(writer.appendFrame(numbered(QSize(64, 48), 0)), MediaOk);
    EXPECT_EQ(writer.setCodec({QStringLiteral("ffv1"), 0}), MediaNotOpen); // too late
}

TEST(AviWriteBadInput, AbandonedWriteLeavesTheExistingFileAndNoTemporaryFile)
{
    const QString folder = WriterTestFolder::make(QStringLiteral("abandoned"));
    const QString target = folder + QStringLiteral("/out.avi");
    WriterTestFolder::writeBytes(target, precious);
    {
        MediaSource none;
        FrameAccess access(none);
        ASSERT_EQ(access.AVIWriteOpen(target, 64, 48, 100000, 2500000), MediaOk);
        EXPECT_TRUE(access.isWriting());
        ASSERT_EQ(access.AVIWriteAppendFrame(numbered(QSize(64, 48), 1), 0, Qt::black), MediaOk);
        EXPECT_EQ(WriterTestFolder::entries(folder).size(), 2); // the target and the file in the making
    } // goes without AVIWriteClose
    EXPECT_EQ(WriterTestFolder::entries(folder), QStringList{QStringLiteral("out.avi")});
    EXPECT_EQ(WriterTestFolder::bytes(target), precious);
}

TEST(AviWriteBadInput, WritingOverAFileOpenElsewhereLeavesItsReaderIntact)
{
    const QString folder = WriterTestFolder::make(QStringLiteral("open-elsewhere"));
    const QString target = folder + QStringLiteral("/shared.avi");
    FixtureRecipe recipe;
    recipe.encoder = QStringLiteral("mjpeg");
    recipe.frames = 40;
    recipe.gop = 1;
    recipe.bFrames = 0;
    QString error;
    ASSERT_EQ(FixtureWriter::write(target, recipe, &error), MediaOk) << error.toStdString();
    MediaSource reader;
    ASSERT_EQ(reader.open(target), MediaOk);
    EXPECT_EQ(MediaFixtures::shownNumber(reader.picture(3)), 3);

    ASSERT_EQ(writeLarge(target, 2), MediaOk);
    // The reader still sees the file it opened, frames it has not decoded yet included.
    EXPECT_EQ(MediaFixtures::shownNumber(reader.picture(37)), 37);
    MediaSource fresh;
    ASSERT_EQ(fresh.open(target), MediaOk);
    EXPECT_EQ(fresh.frameCount(), 2);
}

} // namespace
