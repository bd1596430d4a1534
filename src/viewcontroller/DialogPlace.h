#pragma once

#include <QList>
#include <QMargins>
#include <QPoint>
#include <QRect>
#include <QSize>

// Where a parameter dialog opens: beside the main window when the screen has room there,
// otherwise at the first corner of the main window where it covers none of the given areas
// (the views' play buttons and time lines). All rectangles are in screen coordinates and
// include the window frames; `frame` is the frame a dialog gets around its client area.
namespace DialogPlace {

// The top-left corner of the dialog's frame.
QPoint choose(const QRect& mainWindow, const QSize& dialog, const QMargins& frame, const QRect& screen,
              const QList<QRect>& keepClear);

} // namespace DialogPlace
