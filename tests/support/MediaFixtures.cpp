#include "MediaFixtures.h"

#include "components/media/FrameHash.h"
#include "components/media/FramePattern.h"
#include "components/media/MediaSource.h"
#include "support/FixtureRecipes.h"

#include <QFileInfo>
#include <QProcess>
#include <QImage>
#include <algorithm>
#include <cstdlib>

namespace MediaFixtures {

QString clip(const QString& name, const FixtureRecipe& recipe, QString* error)
{
    return FixtureRecipes::writtenOnce(QStringLiteral("media"), name, recipe, error);
}

QStringList ffmpegFrameMd5(const QString& path)
{
    QProcess ffmpeg;
    ffmpeg.start(QStringLiteral("ffmpeg"), {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-i"), path,
                                            QStringLiteral("-map"), QStringLiteral("0:v:0"),
                                            QStringLiteral("-fps_mode"), QStringLiteral("passthrough"),
                                            QStringLiteral("-f"), QStringLiteral("framemd5"), QStringLiteral("-")});
    if (!ffmpeg.waitForFinished(120000) || ffmpeg.exitCode() != 0)
        return {};
    QStringList sums;
    for (const QByteArray& line : ffmpeg.readAllStandardOutput().split('\n')) {
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        sums << QString::fromLatin1(line.split(',').value(5).trimmed());
    }
    return sums;
}

int ffprobeFrameCount(const QString& path)
{
    QProcess probe;
    probe.start(QStringLiteral("ffprobe"),
                {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-count_frames"),
                 QStringLiteral("-select_streams"), QStringLiteral("v:0"), QStringLiteral("-show_entries"),
                 QStringLiteral("stream=nb_read_frames"), QStringLiteral("-of"), QStringLiteral("csv=p=0"), path});
    if (!probe.waitForFinished(120000) || probe.exitCode() != 0)
        return -1;
    bool ok = false;
    // MPEG-TS lists the stream once per program: the first line holds the count.
    const QString first = QString::fromLatin1(probe.readAllStandardOutput()).trimmed().split(QLatin1Char('\n')).value(0);
    const int n = first.split(QLatin1Char(',')).value(0).trimmed().toInt(&ok);
    return ok ? n : -1;
}

QStringList engineFrameMd5(MediaSource& source, Order order, unsigned seed)
{
    const int count = source.recordedFrameCount();
    QStringList sums;
    for (int i = 0; i < count; ++i)
        sums << QString();
    for (int n : FrameSteps::sequence(count, order, seed)) {
        QByteArray sum;
        sums[n] = FrameSteps::visit(source, n, false, &sum) ? QString::fromLatin1(sum) : QStringLiteral("missing");
    }
    return sums;
}

int shownNumber(const QImage& picture) { return FramePattern::read(picture, picture.rect()); }

double meanDifference(const QImage& a, const QImage& b, const QRect& area)
{
    if (!a.rect().contains(area) || !b.rect().contains(area))
        return 255;
    const QImage x = a.convertToFormat(QImage::Format_RGB888);
    const QImage y = b.convertToFormat(QImage::Format_RGB888);
    double sum = 0;
    for (int row = area.top(); row <= area.bottom(); ++row)
        for (int i = area.left() * 3; i < (area.right() + 1) * 3; ++i)
            sum += std::abs(int(x.constScanLine(row)[i]) - int(y.constScanLine(row)[i]));
    return sum / (3.0 * area.width() * area.height());
}

QString gopClip()
{
    FixtureRecipe recipe;
    recipe.encoder = FixtureWriter::encoderAvailable(QStringLiteral("libx264")) ? QStringLiteral("libx264")
                                                                                : QStringLiteral("mpeg4");
    recipe.width = 96;
    recipe.height = 64;
    recipe.frames = 60;
    recipe.gop = 20;
    recipe.bFrames = 2;
    return clip(QStringLiteral("gop20.mp4"), recipe);
}

} // namespace MediaFixtures
