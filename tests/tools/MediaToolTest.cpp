// The command-line tool as users and scripts run it: its frame checksums equal the ffmpeg
// command line's in every access order, its frame counts equal ffprobe's, it writes pictures of
// the right frame, and bad input ends with a message and a failing exit code.
#include "components/analysis/AnalysisFile.h"
#include "components/media/DecodeAhead.h"
#include "components/media/FrameCache.h"
#include "components/media/FrameHash.h"
#include "components/media/MediaCodes.h"
#include "components/media/MediaSource.h"
#include "support/AnalysisSample.h"
#include "support/CsvRead.h"
#include "support/FixtureRecipes.h"
#include "support/MediaFixtures.h"
#include "support/TestPaths.h"
#include "support/ToolRun.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <cctype>
#include <cmath>
#include <gtest/gtest.h>

#if defined(Q_OS_UNIX)
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

// "n,md5" lines in frame order as a list of sums; empty when a line is out of order.
QStringList sumsOf(const QString& out)
{
    QStringList sums;
    for (const QString& line : out.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const QStringList parts = line.split(QLatin1Char(','));
        if (parts.size() != 2 || parts[0].toInt() != sums.size())
            return {};
        sums << parts[1];
    }
    return sums;
}

int keyOf(const QString& out, const QString& key)
{
    for (const QString& line : out.split(QLatin1Char('\n')))
        if (line.startsWith(key + QLatin1Char('=')))
            return line.mid(key.size() + 1).toInt();
    return -1;
}

FixtureRecipe recipe(const char* encoder, int frames, int gop, int bFrames)
{
    FixtureRecipe s;
    s.encoder = QString::fromLatin1(encoder);
    s.width = 128;
    s.height = 96;
    s.frames = frames;
    s.gop = gop;
    s.bFrames = bFrames;
    return s;
}

struct ToolCase {
    const char* name;
    FixtureRecipe recipe;
};

std::vector<ToolCase> toolCases()
{
    std::vector<ToolCase> cases;
    FixtureRecipe s = recipe("libx264", 40, 12, 3);
    s.openGop = true;
    s.audio = true;
    cases.push_back({"tool_h264_opengop.mp4", s});
    // Every codec and container in every order is the engine's own test; here the tool's path
    // through it, and the turned pictures only the tool reports.
    // A phone's upright video: landscape frames that players turn by a quarter.
    s = recipe("libx264", 30, 10, 2);
    s.rotation = 90;
    cases.push_back({"tool_h264_upright.mp4", s});
    s = recipe("libx264", 20, 10, 2);
    s.rotation = 270;
    cases.push_back({"tool_h264_upright270.mov", s});
    return cases;
}

class MediaTool : public ::testing::TestWithParam<ToolCase> {};

// `info` counts what ffprobe counts and `framemd5` lists ffmpeg's sums in every access order.
void expectLikeFfmpeg(const QString& path, const QString& what)
{
    const QStringList reference = MediaFixtures::ffmpegFrameMd5(path);
    ASSERT_FALSE(reference.isEmpty()) << what.toStdString();
    const ToolRun info = tool({QStringLiteral("info"), path});
    ASSERT_EQ(info.exitCode, 0) << info.err.toStdString();
    EXPECT_EQ(keyOf(info.out, QStringLiteral("frames")), MediaFixtures::ffprobeFrameCount(path)) << what.toStdString();
    for (const char* order : {"forward", "backward", "random"}) {
        // Random visits one by one: every visit a jump (batched random order is the field case below).
        QStringList args{QStringLiteral("framemd5"), path, QStringLiteral("--order"), QString::fromLatin1(order),
                         QStringLiteral("--seed"), QStringLiteral("5")};
        if (QLatin1String(order) == QLatin1String("random"))
            args << QStringLiteral("--one-by-one");
        const ToolRun run = tool(args);
        ASSERT_EQ(run.exitCode, 0) << order << ": " << run.err.toStdString();
        EXPECT_EQ(sumsOf(run.out), reference) << what.toStdString() << " in " << order << " order";
    }
}

TEST_P(MediaTool, InfoCountsAndChecksumsInEveryOrderMatchFfmpeg)
{
    const ToolCase& c = GetParam();
    if (!FixtureWriter::encoderAvailable(c.recipe.encoder))
        GTEST_SKIP() << "encoder " << c.recipe.encoder.toStdString() << " is not installed";
    QString error;
    const QString path = MediaFixtures::clip(QString::fromLatin1(c.name), c.recipe, &error);
    ASSERT_FALSE(path.isEmpty()) << error.toStdString();
    expectLikeFfmpeg(path, QString::fromLatin1(c.name));

    const ToolRun info = tool({QStringLiteral("info"), path});
    const bool across = c.recipe.rotation % 180 != 0; // shown turned: width and height swap
    EXPECT_EQ(keyOf(info.out, QStringLiteral("width")), across ? c.recipe.height : c.recipe.width);
    EXPECT_EQ(keyOf(info.out, QStringLiteral("height")), across ? c.recipe.width : c.recipe.height);
}

