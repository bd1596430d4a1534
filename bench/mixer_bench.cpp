// mixer_bench: timings of the video mixer, one measurement per run, printed as key=value lines
// for bench/run_mixer.sh, which runs the ffmpeg command line beside it.
//
//   mixer_bench clips FOLDER WxH FPS FRAMES
//       writes FOLDER/pattern_WxH.mp4 (the frame-number pattern) and FOLDER/subject_WxH.mp4 (a
//       bright ball crossing a still, textured scene) with x264, unless they are there already.
//   mixer_bench write CLIP1 CLIP2 OUT.avi [--alg N] [--frames N]
//       the saved mix: frame n of each clip drawn at 100 % into its 24-bit picture, as the
//       program draws it, the two blended (algorithm 1 unless --alg) and appended to an MJPEG
//       AVI (quality 93, quantiser 3) through the project's writer. Whole command timed by the
//       caller; seconds= is the time after both clips are open.
//   mixer_bench live CLIP1 CLIP2 [--alg N] [--frames N] [--ahead]
//       the live mix: as above without writing; prints the output frames per second. With
//       --ahead each source's decode-ahead worker runs in front of the frames, as in playback.
//   mixer_bench strobo CLIP [--frames N] [--spacing N] [--threshold T] [--ahead]
//       the live stroboscope: the agent's reference picture (timed on its own), then every
//       frame drawn and added; prints the output frames per second.
//   mixer_bench blend WxH [--alg N] [--reps N]
//       the blend alone on two pictures of that size: median milliseconds per blend.
#include "BenchTiming.h"

#include "components/media/FixtureWriter.h"
#include "components/media/FrameAccess.h"
#include "components/media/MediaCodes.h"
#include "components/media/MediaSource.h"
#include "components/mixer/MixerCodes.h"
#include "components/mixer/OvVidMixAgent.h"
#include "components/mixer/OvVidMixer.h"
#include "components/writer/AviWriter.h"
#include "components/writer/CodecCatalog.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPainter>
#include <QStringList>
#include <cmath>
#include <cstdio>
#include <memory>
#include <random>

namespace {

using BenchTiming::Clock;
using BenchTiming::msSince;

QString option(const QStringList& args, const QString& name, const QString& fallback)
{
    const int at = args.indexOf(name);
    return at >= 0 && at + 1 < args.size() ? args[at + 1] : fallback;
}

int intOption(const QStringList& args, const char* name, int fallback)
{
    return option(args, QString::fromLatin1(name), QString::number(fallback)).toInt();
}

QSize sizeOf(const QString& text)
{
    const QStringList wh = text.split(QLatin1Char('x'));
    return wh.size() == 2 ? QSize(wh[0].toInt(), wh[1].toInt()) : QSize();
}

// A still scene of soft stripes with a bright ball crossing it on an arc: what a stroboscope
// is made for, and a second video unlike the frame-number pattern for the mix. Painted through
// QPainter, so whatever format the clip writer hands over is served.
void paintSubject(QImage& image, int n, int frames)
{
    const int w = image.width(), h = image.height();
    static QImage scene;
    if (scene.size() != image.size()) {
        scene = QImage(image.size(), QImage::Format_RGB32);
        for (int y = 0; y < h; ++y) {
            auto* row = reinterpret_cast<QRgb*>(scene.scanLine(y));
            for (int x = 0; x < w; ++x) {
                const int v = 40 + int(30 * std::sin(x * 0.05) * std::cos(y * 0.03));
                row[x] = qRgb(v, v + 30, v + 10);
            }
        }
    }
    const double t = frames > 1 ? double(n) / (frames - 1) : 0;
    const double r = h / 14.0;
    const QPointF centre(r + t * (w - 2 * r), h * 0.8 - 4 * t * (1 - t) * h * 0.6);
    QPainter painter(&image);
    painter.drawImage(0, 0, scene);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(250, 210, 40));
    painter.drawEllipse(centre, r, r);
}

int clips(const QString& folder, QSize size, int fps, int frames)
{
    if (!QDir().mkpath(folder))
        return 1;
    const QString tag = QStringLiteral("%1x%2").arg(size.width()).arg(size.height());
    FixtureRecipe recipe;
    recipe.width = size.width();
    recipe.height = size.height();
    recipe.frames = frames;
    recipe.rate = AVRational{fps, 1};
    recipe.gop = fps;
    recipe.bFrames = 2;
    for (int kind = 0; kind < 2; ++kind) {
        const QString path =
            QDir(folder).filePath((kind ? QStringLiteral("subject_") : QStringLiteral("pattern_")) + tag + QStringLiteral(".mp4"));
        if (QFileInfo(path).size() > 0)
            continue;
        recipe.painter = kind ? std::function<void(QImage&, int)>([frames](QImage& p, int n) { paintSubject(p, n, frames); })
                            : std::function<void(QImage&, int)>();
        QString error;
        if (FixtureWriter::write(path, recipe, &error) != 0) {
            std::fprintf(stderr, "cannot write %s: %s\n", qPrintable(path), qPrintable(error));
            return 1;
        }
    }
    return 0;
}

