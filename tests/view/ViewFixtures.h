#pragma once

// What the view and view-set tests share: pattern clips written once per run, a main window
// that counts its refreshes, and a short way to read the frame number a widget shows.

#include "components/media/FixtureWriter.h"
#include "support/FixtureRecipes.h"
#include "components/media/FramePattern.h"
#include "support/TestPaths.h"
#include "viewcontroller/IMainWindowCallbacks.h"

#include <QDir>
#include <QPixmap>
#include <QWidget>
#include <map>

extern "C" {
#include <libavutil/log.h>
}

namespace ViewFixtures {

// A lossless clip whose frames carry their number; written once per run under `name`.
inline QString clip(const QString& name, int width, int height, int frames)
{
    return FixtureRecipes::writtenOnce(QStringLiteral("views"), name, FixtureRecipes::lossless(width, height, frames));
}

inline QImage shown(QWidget* w) { return w->grab().toImage().convertToFormat(QImage::Format_RGB32); }

// The frame number a widget shows across its whole surface; -1 when none can be read.
inline int shownNumber(QWidget* w)
{
    const QImage image = shown(w);
    return FramePattern::read(image, image.rect());
}

// The main window as the view set sees it: a widget that holds the panel and counts the
// refreshes of its buttons.
class Window final : public QWidget, public IMainWindowCallbacks {
public:
    Window() { resize(1000, 700); }
    void ctrls_enable(bool) override { ++enableCalls; }
    int enableCalls = 0;
};

} // namespace ViewFixtures
