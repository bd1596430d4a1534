// media_decode: timings and memory of the media engine, one measurement per run, printed as
// key=value lines for bench/run_media.sh, which runs the ffmpeg command line beside it.
//
//   media_decode sequential CLIP [--pictures] [--budget MiB]
//       opens CLIP and decodes every frame in order (with --pictures: also converts each to
//       the RGB picture the viewer shows); the time includes the open.
//   media_decode backward CLIP FIRST LAST [--budget MiB]
//       opens CLIP, then steps from shown frame LAST back to FIRST one frame at a time, timing
//       each step (the picture the viewer shows).
//   media_decode frame CLIP N
//       opens CLIP and makes the picture of frame N, nothing else: timed as a whole command,
//       it is what one random access costs from the start of a process.
//   media_decode random CLIP N...
//       opens CLIP, then for each N starts from a frame far away, empties the cache and times
//       the picture of frame N (the access in an open file).
//   media_decode memory BUDGET_MiB CLIP...
//       opens every CLIP with a cache of that budget, plays each forward with decode-ahead and
//       steps each backward through a GOP, round robin; prints peak resident memory and
//       the peak bytes the cache held.
#include "../tools/zorvik-media/FrameSteps.h"

#include "components/media/DecodeAhead.h"
#include "components/media/FrameCache.h"
#include "components/media/MediaCodes.h"
#include "components/media/MediaSource.h"

#include <QCoreApplication>
#include <QStringList>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include <sys/resource.h>

namespace {

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

double median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const std::size_t mid = values.size() / 2;
    return values.size() % 2 ? values[mid] : (values[mid - 1] + values[mid]) / 2;
}

// Peak resident set of this process so far, in MiB.
double peakRssMiB()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

// Resident set now, in MiB (Linux; 0 elsewhere).
double currentRssMiB()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stod(line.substr(6)) / 1024.0;
    return 0;
}

// A fixed budget of budgetMiB, or the program's default (a share per open file) for 0.
std::unique_ptr<FrameCache> makeCache(std::size_t budgetMiB)
{
    if (budgetMiB)
        return std::make_unique<FrameCache>(budgetMiB << 20);
    return std::make_unique<FrameCache>(FrameCache::kPerSourceDefault, FrameCache::defaultCeiling());
}

int sequential(const QString& path, bool pictures, std::size_t budgetMiB)
{
    std::unique_ptr<FrameCache> owned = makeCache(budgetMiB);
    FrameCache& cache = *owned;
    const auto start = Clock::now();
    MediaSource source(&cache);
    if (FrameSteps::open(source, path) != MediaOk)
        return 1;
    const double opened = secondsSince(start);
    const int count = pictures ? source.frameCount() : source.recordedFrameCount();
    for (int n : FrameSteps::sequence(count, FrameSteps::Order::Forward)) {
        if (!FrameSteps::visit(source, n, pictures)) {
            std::fprintf(stderr, "frame %d failed\n", n);
            return 1;
        }
    }
    const double total = secondsSince(start);
    std::printf("frames=%d\nseconds=%.4f\nopen_seconds=%.4f\nfps=%.1f\n", count, total, opened, count / total);
    return 0;
}

int backward(const QString& path, int first, int last, std::size_t budgetMiB)
{
    std::unique_ptr<FrameCache> owned = makeCache(budgetMiB);
    FrameCache& cache = *owned;
    MediaSource source(&cache);
    if (FrameSteps::open(source, path) != MediaOk)
        return 1;
    cache.removeOwner(source.cacheOwner()); // nothing left from the open
    std::vector<double> steps;
    const auto all = Clock::now();
    for (int n = last; n >= first; --n) {
        const auto start = Clock::now();
        if (source.picture(n).isNull()) {
            std::fprintf(stderr, "frame %d failed\n", n);
            return 1;
        }
        steps.push_back(secondsSince(start));
    }
    const double total = secondsSince(all);
    std::printf("steps=%zu\nfirst_step=%.4f\nmedian_step=%.4f\nworst_step=%.4f\ntotal=%.4f\nbudget_mib=%zu\n",
                steps.size(), steps.front(), median(steps), *std::max_element(steps.begin(), steps.end()),
                total, cache.budget() >> 20);
    return 0;
}

