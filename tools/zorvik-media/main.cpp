// zorvik-media: the media engine on the command line, for checking it against ffmpeg and for
// making the demo clips.
#include "FrameSteps.h"
#include "TableOutput.h"
#include "TrackCommand.h"
#include "ToolStatus.h"

#include "components/media/DemoClips.h"
#include "components/media/FixtureWriter.h"
#include "components/media/FrameAccess.h"
#include "components/media/MediaCodes.h"
#include "components/media/MediaSource.h"
#include "components/analysis/AnalysisFile.h"
#include "components/analysis/AnalysisTables.h"
#include "components/analysis/TrajectoryTables.h"
#include "components/audio/AudioData.h"
#include "components/writer/CodecCatalog.h"
#include "components/writer/MergeCutJob.h"

#include <QCoreApplication>
#include <QFile>
#include <QThread>
#include <QGuiApplication>
#include <QStringList>
#include <atomic>
#include <cstdio>
#include <memory>
#include <optional>
#include <vector>

namespace {

int usage()
{
    std::fputs("usage: zorvik-media info FILE\n"
               "       zorvik-media framemd5 FILE [--order forward|backward|random] [--seed N] [--flags N] [--one-by-one]\n"
               "       zorvik-media export-frame FILE N OUT [--flags N]\n"
               "       zorvik-media demo DIR\n"
               "       zorvik-media fixture OUT ENCODER [--size WxH] [--frames N] [--fps N] [--gop N]\n"
               "                    [--bframes N] [--open-gop] [--interlaced] [--vfr] [--audio] [--rotate DEG]\n"
               "       zorvik-media cut FILE OUT.avi A-B[,C-D...] [--codec NAME] [--quality Q]\n"
               "       zorvik-media audio FILE\n"
               "       zorvik-media data FILE.zorvik [--csv OUT] [--markers | --trajectories]\n"
               "       zorvik-media track FILE --frame N --point X,Y [--to M] [--csv OUT]\n"
               "                    [--calib X1,Y1,X2,Y2,LENGTH[,UNIT]] [--radius R] [--search S] [--window W]\n"
               "\n"
               "exit status: 0 done, 1 failed part way, 2 bad command line, 3 no such file,\n"
               "             4 permission denied or not a regular file, 5 empty file,\n"
               "             6 not a video file (unknown format), 7 truncated or damaged,\n"
               "             8 no video stream (audio: no audio stream), 9 no decoder for the codec,\n"
               "             10 the output cannot be written, 11 not a readable analysis\n",
               stderr);
    return ToolStatus::Usage;
}

QString option(const QStringList& args, const QString& name, const QString& fallback)
{
    const int at = args.indexOf(name);
    return at >= 0 && at + 1 < args.size() ? args[at + 1] : fallback;
}

int info(const QString& path)
{
    MediaSource source;
    if (const int rc = FrameSteps::open(source, path, 0); rc != MediaOk)
        return ToolStatus::ofInput(path, rc).status;
    std::printf("frames=%d\nfps=%.6f\nwidth=%d\nheight=%d\ncodec=%s\n", source.frameCount(),
                static_cast<double>(source.frameRate()), source.width(), source.height(),
                qPrintable(source.codecName()));
    return ToolStatus::Done;
}

int framemd5(const QString& path, const QStringList& args)
{
    FrameSteps::Order order = FrameSteps::Order::Forward;
    if (!FrameSteps::parseOrder(option(args, QStringLiteral("--order"), QStringLiteral("forward")), &order))
        return usage();
    const bool shown = args.contains(QStringLiteral("--flags"));
    const uint32_t flags = option(args, QStringLiteral("--flags"), QStringLiteral("0")).toUInt();
    MediaSource source;
    if (const int rc = FrameSteps::open(source, path, flags); rc != MediaOk)
        return ToolStatus::ofInput(path, rc).status;
    const int count = shown ? source.frameCount() : source.recordedFrameCount();
    const unsigned seed = option(args, QStringLiteral("--seed"), QStringLiteral("1")).toUInt();
    std::vector<QByteArray> sums(static_cast<std::size_t>(count));
    int failures = 0;
    // Asked in a random order, the frames are answered a seek segment at a time, as a program
    // wanting many frames at once would ask for them; --one-by-one makes every visit a jump.
    std::vector<int> numbers = FrameSteps::sequence(count, order, seed);
    if (order == FrameSteps::Order::Random && !args.contains(QStringLiteral("--one-by-one")))
        numbers = FrameSteps::batched(source, numbers, shown);
    for (int n : numbers) {
        QByteArray sum;
        FrameSteps::visit(source, n, shown, &sum);
        if (sum.isEmpty())
            ++failures;
        sums[static_cast<std::size_t>(n)] = sum.isEmpty() ? QByteArray("error") : sum;
    }
    for (int n = 0; n < count; ++n)
        std::printf("%d,%s\n", n, sums[static_cast<std::size_t>(n)].constData());
    if (failures)
        std::fprintf(stderr, "zorvik-media: %s: truncated or damaged (%d frames do not decode)\n", qPrintable(path),
                     failures);
    return failures ? ToolStatus::Damaged : ToolStatus::Done;
}

int exportFrame(const QString& path, const QString& number, const QString& out, const QStringList& args)
{
    // As a view opens a long file: the index goes on in the background, and only as far as
    // frame n is waited for.
    MediaSource::setIndexWait(0);
    MediaSource source;
    if (const int rc = FrameSteps::open(source, path, option(args, QStringLiteral("--flags"), QStringLiteral("0")).toUInt(),
                                        MediaSource::Indexing::Background);
        rc != MediaOk)
        return ToolStatus::ofInput(path, rc).status;
    bool ok = false;
    const int n = number.toInt(&ok);
    while (ok && source.indexing() && n >= source.frameCount()) {
        QThread::msleep(10);
        source.updateIndex();
    }
    if (!ok || n < 0 || n >= source.frameCount()) {
        std::fprintf(stderr, "zorvik-media: %s: frame %s is not in 0..%d\n", qPrintable(path), qPrintable(number),
                     source.frameCount() - 1);
        return ToolStatus::Usage;
    }
    source.setCurrentFrame(n);
    FrameAccess access(source);
    const QImage picture = access.currentPicture();
    if (picture.isNull())
        return ToolStatus::report(path, {ToolStatus::Damaged, "truncated or damaged (the frame does not decode)"});
    if (FrameAccess::savePicture(out, picture) != MediaOk) {
        QFile::remove(out); // no half-written picture is left behind
        return ToolStatus::report(out, {ToolStatus::CannotWrite, "cannot be written (a folder that does not take "
                                                                 "files, or not .png, .jpg or .bmp)"});
    }
    return ToolStatus::Done;
}

int demo(const QString& folder)
{
    QString error;
    const QStringList paths = DemoClips::ensure(folder, &error);
    if (paths.isEmpty()) {
        std::fprintf(stderr, "zorvik-media: %s: the demo clips cannot be written: %s\n", qPrintable(folder),
                     qPrintable(error));
        return ToolStatus::CannotWrite;
    }
    for (const QString& p : paths)
        std::printf("%s\n", qPrintable(p));
    return ToolStatus::Done;
}

int fixture(const QString& out, const QString& encoder, const QStringList& args)
{
    FixtureRecipe recipe;
    recipe.encoder = encoder;
    const QStringList size = option(args, QStringLiteral("--size"), QStringLiteral("176x144")).split(QLatin1Char('x'));
    recipe.width = size.value(0).toInt();
    recipe.height = size.value(1).toInt();
    recipe.frames = option(args, QStringLiteral("--frames"), QStringLiteral("30")).toInt();
    recipe.rate = {option(args, QStringLiteral("--fps"), QStringLiteral("25")).toInt(), 1};
    recipe.gop = option(args, QStringLiteral("--gop"), QStringLiteral("12")).toInt();
    recipe.bFrames = option(args, QStringLiteral("--bframes"), QStringLiteral("2")).toInt();
    recipe.openGop = args.contains(QStringLiteral("--open-gop"));
    recipe.interlaced = args.contains(QStringLiteral("--interlaced"));
    recipe.variableRate = args.contains(QStringLiteral("--vfr"));
    recipe.audio = args.contains(QStringLiteral("--audio"));
    recipe.rotation = option(args, QStringLiteral("--rotate"), QStringLiteral("0")).toInt();
    QString error;
    if (FixtureWriter::write(out, recipe, &error) != MediaOk) {
        std::fprintf(stderr, "zorvik-media: %s: %s\n", qPrintable(out), qPrintable(error));
        return ToolStatus::Failed;
    }
    return ToolStatus::Done;
}

// Frame runs "A-B,C-D" (from 0, both ends included) as cut points; empty on a bad list.
std::vector<int> parseRuns(const QString& text)
{
    std::vector<int> points;
    for (const QString& run : text.split(QLatin1Char(','))) {
        const QStringList ends = run.split(QLatin1Char('-'));
        bool okA = false;
        bool okB = false;
        const int a = ends.value(0).toInt(&okA);
        const int b = ends.size() == 1 ? a : ends.value(1).toInt(&okB);
        if (!okA || (ends.size() == 2 && !okB) || ends.size() > 2 || a < 0 || b < a)
            return {};
        points.push_back(a);
        points.push_back(b);
    }
    return points;
}

int cut(const QString& path, const QString& out, const QString& runs, const QStringList& args)
{
    MergeCutRequest request;
    request.target = out;
    request.cutPoints = parseRuns(runs);
    if (request.cutPoints.empty()) {
        std::fprintf(stderr, "zorvik-media: cut: bad frame runs '%s' (expected A-B[,C-D...])\n", qPrintable(runs));
        return ToolStatus::Usage;
    }
    for (std::size_t i = 0; i < request.cutPoints.size(); i += 2)
        request.sources << path;
    request.codec.codec = option(args, QStringLiteral("--codec"), request.codec.codec);
    request.codec.quality = option(args, QStringLiteral("--quality"), QString::number(request.codec.quality)).toInt();
    const std::atomic<bool> never{false};
    MergeCutResult result;
    const int rc = MergeCutJob::run(request, never, {}, &result);
    if (rc == MediaWriteFailed)
        return ToolStatus::reportInput(out, rc);
    if (rc != MediaOk)
        return ToolStatus::reportInput(path, rc);
    std::printf("frames=%d\nruns=%d\naudio=%d\n", result.frames, result.runs, result.audio ? 1 : 0);
    return ToolStatus::Done;
}

int audio(const QString& path)
{
    AudioData data;
    if (const int rc = data.open(path); rc != MediaOk)
        return ToolStatus::reportInput(path, rc);
    std::printf("channels=%d\nsample_rate=%d\nduration=%.6f\n", data.channelCount(), data.sampleRate(), data.duration());
    for (int c = 0; c < data.channelCount(); ++c)
        std::printf("peak%d=%.6f\n", c, static_cast<double>(data.series(c)->peak()));
    return ToolStatus::Done;
}

// A table of an analysis as CSV, on standard output or into the file after --csv: the
// measurements, with --markers the markers, with --trajectories the trajectories.
int data(const QString& path, const QStringList& args)
{
    analysis::Problem problem;
    const std::optional<analysis::Document> doc = analysis::readFile(path, problem);
    if (!doc) {
        const QFileInfo info(path);
        int status = ToolStatus::NotAnalysis;
        if (problem.fault == analysis::Fault::Unreadable)
            status = !info.exists() ? ToolStatus::NoSuchFile : ToolStatus::NotReadable;
        else if (problem.fault == analysis::Fault::Empty)
            status = ToolStatus::EmptyFile;
        const QByteArray words = problem.text().toUtf8();
        return ToolStatus::report(path, {status, words.constData()});
    }
    if (csvNameMissing(args))
        return usage();
    if (args.contains(QStringLiteral("--trajectories")))
        return writeTable(analysis::trajectoriesTable(*doc), args);
    return writeTable(args.contains(QStringLiteral("--markers")) ? analysis::markerTable(*doc)
                                                                  : analysis::measurementTable(*doc),
                      args);
}

} // namespace