INSTANTIATE_TEST_SUITE_P(Clips, MediaTool, ::testing::ValuesIn(toolCases()), [](const auto& info) {
    return QString::fromLatin1(info.param.name).replace(QLatin1Char('.'), QLatin1Char('_')).toStdString();
});

// Copies cut without re-encoding start inside a GOP: their edit lists hide the pictures before
// the cut, which must be decoded for the later ones but are no frames of the file.
TEST(MediaToolEditLists, CutCopiesListOnlyTheFramesTheirEditKeeps)
{
    const QString folder = QDir(TestPaths::scratchDir()).filePath(QStringLiteral("tool-edits"));
    QDir().mkpath(folder);
    FixtureRecipe s = recipe("libx264", 90, 30, 3);
    s.audio = true;
    const QString h264 = MediaFixtures::clip(QStringLiteral("tool_edit_src.mp4"), s);
    ASSERT_FALSE(h264.isEmpty());
    QString hevc;
    if (FixtureWriter::encoderAvailable(QStringLiteral("libx265"))) {
        s = recipe("libx265", 60, 20, 3);
        s.openGop = true;
        hevc = MediaFixtures::clip(QStringLiteral("tool_edit_hevc.mp4"), s);
    }
    const struct {
        QString source;
        const char* start;
        const char* length; // empty: to the end
        const char* name;
    } cuts[] = {{h264, "0.5", "", "cut_h264.mp4"}, {h264, "1.23", "1.5", "cut_h264.mov"}, {hevc, "0.7", "", "cut_hevc.mp4"}};
    for (const auto& cut : cuts) {
        if (cut.source.isEmpty())
            continue;
        const QString out = QDir(folder).filePath(QString::fromLatin1(cut.name));
        QStringList args = {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-y"), QStringLiteral("-ss"),
                            QString::fromLatin1(cut.start), QStringLiteral("-i"), cut.source};
        if (*cut.length)
            args << QStringLiteral("-t") << QString::fromLatin1(cut.length);
        args << QStringLiteral("-c") << QStringLiteral("copy") << out;
        ASSERT_EQ(QProcess::execute(QStringLiteral("ffmpeg"), args), 0) << cut.name;
        expectLikeFfmpeg(out, QString::fromLatin1(cut.name));
    }
}

// A clip written by ffmpeg whose encoder identification (text in its first picture: `prefix`
// and a version) names the version `old` instead, zero-padded to the same length so the file
// keeps its layout. The decoder then works around that old encoder's bugs.
QString claimingOldEncoder(const QString& name, const QStringList& codecArgs, const QByteArray& prefix,
                           const QByteArray& old)
{
    const QString folder = QDir(TestPaths::scratchDir()).filePath(QStringLiteral("tool-encoder-claim"));
    QDir().mkpath(folder);
    const QString made = QDir(folder).filePath(QStringLiteral("made_") + name);
    const QStringList args = QStringList{QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-y"),
                                         QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                                         QStringLiteral("testsrc2=size=160x120:rate=25"), QStringLiteral("-frames:v"),
                                         QStringLiteral("60"), QStringLiteral("-g"), QStringLiteral("20")}
        + codecArgs + QStringList{made};
    QFile in(made);
    if (QProcess::execute(QStringLiteral("ffmpeg"), args) != 0 || !in.open(QIODevice::ReadOnly))
        return {};
    QByteArray bytes = in.readAll();
    const qsizetype at = bytes.indexOf(prefix) + prefix.size();
    qsizetype end = at;
    while (at >= prefix.size() && end < bytes.size() && (std::isdigit(uchar(bytes[end])) || bytes[end] == '.'))
        ++end;
    if (end - at < old.size())
        return {};
    bytes.replace(at, end - at, QByteArray(end - at - old.size(), '0') + old);
    const QString path = QDir(folder).filePath(name);
    QFile out(path);
    if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size())
        return {};
    return path;
}

