// Following a point through real video files the test writes, whose motion is known exactly: a
// disc thrown on a parabola, drawn clean, in noise, with motion blur and over a textured
// background. The tracker must stay within a quarter pixel of the truth, give the same path
// backwards, and stop with the right reason when the disc is hidden or leaves the picture.
// The kinematics must reproduce the derivatives of known motion on uneven times.
#include "components/media/MediaSource.h"
#include "components/tracking/Kinematics.h"
#include "components/tracking/PointTracker.h"
#include "components/tracking/TrackJob.h"
#include "support/FixtureRecipes.h"

#include <QPainter>
#include <QProcess>
#include <QSignalSpy>
#include <cmath>
#include <gtest/gtest.h>
#include <random>

namespace {

using tracking::TrackStop;

constexpr int kFrames = 60;
constexpr int kW = 320, kH = 240;
constexpr double kRadius = 10;
constexpr double kTolerance = 0.25; // root mean square error allowed, pixels

// Where the disc is at time t (in frames): thrown to the right and up, falling back.
QPointF thrown(double t) { return {40 + 3.1 * t, 200 - 6.2 * t + 0.1 * t * t}; }
// Runs off the right edge.
QPointF leaving(double t) { return {200 + 4.3 * t, 120 + 0.7 * t}; }

struct Clip {
    const char* name;
    QPointF (*path)(double);
    double noise = 0;    // grey levels, standard deviation
    bool blur = false;   // the disc moves during half the frame interval
    bool texture = false;
    int hiddenFrom = -1; // a bar covers the disc from this frame for five frames
};

// The disc's centre in frame n: for a blurred frame the mean of the exposure's positions.
QPointF truth(const Clip& clip, int n)
{
    if (!clip.blur)
        return clip.path(n);
    QPointF sum;
    for (int s = 0; s < 8; ++s)
        sum += clip.path(n + 0.5 * s / 7.0);
    return sum / 8.0;
}

// One exposure: the background and the disc at `centre`.
void paintExposure(const Clip& clip, QImage& image, QPointF centre, int n)
{
    QPainter p(&image);
    p.fillRect(image.rect(), QColor(60, 70, 80));
    if (clip.texture) {
        std::mt19937 rng(7); // the same background in every frame
        for (int i = 0; i < 400; ++i) {
            const int g = 40 + int(rng() % 120);
            p.fillRect(QRectF(rng() % kW, rng() % kH, 3 + rng() % 9, 3 + rng() % 9), QColor(g, g, g));
        }
    }
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(240, 220, 60));
    p.drawEllipse(centre, kRadius, kRadius);
    if (clip.hiddenFrom >= 0 && n >= clip.hiddenFrom && n < clip.hiddenFrom + 5)
        p.fillRect(QRectF(clip.path(n).x() - 25, 0, 50, kH), QColor(120, 40, 40));
}

// Frame n: a blurred frame is the mean of eight exposures over half a frame interval.
void paint(const Clip& clip, QImage& image, int n)
{
    const int exposures = clip.blur ? 8 : 1;
    std::vector<int> sum(std::size_t(image.width() * 3 * image.height()), 0);
    for (int s = 0; s < exposures; ++s) {
        QImage one(image.size(), QImage::Format_RGB888);
        paintExposure(clip, one, clip.blur ? clip.path(n + 0.5 * s / 7.0) : clip.path(n), n);
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width() * 3; ++x)
                sum[std::size_t(y * image.width() * 3 + x)] += one.constScanLine(y)[x];
    }
    std::mt19937 rng(unsigned(n) + 1);
    std::normal_distribution<double> noise(0, clip.noise > 0 ? clip.noise : 1);
    for (int y = 0; y < image.height(); ++y) {
        uchar* row = image.scanLine(y);
        for (int x = 0; x < image.width() * 3; ++x) {
            const double v = double(sum[std::size_t(y * image.width() * 3 + x)]) / exposures;
            row[x] = uchar(std::clamp(std::lround(v + (clip.noise > 0 ? noise(rng) : 0.0)), 0L, 255L));
        }
    }
}

QString written(const Clip& clip)
{
    FixtureRecipe recipe = FixtureRecipes::lossless(kW, kH, kFrames);
    recipe.painter = [clip](QImage& image, int n) { paint(clip, image, n); };
    QString error;
    const QString path =
        FixtureRecipes::writtenOnce(QStringLiteral("tracking"), QString::fromLatin1(clip.name) + ".mkv", recipe, &error);
    EXPECT_FALSE(path.isEmpty()) << error.toStdString();
    return path;
}

tracking::TrackResult track(MediaSource& source, int from, QPointF start, int to)
{
    const tracking::PointTracker tracker([&source](int n) { return source.greyPicture(n); });
    return tracker.run(from, start, to);
}

double rmsError(const Clip& clip, const std::vector<tracking::TrackedPoint>& points)
{
    double sum = 0;
    for (const auto& p : points)
        sum += std::pow(kinematics::length(p.pos - truth(clip, p.frame)), 2);
    return points.empty() ? INFINITY : std::sqrt(sum / double(points.size()));
}

