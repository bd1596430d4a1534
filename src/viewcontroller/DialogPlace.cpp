#include "viewcontroller/DialogPlace.h"

#include <algorithm>

namespace DialogPlace {
namespace {

bool coversAny(const QRect& r, const QList<QRect>& areas)
{
    return std::any_of(areas.begin(), areas.end(), [&](const QRect& a) { return r.intersects(a); });
}

// The rectangle moved into the screen as far as it fits.
QRect onScreen(QRect r, const QRect& screen)
{
    r.moveLeft(std::max(screen.left(), std::min(r.left(), screen.right() + 1 - r.width())));
    r.moveTop(std::max(screen.top(), std::min(r.top(), screen.bottom() + 1 - r.height())));
    return r;
}

} // namespace

QPoint choose(const QRect& mainWindow, const QSize& dialog, const QMargins& frame, const QRect& screen,
              const QList<QRect>& keepClear)
{
    const QSize outer = dialog.grownBy(frame);
    const QRect& w = mainWindow;
    // Beside the window, level with its top, right then left.
    const QRect right(QPoint(w.right() + 1, w.top()), outer);
    const QRect left(QPoint(w.left() - outer.width(), w.top()), outer);
    for (const QRect& beside : {right, left}) {
        const QRect placed = onScreen(beside, screen);
        if (!placed.intersects(w))
            return placed.topLeft();
    }
    // Over the window: its corners, the top ones first (the play buttons lie at the views' feet).
    const QRect corners[] = {
        QRect(QPoint(w.right() + 1 - outer.width(), w.top()), outer),
        QRect(QPoint(w.left(), w.top()), outer),
        QRect(QPoint(w.right() + 1 - outer.width(), w.bottom() + 1 - outer.height()), outer),
        QRect(QPoint(w.left(), w.bottom() + 1 - outer.height()), outer),
    };
    for (const QRect& corner : corners) {
        const QRect placed = onScreen(corner, screen);
        if (!coversAny(placed, keepClear))
            return placed.topLeft();
    }
    return onScreen(corners[0], screen).topLeft();
}

} // namespace DialogPlace