// An open clip with its frame access object and the 24-bit picture the program draws into.
struct Source {
    MediaSource media;
    std::unique_ptr<FrameAccess> access;
    QImage picture;

    bool open(const QString& path)
    {
        if (const int rc = media.open(path); rc != MediaOk) {
            std::fprintf(stderr, "open() = %d: %s\n", rc, qPrintable(path));
            return false;
        }
        access = std::make_unique<FrameAccess>(media);
        picture = FrameAccess::blankPicture(media.width(), media.height(), Qt::black, 24);
        return true;
    }
    // Frame n (the last one past the end) drawn at 100 % from the origin.
    bool draw(int n)
    {
        n = std::min(n, media.frameCount() - 1);
        return access->drawFrame(picture, n, 100, 0, 0) == MediaOk;
    }
    void ahead(int n, bool on)
    {
        // Keeps the worker a second in front, asked again every half second as playback does.
        if (on && n % 15 == 0)
            media.decodeAhead(n, 1, 30);
    }
};

bool setUpMixer(OvVidMixer& mixer, int alg)
{
    for (int i = 0; i < 3; ++i)
        mixer.setSwitch(i, 1);
    mixer.setRect(0, QRectF(0, 0, 1, 1));
    mixer.setRect(1, QRectF(0, 0, 1, 1));
    return mixer.setColorWeight(0.5) == MixerOk && mixer.setBlendAlgorithm(alg) == MixerOk
        && mixer.setBlendWeight(0.5) == MixerOk;
}

int write(const QString& clip1, const QString& clip2, const QString& out, const QStringList& args)
{
    Source a, b;
    if (!a.open(clip1) || !b.open(clip2))
        return 1;
    OvVidMixer mixer;
    if (!setUpMixer(mixer, intOption(args, "--alg", 1)))
        return 2;
    const int frames = intOption(args, "--frames", std::max(a.media.frameCount(), b.media.frameCount()));
    const auto start = Clock::now();
    const AVRational rate = a.media.frameRateExact();
    AviWriter writer;
    int rc = writer.open(out, std::max(a.media.width(), b.media.width()), std::max(a.media.height(), b.media.height()),
                         rate.den, rate.num);
    if (rc == MediaOk)
        rc = writer.setCodec(CodecCatalog::defaultChoice());
    double mixMs = 0, drawMs = 0, appendMs = 0;
    for (int n = 0; rc == MediaOk && n < frames; ++n) {
        const auto t0 = Clock::now();
        if (!a.draw(n) || !b.draw(n)) {
            rc = MediaCorrupt;
            break;
        }
        const auto t1 = Clock::now();
        const QImage mixed = mixer.blend(a.picture, b.picture);
        const auto t2 = Clock::now();
        rc = mixed.isNull() ? MediaCorrupt : writer.appendFrame(mixed);
        drawMs += std::chrono::duration<double, std::milli>(t1 - t0).count();
        mixMs += std::chrono::duration<double, std::milli>(t2 - t1).count();
        appendMs += msSince(t2);
    }
    if (rc == MediaOk)
        rc = writer.close();
    if (rc != MediaOk) {
        std::fprintf(stderr, "mix write = %d: %s\n", rc, qPrintable(out));
        return 1;
    }
    std::printf("frames=%d\nseconds=%.4f\ndraw_ms_per_frame=%.3f\nmix_ms_per_frame=%.3f\nappend_ms_per_frame=%.3f\n", frames,
                msSince(start) / 1000, drawMs / frames, mixMs / frames, appendMs / frames);
    return 0;
}

int live(const QString& clip1, const QString& clip2, const QStringList& args)
{
    Source a, b;
    if (!a.open(clip1) || !b.open(clip2))
        return 1;
    OvVidMixer mixer;
    if (!setUpMixer(mixer, intOption(args, "--alg", 1)))
        return 2;
    const bool ahead = args.contains(QStringLiteral("--ahead"));
    const int frames = intOption(args, "--frames", std::min(a.media.frameCount(), b.media.frameCount()));
    QImage shown; // the operation view holds the last output, as on screen
    double mixMs = 0;
    const auto start = Clock::now();
    for (int n = 0; n < frames; ++n) {
        a.ahead(n, ahead);
        b.ahead(n, ahead);
        if (!a.draw(n) || !b.draw(n))
            return 1;
        const auto t = Clock::now();
        shown = mixer.blend(a.picture, b.picture);
        mixMs += msSince(t);
        if (shown.isNull())
            return 1;
    }
    const double seconds = msSince(start) / 1000;
    std::printf("frames=%d\nseconds=%.4f\nfps=%.2f\nmix_ms_per_frame=%.3f\n", frames, seconds, frames / seconds,
                mixMs / frames);
    return 0;
}