// The encoder's identification in the first picture chooses the decoder's workarounds: an
// H.264 clip claiming x264 build 150 (lossless 4:4:4 intra prediction; CAVLC, which decodes
// alike by any number of threads). Every decoder of the file must decode as one from the start
// did: the engine in every order, and the decode-ahead worker, a decoder of its own that starts
// at a later key frame.
TEST(MediaToolEncoderClaim, EveryOrderAndTheWorkerDecodeAsFromTheStart)
{
    const struct {
        QString name;
        QStringList codec;
        QByteArray prefix, old;
    } clips[] = {
        {QStringLiteral("claim_x264.mkv"),
         {QStringLiteral("-pix_fmt"), QStringLiteral("yuv444p"), QStringLiteral("-c:v"), QStringLiteral("libx264"),
          QStringLiteral("-qp"), QStringLiteral("0"), QStringLiteral("-coder"), QStringLiteral("0")},
         "x264 - core ", "150"},
    };
    for (const auto& c : clips) {
        SCOPED_TRACE(c.name.toStdString());
        const QString path = claimingOldEncoder(c.name, c.codec, c.prefix, c.old);
        ASSERT_FALSE(path.isEmpty());
        const QStringList reference = MediaFixtures::ffmpegFrameMd5(path);
        ASSERT_EQ(reference.size(), 60);

        // The clip does what it is for: ffmpeg started at the key frame of frame 40 without the
        // identification gives other pictures than from the start.
        QProcess alone;
        alone.start(QStringLiteral("ffmpeg"),
                    {QStringLiteral("-v"), QStringLiteral("quiet"), QStringLiteral("-ss"), QStringLiteral("1.6"),
                     QStringLiteral("-i"), path, QStringLiteral("-frames:v"), QStringLiteral("4"), QStringLiteral("-f"),
                     QStringLiteral("framemd5"), QStringLiteral("-")});
        ASSERT_TRUE(alone.waitForFinished(60000));
        QStringList fromKey;
        for (const QByteArray& line : alone.readAllStandardOutput().split('\n'))
            if (!line.isEmpty() && !line.startsWith('#'))
                fromKey << QString::fromLatin1(line.split(',').value(5).trimmed());
        EXPECT_NE(fromKey, reference.mid(40, 4));

        expectLikeFfmpeg(path, c.name);
        MediaSource source;
        ASSERT_EQ(source.open(path), MediaOk);
        source.cache().removeOwner(source.cacheOwner());
        source.decodeAhead(40, +1, 4);
        ASSERT_TRUE(source.decodeAheadWorker() && source.decodeAheadWorker()->waitIdle(120000));
        for (int n = 40; n < 44; ++n) {
            ASSERT_TRUE(source.isDecoded(n)) << n;
            EXPECT_EQ(QString::fromLatin1(FrameHash::nativeMd5(source.decodedFrame(n).get())), reference[n]) << n;
        }
    }
}

TEST(MediaToolModes, ShownChecksumsFollowTheOpenFlags)
{
    FixtureRecipe s = FixtureRecipes::lossless(176, 144, 8);
    s.interlaced = true;
    s.fieldPictures = true;
    const QString path = MediaFixtures::clip(QStringLiteral("tool_fields.mkv"), s);
    ASSERT_FALSE(path.isEmpty());
    // Separate fields rotated by 90 degrees: twice the pictures, each the engine's own.
    const uint32_t flags = 1 | (1u << 8) | (1u << 17);
    const ToolRun run = tool({QStringLiteral("framemd5"), path, QStringLiteral("--flags"), QString::number(flags),
                          QStringLiteral("--order"), QStringLiteral("random")});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QStringList sums = sumsOf(run.out);
    MediaSource source;
    ASSERT_EQ(source.open(path, flags), MediaOk);
    ASSERT_EQ(sums.size(), 16);
    ASSERT_EQ(source.frameCount(), 16);
    for (int n = 0; n < sums.size(); ++n) {
        const QImage picture = source.picture(n);
        EXPECT_EQ(picture.size(), QSize(s.height, s.width));
        EXPECT_EQ(sums[n], QString::fromLatin1(FrameHash::rgbMd5(picture))) << "picture " << n;
    }
    // Without flags the sums are of the decoded frames: eight of them.
    EXPECT_EQ(sumsOf(tool({QStringLiteral("framemd5"), path}).out).size(), 8);
}

