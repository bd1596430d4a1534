#pragma once

#include <QColor>
#include <QImage>

namespace ZorvikArt {

// The greyed look of a button picture: every pixel becomes grey and moves most of the way
// toward the background, so the drawing stays recognisable but clearly inactive. Pixels of the
// background colour (opaque pictures) and the alpha channel (icons) are unchanged.
QImage disabledLook(const QImage& normal, const QColor& background);

// The look under the mouse: a rounded plate in a light tint of the accent colour with a thin
// accent rim, behind the drawing.
QImage hotLook(const QImage& normal, const QColor& tint);

} // namespace ZorvikArt
