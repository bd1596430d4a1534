#pragma once

#include <QColor>
#include <QImage>
#include <QSize>
#include <QString>

namespace ZorvikArt {

// Renders a drawing (SVG) to a picture of the given size. With a valid background the result
// is opaque (RGB32) with the drawing laid over that colour; otherwise it keeps its transparency
// (ARGB32). A drawing that cannot be read gives a null image and the reason in *error.
QImage renderSvg(const QString& file, QSize size, const QColor& background, QString* error);

} // namespace ZorvikArt
