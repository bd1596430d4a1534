#include "PngSequenceWriter.h"

#include "components/media/MediaCodes.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <QRegularExpression>
#include <vector>

namespace {
constexpr int kMinDigits = 5;
}

PngSequenceWriter::~PngSequenceWriter() { abort(); }

QString PngSequenceWriter::framePath(const QString& target, int index, int count)
{
    const QFileInfo info(target);
    const int digits = std::max(kMinDigits, int(QString::number(std::max(0, count - 1)).size()));
    return info.absoluteDir().filePath(info.completeBaseName() + QStringLiteral("_")
                                       + QStringLiteral("%1").arg(index, digits, 10, QLatin1Char('0'))
                                       + QStringLiteral(".png"));
}

QStringList PngSequenceWriter::existingFrames(const QString& target)
{
    const QFileInfo info(target);
    const QRegularExpression numbered(QStringLiteral("^%1_\\d{%2,}\\.png$")
                                          .arg(QRegularExpression::escape(info.completeBaseName()))
                                          .arg(kMinDigits));
    return info.absoluteDir().entryList(QDir::Files | QDir::Hidden, QDir::Name).filter(numbered);
}

int PngSequenceWriter::open(const QString& path, int width, int height, int scale, int rate)
{
    abort();
    const QFileInfo info(path);
    if (width <= 0 || height <= 0 || width > 16384 || height > 16384 || scale <= 0 || rate <= 0 || path.isEmpty()
        || info.isDir() || info.completeBaseName().isEmpty())
        return MediaBadArgument;
    // Beside the target, so the pictures are renamed into place and never copied across disks.
    auto work = std::make_unique<QTemporaryDir>(info.absolutePath() + QStringLiteral("/.") + info.fileName()
                                                + QStringLiteral(".XXXXXX"));
    if (!work->isValid())
        return MediaWriteFailed;
    m_work = std::move(work);
    m_target = info.absoluteFilePath();
    m_size = QSize(width, height);
    return MediaOk;
}

QString PngSequenceWriter::workPath(int index) const
{
    return m_work->filePath(QString::number(index) + QStringLiteral(".png"));
}

int PngSequenceWriter::appendFrame(const QImage& picture, const QColor& background, bool)
{
    if (!isOpen())
        return MediaNotOpen;
    if (picture.isNull())
        return MediaBadArgument;
    QImage frame = picture;
    if (picture.size() != m_size) {
        frame = QImage(m_size, QImage::Format_RGB888);
        if (frame.isNull()) {
            abort();
            return MediaOutOfMemory;
        }
        frame.fill(background);
        QPainter painter(&frame);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.drawImage(QPoint(0, 0), picture);
    }
    if (!frame.save(workPath(m_frames), "PNG")) {
        abort(); // a full disk: what was written goes with the work folder
        return MediaWriteFailed;
    }
    ++m_frames;
    return MediaOk;
}

int PngSequenceWriter::close()
{
    if (!isOpen())
        return MediaNotOpen;
    // Each step is a rename within one folder; a failing one undoes those before it.
    struct Step {
        QString from, to;
    };
    std::vector<Step> done;
    const auto move = [&done](const QString& from, const QString& to) {
        if (!QFile::rename(from, to))
            return false;
        done.push_back({from, to});
        return true;
    };
    bool ok = true;
    for (int k = 0; k < m_frames && ok; ++k) {
        const QString finalPath = framePath(m_target, k, m_frames);
        const QString kept = m_work->filePath(QStringLiteral("replaced-%1.png").arg(k));
        ok = (!QFileInfo::exists(finalPath) || move(finalPath, kept)) && move(workPath(k), finalPath);
    }
    if (!ok)
        for (auto step = done.rbegin(); step != done.rend(); ++step)
            QFile::rename(step->to, step->from);
    abort(); // the work folder goes, with the replaced pictures in it
    return ok ? MediaOk : MediaWriteFailed;
}

void PngSequenceWriter::abort()
{
    m_work.reset();
    m_target.clear();
    m_frames = 0;
}
