// writer_bench: timings of the AVI writer and the merge-cut, one measurement per run, printed
// as key=value lines for bench/run_writer.sh, which runs the ffmpeg command line beside it.
//
//   writer_bench write CLIP OUT.avi [--codec NAME] [--quality Q] [--decoded]
//       decodes every frame of CLIP through the engine and writes it as an AVI file (default
//       Motion JPEG at quality 93, quantiser 3). The pictures go in as the program gives them,
//       RGB QImages; with --decoded the decoded frames go in directly, as in the merge-cut.
//       The source reads through a cache of its own of 64 MiB.
//   writer_bench cut CLIP OUT.avi A-B[,C-D...] [--codec NAME] [--quality Q]
//       the merge-cut of those frame runs (from 0, ends included) into OUT.avi.
#include "components/media/FrameCache.h"
#include "components/media/MediaCodes.h"
#include "components/media/MediaSource.h"
#include "components/writer/AviWriter.h"
#include "components/writer/CodecCatalog.h"
#include "components/writer/MergeCutJob.h"

#include <QCoreApplication>
#include <QStringList>
#include <atomic>
#include <chrono>
#include <cstdio>

namespace {

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

QString option(const QStringList& args, const QString& name, const QString& fallback)
{
    const int at = args.indexOf(name);
    return at >= 0 && at + 1 < args.size() ? args[at + 1] : fallback;
}

CodecChoice codecOf(const QStringList& args)
{
    CodecChoice choice = CodecCatalog::defaultChoice();
    choice.codec = option(args, QStringLiteral("--codec"), choice.codec);
    choice.quality = option(args, QStringLiteral("--quality"), QString::number(choice.quality)).toInt();
    return choice;
}

int write(const QString& clip, const QString& out, const QStringList& args)
{
    const auto start = Clock::now();
    // A cache of 64 MiB as the merge-cut uses: each frame is read once.
    FrameCache cache(64u << 20);
    MediaSource source(&cache);
    if (const int rc = source.open(clip); rc != MediaOk) {
        std::fprintf(stderr, "open() = %d: %s\n", rc, qPrintable(clip));
        return 1;
    }
    const AVRational rate = source.frameRateExact();
    AviWriter writer;
    int rc = writer.open(out, source.width(), source.height(), rate.den, rate.num);
    if (rc == MediaOk)
        rc = writer.setCodec(codecOf(args));
    const bool decoded = args.contains(QStringLiteral("--decoded"));
    for (int n = 0; rc == MediaOk && n < source.frameCount(); ++n) {
        if (decoded) {
            const SharedFrame frame = source.decodedFrame(n);
            rc = frame ? writer.appendFrame(frame.get()) : MediaCorrupt;
        } else {
            rc = writer.appendFrame(source.picture(n));
        }
    }
    if (rc == MediaOk)
        rc = writer.close();
    if (rc != MediaOk) {
        std::fprintf(stderr, "write = %d: %s\n", rc, qPrintable(out));
        return 1;
    }
    std::printf("frames=%d\nseconds=%.4f\n", source.frameCount(), secondsSince(start));
    return 0;
}

int cut(const QString& clip, const QString& out, const QString& runs, const QStringList& args)
{
    MergeCutRequest request;
    request.target = out;
    request.codec = codecOf(args);
    for (const QString& run : runs.split(QLatin1Char(','))) {
        request.cutPoints.push_back(run.section(QLatin1Char('-'), 0, 0).toInt());
        request.cutPoints.push_back(run.section(QLatin1Char('-'), 1, 1).toInt());
        request.sources << clip;
    }
    const auto start = Clock::now();
    const std::atomic<bool> never{false};
    MergeCutResult result;
    if (const int rc = MergeCutJob::run(request, never, {}, &result); rc != MediaOk) {
        std::fprintf(stderr, "AVIMergeCut() = %d: %s\n", rc, qPrintable(out));
        return 1;
    }
    std::printf("frames=%d\nseconds=%.4f\n", result.frames, secondsSince(start));
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments().mid(1);
    if (args.size() >= 3 && args[0] == QLatin1String("write"))
        return write(args[1], args[2], args.mid(3));
    if (args.size() >= 4 && args[0] == QLatin1String("cut"))
        return cut(args[1], args[2], args[3], args.mid(4));
    std::fputs("usage: writer_bench write CLIP OUT.avi [--codec NAME] [--quality Q] [--decoded]\n"
               "       writer_bench cut CLIP OUT.avi A-B[,C-D...] [--codec NAME] [--quality Q]\n",
               stderr);
    return 2;
}