int main(int argc, char** argv)
{
    // The demo clips are painted with text, which needs the fonts of a GUI application; the
    // tool shows no window, so it needs no display either.
    const bool paints = argc > 1 && qstrcmp(argv[1], "demo") == 0;
    if (paints && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    const std::unique_ptr<QCoreApplication> app =
        paints ? std::make_unique<QGuiApplication>(argc, argv) : std::make_unique<QCoreApplication>(argc, argv);
    const QStringList args = QCoreApplication::arguments().mid(1);
    // An option where the file should be (`demo --help`) is a wrong command line, not a name.
    if (args.size() < 2 || args[1].startsWith(QLatin1Char('-')))
        return usage();
    const QString& command = args[0];
    if (command == QLatin1String("info"))
        return info(args[1]);
    if (command == QLatin1String("framemd5"))
        return framemd5(args[1], args.mid(2));
    if (command == QLatin1String("export-frame") && args.size() >= 4)
        return exportFrame(args[1], args[2], args[3], args.mid(4));
    if (command == QLatin1String("fixture") && args.size() >= 3)
        return fixture(args[1], args[2], args.mid(3));
    if (command == QLatin1String("demo"))
        return demo(args[1]);
    if (command == QLatin1String("cut") && args.size() >= 4)
        return cut(args[1], args[2], args[3], args.mid(4));
    if (command == QLatin1String("audio"))
        return audio(args[1]);
    if (command == QLatin1String("track"))
        return trackCommand(args[1], args.mid(2));
    if (command == QLatin1String("data"))
        return data(args[1], args.mid(2));
    return usage();
}