int strobo(const QString& clip, const QStringList& args)
{
    Source s;
    if (!s.open(clip))
        return 1;
    OvVidMixer mixer;
    OvVidMixAgent agent;
    const auto refStart = Clock::now();
    const QImage reference = agent.referencePicture(*s.access, mixer);
    const double refMs = msSince(refStart);
    if (reference.isNull()) {
        std::fprintf(stderr, "reference: %s\n", qPrintable(agent.lastError()));
        return 1;
    }
    const bool ahead = args.contains(QStringLiteral("--ahead"));
    const int frames = intOption(args, "--frames", s.media.frameCount());
    QImage out = FrameAccess::blankPicture(s.media.width(), s.media.height(), Qt::black, 24);
    double mixMs = 0;
    const auto start = Clock::now();
    for (int n = 0; n < frames; ++n) {
        s.ahead(n, ahead);
        if (!s.draw(n))
            return 1;
        const auto t = Clock::now();
        const int rc = n == 0 ? mixer.stroboStart(s.picture, out, reference, 1000, intOption(args, "--spacing", 5),
                                                  uint8_t(intOption(args, "--threshold", 10)))
                              : mixer.stroboAdd(s.picture, out);
        mixMs += msSince(t);
        if (rc != MixerOk) {
            std::fprintf(stderr, "stroboscope = %d: %s\n", rc, qPrintable(mixer.lastError()));
            return 1;
        }
    }
    const double seconds = msSince(start) / 1000;
    std::printf("frames=%d\nseconds=%.4f\nfps=%.2f\nstrobo_ms_per_frame=%.3f\nreference_ms=%.1f\n", frames, seconds,
                frames / seconds, mixMs / frames, refMs);
    return 0;
}

QImage noise(QSize size, unsigned seed, QImage::Format format)
{
    std::mt19937 rng(seed);
    QImage p(size, QImage::Format_RGB32);
    for (int y = 0; y < p.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(p.scanLine(y));
        for (int x = 0; x < p.width(); ++x)
            row[x] = 0xff000000u | (rng() & 0xffffffu);
    }
    return p.convertToFormat(format);
}

int blendOnly(QSize size, const QStringList& args)
{
    if (size.isEmpty())
        return 2;
    OvVidMixer mixer;
    if (!setUpMixer(mixer, intOption(args, "--alg", 1)))
        return 2;
    const int reps = std::max(1, intOption(args, "--reps", 30));
    for (const QImage::Format format : {QImage::Format_RGB888, QImage::Format_RGB32}) {
        const QImage a = noise(size, 1, format), b = noise(size, 2, format);
        std::vector<double> ms;
        QImage shown;
        for (int r = 0; r < reps; ++r) {
            const auto t = Clock::now();
            shown = mixer.blend(a, b);
            ms.push_back(msSince(t));
        }
        std::printf("%s_ms=%.3f\n", format == QImage::Format_RGB888 ? "rgb24" : "rgb32", BenchTiming::median(ms));
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv); // QPainter on pictures needs the GUI side of Qt
    const QStringList args = QCoreApplication::arguments().mid(1);
    const QString verb = args.value(0);
    if (verb == QLatin1String("clips") && args.size() >= 5)
        return clips(args[1], sizeOf(args[2]), args[3].toInt(), args[4].toInt());
    if (verb == QLatin1String("write") && args.size() >= 4)
        return write(args[1], args[2], args[3], args.mid(4));
    if (verb == QLatin1String("live") && args.size() >= 3)
        return live(args[1], args[2], args.mid(3));
    if (verb == QLatin1String("strobo") && args.size() >= 2)
        return strobo(args[1], args.mid(2));
    if (verb == QLatin1String("blend") && args.size() >= 2)
        return blendOnly(sizeOf(args[1]), args.mid(2));
    std::fputs("usage: mixer_bench clips FOLDER WxH FPS FRAMES\n"
               "       mixer_bench write CLIP1 CLIP2 OUT.avi [--alg N] [--frames N]\n"
               "       mixer_bench live CLIP1 CLIP2 [--alg N] [--frames N] [--ahead]\n"
               "       mixer_bench strobo CLIP [--frames N] [--spacing N] [--threshold T] [--ahead]\n"
               "       mixer_bench blend WxH [--alg N] [--reps N]\n",
               stderr);
    return 2;
}
