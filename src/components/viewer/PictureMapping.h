#pragma once

#include <QPointF>
#include <QSize>

// How picture pixels of the video map onto pixels of the viewer: the picture is scaled to
// `scaled` (its size at the viewer's zoom) and shifted left and up by the scroll offset.
// Both directions use the same exact ratios, so a point survives the round trip unchanged.
struct PictureMapping {
    QSize picture;     // the video picture, in its own pixels
    QSize scaled;      // the picture at the viewer's zoom
    int offsetX = 0;   // scroll offset, in pixels of the scaled picture
    int offsetY = 0;

    bool isValid() const { return !picture.isEmpty() && !scaled.isEmpty(); }
    double scaleX() const { return double(scaled.width()) / double(picture.width()); }
    double scaleY() const { return double(scaled.height()) / double(picture.height()); }

    QPointF toPicture(QPointF viewer) const
    {
        return {(viewer.x() + offsetX) / scaleX(), (viewer.y() + offsetY) / scaleY()};
    }
    QPointF toViewer(QPointF picturePt) const
    {
        return {picturePt.x() * scaleX() - offsetX, picturePt.y() * scaleY() - offsetY};
    }
};
