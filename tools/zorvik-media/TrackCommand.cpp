#include "TrackCommand.h"

#include "FrameSteps.h"
#include "TableOutput.h"

#include "components/analysis/TrajectoryTables.h"
#include "components/tracking/PointTracker.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <optional>

namespace {

int badOption(const char* words)
{
    std::fprintf(stderr, "zorvik-media track: %s\n", words);
    return ToolStatus::Usage;
}

// The numbers after option `name`, separated by commas; none when the option is absent.
std::optional<std::vector<double>> numbers(const QStringList& args, const QString& name, bool* bad)
{
    const int at = args.indexOf(name);
    if (at < 0)
        return std::nullopt;
    std::vector<double> values;
    if (at + 1 >= args.size()) {
        *bad = true;
        return values;
    }
    for (const QString& part : args[at + 1].split(QLatin1Char(','))) {
        bool ok = false;
        const double v = part.toDouble(&ok);
        *bad = *bad || !ok || !std::isfinite(v);
        values.push_back(v);
    }
    return values;
}

// --calib X1,Y1,X2,Y2,LENGTH[,UNIT]: a reference line in picture pixels and its real length.
std::optional<tracking::PlaneScale> calibration(const QStringList& args, bool* bad)
{
    const int at = args.indexOf(QStringLiteral("--calib"));
    if (at < 0)
        return tracking::PlaneScale{};
    QStringList parts = at + 1 < args.size() ? args[at + 1].split(QLatin1Char(',')) : QStringList{};
    const QString unit = parts.size() == 6 ? parts.takeLast() : QStringLiteral("m");
    std::vector<double> v;
    for (const QString& part : parts) {
        bool ok = false;
        v.push_back(part.toDouble(&ok));
        *bad = *bad || !ok;
    }
    if (*bad || v.size() != 5 || unit.isEmpty())
        return std::nullopt;
    const double pixels = std::hypot(v[2] - v[0], v[3] - v[1]);
    if (!(pixels >= 1) || !(v[4] > 0))
        return std::nullopt;
    tracking::PlaneScale scale;
    scale.origin = {v[0], v[1]};
    scale.perPixelX = scale.perPixelY = v[4] / pixels;
    scale.unit = unit;
    scale.yUp = true;
    return scale;
}

const char* stopWords(tracking::TrackStop stop)
{
    switch (stop) {
    case tracking::TrackStop::Lost: return "the point was lost";
    case tracking::TrackStop::LeftPicture: return "the point left the picture";
    case tracking::TrackStop::NoPicture: return "a frame could not be read";
    case tracking::TrackStop::NoDetail: return "there is no detail to follow at that point";
    default: return "cancelled";
    }
}

} // namespace

int trackCommand(const QString& path, const QStringList& args)
{
    bool bad = false;
    const auto frame = numbers(args, QStringLiteral("--frame"), &bad);
    const auto point = numbers(args, QStringLiteral("--point"), &bad);
    const auto to = numbers(args, QStringLiteral("--to"), &bad);
    const auto radius = numbers(args, QStringLiteral("--radius"), &bad);
    const auto search = numbers(args, QStringLiteral("--search"), &bad);
    const auto window = numbers(args, QStringLiteral("--window"), &bad);
    const auto scale = calibration(args, &bad);
    if (bad || !frame || frame->size() != 1 || !point || point->size() != 2)
        return badOption("--frame N and --point X,Y are needed, as numbers");
    if (!scale)
        return badOption("--calib wants X1,Y1,X2,Y2,LENGTH[,UNIT] with a line of at least a pixel and a positive length");
    if (csvNameMissing(args))
        return badOption("--csv wants a file name");

    MediaSource source;
    if (const int rc = FrameSteps::open(source, path, 0); rc != MediaOk)
        return ToolStatus::ofInput(path, rc).status;
    const int last = source.frameCount() - 1;
    const int from = int((*frame)[0]);
    const int end = to && to->size() == 1 ? int((*to)[0]) : last;
    if (from < 0 || from > last || end < 0 || end > last)
        return ToolStatus::report(path, {ToolStatus::Usage, "frame numbers out of range"});

    tracking::TrackOptions options;
    if (radius && radius->size() == 1)
        options.templateRadius = std::max(2, int((*radius)[0]));
    if (search && search->size() == 1)
        options.searchRadius = std::max(1, int((*search)[0]));
    const tracking::PointTracker tracker([&source](int n) { return source.greyPicture(n); }, options);
    const tracking::TrackResult result = tracker.run(from, {(*point)[0], (*point)[1]}, end);

    analysis::Trajectory trajectory;
    trajectory.window = window && window->size() == 1 ? std::max(0, int((*window)[0])) : 0;
    for (const tracking::TrackedPoint& p : result.points)
        trajectory.points.push_back({p.frame, source.frameTime(p.frame), p.pos, p.confidence});
    // Tracked backwards, the points came last frame first.
    std::sort(trajectory.points.begin(), trajectory.points.end(),
              [](const auto& a, const auto& b) { return a.frame < b.frame; });
    const int status = writeTable(analysis::trajectoryTable(trajectory, *scale, source.frameRate()), args);
    if (status != ToolStatus::Done || result.stop == tracking::TrackStop::RangeEnd)
        return status;
    std::fprintf(stderr, "zorvik-media: %s: tracking stopped at frame %d: %s\n", qPrintable(path), result.stopFrame,
                 stopWords(result.stop));
    return ToolStatus::Failed;
}
