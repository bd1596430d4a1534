#pragma once

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QPoint>

namespace ZorvikArt {

// Icon and cursor files: a directory of entries followed by one 32-bit BGRA bitmap per entry
// (height doubled, bottom-up rows, then the 1-bit transparency mask). A cursor is the same layout
// with type 2 and its hotspot in place of the planes and bit count of the entry.
// Pictures may be up to 256 pixels on a side; 256 is stored as 0 in the entry.
QByteArray encodeIcon(const QList<QImage>& images);
QByteArray encodeCursor(const QImage& image, QPoint hotspot);

} // namespace ZorvikArt
