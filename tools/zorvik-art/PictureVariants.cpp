#include "PictureVariants.h"

#include <QPainter>
#include <QPainterPath>

namespace ZorvikArt {
namespace {

// How much of the distance to the background a greyed pixel keeps.
constexpr double kDisabledContrast = 0.42;
// A transparent picture is greyed toward the button face it is shown on.
constexpr int kButtonFace = 225;

int grey(QRgb c) { return (qRed(c) * 299 + qGreen(c) * 587 + qBlue(c) * 114 + 500) / 1000; }

} // namespace

QImage disabledLook(const QImage& normal, const QColor& background)
{
    const bool opaque = background.isValid();
    QImage out = normal.convertToFormat(opaque ? QImage::Format_RGB32 : QImage::Format_ARGB32);
    const int bg = opaque ? grey(background.rgb()) : kButtonFace;
    for (int y = 0; y < out.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x) {
            const QRgb c = row[x];
            if (opaque && (c & 0xffffff) == (background.rgb() & 0xffffff))
                continue;
            const int g = qBound(0, qRound(bg + (grey(c) - bg) * kDisabledContrast), 255);
            row[x] = qRgba(g, g, g, qAlpha(c));
        }
    }
    return out;
}

QImage hotLook(const QImage& normal, const QColor& tint)
{
    QImage out(normal.size(), QImage::Format_ARGB32_Premultiplied);
    out.fill(Qt::transparent);
    {
        QPainter p(&out);
        p.setRenderHint(QPainter::Antialiasing);
        const qreal edge = qMin(out.width(), out.height());
        const QRectF plate = QRectF(out.rect()).adjusted(0.5, 0.5, -0.5, -0.5);
        QColor fill = tint;
        fill.setAlphaF(0.18f);
        QColor rim = tint;
        rim.setAlphaF(0.65f);
        p.setPen(QPen(rim, 1.0));
        p.setBrush(fill);
        // Behind a transparent drawing; over an opaque one, which would hide it.
        if (normal.hasAlphaChannel()) {
            p.drawRoundedRect(plate, edge * 0.16, edge * 0.16);
            p.drawImage(0, 0, normal);
        } else {
            p.drawImage(0, 0, normal);
            p.drawRoundedRect(plate, edge * 0.16, edge * 0.16);
        }
    }
    return out.convertToFormat(normal.hasAlphaChannel() ? QImage::Format_ARGB32 : QImage::Format_RGB32);
}

} // namespace ZorvikArt
