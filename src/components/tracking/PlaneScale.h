#pragma once

#include <QPointF>
#include <QString>

namespace tracking {

// How picture pixels become lengths on the filmed plane: an origin, the length of a pixel across
// and down (they differ when pixels are not square), and the unit's name. Calibrated, y grows
// upwards as in physics; in pixels it keeps the picture's downward direction.
struct PlaneScale {
    QPointF origin;
    double perPixelX = 1, perPixelY = 1;
    QString unit = QStringLiteral("px");
    bool yUp = false;

    QPointF toUnits(QPointF px) const
    {
        const QPointF d = px - origin;
        return {d.x() * perPixelX, (yUp ? -d.y() : d.y()) * perPixelY};
    }
    bool isPixels() const { return unit == QLatin1String("px"); }
};

} // namespace tracking
