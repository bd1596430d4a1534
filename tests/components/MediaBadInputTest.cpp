// Files that are not (whole) videos: a negative code for each kind of failure, nothing half
// open afterwards, and the same source still opens a good file.
#include "support/MediaFixtures.h"

#include "components/media/MediaCodes.h"
#include "components/media/MediaSource.h"
#include "support/TestPaths.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <gtest/gtest.h>

#if defined(Q_OS_UNIX)
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

QString scratchFile(const QString& name, const QByteArray& bytes)
{
    const QString folder = QDir(TestPaths::scratchDir()).filePath(QStringLiteral("bad"));
    QDir().mkpath(folder);
    const QString path = QDir(folder).filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        return {};
    return path;
}

QString goodClip(const char* name)
{
    FixtureRecipe recipe;
    recipe.encoder = FixtureWriter::encoderAvailable(QStringLiteral("libx264")) ? QStringLiteral("libx264") : QStringLiteral("mpeg4");
    recipe.width = 96;
    recipe.height = 64;
    recipe.frames = 24;
    recipe.gop = 8;
    recipe.audio = true;
    return MediaFixtures::clip(QString::fromLatin1(name), recipe);
}

void expectClosed(const MediaSource& source)
{
    EXPECT_FALSE(source.isOpen());
    EXPECT_EQ(source.frameCount(), 0);
    EXPECT_EQ(source.width(), 0);
    EXPECT_TRUE(source.path().isEmpty());
}

// A minimal WAV file: media, but without a picture.
QByteArray wavBytes()
{
    QByteArray data(48000, '\0');
    QByteArray wav("RIFF");
    auto u32 = [&wav](quint32 v) { for (int i = 0; i < 4; ++i) wav.append(char((v >> (8 * i)) & 0xFF)); };
    auto u16 = [&wav](quint16 v) { wav.append(char(v & 0xFF)); wav.append(char(v >> 8)); };
    u32(36 + data.size());
    wav.append("WAVEfmt ");
    u32(16);
    u16(1);
    u16(1);
    u32(24000);
    u32(48000);
    u16(2);
    u16(16);
    wav.append("data");
    u32(data.size());
    return wav + data;
}

TEST(MediaBadInput, EachKindOfFailureHasItsOwnNegativeCode)
{
    const QString good = goodClip("good.mp4");
    ASSERT_FALSE(good.isEmpty());
    QFile goodFile(good);
    ASSERT_TRUE(goodFile.open(QIODevice::ReadOnly));
    const QByteArray goodBytes = goodFile.readAll();

    const QString text = scratchFile(QStringLiteral("notes.mp4"), "Messung 1: 3,2 m\nMessung 2: 3,4 m\n");
    const QString folder = QDir(TestPaths::scratchDir()).filePath(QStringLiteral("bad/folder.avi"));
    QDir().mkpath(folder);

    struct Case {
        const char* what;
        QString path;
        int code;
    };
    const Case cases[] = {
        {"missing file", QDir(TestPaths::scratchDir()).filePath(QStringLiteral("nothing here.mp4")), MediaFileMissing},
        {"empty path", QString(), MediaFileMissing},
        {"path through a file", text + QStringLiteral("/clip.mp4"), MediaFileUnreadable},
        {"folder", folder, MediaNotMedia},
        {"zero bytes", scratchFile(QStringLiteral("empty.mp4"), QByteArray()), MediaNotMedia},
        {"text named .mp4", text, MediaNotMedia},
        {"audio only", scratchFile(QStringLiteral("tone.wav"), wavBytes()), MediaNoVideoStream},
        // The MP4 index sits at the end: a cut-off file has none, but starts as an MP4 does.
        {"truncated mp4", scratchFile(QStringLiteral("cut.mp4"), goodBytes.left(goodBytes.size() / 2)), MediaCorrupt},
    };
    MediaSource source;
    for (const Case& c : cases) {
        EXPECT_EQ(source.open(c.path, 131072), c.code) << c.what;
        expectClosed(source);
        EXPECT_TRUE(source.picture(0).isNull()) << c.what;
    }
    // A failed open leaves nothing behind that would stop the next one.
    EXPECT_EQ(source.open(good), MediaOk);
    EXPECT_EQ(source.frameCount(), 24);
}

#if defined(Q_OS_UNIX)
TEST(MediaBadInput, FifoIsRefusedWithoutBlocking)
{
    const QString path = QDir(TestPaths::scratchDir()).filePath(QStringLiteral("pipe.mp4"));
    QFile::remove(path);
    ASSERT_EQ(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    MediaSource source;
    EXPECT_EQ(source.open(path), MediaFileUnreadable);
    expectClosed(source);
}

#endif

TEST(MediaBadInput, RandomBytesAndDamagedStreamsNeverCrash)
{
    QRandomGenerator random(20240611);
    MediaSource source;
    for (int i = 0; i < 6; ++i) {
        QByteArray bytes(1000 + i * 5000, '\0');
        for (char& b : bytes)
            b = static_cast<char>(random.bounded(256));
        const QString path = scratchFile(QStringLiteral("random%1.mkv").arg(i), bytes);
        EXPECT_LT(source.open(path), 0) << "random file " << i;
        expectClosed(source);
    }

    // Cut-off and overwritten streams of containers readable from the start: if they open at
    // all, every frame they claim decodes or fails cleanly.
    for (const char* name : {"damaged.mkv", "damaged.ts", "damaged.avi"}) {
        const QString good = goodClip(name);
        ASSERT_FALSE(good.isEmpty());
        QFile file(good);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        QByteArray cut = bytes.left(bytes.size() * 2 / 3);
        QByteArray scribbled = bytes;
        for (int at = static_cast<int>(bytes.size() / 3); at < scribbled.size(); at += 397)
            scribbled[at] = static_cast<char>(random.bounded(256));
        for (const QByteArray& broken : {cut, scribbled}) {
            const QString path = scratchFile(QStringLiteral("broken_") + QString::fromLatin1(name), broken);
            const int rc = source.open(path);
            if (rc != MediaOk) {
                EXPECT_LT(rc, 0);
                continue;
            }
            EXPECT_LE(source.frameCount(), 24);
            for (int n = source.frameCount() - 1; n >= 0; n -= 3)
                source.picture(n); // must not crash; a damaged frame may be null
            EXPECT_FALSE(source.picture(0).isNull()) << name;
        }
    }
}

} // namespace
