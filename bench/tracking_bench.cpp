// Tracking speed beside decoding speed on the same clip: a disc moving over a textured background
// in H.264 at 720p and 1080p. Each run decodes every frame through the engine as tracking reads
// them (the grey picture: the decoded luma plane), then tracks the disc through every frame from
// a new open; the difference is what tracking costs on top of decoding.
//
//   tracking_bench --dir DIR [--runs N]
//
// Writes the clips into DIR once; prints key=value lines (medians in milliseconds and frames per
// second) and the clips' paths, so the run script can time ffmpeg on the same files.
#include "BenchTiming.h"

#include "components/media/FixtureWriter.h"
#include "components/media/MediaSource.h"
#include "components/tracking/PointTracker.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPainter>
#include <cmath>
#include <cstdio>
#include <random>

namespace {

constexpr int kFrames = 300;

QPointF discAt(QSize size, int n)
{
    const double t = double(n) / kFrames;
    return {size.width() * (0.1 + 0.8 * t), size.height() * (0.5 - 0.3 * std::sin(6.28318 * t))};
}

QString clip(const QString& dir, QSize size)
{
    const QString path = QDir(dir).filePath(QStringLiteral("disc_%1p.mp4").arg(size.height()));
    if (QFileInfo::exists(path))
        return path;
    FixtureRecipe recipe;
    recipe.width = size.width();
    recipe.height = size.height();
    recipe.frames = kFrames;
    recipe.rate = {30, 1};
    recipe.gop = 250;
    recipe.painter = [size](QImage& image, int n) {
        QPainter p(&image);
        std::mt19937 rng(5);
        p.fillRect(image.rect(), QColor(70, 90, 70));
        for (int i = 0; i < 3000; ++i) {
            const int g = 50 + int(rng() % 100);
            p.fillRect(QRect(int(rng() % unsigned(size.width())), int(rng() % unsigned(size.height())), 4 + int(rng() % 12),
                             4 + int(rng() % 12)),
                       QColor(g, g + 10, g));
        }
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(250, 210, 40));
        p.drawEllipse(discAt(size, n), size.height() / 40.0, size.height() / 40.0);
    };
    QString error;
    if (FixtureWriter::write(path, recipe, &error) != 0) {
        std::fprintf(stderr, "cannot write %s: %s\n", qPrintable(path), qPrintable(error));
        return {};
    }
    return path;
}

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv); // the painter's text and fonts need it
    const QStringList args = app.arguments();
    const int at = args.indexOf(QStringLiteral("--dir"));
    const int runsAt = args.indexOf(QStringLiteral("--runs"));
    if (at < 0 || at + 1 >= args.size()) {
        std::fputs("usage: tracking_bench --dir DIR [--runs N]\n", stderr);
        return 2;
    }
    const int runs = runsAt >= 0 && runsAt + 1 < args.size() ? std::max(1, args[runsAt + 1].toInt()) : 5;
    QDir().mkpath(args[at + 1]);
    for (const QSize size : {QSize(1280, 720), QSize(1920, 1080)}) {
        const QString path = clip(args[at + 1], size);
        if (path.isEmpty())
            return 1;
        std::vector<double> decode, track;
        std::size_t tracked = 0;
        for (int r = 0; r < runs; ++r) {
            MediaSource source;
            if (source.open(path) != 0)
                return 1;
            auto t0 = BenchTiming::Clock::now();
            for (int n = 0; n < source.frameCount(); ++n)
                if (source.greyPicture(n).isNull())
                    return 1;
            decode.push_back(BenchTiming::msSince(t0));

            MediaSource again;
            if (again.open(path) != 0)
                return 1;
            tracking::TrackOptions options;
            options.templateRadius = size.height() / 40 + 4;
            const tracking::PointTracker tracker([&again](int n) { return again.greyPicture(n); }, options);
            t0 = BenchTiming::Clock::now();
            tracked = tracker.run(0, discAt(size, 0), again.frameCount() - 1).points.size();
            track.push_back(BenchTiming::msSince(t0));
        }
        const double d = BenchTiming::median(decode), t = BenchTiming::median(track);
        const int h = size.height();
        std::printf("clip_%dp=%s\n", h, qPrintable(path));
        std::printf("frames_tracked_%dp=%zu\n", h, tracked);
        std::printf("decode_ms_%dp=%.1f\ndecode_fps_%dp=%.1f\n", h, d, h, kFrames * 1000.0 / d);
        std::printf("track_ms_%dp=%.1f\ntrack_fps_%dp=%.1f\n", h, t, h, kFrames * 1000.0 / t);
        std::printf("tracking_only_fps_%dp=%.1f\n", h, kFrames * 1000.0 / std::max(1e-3, t - d));
        std::printf("tracking_cost_over_decode_%dp=%.2f\n", h, (t - d) / d);
    }
    return 0;
}
