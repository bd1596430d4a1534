#include "AnalysisFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace analysis {

std::optional<Document> readFile(const QString& path, Problem& problem)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        problem = {Fault::Unreadable, file.errorString()};
        return std::nullopt;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        problem = {Fault::Unreadable, file.errorString()};
        return std::nullopt;
    }
    return fromJson(bytes, problem);
}

bool writeFile(const QString& path, Document doc, Problem& problem)
{
    const QDir folder = QFileInfo(path).absoluteDir();
    for (View& v : doc.views) {
        if (v.video.absolutePath.isEmpty())
            continue;
        v.video.absolutePath = QFileInfo(v.video.absolutePath).absoluteFilePath();
        v.video.path = QDir::fromNativeSeparators(folder.relativeFilePath(v.video.absolutePath));
    }
    QSaveFile file(path);
    const QByteArray bytes = toJson(doc);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        problem = {Fault::WriteFailed, file.errorString()};
        return false;
    }
    problem = {};
    return true;
}

QString locateVideo(const VideoRef& video, const QString& analysisPath)
{
    const QDir folder = QFileInfo(analysisPath).absoluteDir();
    QStringList candidates;
    if (!video.path.isEmpty())
        candidates << QDir::cleanPath(folder.absoluteFilePath(video.path));
    if (!video.absolutePath.isEmpty())
        candidates << video.absolutePath << folder.absoluteFilePath(QFileInfo(video.absolutePath).fileName());
    for (const QString& c : candidates)
        if (QFileInfo(c).isFile())
            return c;
    return {};
}

QString besideVideo(const QString& videoPath)
{
    const QFileInfo info(videoPath);
    return info.dir().filePath(info.completeBaseName() + QLatin1Char('.') + QLatin1String(kSuffix));
}

bool isAnalysisFile(const QString& path)
{
    return QFileInfo(path).suffix().compare(QLatin1String(kSuffix), Qt::CaseInsensitive) == 0;
}

} // namespace analysis
