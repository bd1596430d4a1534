#include "DemoClips.h"

#include "FixtureWriter.h"
#include "MediaCodes.h"

#include <QDir>
#include <QFileInfo>
#include <QPainter>
#include <cmath>

namespace {

void paintPendulum(QImage& image, int n)
{
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.fillRect(image.rect(), QColor(235, 235, 225));
    const double t = n / 25.0;
    const double angle = 0.6 * std::cos(2.0 * M_PI * t / 1.6); // period 1.6 s
    const QPointF pivot(image.width() / 2.0, 30.0);
    const double length = image.height() * 0.7;
    const QPointF bob(pivot.x() + length * std::sin(angle), pivot.y() + length * std::cos(angle));
    p.setPen(QPen(QColor(40, 40, 40), 3));
    p.drawLine(pivot, bob);
    p.setBrush(QColor(180, 40, 30));
    p.drawEllipse(bob, 22.0, 22.0);
    p.setBrush(QColor(40, 40, 40));
    p.drawEllipse(pivot, 6.0, 6.0);
}

void paintBall(QImage& image, int n)
{
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.fillRect(image.rect(), QColor(30, 70, 40));
    const double t = n / 30.0;
    const double floor = image.height() - 40.0;
    // A ball thrown sideways, bouncing on the floor with a little loss per bounce.
    const double period = 1.2;
    const double phase = std::fmod(t, period) / period;
    const double height = (floor - 60.0) * 4.0 * phase * (1.0 - phase);
    const double x = 40.0 + std::fmod(t * 150.0, image.width() - 80.0);
    p.setPen(QPen(QColor(220, 220, 220), 2));
    p.drawLine(QPointF(0, floor + 20), QPointF(image.width(), floor + 20));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(250, 200, 40));
    p.drawEllipse(QPointF(x, floor - height), 20.0, 20.0);
}

} // namespace

QStringList DemoClips::ensure(const QString& folder, QString* error)
{
    if (!QDir().mkpath(folder)) {
        if (error)
            *error = QStringLiteral("cannot create ") + folder;
        return {};
    }
    const bool h264 = FixtureWriter::encoderAvailable(QStringLiteral("libx264"));
    struct Clip {
        const char* name;
        int fps;
        void (*paint)(QImage&, int);
    };
    const Clip clips[] = {{"pendulum", 25, paintPendulum}, {"ball", 30, paintBall}};
    QStringList paths;
    for (const Clip& clip : clips) {
        const QString path = QDir(folder).filePath(QString::fromLatin1(clip.name) + (h264 ? ".mp4" : ".avi"));
        if (!QFileInfo(path).isFile() || QFileInfo(path).size() == 0) {
            FixtureSpec recipe;
            recipe.encoder = h264 ? QStringLiteral("libx264") : QStringLiteral("mpeg4");
            recipe.width = 640;
            recipe.height = 360;
            recipe.rate = {clip.fps, 1};
            recipe.frames = clip.fps * 4;
            recipe.gop = clip.fps * 2;
            recipe.painter = clip.paint;
            if (FixtureWriter::write(path, recipe, error) != MediaOk) {
                QFile::remove(path);
                return {};
            }
        }
        paths << QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
    }
    return paths;
}