TEST(MediaToolExport, WritesThePictureOfTheAskedFrameAndRefusesBadInput)
{
    const QString path = MediaFixtures::gopClip();
    ASSERT_FALSE(path.isEmpty());
    const QString folder = QDir(TestPaths::scratchDir()).filePath(QStringLiteral("tool-export"));
    QDir().mkpath(folder);
    for (const char* ext : {"png", "bmp", "jpg"}) {
        const QString out = QDir(folder).filePath(QStringLiteral("frame37.") + QString::fromLatin1(ext));
        const ToolRun run = tool({QStringLiteral("export-frame"), path, QStringLiteral("37"), out});
        ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
        const QImage picture(out);
        ASSERT_FALSE(picture.isNull()) << ext;
        EXPECT_EQ(MediaFixtures::shownNumber(picture.convertToFormat(QImage::Format_RGB888)), 37) << ext;
    }

    // A frame beyond the end, a missing file, a text file named .mp4, an unknown order, an
    // unwritable target: each fails with a message and writes nothing.
    const QString missing = QDir(folder).filePath(QStringLiteral("missing.mp4"));
    const QString text = QDir(folder).filePath(QStringLiteral("notes.mp4"));
    QFile file(text);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("not a video\n");
    file.close();
    const QString beyond = QDir(folder).filePath(QStringLiteral("beyond.png"));
    const QList<QStringList> bad = {
        {QStringLiteral("export-frame"), path, QStringLiteral("60"), beyond},
        {QStringLiteral("export-frame"), path, QStringLiteral("-1"), beyond},
        {QStringLiteral("info"), missing},
        {QStringLiteral("framemd5"), text},
        {QStringLiteral("framemd5"), path, QStringLiteral("--order"), QStringLiteral("sideways")},
        {QStringLiteral("export-frame"), path, QStringLiteral("3"), QDir(folder).filePath(QStringLiteral("no/such/folder/x.png"))},
    };
    for (const QStringList& args : bad) {
        const ToolRun run = tool(args);
        EXPECT_NE(run.exitCode, 0) << args.join(QLatin1Char(' ')).toStdString();
        EXPECT_NE(run.exitCode, -1) << "crashed: " << args.join(QLatin1Char(' ')).toStdString();
        EXPECT_FALSE(run.err.trimmed().isEmpty()) << args.join(QLatin1Char(' ')).toStdString();
    }
    EXPECT_FALSE(QFileInfo::exists(beyond));
}

// The demo clips are painted with text: the tool paints them without a display and leaves
// whole clips only, or nothing.
TEST(MediaToolDemo, WritesTheClipsWithoutADisplayAndNoPartsOnFailure)
{
    QTemporaryDir dir;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* variable : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
        env.remove(QString::fromLatin1(variable));
    const ToolRun run = tool({QStringLiteral("demo"), dir.path()}, env);
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), (QStringList{"ball.mkv", "pendulum.mkv"}));

    const QString blocked = dir.filePath(QStringLiteral("ball.mkv/clips")); // a folder inside a file
    const ToolRun refused = tool({QStringLiteral("demo"), blocked}, env);
    EXPECT_EQ(refused.exitCode, 10);
    EXPECT_TRUE(refused.err.contains(blocked)) << refused.err.toStdString();
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), (QStringList{"ball.mkv", "pendulum.mkv"}));
}

// Each kind of bad input: its words, naming the file, and its own exit status.
TEST(MediaToolBadInput, SaysWhatIsWrongAndExitsWithItsStatus)
{
    const QString folder = QDir(TestPaths::scratchDir()).filePath(QStringLiteral("tool-bad"));
    QDir().mkpath(folder);
    const auto write = [&folder](const char* name, const QByteArray& bytes) {
        const QString path = QDir(folder).filePath(QString::fromLatin1(name));
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
        return path;
    };
    QFile good(MediaFixtures::gopClip());
    ASSERT_TRUE(good.open(QIODevice::ReadOnly));
    const QByteArray goodBytes = good.readAll();
    const QString tone = QDir(folder).filePath(QStringLiteral("tone.wav"));
    ASSERT_EQ(QProcess::execute(QStringLiteral("ffmpeg"), {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-y"),
                                                           QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                                                           QStringLiteral("sine=duration=0.2"), tone}),
              0);
    struct Case {
        QString path;
        const char* words;
        int status;
    };
    std::vector<Case> cases = {
        {QDir(folder).filePath(QStringLiteral("missing.mp4")), "no such file", 3},
        {write("empty.mp4", {}), "empty file", 5},
        {write("notes.mp4", "Messung 1: 3,2 m\n"), "not a video file", 6},
        {write("cut.mp4", goodBytes.left(goodBytes.size() / 2)), "truncated or damaged", 7},
        {tone, "no video stream", 8},
    };
#if defined(Q_OS_UNIX)
    const QString fifo = QDir(folder).filePath(QStringLiteral("pipe.mp4"));
    QFile::remove(fifo);
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    cases.push_back({fifo, "not a regular file", 4});
    if (::geteuid() != 0) { // permissions do not stop root
        const QString locked = write("locked.mp4", goodBytes);
        ::chmod(QFile::encodeName(locked).constData(), 0);
        cases.push_back({locked, "permission denied", 4});
    }
#endif
    for (const Case& c : cases) {
        for (const char* command : {"info", "framemd5"}) {
            const ToolRun run = tool({QString::fromLatin1(command), c.path});
            EXPECT_EQ(run.exitCode, c.status) << command << " " << c.words;
            EXPECT_TRUE(run.err.contains(c.path + QStringLiteral(": ") + QLatin1String(c.words)))
                << command << ": " << run.err.toStdString();
        }
    }
    const ToolRun silent = tool({QStringLiteral("audio"), good.fileName()});
    EXPECT_EQ(silent.exitCode, 8);
    EXPECT_TRUE(silent.err.contains(QStringLiteral(": no audio stream"))) << silent.err.toStdString();
    EXPECT_EQ(tool({QStringLiteral("bogus"), good.fileName()}).exitCode, 2);
}