class TrackKnownMotion : public ::testing::TestWithParam<Clip> {};

TEST_P(TrackKnownMotion, StaysWithinAQuarterPixelForwardsAndBackwards)
{
    const Clip clip = GetParam();
    MediaSource source;
    ASSERT_EQ(source.open(written(clip)), 0);
    const tracking::TrackResult forwards = track(source, 0, truth(clip, 0), kFrames - 1);
    EXPECT_EQ(forwards.stop, TrackStop::RangeEnd);
    ASSERT_EQ(forwards.points.size(), std::size_t(kFrames));
    EXPECT_LT(rmsError(clip, forwards.points), kTolerance);
    for (std::size_t i = 0; i < forwards.points.size(); ++i)
        ASSERT_EQ(forwards.points[i].frame, int(i));

    // From the point in the last frame back to the start: the same path.
    const tracking::TrackResult backwards = track(source, kFrames - 1, truth(clip, kFrames - 1), 0);
    EXPECT_EQ(backwards.stop, TrackStop::RangeEnd);
    ASSERT_EQ(backwards.points.size(), std::size_t(kFrames));
    EXPECT_EQ(backwards.points.back().frame, 0);
    EXPECT_LT(rmsError(clip, backwards.points), kTolerance);
}

INSTANTIATE_TEST_SUITE_P(Clips, TrackKnownMotion,
                         ::testing::Values(Clip{"clean", thrown}, Clip{"noisy", thrown, 8.0},
                                           Clip{"blurred", thrown, 3.0, true},
                                           Clip{"textured", thrown, 3.0, false, true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(TrackStops, WhenTheDiscIsHiddenOrLeavesThePictureAndSaysWhy)
{
    const struct {
        Clip clip;
        TrackStop stop;
        int stopFrame;
    } cases[] = {
        {{"hidden", thrown, 3.0, false, true, 25}, TrackStop::Lost, 25},
        // The 21 px patch no longer fits once the centre is within 10.5 px of the right edge.
        {{"leaving", leaving}, TrackStop::LeftPicture, int(std::floor((kW - 10.5 - 200) / 4.3)) + 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.clip.name);
        MediaSource source;
        ASSERT_EQ(source.open(written(c.clip)), 0);
        const tracking::TrackResult result = track(source, 0, truth(c.clip, 0), kFrames - 1);
        EXPECT_EQ(result.stop, c.stop);
        EXPECT_EQ(result.stopFrame, c.stopFrame);
        ASSERT_EQ(result.points.size(), std::size_t(c.stopFrame));
        EXPECT_LT(rmsError(c.clip, result.points), kTolerance); // what it kept is right
    }
}

TEST(TrackCancel, StopsAtTheFrameTheCallerRefuses)
{
    const Clip clip{"clean", thrown};
    MediaSource source;
    ASSERT_EQ(source.open(written(clip)), 0);
    const tracking::PointTracker tracker([&source](int n) { return source.greyPicture(n); });
    std::vector<int> told;
    const tracking::TrackResult result = tracker.run(10, truth(clip, 10), 40, [&told](const tracking::TrackedPoint& p) {
        told.push_back(p.frame);
        return p.frame < 16;
    });
    EXPECT_EQ(result.stop, TrackStop::Cancelled);
    EXPECT_EQ(result.stopFrame, 17);
    EXPECT_EQ(result.points.size(), 7u);
    EXPECT_EQ(told, (std::vector<int>{11, 12, 13, 14, 15, 16}));
}

// On its worker thread the job finds the same points as a run in the caller's thread, hands
// them over one by one, and can be cancelled or dropped while it runs.
TEST(TrackJob, ReportsThePointsOfADirectRunAndStopsWhenAskedOrDropped)
{
    const Clip clip{"clean", thrown};
    const QString path = written(clip);
    MediaSource source;
    ASSERT_EQ(source.open(path), 0);
    const tracking::TrackResult direct = track(source, 0, truth(clip, 0), kFrames - 1);

    tracking::TrackJob job;
    std::vector<tracking::TrackedPoint> found;
    QObject::connect(&job, &tracking::TrackJob::pointFound,
                     [&found](int n, QPointF pos, double confidence) { found.push_back({n, pos, confidence}); });
    QSignalSpy finished(&job, &tracking::TrackJob::finished);
    ASSERT_TRUE(job.start({path, 0, 0, truth(clip, 0), -1, {}})); // to the end of the file
    EXPECT_FALSE(job.start({path, 0, 0, truth(clip, 0), kFrames - 1, {}})) << "one run at a time";
    ASSERT_TRUE(finished.wait(60000));
    EXPECT_EQ(finished[0][0].toInt(), int(TrackStop::RangeEnd));
    EXPECT_EQ(finished[0][1].toInt(), kFrames - 1);
    ASSERT_EQ(found.size() + 1, direct.points.size());
    EXPECT_TRUE(std::equal(found.begin(), found.end(), direct.points.begin() + 1));

    found.clear();
    ASSERT_TRUE(job.start({path, 0, 0, truth(clip, 0), kFrames - 1, {}}));
    job.cancel();
    ASSERT_TRUE(finished.wait(60000));
    EXPECT_EQ(finished[1][0].toInt(), int(TrackStop::Cancelled));
    EXPECT_LT(finished[1][1].toInt(), kFrames - 1);

    ASSERT_TRUE(job.start({QStringLiteral("no such file.mkv"), 0, 0, {5, 5}, 9, {}}));
    ASSERT_TRUE(finished.wait(60000));
    EXPECT_EQ(finished[2][0].toInt(), int(TrackStop::NoPicture));

    auto dropped = std::make_unique<tracking::TrackJob>();
    ASSERT_TRUE(dropped->start({path, 0, 0, truth(clip, 0), kFrames - 1, {}}));
    dropped.reset(); // cancels and waits; the sanitizers see any use after the end
}

// Kinematics take each frame's own time: on a clip of irregular frame times they are the
// times ffprobe reads from the file, from the first frame on.
TEST(TrackFrameTimes, FollowTheFilesOwnTimestamps)
{
    FixtureRecipe recipe = FixtureRecipes::lossless(64, 48, 20);
    recipe.variableRate = true;
    const QString path = FixtureRecipes::writtenOnce(QStringLiteral("tracking"), QStringLiteral("vfr.mkv"), recipe);
    MediaSource source;
    ASSERT_EQ(source.open(path), 0);
    QProcess probe;
    probe.start(QStringLiteral("ffprobe"), {"-v", "error", "-select_streams", "v:0", "-show_entries",
                                            "frame=best_effort_timestamp_time", "-of", "csv=p=0", path});
    ASSERT_TRUE(probe.waitForFinished(60000));
    const QStringList times = QString::fromUtf8(probe.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(times.size(), source.frameCount());
    bool uneven = false;
    for (int n = 0; n < source.frameCount(); ++n) {
        EXPECT_NEAR(source.frameTime(n), times[n].toDouble() - times[0].toDouble(), 1e-6) << n;
        uneven = uneven || std::abs(source.frameTime(n) - n / 25.0) > 0.005;
    }
    EXPECT_TRUE(uneven) << "the clip's times are regular; the check proves nothing";
}

// Uneven times as a variable frame rate gives them; a parabola is reproduced exactly by a
// second-order local fit, so velocity and acceleration must be the analytic ones everywhere,
// the ends included.
TEST(Kinematics, DerivativesAndFitsOfKnownMotionOnUnevenTimes)
{
    std::mt19937 rng(3);
    std::uniform_real_distribution<double> jitter(-0.004, 0.004);
    std::vector<double> t;
    std::vector<QPointF> p;
    std::vector<double> ys;
    for (int i = 0; i < 40; ++i) {
        t.push_back(i * 0.02 + jitter(rng));
        p.push_back({2 + 3 * t.back(), 5 + 1.5 * t.back() - 4.905 * t.back() * t.back()});
        ys.push_back(p.back().y());
    }
    const auto states = kinematics::differentiate(t, p, 7, 2);
    ASSERT_EQ(states.size(), t.size());
    for (std::size_t i = 0; i < t.size(); ++i) {
        EXPECT_NEAR(states[i].velocity.x(), 3, 1e-6);
        EXPECT_NEAR(states[i].velocity.y(), 1.5 - 9.81 * t[i], 1e-6);
        EXPECT_NEAR(states[i].acceleration.y(), -9.81, 1e-5);
        EXPECT_NEAR(states[i].pos.y(), p[i].y(), 1e-9);
    }
    const auto parabola = kinematics::fitPolynomial(t, ys, 2);
    ASSERT_TRUE(parabola);
    EXPECT_NEAR(parabola->coefficients[0], 5, 1e-9);
    EXPECT_NEAR(parabola->coefficients[1], 1.5, 1e-8);
    EXPECT_NEAR(parabola->coefficients[2], -4.905, 1e-8);
    EXPECT_LT(parabola->rms, 1e-9);
    EXPECT_FALSE(kinematics::fitPolynomial({1, 1, 1}, {1, 2, 3}, 1)); // one time only

    // Noise is calmed: a first-order fit over 9 samples of a line with noise gives its slope.
    std::normal_distribution<double> noise(0, 0.01);
    std::vector<QPointF> noisy;
    for (double ti : t)
        noisy.push_back({ti * 2 + noise(rng), 0});
    for (const auto& s : kinematics::differentiate(t, noisy, 9, 1))
        EXPECT_NEAR(s.velocity.x(), 2, 0.6);
    EXPECT_EQ(kinematics::defaultWindow(25), 5);
    EXPECT_EQ(kinematics::defaultWindow(240), 25);
}

} // namespace
