// Writing AVI files through the frame access object: every offered codec, exact rates, odd
// sizes, the codec dialog and the choice kept for the run; each file is read back by ffprobe
// and by the engine, and its pictures must carry the intended frame numbers.
#include "support/WriterProbe.h"
#include "WriterTestFolder.h"

#include "support/MediaFixtures.h"
#include "components/media/FrameAccess.h"
#include "components/media/FramePattern.h"
#include "components/media/MediaCodes.h"
#include "components/media/MediaSource.h"
#include "components/writer/CodecCatalog.h"
#include "components/writer/CodecMemory.h"
#include "components/writer/WriterCodes.h"
#include "support/ScriptedDialogs.h"

#include <QFileInfo>
#include <gtest/gtest.h>
#include <random>

namespace {

QImage numbered(QSize size, int number)
{
    QImage image(size, QImage::Format_RGB888);
    image.fill(Qt::black);
    FramePattern::paint(image, image.rect(), number);
    return image;
}

// Writes the pictures with `codec` chosen in the codec dialog; the first failing code, else 0.
int writePictures(const QString& path, const CodecChoice& codec, const QList<QImage>& pictures, int rate = 2500000)
{
    MediaSource none;
    FrameAccess access(none);
    ScopedDialogs dialogs;
    dialogs->codecAnswers.push_back(codec);
    const QSize size = pictures.front().size();
    if (const int rc = access.AVIWriteOpen(path, size.width(), size.height(), 100000, rate); rc != MediaOk)
        return rc;
    if (const int rc = access.chooseCodec(nullptr, pictures.front(), QStringLiteral("Codec")); rc != MediaOk)
        return rc;
    for (const QImage& p : pictures)
        if (const int rc = access.AVIWriteAppendFrame(p, 0, Qt::black); rc != MediaOk)
            return rc;
    return access.AVIWriteClose();
}

// Pictures numbered first, first + step, ... written with `codec`; the first failing code, else 0.
int writeNumbered(const QString& path, QSize size, int frames, int rate, const CodecChoice& codec, int first = 0,
                  int step = 1)
{
    QList<QImage> pictures;
    for (int i = 0; i < frames; ++i)
        pictures << numbered(size, first + i * step);
    return writePictures(path, codec, pictures, rate);
}

QString expectedCodecName(const QString& encoder)
{
    return encoder == QLatin1String("libx264") ? QStringLiteral("h264") : encoder;
}

class AviWrite : public ::testing::Test {
protected:
    void SetUp() override
    {
        MediaFixtures::clip(QStringLiteral("quiet.mkv"), FixtureRecipe()); // silences the FFmpeg log
        CodecMemory::forget(QStringLiteral("Codec"));
    }
};

TEST_F(AviWrite, EveryCodecWritesExactlyTheIntendedFramesAtAnOddSize)
{
    const QString folder = WriterTestFolder::make(QStringLiteral("codecs"));
    const QSize odd(161, 121);
    for (const QString& codec : CodecCatalog::available()) {
        SCOPED_TRACE(codec.toStdString());
        const QString path = folder + QStringLiteral("/") + codec + QStringLiteral(".avi");
        ASSERT_EQ(writeNumbered(path, odd, 14, 2500000, {codec, 80}, 5, 3), MediaOk);
        const ProbedStream probed = WriterProbe::video(path);
        ASSERT_TRUE(probed.ok);
        EXPECT_EQ(probed.codec, expectedCodecName(codec));
        EXPECT_EQ(probed.frames, 14);
        EXPECT_EQ(probed.width, 161);
        EXPECT_EQ(probed.height, 121);
        EXPECT_EQ(probed.rate, QStringLiteral("25/1"));
        QList<int> expected;
        for (int i = 0; i < 14; ++i)
            expected << 5 + 3 * i;
        EXPECT_EQ(WriterProbe::shownNumbers(path), expected);
    }
    // Only the finished files are left: no temporary file of any writer.
    EXPECT_EQ(WriterTestFolder::entries(folder).size(), CodecCatalog::available().size());
}

// Greys keep their level and a colour its hue in every codec: a wrong range or matrix in the
// conversion to YUV shows as lifted blacks, dulled whites or shifted colours.
TEST_F(AviWrite, EveryCodecKeepsTheLevelsOfGreysAndColours)
{
    const QString folder = WriterTestFolder::make(QStringLiteral("levels"));
    const QColor bands[] = {QColor(32, 32, 32), QColor(96, 96, 96), QColor(160, 160, 160), QColor(224, 224, 224),
                            QColor(200, 60, 40)};
    const int bandW = 32;
    QImage picture(bandW * 5 + 1, 121, QImage::Format_RGB888); // odd: the general conversion
    for (int b = 0; b < 5; ++b)
        for (int y = 0; y < picture.height(); ++y)
            for (int x = b * bandW; x < (b + 1) * bandW + (b == 4); ++x)
                picture.setPixelColor(x, y, bands[b]);
    for (const QString& codec : CodecCatalog::available()) {
        SCOPED_TRACE(codec.toStdString());
        const QString path = folder + QStringLiteral("/") + codec + QStringLiteral(".avi");
        ASSERT_EQ(writePictures(path, {codec, 90}, {picture, picture}), MediaOk);
        MediaSource source;
        ASSERT_EQ(source.open(path), MediaOk);
        const QImage back = source.picture(0);
        ASSERT_EQ(back.size(), picture.size());
        for (int b = 0; b < 5; ++b) {
            const QColor got = back.pixelColor(b * bandW + bandW / 2, picture.height() / 2);
            EXPECT_NEAR(got.red(), bands[b].red(), 8) << "band " << b;
            EXPECT_NEAR(got.green(), bands[b].green(), 8) << "band " << b;
            EXPECT_NEAR(got.blue(), bands[b].blue(), 8) << "band " << b;
        }
    }
}

TEST_F(AviWrite, LosslessCodecsGiveThePicturesBackBitForBit)
{
    const QString folder = WriterTestFolder::make(QStringLiteral("lossless"));
    std::mt19937 random(7);
    QList<QImage> pictures;
    for (int i = 0; i < 3; ++i) {
        QImage noise(37, 23, QImage::Format_RGB888);
        for (int y = 0; y < noise.height(); ++y)
            for (int x = 0; x < noise.width() * 3; ++x)
                noise.scanLine(y)[x] = static_cast<uchar>(random());
        pictures << noise;
    }
    for (const QString& codec : {QStringLiteral("ffv1"), QStringLiteral("rawvideo")}) {
        SCOPED_TRACE(codec.toStdString());
        const QString path = folder + QStringLiteral("/") + codec + QStringLiteral(".avi");
        // A 32-bit picture is taken as well.
        ASSERT_EQ(writePictures(path, {codec, 0}, pictures + QList{pictures[1].convertToFormat(QImage::Format_RGB32)}),
                  MediaOk);
        MediaSource source;
        ASSERT_EQ(source.open(path), MediaOk);
        ASSERT_EQ(source.frameCount(), 4);
        for (int n = 0; n < 4; ++n)
            EXPECT_EQ(source.picture(n), pictures[n == 3 ? 1 : n]) << "frame " << n;
    }
}

TEST_F(AviWrite, CodecDialogChoiceIsKeptForTheRunAndCancelIsNegative)
{
    const QString folder = WriterTestFolder::make(QStringLiteral("dialog"));
    MediaSource none;
    ScopedDialogs dialogs;
    {
        FrameAccess access(none);
        ASSERT_EQ(access.AVIWriteOpen(folder + QStringLiteral("/cancel.avi"), 64, 48, 100000, 2500000), MediaOk);
        // No queued answer: the user cancels.
        EXPECT_EQ(access.chooseCodec(nullptr, numbered(QSize(64, 48), 0), QStringLiteral("Codec")), WriterCancelled);
        EXPECT_LT(WriterCancelled, 0);
        EXPECT_EQ(access.AVIWriteClose(), MediaOk);
        EXPECT_FALSE(QFileInfo::exists(folder + QStringLiteral("/cancel.avi")));
        EXPECT_FALSE(CodecMemory::kept(QStringLiteral("Codec")).has_value());
    }
    {
        FrameAccess access(none);
        ASSERT_EQ(access.AVIWriteOpen(folder + QStringLiteral("/mpeg4.avi"), 64, 48, 100000, 2500000), MediaOk);
        dialogs->codecAnswers.push_back({QStringLiteral("mpeg4"), 40});
        ASSERT_EQ(access.chooseCodec(nullptr, numbered(QSize(64, 48), 0), QStringLiteral("Codec")), MediaOk);
        ASSERT_EQ(access.AVIWriteAppendFrame(numbered(QSize(64, 48), 1), 0, Qt::black), MediaOk);
        ASSERT_EQ(access.AVIWriteClose(), MediaOk);
        const auto kept = CodecMemory::kept(QStringLiteral("Codec"));
        ASSERT_TRUE(kept.has_value());
        EXPECT_EQ(kept->codec, QStringLiteral("mpeg4"));
        EXPECT_EQ(kept->quality, 40);
    }
    {
        // A later writer that is not asked again uses the kept choice; a cancel keeps it.
        FrameAccess access(none);
        ASSERT_EQ(access.AVIWriteOpen(folder + QStringLiteral("/again.avi"), 64, 48, 100000, 2500000), MediaOk);
        EXPECT_EQ(access.chooseCodec(nullptr, QImage(), QStringLiteral("Codec")), WriterCancelled);
        ASSERT_EQ(access.AVIWriteAppendFrame(numbered(QSize(64, 48), 2), 0, Qt::black), MediaOk);
        ASSERT_EQ(access.AVIWriteClose(), MediaOk);
        EXPECT_EQ(WriterProbe::video(folder + QStringLiteral("/again.avi")).codec, QStringLiteral("mpeg4"));
        EXPECT_EQ(CodecMemory::kept(QStringLiteral("Codec"))->codec, QStringLiteral("mpeg4"));
    }
    {
        // An answer naming a codec the list does not hold is refused.
        FrameAccess access(none);
        dialogs->codecAnswers.push_back({QStringLiteral("no-such-codec"), 50});
        EXPECT_EQ(access.chooseCodec(nullptr, QImage(), QStringLiteral("Codec")), MediaNoDecoder);
    }
    EXPECT_EQ(dialogs->codecRequests, 4);
}

} // namespace
