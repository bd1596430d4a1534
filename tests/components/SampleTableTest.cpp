// An MP4 file's packets listed from its sample table, without their data, are the packets a
// reading of the whole file gives; files whose table is not all in the header are read whole.
#include "support/MediaFixtures.h"

#include "components/media/MediaCodes.h"
#include "components/media/MediaDecoder.h"
#include "components/media/MediaSource.h"
#include "components/media/SampleTableReader.h"
#include "support/TestPaths.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <gtest/gtest.h>

namespace {

struct Listed {
    int64_t pts, dts, pos;
    int size, flags;
    bool operator==(const Listed&) const = default;
};

template <typename Reader>
std::vector<Listed> listAll(Reader& reader)
{
    std::vector<Listed> out;
    AvPacketPtr packet = makePacket();
    while (reader.readVideoPacket(packet.get()) == 0)
        out.push_back({packet->pts, packet->dts, packet->pos, packet->size, packet->flags});
    return out;
}

QString remuxed(const QString& from, const QString& name, const QStringList& options)
{
    const QString out = QDir(TestPaths::scratchDir()).filePath(name);
    QStringList args{QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-y"), QStringLiteral("-i"), from,
                     QStringLiteral("-c"), QStringLiteral("copy")};
    return QProcess::execute(QStringLiteral("ffmpeg"), args + options + QStringList{out}) == 0 ? out : QString();
}

} // namespace

TEST(SampleTable, ListsThePacketsAReadingGivesOrLeavesTheFileToIt)
{
    FixtureRecipe s;
    s.encoder = QStringLiteral("libx264");
    s.width = 128;
    s.height = 96;
    s.frames = 60;
    s.gop = 12;
    s.bFrames = 3;
    s.audio = true;
    const QString clip = MediaFixtures::clip(QStringLiteral("table_h264.mp4"), s);
    ASSERT_FALSE(clip.isEmpty());
    const QString front = remuxed(clip, QStringLiteral("table_front.mp4"), {QStringLiteral("-movflags"), QStringLiteral("faststart")});
    const QString fragmented = remuxed(clip, QStringLiteral("table_frag.mp4"),
                                       {QStringLiteral("-movflags"), QStringLiteral("frag_keyframe+empty_moov")});
    ASSERT_FALSE(front.isEmpty());
    ASSERT_FALSE(fragmented.isEmpty());
    // Header first, its data cut off in the middle: the table lists samples the file lacks.
    const QString cut = QDir(TestPaths::scratchDir()).filePath(QStringLiteral("table_cut.mp4"));
    QFile::remove(cut);
    ASSERT_TRUE(QFile::copy(front, cut));
    QFile cutFile(cut);
    ASSERT_TRUE(cutFile.open(QIODevice::ReadWrite));
    ASSERT_TRUE(cutFile.resize(cutFile.size() * 6 / 10));
    cutFile.close();

    for (const QString& path : {clip, front, cut}) {
        MediaDecoder decoder;
        ASSERT_EQ(decoder.open(path), MediaOk) << path.toStdString();
        SampleTableReader table;
        ASSERT_TRUE(table.open(path, decoder.stream()->index)) << path.toStdString();
        const std::vector<Listed> listed = listAll(table);
        // Cut off, it stops where a reading stops, short of the table's end.
        EXPECT_EQ(table.readWholeTable(), path != cut) << path.toStdString();
        EXPECT_EQ(listed.size() == 60u, path != cut) << path.toStdString();
        EXPECT_TRUE(listed == listAll(decoder)) << path.toStdString();
    }

    // A fragmented file is read whole, and its frames are still ffmpeg's.
    MediaDecoder decoder;
    ASSERT_EQ(decoder.open(fragmented), MediaOk);
    SampleTableReader table;
    EXPECT_FALSE(table.open(fragmented, decoder.stream()->index));
    MediaSource source;
    ASSERT_EQ(source.open(fragmented), MediaOk);
    const QStringList reference = MediaFixtures::ffmpegFrameMd5(fragmented);
    EXPECT_EQ(reference.size(), 60);
    EXPECT_EQ(MediaFixtures::engineFrameMd5(source, MediaFixtures::Order::Backward), reference);
}

// Pictures that are each decoded on their own keep their order in an AVI: its packets index
// it, without a decode of the whole file at open; others are decoded to learn their order.
TEST(SampleTable, AnAviIsDecodedAtOpenOnlyWhenItsPicturesDependOnEachOther)
{
    for (const char* encoder : {"mjpeg", "mpeg4"}) {
        FixtureRecipe s;
        s.encoder = QString::fromLatin1(encoder);
        s.width = 64;
        s.height = 48;
        s.frames = 12;
        s.gop = 4;
        s.bFrames = encoder == std::string_view("mjpeg") ? 0 : 2;
        const QString clip = MediaFixtures::clip(QStringLiteral("order_%1.avi").arg(s.encoder), s);
        ASSERT_FALSE(clip.isEmpty());
        MediaSource source;
        ASSERT_EQ(source.open(clip), MediaOk);
        EXPECT_EQ(source.index()->fromDecodePass, encoder != std::string_view("mjpeg")) << encoder;
        EXPECT_EQ(MediaFixtures::engineFrameMd5(source, MediaFixtures::Order::Random), MediaFixtures::ffmpegFrameMd5(clip));
    }
}