TEST(MediaToolData, PrintsTheTablesOfAnAnalysisAndRefusesABadOne)
{
    const QString folder = QDir(TestPaths::scratchDir()).filePath(QStringLiteral("tool-data"));
    QDir().mkpath(folder);
    const QString path = QDir(folder).filePath(QStringLiteral("run.zorvik"));
    analysis::Problem problem;
    ASSERT_TRUE(analysis::writeFile(path, AnalysisSample::document(2.0), problem)) << qPrintable(problem.text());

    const ToolRun run = tool({QStringLiteral("data"), path});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const std::vector<QStringList> rows = readCsv(run.out.toUtf8());
    ASSERT_EQ(rows.size(), 5u) << run.out.toStdString();
    const qsizetype value = rows[0].indexOf(QStringLiteral("value"));
    ASSERT_GE(value, 0);
    // The distance 192 x 256 pixels with pixels twice as wide; 256 wide pixels make 2 m.
    EXPECT_DOUBLE_EQ(rows[1][value].toDouble(), std::hypot(384.0, 256.0) * 2 / 512);
    EXPECT_EQ(rows[1][1], QStringLiteral("jump, \"take 2\" \u00fc.mp4"));

    const QString out = QDir(folder).filePath(QStringLiteral("markers.csv"));
    ASSERT_EQ(tool({QStringLiteral("data"), path, QStringLiteral("--markers"), QStringLiteral("--csv"), out}).exitCode,
              0);
    QFile markers(out);
    ASSERT_TRUE(markers.open(QIODevice::ReadOnly));
    const std::vector<QStringList> marks = readCsv(markers.readAll());
    ASSERT_EQ(marks.size(), 6u);
    EXPECT_EQ(marks[1][2], QStringLiteral("keyframe"));
    EXPECT_EQ(marks[5][2], QStringLiteral("stopwatch"));

    QFile whole(path);
    ASSERT_TRUE(whole.open(QIODevice::ReadOnly));
    const QByteArray good = whole.readAll();
    const auto write = [&folder](const char* name, const QByteArray& bytes) {
        const QString p = QDir(folder).filePath(QString::fromLatin1(name));
        QFile f(p);
        return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size() ? p : QString();
    };
    const struct {
        QString path;
        const char* words;
        int status;
    } cases[] = {
        {QDir(folder).filePath(QStringLiteral("missing.zorvik")), "it cannot be read", 3},
        {write("empty.zorvik", {}), "it is empty", 5},
        {write("cut.zorvik", good.left(good.size() / 2)), "it is damaged or cut short", 11},
        {write("other.zorvik", R"({"format": "notes"})"), "it is not an analysis", 11},
        {write("newer.zorvik", QByteArray(good).replace("\"version\": 1", "\"version\": 7")),
         "it was written by a newer version of the program (format version 7)", 11},
    };
    for (const auto& c : cases) {
        const ToolRun bad = tool({QStringLiteral("data"), c.path});
        EXPECT_EQ(bad.exitCode, c.status) << c.words;
        EXPECT_TRUE(bad.err.contains(c.path + QStringLiteral(": ") + QLatin1String(c.words))) << bad.err.toStdString();
        EXPECT_TRUE(bad.out.isEmpty()) << c.words;
    }
    const QString noFolder = QDir(folder).filePath(QStringLiteral("no/such.csv"));
    EXPECT_EQ(tool({QStringLiteral("data"), path, QStringLiteral("--csv"), noFolder}).exitCode, 10);
}

} // namespace
