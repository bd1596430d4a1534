#include "DemoClips.h"

#include "FixtureWriter.h"
#include "MediaCodes.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <cmath>

namespace {

// A horizontal bar of `lengthPx` with end ticks and its label above its middle.
void drawScaleBar(QPainter& p, QPointF left, double lengthPx, const QString& label, const QColor& colour)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    // The bar covers exactly lengthPx pixels, so a calibration along it reads the stated length.
    p.drawRect(QRectF(left.x(), left.y() - 2, lengthPx, 4));
    p.drawRect(QRectF(left.x(), left.y() - 8, 2, 16));
    p.drawRect(QRectF(left.x() + lengthPx - 2, left.y() - 8, 2, 16));
    p.setPen(colour);
    QFont font = p.font();
    font.setPixelSize(14);
    p.setFont(font);
    p.drawText(QRectF(left.x(), left.y() - 30, lengthPx, 18), Qt::AlignHCenter | Qt::AlignBottom, label);
    p.restore();
}

void drawCaption(QPainter& p, const QString& text, const QColor& colour)
{
    p.save();
    QFont font = p.font();
    font.setPixelSize(14);
    p.setFont(font);
    p.setPen(colour);
    p.drawText(QPointF(10, 20), text);
    p.restore();
}

// One flight of the ball between two bounces.
struct Flight {
    double t0, y0, vy0;
};

} // namespace

double DemoClips::pendulumAngle(double theta0, double lengthM, double t)
{
    // Classic fourth-order Runge-Kutta on (θ, ω) with steps of at most a millisecond; the error
    // stays far below what a pixel of the picture can show.
    const double k = kG / lengthM;
    const int steps = std::max(1, int(std::ceil(std::abs(t) / 1e-3)));
    const double h = t / steps;
    double th = theta0, w = 0.0;
    for (int i = 0; i < steps; ++i) {
        const double k1t = w, k1w = -k * std::sin(th);
        const double k2t = w + h / 2 * k1w, k2w = -k * std::sin(th + h / 2 * k1t);
        const double k3t = w + h / 2 * k2w, k3w = -k * std::sin(th + h / 2 * k2t);
        const double k4t = w + h * k3w, k4w = -k * std::sin(th + h * k3t);
        th += h / 6 * (k1t + 2 * k2t + 2 * k3t + k4t);
        w += h / 6 * (k1w + 2 * k2w + 2 * k3w + k4w);
    }
    return th;
}

QPointF DemoClips::ballPosition(double t)
{
    using B = Ball;
    // Walks from flight to flight: each lands when its centre comes down to one radius above the
    // floor and leaves again with the vertical speed scaled by the restitution.
    Flight f{0.0, B::kY0, B::kVy};
    for (;;) {
        const double a = kG / 2, b = -f.vy0, c = B::kRadius - f.y0; // a·τ² + b·τ + c = 0
        const double land = (-b + std::sqrt(std::max(0.0, b * b - 4 * a * c))) / (2 * a);
        if (t <= f.t0 + land || !(land > 0)) {
            const double tau = std::max(0.0, t - f.t0);
            return {B::kX0 + B::kVx * t, f.y0 + f.vy0 * tau - kG / 2 * tau * tau};
        }
        const double vyAfter = B::kRestitution * (kG * land - f.vy0);
        if (vyAfter < 0.05) // too small to see: the ball rolls on
            return {B::kX0 + B::kVx * t, B::kRadius};
        f = Flight{f.t0 + land, B::kRadius, vyAfter};
    }
}

QPointF DemoClips::pendulumBobPx(int n)
{
    using P = Pendulum;
    const double th = pendulumAngle(P::kTheta0, P::kLength, double(n) / kFps);
    const double r = P::kLength * P::kPxPerM;
    return {P::kPivotX + r * std::sin(th), P::kPivotY + r * std::cos(th)};
}

QPointF DemoClips::ballPx(int n)
{
    const QPointF m = ballPosition(double(n) / kFps);
    return {m.x() * Ball::kPxPerM, Ball::kFloorPx - m.y() * Ball::kPxPerM};
}

void DemoClips::paintPendulum(QImage& image, int n)
{
    using P = Pendulum;
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.fillRect(image.rect(), QColor(235, 235, 225));
    const QPointF pivot(P::kPivotX, P::kPivotY);
    const QPointF bob = pendulumBobPx(n);
    p.setPen(QPen(QColor(60, 60, 60), 2));
    p.drawLine(pivot, bob);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(200, 40, 30));
    p.drawEllipse(bob, P::kBobRadiusPx, P::kBobRadiusPx);
    p.setBrush(QColor(40, 40, 40));
    p.drawRect(QRectF(pivot.x() - 40, pivot.y() - 6, 80, 6));
    drawCaption(p, QStringLiteral("Pendulum, L = 1 m"), QColor(20, 20, 20));
    drawScaleBar(p, QPointF(20, kHeight - 20), 1.0 * P::kPxPerM, QStringLiteral("1 m"), QColor(20, 20, 20));
}

void DemoClips::paintBall(QImage& image, int n)
{
    using B = Ball;
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.fillRect(image.rect(), QColor(30, 70, 40));
    p.fillRect(QRectF(0, B::kFloorPx, kWidth, kHeight - B::kFloorPx), QColor(90, 90, 80));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(250, 200, 40));
    const double r = B::kRadius * B::kPxPerM;
    p.drawEllipse(ballPx(n), r, r);
    drawCaption(p, QStringLiteral("Thrown ball, g = 9.81 m/s²"), QColor(240, 240, 240));
    drawScaleBar(p, QPointF(kWidth - 20 - B::kPxPerM, 50), 1.0 * B::kPxPerM, QStringLiteral("1 m"),
                 QColor(240, 240, 240));
}

QStringList DemoClips::ensure(const QString& folder, QString* error)
{
    if (!QDir().mkpath(folder)) {
        if (error)
            *error = QStringLiteral("cannot create ") + folder;
        return {};
    }
    struct Clip {
        const char* name;
        void (*paint)(QImage&, int);
    };
    const Clip clips[] = {{"pendulum.mkv", paintPendulum}, {"ball.mkv", paintBall}};
    QStringList paths;
    for (const Clip& clip : clips) {
        const QString path = QDir(folder).filePath(QString::fromLatin1(clip.name));
        if (!QFileInfo(path).isFile() || QFileInfo(path).size() == 0) {
            FixtureRecipe recipe;
            recipe.encoder = QStringLiteral("ffv1");
            recipe.width = kWidth;
            recipe.height = kHeight;
            recipe.rate = {kFps, 1};
            recipe.frames = kFrames;
            recipe.gop = 1;
            recipe.bFrames = 0;
            recipe.painter = clip.paint;
            // Written beside the target and renamed, so a broken run never leaves a clip that
            // looks complete.
            const QString part = path + QStringLiteral(".part.mkv");
            if (FixtureWriter::write(part, recipe, error) != MediaOk || !QFile::rename(part, path)) {
                QFile::remove(part);
                if (error && error->isEmpty())
                    *error = QStringLiteral("cannot write ") + path;
                return {};
            }
        }
        paths << QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
    }
    return paths;
}
