#pragma once

#include <QCursor>
#include <QString>

// Reads a cursor file (the icon file layout with the hot spot in place of the colour planes and
// bits) into a mouse pointer with its hot spot. Throws a "file not found" run-time error when the
// file is missing or holds no picture.
QCursor cursorFromFile(const QString& path);