int oneFrame(const QString& path, int n)
{
    const auto start = Clock::now();
    MediaSource source;
    if (FrameSteps::open(source, path) != MediaOk)
        return 1;
    const double opened = secondsSince(start);
    if (!FrameSteps::visit(source, n, true)) {
        std::fprintf(stderr, "frame %d failed\n", n);
        return 1;
    }
    std::printf("open_seconds=%.4f\nseconds=%.4f\n", opened, secondsSince(start));
    return 0;
}

int randomAccess(const QString& path, const QStringList& frames)
{
    std::unique_ptr<FrameCache> owned = makeCache(0);
    FrameCache& cache = *owned;
    MediaSource source(&cache);
    const auto start = Clock::now();
    if (FrameSteps::open(source, path) != MediaOk)
        return 1;
    std::printf("open_seconds=%.4f\n", secondsSince(start));
    for (const QString& f : frames) {
        const int n = f.toInt();
        cache.removeOwner(source.cacheOwner());
        // Start from far away so no access rides on the decoder's position from the last one.
        source.decodedFrame(n < source.recordedFrameCount() / 2 ? source.recordedFrameCount() - 1 : 0);
        cache.removeOwner(source.cacheOwner());
        const auto t = Clock::now();
        if (source.picture(n).isNull()) {
            std::fprintf(stderr, "frame %d failed\n", n);
            return 1;
        }
        std::printf("frame_%d=%.4f\n", n, secondsSince(t));
    }
    return 0;
}

int memory(std::size_t budgetMiB, const QStringList& paths)
{
    FrameCache cache(budgetMiB << 20);
    const double before = currentRssMiB();
    std::vector<std::unique_ptr<MediaSource>> sources;
    for (const QString& p : paths) {
        sources.push_back(std::make_unique<MediaSource>(&cache));
        if (FrameSteps::open(*sources.back(), p) != MediaOk)
            return 1;
    }
    const double opened = currentRssMiB();
    std::size_t cachePeak = 0;
    auto note = [&] { cachePeak = std::max(cachePeak, cache.bytesUsed()); };

    // Play forward 120 frames in every file, the way the viewer does: decode-ahead a second
    // in front, show each frame.
    const int ahead = 30;
    for (int n = 0; n < 120; ++n)
        for (auto& s : sources) {
            if (n % ahead == 0)
                s->decodeAhead(n, 1, ahead * 2);
            if (s->picture(n).isNull())
                return 1;
            note();
        }
    // Step backward through the second GOP of every file, round robin.
    const int gop = 250;
    const int last = std::min(sources.front()->frameCount() - 1, 2 * gop - 1);
    for (int n = last; n >= gop; --n)
        for (auto& s : sources) {
            if (s->picture(n).isNull())
                return 1;
            note();
        }
    for (auto& s : sources)
        if (s->decodeAheadWorker())
            s->decodeAheadWorker()->waitIdle(10000);
    note();
    std::printf("files=%zu\nbudget_mib=%zu\nrss_start_mib=%.1f\nrss_opened_mib=%.1f\ncache_peak_mib=%.1f\n"
                "rss_end_mib=%.1f\npeak_rss_mib=%.1f\n",
                sources.size(), budgetMiB, before, opened, static_cast<double>(cachePeak) / (1 << 20),
                currentRssMiB(), peakRssMiB());
    return 0;
}

int usage()
{
    std::fputs("usage: media_decode sequential CLIP [--pictures] [--budget MiB]\n"
               "       media_decode backward CLIP FIRST LAST [--budget MiB]\n"
               "       media_decode frame CLIP N\n"
               "       media_decode random CLIP N...\n"
               "       media_decode memory BUDGET_MiB CLIP...\n",
               stderr);
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments().mid(1);
    if (args.size() < 2)
        return usage();
    const QString& command = args[0];
    const int at = args.indexOf(QStringLiteral("--budget"));
    const std::size_t budget = at > 0 && at + 1 < args.size() ? args[at + 1].toULongLong() : 0;
    if (command == QLatin1String("sequential"))
        return sequential(args[1], args.contains(QStringLiteral("--pictures")), budget);
    if (command == QLatin1String("backward") && args.size() >= 4) {
        return backward(args[1], args[2].toInt(), args[3].toInt(), budget);
    }
    if (command == QLatin1String("frame") && args.size() >= 3)
        return oneFrame(args[1], args[2].toInt());
    if (command == QLatin1String("random") && args.size() >= 3)
        return randomAccess(args[1], args.mid(2));
    if (command == QLatin1String("memory") && args.size() >= 3)
        return memory(args[1].toULongLong(), args.mid(2));
    return usage();
}
