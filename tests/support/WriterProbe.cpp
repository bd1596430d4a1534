#include "support/WriterProbe.h"

#include "components/media/FramePattern.h"
#include "components/media/MediaSource.h"

#include <QMap>
#include <QProcess>

namespace {

ProbedStream probe(const QString& path, const QString& select)
{
    QProcess ffprobe;
    ffprobe.start(QStringLiteral("ffprobe"),
                  {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-count_frames"),
                   QStringLiteral("-select_streams"), select, QStringLiteral("-show_entries"),
                   QStringLiteral("stream=codec_name,pix_fmt,width,height,r_frame_rate,nb_read_frames,sample_rate,channels,duration"),
                   QStringLiteral("-of"), QStringLiteral("default=noprint_wrappers=1"), path});
    ProbedStream result;
    if (!ffprobe.waitForFinished(120000) || ffprobe.exitCode() != 0)
        return result;
    QMap<QString, QString> values;
    for (const QByteArray& line : ffprobe.readAllStandardOutput().split('\n')) {
        const int eq = line.indexOf('=');
        if (eq > 0 && !values.contains(QString::fromLatin1(line.left(eq))))
            values.insert(QString::fromLatin1(line.left(eq)), QString::fromLatin1(line.mid(eq + 1)).trimmed());
    }
    if (values.isEmpty())
        return result;
    result.ok = true;
    result.codec = values.value(QStringLiteral("codec_name"));
    result.pixelFormat = values.value(QStringLiteral("pix_fmt"));
    result.width = values.value(QStringLiteral("width")).toInt();
    result.height = values.value(QStringLiteral("height")).toInt();
    result.rate = values.value(QStringLiteral("r_frame_rate"));
    result.frames = values.value(QStringLiteral("nb_read_frames")).toInt();
    result.sampleRate = values.value(QStringLiteral("sample_rate")).toInt();
    result.channels = values.value(QStringLiteral("channels")).toInt();
    result.duration = values.value(QStringLiteral("duration")).toDouble();
    return result;
}

} // namespace

namespace WriterProbe {

ProbedStream video(const QString& path) { return probe(path, QStringLiteral("v:0")); }
ProbedStream audio(const QString& path) { return probe(path, QStringLiteral("a:0")); }

QList<double> packetDurations(const QString& path)
{
    QProcess ffprobe;
    ffprobe.start(QStringLiteral("ffprobe"),
                  {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-select_streams"), QStringLiteral("v:0"),
                   QStringLiteral("-show_entries"), QStringLiteral("packet=duration_time"), QStringLiteral("-of"),
                   QStringLiteral("csv=p=0"), path});
    QList<double> durations;
    if (!ffprobe.waitForFinished(120000) || ffprobe.exitCode() != 0)
        return durations;
    for (const QByteArray& line : ffprobe.readAllStandardOutput().split('\n'))
        if (!line.trimmed().isEmpty())
            durations << line.trimmed().toDouble();
    return durations;
}

QList<int> shownNumbers(const QString& path)
{
    QList<int> numbers;
    MediaSource source;
    if (source.open(path, 0) != 0)
        return numbers;
    for (int n = 0; n < source.frameCount(); ++n) {
        const QImage picture = source.picture(n);
        numbers << FramePattern::read(picture, picture.rect());
    }
    return numbers;
}

} // namespace WriterProbe
